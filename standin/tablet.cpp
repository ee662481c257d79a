/*
 * The tablet description: the built-in default tablet, the INI file that
 * replaces parts of it, and the write-back of the settings a manager
 * changes, so that they outlast a restart of the driver as a real one's do.
 *
 * Every key of a section is optional; a missing key keeps the built-in
 * value. Reading and writing go through one table per section kind, so the
 * written form is the read form.
 */
#include "standin.h"

#include <stddef.h>

StandinInterface g_ifc;
StandinDevice g_dev[MAX_DEVICES];
StandinCursor g_csr[MAX_CURSORS];
LOGCONTEXTW g_sysCtxDesc[MAX_SYSCTXS];
LOGCONTEXTW g_defCtxDesc[MAX_DEVICES][2];
WCHAR g_descPath[MAX_PATH];
HINSTANCE g_hinst;

enum FieldType {
    F_STR,    /* string of count characters, in the record */
    F_TEXT,   /* string of any length, in the private heap */
    F_DEC,    /* 32-bit number, written in decimal */
    F_HEX,    /* 32-bit number, written in 0x hex */
    F_FIX,    /* FIX32, written as a decimal fraction */
    F_BYTE,   /* 8-bit number */
    F_AXES,   /* count AXIS records: min, max, units, resolution each */
    F_UINTS,  /* count 32-bit numbers */
    F_LIST,   /* UintList */
    F_MAP,    /* 32-byte button map, written in decimal */
    F_SYSMAP, /* 32-byte system button map, written in hex */
    F_NAMES   /* button names separated by commas, stored as a NUL list in the heap */
};

struct Field {
    const WCHAR *key;
    FieldType type;
    size_t offset;
    UINT count;
};

#define FIELD(rec, key, type, member, count)                                                       \
    {                                                                                              \
        key, type, offsetof(rec, member), count                                                    \
    }

static const Field s_ifcFields[] = {
    FIELD(StandinInterface, L"WintabId", F_TEXT, id, 0),
    FIELD(StandinInterface, L"SpecVersion", F_HEX, specVersion, 1),
    FIELD(StandinInterface, L"ImplVersion", F_HEX, implVersion, 1),
    FIELD(StandinInterface, L"ContextOptions", F_HEX, ctxOptions, 1),
    FIELD(StandinInterface, L"Devices", F_DEC, nDevices, 1),
    FIELD(StandinInterface, L"Cursors", F_DEC, nCursors, 1),
    FIELD(StandinInterface, L"SystemContexts", F_DEC, nSysCtxs, 1),
    FIELD(StandinInterface, L"NoTablet", F_DEC, noTablet, 1),
    FIELD(StandinInterface, L"MgrOpenFails", F_DEC, mgrOpenFails, 1),
    FIELD(StandinInterface, L"LongStrings", F_DEC, longStrings, 1),
    FIELD(StandinInterface, L"OpenFails", F_DEC, openFails, 1),
    FIELD(StandinInterface, L"NoDefaultSystemContext", F_DEC, noDefSysCtx, 1),
    {NULL, F_DEC, 0, 0}};

static const Field s_devFields[] = {FIELD(StandinDevice, L"Name", F_TEXT, name, 0),
                                    FIELD(StandinDevice, L"Hardware", F_HEX, hardware, 1),
                                    FIELD(StandinDevice, L"PacketRate", F_DEC, pktRate, 1),
                                    FIELD(StandinDevice, L"PacketData", F_HEX, pktData, 1),
                                    FIELD(StandinDevice, L"PacketMode", F_HEX, pktMode, 1),
                                    FIELD(StandinDevice, L"CursorData", F_HEX, csrData, 1),
                                    FIELD(StandinDevice, L"XMargin", F_DEC, margin[0], 1),
                                    FIELD(StandinDevice, L"YMargin", F_DEC, margin[1], 1),
                                    FIELD(StandinDevice, L"ZMargin", F_DEC, margin[2], 1),
                                    FIELD(StandinDevice, L"X", F_AXES, axis[0], 1),
                                    FIELD(StandinDevice, L"Y", F_AXES, axis[1], 1),
                                    FIELD(StandinDevice, L"Z", F_AXES, axis[2], 1),
                                    FIELD(StandinDevice, L"NPressure", F_AXES, npressure, 1),
                                    FIELD(StandinDevice, L"TPressure", F_AXES, tpressure, 1),
                                    FIELD(StandinDevice, L"Orientation", F_AXES, orientation, 3),
                                    FIELD(StandinDevice, L"Rotation", F_AXES, rotation, 3),
                                    FIELD(StandinDevice, L"PnpId", F_TEXT, pnpId, 0),
                                    FIELD(StandinDevice, L"FirstCursor", F_DEC, firstCsr, 1),
                                    FIELD(StandinDevice, L"CursorTypes", F_DEC, nCsrTypes, 1),
                                    FIELD(StandinDevice, L"ConfigDialog", F_DEC, configDialog, 1),
                                    FIELD(StandinDevice, L"ConfigResult", F_DEC, configResult, 1),
                                    FIELD(StandinDevice, L"ConfigTimeout", F_DEC, configTimeout, 1),
                                    {NULL, F_DEC, 0, 0}};

