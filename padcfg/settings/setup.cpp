/*
 * The Setup dialog: tracking mode, sensitivity, button assignments and the
 * tracking area of the driver's system settings. The dialog edits a working
 * copy; Test and OK write it into the driver, Cancel and Revert put back what
 * was read when the dialog opened.
 */
#include "padcfg.h"

#define SENS_INPUT_LEN 40
#define PERCENT_MAX 100
#define REF_RES_MAX 500
#define INCH_IN_CM 166461 /* 2.54 in 16.16: centimetres in an inch */

TabletSettings g_working;
TabletSettings g_original;
int g_setupUnits;
DWORD g_sensPercent;
DWORD g_refRes;

static int s_unitsAtEntry;
static DWORD s_aspectAtEntry;
static DWORD s_percentAtEntry; /* what the driver's sensitivity showed as */
static WCHAR s_sensText[SENS_TEXT_LEN];

/* The percentage a driver sensitivity stands for: 100 % is g_refRes counts
   per unit of pen travel, in the tablet's own unit. */
static DWORD PercentOf(FIX32 sensitivity)
{
    DWORD e = MulDivHalf(sensitivity, GetTabletResolution(), FIX32_ONE);
    if (GetTabletUnitIndex() == UNITS_CENTIMETERS)
        e = MulDivHalf(e, INCH_IN_CM, FIX32_ONE);
    DWORD p = RoundFixed((e / g_refRes) * 100, FIX32_BITS);
    return p > PERCENT_MAX ? PERCENT_MAX : p;
}

const WCHAR *SensitivityText(TabletSettings *r, DWORD percent)
{
    if (percent == s_percentAtEntry) {
        /* The percentage shown at opening stands for the driver's own value,
           which it only shows rounded, or capped at 100. */
        r->sensitivity = g_original.sensitivity;
    } else {
        DWORD s = percent * FIX32_ONE * g_refRes;
        if (GetTabletUnitIndex() == UNITS_CENTIMETERS)
            s = MulDivHalf(s, FIX32_ONE, INCH_IN_CM);
        /* A resolution too small to divide by (MulDivHalf halves it; 0 among
           them) gives the percentage no meaning: the sensitivity stays. */
        DWORD v = MulDivHalf(s, FIX32_ONE, GetTabletResolution());
        if (v != MULDIV_FAILED)
            r->sensitivity = v / 100;
    }
    wsprintfW(s_sensText, L"%d%%", (int)g_sensPercent);
    return s_sensText;
}

/* Typed text: digits, optionally followed by a percent sign. */
static void ParseSensitivity(WCHAR *text)
{
    int n = lstrlenW(text);
    if (n == 0)
        return;
    if (text[n - 1] == L'%')
        text[--n] = 0;

    DWORD v = 0;
    for (int i = 0; i < n; i++) {
        WCHAR c = text[i];
        if (IsCharAlphaW(c) || !IsCharAlphaNumericW(c) || c < L'0' || c > L'9') {
            MessageBeep(0);
            return;
        }
        /* Saturates, so that a long run of digits cannot wrap round to a
           small number. */
        v = v > PERCENT_MAX ? v : v * 10 + (c - L'0');
    }
    if (v == 0) {
        MessageBeep(0);
        return;
    }
    g_sensPercent = v;
    if (v > PERCENT_MAX) {
        g_sensPercent = PERCENT_MAX;
        MessageBeep(0);
    }
}

void FillSetupDialog(HWND hDlg, TabletSettings *r, int units, DWORD keep, DWORD sel)
{
    CheckRadioButton(hDlg, IDC_RELATIVE, IDC_ABSOLUTE,
                     r->trackingMode ? IDC_ABSOLUTE : IDC_RELATIVE);

    HWND sens = GetDlgItem(hDlg, IDC_SENS_EDIT);
    SendMessageW(sens, EM_LIMITTEXT, 4, 0);
    SetWindowTextW(sens, SensitivityText(r, g_sensPercent));
    SendDlgItemMessageW(hDlg, IDC_SENS_SPIN, CM_WRITE, (WPARAM)sens, 0);

    CheckDlgButton(hDlg, IDC_DEFAULT_BUTTONS, r->defaultButtons ? BST_CHECKED : BST_UNCHECKED);
    SendDlgItemMessageW(hDlg, IDC_BUTTON_LIST, CB_SETCURSEL, sel, 0);
    SendDlgItemMessageW(hDlg, IDC_ACTION_LIST, CB_SETCURSEL,
                        r->sysButtonMap[sel % BUTTON_MAP_SIZE] & BUTTON_ACTION_MASK, 0);

    CheckDlgButton(hDlg, IDC_WHOLE_TABLET, r->wholeTablet ? BST_CHECKED : BST_UNCHECKED);
    if (GetDlgItem(hDlg, IDC_KEEP_ASPECT))
        CheckDlgButton(hDlg, IDC_KEEP_ASPECT, keep ? BST_CHECKED : BST_UNCHECKED);
    SendDlgItemMessageW(hDlg, IDC_UNITS, CB_SETCURSEL, units, 0);

    ShowAreaFields(hDlg, r, units, TRUE);
    for (int e = IDC_WIDTH; e <= IDC_BOTTOM; e += 3)
        SendDlgItemMessageW(hDlg, e + 1, CM_WRITE, (WPARAM)GetDlgItem(hDlg, e), 0);
    SendDlgItemMessageW(hDlg, IDC_AREA, CM_WRITE, 0, (LPARAM)&r->left);

    EnableControlRange(hDlg, IDC_SENS_LABEL, IDC_SENS_SPIN, r->trackingMode == 0);
    EnableControlRange(hDlg, IDC_ACTION_LIST, IDC_ACTION_LIST, !r->defaultButtons);
    EnableControlRange(hDlg, IDC_KEEP_ASPECT, IDC_KEEP_ASPECT, !r->wholeTablet);
    EnableControlRange(hDlg, IDC_WIDTH_LABEL, IDC_AREA, !r->wholeTablet);
}

