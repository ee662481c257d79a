/*
 * Declarations of the published Wintab tablet interface (version 1.1), written
 * for this project from the interface's documented names, numbers and layouts.
 * Shared by the control panel, the stand-in driver and its tools, the
 * benchmarks and the tests.
 */
#ifndef WINTAB_H
#define WINTAB_H

#include <windows.h>

#include <stddef.h>

DECLARE_HANDLE(HMGR);
DECLARE_HANDLE(HCTX);

typedef DWORD WTPKT;
typedef DWORD FIX32; /* 16.16 fixed point */

/* Categories: the first argument of WTInfo. */
#define WTI_INTERFACE 1
#define WTI_STATUS 2
#define WTI_DEFCONTEXT 3
#define WTI_DEFSYSCTX 4
#define WTI_DEVICES 100
#define WTI_CURSORS 200
#define WTI_EXTENSIONS 300
#define WTI_DDCTXS 400
#define WTI_DSCTXS 500

/* WTI_INTERFACE indices. */
#define IFC_WINTABID 1
#define IFC_SPECVERSION 2
#define IFC_IMPLVERSION 3
#define IFC_NDEVICES 4
#define IFC_NCURSORS 5
#define IFC_NCONTEXTS 6
#define IFC_CTXOPTIONS 7
#define IFC_CTXSAVESIZE 8
#define IFC_NEXTENSIONS 9
#define IFC_NMANAGERS 10

/* WTI_STATUS indices. */
#define STA_CONTEXTS 1
#define STA_SYSCTXS 2
#define STA_PKTRATE 3
#define STA_PKTDATA 4
#define STA_MANAGERS 5
#define STA_SYSTEM 6
#define STA_BUTTONUSE 7
#define STA_SYSBTNUSE 8

/* Context indices: the 1-based position of the field in LOGCONTEXT. */
#define CTX_NAME 1
#define CTX_OPTIONS 2
#define CTX_STATUS 3
#define CTX_LOCKS 4
#define CTX_MSGBASE 5
#define CTX_DEVICE 6
#define CTX_PKTRATE 7
#define CTX_PKTDATA 8
#define CTX_PKTMODE 9
#define CTX_MOVEMASK 10
#define CTX_BTNDNMASK 11
#define CTX_BTNUPMASK 12
#define CTX_INORGX 13
#define CTX_INORGY 14
#define CTX_INORGZ 15
#define CTX_INEXTX 16
#define CTX_INEXTY 17
#define CTX_INEXTZ 18
#define CTX_OUTORGX 19
#define CTX_OUTORGY 20
#define CTX_OUTORGZ 21
#define CTX_OUTEXTX 22
#define CTX_OUTEXTY 23
#define CTX_OUTEXTZ 24
#define CTX_SENSX 25
#define CTX_SENSY 26
#define CTX_SENSZ 27
#define CTX_SYSMODE 28
#define CTX_SYSORGX 29
#define CTX_SYSORGY 30
#define CTX_SYSEXTX 31
#define CTX_SYSEXTY 32
#define CTX_SYSSENSX 33
#define CTX_SYSSENSY 34

/* Device indices (WTI_DEVICES + n). */
#define DVC_NAME 1
#define DVC_HARDWARE 2
#define DVC_NCSRTYPES 3
#define DVC_FIRSTCSR 4
#define DVC_PKTRATE 5
#define DVC_PKTDATA 6
#define DVC_PKTMODE 7
#define DVC_CSRDATA 8
#define DVC_XMARGIN 9
#define DVC_YMARGIN 10
#define DVC_ZMARGIN 11
#define DVC_X 12
#define DVC_Y 13
#define DVC_Z 14
#define DVC_NPRESSURE 15
#define DVC_TPRESSURE 16
#define DVC_ORIENTATION 17
#define DVC_ROTATION 18
#define DVC_PNPID 19

/* Cursor indices (WTI_CURSORS + c). */
#define CSR_NAME 1
#define CSR_ACTIVE 2
#define CSR_PKTDATA 3
#define CSR_BUTTONS 4
#define CSR_BUTTONBITS 5
#define CSR_BTNNAMES 6
#define CSR_BUTTONMAP 7
#define CSR_SYSBTNMAP 8
#define CSR_NPBUTTON 9
#define CSR_NPBTNMARKS 10
#define CSR_NPRESPONSE 11
#define CSR_TPBUTTON 12
#define CSR_TPBTNMARKS 13
#define CSR_TPRESPONSE 14
#define CSR_PHYSID 15
#define CSR_MODE 16
#define CSR_MINPKTDATA 17
#define CSR_MINBUTTONS 18
#define CSR_CAPABILITIES 19
#define CSR_TYPE 20

