/*
 * The tablet settings the panel edits, read from and written back to the
 * driver's system contexts and the active cursor's button map.
 *
 * The panel keeps nothing of its own: every quantity is asked of the driver
 * afresh, and a record lives only while a dialog edits it. The area is kept
 * top-down in the record, counted from the tablet's top-left corner, while
 * the driver counts y upward from the lower-left corner and its axes may
 * start elsewhere than 0. A record remembers what the driver held when it
 * was read, so that writing it back changes only what the person changed.
 */
#include "padcfg.h"

#include <string.h>

#define SYSTEM_NAME TEXT("Default System")
#define SYSTEM_NAME_LEN 14 /* any name that begins so is a system context */
/* The name is English: it is compared so, whatever the user's language. */
#define SYSTEM_NAME_LOCALE MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT)
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

DWORD GetRoundedResolution(void)
{
    return RoundFixed(GetTabletResolution(), FIX32_BITS);
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

static BYTE GetCursorButtonCount(void)
{
    BYTE buttons = 0;
    WTInfoCopy(WTI_CURSORS + GetActiveCursor(), CSR_BUTTONS, &buttons, sizeof(buttons));
    return buttons;
}

BOOL ReadButtonMap(UINT cursor, BYTE *map)
{
    return WTInfoCopy(WTI_CURSORS + cursor, CSR_SYSBTNMAP, map, BUTTON_MAP_SIZE) != 0;
}

/* The name's beginning, in any case; a driver's name need not end inside
   the record, so no more of it than the beginning is read. */
static BOOL IsDeviceSystemContext(const LOGCONTEXT *ctx)
{
    int n = 0;
    while (n < SYSTEM_NAME_LEN && ctx->lcName[n])
        n++;
    return CompareString(SYSTEM_NAME_LOCALE, NORM_IGNORECASE | SORT_STRINGSORT, ctx->lcName, n,
                         SYSTEM_NAME, SYSTEM_NAME_LEN) == CSTR_EQUAL &&
           ctx->lcDevice == GetTabletDevice();
}

/* A context as the driver holds it now; FALSE when it is not a system
   context of the device. */
static BOOL GetSystemContext(HCTX hctx, LOGCONTEXT *ctx)
{
    ZeroMemory(ctx, sizeof(*ctx));
    WTGet(hctx, ctx);
    return IsDeviceSystemContext(ctx);
}

static BOOL CALLBACK KeepSystemContext(HCTX hctx, LPARAM lParam)
{
    TabletSource *source = (TabletSource *)lParam;
    LOGCONTEXT ctx;
    if (GetSystemContext(hctx, &ctx) && source->contexts < MAX_SYSTEM_CONTEXTS) {
        source->handles[source->contexts] = hctx;
        source->records[source->contexts++] = ctx;
    }
    return TRUE;
}

static BOOL SameActions(const BYTE *a, const BYTE *b)
{
    for (int i = 0; i < BUTTON_MAP_SIZE; i++)
        if ((a[i] & BUTTON_ACTION_MASK) != (b[i] & BUTTON_ACTION_MASK))
            return FALSE;
    return TRUE;
}

/* An edge of the driver's area, kept on the tablet for the fields and the
   picture: an area reported past the tablet's edges would otherwise wrap
   round into huge counts. */
static DWORD OnAxis(LONGLONG v, DWORD extent)
{
    return v < 0 ? 0 : v > (LONGLONG)extent ? extent : (DWORD)v;
}

/* The panel counts from the tablet's top-left corner, at 0; the driver's
   axes may start elsewhere, and count y upward. */
struct TabletFrame {
    LONG x0, y0;
    DWORD width, height;
};

static void ReadFrame(TabletFrame *f)
{
    AXIS x, y;
    ReadTabletAxis(0, &x);
    ReadTabletAxis(KIND_Y, &y);
    f->x0 = x.axMin;
    f->y0 = y.axMin;
    f->width = (DWORD)(x.axMax - x.axMin);
    f->height = (DWORD)(y.axMax - y.axMin);
}

/* Mode, sensitivity and area of a record from a system context. */
static void SettingsFromContext(const LOGCONTEXT *ctx, TabletSettings *r)
{
    UINT options = ReadUint(WTI_INTERFACE, IFC_CTXOPTIONS);
    BOOL pen = (options & CXO_PEN) && (ctx->lcOptions & CXO_PEN);
    r->trackingMode = pen || ctx->lcSysMode == 0 ? 1 : 0;
    r->sensitivity = ctx->lcSysSensX;

    TabletFrame f;
    ReadFrame(&f);
    LONGLONG left = (LONGLONG)ctx->lcInOrgX - f.x0,
             bottom = (LONGLONG)f.height - (ctx->lcInOrgY - f.y0);
    r->left = OnAxis(left, f.width);
    r->top = OnAxis(bottom - ctx->lcInExtY, f.height);
    r->right = OnAxis(left + ctx->lcInExtX, f.width);
    r->bottom = OnAxis(bottom, f.height);
    if (r->right < r->left)
        r->right = r->left;
    if (r->bottom < r->top)
        r->bottom = r->top;
    r->wholeTablet = r->left == 0 && r->top == 0 && r->right == f.width && r->bottom == f.height;
}

void ReadSettings(TabletSettings *r)
{
    ZeroMemory(r, sizeof(*r));
    TabletSource *source = &r->source;
    source->read = TRUE;
    WTMgrContextEnum(g_hMgr, KeepSystemContext, (LPARAM)source);
    source->defaultHandle = WTMgrDefContext(g_hMgr, TRUE);
    if (source->defaultHandle)
        WTGet(source->defaultHandle, &source->defaultRecord);

    /* The device's first system context, else the driver's default one. */
    if (source->contexts)
        source->settings = source->records[0];
    else
        WTInfoCopy(WTI_DEFSYSCTX, 0, &source->settings, sizeof(source->settings));
    SettingsFromContext(&source->settings, r);

    /* The default map is learnt by resetting to it and putting the current
       one back, which is only safe when the current one could be read. */
    source->cursor = GetActiveCursor();
    BYTE defaults[BUTTON_MAP_SIZE];
    ZeroMemory(defaults, sizeof(defaults));
    source->mapRead = ReadButtonMap(source->cursor, source->map);
    if (source->mapRead) {
        WTMgrCsrButtonMap(g_hMgr, source->cursor, NULL, (LPBYTE)WTP_LPDEFAULT);
        ReadButtonMap(source->cursor, defaults);
        WTMgrCsrButtonMap(g_hMgr, source->cursor, NULL, source->map);
    }
    CopyMemory(r->sysButtonMap, source->map, BUTTON_MAP_SIZE);
    r->defaultButtons = source->defaultButtons = SameActions(r->sysButtonMap, defaults);
}

/* The cursor's default map keeps the record's pen actions (high nibbles)
   unless the default brings pen actions of its own. */
static void ApplyDefaultMap(UINT cursor, TabletSettings *r)
{
    BYTE kept[BUTTON_MAP_SIZE];
    for (int i = 0; i < BUTTON_MAP_SIZE; i++)
        kept[i] = r->sysButtonMap[i] & ~BUTTON_ACTION_MASK;
    WTMgrCsrButtonMap(g_hMgr, cursor, NULL, (LPBYTE)WTP_LPDEFAULT);
    if (!ReadButtonMap(cursor, r->sysButtonMap))
        return;
    for (int i = 0; i < BUTTON_MAP_SIZE; i++)
        if (r->sysButtonMap[i] & ~BUTTON_ACTION_MASK)
            return;
    ReadButtonMap(cursor, r->sysButtonMap);
    for (int i = 0; i < BUTTON_MAP_SIZE; i++)
        r->sysButtonMap[i] |= kept[i];
    WTMgrCsrButtonMap(g_hMgr, cursor, NULL, r->sysButtonMap);
}

/* A map that could not be read is never written; one the person left as it
   was goes back as it was read. */
static void ApplyButtonMap(TabletSettings *r)
{
    const TabletSource *source = &r->source;
    UINT cursor = source->read ? source->cursor : GetActiveCursor();
    if (source->read && !source->mapRead)
        return;
    if (source->read && r->defaultButtons == source->defaultButtons &&
        memcmp(r->sysButtonMap, source->map, BUTTON_MAP_SIZE) == 0)
        WTMgrCsrButtonMap(g_hMgr, cursor, NULL, (LPBYTE)source->map);
    else if (r->defaultButtons)
        ApplyDefaultMap(cursor, r);
    else
        WTMgrCsrButtonMap(g_hMgr, cursor, NULL, r->sysButtonMap);
}

/* The settings of a record that differ from those it was read with, and the
   context fields that carry them. */
#define CHANGED_MODE 1
#define CHANGED_SENSITIVITY 2
#define CHANGED_AREA 4

struct ContextWrite {
    const TabletSource *source;
    UINT changed;
    LOGCONTEXT values; /* the changed settings, in context fields */
};

static UINT ChangedSettings(const TabletSettings *r)
{
    if (!r->source.read)
        return CHANGED_MODE | CHANGED_SENSITIVITY | CHANGED_AREA;
    TabletSettings read;
    SettingsFromContext(&r->source.settings, &read);
    UINT changed = 0;
    if (r->trackingMode != read.trackingMode)
        changed |= CHANGED_MODE;
    if (r->sensitivity != read.sensitivity)
        changed |= CHANGED_SENSITIVITY;
    if (r->wholeTablet != read.wholeTablet ||
        (!r->wholeTablet && (r->left != read.left || r->top != read.top || r->right != read.right ||
                             r->bottom != read.bottom)))
        changed |= CHANGED_AREA;
    return changed;
}

static void ChangeContext(const ContextWrite *w, LOGCONTEXT *ctx)
{
    if (w->changed & CHANGED_MODE)
        ctx->lcSysMode = w->values.lcSysMode;
    if (w->changed & CHANGED_SENSITIVITY) {
        ctx->lcSysSensX = w->values.lcSysSensX;
        ctx->lcSysSensY = w->values.lcSysSensY;
    }
    if (w->changed & CHANGED_AREA) {
        ctx->lcInOrgX = w->values.lcInOrgX;
        ctx->lcInOrgY = w->values.lcInOrgY;
        ctx->lcInExtX = w->values.lcInExtX;
        ctx->lcInExtY = w->values.lcInExtY;
    }
}

/* A context takes the changed settings on top of what it held when the
   record was read (what it holds now, when it was not among those read). */
static void WriteContext(const ContextWrite *w, HCTX hctx, const LOGCONTEXT *now,
                         const HCTX *handles, const LOGCONTEXT *records, UINT count)
{
    LOGCONTEXT ctx = *now;
    for (UINT i = 0; i < count; i++)
        if (handles[i] == hctx)
            ctx = records[i];
    ChangeContext(w, &ctx);
    WTSet(hctx, &ctx);
}

static BOOL CALLBACK WriteSystemContext(HCTX hctx, LPARAM lParam)
{
    const ContextWrite *w = (const ContextWrite *)lParam;
    LOGCONTEXT now;
    if (GetSystemContext(hctx, &now))
        WriteContext(w, hctx, &now, w->source->handles, w->source->records, w->source->contexts);
    return TRUE;
}

/* Every system context of the device and the manager's default one get
   the settings changed since the record was read, and nothing else. */
void ApplySettings(TabletSettings *r)
{
    ContextWrite w;
    ZeroMemory(&w, sizeof(w));
    w.source = &r->source;
    w.changed = ChangedSettings(r);
    w.values.lcSysMode = r->trackingMode == 0 ? 1 : 0;
    w.values.lcSysSensX = w.values.lcSysSensY = r->sensitivity;
    TabletFrame f;
    ReadFrame(&f);
    if (r->wholeTablet) {
        w.values.lcInOrgX = f.x0;
        w.values.lcInOrgY = f.y0;
        w.values.lcInExtX = (LONG)f.width;
        w.values.lcInExtY = (LONG)f.height;
    } else {
        w.values.lcInOrgX = (LONG)(f.x0 + r->left);
        w.values.lcInOrgY = (LONG)(f.y0 + (f.height - r->bottom));
        w.values.lcInExtX = (LONG)(r->right - r->left);
        w.values.lcInExtY = (LONG)(r->bottom - r->top);
    }

    ApplyButtonMap(r);

    WTMgrContextEnum(g_hMgr, WriteSystemContext, (LPARAM)&w);
    HCTX defaultContext = WTMgrDefContext(g_hMgr, TRUE);
    if (defaultContext) {
        LOGCONTEXT now;
        ZeroMemory(&now, sizeof(now));
        WTGet(defaultContext, &now);
        WriteContext(&w, defaultContext, &now, &r->source.defaultHandle, &r->source.defaultRecord,
                     r->source.defaultHandle ? 1 : 0);
    }
}

/* The mouse buttons that some button of the cursor produces with a map. */
static UINT ReachedMouseButtons(const BYTE *map, UINT buttons)
{
    UINT reached = 0;
    for (UINT i = 0; i < buttons && i < BUTTON_MAP_SIZE; i++) {
        BYTE action = map[i] & BUTTON_ACTION_MASK;
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
    BYTE now[BUTTON_MAP_SIZE];
    ZeroMemory(now, sizeof(now));
    ReadButtonMap(cursor, now);
    UINT lost =
        ReachedMouseButtons(saved.sysButtonMap, buttons) & ~ReachedMouseButtons(now, buttons);
    if (buttons == 1)
        lost &= ~RIGHT_MOUSE;
    if (!lost)
        return TRUE;

    ApplySettings(&saved);
    TCHAR text[2 * MESSAGE_LEN], caption[MESSAGE_LEN];
    int length = LoadText(IDS_WILL_DISABLE, text, MESSAGE_LEN);
    LoadText(LostButtonsText(lost), text + length, MESSAGE_LEN);
    LoadText(IDS_WARNING, caption, MESSAGE_LEN);
    if (MessageBox(hwnd, text, caption, MB_OKCANCEL | MB_ICONWARNING | MB_DEFBUTTON2) != IDOK)
        return FALSE;
    ApplySettings(r);
    return TRUE;
}

/* Only the button part is learnt, so only the map is written and put back:
   the rest of the working record is the person's, whatever the driver makes
   of it, and the system contexts need not be set and set back for it. */
void ProbeSettings(TabletSettings *working)
{
    TabletSettings before, after;
    ReadSettings(&before);
    ApplyButtonMap(working);
    ReadSettings(&after);
    working->defaultButtons = after.defaultButtons;
    CopyMemory(working->sysButtonMap, after.sysButtonMap, BUTTON_MAP_SIZE);
    ApplyButtonMap(&before);
}
