/*
 * The manager calls: handles, context enumeration, default contexts, the
 * device's configuration, cursor enabling and button maps, and the
 * WT_INFOCHANGE messages a driver posts when a manager changes its settings.
 */
#include "standin.h"

StandinManager g_mgr[MAX_MANAGERS];
UINT g_mgrCount;

/* WTSetW names no manager; its change is credited to the manager whose
   call reached the driver last (the one that found the context). */
static HMGR s_lastMgr;

static StandinManager *FindManager(HMGR hMgr)
{
    if (!hMgr)
        return NULL;
    for (UINT i = 0; i < g_mgrCount; i++) {
        if (g_mgr[i].handle == hMgr) {
            s_lastMgr = hMgr;
            return &g_mgr[i];
        }
    }
    return NULL;
}

/* To every manager's window and every message-receiving context's owner,
   once per window and message number. */
void PostInfoChange(UINT category, UINT index)
{
    struct Target {
        HWND hwnd;
        UINT msg;
    } sent[MAX_MANAGERS + MAX_CONTEXTS];
    UINT nsent = 0;

    for (UINT i = 0; i < g_mgrCount + g_ctxCount; i++) {
        Target t;
        if (i < g_mgrCount) {
            t.hwnd = g_mgr[i].hwnd;
            t.msg = WT_INFOCHANGE(g_mgr[i].msgBase);
        } else {
            const StandinContext *ctx = &g_ctx[i - g_mgrCount];
            if (!(ctx->lc.lcOptions & CXO_MESSAGES) || !ctx->owner)
                continue;
            t.hwnd = ctx->owner;
            t.msg = WT_INFOCHANGE(ctx->lc.lcMsgBase);
        }
        BOOL dup = FALSE;
        for (UINT j = 0; j < nsent && !dup; j++)
            dup = sent[j].hwnd == t.hwnd && sent[j].msg == t.msg;
        if (dup)
            continue;
        sent[nsent++] = t;
        PostMessageW(t.hwnd, t.msg, (WPARAM)s_lastMgr, MAKELPARAM(category, index));
    }
}

extern "C" HMGR WINAPI WTMgrOpen(HWND hWnd, UINT wMsgBase)
{
    EnsureLoaded();
    HMGR r = NULL;
    if (!g_ifc.mgrOpenFails && IsWindow(hWnd) && g_mgrCount < MAX_MANAGERS) {
        StandinManager *m = &g_mgr[g_mgrCount++];
        m->handle = (HMGR)(UINT_PTR)NewHandle();
        m->hwnd = hWnd;
        m->msgBase = wMsgBase;
        r = m->handle;
    }
    LogCall("WTMgrOpen", "hhu", LA(r), LA(hWnd), LA(wMsgBase));
    return r;
}

extern "C" BOOL WINAPI WTMgrClose(HMGR hMgr)
{
    EnsureLoaded();
    StandinManager *m = FindManager(hMgr);
    if (m) {
        UINT i = (UINT)(m - g_mgr);
        MoveMemory(&g_mgr[i], &g_mgr[i + 1], (g_mgrCount - i - 1) * sizeof(g_mgr[0]));
        g_mgrCount--;
        s_lastMgr = NULL;
    }
    LogCall("WTMgrClose", "ih", LA(m != NULL), LA(hMgr));
    return m != NULL;
}

/* Over a snapshot, so that a callback may open or close contexts. */
extern "C" BOOL WINAPI WTMgrContextEnum(HMGR hMgr, WTENUMPROC lpEnumFunc, LPARAM lParam)
{
    EnsureLoaded();
    BOOL r = FindManager(hMgr) && lpEnumFunc;
    if (r) {
        HCTX handles[MAX_CONTEXTS];
        UINT n = g_ctxCount;
        for (UINT i = 0; i < n; i++)
            handles[i] = g_ctx[i].handle;
        for (UINT i = 0; i < n; i++)
            if (FindContext(handles[i]) && !lpEnumFunc(handles[i], lParam))
                break;
    }
    LogCall("WTMgrContextEnum", "ihpp", LA(r), LA(hMgr), LA(lpEnumFunc), LA(lParam));
    return r;
}

extern "C" HWND WINAPI WTMgrContextOwner(HMGR hMgr, HCTX hCtx)
{
    EnsureLoaded();
    HWND r = NULL;
    StandinContext *ctx = FindContext(hCtx);
    if (FindManager(hMgr) && ctx)
        r = ctx->owner;
    LogCall("WTMgrContextOwner", "hhh", LA(r), LA(hMgr), LA(hCtx));
    return r;
}