static const Field s_csrFields[] = {
    FIELD(StandinCursor, L"Name", F_TEXT, name, 0),
    FIELD(StandinCursor, L"Active", F_DEC, active, 1),
    FIELD(StandinCursor, L"PacketData", F_HEX, pktData, 1),
    FIELD(StandinCursor, L"Buttons", F_BYTE, buttons, 1),
    FIELD(StandinCursor, L"ButtonBits", F_BYTE, buttonBits, 1),
    FIELD(StandinCursor, L"ButtonNames", F_NAMES, btnNames, 0),
    FIELD(StandinCursor, L"ButtonMap", F_MAP, buttonMap, 32),
    FIELD(StandinCursor, L"SysButtonMap", F_SYSMAP, sysBtnMap, 32),
    FIELD(StandinCursor, L"DefaultButtonMap", F_MAP, defButtonMap, 32),
    FIELD(StandinCursor, L"DefaultSysButtonMap", F_SYSMAP, defSysBtnMap, 32),
    FIELD(StandinCursor, L"NPButton", F_BYTE, npButton, 1),
    FIELD(StandinCursor, L"NPButtonMarks", F_UINTS, npBtnMarks, 2),
    FIELD(StandinCursor, L"NPResponse", F_LIST, npResponse, MAX_RESPONSE),
    FIELD(StandinCursor, L"TPButton", F_BYTE, tpButton, 1),
    FIELD(StandinCursor, L"TPButtonMarks", F_UINTS, tpBtnMarks, 2),
    FIELD(StandinCursor, L"TPResponse", F_LIST, tpResponse, MAX_RESPONSE),
    FIELD(StandinCursor, L"PhysId", F_HEX, physId, 1),
    FIELD(StandinCursor, L"Mode", F_DEC, mode, 1),
    FIELD(StandinCursor, L"MinPacketData", F_HEX, minPktData, 1),
    FIELD(StandinCursor, L"MinButtons", F_DEC, minButtons, 1),
    FIELD(StandinCursor, L"Capabilities", F_HEX, capabilities, 1),
    FIELD(StandinCursor, L"Type", F_HEX, type, 1),
    FIELD(StandinCursor, L"NoSysButtonMap", F_DEC, noSysBtnMap, 1),
    {NULL, F_DEC, 0, 0}};

static const Field s_ctxFields[] = {FIELD(LOGCONTEXTW, L"Name", F_STR, lcName, LCNAMELEN),
                                    FIELD(LOGCONTEXTW, L"Options", F_HEX, lcOptions, 1),
                                    FIELD(LOGCONTEXTW, L"Status", F_HEX, lcStatus, 1),
                                    FIELD(LOGCONTEXTW, L"Locks", F_HEX, lcLocks, 1),
                                    FIELD(LOGCONTEXTW, L"MsgBase", F_HEX, lcMsgBase, 1),
                                    FIELD(LOGCONTEXTW, L"Device", F_DEC, lcDevice, 1),
                                    FIELD(LOGCONTEXTW, L"PacketRate", F_DEC, lcPktRate, 1),
                                    FIELD(LOGCONTEXTW, L"PacketData", F_HEX, lcPktData, 1),
                                    FIELD(LOGCONTEXTW, L"PacketMode", F_HEX, lcPktMode, 1),
                                    FIELD(LOGCONTEXTW, L"MoveMask", F_HEX, lcMoveMask, 1),
                                    FIELD(LOGCONTEXTW, L"BtnDnMask", F_HEX, lcBtnDnMask, 1),
                                    FIELD(LOGCONTEXTW, L"BtnUpMask", F_HEX, lcBtnUpMask, 1),
                                    FIELD(LOGCONTEXTW, L"InOrgX", F_DEC, lcInOrgX, 1),
                                    FIELD(LOGCONTEXTW, L"InOrgY", F_DEC, lcInOrgY, 1),
                                    FIELD(LOGCONTEXTW, L"InOrgZ", F_DEC, lcInOrgZ, 1),
                                    FIELD(LOGCONTEXTW, L"InExtX", F_DEC, lcInExtX, 1),
                                    FIELD(LOGCONTEXTW, L"InExtY", F_DEC, lcInExtY, 1),
                                    FIELD(LOGCONTEXTW, L"InExtZ", F_DEC, lcInExtZ, 1),
                                    FIELD(LOGCONTEXTW, L"OutOrgX", F_DEC, lcOutOrgX, 1),
                                    FIELD(LOGCONTEXTW, L"OutOrgY", F_DEC, lcOutOrgY, 1),
                                    FIELD(LOGCONTEXTW, L"OutOrgZ", F_DEC, lcOutOrgZ, 1),
                                    FIELD(LOGCONTEXTW, L"OutExtX", F_DEC, lcOutExtX, 1),
                                    FIELD(LOGCONTEXTW, L"OutExtY", F_DEC, lcOutExtY, 1),
                                    FIELD(LOGCONTEXTW, L"OutExtZ", F_DEC, lcOutExtZ, 1),
                                    FIELD(LOGCONTEXTW, L"SensX", F_FIX, lcSensX, 1),
                                    FIELD(LOGCONTEXTW, L"SensY", F_FIX, lcSensY, 1),
                                    FIELD(LOGCONTEXTW, L"SensZ", F_FIX, lcSensZ, 1),
                                    FIELD(LOGCONTEXTW, L"SysMode", F_DEC, lcSysMode, 1),
                                    FIELD(LOGCONTEXTW, L"SysOrgX", F_DEC, lcSysOrgX, 1),
                                    FIELD(LOGCONTEXTW, L"SysOrgY", F_DEC, lcSysOrgY, 1),
                                    FIELD(LOGCONTEXTW, L"SysExtX", F_DEC, lcSysExtX, 1),
                                    FIELD(LOGCONTEXTW, L"SysExtY", F_DEC, lcSysExtY, 1),
                                    FIELD(LOGCONTEXTW, L"SysSensX", F_FIX, lcSysSensX, 1),
                                    FIELD(LOGCONTEXTW, L"SysSensY", F_FIX, lcSysSensY, 1),
                                    {NULL, F_DEC, 0, 0}};

/* ---- The built-in tablet ---- */

#define ONE_FIX32 0x10000

static void BuiltinDevice(StandinDevice *d)
{
    ZeroMemory(d, sizeof(*d));
    d->name = L"QUORAX MM-Compatible Tablet;Format: MM Series;Version 1.08";
    d->pnpId = L"";
    d->pktRate = 100;
    d->pktData = PK_CONTEXT | PK_STATUS | PK_TIME | PK_CHANGED | PK_SERIAL_NUMBER | PK_CURSOR |
                 PK_BUTTONS | PK_X | PK_Y;
    for (int i = 0; i < 2; i++) {
        d->axis[i].axMax = 11999;
        d->axis[i].axUnits = TU_INCHES;
        d->axis[i].axResolution = 1000 * ONE_FIX32;
    }
    d->nCsrTypes = 2;
    d->configTimeout = -1;
}

