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

/* The percentage a driver sensitivity stands for: 100 % is refRes counts
   per unit of pen travel, in the tablet's own unit. */
static DWORD PercentOf(const SetupState *st, FIX32 sensitivity)
{
    DWORD e = MulDivHalf(sensitivity, GetTabletResolution(), FIX32_ONE);
    if (GetTabletUnitIndex() == UNITS_CENTIMETERS)
        e = MulDivHalf(e, INCH_IN_CM, FIX32_ONE);
    DWORD p = RoundFixed((e / st->refRes) * 100, FIX32_BITS);
    return p > PERCENT_MAX ? PERCENT_MAX : p;
}

/* The working sensitivity becomes what the percentage stands for; the
   percentage's text, for the field. */
static const TCHAR *SensitivityText(SetupState *st)
{
    if (st->sensPercent == st->percentAtEntry) {
        /* The percentage shown at opening stands for the driver's own value,
           which it only shows rounded, or capped at 100. */
        st->working.sensitivity = st->original.sensitivity;
    } else {
        DWORD s = st->sensPercent * FIX32_ONE * st->refRes;
        if (GetTabletUnitIndex() == UNITS_CENTIMETERS)
            s = MulDivHalf(s, FIX32_ONE, INCH_IN_CM);
        /* A resolution too small to divide by (MulDivHalf halves it; 0 among
           them) gives the percentage no meaning: the sensitivity stays. */
        DWORD v = MulDivHalf(s, FIX32_ONE, GetTabletResolution());
        if (v != MULDIV_FAILED)
            st->working.sensitivity = v / 100;
    }
    wsprintf(st->sensText, TEXT("%d%%"), (int)st->sensPercent);
    return st->sensText;
}

static void SetSensitivityText(SetupState *st)
{
    SetDlgItemText(st->hDlg, IDC_SENS_EDIT, SensitivityText(st));
}

/* Typed text: digits, optionally followed by a percent sign. A double-byte
   character (a full-width digit among them) is no digit. */
static void ParseSensitivity(SetupState *st, TCHAR *text)
{
    if (!*text)
        return;
    TCHAR *sign = FindTail(text, TEXT("%"));
    if (sign)
        *sign = 0;

    DWORD v = 0;
    for (const TCHAR *p = text; *p; p = CharNext(p)) {
        TCHAR c = *p;
        if (!IsSingleChar(p) || IsCharAlpha(c) || !IsCharAlphaNumeric(c) || c < '0' || c > '9') {
            MessageBeep(0);
            return;
        }
        /* Saturates, so that a long run of digits cannot wrap round to a
           small number. */
        v = v > PERCENT_MAX ? v : v * 10 + (c - '0');
    }
    if (v == 0) {
        MessageBeep(0);
        return;
    }
    st->sensPercent = v;
    if (v > PERCENT_MAX) {
        st->sensPercent = PERCENT_MAX;
        MessageBeep(0);
    }
}

static void OnSensitivityTyped(SetupState *st)
{
    TCHAR text[SENS_INPUT_LEN];
    if (GetDlgItemText(st->hDlg, IDC_SENS_EDIT, text, SENS_INPUT_LEN) <= 0)
        text[0] = 0;
    ParseSensitivity(st, text);
    SetSensitivityText(st);
}

/* The spin control stops at 1 and at 100 %. */
static void StepSensitivity(SetupState *st, BOOL up)
{
    if (up ? st->sensPercent >= PERCENT_MAX : st->sensPercent <= 1)
        return;
    st->sensPercent += up ? 1 : -1;
    SetSensitivityText(st);
}

/* Every control from the working record. */
static void FillSetupDialog(SetupState *st)
{
    HWND hDlg = st->hDlg;
    const TabletSettings *r = &st->working;

    CheckRadioButton(hDlg, IDC_RELATIVE, IDC_ABSOLUTE,
                     r->trackingMode ? IDC_ABSOLUTE : IDC_RELATIVE);

    HWND sens = GetDlgItem(hDlg, IDC_SENS_EDIT);
    SendMessage(sens, EM_LIMITTEXT, 4, 0);
    SetWindowText(sens, SensitivityText(st));
    SendDlgItemMessage(hDlg, IDC_SENS_SPIN, CM_WRITE, (WPARAM)sens, 0);

    CheckDlgButton(hDlg, IDC_DEFAULT_BUTTONS, r->defaultButtons ? BST_CHECKED : BST_UNCHECKED);
    ShowSelectedAction(st);

    CheckDlgButton(hDlg, IDC_WHOLE_TABLET, r->wholeTablet ? BST_CHECKED : BST_UNCHECKED);
    if (GetDlgItem(hDlg, IDC_KEEP_ASPECT))
        CheckDlgButton(hDlg, IDC_KEEP_ASPECT, g_panel.keepAspect ? BST_CHECKED : BST_UNCHECKED);
    SendDlgItemMessage(hDlg, IDC_UNITS, CB_SETCURSEL, st->setupUnits, 0);

    ShowAreaFields(st, TRUE);
    for (int e = IDC_WIDTH; e <= IDC_BOTTOM; e += 3)
        SendDlgItemMessage(hDlg, e + 1, CM_WRITE, (WPARAM)GetDlgItem(hDlg, e), 0);
    SendDlgItemMessage(hDlg, IDC_AREA, CM_WRITE, 0, (LPARAM)&r->left);

    EnableControlRange(hDlg, IDC_SENS_LABEL, IDC_SENS_SPIN, r->trackingMode == 0);
    EnableControlRange(hDlg, IDC_ACTION_LIST, IDC_ACTION_LIST, !r->defaultButtons);
    EnableAreaControls(st);
}

