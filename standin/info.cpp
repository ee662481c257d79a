/*
 * WTInfoA and WTInfoW: every answer is first built in wide characters into
 * one staging record, then sized, converted for the ANSI call and copied.
 */
#include "standin.h"

#include <stddef.h>

/* Past 300 characters, so that a caller that trusts the driver overruns. */
#define LONG_STRING_CHARS 320

enum AnswerKind { ANS_BYTES, ANS_TEXT, ANS_CONTEXT };

/* Texts have no limit: their staging buffer grows in the private heap. */
static struct {
    AnswerKind kind;
    UINT size; /* bytes, or characters with every NUL for text */
    union {
        BYTE bytes[256];
        LOGCONTEXTW ctx;
    };
    WCHAR *text;
    UINT textRoom;
} s_ans;

static BOOL AnsBytes(const void *data, UINT size)
{
    s_ans.kind = ANS_BYTES;
    s_ans.size = size;
    CopyMemory(s_ans.bytes, data, size);
    return TRUE;
}

static BOOL AnsUint(UINT v)
{
    return AnsBytes(&v, sizeof(v));
}

static BOOL AnsByte(BYTE v)
{
    return AnsBytes(&v, sizeof(v));
}

static BOOL AnsWord(UINT v)
{
    WORD w = (WORD)v;
    return AnsBytes(&w, sizeof(w));
}

/* Reported only when the description gives it: all zeros means absent. */
static BOOL AnsAxes(const AXIS *axes, UINT n)
{
    const BYTE *p = (const BYTE *)axes;
    for (UINT i = 0; i < n * sizeof(AXIS); i++)
        if (p[i])
            return AnsBytes(axes, n * sizeof(AXIS));
    return FALSE;
}

static BOOL RoomForText(UINT chars)
{
    if (chars <= s_ans.textRoom)
        return TRUE;
    WCHAR *text = (WCHAR *)StandinRealloc(s_ans.text, chars * sizeof(WCHAR));
    if (!text)
        return FALSE;
    s_ans.text = text;
    s_ans.textRoom = chars;
    return TRUE;
}

/* Characters of one string as answered, padded under the fault. */
static UINT TextChars(const WCHAR *s)
{
    UINT n = lstrlenW(s);
    return g_ifc.longStrings && n < LONG_STRING_CHARS ? LONG_STRING_CHARS : n;
}

/* Appends one NUL-terminated string at *used; the room is there. */
static void AppendText(const WCHAR *s, UINT *used)
{
    UINT n = lstrlenW(s), padded = TextChars(s);
    CopyMemory(s_ans.text + *used, s, n * sizeof(WCHAR));
    for (UINT i = n; i < padded; i++)
        s_ans.text[*used + i] = L'~';
    s_ans.text[*used + padded] = 0;
    *used += padded + 1;
}

static BOOL AnsText(const WCHAR *s)
{
    UINT used = 0;
    if (!RoomForText(TextChars(s) + 1))
        return FALSE;
    AppendText(s, &used);
    s_ans.kind = ANS_TEXT;
    s_ans.size = used;
    return TRUE;
}

static BOOL AnsNames(const WCHAR *list)
{
    UINT chars = 2; /* the final empty name, or two NULs for no names */
    for (const WCHAR *p = list; *p; p += lstrlenW(p) + 1)
        chars += TextChars(p) + 1;
    if (!RoomForText(chars))
        return FALSE;
    UINT used = 0;
    for (const WCHAR *p = list; *p; p += lstrlenW(p) + 1)
        AppendText(p, &used);
    s_ans.text[used++] = 0;
    if (used == 1)
        s_ans.text[used++] = 0; /* an empty list is two NULs */
    s_ans.kind = ANS_TEXT;
    s_ans.size = used;
    return TRUE;
}

