/*
 * Run under a Japanese system locale (ANSI code page 932, see
 * tests/CMakeLists.txt), which the launcher inherits: a disk folder named
 * "...\ソ" ends in the byte 0x5C, the trail byte of its last character.
 */
#include "launcher_support.h"

#include <gtest/gtest.h>

TEST(LauncherDbcs, FromAFolderEndingInATrailByteOfBackslashSetupStarts)
{
    ASSERT_EQ(932u, GetACP()) << "not run under the Japanese locale: the test proves nothing";
    ASSERT_TRUE(SetRegString(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\kitlaunch.exe",
                             L"Version", L"nt40"));
    EndLeftoverLaunchers();
    ResetProbe();
    std::wstring disk = MakeDisk(L"disk-\x30bd", DISK_PROBE_SETUP);
    ASSERT_EQ('\x5c', AnsiOf(disk).back());

    Process p = StartLauncher(disk);
    /* A box would keep it waiting: it found no NTWINTAB directory. */
    DWORD code = WaitForExit(p, 10000);
    if (code == STILL_ACTIVE)
        KillProcess(p);
    CloseProcess(p);
    /* The first program of a prefix in a new locale starts slowly. */
    ProbeReport probe = ReadProbe(10000);
    EXPECT_EQ(0u, code);
    ASSERT_TRUE(probe.ran) << "SETUP.EXE was not started";
    EXPECT_EQ(AnsiOf(disk) + "\\NTWINTAB", probe.currentDir);
}
