/*
 * The tracking-area control ("SetArea"): a picture of the tablet with the
 * active area inside it, where the user can point out a new area with the pen.
 *
 * While it has the focus it opens a digitizing context over the whole tablet,
 * hides the mouse pointer, lets a crosshair caret follow the pen and takes two
 * clicks: the lower-left, then the upper-right corner of the new area. Every
 * stage is reported to the parent with WM_COMMAND, so the dialog can show a
 * prompt and take the rectangle.
 */
#include "padcfg.h"

/* Window extra data: the current and the saved rectangle (left, top, right,
   bottom, tablet counts, y downward from the top edge), then the state. */
#define SA_CURRENT 0
#define SA_SAVED (SA_CURRENT + 4 * sizeof(LONG))
#define SA_STATE (SA_SAVED + 4 * sizeof(LONG))
#define SETAREA_EXTRA (SA_STATE + sizeof(WORD))

/* State flags. */
#define SA_SUSPENDED 0x0001  /* pen ignored until a mouse click restarts the capture */
#define SA_FOCUSED 0x0002    /* the control has the focus */
#define SA_PAINTED 0x0004    /* the current rectangle has a width and a height */
#define SA_POINTING 0x0008   /* pointing mode entered for this capture */
#define SA_SECOND_DUE 0x0020 /* the first corner is taken */
#define SA_DEFINED 0x0040    /* a rectangle was defined in this focus period */
#define SA_ENDED 0x2000      /* capture over; waiting until no pen button is down */
#define SA_OUT 0x4000        /* the pen is outside the permitted rectangle */
#define SA_CLICK_DOWN 0x8000 /* a click button is down: a press counts only from up */

#define SA_TIMER 0
#define SA_TIMEOUT 5000   /* ms without a packet that end a capture */
#define SA_NO_BLINK 65000 /* ms: the crosshair must not blink while it follows the pen */
#define SA_PACKET_DATA (PK_CURSOR | PK_BUTTONS | PK_X | PK_Y)
#define MAX_CLICK_MASKS 32

/* The packet as the context asks for it (SA_PACKET_DATA, in PK_ bit order). */
struct SetAreaPacket {
    UINT pkCursor;
    DWORD pkButtons;
    LONG pkX;
    LONG pkY;
};
/* The driver writes the fields packed in this order, four bytes each. */
static_assert(sizeof(SetAreaPacket) == 16 && offsetof(SetAreaPacket, pkButtons) == 4 &&
                  offsetof(SetAreaPacket, pkX) == 8 && offsetof(SetAreaPacket, pkY) == 12,
              "the pen packet as the driver writes it");

/* Shared by every SetArea window: the panel shows one at a time. */
HCTX g_pointContext;
static UINT s_firstCursor;
static UINT s_cursorTypes;
/* Per cursor type of the device: bit n set when physical button n clicks left. */
static DWORD s_clickMasks[MAX_CLICK_MASKS];
static BOOL s_pointing;
static HBITMAP s_crosshair;
static int s_caretCx, s_caretCy;
/* Where the crosshair stands, once shown, and where it is due. Redrawing the
   caret is the dearest part of a packet: it is skipped when the pen stays
   on the same pixel, and while newer packets wait in the queue it is left to
   the newest (a pen moves less than a pixel between most packets). */
static POINT s_caretAt, s_caretDue;
static BOOL s_caretShown, s_caretPending;
/* The time-out runs from the last packet; re-arming a timer for every
   packet would cost a round trip to the window system each time. */
static DWORD s_lastPacket;
static BOOL s_timing;
/* The axes the context was opened over, so packets need not ask the driver. */
static AXIS s_captureX, s_captureY;
/* Kept whole: a user's "no blinking" (INFINITE) does not fit 16 bits. */
static UINT s_savedBlinkTime;
static int s_pointerHides; /* ShowCursor(FALSE) calls to undo */

static HINSTANCE s_registeredFor;

/* ---- Window data ---- */

static WORD GetState(HWND hwnd)
{
    return (WORD)GetWindowWord(hwnd, SA_STATE);
}

