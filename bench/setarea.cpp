/*
 * Pen-tracking benchmark of the tracking-area control: a SetArea window with
 * the focus captures the stand-in's pen, and packets along a path over the
 * tablet are injected in batches of 64 (the driver's queue holds 64) and
 * drained between batches. Only the control's handling of WT_PACKET is timed
 * (its DispatchMessage), the crosshair following the pen.
 *
 * Three runs show where the time goes: the queue drain (the figure that
 * counts), the same path one packet at a time (every move of the crosshair
 * drawn at once, as when the control keeps ahead of the pen), and a pen that
 * stays put (no crosshair to move: what every packet costs). Then each call
 * the control makes for a packet is timed alone.
 *
 *   bench_setarea.exe [packets]     (beside the stand-in's wintab32.dll)
 *
 * Exit status 0 when the queue drain reaches 10,000 packets a second.
 */
#include "padcfg.h"

#include <stdio.h>
#include <stdlib.h>

#define BATCH 64
#define REQUIRED_RATE 10000.0

typedef UINT(WINAPI *PenEventProc)(UINT cursor, DWORD buttons, LONG x, LONG y);

static PenEventProc s_pen;
static HCTX s_context; /* the one the control opened */
static LARGE_INTEGER s_freq;

static double Now(void)
{
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return (double)t.QuadPart / (double)s_freq.QuadPart;
}

/* The context the stand-in has open for the control, asked of a manager
   opened on the parent. */
typedef HWND(WINAPI *ContextOwnerProc)(HMGR, HCTX);
static ContextOwnerProc s_owner;
static HMGR s_manager;
static HWND s_control;

static BOOL CALLBACK FindControlContext(HCTX hctx, LPARAM lParam)
{
    if (s_owner(s_manager, hctx) != s_control)
        return TRUE;
    *(HCTX *)lParam = hctx;
    return FALSE;
}

static HCTX ContextOf(HWND parent, HWND control)
{
    HCTX found = NULL;
    s_owner = (ContextOwnerProc)(void (*)(void))GetProcAddress(GetModuleHandleW(L"wintab32.dll"),
                                                               "WTMgrContextOwner");
    if (!s_owner)
        return NULL;
    s_manager = WTMgrOpen(parent, WT_DEFBASE);
    s_control = control;
    WTMgrContextEnum(s_manager, FindControlContext, (LPARAM)&found);
    WTMgrClose(s_manager);
    return found;
}

