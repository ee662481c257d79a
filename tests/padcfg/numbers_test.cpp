/*
 * Counts, resolutions and display units: the texts a person sees for a
 * tablet's lengths and resolutions, and what typed texts become, against the
 * stand-in's tablets.
 */
#include "panel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

static const char *const kInch = ""; /* the stand-in's 12 x 12 inches, 1000 lpi, extent 11999 */
static const char *const kCm = "[Device0]\r\nX=0, 12000, 2, 400\r\nY=0, 8000, 2, 400\r\n";
static const char *const kNoResolution = "[Device0]\r\nX=0, 12000, 1, 0\r\n";

class Numbers : public ::testing::Test
{
  protected:
    std::string tablet = "?";
    void Tablet(const char *ini)
    {
        if (tablet == ini)
            return;
        tablet = ini;
        SetEnvironmentVariableW(L"WINTAB_STANDIN_LOG", NULL);
        ASSERT_TRUE(LoadStandin(ini));
    }
    void TearDown() override
    {
        UnloadWintab();
        UseTablet("");
    }
};

TEST(MulDivHalf, HalvesEachOperandAndRoundsHalvesUp)
{
    EXPECT_EQ(6u, MulDivHalf(10, 3, 4)); /* 5 x 1 / 2 = 2.5 rounds up, doubled */
    EXPECT_EQ(402u, MulDivHalf(1024, 403, 1024));
    EXPECT_EQ(0xFFFFFFFEu, MulDivHalf(100, 100, 1)); /* halved to 0 */
    EXPECT_EQ(0xFFFFFFFEu, MulDivHalf(0xFFFFFFFF, 4, 2));
    EXPECT_EQ(0xFFFFFFFEu, MulDivHalf(0xFFFFFFFF, 2, 2));
}

TEST_F(Numbers, FormatsLengthsAndResolutionsWithTwoDecimalsAndTheirSuffix)
{
    const struct {
        const char *tablet;
        DWORD value;
        int units, kind;
        const wchar_t *expected;
    } cases[] = {
        {kInch, 12500, 0, 0, L"12.5\""},
        {kInch, 3000, 0, 0, L"3\""},
        {kInch, 125, 0, 0, L"0.12\""},
        {kInch, 2996, 0, 0, L"3\""},
        {kInch, 4, 0, 0, L"0\""},
        {kInch, 50, 0, 1, L"0.05\""},
        {kInch, 0, 1, 0, L"0 cm"},
        {kInch, 1234, 2, 0, L"1234"},
        {kInch, 1, 0, 2, L"1000 dpi"},
        {kInch, 1, 1, 3, L"392.58 dpcm"},
        {kInch, 1, 2, 2, NULL},
        {kCm, 12700, 1, 0, L"31.75 cm"},
        {kCm, 8000, 1, 1, L"20 cm"},
        {kCm, 12000, 0, 0, L"11.81\""},
        {kNoResolution, 5000, 0, 0, L"0\""},
        {kNoResolution, 1, 0, 2, L"0 dpi"},
    };
    for (const auto &t : cases) {
        Tablet(t.tablet);
        EXPECT_STREQ(t.expected, FormatTabletValue(t.value, t.units, t.kind))
            << t.value << " units " << t.units << " kind " << t.kind;
    }
}

