/*
 * The Tweak spin control: two arrows beside an edit field that ask the parent
 * dialog to step the field's number up or down. It holds no value: every
 * click, auto-repeat and Up or Down key typed into its buddy edit becomes a
 * WM_COMMAND to the parent, which changes the field's text itself.
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

#define PRESSED_UPPER 1
#define PRESSED_LOWER 2

#define MAX_TWEAKS 10
#define REPEAT_MS 60
#define REPEAT_DELAY_TICKS 6 /* the first repeat comes on the tick after these */

static HINSTANCE s_registeredFor;

/* Every live Tweak, so that an edit can find the Tweak it is the buddy of. */
static HWND s_tweaks[MAX_TWEAKS];
WORD g_tweakCount;

static LRESULT CALLBACK BuddyEditProc(HWND edit, UINT msg, WPARAM wParam, LPARAM lParam);

static HWND GetBuddy(HWND tweak)
{
    return (HWND)GetWindowLongPtrW(tweak, TWEAK_BUDDY);
}

static WNDPROC GetBuddyProc(HWND tweak)
{
    return (WNDPROC)GetWindowLongPtrW(tweak, TWEAK_BUDDYPROC);
}

static LONG MidOf(const RECT *rc)
{
    return (rc->top + rc->bottom) / 2;
}

/* The Tweak whose buddy is edit (the last such entry), or null. */
static HWND FindTweakOf(HWND edit)
{
    HWND found = NULL;
    for (WORD i = 0; i < g_tweakCount; i++)
        if (GetBuddy(s_tweaks[i]) == edit)
            found = s_tweaks[i];
    return found;
}

static void InvertHalf(HWND tweak, HDC hdc, WORD half)
{
    RECT rc;
    GetClientRect(tweak, &rc);
    LONG mid = MidOf(&rc);
    if (half == 0)
        PatBlt(hdc, rc.left, rc.top, rc.right - rc.left, mid - rc.top, DSTINVERT);
    else
        PatBlt(hdc, rc.left, mid, rc.right - rc.left, rc.bottom - mid, DSTINVERT);
}

/* half 0 is the upper arrow, 1 the lower one. */
static void ShowHalf(HWND tweak, WORD half, BOOL pressed)
{
    WORD bit = (WORD)(half == 0 ? PRESSED_UPPER : PRESSED_LOWER);
    WORD state = (WORD)GetWindowWord(tweak, TWEAK_PRESSED);
    if (((state & bit) != 0) == (pressed != 0))
        return;
    SetWindowWord(tweak, TWEAK_PRESSED, (WORD)(state ^ bit));
    HDC hdc = GetDC(tweak);
    InvertHalf(tweak, hdc, half);
    ReleaseDC(tweak, hdc);
}

static void DeleteArrowImage(HWND tweak)
{
    HBITMAP image = (HBITMAP)SetWindowLongPtrW(tweak, TWEAK_IMAGE, 0);
    if (image)
        DeleteObject(image);
}

/* Detaches the present buddy, putting its own procedure back. */
static void DetachBuddy(HWND tweak)
{
    HWND buddy = GetBuddy(tweak);
    if (!buddy)
        return;
    SetWindowLongPtrW(buddy, GWLP_WNDPROC, (LONG_PTR)GetBuddyProc(tweak));
    SetWindowLongPtrW(tweak, TWEAK_BUDDY, 0);
    SetWindowLongPtrW(tweak, TWEAK_BUDDYPROC, 0);
}

static HWND AttachBuddy(HWND tweak, HWND edit)
{
    /* A refusal keeps the present attachment; attaching the same edit again
       is refused too, so an edit is never subclassed twice. */
    if (edit && (!IsWindowOfClass(edit, TEXT("EDIT")) || FindTweakOf(edit)))
        return NULL;

    DetachBuddy(tweak);
    if (!edit)
        return NULL;

    if (!GetClassLongPtrW(tweak, 0))
        SetClassLongPtrW(tweak, 0, (LONG_PTR)BuddyEditProc);
    SetWindowLongPtrW(tweak, TWEAK_BUDDY, (LONG_PTR)edit);
    SetWindowLongPtrW(tweak, TWEAK_BUDDYPROC, GetWindowLongPtrW(edit, GWLP_WNDPROC));
    SetWindowLongPtrW(edit, GWLP_WNDPROC, GetClassLongPtrW(tweak, 0));
    return edit;
}