/* Cursor types past the second repeat the stylus and the puck. */
static void BuiltinCursor(UINT c, StandinCursor *k)
{
    /* NUL lists: the literal's own NUL is the empty name that ends them. */
    static const WCHAR stylusNames[] = L"Tip\0Barrel\0";
    static const WCHAR puckNames[] = L"Button 1\0Button 2\0Button 3\0Button 4\0";
    static const BYTE stylusMap[] = {SBN_LCLICK, SBN_RCLICK};
    static const BYTE puckMap[] = {SBN_LCLICK, SBN_RCLICK, SBN_MCLICK, SBN_LDBLCLICK};

    ZeroMemory(k, sizeof(*k));
    BOOL puck = (c % 2) == 1;
    k->name = puck ? L"Puck" : L"Stylus";
    k->active = c == 0;
    k->pktData = PK_CURSOR | PK_BUTTONS | PK_X | PK_Y;
    k->buttons = puck ? 4 : 2;
    k->buttonBits = k->buttons;
    k->btnNames = puck ? puckNames : stylusNames;
    for (int i = 0; i < k->buttons; i++) {
        k->defButtonMap[i] = (BYTE)i;
        k->defSysBtnMap[i] = puck ? puckMap[i] : stylusMap[i];
    }
    CopyMemory(k->buttonMap, k->defButtonMap, 32);
    CopyMemory(k->sysBtnMap, k->defSysBtnMap, 32);
    k->physId = c;
    k->minButtons = k->buttons;
}

/* A context over the whole of a device, as the driver's own contexts start. */
static void BuiltinContext(const WCHAR *name, UINT device, UINT options, LOGCONTEXTW *lc)
{
    const StandinDevice *d = &g_dev[device < MAX_DEVICES ? device : 0];

    ZeroMemory(lc, sizeof(*lc));
    lstrcpynW(lc->lcName, name, LCNAMELEN);
    lc->lcOptions = options;
    lc->lcMsgBase = WT_DEFBASE;
    lc->lcDevice = device;
    lc->lcPktRate = d->pktRate;
    lc->lcPktData = d->pktData;
    lc->lcMoveMask = d->pktData;
    lc->lcBtnDnMask = 0xFFFFFFFF;
    lc->lcBtnUpMask = 0xFFFFFFFF;
    lc->lcInOrgX = lc->lcOutOrgX = d->axis[0].axMin;
    lc->lcInOrgY = lc->lcOutOrgY = d->axis[1].axMin;
    lc->lcInOrgZ = lc->lcOutOrgZ = d->axis[2].axMin;
    lc->lcInExtX = lc->lcOutExtX = d->axis[0].axMax - d->axis[0].axMin;
    lc->lcInExtY = lc->lcOutExtY = d->axis[1].axMax - d->axis[1].axMin;
    lc->lcInExtZ = lc->lcOutExtZ = d->axis[2].axMax - d->axis[2].axMin;
    lc->lcSensX = lc->lcSensY = lc->lcSensZ = ONE_FIX32;
    lc->lcSysExtX = GetSystemMetrics(SM_CXSCREEN);
    lc->lcSysExtY = GetSystemMetrics(SM_CYSCREEN);
    lc->lcSysSensX = lc->lcSysSensY = ONE_FIX32;
}

/* ---- Numbers and lists in the description ---- */

static const WCHAR *SkipBlanks(const WCHAR *s)
{
    while (*s == L' ' || *s == L'\t')
        s++;
    return s;
}

/* Decimal or 0x hex, optionally negative; *end stays at s when there is none. */
static LONG ParseNumber(const WCHAR *s, const WCHAR **end)
{
    const WCHAR *p = SkipBlanks(s);
    BOOL negative = *p == L'-';
    if (negative)
        p++;
    DWORD value = 0;
    const WCHAR *digits = p;
    if (p[0] == L'0' && (p[1] == L'x' || p[1] == L'X')) {
        p += 2;
        digits = p;
        for (;; p++) {
            if (*p >= L'0' && *p <= L'9')
                value = value * 16 + (*p - L'0');
            else if ((*p | 0x20) >= L'a' && (*p | 0x20) <= L'f')
                value = value * 16 + ((*p | 0x20) - L'a' + 10);
            else
                break;
        }
    } else {
        while (*p >= L'0' && *p <= L'9')
            value = value * 10 + (*p++ - L'0');
    }
    *end = p == digits ? s : p;
    return negative ? -(LONG)value : (LONG)value;
}

/* A FIX32: "1000", "0.5" (rounded to the nearest 1/65536) or raw "0x00010000". */
static FIX32 ParseFix(const WCHAR *s, const WCHAR **end)
{
    const WCHAR *p = SkipBlanks(s);
    if (p[0] == L'0' && (p[1] == L'x' || p[1] == L'X'))
        return (FIX32)ParseNumber(s, end);
    BOOL any = FALSE;
    DWORD whole = 0;
    for (; *p >= L'0' && *p <= L'9'; p++, any = TRUE)
        whole = whole * 10 + (*p - L'0');
    ULONGLONG num = 0, den = 1;
    if (*p == L'.') {
        for (p++; *p >= L'0' && *p <= L'9'; p++, any = TRUE) {
            if (den < 1000000000ULL) {
                num = num * 10 + (*p - L'0');
                den *= 10;
            }
        }
    }
    *end = any ? p : s;
    return (whole << 16) + (DWORD)((num * 65536 + den / 2) / den);
}

static const WCHAR *NextItem(const WCHAR *p)
{
    p = SkipBlanks(p);
    if (*p == L',')
        p++;
    return p;
}

/* Fills n 32-bit numbers (FIX32 where every fourth is a resolution, for
   axes); returns how many were there. */
static UINT ParseList(const WCHAR *s, DWORD *out, UINT n, BOOL axes)
{
    UINT got = 0;
    const WCHAR *p = s;
    while (got < n) {
        const WCHAR *end;
        DWORD v = axes && got % 4 == 3 ? ParseFix(p, &end) : (DWORD)ParseNumber(p, &end);
        if (end == p)
            break;
        out[got++] = v;
        p = NextItem(end);
    }
    return got;
}

/* ---- Texts: escapes and the private heap ---- */

static HANDLE s_heap;

void *StandinAlloc(SIZE_T bytes)
{
    if (!s_heap)
        s_heap = HeapCreate(0, 0, 0);
    return s_heap ? HeapAlloc(s_heap, HEAP_ZERO_MEMORY, bytes) : NULL;
}

void *StandinRealloc(void *p, SIZE_T bytes)
{
    if (!p)
        return StandinAlloc(bytes);
    return HeapReAlloc(s_heap, HEAP_ZERO_MEMORY, p, bytes);
}

