/*
 * The tracking-area control takes a whole two-click definition from the
 * stand-in's pen tool, a process of its own (wtpen.exe reaches every program
 * of the Wine session that has the stand-in loaded: this program runs in a
 * prefix of its own).
 */
#include "areadialog.h"
#include "dialogdriver.h"

#include <gtest/gtest.h>

TEST(SetAreaPenTool, TakesATwoClickDefinitionFromAnotherProcess)
{
    ASSERT_TRUE(LoadStandin(""));
    std::wstring script = JoinPath(MakeScratchDir(L"pen"), L"define.txt");
    /* y upward from the lower-left corner, as the driver counts */
    WriteFileBytes(script,
                   "pen 6000 6000 buttons 0\r\n"
                   "pen 2000 3000\r\npen 2000 3000 buttons 1\r\npen 2000 3000 buttons 0\r\n"
                   "wait 50\r\n"
                   "pen 8000 9000\r\npen 8000 9000 buttons 1\r\npen 8000 9000 buttons 0\r\n");
    DWORD exitCode = STILL_ACTIVE;
    Area end;
    std::wstring status;
    DriveDialog(L"Tablet Setup", OpenAreaDialog, [&](HWND dlg) {
        TabIntoArea(dlg);
        Process tool = StartProcess(JoinPath(BinDir(), L"wtpen.exe"), L"\"" + script + L"\"");
        PumpUntil([&] { return (exitCode = WaitForExit(tool, 0)) != STILL_ACTIVE; }, 30000);
        CloseProcess(tool);
        DialogPump(dlg, 50);
        end = Current(GetDlgItem(dlg, IDC_AREA));
        status = ItemText(dlg, IDC_STATUS);
        Click(dlg, IDCANCEL);
    });
    EXPECT_EQ(0u, exitCode);
    EXPECT_EQ((std::vector<int>{0x20, 0x22, 0x23, 0x21, 0x24, 0x21, 0x21, 0x27}), g_codes);
    EXPECT_EQ((Area{2000, W - 9000, 8000, W - 3000}), end);
    EXPECT_EQ(L"Active area rectangle defined.", status);
    UnloadWintab();
}
