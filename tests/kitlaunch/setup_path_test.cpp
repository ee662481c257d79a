/*
 * The launcher's setup directory, built in-process: the launcher's path
 * building is linked into this test so that it can be driven from
 * directories of any length.
 */
#include "kitlaunch.h"

#include "winsupport.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

/* Restores the test's current directory afterwards. */
class SetupPathTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        GetCurrentDirectoryW(MAX_PATH, saved);
    }
    void TearDown() override
    {
        SetCurrentDirectoryW(saved);
    }
    wchar_t saved[MAX_PATH];
    char path[MAX_PATH];
};

/* A fresh directory whose full path is exactly len characters long. */
std::string DirOfLength(const wchar_t *name, size_t len)
{
    std::wstring dir = MakeScratchDir(name);
    while (dir.size() + 1 < len) {
        size_t remaining = len - dir.size();
        /* Parts of at most 40, and room left for a last one. */
        size_t part = remaining <= 41 ? remaining - 1 : (remaining - 3 < 40 ? remaining - 3 : 40);
        dir = JoinPath(dir, std::wstring(part, L'd'));
        CreateDirectoryW(dir.c_str(), NULL);
    }
    return std::string(dir.begin(), dir.end());
}

TEST_F(SetupPathTest, IsTheCurrentDirectoryPlusNtwintabWithOneBackslash)
{
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
    ASSERT_TRUE(BuildSetupPath(path));
    EXPECT_STREQ("C:\\NTWINTAB\\", path);

    ASSERT_TRUE(SetCurrentDirectoryA("C:\\windows"));
    ASSERT_TRUE(BuildSetupPath(path));
    EXPECT_STREQ("C:\\windows\\NTWINTAB\\", path);
}

TEST_F(SetupPathTest, ThatDoesNotFitThePathBufferIsNotReached)
{
    /* 249 + "\NTWINTAB\" is 259 characters: the longest that fits. */
    std::string fits = DirOfLength(L"path-fits", MAX_PATH - 11);
    ASSERT_EQ(MAX_PATH - 11, fits.size());
    ASSERT_TRUE(SetCurrentDirectoryA(fits.c_str())) << fits;
    ASSERT_TRUE(BuildSetupPath(path));
    EXPECT_EQ(fits + "\\NTWINTAB\\", path);

    std::string tooLong = DirOfLength(L"path-over", MAX_PATH - 10);
    ASSERT_EQ(MAX_PATH - 10, tooLong.size());
    ASSERT_TRUE(SetCurrentDirectoryA(tooLong.c_str())) << tooLong;
    EXPECT_FALSE(BuildSetupPath(path));
}

} // namespace