/* Every text of the description goes with the heap. */
void FreeDescription(void)
{
    if (s_heap)
        HeapDestroy(s_heap);
    s_heap = NULL;
}

/* What follows a backslash in a value; an unknown sequence stays as it is,
   so that paths and the like read unchanged. */
static const struct {
    WCHAR code;
    WCHAR ch;
} s_escapes[] = {{L'r', L'\r'}, {L'n', L'\n'}, {L't', L'\t'}, {L'\\', L'\\'}, {L',', L','}};

static WCHAR EscapedChar(WCHAR code)
{
    for (UINT i = 0; i < ARRAYSIZE(s_escapes); i++)
        if (s_escapes[i].code == code)
            return s_escapes[i].ch;
    return 0;
}

/* Unescapes n characters of in (or up to its NUL) into out, NUL-terminated;
   returns the characters written. out needs n + 1 characters at most. */
static UINT Unescape(const WCHAR *in, UINT n, WCHAR *out)
{
    UINT used = 0;
    for (UINT i = 0; i < n && in[i]; i++) {
        WCHAR ch = in[i] == L'\\' && i + 1 < n ? EscapedChar(in[i + 1]) : 0;
        if (ch)
            i++;
        out[used++] = ch ? ch : in[i];
    }
    out[used] = 0;
    return used;
}

/* The written form of a text: the characters a profile line cannot hold,
   and the backslash itself, escaped. */
static void Escape(const WCHAR *in, WCHAR *out, UINT size)
{
    UINT used = 0;
    for (; *in && used + 3 <= size; in++) {
        WCHAR code = 0;
        for (UINT i = 0; i < ARRAYSIZE(s_escapes) && !code; i++)
            if (s_escapes[i].ch == *in && *in != L',')
                code = s_escapes[i].code;
        if (code) {
            out[used++] = L'\\';
            out[used++] = code;
        } else {
            out[used++] = *in;
        }
    }
    out[used] = 0;
}

static const WCHAR *NewText(const WCHAR *raw)
{
    UINT n = lstrlenW(raw);
    WCHAR *text = (WCHAR *)StandinAlloc((n + 1) * sizeof(WCHAR));
    if (!text)
        return L"";
    Unescape(raw, n, text);
    return text;
}

/* Names separated by commas (a comma in a name is written \,) become a list
   of NUL-terminated names ended by an empty one; blanks around each are
   trimmed, empty names left out, since one would end the list. A name is
   never longer than its text, and each but the last gives up a comma for its
   NUL: "Tip" takes Tip, its NUL, the empty name and the second NUL written
   below, three more than its text. */
static const WCHAR *NewNames(const WCHAR *s)
{
    WCHAR *list = (WCHAR *)StandinAlloc((lstrlenW(s) + 3) * sizeof(WCHAR));
    if (!list)
        return L"";
    UINT used = 0;
    const WCHAR *p = s;
    while (*p) {
        const WCHAR *start = SkipBlanks(p);
        p = start;
        while (*p && *p != L',') {
            if (*p == L'\\' && p[1])
                p++;
            p++;
        }
        const WCHAR *stop = p;
        while (stop > start && (stop[-1] == L' ' || stop[-1] == L'\t'))
            stop--;
        if (*p == L',')
            p++;
        if (stop == start)
            continue;
        used += Unescape(start, (UINT)(stop - start), list + used) + 1;
    }
    list[used] = 0; /* an empty list is two NULs, as readers expect */
    list[used + 1] = 0;
    return list;
}

/* ---- Sections ---- */

/* An absent key reads as this, which no description writes. */
static const WCHAR s_absent[] = L"\x01";

/* The value of a key, read whole however long, or NULL when the key is
   absent. Valid until the next call. */
static const WCHAR *ReadValue(const WCHAR *section, const WCHAR *key)
{
    static WCHAR *value;
    static DWORD size;
    if (!value) {
        size = 1024;
        value = (WCHAR *)StandinAlloc(size * sizeof(WCHAR));
    }
    for (;;) {
        if (!value)
            return NULL;
        DWORD n = GetPrivateProfileStringW(section, key, s_absent, value, size, g_descPath);
        if (n + 1 < size)
            break;
        /* Cut: the profile functions fill the buffer and end it early. */
        size *= 2;
        value = (WCHAR *)StandinRealloc(value, size * sizeof(WCHAR));
    }
    return lstrcmpW(value, s_absent) == 0 ? NULL : value;
}

static void ReadSection(const WCHAR *section, const Field *fields, void *record)
{
    BYTE *base = (BYTE *)record;

    for (const Field *f = fields; f->key; f++) {
        const WCHAR *value = ReadValue(section, f->key);
        if (!value)
            continue;
        void *field = base + f->offset;
        const WCHAR *end;
        DWORD list[MAX_RESPONSE * 4 > 32 ? MAX_RESPONSE * 4 : 32];
        UINT n;
        switch (f->type) {
        case F_STR: {
            WCHAR text[LCNAMELEN * 2];
            lstrcpynW(text, value, ARRAYSIZE(text));
            Unescape(text, ARRAYSIZE(text), text);
            lstrcpynW((WCHAR *)field, text, f->count);
            break;
        }
        case F_TEXT:
            *(const WCHAR **)field = NewText(value);
            break;
        case F_DEC:
        case F_HEX:
            *(DWORD *)field = (DWORD)ParseNumber(value, &end);
            break;
        case F_FIX:
            *(FIX32 *)field = ParseFix(value, &end);
            break;
        case F_BYTE:
            *(BYTE *)field = (BYTE)ParseNumber(value, &end);
            break;
        case F_AXES:
            ZeroMemory(field, f->count * sizeof(AXIS));
            ParseList(value, (DWORD *)field, f->count * 4, TRUE);
            break;
        case F_UINTS:
            ZeroMemory(field, f->count * sizeof(UINT));
            ParseList(value, (DWORD *)field, f->count, FALSE);
            break;
        case F_LIST:
            ((UintList *)field)->count =
                ParseList(value, (DWORD *)((UintList *)field)->value, f->count, FALSE);
            break;
        case F_MAP:
        case F_SYSMAP:
            n = ParseList(value, list, 32, FALSE);
            ZeroMemory(field, 32);
            for (UINT i = 0; i < n; i++)
                ((BYTE *)field)[i] = (BYTE)list[i];
            break;
        case F_NAMES:
            *(const WCHAR **)field = NewNames(value);
            break;
        }
    }
}

