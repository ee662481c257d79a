/* The registry phase: clean-up of earlier installations and the four steps. */
#include "steps.h"

#include "winsupport.h"

static const std::string kClass = "System\\CurrentControlSet\\Services\\Class\\";
static const std::string kTabletClass = kClass + "QUORAXDevice";
static const std::string kRoot = "Enum\\Root\\QUORAXDevice";
static const std::string kMice = "Enum\\Root\\Mouse\\";

/* Every instance number 0000-9999 in use below the key; with values, each
   instance a mouse that is no tablet, whose INF is not there. */
static void TakeAllInstanceNumbers(const std::string &path, bool withValues)
{
    HKEY parent;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, path.c_str(), &parent));
    for (int n = 0; n < 10000; n++) {
        char name[8];
        sprintf(name, "%.4d", n);
        HKEY key;
        RegCreateKeyA(parent, name, &key);
        if (withValues) {
            RegSetValueExA(key, "DeviceDesc", 0, REG_SZ, (const BYTE *)"Standard Serial Mouse", 22);
            RegSetValueExA(key, "InfPath", 0, REG_SZ, (const BYTE *)"NOSUCH.INF", 11);
        }
        RegCloseKey(key);
    }
    RegCloseKey(parent);
}

class RegistryTest : public StepTest
{
  protected:
    void RunRegistryPhase()
    {
        StartRegistryPhase(NULL);
        for (int step = REG_FIRST_STEP; step <= REG_LAST_STEP; step++)
            EXPECT_EQ(step == REG_LAST_STEP ? (WPARAM)PAGE_END
                                            : MAKEWPARAM(PAGE_REG_STEP, step + 1),
                      RegistryStep(NULL, step));
    }
    std::string Inf(const char *name)
    {
        return WinDir() + "INF\\" + name;
    }
};

TEST_F(RegistryTest, FreshInstallWritesExactlyTheTable)
{
    lstrcpyA(g_engine.oemInfName, "OEM3.INF");
    RunRegistryPhase();
    EXPECT_EQ(100, BarPos()) << "twenty actions of five";

    for (const auto &key : FreshInstallKeys("OEM3.INF"))
        EXPECT_EQ(key.second, KeyValues(key.first)) << key.first;

    /* Nothing else: one class instance, one device instance, no serial entry. */
    std::string dump = RegistryDump(HKEY_LOCAL_MACHINE, "Enum");
    EXPECT_EQ(std::string::npos, dump.find("0001"));
    EXPECT_EQ(std::string::npos, dump.find("SERENUM"));
    EXPECT_FALSE(KeyExists(kTabletClass + "\\0001"));
}

TEST_F(RegistryTest, SecondInstallReplacesTheFirstAndDeletesItsInf)
{
    CreateKeyWithValues("Enum\\SERENUM\\QRX0000\\LogConfig", {{"x", "y"}});
    lstrcpyA(g_engine.oemInfName, "OEM0.INF");
    WriteAnsiFile(Inf("OEM0.INF"), "first install");
    RunRegistryPhase();
    EXPECT_FALSE(KeyExists("Enum\\SERENUM\\QRX0000"));
    EXPECT_TRUE(FileThere(Inf("OEM0.INF")));
    std::string first = InstallerRegistry();

    /* OEM0.INF being taken, the second run's copy phase picks OEM1.INF. */
    lstrcpyA(g_engine.oemInfName, "OEM1.INF");
    WriteAnsiFile(Inf("OEM1.INF"), "second install");
    StartRegistryPhase(NULL);
    EXPECT_FALSE(FileThere(Inf("OEM0.INF")));
    EXPECT_TRUE(FileThere(Inf("OEM1.INF")));
    EXPECT_FALSE(KeyExists(kTabletClass));
    EXPECT_FALSE(KeyExists(kRoot));
    for (int step = REG_FIRST_STEP; step <= REG_LAST_STEP; step++)
        RegistryStep(NULL, step);
    size_t at = first.find("InfPath|REG_SZ|OEM0.INF");
    ASSERT_NE(std::string::npos, at);
    first.replace(at, 23, "InfPath|REG_SZ|OEM1.INF");
    EXPECT_EQ("", LineDiff(first, InstallerRegistry()));
}

/* Old entries name an OEMn.INF that is gone (a copy that failed, a file the
   user deleted): this run takes that free name for its own INF. */
