/* Whole runs of the real kitinst.exe from a copy of the install disk, under
   Wine set to report Windows 95, driven as a person would. */
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <sstream>

#include "machine.h"
#include "winsupport.h"

static const wchar_t kInitTitle[] = L"QUORAX Wintab driver installation program";
static const wchar_t kWelcomeTitle[] = L"QUORAX";
static const wchar_t kCopyTitle[] = L"Installing QUORAX Wintab driver.....";
static const wchar_t kRestartTitle[] = L"System Settings have changed";
static const wchar_t kWrongSystemTitle[] = L"Error : Windows 95 needed !";
static const wchar_t kMissingTitle[] = L"Error : Can not find Wintab driver files !";

/* The pauses of a whole run without pen extensions: nine files, seven INI
   steps, and five in the registry phase (two in its first step). */
static const DWORD kFixedPauses = (9 + 7 + 5) * 1000;

static std::set<std::string> Lines(const std::string &text)
{
    std::set<std::string> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        out.insert(line);
    return out;
}

/* Paths of the Windows directory whose listing differs between two snapshots. */
static std::set<std::string> ChangedPaths(const std::string &before, const std::string &after)
{
    std::set<std::string> a = Lines(before), b = Lines(after), changed;
    for (const std::set<std::string> *s : {&a, &b}) {
        const std::set<std::string> &other = s == &a ? b : a;
        for (const std::string &line : *s) {
            if (other.count(line))
                continue;
            std::string path = line.substr(0, line.find(' '));
            std::transform(path.begin(), path.end(), path.begin(), ::tolower);
            changed.insert(path);
        }
    }
    return changed;
}

/* A control's text as it shows now, read from outside its process. */
static std::wstring ShownText(HWND control)
{
    wchar_t text[256] = L"";
    DWORD_PTR got = 0;
    SendMessageTimeoutW(control, WM_GETTEXT, 256, (LPARAM)text, SMTO_NORMAL, 5000, &got);
    return text;
}

/* The control panel a run installed into the Windows folder starts as on
   Windows 95 (the prefix reports Windows 95 to penpanel.exe), bound to the
   driver the run installed into the system folder: its three tiles, and
   each dialog of the menu opens and shows the driver's tablet; Exit ends it
   with 0. */
static void ExpectInstalledPanelWorks()
{
    static const wchar_t kPanel[] = L"Tablet Control Panel";
    Process panel = StartProcess(Widen(WinDir() + "penpanel.exe"), L"", Widen(WinDir()));
    ASSERT_TRUE(panel.process != NULL);
    HWND main = WaitForWindow(panel.pid, kPanel, kPanel, 10000);
    EXPECT_TRUE(main != NULL) << "the installed panel shows no window";
    if (!main) {
        KillProcess(panel);
        CloseProcess(panel);
        return;
    }

    std::vector<std::wstring> tiles;
    for (HWND tile = GetWindow(main, GW_CHILD); tile; tile = GetWindow(tile, GW_HWNDNEXT))
        if (IsWindowVisible(tile))
            tiles.push_back(ShownText(tile));
    EXPECT_EQ((std::vector<std::wstring>{L"Information", L"Features", L"Customization"}), tiles);

    const struct {
        UINT command;
        const wchar_t *title;
        int control;
        const wchar_t *shows;
    } dialogs[] = {
        {101, L"Tablet Information", 51, L"QUORAX MM-Compatible Tablet"},
        {102, L"Features", 101, L"Stylus"},
        {103, L"Tablet Setup", 33, L"12\""},
        {204, L"About Tablet Control Panel...", 106,
         L"QUORAX Wintab Driver Version 1.08 for Windows NT"},
    };
    for (const auto &d : dialogs) {
        PostMessageW(main, WM_COMMAND, d.command, 0);
        HWND dlg = WaitForWindow(panel.pid, L"#32770", d.title, 10000);
        EXPECT_TRUE(dlg != NULL) << Narrow(d.title) << " did not open";
        if (!dlg)
            continue;
        EXPECT_EQ(d.shows, ShownText(GetDlgItem(dlg, d.control))) << Narrow(d.title);
        PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(PumpUntil([&] { return !IsWindow(dlg); }, 10000)) << Narrow(d.title);
    }
    PostMessageW(main, WM_COMMAND, 104, 0); /* Tablet > Exit */
    DWORD code = WaitForExit(panel, 10000);
    EXPECT_EQ(0u, code);
    if (code == STILL_ACTIVE)
        KillProcess(panel);
    CloseProcess(panel);
}