TEST_F(Numbers, TypedTextBecomesACountOrIsRefusedKeepingTheOldOne)
{
    const DWORD kept = 77;
    const struct {
        const char *tablet;
        const wchar_t *text;
        int units;
        DWORD stored; /* kept: refused, empty, or the same count (result 0) */
    } cases[] = {
        {kInch, L"0.125", 0, 125},     {kInch, L" 0.125 \" ", 0, 125},
        {kInch, L"12.5 cm", 1, 4908},  {kInch, L"  12.5 \tcm  ", 1, 4908},
        {kInch, L"12.5cm", 1, 4908},   {kInch, L"12.5 cm", 0, kept},
        {kInch, L"5\"", 1, kept},      {kInch, L"1.2.3", 0, kept},
        {kInch, L"-1", 0, kept},       {kInch, L"+1", 0, kept},
        {kInch, L"1e5", 0, kept},      {kInch, L"1e", 0, kept},
        {kInch, L"1e-", 0, 1000},      {kInch, L"2.5e-1", 0, 250},
        {kInch, L".05", 0, 49},        {kInch, L"25e-1", 2, 25},
        {kInch, L"11999", 2, 11999},   {kInch, L"12000", 2, kept},
        {kInch, L"12", 0, 11999},      {kInch, L"12.01", 0, kept}, /* the extent as shown */
        {kInch, L"0.5000000", 0, 500}, {kInch, L"0.12345678", 0, 123},
        {kInch, L"\xFF15", 0, kept},   {kInch, L"1\x0662", 0, kept}, /* other digits */
        {kInch, L".", 0, kept},        {kInch, L"e-", 0, kept},
        {kInch, L"\"", 0, kept},       {kInch, L"77", 2, kept},
        {kInch, L"", 0, kept},         {kInch, L" \t ", 0, kept},
        {kInch, L"4194305", 2, kept},  {kInch, L"4194305", 0, kept}, /* would wrap to 1 */
        {kCm, L"30", 1, 12000},        {kCm, L"30.01", 1, kept},
        {kCm, L"11.81\"", 0, 11993},   {kNoResolution, L"1", 0, kept},
    };
    for (const auto &t : cases) {
        Tablet(t.tablet);
        WCHAR text[PARSE_TEXT_LEN];
        lstrcpyW(text, t.text);
        DWORD stored = kept;
        int beeps = g_beeps;
        int changed = ParseTabletValue(text, &stored, t.units, 0);
        EXPECT_EQ(t.stored, stored)
            << t.units << " " << std::string(t.text, t.text + wcslen(t.text));
        EXPECT_EQ(lstrcmpW(t.text, L"77") != 0, changed != 0);
        /* A text refused beeps; one without anything in it does not. */
        bool blank = wcsspn(t.text, L" \t") == wcslen(t.text);
        EXPECT_EQ(t.stored == kept && !blank && lstrcmpW(t.text, L"77") != 0, g_beeps != beeps)
            << t.units << " " << std::string(t.text, t.text + wcslen(t.text));
    }
}

/* Every count of an axis, shown and typed back, comes back within one
   display step (0.01 of the unit shown), give or take the 1/512 of the
   tablet's unit that the halved arithmetic works in; centimetres on an inch
   tablet also drift by the designed 402/1024 (0.32 %). The shown text of a
   count next to the extent may round past it, and is then refused. */
TEST_F(Numbers, EveryCountShownAndTypedBackComesBackWithinOneDisplayStep)
{
    const struct {
        const char *tablet;
        int units;
        double step, grain, drift;
    } cases[] = {
        {kInch, 0, 10, 1000 / 512.0, 0},
        {kInch, 1, 1000 / 254.0, 1000 / 512.0, 1 - 2600 * 402 / 1048576.0},
        {kCm, 0, 400 * 2.54 / 100, 400 / 512.0, 0},
        {kCm, 1, 4, 400 / 512.0, 0},
    };
    for (const auto &t : cases) {
        Tablet(t.tablet);
        DWORD extent = GetTabletWidth();
        for (DWORD count = 0, failures = 0; count <= extent && failures < 5; count++) {
            WCHAR text[PARSE_TEXT_LEN];
            lstrcpynW(text, FormatTabletValue(count, t.units, 0), PARSE_TEXT_LEN);
            DWORD stored = 0xFFFFFFFF;
            ParseTabletValue(text, &stored, t.units, 0);
            if (stored == 0xFFFFFFFF
                    ? count + t.step < extent
                    : fabs((double)stored - count) > t.step + t.grain + count * t.drift) {
                ADD_FAILURE() << "count " << count << " came back as " << (int)stored;
                failures++;
            }
        }
    }
}

TEST_F(Numbers, AnyTypedTextNeverCrashesNorGoesBeyondTheExtent)
{
    Tablet(kInch);
    const wchar_t alphabet[] = L"0123456789999..  \t\tee--+acmZ\"\x0661";
    const size_t letters = ARRAYSIZE(alphabet) - 1;
    std::mt19937 random(7);
    for (int i = 0; i < 20000; i++) {
        std::wstring s;
        bool run = random() % 8 == 0; /* long runs of one character */
        wchar_t runChar = alphabet[random() % letters];
        for (size_t k = random() % PARSE_TEXT_LEN; k > 0; k--)
            s += run ? runChar : alphabet[random() % letters];
        WCHAR text[PARSE_TEXT_LEN];
        lstrcpyW(text, s.c_str());
        DWORD stored = 77;
        ParseTabletValue(text, &stored, (int)(random() % 3), (int)(random() % 2));
        ASSERT_LE(stored, 11999u) << i;
        ASSERT_TRUE(stored == 77 || s.find_first_of(L"+aZ") == std::wstring::npos) << i;
    }
}
