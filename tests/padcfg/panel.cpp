#include "panel.h"

#include <gtest/gtest.h>

static std::wstring s_logPath;
static Driver s_driver = DRIVER_STANDIN;

std::vector<std::pair<UINT, DWORD>> g_logOffs;
int g_beeps;

/* The panel's code linked into this program calls MessageBeep through this
   program's import table: the slot is pointed at a counter. */
DECLARE_IMPORT_SLOT(MessageBeep, 4);

static BOOL WINAPI CountBeep(UINT type)
{
    (void)type;
    g_beeps++;
    return TRUE;
}

static void CountBeeps()
{
    RedirectImport(&imp_MessageBeep, (void *)CountBeep);
}

/* The panel loads wintab32.dll by full path from this program's folder or
   the system folder, neither of which holds the stand-in: the chosen driver
   is loaded in its place. */
DECLARE_IMPORT_SLOT(LoadLibraryExW, 12);
static HMODULE(WINAPI *s_realLoad)(LPCWSTR, HANDLE, DWORD);

static HMODULE WINAPI LoadChosenDriver(LPCWSTR path, HANDLE file, DWORD flags)
{
    size_t n = wcslen(path);
    if (n < 13 || lstrcmpiW(path + n - 13, L"\\wintab32.dll") != 0)
        return s_realLoad(path, file, flags);
    if (s_driver == DRIVER_NONE) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return NULL;
    }
    std::wstring chosen =
        JoinPath(BinDir(), s_driver == DRIVER_PARTIAL ? L"partial\\wintab32.dll" : L"wintab32.dll");
    return s_realLoad(chosen.c_str(), file, flags);
}

static BOOL WINAPI RecordLogOff(UINT flags, DWORD reserved)
{
    g_logOffs.push_back({flags, reserved});
    return TRUE;
}

void ResetPanelState()
{
    ZeroMemory(&g_panel, sizeof(g_panel));
    g_exitWindowsEx = RecordLogOff;
    g_logOffs.clear();
}

/* Before every test, without each fixture having to remember it. */
class PanelStateReset : public ::testing::EmptyTestEventListener
{
    void OnTestStart(const ::testing::TestInfo &) override
    {
        ResetPanelState();
    }
};

static struct InstallReset {
    InstallReset()
    {
        ::testing::UnitTest::GetInstance()->listeners().Append(new PanelStateReset);
        g_exitWindowsEx = RecordLogOff;
        CountBeeps();
        s_realLoad = (HMODULE(WINAPI *)(LPCWSTR, HANDLE, DWORD))RedirectImport(
            &imp_LoadLibraryExW, (void *)LoadChosenDriver);
        UseWow64Workarounds();
    }
} s_installReset;

PenEventProc StandinPen()
{
    HMODULE module = GetModuleHandleW(L"wintab32.dll");
    return module ? (PenEventProc)(void (*)(void))GetProcAddress(module, "StandinPenEvent") : NULL;
}

bool StandinLoaded()
{
    return StandinPen() != NULL;
}

UINT OpenContexts()
{
    UINT n = 0;
    WTInfoW(WTI_STATUS, STA_CONTEXTS, &n);
    return n;
}

typedef HWND(WINAPI *ContextOwnerProc)(HMGR, HCTX);

struct OwnerSearch {
    ContextOwnerProc owner;
    HMGR manager;
    HWND window;
    HCTX found;
};

static BOOL CALLBACK FindOwnedContext(HCTX hctx, LPARAM lParam)
{
    OwnerSearch *s = (OwnerSearch *)lParam;
    if (s->owner(s->manager, hctx) == s->window)
        s->found = hctx;
    return s->found == NULL;
}

HCTX ContextOwnedBy(HWND window)
{
    HMODULE module = GetModuleHandleW(L"wintab32.dll");
    OwnerSearch s = {NULL, NULL, window, NULL};
    if (module)
        s.owner = (ContextOwnerProc)(void (*)(void))GetProcAddress(module, "WTMgrContextOwner");
    if (!s.owner)
        return NULL;
    s.manager = WTMgrOpen(GetParent(window), WT_DEFBASE);
    WTMgrContextEnum(s.manager, FindOwnedContext, (LPARAM)&s);
    WTMgrClose(s.manager);
    return s.found;
}

bool PointerShown()
{
    CURSORINFO ci;
    ZeroMemory(&ci, sizeof(ci));
    ci.cbSize = sizeof(ci);
    return GetCursorInfo(&ci) && (ci.flags & CURSOR_SHOWING);
}

void UseDriver(Driver driver)
{
    /* A library already loaded would answer. */
    UnloadWintab();
    s_driver = driver;
}

static std::vector<Misreport> s_misreports;
static FARPROC s_standinInfo;

static UINT WINAPI MisreportingInfo(UINT category, UINT index, LPVOID out)
{
    for (const Misreport &m : s_misreports) {
        if (m.category != category || m.index != index)
            continue;
        if (m.value < 0)
            return 0;
        if (m.text.empty()) {
            if (out)
                *(UINT *)out = (UINT)m.value;
            return sizeof(UINT);
        }
        UINT bytes = (UINT)(m.text.size() * sizeof(WCHAR));
        if (!out)
            return m.asked ? m.asked : bytes;
        memcpy(out, m.text.data(), bytes);
        return bytes;
    }
    return ((UINT(WINAPI *)(UINT, UINT, LPVOID))(void (*)(void))s_standinInfo)(category, index,
                                                                               out);
}