class RunTest : public ::testing::Test
{
  protected:
    std::wstring disk;
    Process proc;

    void SetUp() override
    {
        MakeWin95Machine();
        SetVersion(L"win95");
        disk = CopyInstallDisk(L"run-disk");
    }
    void TearDown() override
    {
        if (proc.process && WaitForExit(proc, 0) == STILL_ACTIVE)
            KillProcess(proc);
        CloseProcess(proc);
    }
    void SetVersion(const wchar_t *version)
    {
        SetRegString(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\kitinst.exe", L"Version",
                     version);
    }
    void Start()
    {
        proc = StartProcess(JoinPath(disk, L"kitinst.exe"), L"", disk);
        ASSERT_TRUE(proc.process != NULL);
    }
    HWND Wait(const wchar_t *title, DWORD ms)
    {
        return WaitForWindow(proc.pid, NULL, title, ms);
    }
    std::vector<std::wstring> VisibleTitles()
    {
        std::vector<std::wstring> titles;
        for (HWND h : WindowsOfProcess(proc.pid, true))
            titles.push_back(WindowText(h));
        return titles;
    }
    /* Welcome page, Next, the copying page, and the restart question at the end;
       returns the question's box and the milliseconds from Next to it. */
    HWND InstallUpToTheQuestion(DWORD *elapsed)
    {
        Start();
        HWND welcome = Wait(kWelcomeTitle, 10000);
        EXPECT_TRUE(welcome != NULL);
        if (!welcome)
            return NULL;
        DWORD start = GetTickCount();
        PressButton(welcome, L"&Next");
        EXPECT_TRUE(Wait(kCopyTitle, 5000) != NULL);
        HWND box = Wait(kRestartTitle, kFixedPauses + 20000);
        if (elapsed)
            *elapsed = GetTickCount() - start;
        return box;
    }
    void ExpectRestartQuestion(HWND box)
    {
        ASSERT_TRUE(box != NULL);
        MessageBoxView v = ReadMessageBox(box);
        EXPECT_EQ(L"Installation of the QUORAX Wintab driver\nis complete. You must restart your "
                  L"computer\nfor the changes to take effect.\n\nDo you want to restart the "
                  L"system now ?",
                  v.text);
        EXPECT_FALSE(v.hasErrorIcon);
        EXPECT_EQ((std::vector<std::wstring>{L"&Yes", L"&No"}), v.buttons);
        /* Only the box is seen: the main window never shows. */
        EXPECT_EQ(std::vector<std::wstring>{kRestartTitle}, VisibleTitles());
    }
    void ExpectRefusal(const wchar_t *title, const wchar_t *text)
    {
        HWND box = Wait(title, 10000);
        ASSERT_TRUE(box != NULL) << Narrow(title);
        MessageBoxView v = ReadMessageBox(box);
        EXPECT_EQ(text, v.text);
        EXPECT_EQ(IconsCanShow(), v.hasErrorIcon);
        EXPECT_EQ(std::vector<std::wstring>{L"OK"}, v.buttons);
        EXPECT_EQ(std::vector<std::wstring>{title}, VisibleTitles()) << "no page is open";
        PressButton(box, L"OK");
        EXPECT_EQ(0u, WaitForExit(proc, 5000));
    }
};

TEST_F(RunTest, OtherWindowsRefusedWithoutAPageOrAChange)
{
    std::string before = MachineSnapshot();
    for (const wchar_t *version : {L"nt40", L"win31", L"winxp"}) {
        SetVersion(version);
        Start();
        ExpectRefusal(kWrongSystemTitle, L"This program cannot run on Windows 3.1\nor Windows NT. "
                                         L"The program install the\nWintab driver for windows 95 "
                                         L"only.");
        CloseProcess(proc);
    }
    EXPECT_EQ("", LineDiff(before, MachineSnapshot()));
}

