/*
 * Text helpers in place of the C library's, for both builds of the panel.
 * They step through text a character at a time with CharNext: in the ANSI
 * build a double-byte character is two bytes, and its second byte may look
 * like a backslash, a letter or a control byte when read on its own. The
 * characters looked for (separators, signs) are single ones.
 */
#include "padcfg.h"

BOOL IsSingleChar(LPCTSTR p)
{
    return *p && CharNext(p) == p + 1;
}

BOOL IsCharOf(LPCTSTR p, LPCTSTR set)
{
    if (!IsSingleChar(p))
        return FALSE;
    for (; *set; set++)
        if (*p == *set)
            return TRUE;
    return FALSE;
}

LPTSTR SkipCharsOf(LPCTSTR text, LPCTSTR set)
{
    while (IsCharOf(text, set))
        text = CharNext(text);
    return (LPTSTR)text;
}

LPTSTR FindCharOf(LPCTSTR text, LPCTSTR set)
{
    while (*text && !IsCharOf(text, set))
        text = CharNext(text);
    return (LPTSTR)text;
}

LPTSTR FindLastCharOf(LPCTSTR text, LPCTSTR set)
{
    LPCTSTR last = NULL;
    for (; *text; text = CharNext(text))
        if (IsCharOf(text, set))
            last = text;
    return (LPTSTR)last;
}

/* A match that starts on a character ends on one: the part is whole
   characters, and the same units read the same way from the same start. */
LPTSTR FindInText(LPCTSTR text, LPCTSTR part)
{
    for (;; text = CharNext(text)) {
        int i = 0;
        while (part[i] && text[i] == part[i])
            i++;
        if (!part[i])
            return (LPTSTR)text;
        if (!*text)
            return NULL;
    }
}

LPTSTR FindTail(LPTSTR text, LPCTSTR tail)
{
    int skip = lstrlen(text) - lstrlen(tail);
    if (skip < 0)
        return NULL;
    LPTSTR p = text;
    while (p < text + skip)
        p = CharNext(p);
    return p == text + skip && lstrcmp(p, tail) == 0 ? p : NULL;
}

void EndTextWithin(LPTSTR text, int chars)
{
    LPTSTR end = text;
    while (*end) {
        LPTSTR next = CharNext(end);
        if (next > text + chars)
            break;
        end = next;
    }
    *end = 0;
}

/* A line break would push the rest of a one-line control out of sight, and a
   tab or another control character shows as a box. The C1 controls are
   characters of their own only in Unicode: in an ANSI code page their bytes
   are printable characters or the lead bytes of double-byte ones. */
void BlankControlCharacters(LPTSTR text)
{
    for (; *text; text = CharNext(text)) {
        TBYTE c = (TBYTE)*text;
        if (c < ' ' || c == 0x7F || (sizeof(TCHAR) > 1 && c >= 0x80 && c < 0xA0))
            *text = ' ';
    }
}
