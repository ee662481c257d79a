/*
 * The Features dialog, opened by the Transducer command on a driver without a
 * configuration dialog of its own: the cursor types a person sees, the one
 * chosen, and what the driver holds after OK or Cancel.
 */
#include "panel.h"

#include "dialogdriver.h"

#include <gtest/gtest.h>

#include <cstdio>

typedef std::vector<std::pair<int, int>> EnableCallList; /* (cursor, enable) */

struct FeaturesCase {
    const char *what;
    std::string ini; /* besides the stand-in's stylus (cursor 0) and puck (cursor 1) */
    std::vector<std::wstring> entries;
    std::wstring chosen; /* preselected */
    int choose;          /* the entry the person picks, -1 none */
    int button;
    EnableCallList calls;
    std::vector<int> activeAfter; /* CSR_ACTIVE of cursors 0 and 1 */
};

static std::string Active(int stylus, int puck)
{
    return "[Cursor0]\r\nActive=" + std::to_string(stylus) +
           "\r\n[Cursor1]\r\nActive=" + std::to_string(puck) + "\r\n";
}

static EnableCallList EnableCalls()
{
    EnableCallList calls;
    for (const std::string &line : CallLog()) {
        int cursor, enable;
        if (sscanf(line.c_str(), "WTMgrCsrEnable(%*[^,], %d, %d)", &cursor, &enable) == 2)
            calls.push_back({cursor, enable});
    }
    return calls;
}

/* What the driver holds, read afresh from its description. */
static std::vector<int> ActiveCursors()
{
    std::vector<int> active;
    for (UINT c = 0; c < 2; c++) {
        BOOL on = -1;
        WTInfoCopy(WTI_CURSORS + c, CSR_ACTIVE, &on, sizeof(on));
        active.push_back(on);
    }
    EXPECT_TRUE(StandinLoaded());
    UnloadWintab();
    return active;
}

static void RunFeatures(const FeaturesCase &c)
{
    SCOPED_TRACE(c.what);
    ResetPanelState();
    UseDriver(DRIVER_STANDIN);
    UseTablet(c.ini);
    StartCallLog();
    ASSERT_NE((HWND)NULL, StartPanel());

    std::vector<std::wstring> entries;
    std::wstring chosen;
    EXPECT_TRUE(DriveDialog(
        L"Features", [] { SendMessageW(MainWindow(), WM_COMMAND, IDM_TRANSDUCER, 0); },
        [&](HWND dlg) {
            entries = ListEntries(dlg, IDC_FEAT_CURSORS);
            chosen = ChosenText(dlg, IDC_FEAT_CURSORS);
            if (c.choose >= 0)
                Choose(dlg, IDC_FEAT_CURSORS, c.choose);
            Click(dlg, c.button);
        }));
    StopPanel();

    EXPECT_EQ(c.entries, entries);
    EXPECT_EQ(c.chosen, chosen);
    EXPECT_EQ(c.calls, EnableCalls());
    EXPECT_EQ(c.activeAfter, ActiveCursors());
}

static const std::vector<std::wstring> kBoth = {L"Stylus", L"Puck"};

TEST(Features, ThePersonChoosesTheCursorTypeInUse)
{
    const FeaturesCase cases[] = {
        {"puck active, pen chosen",
         Active(0, 1),
         kBoth,
         L"Puck",
         0,
         IDOK,
         {{1, 0}, {0, 1}},
         {1, 0}},
        {"none active", Active(0, 0), kBoth, L"Stylus", -1, IDOK, {{0, 1}}, {1, 0}},
        {"two active: the later one counts",
         Active(1, 1),
         kBoth,
         L"Puck",
         0,
         IDOK,
         {{1, 0}, {0, 1}},
         {1, 0}},
        {"kept: off and on again",
         Active(1, 0),
         kBoth,
         L"Stylus",
         -1,
         IDOK,
         {{0, 0}, {0, 1}},
         {1, 0}},
        {"Cancel", Active(0, 1), kBoth, L"Puck", 0, IDCANCEL, {}, {0, 1}},
    };
    for (const FeaturesCase &c : cases)
        RunFeatures(c);
}

TEST(Features, ListsOnlyCursorsTheDriverHas)
{
    const FeaturesCase cases[] = {
        {"numbered from the device's first",
         Active(0, 0) + "[Device0]\r\nFirstCursor=1\r\nCursorTypes=1",
         {L"Puck"},
         L"Puck",
         -1,
         IDOK,
         {{1, 1}},
         {0, 1}},
        {"more types than a 16-bit count",
         Active(0, 1) + "[Device0]\r\nCursorTypes=70000",
         kBoth,
         L"Puck",
         -1,
         IDOK,
         {{1, 0}, {1, 1}},
         {0, 1}},
        {"first cursor past every cursor",
         Active(0, 1) + "[Device0]\r\nFirstCursor=150",
         {},
         L"",
         -1,
         IDOK,
         {},
         {0, 1}},
        {"empty name",
         "[Cursor0]\r\nName=\r\nActive=0\r\n[Cursor1]\r\nActive=1",
         {L"unknown", L"Puck"},
         L"Puck",
         0,
         IDOK,
         {{1, 0}, {0, 1}},
         {1, 0}},
        {"names cut to the buffer",
         Active(0, 1) + "[Interface]\r\nLongStrings=1",
         {L"Stylus" + std::wstring(72, L'~'), L"Puck" + std::wstring(74, L'~')},
         L"Puck" + std::wstring(74, L'~'),
         -1,
         IDCANCEL,
         {},
         {0, 1}},
    };
    for (const FeaturesCase &c : cases)
        RunFeatures(c);
}
