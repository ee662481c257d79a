/*
 * The tablet control panel: start-up checks, window classes, the main window
 * with its menu and row of tiles, command dispatch to the dialogs, and the
 * shut-down that closes the Wintab manager before releasing the library.
 */
#include "padcfg.h"

HINSTANCE g_hInst;
TCHAR g_szCaption[CAPTION_LEN];
HMGR g_hMgr;
HWND g_focusTile;
PanelState g_panel;

/* A close that came while the driver's own dialog ran the panel's messages:
   it waits until the call returns, since closing releases the library the
   call is running in. */
static BOOL s_closeDue;

/* Dialogs join this table as they become part of the program. */
static TileRecord s_tiles[] = {
    {IDT_INFORMATION, IDI_INFOTILE, IDS_INFORMATION, NULL, InfoDlgProc, IDD_INFORMATION, NULL},
    {IDT_FEATURES, IDI_FEATURESTILE, IDS_FEATURES, DeviceConfigHook, FeaturesDlgProc, IDD_FEATURES,
     NULL},
    {IDT_CUSTOMIZATION, IDI_SETUPTILE, IDS_CUSTOMIZATION, NULL, SetupDlgProc, IDD_SETUP, NULL},
};

TileLayout g_tileLayout = {3, 1, s_tiles};

int LoadText(UINT stringId, LPTSTR text, int chars)
{
    int length = LoadString(g_hInst, stringId, text, chars);
    if (length <= 0) {
        text[0] = 0;
        length = 0;
    }
    return length;
}

#define LIST_TEXT_LEN 40

void AddStringsToList(HWND list, UINT first, UINT last)
{
    TCHAR text[LIST_TEXT_LEN];
    for (UINT id = first; id <= last; id++) {
        LoadText(id, text, LIST_TEXT_LEN);
        SendMessage(list, CB_ADDSTRING, 0, (LPARAM)text);
    }
}

void ShowErrorBox(HWND owner, UINT stringId)
{
    TCHAR text[MESSAGE_LEN];
    LoadText(stringId, text, MESSAGE_LEN);
    MessageBox(owner, text, g_szCaption, MB_ICONERROR);
}

void *NewDialogRecord(HWND hDlg, SIZE_T size)
{
    void *record = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size);
    if (!record) {
        ShowErrorBox(GetParent(hDlg), IDS_NO_MEMORY);
        EndDialog(hDlg, 0);
        return NULL;
    }
    SetWindowLongPtr(hDlg, DWLP_USER, (LONG_PTR)record);
    return record;
}

void FreeDialogRecord(HWND hDlg)
{
    void *record = (void *)SetWindowLongPtr(hDlg, DWLP_USER, 0);
    if (record)
        HeapFree(GetProcessHeap(), 0, record);
}

static LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

/* A copy that is already running is brought forward instead of starting twice. */
static BOOL ActivateRunningCopy(void)
{
    HWND main = FindWindow(g_szCaption, g_szCaption);
    if (!main)
        return FALSE;

    /* With a dialog open, the dialog alone is brought forward: it takes its
       owner along. Activating the owner first raised the disabled main
       window over its own dialog, active, where no key reached anything. */
    HWND popup = GetLastActivePopup(main);
    if (popup && popup != main) {
        SetForegroundWindow(popup);
        return TRUE;
    }
    SetForegroundWindow(main);
    if (IsIconic(main))
        ShowWindow(main, SW_RESTORE);
    return TRUE;
}

BOOL InitApplication(HINSTANCE hInstance, HINSTANCE hPrevInstance)
{
    (void)hPrevInstance; /* always null on Win32: the window look-up finds a running copy */

    /* The start-up error boxes load their text from here. */
    g_hInst = hInstance;
    LoadText(IDS_CAPTION, g_szCaption, CAPTION_LEN);
    if (ActivateRunningCopy())
        return FALSE;

    /* The first Wintab call loads the library. */
    if (WTInfo(0, 0, NULL) == 0) {
        ShowErrorBox(NULL, IDS_NO_DRIVER);
        return FALSE;
    }

    if (!RegisterSetAreaClass(hInstance) || !RegisterTweakClass(hInstance))
        return FALSE;

    WNDCLASS wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = TileWndProc;
    wc.cbWndExtra = TILE_SLOTS * sizeof(LONG_PTR);
    wc.hInstance = hInstance;
    wc.hCursor = LoadCursor(NULL, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)GetStockObject(NULL_BRUSH);
    wc.lpszClassName = TILE_CLASS;
    if (!RegisterClass(&wc))
        return FALSE;

    ZeroMemory(&wc, sizeof(wc));
    wc.style = CS_VREDRAW | CS_HREDRAW;
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = hInstance;
    wc.hIcon = LoadIcon(hInstance, MAKEINTRESOURCE(IDI_PADCFG));
    wc.hCursor = LoadCursor(NULL, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_APPWORKSPACE + 1);
    wc.lpszMenuName = MAKEINTRESOURCE(IDM_MAIN);
    wc.lpszClassName = g_szCaption;
    return RegisterClass(&wc) != 0;
}

