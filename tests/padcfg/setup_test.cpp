/*
 * The Setup dialog opened from the real main window and driven as a person
 * drives it: typing and stepping the sensitivity, the four push buttons and
 * what each leaves in the driver, the button assignments with the warning
 * before a mouse button is lost, and the tracking area's fields.
 */
#include "panel.h"
#include "dialogdriver.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <sstream>

/* A 500 lines-per-inch tablet in relative mode at sensitivity 0.75 (0.5
   upward, which the panel does not show), its area 10 inches wide. */
static const char kRelative500[] = "[Device0]\r\nX=0, 5999, 1, 500\r\nY=0, 5999, 1, 500\r\n"
                                   "[Context0]\r\nInExtX=5000\r\nInExtY=5999\r\nOutExtX=5999\r\n"
                                   "OutExtY=5999\r\nSysMode=1\r\nSysSensX=0.75\r\nSysSensY=0.5\r\n";

/* A tablet's axes: origin, extent in counts and lines per inch of each. */
struct Axes {
    LONG x0, y0, w, h, rx, ry;
};
static const Axes k10000 = {0, 0, 10000, 10000, 1000, 1000};
static const Axes kWide = {0, 0, 10000, 5000, 1000, 1000};         /* 10 x 5 inches */
static const Axes kShifted = {100, 100, 11999, 11999, 1000, 1000}; /* from 100 to 12099 */
static const Axes kUneven = {0, 0, 10000, 4000, 1000, 500};        /* 10 x 8 inches */
static const Axes k3By2 = {0, 0, 12000, 8000, 1000, 1000};

/* The tablet with an area: its left edge and width, and its top and height
   from the top edge, in counts from the top-left corner. */
static std::string Tablet(const Axes &a, LONG left, LONG width, LONG top, LONG height)
{
    auto axis = [](LONG o, LONG e, LONG r) {
        return std::to_string(o) + ", " + std::to_string(o + e) + ", 1, " + std::to_string(r);
    };
    return "[Device0]\r\nX=" + axis(a.x0, a.w, a.rx) + "\r\nY=" + axis(a.y0, a.h, a.ry) +
           "\r\n[Context0]\r\nInOrgX=" + std::to_string(a.x0 + left) +
           "\r\nInExtX=" + std::to_string(width) +
           "\r\nInOrgY=" + std::to_string(a.y0 + a.h - top - height) +
           "\r\nInExtY=" + std::to_string(height) + "\r\n";
}

/* A 10 x 10 inch tablet (10,000 counts a side). */
static std::string Tablet10000(int left, int width, int top = 0, int height = 10000)
{
    return Tablet(k10000, left, width, top, height);
}

/* The screen's height over its width, in length: the proportions Preserve
   Aspect Ratio keeps. */
static double ScreenAspect()
{
    HDC ic = CreateICW(L"DISPLAY", NULL, NULL, NULL);
    double aspect = (double)GetDeviceCaps(ic, VERTSIZE) / GetDeviceCaps(ic, HORZSIZE);
    DeleteDC(ic);
    return aspect;
}

/* Fields of a context, by their place in the record, and their values. */
typedef std::vector<std::pair<size_t, LONG>> Fields;
#define FIELD(name, value) std::make_pair(offsetof(LOGCONTEXTW, name), (LONG)(value))

static Fields AreaFields(const Axes &a, const AreaRect &r)
{
    return {FIELD(lcInOrgX, a.x0 + r.left), FIELD(lcInOrgY, a.y0 + a.h - r.bottom),
            FIELD(lcInExtX, r.right - r.left), FIELD(lcInExtY, r.bottom - r.top)};
}

/* The driver before a person's steps (its contexts, then the rest of
   DriverState: the maps), and the beeps the steps gave. */
struct Before {
    std::vector<LOGCONTEXTW> contexts;
    std::string maps;
    int beeps;
};

/* The driver as before but for these fields of every system context of the
   device and of the manager's default one (the last); the maps unchanged. */
static void ExpectDriver(const Before &before, const Fields &changes)
{
    std::vector<LOGCONTEXTW> after = Contexts();
    ASSERT_EQ(before.contexts.size(), after.size());
    for (size_t i = 0; i < after.size(); i++) {
        LOGCONTEXTW lc = before.contexts[i];
        if (i + 1 == after.size() ||
            (_wcsnicmp(lc.lcName, L"Default System", 14) == 0 && lc.lcDevice == 0))
            for (const auto &f : changes)
                memcpy((BYTE *)&lc + f.first, &f.second, sizeof(LONG));
        lc.lcStatus = after[i].lcStatus;
        EXPECT_EQ(0, memcmp(&lc, &after[i], sizeof(lc))) << "context " << i;
    }
    EXPECT_EQ(before.maps, DriverState().substr(after.size() * sizeof(LOGCONTEXTW)));
}