/* Packet fields, in the order they appear in a packet. */
#define PK_CONTEXT 0x0001
#define PK_STATUS 0x0002
#define PK_TIME 0x0004
#define PK_CHANGED 0x0008
#define PK_SERIAL_NUMBER 0x0010
#define PK_CURSOR 0x0020
#define PK_BUTTONS 0x0040
#define PK_X 0x0080
#define PK_Y 0x0100
#define PK_Z 0x0200
#define PK_NORMAL_PRESSURE 0x0400
#define PK_TANGENT_PRESSURE 0x0800
#define PK_ORIENTATION 0x1000
#define PK_ROTATION 0x2000

/* Context options, status and locks. */
#define CXO_SYSTEM 0x0001
#define CXO_PEN 0x0002
#define CXO_MESSAGES 0x0004
#define CXO_CSRMESSAGES 0x0008
#define CXO_MGNINSIDE 0x4000
#define CXO_MARGIN 0x8000

#define CXS_DISABLED 0x0001
#define CXS_OBSCURED 0x0002
#define CXS_ONTOP 0x0004

#define CXL_INSIZE 0x0001
#define CXL_INASPECT 0x0002
#define CXL_SENSITIVITY 0x0004
#define CXL_MARGIN 0x0008
#define CXL_SYSOUT 0x0010

/* Axis units. */
#define TU_NONE 0
#define TU_INCHES 1
#define TU_CENTIMETERS 2
#define TU_CIRCLE 3

/* WTMgrDeviceConfig results. */
#define WTDC_NONE 0
#define WTDC_CANCEL 1
#define WTDC_OK 2
#define WTDC_RESTART 3

/* DVC_HARDWARE bits. */
#define HWC_INTEGRATED 0x0001
#define HWC_TOUCH 0x0002
#define HWC_HARDPROX 0x0004
#define HWC_PHYSID_CURSORS 0x0008

/* System button actions: mouse in the low nibble, pen in the high one. */
#define SBN_NONE 0x00
#define SBN_LCLICK 0x01
#define SBN_LDBLCLICK 0x02
#define SBN_LDRAG 0x03
#define SBN_RCLICK 0x04
#define SBN_RDBLCLICK 0x05
#define SBN_RDRAG 0x06
#define SBN_MCLICK 0x07
#define SBN_MDBLCLICK 0x08
#define SBN_MDRAG 0x09
#define SBN_PTCLICK 0x10
#define SBN_PTDBLCLICK 0x20
#define SBN_PTDRAG 0x30
#define SBN_PNCLICK 0x40
#define SBN_PNDBLCLICK 0x50
#define SBN_PNDRAG 0x60
#define SBN_P1CLICK 0x70
#define SBN_P1DBLCLICK 0x80
#define SBN_P1DRAG 0x90
#define SBN_P2CLICK 0xA0
#define SBN_P2DBLCLICK 0xB0
#define SBN_P2DRAG 0xC0
#define SBN_P3CLICK 0xD0
#define SBN_P3DBLCLICK 0xE0
#define SBN_P3DRAG 0xF0

#define WTP_LPDEFAULT ((LPVOID)(INT_PTR)-1)
#define WTP_DWDEFAULT ((DWORD)-1)

#define LCNAMELEN 40

/* Messages: the context's message base plus these offsets. */
#define WT_DEFBASE 0x7FF0
#define WT_MAXOFFSET 0xF
#define WT_PACKET(base) ((base) + 0)
#define WT_CTXOPEN(base) ((base) + 1)
#define WT_CTXCLOSE(base) ((base) + 2)
#define WT_CTXUPDATE(base) ((base) + 3)
#define WT_CTXOVERLAP(base) ((base) + 4)
#define WT_PROXIMITY(base) ((base) + 5)
#define WT_INFOCHANGE(base) ((base) + 6)
#define WT_CSRCHANGE(base) ((base) + 7)

typedef struct tagAXIS {
    LONG axMin;
    LONG axMax;
    UINT axUnits;
    FIX32 axResolution;
} AXIS, *PAXIS, *LPAXIS;