/* Read-modify-write at once: a notification may re-enter the control. */
static void ChangeState(HWND hwnd, WORD set, WORD clear)
{
    SetWindowWord(hwnd, SA_STATE, (WORD)((GetState(hwnd) & ~clear) | set));
}

static void GetArea(HWND hwnd, int slot, LONG r[4])
{
    for (int i = 0; i < 4; i++)
        r[i] = GetWindowLongW(hwnd, slot + i * (int)sizeof(LONG));
}

static void PutArea(HWND hwnd, int slot, const LONG r[4])
{
    for (int i = 0; i < 4; i++)
        SetWindowLongW(hwnd, slot + i * (int)sizeof(LONG), r[i]);
}

/* Every change of the current rectangle keeps the painted flag true to it. */
static void SetCurrent(HWND hwnd, const LONG r[4])
{
    PutArea(hwnd, SA_CURRENT, r);
    if (r[2] == r[0] || r[3] == r[1])
        ChangeState(hwnd, 0, SA_PAINTED);
    else
        ChangeState(hwnd, SA_PAINTED, 0);
}

static void RepaintNow(HWND hwnd)
{
    InvalidateRect(hwnd, NULL, TRUE);
    UpdateWindow(hwnd);
}

static void StartTimeout(HWND hwnd, UINT ms)
{
    SetTimer(hwnd, SA_TIMER, ms, NULL);
    s_timing = TRUE;
}

static void StopTimeout(HWND hwnd)
{
    KillTimer(hwnd, SA_TIMER);
    s_timing = FALSE;
}

/* ---- Tablet geometry ---- */

/* An axis the driver cannot deliver reads as empty (0 to 0). */
static void ReadAxes(AXIS *x, AXIS *y)
{
    ReadTabletAxis(0, x);
    ReadTabletAxis(KIND_Y, y);
}

/* Counted from the tablet's top-left corner, whatever the axes' origin. */
static void WholeTablet(LONG r[4])
{
    AXIS x, y;
    ReadAxes(&x, &y);
    r[0] = 0;
    r[1] = 0;
    r[2] = x.axMax - x.axMin;
    r[3] = y.axMax - y.axMin;
}

/* v counts of an axis with this extent on size pixels. MulDivHalf halves its
   operands, so an extent below 2 would divide by zero: such an axis, or an
   empty client, maps everything onto the border. */
static LONG ScaleToClient(LONG v, LONG size, LONG extent)
{
    if (size <= 0 || extent < 2)
        return 0;
    return (LONG)MulDivHalf((DWORD)v, (DWORD)size, (DWORD)extent);
}

static void MapWithAxes(HWND hwnd, const AXIS *x, const AXIS *y, int n, POINT *points)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    int bx = GetSystemMetrics(SM_CXBORDER), by = GetSystemMetrics(SM_CYBORDER);
    LONG w = rc.right - 2 * bx, h = rc.bottom - 2 * by;
    for (int i = 0; i < n; i++) {
        points[i].x = ScaleToClient(points[i].x, w, x->axMax - x->axMin) + bx;
        points[i].y = ScaleToClient(points[i].y, h, y->axMax - y->axMin) + by;
    }
}

static void MapTabletToClient(HWND hwnd, int n, POINT *points)
{
    AXIS x, y;
    ReadAxes(&x, &y);
    MapWithAxes(hwnd, &x, &y, n, points);
}

static void Paint(HWND hwnd)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    WORD state = GetState(hwnd);
    /* The class brush has drawn the tablet surface. */
    if (state & SA_PAINTED) {
        LONG r[4];
        GetArea(hwnd, SA_CURRENT, r);
        POINT p[2] = {{r[0], r[1]}, {r[2], r[3]}};
        MapTabletToClient(hwnd, 2, p);
        int color = (state & SA_FOCUSED) ? COLOR_BTNFACE : COLOR_BTNSHADOW;
        HGDIOBJ old = SelectObject(dc, GetSysColorBrush(color));
        PatBlt(dc, (short)p[0].x, (short)p[0].y, (short)(p[1].x - p[0].x), (short)(p[1].y - p[0].y),
               PATCOPY);
        SelectObject(dc, old);
    } else if (state & SA_FOCUSED) {
        RECT rc;
        GetClientRect(hwnd, &rc);
        DrawFocusRect(dc, &rc);
    }
    EndPaint(hwnd, &ps);
}