class Setup : public ::testing::Test
{
  protected:
    void TearDown() override
    {
        StopPanel();
        UseTablet("");
    }
    /* The panel on this tablet, and the Setup dialog opened from the menu. */
    void Open(const std::string &ini, const DialogScript &script)
    {
        ASSERT_NE((HWND)NULL, RestartPanel(ini));
        OpenAgain(script);
    }
    static void OpenAgain(const DialogScript &script)
    {
        EXPECT_TRUE(DriveDialog(
            L"Tablet Setup", [] { SendMessageW(MainWindow(), WM_COMMAND, IDM_SETUP, 0); }, script));
    }
};

/* Typed text is taken when the field loses the focus. */
static void Enter(HWND dlg, int id, const wchar_t *text)
{
    Type(dlg, id, text);
    PressKey(dlg, VK_TAB);
}

/* What a person does, word by word: a button or box clicked ("ok",
   "default", "whole", ...) or a text typed into a field ("width=2",
   "sens=50"), taken as the focus moves to another field; the driver before
   the steps, and their beeps. */
static Before Act(HWND dlg, const std::string &steps)
{
    Before before = {Contexts(), "", g_beeps};
    before.maps = DriverState().substr(before.contexts.size() * sizeof(LOGCONTEXTW));
    static const char *const words[] = {"ok",    "cancel", "test",  "revert", "default",
                                        "whole", "sens",   "width", "height", "left",
                                        "top",   "right",  "bottom"};
    static const int ids[] = {IDOK,
                              IDCANCEL,
                              IDC_TEST,
                              IDC_REVERT,
                              IDC_DEFAULT_BUTTONS,
                              IDC_WHOLE_TABLET,
                              IDC_SENS_EDIT,
                              IDC_WIDTH,
                              IDC_HEIGHT,
                              IDC_LEFT,
                              IDC_TOP,
                              IDC_RIGHT,
                              IDC_BOTTOM};
    std::istringstream in(steps);
    for (std::string w; in >> w;) {
        size_t eq = w.find('=');
        int id = 0;
        for (int i = 0; i < (int)ARRAYSIZE(ids); i++)
            id = w.compare(0, eq, words[i]) == 0 ? ids[i] : id;
        EXPECT_NE(0, id) << w;
        if (eq == std::string::npos) {
            Click(dlg, id);
        } else {
            Type(dlg, id, std::wstring(w.begin() + eq + 1, w.end()).c_str());
            Focus(dlg, id == IDC_WIDTH ? IDC_LEFT : IDC_WIDTH); /* not into the picture */
        }
    }
    before.beeps = g_beeps - before.beeps;
    return before;
}

TEST_F(Setup, SensitivityIsTypedInPerCentAndSteppedBetweenOneAndAHundred)
{
    const struct {
        const wchar_t *typed;
        const wchar_t *shown;
        int beeps;
    } cases[] = {
        {L"50%", L"50%", 0}, {L"50 %", L"75%", 1}, {L"150", L"100%", 1}, {L"0", L"75%", 1},
        {L"", L"75%", 0},    {L"7a", L"75%", 1},   {L"+5", L"75%", 1},   {L"1", L"1%", 0},
    };
    Open(kRelative500, [&](HWND dlg) {
        EXPECT_EQ(L"75%", ItemText(dlg, IDC_SENS_EDIT));
        for (const auto &c : cases) {
            Enter(dlg, IDC_SENS_EDIT, L"75");
            int beeps = g_beeps;
            Enter(dlg, IDC_SENS_EDIT, c.typed);
            EXPECT_EQ(c.shown, ItemText(dlg, IDC_SENS_EDIT)) << c.typed;
            EXPECT_EQ(c.beeps, g_beeps - beeps) << c.typed;
        }

        /* The arrow keys in the field step it, and stop at the ends. */
        const struct {
            const wchar_t *from;
            UINT key;
            const wchar_t *after1, *after2;
        } steps[] = {{L"99", VK_UP, L"100%", L"100%"}, {L"2", VK_DOWN, L"1%", L"1%"}};
        for (const auto &s : steps) {
            Enter(dlg, IDC_SENS_EDIT, s.from);
            Focus(dlg, IDC_SENS_EDIT);
            PressKey(dlg, s.key);
            EXPECT_EQ(s.after1, ItemText(dlg, IDC_SENS_EDIT));
            PressKey(dlg, s.key);
            EXPECT_EQ(s.after2, ItemText(dlg, IDC_SENS_EDIT));
        }
        PressKey(dlg, VK_ESCAPE);
    });
}

