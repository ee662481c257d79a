/* Declarations shared by the parts of the tablet control panel. */
#ifndef PADCFG_H
#define PADCFG_H

#include <windows.h>

#include "resource.h"
#include "wintab/wintab.h"

/* ---- shell/main.cpp ---------------------------------------------------- */

#define CAPTION_LEN 50
#define MESSAGE_LEN 80

extern HINSTANCE g_hInst;
extern WCHAR g_szCaption[CAPTION_LEN]; /* class name and title, string 1 */
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

BOOL InitApplication(HINSTANCE hInstance, HINSTANCE hPrevInstance);
BOOL InitInstance(HINSTANCE hInstance, int nCmdShow);
LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
void ShowErrorBox(HWND owner, UINT stringId);

/* ---- shell/tiles.cpp --------------------------------------------------- */

#define TILE_CLASS L"Icon Window Class"

/* Window extra data of a tile, one pointer-sized slot each. */
enum TileSlot { TILE_LEFT, TILE_UP, TILE_RIGHT, TILE_DOWN, TILE_ICON, TILE_SLOTS };

/* Notifications a tile sends its parent in the high word of WM_COMMAND. */
#define TN_FOCUSED 0
#define TN_QUERYFOCUS 1
#define TN_OPEN 5

HWND CreateTiles(HWND parent, TileLayout *layout);
LRESULT CALLBACK TileWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

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

/* WTInfoW into a fixed buffer of size bytes, never writing past it. */
UINT WTInfoCopy(UINT category, UINT index, void *buffer, UINT size);

/* ---- wintab/device.cpp ------------------------------------------------- */

extern BOOL g_tabletDeviceChosen;
extern WORD g_tabletDevice;

WORD GetTabletDevice(void);

/* ---- controls ---------------------------------------------------------- */

#define SETAREA_CLASS L"SetArea"
#define TWEAK_CLASS L"Tweak"

BOOL RegisterSetAreaClass(HINSTANCE hInstance);
BOOL RegisterTweakClass(HINSTANCE hInstance);

#endif