TEST_F(RegistryTest, CleanUpKeepsTheInfThisRunCopiedUnderAnOldEntrysName)
{
    std::wstring disk = CopyInstallDisk(L"reg-disk");
    for (int n = 0; n < 3; n++)
        WriteAnsiFile(Inf(("OEM" + std::to_string(n) + ".INF").c_str()), "other device");
    CreateKeyWithValues(kTabletClass + "\\0000", {{"InfPath", "OEM3.INF"}});
    CreateKeyWithValues(kMice + "0001",
                        {{"DeviceDesc", "QUORAX Tablet"}, {"Driver", "Mouse\\0007"}});
    CreateKeyWithValues(kClass + "Mouse\\0007", {{"InfPath", "oem3.inf"}});
    ASSERT_EQ(1, CheckFrom(disk));
    RunCopyPhase();
    ASSERT_STREQ("OEM3.INF", g_engine.oemInfName);

    RunRegistryPhase();
    ASSERT_TRUE(FileThere(Inf("OEM3.INF"))) << "the clean-up deleted this run's INF";
    EXPECT_TRUE(ReadAnsiFile(Narrow(disk) + "\\oemsetup.inf") == ReadAnsiFile(Inf("OEM3.INF")));
    EXPECT_EQ("InfPath|REG_SZ|OEM3.INF", KeyValues(kTabletClass + "\\0000")[1]);
    EXPECT_FALSE(KeyExists(kMice + "0001"));
}

TEST_F(RegistryTest, OldTabletMiceGoWithTheirClassInstanceAndInfOthersStay)
{
    CreateKeyWithValues(kMice + "0000",
                        {{"DeviceDesc", "Standard Serial Mouse"}, {"Driver", "Mouse\\0000"}});
    CreateKeyWithValues(kClass + "Mouse\\0000", {{"InfPath", "MSMOUSE.INF"}});
    CreateKeyWithValues(kMice + "0003",
                        {{"DeviceDesc", "quorax tablet (old driver)"}, {"Driver", "Mouse\\0001"}});
    CreateKeyWithValues(kClass + "Mouse\\0001", {{"InfPath", "OEM7.INF"}});
    CreateKeyWithValues(kMice + "0003\\LogConfig", {{"0000", "irq 4"}});
    CreateKeyWithValues(kMice + "9999", {{"DeviceDesc", "QUORAX TABLET"}});
    CreateKeyWithValues(kMice + "0042",
                        {{"DeviceDesc", "QUORAX Tablett"}, {"Driver", "Mouse\\0002"}});
    CreateKeyWithValues(kMice + "0050", {{"DeviceDesc", "Logitech QUORAX Tablet"}});
    WriteAnsiFile(Inf("OEM7.INF"), "old tablet");
    WriteAnsiFile(Inf("MSMOUSE.INF"), "mouse");

    CleanUpOldInstalls();
    EXPECT_TRUE(KeyExists(kMice + "0000"));
    EXPECT_TRUE(KeyExists(kClass + "Mouse\\0000"));
    EXPECT_TRUE(FileThere(Inf("MSMOUSE.INF")));
    EXPECT_FALSE(KeyExists(kMice + "0003"));
    EXPECT_FALSE(KeyExists(kClass + "Mouse\\0001"));
    EXPECT_FALSE(FileThere(Inf("OEM7.INF")));
    EXPECT_FALSE(KeyExists(kMice + "9999")) << "the scan does not stop at gaps";
    EXPECT_FALSE(KeyExists(kMice + "0042")) << "thirteen characters are compared";
    EXPECT_TRUE(KeyExists(kMice + "0050"));
    DeleteFileA(Inf("MSMOUSE.INF").c_str());
}

TEST_F(RegistryTest, RegistryDataCannotLeadTheCleanUpOutside)
{
    /* InfPath values that are not plain names inside Windows\INF. */
    WriteAnsiFile(WinDir() + "keep.txt", "keep");
    CreateKeyWithValues(kTabletClass + "\\0000", {{"InfPath", "..\\keep.txt"}});
    CreateKeyWithValues(kTabletClass + "\\0001", {{"InfPath", WinDir() + "keep.txt"}});
    CreateKeyWithValues(kTabletClass + "\\0002", {{"InfPath", "C:keep.txt"}});
    /* Driver values that name a whole class or nothing. */
    CreateKeyWithValues(kClass + "Mouse\\0000", {{"InfPath", "MSMOUSE.INF"}});
    CreateKeyWithValues(kMice + "0001", {{"DeviceDesc", "QUORAX Tablet"}, {"Driver", "Mouse"}});
    CreateKeyWithValues(kMice + "0002", {{"DeviceDesc", "QUORAX Tablet"}, {"Driver", ""}});
    CreateKeyWithValues(kMice + "0003", {{"DeviceDesc", "QUORAX Tablet"}, {"Driver", "\\Mouse"}});

    CleanUpOldInstalls();
    EXPECT_EQ("keep", ReadAnsiFile(WinDir() + "keep.txt"));
    EXPECT_TRUE(KeyExists(kClass + "Mouse\\0000"));
    EXPECT_TRUE(KeyExists("System\\CurrentControlSet\\Services\\Class"));
    EXPECT_FALSE(KeyExists(kMice + "0001")) << "the old entry itself still goes";
    EXPECT_FALSE(KeyExists(kTabletClass));
    DeleteFileA((WinDir() + "keep.txt").c_str());
}

