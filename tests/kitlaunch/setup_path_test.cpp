/*
 * The launcher's setup directory, built in-process: the launcher's own source
 * is compiled into this test so that its path building can be driven from
 * directories of any length.
 */
#include "../../kitlaunch/main.cpp"

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
    ASSERT_TRUE(BuildSetupPath());
    EXPECT_STREQ("C:\\NTWINTAB\\", s_szPath);

    ASSERT_TRUE(SetCurrentDirectoryA("C:\\windows"));
    ASSERT_TRUE(BuildSetupPath());
    EXPECT_STREQ("C:\\windows\\NTWINTAB\\", s_szPath);
}

TEST_F(SetupPathTest, ThatDoesNotFitThePathBufferIsNotReached)
{
    /* 249 + "\NTWINTAB\" is 259 characters: the longest that fits. */
    std::string fits = DirOfLength(L"path-fits", PATH_LEN - 11);
    ASSERT_EQ(PATH_LEN - 11, fits.size());
    ASSERT_TRUE(SetCurrentDirectoryA(fits.c_str())) << fits;
    ASSERT_TRUE(BuildSetupPath());
    EXPECT_EQ(fits + "\\NTWINTAB\\", s_szPath);

    std::string tooLong = DirOfLength(L"path-over", PATH_LEN - 10);
    ASSERT_EQ(PATH_LEN - 10, tooLong.size());
    ASSERT_TRUE(SetCurrentDirectoryA(tooLong.c_str())) << tooLong;
    EXPECT_FALSE(BuildSetupPath());
}

} // namespace
