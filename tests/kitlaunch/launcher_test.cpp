/*
 * kitlaunch as a person uses it: started from a folder or a drive root of an
 * install disk under Wine reporting Windows NT 4.0, with the disk's
 * NTWINTAB\SETUP.EXE present, missing, broken, or started twice.
 */
#include "launcher_support.h"

#include <gtest/gtest.h>

#include <deque>

namespace
{

/* Whether a lies above b in the z-order of the top-level windows. */
bool IsAbove(HWND a, HWND b)
{
    for (HWND h = GetTopWindow(NULL); h; h = GetWindow(h, GW_HWNDNEXT)) {
        if (h == a)
            return true;
        if (h == b)
            return false;
    }
    return false;
}

class LauncherTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(SetRegString(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\kitlaunch.exe",
                                 L"Version", L"nt40"));
        EndLeftoverLaunchers();
        ResetProbe();
    }
    void TearDown() override
    {
        for (Process &p : started) {
            if (WaitForExit(p, 0) == STILL_ACTIVE)
                KillProcess(p);
            CloseProcess(p);
        }
    }
    Process &Launch(const std::wstring &dir)
    {
        started.push_back(StartLauncher(dir));
        return started.back();
    }
    /* The box a launcher shows, once it is up. */
    static HWND BoxOf(const Process &p)
    {
        HWND box = WaitForWindow(p.pid, L"#32770", NULL, 5000);
        PumpMessages(100); /* painted, icon and all */
        return box;
    }
    /* The box for missing driver files: its caption, this text, the error
       icon where icons show, and OK alone. */
    static void ExpectMissingFilesBox(HWND box, const wchar_t *text)
    {
        MessageBoxView v = ReadMessageBox(box);
        EXPECT_EQ(kMissingCaption, v.title);
        EXPECT_EQ(text, v.text);
        EXPECT_EQ(IconsCanShow(), v.hasErrorIcon);
        EXPECT_EQ(std::vector<std::wstring>{L"OK"}, v.buttons);
    }
    std::deque<Process> started; /* references stay valid as it grows */
};

TEST_F(LauncherTest, StartsSetupInTheDisksSetupDirectoryAndEndsUnseen)
{
    std::wstring disk = MakeDisk(L"folder", DISK_PROBE_SETUP);
    Process &p = Launch(disk);
    ASSERT_TRUE(p.process);

    EXPECT_EQ(0u, WaitForExit(p, 10000));
    ProbeReport probe = ReadProbe(2000);
    ASSERT_TRUE(probe.ran) << "SETUP.EXE was not started";
    EXPECT_EQ(Narrow(disk) + "\\NTWINTAB", probe.currentDir);
    /* The launcher's window existed while SETUP.EXE started, but was never shown. */
    EXPECT_EQ("hidden", probe.launcherWindow);
}

TEST_F(LauncherTest, FromADriveRootTheSetupDirectoryIsTheRootsNtwintab)
{
    std::wstring disk = MakeDisk(L"drive", DISK_PROBE_SETUP);
    wchar_t letter = FreeDriveLetter();
    ASSERT_NE(0, letter);
    ASSERT_TRUE(DefineWineDrive(letter, UnixPathOf(disk))) << Narrow(disk);
    std::wstring root = std::wstring(1, letter) + L":\\";
    ASSERT_TRUE(FileExists(root + L"kitlaunch.exe"));

    Process &p = Launch(root);
    DWORD code = WaitForExit(p, 10000);
    ProbeReport probe = ReadProbe(2000);
    RemoveWineDrive(letter);

    EXPECT_EQ(0u, code);
    ASSERT_TRUE(probe.ran) << "SETUP.EXE was not started";
    EXPECT_EQ(Narrow(root) + "NTWINTAB", probe.currentDir);
}

TEST_F(LauncherTest, WithoutTheSetupDirectoryItAsksForTheDiskAndEndsWhenClosed)
{
    std::wstring disk = MakeDisk(L"nodir", DISK_LAUNCHER_ONLY);
    Process &p = Launch(disk);

    HWND box = BoxOf(p);
    ASSERT_TRUE(box);
    ExpectMissingFilesBox(box, L"Please run this program from the QUORAX Drivers/Utilities disk.");

    /* Owned by the launcher's window, which stays hidden. */
    HWND owner = GetWindow(box, GW_OWNER);
    ASSERT_TRUE(owner);
    EXPECT_EQ(L"kitlaunch", ClassOf(owner));
    EXPECT_EQ(L"kitlaunch", WindowText(owner));
    EXPECT_FALSE(IsWindowVisible(owner));

    /* It waits for the user, then ends. */
    EXPECT_EQ(STILL_ACTIVE, WaitForExit(p, 300));
    ASSERT_TRUE(PressButton(box, L"OK"));
    EXPECT_EQ(0u, WaitForExit(p, 5000));
}

