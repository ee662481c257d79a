/*
 * The disk's NT SETUP.EXE: started by the launcher from the built install
 * disk it installs the driver and the control panel; started where its files
 * are not, it says what it could not copy.
 */
#include "launcher_support.h"

#include <gtest/gtest.h>

namespace
{

const wchar_t kSetupCaption[] = L"Quorax Wintab NT Setup";

std::wstring SystemDir()
{
    wchar_t buf[MAX_PATH];
    UINT n = GetSystemDirectoryW(buf, MAX_PATH);
    return std::wstring(buf, n);
}

std::wstring WindowsDir()
{
    wchar_t buf[MAX_PATH];
    UINT n = GetWindowsDirectoryW(buf, MAX_PATH);
    return std::wstring(buf, n);
}

bool Contains(const std::wstring &text, const std::wstring &part)
{
    return text.find(part) != std::wstring::npos;
}

TEST(NtSetup, FromTheBuiltDiskTheLauncherInstallsDriverAndPanel)
{
    ASSERT_TRUE(SetRegString(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\kitlaunch.exe",
                             L"Version", L"nt40"));
    std::wstring setupDir = JoinPath(BuiltDiskDir(), L"NTWINTAB");
    ASSERT_TRUE(FileExists(JoinPath(setupDir, L"SETUP.EXE")));
    ASSERT_TRUE(FileExists(JoinPath(setupDir, L"padcfg.exe")));
    if (!FileExists(JoinPath(setupDir, L"wintab32.dll")))
        GTEST_SKIP() << "the disk has no wintab32.dll: the stand-in driver is not built";

    /* An earlier driver lies in the system directory: it is replaced. */
    std::wstring driver = JoinPath(SystemDir(), L"wintab32.dll");
    std::wstring panel = JoinPath(WindowsDir(), L"padcfg.exe");
    ASSERT_TRUE(WriteFileBytes(driver, "an earlier driver"));
    DeleteFileW(panel.c_str());

    EndLeftoverLaunchers();
    EndLeftovers(L"#32770", kSetupCaption);
    Process launcher = StartLauncher(BuiltDiskDir());
    EXPECT_EQ(0u, WaitForExit(launcher, 10000));
    KillProcess(launcher); /* should it still run */
    CloseProcess(launcher);

    HWND box = WaitForTopWindow(L"#32770", kSetupCaption, 10000);
    ASSERT_TRUE(box) << "SETUP.EXE showed no box";
    PumpMessages(100); /* painted */
    MessageBoxView v = ReadMessageBox(box);
    EXPECT_FALSE(v.hasErrorIcon) << Narrow(v.text);
    EXPECT_TRUE(Contains(v.text, L"Copied wintab32.dll to " + SystemDir())) << Narrow(v.text);
    EXPECT_TRUE(Contains(v.text, L"Copied padcfg.exe to " + WindowsDir()));
    ASSERT_TRUE(PressButton(box, L"OK"));
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(box); }, 5000));

    EXPECT_TRUE(ReadFileBytes(JoinPath(setupDir, L"wintab32.dll")) == ReadFileBytes(driver))
        << "the driver in the system directory is not the disk's";
    EXPECT_TRUE(ReadFileBytes(JoinPath(setupDir, L"padcfg.exe")) == ReadFileBytes(panel))
        << "the control panel in the Windows directory is not the disk's";
}

TEST(NtSetup, WhereItsFilesAreNotItSaysWhatItCouldNotCopy)
{
    EndLeftovers(L"#32770", kSetupCaption);
    std::wstring dir = MakeScratchDir(L"setup-alone");
    CopyInto(JoinPath(BinDir(), L"ntsetup.exe"), dir, L"SETUP.EXE");
    Process setup = StartProcess(JoinPath(dir, L"SETUP.EXE"), L"", dir);

    HWND box = WaitForWindow(setup.pid, L"#32770", kSetupCaption, 5000);
    ASSERT_TRUE(box);
    PumpMessages(100); /* painted */
    MessageBoxView v = ReadMessageBox(box);
    EXPECT_EQ(IconsCanShow(), v.hasErrorIcon);
    EXPECT_TRUE(Contains(v.text, L"Could not copy wintab32.dll to " + SystemDir()));
    EXPECT_TRUE(Contains(v.text, L"Could not copy padcfg.exe to " + WindowsDir()));
    ASSERT_TRUE(PressButton(box, L"OK"));
    EXPECT_EQ(1u, WaitForExit(setup, 5000));
    KillProcess(setup); /* should it still run */
    CloseProcess(setup);
}

} // namespace
