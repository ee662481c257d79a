/*
 * The installer's shell: a hidden main window that drives the whole run as a
 * chain of commands it posts to itself (version check, source check, welcome
 * page, copying page, restart question), so that every page runs from the one
 * message loop.
 */
#include "kitinst.h"

#define CLASSNAME_LEN 9
#define TITLE_LEN 50
/* The hidden main window's size, centred on the screen. */
#define MAIN_WIDTH 300
#define MAIN_HEIGHT 100

InstallerShell g_shell = {NULL, 0, ExitWindowsEx};

static char s_className[CLASSNAME_LEN];
static char s_title[TITLE_LEN];

/* The box for the program's own strings failing to load: the one text that
   cannot come from the string table. */
static const char s_stringCaption[] = "Error : Can not load installer texts !";
static const char s_stringText[] = "Text %u of the installation program could not be loaded.\n"
                                   "Nothing has been changed on this computer.";

BOOL RegisterInstallerClass(HINSTANCE hInstance)
{
    LoadText(hInstance, IDS_CLASSNAME, s_className, CLASSNAME_LEN);

    WNDCLASSEXA wcx;
    ZeroMemory(&wcx, sizeof(wcx));
    wcx.cbSize = sizeof(wcx);
    wcx.style = CS_HREDRAW | CS_VREDRAW;
    wcx.lpfnWndProc = InstallerWndProc;
    wcx.hInstance = hInstance;
    wcx.hIcon = LoadIconA(hInstance, MAKEINTRESOURCEA(IDI_KITINST));
    wcx.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    wcx.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wcx.lpszClassName = s_className;
    if (RegisterClassExA(&wcx))
        return TRUE;

    /* Windows NT 3.51 has no RegisterClassEx; the plain class is the same one. */
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.style = wcx.style;
    wc.lpfnWndProc = wcx.lpfnWndProc;
    wc.hInstance = hInstance;
    wc.hIcon = wcx.hIcon;
    wc.hCursor = wcx.hCursor;
    wc.hbrBackground = wcx.hbrBackground;
    wc.lpszClassName = s_className;
    return RegisterClassA(&wc) != 0;
}

/* The main window is never shown: only the pages and message boxes are seen. */
HWND CreateInstallerWindow(HINSTANCE hInstance)
{
    LoadText(hInstance, IDS_CLASSNAME, s_className, CLASSNAME_LEN);
    LoadText(hInstance, IDS_TITLE, s_title, TITLE_LEN);
    g_shell.hInst = hInstance;
    g_shell.penExtensions = GetSystemMetrics(SM_PENWINDOWS);

    int x = (GetSystemMetrics(SM_CXSCREEN) - MAIN_WIDTH) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - MAIN_HEIGHT) / 2;
    return CreateWindowExA(0, s_className, s_title, WS_OVERLAPPED, x, y, MAIN_WIDTH, MAIN_HEIGHT,
                           NULL, NULL, hInstance, NULL);
}

static void PostCommand(HWND hwnd, WPARAM code)
{
    PostMessageA(hwnd, WM_COMMAND, code, 0);
}

/* The shutdown privilege is held only for the length of the request. */
static BOOL RestartSystem(void)
{
    HANDLE token = NULL;
    TOKEN_PRIVILEGES tp;
    ZeroMemory(&tp, sizeof(tp));

    OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token);
    LookupPrivilegeValueA(NULL, "SeShutdownPrivilege", &tp.Privileges[0].Luid);
    tp.PrivilegeCount = 1;
    tp.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    AdjustTokenPrivileges(token, FALSE, &tp, 0, NULL, NULL);

    BOOL ok = g_shell.exitWindows(EWX_REBOOT, 0);

    tp.Privileges[0].Attributes = 0;
    AdjustTokenPrivileges(token, FALSE, &tp, 0, NULL, NULL);
    if (token)
        CloseHandle(token);
    return ok;
}

/* A box whose text and caption are strings of the program. */
static int ShowBox(HWND hwnd, UINT textId, UINT captionId, UINT type)
{
    char text[TEXT_LEN];
    char caption[TEXT_LEN];
    LoadText(g_shell.hInst, textId, text, TEXT_LEN);
    LoadText(g_shell.hInst, captionId, caption, TEXT_LEN);
    return MessageBoxA(hwnd, text, caption, type);
}

