/*
 * Contexts: the driver's own system contexts, the ones programs open, and
 * each device's two default contexts; their overlap order, their packet
 * queues and the simulated pen that fills them.
 */
#include "standin.h"

StandinContext g_ctx[MAX_CONTEXTS];
UINT g_ctxCount;
StandinContext g_defCtx[MAX_DEVICES][2];

/* One counter for context and manager handles, so none is ever reused or
   mistaken for the other kind. */
static UINT s_nextHandle = 0x1000;
static int s_topOrder;
static int s_bottomOrder;
static UINT s_serial;

UINT NewHandle(void)
{
    return ++s_nextHandle;
}

BOOL IsSystemContext(const StandinContext *ctx)
{
    return ctx->kind == KIND_SYSTEM || ctx->kind == KIND_DEFSYS ||
           (ctx->lc.lcOptions & CXO_SYSTEM) != 0;
}

static BOOL IsOpen(const StandinContext *ctx)
{
    return ctx && (ctx->kind == KIND_SYSTEM || ctx->kind == KIND_APP);
}

/* Only the topmost open context carries CXS_ONTOP. */
static void Restack(void)
{
    UINT top = 0;
    for (UINT i = 1; i < g_ctxCount; i++)
        if (g_ctx[i].order > g_ctx[top].order)
            top = i;
    for (UINT i = 0; i < g_ctxCount; i++) {
        g_ctx[i].lc.lcStatus &= ~CXS_ONTOP;
        if (i == top)
            g_ctx[i].lc.lcStatus |= CXS_ONTOP;
    }
}

void OpenDriverContexts(void)
{
    for (UINT k = 0; k < g_ifc.nSysCtxs; k++) {
        StandinContext *ctx = &g_ctx[g_ctxCount++];
        ctx->handle = (HCTX)(UINT_PTR)NewHandle();
        ctx->kind = KIND_SYSTEM;
        ctx->section = k;
        ctx->lc = g_sysCtxDesc[k];
        ctx->order = ++s_topOrder;
    }
    Restack();
    for (UINT d = 0; d < g_ifc.nDevices; d++) {
        for (UINT i = 0; i < 2; i++) {
            StandinContext *ctx = &g_defCtx[d][i];
            ctx->handle = (HCTX)(UINT_PTR)NewHandle();
            ctx->kind = i == 0 ? KIND_DEFSYS : KIND_DEFDIGITIZE;
            ctx->section = d;
            ctx->lc = g_defCtxDesc[d][i];
        }
    }
}

StandinContext *FindContext(HCTX hctx)
{
    if (!hctx)
        return NULL;
    for (UINT i = 0; i < g_ctxCount; i++)
        if (g_ctx[i].handle == hctx)
            return &g_ctx[i];
    for (UINT d = 0; d < g_ifc.nDevices; d++)
        for (UINT i = 0; i < 2; i++)
            if (g_defCtx[d][i].handle == hctx)
                return &g_defCtx[d][i];
    return NULL;
}

static BOOL DeviceOk(UINT device)
{
    return !g_ifc.noTablet && device < g_ifc.nDevices;
}

static HCTX OpenContext(HWND hwnd, const LOGCONTEXTW *lc, BOOL enable)
{
    if (!lc || !IsWindow(hwnd) || g_ctxCount >= MAX_CONTEXTS || !DeviceOk(lc->lcDevice) ||
        g_ifc.openFails)
        return NULL;
    StandinContext *ctx = &g_ctx[g_ctxCount++];
    ZeroMemory(ctx, sizeof(*ctx));
    ctx->handle = (HCTX)(UINT_PTR)NewHandle();
    ctx->kind = KIND_APP;
    ctx->owner = hwnd;
    ctx->lc = *lc;
    ctx->lc.lcName[LCNAMELEN - 1] = 0;
    ctx->lc.lcStatus = enable ? 0 : CXS_DISABLED;
    ctx->order = ++s_topOrder;
    Restack();
    return ctx->handle;
}

extern "C" HCTX WINAPI WTOpenW(HWND hWnd, LPLOGCONTEXTW lpLogCtx, BOOL fEnable)
{
    EnsureLoaded();
    HCTX r = OpenContext(hWnd, lpLogCtx, fEnable);
    LogCall("WTOpenW", "hhpi", LA(r), LA(hWnd), LA(lpLogCtx), LA(fEnable));
    return r;
}

