/*
 * The "Tracking Area" group of the Setup dialog: the whole-tablet and aspect
 * switches, the units, the six fields (width, height and the four margins)
 * with their spin controls, the picture of the tablet where the area can be
 * pointed out with the pen, and the status line that follows the pointing.
 *
 * Areas are in tablet counts with y downward from the tablet's top edge. A
 * typed or stepped size changes about the area's centre; a margin moves the
 * area and keeps its size while it fits.
 */
#include "padcfg.h"

#include <string.h>

#define FIELD_TEXT_LEN 40
#define FIELD_LIMIT 7

DWORD g_areaStep;
DWORD g_screenAspect;
DWORD g_maxAreaW, g_maxAreaH;
AreaRect g_shownArea;
/* The screen's proportions in counts: height counts per width count of an
   area that is A times as high as wide in length, on axes whose resolutions
   may differ. */
static DWORD s_countAspect;

/* The six fields in the order of their display bits. */
static const struct {
    WORD edit;
    BYTE vertical;
} s_fields[] = {
    {IDC_WIDTH, 0}, {IDC_HEIGHT, 1}, {IDC_LEFT, 0}, {IDC_TOP, 1}, {IDC_RIGHT, 0}, {IDC_BOTTOM, 1},
};
#define FIELD_COUNT 6
#define ALL_FIELDS 0x3F

static DWORD Min(DWORD a, DWORD b)
{
    return a < b ? a : b;
}

/* How far an area of size s may start on an axis of extent e. */
static DWORD Room(DWORD e, DWORD s)
{
    return e > s ? e - s : 0;
}

static int FieldBit(int edit)
{
    for (int bit = 0; bit < FIELD_COUNT; bit++)
        if (s_fields[bit].edit == edit)
            return bit;
    return -1;
}

/* The value a field shows. A margin past the edge (an area the driver
   reported beyond the tablet) shows as 0 rather than wrapping round. */
static DWORD FieldValue(const AreaRect *a, int bit)
{
    switch (bit) {
    case 0:
        return a->right - a->left;
    case 1:
        return a->bottom - a->top;
    case 2:
        return a->left;
    case 3:
        return a->top;
    case 4:
        return Room(GetTabletWidth(), a->right);
    default:
        return Room(GetTabletHeight(), a->bottom);
    }
}

static const AreaRect *AreaOf(const TabletSettings *r)
{
    return (const AreaRect *)&r->left;
}

static void StoreArea(TabletSettings *r, DWORD left, DWORD top, DWORD w, DWORD h)
{
    r->left = left;
    r->top = top;
    r->right = left + w;
    r->bottom = top + h;
}

static void SendArea(HWND hDlg, BOOL post)
{
    HWND control = GetDlgItem(hDlg, IDC_AREA);
    if (post)
        PostMessageW(control, CM_WRITE, 0, (LPARAM)&g_working.left);
    else
        SendMessageW(control, CM_WRITE, 0, (LPARAM)&g_working.left);
}

static void ShowField(HWND hDlg, int bit, const AreaRect *a, int units)
{
    HWND edit = GetDlgItem(hDlg, s_fields[bit].edit);
    SendMessageW(edit, EM_LIMITTEXT, FIELD_LIMIT, 0);
    const WCHAR *text = FormatTabletValue(FieldValue(a, bit), units, s_fields[bit].vertical);
    SetWindowTextW(edit, text ? text : L"");
}

void ShowAreaFields(HWND hDlg, const TabletSettings *r, int units, BOOL all)
{
    const AreaRect *a = AreaOf(r);
    UINT mask = ALL_FIELDS;
    if (!all) {
        mask = 0;
        for (int bit = 0; bit < FIELD_COUNT; bit++)
            if (FieldValue(a, bit) != FieldValue(&g_shownArea, bit))
                mask |= 1 << bit;
    }
    g_shownArea = *a;
    for (int bit = 0; bit < FIELD_COUNT; bit++)
        if (mask & (1 << bit))
            ShowField(hDlg, bit, a, units);
}

