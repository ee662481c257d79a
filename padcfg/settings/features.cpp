/*
 * The Features dialog: which cursor type of the tablet the driver treats as
 * the one in use.
 */
#include "padcfg.h"

#define CURSOR_NAME_LEN 80
/* Cursor categories run from WTI_CURSORS up to WTI_EXTENSIONS: a higher
   cursor number would ask the driver about something else entirely. */
#define MAX_CURSORS (WTI_EXTENSIONS - WTI_CURSORS)
#define NO_ACTIVE 0xFFFF

static UINT s_firstCursor; /* absolute number of the device's first cursor type */
static UINT s_cursorCount; /* cursor types listed, in the device's order */
static UINT s_activeIndex; /* position of the type active at opening, or NO_ACTIVE */
static UINT s_selection;   /* position chosen in the list */
static WCHAR s_cursorName[CURSOR_NAME_LEN];

static UINT ReadUint(UINT category, UINT index)
{
    UINT value = 0;
    WTInfoCopy(category, index, &value, sizeof(value));
    return value;
}

/* The device's own count, kept to the cursors the driver has at all: a
   device that claims more types than that would fill the list with
   cursors that are not there. */
static UINT CountCursorTypes(UINT device)
{
    s_firstCursor = ReadUint(WTI_DEVICES + device, DVC_FIRSTCSR);
    UINT count = ReadUint(WTI_DEVICES + device, DVC_NCSRTYPES);

    UINT limit = ReadUint(WTI_INTERFACE, IFC_NCURSORS);
    if (limit == 0 || limit > MAX_CURSORS)
        limit = MAX_CURSORS;
    if (s_firstCursor >= limit)
        return 0;
    return count < limit - s_firstCursor ? count : limit - s_firstCursor;
}

static void ListCursorTypes(HWND hDlg)
{
    HWND list = GetDlgItem(hDlg, IDC_FEAT_CURSORS);

    s_activeIndex = NO_ACTIVE;
    s_cursorCount = CountCursorTypes(GetTabletDevice());
    for (UINT i = 0; i < s_cursorCount; i++) {
        UINT cursor = WTI_CURSORS + s_firstCursor + i;

        /* Every type keeps its place in the list, named or not. */
        if (!WTInfoText(cursor, CSR_NAME, s_cursorName, CURSOR_NAME_LEN) &&
            LoadStringW(g_hInst, IDS_UNKNOWN, s_cursorName, CURSOR_NAME_LEN) <= 0)
            s_cursorName[0] = 0;
        BlankControlCharacters(s_cursorName);
        SendMessageW(list, CB_ADDSTRING, 0, (LPARAM)s_cursorName);

        /* With several active, the last one counts. */
        if (ReadUint(cursor, CSR_ACTIVE))
            s_activeIndex = i;
    }

    s_selection = s_activeIndex == NO_ACTIVE ? 0 : s_activeIndex;
    SendMessageW(list, CB_SETCURSEL, s_selection, 0);
}

/* The type in use before is switched off, then the chosen one on (the
   same one when the user kept it). */
static void UseChosenCursor(void)
{
    if (s_selection >= s_cursorCount)
        return; /* nothing listed, nothing chosen */
    if (s_activeIndex != NO_ACTIVE)
        WTMgrCsrEnable(g_hMgr, s_firstCursor + s_activeIndex, FALSE);
    WTMgrCsrEnable(g_hMgr, s_firstCursor + s_selection, TRUE);
}

INT_PTR CALLBACK FeaturesDlgProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    if (msg == WM_INITDIALOG) {
        ListCursorTypes(hDlg);
        return FALSE;
    }
    if (msg != WM_COMMAND)
        return FALSE;

    switch (LOWORD(wParam)) {
    case IDC_FEAT_CURSORS:
        if (HIWORD(wParam) != CBN_SELCHANGE)
            return FALSE;
        {
            LRESULT sel = SendDlgItemMessageW(hDlg, IDC_FEAT_CURSORS, CB_GETCURSEL, 0, 0);
            if (sel != CB_ERR)
                s_selection = (UINT)sel;
        }
        return TRUE;
    case IDOK:
        UseChosenCursor();
        EndDialog(hDlg, 1);
        break;
    case IDCANCEL:
        EndDialog(hDlg, 1);
        break;
    }
    return FALSE;
}
