/* The source check and the copy phase. */
#include "steps.h"

#include <commctrl.h>

#include "winsupport.h"

class CopyTest : public StepTest
{
  protected:
    std::wstring disk;
    void SetUp() override
    {
        StepTest::SetUp();
        disk = CopyInstallDisk(L"copy-disk");
    }
    std::string DiskFile(const char *name)
    {
        return Narrow(JoinPath(disk, Widen(name)));
    }
    /* The lines of the box that names the files not copied, or "". */
    std::string NotCopied()
    {
        char text[REPORT_TEXT_LEN];
        char caption[TEXT_LEN];
        if (!DescribeNotDone(text, sizeof(text), caption))
            return "";
        std::string s = text;
        size_t from = s.find("\n\n") + 2, to = s.rfind("\n\n");
        return from < to ? s.substr(from, to - from) : s;
    }
};

TEST_F(CopyTest, CheckNeedsThePenDriverOnlyWithPenExtensions)
{
    DeleteFileA(DiskFile("QWINTAB\\qwtpen.drv").c_str());
    EXPECT_EQ(1, CheckFrom(disk));
    int total = 0;
    for (const InstalledFile &f : InstalledFiles(false))
        total += (int)ReadAnsiFile(DiskFile(f.disk)).size();
    EXPECT_EQ(total, g_engine.totalSize);
    EXPECT_EQ(total / 100, g_engine.onePercent);

    g_shell.penExtensions = 1;
    EXPECT_EQ(0, CheckFrom(disk));
}

TEST_F(CopyTest, CheckFailsOnAnyMissingFileAndChangesNothing)
{
    std::string before = MachineSnapshot();
    for (const InstalledFile &f : InstalledFiles(false)) {
        std::wstring one = CopyInstallDisk(L"copy-disk-missing");
        DeleteFileA(Narrow(JoinPath(one, Widen(f.disk))).c_str());
        EXPECT_EQ(0, CheckFrom(one)) << f.disk;
    }
    EXPECT_EQ(before, MachineSnapshot());
}

TEST_F(CopyTest, SlotsEndInOneBackslashAlsoAtADriveRoot)
{
    CheckFrom(disk);
    std::string root = Narrow(disk) + "\\";
    EXPECT_EQ(root, g_engine.sourceDir[SRC_DISK]);
    EXPECT_EQ(root + "QWINTAB\\", g_engine.sourceDir[SRC_QWINTAB]);
    EXPECT_EQ(root + "QTABLET\\", g_engine.sourceDir[SRC_QTABLET]);
    EXPECT_EQ(SystemDir(), g_engine.destDir[DST_SYSTEM]);
    EXPECT_EQ(WinDir(), g_engine.destDir[DST_WINDOWS]);
    EXPECT_EQ(WinDir() + "INF\\", g_engine.destDir[DST_INF]);
    EXPECT_EQ(WinDir() + "COMMAND\\", g_engine.destDir[DST_COMMAND]);

    EXPECT_EQ(0, CheckFrom(L"C:\\"));
    EXPECT_STREQ("C:\\", g_engine.sourceDir[SRC_DISK]);
    EXPECT_STREQ("C:\\QWINTAB\\", g_engine.sourceDir[SRC_QWINTAB]);
    EXPECT_STREQ("C:\\QTABLET\\", g_engine.sourceDir[SRC_QTABLET]);
}

/* The installer's code linked into this program calls the system through
   this program's import table; a slot can be pointed at a stand-in. */
DECLARE_IMPORT_SLOT(GetSystemDirectoryA, 8);
DECLARE_IMPORT_SLOT(GetWindowsDirectoryA, 8);

static UINT WINAPI NoDirectory(LPSTR buf, UINT size)
{
    (void)buf;
    (void)size;
    return 0;
}

/* Longer than the buffer: the call returns the size it would need. */
static UINT WINAPI LongDirectory(LPSTR buf, UINT size)
{
    (void)buf;
    return size + 20;
}

TEST_F(CopyTest, WithoutTheSystemOrWindowsDirectoryTheCheckFails)
{
    struct Case {
        void **slot;
        UINT(WINAPI *stand_in)(LPSTR, UINT);
        const char *what;
    } cases[] = {
        {&imp_GetSystemDirectoryA, NoDirectory, "no system directory"},
        {&imp_GetSystemDirectoryA, LongDirectory, "a system directory too long"},
        {&imp_GetWindowsDirectoryA, NoDirectory, "no Windows directory"},
        {&imp_GetWindowsDirectoryA, LongDirectory, "a Windows directory too long"},
    };
    for (const Case &c : cases) {
        void *real = RedirectImport(c.slot, (void *)c.stand_in);
        int result = CheckFrom(disk);
        RedirectImport(c.slot, real);
        /* Else the destinations would be relative to the current directory: the disk. */
        EXPECT_EQ(0, result) << c.what;
    }
    EXPECT_EQ(1, CheckFrom(disk));
}