/* The parent answers as the Setup dialog does: it takes the rectangle. */
static LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_COMMAND && LOWORD(wParam) == IDC_AREA &&
        (HIWORD(wParam) == SAN_WHOLE || HIWORD(wParam) == SAN_CHANGED)) {
        LONG r[4];
        SendMessageW((HWND)lParam, CM_READ, 0, (LPARAM)r);
        SendMessageW((HWND)lParam, CM_WRITE, 0, (LPARAM)r);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

/* A path that sweeps the tablet, inside its 0 to 11999 counts: about half a
   pixel of the control per packet, a fast stroke at 1,000 packets a second. */
static void PathPoint(int i, LONG *x, LONG *y)
{
    *x = 500 + (LONG)((i * 37) % 11000);
    *y = 500 + (LONG)((i * 53) % 11000);
}

struct Run {
    UINT handled, lost;
    double seconds; /* in the control's handling */
    double *each;   /* per packet, sorted afterwards */
};

/* Dispatches what is queued, timing the control's handling of WT_PACKET. */
static void Drain(Run *run)
{
    MSG msg;
    while (PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) {
        if (msg.message != WT_PACKET(WT_DEFBASE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            continue;
        }
        double t0 = Now();
        DispatchMessageW(&msg);
        double t = Now() - t0;
        run->seconds += t;
        if (run->each)
            run->each[run->handled] = t;
        run->handled++;
    }
}

static int CompareSeconds(const void *a, const void *b)
{
    double x = *(const double *)a, y = *(const double *)b;
    return x < y ? -1 : x > y;
}

/* total packets in batches of batch; still: the pen stays at the first point. */
static Run Track(int total, int batch, BOOL still, const char *what)
{
    Run run = {0, 0, 0, (double *)calloc((size_t)total + BATCH, sizeof(double))};
    for (int done = 0; done < total; done += batch) {
        for (int k = 0; k < batch && done + k < total; k++) {
            LONG x, y;
            PathPoint(still ? 0 : done + k, &x, &y);
            if (!s_pen(0, 0, x, y))
                run.lost++;
        }
        Drain(&run);
    }
    printf("  %-34s %6.0f packets/s, %5.1f us/packet", what, run.handled / run.seconds,
           run.seconds * 1e6 / run.handled);
    if (run.each && run.handled) {
        qsort(run.each, run.handled, sizeof(double), CompareSeconds);
        printf(" (median %.1f, 99%% %.1f, max %.0f)", run.each[run.handled / 2] * 1e6,
               run.each[run.handled * 99 / 100] * 1e6, run.each[run.handled - 1] * 1e6);
    }
    printf("\n");
    free(run.each);
    run.each = NULL;
    return run;
}

/* ---- The calls of one packet, each timed alone (microseconds a call) ---- */

static double PerCall(double start, int n)
{
    return (Now() - start) * 1e6 / n;
}

static double TimeDispatch(HWND area, int n)
{
    double total = 0;
    for (int i = 0; i < n; i++) {
        PostMessageW(area, WM_USER + 100, 0, 0); /* one the control passes on */
        MSG msg;
        while (PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) {
            double t0 = Now();
            DispatchMessageW(&msg);
            total += Now() - t0;
        }
    }
    return total * 1e6 / n;
}

static double TimeWTPacket(int n)
{
    BYTE packet[64];
    double total = 0;
    Run ignored = {0, 0, 0, NULL};
    for (int done = 0; done < n; done += BATCH) {
        UINT serials[BATCH];
        for (int k = 0; k < BATCH; k++)
            serials[k] = s_pen(0, 0, 6000, 6000);
        double t0 = Now();
        for (int k = 0; k < BATCH; k++)
            WTPacket(s_context, serials[k], packet);
        total += Now() - t0;
        Drain(&ignored); /* the control finds its packets gone and stops at once */
    }
    return total * 1e6 / n;
}

static double TimeMapping(HWND area, int n)
{
    RECT rc;
    DWORD sum = 0;
    double t0 = Now();
    for (int i = 0; i < n; i++) {
        GetClientRect(area, &rc);
        sum += GetSystemMetrics(SM_CXBORDER) + GetSystemMetrics(SM_CYBORDER);
        sum += MulDivHalf((DWORD)i, (DWORD)rc.right, 11999) + MulDivHalf((DWORD)i, 150, 11999);
    }
    double us = PerCall(t0, n);
    return sum == 1 ? 0 : us;
}

static double TimeWindowData(HWND area, int n)
{
    LONG sum = 0;
    double t0 = Now();
    for (int i = 0; i < n; i++) {
        /* The control's window data: rectangles at 0 and 16, state at 32. */
        WORD state = (WORD)GetWindowWord(area, 32);
        for (int k = 0; k < 4; k++)
            sum += GetWindowLongW(area, k * 4);
        sum += GetWindowWord(area, 32) + GetWindowWord(area, 32) + (LONG)GetTickCount();
        SetWindowWord(area, 32, state);
    }
    double us = PerCall(t0, n);
    return sum == 1 ? 0 : us;
}

static double TimePeek(HWND area, int n)
{
    MSG msg;
    double t0 = Now();
    for (int i = 0; i < n; i++)
        PeekMessageW(&msg, area, WT_PACKET(WT_DEFBASE), WT_PACKET(WT_DEFBASE),
                     PM_NOREMOVE | PM_NOYIELD);
    return PerCall(t0, n);
}

static double TimeCaret(int n)
{
    double t0 = Now();
    for (int i = 0; i < n; i++)
        SetCaretPos(20 + i % 100, 20 + i % 80);
    return PerCall(t0, n);
}

static double TimeTimer(HWND area, int n)
{
    double t0 = Now();
    for (int i = 0; i < n; i++)
        SetTimer(area, 0, 5000, NULL);
    return PerCall(t0, n);
}

int wmain(int argc, wchar_t **argv)
{
    int total = argc > 1 ? _wtoi(argv[1]) : 20000;
    if (total < BATCH)
        total = BATCH;
    QueryPerformanceFrequency(&s_freq);
    g_hInst = GetModuleHandleW(NULL);

    WTInfoW(0, 0, NULL);
    s_pen = (PenEventProc)(void (*)(void))GetProcAddress(GetModuleHandleW(L"wintab32.dll"),
                                                         "StandinPenEvent");
    if (!s_pen || !RegisterSetAreaClass(g_hInst)) {
        fprintf(stderr, "the stand-in driver is not the loaded wintab32.dll\n");
        return 2;
    }

    WNDCLASSW wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.lpfnWndProc = ParentProc;
    wc.hInstance = g_hInst;
    wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"SetArea benchmark";
    RegisterClassW(&wc);
    HWND parent =
        CreateWindowW(wc.lpszClassName, L"SetArea benchmark", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40,
                      40, 260, 260, NULL, NULL, g_hInst, NULL);
    /* The Setup dialog's 104 x 104 dialog units, about 156 pixels. */
    HWND area = CreateWindowW(SETAREA_CLASS, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 20, 20, 156,
                              156, parent, (HMENU)IDC_AREA, g_hInst, NULL);
    SetForegroundWindow(parent);
    SetFocus(area);
    Run ignored = {0, 0, 0, NULL};
    Drain(&ignored);
    s_context = ContextOf(parent, area);
    if (!s_context) {
        fprintf(stderr, "the control opened no context\n");
        return 2;
    }

    printf("SetArea pen tracking, %d packets a run, only the control's handling timed:\n", total);
    Run drain = Track(total, BATCH, FALSE, "queue drain, 64 at a time:");
    GUITHREADINFO gi;
    ZeroMemory(&gi, sizeof(gi));
    gi.cbSize = sizeof(gi);
    GetGUIThreadInfo(GetCurrentThreadId(), &gi);
    BOOL following = gi.hwndCaret == area;
    Track(total, 1, FALSE, "one at a time (every move drawn):");
    Track(total, BATCH, TRUE, "pen held still (nothing to draw):");

    int n = total < 5000 ? total : 5000;
    printf("  the calls of one packet, each timed alone (us a call):\n"
           "    message dispatch to the control      %6.2f\n"
           "    WTPacket: copy and dequeue            %6.2f\n"
           "    client rectangle, metrics, scaling    %6.2f\n"
           "    window data, tick count               %6.2f\n"
           "    PeekMessage: a newer packet queued?   %6.2f  (when the pen changed pixel)\n"
           "    SetCaretPos: the crosshair moved      %6.2f  (newest packet of a queue)\n"
           "    SetTimer                              %6.2f  (not per packet: armed once, again "
           "each 5 s)\n",
           TimeDispatch(area, n), TimeWTPacket(n), TimeMapping(area, n), TimeWindowData(area, n),
           TimePeek(area, n), TimeCaret(n), TimeTimer(area, n));

    SetFocus(NULL);
    DestroyWindow(parent);
    Drain(&ignored);
    UnloadWintab();

    double rate = drain.handled / drain.seconds;
    if (!following || drain.handled != (UINT)total || rate < REQUIRED_RATE) {
        printf("FAIL: the queue drain must handle all %d packets at %.0f packets/s or more, "
               "the crosshair following (%u handled, %u lost, crosshair %s)\n",
               total, REQUIRED_RATE, drain.handled, drain.lost, following ? "shown" : "gone");
        return 1;
    }
    printf("OK: %.0f packets/s, %.1f us a packet, at least %.0f packets/s required\n", rate,
           drain.seconds * 1e6 / drain.handled, REQUIRED_RATE);
    return 0;
}
