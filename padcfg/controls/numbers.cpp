/*
 * Tablet counts, resolutions and display units: the one place where they
 * meet. Lengths and resolutions are shown in inches or centimetres with at
 * most two decimals, and typed lengths are parsed back into counts.
 *
 * Display values are fixed-point numbers with 10 fraction bits (the value
 * times 1024); resolutions come from the driver as 16.16 and are taken with
 * 10 fraction bits too (R10 below).
 */
#include "padcfg.h"

#define DISPLAY_BITS 10
#define DISPLAY_ONE 1024          /* 1.0 as a display value */
#define CM_PER_INCH 2600          /* 2.54 in 1/1024, truncated */
#define INCH_PER_CM 403           /* 1 / 2.54 in 1/1024, truncated */
#define MAX_INTEGER_PART 4194303u /* the largest integer part a display value holds */
#define MAX_FRACTION_DIGITS 6     /* 999999 << 10 still fits 32 bits */
#define STEPS_PER_UNIT 100        /* the fields show hundredths */
#define FORMAT_LEN 22
#define SIGN_LEN 8

/* Every proportional step of the panel goes through here: halving each
   operand keeps MulDiv's signed operands positive for any unsigned value. */
DWORD MulDivHalf(DWORD a, DWORD b, DWORD c)
{
    return 2 * (DWORD)MulDiv((int)(a >> 1), (int)(b >> 1), (int)(c >> 1));
}

DWORD RoundFixed(ULONGLONG v, UINT bits)
{
    const ULONGLONG half = (ULONGLONG)1 << (bits - 1);
    return (DWORD)(v >> bits) + ((v & (2 * half - 1)) > half ? 1 : 0);
}

/* Lines per axis unit with 10 fraction bits. */
static DWORD Resolution10(const AXIS *axis)
{
    return axis->axResolution >> 6;
}

/* The axis of the kind, read afresh. An axis the driver cannot deliver, or
   one with no extent or a resolution too small to divide by once halved, is
   not usable: its lengths show as 0 and typed values are refused. */
BOOL ReadTabletAxis(int kind, AXIS *axis)
{
    ZeroMemory(axis, sizeof(*axis));
    UINT index = (kind & KIND_Y) ? DVC_Y : DVC_X;
    if (!WTInfoCopy(WTI_DEVICES + GetTabletDevice(), index, axis, sizeof(*axis)))
        return FALSE;
    return axis->axMax > axis->axMin && Resolution10(axis) >> 1 != 0;
}

DWORD TabletToDisplay(DWORD value, int units, int kind)
{
    DWORD v = value << DISPLAY_BITS;
    if (units == UNITS_COUNTS)
        return v;

    AXIS axis;
    if (!ReadTabletAxis(kind, &axis))
        return 0;

    DWORD factor;
    if (kind & KIND_RESOLUTION) {
        v = MulDivHalf(v, Resolution10(&axis), DISPLAY_ONE);
        factor = INCH_PER_CM;
    } else {
        v = MulDivHalf(v, DISPLAY_ONE, Resolution10(&axis));
        factor = CM_PER_INCH;
    }
    if (axis.axUnits == (UINT)units + 1)
        return v;
    /* Any other unit of the tablet counts as the other system's. */
    if (units == UNITS_INCHES)
        v = MulDivHalf(v, DISPLAY_ONE, factor);
    else if (units == UNITS_CENTIMETERS)
        v = MulDivHalf(v, factor, DISPLAY_ONE);
    return v;
}

/* The unit's sign behind a length, or behind a resolution with
   KIND_RESOLUTION; none in counts. */
static void LoadUnitSign(int units, int kind, LPTSTR sign)
{
    static const UINT length[] = {IDS_INCH_SIGN, IDS_CM_SIGN}, resolution[] = {IDS_DPI, IDS_DPCM};
    sign[0] = 0;
    if (units == UNITS_INCHES || units == UNITS_CENTIMETERS)
        LoadText((kind & KIND_RESOLUTION) ? resolution[units] : length[units], sign, SIGN_LEN);
}

LPCTSTR FormatTabletValue(DWORD value, int units, int kind)
{
    static TCHAR s_text[FORMAT_LEN];

    DWORD v = TabletToDisplay(value, units, kind);
    if ((kind & KIND_RESOLUTION) && units != UNITS_INCHES && units != UNITS_CENTIMETERS)
        return NULL;
    TCHAR suffix[SIGN_LEN];
    LoadUnitSign(units, kind, suffix);

    if (v == 0) {
        lstrcpy(s_text, TEXT("0"));
    } else {
        /* Hundredths to the nearest; an exact half rounds down. */
        DWORD whole = v >> DISPLAY_BITS;
        DWORD h = RoundFixed((v & (DISPLAY_ONE - 1)) * 100, DISPLAY_BITS);
        if (h == 100) {
            whole++;
            h = 0;
        }
        int end = wsprintf(s_text, TEXT("%ld.%02.2d"), (long)whole, (int)h);
        int point = end - 3;
        while (end > point + 1 && s_text[end - 1] == '0')
            end--;
        if (end == point + 1)
            end = point;
        s_text[end] = 0;
    }
    lstrcat(s_text, suffix);
    return s_text;
}

/* Every blank and tab out, in place; other characters move whole. */
static void StripBlanks(TCHAR *text)
{
    TCHAR *to = text;
    for (const TCHAR *from = text; *from;) {
        const TCHAR *next = CharNext(from);
        if (IsCharOf(from, TEXT(" \t")))
            from = next;
        while (from < next)
            *to++ = *from++;
    }
    *to = 0;
}