static HCTX DefContext(HMGR hMgr, UINT device, BOOL system)
{
    if (!FindManager(hMgr) || g_ifc.noTablet || device >= g_ifc.nDevices)
        return NULL;
    if (system && g_ifc.noDefSysCtx)
        return NULL;
    return g_defCtx[device][system ? 0 : 1].handle;
}

extern "C" HCTX WINAPI WTMgrDefContext(HMGR hMgr, BOOL fSystem)
{
    EnsureLoaded();
    HCTX r = DefContext(hMgr, 0, fSystem);
    LogCall("WTMgrDefContext", "hhi", LA(r), LA(hMgr), LA(fSystem));
    return r;
}

extern "C" HCTX WINAPI WTMgrDefContextEx(HMGR hMgr, UINT wDevice, BOOL fSystem)
{
    EnsureLoaded();
    HCTX r = DefContext(hMgr, wDevice, fSystem);
    LogCall("WTMgrDefContextEx", "hhui", LA(r), LA(hMgr), LA(wDevice), LA(fSystem));
    return r;
}

/* Without a window: whether the driver has a dialog of its own; with one,
   the dialog's outcome (config.cpp). */
extern "C" UINT WINAPI WTMgrDeviceConfig(HMGR hMgr, UINT wDevice, HWND hWnd)
{
    EnsureLoaded();
    UINT r = WTDC_NONE;
    if (FindManager(hMgr) && !g_ifc.noTablet && wDevice < g_ifc.nDevices &&
        g_dev[wDevice].configDialog)
        r = hWnd ? ShowConfigDialog(wDevice, hWnd) : 1;
    LogCall("WTMgrDeviceConfig", "uhuh", LA(r), LA(hMgr), LA(wDevice), LA(hWnd));
    return r;
}

static BOOL CursorOk(HMGR hMgr, UINT cursor)
{
    return FindManager(hMgr) && !g_ifc.noTablet && cursor < g_ifc.nCursors;
}

extern "C" BOOL WINAPI WTMgrCsrEnable(HMGR hMgr, UINT wCursor, BOOL fEnable)
{
    EnsureLoaded();
    BOOL r = CursorOk(hMgr, wCursor);
    if (r && g_csr[wCursor].active != (fEnable ? 1u : 0u)) {
        g_csr[wCursor].active = fEnable ? 1 : 0;
        SaveCursor(wCursor, FALSE);
        PostInfoChange(WTI_CURSORS + wCursor, CSR_ACTIVE);
    }
    LogCall("WTMgrCsrEnable", "ihui", LA(r), LA(hMgr), LA(wCursor), LA(fEnable));
    return r;
}

/* WTP_LPDEFAULT puts the default back, null leaves a map alone. */
static BOOL SetMap(BYTE *map, const BYTE *def, const BYTE *given)
{
    const BYTE *from = given == (const BYTE *)WTP_LPDEFAULT ? def : given;
    if (!from || memcmp(map, from, 32) == 0)
        return FALSE;
    CopyMemory(map, from, 32);
    return TRUE;
}

extern "C" BOOL WINAPI WTMgrCsrButtonMap(HMGR hMgr, UINT wCursor, LPBYTE lpLogBtns,
                                         LPBYTE lpSysBtns)
{
    EnsureLoaded();
    BOOL r = CursorOk(hMgr, wCursor);
    if (r) {
        StandinCursor *c = &g_csr[wCursor];
        BOOL logChanged = SetMap(c->buttonMap, c->defButtonMap, lpLogBtns);
        BOOL sysChanged = SetMap(c->sysBtnMap, c->defSysBtnMap, lpSysBtns);
        BOOL onlyDefaults = (!lpLogBtns || lpLogBtns == (LPBYTE)WTP_LPDEFAULT) &&
                            (!lpSysBtns || lpSysBtns == (LPBYTE)WTP_LPDEFAULT);
        if (logChanged || sysChanged)
            SaveCursor(wCursor, onlyDefaults);
        if (logChanged)
            PostInfoChange(WTI_CURSORS + wCursor, CSR_BUTTONMAP);
        if (sysChanged)
            PostInfoChange(WTI_CURSORS + wCursor, CSR_SYSBTNMAP);
    }
    LogCall("WTMgrCsrButtonMap", "ihupp", LA(r), LA(hMgr), LA(wCursor), LA(lpLogBtns),
            LA(lpSysBtns));
    return r;
}