TEST_F(CopyTest, NineFilesWithoutPenExtensionsTenWith)
{
    for (int pen = 0; pen < 2; pen++) {
        ResetWindowsDir();
        g_shell.penExtensions = pen;
        ASSERT_EQ(1, CheckFrom(disk));
        g_engine.shownProgress = 0;
        SendMessageA(g_page.progress, PBM_SETPOS, 0, 0);
        EXPECT_EQ(pen ? 10 : 9, RunCopyPhase());
        EXPECT_EQ(100, BarPos()) << "the bar stands full at the end of the copy phase";
        for (const InstalledFile &f : InstalledFiles(pen)) {
            EXPECT_EQ(ReadAnsiFile(DiskFile(f.disk)), ReadAnsiFile(f.installed)) << f.installed;
            EXPECT_FALSE(ReadAnsiFile(f.installed).empty()) << f.installed;
        }
        EXPECT_EQ(pen != 0, FileThere(SystemDir() + "qwtpen.drv"));
        EXPECT_STREQ("OEM0.INF", g_engine.oemInfName);
    }
}

TEST_F(CopyTest, InfTakesTheFirstFreeOemNumber)
{
    std::string inf = WinDir() + "INF\\";
    for (int n = 0; n < 3; n++)
        WriteAnsiFile(inf + "OEM" + std::to_string(n) + ".INF",
                      "other device " + std::to_string(n));
    ASSERT_EQ(1, CheckFrom(disk));
    RunCopyPhase();
    EXPECT_STREQ("OEM3.INF", g_engine.oemInfName);
    EXPECT_EQ(ReadAnsiFile(DiskFile("oemsetup.inf")), ReadAnsiFile(inf + "OEM3.INF"));
    for (int n = 0; n < 3; n++)
        EXPECT_EQ("other device " + std::to_string(n),
                  ReadAnsiFile(inf + "OEM" + std::to_string(n) + ".INF"));
}

/* Files copied from a CD carry the read-only attribute, and so do those an
   earlier installation from the same disk left behind. */
TEST_F(CopyTest, ReadOnlyFilesOfAnEarlierRunAreReplacedAndLeftWritable)
{
    std::vector<InstalledFile> files = InstalledFiles(false);
    for (const InstalledFile &f : files) {
        SetFileAttributesA(DiskFile(f.disk).c_str(), FILE_ATTRIBUTE_READONLY);
        WriteAnsiFile(f.installed, "earlier run");
        SetFileAttributesA(f.installed.c_str(), FILE_ATTRIBUTE_READONLY);
    }
    CreateKeyWithValues("System\\CurrentControlSet\\Services\\Class\\QUORAXDevice\\0000",
                        {{"InfPath", "OEM0.INF"}});
    ASSERT_EQ(1, CheckFrom(disk));
    RunCopyPhase();
    ASSERT_STREQ("OEM1.INF", g_engine.oemInfName);
    StartRegistryPhase(NULL);

    EXPECT_FALSE(FileThere(files[0].installed)) << "the earlier run's INF";
    files[0].installed = WinDir() + "INF\\OEM1.INF";
    for (const InstalledFile &f : files) {
        EXPECT_TRUE(ReadAnsiFile(DiskFile(f.disk)) == ReadAnsiFile(f.installed)) << f.installed;
        EXPECT_EQ(0u, GetFileAttributesA(f.installed.c_str()) & FILE_ATTRIBUTE_READONLY)
            << f.installed;
    }
}

TEST_F(CopyTest, AllOemNumbersTakenOverwritesNone)
{
    std::string inf = WinDir() + "INF\\";
    for (int n = 0; n < 100; n++)
        WriteAnsiFile(inf + "OEM" + std::to_string(n) + ".INF", "other device");
    ASSERT_EQ(1, CheckFrom(disk));
    RunCopyPhase();
    EXPECT_STREQ("", g_engine.oemInfName);
    EXPECT_EQ("other device", ReadAnsiFile(inf + "OEM99.INF"));
    EXPECT_TRUE(FileThere(SystemDir() + "wintab32.dll")) << "the other files are still copied";
    EXPECT_EQ("oemsetup.inf to " + WinDir() + "INF\\", NotCopied());
}

TEST_F(CopyTest, BarClimbsByBytesAndNeverPastFull)
{
    ASSERT_EQ(1, CheckFrom(disk));
    StartCopyPhase();
    std::vector<int> positions;
    WPARAM next;
    do {
        next = CopyStep(NULL);
        positions.push_back(BarPos());
        EXPECT_EQ(g_engine.shownProgress, BarPos());
    } while (next == PAGE_COPY_FILE && positions.size() < 20);
    ASSERT_EQ(9u, positions.size());
    int copied = 0;
    std::vector<InstalledFile> files = InstalledFiles(false);
    for (size_t i = 0; i + 1 < positions.size(); i++) {
        copied += (int)ReadAnsiFile(DiskFile(files[i].disk)).size();
        EXPECT_EQ(copied / g_engine.onePercent, positions[i]) << files[i].disk;
    }
    /* The last file's bytes are never counted, yet the bar ends full. */
    EXPECT_EQ(100, positions.back());
}

