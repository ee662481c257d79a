/*
 * Text helpers in place of the C library, which the installer does without:
 * it must start on a Windows 95 that has no C runtime DLL. Comparisons are by
 * byte, or fold ASCII letters only, as the C library's did (file names and
 * INI keys); the locale-aware lstrcmpi folds letters by the user's language.
 */
#include "kitinst.h"

#include <stdarg.h>

/* A string of the program, cut at the buffer; an empty one and FALSE when it
   cannot be loaded. */
BOOL LoadText(HINSTANCE inst, UINT id, char *buf, int size)
{
    if (LoadStringA(inst, id, buf, size) > 0)
        return TRUE;
    buf[0] = 0;
    return FALSE;
}

/* wvsprintfA has no size argument: it writes at most 1,024 bytes, its NUL
   included. One byte more here, ended in any case. */
#define FORMAT_MAX 1024

/* Bounded formatting: a long directory is cut at the buffer, never overrun. */
void FormatText(char *out, int size, const char *format, ...)
{
    char buf[FORMAT_MAX + 1];
    va_list args;
    va_start(args, format);
    wvsprintfA(buf, format, args);
    va_end(args);
    buf[FORMAT_MAX] = 0;
    lstrcpynA(out, buf, size);
}

/* The first place where part occurs in text, or null. */
const char *FindText(const char *text, const char *part)
{
    for (; *text; text++) {
        int i = 0;
        while (part[i] && text[i] == part[i])
            i++;
        if (!part[i])
            return text;
    }
    return part[0] ? NULL : text;
}

BOOL SameText(const char *a, const char *b)
{
    while (*a && *a == *b) {
        a++;
        b++;
    }
    return *a == *b;
}

static char FoldCase(char c)
{
    return c >= 'a' && c <= 'z' ? (char)(c - 'a' + 'A') : c;
}

BOOL StartsWithNoCase(const char *text, const char *prefix)
{
    for (; *prefix; text++, prefix++)
        if (FoldCase(*text) != FoldCase(*prefix))
            return FALSE;
    return TRUE;
}

BOOL SameTextNoCase(const char *a, const char *b)
{
    return lstrlenA(a) == lstrlenA(b) && StartsWithNoCase(a, b);
}
