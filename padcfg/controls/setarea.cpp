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

/* Everything a SetArea window keeps, one record per window: its pointer is
   the window's only extra data, from WM_CREATE to WM_DESTROY. */
struct SetAreaInfo {
    HWND self;
    /* Left, top, right, bottom in tablet counts, y downward from the top
       edge: the rectangle shown, and the one put back when the focus leaves
       without a new definition. */
    LONG current[4];
    LONG saved[4];
    WORD state; /* SA_ flags */

    HCTX context;            /* the pen-pointing context while the control has the focus */
    AXIS captureX, captureY; /* the axes it was opened over: packets need not ask */
    UINT firstCursor, cursorTypes;
    /* Per cursor type of the device: bit n set when physical button n clicks left. */
    DWORD clickMasks[MAX_CLICK_MASKS];

    BOOL pointing;       /* the pointer hidden and the crosshair following the pen */
    int pointerHides;    /* ShowCursor(FALSE) calls to undo */
    UINT savedBlinkTime; /* kept whole: a user's "no blinking" (INFINITE) does not fit 16 bits */
    HBITMAP crosshair;
    int caretCx, caretCy;
    /* Where the crosshair stands, once shown, and where it is due. Redrawing
       the caret is the dearest part of a packet: it is skipped when the pen
       stays on the same pixel, and while newer packets wait in the queue it
       is left to the newest (a pen moves less than a pixel between most
       packets). */
    POINT caretAt, caretDue;
    BOOL caretShown, caretPending;

    /* The time-out runs from the last packet; re-arming a timer for every
       packet would cost a round trip to the window system each time. */
    DWORD lastPacket;
    BOOL timing;
};

static HINSTANCE s_registeredFor;

/* ---- The record ---- */

static void SETAREA_ChangeState(SetAreaInfo *info, WORD set, WORD clear)
{
    info->state = (WORD)((info->state & ~clear) | set);
}

/* Every change of the current rectangle keeps the painted flag true to it. */
static void SETAREA_SetCurrent(SetAreaInfo *info, const LONG r[4])
{
    CopyMemory(info->current, r, sizeof(info->current));
    if (r[2] == r[0] || r[3] == r[1])
        SETAREA_ChangeState(info, 0, SA_PAINTED);
    else
        SETAREA_ChangeState(info, SA_PAINTED, 0);
}

static void SETAREA_Notify(const SetAreaInfo *info, WORD code)
{
    NotifyParent(info->self, code);
}

static void SETAREA_RepaintNow(const SetAreaInfo *info)
{
    InvalidateRect(info->self, NULL, TRUE);
    UpdateWindow(info->self);
}

static void SETAREA_StartTimeout(SetAreaInfo *info, UINT ms)
{
    SetTimer(info->self, SA_TIMER, ms, NULL);
    info->timing = TRUE;
}

static void SETAREA_StopTimeout(SetAreaInfo *info)
{
    KillTimer(info->self, SA_TIMER);
    info->timing = FALSE;
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
    r[0] = 0;
    r[1] = 0;
    r[2] = (LONG)GetTabletWidth();
    r[3] = (LONG)GetTabletHeight();
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

static void SETAREA_Paint(const SetAreaInfo *info)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(info->self, &ps);
    /* The class brush has drawn the tablet surface. */
    if (info->state & SA_PAINTED) {
        const LONG *r = info->current;
        POINT p[2] = {{r[0], r[1]}, {r[2], r[3]}};
        MapTabletToClient(info->self, 2, p);
        int color = (info->state & SA_FOCUSED) ? COLOR_BTNFACE : COLOR_BTNSHADOW;
        HGDIOBJ old = SelectObject(dc, GetSysColorBrush(color));
        PatBlt(dc, (short)p[0].x, (short)p[0].y, (short)(p[1].x - p[0].x), (short)(p[1].y - p[0].y),
               PATCOPY);
        SelectObject(dc, old);
    } else if (info->state & SA_FOCUSED) {
        RECT rc;
        GetClientRect(info->self, &rc);
        DrawFocusRect(dc, &rc);
    }
    EndPaint(info->self, &ps);
}

