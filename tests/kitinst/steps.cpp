#include "steps.h"

#include <commctrl.h>

#include "winsupport.h"

void StepTest::SetUp()
{
    g_shell.hInst = GetModuleHandleA(NULL);
    g_shell.penExtensions = 0;
    ZeroMemory(&g_engine, sizeof(g_engine));
    g_page.pause = 0;
    InitCommonControls();
    host =
        CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 400, 200, NULL, NULL, g_shell.hInst, NULL);
    g_page.progress = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, 0, 0, 300, 15,
                                      host, NULL, g_shell.hInst, NULL);
    SendMessageA(g_page.progress, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    MakeWin95Machine();
}

void StepTest::TearDown()
{
    DestroyWindow(host);
    g_page.progress = NULL;
    SetCurrentDirectoryW(TestDir().c_str());
}

int StepTest::BarPos()
{
    return (int)SendMessageA(g_page.progress, PBM_GETPOS, 0, 0);
}

int StepTest::CheckFrom(const std::wstring &disk)
{
    SetCurrentDirectoryW(disk.c_str());
    return SourceCheck(NULL);
}

int StepTest::RunCopyPhase()
{
    StartCopyPhase();
    int steps = 0;
    while (steps < 20) {
        steps++;
        if (CopyStep(NULL) != PAGE_COPY_FILE)
            break;
    }
    return steps;
}

std::vector<int> StepTest::RunIniPhase()
{
    std::vector<int> steps;
    WPARAM next = MAKEWPARAM(PAGE_INI_STEP, INI_FIRST_STEP);
    while (LOWORD(next) == PAGE_INI_STEP && steps.size() < 20) {
        steps.push_back(HIWORD(next));
        next = IniStep(NULL, HIWORD(next));
    }
    EXPECT_EQ(PAGE_REG_START, next);
    return steps;
}
