/*
 * The driver's own configuration dialog, shown by WTMgrDeviceConfig: modal
 * to the window the program passes, with one button per outcome. The
 * description's outcome is the default button, and ConfigTimeout closes the
 * dialog by itself with that outcome, so that unattended runs go on.
 */
#include "standin.h"
#include "resource.h"

#define TIMER_CLOSE 1

/* Which button reports which outcome. */
static const struct {
    UINT id;
    UINT outcome;
} s_buttons[] = {{IDOK, WTDC_OK}, {IDC_CONFIG_RESTART, WTDC_RESTART}, {IDCANCEL, WTDC_CANCEL}};

static UINT s_outcome; /* the description's, for the timer */

static INT_PTR CALLBACK ConfigProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_INITDIALOG: {
        const StandinDevice *d = &g_dev[lParam];
        WCHAR text[200];
        int n = wsprintfW(text,
                          L"The stand-in driver's own settings for device %u. OK reports a change, "
                          L"Restart a change that needs Windows restarted, Cancel none.",
                          (unsigned)lParam);
        if (d->configTimeout >= 0)
            wsprintfW(text + n, L" Closes by itself after %d ms.", d->configTimeout);
        SetDlgItemTextW(hDlg, IDC_CONFIG_TEXT, text);
        for (UINT i = 0; i < ARRAYSIZE(s_buttons); i++) {
            if (s_buttons[i].outcome == s_outcome) {
                /* The focus, and so the default: Enter gives the outcome. */
                SendMessageW(hDlg, WM_NEXTDLGCTL, (WPARAM)GetDlgItem(hDlg, (int)s_buttons[i].id),
                             TRUE);
            }
        }
        if (d->configTimeout >= 0)
            SetTimer(hDlg, TIMER_CLOSE, (UINT)d->configTimeout, NULL);
        return FALSE;
    }
    case WM_TIMER:
        if (wParam == TIMER_CLOSE) {
            KillTimer(hDlg, TIMER_CLOSE);
            EndDialog(hDlg, s_outcome);
        }
        return TRUE;
    case WM_COMMAND:
        for (UINT i = 0; i < ARRAYSIZE(s_buttons); i++) {
            if (LOWORD(wParam) == s_buttons[i].id) {
                EndDialog(hDlg, s_buttons[i].outcome);
                return TRUE;
            }
        }
        break;
    }
    return FALSE;
}

/* The outcome of the device's configuration with a window. An outcome of
   the description that no button gives (0, none) is reported at once. */
UINT ShowConfigDialog(UINT device, HWND owner)
{
    UINT outcome = g_dev[device].configResult;
    if (outcome < WTDC_CANCEL || outcome > WTDC_RESTART)
        return outcome;
    if (!IsWindow(owner))
        return WTDC_NONE;
    s_outcome = outcome;
    INT_PTR r =
        DialogBoxParamW(g_hinst, MAKEINTRESOURCEW(IDD_CONFIG), owner, ConfigProc, (LPARAM)device);
    return r > 0 ? (UINT)r : WTDC_NONE;
}