BOOL InitInstance(HINSTANCE hInstance, int nCmdShow)
{
    g_hInst = hInstance;

    /* The client area holds exactly one row of three tiles, each three icons
       wide and two high; the frame is whatever this style and menu need. */
    const DWORD style = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT rc = {0, 0, 9 * GetSystemMetrics(SM_CXICON), 2 * GetSystemMetrics(SM_CYICON)};
    AdjustWindowRectEx(&rc, style, TRUE, 0);

    HWND hwnd = CreateWindowEx(0, g_szCaption, g_szCaption, style, CW_USEDEFAULT, CW_USEDEFAULT,
                               rc.right - rc.left, rc.bottom - rc.top, NULL, NULL, hInstance, NULL);
    if (!hwnd)
        return FALSE;

    g_hMgr = WTMgrOpen(hwnd, WT_DEFBASE);
    if (!g_hMgr) {
        ShowErrorBox(NULL, IDS_NO_DRIVER);
        DestroyWindow(hwnd);
        return FALSE;
    }

    ShowWindow(hwnd, nCmdShow);
    return TRUE;
}

static void ShowNoHelp(HWND hwnd)
{
    TCHAR text[MESSAGE_LEN], title[MESSAGE_LEN];
    LoadText(IDS_NO_HELP, text, MESSAGE_LEN);
    LoadText(IDS_NO_HELP_TITLE, title, MESSAGE_LEN);
    MessageBox(hwnd, text, title, MB_OK);
}

static TileRecord *TileOfCommand(UINT command)
{
    return &g_tileLayout.records[command - IDM_INFORMATION];
}

static LRESULT OnTileNotify(UINT code, HWND tile)
{
    switch (code) {
    case TN_FOCUSED:
        g_focusTile = tile;
        return 0;
    case TN_QUERYFOCUS:
        return (LRESULT)g_focusTile;
    case TN_OPEN:
        SendMessage(GetParent(tile), WM_COMMAND, GetDlgCtrlID(tile) + TILE_TO_COMMAND, 0);
        return 0;
    }
    return 0;
}

static void OpenTileDialog(HWND hwnd, WPARAM wParam, LPARAM lParam)
{
    TileRecord *record = TileOfCommand(LOWORD(wParam));

    /* The highlight moves to the command's tile before its dialog opens. */
    g_focusTile = record->tile;
    SetFocus(record->tile);

    if (record->preOpen && record->preOpen(hwnd, WM_COMMAND, wParam, lParam))
        return;
    if (record->dialogProc)
        DialogBoxParam(g_hInst, MAKEINTRESOURCE(record->templateId), hwnd, record->dialogProc, 0);
}

static LRESULT OnCommand(HWND hwnd, WPARAM wParam, LPARAM lParam)
{
    UINT id = LOWORD(wParam);

    if (id >= IDT_INFORMATION && id <= IDT_CUSTOMIZATION)
        return OnTileNotify(HIWORD(wParam), (HWND)lParam);

    switch (id) {
    case IDM_INFORMATION:
    case IDM_TRANSDUCER:
    case IDM_SETUP:
        OpenTileDialog(hwnd, wParam, lParam);
        break;
    case IDM_EXIT:
        DestroyWindow(hwnd);
        break;
    case IDM_ABOUT:
        DialogBoxParam(g_hInst, MAKEINTRESOURCE(IDD_ABOUT), hwnd, AboutDlgProc, 0);
        break;
    default:
        if (id >= IDM_HELP_FIRST && id <= IDM_HELP_LAST)
            ShowNoHelp(hwnd);
        break;
    }
    return 0;
}

static LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE:
        g_focusTile = CreateTiles(hwnd, &g_tileLayout);
        if (!g_focusTile)
            DestroyWindow(hwnd);
        return 0;

    case WM_DESTROY:
        if (g_hMgr)
            WTMgrClose(g_hMgr);
        UnloadWintab();
        PostQuitMessage(0);
        return 0;

    case WM_SETFOCUS:
        SetFocus(g_focusTile);
        return 0;

    case WM_CLOSE:
        if (WintabCallInProgress()) {
            s_closeDue = TRUE;
            return 0;
        }
        break;

    case WM_COMMAND: {
        LRESULT result = OnCommand(hwnd, wParam, lParam);
        if (s_closeDue && !WintabCallInProgress()) {
            s_closeDue = FALSE;
            PostMessage(hwnd, WM_CLOSE, 0, 0);
        }
        return result;
    }
    }
    return DefWindowProc(hwnd, msg, wParam, lParam);
}