/* What Setup writes is what it read, but for what the person changed: a
   value only shown rounded, capped or kept on the tablet goes back as read. */
TEST_F(Setup, WritesBackWhatItReadButForWhatThePersonChanged)
{
    const std::string capped = "[Context0]\r\nSysMode=1\r\nSysSensX=1\r\nSysSensY=1\r\n";
    const std::string offTablet = Tablet10000(-500, 20000, 9000, -1000);
    const std::string two = "[Interface]\r\nSystemContexts=2\r\n[Context0]\r\nInOrgX=1000\r\n"
                            "InExtX=2000\r\nSysSensX=0.5\r\n[Context1]\r\nName=Default System 2\r\n"
                            "InOrgX=3000\r\nInExtX=4000\r\nSysMode=1\r\n"
                            "[DefaultSystem0]\r\nInExtX=5000\r\n";
    const std::string shifted = Tablet(kShifted, 0, 11999, 0, 11999);
    const std::string tiny = "[Device0]\r\nX=0, 11999, 1, 0x1\r\n" + capped;
    const struct {
        std::string tablet, steps;
        Fields changes = {};
        int beeps = 0;
    } cases[] = {
        /* Sensitivity 1.0 shows as 100 % (0.5 on a tablet of 1000 lines) */
        {capped, "ok"},
        {capped, "test cancel"},
        {capped, "sens=99 sens=100 ok"},
        {capped, "sens=50 ok", {FIELD(lcSysSensX, 0x4000), FIELD(lcSysSensY, 0x4000)}},
        {kRelative500, "ok"}, /* its upward sensitivity differs */
        {offTablet, "cancel"},
        {offTablet, "revert ok"},
        {offTablet, "default default ok"},
        {"[Cursor0]\r\nSysButtonMap=0x11,0x04\r\nDefaultSysButtonMap=0x21,0x04\r\n", "ok"},
        {"[Context0]\r\nOptions=3\r\nSysMode=1\r\n", "ok"}, /* a pen context */
        {two, "width=4 ok", {FIELD(lcInOrgX, 0), FIELD(lcInExtX, 4000)}},
        {shifted, "ok"}, /* its whole tablet */
        {shifted, "whole width=2 ok", {FIELD(lcInOrgX, 5099), FIELD(lcInExtX, 2000)}},
        {tiny, "sens=50 ok"}, /* too small a resolution to turn it back with */
        /* Default learns only the buttons: the area stays the person's */
        {Tablet10000(0, 10000),
         "whole default default width=2 ok",
         {FIELD(lcInOrgX, 4000), FIELD(lcInExtX, 2000)}},
        /* an empty area beeps and is not taken */
        {Tablet10000(1000, 2000), "width=0 left=10 right=10 height=0 ok", {}, 4},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.tablet + c.steps);
        Before before;
        Open(c.tablet, [&](HWND dlg) { before = Act(dlg, c.steps); });
        ExpectDriver(before, c.changes);
        EXPECT_EQ(c.beeps, before.beeps);
    }
}

TEST_F(Setup, TestAppliesWhileOpenCancelAndRevertPutBackWhatWasRead)
{
    std::string before;
    Open(kRelative500, [&](HWND dlg) {
        before = DriverState();
        Click(dlg, IDC_ABSOLUTE);
        for (int id : {IDC_SENS_LABEL, IDC_SENS_EDIT, IDC_SENS_SPIN})
            EXPECT_FALSE(ItemEnabled(dlg, id)) << id;
        Click(dlg, IDC_RELATIVE);
        for (int id : {IDC_SENS_LABEL, IDC_SENS_EDIT, IDC_SENS_SPIN})
            EXPECT_TRUE(ItemEnabled(dlg, id)) << id;

        Click(dlg, IDC_ABSOLUTE);
        Enter(dlg, IDC_WIDTH, L"2");
        Choose(dlg, IDC_ACTION_LIST, 2);
        Click(dlg, IDC_TEST);
        EXPECT_TRUE(IsWindowVisible(dlg)) << "Test leaves the dialog open";
        EXPECT_NE(before, DriverState());
        EXPECT_EQ(0, Contexts()[0].lcSysMode);
        EXPECT_EQ(1000, Contexts()[0].lcInExtX);
        EXPECT_EQ(2, Map(0)[0]);

        /* Revert: the driver and the dialog as at opening, the percentage
           too. */
        Click(dlg, IDC_RELATIVE);
        Enter(dlg, IDC_SENS_EDIT, L"40");
        EXPECT_EQ(L"40%", ItemText(dlg, IDC_SENS_EDIT));
        Click(dlg, IDC_REVERT);
        EXPECT_EQ(before, DriverState());
        EXPECT_TRUE(ItemChecked(dlg, IDC_RELATIVE));
        EXPECT_EQ(L"75%", ItemText(dlg, IDC_SENS_EDIT));
        EXPECT_EQ(L"10\"", ItemText(dlg, IDC_WIDTH));
        EXPECT_EQ(L"Left Click", ChosenText(dlg, IDC_ACTION_LIST));

        Click(dlg, IDC_ABSOLUTE);
        Click(dlg, IDC_TEST);
        EXPECT_NE(before, DriverState());
        PressKey(dlg, VK_ESCAPE);
    });
    EXPECT_EQ(before, DriverState());
}