static BOOL AnsContext(const LOGCONTEXTW *lc, UINT index)
{
    if (index == 0) {
        s_ans.kind = ANS_CONTEXT;
        s_ans.size = sizeof(LOGCONTEXTW);
        s_ans.ctx = *lc;
        return TRUE;
    }
    if (index == CTX_NAME)
        return AnsText(lc->lcName);
    if (index > CTX_SYSSENSY)
        return FALSE;
    /* Every field after the name is 4 bytes, in CTX_ order. */
    return AnsBytes((const BYTE *)lc + offsetof(LOGCONTEXTW, lcOptions) + (index - 2) * 4, 4);
}

static BOOL BuildInterface(UINT index)
{
    UINT devices = g_ifc.noTablet ? 0 : g_ifc.nDevices;
    UINT cursors = g_ifc.noTablet ? 0 : g_ifc.nCursors;
    switch (index) {
    case IFC_WINTABID:
        return AnsText(g_ifc.id);
    case IFC_SPECVERSION:
        return AnsWord(g_ifc.specVersion);
    case IFC_IMPLVERSION:
        return AnsWord(g_ifc.implVersion);
    case IFC_NDEVICES:
        return AnsUint(devices);
    case IFC_NCURSORS:
        return AnsUint(cursors);
    case IFC_NCONTEXTS:
        return AnsUint(MAX_CONTEXTS);
    case IFC_CTXOPTIONS:
        return AnsUint(g_ifc.ctxOptions);
    case IFC_CTXSAVESIZE:
    case IFC_NEXTENSIONS:
        return AnsUint(0);
    case IFC_NMANAGERS:
        return AnsUint(MAX_MANAGERS);
    }
    return FALSE;
}

static BOOL BuildStatus(UINT index)
{
    UINT sysCtxs = 0;
    WTPKT pktData = 0;
    for (UINT i = 0; i < g_ctxCount; i++) {
        sysCtxs += IsSystemContext(&g_ctx[i]) ? 1 : 0;
        pktData |= g_ctx[i].lc.lcPktData;
    }
    switch (index) {
    case STA_CONTEXTS:
        return AnsUint(g_ctxCount);
    case STA_SYSCTXS:
        return AnsUint(sysCtxs);
    case STA_PKTRATE:
        return AnsUint(g_dev[0].pktRate);
    case STA_PKTDATA:
        return AnsUint(pktData);
    case STA_MANAGERS:
        return AnsUint(g_mgrCount);
    case STA_SYSTEM:
        return AnsUint(TRUE);
    case STA_BUTTONUSE:
    case STA_SYSBTNUSE:
        return AnsUint(0xFFFFFFFF);
    }
    return FALSE;
}

static BOOL BuildDevice(const StandinDevice *d, UINT index)
{
    switch (index) {
    case DVC_NAME:
        return AnsText(d->name);
    case DVC_HARDWARE:
        return AnsUint(d->hardware);
    case DVC_NCSRTYPES:
        return AnsUint(d->nCsrTypes);
    case DVC_FIRSTCSR:
        return AnsUint(d->firstCsr);
    case DVC_PKTRATE:
        return AnsUint(d->pktRate);
    case DVC_PKTDATA:
        return AnsUint(d->pktData);
    case DVC_PKTMODE:
        return AnsUint(d->pktMode);
    case DVC_CSRDATA:
        return AnsUint(d->csrData);
    case DVC_XMARGIN:
    case DVC_YMARGIN:
    case DVC_ZMARGIN:
        return AnsUint((UINT)d->margin[index - DVC_XMARGIN]);
    case DVC_X:
    case DVC_Y:
    case DVC_Z:
        return AnsAxes(&d->axis[index - DVC_X], 1);
    case DVC_NPRESSURE:
        return AnsAxes(&d->npressure, 1);
    case DVC_TPRESSURE:
        return AnsAxes(&d->tpressure, 1);
    case DVC_ORIENTATION:
        return AnsAxes(d->orientation, 3);
    case DVC_ROTATION:
        return AnsAxes(d->rotation, 3);
    case DVC_PNPID:
        return AnsText(d->pnpId);
    }
    return FALSE;
}

