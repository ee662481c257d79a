/*
 * kitlaunch: the Windows NT setup launcher at the root of the install disk.
 *
 * It makes the disk's NTWINTAB directory the current one and starts the NT
 * driver's own setup program there, which finds its files through the
 * current directory it inherits. Its one window is never shown: the whole
 * work happens while that window is being created, and the window lives on
 * only to own the box that explains what is missing.
 */
#include "kitlaunch.h"

/* With a directory part WinExec takes the file from the current directory
   only; a bare name would be searched for beside the launcher and in the
   system directories first, and could start some other SETUP.EXE. */
static const char s_szSetupCommand[] = ".\\SETUP.EXE";

/* Room for the longest text of the string table. */
#define TEXT_LEN 256

static HINSTANCE s_hInst;

/* Returns 0 to let the window be created (it stays to own a message box), or
   destroys it, which makes its creation fail and ends the program. */
static LRESULT OnCreate(HWND hwnd)
{
    /* The current directory, then the setup directory. */
    char path[MAX_PATH];
    if (!BuildSetupPath(path) || !SetCurrentDirectoryA(path)) {
        PostMessageA(hwnd, WM_COMMAND, IDC_NO_SETUP_DIR, 0);
        return 0;
    }

    UINT result = WinExec(s_szSetupCommand, SW_SHOWNORMAL);
    if (result == ERROR_FILE_NOT_FOUND) {
        PostMessageA(hwnd, WM_COMMAND, IDC_NO_SETUP_PROGRAM, 0);
        return 0;
    }

    /* Started, or failed in a way the user cannot mend from here (a damaged
       or foreign setup program, no memory): the launcher's work is over. */
    DestroyWindow(hwnd);
    return 0;
}

/* A string of the program, or an empty one when it cannot be loaded. */
static void LoadText(UINT id, char *buf)
{
    if (LoadStringA(s_hInst, id, buf, TEXT_LEN) <= 0)
        buf[0] = 0;
}

static void ReportMissingFiles(HWND hwnd, UINT textId)
{
    char caption[TEXT_LEN];
    char text[TEXT_LEN];
    LoadText(IDS_MISSING_CAPTION, caption);
    LoadText(textId, text);
    MessageBoxA(hwnd, text, caption, MB_OK | MB_ICONERROR);
    DestroyWindow(hwnd);
}

static LRESULT CALLBACK LauncherWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE:
        return OnCreate(hwnd);

    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_NO_SETUP_DIR:
            ReportMissingFiles(hwnd, IDS_NO_SETUP_DIR);
            return 0;
        case IDC_NO_SETUP_PROGRAM:
            ReportMissingFiles(hwnd, IDS_NO_SETUP_PROGRAM);
            return 0;
        }
        break;

    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

/* A launcher that is still running (it shows its box) is brought forward
   instead of starting the setup program a second time. */
static BOOL ActivateRunningCopy(void)
{
    HWND other = FindWindowA(KITLAUNCH_NAME, NULL);
    if (!other)
        return FALSE;

    if (IsIconic(other))
        ShowWindow(other, SW_RESTORE);
    /* Its window is hidden: what the user must see is the box it owns, so the
       box alone is brought forward. Activating the hidden owner first could
       leave it the foreground window, the box behind another program's. */
    HWND popup = GetLastActivePopup(other);
    SetForegroundWindow(popup ? popup : other);
    return TRUE;
}

static BOOL RegisterLauncherClass(HINSTANCE hInstance)
{
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = LauncherWndProc;
    wc.hInstance = hInstance;
    wc.hIcon = LoadIconA(hInstance, KITLAUNCH_NAME);
    wc.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszMenuName = KITLAUNCH_NAME;
    wc.lpszClassName = KITLAUNCH_NAME;
    return RegisterClassA(&wc) != 0;
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow)
{
    (void)lpCmdLine;
    (void)nCmdShow; /* the window is never shown */

    /* hPrevInstance is always null on Win32: the window look-up finds a running copy. */
    if (!hPrevInstance && ActivateRunningCopy())
        return 0;
    if (!RegisterLauncherClass(hInstance))
        return 0;

    s_hInst = hInstance;
    HWND hwnd = CreateWindowA(KITLAUNCH_NAME, KITLAUNCH_NAME, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0,
                              CW_USEDEFAULT, 0, NULL, NULL, s_hInst, NULL);
    /* Also the normal end once the setup program has been started. */
    if (!hwnd)
        return 0;

    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return (int)msg.wParam;
}