void ShowStatus(HWND hDlg, UINT stringId)
{
    WCHAR text[STATUS_LEN];
    LoadText(stringId, text, STATUS_LEN);
    SetDlgItemTextW(hDlg, IDC_STATUS, text);
}

DWORD Recentre(DWORD p, DWORD s0, DWORD s, DWORD extent)
{
    if (s > s0) {
        p -= Min((s - s0) / 2, p);
        p = Min(p, Room(extent, s));
    } else if (s < s0) {
        p += (s0 - s) / 2;
        p = Min(p, Room(extent, s));
    }
    return p;
}

/* The other side of an area kept in the screen's proportions. */
static DWORD HeightFor(DWORD w)
{
    return MulDivHalf(w, s_countAspect, FIX32_ONE);
}

static DWORD WidthFor(DWORD h)
{
    return MulDivHalf(h, FIX32_ONE, s_countAspect);
}

/* An area in the screen's proportions from one of its sides: the other one
   follows, and both shrink together where that would leave the tablet, so
   that the largest such area is never passed, not even by rounding. */
static void KeepAspectFromWidth(DWORD *w, DWORD *h)
{
    if (*w >= g_maxAreaW) {
        *w = g_maxAreaW;
        *h = g_maxAreaH;
    } else {
        *h = Min(HeightFor(*w), g_maxAreaH);
    }
}

static void KeepAspectFromHeight(DWORD *w, DWORD *h)
{
    if (*h >= g_maxAreaH) {
        *w = g_maxAreaW;
        *h = g_maxAreaH;
    } else {
        *w = Min(WidthFor(*h), g_maxAreaW);
    }
}

void SetAreaField(int id, DWORD v, DWORD keep, TabletSettings *r)
{
    const DWORD W = GetTabletWidth(), H = GetTabletHeight();
    DWORD L = r->left, T = r->top;
    DWORD w = r->right - r->left, h = r->bottom - r->top;
    const DWORD w0 = w, h0 = h;

    switch (id) {
    case IDC_WIDTH:
        w = Min(v, W);
        if (keep) {
            KeepAspectFromWidth(&w, &h);
            T = Recentre(T, h0, h, H);
        }
        L = Recentre(L, w0, w, W);
        break;
    case IDC_HEIGHT:
        h = Min(v, H);
        if (keep) {
            KeepAspectFromHeight(&w, &h);
            L = Recentre(L, w0, w, W);
        }
        T = Recentre(T, h0, h, H);
        break;
    case IDC_LEFT:
        L = Min(v, W);
        if (W - L < w) {
            w = W - L;
            if (keep) {
                KeepAspectFromWidth(&w, &h);
                T = Recentre(T, h0, h, H);
            }
        }
        break;
    case IDC_TOP:
        T = Min(v, H);
        if (H - T < h) {
            h = H - T;
            if (keep) {
                KeepAspectFromHeight(&w, &h);
                L = Recentre(L, w0, w, W);
            }
        }
        break;
    case IDC_RIGHT:
        v = Min(v, W); /* a stepped margin stops at the edge */
        L = W - w > v ? W - v - w : 0;
        if (W - w < v) {
            w = W - v;
            if (keep) {
                KeepAspectFromWidth(&w, &h);
                T = Recentre(T, h0, h, H);
            }
        }
        break;
    case IDC_BOTTOM:
        v = Min(v, H);
        T = H - h > v ? H - v - h : 0;
        if (H - h < v) {
            h = H - v;
            if (keep) {
                KeepAspectFromHeight(&w, &h);
                L = Recentre(L, w0, w, W);
            }
        }
        break;
    default:
        return;
    }
    StoreArea(r, L, T, w, h);
}

