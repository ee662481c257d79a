/*
 * The settings record against the stand-in driver: what is read from which
 * context, what is written where and what is left alone, and the warning
 * before a tablet button map leaves a mouse button out.
 */
#include "panel.h"
#include "dialogdriver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>

/* The settings of a record, without where it was read from. */
static const size_t kSettings = offsetof(TabletSettings, source);

class Settings : public ::testing::Test
{
  protected:
    void Load(const std::string &ini)
    {
        ASSERT_NE((HWND)NULL, RestartPanel(ini));
    }
    void TearDown() override
    {
        StopPanel();
        UseTablet("");
    }
};

static std::vector<BYTE> Bytes(std::initializer_list<int> first)
{
    std::vector<BYTE> map(32);
    std::copy(first.begin(), first.end(), map.begin());
    return map;
}

TEST_F(Settings, ReadsTheFirstSystemContextOfTheDeviceAndWritesEveryOneOfThem)
{
    Load("[Interface]\r\nDevices=2\r\nSystemContexts=4\r\n"
         "[Device1]\r\nName=Other tablet\r\n"
         "[Context0]\r\nName=Digitizing\r\n"
         "[Context1]\r\nName=Default System\r\nDevice=1\r\n"
         "[Context2]\r\nName=default system\r\nOptions=1\r\nInOrgX=100\r\nInOrgY=200\r\n"
         "InExtX=5000\r\nInExtY=6000\r\nSysMode=1\r\nSysSensX=0.5\r\nSysSensY=0.5\r\n"
         "[Context3]\r\nName=DEFAULT SYSTEM 2\r\nOptions=3\r\nOutExtX=500\r\n");
    std::vector<LOGCONTEXTW> before = Contexts();

    TabletSettings r,
        expected = {0, 0x8000, 0, 100, 11999 - 6200, 5100, 11999 - 200, 1, {1, 4}, {}};
    ReadSettings(&r);
    EXPECT_EQ(0, memcmp(&expected, &r, kSettings));

    r = {1, 0x18000, 0, 10, 20, 1010, 2020, 1, {1, 4}, {}}; /* made up: every setting is new */
    ApplySettings(&r);
    std::vector<LOGCONTEXTW> after = Contexts();
    ASSERT_EQ(5u, after.size());
    EXPECT_EQ(0, memcmp(&before[0], &after[0], sizeof(LOGCONTEXTW))) << "a context by another name";
    EXPECT_EQ(0, memcmp(&before[1], &after[1], sizeof(LOGCONTEXTW))) << "another device's";

    /* The seven fields into both and into the manager's default, and
       nothing else. */
    for (int i : {2, 3, 4}) {
        LOGCONTEXTW lc = before[i];
        lc.lcInOrgX = 10;
        lc.lcInOrgY = 11999 - 2020;
        lc.lcInExtX = 1000;
        lc.lcInExtY = 2000;
        lc.lcSysMode = 0;
        lc.lcSysSensX = lc.lcSysSensY = 0x18000;
        lc.lcStatus = after[i].lcStatus;
        EXPECT_EQ(0, memcmp(&lc, &after[i], sizeof(lc))) << "context " << i;
    }
}

/* Reading, and the probe that teaches a record the default map and the
   whole tablet, leave the driver as it was. */
