/*
 * The "Button Assignments" group of the Setup dialog: the mouse action of
 * each button of the active cursor, or the cursor's default map. Only the low
 * nibble of a map byte is shown and edited; the high nibble rides along.
 */
#include "padcfg.h"

#define ACTION_COUNT 10

/* The driver's list of button names, read whole however long it is, up to
   what any answer may take. Names beyond the 32 bytes of the map have no
   action to show and are left out. The block is zeroed and has room for
   both terminators, so that a list the driver leaves unterminated still ends
   inside it. */
static void FillButtonNames(HWND list)
{
    UINT c = WTI_CURSORS + GetActiveCursor();
    UINT bytes = WTInfo(c, CSR_BTNNAMES, NULL);
    if (bytes == 0 || bytes > WINTAB_MAX_ANSWER)
        return;
    UINT chars = bytes / sizeof(TCHAR) + 2;
    TCHAR *names = (TCHAR *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, chars * sizeof(TCHAR));
    if (!names)
        return;
    WTInfoText(c, CSR_BTNNAMES, names, chars);
    const TCHAR *const end = names + chars;
    int n = 0;
    for (TCHAR *p = names; p < end && *p && n < BUTTON_MAP_SIZE; n++) {
        BlankControlCharacters(p);
        SendMessage(list, CB_ADDSTRING, 0, (LPARAM)p);
        p += lstrlen(p) + 1;
    }
    HeapFree(GetProcessHeap(), 0, names);
}

void FillButtonLists(SetupState *st)
{
    st->selButton = 0;
    FillButtonNames(GetDlgItem(st->hDlg, IDC_BUTTON_LIST));
    AddStringsToList(GetDlgItem(st->hDlg, IDC_ACTION_LIST), IDS_ACTION_FIRST,
                     IDS_ACTION_FIRST + ACTION_COUNT - 1);
}

void ShowSelectedAction(SetupState *st)
{
    SendDlgItemMessage(st->hDlg, IDC_BUTTON_LIST, CB_SETCURSEL, st->selButton, 0);
    SendDlgItemMessage(st->hDlg, IDC_ACTION_LIST, CB_SETCURSEL,
                       st->working.sysButtonMap[st->selButton] & BUTTON_ACTION_MASK, 0);
}

static void OnDefaultToggle(SetupState *st)
{
    TabletSettings *r = &st->working;
    r->defaultButtons = !IsDlgButtonChecked(st->hDlg, IDC_DEFAULT_BUTTONS);
    CheckDlgButton(st->hDlg, IDC_DEFAULT_BUTTONS, r->defaultButtons ? BST_CHECKED : BST_UNCHECKED);
    if (r->defaultButtons) {
        /* Learn the cursor's default map without changing the driver. */
        ProbeSettings(r);
        ShowSelectedAction(st);
    }
    EnableControlRange(st->hDlg, IDC_ACTION_LIST, IDC_ACTION_LIST, !r->defaultButtons);
}

/* A list's selection, or -1 when it has none or it lies outside limit. */
static int Selection(HWND hDlg, int id, int limit)
{
    LRESULT sel = SendDlgItemMessage(hDlg, id, CB_GETCURSEL, 0, 0);
    return sel >= 0 && sel < limit ? (int)sel : -1;
}

BOOL OnButtonCommand(SetupState *st, int id, int code)
{
    switch (id) {
    case IDC_DEFAULT_BUTTONS:
        OnDefaultToggle(st);
        return TRUE;
    case IDC_BUTTON_LIST: {
        if (code != CBN_SELCHANGE)
            return FALSE;
        int sel = Selection(st->hDlg, IDC_BUTTON_LIST, BUTTON_MAP_SIZE);
        if (sel >= 0) {
            st->selButton = (DWORD)sel;
            ShowSelectedAction(st);
        }
        return TRUE;
    }
    case IDC_ACTION_LIST: {
        if (code != CBN_SELCHANGE)
            return FALSE;
        int action = Selection(st->hDlg, IDC_ACTION_LIST, BUTTON_ACTION_MASK + 1);
        if (action >= 0) {
            BYTE *b = &st->working.sysButtonMap[st->selButton];
            *b = (BYTE)((*b & ~BUTTON_ACTION_MASK) | action);
            st->working.defaultButtons = 0;
        }
        return TRUE;
    }
    }
    return FALSE;
}