TEST_F(Setup, UnitsReachInformationOnlyThroughOkAndTheAspectRuleLastsTheRun)
{
    Open("", [](HWND dlg) {
        EXPECT_EQ(L"Inches", ChosenText(dlg, IDC_UNITS));
        Choose(dlg, IDC_UNITS, 1);
        EXPECT_EQ(L"30.46 cm", ItemText(dlg, IDC_WIDTH));
        Click(dlg, IDC_KEEP_ASPECT);
        Click(dlg, IDCANCEL);
    });
    auto infoUnits = [] {
        std::wstring units;
        DriveDialog(
            L"Tablet Information",
            [] { SendMessageW(MainWindow(), WM_COMMAND, IDM_INFORMATION, 0); },
            [&](HWND info) {
                units = ChosenText(info, IDC_INFO_UNITS);
                PressKey(info, VK_ESCAPE);
            });
        return units;
    };
    EXPECT_EQ(L"Inches", infoUnits());
    /* Nor when OK is refused at the warning and the dialog then cancelled. */
    OpenAgain([](HWND dlg) {
        Choose(dlg, IDC_UNITS, 1);
        Choose(dlg, IDC_ACTION_LIST, 0);
        DriveDialog(
            L"Warning", [&] { Click(dlg, IDOK); }, [](HWND box) { Click(box, IDCANCEL); });
        Click(dlg, IDCANCEL);
    });
    EXPECT_EQ(L"Inches", infoUnits());

    OpenAgain([](HWND dlg) {
        EXPECT_TRUE(ItemChecked(dlg, IDC_KEEP_ASPECT)) << "kept through Cancel";
        Choose(dlg, IDC_UNITS, 1);
        Click(dlg, IDOK);
    });
    EXPECT_EQ(L"Centimeters", infoUnits());
    OpenAgain([](HWND dlg) {
        EXPECT_EQ(L"Centimeters", ChosenText(dlg, IDC_UNITS));
        PressKey(dlg, VK_ESCAPE);
    });
}

TEST_F(Setup, EachButtonShowsItsActionAndDefaultShowsTheCursorsOwnMap)
{
    const char ini[] = "[Cursor0]\r\nButtons=3\r\nButtonNames=Tip, Barrel, Eraser\r\n"
                       "SysButtonMap=0x24,0x14,0x07\r\nDefaultSysButtonMap=0x01,0x04,0x02\r\n";
    Open(ini, [](HWND dlg) {
        EXPECT_EQ((std::vector<std::wstring>{L"Tip", L"Barrel", L"Eraser"}),
                  ListEntries(dlg, IDC_BUTTON_LIST));
        EXPECT_EQ(10u, ListEntries(dlg, IDC_ACTION_LIST).size());
        EXPECT_FALSE(ItemChecked(dlg, IDC_DEFAULT_BUTTONS));
        EXPECT_EQ(L"Right Click", ChosenText(dlg, IDC_ACTION_LIST));
        Choose(dlg, IDC_BUTTON_LIST, 2);
        EXPECT_EQ(L"Middle Click", ChosenText(dlg, IDC_ACTION_LIST));
        Choose(dlg, IDC_BUTTON_LIST, 0);

        /* The cursor's default, learnt without changing the driver. */
        Click(dlg, IDC_DEFAULT_BUTTONS);
        EXPECT_TRUE(ItemChecked(dlg, IDC_DEFAULT_BUTTONS));
        EXPECT_FALSE(ItemEnabled(dlg, IDC_ACTION_LIST));
        EXPECT_EQ(L"Left Click", ChosenText(dlg, IDC_ACTION_LIST));
        EXPECT_EQ(0x24, Map(0)[0]);
        Click(dlg, IDC_DEFAULT_BUTTONS);
        EXPECT_TRUE(ItemEnabled(dlg, IDC_ACTION_LIST));
        EXPECT_EQ(L"Left Click", ChosenText(dlg, IDC_ACTION_LIST));

        /* Choosing keeps the high nibble. */
        Choose(dlg, IDC_ACTION_LIST, 4);
        Choose(dlg, IDC_BUTTON_LIST, 1);
        Choose(dlg, IDC_ACTION_LIST, 1);
        Click(dlg, IDOK);
    });
    /* The default's actions stayed after Default was cleared. */
    EXPECT_EQ(0x24, Map(0)[0]);
    EXPECT_EQ(0x11, Map(0)[1]);
    EXPECT_EQ(0x02, Map(0)[2]);
}

