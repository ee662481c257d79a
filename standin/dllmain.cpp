/*
 * Library entry, the description loaded at the first call, and the call log.
 *
 * The log file (WINTAB_STANDIN_LOG) is opened, appended to and closed for
 * every line, so nothing is lost when a program dies and a test can read it
 * while the library is loaded.
 */
#include "standin.h"

#include <stdarg.h>

static BOOL s_loaded;

/* At the first call rather than at load, so a test can set the variables
   after loading the library; a fresh load reads the description again. */
void EnsureLoaded(void)
{
    if (s_loaded)
        return;
    s_loaded = TRUE;
    LoadDescription();
    OpenDriverContexts();
    CreatePenWindow();
}

void LogLine(const char *text)
{
    WCHAR var[MAX_PATH], path[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(L"WINTAB_STANDIN_LOG", var, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return;
    UnixToWindowsPath(var, path, MAX_PATH);

    HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written;
    WriteFile(file, text, (DWORD)lstrlenA(text), &written, NULL);
    WriteFile(file, "\n", 1, &written, NULL);
    CloseHandle(file);
}

static char *AppendValue(char *p, char kind, UINT_PTR v)
{
    switch (kind) {
    case 'i':
        return p + wsprintfA(p, "%d", (int)(INT_PTR)v);
    case 'h': {
        char digits[20];
        int n = 0;
        do {
            digits[n++] = "0123456789ABCDEF"[v & 15];
            v >>= 4;
        } while (v);
        *p++ = '0';
        *p++ = 'x';
        while (n)
            *p++ = digits[--n];
        *p = 0;
        return p;
    }
    case 'p':
        return p + wsprintfA(p, "%s", v ? "ptr" : "NULL");
    default:
        return p + wsprintfA(p, "%u", (unsigned)v);
    }
}

/* kinds[0] is the result's kind, the rest the arguments'; the values follow
   as UINT_PTR, the result first. */
void LogCall(const char *name, const char *kinds, ...)
{
    char var[4];
    if (GetEnvironmentVariableA("WINTAB_STANDIN_LOG", var, sizeof(var)) == 0)
        return;

    char line[400];
    va_list args;
    va_start(args, kinds);
    UINT_PTR result = va_arg(args, UINT_PTR);
    char *p = line + wsprintfA(line, "%s(", name);
    for (const char *k = kinds + 1; *k; k++) {
        if (k != kinds + 1) {
            *p++ = ',';
            *p++ = ' ';
        }
        p = AppendValue(p, *k, va_arg(args, UINT_PTR));
    }
    va_end(args);
    p += wsprintfA(p, ") = ");
    AppendValue(p, kinds[0], result);
    LogLine(line);
}

extern "C" BOOL WINAPI DllMain(HINSTANCE hinst, DWORD reason, LPVOID reserved)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        g_hinst = hinst;
        DisableThreadLibraryCalls(hinst);
        LogLine("load");
        break;
    case DLL_PROCESS_DETACH:
        /* At process exit (reserved set) the system takes everything back. */
        if (!reserved && s_loaded) {
            SaveWaitingChanges();
            DestroyPenWindow();
            FreeDescription();
        }
        LogLine("unload");
        break;
    }
    return TRUE;
}