/* A key path from a string that failed to load is empty, a cut one names a
   key higher up: neither is deleted, nor anything outside the installer's
   own places. */
TEST_F(RegistryTest, KeyTreesOutsideTheInstallersOwnAreNeverDeleted)
{
    CreateKeyWithValues("Software\\QuoraxKeep\\Below", {{"x", "y"}});
    HKEY keep;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software\\QuoraxKeep", &keep));
    EXPECT_FALSE(DeleteKeyTree(keep, ""));
    RegCloseKey(keep);
    EXPECT_FALSE(DeleteKeyTree(HKEY_LOCAL_MACHINE, "Software\\QuoraxKeep"));
    EXPECT_TRUE(KeyExists("Software\\QuoraxKeep\\Below"));
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\QuoraxKeep");
}

TEST_F(RegistryTest, AllInstanceNumbersTakenOverwritesNone)
{
    ASSERT_NO_FATAL_FAILURE(TakeAllInstanceNumbers(kTabletClass, false));
    CreateKeyWithValues(kTabletClass + "\\9999", {{"DriverDesc", "someone else"}});

    lstrcpyA(g_engine.oemInfName, "OEM1.INF");
    EXPECT_EQ(MAKEWPARAM(PAGE_REG_STEP, 415), RegistryStep(NULL, 414));
    EXPECT_EQ(std::vector<std::string>{"DriverDesc|REG_SZ|someone else"},
              KeyValues(kTabletClass + "\\9999"));
    EXPECT_TRUE(KeyValues(kTabletClass + "\\0000").empty());
    EXPECT_EQ(25, BarPos()) << "the bar moves on all the same";

    EXPECT_EQ(MAKEWPARAM(PAGE_REG_STEP, 416), RegistryStep(NULL, 415));
    EXPECT_FALSE(KeyExists(kRoot)) << "a device instance whose Driver names nothing";
    EXPECT_EQ(60, BarPos());
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kTabletClass.c_str());
}

static double SecondsOfCleanUp()
{
    LARGE_INTEGER freq, start, end;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&start);
    CleanUpOldInstalls();
    QueryPerformanceCounter(&end);
    return double(end.QuadPart - start.QuadPart) / double(freq.QuadPart);
}

/* The clean-up looks up every one of 10,000 numbers in two places. */
TEST_F(RegistryTest, CleanUpScanOf20000InstanceNumbers)
{
    CreateKeyWithValues(kMice + "0000", {{"DeviceDesc", "Standard Serial Mouse"}});
    CreateKeyWithValues(kMice + "9999", {{"DeviceDesc", "QUORAX Tablet"}});
    CreateKeyWithValues(kTabletClass + "\\0000", {{"InfPath", "OEM1.INF"}});
    double seconds = SecondsOfCleanUp();
    printf("clean-up scan of 20,000 instance numbers (3 keys present): %.3f s\n", seconds);
    EXPECT_FALSE(KeyExists(kMice + "9999"));
    EXPECT_LT(seconds, 0.5);
}

TEST_F(RegistryTest, CleanUpScanOf20000InstanceKeys)
{
    for (const std::string &path : {kMice.substr(0, kMice.size() - 1), kTabletClass})
        ASSERT_NO_FATAL_FAILURE(TakeAllInstanceNumbers(path, true));
    double seconds = SecondsOfCleanUp();
    printf("clean-up scan of 20,000 existing instance keys: %.3f s\n", seconds);
    EXPECT_FALSE(KeyExists(kTabletClass));
    EXPECT_TRUE(KeyExists(kMice + "9999"));
    /* Three or four registry calls per key; the bound only catches a scan
       that has gone quadratic. */
    EXPECT_LT(seconds, 30.0);
}
