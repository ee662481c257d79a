/* The shell's restart and the copying page driven by its own posted steps. */
#include "steps.h"

#include <commctrl.h>

#include "winsupport.h"

static UINT s_exitFlags;
static int s_exitCalls;
static bool s_privilegeHeld;
static BOOL s_exitResult;

static bool ShutdownPrivilegeEnabled()
{
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    LUID luid;
    LookupPrivilegeValueA(NULL, "SeShutdownPrivilege", &luid);
    BYTE buf[4096];
    DWORD size = 0;
    bool enabled = false;
    if (GetTokenInformation(token, TokenPrivileges, buf, sizeof(buf), &size)) {
        TOKEN_PRIVILEGES *tp = (TOKEN_PRIVILEGES *)buf;
        for (DWORD i = 0; i < tp->PrivilegeCount; i++)
            if (tp->Privileges[i].Luid.LowPart == luid.LowPart &&
                tp->Privileges[i].Luid.HighPart == luid.HighPart)
                enabled = (tp->Privileges[i].Attributes & SE_PRIVILEGE_ENABLED) != 0;
    }
    CloseHandle(token);
    return enabled;
}

static BOOL WINAPI RecordExit(UINT flags, DWORD reason)
{
    (void)reason;
    s_exitFlags = flags;
    s_exitCalls++;
    s_privilegeHeld = ShutdownPrivilegeEnabled();
    return s_exitResult;
}

/* The message boxes of this thread, each read as it opens and answered with
   its first button; the copying page (no buttons) is closed as a person would
   close it once one of its lines shows s_closeAt. */
static std::vector<MessageBoxView> s_boxes;
static std::wstring s_closeAt;

/* A box that has not painted yet cannot be read from the screen; in this
   process its icon compares with the system's own. */
static bool HasErrorIcon(HWND box)
{
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if ((GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            return IconsCanShow() &&
                   (HICON)SendMessageW(c, STM_GETICON, 0, 0) == LoadIconW(NULL, IDI_HAND);
    return false;
}

static LRESULT CALLBACK WatchPages(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPRETSTRUCT *m = (const CWPRETSTRUCT *)lParam;
    if (code == HC_ACTION && m->message == WM_INITDIALOG) {
        MessageBoxView v = ReadMessageBox(m->hwnd);
        v.hasErrorIcon = HasErrorIcon(m->hwnd);
        if (!v.buttons.empty()) {
            s_boxes.push_back(v);
            PressButton(m->hwnd, v.buttons[0].c_str());
        }
    } else if (code == HC_ACTION && m->message == WM_SETTEXT && !s_closeAt.empty() &&
               WindowText(m->hwnd) == s_closeAt) {
        s_closeAt.clear();
        PostMessageA(GetParent(m->hwnd), WM_CLOSE, 0, 0);
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}

static const wchar_t kRestartText[] =
    L"Installation of the QUORAX Wintab driver\nis complete. You must restart your computer\nfor "
    L"the changes to take effect.\n\nDo you want to restart the system now ?";

class ShellTest : public StepTest
{
  protected:
    HWND main = NULL;
    void SetUp() override
    {
        StepTest::SetUp();
        s_exitCalls = 0;
        g_shell.exitWindows = RecordExit;
        /* A window of the installer's own procedure, made without the class's
           WM_CREATE chain (the test program is no Windows 95). */
        WNDCLASSA wc;
        ZeroMemory(&wc, sizeof(wc));
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = g_shell.hInst;
        wc.lpszClassName = "kitinst test main";
        RegisterClassA(&wc);
        main = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 10, 10, NULL, NULL,
                               g_shell.hInst, NULL);
        SetWindowLongPtrA(main, GWLP_WNDPROC, (LONG_PTR)InstallerWndProc);
    }
    /* The run from a command of the main window on, the copying page (code
       123) unless said otherwise; returns the boxes shown up to the restart,
       answered Yes, or up to the end of the program. */
    std::vector<MessageBoxView> Install(const std::wstring &closeAt = L"",
                                        WPARAM command = CMD_INSTALL)
    {
        s_boxes.clear();
        s_closeAt = closeAt;
        s_exitResult = TRUE;
        HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROCRET, WatchPages, NULL, GetCurrentThreadId());
        PostMessageA(main, WM_COMMAND, command, 0);
        EXPECT_TRUE(PumpUntil([&] { return s_exitCalls > 0 || !IsWindow(main); }, 20000));
        UnhookWindowsHookEx(hook);
        return s_boxes;
    }
    void TearDown() override
    {
        g_shell.exitWindows = ExitWindowsEx;
        if (IsWindow(main))
            DestroyWindow(main);
        MSG msg;
        while (PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE))
            ;
        StepTest::TearDown();
    }
};