TEST_F(Settings, ReadsModeWholeTabletAndDefaultMapLeavingTheDriverAsItWas)
{
    const struct {
        const char *ini;
        LONG mode;
        DWORD whole, defaults;
    } cases[] = {
        {"[Context0]\r\nSysMode=0\r\n", 1, 1, 1},
        {"[Context0]\r\nSysMode=1\r\nOptions=3\r\n", 1, 1, 1}, /* pen on both sides */
        {"[Context0]\r\nSysMode=1\r\nOptions=1\r\n", 0, 1, 1},
        {"[Interface]\r\nContextOptions=0xC00D\r\n[Context0]\r\nSysMode=1\r\nOptions=3\r\n", 0, 1,
         1},
        {"[Context0]\r\nInOrgX=1\r\nInExtX=11998\r\n", 1, 0, 1},
        {"[Context0]\r\nInOrgY=1\r\nInExtY=11998\r\n", 1, 0, 1},
        {"[Context0]\r\nInExtX=11998\r\n", 1, 0, 1},
        {"[Context0]\r\nInExtY=11998\r\nSysSensX=0.75\r\nSysSensY=0.5\r\n", 1, 0, 1},
        {"[Device0]\r\nX=100, 12099, 1, 1000\r\nY=100, 12099, 1, 1000\r\n", 1, 1, 1},
        {"[Cursor0]\r\nSysButtonMap=0x11,0x84\r\n", 1, 1, 1}, /* pen actions only */
        {"[Cursor0]\r\nSysButtonMap=0x01,0x05\r\n", 1, 1, 0},
        {"[Cursor0]\r\nActive=0\r\nSysButtonMap=0x01,0x05\r\n", 1, 1,
         0}, /* none active: the first */
        {"[Cursor0]\r\nSysButtonMap=0x01,0x04,0x02\r\n", 1, 1, 0},
    };
    for (const auto &t : cases) {
        Load(t.ini);
        std::string state = DriverState();
        TabletSettings r;
        ReadSettings(&r);
        EXPECT_EQ(t.mode, r.trackingMode) << t.ini;
        EXPECT_EQ(t.whole, r.wholeTablet) << t.ini;
        EXPECT_EQ(t.defaults, r.defaultButtons) << t.ini;
        EXPECT_EQ(Contexts()[0].lcSysSensX, r.sensitivity) << t.ini;
        EXPECT_EQ(0, memcmp(Map(0).data(), r.sysButtonMap, 32)) << t.ini;
        EXPECT_EQ(state, DriverState()) << t.ini;

        /* The probe learns the buttons only; the rest stays the record's. */
        r.defaultButtons = r.wholeTablet = 1;
        TabletSettings asked = r;
        ProbeSettings(&r);
        EXPECT_EQ(state, DriverState()) << t.ini;
        for (int i = 0; i < 32; i++) /* the stylus's default actions: left, right */
            EXPECT_EQ(i == 0 ? 1 : i == 1 ? 4 : 0, r.sysButtonMap[i] & 0x0F) << t.ini;
        EXPECT_EQ(0, memcmp(&asked, &r, offsetof(TabletSettings, defaultButtons))) << t.ini;
    }
}

TEST_F(Settings, TheDefaultMapKeepsTheRecordsPenActionsUnlessItHasItsOwn)
{
    const struct {
        const char *defaults;
        std::vector<BYTE> expected;
    } cases[] = {
        {"0x01,0x04", Bytes({0x31, 0x44})},
        {"0x11,0x04", Bytes({0x11, 0x04})},
    };
    for (const auto &t : cases) {
        Load(std::string("[Cursor0]\r\nSysButtonMap=0x02,0x05\r\nDefaultSysButtonMap=") +
             t.defaults + "\r\n");
        TabletSettings r = {1, 0x10000, 1, 0, 0, 11999, 11999, 1, {0x32, 0x45}, {}};
        ApplySettings(&r);
        EXPECT_EQ(t.expected, Map(0)) << t.defaults;
        EXPECT_EQ(t.expected, std::vector<BYTE>(r.sysButtonMap, r.sysButtonMap + 32));
    }
}

TEST_F(Settings, WithoutASystemContextOfTheDeviceOnlyTheDefaultAndTheMapAreWritten)
{
    Load("[Interface]\r\nDevices=2\r\n[Device1]\r\nName=Other\r\n"
         "[Context0]\r\nDevice=1\r\n"
         "[DefaultSystem0]\r\nInOrgX=100\r\nInExtX=500\r\nSysMode=1\r\nOptions=1\r\n");
    std::vector<LOGCONTEXTW> before = Contexts();
    TabletSettings r, expected = {0, 0x10000, 0, 100, 0, 600, 11999, 1, {1, 4}, {}};
    ReadSettings(&r);
    EXPECT_EQ(0, memcmp(&expected, &r, kSettings));

    r = {0, 0x10000, 0, 0, 0, 600, 11999, 0, {1, 7}, {}};
    ApplySettings(&r);
    std::vector<LOGCONTEXTW> after = Contexts();
    EXPECT_EQ(0, memcmp(&before[0], &after[0], sizeof(LOGCONTEXTW)));
    EXPECT_EQ(0, after[1].lcInOrgX);
    EXPECT_EQ(600, after[1].lcInExtX);
    EXPECT_EQ(0x07, Map(0)[1]);

    /* No system context and no manager default either: the map is written,
       and no context, not even to a null handle. */
    Load("[Interface]\r\nSystemContexts=0\r\nNoDefaultSystemContext=1\r\n");
    StartCallLog();
    ReadSettings(&r);
    EXPECT_EQ(1u, r.wholeTablet); /* from the driver's default system context */
    r.defaultButtons = 0;
    r.sysButtonMap[1] = 0x07;
    ApplySettings(&r);
    EXPECT_EQ(0x07, Map(0)[1]);
    for (const std::string &line : CallLog())
        EXPECT_EQ(std::string::npos, line.find("WTSet")) << line;
}