static void AppendFix(WCHAR *out, FIX32 v)
{
    out += wsprintfW(out, L"%lu", (unsigned long)(v >> 16));
    DWORD frac = v & 0xFFFF;
    if (frac) {
        /* Five decimals are finer than 1/65536, so reading gives the same bits. */
        DWORD dec = (DWORD)(((ULONGLONG)frac * 100000 + 32768) / 65536);
        WCHAR digits[8];
        wsprintfW(digits, L".%05lu", (unsigned long)dec);
        int n = lstrlenW(digits);
        while (digits[n - 1] == L'0')
            digits[--n] = 0;
        lstrcpyW(out, digits);
    }
}

/* The longest written form of a field, its NUL included: an escaped
   context name, or 32 button map entries. */
#define VALUE_CHARS 200

/* The written form of a field that a manager changes; FALSE for the kinds
   no manager changes, which are never written. value holds VALUE_CHARS. */
static BOOL FormatField(const Field *f, const void *record, WCHAR *value)
{
    const BYTE *field = (const BYTE *)record + f->offset;
    value[0] = 0;
    switch (f->type) {
    case F_STR:
        Escape((const WCHAR *)field, value, VALUE_CHARS);
        break;
    case F_DEC:
        wsprintfW(value, L"%ld", (long)*(const LONG *)field);
        break;
    case F_HEX:
        wsprintfW(value, L"0x%04lX", (unsigned long)*(const DWORD *)field);
        break;
    case F_FIX:
        AppendFix(value, *(const FIX32 *)field);
        break;
    case F_MAP:
    case F_SYSMAP: {
        /* Trailing zeros stay out; reading fills them in again. */
        int n = 32;
        while (n > 0 && field[n - 1] == 0)
            n--;
        WCHAR *p = value;
        for (int i = 0; i < n; i++)
            p += wsprintfW(p, f->type == F_MAP ? L"%s%u" : L"%s0x%02X", i ? L"," : L"",
                           (unsigned)field[i]);
        break;
    }
    default:
        return FALSE;
    }
    return TRUE;
}

static const Field *FindField(const Field *fields, const WCHAR *key)
{
    for (const Field *f = fields; f->key; f++)
        if (lstrcmpW(f->key, key) == 0)
            return f;
    return NULL;
}

/* ---- Loading ---- */

/* A path beginning with '/' is a Unix path, which Wine shows as drive Z:. */
void UnixToWindowsPath(const WCHAR *in, WCHAR *out, UINT size)
{
    if (in[0] != L'/') {
        lstrcpynW(out, in, size);
        return;
    }
    lstrcpynW(out, L"Z:", size);
    lstrcpynW(out + 2, in, size > 2 ? size - 2 : 0);
    for (WCHAR *p = out; *p; p++)
        if (*p == L'/')
            *p = L'\\';
}

/* The description's name with a suffix; out holds MAX_PATH + 4. */
static void SidePath(const WCHAR *path, const WCHAR *suffix, WCHAR *out)
{
    lstrcpynW(out, path, MAX_PATH);
    lstrcatW(out, suffix);
}

/* A write killed between its two renames (ReplaceWhole) left the
   description as ".old": it is taken back. */
static BOOL DescriptionThere(const WCHAR *path)
{
    WCHAR old[MAX_PATH + 4];
    if (GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES)
        return TRUE;
    SidePath(path, L".old", old);
    return GetFileAttributesW(old) != INVALID_FILE_ATTRIBUTES && MoveFileW(old, path);
}

static void FindDescription(void)
{
    WCHAR path[MAX_PATH];
    g_descPath[0] = 0;

    DWORD n = GetEnvironmentVariableW(L"WINTAB_STANDIN_TABLET", path, MAX_PATH);
    if (n > 0 && n < MAX_PATH) {
        UnixToWindowsPath(path, g_descPath, MAX_PATH);
        if (DescriptionThere(g_descPath))
            return;
    }

    n = GetModuleFileNameW(g_hinst, path, MAX_PATH);
    if (n > 0 && n < MAX_PATH) {
        WCHAR *slash = path + n;
        while (slash > path && slash[-1] != L'\\' && slash[-1] != L'/')
            slash--;
        if ((size_t)(slash - path) + 13 < MAX_PATH) {
            lstrcpyW(slash, L"wintab32.ini");
            if (DescriptionThere(path)) {
                lstrcpyW(g_descPath, path);
                return;
            }
        }
    }
    g_descPath[0] = 0;
}

static UINT Clamp(UINT v, UINT most)
{
    return v > most ? most : v;
}

/* What the file holds of the settings a manager changes. A save writes the
   keys whose values differ from it: a change that ends where the file already
   is writes nothing, and the keys of a write that failed go with the next. */
static LOGCONTEXTW s_storedSys[MAX_SYSCTXS];
static LOGCONTEXTW s_storedDef[MAX_DEVICES][2];
static StandinCursor s_storedCsr[MAX_CURSORS];
static BOOL s_savePosted;

static void KeepStored(void)
{
    CopyMemory(s_storedSys, g_sysCtxDesc, sizeof(s_storedSys));
    CopyMemory(s_storedDef, g_defCtxDesc, sizeof(s_storedDef));
    CopyMemory(s_storedCsr, g_csr, sizeof(s_storedCsr));
    s_savePosted = FALSE;
}