static BOOL AnsList(const UintList *list)
{
    return list->count ? AnsBytes(list->value, list->count * sizeof(UINT)) : FALSE;
}

static BOOL BuildCursor(const StandinCursor *c, UINT index)
{
    switch (index) {
    case CSR_NAME:
        return AnsText(c->name);
    case CSR_ACTIVE:
        return AnsUint(c->active);
    case CSR_PKTDATA:
        return AnsUint(c->pktData);
    case CSR_BUTTONS:
        return AnsByte(c->buttons);
    case CSR_BUTTONBITS:
        return AnsByte(c->buttonBits);
    case CSR_BTNNAMES:
        return AnsNames(c->btnNames);
    case CSR_BUTTONMAP:
        return AnsBytes(c->buttonMap, 32);
    case CSR_SYSBTNMAP:
        return !c->noSysBtnMap && AnsBytes(c->sysBtnMap, 32);
    case CSR_NPBUTTON:
        return AnsByte(c->npButton);
    case CSR_NPBTNMARKS:
        return AnsBytes(c->npBtnMarks, sizeof(c->npBtnMarks));
    case CSR_NPRESPONSE:
        return AnsList(&c->npResponse);
    case CSR_TPBUTTON:
        return AnsByte(c->tpButton);
    case CSR_TPBTNMARKS:
        return AnsBytes(c->tpBtnMarks, sizeof(c->tpBtnMarks));
    case CSR_TPRESPONSE:
        return AnsList(&c->tpResponse);
    case CSR_PHYSID:
        return AnsUint(c->physId);
    case CSR_MODE:
        return AnsUint(c->mode);
    case CSR_MINPKTDATA:
        return AnsUint(c->minPktData);
    case CSR_MINBUTTONS:
        return AnsUint(c->minButtons);
    case CSR_CAPABILITIES:
        return AnsUint(c->capabilities);
    case CSR_TYPE:
        return AnsUint(c->type);
    }
    return FALSE;
}

/* Builds the answer into s_ans; FALSE when the item is not supported. */
static BOOL Build(UINT category, UINT index)
{
    if (category == WTI_INTERFACE)
        return BuildInterface(index);
    if (category == WTI_STATUS)
        return BuildStatus(index);
    if (g_ifc.noTablet || g_ifc.nDevices == 0)
        return FALSE;

    UINT n = category % 100;
    switch (category - n) {
    case 0:
        if (category == WTI_DEFCONTEXT)
            return AnsContext(&g_defCtx[0][1].lc, index);
        if (category == WTI_DEFSYSCTX)
            return AnsContext(&g_defCtx[0][0].lc, index);
        return FALSE;
    case WTI_DEVICES:
        return n < g_ifc.nDevices && BuildDevice(&g_dev[n], index);
    case WTI_CURSORS:
        return n < g_ifc.nCursors && BuildCursor(&g_csr[n], index);
    case WTI_DDCTXS:
        return n < g_ifc.nDevices && AnsContext(&g_defCtx[n][1].lc, index);
    case WTI_DSCTXS:
        return n < g_ifc.nDevices && AnsContext(&g_defCtx[n][0].lc, index);
    }
    return FALSE;
}

