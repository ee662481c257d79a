/*
 * The Features dialog: which cursor type of the tablet the driver treats as
 * the one in use.
 */
#include "padcfg.h"

/* The dialog's state while it is open (its DWLP_USER). */
struct FeaturesState {
    UINT firstCursor; /* absolute number of the device's first cursor type */
    UINT cursorCount; /* cursor types listed, in the device's order */
    UINT selection;   /* position chosen in the list */
};

static void ListCursorTypes(HWND hDlg, FeaturesState *fs)
{
    HWND list = GetDlgItem(hDlg, IDC_FEAT_CURSORS);
    TCHAR name[CURSOR_NAME_LEN];

    fs->cursorCount = GetDeviceCursors(&fs->firstCursor);
    for (UINT i = 0; i < fs->cursorCount; i++) {
        /* Every type keeps its place in the list, named or not. */
        if (!WTInfoText(WTI_CURSORS + fs->firstCursor + i, CSR_NAME, name, CURSOR_NAME_LEN))
            LoadText(IDS_UNKNOWN, name, CURSOR_NAME_LEN);
        BlankControlCharacters(name);
        SendMessage(list, CB_ADDSTRING, 0, (LPARAM)name);
    }

    /* The type in use is the first active one, as everywhere in the panel;
       with none active, the first type. */
    fs->selection = GetActiveCursor() - fs->firstCursor;
    SendMessage(list, CB_SETCURSEL, fs->selection, 0);
}

/* Every type in use is switched off, then the chosen one on (the same one
   when the user kept it), so that exactly the chosen one is left in use. */
static void UseChosenCursor(const FeaturesState *fs)
{
    if (fs->selection >= fs->cursorCount)
        return; /* nothing listed, nothing chosen */
    for (UINT i = 0; i < fs->cursorCount; i++) {
        BOOL active = FALSE;
        WTInfoCopy(WTI_CURSORS + fs->firstCursor + i, CSR_ACTIVE, &active, sizeof(active));
        if (active)
            WTMgrCsrEnable(g_hMgr, fs->firstCursor + i, FALSE);
    }
    WTMgrCsrEnable(g_hMgr, fs->firstCursor + fs->selection, TRUE);
}

INT_PTR CALLBACK FeaturesDlgProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    FeaturesState *fs = (FeaturesState *)GetWindowLongPtr(hDlg, DWLP_USER);

    switch (msg) {
    case WM_INITDIALOG:
        fs = (FeaturesState *)NewDialogRecord(hDlg, sizeof(*fs));
        if (fs)
            ListCursorTypes(hDlg, fs);
        return FALSE;
    case WM_DESTROY:
        FreeDialogRecord(hDlg);
        return FALSE;
    case WM_COMMAND:
        if (!fs)
            return FALSE;
        break;
    default:
        return FALSE;
    }

    switch (LOWORD(wParam)) {
    case IDC_FEAT_CURSORS:
        if (HIWORD(wParam) != CBN_SELCHANGE)
            return FALSE;
        {
            LRESULT sel = SendDlgItemMessage(hDlg, IDC_FEAT_CURSORS, CB_GETCURSEL, 0, 0);
            if (sel != CB_ERR)
                fs->selection = (UINT)sel;
        }
        return TRUE;
    case IDOK:
        UseChosenCursor(fs);
        EndDialog(hDlg, 1);
        break;
    case IDCANCEL:
        EndDialog(hDlg, 1);
        break;
    }
    return FALSE;
}