TEST_F(RunTest, MissingDriverFileRefusedWithoutAChange)
{
    DeleteFileW(JoinPath(disk, L"QWINTAB\\vqxsd.386").c_str());
    std::string before = MachineSnapshot();
    Start();
    ExpectRefusal(kMissingTitle,
                  L"Please run this program from the QUORAX Drivers/Utilities disk.");
    EXPECT_EQ("", LineDiff(before, MachineSnapshot()));
}

TEST_F(RunTest, ExitOrCloseOnTheWelcomePageChangesNothing)
{
    std::string before = MachineSnapshot();
    for (int close = 0; close < 2; close++) {
        Start();
        HWND welcome = Wait(kWelcomeTitle, 10000);
        ASSERT_TRUE(welcome != NULL);
        EXPECT_EQ(std::vector<std::wstring>{kWelcomeTitle}, VisibleTitles());
        if (close)
            PostMessageW(welcome, WM_CLOSE, 0, 0);
        else
            PressButton(welcome, L"&Exit");
        EXPECT_EQ(0u, WaitForExit(proc, 5000));
        CloseProcess(proc);
    }
    EXPECT_EQ("", LineDiff(before, MachineSnapshot()));
}

TEST_F(RunTest, WholeRunInstallsExactlyWhatTheDiskHolds)
{
    std::string treeBefore = TreeSnapshot(WinDir());
    DWORD elapsed = 0;
    HWND box = InstallUpToTheQuestion(&elapsed);
    ExpectRestartQuestion(box);
    printf("whole run: %lu ms from Next to the restart question, %ld ms beyond the %lu ms of "
           "pauses\n",
           (unsigned long)elapsed, (long)elapsed - (long)kFixedPauses, (unsigned long)kFixedPauses);
    EXPECT_LT((long)elapsed - (long)kFixedPauses, 6000) << "2 s of work on an idle machine";
    PressButton(box, L"&No");
    EXPECT_EQ(0u, WaitForExit(proc, 5000));

    /* The files, and no other file of the Windows directory. */
    /* WIN.INI [windows] lives in the registry under Wine (its NT ini-file
       mapping), so of the INI files only these two change on disk. */
    std::set<std::string> expected = {WinDir() + "system.ini", WinDir() + "wintab.ini"};
    for (const InstalledFile &f : InstalledFiles(false)) {
        EXPECT_EQ(ReadFileBytes(JoinPath(disk, Widen(f.disk))), ReadAnsiFile(f.installed))
            << f.installed;
        expected.insert(f.installed);
    }
    std::set<std::string> lowered;
    for (std::string p : expected) {
        std::transform(p.begin(), p.end(), p.begin(), ::tolower);
        lowered.insert(p);
    }
    EXPECT_EQ(lowered, ChangedPaths(treeBefore, TreeSnapshot(WinDir())));

    /* The INI entries. */
    EXPECT_EQ("0", IniValue("windows", "SkipMouseRedetect", "WIN.INI"));
    EXPECT_EQ("mmsystem.dll QWINTAB", IniValue("boot", "drivers", "SYSTEM.INI"));
    std::vector<std::string> enh = Win95Enh386();
    enh.push_back("device=vqxsd.386");
    EXPECT_EQ(enh, IniSection("386Enh", "SYSTEM.INI"));
    EXPECT_EQ("qwintab.drv", IniValue("drivers", "qwintab", "SYSTEM.INI"));
    EXPECT_EQ("<absent>", IniValue("drivers", "pen", "SYSTEM.INI"));
    EXPECT_NE("<absent>", IniValue("vqxsd.386", "QWINTAB", "SYSTEM.INI"));
    EXPECT_EQ(std::vector<std::string>{"Csr=1"},
              IniSection("QUORAX MM-compatible Tablet Driver", "WINTAB.INI"));

    /* The registry, key by key, and nothing else under Enum. */
    for (const auto &key : FreshInstallKeys("OEM0.INF"))
        EXPECT_EQ(key.second, KeyValues(key.first)) << key.first;
    EXPECT_EQ(
        "[Enum\\Root\\QUORAXDevice\\0000]\n[Enum\\Root\\QUORAXDevice]\n[Enum\\Root]\n[Enum]\n",
        RegistryDump(HKEY_LOCAL_MACHINE, "Enum")
            .substr(RegistryDump(HKEY_LOCAL_MACHINE, "Enum").find("[Enum")));

    /* Under WoW64 a 32-bit program cannot make an icon from its resources:
       the i686 panel stops at its first tile ("Not Enough Memory"), so only
       the x86_64 one is started (README, the i686 build under WoW64). */
    if (!RunsUnderWow64())
        ExpectInstalledPanelWorks();
}

