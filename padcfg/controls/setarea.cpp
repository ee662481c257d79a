/*
 * The tracking-area control ("SetArea"): a picture of the tablet with the
 * active area inside it, where the user can point out a new area with the pen.
 */
#include "padcfg.h"

/* Window extra data: current and saved rectangles (four LONGs each) and the
   16-bit state flags. */
#define SETAREA_EXTRA (8 * sizeof(LONG) + sizeof(WORD))

static HINSTANCE s_registeredFor;

static LRESULT CALLBACK SetAreaWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

BOOL RegisterSetAreaClass(HINSTANCE hInstance)
{
    if (s_registeredFor == hInstance)
        return TRUE;

    WNDCLASSW wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = SetAreaWndProc;
    wc.cbWndExtra = SETAREA_EXTRA;
    wc.hInstance = hInstance;
    wc.hCursor = LoadCursorW(NULL, (LPCWSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_BTNTEXT + 1); /* the tablet surface */
    wc.lpszClassName = SETAREA_CLASS;
    if (!RegisterClassW(&wc))
        return FALSE;
    s_registeredFor = hInstance;
    return TRUE;
}