/* ---- The pen ---- */

static void ComputeClickMasks(void)
{
    s_cursorTypes = GetDeviceCursors(&s_firstCursor);
    /* A device with more cursor types keeps masks for the first ones only. */
    for (UINT i = 0; i < MAX_CLICK_MASKS; i++) {
        s_clickMasks[i] = 1; /* a map that cannot be read: button 0 clicks */
        BYTE map[BUTTON_MAP_SIZE];
        ZeroMemory(map, sizeof(map));
        if (i < s_cursorTypes && ReadButtonMap(s_firstCursor + i, map)) {
            s_clickMasks[i] = 0;
            for (int n = 0; n < BUTTON_MAP_SIZE; n++)
                if (map[n] == SBN_LCLICK)
                    s_clickMasks[i] |= 1u << n;
        }
    }
}

/* pkCursor comes from the driver: one outside the device's cursor types, or
   beyond the table, is treated like a cursor whose map cannot be read. */
static DWORD ClickMask(UINT cursor)
{
    UINT i = cursor - s_firstCursor;
    if (i >= s_cursorTypes || i >= MAX_CLICK_MASKS)
        return 1;
    return s_clickMasks[i];
}

static void OpenPointingContext(HWND hwnd, BOOL open)
{
    if (!open) {
        if (g_pointContext)
            WTClose(g_pointContext);
        g_pointContext = NULL;
        return;
    }
    if (g_pointContext)
        return;

    LOGCONTEXTW lc;
    ZeroMemory(&lc, sizeof(lc));
    WTInfoCopy(WTI_DEFCONTEXT, 0, &lc, sizeof(lc));
    ReadAxes(&s_captureX, &s_captureY);
    const AXIS &x = s_captureX, &y = s_captureY;
    lc.lcOptions = CXO_MESSAGES;
    /* The control listens at the default base, whatever the default context says. */
    lc.lcMsgBase = WT_DEFBASE;
    lc.lcDevice = GetTabletDevice();
    lc.lcLocks = 0xFFFFFFFF;
    lc.lcPktData = SA_PACKET_DATA;
    lc.lcPktMode = 0;
    /* Over the whole tablet, reported from its top-left corner at 0 with y
       growing downward, as the panel counts. */
    lc.lcInOrgX = x.axMin;
    lc.lcInOrgY = y.axMin;
    lc.lcInExtX = lc.lcOutExtX = x.axMax - x.axMin;
    lc.lcInExtY = y.axMax - y.axMin;
    lc.lcOutOrgX = lc.lcOutOrgY = 0;
    lc.lcOutExtY = -(y.axMax - y.axMin);
    g_pointContext = WTOpenW(hwnd, &lc, TRUE);
    ComputeClickMasks();
}

/* A 1-bit crosshair of the pointer's size: white lines invert the picture. */
static HBITMAP MakeCrosshair(int cx, int cy)
{
    HBITMAP bitmap = CreateBitmap(cx, cy, 1, 1, NULL);
    HDC display = CreateDCW(L"DISPLAY", NULL, NULL, NULL);
    HDC mem = CreateCompatibleDC(display);
    HGDIOBJ oldBitmap = SelectObject(mem, bitmap);
    HGDIOBJ oldPen = SelectObject(mem, GetStockObject(WHITE_PEN));
    PatBlt(mem, 0, 0, cx, cy, BLACKNESS);
    MoveToEx(mem, 0, cy / 2, NULL);
    LineTo(mem, cx + 1, cy / 2);
    MoveToEx(mem, cx / 2, 0, NULL);
    LineTo(mem, cx / 2, cy + 1);
    SelectObject(mem, oldPen);
    SelectObject(mem, oldBitmap);
    DeleteDC(mem);
    DeleteDC(display);
    return bitmap;
}

