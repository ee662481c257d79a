/*
 * Workarounds for two limits of Wine 8's WoW64 mode, in test programs only.
 * No shipped program links this file: the real 32-bit panel meets the limits
 * as it would meet an icon or a control that cannot be made.
 *
 * - A 32-bit program cannot make an icon from a resource (LoadIconW,
 *   LoadImageW and CreateIconFromResourceEx fail with error 6), while
 *   CreateIconIndirect from bitmaps works. The panel's code linked into a
 *   test program loads its icons through the program's import slot of
 *   LoadIconW; pointed here, the same icon is built from the same resource
 *   bits.
 * - A 32-bit program gets no memory device context (CreateCompatibleDC
 *   fails), which the system's combo box needs to be created at all: every
 *   dialog with a list would fail to open. A class of the test program's
 *   own named COMBOBOX, found before the system's by the dialogs the
 *   program's resources describe, keeps the items in a list box and answers
 *   the CB_ messages a drop-down list answers, with its notifications.
 */
#include "winsupport.h"

#pragma pack(push, 2)
/* An icon group resource: a header and one entry per image. */
struct GroupIconEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
struct GroupIconDir {
    WORD reserved, type, count;
    GroupIconEntry entries[1];
};
#pragma pack(pop)

DECLARE_IMPORT_SLOT(LoadIconW, 8);
static HICON(WINAPI *s_loadIcon)(HINSTANCE, LPCWSTR);

static const void *ResourceBits(HINSTANCE module, LPCWSTR name, LPCWSTR type, DWORD *size)
{
    HRSRC found = FindResourceW(module, name, type);
    HGLOBAL loaded = found ? LoadResource(module, found) : NULL;
    *size = found ? SizeofResource(module, found) : 0;
    return loaded ? LockResource(loaded) : NULL;
}

/* The image the system would take for a large icon: 32 x 32 (else the
   first), with the most colours. */
static WORD ChooseImage(const GroupIconDir *dir)
{
    int cx = GetSystemMetrics(SM_CXICON), cy = GetSystemMetrics(SM_CYICON);
    int best = -1;
    for (int i = 0; i < dir->count; i++) {
        const GroupIconEntry *e = &dir->entries[i];
        if (e->width != cx || e->height != cy)
            continue;
        if (best < 0 || e->bitCount > dir->entries[best].bitCount)
            best = i;
    }
    return dir->entries[best < 0 ? 0 : best].id;
}

/* A DIB section of the image's colour part or of its mask, bits copied in. */
static HBITMAP SectionOf(const BITMAPINFO *info, int height, bool mask, const BYTE *bits,
                         DWORD bitsSize)
{
    int bitCount = mask ? 1 : info->bmiHeader.biBitCount;
    BYTE header[sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD)];
    ZeroMemory(header, sizeof(header));
    BITMAPINFO *bi = (BITMAPINFO *)header;
    int colours = bitCount <= 8 ? 1 << bitCount : 0;
    CopyMemory(bi, info, sizeof(BITMAPINFOHEADER) + colours * sizeof(RGBQUAD));
    bi->bmiHeader.biHeight = height;
    bi->bmiHeader.biBitCount = (WORD)bitCount;
    bi->bmiHeader.biClrUsed = 0;
    bi->bmiHeader.biSizeImage = 0;
    if (mask) {
        /* The mask's colours: 0 black, 1 white. */
        bi->bmiColors[0] = RGBQUAD{0, 0, 0, 0};
        bi->bmiColors[1] = RGBQUAD{255, 255, 255, 0};
    }
    void *dest = NULL;
    HBITMAP bitmap = CreateDIBSection(NULL, bi, DIB_RGB_COLORS, &dest, NULL, 0);
    if (bitmap && dest)
        CopyMemory(dest, bits, bitsSize);
    return bitmap;
}

static DWORD RowBytes(int width, int bitCount)
{
    return (DWORD)((width * bitCount + 31) / 32 * 4);
}

static HICON WINAPI LoadIconFromBits(HINSTANCE module, LPCWSTR name)
{
    HICON icon = s_loadIcon(module, name);
    if (icon || !module)
        return icon;

    DWORD size;
    const GroupIconDir *dir = (const GroupIconDir *)ResourceBits(module, name, RT_GROUP_ICON, &size);
    if (!dir || dir->count == 0)
        return NULL;
    const BITMAPINFO *info = (const BITMAPINFO *)ResourceBits(
        module, MAKEINTRESOURCEW(ChooseImage(dir)), RT_ICON, &size);
    if (!info)
        return NULL;

    const BITMAPINFOHEADER &h = info->bmiHeader;
    int width = h.biWidth, height = h.biHeight / 2, bitCount = h.biBitCount;
    int colours = bitCount <= 8 ? (h.biClrUsed ? (int)h.biClrUsed : 1 << bitCount) : 0;
    const BYTE *xorBits = (const BYTE *)info + h.biSize + colours * sizeof(RGBQUAD);
    DWORD xorSize = RowBytes(width, bitCount) * height;
    const BYTE *andBits = xorBits + xorSize;
    DWORD andSize = RowBytes(width, 1) * height;

    ICONINFO ii;
    ZeroMemory(&ii, sizeof(ii));
    ii.fIcon = TRUE;
    ii.hbmColor = SectionOf(info, height, false, xorBits, xorSize);
    ii.hbmMask = SectionOf(info, height, true, andBits, andSize);
    icon = ii.hbmColor && ii.hbmMask ? CreateIconIndirect(&ii) : NULL;
    DeleteObject(ii.hbmColor);
    DeleteObject(ii.hbmMask);
    return icon;
}