static LRESULT CALLBACK BuddyEditProc(HWND edit, UINT msg, WPARAM wParam, LPARAM lParam)
{
    HWND tweak = FindTweakOf(edit);
    /* Without its Tweak the edit still answers as an edit. */
    WNDPROC own = tweak ? GetBuddyProc(tweak) : (WNDPROC)GetClassLongPtrW(edit, GCLP_WNDPROC);

    switch (msg) {
    case WM_DESTROY:
        if (tweak)
            SendMessageW(tweak, CM_WRITE, 0, 0);
        break;
    case WM_KEYDOWN:
    case WM_KEYUP:
        if (tweak && (wParam == VK_UP || wParam == VK_DOWN)) {
            WORD half = (WORD)(wParam == VK_UP ? 0 : 1);
            ShowHalf(tweak, half, msg == WM_KEYDOWN);
            if (msg == WM_KEYDOWN)
                NotifyParent(tweak, (WORD)(TWN_UP + half));
            return 0; /* the edit's caret stays where it is */
        }
        break;
    }
    return CallWindowProcW(own, edit, msg, wParam, lParam);
}

static void PaintTweak(HWND tweak)
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(tweak, &ps);
    RECT rc;
    GetClientRect(tweak, &rc);
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
    HBITMAP image = (HBITMAP)GetWindowLongPtrW(tweak, TWEAK_IMAGE);
    if (!image && w > 0 && h > 0) {
        /* One 1-bit arrow pointing up; the lower arrow is the same image
           stretched upside down. */
        image = CreateBitmap(w, h, 1, 1, NULL);
        if (image) {
            HGDIOBJ oldImage = SelectObject(mem, image);
            PatBlt(mem, 0, 0, w, h, WHITENESS);
            HGDIOBJ oldBrush = SelectObject(mem, GetStockObject(BLACK_BRUSH));
            POINT arrow[3] = {{0, h}, {w, h}, {w / 2, 0}};
            Polygon(mem, arrow, 3);
            SelectObject(mem, oldBrush);
            SelectObject(mem, oldImage);
            SetWindowLongPtrW(tweak, TWEAK_IMAGE, (LONG_PTR)image);
        }
    }
    if (image) {
        /* White pixels take the button face, black ones the button text. */
        SetBkColor(hdc, GetSysColor(COLOR_BTNFACE));
        SetTextColor(hdc, GetSysColor(COLOR_BTNTEXT));
        HGDIOBJ oldImage = SelectObject(mem, image);
        BitBlt(hdc, rc.left + 2 * cxBorder, rc.top + 2 * cyBorder, w, h, mem, 0, 0, SRCCOPY);
        StretchBlt(hdc, rc.left + 2 * cxBorder, rc.bottom - 2 * cyBorder, w, -h, mem, 0, 0, w, h,
                   SRCCOPY);
        SelectObject(mem, oldImage);
    }
    DeleteDC(mem);

    /* A half held down while it is repainted stays shown pressed, so that its
       release inverts it back to the plain face. */
    WORD state = (WORD)GetWindowWord(tweak, TWEAK_PRESSED);
    if (state & PRESSED_UPPER)
        InvertHalf(tweak, hdc, 0);
    if (state & PRESSED_LOWER)
        InvertHalf(tweak, hdc, 1);
    EndPaint(tweak, &ps);
}

/* Button up, or the capture taken away: stop repeating, show both released. */
static void EndPress(HWND tweak)
{
    KillTimer(tweak, 0);
    SetWindowWord(tweak, TWEAK_TICKS, 0);
    ShowHalf(tweak, 0, FALSE);
    ShowHalf(tweak, 1, FALSE);
}