TEST_F(LauncherTest, WithoutSetupExeItSaysSoAndStartsNoOtherSetup)
{
    std::wstring disk = MakeDisk(L"nosetup", DISK_EMPTY_SETUP_DIR);
    /* A SETUP.EXE beside the launcher is not the NT driver's. */
    CopyInto(JoinPath(TestDir(), L"setup_probe.exe"), disk, L"SETUP.EXE");
    Process &p = Launch(disk);

    HWND box = BoxOf(p);
    ASSERT_TRUE(box);
    ExpectMissingFilesBox(box, L"Can not find SETUP.EXE in the NTWINTAB directory !");
    EXPECT_EQ(L"kitlaunch", ClassOf(GetWindow(box, GW_OWNER)));

    ASSERT_TRUE(PressButton(box, L"OK"));
    EXPECT_EQ(0u, WaitForExit(p, 5000));
    EXPECT_FALSE(ReadProbe(200).ran) << "some other SETUP.EXE was started";
}

TEST_F(LauncherTest, ASetupExeThatIsNoProgramEndsTheLauncherSilently)
{
    std::wstring disk = MakeDisk(L"broken", DISK_BROKEN_SETUP);
    Process &p = Launch(disk);

    /* A box would keep it waiting for the user. */
    EXPECT_EQ(0u, WaitForExit(p, 10000));
}

TEST_F(LauncherTest, ASecondStartBringsTheFirstForwardAndStartsNothing)
{
    Process &first = Launch(MakeDisk(L"first", DISK_LAUNCHER_ONLY));
    HWND box = BoxOf(first);
    ASSERT_TRUE(box);

    /* The user has gone on to another window meanwhile, which covers the box. */
    RECT rc;
    GetWindowRect(box, &rc);
    HWND other = CreateWindowW(L"STATIC", L"elsewhere", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                               rc.left - 20, rc.top - 20, rc.right - rc.left + 40,
                               rc.bottom - rc.top + 40, NULL, NULL, NULL, NULL);
    SetForegroundWindow(other);
    PumpMessages(200);
    ASSERT_EQ(other, GetForegroundWindow());

    Process &second = Launch(MakeDisk(L"second", DISK_PROBE_SETUP));
    EXPECT_EQ(0u, WaitForExit(second, 5000));
    /* The first one's box is what comes to the front; the window system may
       take a moment to bring it there. (Under WoW64 nothing is drawn and
       the order on the screen is not kept.) */
    bool drawn = !RunsUnderWow64();
    PumpUntil([&] { return GetForegroundWindow() == box && (!drawn || IsAbove(box, other)); },
              3000);
    EXPECT_EQ(box, GetForegroundWindow()) << Narrow(WindowText(GetForegroundWindow()));
    if (drawn) {
        EXPECT_TRUE(IsAbove(box, other));
    }
    EXPECT_FALSE(ReadProbe(200).ran) << "the second start ran SETUP.EXE";

    /* The first still waits for its box to be answered. */
    EXPECT_EQ(STILL_ACTIVE, WaitForExit(first, 0));
    DestroyWindow(other);
    PressButton(box, L"OK");
    EXPECT_EQ(0u, WaitForExit(first, 5000));
}

TEST_F(LauncherTest, ASecondStartRestoresAMinimisedFirst)
{
    Process &first = Launch(MakeDisk(L"first", DISK_LAUNCHER_ONLY));
    HWND box = BoxOf(first);
    ASSERT_TRUE(box);
    HWND owner = GetWindow(box, GW_OWNER);
    ShowWindow(owner, SW_MINIMIZE);
    ASSERT_TRUE(PumpUntil([&] { return IsIconic(owner) != 0; }, 2000));

    Process &second = Launch(MakeDisk(L"second", DISK_LAUNCHER_ONLY));
    EXPECT_EQ(0u, WaitForExit(second, 5000));
    EXPECT_TRUE(PumpUntil([&] { return !IsIconic(owner); }, 2000));

    PressButton(box, L"OK");
    EXPECT_EQ(0u, WaitForExit(first, 5000));
}

/* The window class takes the program's icon by the name "kitlaunch". */
TEST(LauncherProgram, CarriesTheIconItsWindowClassLoads)
{
    HMODULE exe = LoadLibraryExW(JoinPath(BinDir(), L"kitlaunch.exe").c_str(), NULL,
                                 LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(exe);
    /* Where icons cannot be made (Wine's WoW64), that it is there at all. */
    if (IconsCanShow()) {
        EXPECT_TRUE(LoadIconA(exe, "kitlaunch") != NULL);
    } else {
        EXPECT_TRUE(FindResourceA(exe, "kitlaunch", (LPCSTR)RT_GROUP_ICON) != NULL);
    }
    FreeLibrary(exe);
}

} // namespace