extern "C" HCTX WINAPI WTOpenA(HWND hWnd, LPLOGCONTEXTA lpLogCtx, BOOL fEnable)
{
    EnsureLoaded();
    HCTX r = NULL;
    if (lpLogCtx) {
        LOGCONTEXTW w;
        ContextFromAnsi(lpLogCtx, &w);
        r = OpenContext(hWnd, &w, fEnable);
    }
    LogCall("WTOpenA", "hhpi", LA(r), LA(hWnd), LA(lpLogCtx), LA(fEnable));
    return r;
}

extern "C" BOOL WINAPI WTClose(HCTX hCtx)
{
    EnsureLoaded();
    BOOL r = FALSE;
    StandinContext *ctx = FindContext(hCtx);
    /* The driver's own contexts are not a program's to close. */
    if (ctx && ctx->kind == KIND_APP) {
        UINT i = (UINT)(ctx - g_ctx);
        MoveMemory(&g_ctx[i], &g_ctx[i + 1], (g_ctxCount - i - 1) * sizeof(g_ctx[0]));
        g_ctxCount--;
        Restack();
        r = TRUE;
    }
    LogCall("WTClose", "ih", LA(r), LA(hCtx));
    return r;
}

static BOOL GetContext(HCTX hCtx, LOGCONTEXTW *lc)
{
    StandinContext *ctx = FindContext(hCtx);
    if (!ctx || !lc)
        return FALSE;
    *lc = ctx->lc;
    return TRUE;
}

extern "C" BOOL WINAPI WTGetW(HCTX hCtx, LPLOGCONTEXTW lpLogCtx)
{
    EnsureLoaded();
    BOOL r = GetContext(hCtx, lpLogCtx);
    LogCall("WTGetW", "ihp", LA(r), LA(hCtx), LA(lpLogCtx));
    return r;
}

extern "C" BOOL WINAPI WTGetA(HCTX hCtx, LPLOGCONTEXTA lpLogCtx)
{
    EnsureLoaded();
    LOGCONTEXTW w;
    BOOL r = lpLogCtx && GetContext(hCtx, &w);
    if (r)
        ContextToAnsi(&w, lpLogCtx);
    LogCall("WTGetA", "ihp", LA(r), LA(hCtx), LA(lpLogCtx));
    return r;
}

/* The status stays the driver's; everything else is the caller's. A change
   of a system or default context is kept in the description and announced. */
static BOOL SetContext(HCTX hCtx, const LOGCONTEXTW *lc)
{
    StandinContext *ctx = FindContext(hCtx);
    if (!ctx || !lc || !DeviceOk(lc->lcDevice))
        return FALSE;
    LOGCONTEXTW before = ctx->lc;
    ctx->lc = *lc;
    ctx->lc.lcName[LCNAMELEN - 1] = 0;
    ctx->lc.lcStatus = before.lcStatus;

    SaveContext(ctx->kind, ctx->section, &ctx->lc);
    if (ctx->kind == KIND_DEFSYS)
        PostInfoChange(WTI_DSCTXS + ctx->section, 0);
    else if (ctx->kind == KIND_DEFDIGITIZE)
        PostInfoChange(WTI_DDCTXS + ctx->section, 0);
    else if (IsSystemContext(ctx))
        PostInfoChange(WTI_DSCTXS + ctx->lc.lcDevice, 0);
    return TRUE;
}

extern "C" BOOL WINAPI WTSetW(HCTX hCtx, LPLOGCONTEXTW lpLogCtx)
{
    EnsureLoaded();
    BOOL r = SetContext(hCtx, lpLogCtx);
    LogCall("WTSetW", "ihp", LA(r), LA(hCtx), LA(lpLogCtx));
    return r;
}

extern "C" BOOL WINAPI WTSetA(HCTX hCtx, LPLOGCONTEXTA lpLogCtx)
{
    EnsureLoaded();
    BOOL r = FALSE;
    if (lpLogCtx) {
        LOGCONTEXTW w;
        ContextFromAnsi(lpLogCtx, &w);
        r = SetContext(hCtx, &w);
    }
    LogCall("WTSetA", "ihp", LA(r), LA(hCtx), LA(lpLogCtx));
    return r;
}

