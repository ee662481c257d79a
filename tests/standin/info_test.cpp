/*
 * Loading, WTInfo answers and the tablet description.
 */
#include "driver.h"

#include <stddef.h>

#include <map>

static const wchar_t kBuiltinName[] = L"QUORAX MM-Compatible Tablet;Format: MM Series;Version 1.08";

TEST_F(StandinTest, ExportsTheWintabOrdinalsAndThePenByName)
{
    ASSERT_TRUE(Load());
    static const int ordinals[] = {20,  21,  22,  23,  24,  40,  41,  61,   62,   100,  101,
                                   120, 121, 122, 140, 181, 182, 206, 1020, 1021, 1061, 1062};
    for (int ord : ordinals)
        EXPECT_TRUE(GetProcAddress(wt.module, MAKEINTRESOURCEA(ord)) != NULL) << ord;
    EXPECT_TRUE((void *)GetProcAddress(wt.module, "WTInfoW") == (void *)wt.InfoW);
    EXPECT_TRUE(wt.PenEvent != NULL);
}

TEST_F(StandinTest, PartialVariantLacksPacketAndCsrEnableOnly)
{
    ASSERT_TRUE(Load(L"partial\\"));
    EXPECT_TRUE(wt.Packet == NULL);
    EXPECT_TRUE(wt.MgrCsrEnable == NULL);
    EXPECT_TRUE(GetProcAddress(wt.module, "WTPacket") == NULL);
    EXPECT_TRUE(GetProcAddress(wt.module, "WTMgrCsrEnable") == NULL);
    EXPECT_TRUE(wt.InfoW && wt.MgrOpen && wt.MgrCsrButtonMap && wt.OpenW && wt.PenEvent);
    EXPECT_EQ(212u, wt.InfoW(0, 0, NULL));
}

/* Each variant lacks the one entry it is named after, and only that one. */
TEST_F(StandinTest, MissingVariantsLackExactlyTheirEntry)
{
    static const struct {
        const wchar_t *name;
        int ordinal;
    } entries[] = {{L"WTMgrDeviceConfig", 140},
                   {L"WTMgrClose", 101},
                   {L"WTInfoW", 1020},
                   {L"WTGetW", 1061},
                   {L"WTMgrCsrButtonMap", 182},
                   {L"WTMgrContextEnum", 120},
                   {L"WTSetW", 1062},
                   {L"WTMgrDefContext", 122},
                   {L"WTMgrCsrEnable", 181},
                   {L"WTMgrOpen", 100},
                   {L"WTClose", 22},
                   {L"WTOpenW", 1021},
                   {L"WTEnable", 40},
                   {L"WTOverlap", 41},
                   {L"WTPacket", 24}};
    static const int all[] = {20,  21,  22,  23,  24,  40,  41,  61,   62,   100,  101,
                              120, 121, 122, 140, 181, 182, 206, 1020, 1021, 1061, 1062};
    for (auto &e : entries) {
        SCOPED_TRACE(std::string(e.name, e.name + lstrlenW(e.name)));
        DeleteFileW(JoinPath(dir, L"wintab32.dll").c_str());
        ASSERT_TRUE(Load((std::wstring(L"missing\\") + e.name + L"\\").c_str()));
        for (int ord : all)
            EXPECT_EQ(ord != e.ordinal, GetProcAddress(wt.module, MAKEINTRESOURCEA(ord)) != NULL)
                << ord;
        EXPECT_TRUE(wt.PenEvent != NULL);
        if (wt.InfoW) {
            EXPECT_EQ(212u, wt.InfoW(0, 0, NULL));
        }
        Unload();
    }
}