/* Memory the panel takes without asking for it zeroed comes filled, as
   memory used before would be, so that a list it reads without its end runs
   on into the filling. */
DECLARE_IMPORT_SLOT(HeapAlloc, 12);
static LPVOID(WINAPI *s_realHeapAlloc)(HANDLE, DWORD, SIZE_T);

static LPVOID WINAPI FilledHeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes)
{
    LPVOID block = s_realHeapAlloc(heap, flags, bytes);
    if (block && !(flags & HEAP_ZERO_MEMORY))
        memset(block, 0x41, bytes);
    return block;
}

TEST_F(Setup, ButtonNamesAreShownWholeOrNotAtAll)
{
    std::string longName(150, 'n');
    std::wstring shownLong(150, L'n');
    const struct {
        std::string names;
        std::vector<std::wstring> shown;
        std::vector<Misreport> misreports;
    } cases[] = {
        {"", {}, {}},
        {longName + "1, " + longName + "2, " + longName + "3",
         {shownLong + L"1", shownLong + L"2", shownLong + L"3"},
         {}},
        /* a line break or tab would break the entry or show as a box */
        {"Ti\\r\\np, Bar\\trel", {L"Ti  p", L"Bar rel"}, {}},
        /* more than any answer may take */
        {"", {}, {{WTI_CURSORS, CSR_BTNNAMES, 0, std::wstring(33000, L'n') + std::wstring(2, 0)}}},
        /* the list, and its last name, without their terminators */
        {"",
         {L"Tip", L"Barrel"},
         {{WTI_CURSORS, CSR_BTNNAMES, 0, std::wstring(L"Tip\0Barrel", 10)}}},
    };
    s_realHeapAlloc = (LPVOID(WINAPI *)(HANDLE, DWORD, SIZE_T))RedirectImport(
        &imp_HeapAlloc, (void *)FilledHeapAlloc);
    for (const auto &c : cases) {
        ASSERT_NE((HWND)NULL, RestartPanel("[Cursor0]\r\nButtonNames=" + c.names + "\r\n"));
        InstallMisreports(c.misreports);
        OpenAgain([&](HWND dlg) {
            EXPECT_EQ(c.shown, ListEntries(dlg, IDC_BUTTON_LIST));
            PressKey(dlg, VK_ESCAPE);
        });
    }
    RedirectImport(&imp_HeapAlloc, (void *)s_realHeapAlloc);
}

TEST_F(Setup, SettingsThatLoseTheLeftMouseButtonStandOnlyWhenThePersonSaysOk)
{
    Open("[Cursor0]\r\nSysButtonMap=0x01,0x04\r\n", [](HWND dlg) {
        Choose(dlg, IDC_ACTION_LIST, 0);
        for (UINT answer : {IDCANCEL, IDOK}) {
            DriveDialog(
                L"Warning", [&] { Click(dlg, IDOK); },
                [&](HWND box) {
                    EXPECT_EQ(L"Current settings will disable the left mouse button!",
                              ReadMessageBox(box).text);
                    EXPECT_EQ(0x01, Map(0)[0]) << "the driver keeps the old map meanwhile";
                    Click(box, answer);
                });
            EXPECT_EQ(answer == IDCANCEL, IsWindowVisible(dlg) != 0);
        }
    });
    EXPECT_EQ(0x00, Map(0)[0]);
}

/* On square and wide tablets, one whose axes start at 100 and one whose
   lines are twice as long upward; with Preserve Aspect Ratio (already on at
   opening) the derived side is the screen's proportion in length, to within
   the rounding (tol counts), and the area stays on the tablet. */
