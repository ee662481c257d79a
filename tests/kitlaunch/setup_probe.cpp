/*
 * A stand-in SETUP.EXE for the launcher's tests: it writes what it was
 * started with to the file named by KITLAUNCH_PROBE_LOG, one item a line:
 * its current directory, its command line, and whether the launcher's
 * window ("kitlaunch") was visible, hidden or gone while it ran.
 */
#include <windows.h>

static void Put(HANDLE file, const char *text)
{
    DWORD written;
    WriteFile(file, text, lstrlenA(text), &written, NULL);
    WriteFile(file, "\n", 1, &written, NULL);
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char log[MAX_PATH], cwd[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("KITLAUNCH_PROBE_LOG", log, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return 2;
    n = GetCurrentDirectoryA(MAX_PATH, cwd);
    if (n == 0 || n >= MAX_PATH)
        lstrcpyA(cwd, "?");

    HWND launcher = FindWindowA("kitlaunch", NULL);
    HANDLE file = CreateFileA(log, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 3;
    Put(file, cwd);
    Put(file, GetCommandLineA());
    Put(file, !launcher ? "none" : IsWindowVisible(launcher) ? "visible" : "hidden");
    CloseHandle(file);
    return 0;
}
