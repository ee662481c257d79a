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

/* name, return type, parameter list, argument list; in table order. The
   names with a text form are the generic ones of wintab.h, so the build's
   character set binds WTInfoW and its kin (the Windows NT panel) or WTInfoA
   (the Windows 95 panel), under their own names and ordinals. */
#define WINTAB_ENTRIES(X)                                                                          \
    X(WTMgrDeviceConfig, UINT, (HMGR hMgr, UINT wDevice, HWND hWnd), (hMgr, wDevice, hWnd))        \
    X(WTMgrClose, BOOL, (HMGR hMgr), (hMgr))                                                       \
    X(WTInfo, UINT, (UINT wCategory, UINT nIndex, LPVOID lpOutput), (wCategory, nIndex, lpOutput)) \
    X(WTGet, BOOL, (HCTX hCtx, LPLOGCONTEXT lpLogCtx), (hCtx, lpLogCtx))                           \
    X(WTMgrCsrButtonMap, BOOL, (HMGR hMgr, UINT wCursor, LPBYTE lpLogBtns, LPBYTE lpSysBtns),      \
      (hMgr, wCursor, lpLogBtns, lpSysBtns))                                                       \
    X(WTMgrContextEnum, BOOL, (HMGR hMgr, WTENUMPROC lpEnumFunc, LPARAM lParam),                   \
      (hMgr, lpEnumFunc, lParam))                                                                  \
    X(WTSet, BOOL, (HCTX hCtx, LPLOGCONTEXT lpLogCtx), (hCtx, lpLogCtx))                           \
    X(WTMgrDefContext, HCTX, (HMGR hMgr, BOOL fSystem), (hMgr, fSystem))                           \
    X(WTMgrCsrEnable, BOOL, (HMGR hMgr, UINT wCursor, BOOL fEnable), (hMgr, wCursor, fEnable))     \
    X(WTMgrOpen, HMGR, (HWND hWnd, UINT wMsgBase), (hWnd, wMsgBase))                               \
    X(WTClose, BOOL, (HCTX hCtx), (hCtx))                                                          \
    X(WTOpen, HCTX, (HWND hWnd, LPLOGCONTEXT lpLogCtx, BOOL fEnable), (hWnd, lpLogCtx, fEnable))   \
    X(WTEnable, BOOL, (HCTX hCtx, BOOL fEnable), (hCtx, fEnable))                                  \
    X(WTOverlap, BOOL, (HCTX hCtx, BOOL fToTop), (hCtx, fToTop))                                   \
    X(WTPacket, BOOL, (HCTX hCtx, UINT wSerial, LPVOID lpPkt), (hCtx, wSerial, lpPkt))

enum {
#define ENTRY_INDEX(name, ret, params, args) ENTRY_##name,
    WINTAB_ENTRIES(ENTRY_INDEX)
#undef ENTRY_INDEX
        ENTRY_COUNT
};

/* The export name as the generic name expands. */
#define ENTRY_NAME(name) #name

WintabEntry g_wintabEntries[] = {
#define ENTRY_RECORD(name, ret, params, args) {ENTRY_NAME(name), ORD_##name, NULL, NULL},
    WINTAB_ENTRIES(ENTRY_RECORD)
#undef ENTRY_RECORD
};
const int g_wintabEntryCount = ENTRY_COUNT;

#define LIBRARY_NAME TEXT("\\wintab32.dll")

static HMODULE s_hWintab;       /* the loaded library, null while not loaded */
static WintabEntry *s_resolved; /* resolved entries, most recent first */
static UINT s_callsInProgress;  /* calls into the driver not yet returned */

/* The driver is taken from the program's own folder, else from the system
   folder, by full path: a search by name would also look in the current
   folder, where a library beside a document would run inside the panel. */
static HMODULE LoadFrom(UINT dirLength, TCHAR *path)
{
    if (dirLength == 0 || dirLength > MAX_PATH - ARRAYSIZE(LIBRARY_NAME))
        return NULL;
    lstrcpy(path + dirLength, LIBRARY_NAME);
    return LoadLibraryEx(path, NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
}

/* The program's folder ends at the last backslash, found from the front: in a
   double-byte code page a backslash byte may be the second half of a
   character of the folder's name. */
static HMODULE LoadWintab(void)
{
    TCHAR path[MAX_PATH];
    UINT length = GetModuleFileName(NULL, path, MAX_PATH);
    path[length < MAX_PATH ? length : 0] = 0; /* a cut name has no folder to trust */
    TCHAR *slash = FindLastCharOf(path, TEXT("\\"));
    HMODULE module = LoadFrom(slash ? (UINT)(slash - path) : 0, path);
    return module ? module : LoadFrom(GetSystemDirectory(path, MAX_PATH), path);
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
    UINT need = WTInfo(category, index, NULL);
    if (need == 0 || need > WINTAB_MAX_ANSWER)
        return 0;
    UINT room = need + size;
    BYTE *block = (BYTE *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, room);
    if (!block)
        return 0;
    UINT got = WTInfo(category, index, block);
    if (got > room)
        got = 0; /* past the block: nothing of it is trusted */
    if (got)
        CopyMemory(buffer, block, got < size ? got : size);
    HeapFree(GetProcessHeap(), 0, block);
    return got;
}

UINT WTInfoText(UINT category, UINT index, TCHAR *buffer, UINT chars)
{
    if (chars == 0)
        return 0;
    UINT n = WTInfoCopy(category, index, buffer, chars * sizeof(TCHAR)) / sizeof(TCHAR);
    if (n == 0)
        return 0; /* no answer: the buffer stays as it was */
    if (n < chars) {
        /* Whatever the driver sent, the text ends where its answer ends, and
           a name list there too. */
        buffer[n] = 0;
        if (n + 1 < chars)
            buffer[n + 1] = 0;
    } else if (chars > 1) {
        /* Cut after the last whole character of the last text (the only one,
           or the last name of a list; a terminator byte is never the second
           half of a character), and a name list still ends with an empty
           name. */
        TCHAR *last = buffer + chars - 2;
        while (last > buffer && last[-1])
            last--;
        EndTextWithin(last, (int)(buffer + chars - 2 - last));
        buffer[chars - 2] = 0;
        buffer[chars - 1] = 0;
    } else {
        buffer[0] = 0;
    }
    return (UINT)lstrlen(buffer);
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