/* The installation went on past what it could not do, or was stopped;
   before the restart question the user learns what, since the driver may
   not work without it. */
static void ReportNotDone(HWND hwnd)
{
    char text[REPORT_TEXT_LEN];
    char caption[TEXT_LEN];
    if (DescribeNotDone(text, sizeof(text), caption))
        MessageBoxA(hwnd, text, caption, MB_OK | MB_ICONERROR);
}

/* The first of the strings from 4 on that cannot be loaded, 0 when all can. */
static UINT FindMissingString(void)
{
    char text[TEXT_LEN];
    for (UINT id = IDS_CLASS_KEY; id <= IDS_LAST; id++)
        if (!LoadText(g_shell.hInst, id, text, TEXT_LEN))
            return id;
    return 0;
}

/* The registry key paths are strings of the program: one that does not load
   would be empty, and the clean-up would work from the root of the registry.
   Nothing is changed before all are there, the texts of the boxes and the
   report with them. */
static BOOL StringsLoad(HWND hwnd)
{
    UINT missing = FindMissingString();
    if (!missing)
        return TRUE;
    char text[sizeof(s_stringText) + 16];
    FormatText(text, sizeof(text), s_stringText, missing);
    MessageBoxA(hwnd, text, s_stringCaption, MB_OK | MB_ICONERROR);
    return FALSE;
}

static LRESULT OnCommand(HWND hwnd, WPARAM wParam, LPARAM lParam)
{
    switch (LOWORD(wParam)) {
    case CMD_CHECK_SOURCE:
        if (!StringsLoad(hwnd))
            DestroyWindow(hwnd);
        else if (DialogBoxParamA(g_shell.hInst, "DIALOG0", hwnd, InitPageProc, 0))
            PostCommand(hwnd, CMD_WELCOME);
        else
            PostCommand(hwnd, CMD_MISSING_FILES);
        return 1;
    case CMD_WRONG_SYSTEM:
        ShowBox(hwnd, IDS_WRONG_SYSTEM_TEXT, IDS_WRONG_SYSTEM_CAPTION, MB_OK | MB_ICONERROR);
        DestroyWindow(hwnd);
        return 1;
    case CMD_MISSING_FILES:
        ShowBox(hwnd, IDS_MISSING_TEXT, IDS_MISSING_CAPTION, MB_OK | MB_ICONERROR);
        DestroyWindow(hwnd);
        return 1;
    case CMD_WELCOME:
        if (DialogBoxParamA(g_shell.hInst, "DIALOG1", hwnd, WelcomePageProc, 0))
            PostCommand(hwnd, CMD_INSTALL);
        else
            DestroyWindow(hwnd);
        return 1;
    case CMD_INSTALL:
        DialogBoxParamA(g_shell.hInst, "DIALOG2", hwnd, InstallPageProc, 0);
        PostCommand(hwnd, CMD_RESTART_QUESTION);
        return 1;
    case CMD_RESTART_QUESTION:
        ReportNotDone(hwnd);
        if (ShowBox(hwnd, IDS_RESTART_TEXT, IDS_RESTART_CAPTION, MB_YESNO) == IDYES)
            PostCommand(hwnd, CMD_RESTART);
        else
            DestroyWindow(hwnd);
        return 1;
    case CMD_RESTART:
        /* A refused request would leave the program running with no window;
           the shutdown, when it comes, ends the program itself. */
        if (!RestartSystem())
            DestroyWindow(hwnd);
        return 1;
    }
    return DefWindowProcA(hwnd, WM_COMMAND, wParam, lParam);
}

LRESULT CALLBACK InstallerWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE: {
        OSVERSIONINFOA version;
        version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
        if (GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS)
            PostCommand(hwnd, CMD_CHECK_SOURCE);
        else
            PostCommand(hwnd, CMD_WRONG_SYSTEM);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_COMMAND:
        return OnCommand(hwnd, wParam, lParam);
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}
