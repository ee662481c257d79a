/*
 * The virtual tablet: a small window that stands for the tablet's surface,
 * for a person trying the control panel with the stand-in driver and no
 * tablet. It shows the surface to scale with the present tracking area;
 * moving the mouse over it moves the pen of every program that has the
 * stand-in loaded, and the mouse buttons press the cursor's buttons (left 0,
 * right 1, middle 2). The tabs along the bottom choose the cursor.
 *
 *   vtablet.exe [/cursor N] [/device N]
 *
 * It never takes the activation or the focus: the panel's tracking-area
 * control ends its pen capture when it loses the focus. Hence no keyboard
 * and no menus; even its caption is dragged by hand here, because the
 * default handling would bring it to the foreground.
 */
#include "standinpen.h"

#include <stdlib.h>

#define CLASS_NAME L"QuoraxVirtualTablet"
#define TIMER_REFRESH 1
#define REFRESH_MS 250
#define ASK_TIMEOUT 250 /* ms a program may take to answer; a busy one is skipped */
#define MAX_TABS 8
#define TAB_CHARS 40
#define SURFACE_WIDTH 360 /* client pixels across the tablet */
#define MARGIN 8

/* What the driver inside the program reports; compared as a whole to see
   whether anything changed. */
struct TabletView {
    HWND target; /* the pen window asked, NULL when there is none */
    UINT device;
    LONG xMin, xMax, yMin, yMax;
    LONG xRes, yRes;
    LONG areaX, areaY, areaW, areaH; /* y upward from the lower-left corner */
    UINT firstCsr, nCsr;
    UINT activeCsr;
};

static HWND s_hwnd;
static TabletView s_view;
static WCHAR s_names[MAX_TABS][TAB_CHARS];
static int s_nameSlot = -1; /* the tab whose name is being asked for */
static int s_forcedDevice = -1;
static int s_cursor = -1; /* chosen by the person; -1 follows the active cursor */
static DWORD s_buttons;
static BOOL s_over;
static POINT s_pen; /* client position of the pen while over the surface */
static LONG s_penX, s_penY;
static int s_answered, s_taken;
static BOOL s_dragging; /* the caption, moved by hand */
static POINT s_dragFrom;

/* ---- Asking the driver ---- */

static LONG Ask(HWND target, UINT item, UINT n)
{
    DWORD_PTR r = 0;
    SendMessageTimeoutW(target, STANDIN_QUERY, MAKEWPARAM(item, n), (LPARAM)s_hwnd,
                        SMTO_NORMAL | SMTO_ABORTIFHUNG, ASK_TIMEOUT, &r);
    return (LONG)r;
}

/* The device the panel works on: the first that is not a relative one. */
static UINT ChooseDevice(HWND target)
{
    LONG devices = Ask(target, SQ_DEVICES, 0);
    if (s_forcedDevice >= 0)
        return (UINT)s_forcedDevice;
    for (LONG d = 0; d < devices; d++)
        if (!(Ask(target, SQ_PKTMODE, (UINT)d) & 0x0180))
            return (UINT)d;
    return 0;
}

static void ReadView(TabletView *v)
{
    ZeroMemory(v, sizeof(*v));
    v->target = FindPenWindow(NULL);
    if (!v->target || Ask(v->target, SQ_VERSION, 0) != STANDIN_PEN_VERSION) {
        v->target = NULL;
        return;
    }
    UINT d = v->device = ChooseDevice(v->target);
    v->xMin = Ask(v->target, SQ_XMIN, d);
    v->xMax = Ask(v->target, SQ_XMAX, d);
    v->yMin = Ask(v->target, SQ_YMIN, d);
    v->yMax = Ask(v->target, SQ_YMAX, d);
    v->xRes = Ask(v->target, SQ_XRES, d);
    v->yRes = Ask(v->target, SQ_YRES, d);
    v->areaX = Ask(v->target, SQ_AREA_ORGX, d);
    v->areaY = Ask(v->target, SQ_AREA_ORGY, d);
    v->areaW = Ask(v->target, SQ_AREA_EXTX, d);
    v->areaH = Ask(v->target, SQ_AREA_EXTY, d);
    v->firstCsr = (UINT)Ask(v->target, SQ_FIRSTCSR, d);
    v->nCsr = (UINT)Ask(v->target, SQ_NCSRTYPES, d);
    v->activeCsr = v->firstCsr;
    for (UINT i = 0; i < v->nCsr; i++) {
        if (Ask(v->target, SQ_CSR_ACTIVE, v->firstCsr + i)) {
            v->activeCsr = v->firstCsr + i;
            break;
        }
    }
}