static void PlaceCaret(HWND hwnd)
{
    if (!s_caretPending)
        return;
    s_caretPending = FALSE;
    SetCaretPos(s_caretDue.x, s_caretDue.y);
    s_caretAt = s_caretDue;
    if (!s_caretShown)
        ShowCaret(hwnd);
    s_caretShown = TRUE;
}

/* The crosshair centred on pen position p of the client area. */
static void FollowPen(HWND hwnd, POINT p)
{
    s_caretDue.x = p.x - s_caretCx / 2;
    s_caretDue.y = p.y - s_caretCy / 2;
    s_caretPending = !s_caretShown || s_caretDue.x != s_caretAt.x || s_caretDue.y != s_caretAt.y;
    MSG newer;
    if (s_caretPending && !PeekMessageW(&newer, hwnd, WT_PACKET(WT_DEFBASE), WT_PACKET(WT_DEFBASE),
                                        PM_NOREMOVE | PM_NOYIELD))
        PlaceCaret(hwnd);
}

static void SetPointingMode(HWND hwnd, BOOL on)
{
    if (s_pointing == on)
        return;
    s_pointing = on;

    if (on) {
        int count;
        s_pointerHides = 0;
        do {
            count = ShowCursor(FALSE);
            s_pointerHides++;
        } while (count >= 0);
        if (g_pointContext) {
            WTEnable(g_pointContext, TRUE);
            WTOverlap(g_pointContext, TRUE);
        }
        s_caretCx = GetSystemMetrics(SM_CXCURSOR);
        s_caretCy = GetSystemMetrics(SM_CYCURSOR);
        s_crosshair = MakeCrosshair(s_caretCx, s_caretCy);
        CreateCaret(hwnd, s_crosshair, 0, 0);
        s_caretShown = s_caretPending = FALSE;
        s_savedBlinkTime = GetCaretBlinkTime();
        SetCaretBlinkTime(SA_NO_BLINK);
        return;
    }

    PlaceCaret(hwnd);
    POINT caret = {0, 0};
    GetCaretPos(&caret);
    DestroyCaret();
    DeleteObject(s_crosshair);
    s_crosshair = NULL;
    SetCaretBlinkTime(s_savedBlinkTime);
    if (g_pointContext)
        WTEnable(g_pointContext, FALSE);
    /* The mouse pointer comes back where the crosshair was. */
    ClientToScreen(hwnd, &caret);
    SetCursorPos(caret.x, caret.y);
    /* Undo exactly our hiding, so the display count is as we found it. */
    for (; s_pointerHides > 0; s_pointerHides--)
        ShowCursor(TRUE);
}

/* The end of a capture by a key, the time-out or a non-click button. */
static void Suspend(HWND hwnd)
{
    StopTimeout(hwnd);
    SetPointingMode(hwnd, FALSE);
    ChangeState(hwnd, SA_SUSPENDED, SA_POINTING);
    NotifyParent(hwnd, SAN_CANCELLED);
}

/* A capture starts from the whole tablet: the dialog takes it, the prompt asks
   for the first corner. */
static void StartFromWholeTablet(HWND hwnd)
{
    LONG r[4];
    WholeTablet(r);
    SetCurrent(hwnd, r);
    NotifyParent(hwnd, SAN_WHOLE);
    RepaintNow(hwnd);
    NotifyParent(hwnd, SAN_FIRST_DUE);
}

static void TakeCorner(HWND hwnd, LONG x, LONG y)
{
    LONG r[4];
    GetArea(hwnd, SA_CURRENT, r);
    if (!(GetState(hwnd) & SA_SECOND_DUE)) {
        r[0] = x; /* lower-left */
        r[3] = y;
        SetCurrent(hwnd, r);
        ChangeState(hwnd, SA_SECOND_DUE, 0);
        NotifyParent(hwnd, SAN_SECOND_DUE);
    } else {
        StopTimeout(hwnd);
        r[2] = x; /* upper-right */
        r[1] = y;
        SetCurrent(hwnd, r);
        PutArea(hwnd, SA_SAVED, r);
        ChangeState(hwnd, SA_ENDED | SA_DEFINED, SA_POINTING | SA_SECOND_DUE);
        NotifyParent(hwnd, SAN_DEFINED);
    }
    NotifyParent(hwnd, SAN_CHANGED);
    RepaintNow(hwnd);
}

