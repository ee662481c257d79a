/* The INI phase: driver lists extended, never replaced or cut. */
#include "steps.h"

class IniTest : public StepTest
{
};

TEST_F(IniTest, BootDriversGainTheAliasOnceWhateverItsCase)
{
    struct Case {
        const char *before; /* null: no drivers key */
        const char *after;
    } cases[] = {
        {"mmsystem.dll", "mmsystem.dll QWINTAB"},
        {"mmsystem.dll qwintab", "mmsystem.dll qwintab"},
        {"Mmsystem.dll QWinTab mciavi.drv", "Mmsystem.dll QWinTab mciavi.drv"},
        {NULL, "QWINTAB"},
    };
    for (const Case &c : cases) {
        ResetIniFiles();
        WritePrivateProfileStringA("boot", "drivers", c.before, "SYSTEM.INI");
        IniStep(NULL, 405);
        EXPECT_EQ(c.after, IniValue("boot", "drivers", "SYSTEM.INI"))
            << (c.before ? c.before : "(none)");
    }
}

TEST_F(IniTest, LongBootDriversValueIsExtendedWhole)
{
    std::string drivers = "mmsystem.dll";
    for (int i = 0; i < 60; i++)
        drivers += " vendor" + std::to_string(i) + ".drv";
    ASSERT_GT(drivers.size(), 600u);
    WritePrivateProfileStringA("boot", "drivers", drivers.c_str(), "SYSTEM.INI");
    IniStep(NULL, 405);
    EXPECT_EQ(drivers + " QWINTAB", IniValue("boot", "drivers", "SYSTEM.INI"));
}

TEST_F(IniTest, Enh386GainsTheDeviceLastAndKeepsEveryLineOfALongSection)
{
    std::vector<std::string> before = IniSection("386Enh", "SYSTEM.INI");
    ASSERT_EQ(Win95Enh386(), before);
    size_t bytes = 0;
    for (const std::string &l : before)
        bytes += l.size() + 1;
    ASSERT_GT(bytes, 2048u) << "the machine's [386Enh] must be longer than the old 1 KB buffer";

    IniStep(NULL, 406);
    std::vector<std::string> expected = before;
    expected.push_back("device=vqxsd.386");
    EXPECT_EQ(expected, IniSection("386Enh", "SYSTEM.INI"));

    /* A second run adds nothing. */
    IniStep(NULL, 406);
    EXPECT_EQ(expected, IniSection("386Enh", "SYSTEM.INI"));
}

TEST_F(IniTest, Enh386WithTheDeviceInAnyCaseIsLeftAlone)
{
    std::vector<std::string> lines = {"device=*vcd", "DEVICE=VQXSD.386", "device=*vpd"};
    WriteIniSection("386Enh", lines, "SYSTEM.INI");
    std::string file = ReadAnsiFile(WinDir() + "system.ini");
    IniStep(NULL, 406);
    EXPECT_EQ(lines, IniSection("386Enh", "SYSTEM.INI"));
    EXPECT_EQ(file, ReadAnsiFile(WinDir() + "system.ini"));
}

TEST_F(IniTest, MissingEnh386GetsTheDeviceAlone)
{
    WritePrivateProfileStringA("386Enh", NULL, NULL, "SYSTEM.INI");
    IniStep(NULL, 406);
    EXPECT_EQ(std::vector<std::string>{"device=vqxsd.386"}, IniSection("386Enh", "SYSTEM.INI"));
}

