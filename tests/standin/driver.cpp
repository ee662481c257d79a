#include "driver.h"

template <typename F> static void Bind(HMODULE module, F &f, LPCSTR proc)
{
    f = (F)(void (*)(void))GetProcAddress(module, proc);
}

static void BindAll(Wintab &wt)
{
    HMODULE m = wt.module;
    Bind(m, wt.InfoW, MAKEINTRESOURCEA(ORD_WTInfoW));
    Bind(m, wt.InfoA, MAKEINTRESOURCEA(ORD_WTInfoA));
    Bind(m, wt.OpenW, MAKEINTRESOURCEA(ORD_WTOpenW));
    Bind(m, wt.Close, MAKEINTRESOURCEA(ORD_WTClose));
    Bind(m, wt.PacketsGet, MAKEINTRESOURCEA(ORD_WTPacketsGet));
    Bind(m, wt.Packet, MAKEINTRESOURCEA(ORD_WTPacket));
    Bind(m, wt.Enable, MAKEINTRESOURCEA(ORD_WTEnable));
    Bind(m, wt.Overlap, MAKEINTRESOURCEA(ORD_WTOverlap));
    Bind(m, wt.GetW, MAKEINTRESOURCEA(ORD_WTGetW));
    Bind(m, wt.SetW, MAKEINTRESOURCEA(ORD_WTSetW));
    Bind(m, wt.MgrOpen, MAKEINTRESOURCEA(ORD_WTMgrOpen));
    Bind(m, wt.MgrClose, MAKEINTRESOURCEA(ORD_WTMgrClose));
    Bind(m, wt.MgrContextEnum, MAKEINTRESOURCEA(ORD_WTMgrContextEnum));
    Bind(m, wt.MgrDefContext, MAKEINTRESOURCEA(ORD_WTMgrDefContext));
    Bind(m, wt.MgrDeviceConfig, MAKEINTRESOURCEA(ORD_WTMgrDeviceConfig));
    Bind(m, wt.MgrCsrEnable, MAKEINTRESOURCEA(ORD_WTMgrCsrEnable));
    Bind(m, wt.MgrCsrButtonMap, MAKEINTRESOURCEA(ORD_WTMgrCsrButtonMap));
    Bind(m, wt.PenEvent, "StandinPenEvent");
}

void StandinTest::SetUp()
{
    const ::testing::TestInfo *info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    dir = MakeScratchDir(L"standin-" + std::wstring(name.begin(), name.end()));
    tabletPath = JoinPath(dir, L"tablet.ini");
    logPath = JoinPath(dir, L"calls.log");
    SetEnvironmentVariableW(L"WINTAB_STANDIN_TABLET", NULL);
    SetEnvironmentVariableW(L"WINTAB_STANDIN_LOG", NULL);
}

void StandinTest::TearDown()
{
    Unload();
    for (HWND w : windows)
        DestroyWindow(w);
    SetEnvironmentVariableW(L"WINTAB_STANDIN_TABLET", NULL);
    SetEnvironmentVariableW(L"WINTAB_STANDIN_LOG", NULL);
    RemoveTree(dir);
}

bool StandinTest::Load(const wchar_t *variant)
{
    std::wstring from = JoinPath(BinDir(), std::wstring(variant) + L"wintab32.dll");
    if (!FileExists(JoinPath(dir, L"wintab32.dll")) && !CopyInto(from, dir))
        return false;
    SetDllDirectoryW(dir.c_str());
    wt = Wintab();
    wt.module = LoadLibraryW(L"wintab32.dll");
    SetDllDirectoryW(NULL);
    if (!wt.module)
        return false;
    /* Wine's own wintab32 must not have answered. */
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(wt.module, path, MAX_PATH);
    EXPECT_EQ(0, lstrcmpiW(path, JoinPath(dir, L"wintab32.dll").c_str()));
    BindAll(wt);
    return true;
}

void StandinTest::Unload()
{
    if (wt.module)
        FreeLibrary(wt.module);
    wt = Wintab();
}

static std::wstring ExampleTablet(const wchar_t *name)
{
    std::string unix = STANDIN_TABLETS;
    std::wstring path = L"Z:" + std::wstring(unix.begin(), unix.end()) + L"\\" + name;
    for (auto &c : path)
        if (c == L'/')
            c = L'\\';
    return path;
}

/* Wine's profile functions keep a file they have read and read it again only
   when its write time changes, which two writes within one clock tick do not
   do: every description gets a file name of its own. */
static std::wstring FreshTabletPath(const std::wstring &dir)
{
    static int serial;
    return JoinPath(dir, L"tablet" + std::to_wstring(++serial) + L".ini");
}