TEST_F(StandinTest, BuiltinTablet)
{
    ASSERT_TRUE(Load());
    EXPECT_EQ(212u, wt.InfoW(0, 0, NULL));
    EXPECT_EQ(kBuiltinName, InfoString(WTI_DEVICES, DVC_NAME));

    AXIS x = {}, y = {};
    EXPECT_EQ(sizeof(AXIS), wt.InfoW(WTI_DEVICES, DVC_X, &x));
    wt.InfoW(WTI_DEVICES, DVC_Y, &y);
    EXPECT_EQ(0, x.axMin);
    EXPECT_EQ(11999, x.axMax);
    EXPECT_EQ((UINT)TU_INCHES, x.axUnits);
    EXPECT_EQ(1000u << 16, x.axResolution);
    EXPECT_EQ(0, memcmp(&x, &y, sizeof(x)));

    UINT first = 99, count = 99, mode = 99;
    wt.InfoW(WTI_DEVICES, DVC_FIRSTCSR, &first);
    wt.InfoW(WTI_DEVICES, DVC_NCSRTYPES, &count);
    wt.InfoW(WTI_DEVICES, DVC_PKTMODE, &mode);
    EXPECT_EQ(0u, first);
    EXPECT_EQ(2u, count);
    EXPECT_EQ(0u, mode);

    EXPECT_EQ(L"Stylus", InfoString(WTI_CURSORS + 0, CSR_NAME));
    EXPECT_EQ(L"Puck", InfoString(WTI_CURSORS + 1, CSR_NAME));
    BOOL active0 = 0, active1 = 1;
    BYTE buttons = 0;
    wt.InfoW(WTI_CURSORS + 0, CSR_ACTIVE, &active0);
    wt.InfoW(WTI_CURSORS + 1, CSR_ACTIVE, &active1);
    EXPECT_EQ(1u, wt.InfoW(WTI_CURSORS + 1, CSR_BUTTONS, &buttons));
    EXPECT_TRUE(active0);
    EXPECT_FALSE(active1);
    EXPECT_EQ(4, buttons);

    std::vector<BYTE> names = InfoBytes(WTI_CURSORS + 1, CSR_BTNNAMES);
    std::wstring list((const wchar_t *)names.data(), names.size() / 2);
    EXPECT_EQ(std::wstring(L"Button 1\0Button 2\0Button 3\0Button 4\0\0", 37), list);

    LOGCONTEXTW sys;
    EXPECT_EQ(sizeof(LOGCONTEXTW), wt.InfoW(WTI_DEFSYSCTX, 0, &sys));
    EXPECT_STREQ(L"Default System", sys.lcName);
    EXPECT_EQ((UINT)CXO_SYSTEM, sys.lcOptions);
    EXPECT_EQ(0, sys.lcSysMode);
    EXPECT_EQ(0x10000u, sys.lcSysSensX);
    EXPECT_EQ(11999, sys.lcInExtX);
    EXPECT_EQ(11999, sys.lcInExtY);
}

/* Every item: the size asked with NULL is what is copied, nothing is written
   past it, and WTInfoW(0, 0, NULL) holds the largest. */
TEST_F(StandinTest, SizesAreExactAndWithinTheLargest)
{
    UseTablet("[Interface]\nLongStrings=1\nDevices=2\nCursors=3\n"
              "[Device0]\nNPressure=0,255,0,0\nOrientation=0,3599,3,10, 0,900,3,10, 0,0,0,0\n"
              "[Cursor2]\nNPResponse=0,10,200\n");
    ASSERT_TRUE(Load());
    EXPECT_GT(CheckEveryAnswer({WTI_INTERFACE, WTI_STATUS, WTI_DEFCONTEXT, WTI_DEFSYSCTX,
                                WTI_DEVICES, WTI_DEVICES + 1, WTI_CURSORS, WTI_CURSORS + 2,
                                WTI_DDCTXS + 1, WTI_DSCTXS}),
              100);
}

TEST_F(StandinTest, UnsupportedItemsAnswerZeroAndLeaveTheBuffer)
{
    ASSERT_TRUE(Load());
    struct {
        UINT category, index;
    } items[] = {{999, 1},
                 {WTI_EXTENSIONS, 1},
                 {WTI_DEVICES + 1, DVC_NAME},
                 {WTI_CURSORS + 2, CSR_NAME},
                 {WTI_DEVICES, 0},
                 {WTI_DEVICES, DVC_Z},
                 {WTI_DEVICES, 99},
                 {WTI_CURSORS, CSR_NPRESPONSE},
                 {WTI_DEFCONTEXT, 35},
                 {WTI_INTERFACE, 0}};
    for (auto item : items) {
        BYTE buf[64];
        memset(buf, 0xCC, sizeof(buf));
        EXPECT_EQ(0u, wt.InfoW(item.category, item.index, buf)) << item.category;
        for (BYTE b : buf)
            ASSERT_EQ(0xCC, b) << item.category << "/" << item.index;
    }
}