/* The decimal value of the digits at p, up to the first other character;
   a value past 32 bits stays at the largest one. */
static DWORD ReadDecimal(const TCHAR *p)
{
    DWORD v = 0;
    for (; *p >= '0' && *p <= '9'; p++) {
        DWORD digit = *p - '0';
        v = v > (0xFFFFFFFFu - digit) / 10 ? 0xFFFFFFFFu : v * 10 + digit;
    }
    return v;
}

static BOOL IsExponentMark(TCHAR c)
{
    return c == 'e' || c == '-';
}

/* A length as typed into a display value: the integer part, the fraction
   behind a point, and an exponent only seen behind a fraction ("2.5e-1"),
   which divides by ten that many times. */
static DWORD TextToFixed(const TCHAR *text)
{
    const TCHAR *p = text;
    DWORD whole = 0;
    BOOL point = FALSE;

    if (*p == '.') {
        p++;
        point = TRUE;
    } else {
        whole = ReadDecimal(p);
        const TCHAR *dot = FindCharOf(p, TEXT("."));
        if (*dot) {
            p = dot + 1;
            point = TRUE;
        }
    }

    DWORD fraction = 0, digits = 0, exponent = 0;
    if (point) {
        while (IsExponentMark(*p))
            p++;
        const TCHAR *token = p;
        while (*p && !IsExponentMark(*p))
            p++;
        /* The digits that fit; finer ones are below any count. */
        TCHAR kept[MAX_FRACTION_DIGITS + 1];
        lstrcpyn(kept, token,
                 p - token < MAX_FRACTION_DIGITS ? (int)(p - token) + 1 : MAX_FRACTION_DIGITS + 1);
        fraction = ReadDecimal(kept);
        digits = (DWORD)lstrlen(kept);
        /* An exponent is only seen behind a fraction. */
        while (IsExponentMark(*p) || *p == '.')
            p++;
        exponent = ReadDecimal(p);
    }

    DWORD x = fraction << DISPLAY_BITS;
    if (fraction != 0)
        for (DWORD i = 0; i < digits && x; i++)
            x /= 10;
    x += whole << DISPLAY_BITS;
    for (DWORD i = 0; i < exponent && x; i++)
        x /= 10;
    return x;
}

/* At least one digit, one point, and 'e' only as the start of "e-". The
   digits are the ASCII ones, the only ones the number is read with: others
   that the system counts as digits (a full-width one, two bytes of a
   double-byte code page) would read as nothing. */
static BOOL IsNumberText(const TCHAR *text)
{
    BOOL point = FALSE, digit = FALSE;
    for (const TCHAR *p = text; *p; p = CharNext(p)) {
        if (!IsSingleChar(p))
            return FALSE;
        if (*p >= '0' && *p <= '9') {
            digit = TRUE;
            continue;
        }
        if (*p == '.' && !point) {
            point = TRUE;
            continue;
        }
        if (*p == 'e' && p[1] == '-') {
            p++;
            continue;
        }
        return FALSE;
    }
    return digit;
}

/* A display value (units) in counts of the axis, both with 10 fraction bits. */
static DWORD CountsOf(DWORD x, const AXIS *axis, int units)
{
    if (units == UNITS_COUNTS)
        return x;
    if (axis->axUnits != (UINT)units + 1) {
        if (units == UNITS_INCHES)
            x = MulDivHalf(x, CM_PER_INCH, DISPLAY_ONE);
        else if (units == UNITS_CENTIMETERS)
            x = MulDivHalf(x, INCH_PER_CM, DISPLAY_ONE);
    }
    return MulDivHalf(x, Resolution10(axis), DISPLAY_ONE);
}

static int Refuse(void)
{
    MessageBeep(0);
    return 1;
}

int ParseTabletValue(TCHAR *text, DWORD *stored, int units, int kind)
{
    if (!text[0])
        return 1;

    AXIS axis;
    BOOL usable = ReadTabletAxis(kind, &axis);
    DWORD extent = (DWORD)(axis.axMax - axis.axMin);

    TCHAR suffix[SIGN_LEN];
    LoadUnitSign(units, 0, suffix);
    StripBlanks(suffix);
    StripBlanks(text);
    if (!text[0])
        return 1;
    TCHAR *sign = FindTail(text, suffix);
    if (sign)
        *sign = 0;

    if (!IsNumberText(text))
        return Refuse();
    /* Seven digits can say more than a display value holds: refused rather
       than wrapped round to a small count. */
    if (text[0] != '.' && ReadDecimal(text) > MAX_INTEGER_PART)
        return Refuse();
    if (!usable)
        return Refuse();

    DWORD x = CountsOf(TextToFixed(text), &axis, units);
    DWORD counts = RoundFixed(x, DISPLAY_BITS);
    /* The extent shows rounded to the display's step, and typed back as
       shown it is the extent. */
    DWORD halfStep = CountsOf(DISPLAY_ONE, &axis, units) / (2 * STEPS_PER_UNIT);
    if (counts > extent && (ULONGLONG)x <= ((ULONGLONG)extent << DISPLAY_BITS) + halfStep)
        counts = extent;
    if (counts > extent)
        return Refuse();
    if (counts == *stored)
        return 0;
    *stored = counts;
    return 1;
}