static void OnPacket(HWND hwnd, UINT serial)
{
    SetAreaPacket pkt;
    if (!WTPacket(g_pointContext, serial, &pkt))
        return;
    WORD state = GetState(hwnd);
    if (!(state & SA_FOCUSED) || (state & SA_SUSPENDED))
        return;

    if (state & SA_ENDED) {
        if (pkt.pkButtons == 0) {
            SetPointingMode(hwnd, FALSE);
            ChangeState(hwnd, SA_SUSPENDED, SA_ENDED);
        }
        return;
    }
    if (!(state & SA_POINTING)) {
        SetPointingMode(hwnd, TRUE);
        ChangeState(hwnd, SA_POINTING, 0);
    }

    POINT p = {pkt.pkX, pkt.pkY};
    MapWithAxes(hwnd, &s_captureX, &s_captureY, 1, &p);
    FollowPen(hwnd, p);

    LONG r[4];
    GetArea(hwnd, SA_CURRENT, r);
    BOOL out = pkt.pkX < r[0] || pkt.pkX > r[2] || pkt.pkY < r[1] || pkt.pkY > r[3];
    if (out && !(state & SA_OUT)) {
        ChangeState(hwnd, SA_OUT, 0);
        NotifyParent(hwnd, SAN_OUT_OF_RANGE);
    } else if (!out && (state & SA_OUT)) {
        ChangeState(hwnd, 0, SA_OUT);
        NotifyParent(hwnd, (state & SA_SECOND_DUE) ? SAN_SECOND_DUE : SAN_FIRST_DUE);
    }

    DWORD mask = ClickMask(pkt.pkCursor);
    if (pkt.pkButtons & ~mask) {
        /* Another button ends the capture; it ends for good at the release. */
        StopTimeout(hwnd);
        ChangeState(hwnd, SA_ENDED, SA_POINTING);
        NotifyParent(hwnd, SAN_CANCELLED);
        return;
    }
    if (!(pkt.pkButtons & mask)) {
        ChangeState(hwnd, 0, SA_CLICK_DOWN);
    } else if (!(GetState(hwnd) & SA_CLICK_DOWN)) {
        ChangeState(hwnd, SA_CLICK_DOWN, 0);
        if (!out)
            TakeCorner(hwnd, pkt.pkX, pkt.pkY);
    }
    /* Once the area is defined only the release is awaited: no time-out. */
    if (!(GetState(hwnd) & SA_ENDED)) {
        s_lastPacket = GetTickCount();
        if (!s_timing)
            StartTimeout(hwnd, SA_TIMEOUT);
    }
}

static void OnTimeout(HWND hwnd)
{
    StopTimeout(hwnd);
    DWORD quiet = GetTickCount() - s_lastPacket;
    if (quiet < SA_TIMEOUT)
        StartTimeout(hwnd, SA_TIMEOUT - quiet);
    else if (GetState(hwnd) & SA_CLICK_DOWN)
        StartTimeout(hwnd, SA_TIMEOUT);
    else
        Suspend(hwnd);
}

static void OnInfoChange(LPARAM lParam)
{
    UINT category = LOWORD(lParam), index = HIWORD(lParam);
    UINT first = WTI_CURSORS + s_firstCursor;
    if (category >= first && category < first + s_cursorTypes && index == CSR_SYSBTNMAP)
        ComputeClickMasks();
}

/* ---- Focus and input ---- */

