/*
 * Run-time binding to the Wintab 32-bit library.
 *
 * The panel is not linked against Wintab, so it starts (and can say that the
 * driver is missing) on a machine without one. Each function it calls has a
 * wrapper of the same name and arguments; behind each stands an entry that is
 * resolved by ordinal on first use. A missing library or entry reads as 0,
 * and nothing is cached on failure, so the next call tries again.
 */
#include "padcfg.h"

/* name, return type, parameter list, argument list; in table order. */
#define WINTAB_ENTRIES(X)                                                                          \
    X(WTMgrDeviceConfig, UINT, (HMGR hMgr, UINT wDevice, HWND hWnd), (hMgr, wDevice, hWnd))        \
    X(WTMgrClose, BOOL, (HMGR hMgr), (hMgr))                                                       \
    X(WTInfoW, UINT, (UINT wCategory, UINT nIndex, LPVOID lpOutput),                               \
      (wCategory, nIndex, lpOutput))                                                               \
    X(WTGetW, BOOL, (HCTX hCtx, LPLOGCONTEXTW lpLogCtx), (hCtx, lpLogCtx))                         \
    X(WTMgrCsrButtonMap, BOOL, (HMGR hMgr, UINT wCursor, LPBYTE lpLogBtns, LPBYTE lpSysBtns),      \
      (hMgr, wCursor, lpLogBtns, lpSysBtns))                                                       \
    X(WTMgrContextEnum, BOOL, (HMGR hMgr, WTENUMPROC lpEnumFunc, LPARAM lParam),                   \
      (hMgr, lpEnumFunc, lParam))                                                                  \
    X(WTSetW, BOOL, (HCTX hCtx, LPLOGCONTEXTW lpLogCtx), (hCtx, lpLogCtx))                         \
    X(WTMgrDefContext, HCTX, (HMGR hMgr, BOOL fSystem), (hMgr, fSystem))                           \
    X(WTMgrCsrEnable, BOOL, (HMGR hMgr, UINT wCursor, BOOL fEnable), (hMgr, wCursor, fEnable))     \
    X(WTMgrOpen, HMGR, (HWND hWnd, UINT wMsgBase), (hWnd, wMsgBase))                               \
    X(WTClose, BOOL, (HCTX hCtx), (hCtx))                                                          \
    X(WTOpenW, HCTX, (HWND hWnd, LPLOGCONTEXTW lpLogCtx, BOOL fEnable), (hWnd, lpLogCtx, fEnable)) \
    X(WTEnable, BOOL, (HCTX hCtx, BOOL fEnable), (hCtx, fEnable))                                  \
    X(WTOverlap, BOOL, (HCTX hCtx, BOOL fToTop), (hCtx, fToTop))                                   \
    X(WTPacket, BOOL, (HCTX hCtx, UINT wSerial, LPVOID lpPkt), (hCtx, wSerial, lpPkt))

enum {
#define ENTRY_INDEX(name, ret, params, args) ENTRY_##name,
    WINTAB_ENTRIES(ENTRY_INDEX)
#undef ENTRY_INDEX
        ENTRY_COUNT
};

WintabEntry g_wintabEntries[] = {
#define ENTRY_RECORD(name, ret, params, args) {#name, ORD_##name, NULL, NULL},
    WINTAB_ENTRIES(ENTRY_RECORD)
#undef ENTRY_RECORD
};
const int g_wintabEntryCount = ENTRY_COUNT;

#define LIBRARY_NAME L"\\wintab32.dll"

static HMODULE s_hWintab;       /* the loaded library, null while not loaded */
static WintabEntry *s_resolved; /* resolved entries, most recent first */
static UINT s_callsInProgress;  /* calls into the driver not yet returned */

/* The driver is taken from the program's own folder, else from the system
   folder, by full path: a search by name would also look in the current
   folder, where a library beside a document would run inside the panel. */
