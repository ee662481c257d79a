/*
 * The setup directory: the disk's NTWINTAB\ below the directory the launcher
 * was started from, built within the path buffer whatever that directory is.
 */
#include "kitlaunch.h"

static const char s_szSetupDir[] = "NTWINTAB\\";

BOOL BuildSetupPath(char *path)
{
    DWORD len = GetCurrentDirectoryA(MAX_PATH, path);
    if (len == 0 || len >= MAX_PATH)
        return FALSE;
    /* A drive root already ends in a backslash. The last character is looked
       at, not the last byte: in a double-byte code page a character's trail
       byte can be 0x5C. */
    DWORD slash = *CharPrevA(path, path + len) != '\\' ? 1 : 0;
    if (len + slash + sizeof(s_szSetupDir) > MAX_PATH)
        return FALSE;
    if (slash)
        path[len++] = '\\';
    lstrcpyA(path + len, s_szSetupDir);
    return TRUE;
}