/* ---- The pen ---- */

static void SETAREA_ComputeClickMasks(SetAreaInfo *info)
{
    info->cursorTypes = GetDeviceCursors(&info->firstCursor);
    /* A device with more cursor types keeps masks for the first ones only. */
    for (UINT i = 0; i < MAX_CLICK_MASKS; i++) {
        info->clickMasks[i] = 1; /* a map that cannot be read: button 0 clicks */
        BYTE map[BUTTON_MAP_SIZE];
        ZeroMemory(map, sizeof(map));
        if (i < info->cursorTypes && ReadButtonMap(info->firstCursor + i, map)) {
            info->clickMasks[i] = 0;
            for (int n = 0; n < BUTTON_MAP_SIZE; n++)
                if (map[n] == SBN_LCLICK)
                    info->clickMasks[i] |= 1u << n;
        }
    }
}

/* pkCursor comes from the driver: one outside the device's cursor types, or
   beyond the table, is treated like a cursor whose map cannot be read. */
static DWORD SETAREA_ClickMask(const SetAreaInfo *info, UINT cursor)
{
    UINT i = cursor - info->firstCursor;
    if (i >= info->cursorTypes || i >= MAX_CLICK_MASKS)
        return 1;
    return info->clickMasks[i];
}

static void SETAREA_OpenPointingContext(SetAreaInfo *info, BOOL open)
{
    if (!open) {
        if (info->context)
            WTClose(info->context);
        info->context = NULL;
        return;
    }
    if (info->context)
        return;

    LOGCONTEXT lc;
    ZeroMemory(&lc, sizeof(lc));
    WTInfoCopy(WTI_DEFCONTEXT, 0, &lc, sizeof(lc));
    ReadAxes(&info->captureX, &info->captureY);
    const AXIS &x = info->captureX, &y = info->captureY;
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
    info->context = WTOpen(info->self, &lc, TRUE);
    SETAREA_ComputeClickMasks(info);
}

