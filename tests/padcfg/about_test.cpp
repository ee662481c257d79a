/*
 * The About box and the Transducer command's hook, opened through the main
 * window's own commands: the driver version a person reads, and what the
 * driver's configuration outcome leads to.
 */
#include "panel.h"

#include "dialogdriver.h"

#include <gtest/gtest.h>

#include <cstdio>

static const wchar_t kAbout[] = L"About Tablet Control Panel...";
static const wchar_t kRestart[] = L"Tablet Driver Settings Change";

/* The panel up on a stand-in tablet with this device section. */
static HWND StartOn(const std::string &device)
{
    ResetPanelState();
    UseDriver(DRIVER_STANDIN);
    UseTablet("[Device0]\r\n" + device + "\r\n");
    StartCallLog();
    return StartPanel();
}

/* The OK button: the icon above it carries the same id. */
static void ClickOk(HWND dlg)
{
    SendMessageW(FindWindowExW(dlg, NULL, L"Button", L"OK"), BM_CLICK, 0, 0);
    DialogPump(dlg, 20);
}

static void Command(UINT id)
{
    SendMessageW(MainWindow(), WM_COMMAND, id, 0);
}

TEST(About, ShowsTheVersionTokenOfTheDeviceName)
{
    const struct {
        const char *device;
        std::wstring version;
        UINT closeKey = 0; /* 0: the OK button */
    } cases[] = {
        {"Name=QUORAX MM-Compatible Tablet;Format: MM Series;Version 2.10", L"2.10"},
        {"Name=QUORAX Digitizer version: 3,1", L"3"},
        {"Name=QUORAX Tablet", L"unknown", VK_ESCAPE},
        {"Name=QUORAX Tablet Version", L"unknown"},
        {"Name=QUORAX Tablet Version ;,", L"unknown"},
        {"Name=", L"unknown"},
        /* Padded with '~' to 320 characters, cut where the 200-character buffer ends
           (WTInfoText keeps the last two for terminators). */
        {"Name=QUORAX Version 1.08\r\n[Interface]\r\nLongStrings=1",
         L"1.08" + std::wstring(198 - 19, L'~'), VK_RETURN},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.device);
        ASSERT_NE((HWND)NULL, StartOn(c.device));
        std::wstring line;
        EXPECT_TRUE(DriveDialog(
            kAbout, [] { Command(IDM_ABOUT); },
            [&](HWND dlg) {
                line = ItemText(dlg, IDC_ABOUT_DRIVER);
                if (c.closeKey)
                    PressKey(dlg, c.closeKey);
                else
                    ClickOk(dlg);
            }));
        EXPECT_EQ(L"QUORAX Wintab Driver Version " + c.version + L" for Windows NT", line);
        StopPanel();
    }
}
