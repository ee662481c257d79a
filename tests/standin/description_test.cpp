/*
 * Descriptions a tablet in the field can present: escapes, long names,
 * odd axes and cursor sets, and the faults of the manager and WTOpen.
 */
#include "driver.h"

#include <algorithm>

/* The tests' texts are ASCII. */
static std::string Narrow(const std::wstring &w)
{
    return std::string(w.begin(), w.end());
}

/* A text of n characters that shows where it was cut. */
static std::wstring LongText(wchar_t first, size_t n)
{
    std::wstring s(1, first);
    while (s.size() < n)
        s += (wchar_t)(L'0' + s.size() % 10);
    return s;
}

/* Wine gives a heap tail checks when the process's global flag asks for
   them as the heap is made; the driver makes its text heap at its first
   call. A write past a block then fails HeapValidate. */
static ULONG &GlobalFlag()
{
    typedef BYTE *(WINAPI * CurrentPeb)(void);
    BYTE *peb = ((CurrentPeb)(void (*)(void))GetProcAddress(GetModuleHandleW(L"ntdll.dll"),
                                                              "RtlGetCurrentPeb"))();
    return *(ULONG *)(peb + (sizeof(void *) == 8 ? 0xBC : 0x68));
}

static bool HeapsWhole()
{
    HANDLE heaps[64];
    DWORD n = GetProcessHeaps(64, heaps);
    for (DWORD i = 0; i < n && i < 64; i++)
        if (!HeapValidate(heaps[i], 0, NULL))
            return false;
    return true;
}

static std::wstring NameList(const std::vector<std::wstring> &names)
{
    std::wstring list;
    for (auto &n : names)
        list += n + L'\0';
    return list + L'\0';
}

TEST_F(StandinTest, EscapesAndLongNamesAreAnsweredWhole)
{
    const std::wstring device = LongText(L'D', 6000), cursor = LongText(L'C', 5000);
    std::vector<std::wstring> many;
    for (int i = 0; i < 32; i++)
        many.push_back(LongText((wchar_t)(L'A' + i % 26), 5000 + i));
    std::string manyText;
    for (auto &n : many)
        manyText += (manyText.empty() ? "" : ", ") + Narrow(n);

    struct {
        std::string ini;
        UINT category, index;
        std::wstring expected; /* a name list when it holds NULs */
    } cases[] = {
        {"[Device0]\nName=QUORAX\\r\\nFormat: MM\\tSeries\\\\1\n", WTI_DEVICES, DVC_NAME,
         L"QUORAX\r\nFormat: MM\tSeries\\1"},
        {"[Interface]\nWintabId=Driver\\nTwo\n", WTI_INTERFACE, IFC_WINTABID, L"Driver\nTwo"},
        /* An unknown escape stays as written, so do paths. */
        {"[Device0]\nPnpId=C:\\x\\y\\\n", WTI_DEVICES, DVC_PNPID, L"C:\\x\\y\\"},
        {"[Cursor1]\nName=Puck\\r\n", WTI_CURSORS + 1, CSR_NAME, L"Puck\r"},
        {"[Cursor0]\nButtonNames= Tip\\, pressed ,\\tBarrel\\n, \\\\\n", WTI_CURSORS, CSR_BTNNAMES,
         NameList({L"Tip, pressed", L"\tBarrel\n", L"\\"})},
        /* Without blanks every comma gives way to a NUL: the list is longest. */
        {"[Cursor0]\nButtonNames=Tip\n", WTI_CURSORS, CSR_BTNNAMES, NameList({L"Tip"})},
        {"[Cursor0]\nButtonNames=Tip,Barrel\n", WTI_CURSORS, CSR_BTNNAMES,
         NameList({L"Tip", L"Barrel"})},
        {"[Device0]\nName=" + Narrow(device) + "\n", WTI_DEVICES, DVC_NAME, device},
        {"[Cursor0]\nName=" + Narrow(cursor) + "\n", WTI_CURSORS, CSR_NAME, cursor},
        {"[Cursor1]\nButtons=32\nButtonNames=" + manyText + "\n", WTI_CURSORS + 1, CSR_BTNNAMES,
         NameList(many)},
    };
    ULONG flags = GlobalFlag();
    GlobalFlag() |= 0x10; /* FLG_HEAP_ENABLE_TAIL_CHECK */
    for (auto &c : cases) {
        UseTablet(c.ini);
        ASSERT_TRUE(Load());
        std::vector<BYTE> got = InfoBytes(c.category, c.index);
        EXPECT_TRUE(HeapsWhole()) << c.ini.substr(0, 60);
        std::wstring text((const wchar_t *)got.data(), got.size() / sizeof(wchar_t));
        bool list = c.expected.find(L'\0') != std::wstring::npos;
        if (!list)
            text = text.c_str(); /* one NUL-terminated string */
        EXPECT_EQ((c.expected.size() + (list ? 0 : 1)) * sizeof(wchar_t), got.size())
            << c.ini.substr(0, 60);
        EXPECT_TRUE(c.expected == text) << c.ini.substr(0, 60);
        /* The ANSI answer is as long, in bytes. */
        EXPECT_EQ(got.size() / sizeof(wchar_t), wt.InfoA(c.category, c.index, NULL));
        EXPECT_GE(wt.InfoW(0, 0, NULL), got.size());
        Unload();
    }
    GlobalFlag() = flags;
}