void FitAreaToAspect(TabletSettings *r)
{
    const DWORD w0 = r->right - r->left, h0 = r->bottom - r->top;
    DWORD w = w0, h = h0;

    /* The short side grows; the area shrinks only where the grown one would
       not fit. */
    if (s_countAspect < MulDivHalf(h0, FIX32_ONE, w0))
        KeepAspectFromHeight(&w, &h); /* taller than the screen: the width grows */
    else
        KeepAspectFromWidth(&w, &h);
    StoreArea(r, Recentre(r->left, w0, w, GetTabletWidth()),
              Recentre(r->top, h0, h, GetTabletHeight()), w, h);
}

/* w x A rounded to the nearest count; 64 bits, so that a wide tablet cannot
   wrap the product round. */
static DWORD RoundedHeightFor(DWORD w)
{
    return RoundFixed((ULONGLONG)w * s_countAspect, FIX32_BITS);
}

void TakeControlArea(DWORD keep, AreaRect *q, TabletSettings *r)
{
    if (keep) {
        /* The lower-left corner stays; the derived side is held so that the
           area stays on the tablet: right at most W, top at least 0. */
        const DWORD W = GetTabletWidth();
        const DWORD maxW = Room(W, q->left), maxH = q->bottom;
        const DWORD w = q->right - q->left, h = q->bottom - q->top;
        DWORD w1, h1;

        if (s_countAspect < MulDivHalf(h, FIX32_ONE, w)) {
            h1 = Min(h, g_maxAreaH);
            w1 = WidthFor(h1);
            if (w1 > maxW) {
                w1 = maxW;
                h1 = Min(RoundedHeightFor(w1), maxH);
            }
        } else {
            w1 = Min(Min(w, g_maxAreaW), maxW);
            h1 = RoundedHeightFor(w1);
            if (h1 > maxH) {
                h1 = maxH;
                w1 = Min(WidthFor(h1), maxW);
            }
        }
        if (w1 != w)
            q->right = q->left + w1;
        if (h1 != h)
            q->top = q->bottom - h1;
    }
    r->left = q->left;
    r->top = q->top;
    r->right = q->right;
    r->bottom = q->bottom;
}

/* A tablet axis's unit in the display's terms: the tablet's own unit, which
   is inches or centimetres. */
static int TabletUnits(void)
{
    return GetTabletUnitIndex() == UNITS_CENTIMETERS ? UNITS_CENTIMETERS : UNITS_INCHES;
}

/* h / w in 16.16. A tablet whose axes cannot be shown (no extent, no
   resolution) has no proportions: it counts as square, so that its picture
   keeps the template's shape instead of shrinking to nothing. */
static DWORD Proportion(DWORD h, DWORD w)
{
    return h && w ? MulDivHalf(h, FIX32_ONE, w) : FIX32_ONE;
}

void PrepareAreaControl(HWND control)
{
    const DWORD W = GetTabletWidth(), H = GetTabletHeight();
    const int u = TabletUnits();

    DWORD tabletAspect = Proportion(TabletToDisplay(H, u, KIND_Y), TabletToDisplay(W, u, 0));
    DWORD axisRatio = Proportion(TabletToDisplay(1000, u, KIND_Y), TabletToDisplay(1000, u, 0));

    /* The screen's proportions, in millimetres and in pixels. */
    HDC ic = CreateICW(L"DISPLAY", NULL, NULL, NULL);
    int horz = GetDeviceCaps(ic, HORZSIZE), vert = GetDeviceCaps(ic, VERTSIZE);
    int ax = GetDeviceCaps(ic, ASPECTX), ay = GetDeviceCaps(ic, ASPECTY);
    if (ic)
        DeleteDC(ic);
    g_screenAspect = horz > 0 && vert > 0 ? (DWORD)((vert * FIX32_ONE) / horz) : FIX32_ONE;
    DWORD pixelAspect = ax > 0 && ay > 0 ? (DWORD)((ay * FIX32_ONE) / ax) : FIX32_ONE;

    DWORD controlAspect = MulDivHalf(tabletAspect, pixelAspect, FIX32_ONE);
    /* A count of Y is axisRatio times as long as a count of X. */
    s_countAspect = axisRatio > 1 ? MulDivHalf(g_screenAspect, FIX32_ONE, axisRatio) : g_screenAspect;

    if (g_screenAspect < tabletAspect) {
        g_maxAreaW = W;
        g_maxAreaH = Min(MulDivHalf(W, s_countAspect, FIX32_ONE), H);
    } else {
        g_maxAreaH = H;
        g_maxAreaW = Min(MulDivHalf(H, FIX32_ONE, s_countAspect), W);
    }

    /* The picture takes the tablet's proportions inside its template
       rectangle: narrower for a tall tablet, lower (bottom edge kept) for a
       wide one. */
    RECT rc;
    GetWindowRect(control, &rc);
    MapWindowPoints(HWND_DESKTOP, GetParent(control), (POINT *)&rc, 2);
    DWORD width = rc.right - rc.left, height = rc.bottom - rc.top;
    if (tabletAspect >= FIX32_ONE) {
        DWORD w = Min(MulDivHalf(width, FIX32_ONE, controlAspect), width);
        rc.left += (width - w) / 2;
        width = w;
    } else {
        DWORD h = Min(MulDivHalf(height, controlAspect, FIX32_ONE), height);
        rc.top += height - h;
        height = h;
    }
    MoveWindow(control, rc.left, rc.top, width, height, TRUE);
}

