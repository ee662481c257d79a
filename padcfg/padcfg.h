/* Declarations shared by the parts of the tablet control panel. */
#ifndef PADCFG_H
#define PADCFG_H

#include <windows.h>

#include "resource.h"
#include "wintab.h"

/* ---- shell/main.cpp ---------------------------------------------------- */

#define CAPTION_LEN 50
#define MESSAGE_LEN 80

extern HINSTANCE g_hInst;
extern TCHAR g_szCaption[CAPTION_LEN]; /* class name and title, string 1 */
extern HMGR g_hMgr;                    /* Wintab manager, open for the whole run */
extern HWND g_focusTile;               /* the tile that has, or last had, the focus */

/* A non-zero result means the command is handled and no dialog opens. */
typedef LRESULT (*TilePreOpenHook)(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

struct TileRecord {
    int id;
    WORD iconId;
    WORD captionId;
    TilePreOpenHook preOpen;
    DLGPROC dialogProc; /* null while the tile's dialog is not part of the program */
    int templateId;
    HWND tile;
};

struct TileLayout {
    int columns;
    int rows;
    TileRecord *records; /* row by row */
};

extern TileLayout g_tileLayout;

#define CURSOR_NAME_LEN 80

/* What lasts for the whole run of the panel, beyond any one dialog; all
   zero at start. */
struct PanelState {
    int units;         /* of the Information and Setup dialogs: 0 inches, 1 cm */
    DWORD keepAspect;  /* "Preserve Aspect Ratio" of the Setup dialog */
    BOOL deviceChosen; /* the tablet device has been looked for, found or not */
    WORD tabletDevice;
    TCHAR cursorName[CURSOR_NAME_LEN]; /* the active cursor's name found last */
};

extern PanelState g_panel;

BOOL InitApplication(HINSTANCE hInstance, HINSTANCE hPrevInstance);
BOOL InitInstance(HINSTANCE hInstance, int nCmdShow);
void ShowErrorBox(HWND owner, UINT stringId);
/* A dialog's record, zeroed, held in its DWLP_USER from WM_INITDIALOG until
   FreeDialogRecord at WM_DESTROY. Without memory for it the dialog says
   "Not Enough Memory" and ends, and the result is null. */
void *NewDialogRecord(HWND hDlg, SIZE_T size);
void FreeDialogRecord(HWND hDlg);
/* A string of the panel's into chars characters, cut at the buffer's end;
   an empty one when it cannot be loaded. Returns its length. */
int LoadText(UINT stringId, LPTSTR text, int chars);
/* Strings first to last, in order, as the entries of a combo box. */
void AddStringsToList(HWND list, UINT first, UINT last);

/* ---- shell/tiles.cpp --------------------------------------------------- */

#define TILE_CLASS TEXT("Icon Window Class")

/* Window extra data of a tile, one pointer-sized slot each. */
enum TileSlot { TILE_LEFT, TILE_UP, TILE_RIGHT, TILE_DOWN, TILE_ICON, TILE_SLOTS };

/* Notifications a tile sends its parent in the high word of WM_COMMAND. */
#define TN_FOCUSED 0
#define TN_QUERYFOCUS 1
#define TN_OPEN 5

HWND CreateTiles(HWND parent, TileLayout *layout);
LRESULT CALLBACK TileWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

/* ---- shell/about.cpp, info.cpp, wintab/device.cpp -------------------- */

#define DEVICE_NAME_LEN 200 /* the device's name as the driver reports it */
#define TEMPLATE_LEN 80
/* A template with its "%s" replaced by at most a whole device name. */
#define TEMPLATE_LINE_LEN (TEMPLATE_LEN + DEVICE_NAME_LEN)

/* A line whose control text is its template: arg takes the place of "%s",
   and the line is cut to chars characters (TEMPLATE_LINE_LEN: not cut). An
   empty template stays as it is. */
void FillTemplateLine(HWND dlg, int id, LPCTSTR arg, int chars);

/* ---- shell/about.cpp --------------------------------------------------- */

INT_PTR CALLBACK AboutDlgProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT DeviceConfigHook(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
/* The log-off after the restart prompt; tests put a recorder in its place. */
extern BOOL(WINAPI *g_exitWindowsEx)(UINT flags, DWORD reserved);

/* ---- shell/info.cpp ---------------------------------------------------- */

INT_PTR CALLBACK InfoDlgProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam);

/* ---- wintab/binding.cpp ------------------------------------------------ */

struct WintabEntry {
    const char *name;
    DWORD ordinal; /* 0: look the entry up by name */
    FARPROC address;
    WintabEntry *next;
};

extern WintabEntry g_wintabEntries[];
extern const int g_wintabEntryCount;

void ResolveWintabEntry(WintabEntry *entry);
void UnloadWintab(void);
/* Whether a call into the driver has not returned yet (its own dialog may
   be running the panel's messages meanwhile). */
BOOL WintabCallInProgress(void);

/* The most bytes any answer of the driver may take; more is unreadable. */
#define WINTAB_MAX_ANSWER 0x10000

/* WTInfo into a fixed buffer of size bytes, never writing past it. 0, and
   the buffer as it was, when the driver gives no answer or a larger one
   than WINTAB_MAX_ANSWER. */
UINT WTInfoCopy(UINT category, UINT index, void *buffer, UINT size);
/* A text item of the driver into chars characters (TCHARs): read whole, cut
   after the last whole character that fits, always terminated; a name list
   keeps its double terminator. Returns the characters stored before the
   terminator, 0 when there is none; without an answer the buffer stays as it
   was. */
UINT WTInfoText(UINT category, UINT index, LPTSTR buffer, UINT chars);

/* ---- wintab/device.cpp ------------------------------------------------- */

WORD GetTabletDevice(void);

/* ---- settings/settings.cpp --------------------------------------------- */

#define MAX_SYSTEM_CONTEXTS 16  /* kept whole when read; more are written, not restored */
#define BUTTON_MAP_SIZE 32      /* bytes of a cursor's button map, one a button */
#define BUTTON_ACTION_MASK 0x0F /* a map byte's mouse action; the high nibble rides along */

/* What the driver held when a record was read: writing the record puts this
   back exactly, but for the settings changed since. */
struct TabletSource {
    BOOL read;           /* FALSE: a record made up, every setting of it is written */
    LOGCONTEXT settings; /* the context the settings were read from */
    UINT contexts;       /* the device's system contexts, whole */
    HCTX handles[MAX_SYSTEM_CONTEXTS];
    LOGCONTEXT records[MAX_SYSTEM_CONTEXTS];
    HCTX defaultHandle; /* the manager's default system context, or null */
    LOGCONTEXT defaultRecord;
    UINT cursor;  /* the active cursor, whose map was read */
    BOOL mapRead; /* FALSE: the map could not be read, and is never written */
    BYTE map[BUTTON_MAP_SIZE];
    DWORD defaultButtons;
};

struct TabletSettings {
    LONG trackingMode; /* 0 relative, 1 absolute */
    FIX32 sensitivity;
    DWORD wholeTablet;
    DWORD left, top, right, bottom; /* tablet counts from the tablet's top-left corner */
    DWORD defaultButtons;
    BYTE sysButtonMap[BUTTON_MAP_SIZE];
    TabletSource source;
};

DWORD GetTabletWidth(void);
DWORD GetTabletHeight(void);
int GetTabletUnitIndex(void);
FIX32 GetTabletResolution(void);
DWORD GetRoundedResolution(void);
/* The device's cursor types, absolute numbers first to first + count - 1,
   kept to the cursors the driver has at all; returns the count. */
UINT GetDeviceCursors(UINT *first);
UINT GetActiveCursor(void); /* with none active, the device's first cursor */
/* The first active cursor of the device; FALSE (and the first cursor) when none is. */
BOOL FindActiveCursor(UINT *cursor);
/* A cursor's system button map; FALSE, and the map as it was, when the
   driver cannot give it. */
BOOL ReadButtonMap(UINT cursor, BYTE *map);

void ReadSettings(TabletSettings *r);
void ApplySettings(TabletSettings *r);
BOOL CommitSettings(HWND hwnd, TabletSettings *r);
/* Lets a working record learn the map the driver makes of its button part;
   the driver ends as it was. */
void ProbeSettings(TabletSettings *working);

/* ---- settings/setup.cpp, buttons.cpp, area.cpp ------------------------- */

#define SENS_TEXT_LEN 24

struct AreaRect {
    DWORD left, top, right, bottom;
};

/* The Setup dialog's state, one record while it is open (its DWLP_USER). */
struct SetupState {
    HWND hDlg;
    TabletSettings working;  /* the settings being edited */
    TabletSettings original; /* as read at opening; Cancel and Revert put it back */
    int setupUnits;          /* units of the area fields */
    int unitsAtEntry;        /* the panel's units at opening, for Revert */
    DWORD aspectAtEntry;     /* Preserve Aspect Ratio at opening, for Revert */
    DWORD sensPercent;       /* the sensitivity shown, 1 to 100 % */
    DWORD percentAtEntry;    /* what the driver's sensitivity showed as */
    DWORD refRes;            /* lines per unit that 100 % stands for */
    TCHAR sensText[SENS_TEXT_LEN];
    DWORD selButton; /* the button whose action is shown */
    DWORD areaStep;  /* counts a spin step moves an area field */
    /* The screen's height / width, A, in counts (16.16): height counts per
       width count of an area A times as high as wide in length, on axes
       whose resolutions may differ. */
    DWORD countAspect;
    DWORD maxAreaW, maxAreaH; /* the largest area of the screen's proportions */
    AreaRect shownArea;       /* the area the fields show */
};

INT_PTR CALLBACK SetupDlgProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam);