TEST_F(StandinTest, ContextIndicesAgreeWithTheWholeRecordInBothCharacterSets)
{
    ASSERT_TRUE(Load());
    LOGCONTEXTW whole;
    wt.InfoW(WTI_DEFCONTEXT, 0, &whole);
    EXPECT_EQ(L"Default Digitizing", InfoString(WTI_DEFCONTEXT, CTX_NAME));
    for (UINT index = CTX_OPTIONS; index <= CTX_SYSSENSY; index++) {
        DWORD v = 0;
        EXPECT_EQ(4u, wt.InfoW(WTI_DEFCONTEXT, index, &v));
        EXPECT_EQ(
            0, memcmp(&v, (BYTE *)&whole + offsetof(LOGCONTEXTW, lcOptions) + (index - 2) * 4, 4))
            << index;
    }

    LOGCONTEXTA ansi;
    EXPECT_EQ(sizeof(LOGCONTEXTA), wt.InfoA(WTI_DEFCONTEXT, 0, &ansi));
    EXPECT_STREQ("Default Digitizing", ansi.lcName);
    EXPECT_EQ(0, memcmp(&ansi.lcOptions, &whole.lcOptions, sizeof(LOGCONTEXTA) - LCNAMELEN));

    char name[200];
    UINT n = wt.InfoA(WTI_DEVICES, DVC_NAME, name);
    EXPECT_EQ((UINT)lstrlenW(kBuiltinName) + 1, n);
    EXPECT_EQ(0, name[n - 1]);
    EXPECT_GE(wt.InfoA(0, 0, NULL), sizeof(LOGCONTEXTA));
}

/* Every form the format allows, read back through WTInfoW. */
TEST_F(StandinTest, ReadsAWrittenDescription)
{
    UseTablet("; a comment\n"
              "[Interface]\nWintabId=Test Driver\nSpecVersion=0x0104\nDevices=2\nCursors=3\n"
              "SystemContexts=2\nContextOptions=0x0005\n"
              "[Device0]\nName=\nPacketMode=0x0180\nX=-100, 2099, 2, 400.5\nCursorTypes=1\n"
              "XMargin=-7\n"
              "[Device1]\nName=Second;Format: Z\nFirstCursor=1\nCursorTypes=2\nHardware=0x4\n"
              "[Cursor0]\nName=Mouse\nButtons=3\nButtonNames= Left ,Middle,  Right\n"
              "SysButtonMap=0x11 0x27,4\nDefaultSysButtonMap=1,2\n"
              "[Cursor2]\nActive=1\nButtonNames=\n"
              "[Context1]\nName=default system extra\nDevice=1\nSysMode=1\nSysSensX=0.25\n"
              "InOrgX=100\nSensZ=0x00018000\n");
    ASSERT_TRUE(Load());
    EXPECT_EQ(L"Test Driver", InfoString(WTI_INTERFACE, IFC_WINTABID));
    WORD spec = 0;
    EXPECT_EQ(2u, wt.InfoW(WTI_INTERFACE, IFC_SPECVERSION, &spec));
    EXPECT_EQ(0x0104, spec);
    UINT opts = 0, devices = 0;
    wt.InfoW(WTI_INTERFACE, IFC_CTXOPTIONS, &opts);
    wt.InfoW(WTI_INTERFACE, IFC_NDEVICES, &devices);
    EXPECT_EQ(5u, opts);
    EXPECT_EQ(2u, devices);

    EXPECT_EQ(2u, wt.InfoW(WTI_DEVICES, DVC_NAME, NULL)); /* empty, NUL-terminated */
    UINT mode = 0;
    int margin = 0;
    wt.InfoW(WTI_DEVICES, DVC_PKTMODE, &mode);
    wt.InfoW(WTI_DEVICES, DVC_XMARGIN, &margin);
    EXPECT_EQ(0x180u, mode);
    EXPECT_EQ(-7, margin);
    AXIS x;
    wt.InfoW(WTI_DEVICES, DVC_X, &x);
    EXPECT_EQ(-100, x.axMin);
    EXPECT_EQ(2099, x.axMax);
    EXPECT_EQ((UINT)TU_CENTIMETERS, x.axUnits);
    EXPECT_EQ((400u << 16) + 0x8000, x.axResolution);

    EXPECT_EQ(L"Second;Format: Z", InfoString(WTI_DEVICES + 1, DVC_NAME));
    UINT first = 0, hw = 0;
    wt.InfoW(WTI_DEVICES + 1, DVC_FIRSTCSR, &first);
    wt.InfoW(WTI_DEVICES + 1, DVC_HARDWARE, &hw);
    EXPECT_EQ(1u, first);
    EXPECT_EQ(4u, hw);

    std::vector<BYTE> names = InfoBytes(WTI_CURSORS, CSR_BTNNAMES);
    EXPECT_EQ(std::wstring(L"Left\0Middle\0Right\0\0", 19),
              std::wstring((const wchar_t *)names.data(), names.size() / 2));
    std::vector<BYTE> map = InfoBytes(WTI_CURSORS, CSR_SYSBTNMAP);
    ASSERT_EQ(32u, map.size());
    EXPECT_EQ(0x11, map[0]);
    EXPECT_EQ(0x27, map[1]);
    EXPECT_EQ(4, map[2]);
    EXPECT_EQ(0, map[3]);
    EXPECT_EQ(4u, wt.InfoW(WTI_CURSORS + 2, CSR_BTNNAMES, NULL)); /* two NULs */
    EXPECT_EQ(L"Stylus", InfoString(WTI_CURSORS + 2, CSR_NAME));

    HMGR mgr = OpenManager();
    std::vector<HCTX> ctxs = Contexts(mgr);
    ASSERT_EQ(2u, ctxs.size());
    LOGCONTEXTW lc;
    wt.GetW(ctxs[1], &lc);
    EXPECT_STREQ(L"default system extra", lc.lcName);
    EXPECT_EQ(1u, lc.lcDevice);
    EXPECT_EQ(1, lc.lcSysMode);
    EXPECT_EQ(0x4000u, lc.lcSysSensX);
    EXPECT_EQ(0x18000u, lc.lcSensZ);
    EXPECT_EQ(100, lc.lcInOrgX);
    EXPECT_EQ(11999, lc.lcInExtX); /* device 1 keeps the built-in axes */
}