/* A 1-bit crosshair of the pointer's size: white lines invert the picture. */
static HBITMAP MakeCrosshair(int cx, int cy)
{
    HBITMAP bitmap = CreateBitmap(cx, cy, 1, 1, NULL);
    HDC display = CreateDC(TEXT("DISPLAY"), NULL, NULL, NULL);
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

static void SETAREA_PlaceCaret(SetAreaInfo *info)
{
    if (!info->caretPending)
        return;
    info->caretPending = FALSE;
    SetCaretPos(info->caretDue.x, info->caretDue.y);
    info->caretAt = info->caretDue;
    if (!info->caretShown)
        ShowCaret(info->self);
    info->caretShown = TRUE;
}

/* The crosshair centred on pen position p of the client area. */
static void SETAREA_FollowPen(SetAreaInfo *info, POINT p)
{
    info->caretDue.x = p.x - info->caretCx / 2;
    info->caretDue.y = p.y - info->caretCy / 2;
    info->caretPending = !info->caretShown || info->caretDue.x != info->caretAt.x ||
                         info->caretDue.y != info->caretAt.y;
    MSG newer;
    if (info->caretPending && !PeekMessage(&newer, info->self, WT_PACKET(WT_DEFBASE),
                                           WT_PACKET(WT_DEFBASE), PM_NOREMOVE | PM_NOYIELD))
        SETAREA_PlaceCaret(info);
}

static void SETAREA_SetPointingMode(SetAreaInfo *info, BOOL on)
{
    if (info->pointing == on)
        return;
    info->pointing = on;

    if (on) {
        int count;
        info->pointerHides = 0;
        do {
            count = ShowCursor(FALSE);
            info->pointerHides++;
        } while (count >= 0);
        if (info->context) {
            WTEnable(info->context, TRUE);
            WTOverlap(info->context, TRUE);
        }
        info->caretCx = GetSystemMetrics(SM_CXCURSOR);
        info->caretCy = GetSystemMetrics(SM_CYCURSOR);
        info->crosshair = MakeCrosshair(info->caretCx, info->caretCy);
        CreateCaret(info->self, info->crosshair, 0, 0);
        info->caretShown = info->caretPending = FALSE;
        info->savedBlinkTime = GetCaretBlinkTime();
        SetCaretBlinkTime(SA_NO_BLINK);
        return;
    }

    SETAREA_PlaceCaret(info);
    POINT caret = {0, 0};
    GetCaretPos(&caret);
    DestroyCaret();
    DeleteObject(info->crosshair);
    info->crosshair = NULL;
    SetCaretBlinkTime(info->savedBlinkTime);
    if (info->context)
        WTEnable(info->context, FALSE);
    /* The mouse pointer comes back where the crosshair was. */
    ClientToScreen(info->self, &caret);
    SetCursorPos(caret.x, caret.y);
    /* Undo exactly our hiding, so the display count is as we found it. */
    for (; info->pointerHides > 0; info->pointerHides--)
        ShowCursor(TRUE);
}

/* The end of a capture by a key, the time-out or a non-click button. */
static void SETAREA_Suspend(SetAreaInfo *info)
{
    SETAREA_StopTimeout(info);
    SETAREA_SetPointingMode(info, FALSE);
    SETAREA_ChangeState(info, SA_SUSPENDED, SA_POINTING);
    SETAREA_Notify(info, SAN_CANCELLED);
}

/* A capture starts from the whole tablet: the dialog takes it, the prompt asks
   for the first corner. */
static void SETAREA_StartFromWholeTablet(SetAreaInfo *info)
{
    LONG r[4];
    WholeTablet(r);
    SETAREA_SetCurrent(info, r);
    SETAREA_Notify(info, SAN_WHOLE);
    SETAREA_RepaintNow(info);
    SETAREA_Notify(info, SAN_FIRST_DUE);
}

static void SETAREA_TakeCorner(SetAreaInfo *info, LONG x, LONG y)
{
    LONG r[4];
    CopyMemory(r, info->current, sizeof(r));
    if (!(info->state & SA_SECOND_DUE)) {
        r[0] = x; /* lower-left */
        r[3] = y;
        SETAREA_SetCurrent(info, r);
        SETAREA_ChangeState(info, SA_SECOND_DUE, 0);
        SETAREA_Notify(info, SAN_SECOND_DUE);
    } else {
        SETAREA_StopTimeout(info);
        r[2] = x; /* upper-right */
        r[1] = y;
        SETAREA_SetCurrent(info, r);
        CopyMemory(info->saved, r, sizeof(info->saved));
        SETAREA_ChangeState(info, SA_ENDED | SA_DEFINED, SA_POINTING | SA_SECOND_DUE);
        SETAREA_Notify(info, SAN_DEFINED);
    }
    SETAREA_Notify(info, SAN_CHANGED);
    SETAREA_RepaintNow(info);
}

/* Whether the pen is outside the permitted rectangle, told to the parent
   as it goes out and as it comes back. */
static BOOL SETAREA_TrackRange(SetAreaInfo *info, WORD state, LONG x, LONG y)
{
    const LONG *r = info->current;
    BOOL out = x < r[0] || x > r[2] || y < r[1] || y > r[3];
    if (out && !(state & SA_OUT)) {
        SETAREA_ChangeState(info, SA_OUT, 0);
        SETAREA_Notify(info, SAN_OUT_OF_RANGE);
    } else if (!out && (state & SA_OUT)) {
        SETAREA_ChangeState(info, 0, SA_OUT);
        SETAREA_Notify(info, (state & SA_SECOND_DUE) ? SAN_SECOND_DUE : SAN_FIRST_DUE);
    }
    return out;
}

static void SETAREA_OnPacket(SetAreaInfo *info, UINT serial)
{
    SetAreaPacket pkt;
    if (!WTPacket(info->context, serial, &pkt))
        return;
    WORD state = info->state;
    if (!(state & SA_FOCUSED) || (state & SA_SUSPENDED))
        return;

    if (state & SA_ENDED) {
        if (pkt.pkButtons == 0) {
            SETAREA_SetPointingMode(info, FALSE);
            SETAREA_ChangeState(info, SA_SUSPENDED, SA_ENDED);
        }
        return;
    }
    if (!(state & SA_POINTING)) {
        SETAREA_SetPointingMode(info, TRUE);
        SETAREA_ChangeState(info, SA_POINTING, 0);
    }

    POINT p = {pkt.pkX, pkt.pkY};
    MapWithAxes(info->self, &info->captureX, &info->captureY, 1, &p);
    SETAREA_FollowPen(info, p);
    BOOL out = SETAREA_TrackRange(info, state, pkt.pkX, pkt.pkY);

    DWORD mask = SETAREA_ClickMask(info, pkt.pkCursor);
    if (pkt.pkButtons & ~mask) {
        /* Another button ends the capture; it ends for good at the release. */
        SETAREA_StopTimeout(info);
        SETAREA_ChangeState(info, SA_ENDED, SA_POINTING);
        SETAREA_Notify(info, SAN_CANCELLED);
        return;
    }
    if (!(pkt.pkButtons & mask)) {
        SETAREA_ChangeState(info, 0, SA_CLICK_DOWN);
    } else if (!(info->state & SA_CLICK_DOWN)) {
        SETAREA_ChangeState(info, SA_CLICK_DOWN, 0);
        if (!out)
            SETAREA_TakeCorner(info, pkt.pkX, pkt.pkY);
    }
    /* Once the area is defined only the release is awaited: no time-out. */
    if (!(info->state & SA_ENDED)) {
        info->lastPacket = GetTickCount();
        if (!info->timing)
            SETAREA_StartTimeout(info, SA_TIMEOUT);
    }
}

static void SETAREA_OnTimeout(SetAreaInfo *info)
{
    SETAREA_StopTimeout(info);
    DWORD quiet = GetTickCount() - info->lastPacket;
    if (quiet < SA_TIMEOUT)
        SETAREA_StartTimeout(info, SA_TIMEOUT - quiet);
    else if (info->state & SA_CLICK_DOWN)
        SETAREA_StartTimeout(info, SA_TIMEOUT);
    else
        SETAREA_Suspend(info);
}

static void SETAREA_OnInfoChange(SetAreaInfo *info, LPARAM lParam)
{
    UINT category = LOWORD(lParam), index = HIWORD(lParam);
    UINT first = WTI_CURSORS + info->firstCursor;
    if (category >= first && category < first + info->cursorTypes && index == CSR_SYSBTNMAP)
        SETAREA_ComputeClickMasks(info);
}

/* ---- Focus and input ---- */

static void SETAREA_OnSetFocus(SetAreaInfo *info)
{
    CopyMemory(info->saved, info->current, sizeof(info->saved));
    /* A button still down from the click that brought the focus does not
       count; an end left over from the last focus period is forgotten. */
    SETAREA_ChangeState(info, SA_FOCUSED | SA_CLICK_DOWN,
                        SA_SUSPENDED | SA_SECOND_DUE | SA_DEFINED | SA_ENDED | SA_OUT);
    SETAREA_StartFromWholeTablet(info);
    InvalidateRect(info->self, NULL, TRUE);
    SETAREA_OpenPointingContext(info, TRUE);
}

static void SETAREA_OnKillFocus(SetAreaInfo *info)
{
    SETAREA_ChangeState(info, 0, SA_FOCUSED | SA_SUSPENDED);
    if (!(info->state & SA_DEFINED)) {
        LONG r[4];
        CopyMemory(r, info->saved, sizeof(r));
        SETAREA_SetCurrent(info, r);
    }
    SETAREA_StopTimeout(info);
    SETAREA_SetPointingMode(info, FALSE);
    SETAREA_ChangeState(info, 0, SA_POINTING | SA_SECOND_DUE);
    SETAREA_Notify(info, SAN_CHANGED);
    SETAREA_Notify(info, SAN_FOCUS_LEFT);
    InvalidateRect(info->self, NULL, TRUE);
    SETAREA_OpenPointingContext(info, FALSE);
}

static void SETAREA_OnMouseClick(SetAreaInfo *info)
{
    WORD state = info->state;
    if (state & SA_SUSPENDED) {
        SETAREA_ChangeState(info, SA_CLICK_DOWN, SA_SUSPENDED | SA_ENDED);
        if (!(state & SA_SECOND_DUE))
            SETAREA_StartFromWholeTablet(info);
        else
            SETAREA_Notify(info, SAN_SECOND_DUE);
        SETAREA_SetPointingMode(info, TRUE);
        SETAREA_ChangeState(info, SA_POINTING, 0);
    }
    if (!(info->state & SA_FOCUSED))
        SetFocus(info->self);
}

/* Destroyed with the focus: put back the pointer, caret and context. */
static void SETAREA_OnDestroy(SetAreaInfo *info)
{
    if (info->state & SA_FOCUSED) {
        SETAREA_StopTimeout(info);
        SETAREA_SetPointingMode(info, FALSE);
        SETAREA_OpenPointingContext(info, FALSE);
        SETAREA_ChangeState(info, 0, SA_FOCUSED | SA_POINTING);
    }
}

/* Each window's record is made at WM_CREATE (no memory, no window) and goes
   at WM_DESTROY; a message outside that time finds none. */
static LRESULT CALLBACK SetAreaWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    SetAreaInfo *info = (SetAreaInfo *)GetWindowLongPtr(hwnd, 0);
    if (!info && msg != WM_CREATE)
        return DefWindowProc(hwnd, msg, wParam, lParam);

    switch (msg) {
    case WM_CREATE:
        info = (SetAreaInfo *)NewControlRecord(hwnd, sizeof(*info));
        if (!info)
            return -1;
        info->self = hwnd;
        return 0;
    case WM_DESTROY:
        SETAREA_OnDestroy(info);
        FreeControlRecord(hwnd);
        return 0;
    case WM_PAINT:
        SETAREA_Paint(info);
        return 0;
    case WM_SETFOCUS:
        SETAREA_OnSetFocus(info);
        return 0;
    case WM_KILLFOCUS:
        SETAREA_OnKillFocus(info);
        return 0;
    case WM_LBUTTONDOWN:
        SETAREA_OnMouseClick(info);
        return 0;
    case WM_KEYDOWN:
        /* Tab, arrows, Enter and Escape stay the dialog's; any other key ends. */
        if (!(info->state & SA_SUSPENDED))
            SETAREA_Suspend(info);
        return 0;
    case WM_TIMER:
        if (wParam != SA_TIMER)
            break;
        SETAREA_OnTimeout(info);
        return 0;
    case CM_READ:
        if (lParam)
            CopyMemory((LONG *)lParam, info->current, sizeof(info->current));
        return 0;
    case CM_WRITE:
        if (lParam) {
            LONG r[4];
            CopyMemory(r, (const LONG *)lParam, sizeof(r));
            SETAREA_SetCurrent(info, r);
            InvalidateRect(hwnd, NULL, TRUE);
        }
        return 0;
    case WT_PACKET(WT_DEFBASE):
        SETAREA_OnPacket(info, (UINT)wParam);
        return 0;
    case WT_INFOCHANGE(WT_DEFBASE):
        SETAREA_OnInfoChange(info, lParam);
        return 0;
    }
    return DefWindowProc(hwnd, msg, wParam, lParam);
}

/* The class brush paints the tablet surface. */
BOOL RegisterSetAreaClass(HINSTANCE hInstance)
{
    return RegisterControlClass(hInstance, &s_registeredFor, SETAREA_CLASS, SetAreaWndProc, 0,
                                sizeof(SetAreaInfo *), COLOR_BTNTEXT);
}