static bool UseIconWorkaround()
{
    HMODULE self = GetModuleHandleW(NULL);
    HRSRC any = FindResourceW(self, MAKEINTRESOURCEW(1), RT_GROUP_ICON);
    if (!any || LoadIconW(self, MAKEINTRESOURCEW(1)))
        return false; /* icons load, or there is none to load: nothing to work round */
    s_loadIcon = (HICON(WINAPI *)(HINSTANCE, LPCWSTR))RedirectImport(&imp_LoadIconW,
                                                                       (void *)LoadIconFromBits);
    return true;
}

/* ---- The combo box ---- */

static WNDPROC s_listProc;

/* The drop-down list's messages and the list box's that do the same. */
static const struct {
    UINT combo, list;
} s_comboToList[] = {
    {CB_ADDSTRING, LB_ADDSTRING},     {CB_DELETESTRING, LB_DELETESTRING},
    {CB_GETCOUNT, LB_GETCOUNT},       {CB_GETCURSEL, LB_GETCURSEL},
    {CB_GETLBTEXT, LB_GETTEXT},       {CB_GETLBTEXTLEN, LB_GETTEXTLEN},
    {CB_INSERTSTRING, LB_INSERTSTRING}, {CB_RESETCONTENT, LB_RESETCONTENT},
    {CB_FINDSTRING, LB_FINDSTRING},   {CB_SELECTSTRING, LB_SELECTSTRING},
    {CB_SETCURSEL, LB_SETCURSEL},     {CB_GETITEMDATA, LB_GETITEMDATA},
    {CB_SETITEMDATA, LB_SETITEMDATA}, {CB_FINDSTRINGEXACT, LB_FINDSTRINGEXACT},
};

static LRESULT CALLBACK ComboOverList(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_NCCREATE:
        /* The combo box styles mean other things to a list box: a plain list
           that notifies, in the order the items are added. */
        SetWindowLongW(hwnd, GWL_STYLE,
                       (GetWindowLongW(hwnd, GWL_STYLE) & 0xFFFF0000) | LBS_NOTIFY | LBS_HASSTRINGS);
        break;
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH: {
        /* A drop-down list's text is its chosen item. */
        LRESULT sel = CallWindowProcW(s_listProc, hwnd, LB_GETCURSEL, 0, 0);
        if (sel == LB_ERR) {
            if (msg == WM_GETTEXT && wParam)
                *(WCHAR *)lParam = 0;
            return 0;
        }
        if (msg == WM_GETTEXTLENGTH)
            return CallWindowProcW(s_listProc, hwnd, LB_GETTEXTLEN, sel, 0);
        LRESULT n = CallWindowProcW(s_listProc, hwnd, LB_GETTEXTLEN, sel, 0);
        std::wstring text(n + 1, L'\0');
        CallWindowProcW(s_listProc, hwnd, LB_GETTEXT, sel, (LPARAM)&text[0]);
        lstrcpynW((WCHAR *)lParam, text.c_str(), (int)wParam);
        return lstrlenW((WCHAR *)lParam);
    }
    case CB_SHOWDROPDOWN:
    case CB_GETDROPPEDSTATE:
        return 0;
    }
    for (const auto &m : s_comboToList)
        if (m.combo == msg)
            return CallWindowProcW(s_listProc, hwnd, m.list, wParam, lParam);
    return CallWindowProcW(s_listProc, hwnd, msg, wParam, lParam);
}

static bool UseComboBoxWorkaround()
{
    HWND combo = CreateWindowW(L"COMBOBOX", L"", WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
    if (combo) {
        DestroyWindow(combo);
        return false;
    }
    WNDCLASSW list;
    if (!GetClassInfoW(NULL, L"LISTBOX", &list))
        return false;
    s_listProc = list.lpfnWndProc;
    list.lpfnWndProc = ComboOverList;
    list.hInstance = GetModuleHandleW(NULL);
    list.lpszClassName = L"COMBOBOX";
    return RegisterClassW(&list) != 0;
}

bool UseWow64Workarounds()
{
    bool icons = UseIconWorkaround();
    bool combos = UseComboBoxWorkaround();
    return icons || combos;
}
