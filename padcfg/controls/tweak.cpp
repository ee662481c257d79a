/*
 * The Tweak spin control: two arrows beside an edit field that ask the parent
 * dialog to step the field's number up or down. It holds no value: every
 * click, auto-repeat and Up or Down key typed into its buddy edit becomes a
 * WM_COMMAND to the parent, which changes the field's text itself.
 */
#include "padcfg.h"

#define PRESSED_UPPER 1
#define PRESSED_LOWER 2

#define MAX_TWEAKS 10
#define REPEAT_MS 60
#define REPEAT_DELAY_TICKS 6 /* the first repeat comes on the tick after these */

static HINSTANCE s_registeredFor;

/* Every live Tweak, so that an edit can find the Tweak it is the buddy of. */
static TweakInfo *s_tweaks[MAX_TWEAKS];
WORD g_tweakCount;

static LRESULT CALLBACK BuddyEditProc(HWND edit, UINT msg, WPARAM wParam, LPARAM lParam);

static LONG MidOf(const RECT *rc)
{
    return (rc->top + rc->bottom) / 2;
}

/* The Tweak whose buddy is edit (the last such entry), or null. */
static TweakInfo *FindTweakOf(HWND edit)
{
    TweakInfo *found = NULL;
    for (WORD i = 0; i < g_tweakCount; i++)
        if (s_tweaks[i]->buddy == edit)
            found = s_tweaks[i];
    return found;
}

static void TWEAK_InvertHalf(const TweakInfo *info, HDC hdc, WORD half)
{
    RECT rc;
    GetClientRect(info->self, &rc);
    LONG mid = MidOf(&rc);
    if (half == 0)
        PatBlt(hdc, rc.left, rc.top, rc.right - rc.left, mid - rc.top, DSTINVERT);
    else
        PatBlt(hdc, rc.left, mid, rc.right - rc.left, rc.bottom - mid, DSTINVERT);
}

/* half 0 is the upper arrow, 1 the lower one. */
static void TWEAK_ShowHalf(TweakInfo *info, WORD half, BOOL pressed)
{
    WORD bit = (WORD)(half == 0 ? PRESSED_UPPER : PRESSED_LOWER);
    if (((info->pressed & bit) != 0) == (pressed != 0))
        return;
    info->pressed ^= bit;
    HDC hdc = GetDC(info->self);
    TWEAK_InvertHalf(info, hdc, half);
    ReleaseDC(info->self, hdc);
}

static void TWEAK_DeleteArrowImage(TweakInfo *info)
{
    if (info->image)
        DeleteObject(info->image);
    info->image = NULL;
}

/* Detaches the present buddy, putting its own procedure back. */
static void TWEAK_DetachBuddy(TweakInfo *info)
{
    if (!info->buddy)
        return;
    SetWindowLongPtr(info->buddy, GWLP_WNDPROC, (LONG_PTR)info->buddyProc);
    info->buddy = NULL;
    info->buddyProc = NULL;
}

static HWND TWEAK_AttachBuddy(TweakInfo *info, HWND edit)
{
    /* A refusal keeps the present attachment; attaching the same edit again
       is refused too, so an edit is never subclassed twice. */
    if (edit && (!IsWindowOfClass(edit, TEXT("EDIT")) || FindTweakOf(edit)))
        return NULL;

    TWEAK_DetachBuddy(info);
    if (!edit)
        return NULL;

    if (!GetClassLongPtr(info->self, 0))
        SetClassLongPtr(info->self, 0, (LONG_PTR)BuddyEditProc);
    info->buddy = edit;
    info->buddyProc = (WNDPROC)GetWindowLongPtr(edit, GWLP_WNDPROC);
    SetWindowLongPtr(edit, GWLP_WNDPROC, GetClassLongPtr(info->self, 0));
    return edit;
}