static void OnInitDialog(SetupState *st)
{
    st->setupUnits = g_panel.units;
    st->unitsAtEntry = g_panel.units;
    st->aspectAtEntry = g_panel.keepAspect;

    ReadSettings(&st->working);
    st->original = st->working;

    /* A tablet reporting no usable resolution must not divide by zero. */
    st->refRes = GetRoundedResolution();
    if (st->refRes > REF_RES_MAX)
        st->refRes = REF_RES_MAX;
    if (st->refRes == 0)
        st->refRes = 1;
    st->sensPercent = st->percentAtEntry = PercentOf(st, st->working.sensitivity);
    /* A hundredth of the tablet's unit, rounded like its resolution. */
    st->areaStep = RoundFixed(GetTabletResolution() / 100, FIX32_BITS);
    if (st->areaStep == 0)
        st->areaStep = 1;

    FillButtonLists(st);
    AddStringsToList(GetDlgItem(st->hDlg, IDC_UNITS), IDS_INCHES, IDS_CENTIMETERS);
    PrepareAreaControl(st);
    FillSetupDialog(st);
}

/* A button chosen with the keyboard takes the focus and flashes, as a click
   would; the focus move also makes a field still being typed in report. */
static void PressFeedback(HWND hDlg, int id)
{
    HWND button = GetDlgItem(hDlg, id);
    if (GetFocus() == button)
        return;
    SetFocus(button);
    SendMessage(button, BM_SETSTATE, TRUE, 0);
    SendMessage(button, BM_SETSTATE, FALSE, 0);
}

static void OnRevert(SetupState *st)
{
    st->setupUnits = st->unitsAtEntry;
    g_panel.keepAspect = st->aspectAtEntry;
    st->working = st->original;
    ApplySettings(&st->working);
    /* The percentage too, as the opening computes it, so that the field
       shows what the driver now holds. */
    st->sensPercent = st->percentAtEntry;
    PressFeedback(st->hDlg, IDC_REVERT);
    FillSetupDialog(st);
}

static BOOL OnCommand(SetupState *st, int id, int code)
{
    HWND hDlg = st->hDlg;
    switch (id) {
    case IDOK:
        PressFeedback(hDlg, IDOK);
        /* The units are taken with the settings, not when they are refused. */
        if (CommitSettings(hDlg, &st->working)) {
            g_panel.units = st->setupUnits;
            EndDialog(hDlg, 1);
        }
        return TRUE;
    case IDCANCEL:
        PressFeedback(hDlg, IDCANCEL);
        ApplySettings(&st->original);
        EndDialog(hDlg, 1);
        return TRUE;
    case IDC_REVERT:
        OnRevert(st);
        return TRUE;
    case IDC_TEST:
        PressFeedback(hDlg, IDC_TEST);
        CommitSettings(hDlg, &st->working);
        return TRUE;
    case IDC_RELATIVE:
    case IDC_ABSOLUTE:
        st->working.trackingMode = id - IDC_RELATIVE;
        CheckRadioButton(hDlg, IDC_RELATIVE, IDC_ABSOLUTE, id);
        EnableControlRange(hDlg, IDC_SENS_LABEL, IDC_SENS_SPIN, st->working.trackingMode == 0);
        return TRUE;
    case IDC_SENS_EDIT:
        if (code != EN_KILLFOCUS)
            return FALSE;
        OnSensitivityTyped(st);
        return TRUE;
    case IDC_SENS_SPIN:
        if (code != TWN_UP && code != TWN_DOWN)
            return FALSE;
        StepSensitivity(st, code == TWN_UP);
        return TRUE;
    case IDC_DEFAULT_BUTTONS:
    case IDC_BUTTON_LIST:
    case IDC_ACTION_LIST:
        return OnButtonCommand(st, id, code);
    }
    if (id == IDC_WHOLE_TABLET || id == IDC_KEEP_ASPECT || id == IDC_UNITS ||
        (id >= IDC_WIDTH && id <= IDC_AREA))
        return OnAreaCommand(st, id, code);
    return FALSE;
}

/* The dialog's record lives from WM_INITDIALOG to WM_DESTROY; a message
   outside that time finds none and is left to the dialog manager. */
INT_PTR CALLBACK SetupDlgProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    SetupState *st = (SetupState *)GetWindowLongPtr(hDlg, DWLP_USER);

    switch (msg) {
    case WM_INITDIALOG:
        st = (SetupState *)NewDialogRecord(hDlg, sizeof(*st));
        if (st) {
            st->hDlg = hDlg;
            OnInitDialog(st);
        }
        return FALSE; /* the dialog manager places the focus */
    case WM_COMMAND:
        return st ? OnCommand(st, LOWORD(wParam), HIWORD(wParam)) : FALSE;
    case WM_DESTROY:
        FreeDialogRecord(hDlg);
        return FALSE;
    }
    return FALSE;
}