void StandinTest::UseTablet(const std::string &ini)
{
    tabletPath = FreshTabletPath(dir);
    WriteFileBytes(tabletPath, ini);
    SetEnvironmentVariableW(L"WINTAB_STANDIN_TABLET", tabletPath.c_str());
}

bool StandinTest::UseExample(const wchar_t *name)
{
    tabletPath = FreshTabletPath(dir);
    if (!WriteFileBytes(tabletPath, ReadFileBytes(ExampleTablet(name))))
        return false;
    SetEnvironmentVariableW(L"WINTAB_STANDIN_TABLET", tabletPath.c_str());
    return true;
}

std::string StandinTest::TabletText()
{
    return ReadFileBytes(tabletPath);
}

void StandinTest::UseLog()
{
    SetEnvironmentVariableW(L"WINTAB_STANDIN_LOG", logPath.c_str());
}

std::vector<std::string> StandinTest::LogLines()
{
    std::vector<std::string> lines;
    std::string text = ReadFileBytes(logPath);
    size_t start = 0, end;
    while ((end = text.find('\n', start)) != std::string::npos) {
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

HWND StandinTest::Window()
{
    HWND w = CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, NULL, NULL);
    windows.push_back(w);
    return w;
}

HMGR StandinTest::OpenManager()
{
    return wt.MgrOpen(Window(), WT_DEFBASE);
}

static BOOL WINAPI Collect(HCTX ctx, LPARAM lParam)
{
    ((std::vector<HCTX> *)lParam)->push_back(ctx);
    return TRUE;
}

std::vector<HCTX> StandinTest::Contexts(HMGR mgr)
{
    std::vector<HCTX> all;
    wt.MgrContextEnum(mgr, Collect, (LPARAM)&all);
    return all;
}

HCTX StandinTest::SystemContext(HMGR mgr)
{
    for (HCTX ctx : Contexts(mgr)) {
        LOGCONTEXTW lc;
        if (wt.GetW(ctx, &lc) && (lc.lcOptions & CXO_SYSTEM))
            return ctx;
    }
    return NULL;
}

/* As the panel's pointing context: the whole tablet, y downward. */
HCTX StandinTest::OpenDigitizing(WTPKT pktData, UINT options)
{
    LOGCONTEXTW lc;
    wt.InfoW(WTI_DEFCONTEXT, 0, &lc);
    lc.lcOptions = options;
    lc.lcPktData = pktData;
    lc.lcPktMode = 0;
    lc.lcInOrgX = lc.lcOutOrgX = 0;
    lc.lcInOrgY = lc.lcOutOrgY = 0;
    lc.lcInExtX = lc.lcOutExtX = 11999;
    lc.lcInExtY = 11999;
    lc.lcOutExtY = -11999;
    return wt.OpenW(Window(), &lc, TRUE);
}

std::wstring StandinTest::InfoString(UINT category, UINT index)
{
    UINT size = wt.InfoW(category, index, NULL);
    std::vector<wchar_t> buf(size / sizeof(wchar_t) + 1, L'\x7777');
    if (size == 0 || wt.InfoW(category, index, buf.data()) != size)
        return L"<none>";
    return std::wstring(buf.data(), size / sizeof(wchar_t)).c_str();
}

int StandinTest::CheckEveryAnswer(const std::vector<UINT> &categories)
{
    UINT largest = wt.InfoW(0, 0, NULL);
    int answered = 0;
    for (UINT cat : categories) {
        for (UINT index = 0; index <= 40; index++) {
            UINT size = wt.InfoW(cat, index, NULL);
            if (size == 0)
                continue;
            answered++;
            EXPECT_LE(size, largest) << cat << "/" << index;
            std::vector<BYTE> buf(size + 16, 0xCC);
            EXPECT_EQ(size, wt.InfoW(cat, index, buf.data())) << cat << "/" << index;
            size_t untouched = size;
            while (untouched < buf.size() && buf[untouched] == 0xCC)
                untouched++;
            EXPECT_EQ(buf.size(), untouched) << cat << "/" << index << " wrote past its size";
        }
    }
    return answered;
}

std::vector<BYTE> StandinTest::InfoBytes(UINT category, UINT index)
{
    std::vector<BYTE> buf(wt.InfoW(category, index, NULL));
    if (!buf.empty())
        wt.InfoW(category, index, buf.data());
    return buf;
}

bool TakeWintabMessage(HWND hwnd, UINT msg, MSG *out)
{
    return PeekMessageW(out, hwnd, msg, msg, PM_REMOVE) != 0;
}
