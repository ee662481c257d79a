/*
 * The stand-in Wintab driver: a wintab32.dll that answers the published calls
 * from a tablet description (an INI file or the built-in default), so that
 * the control panel can be tried and tested without a tablet.
 *
 * Shared declarations of its files: the tablet description, the context and
 * manager tables, the call log.
 */
#ifndef STANDIN_H
#define STANDIN_H

#include "wintab.h"

/* Sizes of the fixed tables. A description asking for more is cut. Texts
   (names) are not limited: they live in the driver's private heap. */
#define MAX_DEVICES 4
#define MAX_CURSORS 64
#define MAX_SYSCTXS 8
#define MAX_CONTEXTS 32 /* open contexts, the driver's own system contexts included */
#define MAX_MANAGERS 8
#define QUEUE_SIZE 64
#define MAX_RESPONSE 16

/* What the [Interface] section holds, with the faults tests switch on. */
struct StandinInterface {
    const WCHAR *id;
    UINT specVersion;
    UINT implVersion;
    UINT ctxOptions;
    UINT nDevices;
    UINT nCursors;
    UINT nSysCtxs;
    UINT noTablet;
    UINT mgrOpenFails;
    UINT longStrings;
    UINT openFails;   /* WTOpenA/W return NULL */
    UINT noDefSysCtx; /* WTMgrDefContext(Ex) has no default system context */
};

struct StandinDevice {
    const WCHAR *name;
    const WCHAR *pnpId;
    UINT hardware;
    UINT pktRate;
    WTPKT pktData;
    WTPKT pktMode;
    WTPKT csrData;
    int margin[3];
    AXIS axis[3]; /* X, Y, Z; an axis of all zeros is not reported */
    AXIS npressure;
    AXIS tpressure;
    AXIS orientation[3];
    AXIS rotation[3];
    UINT firstCsr;
    UINT nCsrTypes;
    UINT configDialog; /* WTMgrDeviceConfig: whether the driver has a dialog */
    UINT configResult; /* and the WTDC_ code it reports when asked to show it */
    int configTimeout; /* ms until the dialog closes by itself; negative: never */
};

struct UintList {
    UINT count;
    UINT value[MAX_RESPONSE];
};

struct StandinCursor {
    const WCHAR *name;
    UINT active;
    WTPKT pktData;
    BYTE buttons;
    BYTE buttonBits;
    const WCHAR *btnNames; /* each NUL-terminated, ended by an empty name */
    BYTE buttonMap[32];
    BYTE sysBtnMap[32];
    BYTE defButtonMap[32];
    BYTE defSysBtnMap[32];
    BYTE npButton;
    BYTE tpButton;
    UINT npBtnMarks[2];
    UINT tpBtnMarks[2];
    UintList npResponse;
    UintList tpResponse;
    DWORD physId;
    UINT mode;
    UINT minPktData;
    UINT minButtons;
    UINT capabilities;
    UINT type;
    UINT noSysBtnMap; /* CSR_SYSBTNMAP cannot be read */
};

/* One packet as the driver keeps it; formatted per context when read. */
struct StandinPacket {
    UINT serial;
    UINT status;
    DWORD time;
    WTPKT changed;
    UINT cursor;
    DWORD buttons;
    LONG x, y, z;
    UINT npressure;
    UINT tpressure;
    int orientation[3];
    int rotation[3];
};

enum ContextKind {
    KIND_SYSTEM,     /* the driver's own, from [ContextN] */
    KIND_APP,        /* opened by a program */
    KIND_DEFSYS,     /* a device's default system context, [DefaultSystemN] */
    KIND_DEFDIGITIZE /* a device's default digitizing context, [DefaultDigitizingN] */
};

struct StandinContext {
    HCTX handle;
    ContextKind kind;
    UINT section; /* N of its description section; unused for KIND_APP */
    HWND owner;
    LOGCONTEXTW lc;
    int order; /* overlap order: the highest is on top */
    StandinPacket queue[QUEUE_SIZE];
    UINT queued;
    StandinPacket last; /* the last packet made, for relative fields and pkChanged */
    BOOL hasLast;
};

struct StandinManager {
    HMGR handle;
    HWND hwnd;
    UINT msgBase;
};

/* tablet.cpp: the description and where it came from. */
extern StandinInterface g_ifc;
extern StandinDevice g_dev[MAX_DEVICES];
extern StandinCursor g_csr[MAX_CURSORS];
extern LOGCONTEXTW g_sysCtxDesc[MAX_SYSCTXS];
extern LOGCONTEXTW g_defCtxDesc[MAX_DEVICES][2]; /* [d][0] system, [d][1] digitizing */
extern WCHAR g_descPath[MAX_PATH];               /* empty: the built-in tablet */
extern HINSTANCE g_hinst;

void LoadDescription(void);
void FreeDescription(void);
/* Zeroed memory from the driver's private heap, all released at unload. */
void *StandinAlloc(SIZE_T bytes);
void *StandinRealloc(void *p, SIZE_T bytes);
/* Write into the description file what differs from what it holds; a
   cursor's map reset to its default (later) waits for SaveWaitingChanges,
   called when the pen window's thread takes its messages and at unload. */
void SaveContext(ContextKind kind, UINT section, const LOGCONTEXTW *lc);
void SaveCursor(UINT cursor, BOOL later);
void SaveWaitingChanges(void);
void UnixToWindowsPath(const WCHAR *in, WCHAR *out, UINT size);

/* contexts.cpp */
extern StandinContext g_ctx[MAX_CONTEXTS];
extern UINT g_ctxCount;
extern StandinContext g_defCtx[MAX_DEVICES][2];
void OpenDriverContexts(void);
StandinContext *FindContext(HCTX hctx);
UINT NewHandle(void);
BOOL IsSystemContext(const StandinContext *ctx);

/* manager.cpp */
extern StandinManager g_mgr[MAX_MANAGERS];
extern UINT g_mgrCount;
void PostInfoChange(UINT category, UINT index);

/* config.cpp: the driver's own configuration dialog and its outcome. */
UINT ShowConfigDialog(UINT device, HWND owner);

/* penwindow.cpp: the hidden window other processes move the pen through. */
void CreatePenWindow(void);
void DestroyPenWindow(void);
/* Has the pen window call SaveWaitingChanges when its thread next takes its
   messages; FALSE when there is no window. */
BOOL PostSaveLater(void);

/* info.cpp */
UINT InfoAnswer(UINT category, UINT index, LPVOID out, BOOL ansi);
void ContextToAnsi(const LOGCONTEXTW *w, LOGCONTEXTA *a);
void ContextFromAnsi(const LOGCONTEXTA *a, LOGCONTEXTW *w);

/* dllmain.cpp: every export starts with EnsureLoaded and ends with LogCall. */
void EnsureLoaded(void);

/* The result kind comes first in kinds, then one per argument:
   'u' unsigned, 'i' signed, 'h' handle (0x hex), 'p' pointer (NULL or ptr). */
void LogCall(const char *name, const char *kinds, ...);
void LogLine(const char *text);
#define LA(x) ((UINT_PTR)(x))

#ifdef __cplusplus
extern "C" {
#endif
/* Not among wintab.h's declarations: the private pen simulation and the
   published calls only the stand-in needs. */
UINT WINAPI StandinPenEvent(UINT cursor, DWORD buttons, LONG x, LONG y);
HCTX WINAPI WTMgrDefContextEx(HMGR hMgr, UINT wDevice, BOOL fSystem);
#ifdef __cplusplus
}
#endif

#endif /* STANDIN_H */