/* What a tablet can report that a driver must still answer sanely: the
   item that says it, every item sized right, and the pen mapped without
   dividing by zero. */
TEST_F(StandinTest, OddTabletsAreAnsweredAndTakeThePen)
{
    static const DWORD kNeg2000 = (DWORD)-2000;
    struct {
        const char *what;
        std::string ini;
        UINT category, index;
        std::vector<DWORD> expected; /* the answer's first values (a BYTE answer: one) */
        UINT cursor;                 /* the pen's */
        bool penTaken;               /* whether a context takes it */
    } cases[] = {
        {"zero extents",
         "[Device0]\nX=0, 0, 1, 1000\nY=500, 500, 1, 1000\n",
         WTI_DEVICES,
         DVC_Y,
         {500, 500, 1},
         0,
         true},
        {"negative extents",
         "[Device0]\nX=1000, -1000, 1, 1000\nY=0, -5, 1, 1000\n",
         WTI_DEFSYSCTX,
         CTX_INEXTX,
         {kNeg2000},
         0,
         true},
        {"zero resolution",
         "[Device0]\nX=0, 11999, 1, 0\n",
         WTI_DEVICES,
         DVC_X,
         {0, 11999, 1, 0},
         0,
         true},
        {"centimetres",
         "[Device0]\nY=0, 19999, 2, 393.7\n",
         WTI_DEVICES,
         DVC_Y,
         {0, 19999, 2, 0x189B333},
         0,
         true},
        {"no cursor types",
         "[Device0]\nCursorTypes=0\n",
         WTI_DEVICES,
         DVC_NCSRTYPES,
         {0},
         0,
         false},
        {"no active cursor", "[Cursor0]\nActive=0\n", WTI_CURSORS, CSR_ACTIVE, {0}, 1, true},
        {"no buttons",
         "[Cursor0]\nButtons=0\nButtonNames=\nSysButtonMap=\n",
         WTI_CURSORS,
         CSR_BUTTONS,
         {0},
         0,
         true},
        {"32 buttons",
         "[Cursor0]\nButtons=32\nSysButtonMap=1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,"
         "1,1,1,1,1,1,1,1,1,1,1,0x24\n",
         WTI_CURSORS,
         CSR_SYSBTNMAP,
         {0x01010101, 0x01010101, 0x01010101, 0x01010101, 0x01010101, 0x01010101, 0x01010101,
          0x24010101},
         0,
         true},
        {"40 cursor types",
         "[Interface]\nCursors=40\n",
         WTI_DEVICES,
         DVC_NCSRTYPES,
         {40},
         39,
         true},
        {"more cursors than the table",
         "[Interface]\nCursors=90\n",
         WTI_INTERFACE,
         IFC_NCURSORS,
         {64},
         63,
         true},
        {"no devices", "[Interface]\nDevices=0\n", WTI_INTERFACE, IFC_NDEVICES, {0}, 0, false},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.what);
        UseTablet(c.ini);
        ASSERT_TRUE(Load());
        std::vector<BYTE> got = InfoBytes(c.category, c.index);
        ASSERT_FALSE(got.empty());
        EXPECT_EQ(0, memcmp(got.data(), c.expected.data(),
                            std::min(got.size(), c.expected.size() * sizeof(DWORD))));
        CheckEveryAnswer({WTI_INTERFACE, WTI_STATUS, WTI_DEFCONTEXT, WTI_DEFSYSCTX, WTI_DEVICES,
                          WTI_CURSORS, WTI_CURSORS + 39, WTI_DDCTXS, WTI_DSCTXS});

        /* The driver's own context, then a program's over the default one. */
        LONG edges[] = {-100000, 0, 5, 100000};
        for (LONG v : edges)
            EXPECT_EQ(c.penTaken, wt.PenEvent(c.cursor, 1, v, v) != 0) << v;
        LOGCONTEXTW lc;
        if (wt.InfoW(WTI_DEFCONTEXT, 0, &lc)) {
            lc.lcOptions = 0;
            lc.lcPktData = PK_CURSOR | PK_BUTTONS | PK_X | PK_Y;
            HCTX ctx = wt.OpenW(Window(), &lc, TRUE);
            ASSERT_TRUE(ctx);
            for (LONG v : edges)
                wt.PenEvent(c.cursor, 0xFFFFFFFF, v, v);
            PointPacket p[4] = {};
            int n = wt.PacketsGet(ctx, 4, p);
            EXPECT_EQ(c.penTaken ? 4 : 0, n);
            /* Within the output area, whichever way round it is. */
            LONG lo = std::min(lc.lcOutOrgX, lc.lcOutOrgX + lc.lcOutExtX);
            LONG hi = std::max(lc.lcOutOrgX, lc.lcOutOrgX + lc.lcOutExtX);
            for (int i = 0; i < n; i++) {
                EXPECT_EQ(c.cursor, p[i].cursor);
                EXPECT_EQ(0xFFFFFFFFu, p[i].buttons);
                EXPECT_TRUE(p[i].x >= lo && p[i].x <= hi) << p[i].x;
            }
        }
        Unload();
    }
}

