/*
 * The tablet settings the panel edits, read from and written back to the
 * driver's system contexts and the active cursor's button map.
 *
 * The panel keeps nothing of its own: every quantity is asked of the driver
 * afresh, and a record lives only while a dialog edits it. The area is kept
 * top-down in the record, while the driver counts y upward from the tablet's
 * lower-left corner.
 */
#include "padcfg.h"

#include <wchar.h>

#define SYSTEM_NAME L"Default System"
#define SYSTEM_NAME_LEN 14 /* any name that begins so is a system context */
#define MAP_SIZE 32
#define ACTION_MASK 0x0F /* the mouse action; the high nibble is carried along */
/* Cursor categories run from WTI_CURSORS up to WTI_EXTENSIONS. */
#define MAX_CURSORS (WTI_EXTENSIONS - WTI_CURSORS)

/* Mouse buttons as the commit step's check counts them. */
#define LEFT_MOUSE 2
#define RIGHT_MOUSE 4

static DWORD AxisExtent(int kind)
{
    AXIS axis;
    ReadTabletAxis(kind, &axis);
    return (DWORD)(axis.axMax - axis.axMin);
}

DWORD GetTabletWidth(void)
{
    return AxisExtent(0);
}

DWORD GetTabletHeight(void)
{
    return AxisExtent(KIND_Y);
}

int GetTabletUnitIndex(void)
{
    AXIS axis;
    ReadTabletAxis(0, &axis);
    return (int)axis.axUnits - 1;
}

FIX32 GetTabletResolution(void)
{
    AXIS axis;
    ReadTabletAxis(0, &axis);
    return axis.axResolution;
}

/* An exact half rounds down. */
DWORD GetRoundedResolution(void)
{
    FIX32 resolution = GetTabletResolution();
    return (resolution >> 16) + ((resolution & 0xFFFF) > 0x8000 ? 1 : 0);
}

static UINT ReadUint(UINT category, UINT index)
{
    UINT value = 0;
    WTInfoCopy(category, index, &value, sizeof(value));
    return value;
}

/* A device that claims more types than the driver has cursors, or types
   past the cursor categories, would have the panel ask about cursors that
   are not there, or about something else entirely. */
UINT GetDeviceCursors(UINT *first)
{
    UINT device = WTI_DEVICES + GetTabletDevice();
    *first = ReadUint(device, DVC_FIRSTCSR);
    UINT count = ReadUint(device, DVC_NCSRTYPES);
    UINT limit = ReadUint(WTI_INTERFACE, IFC_NCURSORS);
    if (limit == 0 || limit > MAX_CURSORS)
        limit = MAX_CURSORS;
    if (*first >= limit) {
        *first = 0; /* none of the device's is a cursor: the first one stands in */
        return 0;
    }
    return count < limit - *first ? count : limit - *first;
}

BOOL FindActiveCursor(UINT *cursor)
{
    UINT first;
    UINT count = GetDeviceCursors(&first);
    for (UINT i = 0; i < count; i++) {
        if (ReadUint(WTI_CURSORS + first + i, CSR_ACTIVE)) {
            *cursor = first + i;
            return TRUE;
        }
    }
    *cursor = first;
    return FALSE;
}

/* With no cursor type active, the device's first one stands in. */
UINT GetActiveCursor(void)
{
    UINT cursor;
    FindActiveCursor(&cursor);
    return cursor;
}

BYTE GetCursorButtonCount(void)
{
    BYTE buttons = 0;
    WTInfoCopy(WTI_CURSORS + GetActiveCursor(), CSR_BUTTONS, &buttons, sizeof(buttons));
    return buttons;
}

static BOOL ReadButtonMap(UINT cursor, BYTE *map)
{
    return WTInfoCopy(WTI_CURSORS + cursor, CSR_SYSBTNMAP, map, MAP_SIZE) != 0;
}

static BOOL IsDeviceSystemContext(const LOGCONTEXTW *ctx)
{
    return _wcsnicmp(ctx->lcName, SYSTEM_NAME, SYSTEM_NAME_LEN) == 0 &&
           ctx->lcDevice == GetTabletDevice();
}

static BOOL CALLBACK FindSystemContext(HCTX hctx, LPARAM lParam)
{
    LOGCONTEXTW ctx;
    ZeroMemory(&ctx, sizeof(ctx));
    WTGetW(hctx, &ctx);
    if (!IsDeviceSystemContext(&ctx))
        return TRUE;
    *(HCTX *)lParam = hctx;
    return FALSE;
}

