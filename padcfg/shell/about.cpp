/*
 * The About box, with the driver version found in the device name, and the
 * hook that shows the driver's own configuration dialog in place of the
 * panel's Features dialog, offering to log off when the driver asks for it.
 */
#include "padcfg.h"

#define PROMPT_LEN 200 /* the restart prompt, whole */

/* Logs the user off after the restart prompt; one place, so that tests can
   put a recorder here and no test can end the session. */
BOOL(WINAPI *g_exitWindowsEx)(UINT flags, DWORD reserved) = ExitWindowsEx;

static const TCHAR s_separators[] = TEXT(" \t\r\n,;");

/* The driver names its version after the word "Version" or "version": the
   word's own token is passed over and the next one taken, cut off in place.
   Returns null when the name carries no version. */
static TCHAR *FindVersionToken(TCHAR *name)
{
    /* Without its first letter the word matches in either case. */
    TCHAR *word = FindInText(name, TEXT("ersion"));
    if (!word)
        return NULL;

    TCHAR *token = SkipCharsOf(FindCharOf(word, s_separators), s_separators);
    if (!*token)
        return NULL;
    *FindCharOf(token, s_separators) = 0;
    return token;
}

/* The version takes the place of the driver line's "%s", however long. */
static void ShowDriverVersion(HWND hDlg)
{
    TCHAR name[DEVICE_NAME_LEN] = TEXT("");
    WTInfoText(WTI_DEVICES + GetTabletDevice(), DVC_NAME, name, DEVICE_NAME_LEN);

    const TCHAR *version = FindVersionToken(name);
    if (!version) {
        LoadText(IDS_UNKNOWN, name, DEVICE_NAME_LEN);
        version = name;
    }
    FillTemplateLine(hDlg, IDC_ABOUT_DRIVER, version, TEMPLATE_LINE_LEN);
}

INT_PTR CALLBACK AboutDlgProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    switch (msg) {
    case WM_INITDIALOG:
        ShowDriverVersion(hDlg);
        return FALSE;

    case WM_COMMAND:
        /* OK, Enter or Escape; the icon shares OK's id but sends nothing. */
        if (wParam == IDOK || wParam == IDCANCEL) {
            EndDialog(hDlg, 1);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

/* The driver's change takes effect only in a new session. */
static void OfferLogOff(HWND owner)
{
    TCHAR text[PROMPT_LEN], title[MESSAGE_LEN];
    LoadText(IDS_RESTART, text, PROMPT_LEN);
    LoadText(IDS_RESTART_TITLE, title, MESSAGE_LEN);
    if (MessageBox(owner, text, title, MB_OKCANCEL | MB_ICONEXCLAMATION) == IDOK)
        g_exitWindowsEx(EWX_LOGOFF, 0xFFFFFFFF); /* a refusal leaves the panel running */
}

LRESULT DeviceConfigHook(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    (void)msg;
    (void)wParam;
    (void)lParam;

    /* Without a window the driver only says whether it has a dialog of its own. */
    if (WTMgrDeviceConfig(g_hMgr, GetTabletDevice(), NULL) == WTDC_NONE)
        return 0;

    if (WTMgrDeviceConfig(g_hMgr, GetTabletDevice(), hwnd) == WTDC_RESTART)
        OfferLogOff(hwnd);
    return 1;
}