TEST_F(IniTest, OnlyTheMakersMouseDriverIsRepaired)
{
    struct Case {
        const char *mouseDrv;
        const char *vmouse;
        const char *mouseDrvAfter;
        const char *vmouseAfter;
    } cases[] = {
        {"qxmouse.drv", "*vmd", "mouse.drv", "*vmouse, msmouse.vxd"},
        {"QXMouse.DRV", "*VMD", "mouse.drv", "*vmouse, msmouse.vxd"},
        {"qxmouse.drv", "*vmouse, msmouse.vxd", "mouse.drv", "*vmouse, msmouse.vxd"},
        {"qxmouse.drv", NULL, "mouse.drv", "<absent>"},
        {"logimous.drv", "*vmd", "logimous.drv", "*vmd"},
        {"qxmouse.drv2", "*vmd", "qxmouse.drv2", "*vmd"},
        {NULL, "*vmd", "<absent>", "*vmd"},
    };
    for (const Case &c : cases) {
        ResetIniFiles();
        WritePrivateProfileStringA("boot", "mouse.drv", c.mouseDrv, "SYSTEM.INI");
        WritePrivateProfileStringA("386Enh", "mouse", c.vmouse, "SYSTEM.INI");
        EXPECT_EQ(MAKEWPARAM(PAGE_INI_STEP, 412), IniStep(NULL, 409));
        EXPECT_EQ(c.mouseDrvAfter, IniValue("boot", "mouse.drv", "SYSTEM.INI")) << c.mouseDrv;
        EXPECT_EQ(c.vmouseAfter, IniValue("386Enh", "mouse", "SYSTEM.INI")) << c.mouseDrv;
    }
}

TEST_F(IniTest, PhaseWithoutPenExtensionsWritesNoPenEntries)
{
    g_engine.iniStepSize = 16;
    WritePrivateProfileSectionA("QUORAX MM-compatible Tablet Driver", "Csr=3\0Old=1\0",
                                "WINTAB.INI");
    std::vector<int> steps = RunIniPhase();
    EXPECT_EQ((std::vector<int>{404, 405, 406, 407, 408, 409, 412}), steps);
    EXPECT_EQ(100, BarPos());

    EXPECT_EQ("0", IniValue("windows", "SkipMouseRedetect", "WIN.INI"));
    EXPECT_EQ("mmsystem.dll QWINTAB", IniValue("boot", "drivers", "SYSTEM.INI"));
    EXPECT_EQ("qwintab.drv", IniValue("drivers", "qwintab", "SYSTEM.INI"));
    EXPECT_EQ("<absent>", IniValue("drivers", "pen", "SYSTEM.INI"));
    /* The value is a single blank, which the profile functions read back trimmed. */
    EXPECT_NE("<absent>", IniValue("vqxsd.386", "QWINTAB", "SYSTEM.INI"));
    EXPECT_EQ(std::vector<std::string>{"Csr=1"},
              IniSection("QUORAX MM-compatible Tablet Driver", "WINTAB.INI"));
    /* The rest of the machine's SYSTEM.INI stays as it was. */
    EXPECT_EQ("Explorer.exe", IniValue("boot", "shell", "SYSTEM.INI"));
    EXPECT_EQ("msacm.drv", IniValue("drivers", "wavemapper", "SYSTEM.INI"));
}

TEST_F(IniTest, PhaseWithPenExtensionsAddsThePenDriverAndASecondRunNothing)
{
    g_shell.penExtensions = 1;
    g_engine.iniStepSize = 12;
    EXPECT_EQ((std::vector<int>{404, 405, 406, 407, 408, 409, 410, 411, 412}), RunIniPhase());
    EXPECT_EQ(100, BarPos());
    EXPECT_EQ("mmsystem.dll QWINTAB PEN", IniValue("boot", "drivers", "SYSTEM.INI"));
    EXPECT_EQ("qwtpen.drv", IniValue("drivers", "pen", "SYSTEM.INI"));

    std::string system = ReadAnsiFile(WinDir() + "system.ini");
    std::string win = ReadAnsiFile(WinDir() + "win.ini");
    RunIniPhase();
    EXPECT_EQ(system, ReadAnsiFile(WinDir() + "system.ini"));
    EXPECT_EQ(win, ReadAnsiFile(WinDir() + "win.ini"));
}

TEST_F(IniTest, StepsOutsideTheRangeDoNothing)
{
    std::string system = ReadAnsiFile(WinDir() + "system.ini");
    EXPECT_EQ(0u, IniStep(NULL, 403));
    EXPECT_EQ(0u, IniStep(NULL, 413));
    EXPECT_EQ(system, ReadAnsiFile(WinDir() + "system.ini"));
}
