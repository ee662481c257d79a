/*
 * The driver's own configuration dialog: modal to the window given, one
 * button per outcome, the description's outcome as the default, the
 * time-out that closes it by itself.
 */
#include "driver.h"

static const wchar_t kTitle[] = L"Stand-in Tablet Settings";

/* What a person does in the dialog, from a thread of its own while the
   test's thread is inside WTMgrDeviceConfig. */
enum Action { PRESS_OK, PRESS_RESTART, PRESS_CANCEL, KEY_ENTER, KEY_ESCAPE, WAIT };

struct Seen {
    Action action;
    HWND owner;
    bool found = false, ownerDisabled = false, visible = false;
    HWND ownedBy = NULL;
    std::wstring focused; /* the text of the button with the focus */
    bool focusIsDefault = false;
};

static DWORD WINAPI ActInDialog(LPVOID param)
{
    Seen *seen = (Seen *)param;
    HWND dlg = WaitForWindow(GetCurrentProcessId(), L"#32770", kTitle, 3000);
    if (!dlg)
        return 0;
    seen->found = true;
    seen->visible = IsWindowVisible(dlg) != 0;
    seen->ownedBy = GetWindow(dlg, GW_OWNER);
    seen->ownerDisabled = !IsWindowEnabled(seen->owner);
    GUITHREADINFO gui;
    ZeroMemory(&gui, sizeof(gui));
    gui.cbSize = sizeof(gui);
    GetGUIThreadInfo(GetWindowThreadProcessId(dlg, NULL), &gui);
    seen->focused = WindowText(gui.hwndFocus);
    seen->focusIsDefault = (GetWindowLongW(gui.hwndFocus, GWL_STYLE) & 0xF) == BS_DEFPUSHBUTTON;
    static const wchar_t *const buttons[] = {L"OK", L"&Restart", L"Cancel"};
    switch (seen->action) {
    case PRESS_OK:
    case PRESS_RESTART:
    case PRESS_CANCEL:
        PressButton(dlg, buttons[seen->action]);
        break;
    case KEY_ENTER:
    case KEY_ESCAPE:
        /* As the keyboard delivers it: to the control with the focus. */
        PostMessageW(gui.hwndFocus, WM_KEYDOWN, seen->action == KEY_ENTER ? VK_RETURN : VK_ESCAPE,
                     0);
        break;
    case WAIT:
        break;
    }
    return 0;
}

TEST_F(StandinTest, ConfigurationDialogOutcomes)
{
    struct {
        UINT configured;
        int timeout; /* ms; -1: none */
        Action action;
        UINT expected;
        const wchar_t *focused; /* the default button; NULL: no dialog */
    } cases[] = {
        {WTDC_OK, -1, PRESS_RESTART, WTDC_RESTART, L"OK"},
        {WTDC_RESTART, -1, PRESS_OK, WTDC_OK, L"&Restart"},
        {WTDC_OK, -1, PRESS_CANCEL, WTDC_CANCEL, L"OK"},
        {WTDC_OK, -1, KEY_ENTER, WTDC_OK, L"OK"},
        {WTDC_RESTART, -1, KEY_ENTER, WTDC_RESTART, L"&Restart"},
        {WTDC_CANCEL, -1, KEY_ENTER, WTDC_CANCEL, L"Cancel"},
        {WTDC_RESTART, -1, KEY_ESCAPE, WTDC_CANCEL, L"&Restart"},
        {WTDC_RESTART, 400, WAIT, WTDC_RESTART, L"&Restart"},
        {WTDC_OK, 0, WAIT, WTDC_OK, NULL}, /* closes at once */
        {WTDC_NONE, -1, WAIT, WTDC_NONE, NULL},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(std::to_string(c.configured) + " " + std::to_string(c.action));
        UseTablet("[Device0]\nConfigDialog=1\nConfigResult=" + std::to_string(c.configured) +
                  "\nConfigTimeout=" + std::to_string(c.timeout) + "\n");
        ASSERT_TRUE(Load());
        HMGR mgr = OpenManager();
        EXPECT_EQ(1u, wt.MgrDeviceConfig(mgr, 0, NULL)); /* asks only: nothing shown */

        HWND owner = CreateWindowW(L"STATIC", L"Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10,
                                   300, 200, NULL, NULL, NULL, NULL);
        windows.push_back(owner);
        Seen seen;
        seen.action = c.action;
        seen.owner = owner;
        HANDLE actor = c.focused ? CreateThread(NULL, 0, ActInDialog, &seen, 0, NULL) : NULL;
        DWORD start = GetTickCount();
        UINT got = wt.MgrDeviceConfig(mgr, 0, owner);
        DWORD took = GetTickCount() - start;
        if (actor) {
            WaitForSingleObject(actor, 5000);
            CloseHandle(actor);
        }

        EXPECT_EQ(c.expected, got);
        EXPECT_TRUE(IsWindowEnabled(owner));
        if (c.focused) {
            ASSERT_TRUE(seen.found);
            EXPECT_TRUE(seen.visible);
            EXPECT_EQ(owner, seen.ownedBy);
            EXPECT_TRUE(seen.ownerDisabled); /* modal */
            EXPECT_EQ(c.focused, seen.focused);
            EXPECT_TRUE(seen.focusIsDefault);
        }
        if (c.timeout > 0) {
            EXPECT_GE(took + 20, (DWORD)c.timeout);
        }
        Unload();
    }
}