TEST_F(Setup, TypedSizesChangeAboutTheCentreAndMarginsMoveTheArea)
{
    const double screen = ScreenAspect();
    const struct {
        const Axes &axes;
        AreaRect area; /* left, top, width, height */
        DWORD keep;
        std::string steps;
        AreaRect expected; /* left, top, right, bottom */
        int beeps = 0;
    } cases[] = {
        {k10000, {1000, 0, 2000, 10000}, 0, "width=3", {500, 0, 3500, 10000}},
        {k10000, {200, 0, 2000, 10000}, 0, "width=3", {0, 0, 3000, 10000}},
        {k10000, {7900, 0, 2000, 10000}, 0, "width=3", {7000, 0, 10000, 10000}},
        {k10000, {1000, 0, 2000, 10000}, 0, "left=0.5", {500, 0, 2500, 10000}},
        {k10000, {1000, 0, 8000, 10000}, 0, "left=3", {3000, 0, 10000, 10000}},
        {k10000, {1000, 0, 2000, 10000}, 0, "right=0.5", {7500, 0, 9500, 10000}},
        {k10000, {1000, 0, 2000, 10000}, 0, "right=10.01", {1000, 0, 3000, 10000}, 1},
        {kWide, {1000, 3900, 2000, 1000}, 0, "height=2", {1000, 3000, 3000, 5000}},
        {kWide, {1000, 3900, 2000, 1000}, 0, "top=1", {1000, 1000, 3000, 2000}},
        {kWide, {1000, 3900, 2000, 1000}, 0, "bottom=0.5", {1000, 3500, 3000, 4500}},
        {kWide, {1000, 3900, 2000, 1000}, 0, "bottom=5", {1000, 3900, 3000, 4900}, 1},
        {kShifted, {1000, 3000, 2000, 1000}, 0, "left=0.5", {500, 3000, 2500, 4000}},
        {kShifted, {1000, 3000, 2000, 1000}, 0, "height=2", {1000, 2500, 3000, 4500}},
        {kShifted, {1000, 3000, 2000, 1000}, 0, "top=0.1", {1000, 100, 3000, 1100}},
        {kUneven, {1000, 1000, 2000, 1000}, 1, "width=8", {0, 2, 8000, 2998}},
        {kUneven, {1000, 1000, 2000, 1000}, 1, "height=4", {0, 500, 5340, 2500}},
        {k3By2, {0, 3500, 12000, 1000}, 1, "left=1", {1000, 0, 11680, 8000}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.axes.w << "x" << c.axes.h << " from " << c.area.left
                                        << "," << c.area.top << " " << c.steps);
        Before before;
        AreaRect taken = {0, 0, 0, 0};
        g_panel.keepAspect = c.keep;
        Open(Tablet(c.axes, c.area.left, c.area.right, c.area.top, c.area.bottom), [&](HWND dlg) {
            before = Act(dlg, c.steps);
            const TabletSettings &w = SetupOf(dlg)->working;
            taken = {w.left, w.top, w.right, w.bottom};
            const DWORD shown[] = {
                taken.right - taken.left, taken.bottom - taken.top, taken.left, taken.top,
                c.axes.w - taken.right,   c.axes.h - taken.bottom};
            for (int i = 0; i < 6; i++)
                EXPECT_EQ(FormatTabletValue(shown[i], UNITS_INCHES, i % 2),
                          ItemText(dlg, IDC_WIDTH + 3 * i))
                    << i;
            Click(dlg, IDOK);
        });
        for (int i = 0; i < 4; i++)
            EXPECT_NEAR((&c.expected.left)[i], (&taken.left)[i], c.keep ? 3 : 0) << i;
        EXPECT_LE(taken.right, (DWORD)c.axes.w);
        EXPECT_LE(taken.bottom, (DWORD)c.axes.h);
        if (c.keep) { /* lines per inch, rx and ry, turn counts into lengths */
            EXPECT_NEAR(screen,
                        (double)(taken.bottom - taken.top) / c.axes.ry /
                            ((double)(taken.right - taken.left) / c.axes.rx),
                        0.002);
        }
        EXPECT_EQ(c.beeps, before.beeps);
        ExpectDriver(before, c.beeps ? Fields() : AreaFields(c.axes, taken));
    }
}