/* The variable (also as a Unix path), then wintab32.ini beside the library,
   read afresh at every load. */
TEST_F(StandinTest, FindsTheDescriptionAtEveryLoad)
{
    WriteFileBytes(JoinPath(dir, L"wintab32.ini"), "[Device0]\nName=Beside\n");
    ASSERT_TRUE(Load());
    EXPECT_EQ(L"Beside", InfoString(WTI_DEVICES, DVC_NAME));
    Unload();

    UseTablet("[Device0]\nName=Named\n");
    ASSERT_TRUE(Load());
    EXPECT_EQ(L"Named", InfoString(WTI_DEVICES, DVC_NAME));
    Unload();

    ASSERT_EQ(0, tabletPath.compare(0, 2, L"Z:"));
    std::wstring unix = tabletPath.substr(2);
    for (auto &c : unix)
        if (c == L'\\')
            c = L'/';
    WriteFileBytes(tabletPath, "[Device0]\nName=Unix\n");
    SetEnvironmentVariableW(L"WINTAB_STANDIN_TABLET", unix.c_str());
    ASSERT_TRUE(Load());
    EXPECT_EQ(L"Unix", InfoString(WTI_DEVICES, DVC_NAME));
    Unload();

    DeleteFileW(JoinPath(dir, L"wintab32.ini").c_str());
    SetEnvironmentVariableW(L"WINTAB_STANDIN_TABLET", NULL);
    ASSERT_TRUE(Load());
    EXPECT_EQ(kBuiltinName, InfoString(WTI_DEVICES, DVC_NAME));
}

TEST_F(StandinTest, NoTabletFault)
{
    UseTablet("[Interface]\nNoTablet=1\n");
    ASSERT_TRUE(Load());
    EXPECT_EQ(0u, wt.InfoW(0, 0, NULL));
    EXPECT_EQ(0u, wt.InfoW(WTI_DEVICES, DVC_NAME, NULL));
    EXPECT_EQ(0u, wt.InfoW(WTI_DEVICES, DVC_PKTMODE, NULL));
    EXPECT_EQ(0u, wt.InfoW(WTI_CURSORS, CSR_NAME, NULL));
    UINT devices = 9;
    wt.InfoW(WTI_INTERFACE, IFC_NDEVICES, &devices);
    EXPECT_EQ(0u, devices);
    EXPECT_EQ(0u, wt.PenEvent(0, 1, 10, 10));
}