TEST_F(CopyTest, TinyDiskUnderOneHundredBytesDoesNotDivideByZero)
{
    for (const InstalledFile &f : InstalledFiles(true))
        WriteAnsiFile(DiskFile(f.disk), "abcde");
    ASSERT_EQ(1, CheckFrom(disk));
    ASSERT_EQ(0, g_engine.onePercent);
    std::vector<int> positions;
    StartCopyPhase();
    while (CopyStep(NULL) == PAGE_COPY_FILE && positions.size() < 20)
        positions.push_back(BarPos());
    ASSERT_EQ(8u, positions.size());
    EXPECT_EQ(11, positions[0]); /* 5 of 45 bytes */
    EXPECT_EQ(88, positions[7]);
    EXPECT_EQ(100, BarPos());
}

/* A driver file in use is copied beside the old one and queued for the restart. */
class RenameTest : public CopyTest
{
  protected:
    HANDLE held = INVALID_HANDLE_VALUE;
    std::string wintab32;
    void SetUp() override
    {
        CopyTest::SetUp();
        wintab32 = SystemDir() + "wintab32.dll";
        WriteAnsiFile(wintab32, "old driver in use");
        held = CreateFileA(wintab32.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
        ASSERT_NE(INVALID_HANDLE_VALUE, held);
        ASSERT_EQ(1, CheckFrom(disk));
    }
    void TearDown() override
    {
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);
        CopyTest::TearDown();
    }
    std::string QueuedLine(const char *numbered)
    {
        return wintab32 + "=" + SystemDir() + numbered;
    }
};

TEST_F(RenameTest, FileInUseIsCopiedBesideAndQueuedInANewSection)
{
    RunCopyPhase();
    CloseHandle(held);
    held = INVALID_HANDLE_VALUE;
    EXPECT_EQ("old driver in use", ReadAnsiFile(wintab32));
    EXPECT_EQ(ReadAnsiFile(DiskFile("QWINTAB\\wintab32.dll")),
              ReadAnsiFile(SystemDir() + "wintab32.000"));
    EXPECT_EQ(std::vector<std::string>{QueuedLine("wintab32.000")},
              IniSection("rename", "WININIT.INI"));
    EXPECT_TRUE(FileThere(SystemDir() + "qxthk16.dll")) << "the copy phase goes on";
}

TEST_F(RenameTest, AllThousandNumberedNamesTakenOverwritesNone)
{
    for (int n = 0; n < 1000; n++) {
        char name[16];
        wsprintfA(name, "wintab32.%.3d", n);
        WriteAnsiFile(SystemDir() + name, "someone's file");
    }
    RunCopyPhase();
    EXPECT_EQ("someone's file", ReadAnsiFile(SystemDir() + "wintab32.999"));
    EXPECT_EQ(std::vector<std::string>{}, IniSection("rename", "WININIT.INI"));
    EXPECT_EQ("wintab32.dll to " + wintab32, NotCopied());
}

TEST_F(RenameTest, QueuedAfterTheExistingLinesOfALongSection)
{
    std::vector<std::string> lines = {"NUL=C:\\WINDOWS\\TEMP\\OLD.TMP"};
    for (int i = 0; i < 40; i++)
        lines.push_back("C:\\WINDOWS\\SYSTEM\\VENDOR" + std::to_string(i) +
                        ".DLL=C:\\WINDOWS\\SYSTEM\\VENDOR" + std::to_string(i) + ".NEW");
    WriteIniSection("rename", lines, "WININIT.INI");
    WriteAnsiFile(SystemDir() + "wintab32.000", "an earlier pending copy");

    RunCopyPhase();
    lines.push_back(QueuedLine("wintab32.001"));
    EXPECT_EQ(lines, IniSection("rename", "WININIT.INI"));
    EXPECT_EQ("an earlier pending copy", ReadAnsiFile(SystemDir() + "wintab32.000"));
}

/* The disk's file cannot be read (another program holds it): the copy fails
   as for a file in use, and so does the copy beside the old file. */
TEST_F(CopyTest, AFileThatCouldNotBeCopiedBesideIsNotQueuedForTheRestart)
{
    ASSERT_EQ(1, CheckFrom(disk));
    HANDLE held = CreateFileA(DiskFile("QWINTAB\\wintab32.dll").c_str(), GENERIC_READ, 0, NULL,
                              OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    RunCopyPhase();
    CloseHandle(held);
    EXPECT_EQ(std::vector<std::string>{}, IniSection("rename", "WININIT.INI"));
    EXPECT_EQ("wintab32.dll to " + SystemDir() + "wintab32.dll", NotCopied());
    EXPECT_TRUE(FileThere(SystemDir() + "qxthk16.dll")) << "the copy phase goes on";
}