static HMODULE LoadFrom(UINT dirLength, WCHAR *path)
{
    if (dirLength == 0 || dirLength > MAX_PATH - ARRAYSIZE(LIBRARY_NAME))
        return NULL;
    lstrcpyW(path + dirLength, LIBRARY_NAME);
    return LoadLibraryExW(path, NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
}

static HMODULE LoadWintab(void)
{
    WCHAR path[MAX_PATH];
    UINT length = GetModuleFileNameW(NULL, path, MAX_PATH);
    while (length > 0 && path[length - 1] != '\\')
        length--;
    HMODULE module = LoadFrom(length > 0 ? length - 1 : 0, path);
    return module ? module : LoadFrom(GetSystemDirectoryW(path, MAX_PATH), path);
}

void ResolveWintabEntry(WintabEntry *entry)
{
    if (!s_hWintab)
        s_hWintab = LoadWintab();
    if (!s_hWintab)
        return;

    LPCSTR proc = entry->ordinal ? (LPCSTR)MAKEINTRESOURCEA(entry->ordinal) : entry->name;
    entry->address = GetProcAddress(s_hWintab, proc);
    if (entry->address) {
        entry->next = s_resolved;
        s_resolved = entry;
    }
}

void UnloadWintab(void)
{
    if (!s_hWintab)
        return;
    FreeLibrary(s_hWintab);
    s_hWintab = NULL;

    while (s_resolved) {
        WintabEntry *entry = s_resolved;
        s_resolved = entry->next;
        entry->address = NULL;
        entry->next = NULL;
    }
}

BOOL WintabCallInProgress(void)
{
    return s_callsInProgress != 0;
}

/* The driver never writes into the caller's buffer: it writes into a block
   of the size it asked for, with room to spare should its answer have grown
   since, and what fits is copied. A size beyond any answer the panel reads
   is a driver's fault, refused before any arithmetic can wrap round on it. */
UINT WTInfoCopy(UINT category, UINT index, void *buffer, UINT size)
{
    UINT need = WTInfoW(category, index, NULL);
    if (need == 0 || need > WINTAB_MAX_ANSWER)
        return 0;
    UINT room = need + size;
    BYTE *block = (BYTE *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, room);
    if (!block)
        return 0;
    UINT got = WTInfoW(category, index, block);
    if (got > room)
        got = 0; /* past the block: nothing of it is trusted */
    if (got)
        CopyMemory(buffer, block, got < size ? got : size);
    HeapFree(GetProcessHeap(), 0, block);
    return got;
}

UINT WTInfoText(UINT category, UINT index, WCHAR *buffer, UINT chars)
{
    if (chars == 0)
        return 0;
    UINT n = WTInfoCopy(category, index, buffer, chars * sizeof(WCHAR)) / sizeof(WCHAR);
    if (n == 0)
        return 0; /* no answer: the buffer stays as it was */
    if (n < chars) {
        /* Whatever the driver sent, the text ends where its answer ends, and
           a name list there too. */
        buffer[n] = 0;
        if (n + 1 < chars)
            buffer[n + 1] = 0;
    } else {
        /* Cut: a name list must still end with an empty name. */
        buffer[chars - 1] = 0;
        if (chars > 1)
            buffer[chars - 2] = 0;
    }
    return (UINT)lstrlenW(buffer);
}

/* A line break would push the rest of a one-line control out of sight, and a
   tab or another control character shows as a box in a list. */
void BlankControlCharacters(WCHAR *text)
{
    for (; *text; text++)
        if (*text < L' ' || (*text >= 0x7F && *text < 0xA0))
            *text = L' ';
}

/* The cast goes through a plain function pointer, which GCC accepts for any signature. */
typedef void (*AnyProc)(void);

#define ENTRY_WRAPPER(name, ret, params, args)                                                     \
    extern "C" ret WINAPI name params                                                              \
    {                                                                                              \
        WintabEntry *entry = &g_wintabEntries[ENTRY_##name];                                       \
        if (!entry->address)                                                                       \
            ResolveWintabEntry(entry);                                                             \
        if (!entry->address)                                                                       \
            return 0;                                                                              \
        s_callsInProgress++;                                                                       \
        ret result = ((ret(WINAPI *) params)(AnyProc)entry->address)args;                          \
        s_callsInProgress--;                                                                       \
        return result;                                                                             \
    }
WINTAB_ENTRIES(ENTRY_WRAPPER)
#undef ENTRY_WRAPPER