/* The context record's fields after its name, the same in both character sets. */
#define WINTAB_LOGCONTEXT_FIELDS                                                                   \
    UINT lcOptions;                                                                                \
    UINT lcStatus;                                                                                 \
    UINT lcLocks;                                                                                  \
    UINT lcMsgBase;                                                                                \
    UINT lcDevice;                                                                                 \
    UINT lcPktRate;                                                                                \
    WTPKT lcPktData;                                                                               \
    WTPKT lcPktMode;                                                                               \
    WTPKT lcMoveMask;                                                                              \
    DWORD lcBtnDnMask;                                                                             \
    DWORD lcBtnUpMask;                                                                             \
    LONG lcInOrgX;                                                                                 \
    LONG lcInOrgY;                                                                                 \
    LONG lcInOrgZ;                                                                                 \
    LONG lcInExtX;                                                                                 \
    LONG lcInExtY;                                                                                 \
    LONG lcInExtZ;                                                                                 \
    LONG lcOutOrgX;                                                                                \
    LONG lcOutOrgY;                                                                                \
    LONG lcOutOrgZ;                                                                                \
    LONG lcOutExtX;                                                                                \
    LONG lcOutExtY;                                                                                \
    LONG lcOutExtZ;                                                                                \
    FIX32 lcSensX;                                                                                 \
    FIX32 lcSensY;                                                                                 \
    FIX32 lcSensZ;                                                                                 \
    BOOL lcSysMode;                                                                                \
    int lcSysOrgX;                                                                                 \
    int lcSysOrgY;                                                                                 \
    int lcSysExtX;                                                                                 \
    int lcSysExtY;                                                                                 \
    FIX32 lcSysSensX;                                                                              \
    FIX32 lcSysSensY;

typedef struct tagLOGCONTEXTW {
    WCHAR lcName[LCNAMELEN];
    WINTAB_LOGCONTEXT_FIELDS
} LOGCONTEXTW, *PLOGCONTEXTW, *LPLOGCONTEXTW;

typedef struct tagLOGCONTEXTA {
    char lcName[LCNAMELEN];
    WINTAB_LOGCONTEXT_FIELDS
} LOGCONTEXTA, *PLOGCONTEXTA, *LPLOGCONTEXTA;

/* The driver and its callers share these records byte for byte, on 32 and
   64 bits alike: a layout slip fails the build of the target it happens on. */
static_assert(sizeof(AXIS) == 16, "AXIS is 16 bytes");
static_assert(offsetof(AXIS, axMax) == 4 && offsetof(AXIS, axUnits) == 8 &&
                  offsetof(AXIS, axResolution) == 12,
              "AXIS: four 4-byte fields");
static_assert(sizeof(LOGCONTEXTW) == 212, "LOGCONTEXTW is 212 bytes");
static_assert(sizeof(LOGCONTEXTA) == 172, "LOGCONTEXTA is 172 bytes");
/* Every field after the name is 4 bytes: the wide record is the narrow one
   with a name LCNAMELEN bytes longer. */