TEST_F(Settings, AButtonMapThatCannotBeReadIsNeverWrittenBack)
{
    Load("[Cursor0]\r\nNoSysButtonMap=1\r\nSysButtonMap=0x02,0x05\r\n");
    auto stored = [] { /* the map as the driver keeps it in its description */
                       char path[MAX_PATH], map[100];
                       GetEnvironmentVariableA("WINTAB_STANDIN_TABLET", path, MAX_PATH);
                       GetPrivateProfileStringA("Cursor0", "SysButtonMap", "", map, sizeof(map),
                                                path);
                       return std::string(map);
    };
    TabletSettings r;
    ReadSettings(&r);
    EXPECT_EQ("0x02,0x05", stored());
    ApplySettings(&r); /* as the default map, which it reads as */
    r.defaultButtons = 1;
    ProbeSettings(&r);
    EXPECT_EQ("0x02,0x05", stored());
}

/* The stylus (2 buttons) and a one-button puck; the map the driver holds,
   the one the settings bring, and what a person is told. */
TEST_F(Settings, ASettingThatLosesAMouseButtonIsTakenBackUnlessThePersonAccepts)
{
    Load("[Cursor1]\r\nButtons=1\r\n");
    const struct {
        UINT cursor;
        std::vector<BYTE> before, after;
        const wchar_t *warning; /* null: no box */
        int answer;
    } cases[] = {
        {0, Bytes({0x01, 0x04}), Bytes({0x00, 0x04}), L"the left mouse button!", IDCANCEL},
        {0, Bytes({0x01, 0x04}), Bytes({0x00, 0x04}), L"the left mouse button!", IDOK},
        {0, Bytes({0x01, 0x04}), Bytes({0x11, 0x07}), L"the right mouse button!", IDCANCEL},
        {0, Bytes({0x07, 0x04}), Bytes({0x07, 0x07}), L"the right mouse button!", IDOK},
        {0, Bytes({0x01, 0x04}), Bytes({0x07, 0x08}), L"both mouse buttons!", IDOK},
        {0, Bytes({0x01, 0x04, 0x04}), Bytes({0x01, 0x00, 0x04}), L"the right mouse button!",
         IDCANCEL}, /* the third is no button of the stylus */
        {0, Bytes({0x01, 0x04}), Bytes({0x06, 0x03}), NULL, 0},
        {0, Bytes({0x00, 0x07}), Bytes({0x00, 0x00}), NULL, 0},
        {1, Bytes({0x04}), Bytes({0x01}), NULL, 0}, /* one button: only the left counts */
        {1, Bytes({0x01}), Bytes({0x04}), L"the left mouse button!", IDCANCEL},
    };
    for (const auto &t : cases) {
        WTMgrCsrEnable(g_hMgr, 0, t.cursor == 0);
        WTMgrCsrEnable(g_hMgr, 1, t.cursor == 1);
        WTMgrCsrButtonMap(g_hMgr, t.cursor, NULL, (LPBYTE)t.before.data());
        TabletSettings r;
        ReadSettings(&r);
        r.defaultButtons = 0;
        CopyMemory(r.sysButtonMap, t.after.data(), 32);
        BOOL accepted = FALSE;
        auto commit = [&] { accepted = CommitSettings(MainWindow(), &r); };

        if (!t.warning) {
            BoxWatch watch;
            StartBoxWatch(watch);
            commit();
            EXPECT_TRUE(StopBoxWatch(watch).empty());
        } else {
            EXPECT_TRUE(DriveDialog(L"Warning", commit, [&](HWND box) {
                MessageBoxView view = ReadMessageBox(box);
                EXPECT_EQ(std::wstring(L"Current settings will disable ") + t.warning, view.text);
                EXPECT_EQ((std::vector<std::wstring>{L"OK", L"Cancel"}), view.buttons);
                EXPECT_EQ(IDCANCEL, FocusId(box)); /* the default button */
                HWND icon = FindWindowExW(box, NULL, L"Static", NULL);
                while (icon && (GetWindowLongW(icon, GWL_STYLE) & SS_TYPEMASK) != SS_ICON)
                    icon = FindWindowExW(box, icon, L"Static", NULL);
                EXPECT_EQ((LRESULT)LoadIconW(NULL, IDI_WARNING),
                          SendMessageW(icon, STM_GETICON, 0, 0));
                /* Meanwhile the driver holds the settings it had. */
                EXPECT_EQ(t.before, Map(t.cursor));
                Click(box, t.answer);
            }));
        }
        bool stands = !t.warning || t.answer == IDOK;
        EXPECT_EQ(stands, accepted != FALSE);
        EXPECT_EQ(stands ? t.after : t.before, Map(t.cursor));
    }
}