void LoadDescription(void)
{
    WCHAR section[40];

    FindDescription();
    BOOL fromFile = g_descPath[0] != 0;

    ZeroMemory(&g_ifc, sizeof(g_ifc));
    g_ifc.id = L"QUORAX Stand-in Wintab Driver";
    g_ifc.specVersion = 0x0101;
    g_ifc.implVersion = 0x0108;
    g_ifc.ctxOptions =
        CXO_SYSTEM | CXO_PEN | CXO_MESSAGES | CXO_CSRMESSAGES | CXO_MGNINSIDE | CXO_MARGIN;
    g_ifc.nDevices = 1;
    g_ifc.nCursors = 2;
    g_ifc.nSysCtxs = 1;
    if (fromFile)
        ReadSection(L"Interface", s_ifcFields, &g_ifc);
    g_ifc.nDevices = Clamp(g_ifc.nDevices, MAX_DEVICES);
    g_ifc.nCursors = Clamp(g_ifc.nCursors, MAX_CURSORS);
    g_ifc.nSysCtxs = Clamp(g_ifc.nSysCtxs, MAX_SYSCTXS);
    if (g_ifc.nDevices == 0)
        g_ifc.nSysCtxs = 0; /* a system context belongs to a device */

    for (UINT d = 0; d < MAX_DEVICES; d++) {
        BuiltinDevice(&g_dev[d]);
        g_dev[d].nCsrTypes = g_ifc.nCursors;
        if (fromFile && d < g_ifc.nDevices) {
            wsprintfW(section, L"Device%u", d);
            ReadSection(section, s_devFields, &g_dev[d]);
        }
        /* Cursor numbers index the cursor table: keep them inside it. */
        g_dev[d].firstCsr = Clamp(g_dev[d].firstCsr, g_ifc.nCursors);
        g_dev[d].nCsrTypes = Clamp(g_dev[d].nCsrTypes, g_ifc.nCursors - g_dev[d].firstCsr);
    }

    for (UINT c = 0; c < MAX_CURSORS; c++) {
        BuiltinCursor(c, &g_csr[c]);
        if (fromFile && c < g_ifc.nCursors) {
            wsprintfW(section, L"Cursor%u", c);
            ReadSection(section, s_csrFields, &g_csr[c]);
        }
        g_csr[c].buttons = (BYTE)Clamp(g_csr[c].buttons, 32);
    }

    for (UINT k = 0; k < g_ifc.nSysCtxs; k++) {
        wsprintfW(section, L"Context%u", k);
        /* The device first: the context's defaults are that device's. */
        UINT device = 0;
        if (fromFile) {
            WCHAR value[20];
            const WCHAR *end;
            GetPrivateProfileStringW(section, L"Device", L"0", value, ARRAYSIZE(value), g_descPath);
            device = (UINT)ParseNumber(value, &end);
        }
        BuiltinContext(L"Default System", Clamp(device, g_ifc.nDevices - 1), CXO_SYSTEM,
                       &g_sysCtxDesc[k]);
        if (fromFile)
            ReadSection(section, s_ctxFields, &g_sysCtxDesc[k]);
        g_sysCtxDesc[k].lcName[LCNAMELEN - 1] = 0;
    }

    /* A device's default system context starts as its first system context. */
    for (UINT d = 0; d < MAX_DEVICES; d++) {
        LOGCONTEXTW *sys = &g_defCtxDesc[d][0];
        BuiltinContext(L"Default System", d, CXO_SYSTEM, sys);
        for (UINT k = 0; k < g_ifc.nSysCtxs; k++) {
            if (g_sysCtxDesc[k].lcDevice == d && (g_sysCtxDesc[k].lcOptions & CXO_SYSTEM)) {
                *sys = g_sysCtxDesc[k];
                break;
            }
        }
        BuiltinContext(L"Default Digitizing", d, 0, &g_defCtxDesc[d][1]);
        if (fromFile && d < g_ifc.nDevices) {
            wsprintfW(section, L"DefaultSystem%u", d);
            ReadSection(section, s_ctxFields, sys);
            wsprintfW(section, L"DefaultDigitizing%u", d);
            ReadSection(section, s_ctxFields, &g_defCtxDesc[d][1]);
        }
        sys->lcName[LCNAMELEN - 1] = 0;
        g_defCtxDesc[d][1].lcName[LCNAMELEN - 1] = 0;
    }
    KeepStored();
}

/* ---- Write-back ---- */

static BOOL FieldChanged(const Field *f, const void *stored, const void *now)
{
    const BYTE *a = (const BYTE *)stored + f->offset, *b = (const BYTE *)now + f->offset;
    switch (f->type) {
    case F_STR:
        return lstrcmpW((const WCHAR *)a, (const WCHAR *)b) != 0;
    case F_DEC:
    case F_HEX:
    case F_FIX:
        return memcmp(a, b, sizeof(DWORD)) != 0;
    case F_BYTE:
        return *a != *b;
    case F_MAP:
    case F_SYSMAP:
        return memcmp(a, b, 32) != 0;
    default:
        return TRUE;
    }
}

#define MAX_EDITS 40 /* more than a context has keys */

struct KeyEdit {
    const WCHAR *key;
    WCHAR value[VALUE_CHARS];
};

static void AddIfChanged(const Field *f, const void *stored, const void *now, KeyEdit *edits,
                         UINT *n)
{
    if (*n < MAX_EDITS && FieldChanged(f, stored, now) && FormatField(f, now, edits[*n].value))
        edits[(*n)++].key = f->key;
}

/* The forms a description can be stored in, told by the mark it begins
   with; the profile functions read a file without one in the ANSI code
   page. A rewritten file keeps its form. */
#define CP_UTF16LE 1200

static const struct {
    BYTE mark[3];
    UINT markSize;
    UINT codePage;
} s_forms[] = {
    {{0xFF, 0xFE, 0}, 2, CP_UTF16LE}, {{0xEF, 0xBB, 0xBF}, 3, CP_UTF8}, {{0, 0, 0}, 0, CP_ACP}};

/* The file as text (a missing file is an empty one), NUL-terminated, in
   LocalAlloc memory; NULL when it cannot be read. */
