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

#define FIELD_LIMIT 7
#define STATUS_LEN 80

/* What a field gives of its axis: the area's size, the margin before it (left
   or top) or the margin after it (right or bottom). */
enum AxisPart { PART_SIZE, PART_NEAR, PART_FAR };

/* The six fields in the order of their display bits. */
static const struct {
    WORD edit;
    BYTE vertical;
    BYTE part;
} s_fields[] = {
    {IDC_WIDTH, 0, PART_SIZE}, {IDC_HEIGHT, 1, PART_SIZE}, {IDC_LEFT, 0, PART_NEAR},
    {IDC_TOP, 1, PART_NEAR},   {IDC_RIGHT, 0, PART_FAR},   {IDC_BOTTOM, 1, PART_FAR},
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

/* The picture takes the working area. A posted write reads the record when
   it arrives; the control goes with the dialog, before its record does. */
static void SendArea(SetupState *st, BOOL post)
{
    HWND control = GetDlgItem(st->hDlg, IDC_AREA);
    if (post)
        PostMessage(control, CM_WRITE, 0, (LPARAM)&st->working.left);
    else
        SendMessage(control, CM_WRITE, 0, (LPARAM)&st->working.left);
}

static void ShowField(HWND hDlg, int bit, const AreaRect *a, int units)
{
    HWND edit = GetDlgItem(hDlg, s_fields[bit].edit);
    SendMessage(edit, EM_LIMITTEXT, FIELD_LIMIT, 0);
    const TCHAR *text = FormatTabletValue(FieldValue(a, bit), units, s_fields[bit].vertical);
    SetWindowText(edit, text ? text : TEXT(""));
}

void ShowAreaFields(SetupState *st, BOOL all)
{
    const AreaRect *a = AreaOf(&st->working);
    UINT mask = ALL_FIELDS;
    if (!all) {
        mask = 0;
        for (int bit = 0; bit < FIELD_COUNT; bit++)
            if (FieldValue(a, bit) != FieldValue(&st->shownArea, bit))
                mask |= 1 << bit;
    }
    st->shownArea = *a;
    for (int bit = 0; bit < FIELD_COUNT; bit++)
        if (mask & (1 << bit))
            ShowField(st->hDlg, bit, a, st->setupUnits);
}

static void ShowStatus(HWND hDlg, UINT stringId)
{
    TCHAR text[STATUS_LEN];
    LoadText(stringId, text, STATUS_LEN);
    SetDlgItemText(hDlg, IDC_STATUS, text);
}

static DWORD Recentre(DWORD p, DWORD s0, DWORD s, DWORD extent)
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
static DWORD HeightFor(const SetupState *st, DWORD w)
{
    return MulDivHalf(w, st->countAspect, FIX32_ONE);
}

static DWORD WidthFor(const SetupState *st, DWORD h)
{
    return MulDivHalf(h, FIX32_ONE, st->countAspect);
}

/* An area in the screen's proportions from one of its sides: the other one
   follows, and both shrink together where that would leave the tablet, so
   that the largest such area is never passed, not even by rounding. */
static void KeepAspect(const SetupState *st, BOOL fromHeight, DWORD *w, DWORD *h)
{
    if (fromHeight ? *h >= st->maxAreaH : *w >= st->maxAreaW) {
        *w = st->maxAreaW;
        *h = st->maxAreaH;
    } else if (fromHeight) {
        *w = Min(WidthFor(st, *h), st->maxAreaW);
    } else {
        *h = Min(HeightFor(st, *w), st->maxAreaH);
    }
}

/* One axis of an area: where it starts, its size, and the tablet's extent. */
struct AreaAxis {
    DWORD pos, size, extent;
};

/* A field's value v on its axis: a size changes about the centre (done by the
   caller, once the other axis has had its say); a margin moves the area and
   keeps its size while it fits, and takes off what would not. Returns whether
   the size was set, for the other axis to follow. */
static BOOL SetOnAxis(AreaAxis *a, int part, DWORD v)
{
    const DWORD E = a->extent;
    switch (part) {
    case PART_SIZE:
        a->size = Min(v, E);
        return TRUE;
    case PART_NEAR:
        a->pos = Min(v, E);
        if (E - a->pos >= a->size)
            return FALSE;
        a->size = E - a->pos;
        return TRUE;
    default:
        v = Min(v, E); /* a stepped margin stops at the edge */
        a->pos = E - a->size > v ? E - v - a->size : 0;
        if (E - a->size >= v)
            return FALSE;
        a->size = E - v;
        return TRUE;
    }
}

/* Field bit's new value v into the working area; with Preserve Aspect Ratio
   a new size on one axis brings the other's, about its centre. */
static void SetAreaField(SetupState *st, int bit, DWORD v)
{
    TabletSettings *r = &st->working;
    AreaAxis x = {r->left, r->right - r->left, GetTabletWidth()};
    AreaAxis y = {r->top, r->bottom - r->top, GetTabletHeight()};
    const BOOL vertical = s_fields[bit].vertical;
    AreaAxis *own = vertical ? &y : &x, *other = vertical ? &x : &y;
    const DWORD ownSize0 = own->size, otherSize0 = other->size;

    if (SetOnAxis(own, s_fields[bit].part, v) && g_panel.keepAspect) {
        KeepAspect(st, vertical, &x.size, &y.size);
        other->pos = Recentre(other->pos, otherSize0, other->size, other->extent);
    }
    if (s_fields[bit].part == PART_SIZE)
        own->pos = Recentre(own->pos, ownSize0, own->size, own->extent);
    StoreArea(r, x.pos, y.pos, x.size, y.size);
}

/* The working area grown to the screen's proportions, or shrunk where the
   grown one would not fit. */
static void FitAreaToAspect(SetupState *st)
{
    TabletSettings *r = &st->working;
    const DWORD w0 = r->right - r->left, h0 = r->bottom - r->top;
    DWORD w = w0, h = h0;

    /* The short side grows (the width, for an area taller than the screen);
       the area shrinks only where the grown one would not fit. */
    KeepAspect(st, st->countAspect < MulDivHalf(h0, FIX32_ONE, w0), &w, &h);
    StoreArea(r, Recentre(r->left, w0, w, GetTabletWidth()),
              Recentre(r->top, h0, h, GetTabletHeight()), w, h);
}

/* w x A rounded to the nearest count; 64 bits, so that a wide tablet cannot
   wrap the product round. */
static DWORD RoundedHeightFor(const SetupState *st, DWORD w)
{
    return RoundFixed((ULONGLONG)w * st->countAspect, FIX32_BITS);
}

/* The picture's rectangle q becomes the working area, with keep in the
   screen's proportions. */
static void TakeControlArea(SetupState *st, DWORD keep, AreaRect *q)
{
    TabletSettings *r = &st->working;
    if (keep) {
        /* The lower-left corner stays; the derived side is held so that the
           area stays on the tablet: right at most W, top at least 0. */
        const DWORD W = GetTabletWidth();
        const DWORD maxW = Room(W, q->left), maxH = q->bottom;
        const DWORD w = q->right - q->left, h = q->bottom - q->top;
        DWORD w1, h1;

        if (st->countAspect < MulDivHalf(h, FIX32_ONE, w)) {
            h1 = Min(h, st->maxAreaH);
            w1 = WidthFor(st, h1);
            if (w1 > maxW) {
                w1 = maxW;
                h1 = Min(RoundedHeightFor(st, w1), maxH);
            }
        } else {
            w1 = Min(Min(w, st->maxAreaW), maxW);
            h1 = RoundedHeightFor(st, w1);
            if (h1 > maxH) {
                h1 = maxH;
                w1 = Min(WidthFor(st, h1), maxW);
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

void PrepareAreaControl(SetupState *st)
{
    HWND control = GetDlgItem(st->hDlg, IDC_AREA);
    const DWORD W = GetTabletWidth(), H = GetTabletHeight();
    const int u = TabletUnits();

    DWORD tabletAspect = Proportion(TabletToDisplay(H, u, KIND_Y), TabletToDisplay(W, u, 0));
    DWORD axisRatio = Proportion(TabletToDisplay(1000, u, KIND_Y), TabletToDisplay(1000, u, 0));

    /* The screen's proportions, in millimetres and in pixels. */
    HDC ic = CreateIC(TEXT("DISPLAY"), NULL, NULL, NULL);
    int horz = GetDeviceCaps(ic, HORZSIZE), vert = GetDeviceCaps(ic, VERTSIZE);
    int ax = GetDeviceCaps(ic, ASPECTX), ay = GetDeviceCaps(ic, ASPECTY);
    if (ic)
        DeleteDC(ic);
    DWORD screenAspect = horz > 0 && vert > 0 ? (DWORD)((vert * FIX32_ONE) / horz) : FIX32_ONE;
    DWORD pixelAspect = ax > 0 && ay > 0 ? (DWORD)((ay * FIX32_ONE) / ax) : FIX32_ONE;

    DWORD controlAspect = MulDivHalf(tabletAspect, pixelAspect, FIX32_ONE);
    /* A count of Y is axisRatio times as long as a count of X. */
    st->countAspect = axisRatio > 1 ? MulDivHalf(screenAspect, FIX32_ONE, axisRatio) : screenAspect;

    if (screenAspect < tabletAspect) {
        st->maxAreaW = W;
        st->maxAreaH = Min(MulDivHalf(W, st->countAspect, FIX32_ONE), H);
    } else {
        st->maxAreaH = H;
        st->maxAreaW = Min(MulDivHalf(H, FIX32_ONE, st->countAspect), W);
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

/* The working area changed: the fields that changed and the picture show it. */
static void ShowNewArea(SetupState *st)
{
    ShowAreaFields(st, FALSE);
    SendArea(st, FALSE);
}

/* A field's new value, unless it would empty the area, through which the
   pointer could no longer reach the screen: that one beeps and the area
   stays as it was. */
static void TakeFieldValue(SetupState *st, int bit, DWORD v)
{
    const AreaRect before = *AreaOf(&st->working);
    SetAreaField(st, bit, v);
    const AreaRect *after = AreaOf(&st->working);
    if ((after->right == after->left || after->bottom == after->top) &&
        memcmp(after, &before, sizeof(before)) != 0) {
        StoreArea(&st->working, before.left, before.top, before.right - before.left,
                  before.bottom - before.top);
        MessageBeep(0);
    }
}

static void OnTypedValue(SetupState *st, int bit)
{
    TCHAR text[PARSE_TEXT_LEN];
    HWND edit = GetDlgItem(st->hDlg, s_fields[bit].edit);
    /* A field only passed through still shows the area rounded to hundredths;
       read back, that text would move the area by the rounding although
       nothing was typed. */
    if (!SendMessage(edit, EM_GETMODIFY, 0, 0))
        return;
    if (GetWindowText(edit, text, PARSE_TEXT_LEN) <= 0)
        text[0] = 0;

    DWORD v = FieldValue(AreaOf(&st->working), bit);
    ParseTabletValue(text, &v, st->setupUnits, s_fields[bit].vertical);
    ShowField(st->hDlg, bit, AreaOf(&st->working), st->setupUnits);
    TakeFieldValue(st, bit, v);
    ShowNewArea(st);
}

static void OnStep(SetupState *st, int bit, BOOL up)
{
    const DWORD step = st->areaStep ? st->areaStep : 1;
    DWORD v = FieldValue(AreaOf(&st->working), bit);
    v = step * ((step / 2 + v) / step);
    if (up) {
        v += step;
    } else {
        if (v == 0)
            return;
        v -= step;
    }
    TakeFieldValue(st, bit, v);
    ShowAreaFields(st, FALSE);
    /* Posted: the picture redraws once the step has been taken. */
    SendArea(st, TRUE);
}

/* The aspect box and the whole area group take part only while the area is
   not the whole tablet. */
void EnableAreaControls(SetupState *st)
{
    EnableControlRange(st->hDlg, IDC_KEEP_ASPECT, IDC_KEEP_ASPECT, !st->working.wholeTablet);
    EnableControlRange(st->hDlg, IDC_WIDTH_LABEL, IDC_AREA, !st->working.wholeTablet);
}

static void OnWholeTablet(SetupState *st)
{
    TabletSettings *r = &st->working;
    r->wholeTablet = !IsDlgButtonChecked(st->hDlg, IDC_WHOLE_TABLET);
    CheckDlgButton(st->hDlg, IDC_WHOLE_TABLET, r->wholeTablet ? BST_CHECKED : BST_UNCHECKED);
    if (r->wholeTablet) {
        StoreArea(r, 0, 0, GetTabletWidth(), GetTabletHeight());
        ShowNewArea(st);
    } else if (g_panel.keepAspect) {
        FitAreaToAspect(st);
        ShowNewArea(st);
    }
    EnableAreaControls(st);
}

static void OnKeepAspect(SetupState *st)
{
    g_panel.keepAspect = !IsDlgButtonChecked(st->hDlg, IDC_KEEP_ASPECT);
    CheckDlgButton(st->hDlg, IDC_KEEP_ASPECT, g_panel.keepAspect ? BST_CHECKED : BST_UNCHECKED);
    if (g_panel.keepAspect) {
        FitAreaToAspect(st);
        ShowNewArea(st);
    }
}

static BOOL OnAreaControl(SetupState *st, int code)
{
    switch (code) {
    case SAN_WHOLE:
    case SAN_CHANGED: {
        AreaRect q = {0, 0, 0, 0};
        SendDlgItemMessage(st->hDlg, IDC_AREA, CM_READ, 0, (LPARAM)&q);
        TakeControlArea(st, code == SAN_CHANGED ? g_panel.keepAspect : 0, &q);
        ShowNewArea(st);
        return TRUE;
    }
    case SAN_FIRST_DUE:
        ShowStatus(st->hDlg, IDS_FIRST_CORNER);
        return TRUE;
    case SAN_SECOND_DUE:
        ShowStatus(st->hDlg, IDS_SECOND_CORNER);
        return TRUE;
    case SAN_DEFINED:
        ShowStatus(st->hDlg, IDS_AREA_DEFINED);
        return TRUE;
    case SAN_CANCELLED:
    case SAN_FOCUS_LEFT:
        SetDlgItemText(st->hDlg, IDC_STATUS, TEXT(" "));
        return TRUE;
    case SAN_OUT_OF_RANGE:
        ShowStatus(st->hDlg, IDS_OUT_OF_RANGE);
        return TRUE;
    }
    return FALSE;
}

BOOL OnAreaCommand(SetupState *st, int id, int code)
{
    switch (id) {
    case IDC_WHOLE_TABLET:
        OnWholeTablet(st);
        return TRUE;
    case IDC_KEEP_ASPECT:
        OnKeepAspect(st);
        return TRUE;
    case IDC_UNITS:
        if (code != CBN_SELCHANGE)
            return FALSE;
        if (SendDlgItemMessage(st->hDlg, IDC_UNITS, CB_GETCURSEL, 0, 0) == UNITS_CENTIMETERS)
            st->setupUnits = UNITS_CENTIMETERS;
        else
            st->setupUnits = UNITS_INCHES;
        ShowAreaFields(st, TRUE);
        return TRUE;
    case IDC_AREA:
        return OnAreaControl(st, code);
    }

    int bit = FieldBit(id);
    if (bit >= 0)
        return code == EN_KILLFOCUS ? (OnTypedValue(st, bit), TRUE) : FALSE;
    bit = FieldBit(id - 1); /* a spin control sits after its field */
    if (bit >= 0 && (code == TWN_UP || code == TWN_DOWN)) {
        OnStep(st, bit, code == TWN_UP);
        return TRUE;
    }
    return FALSE;
}