extern "C" BOOL WINAPI WTEnable(HCTX hCtx, BOOL fEnable)
{
    EnsureLoaded();
    StandinContext *ctx = FindContext(hCtx);
    BOOL r = IsOpen(ctx);
    if (r && fEnable) {
        ctx->lc.lcStatus &= ~CXS_DISABLED;
    } else if (r && !(ctx->lc.lcStatus & CXS_DISABLED)) {
        ctx->lc.lcStatus |= CXS_DISABLED;
        ctx->queued = 0;
    }
    LogCall("WTEnable", "ihi", LA(r), LA(hCtx), LA(fEnable));
    return r;
}

extern "C" BOOL WINAPI WTOverlap(HCTX hCtx, BOOL fToTop)
{
    EnsureLoaded();
    StandinContext *ctx = FindContext(hCtx);
    BOOL r = IsOpen(ctx);
    if (r) {
        ctx->order = fToTop ? ++s_topOrder : --s_bottomOrder;
        Restack();
    }
    LogCall("WTOverlap", "ihi", LA(r), LA(hCtx), LA(fToTop));
    return r;
}

/* ---- Packets ---- */

/* Fields in PK_ bit order; the record is padded like the C structure a
   program declares for it, which is pointer-aligned when it holds the
   context handle. */
static UINT FormatPacket(const StandinContext *ctx, const StandinPacket *p, BYTE *out)
{
    WTPKT data = ctx->lc.lcPktData;
    UINT size = 0;
#define PUT(bit, value)                                                                            \
    do {                                                                                           \
        if (data & (bit)) {                                                                        \
            if (out)                                                                               \
                CopyMemory(out + size, &(value), sizeof(value));                                   \
            size += sizeof(value);                                                                 \
        }                                                                                          \
    } while (0)
    PUT(PK_CONTEXT, ctx->handle);
    PUT(PK_STATUS, p->status);
    PUT(PK_TIME, p->time);
    PUT(PK_CHANGED, p->changed);
    PUT(PK_SERIAL_NUMBER, p->serial);
    PUT(PK_CURSOR, p->cursor);
    PUT(PK_BUTTONS, p->buttons);
    PUT(PK_X, p->x);
    PUT(PK_Y, p->y);
    PUT(PK_Z, p->z);
    PUT(PK_NORMAL_PRESSURE, p->npressure);
    PUT(PK_TANGENT_PRESSURE, p->tpressure);
    PUT(PK_ORIENTATION, p->orientation);
    PUT(PK_ROTATION, p->rotation);
#undef PUT
    if (data & PK_CONTEXT) {
        UINT align = sizeof(HCTX);
        UINT padded = (size + align - 1) / align * align;
        if (out)
            ZeroMemory(out + size, padded - size);
        size = padded;
    }
    return size;
}

static void RemovePackets(StandinContext *ctx, UINT n)
{
    MoveMemory(&ctx->queue[0], &ctx->queue[n], (ctx->queued - n) * sizeof(ctx->queue[0]));
    ctx->queued -= n;
}

extern "C" BOOL WINAPI WTPacket(HCTX hCtx, UINT wSerial, LPVOID lpPkt)
{
    EnsureLoaded();
    StandinContext *ctx = FindContext(hCtx);
    BOOL r = FALSE;
    if (IsOpen(ctx)) {
        for (UINT i = 0; i < ctx->queued; i++) {
            if (ctx->queue[i].serial == wSerial) {
                if (lpPkt)
                    FormatPacket(ctx, &ctx->queue[i], (BYTE *)lpPkt);
                RemovePackets(ctx, i + 1);
                r = TRUE;
                break;
            }
        }
    }
    LogCall("WTPacket", "ihup", LA(r), LA(hCtx), LA(wSerial), LA(lpPkt));
    return r;
}

extern "C" int WINAPI WTPacketsGet(HCTX hCtx, int cMaxPkts, LPVOID lpPkts)
{
    EnsureLoaded();
    StandinContext *ctx = FindContext(hCtx);
    int r = 0;
    if (IsOpen(ctx) && cMaxPkts > 0) {
        UINT n = (UINT)cMaxPkts < ctx->queued ? (UINT)cMaxPkts : ctx->queued;
        BYTE *out = (BYTE *)lpPkts;
        for (UINT i = 0; i < n && out; i++)
            out += FormatPacket(ctx, &ctx->queue[i], out);
        RemovePackets(ctx, n);
        r = (int)n;
    }
    LogCall("WTPacketsGet", "ihip", LA(r), LA(hCtx), LA(cMaxPkts), LA(lpPkts));
    return r;
}

