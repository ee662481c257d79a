/*
 * The About box and the Transducer command's hook, opened through the main
 * window's own commands: the driver version a person reads, and what the
 * driver's configuration outcome leads to.
 */
#include "panel.h"

#include "dialogdriver.h"

#include <gtest/gtest.h>

static const wchar_t kAbout[] = L"About Tablet Control Panel...";
static const wchar_t kRestart[] = L"Tablet Driver Settings Change";
static const wchar_t kDriver[] = L"Stand-in Tablet Settings"; /* the driver's own dialog */
static const int kDriverRestart = 102;                        /* its "&Restart" button */

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
    const std::string x5000(5000, 'x');
    const struct {
        std::string device;
        std::wstring version;
        UINT closeKey = 0; /* 0: the OK button */
    } cases[] = {
        {"Name=QUORAX MM-Compatible Tablet;Format: MM Series;Version 2.10", L"2.10"},
        {"Name=QUORAX Digitizer version: 3,1", L"3"},
        {"Name=QUORAX Tablet", L"unknown", VK_ESCAPE},
        {"Name=QUORAX Tablet Version", L"unknown"},
        {"Name=QUORAX Tablet Version ;,", L"unknown"},
        {"Name=", L"unknown"},
        /* Line breaks separate like blanks (the description's escapes); 5,000 characters. */
        {"Name=QUORAX Tablet\\r\\nVersion\\r\\n4.5\\r\\nSerial 7", L"4.5"},
        {"Name=QUORAX Tablet Version\\r\\n\\n", L"unknown"},
        {"Name=QUORAX Version 2.0 " + x5000, L"2.0"},
        {"Name=QUORAX " + x5000 + " Version 2.0", L"unknown"},
        /* Padded with '~' to 320 characters, cut where the 200-character buffer ends
           (WTInfoText keeps the last two for terminators). */
        {"Name=QUORAX Version 1.08\r\n[Interface]\r\nLongStrings=1",
         L"1.08" + std::wstring(198 - 19, L'~'), VK_RETURN},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.device.substr(0, 80));
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

/* The driver asked whether it has a dialog of its own ("ask") and to show it
   ("show"), with what it answered: "ask=1 show=2". */
static std::string ConfigCalls()
{
    std::string calls;
    for (const std::string &line : CallLog()) {
        if (line.compare(0, 18, "WTMgrDeviceConfig(") != 0)
            continue;
        bool ask = line.find(", 0x0) = ") != std::string::npos;
        calls += (calls.empty() ? "" : " ") + std::string(ask ? "ask=" : "show=") + line.back();
    }
    return calls;
}

static bool ShowsExclamationIcon(HWND box)
{
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if ((GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            return (HICON)SendMessageW(c, STM_GETICON, 0, 0) == LoadIconW(NULL, IDI_EXCLAMATION);
    return false;
}

TEST(TransducerHook, ShowsTheDriversOwnConfigurationElseFeatures)
{
    const struct {
        const char *device;
        int driverButton;     /* pressed in the driver's own dialog, 0: none shows */
        const wchar_t *shows; /* the panel's dialog that then shows, null none */
        int answer;           /* the button pressed there */
        const char *calls;
        size_t logOffs;
        bool closed = false; /* the main window asked to close meanwhile */
    } cases[] = {
        {"ConfigDialog=0", 0, L"Features", IDCANCEL, "ask=0", 0},
        {"ConfigDialog=1\r\nConfigResult=0", 0, NULL, 0, "ask=1 show=0", 0},
        {"ConfigDialog=1\r\nConfigResult=2", IDCANCEL, NULL, 0, "ask=1 show=1", 0},
        {"ConfigDialog=1\r\nConfigResult=2", IDOK, NULL, 0, "ask=1 show=2", 0},
        {"ConfigDialog=1\r\nConfigResult=2", kDriverRestart, kRestart, IDCANCEL, "ask=1 show=3", 0},
        {"ConfigDialog=1\r\nConfigResult=2", kDriverRestart, kRestart, IDOK, "ask=1 show=3", 1},
        /* it closes once the driver's dialog has returned, never under it */
        {"ConfigDialog=1\r\nConfigResult=2", IDOK, NULL, 0, "ask=1 show=2", 0, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.device);
        SCOPED_TRACE(c.driverButton);
        HWND main = StartOn(c.device);
        ASSERT_NE((HWND)NULL, main);

        /* The driver's dialog, and within its call what the panel shows next. */
        std::function<void()> open = [] { Command(IDM_TRANSDUCER); };
        if (c.shows) {
            open = [&, open] {
                EXPECT_TRUE(DriveDialog(c.shows, open, [&](HWND dlg) {
                    if (c.shows == kRestart) {
                        MessageBoxView v = ReadMessageBox(dlg);
                        EXPECT_EQ(L"Your tablet driver settings have changed. You will need to "
                                  L"exit and restart windows for the change to take effect. "
                                  L"Choose OK to restart Windows NOW.",
                                  v.text);
                        EXPECT_EQ((std::vector<std::wstring>{L"OK", L"Cancel"}), v.buttons);
                        EXPECT_TRUE(ShowsExclamationIcon(dlg));
                        EXPECT_EQ(main, GetWindow(dlg, GW_OWNER));
                    }
                    Click(dlg, c.answer);
                }));
            };
        }
        if (c.driverButton) {
            open = [&, open] {
                EXPECT_TRUE(DriveDialog(kDriver, open, [&](HWND dlg) {
                    EXPECT_EQ(main, GetWindow(dlg, GW_OWNER));
                    if (c.closed) {
                        PostMessageW(main, WM_CLOSE, 0, 0);
                        DialogPump(dlg, 50);
                    }
                    Click(dlg, c.driverButton);
                }));
            };
        }

        /* Whatever else shows is closed with Escape after two seconds, and counted;
           the expected ones may be gone, their titles unread, before the watch looks. */
        BoxWatch watch;
        StartBoxWatch(watch);
        open();
        for (const MessageBoxView &v : StopBoxWatch(watch))
            EXPECT_TRUE(v.title.empty() || (c.shows && v.title == c.shows) ||
                        (c.driverButton && v.title == kDriver))
                << "another dialog showed: " << std::string(v.title.begin(), v.title.end());
        PumpMessages(50);
        EXPECT_EQ(c.calls, ConfigCalls());
        const decltype(g_logOffs) logOffs(c.logOffs, {EWX_LOGOFF, 0xFFFFFFFF});
        EXPECT_EQ(logOffs, g_logOffs);
        /* A log-off that does not happen leaves the panel running. */
        EXPECT_EQ(!c.closed, IsWindow(main) != 0);
        if (c.closed) {
            EXPECT_EQ("unload", CallLog().back());
        }
        StopPanel();
    }
}
