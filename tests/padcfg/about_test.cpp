/*
 * The About box and the Transducer command's hook, opened through the main
 * window's own commands: the driver version a person reads, and what the
 * driver's configuration outcome leads to.
 */
#include "panel.h"

#include "dialogdriver.h"

#include <gtest/gtest.h>

#include <cstdio>

static const wchar_t kAbout[] = L"About Tablet Control Panel...";
static const wchar_t kRestart[] = L"Tablet Driver Settings Change";

/* The panel up on a stand-in tablet with this device section. */
static HWND StartOn(const std::string &device)
{
    ResetPanelState();
    UseDriver(DRIVER_STANDIN);
    UseTablet("[Device0]\r\n" + device + "\r\n");
    StartCallLog();
    return StartPanel();
}

/* The OK button: the icon above it carries the same id. */
static void ClickOk(HWND dlg)
{
    SendMessageW(FindWindowExW(dlg, NULL, L"Button", L"OK"), BM_CLICK, 0, 0);
    DialogPump(dlg, 20);
}

static void Command(UINT id)
{
    SendMessageW(MainWindow(), WM_COMMAND, id, 0);
}

TEST(About, ShowsTheVersionTokenOfTheDeviceName)
{
    const struct {
        const char *device;
        std::wstring version;
        UINT closeKey = 0; /* 0: the OK button */
    } cases[] = {
        {"Name=QUORAX MM-Compatible Tablet;Format: MM Series;Version 2.10", L"2.10"},
        {"Name=QUORAX Digitizer version: 3,1", L"3"},
        {"Name=QUORAX Tablet", L"unknown", VK_ESCAPE},
        {"Name=QUORAX Tablet Version", L"unknown"},
        {"Name=QUORAX Tablet Version ;,", L"unknown"},
        {"Name=", L"unknown"},
        /* Padded with '~' to 320 characters, cut where the 200-character buffer ends
           (WTInfoText keeps the last two for terminators). */
        {"Name=QUORAX Version 1.08\r\n[Interface]\r\nLongStrings=1",
         L"1.08" + std::wstring(198 - 19, L'~'), VK_RETURN},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.device);
        ASSERT_NE((HWND)NULL, StartOn(c.device));
        std::wstring line;
        EXPECT_TRUE(DriveDialog(
            kAbout, [] { Command(IDM_ABOUT); },
            [&](HWND dlg) {
                line = ItemText(dlg, IDC_ABOUT_DRIVER);
                if (c.closeKey)
                    PressKey(dlg, c.closeKey);
                else
                    ClickOk(dlg);
            }));
        EXPECT_EQ(L"QUORAX Wintab Driver Version " + c.version + L" for Windows NT", line);
        StopPanel();
    }
}

/* The manager calls asking for the driver's own configuration dialog. */
static std::vector<std::string> ConfigCalls()
{
    std::vector<std::string> calls;
    for (const std::string &line : CallLog())
        if (line.compare(0, 18, "WTMgrDeviceConfig(") == 0)
            calls.push_back(line.substr(line.find(", ") + 2));
    return calls;
}

static std::string Hex(HWND hwnd)
{
    char text[32];
    snprintf(text, sizeof(text), "0x%llX", (unsigned long long)(ULONG_PTR)hwnd);
    return text;
}

TEST(TransducerHook, FeaturesOpensOnlyWhenTheDriverHasNoDialogOfItsOwn)
{
    const struct {
        const char *device;
        const char *outcome; /* what the second call reports; null: no second call */
    } cases[] = {
        {"ConfigDialog=0", NULL},
        {"ConfigDialog=1\r\nConfigResult=1", "1"},
        {"ConfigDialog=1\r\nConfigResult=2", "2"},
        {"ConfigDialog=1\r\nConfigResult=0", "0"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.device);
        HWND main = StartOn(c.device);
        ASSERT_NE((HWND)NULL, main);
        if (!c.outcome) {
            EXPECT_TRUE(DriveDialog(
                L"Features", [] { Command(IDM_TRANSDUCER); },
                [](HWND dlg) { Click(dlg, IDCANCEL); }));
            EXPECT_EQ(std::vector<std::string>{"0, 0x0) = 0"}, ConfigCalls());
        } else {
            BoxWatch watch;
            StartBoxWatch(watch);
            Command(IDM_TRANSDUCER);
            EXPECT_EQ(0u, StopBoxWatch(watch).size()) << "a dialog showed";
            std::vector<std::string> expected = {"0, 0x0) = 1",
                                                 "0, " + Hex(main) + ") = " + c.outcome};
            EXPECT_EQ(expected, ConfigCalls());
        }
        EXPECT_TRUE(g_logOffs.empty());
        StopPanel();
    }
}

static bool ShowsExclamationIcon(HWND box)
{
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if ((GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            return (HICON)SendMessageW(c, STM_GETICON, 0, 0) == LoadIconW(NULL, IDI_EXCLAMATION);
    return false;
}

TEST(TransducerHook, ARestartOutcomeOffersToLogOffAndOnlyOkDoes)
{
    for (int answer : {IDCANCEL, IDOK}) {
        SCOPED_TRACE(answer);
        HWND main = StartOn("ConfigDialog=1\r\nConfigResult=3");
        ASSERT_NE((HWND)NULL, main);
        EXPECT_TRUE(DriveDialog(
            kRestart, [] { Command(IDM_TRANSDUCER); },
            [&](HWND box) {
                MessageBoxView v = ReadMessageBox(box);
                EXPECT_EQ(L"Your tablet driver settings have changed. You will need to exit and "
                          L"restart windows for the change to take effect. Choose OK to restart "
                          L"Windows NOW.",
                          v.text);
                EXPECT_EQ((std::vector<std::wstring>{L"OK", L"Cancel"}), v.buttons);
                EXPECT_TRUE(ShowsExclamationIcon(box));
                EXPECT_EQ(main, GetWindow(box, GW_OWNER));
                EXPECT_TRUE(g_logOffs.empty());
                Click(box, answer);
            }));
        if (answer == IDOK)
            EXPECT_EQ((std::vector<std::pair<UINT, DWORD>>{{EWX_LOGOFF, 0xFFFFFFFF}}), g_logOffs);
        else
            EXPECT_TRUE(g_logOffs.empty());
        EXPECT_TRUE(IsWindow(main)); /* a log-off that does not happen leaves the panel running */
        StopPanel();
    }
}