static LRESULT CALLBACK BuddyEditProc(HWND edit, UINT msg, WPARAM wParam, LPARAM lParam)
{
    TweakInfo *tweak = FindTweakOf(edit);
    /* Without its Tweak the edit still answers as an edit. */
    WNDPROC own = tweak ? tweak->buddyProc : (WNDPROC)GetClassLongPtr(edit, GCLP_WNDPROC);

    switch (msg) {
    case WM_DESTROY:
        if (tweak)
            SendMessage(tweak->self, CM_WRITE, 0, 0);
        break;
    case WM_KEYDOWN:
    case WM_KEYUP:
        if (tweak && (wParam == VK_UP || wParam == VK_DOWN)) {
            WORD half = (WORD)(wParam == VK_UP ? 0 : 1);
            TWEAK_ShowHalf(tweak, half, msg == WM_KEYDOWN);
            if (msg == WM_KEYDOWN)
                NotifyParent(tweak->self, (WORD)(TWN_UP + half));
            return 0; /* the edit's caret stays where it is */
        }
        break;
    }
    return CallWindowProc(own, edit, msg, wParam, lParam);
}

/* One 1-bit arrow pointing up; the lower arrow is the same image stretched
   upside down. */
static HBITMAP MakeArrowImage(HDC mem, int w, int h)
{
    HBITMAP image = CreateBitmap(w, h, 1, 1, NULL);
    if (!image)
        return NULL;
    HGDIOBJ oldImage = SelectObject(mem, image);
    PatBlt(mem, 0, 0, w, h, WHITENESS);
    HGDIOBJ oldBrush = SelectObject(mem, GetStockObject(BLACK_BRUSH));
    POINT arrow[3] = {{0, h}, {w, h}, {w / 2, 0}};
    Polygon(mem, arrow, 3);
    SelectObject(mem, oldBrush);
    SelectObject(mem, oldImage);
    return image;
}

static void TWEAK_Paint(TweakInfo *info)
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(info->self, &ps);
    RECT rc;
    GetClientRect(info->self, &rc);
    LONG mid = MidOf(&rc);
    int cxBorder = GetSystemMetrics(SM_CXBORDER);
    int cyBorder = GetSystemMetrics(SM_CYBORDER);

    HPEN pen = CreatePen(PS_SOLID, cyBorder, GetSysColor(COLOR_WINDOWFRAME));
    HGDIOBJ oldPen = SelectObject(hdc, pen);
    MoveToEx(hdc, rc.left, mid, NULL);
    LineTo(hdc, rc.right, mid);
    SelectObject(hdc, oldPen);
    DeleteObject(pen);

    int w = rc.right - 4 * cxBorder - rc.left;
    int h = mid - 4 * cyBorder;
    HDC mem = CreateCompatibleDC(hdc);
    if (!info->image && w > 0 && h > 0)
        info->image = MakeArrowImage(mem, w, h);
    if (info->image) {
        /* White pixels take the button face, black ones the button text. */
        SetBkColor(hdc, GetSysColor(COLOR_BTNFACE));
        SetTextColor(hdc, GetSysColor(COLOR_BTNTEXT));
        HGDIOBJ oldImage = SelectObject(mem, info->image);
        BitBlt(hdc, rc.left + 2 * cxBorder, rc.top + 2 * cyBorder, w, h, mem, 0, 0, SRCCOPY);
        StretchBlt(hdc, rc.left + 2 * cxBorder, rc.bottom - 2 * cyBorder, w, -h, mem, 0, 0, w, h,
                   SRCCOPY);
        SelectObject(mem, oldImage);
    }
    DeleteDC(mem);

    /* A half held down while it is repainted stays shown pressed, so that its
       release inverts it back to the plain face. */
    if (info->pressed & PRESSED_UPPER)
        TWEAK_InvertHalf(info, hdc, 0);
    if (info->pressed & PRESSED_LOWER)
        TWEAK_InvertHalf(info, hdc, 1);
    EndPaint(info->self, &ps);
}

/* Button up, or the capture taken away: stop repeating, show both released. */
static void TWEAK_EndPress(TweakInfo *info)
{
    KillTimer(info->self, 0);
    info->ticks = 0;
    TWEAK_ShowHalf(info, 0, FALSE);
    TWEAK_ShowHalf(info, 1, FALSE);
}

