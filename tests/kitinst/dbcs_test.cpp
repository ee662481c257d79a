/*
 * Run under a Japanese system locale (ANSI code page 932, see
 * tests/CMakeLists.txt), where the trail byte of a double-byte character can
 * be 0x5C, the byte of the backslash: a disk folder named "...\ソ" (0x83 0x5C)
 * looks, byte by byte, as if it ended in a backslash.
 */
#include "steps.h"

#include "winsupport.h"

TEST_F(StepTest, DiskFolderEndingInATrailByteOfBackslashGetsItsSeparator)
{
    ASSERT_EQ(932u, GetACP()) << "not run under the Japanese locale: the test proves nothing";
    std::wstring disk = CopyInstallDisk(L"disk-\x30bd");
    std::string ansi = AnsiOf(disk);
    ASSERT_EQ('\x5c', ansi.back());

    EXPECT_EQ(1, CheckFrom(disk)) << "a false missing-files box";
    EXPECT_EQ(ansi + "\\", g_engine.sourceDir[SRC_DISK]);
    EXPECT_EQ(ansi + "\\QWINTAB\\", g_engine.sourceDir[SRC_QWINTAB]);
    EXPECT_EQ(ansi + "\\QTABLET\\", g_engine.sourceDir[SRC_QTABLET]);
}