TEST_F(ShellTest, RestartAsksForARebootHoldingTheShutdownPrivilegeOnlyMeanwhile)
{
    s_exitResult = TRUE;
    EXPECT_EQ(1, InstallerWndProc(main, WM_COMMAND, CMD_RESTART, 0));
    EXPECT_EQ(1, s_exitCalls);
    EXPECT_EQ((UINT)EWX_REBOOT, s_exitFlags);
    EXPECT_TRUE(s_privilegeHeld);
    EXPECT_FALSE(ShutdownPrivilegeEnabled());
    /* The shutdown itself ends the program. */
    EXPECT_TRUE(IsWindow(main));
}

TEST_F(ShellTest, RefusedRestartEndsTheProgram)
{
    s_exitResult = FALSE;
    InstallerWndProc(main, WM_COMMAND, CMD_RESTART, 0);
    EXPECT_EQ(1, s_exitCalls);
    EXPECT_FALSE(IsWindow(main));
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE));
}

/* The copying page run by its own posted commands; the test's loop reads the
   bar as each phase hands over to the next. */
TEST_F(ShellTest, CopyingPageRunsEveryPhaseWithTheBarFullAtEachEnd)
{
    std::wstring disk = CopyInstallDisk(L"page-disk");
    ASSERT_EQ(1, CheckFrom(disk));
    HWND page = CreateDialogParamA(g_shell.hInst, "DIALOG2", NULL, InstallPageProc, 0);
    ASSERT_TRUE(page != NULL);
    HWND bar = g_page.progress;
    ASSERT_EQ(L"msctls_progress32", ClassOf(bar));
    RECT rc = RectInParent(bar);
    EXPECT_EQ(30, rc.left);
    EXPECT_EQ(100, rc.top);
    EXPECT_EQ(300, rc.right - rc.left);
    EXPECT_EQ(15, rc.bottom - rc.top);

    std::vector<std::pair<int, int>> handovers; /* command, bar before it */
    std::vector<int> commands;
    DWORD start = GetTickCount();
    bool ended = false;
    while (!ended && GetTickCount() - start < 20000) {
        MSG msg;
        if (!PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            Sleep(1);
            continue;
        }
        if (msg.hwnd == page && msg.message == WM_COMMAND) {
            int code = LOWORD(msg.wParam);
            commands.push_back(code == PAGE_INI_STEP || code == PAGE_REG_STEP ? HIWORD(msg.wParam)
                                                                              : code);
            if (code == PAGE_INI_START || code == PAGE_REG_START || code == PAGE_END)
                handovers.push_back({code, (int)SendMessageA(bar, PBM_GETPOS, 0, 0)});
            if (code == PAGE_INI_START) {
                EXPECT_EQ(Widen(WinDir() + "COMMAND\\qtablet.com"),
                          WindowText(GetDlgItem(page, IDC_DEST)));
            }
            ended = code == PAGE_END;
        }
        if (!IsDialogMessageA(page, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    ASSERT_TRUE(ended);
    EXPECT_EQ((std::vector<std::pair<int, int>>{
                  {PAGE_INI_START, 100}, {PAGE_REG_START, 100}, {PAGE_END, 100}}),
              handovers);
    std::vector<int> expected = {PAGE_COPY_START};
    for (int i = 0; i < 9; i++)
        expected.push_back(PAGE_COPY_FILE);
    expected.push_back(PAGE_INI_START);
    for (int step : {404, 405, 406, 407, 408, 409, 412})
        expected.push_back(step);
    expected.push_back(PAGE_REG_START);
    for (int step = 413; step <= 416; step++)
        expected.push_back(step);
    expected.push_back(PAGE_END);
    EXPECT_EQ(expected, commands);
    EXPECT_EQ(L"Adding registry for QUORAX Tablet :", WindowText(GetDlgItem(page, IDC_PHASE)));
    DestroyWindow(page);
}

/* What was not done is named in one box before the restart question: a
   driver file or an INI file in whose place a directory stands, a registry
   key that cannot be made (below a volatile one), the steps left when the
   page is closed as the INI phase shows SYSTEM.INI (step 405) or as the
   registry phase shows its caption (after the clean-up, before step 413). */
TEST_F(ShellTest, WhatWasNotDoneIsNamedBeforeTheRestartQuestion)
{
    std::wstring disk = CopyInstallDisk(L"shell-disk");
    const std::string session = "System\\CurrentControlSet\\Control\\SessionManager";
    const std::string classKey = "System\\CurrentControlSet\\Services\\Class\\QUORAXDevice";
    const std::wstring known16 = L" in HKEY_LOCAL_MACHINE\\" + Widen(session) + L"\\Known16DLLs\n";
    const std::wstring incomplete = L"Error : Wintab driver installation not complete !";
    const std::wstring runAgain =
        L"\nThe QUORAX Wintab driver may not work until the installation is run again.";
    const std::wstring stopped = L"The installation was stopped before these steps :\n\n";
    struct Case {
        std::string blocked; /* a directory there */
        bool volatileKey;    /* the parent of the 16-bit DLLs' key */
        const wchar_t *closeAt;
        std::wstring title, text; /* the text's beginning */
        const char *qwintabDriver; /* SYSTEM.INI [drivers] qwintab, step 407 */
        bool classKeyMade;         /* step 413 */
    } cases[] = {
        {SystemDir() + "qxthk16.dll", false, L"", L"Error : Can not copy Wintab driver files !",
         L"These files could not be copied :\n\nqxthk16.dll to " + Widen(SystemDir()) +
             L"qxthk16.dll\n\nThe QUORAX Wintab driver may not work until they are copied.",
         "qwintab.drv", true},
        {WinDir() + "wintab.ini", true, L"", incomplete,
         L"These settings could not be written :\n\nCsr=1 in WINTAB.INI [QUORAX MM-compatible "
         L"Tablet Driver]\nqxcls.dll=qxcls.dll" + known16 + L"qwintab.drv=qwintab.drv" + known16 +
             L"wintab.dll=wintab.dll" + known16 + runAgain,
         "qwintab.drv", true},
        {"", false, L"SYSTEM.INI", incomplete,
         stopped + L"device=vqxsd.386 in SYSTEM.INI [386Enh]\n", "<absent>", false},
        {"", false, L"Adding registry for QUORAX Tablet :", incomplete,
         stopped + L"the tablet's device class in HKEY_LOCAL_MACHINE\\" + Widen(classKey) +
             L"\nthe tablet's driver key in HKEY_LOCAL_MACHINE\\" + Widen(classKey) +
             L"\nthe tablet's device in HKEY_LOCAL_MACHINE\\Enum\\Root\\QUORAXDevice\n"
             L"qxcls.dll, qwintab.drv and wintab.dll" + known16 + runAgain,
         "qwintab.drv", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(Narrow(c.text.substr(0, 80)));
        MakeWin95Machine();
        CreateDirectoryA(c.blocked.c_str(), NULL);
        HKEY parent = NULL;
        if (c.volatileKey)
            RegCreateKeyExA(HKEY_LOCAL_MACHINE, session.c_str(), 0, NULL, REG_OPTION_VOLATILE,
                            KEY_ALL_ACCESS, NULL, &parent, NULL);
        ASSERT_EQ(1, CheckFrom(disk));
        s_exitCalls = 0;
        std::vector<MessageBoxView> boxes = Install(c.closeAt);
        RemoveDirectoryA(c.blocked.c_str());
        if (parent)
            RegCloseKey(parent);

        ASSERT_EQ(2u, boxes.size());
        EXPECT_EQ(c.title, boxes[0].title);
        EXPECT_EQ(c.text, boxes[0].text.substr(0, c.text.size()));
        EXPECT_EQ(IconsCanShow(), boxes[0].hasErrorIcon);
        EXPECT_EQ(std::vector<std::wstring>{L"OK"}, boxes[0].buttons);
        EXPECT_EQ(kRestartText, boxes[1].text);
        EXPECT_FALSE(boxes[1].hasErrorIcon);
        /* The run went on past a failure, and stopped where the page was closed. */
        EXPECT_EQ("mmsystem.dll QWINTAB", IniValue("boot", "drivers", "SYSTEM.INI"));
        EXPECT_EQ(c.qwintabDriver, IniValue("drivers", "qwintab", "SYSTEM.INI"));
        EXPECT_EQ(c.classKeyMade, KeyExists(classKey));
    }
}

DECLARE_IMPORT_SLOT(LoadStringA, 16);

static int WINAPI NoString(HINSTANCE, UINT, LPSTR buf, int size)
{
    if (size > 0)
        buf[0] = 0;
    return 0;
}

/* The program's strings do not load: the key paths of the registry phase
   would be empty, and the clean-up would delete from the root of the
   registry. The run stops before anything is changed. */
TEST_F(ShellTest, AMissingStringStopsTheRunBeforeAnythingChanges)
{
    SetCurrentDirectoryW(CopyInstallDisk(L"shell-disk").c_str());
    CreateKeyWithValues("Enum\\Root\\QUORAXDevice\\0000", {{"Class", "QUORAXDevice"}});
    std::string before = MachineSnapshot();
    void *real = RedirectImport(&imp_LoadStringA, (void *)NoString);
    std::vector<MessageBoxView> boxes = Install(L"", CMD_CHECK_SOURCE);
    RedirectImport(&imp_LoadStringA, real);

    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(L"Error : Can not load installer texts !", boxes[0].title);
    EXPECT_EQ(L"Text 4 of the installation program could not be loaded.\nNothing has been "
              L"changed on this computer.",
              boxes[0].text);
    EXPECT_EQ(IconsCanShow(), boxes[0].hasErrorIcon);
    EXPECT_FALSE(IsWindow(main)) << "the program ends";
    EXPECT_EQ("", LineDiff(before, MachineSnapshot()));
}