static void TWEAK_OnButtonDown(TweakInfo *info, LPARAM lParam)
{
    RECT rc;
    GetClientRect(info->self, &rc);
    SetCapture(info->self);
    SetTimer(info->self, 0, REPEAT_MS, NULL);
    WORD half = (WORD)((WORD)HIWORD(lParam) < (WORD)MidOf(&rc) ? 0 : 1);
    TWEAK_ShowHalf(info, half, TRUE);
    NotifyParent(info->self, (WORD)(TWN_UP + half));
    if (info->buddy)
        SetFocus(info->buddy);
}

static void TWEAK_OnTimer(TweakInfo *info)
{
    if (!info->pressed) {
        KillTimer(info->self, 0);
        info->ticks = 0;
    } else if (info->ticks < REPEAT_DELAY_TICKS) {
        info->ticks++;
    } else {
        NotifyParent(info->self, info->pressed == PRESSED_LOWER ? TWN_DOWN : TWN_UP);
    }
}

static LRESULT TWEAK_Create(HWND tweak)
{
    if (g_tweakCount >= MAX_TWEAKS)
        return -1; /* the window is destroyed and its creation fails */
    TweakInfo *info = (TweakInfo *)NewControlRecord(tweak, sizeof(*info));
    if (!info)
        return -1;
    info->self = tweak;
    s_tweaks[g_tweakCount++] = info;
    return 0;
}

static void TWEAK_Destroy(TweakInfo *info)
{
    TWEAK_DetachBuddy(info);
    TWEAK_DeleteArrowImage(info);
    for (WORD i = 0; i < g_tweakCount; i++) {
        if (s_tweaks[i] == info) {
            s_tweaks[i] = s_tweaks[--g_tweakCount];
            s_tweaks[g_tweakCount] = NULL;
            break;
        }
    }
    FreeControlRecord(info->self);
}

/* A message outside the record's life, WM_CREATE to WM_DESTROY, finds none. */
static LRESULT CALLBACK TweakWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    TweakInfo *info = (TweakInfo *)GetWindowLongPtr(hwnd, 0);
    if (!info && msg != WM_CREATE)
        return DefWindowProc(hwnd, msg, wParam, lParam);

    switch (msg) {
    case WM_CREATE:
        return TWEAK_Create(hwnd);
    case WM_DESTROY:
        TWEAK_Destroy(info);
        return 0;
    case WM_SIZE:
        TWEAK_DeleteArrowImage(info); /* the next paint builds it at the new size */
        return 0;
    case WM_PAINT:
        TWEAK_Paint(info);
        return 0;
    case WM_LBUTTONDOWN:
        TWEAK_OnButtonDown(info, lParam);
        return 0;
    case WM_LBUTTONUP:
        TWEAK_EndPress(info);
        ReleaseCapture();
        return 0;
    case WM_CAPTURECHANGED:
        /* Taken away while held (a box popped up, another program came
           forward): without the button's release the repeat would run on. */
        if ((HWND)lParam != hwnd)
            TWEAK_EndPress(info);
        return 0;
    case WM_TIMER:
        TWEAK_OnTimer(info);
        return 0;
    case WM_SETFOCUS:
        SetFocus((HWND)wParam); /* a Tweak never keeps the focus */
        return 0;
    case CM_READ:
        return (LRESULT)info->buddy;
    case CM_WRITE:
        return (LRESULT)TWEAK_AttachBuddy(info, (HWND)wParam);
    }
    return DefWindowProc(hwnd, msg, wParam, lParam);
}

/* One pointer of class data: the procedure put on buddies. */
BOOL RegisterTweakClass(HINSTANCE hInstance)
{
    return RegisterControlClass(hInstance, &s_registeredFor, TWEAK_CLASS, TweakWndProc,
                                sizeof(LONG_PTR), sizeof(TweakInfo *), COLOR_BTNFACE);
}
