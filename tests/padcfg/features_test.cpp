/*
 * The Features dialog, opened by the Transducer command on a driver without a
 * configuration dialog of its own: the cursor types a person sees, the one
 * chosen, and what the driver is told on OK or Cancel.
 */
#include "panel.h"

#include "dialogdriver.h"

#include <gtest/gtest.h>

#include <cstdio>

/* The tablet: the stand-in's stylus (cursor 0) and puck (cursor 1), with
   whether each is active, and more description lines. */
static std::string Tablet(int stylus, int puck, const std::string &more = "")
{
    return "[Cursor0]\r\nActive=" + std::to_string(stylus) +
           "\r\n[Cursor1]\r\nActive=" + std::to_string(puck) + "\r\n" + more;
}

struct FeaturesCase {
    std::string tablet;
    std::wstring list;   /* the entries as seen, "|" between them, the chosen one in [] */
    int choose;          /* the entry the person picks, -1 none */
    int button;          /* then presses */
    std::string enables; /* what the driver is told: "1- 0+" disables cursor 1, enables 0 */
    std::vector<Misreport> misreports = {};
};

static std::wstring ListAsSeen(HWND dlg)
{
    std::vector<std::wstring> entries = ListEntries(dlg, IDC_FEAT_CURSORS);
    LRESULT chosen = SendDlgItemMessageW(dlg, IDC_FEAT_CURSORS, CB_GETCURSEL, 0, 0);
    std::wstring seen;
    for (size_t i = 0; i < entries.size(); i++) {
        seen += i ? L"|" : L"";
        seen += (LRESULT)i == chosen ? L"[" + entries[i] + L"]" : entries[i];
    }
    return seen;
}

static std::string EnableCalls()
{
    std::string calls;
    for (const std::string &line : CallLog()) {
        int cursor, enable;
        if (sscanf(line.c_str(), "WTMgrCsrEnable(%*[^,], %d, %d)", &cursor, &enable) == 2)
            calls += (calls.empty() ? "" : " ") + std::to_string(cursor) + (enable ? "+" : "-");
    }
    return calls;
}

static void RunFeatures(const FeaturesCase &c)
{
    SCOPED_TRACE(c.tablet);
    ResetPanelState();
    UseDriver(DRIVER_STANDIN);
    UseTablet(c.tablet);
    StartCallLog();
    ASSERT_NE((HWND)NULL, StartPanel());
    InstallMisreports(c.misreports);

    std::wstring list;
    EXPECT_TRUE(DriveDialog(
        L"Features", [] { SendMessageW(MainWindow(), WM_COMMAND, IDM_TRANSDUCER, 0); },
        [&](HWND dlg) {
            list = ListAsSeen(dlg);
            if (c.choose >= 0)
                Choose(dlg, IDC_FEAT_CURSORS, c.choose);
            Click(dlg, c.button);
        }));
    StopPanel();

    EXPECT_EQ(c.list, list);
    EXPECT_EQ(c.enables, EnableCalls());
}

TEST(Features, TheCursorTypeInUseIsChosenAmongThoseTheDriverHas)
{
    const std::wstring tilde(78, L'~'); /* LongStrings pads names; the buffer keeps 78 */
    const FeaturesCase cases[] = {
        {Tablet(0, 1), L"Stylus|[Puck]", 0, IDOK, "1- 0+"},
        {Tablet(0, 0), L"[Stylus]|Puck", -1, IDOK, "0+"},
        {Tablet(1, 1), L"[Stylus]|Puck", -1, IDOK, "0- 1- 0+"}, /* the first; then it alone */
        {Tablet(1, 0), L"[Stylus]|Puck", -1, IDOK, "0- 0+"},    /* kept: off and on again */
        {Tablet(0, 1), L"Stylus|[Puck]", 0, IDCANCEL, ""},
        {Tablet(0, 0, "[Device0]\r\nFirstCursor=1\r\nCursorTypes=1"), L"[Puck]", -1, IDOK, "1+"},
        {Tablet(0, 1, "[Device0]\r\nCursorTypes=0"), L"", -1, IDOK, ""},
        /* Types past a 16-bit count, cursor numbers past the driver's cursors or past
           any cursor category, a name that cannot be read. */
        {Tablet(0, 1), L"Stylus|[Puck]", -1, IDOK, "1- 1+", {{WTI_DEVICES, DVC_NCSRTYPES, 70000}}},
        {Tablet(0, 1), L"", -1, IDOK, "", {{WTI_DEVICES, DVC_FIRSTCSR, 50}}},
        {Tablet(0, 1),
         L"",
         -1,
         IDOK,
         "",
         {{WTI_DEVICES, DVC_FIRSTCSR, 150}, {WTI_INTERFACE, IFC_NCURSORS, -1}}},
        {Tablet(0, 1), L"Stylus|[unknown]", -1, IDOK, "1- 1+", {{WTI_CURSORS + 1, CSR_NAME, -1}}},
        {"[Cursor0]\r\nName=\r\n[Cursor1]\r\nActive=1", L"[unknown]|Puck", 1, IDOK, "0- 1- 1+"},
        {Tablet(0, 1, "Name=Puck\\r\\nPro\\t4"), L"Stylus|[Puck  Pro 4]", -1, IDCANCEL, ""},
        {Tablet(0, 1, "[Interface]\r\nLongStrings=1"),
         L"Stylus" + tilde.substr(6) + L"|[Puck" + tilde.substr(4) + L"]", -1, IDCANCEL, ""},
    };
    for (const FeaturesCase &c : cases)
        RunFeatures(c);
}
