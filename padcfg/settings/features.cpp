/*
 * The Features dialog: which cursor type of the tablet the driver treats as
 * the one in use.
 */
#include "padcfg.h"

#define NO_ACTIVE 0xFFFF

static UINT s_firstCursor; /* absolute number of the device's first cursor type */
static UINT s_cursorCount; /* cursor types listed, in the device's order */
static UINT s_activeIndex; /* position of the type active at opening, or NO_ACTIVE */
static UINT s_selection;   /* position chosen in the list */
static WCHAR s_cursorName[CURSOR_NAME_LEN];

static void ListCursorTypes(HWND hDlg)
{
    HWND list = GetDlgItem(hDlg, IDC_FEAT_CURSORS);

    s_cursorCount = GetDeviceCursors(&s_firstCursor);
    for (UINT i = 0; i < s_cursorCount; i++) {
        /* Every type keeps its place in the list, named or not. */
        if (!WTInfoText(WTI_CURSORS + s_firstCursor + i, CSR_NAME, s_cursorName, CURSOR_NAME_LEN))
            LoadText(IDS_UNKNOWN, s_cursorName, CURSOR_NAME_LEN);
        BlankControlCharacters(s_cursorName);
        SendMessageW(list, CB_ADDSTRING, 0, (LPARAM)s_cursorName);
    }

    /* The type in use is the first active one, as everywhere in the panel. */
    UINT active;
    s_activeIndex = FindActiveCursor(&active) ? active - s_firstCursor : NO_ACTIVE;
    s_selection = s_activeIndex == NO_ACTIVE ? 0 : s_activeIndex;
    SendMessageW(list, CB_SETCURSEL, s_selection, 0);
}

/* Every type in use is switched off, then the chosen one on (the same one
   when the user kept it), so that exactly the chosen one is left in use. */
static void UseChosenCursor(void)
{
    if (s_selection >= s_cursorCount)
        return; /* nothing listed, nothing chosen */
    for (UINT i = 0; i < s_cursorCount; i++) {
        BOOL active = FALSE;
        WTInfoCopy(WTI_CURSORS + s_firstCursor + i, CSR_ACTIVE, &active, sizeof(active));
        if (active)
            WTMgrCsrEnable(g_hMgr, s_firstCursor + i, FALSE);
    }
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
