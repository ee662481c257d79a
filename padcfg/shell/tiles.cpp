/*
 * Tile windows: the icons with captions that fill the main window. A tile
 * keeps only its neighbour links and icon; which tile has the focus is held by
 * the parent, and everything a tile tells the parent is a WM_COMMAND with the
 * tile's id and a notification code.
 */
#include "padcfg.h"

#define TILE_TEXT_LEN 80
#define TILE_CAPTION_LEN 40

static HWND GetSlot(HWND tile, int slot)
{
    return (HWND)GetWindowLongPtr(tile, slot * sizeof(LONG_PTR));
}

static void SetSlot(HWND tile, int slot, LONG_PTR value)
{
    SetWindowLongPtr(tile, slot * sizeof(LONG_PTR), value);
}

static HWND CreateOneTile(HWND parent, TileRecord *record, int row, int col)
{
    HINSTANCE hInstance = (HINSTANCE)GetWindowLongPtr(parent, GWLP_HINSTANCE);
    int cx = GetSystemMetrics(SM_CXICON);
    int cy = GetSystemMetrics(SM_CYICON);
    TCHAR caption[TILE_CAPTION_LEN];

    LoadText(record->captionId, caption, TILE_CAPTION_LEN);
    record->tile = CreateWindowEx(0, TILE_CLASS, caption, WS_CHILD | WS_CLIPSIBLINGS, col * 3 * cx,
                                  row * 2 * cy, 3 * cx, 2 * cy, parent, NULL, hInstance, NULL);
    if (!record->tile)
        return NULL;

    HICON icon = LoadIcon(hInstance, MAKEINTRESOURCE(record->iconId));
    if (!icon)
        return NULL;
    SetSlot(record->tile, TILE_ICON, (LONG_PTR)icon);
    SetWindowLongPtr(record->tile, GWLP_ID, record->id);
    return record->tile;
}

HWND CreateTiles(HWND parent, TileLayout *layout)
{
    const int cols = layout->columns, rows = layout->rows;
    TileRecord *grid = layout->records;
    HWND first = NULL;

    for (int r = 0; r < rows; r++) {
        for (int c = 0; c < cols; c++) {
            HWND tile = CreateOneTile(parent, &grid[r * cols + c], r, c);
            if (!tile) {
                /* Tiles made so far are children of the main window and go with it. */
                ShowErrorBox(parent, IDS_NO_MEMORY);
                return NULL;
            }
            if (!first)
                first = tile;
        }
    }

    /* Neighbour links; they do not wrap round the edges. */
    for (int r = 0; r < rows; r++) {
        for (int c = 0; c < cols; c++) {
            HWND tile = grid[r * cols + c].tile;
            if (c > 0)
                SetSlot(tile, TILE_LEFT, (LONG_PTR)grid[r * cols + c - 1].tile);
            if (r > 0)
                SetSlot(tile, TILE_UP, (LONG_PTR)grid[(r - 1) * cols + c].tile);
            if (c < cols - 1)
                SetSlot(tile, TILE_RIGHT, (LONG_PTR)grid[r * cols + c + 1].tile);
            if (r < rows - 1)
                SetSlot(tile, TILE_DOWN, (LONG_PTR)grid[(r + 1) * cols + c].tile);
        }
    }

    for (int i = 0; i < rows * cols; i++)
        ShowWindow(grid[i].tile, i == 0 ? SW_SHOW : SW_SHOWNA);
    return first;
}

static void FillSolid(HDC hdc, int x, int y, int cx, int cy, COLORREF colour)
{
    HBRUSH brush = CreateSolidBrush(colour);
    UnrealizeObject(brush);
    HBRUSH old = (HBRUSH)SelectObject(hdc, brush);
    PatBlt(hdc, x, y, cx, cy, PATCOPY);
    SelectObject(hdc, old);
    DeleteObject(brush);
}

static void PaintTile(HWND hwnd)
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    const int cx = GetSystemMetrics(SM_CXICON), cy = GetSystemMetrics(SM_CYICON);

    int x = (rc.right - cx) / 2, y = (rc.bottom - cy) / 2;
    FillSolid(hdc, x, y, cx, cy, GetSysColor(COLOR_APPWORKSPACE));
    DrawIcon(hdc, x, y, (HICON)GetSlot(hwnd, TILE_ICON));

    HFONT font =
        CreateFont(8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, VARIABLE_PITCH | FF_SWISS, TEXT("Helv"));
    if (font) {
        SetBkMode(hdc, TRANSPARENT);
        if ((HWND)NotifyParent(hwnd, TN_QUERYFOCUS) == hwnd) {
            SetTextColor(hdc, GetSysColor(COLOR_CAPTIONTEXT));
            SetBkColor(hdc, GetSysColor(COLOR_ACTIVECAPTION));
        } else {
            SetTextColor(hdc, GetSysColor(COLOR_WINDOWTEXT));
            SetBkColor(hdc, GetSysColor(COLOR_APPWORKSPACE));
        }

        TCHAR text[TILE_TEXT_LEN];
        int len = GetWindowText(hwnd, text, TILE_TEXT_LEN);
        HFONT oldFont = (HFONT)SelectObject(hdc, font);
        SIZE size;
        GetTextExtentPoint32(hdc, text, len, &size);

        /* The highlight box sits just below the centred icon. */
        int tx = (rc.right - size.cx) / 2, ty = (rc.bottom + cy) / 2;
        FillSolid(hdc, tx, ty, size.cx + 1, size.cy + 1, GetBkColor(hdc));
        TextOut(hdc, tx, ty, text, len);
        SelectObject(hdc, oldFont);
        DeleteObject(font);
    }
    EndPaint(hwnd, &ps);
}

static void OnKeyDown(HWND hwnd, WPARAM key)
{
    switch (key) {
    case VK_RETURN:
        NotifyParent(hwnd, TN_OPEN); /* returns when the dialog has closed */
        SetFocus(hwnd);
        break;
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN: {
        HWND next = GetSlot(hwnd, TILE_LEFT + (int)(key - VK_LEFT));
        if (next)
            SetFocus(next);
        break;
    }
    }
}

LRESULT CALLBACK TileWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_PAINT:
        PaintTile(hwnd);
        return 0;
    case WM_SETFOCUS:
        InvalidateRect(hwnd, NULL, TRUE);
        NotifyParent(hwnd, TN_FOCUSED);
        return 0;
    case WM_KILLFOCUS:
        InvalidateRect(hwnd, NULL, TRUE);
        return 0;
    case WM_KEYDOWN:
        OnKeyDown(hwnd, wParam);
        return 0;
    case WM_LBUTTONDOWN:
        SetFocus(hwnd);
        return 0;
    case WM_LBUTTONDBLCLK:
        SetFocus(hwnd);
        NotifyParent(hwnd, TN_OPEN);
        return 0;
    }
    return DefWindowProc(hwnd, msg, wParam, lParam);
}