/* A field's new value, unless it would empty the area, through which the
   pointer could no longer reach the screen: that one beeps and the area
   stays as it was. */
static void TakeFieldValue(int bit, DWORD v)
{
    const AreaRect before = *AreaOf(&g_working);
    SetAreaField(s_fields[bit].edit, v, g_panel.keepAspect, &g_working);
    const AreaRect *after = AreaOf(&g_working);
    if ((after->right == after->left || after->bottom == after->top) &&
        memcmp(after, &before, sizeof(before)) != 0) {
        StoreArea(&g_working, before.left, before.top, before.right - before.left,
                  before.bottom - before.top);
        MessageBeep(0);
    }
}

static void OnTypedValue(HWND hDlg, int bit)
{
    WCHAR text[FIELD_TEXT_LEN];
    HWND edit = GetDlgItem(hDlg, s_fields[bit].edit);
    /* A field only passed through still shows the area rounded to hundredths;
       read back, that text would move the area by the rounding although
       nothing was typed. */
    if (!SendMessageW(edit, EM_GETMODIFY, 0, 0))
        return;
    if (GetWindowTextW(edit, text, FIELD_TEXT_LEN) <= 0)
        text[0] = 0;

    DWORD v = FieldValue(AreaOf(&g_working), bit);
    ParseTabletValue(text, &v, g_setupUnits, s_fields[bit].vertical);
    ShowField(hDlg, bit, AreaOf(&g_working), g_setupUnits);
    TakeFieldValue(bit, v);
    ShowAreaFields(hDlg, &g_working, g_setupUnits, FALSE);
    SendArea(hDlg, FALSE);
}

static void OnStep(HWND hDlg, int bit, BOOL up)
{
    const DWORD step = g_areaStep ? g_areaStep : 1;
    DWORD v = FieldValue(AreaOf(&g_working), bit);
    v = step * ((step / 2 + v) / step);
    if (up) {
        v += step;
    } else {
        if (v == 0)
            return;
        v -= step;
    }
    TakeFieldValue(bit, v);
    ShowAreaFields(hDlg, &g_working, g_setupUnits, FALSE);
    /* Posted: the picture redraws once the step has been taken. */
    SendArea(hDlg, TRUE);
}

static void EnableAreaControls(HWND hDlg)
{
    EnableControlRange(hDlg, IDC_KEEP_ASPECT, IDC_KEEP_ASPECT, !g_working.wholeTablet);
    EnableControlRange(hDlg, IDC_WIDTH_LABEL, IDC_AREA, !g_working.wholeTablet);
}