static void OnInitDialog(HWND hDlg)
{
    g_setupUnits = g_panel.units;
    s_unitsAtEntry = g_panel.units;
    s_aspectAtEntry = g_panel.keepAspect;
    g_selButton = 0;

    ReadSettings(&g_working);
    g_original = g_working;

    /* A tablet reporting no usable resolution must not divide by zero. */
    g_refRes = GetRoundedResolution();
    if (g_refRes > REF_RES_MAX)
        g_refRes = REF_RES_MAX;
    if (g_refRes == 0)
        g_refRes = 1;
    g_sensPercent = s_percentAtEntry = PercentOf(g_working.sensitivity);
    /* A hundredth of the tablet's unit, rounded like its resolution. */
    g_areaStep = RoundFixed(GetTabletResolution() / 100, FIX32_BITS);
    if (g_areaStep == 0)
        g_areaStep = 1;

    FillButtonLists(hDlg);

    AddStringsToList(GetDlgItem(hDlg, IDC_UNITS), IDS_INCHES, IDS_CENTIMETERS);

    PrepareAreaControl(GetDlgItem(hDlg, IDC_AREA));
    FillSetupDialog(hDlg, &g_working, g_setupUnits, g_panel.keepAspect, g_selButton);
}

/* A button chosen with the keyboard takes the focus and flashes, as a click
   would; the focus move also makes a field still being typed in report. */
static void PressFeedback(HWND hDlg, int id)
{
    HWND button = GetDlgItem(hDlg, id);
    if (GetFocus() == button)
        return;
    SetFocus(button);
    SendMessageW(button, BM_SETSTATE, TRUE, 0);
    SendMessageW(button, BM_SETSTATE, FALSE, 0);
}

static void OnRevert(HWND hDlg)
{
    g_setupUnits = s_unitsAtEntry;
    g_panel.keepAspect = s_aspectAtEntry;
    g_working = g_original;
    ApplySettings(&g_working);
    /* The percentage too, as the opening computes it, so that the field
       shows what the driver now holds. */
    g_sensPercent = s_percentAtEntry;
    PressFeedback(hDlg, IDC_REVERT);
    FillSetupDialog(hDlg, &g_working, g_setupUnits, g_panel.keepAspect, g_selButton);
}

static void SetSensitivityText(HWND hDlg)
{
    SetDlgItemTextW(hDlg, IDC_SENS_EDIT, SensitivityText(&g_working, g_sensPercent));
}

static BOOL OnCommand(HWND hDlg, int id, int code)
{
    switch (id) {
    case IDOK:
        PressFeedback(hDlg, IDOK);
        /* The units are taken with the settings, not when they are refused. */
        if (CommitSettings(hDlg, &g_working)) {
            g_panel.units = g_setupUnits;
            EndDialog(hDlg, 1);
        }
        return TRUE;
    case IDCANCEL:
        PressFeedback(hDlg, IDCANCEL);
        ApplySettings(&g_original);
        EndDialog(hDlg, 1);
        return TRUE;
    case IDC_REVERT:
        OnRevert(hDlg);
        return TRUE;
    case IDC_TEST:
        PressFeedback(hDlg, IDC_TEST);
        CommitSettings(hDlg, &g_working);
        return TRUE;
    case IDC_RELATIVE:
    case IDC_ABSOLUTE:
        g_working.trackingMode = id - IDC_RELATIVE;
        CheckRadioButton(hDlg, IDC_RELATIVE, IDC_ABSOLUTE, id);
        EnableControlRange(hDlg, IDC_SENS_LABEL, IDC_SENS_SPIN, g_working.trackingMode == 0);
        return TRUE;
    case IDC_SENS_EDIT: {
        if (code != EN_KILLFOCUS)
            return FALSE;
        WCHAR text[SENS_INPUT_LEN];
        if (GetDlgItemTextW(hDlg, IDC_SENS_EDIT, text, SENS_INPUT_LEN) <= 0)
            text[0] = 0;
        ParseSensitivity(text);
        SetSensitivityText(hDlg);
        return TRUE;
    }
    case IDC_SENS_SPIN:
        if (code == TWN_UP) {
            if (g_sensPercent < PERCENT_MAX) {
                g_sensPercent++;
                SetSensitivityText(hDlg);
            }
            return TRUE;
        }
        if (code == TWN_DOWN) {
            if (g_sensPercent > 1) {
                g_sensPercent--;
                SetSensitivityText(hDlg);
            }
            return TRUE;
        }
        return FALSE;
    case IDC_DEFAULT_BUTTONS:
    case IDC_BUTTON_LIST:
    case IDC_ACTION_LIST:
        return OnButtonCommand(hDlg, id, code);
    }
    if (id == IDC_WHOLE_TABLET || id == IDC_KEEP_ASPECT || id == IDC_UNITS ||
        (id >= IDC_WIDTH && id <= IDC_AREA))
        return OnAreaCommand(hDlg, id, code);
    return FALSE;
}

INT_PTR CALLBACK SetupDlgProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog(hDlg);
        return FALSE; /* the dialog manager places the focus */
    case WM_COMMAND:
        return OnCommand(hDlg, LOWORD(wParam), HIWORD(wParam));
    }
    return FALSE;
}