TEST_F(StandinTest, LongStringsFault)
{
    UseTablet("[Interface]\nLongStrings=1\n");
    ASSERT_TRUE(Load());
    std::wstring name = InfoString(WTI_DEVICES, DVC_NAME);
    EXPECT_GT(name.size(), 300u);
    EXPECT_EQ(0u, name.find(kBuiltinName));
    EXPECT_EQ((name.size() + 1) * 2, wt.InfoW(WTI_DEVICES, DVC_NAME, NULL));
    EXPECT_GT(InfoString(WTI_CURSORS, CSR_NAME).size(), 300u);
    /* Each button name is long; the list still ends with an empty name. */
    std::vector<BYTE> names = InfoBytes(WTI_CURSORS, CSR_BTNNAMES);
    const wchar_t *list = (const wchar_t *)names.data();
    EXPECT_GT(lstrlenW(list), 300);
    EXPECT_EQ(0, names[names.size() - 1] | names[names.size() - 2] | names[names.size() - 3] |
                     names[names.size() - 4]);
    EXPECT_GE(wt.InfoW(0, 0, NULL), names.size());
    LOGCONTEXTW lc;
    EXPECT_EQ(sizeof(lc), wt.InfoW(WTI_DEFSYSCTX, 0, &lc));
}

/* Every answer, keyed by category and index. */
static std::map<std::pair<UINT, UINT>, std::vector<BYTE>> AllAnswers(Wintab &wt)
{
    std::map<std::pair<UINT, UINT>, std::vector<BYTE>> all;
    static const UINT categories[] = {WTI_INTERFACE, WTI_DEFCONTEXT,  WTI_DEFSYSCTX, WTI_DEVICES,
                                      WTI_CURSORS,   WTI_CURSORS + 1, WTI_DDCTXS,    WTI_DSCTXS};
    for (UINT cat : categories) {
        for (UINT index = 0; index <= 40; index++) {
            std::vector<BYTE> buf(wt.InfoW(cat, index, NULL));
            if (!buf.empty())
                wt.InfoW(cat, index, buf.data());
            all[{cat, index}] = buf;
        }
    }
    return all;
}

TEST_F(StandinTest, CommittedExampleTablets)
{
    ASSERT_TRUE(Load());
    auto builtin = AllAnswers(wt);
    Unload();

    /* default.ini is the built-in tablet but for the system extent. */
    ASSERT_TRUE(UseExample(L"default.ini"));
    ASSERT_TRUE(Load());
    auto fromFile = AllAnswers(wt);
    for (auto &item : builtin) {
        UINT cat = item.first.first, index = item.first.second;
        std::vector<BYTE> expected = item.second, got = fromFile[item.first];
        if ((cat == WTI_DEFSYSCTX || cat == WTI_DSCTXS) && index == 0 && got.size() == 212) {
            ((LOGCONTEXTW *)got.data())->lcSysExtX = ((LOGCONTEXTW *)expected.data())->lcSysExtX;
            ((LOGCONTEXTW *)got.data())->lcSysExtY = ((LOGCONTEXTW *)expected.data())->lcSysExtY;
        }
        if ((cat == WTI_DEFSYSCTX || cat == WTI_DSCTXS) &&
            (index == CTX_SYSEXTX || index == CTX_SYSEXTY))
            continue;
        EXPECT_EQ(expected, got) << cat << "/" << index;
    }
    Unload();

    ASSERT_TRUE(UseExample(L"two-devices.ini"));
    ASSERT_TRUE(Load());
    UINT mode0 = 0, mode1 = 9, first1 = 0;
    wt.InfoW(WTI_DEVICES + 0, DVC_PKTMODE, &mode0);
    wt.InfoW(WTI_DEVICES + 1, DVC_PKTMODE, &mode1);
    wt.InfoW(WTI_DEVICES + 1, DVC_FIRSTCSR, &first1);
    EXPECT_EQ(0x180u, mode0);
    EXPECT_EQ(0u, mode1);
    EXPECT_EQ(1u, first1);
    EXPECT_EQ(L"Puck", InfoString(WTI_CURSORS + 1, CSR_NAME));
    std::vector<HCTX> ctxs = Contexts(OpenManager());
    ASSERT_EQ(2u, ctxs.size());
    LOGCONTEXTW lc;
    wt.GetW(ctxs[1], &lc);
    EXPECT_EQ(1u, lc.lcDevice);
    EXPECT_EQ(17999, lc.lcInExtX);
    Unload();

    ASSERT_TRUE(UseExample(L"noname.ini"));
    ASSERT_TRUE(Load());
    EXPECT_EQ(2u, wt.InfoW(WTI_DEVICES, DVC_NAME, NULL));
    EXPECT_EQ(2u, wt.InfoW(WTI_CURSORS, CSR_NAME, NULL));
    EXPECT_EQ(4u, wt.InfoW(WTI_CURSORS, CSR_BTNNAMES, NULL));
}