TEST_F(StandinTest, ManagerAndOpenFaults)
{
    /* No default system context for the manager; the category still answers. */
    UseTablet("[Interface]\nNoDefaultSystemContext=1\n");
    ASSERT_TRUE(Load());
    HMGR mgr = OpenManager();
    EXPECT_TRUE(wt.MgrDefContext(mgr, TRUE) == NULL);
    EXPECT_TRUE(wt.MgrDefContext(mgr, FALSE) != NULL);
    LOGCONTEXTW lc;
    EXPECT_EQ(sizeof(lc), wt.InfoW(WTI_DEFSYSCTX, 0, &lc));
    EXPECT_EQ(1u, Contexts(mgr).size());
    Unload();

    /* No system context at all: the default one is a whole-tablet record. */
    UseTablet("[Interface]\nSystemContexts=0\n");
    ASSERT_TRUE(Load());
    mgr = OpenManager();
    EXPECT_TRUE(Contexts(mgr).empty());
    ASSERT_EQ(sizeof(lc), wt.InfoW(WTI_DEFSYSCTX, 0, &lc));
    EXPECT_STREQ(L"Default System", lc.lcName);
    EXPECT_EQ((UINT)CXO_SYSTEM, lc.lcOptions);
    EXPECT_EQ(0u, lc.lcDevice);
    EXPECT_EQ(11999, lc.lcInExtX);
    EXPECT_EQ(11999, lc.lcInExtY);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), lc.lcSysExtX);
    EXPECT_TRUE(wt.MgrDefContext(mgr, TRUE) != NULL);
    EXPECT_EQ(0u, wt.PenEvent(0, 0, 1, 1)); /* nobody takes the pen */
    Unload();

    UseTablet("[Interface]\nOpenFails=1\n");
    ASSERT_TRUE(Load());
    wt.InfoW(WTI_DEFCONTEXT, 0, &lc);
    EXPECT_TRUE(wt.OpenW(Window(), &lc, TRUE) == NULL);
    EXPECT_NE(0u, wt.PenEvent(0, 0, 1, 1)); /* the system context still works */
    Unload();

    /* A cursor whose system button map cannot be read. */
    UseTablet("[Cursor1]\nNoSysButtonMap=1\n");
    ASSERT_TRUE(Load());
    BYTE map[32];
    memset(map, 0xCC, sizeof(map));
    EXPECT_EQ(0u, wt.InfoW(WTI_CURSORS + 1, CSR_SYSBTNMAP, map));
    EXPECT_EQ(0xCC, map[0]);
    EXPECT_EQ(32u, wt.InfoW(WTI_CURSORS + 1, CSR_BUTTONMAP, NULL));
    EXPECT_EQ(32u, wt.InfoW(WTI_CURSORS + 0, CSR_SYSBTNMAP, NULL));
    EXPECT_TRUE(wt.MgrCsrButtonMap(OpenManager(), 1, NULL, map));
}