TEST_F(Setup, FieldsPassedThroughKeepTheAreaToTheCountAndTypedOnesAreTaken)
{
    /* The fields show 1.23", 5.68", ...: read back, each would move the area. */
    Open(Tablet10000(1234, 5678, 2345, 4567), [&](HWND dlg) {
        Focus(dlg, IDC_WIDTH);
        for (int i = 0; i < 5; i++)
            PressKey(dlg, VK_TAB);
        EXPECT_EQ(IDC_BOTTOM, FocusId(dlg));
        Click(dlg, IDOK);
    });
    EXPECT_EQ(1234, Contexts()[0].lcInOrgX);
    EXPECT_EQ(5678, Contexts()[0].lcInExtX);
    EXPECT_EQ(10000 - 2345 - 4567, Contexts()[0].lcInOrgY);
    EXPECT_EQ(4567, Contexts()[0].lcInExtY);

    /* The same text typed is a value given: it is taken. */
    OpenAgain([&](HWND dlg) {
        EXPECT_EQ(L"1.23\"", ItemText(dlg, IDC_LEFT));
        Enter(dlg, IDC_LEFT, L"1.23\"");
        Click(dlg, IDOK);
    });
    EXPECT_EQ(1229, Contexts()[0].lcInOrgX);
}

TEST_F(Setup, StepsGoToTheNextHundredthOfAnInchAndStopAtTheEdges)
{
    const struct {
        int left, width, field;
        UINT key;
        DWORD value; /* of the field after the step */
    } cases[] = {
        {1000, 1234, IDC_WIDTH, VK_UP, 1240}, {1000, 1234, IDC_WIDTH, VK_DOWN, 1220},
        {0, 1234, IDC_LEFT, VK_DOWN, 0},      {8766, 1234, IDC_RIGHT, VK_DOWN, 0},
        {8770, 1230, IDC_RIGHT, VK_UP, 10},   {1000, 9000, IDC_LEFT, VK_UP, 1010},
        {0, 5, IDC_RIGHT, VK_UP, 9995}, /* a margin never steps past the tablet, nor empties it */
    };
    for (const auto &c : cases) {
        Open(Tablet10000(c.left, c.width), [&](HWND dlg) {
            Focus(dlg, c.field);
            PressKey(dlg, c.key);
            const TabletSettings &w = SetupOf(dlg)->working;
            DWORD value = c.field == IDC_WIDTH  ? w.right - w.left
                          : c.field == IDC_LEFT ? w.left
                                                : 10000 - w.right;
            EXPECT_EQ(c.value, value) << c.left << "+" << c.width << " field " << c.field;
            EXPECT_LE(w.right, 10000u);
            EXPECT_LE(w.left, w.right);
            PressKey(dlg, VK_ESCAPE);
        });
    }
}

TEST_F(Setup, WholeTabletUnitsAndTheAspectRule)
{
    Open(Tablet10000(1000, 8000, 4000, 2000), [](HWND dlg) {
        const int fields[] = {IDC_WIDTH, IDC_HEIGHT, IDC_LEFT, IDC_TOP, IDC_RIGHT, IDC_BOTTOM};

        /* The rule raises a wide area's height about its centre. */
        const TabletSettings &working = SetupOf(dlg)->working;
        Click(dlg, IDC_KEEP_ASPECT);
        DWORD w = working.right - working.left, h = working.bottom - working.top;
        EXPECT_EQ(8000u, w);
        EXPECT_NEAR(8000 * ScreenAspect(), h, 3);
        EXPECT_NEAR(5000, (working.top + working.bottom) / 2.0, 1);
        Click(dlg, IDC_KEEP_ASPECT);

        /* Another unit shows the same area in it. */
        TabletSettings area = working;
        Choose(dlg, IDC_UNITS, 1);
        EXPECT_EQ(0, memcmp(&area, &working, sizeof(area)));
        EXPECT_EQ(FormatTabletValue(8000, UNITS_CENTIMETERS, 0), ItemText(dlg, IDC_WIDTH));
        for (int id : fields)
            EXPECT_NE(std::wstring::npos, ItemText(dlg, id).find(L" cm")) << id;

        Click(dlg, IDC_WHOLE_TABLET);
        EXPECT_EQ(L"25.39 cm", ItemText(dlg, IDC_WIDTH));
        EXPECT_EQ(L"0 cm", ItemText(dlg, IDC_LEFT));
        EXPECT_EQ(L"0 cm", ItemText(dlg, IDC_BOTTOM));
        for (int id = IDC_WIDTH_LABEL; id <= IDC_AREA; id++)
            EXPECT_FALSE(ItemEnabled(dlg, id)) << id;
        EXPECT_FALSE(ItemEnabled(dlg, IDC_KEEP_ASPECT));
        EXPECT_TRUE(ItemEnabled(dlg, IDC_UNITS));
        EXPECT_TRUE(ItemEnabled(dlg, IDC_UNITS_LABEL));

        Click(dlg, IDC_WHOLE_TABLET);
        EXPECT_TRUE(ItemEnabled(dlg, IDC_WIDTH));
        EXPECT_EQ(10000u, working.right - working.left) << "the whole tablet, now editable";
        Click(dlg, IDOK);
    });
    EXPECT_EQ(0, Contexts()[0].lcInOrgX);
    EXPECT_EQ(10000, Contexts()[0].lcInExtX);
}