/* buttons.cpp */
void FillButtonLists(SetupState *st);
void ShowSelectedAction(SetupState *st);
BOOL OnButtonCommand(SetupState *st, int id, int code);

/* area.cpp */
void PrepareAreaControl(SetupState *st);
/* The fields from the working area: all, or those that changed. */
void ShowAreaFields(SetupState *st, BOOL all);
void EnableAreaControls(SetupState *st);
BOOL OnAreaCommand(SetupState *st, int id, int code);

/* ---- settings/features.cpp --------------------------------------------- */

INT_PTR CALLBACK FeaturesDlgProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam);

/* ---- controls/numbers.cpp ---------------------------------------------- */

#define UNITS_INCHES 0
#define UNITS_CENTIMETERS 1
#define UNITS_COUNTS 2
#define KIND_Y 1          /* the Y axis rather than X */
#define KIND_RESOLUTION 2 /* lines per unit rather than a length */
#define PARSE_TEXT_LEN 40 /* the text ParseTabletValue takes, at most */

#define FIX32_BITS 16 /* fraction bits of the driver's fixed-point numbers */
#define FIX32_ONE 0x10000

DWORD MulDivHalf(DWORD a, DWORD b, DWORD c);
/* A fixed-point value with bits fraction bits to the nearest whole number;
   an exact half rounds down, as the driver's resolution is rounded. */
