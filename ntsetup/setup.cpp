/*
 * SETUP.EXE in the install disk's NTWINTAB directory: the least Windows NT
 * driver setup that lets the disk work end to end. The launcher makes
 * NTWINTAB the current directory before it starts this program, so the files
 * are taken from there: the Wintab driver goes into the system directory, the
 * control panel into the Windows directory. A message box then says what was
 * copied where and what failed.
 */
#include <windows.h>

#define PATH_LEN 260
#define REPORT_LEN 2048

static const char s_szCaption[] = "Quorax Wintab NT Setup";

/* What is copied, and where to: into the system directory or the Windows one. */
static const struct {
    const char *name;
    BOOL toSystemDir;
} s_files[] = {
    {"wintab32.dll", TRUE},
    {"padcfg.exe", FALSE},
};

static char s_szReport[REPORT_LEN];

/* Appends to the report; a line that no longer fits is left out rather than cut. */
static void Report(const char *line)
{
    if (lstrlenA(s_szReport) + lstrlenA(line) < REPORT_LEN)
        lstrcatA(s_szReport, line);
}

/* dir + name into dest (PATH_LEN), with one backslash between; FALSE if it does not fit. */
static BOOL JoinPath(char *dest, const char *dir, const char *name)
{
    int len = lstrlenA(dir);
    BOOL slash = len > 0 && dir[len - 1] != '\\';
    if (len + (slash ? 1 : 0) + lstrlenA(name) >= PATH_LEN)
        return FALSE;
    lstrcpyA(dest, dir);
    if (slash)
        lstrcatA(dest, "\\");
    lstrcatA(dest, name);
    return TRUE;
}

/* Copies one file from the current directory; returns 0 or the error code. */
static DWORD CopyOne(const char *name, const char *destDir)
{
    char source[PATH_LEN], dest[PATH_LEN];
    if (!JoinPath(source, ".", name) || !JoinPath(dest, destDir, name))
        return ERROR_FILENAME_EXCED_RANGE;
    /* A driver of an earlier installation is replaced. */
    if (!CopyFileA(source, dest, FALSE))
        return GetLastError();
    return 0;
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow)
{
    (void)hInstance;
    (void)hPrevInstance;
    (void)lpCmdLine;
    (void)nCmdShow;

    char cwd[PATH_LEN], systemDir[PATH_LEN], windowsDir[PATH_LEN];
    DWORD n = GetCurrentDirectoryA(PATH_LEN, cwd);
    if (n == 0 || n >= PATH_LEN)
        lstrcpyA(cwd, "?");
    n = GetSystemDirectoryA(systemDir, PATH_LEN);
    if (n == 0 || n >= PATH_LEN)
        systemDir[0] = 0;
    n = GetWindowsDirectoryA(windowsDir, PATH_LEN);
    if (n == 0 || n >= PATH_LEN)
        windowsDir[0] = 0;

    char line[PATH_LEN * 2 + 80];
    wsprintfA(line, "From %s:\n\n", cwd);
    Report(line);

    int failures = 0;
    for (size_t i = 0; i < sizeof(s_files) / sizeof(s_files[0]); i++) {
        const char *destDir = s_files[i].toSystemDir ? systemDir : windowsDir;
        DWORD error = destDir[0] ? CopyOne(s_files[i].name, destDir) : ERROR_PATH_NOT_FOUND;
        if (error == 0) {
            wsprintfA(line, "Copied %s to %s\n", s_files[i].name, destDir);
        } else {
            wsprintfA(line, "Could not copy %s to %s (error %lu)\n", s_files[i].name, destDir,
                      error);
            failures++;
        }
        Report(line);
    }

    Report(failures ? "\nThe Wintab driver is not completely installed."
                    : "\nThe Wintab driver and the tablet control panel are installed.");
    MessageBoxA(NULL, s_szReport, s_szCaption,
                MB_OK | (failures ? MB_ICONERROR : MB_ICONINFORMATION));
    return failures ? 1 : 0;
}