static void ReadNames(void)
{
    for (UINT i = 0; i < MAX_TABS; i++) {
        wsprintfW(s_names[i], L"Cursor %u", s_view.firstCsr + i);
        if (i >= s_view.nCsr)
            continue;
        s_nameSlot = (int)i;
        Ask(s_view.target, SQ_CSR_NAME, s_view.firstCsr + i);
    }
    s_nameSlot = -1;
}

static UINT PenCursor(void)
{
    return s_cursor >= 0 ? (UINT)s_cursor : s_view.activeCsr;
}

/* ---- Layout: the surface to scale, the status line, the tabs ---- */

static int LineHeight(void)
{
    return GetSystemMetrics(SM_CYMENU) + 2;
}

/* The surface's size in pixels: the tablet's proportions, from its
   physical size when both resolutions are known, else from its counts. */
static void Proportion(LONG *w, LONG *h)
{
    LONGLONG xExt = (LONGLONG)s_view.xMax - s_view.xMin, yExt = (LONGLONG)s_view.yMax - s_view.yMin;
    LONG xRes = s_view.xRes >> 16, yRes = s_view.yRes >> 16; /* whole lines per unit */
    if (xRes > 0 && yRes > 0) {
        xExt = xExt * 1000 / xRes;
        yExt = yExt * 1000 / yRes;
    }
    *w = SURFACE_WIDTH;
    *h = xExt > 0 && yExt > 0 ? (LONG)(yExt * SURFACE_WIDTH / xExt) : SURFACE_WIDTH;
    if (*h < 40)
        *h = 40;
    if (*h > 3 * SURFACE_WIDTH)
        *h = 3 * SURFACE_WIDTH;
}

static RECT SurfaceRect(void)
{
    LONG w, h;
    Proportion(&w, &h);
    RECT rc = {MARGIN, MARGIN, MARGIN + w, MARGIN + h};
    return rc;
}

static RECT TabsRect(void)
{
    RECT client;
    GetClientRect(s_hwnd, &client);
    RECT rc = {0, client.bottom - LineHeight(), client.right, client.bottom};
    return rc;
}

static int TabCount(void)
{
    return s_view.nCsr < MAX_TABS ? (int)s_view.nCsr : MAX_TABS;
}

static RECT TabRect(int i)
{
    RECT strip = TabsRect();
    int n = TabCount() ? TabCount() : 1;
    RECT rc = {strip.left + (strip.right - strip.left) * i / n, strip.top,
               strip.left + (strip.right - strip.left) * (i + 1) / n, strip.bottom};
    return rc;
}

