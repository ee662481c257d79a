/*
 * The Tweak spin control: two arrows beside an edit field that ask the parent
 * dialog to step the field's number up or down.
 */
#include "padcfg.h"

/* Window extra data, in this order: buddy edit, the buddy's own procedure,
   pressed halves (16-bit), cached arrow image, repeat ticks (16-bit). */
#define TWEAK_BUDDY 0
#define TWEAK_BUDDYPROC (TWEAK_BUDDY + sizeof(LONG_PTR))
#define TWEAK_PRESSED (TWEAK_BUDDYPROC + sizeof(LONG_PTR))
#define TWEAK_IMAGE (TWEAK_PRESSED + sizeof(WORD))
#define TWEAK_TICKS (TWEAK_IMAGE + sizeof(LONG_PTR))
#define TWEAK_EXTRA (TWEAK_TICKS + sizeof(WORD))

static HINSTANCE s_registeredFor;

static LRESULT CALLBACK TweakWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

BOOL RegisterTweakClass(HINSTANCE hInstance)
{
    if (s_registeredFor == hInstance)
        return TRUE;

    WNDCLASSW wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = TweakWndProc;
    wc.cbClsExtra = sizeof(LONG_PTR); /* the procedure put on buddies */
    wc.cbWndExtra = TWEAK_EXTRA;
    wc.hInstance = hInstance;
    wc.hCursor = LoadCursorW(NULL, (LPCWSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    wc.lpszClassName = TWEAK_CLASS;
    if (!RegisterClassW(&wc))
        return FALSE;
    s_registeredFor = hInstance;
    return TRUE;
}