TEST_F(RunTest, ClosingTheCopyingPageStopsNamesWhatIsLeftAndStillAsksToRestart)
{
    Start();
    HWND welcome = Wait(kWelcomeTitle, 10000);
    ASSERT_TRUE(welcome != NULL);
    PressButton(welcome, L"&Next");
    HWND page = Wait(kCopyTitle, 5000);
    ASSERT_TRUE(page != NULL);
    /* Close while the third file goes by. */
    ASSERT_TRUE(PumpUntil(
        [&] {
            return WindowText(GetDlgItem(page, 309)).find(L"qwintab.drv") != std::wstring::npos;
        },
        10000));
    PostMessageW(page, WM_CLOSE, 0, 0);
    /* What was left undone comes first. */
    HWND error = Wait(L"Error : Wintab driver installation not complete !", 3000);
    ASSERT_TRUE(error != NULL);
    MessageBoxView left = ReadMessageBox(error);
    EXPECT_EQ(0u, left.text.find(L"The installation was stopped before these steps :\n\n"));
    EXPECT_NE(std::wstring::npos,
              left.text.find(L"wintab32.dll to " + Widen(SystemDir()) + L"wintab32.dll\n"));
    EXPECT_EQ(IconsCanShow(), left.hasErrorIcon);
    PressButton(error, L"OK");
    HWND box = Wait(kRestartTitle, 3000);
    ExpectRestartQuestion(box);
    PressButton(box, L"&No");
    EXPECT_EQ(0u, WaitForExit(proc, 5000));

    EXPECT_TRUE(FileThere(SystemDir() + "qxcls.dll"));
    EXPECT_FALSE(FileThere(SystemDir() + "wintab32.dll"));
    EXPECT_FALSE(FileThere(WinDir() + "COMMAND\\qtablet.com"));
    EXPECT_EQ(Win95SystemIni(), ReadAnsiFile(WinDir() + "system.ini"));
    EXPECT_FALSE(KeyExists("System\\CurrentControlSet\\Services\\Class\\QUORAXDevice"));
}

/* Runs last: Yes asks Wine to restart, which ends the prefix's programs.
   The first run is on a prefix that reports Windows 98, the same platform:
   it installs as on Windows 95, so the second run (Windows 95) finds and
   leaves the same settings. */
TEST_F(RunTest, ZWindows98RunThenASecondRunAddsNothingTwiceReplacesTheFirstAndRestarts)
{
    SetVersion(L"win98");
    HWND box = InstallUpToTheQuestion(NULL);
    ASSERT_TRUE(box != NULL);
    PressButton(box, L"&No");
    EXPECT_EQ(0u, WaitForExit(proc, 5000));
    CloseProcess(proc);
    std::string system = ReadAnsiFile(WinDir() + "system.ini");
    std::string win = ReadAnsiFile(WinDir() + "win.ini");
    std::string registry = InstallerRegistry();
    ASSERT_TRUE(FileThere(WinDir() + "INF\\OEM0.INF"));

    SetVersion(L"win95");
    box = InstallUpToTheQuestion(NULL);
    ExpectRestartQuestion(box);
    PressButton(box, L"&Yes");
    EXPECT_NE(STILL_ACTIVE, WaitForExit(proc, 10000)) << "the restart ends the installer";

    EXPECT_EQ(system, ReadAnsiFile(WinDir() + "system.ini"));
    EXPECT_EQ(win, ReadAnsiFile(WinDir() + "win.ini"));
    /* The first run's INF went with its class instance; the new one is OEM1.INF. */
    EXPECT_FALSE(FileThere(WinDir() + "INF\\OEM0.INF"));
    EXPECT_TRUE(FileThere(WinDir() + "INF\\OEM1.INF"));
    size_t at = registry.find("InfPath|REG_SZ|OEM0.INF");
    ASSERT_NE(std::string::npos, at);
    registry.replace(at, 23, "InfPath|REG_SZ|OEM1.INF");
    EXPECT_EQ("", LineDiff(registry, InstallerRegistry()));
}