/* Tablet input to context output along one axis; a negative output extent
   turns the axis round (y then grows downward from the top). */
static LONG MapAxis(LONG v, LONG inOrg, LONG inExt, LONG outOrg, LONG outExt)
{
    if (inExt <= 0)
        return outOrg;
    LONGLONG rel = (LONGLONG)v - inOrg;
    if (rel < 0)
        rel = 0;
    if (rel > inExt)
        rel = inExt;
    if (outExt < 0) {
        rel = inExt - rel;
        outExt = -outExt;
    }
    return (LONG)(outOrg + rel * outExt / inExt);
}

/* The open, enabled context of the device that is highest in the overlap order. */
static StandinContext *TopContext(UINT device)
{
    StandinContext *top = NULL;
    for (UINT i = 0; i < g_ctxCount; i++) {
        StandinContext *ctx = &g_ctx[i];
        if (ctx->lc.lcDevice != device || (ctx->lc.lcStatus & CXS_DISABLED))
            continue;
        if (!top || ctx->order > top->order)
            top = ctx;
    }
    return top;
}

static UINT PenEvent(UINT cursor, DWORD buttons, LONG x, LONG y)
{
    if (g_ifc.noTablet || cursor >= g_ifc.nCursors)
        return 0;
    UINT device = 0;
    while (device < g_ifc.nDevices && (cursor < g_dev[device].firstCsr ||
                                       cursor >= g_dev[device].firstCsr + g_dev[device].nCsrTypes))
        device++;
    StandinContext *ctx = device < g_ifc.nDevices ? TopContext(device) : NULL;
    if (!ctx)
        return 0;
    if (ctx->queued >= QUEUE_SIZE) {
        /* A program's full queue loses the packet, as a driver's does. The
           driver's own contexts feed the system cursor and nobody reads
           their queue: they keep the newest packets instead. */
        if (ctx->kind != KIND_SYSTEM)
            return 0;
        RemovePackets(ctx, 1);
    }

    const LOGCONTEXTW *lc = &ctx->lc;
    StandinPacket p;
    ZeroMemory(&p, sizeof(p));
    if (++s_serial == 0)
        ++s_serial;
    p.serial = s_serial;
    p.time = GetTickCount();
    p.cursor = cursor;
    p.buttons = buttons;
    p.x = MapAxis(x, lc->lcInOrgX, lc->lcInExtX, lc->lcOutOrgX, lc->lcOutExtX);
    p.y = MapAxis(y, lc->lcInOrgY, lc->lcInExtY, lc->lcOutOrgY, lc->lcOutExtY);
    p.npressure = (buttons & 1) ? (UINT)g_dev[device].npressure.axMax : 0;

    const StandinPacket *last = ctx->hasLast ? &ctx->last : NULL;
    p.changed = PK_SERIAL_NUMBER | PK_TIME;
    if (!last || last->cursor != p.cursor)
        p.changed |= PK_CURSOR;
    if (!last || last->buttons != p.buttons)
        p.changed |= PK_BUTTONS;
    if (!last || last->x != p.x)
        p.changed |= PK_X;
    if (!last || last->y != p.y)
        p.changed |= PK_Y;
    if (!last || last->npressure != p.npressure)
        p.changed |= PK_NORMAL_PRESSURE;
    p.changed &= lc->lcPktData;
    ctx->last = p;
    ctx->hasLast = TRUE;

    /* Relative fields report the motion since the context's previous packet. */
    if (lc->lcPktMode & PK_X)
        p.x = last ? p.x - last->x : 0;
    if (lc->lcPktMode & PK_Y)
        p.y = last ? p.y - last->y : 0;

    ctx->queue[ctx->queued++] = p;
    if ((lc->lcOptions & CXO_MESSAGES) && ctx->owner)
        PostMessageW(ctx->owner, WT_PACKET(lc->lcMsgBase), p.serial, (LPARAM)ctx->handle);
    return p.serial;
}

/* The test's pen: x, y in tablet counts, y upward from the lower-left corner. */
extern "C" UINT WINAPI StandinPenEvent(UINT cursor, DWORD buttons, LONG x, LONG y)
{
    EnsureLoaded();
    UINT r = PenEvent(cursor, buttons, x, y);
    LogCall("StandinPenEvent", "uuuii", LA(r), LA(cursor), LA(buttons), LA(x), LA(y));
    return r;
}