/* The record both operations start from: the device's first system context,
   else the driver's default system context. FALSE when the driver gives
   neither, and then nothing is to be written from it. */
static BOOL ReadSystemContext(LOGCONTEXTW *ctx)
{
    HCTX found = NULL;
    WTMgrContextEnum(g_hMgr, FindSystemContext, (LPARAM)&found);
    ZeroMemory(ctx, sizeof(*ctx));
    if (found)
        return WTGetW(found, ctx);
    return WTInfoCopy(WTI_DEFSYSCTX, 0, ctx, sizeof(*ctx)) != 0;
}

static BOOL SameActions(const BYTE *a, const BYTE *b)
{
    for (int i = 0; i < MAP_SIZE; i++)
        if ((a[i] & ACTION_MASK) != (b[i] & ACTION_MASK))
            return FALSE;
    return TRUE;
}

/* An edge of the driver's area, kept on the tablet: an area reported past
   the tablet's edges would otherwise wrap round into huge counts. */
static DWORD OnAxis(LONGLONG v, DWORD extent)
{
    return v < 0 ? 0 : v > (LONGLONG)extent ? extent : (DWORD)v;
}

void ReadSettings(TabletSettings *r)
{
    LOGCONTEXTW ctx;
    ReadSystemContext(&ctx);
    ZeroMemory(r, sizeof(*r));

    UINT options = 0;
    WTInfoCopy(WTI_INTERFACE, IFC_CTXOPTIONS, &options, sizeof(options));
    BOOL pen = (options & CXO_PEN) && (ctx.lcOptions & CXO_PEN);
    r->trackingMode = pen || ctx.lcSysMode == 0 ? 1 : 0;
    r->sensitivity = ctx.lcSysSensX;

    DWORD width = GetTabletWidth(), height = GetTabletHeight();
    r->left = OnAxis(ctx.lcInOrgX, width);
    r->top = OnAxis((LONGLONG)height - ctx.lcInOrgY - ctx.lcInExtY, height);
    r->right = OnAxis((LONGLONG)ctx.lcInOrgX + ctx.lcInExtX, width);
    r->bottom = OnAxis((LONGLONG)height - ctx.lcInOrgY, height);
    if (r->right < r->left)
        r->right = r->left;
    if (r->bottom < r->top)
        r->bottom = r->top;
    r->wholeTablet = r->left == 0 && r->top == 0 && r->right == width && r->bottom == height;

    /* The default map is learnt by resetting to it and putting the current
       one back, which is only safe when the current one could be read. */
    UINT cursor = GetActiveCursor();
    BYTE defaults[MAP_SIZE];
    ZeroMemory(defaults, sizeof(defaults));
    if (ReadButtonMap(cursor, r->sysButtonMap)) {
        WTMgrCsrButtonMap(g_hMgr, cursor, NULL, (LPBYTE)WTP_LPDEFAULT);
        ReadButtonMap(cursor, defaults);
        WTMgrCsrButtonMap(g_hMgr, cursor, NULL, r->sysButtonMap);
    }
    r->defaultButtons = SameActions(r->sysButtonMap, defaults);
}

/* The cursor's default map keeps the record's pen actions (high nibbles)
   unless the default brings pen actions of its own. */
static void ApplyButtonMap(TabletSettings *r)
{
    UINT cursor = GetActiveCursor();
    if (!r->defaultButtons) {
        WTMgrCsrButtonMap(g_hMgr, cursor, NULL, r->sysButtonMap);
        return;
    }

    BYTE kept[MAP_SIZE];
    for (int i = 0; i < MAP_SIZE; i++)
        kept[i] = r->sysButtonMap[i] & ~ACTION_MASK;
    WTMgrCsrButtonMap(g_hMgr, cursor, NULL, (LPBYTE)WTP_LPDEFAULT);
    if (!ReadButtonMap(cursor, r->sysButtonMap))
        return; /* a map that was never read is not written */
    for (int i = 0; i < MAP_SIZE; i++)
        if (r->sysButtonMap[i] & ~ACTION_MASK)
            return;
    ReadButtonMap(cursor, r->sysButtonMap);
    for (int i = 0; i < MAP_SIZE; i++)
        r->sysButtonMap[i] |= kept[i];
    WTMgrCsrButtonMap(g_hMgr, cursor, NULL, r->sysButtonMap);
}