DWORD RoundFixed(ULONGLONG v, UINT bits);
#define MULDIV_FAILED 0xFFFFFFFE /* MulDivHalf's answer to a divisor below 2 or an overflow */
/* The axis of the kind (X, or Y with KIND_Y), zeroed when the driver cannot
   deliver it; FALSE when it cannot be shown or typed in (no extent, no
   resolution). */
BOOL ReadTabletAxis(int kind, AXIS *axis);
DWORD TabletToDisplay(DWORD value, int units, int kind);
LPCTSTR FormatTabletValue(DWORD value, int units, int kind);
int ParseTabletValue(LPTSTR text, DWORD *stored, int units, int kind);

/* ---- controls ---------------------------------------------------------- */

#define SETAREA_CLASS TEXT("SetArea")
#define TWEAK_CLASS TEXT("Tweak")

/* What the custom controls answer and send. */
#define CM_READ WM_USER        /* Tweak: its buddy; SetArea: its rectangle into lParam */
#define CM_WRITE (WM_USER + 1) /* Tweak: attach wParam; SetArea: rectangle from lParam */
#define TWN_UP 0x20
#define TWN_DOWN 0x21
#define SAN_WHOLE 0x20   /* capture started from the whole tablet */
#define SAN_CHANGED 0x21 /* a corner taken, or the focus left */
#define SAN_FIRST_DUE 0x22
#define SAN_SECOND_DUE 0x23
#define SAN_DEFINED 0x24
#define SAN_CANCELLED 0x25
#define SAN_FOCUS_LEFT 0x27
#define SAN_OUT_OF_RANGE 0x28