/* Sized for the present tablet: surface, status line and tabs. */
static void FitWindow(void)
{
    RECT surface = SurfaceRect();
    RECT rc = {0, 0, surface.right + MARGIN, surface.bottom + MARGIN + 2 * LineHeight()};
    AdjustWindowRectEx(&rc, (DWORD)GetWindowLongW(s_hwnd, GWL_STYLE), FALSE,
                       (DWORD)GetWindowLongW(s_hwnd, GWL_EXSTYLE));
    SetWindowPos(s_hwnd, NULL, 0, 0, rc.right - rc.left, rc.bottom - rc.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

/* Tablet counts along one axis to a pixel offset within size pixels, and back. */
static int CountToPixel(LONG v, LONG min, LONG max, int size)
{
    LONGLONG ext = (LONGLONG)max - min;
    return ext > 0 ? (int)(((LONGLONG)v - min) * size / ext) : 0;
}

static LONG PixelToCount(int p, int size, LONG min, LONG max)
{
    LONGLONG ext = (LONGLONG)max - min;
    if (p < 0)
        p = 0;
    if (p > size)
        p = size;
    return size > 0 && ext > 0 ? (LONG)(min + ext * p / size) : min;
}

/* ---- The pen ---- */

static void SendPen(POINT pt)
{
    RECT s = SurfaceRect();
    s_penX = PixelToCount(pt.x - s.left, s.right - s.left, s_view.xMin, s_view.xMax);
    s_penY = PixelToCount(s.bottom - pt.y, s.bottom - s.top, s_view.yMin, s_view.yMax);
    StandinPenData pen;
    pen.cursor = PenCursor();
    pen.buttons = s_buttons;
    pen.x = s_penX;
    pen.y = s_penY;
    s_answered = SendPenEvent(&pen, ASK_TIMEOUT, &s_taken);
}

static void OnMouse(UINT msg, LPARAM lParam)
{
    POINT pt = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
    RECT s = SurfaceRect();
    DWORD bit = 0;
    BOOL down = FALSE;
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        bit = 1;
        down = msg == WM_LBUTTONDOWN;
        break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
        bit = 2;
        down = msg == WM_RBUTTONDOWN;
        break;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
        bit = 4;
        down = msg == WM_MBUTTONDOWN;
        break;
    }
    if (down && bit == 1 && !s_buttons) {
        RECT strip = TabsRect();
        if (PtInRect(&strip, pt)) {
            for (int i = 0; i < TabCount(); i++) {
                RECT tab = TabRect(i);
                if (PtInRect(&tab, pt))
                    s_cursor = (int)(s_view.firstCsr + (UINT)i);
            }
            InvalidateRect(s_hwnd, NULL, FALSE);
            return;
        }
    }
    BOOL inside = PtInRect(&s, pt);
    if (!inside && !s_buttons && !(down && bit)) {
        if (s_over) {
            s_over = FALSE;
            InvalidateRect(s_hwnd, NULL, FALSE);
        }
        return;
    }
    if (!inside && down)
        return; /* a press off the surface presses nothing */
    if (down)
        s_buttons |= bit;
    else
        s_buttons &= ~bit;
    if (s_buttons && GetCapture() != s_hwnd)
        SetCapture(s_hwnd);
    else if (!s_buttons && GetCapture() == s_hwnd)
        ReleaseCapture();
    if (!s_over) {
        TRACKMOUSEEVENT tme = {sizeof(tme), TME_LEAVE, s_hwnd, 0};
        TrackMouseEvent(&tme);
    }
    s_over = TRUE;
    s_pen.x = pt.x < s.left ? s.left : pt.x >= s.right ? s.right - 1 : pt.x;
    s_pen.y = pt.y < s.top ? s.top : pt.y >= s.bottom ? s.bottom - 1 : pt.y;
    SendPen(pt);
    InvalidateRect(s_hwnd, NULL, FALSE);
}

/* ---- Painting ---- */

static void DrawTabs(HDC dc)
{
    for (int i = 0; i < TabCount(); i++) {
        RECT tab = TabRect(i);
        BOOL chosen = s_view.firstCsr + (UINT)i == PenCursor();
        FillRect(dc, &tab, GetSysColorBrush(chosen ? COLOR_HIGHLIGHT : COLOR_BTNFACE));
        DrawEdge(dc, &tab, chosen ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
        SetTextColor(dc, GetSysColor(chosen ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT));
        DrawTextW(dc, s_names[i], -1, &tab,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
}

static void DrawSurface(HDC dc)
{
    RECT s = SurfaceRect();
    HBRUSH tablet = CreateSolidBrush(RGB(60, 60, 64));
    FillRect(dc, &s, tablet);
    DeleteObject(tablet);

    /* The tracking area, y upward in the driver, downward on the screen. */
    int w = s.right - s.left, h = s.bottom - s.top;
    RECT area = {s.left + CountToPixel(s_view.areaX, s_view.xMin, s_view.xMax, w),
                 s.bottom - CountToPixel(s_view.areaY + s_view.areaH, s_view.yMin, s_view.yMax, h),
                 s.left + CountToPixel(s_view.areaX + s_view.areaW, s_view.xMin, s_view.xMax, w),
                 s.bottom - CountToPixel(s_view.areaY, s_view.yMin, s_view.yMax, h)};
    IntersectRect(&area, &area, &s);
    HBRUSH fill = CreateSolidBrush(RGB(96, 128, 176));
    FillRect(dc, &area, fill);
    DeleteObject(fill);
    FrameRect(dc, &area, (HBRUSH)GetStockObject(WHITE_BRUSH));

    if (s_over) {
        HPEN pen = CreatePen(PS_SOLID, 1, s_buttons ? RGB(255, 80, 80) : RGB(255, 255, 255));
        HGDIOBJ old = SelectObject(dc, pen);
        MoveToEx(dc, s_pen.x - 8, s_pen.y, NULL);
        LineTo(dc, s_pen.x + 9, s_pen.y);
        MoveToEx(dc, s_pen.x, s_pen.y - 8, NULL);
        LineTo(dc, s_pen.x, s_pen.y + 9);
        SelectObject(dc, old);
        DeleteObject(pen);
    }
}

static void StatusText(WCHAR *text)
{
    if (!s_view.target) {
        lstrcpyW(text, L"No program has the stand-in driver loaded.");
    } else if (!s_over) {
        wsprintfW(text, L"Tablet %ld x %ld, area %ld x %ld", (long)(s_view.xMax - s_view.xMin),
                  (long)(s_view.yMax - s_view.yMin), (long)s_view.areaW, (long)s_view.areaH);
    } else {
        wsprintfW(text, L"x %ld  y %ld  buttons 0x%lX  to %d program(s)%s", (long)s_penX,
                  (long)s_penY, (unsigned long)s_buttons, s_answered,
                  s_answered && !s_taken ? L", not taken" : L"");
    }
}

static void Paint(HWND hwnd)
{
    PAINTSTRUCT ps;
    HDC screen = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    /* Drawn off-screen: the crosshair moves with every mouse move. */
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ oldBmp = SelectObject(dc, bmp);
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    SetBkMode(dc, TRANSPARENT);

    DrawSurface(dc);
    WCHAR text[200];
    StatusText(text);
    RECT line = TabsRect();
    OffsetRect(&line, 0, -LineHeight());
    line.left += MARGIN;
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    DrawTextW(dc, text, -1, &line, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    DrawTabs(dc);

    BitBlt(screen, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBmp);
    DeleteObject(bmp);
    DeleteDC(dc);
    EndPaint(hwnd, &ps);
}

/* ---- The window ---- */

static void Refresh(void)
{
    TabletView v;
    ReadView(&v);
    if (memcmp(&v, &s_view, sizeof(v)) == 0)
        return;
    BOOL resized = v.xMax - v.xMin != s_view.xMax - s_view.xMin ||
                   v.yMax - v.yMin != s_view.yMax - s_view.yMin || v.xRes != s_view.xRes ||
                   v.yRes != s_view.yRes;
    BOOL cursors =
        v.target != s_view.target || v.firstCsr != s_view.firstCsr || v.nCsr != s_view.nCsr;
    s_view = v;
    if (cursors) {
        ReadNames();
        if (s_cursor >= 0 && ((UINT)s_cursor < v.firstCsr || (UINT)s_cursor >= v.firstCsr + v.nCsr))
            s_cursor = -1;
    }
    if (resized)
        FitWindow();
    InvalidateRect(s_hwnd, NULL, FALSE);
}

/* The caption moved by hand: the default handling would activate. */
static BOOL OnCaption(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    POINT pt = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
    if (msg == WM_NCLBUTTONDOWN && wParam == HTCLOSE) {
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
        return TRUE;
    }
    if (msg == WM_NCLBUTTONDOWN && wParam == HTCAPTION) {
        s_dragging = TRUE;
        s_dragFrom = pt;
        SetCapture(hwnd);
        return TRUE;
    }
    if (!s_dragging)
        return FALSE;
    if (msg == WM_MOUSEMOVE) {
        ClientToScreen(hwnd, &pt);
        RECT rc;
        GetWindowRect(hwnd, &rc);
        SetWindowPos(hwnd, NULL, rc.left + pt.x - s_dragFrom.x, rc.top + pt.y - s_dragFrom.y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        s_dragFrom = pt;
        return TRUE;
    }
    if (msg == WM_LBUTTONUP) {
        s_dragging = FALSE;
        ReleaseCapture();
        return TRUE;
    }
    return FALSE;
}

static LRESULT CALLBACK TabletProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (OnCaption(hwnd, msg, wParam, lParam))
        return 0;
    switch (msg) {
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_NCLBUTTONDBLCLK:
    case WM_NCRBUTTONDOWN:
    case WM_NCRBUTTONUP:
        return 0; /* no system menu, no maximizing: both would activate */
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
        OnMouse(msg, lParam);
        return 0;
    case WM_MOUSELEAVE:
        if (!s_buttons) {
            s_over = FALSE;
            InvalidateRect(hwnd, NULL, FALSE);
        }
        return 0;
    case WM_CAPTURECHANGED:
        /* Capture taken away with buttons down: let them go. */
        if (s_buttons && (HWND)lParam != hwnd) {
            s_buttons = 0;
            SendPen(s_pen);
            InvalidateRect(hwnd, NULL, FALSE);
        }
        s_dragging = FALSE;
        return 0;
    case WM_COPYDATA: {
        const COPYDATASTRUCT *cds = (const COPYDATASTRUCT *)lParam;
        if (cds->dwData != STANDIN_COPY_NAME || s_nameSlot < 0 || cds->cbData < sizeof(WCHAR))
            return FALSE;
        UINT chars = cds->cbData / sizeof(WCHAR);
        lstrcpynW(s_names[s_nameSlot], (const WCHAR *)cds->lpData,
                  chars < TAB_CHARS ? (int)chars : TAB_CHARS);
        /* A name is shown on one line. */
        for (WCHAR *c = s_names[s_nameSlot]; *c; c++)
            if (*c < L' ')
                *c = L' ';
        return TRUE;
    }
    case WM_TIMER:
        Refresh();
        return 0;
    case WM_PAINT:
        Paint(hwnd);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

/* /cursor N and /device N, in any order. */
static void ReadCommandLine(const WCHAR *cmd)
{
    while (*cmd) {
        while (*cmd == L' ' || *cmd == L'\t')
            cmd++;
        WCHAR word[16];
        int len = 0;
        for (; *cmd && *cmd != L' ' && *cmd != L'\t'; cmd++)
            if (len < 15)
                word[len++] = *cmd;
        word[len] = 0;
        while (*cmd == L' ' || *cmd == L'\t')
            cmd++;
        int *target = lstrcmpiW(word, L"/cursor") == 0   ? &s_cursor
                      : lstrcmpiW(word, L"/device") == 0 ? &s_forcedDevice
                                                         : NULL;
        if (target && *cmd >= L'0' && *cmd <= L'9')
            *target = (int)wcstoul(cmd, (WCHAR **)&cmd, 10);
    }
}

int WINAPI wWinMain(HINSTANCE hinst, HINSTANCE prev, LPWSTR cmdLine, int show)
{
    (void)prev;
    (void)show; /* always shown without activation */
    ReadCommandLine(cmdLine);

    WNDCLASSW wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.lpfnWndProc = TabletProc;
    wc.hInstance = hinst;
    wc.hCursor = LoadCursorW(NULL, (LPCWSTR)IDC_CROSS);
    wc.lpszClassName = CLASS_NAME;
    if (!RegisterClassW(&wc))
        return 1;

    s_hwnd = CreateWindowExW(WS_EX_NOACTIVATE | WS_EX_TOPMOST | WS_EX_TOOLWINDOW, CLASS_NAME,
                             L"Virtual Tablet", WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0,
                             SURFACE_WIDTH, SURFACE_WIDTH, NULL, NULL, hinst, NULL);
    if (!s_hwnd)
        return 1;
    Refresh();
    FitWindow();
    RECT rc;
    GetWindowRect(s_hwnd, &rc);
    SetWindowPos(s_hwnd, HWND_TOPMOST,
                 GetSystemMetrics(SM_CXSCREEN) - (rc.right - rc.left) - MARGIN, MARGIN, 0, 0,
                 SWP_NOSIZE | SWP_NOACTIVATE);
    ShowWindow(s_hwnd, SW_SHOWNOACTIVATE);
    SetTimer(s_hwnd, TIMER_REFRESH, REFRESH_MS, NULL);

    MSG msg;
    while (GetMessageW(&msg, NULL, 0, 0) > 0)
        DispatchMessageW(&msg);
    return 0;
}