TEST_F(Setup, AnAreaTheDriverReportsPastTheTabletShowsOnIt)
{
    /* From -500 20,000 counts wide, from 2,000 upward -1,000 high. */
    Open(Tablet10000(-500, 20000, 9000, -1000), [](HWND dlg) {
        const struct {
            int id;
            const wchar_t *shown;
        } fields[] = {{IDC_WIDTH, L"10\""}, {IDC_LEFT, L"0\""}, {IDC_RIGHT, L"0\""},
                      {IDC_HEIGHT, L"0\""}, {IDC_TOP, L"9\""},  {IDC_BOTTOM, L"1\""}};
        for (const auto &f : fields)
            EXPECT_EQ(f.shown, ItemText(dlg, f.id)) << f.id;
        PressKey(dlg, VK_ESCAPE);
    });
}

TEST_F(Setup, TwoPenClicksPointOutTheAreaWhileTheStatusLinePromptsAndOkStoresIt)
{
    /* The built-in tablet (11,999 counts a side) with a smaller area. */
    Open("[Context0]\r\nInOrgX=1000\r\nInExtX=5000\r\nInOrgY=1000\r\nInExtY=5000\r\n",
         [](HWND dlg) {
             PenEventProc pen = StandinPen();
             ASSERT_TRUE(pen != NULL);
             /* The pen at x, y (counts, y upward), with button 0 down or up. */
             auto at = [&](LONG x, LONG y, DWORD buttons) {
                 pen(0, buttons, x, y);
                 DialogPump(dlg, 20);
             };
             const struct {
                 LONG x, y;
                 DWORD buttons;
                 const wchar_t *status;
                 const wchar_t *left, *bottom; /* margins shown */
             } steps[] = {
                 {6000, 6000, 0, L"Click on lower-left corner of active area", L"0\"", L"0\""},
                 {2000, 2000, 1, L"Click on upper-right corner of active area", L"2\"", L"2\""},
                 {2000, 2000, 0, L"Click on upper-right corner of active area", L"2\"", L"2\""},
                 {1000, 9000, 0, L"Out of range!", L"2\"", L"2\""},
                 {1000, 9000, 1, L"Out of range!", L"2\"", L"2\""},
                 {1000, 9000, 0, L"Out of range!", L"2\"", L"2\""},
                 {8000, 9000, 0, L"Click on upper-right corner of active area", L"2\"", L"2\""},
                 {8000, 9000, 1, L"Active area rectangle defined.", L"2\"", L"2\""},
                 {8000, 9000, 0, L"Active area rectangle defined.", L"2\"", L"2\""},
             };
             Focus(dlg, IDC_AREA);
             for (const auto &s : steps) {
                 at(s.x, s.y, s.buttons);
                 EXPECT_EQ(s.status, ItemText(dlg, IDC_STATUS)) << s.x << "," << s.y;
                 EXPECT_EQ(s.left, ItemText(dlg, IDC_LEFT)) << s.x << "," << s.y;
                 EXPECT_EQ(s.bottom, ItemText(dlg, IDC_BOTTOM)) << s.x << "," << s.y;
             }
             EXPECT_EQ(L"6\"", ItemText(dlg, IDC_WIDTH));
             EXPECT_EQ(L"7\"", ItemText(dlg, IDC_HEIGHT));
             PressKey(dlg, VK_TAB);
             EXPECT_EQ(L" ", ItemText(dlg, IDC_STATUS));
             EXPECT_EQ(L"6\"", ItemText(dlg, IDC_WIDTH)) << "a defined area stays";
             Click(dlg, IDOK);
         });
    LOGCONTEXTW lc = Contexts()[0];
    EXPECT_EQ(2000, lc.lcInOrgX);
    EXPECT_EQ(2000, lc.lcInOrgY);
    EXPECT_EQ(6000, lc.lcInExtX);
    EXPECT_EQ(7000, lc.lcInExtY);
}