void InstallMisreports(const std::vector<Misreport> &misreports)
{
    s_misreports = misreports;
    for (int i = 0; i < g_wintabEntryCount && !misreports.empty(); i++) {
        WintabEntry &e = g_wintabEntries[i];
        if (lstrcmpA(e.name, "WTInfoW") == 0) {
            if (!e.address)
                ResolveWintabEntry(&e);
            s_standinInfo = e.address;
            e.address = (FARPROC)(void (*)(void))MisreportingInfo;
        }
    }
}

void UseTablet(const std::string &ini)
{
    if (ini.empty()) {
        SetEnvironmentVariableW(L"WINTAB_STANDIN_TABLET", NULL);
        return;
    }
    static int serial;
    std::wstring dir = MakeScratchDir(L"tablet" + std::to_wstring(++serial));
    std::wstring path = JoinPath(dir, L"tablet.ini");
    WriteFileBytes(path, ini);
    SetEnvironmentVariableW(L"WINTAB_STANDIN_TABLET", path.c_str());
}

bool LoadStandin(const std::string &ini)
{
    UseDriver(DRIVER_STANDIN);
    UseTablet(ini);
    g_panel.deviceChosen = FALSE;
    WTInfoW(0, 0, NULL);
    return StandinLoaded();
}

void StartCallLog()
{
    if (s_logPath.empty())
        s_logPath = JoinPath(MakeScratchDir(L"calllog"), L"calls.log");
    DeleteFileW(s_logPath.c_str());
    SetEnvironmentVariableW(L"WINTAB_STANDIN_LOG", s_logPath.c_str());
}

std::vector<std::string> CallLog()
{
    std::vector<std::string> lines;
    std::string data = ReadFileBytes(s_logPath), line;
    for (char c : data) {
        if (c == '\n') {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

int FindCall(const std::vector<std::string> &log, const std::string &prefix)
{
    for (size_t i = 0; i < log.size(); i++)
        if (log[i].compare(0, prefix.size(), prefix) == 0)
            return (int)i;
    return -1;
}

HWND StartPanel()
{
    HINSTANCE hInstance = GetModuleHandleW(NULL);
    g_hMgr = NULL;
    g_focusTile = NULL;
    if (!InitApplication(hInstance, NULL) || !InitInstance(hInstance, SW_SHOWNORMAL))
        return NULL;
    if (s_driver != DRIVER_NONE) {
        EXPECT_TRUE(StandinLoaded()) << "the panel did not load the stand-in driver";
    }
    HWND main = MainWindow();
    SetForegroundWindow(main);
    PumpMessages(50);
    return main;
}

void StopPanel()
{
    HWND main = MainWindow();
    if (main)
        DestroyWindow(main);
    /* Drop the quit message the main window posts as it goes. */
    MSG msg;
    while (PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE))
        if (msg.message != WM_QUIT)
            DispatchMessageW(&msg);
    UnregisterClassW(g_szCaption, GetModuleHandleW(NULL));
    UnregisterClassW(TILE_CLASS, GetModuleHandleW(NULL));
    UnloadWintab();
}

HWND RestartPanel(const std::string &ini)
{
    StopPanel();
    g_panel.deviceChosen = FALSE;
    UseDriver(DRIVER_STANDIN);
    UseTablet(ini);
    return StartPanel();
}

HWND MainWindow()
{
    return FindWindowW(L"Tablet Control Panel", L"Tablet Control Panel");
}

HWND Tile(int id)
{
    return GetDlgItem(MainWindow(), id);
}

const SetupState *SetupOf(HWND dlg)
{
    return (const SetupState *)GetWindowLongPtrW(dlg, DWLP_USER);
}

static BOOL CALLBACK CollectContext(HCTX hctx, LPARAM lParam)
{
    LOGCONTEXTW lc;
    WTGetW(hctx, &lc);
    ((std::vector<LOGCONTEXTW> *)lParam)->push_back(lc);
    return TRUE;
}

/* The driver's open contexts in its order, then its default system context. */
std::vector<LOGCONTEXTW> Contexts()
{
    std::vector<LOGCONTEXTW> all;
    WTMgrContextEnum(g_hMgr, CollectContext, (LPARAM)&all);
    LOGCONTEXTW lc;
    ZeroMemory(&lc, sizeof(lc));
    WTGetW(WTMgrDefContext(g_hMgr, TRUE), &lc);
    all.push_back(lc);
    return all;
}

std::vector<BYTE> Map(UINT cursor, UINT index)
{
    std::vector<BYTE> map(32);
    WTInfoW(WTI_CURSORS + cursor, index, map.data());
    return map;
}

/* Everything the panel could change: contexts, the default, the cursors. */
std::string DriverState()
{
    std::string state;
    for (const LOGCONTEXTW &lc : Contexts())
        state.append((const char *)&lc, sizeof(lc));
    for (UINT c = 0; c < 2; c++) {
        BOOL active = 0;
        WTInfoW(WTI_CURSORS + c, CSR_ACTIVE, &active);
        state += (char)active;
        for (UINT index : {CSR_SYSBTNMAP, CSR_BUTTONMAP})
            for (BYTE b : Map(c, index))
                state += (char)b;
    }
    return state;
}