static WCHAR *ReadText(UINT *chars, UINT *form)
{
    DWORD size = 0, got = 0;
    BYTE *bytes = NULL;
    HANDLE h = CreateFileW(g_descPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                           OPEN_EXISTING, 0, NULL);
    if (h != INVALID_HANDLE_VALUE) {
        size = GetFileSize(h, NULL);
        if (size != INVALID_FILE_SIZE)
            bytes = (BYTE *)LocalAlloc(LMEM_FIXED, size + 1);
        BOOL read = bytes && ReadFile(h, bytes, size, &got, NULL) && got == size;
        CloseHandle(h);
        if (!read) {
            LocalFree(bytes);
            return NULL;
        }
    } else if (GetLastError() != ERROR_FILE_NOT_FOUND) {
        return NULL;
    }

    if (!bytes && (bytes = (BYTE *)LocalAlloc(LMEM_FIXED, 1)) == NULL)
        return NULL;
    *form = 0;
    while (s_forms[*form].markSize && (s_forms[*form].markSize > size ||
                                       memcmp(bytes, s_forms[*form].mark, s_forms[*form].markSize)))
        (*form)++;
    const BYTE *body = bytes + s_forms[*form].markSize;
    int length = (int)(size - s_forms[*form].markSize);
    UINT cp = s_forms[*form].codePage;
    BOOL wide = cp == CP_UTF16LE;
    *chars = wide ? length / sizeof(WCHAR)
                  : length ? MultiByteToWideChar(cp, 0, (LPCSTR)body, length, NULL, 0) : 0;
    WCHAR *text = (WCHAR *)LocalAlloc(LMEM_FIXED, (*chars + 1) * sizeof(WCHAR));
    if (text && wide)
        CopyMemory(text, body, *chars * sizeof(WCHAR));
    else if (text && *chars)
        MultiByteToWideChar(cp, 0, (LPCSTR)body, length, text, *chars);
    if (text)
        text[*chars] = 0;
    LocalFree(bytes);
    return text;
}

/* One line of the text: a section header, a key, or anything else. */
struct Line {
    const WCHAR *text;
    UINT length; /* without the line break */
    BOOL header;
    const WCHAR *name; /* the section's or the key's, blanks trimmed; NULL for others */
    UINT nameLength;
    UINT keyEnd; /* a key line: its characters up to and with the '=' */
};

/* The text is taken whole, a NUL in it too, so that nothing after one is lost. */
static const WCHAR *ReadLine(const WCHAR *p, const WCHAR *stop, Line *line)
{
    line->text = p;
    while (p < stop && *p != L'\n')
        p++;
    line->length = (UINT)(p - line->text);
    if (line->length && p[-1] == L'\r')
        line->length--;
    if (p < stop)
        p++;

    const WCHAR *s = SkipBlanks(line->text), *end = line->text + line->length;
    line->header = s < end && *s == L'[';
    line->name = NULL;
    if (line->header) {
        const WCHAR *close = ++s;
        while (close < end && *close != L']')
            close++;
        end = close;
    } else if (s < end && *s != L';') {
        const WCHAR *eq = s;
        while (eq < end && *eq != L'=')
            eq++;
        line->keyEnd = (UINT)(eq - line->text) + (eq < end);
        end = eq;
    } else {
        return p;
    }
    s = SkipBlanks(s);
    while (end > s && (end[-1] == L' ' || end[-1] == L'\t'))
        end--;
    line->name = s;
    line->nameLength = (UINT)(end - s);
    return p;
}

static BOOL SameName(const Line *line, const WCHAR *name)
{
    return line->name && CompareStringW(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, line->name,
                                        (int)line->nameLength, name, -1) == CSTR_EQUAL;
}

static void Put(WCHAR *out, UINT *used, const WCHAR *text, UINT length)
{
    CopyMemory(out + *used, text, length * sizeof(WCHAR));
    *used += length;
}

static void PutKey(WCHAR *out, UINT *used, const KeyEdit *edit)
{
    Put(out, used, edit->key, lstrlenW(edit->key));
    Put(out, used, L"=", 1);
    Put(out, used, edit->value, lstrlenW(edit->value));
    Put(out, used, L"\r\n", 2);
}

/* The text with the section's keys set: a key that is there keeps its line
   and takes the new value, one that is not comes after the section's last
   key, a section that is not comes at the end. Every other line stays, each
   ended by CR LF as the profile functions write them. Only the first section
   of the name, and in it the first line of a key, count, as when reading.
   Returns the length. */
static UINT EditText(const WCHAR *in, UINT chars, const WCHAR *section, const KeyEdit *edits,
                     UINT n, WCHAR *out)
{
    const WCHAR *stop = in + chars;
    Line line;
    const WCHAR *first = NULL, *last = NULL; /* the section's header and its last key */
    for (const WCHAR *p = in; p < stop;) {
        p = ReadLine(p, stop, &line);
        if (line.header && first)
            break;
        if (line.header && SameName(&line, section))
            first = last = line.text;
        else if (first && line.name)
            last = line.text;
    }

    BOOL done[MAX_EDITS] = {FALSE};
    BOOL inside = FALSE;
    UINT used = 0;
    for (const WCHAR *p = in; p < stop;) {
        p = ReadLine(p, stop, &line);
        if (line.header)
            inside = line.text == first;
        UINT k = n;
        for (UINT i = 0; inside && !line.header && i < n && k == n; i++)
            if (!done[i] && SameName(&line, edits[i].key))
                k = i;
        if (k < n) {
            Put(out, &used, line.text, line.keyEnd);
            if (line.text[line.keyEnd - 1] != L'=')
                Put(out, &used, L"=", 1);
            Put(out, &used, edits[k].value, lstrlenW(edits[k].value));
            done[k] = TRUE;
        } else {
            Put(out, &used, line.text, line.length);
        }
        Put(out, &used, L"\r\n", 2);
        for (UINT i = 0; line.text == last && i < n; i++)
            if (!done[i])
                PutKey(out, &used, &edits[i]);
    }
    if (!first) {
        if (used)
            Put(out, &used, L"\r\n", 2);
        Put(out, &used, L"[", 1);
        Put(out, &used, section, lstrlenW(section));
        Put(out, &used, L"]\r\n", 3);
        for (UINT i = 0; i < n; i++)
            PutKey(out, &used, &edits[i]);
    }
    return used;
}

/* The text in the file's own form, with its mark, in LocalAlloc memory. */
static BYTE *Encode(const WCHAR *text, UINT chars, UINT form, DWORD *size)
{
    UINT cp = s_forms[form].codePage, mark = s_forms[form].markSize;
    BOOL wide = cp == CP_UTF16LE;
    int body = wide ? (int)(chars * sizeof(WCHAR))
                    : WideCharToMultiByte(cp, 0, text, (int)chars, NULL, 0, NULL, NULL);
    /* A conversion that fails must not pass for an empty description. */
    if (chars && body <= 0)
        return NULL;
    BYTE *bytes = (BYTE *)LocalAlloc(LMEM_FIXED, mark + body + 1);
    if (!bytes)
        return NULL;
    CopyMemory(bytes, s_forms[form].mark, mark);
    if (wide)
        CopyMemory(bytes + mark, text, body);
    else
        WideCharToMultiByte(cp, 0, text, (int)chars, (LPSTR)bytes + mark, body, NULL, NULL);
    *size = mark + body;
    return bytes;
}