/* Copies the staged answer (when out is given) and returns its size. */
static UINT Emit(LPVOID out, BOOL ansi)
{
    switch (s_ans.kind) {
    case ANS_BYTES:
        if (out)
            CopyMemory(out, s_ans.bytes, s_ans.size);
        return s_ans.size;
    case ANS_TEXT:
        if (!ansi) {
            if (out)
                CopyMemory(out, s_ans.text, s_ans.size * sizeof(WCHAR));
            return s_ans.size * sizeof(WCHAR);
        } else {
            int n =
                WideCharToMultiByte(CP_ACP, 0, s_ans.text, (int)s_ans.size, NULL, 0, NULL, NULL);
            if (out)
                WideCharToMultiByte(CP_ACP, 0, s_ans.text, (int)s_ans.size, (LPSTR)out, n, NULL,
                                    NULL);
            return (UINT)n;
        }
    case ANS_CONTEXT:
        if (!ansi) {
            if (out)
                CopyMemory(out, &s_ans.ctx, sizeof(LOGCONTEXTW));
            return sizeof(LOGCONTEXTW);
        }
        if (out)
            ContextToAnsi(&s_ans.ctx, (LOGCONTEXTA *)out);
        return sizeof(LOGCONTEXTA);
    }
    return 0;
}

/* The size of the largest answer any item gives now, so that a buffer of
   that size holds every one. */
static UINT Largest(BOOL ansi)
{
    static const UINT firsts[] = {WTI_INTERFACE, WTI_STATUS,  WTI_DEFCONTEXT, WTI_DEFSYSCTX,
                                  WTI_DEVICES,   WTI_CURSORS, WTI_DDCTXS,     WTI_DSCTXS};
    UINT largest = 0;
    for (UINT f = 0; f < ARRAYSIZE(firsts); f++) {
        UINT count = firsts[f] == WTI_CURSORS   ? g_ifc.nCursors
                     : firsts[f] >= WTI_DEVICES ? g_ifc.nDevices
                                                : 1;
        for (UINT n = 0; n < count; n++) {
            for (UINT index = 0; index <= CTX_SYSSENSY; index++) {
                if (!Build(firsts[f] + n, index))
                    continue;
                UINT size = Emit(NULL, ansi);
                if (size > largest)
                    largest = size;
            }
        }
    }
    return largest;
}

UINT InfoAnswer(UINT category, UINT index, LPVOID out, BOOL ansi)
{
    if (category == 0)
        return g_ifc.noTablet ? 0 : Largest(ansi);
    if (!Build(category, index))
        return 0;
    return Emit(out, ansi);
}

void ContextToAnsi(const LOGCONTEXTW *w, LOGCONTEXTA *a)
{
    ZeroMemory(a->lcName, sizeof(a->lcName));
    WideCharToMultiByte(CP_ACP, 0, w->lcName, -1, a->lcName, LCNAMELEN - 1, NULL, NULL);
    CopyMemory(&a->lcOptions, &w->lcOptions,
               sizeof(LOGCONTEXTW) - offsetof(LOGCONTEXTW, lcOptions));
}

void ContextFromAnsi(const LOGCONTEXTA *a, LOGCONTEXTW *w)
{
    int n = 0;
    while (n < LCNAMELEN && a->lcName[n])
        n++;
    ZeroMemory(w->lcName, sizeof(w->lcName));
    MultiByteToWideChar(CP_ACP, 0, a->lcName, n, w->lcName, LCNAMELEN - 1);
    CopyMemory(&w->lcOptions, &a->lcOptions,
               sizeof(LOGCONTEXTA) - offsetof(LOGCONTEXTA, lcOptions));
}

extern "C" UINT WINAPI WTInfoW(UINT wCategory, UINT nIndex, LPVOID lpOutput)
{
    EnsureLoaded();
    UINT r = InfoAnswer(wCategory, nIndex, lpOutput, FALSE);
    LogCall("WTInfoW", "uuup", LA(r), LA(wCategory), LA(nIndex), LA(lpOutput));
    return r;
}

extern "C" UINT WINAPI WTInfoA(UINT wCategory, UINT nIndex, LPVOID lpOutput)
{
    EnsureLoaded();
    UINT r = InfoAnswer(wCategory, nIndex, lpOutput, TRUE);
    LogCall("WTInfoA", "uuup", LA(r), LA(wCategory), LA(nIndex), LA(lpOutput));
    return r;
}
