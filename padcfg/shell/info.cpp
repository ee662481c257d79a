/*
 * The Information dialog: what the driver reports about the tablet, in the
 * units the user chooses, which the Setup dialog then shares.
 *
 * The driver composes the device name of parts separated by ';', carriage
 * returns or line feeds: the first part names the tablet, and a later one
 * gives the data format after "Format: ".
 */
#include "padcfg.h"

#define LINE_LEN 80
#define FORMAT_MARK TEXT("ormat: ") /* "Format: " or "format: " */
#define SEPARATORS TEXT(";\r\n")

/* The dialog's one piece of state, the units chosen in it, is its DWLP_USER
   value; it reaches the panel's units only through OK. */
static WORD UnitsOf(HWND dlg)
{
    return (WORD)GetWindowLongPtr(dlg, DWLP_USER);
}

void FillTemplateLine(HWND dlg, int id, LPCTSTR arg, int chars)
{
    TCHAR templ[TEMPLATE_LEN], whole[TEMPLATE_LINE_LEN];
    if (!GetDlgItemText(dlg, id, templ, TEMPLATE_LEN))
        return;
    wsprintf(whole, templ, arg);
    if (chars < TEMPLATE_LINE_LEN)
        EndTextWithin(whole, chars - 1);
    SetDlgItemText(dlg, id, whole);
}

static void ShowIdentification(HWND dlg)
{
    TCHAR name[DEVICE_NAME_LEN] = TEXT("");
    WTInfoText(WTI_DEVICES + GetTabletDevice(), DVC_NAME, name, DEVICE_NAME_LEN);

    /* The first part, after any separators in front of it. */
    TCHAR *rest = FindCharOf(SkipCharsOf(name, SEPARATORS), SEPARATORS);
    if (*rest)
        *rest++ = 0;
    /* Line breaks in front of the first part stay, as blanks. */
    BlankControlCharacters(name);
    SetDlgItemText(dlg, IDC_INFO_ID, name);

    TCHAR unknown[LINE_LEN];
    TCHAR *format = FindInText(rest, FORMAT_MARK);
    if (format) {
        format += lstrlen(FORMAT_MARK);
        *FindCharOf(format, SEPARATORS) = 0;
        BlankControlCharacters(format);
    } else {
        LoadText(IDS_UNKNOWN, unknown, LINE_LEN);
        format = unknown;
    }
    FillTemplateLine(dlg, IDC_INFO_FORMAT, format, LINE_LEN);
}

static void ShowValues(HWND dlg)
{
    const WORD units = UnitsOf(dlg);
    static const int ids[] = {IDC_INFO_WIDTH, IDC_INFO_HEIGHT, IDC_INFO_XRES, IDC_INFO_YRES};
    /* The position is the kind: X and Y lengths, then X and Y resolutions. */
    const DWORD values[] = {GetTabletWidth(), GetTabletHeight(), 1, 1};
    for (int kind = 0; kind < 4; kind++)
        SetDlgItemText(dlg, ids[kind], FormatTabletValue(values[kind], units, kind));
}

/* The name stays from one call to the next: with no cursor active, or one
   whose name cannot be read, the one found last in this run is the answer. */
static const TCHAR *GetActiveCursorName(void)
{
    UINT cursor;
    if (FindActiveCursor(&cursor)) {
        WTInfoText(WTI_CURSORS + cursor, CSR_NAME, g_panel.cursorName, CURSOR_NAME_LEN);
        BlankControlCharacters(g_panel.cursorName);
    }
    return g_panel.cursorName;
}

static void OnInitDialog(HWND dlg)
{
    SetWindowLongPtr(dlg, DWLP_USER, (WORD)g_panel.units);
    ShowIdentification(dlg);
    FillTemplateLine(dlg, IDC_INFO_CURSOR, GetActiveCursorName(), LINE_LEN);

    HWND list = GetDlgItem(dlg, IDC_INFO_UNITS);
    AddStringsToList(list, IDS_INCHES, IDS_CENTIMETERS);
    SendMessage(list, CB_SETCURSEL, UnitsOf(dlg), 0);
    ShowValues(dlg);
}

INT_PTR CALLBACK InfoDlgProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog(hDlg);
        return FALSE;

    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            g_panel.units = UnitsOf(hDlg);
            EndDialog(hDlg, 1);
            return TRUE;
        case IDCANCEL:
            EndDialog(hDlg, 1);
            return TRUE;
        case IDC_INFO_UNITS: {
            if (HIWORD(wParam) != CBN_SELCHANGE)
                return FALSE;
            LRESULT sel = SendDlgItemMessage(hDlg, IDC_INFO_UNITS, CB_GETCURSEL, 0, 0);
            if (sel != CB_ERR)
                SetWindowLongPtr(hDlg, DWLP_USER, (WORD)sel);
            ShowValues(hDlg);
            return TRUE;
        }
        }
        return FALSE;
    }
    return FALSE;
}