/* The new description is written whole beside the old one as ".new" and
   closed before the old one is touched; then the old one becomes ".old",
   ".new" takes its name, and ".old" goes. Only calls Windows 95 has too (no
   ReplaceFile, no MoveFileEx). A full disk leaves the old file as it was; a
   kill between the two renames leaves it as ".old", which the next load
   takes back. A read-only description is not replaced, as Windows would not
   write into it. */
static BOOL ReplaceWhole(const BYTE *data, DWORD size, const char **step)
{
    WCHAR newPath[MAX_PATH + 4], oldPath[MAX_PATH + 4];
    SidePath(g_descPath, L".new", newPath);
    SidePath(g_descPath, L".old", oldPath);
    DWORD attrs = GetFileAttributesW(g_descPath);
    if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_READONLY)) {
        *step = "the file is read-only";
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }

    *step = "writing the new copy";
    HANDLE h = CreateFileW(newPath, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                           attrs != INVALID_FILE_ATTRIBUTES ? attrs : FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return FALSE;
    DWORD written = 0;
    BOOL whole = WriteFile(h, data, size, &written, NULL) && FlushFileBuffers(h);
    if (whole && written != size) {
        whole = FALSE;
        SetLastError(ERROR_DISK_FULL);
    }
    DWORD error = GetLastError();
    if (!CloseHandle(h) && whole) {
        whole = FALSE;
        error = GetLastError();
    }

    *step = "putting the new copy in place";
    if (whole) {
        DeleteFileW(oldPath);
        whole = attrs == INVALID_FILE_ATTRIBUTES || MoveFileW(g_descPath, oldPath);
        error = GetLastError();
    }
    if (whole && !MoveFileW(newPath, g_descPath)) {
        error = GetLastError();
        MoveFileW(oldPath, g_descPath);
        whole = FALSE;
    }
    DeleteFileW(whole ? oldPath : newPath);
    SetLastError(error);
    return whole;
}

/* Writes the keys of one section; says in the log when it cannot. */
static BOOL WriteKeys(const WCHAR *section, const KeyEdit *edits, UINT n)
{
    if (n == 0)
        return TRUE;
    const char *step = "reading the file";
    UINT chars = 0, form = 0;
    DWORD size = 0;
    WCHAR *text = ReadText(&chars, &form), *edited = NULL;
    BYTE *bytes = NULL;
    if (text) {
        step = "making the new text";
        /* Every line kept gains at most its CR, each edit a line of its key
           and value, and a new section its header. */
        edited = (WCHAR *)LocalAlloc(LMEM_FIXED,
                                     (3 * chars + 16 + lstrlenW(section) + n * (VALUE_CHARS + 60)) *
                                         sizeof(WCHAR));
    }
    if (edited)
        bytes = Encode(edited, EditText(text, chars, section, edits, n, edited), form, &size);
    BOOL ok = bytes && ReplaceWhole(bytes, size, &step);
    DWORD error = GetLastError();
    LocalFree(bytes);
    LocalFree(edited);
    LocalFree(text);
    if (!ok) {
        char path[MAX_PATH], line[MAX_PATH + 120];
        /* In a double-byte code page a long path does not fit: the call then
           fails, its part written unended, and the line takes it cut. */
        WideCharToMultiByte(CP_ACP, 0, g_descPath, -1, path, MAX_PATH, NULL, NULL);
        path[MAX_PATH - 1] = 0;
        wsprintfA(line, "description not written (%s, error %lu), kept as it was: %s", step,
                  (unsigned long)error, path);
        LogLine(line);
    }
    return ok;
}

void SaveContext(ContextKind kind, UINT section, const LOGCONTEXTW *lc)
{
    WCHAR name[40];
    LOGCONTEXTW *stored;
    if (kind == KIND_SYSTEM && section < MAX_SYSCTXS) {
        wsprintfW(name, L"Context%u", section);
        stored = &s_storedSys[section];
    } else if ((kind == KIND_DEFSYS || kind == KIND_DEFDIGITIZE) && section < MAX_DEVICES) {
        wsprintfW(name, kind == KIND_DEFSYS ? L"DefaultSystem%u" : L"DefaultDigitizing%u",
                  section);
        stored = &s_storedDef[section][kind == KIND_DEFSYS ? 0 : 1];
    } else {
        return;
    }
    if (!g_descPath[0])
        return;
    /* The status is the driver's state of the moment, no setting. */
    LOGCONTEXTW now = *lc;
    now.lcStatus = stored->lcStatus;
    KeyEdit edits[MAX_EDITS];
    UINT n = 0;
    for (const Field *f = s_ctxFields; f->key; f++)
        AddIfChanged(f, stored, &now, edits, &n);
    if (WriteKeys(name, edits, n))
        *stored = now;
}

static void WriteCursor(UINT cursor)
{
    static const WCHAR *const keys[] = {L"Active", L"ButtonMap", L"SysButtonMap"};
    WCHAR name[40];
    KeyEdit edits[MAX_EDITS];
    UINT n = 0;
    for (UINT i = 0; i < ARRAYSIZE(keys); i++)
        AddIfChanged(FindField(s_csrFields, keys[i]), &s_storedCsr[cursor], &g_csr[cursor], edits,
                     &n);
    wsprintfW(name, L"Cursor%u", cursor);
    if (WriteKeys(name, edits, n))
        s_storedCsr[cursor] = g_csr[cursor];
}

/* A map put back to its default waits until the thread takes its messages
   again: a control panel resets a map only to learn the default and puts its
   own back at once, and that pair must not rewrite the file twice. */
void SaveCursor(UINT cursor, BOOL later)
{
    if (!g_descPath[0] || cursor >= MAX_CURSORS)
        return;
    if (later && !s_savePosted)
        s_savePosted = PostSaveLater();
    if (!later || !s_savePosted)
        WriteCursor(cursor);
}

void SaveWaitingChanges(void)
{
    s_savePosted = FALSE;
    for (UINT c = 0; g_descPath[0] && c < g_ifc.nCursors; c++)
        WriteCursor(c);
}