/* Every system context of the device takes the settings, and nothing else. */
static BOOL CALLBACK PropagateSystemContext(HCTX hctx, LPARAM lParam)
{
    const LOGCONTEXTW *from = (const LOGCONTEXTW *)lParam;
    LOGCONTEXTW ctx;
    ZeroMemory(&ctx, sizeof(ctx));
    WTGetW(hctx, &ctx);
    if (IsDeviceSystemContext(&ctx)) {
        ctx.lcInOrgX = from->lcInOrgX;
        ctx.lcInOrgY = from->lcInOrgY;
        ctx.lcInExtX = from->lcInExtX;
        ctx.lcInExtY = from->lcInExtY;
        ctx.lcSysMode = from->lcSysMode;
        ctx.lcSysSensX = from->lcSysSensX;
        ctx.lcSysSensY = from->lcSysSensY;
        WTSetW(hctx, &ctx);
    }
    return TRUE;
}

void ApplySettings(TabletSettings *r)
{
    LOGCONTEXTW ctx;
    BOOL haveContext = ReadSystemContext(&ctx);

    ctx.lcSysMode = r->trackingMode == 0 ? 1 : 0;
    ctx.lcSysSensX = ctx.lcSysSensY = r->sensitivity;
    DWORD width = GetTabletWidth(), height = GetTabletHeight();
    if (r->wholeTablet) {
        ctx.lcInOrgX = 0;
        ctx.lcInOrgY = 0;
        ctx.lcInExtX = (LONG)width;
        ctx.lcInExtY = (LONG)height;
    } else {
        ctx.lcInOrgX = (LONG)r->left;
        ctx.lcInOrgY = (LONG)(height - r->bottom);
        ctx.lcInExtX = (LONG)(r->right - r->left);
        ctx.lcInExtY = (LONG)(r->bottom - r->top);
    }

    ApplyButtonMap(r);

    if (!haveContext)
        return;
    WTMgrContextEnum(g_hMgr, PropagateSystemContext, (LPARAM)&ctx);
    HCTX defaultContext = WTMgrDefContext(g_hMgr, TRUE);
    if (defaultContext)
        WTSetW(defaultContext, &ctx);
}

/* The mouse buttons that some button of the cursor produces with a map. */
static UINT ReachedMouseButtons(const BYTE *map, UINT buttons)
{
    UINT reached = 0;
    for (UINT i = 0; i < buttons && i < MAP_SIZE; i++) {
        BYTE action = map[i] & ACTION_MASK;
        if (action >= SBN_LCLICK && action <= SBN_LDRAG)
            reached |= LEFT_MOUSE;
        else if (action >= SBN_RCLICK && action <= SBN_RDRAG)
            reached |= RIGHT_MOUSE;
    }
    return reached;
}

static UINT LostButtonsText(UINT lost)
{
    if (lost == LEFT_MOUSE)
        return IDS_LEFT_BUTTON;
    if (lost == RIGHT_MOUSE)
        return IDS_RIGHT_BUTTON;
    return IDS_BOTH_BUTTONS;
}

/* A person who works the machine with the tablet alone must not lose a
   mouse button unawares: such settings are taken back, and stand only when
   the person says OK to the warning. */
BOOL CommitSettings(HWND hwnd, TabletSettings *r)
{
    TabletSettings saved;
    ReadSettings(&saved);
    ApplySettings(r);

    UINT cursor = GetActiveCursor();
    BYTE buttons = GetCursorButtonCount();
    BYTE now[MAP_SIZE];
    ZeroMemory(now, sizeof(now));
    ReadButtonMap(cursor, now);
    UINT lost =
        ReachedMouseButtons(saved.sysButtonMap, buttons) & ~ReachedMouseButtons(now, buttons);
    if (buttons == 1)
        lost &= ~RIGHT_MOUSE;
    if (!lost)
        return TRUE;

    ApplySettings(&saved);
    WCHAR text[2 * MESSAGE_LEN], caption[MESSAGE_LEN];
    if (LoadStringW(g_hInst, IDS_WILL_DISABLE, text, MESSAGE_LEN) <= 0)
        text[0] = 0;
    int length = lstrlenW(text);
    if (LoadStringW(g_hInst, LostButtonsText(lost), text + length, MESSAGE_LEN) <= 0)
        text[length] = 0;
    if (LoadStringW(g_hInst, IDS_WARNING, caption, MESSAGE_LEN) <= 0)
        caption[0] = 0;
    if (MessageBoxW(hwnd, text, caption, MB_OKCANCEL | MB_ICONWARNING | MB_DEFBUTTON2) != IDOK)
        return FALSE;
    ApplySettings(r);
    return TRUE;
}

void ProbeSettings(TabletSettings *working)
{
    TabletSettings temporary;
    ReadSettings(&temporary);
    ApplySettings(working);
    ReadSettings(working);
    ApplySettings(&temporary);
}