static void OnWholeTablet(HWND hDlg)
{
    g_working.wholeTablet = !IsDlgButtonChecked(hDlg, IDC_WHOLE_TABLET);
    CheckDlgButton(hDlg, IDC_WHOLE_TABLET, g_working.wholeTablet ? BST_CHECKED : BST_UNCHECKED);
    if (g_working.wholeTablet) {
        StoreArea(&g_working, 0, 0, GetTabletWidth(), GetTabletHeight());
        ShowAreaFields(hDlg, &g_working, g_setupUnits, FALSE);
        SendArea(hDlg, FALSE);
    } else if (g_panel.keepAspect) {
        FitAreaToAspect(&g_working);
        ShowAreaFields(hDlg, &g_working, g_setupUnits, FALSE);
        SendArea(hDlg, FALSE);
    }
    EnableAreaControls(hDlg);
}

static void OnKeepAspect(HWND hDlg)
{
    g_panel.keepAspect = !IsDlgButtonChecked(hDlg, IDC_KEEP_ASPECT);
    CheckDlgButton(hDlg, IDC_KEEP_ASPECT, g_panel.keepAspect ? BST_CHECKED : BST_UNCHECKED);
    if (g_panel.keepAspect) {
        FitAreaToAspect(&g_working);
        ShowAreaFields(hDlg, &g_working, g_setupUnits, FALSE);
        SendArea(hDlg, FALSE);
    }
}

static BOOL OnAreaControl(HWND hDlg, int code)
{
    switch (code) {
    case SAN_WHOLE:
    case SAN_CHANGED: {
        AreaRect q = {0, 0, 0, 0};
        SendMessageW(GetDlgItem(hDlg, IDC_AREA), CM_READ, 0, (LPARAM)&q);
        TakeControlArea(code == SAN_CHANGED ? g_panel.keepAspect : 0, &q, &g_working);
        ShowAreaFields(hDlg, &g_working, g_setupUnits, FALSE);
        SendArea(hDlg, FALSE);
        return TRUE;
    }
    case SAN_FIRST_DUE:
        ShowStatus(hDlg, IDS_FIRST_CORNER);
        return TRUE;
    case SAN_SECOND_DUE:
        ShowStatus(hDlg, IDS_SECOND_CORNER);
        return TRUE;
    case SAN_DEFINED:
        ShowStatus(hDlg, IDS_AREA_DEFINED);
        return TRUE;
    case SAN_CANCELLED:
    case SAN_FOCUS_LEFT:
        SetDlgItemTextW(hDlg, IDC_STATUS, L" ");
        return TRUE;
    case SAN_OUT_OF_RANGE:
        ShowStatus(hDlg, IDS_OUT_OF_RANGE);
        return TRUE;
    }
    return FALSE;
}

BOOL OnAreaCommand(HWND hDlg, int id, int code)
{
    switch (id) {
    case IDC_WHOLE_TABLET:
        OnWholeTablet(hDlg);
        return TRUE;
    case IDC_KEEP_ASPECT:
        OnKeepAspect(hDlg);
        return TRUE;
    case IDC_UNITS:
        if (code != CBN_SELCHANGE)
            return FALSE;
        if (SendDlgItemMessageW(hDlg, IDC_UNITS, CB_GETCURSEL, 0, 0) == UNITS_CENTIMETERS)
            g_setupUnits = UNITS_CENTIMETERS;
        else
            g_setupUnits = UNITS_INCHES;
        ShowAreaFields(hDlg, &g_working, g_setupUnits, TRUE);
        return TRUE;
    case IDC_AREA:
        return OnAreaControl(hDlg, code);
    }

    int bit = FieldBit(id);
    if (bit >= 0)
        return code == EN_KILLFOCUS ? (OnTypedValue(hDlg, bit), TRUE) : FALSE;
    bit = FieldBit(id - 1); /* a spin control sits after its field */
    if (bit >= 0 && (code == TWN_UP || code == TWN_DOWN)) {
        OnStep(hDlg, bit, code == TWN_UP);
        return TRUE;
    }
    return FALSE;
}
