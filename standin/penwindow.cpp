/*
 * The driver's hidden pen window: other processes (the pen tool, the
 * virtual tablet) move this program's pen through it and read the tablet's
 * size and present area from it (protocol in standinpen.h).
 */
#include "standin.h"
#include "standinpen.h"

static HWND s_penWindow;

/* Posted to itself: changes that wait (SaveCursor) are written now. */
#define STANDIN_SAVE (WM_APP + 0x352)

/* The area a person sees as the tracking area: the input area of the
   device's first "Default System" context, as the control panel finds it. */
static const LOGCONTEXTW *AreaContext(UINT device)
{
    for (UINT i = 0; i < g_ctxCount; i++) {
        WCHAR prefix[15];
        lstrcpynW(prefix, g_ctx[i].lc.lcName, ARRAYSIZE(prefix));
        if (lstrcmpiW(prefix, L"Default System") == 0 && g_ctx[i].lc.lcDevice == device)
            return &g_ctx[i].lc;
    }
    return &g_defCtx[device][0].lc;
}

/* Any process may name the reply window, and this runs on the program's
   own user-interface thread: a window that does not answer in time is given
   up, and none of this thread's own windows is sent to (it would take the
   name in the middle of whatever it is doing). */
#define REPLY_TIMEOUT 500

static BOOL SendName(HWND reply, const WCHAR *name)
{
    COPYDATASTRUCT cds;
    cds.dwData = STANDIN_COPY_NAME;
    cds.cbData = (DWORD)(lstrlenW(name) + 1) * sizeof(WCHAR);
    cds.lpData = (void *)name;
    if (!IsWindow(reply) || GetWindowThreadProcessId(reply, NULL) == GetCurrentThreadId())
        return FALSE;
    DWORD_PTR taken = 0;
    return SendMessageTimeoutW(reply, WM_COPYDATA, (WPARAM)s_penWindow, (LPARAM)&cds,
                               SMTO_NORMAL | SMTO_ABORTIFHUNG, REPLY_TIMEOUT, &taken) &&
           taken;
}

static LONG Query(UINT item, UINT n, HWND reply)
{
    if (item == SQ_VERSION)
        return STANDIN_PEN_VERSION;
    UINT devices = g_ifc.noTablet ? 0 : g_ifc.nDevices;
    if (item == SQ_DEVICES)
        return (LONG)devices;
    if (item >= SQ_CSR_BUTTONS) {
        if (g_ifc.noTablet || n >= g_ifc.nCursors)
            return 0;
        const StandinCursor *c = &g_csr[n];
        if (item == SQ_CSR_BUTTONS)
            return c->buttons;
        if (item == SQ_CSR_ACTIVE)
            return (LONG)c->active;
        return item == SQ_CSR_NAME ? SendName(reply, c->name) : 0;
    }
    if (n >= devices)
        return 0;
    const StandinDevice *d = &g_dev[n];
    const LOGCONTEXTW *area = AreaContext(n);
    switch (item) {
    case SQ_PKTMODE:
        return (LONG)d->pktMode;
    case SQ_XMIN:
        return d->axis[0].axMin;
    case SQ_XMAX:
        return d->axis[0].axMax;
    case SQ_YMIN:
        return d->axis[1].axMin;
    case SQ_YMAX:
        return d->axis[1].axMax;
    case SQ_XRES:
        return (LONG)d->axis[0].axResolution;
    case SQ_YRES:
        return (LONG)d->axis[1].axResolution;
    case SQ_UNITS:
        return (LONG)d->axis[0].axUnits;
    case SQ_AREA_ORGX:
        return area->lcInOrgX;
    case SQ_AREA_ORGY:
        return area->lcInOrgY;
    case SQ_AREA_EXTX:
        return area->lcInExtX;
    case SQ_AREA_EXTY:
        return area->lcInExtY;
    case SQ_FIRSTCSR:
        return (LONG)d->firstCsr;
    case SQ_NCSRTYPES:
        return (LONG)d->nCsrTypes;
    }
    return 0;
}

static LRESULT CALLBACK PenWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_COPYDATA: {
        const COPYDATASTRUCT *cds = (const COPYDATASTRUCT *)lParam;
        if (!cds || cds->dwData != STANDIN_COPY_PEN || cds->cbData != sizeof(StandinPenData))
            return 0;
        StandinPenData pen;
        CopyMemory(&pen, cds->lpData, sizeof(pen));
        return StandinPenEvent(pen.cursor, pen.buttons, pen.x, pen.y);
    }
    case STANDIN_QUERY:
        return Query(LOWORD(wParam), HIWORD(wParam), (HWND)lParam);
    case STANDIN_SAVE:
        SaveWaitingChanges();
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

BOOL PostSaveLater(void)
{
    return s_penWindow && PostMessageW(s_penWindow, STANDIN_SAVE, 0, 0);
}

/* One window per loaded driver, on the thread of the first call. */
void CreatePenWindow(void)
{
    WNDCLASSW wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.lpfnWndProc = PenWindowProc;
    wc.hInstance = g_hinst;
    wc.lpszClassName = STANDIN_PEN_CLASS;
    RegisterClassW(&wc);
    s_penWindow =
        CreateWindowW(STANDIN_PEN_CLASS, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, g_hinst, NULL);
}

/* At unload. Another thread's window cannot be destroyed from here: it
   loses this library's window procedure instead, which is about to go. */
void DestroyPenWindow(void)
{
    if (s_penWindow && !DestroyWindow(s_penWindow) && IsWindow(s_penWindow))
        SetWindowLongPtrW(s_penWindow, GWLP_WNDPROC, (LONG_PTR)DefWindowProcW);
    s_penWindow = NULL;
    UnregisterClassW(STANDIN_PEN_CLASS, g_hinst);
}