BOOL RegisterSetAreaClass(HINSTANCE hInstance);
BOOL RegisterTweakClass(HINSTANCE hInstance);

/* controls/control.cpp: what the panel's own window classes share. */
BOOL RegisterControlClass(HINSTANCE hInstance, HINSTANCE *registeredFor, LPCTSTR name, WNDPROC proc,
                          int classExtra, int windowExtra, int background);
/* A control's record, zeroed, its pointer the window's extra data (one
   pointer) until FreeControlRecord; null without memory. */
void *NewControlRecord(HWND hwnd, SIZE_T size);
void FreeControlRecord(HWND hwnd);
/* WM_COMMAND to the parent: the window's id and code; the parent's answer. */
LRESULT NotifyParent(HWND hwnd, WORD code);
/* Whether hwnd is a window of the class, named without regard to case. */
BOOL IsWindowOfClass(HWND hwnd, LPCTSTR className);

/* controls/text.cpp: text stepped through a character at a time (CharNext),
   so that a double-byte character of the ANSI build is one character. The
   characters of a set are single ones. */
BOOL IsSingleChar(LPCTSTR p); /* one TCHAR long (not the terminator) */
BOOL IsCharOf(LPCTSTR p, LPCTSTR set);
LPTSTR SkipCharsOf(LPCTSTR text, LPCTSTR set);    /* the first character not of the set */
LPTSTR FindCharOf(LPCTSTR text, LPCTSTR set);     /* the first of the set, or the terminator */
LPTSTR FindLastCharOf(LPCTSTR text, LPCTSTR set); /* null when none */
LPTSTR FindInText(LPCTSTR text, LPCTSTR part);    /* null when not there */
/* Where text ends with tail, starting on a character; null when it does not. */
LPTSTR FindTail(LPTSTR text, LPCTSTR tail);
/* Text ended after its last whole character within chars TCHARs; whatever
   lies beyond them needs no terminator. */
void EndTextWithin(LPTSTR text, int chars);
/* A driver's text made fit for one line of a control: line breaks, tabs and
   other control characters become blanks. */
void BlankControlCharacters(LPTSTR text);

/* controls/tweak.cpp */
extern WORD g_tweakCount; /* live Tweaks, each in the table its buddy edits look it up in */

/* What a Tweak keeps, one record per window: its pointer is the window's only
   extra data, from WM_CREATE to WM_DESTROY. Here for the tests to see. */
struct TweakInfo {
    HWND self;
    HWND buddy;        /* the edit attached, or null */
    WNDPROC buddyProc; /* the buddy's own procedure, put back when it goes */
    WORD pressed;      /* bit 0 the upper half, bit 1 the lower, while shown pressed */
    HBITMAP image;     /* the arrow, made at the first paint after a resize */
    WORD ticks;        /* timer ticks since the press, up to the first repeat */
};

/* controls/hooks.cpp */
extern WORD g_hookedCount; /* labels hooked, at most 10 */
/* Every control of ids first to last enabled or not; a label among them
   disabled no longer answers to its mnemonic. */
void EnableControlRange(HWND hDlg, WORD first, WORD last, BOOL enable);

#endif