static void OnSetFocus(HWND hwnd)
{
    LONG r[4];
    GetArea(hwnd, SA_CURRENT, r);
    PutArea(hwnd, SA_SAVED, r);
    /* A button still down from the click that brought the focus does not
       count; an end left over from the last focus period is forgotten. */
    ChangeState(hwnd, SA_FOCUSED | SA_CLICK_DOWN,
                SA_SUSPENDED | SA_SECOND_DUE | SA_DEFINED | SA_ENDED | SA_OUT);
    StartFromWholeTablet(hwnd);
    InvalidateRect(hwnd, NULL, TRUE);
    OpenPointingContext(hwnd, TRUE);
}

static void OnKillFocus(HWND hwnd)
{
    ChangeState(hwnd, 0, SA_FOCUSED | SA_SUSPENDED);
    if (!(GetState(hwnd) & SA_DEFINED)) {
        LONG r[4];
        GetArea(hwnd, SA_SAVED, r);
        SetCurrent(hwnd, r);
    }
    StopTimeout(hwnd);
    SetPointingMode(hwnd, FALSE);
    ChangeState(hwnd, 0, SA_POINTING | SA_SECOND_DUE);
    NotifyParent(hwnd, SAN_CHANGED);
    NotifyParent(hwnd, SAN_FOCUS_LEFT);
    InvalidateRect(hwnd, NULL, TRUE);
    OpenPointingContext(hwnd, FALSE);
}

static void OnMouseClick(HWND hwnd)
{
    WORD state = GetState(hwnd);
    if (state & SA_SUSPENDED) {
        ChangeState(hwnd, SA_CLICK_DOWN, SA_SUSPENDED | SA_ENDED);
        if (!(state & SA_SECOND_DUE))
            StartFromWholeTablet(hwnd);
        else
            NotifyParent(hwnd, SAN_SECOND_DUE);
        SetPointingMode(hwnd, TRUE);
        ChangeState(hwnd, SA_POINTING, 0);
    }
    if (!(GetState(hwnd) & SA_FOCUSED))
        SetFocus(hwnd);
}

static LRESULT CALLBACK SetAreaWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_PAINT:
        Paint(hwnd);
        return 0;
    case WM_SETFOCUS:
        OnSetFocus(hwnd);
        return 0;
    case WM_KILLFOCUS:
        OnKillFocus(hwnd);
        return 0;
    case WM_LBUTTONDOWN:
        OnMouseClick(hwnd);
        return 0;
    case WM_KEYDOWN:
        /* Tab, arrows, Enter and Escape stay the dialog's; any other key ends. */
        if (!(GetState(hwnd) & SA_SUSPENDED))
            Suspend(hwnd);
        return 0;
    case WM_TIMER:
        if (wParam != SA_TIMER)
            break;
        OnTimeout(hwnd);
        return 0;
    case CM_READ:
        if (lParam) {
            LONG r[4];
            GetArea(hwnd, SA_CURRENT, r);
            CopyMemory((LONG *)lParam, r, sizeof(r));
        }
        return 0;
    case CM_WRITE:
        if (lParam) {
            LONG r[4];
            CopyMemory(r, (const LONG *)lParam, sizeof(r));
            SetCurrent(hwnd, r);
            InvalidateRect(hwnd, NULL, TRUE);
        }
        return 0;
    case WT_PACKET(WT_DEFBASE):
        OnPacket(hwnd, (UINT)wParam);
        return 0;
    case WT_INFOCHANGE(WT_DEFBASE):
        OnInfoChange(lParam);
        return 0;
    case WM_DESTROY:
        /* Destroyed with the focus: put back the pointer, caret and context. */
        if (GetState(hwnd) & SA_FOCUSED) {
            StopTimeout(hwnd);
            SetPointingMode(hwnd, FALSE);
            OpenPointingContext(hwnd, FALSE);
            ChangeState(hwnd, 0, SA_FOCUSED | SA_POINTING);
        }
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

/* The class brush paints the tablet surface. */
BOOL RegisterSetAreaClass(HINSTANCE hInstance)
{
    return RegisterControlClass(hInstance, &s_registeredFor, SETAREA_CLASS, SetAreaWndProc, 0,
                                SETAREA_EXTRA, COLOR_BTNTEXT);
}