#define WINTAB_CONTEXT_OFFSET(field, offsetW)                                                      \
    static_assert(offsetof(LOGCONTEXTW, field) == (offsetW) &&                                     \
                      offsetof(LOGCONTEXTA, field) == (offsetW)-LCNAMELEN,                         \
                  "LOGCONTEXT: " #field " out of place")
WINTAB_CONTEXT_OFFSET(lcOptions, 80);
WINTAB_CONTEXT_OFFSET(lcDevice, 96);
WINTAB_CONTEXT_OFFSET(lcPktData, 104);
WINTAB_CONTEXT_OFFSET(lcInOrgX, 124);
WINTAB_CONTEXT_OFFSET(lcInExtY, 140);
WINTAB_CONTEXT_OFFSET(lcOutExtY, 164);
WINTAB_CONTEXT_OFFSET(lcSysMode, 184);
WINTAB_CONTEXT_OFFSET(lcSysSensX, 204);
WINTAB_CONTEXT_OFFSET(lcSysSensY, 208);
#undef WINTAB_CONTEXT_OFFSET

typedef BOOL(WINAPI *WTENUMPROC)(HCTX, LPARAM);

/* Export ordinals of the Wintab 32-bit library. */
#define ORD_WTInfoA 20
#define ORD_WTOpenA 21
#define ORD_WTClose 22
#define ORD_WTPacketsGet 23
#define ORD_WTPacket 24
#define ORD_WTEnable 40
#define ORD_WTOverlap 41
#define ORD_WTGetA 61
#define ORD_WTSetA 62
#define ORD_WTMgrOpen 100
#define ORD_WTMgrClose 101
#define ORD_WTMgrContextEnum 120
#define ORD_WTMgrContextOwner 121
#define ORD_WTMgrDefContext 122
#define ORD_WTMgrDeviceConfig 140
#define ORD_WTMgrCsrEnable 181
#define ORD_WTMgrCsrButtonMap 182
#define ORD_WTInfoW 1020
#define ORD_WTOpenW 1021
#define ORD_WTGetW 1061
#define ORD_WTSetW 1062

/* The generic names of the entries that have an ANSI and a Unicode form, and
   of their context record: the build's character set chooses. */
#ifdef UNICODE
#define WTInfo WTInfoW
#define WTOpen WTOpenW
#define WTGet WTGetW
#define WTSet WTSetW
#define ORD_WTInfo ORD_WTInfoW
#define ORD_WTOpen ORD_WTOpenW
#define ORD_WTGet ORD_WTGetW
#define ORD_WTSet ORD_WTSetW
typedef LOGCONTEXTW LOGCONTEXT, *PLOGCONTEXT, *LPLOGCONTEXT;
#else
#define WTInfo WTInfoA
#define WTOpen WTOpenA
#define WTGet WTGetA
#define WTSet WTSetA
#define ORD_WTInfo ORD_WTInfoA
#define ORD_WTOpen ORD_WTOpenA
#define ORD_WTGet ORD_WTGetA
#define ORD_WTSet ORD_WTSetA
typedef LOGCONTEXTA LOGCONTEXT, *PLOGCONTEXT, *LPLOGCONTEXT;
#endif

#ifdef __cplusplus
extern "C" {
#endif

UINT WINAPI WTInfoA(UINT wCategory, UINT nIndex, LPVOID lpOutput);
UINT WINAPI WTInfoW(UINT wCategory, UINT nIndex, LPVOID lpOutput);
HCTX WINAPI WTOpenA(HWND hWnd, LPLOGCONTEXTA lpLogCtx, BOOL fEnable);
HCTX WINAPI WTOpenW(HWND hWnd, LPLOGCONTEXTW lpLogCtx, BOOL fEnable);
BOOL WINAPI WTClose(HCTX hCtx);
int WINAPI WTPacketsGet(HCTX hCtx, int cMaxPkts, LPVOID lpPkts);
BOOL WINAPI WTPacket(HCTX hCtx, UINT wSerial, LPVOID lpPkt);
BOOL WINAPI WTEnable(HCTX hCtx, BOOL fEnable);
BOOL WINAPI WTOverlap(HCTX hCtx, BOOL fToTop);
BOOL WINAPI WTGetA(HCTX hCtx, LPLOGCONTEXTA lpLogCtx);
BOOL WINAPI WTGetW(HCTX hCtx, LPLOGCONTEXTW lpLogCtx);
BOOL WINAPI WTSetA(HCTX hCtx, LPLOGCONTEXTA lpLogCtx);
BOOL WINAPI WTSetW(HCTX hCtx, LPLOGCONTEXTW lpLogCtx);
HMGR WINAPI WTMgrOpen(HWND hWnd, UINT wMsgBase);
BOOL WINAPI WTMgrClose(HMGR hMgr);
BOOL WINAPI WTMgrContextEnum(HMGR hMgr, WTENUMPROC lpEnumFunc, LPARAM lParam);
HWND WINAPI WTMgrContextOwner(HMGR hMgr, HCTX hCtx);
HCTX WINAPI WTMgrDefContext(HMGR hMgr, BOOL fSystem);
UINT WINAPI WTMgrDeviceConfig(HMGR hMgr, UINT wDevice, HWND hWnd);
BOOL WINAPI WTMgrCsrEnable(HMGR hMgr, UINT wCursor, BOOL fEnable);
BOOL WINAPI WTMgrCsrButtonMap(HMGR hMgr, UINT wCursor, LPBYTE lpLogBtns, LPBYTE lpSysBtns);

#ifdef __cplusplus
}
#endif

#endif /* WINTAB_H */