static void OnButtonDown(HWND tweak, LPARAM lParam)
{
    RECT rc;
    GetClientRect(tweak, &rc);
    SetCapture(tweak);
    SetTimer(tweak, 0, REPEAT_MS, NULL);
    WORD half = (WORD)((WORD)HIWORD(lParam) < (WORD)MidOf(&rc) ? 0 : 1);
    ShowHalf(tweak, half, TRUE);
    NotifyParent(tweak, (WORD)(TWN_UP + half));
    HWND buddy = GetBuddy(tweak);
    if (buddy)
        SetFocus(buddy);
}

static void OnTimer(HWND tweak)
{
    WORD state = (WORD)GetWindowWord(tweak, TWEAK_PRESSED);
    WORD ticks = (WORD)GetWindowWord(tweak, TWEAK_TICKS);
    if (!state) {
        KillTimer(tweak, 0);
        SetWindowWord(tweak, TWEAK_TICKS, 0);
    } else if (ticks < REPEAT_DELAY_TICKS) {
        SetWindowWord(tweak, TWEAK_TICKS, (WORD)(ticks + 1));
    } else {
        NotifyParent(tweak, state == PRESSED_LOWER ? TWN_DOWN : TWN_UP);
    }
}

static LRESULT OnCreate(HWND tweak)
{
    if (g_tweakCount >= MAX_TWEAKS)
        return -1; /* the window is destroyed and its creation fails */
    s_tweaks[g_tweakCount++] = tweak;
    SetWindowLongPtrW(tweak, TWEAK_BUDDY, 0);
    SetWindowLongPtrW(tweak, TWEAK_BUDDYPROC, 0);
    SetWindowWord(tweak, TWEAK_PRESSED, 0);
    SetWindowLongPtrW(tweak, TWEAK_IMAGE, 0);
    SetWindowWord(tweak, TWEAK_TICKS, 0);
    return 0;
}

static void OnDestroy(HWND tweak)
{
    DetachBuddy(tweak);
    DeleteArrowImage(tweak);
    for (WORD i = 0; i < g_tweakCount; i++) {
        if (s_tweaks[i] == tweak) {
            s_tweaks[i] = s_tweaks[--g_tweakCount];
            s_tweaks[g_tweakCount] = NULL;
            break;
        }
    }
}

static LRESULT CALLBACK TweakWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE:
        return OnCreate(hwnd);
    case WM_DESTROY:
        OnDestroy(hwnd);
        return 0;
    case WM_SIZE:
        DeleteArrowImage(hwnd); /* the next paint builds it at the new size */
        return 0;
    case WM_PAINT:
        PaintTweak(hwnd);
        return 0;
    case WM_LBUTTONDOWN:
        OnButtonDown(hwnd, lParam);
        return 0;
    case WM_LBUTTONUP:
        EndPress(hwnd);
        ReleaseCapture();
        return 0;
    case WM_CAPTURECHANGED:
        /* Taken away while held (a box popped up, another program came
           forward): without the button's release the repeat would run on. */
        if ((HWND)lParam != hwnd)
            EndPress(hwnd);
        return 0;
    case WM_TIMER:
        OnTimer(hwnd);
        return 0;
    case WM_SETFOCUS:
        SetFocus((HWND)wParam); /* a Tweak never keeps the focus */
        return 0;
    case CM_READ:
        return (LRESULT)GetBuddy(hwnd);
    case CM_WRITE:
        return (LRESULT)AttachBuddy(hwnd, (HWND)wParam);
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

/* One pointer of class data: the procedure put on buddies. */
BOOL RegisterTweakClass(HINSTANCE hInstance)
{
    return RegisterControlClass(hInstance, &s_registeredFor, TWEAK_CLASS, TweakWndProc,
                                sizeof(LONG_PTR), TWEAK_EXTRA, COLOR_BTNFACE);
}
