/*
 * The real padcfg.exe, started as a user starts it: with no Wintab library,
 * with a driver that has no tablet or no manager, with Wine's own wintab32,
 * and with the stand-in driver; what the user sees and the exit code.
 */
#include "winsupport.h"

#include <gtest/gtest.h>

static const wchar_t kTitle[] = L"Tablet Control Panel";
static const wchar_t kOverrides[] = L"Software\\Wine\\AppDefaults\\padcfg.exe\\DllOverrides";

/* A folder holding a copy of the panel and, when asked, the stand-in driver
   with a tablet description beside it. */
static std::wstring PanelFolder(const wchar_t *name, bool withStandin, const std::string &ini = "")
{
    std::wstring dir = MakeScratchDir(name);
    CopyInto(JoinPath(BinDir(), L"padcfg.exe"), dir);
    if (withStandin) {
        CopyInto(JoinPath(BinDir(), L"wintab32.dll"), dir);
        if (!ini.empty())
            WriteFileBytes(JoinPath(dir, L"wintab32.ini"), ini);
    }
    return dir;
}

static bool MainWindowShown(DWORD pid)
{
    for (HWND h : WindowsOfProcess(pid, true))
        if (ClassOf(h) == kTitle)
            return true;
    return false;
}

/* Starts the panel from a folder (in another one, when cwd says so) and
   expects exactly the driver-missing box. */
static void ExpectDriverNotFound(const std::wstring &dir, const std::wstring &cwd = L"")
{
    Process p = StartProcess(JoinPath(dir, L"padcfg.exe"), L"", cwd.empty() ? dir : cwd);
    ASSERT_NE(0u, p.pid);

    std::vector<MessageBoxView> boxes;
    bool mainShown = false;
    PumpUntil(
        [&] {
            mainShown = mainShown || MainWindowShown(p.pid);
            for (HWND h : WindowsOfProcess(p.pid, true)) {
                if (ClassOf(h) != L"#32770")
                    continue;
                Sleep(100);
                boxes.push_back(ReadMessageBox(h));
                EXPECT_EQ(1u, WindowsOfProcess(p.pid, true).size()) << "only the box is shown";
                PressButton(h, L"OK");
                return true;
            }
            return false;
        },
        10000);

    DWORD code = WaitForExit(p, 10000);
    EXPECT_EQ(0u, code);
    if (code == STILL_ACTIVE)
        KillProcess(p);
    EXPECT_FALSE(mainShown);
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(kTitle, boxes[0].title);
    EXPECT_EQ(L"Tablet Driver Not Found.", boxes[0].text);
    EXPECT_EQ(IconsCanShow(), boxes[0].hasErrorIcon);
    ASSERT_EQ(1u, boxes[0].buttons.size());
    CloseProcess(p);
}

TEST(Process, WithoutAnyWintabLibraryTheUserIsToldTheDriverIsMissing)
{
    /* Wine always has a builtin wintab32; disabling it leaves none at all. */
    ASSERT_TRUE(SetRegString(HKEY_CURRENT_USER, kOverrides, L"wintab32", L""));
    ExpectDriverNotFound(PanelFolder(L"no-library", false));
    DeleteRegTree(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\padcfg.exe");
}

TEST(Process, WineBuiltinWintabHasNoTabletHere)
{
    ExpectDriverNotFound(PanelFolder(L"builtin", false));
}

/* A wintab32.dll beside a document, in the folder the panel is started in,
   is never loaded: only the program's own folder and the system's count.
   The search that Windows NT 4.0 makes by name, the current folder before
   the system's, is set up for the run. */
TEST(Process, ALibraryInTheCurrentFolderIsNotTheDriver)
{
    static const wchar_t key[] = L"System\\CurrentControlSet\\Control\\Session Manager";
    HKEY h;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExW(HKEY_LOCAL_MACHINE, key, 0, NULL, 0, KEY_SET_VALUE, NULL, &h, NULL));
    DWORD unsafe = 0;
    RegSetValueExW(h, L"SafeDllSearchMode", 0, REG_DWORD, (const BYTE *)&unsafe, sizeof(unsafe));
    ExpectDriverNotFound(PanelFolder(L"planted-panel", false), PanelFolder(L"planted-here", true));
    RegDeleteValueW(h, L"SafeDllSearchMode");
    RegCloseKey(h);
}

TEST(Process, ADriverReportingNoTabletIsNotADriver)
{
    ExpectDriverNotFound(PanelFolder(L"no-tablet", true, "[Interface]\r\nNoTablet=1\r\n"));
}

TEST(Process, ADriverWhoseManagerCannotOpenIsNotADriver)
{
    ExpectDriverNotFound(PanelFolder(L"no-manager", true, "[Interface]\r\nMgrOpenFails=1\r\n"));
}

TEST(Process, WithTheDriverTheMainWindowShowsAndExitEndsWithZero)
{
    std::wstring dir = PanelFolder(L"standin", true);
    std::wstring log = JoinPath(dir, L"calls.log");
    SetEnvironmentVariableW(L"WINTAB_STANDIN_LOG", log.c_str());
    Process p = StartProcess(JoinPath(dir, L"padcfg.exe"), L"", dir);

    HWND main = WaitForWindow(p.pid, kTitle, kTitle, 10000);
    ASSERT_NE((HWND)NULL, main);
    RECT rc = ClientRectOf(main);
    EXPECT_EQ(9 * GetSystemMetrics(SM_CXICON), rc.right);
    EXPECT_EQ(2 * GetSystemMetrics(SM_CYICON), rc.bottom);
    EXPECT_EQ(1u, WindowsOfProcess(p.pid, true).size());

    /* A second start brings the first forward and ends at once. */
    ShowWindow(main, SW_MINIMIZE);
    Process second = StartProcess(JoinPath(dir, L"padcfg.exe"), L"", dir);
    EXPECT_EQ(0u, WaitForExit(second, 10000));
    CloseProcess(second);
    PumpUntil([&] { return !IsIconic(main); }, 2000);
    EXPECT_FALSE(IsIconic(main));
    EXPECT_EQ(1u, WindowsOfProcess(p.pid, true).size());

    PostMessageW(main, WM_COMMAND, 104, 0); /* Tablet > Exit */
    EXPECT_EQ(0u, WaitForExit(p, 10000));
    CloseProcess(p);
    SetEnvironmentVariableW(L"WINTAB_STANDIN_LOG", NULL);

    std::string calls = ReadFileBytes(log);
    size_t close = calls.find("WTMgrClose(");
    size_t unload = calls.find("unload");
    ASSERT_NE(std::string::npos, close);
    ASSERT_NE(std::string::npos, unload);
    EXPECT_LT(close, unload);
    /* The second start did not even load the driver. */
    int loads = 0;
    for (size_t at = 0; (at = calls.find("load", at)) != std::string::npos; at += 4)
        loads += at == 0 || calls[at - 1] == '\n';
    EXPECT_EQ(1, loads);
}

/* What Explorer's properties and the loader read from the file itself, of
   either panel: the same texts, each panel's own system. */
static void ExpectVersionIconsAndStrings(const wchar_t *program, DWORD os)
{
    SCOPED_TRACE(AnsiOf(program));
    std::wstring exe = JoinPath(BinDir(), program);
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeW(exe.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> info(size);
    ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, size, info.data()));

    VS_FIXEDFILEINFO *fixed = NULL;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", (void **)&fixed, &len));
    EXPECT_EQ(MAKELONG(3, 1), fixed->dwFileVersionMS);
    EXPECT_EQ(0u, fixed->dwFileVersionLS);
    EXPECT_EQ(MAKELONG(3, 1), fixed->dwProductVersionMS);
    EXPECT_EQ(os, fixed->dwFileOS);
    EXPECT_EQ((DWORD)VFT_APP, fixed->dwFileType);

    const struct {
        const wchar_t *name, *value;
    } strings[] = {{L"FileVersion", L"1.03"},
                   {L"ProductVersion", L"1.03"},
                   {L"FileDescription", L"Quorax Wintab 32-bit Tablet Control Panel"},
                   {L"ProductName", L"Quorax Wintab 32-bit Tablet Control Panel"},
                   {L"InternalName", L"penpanel"},
                   {L"OriginalFilename", L"padcfg.EXE"}};
    for (const auto &s : strings) {
        wchar_t *value = NULL;
        std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + s.name;
        ASSERT_TRUE(VerQueryValueW(info.data(), path.c_str(), (void **)&value, &len)) << s.name;
        EXPECT_STREQ(s.value, value);
    }

    HMODULE file = LoadLibraryExW(exe.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE((HMODULE)NULL, file);
    for (int id = 1; id <= 4; id++) {
        HRSRC group = FindResourceW(file, MAKEINTRESOURCEW(id), (LPCWSTR)RT_GROUP_ICON);
        ASSERT_NE((HRSRC)NULL, group) << id;
        const WORD *dir = (const WORD *)LockResource(LoadResource(file, group));
        EXPECT_EQ(4, dir[2]) << "images in icon group " << id;
    }
    /* The device-name preferences 96 to 111 are there, and empty. */
    EXPECT_NE((HRSRC)NULL, FindResourceW(file, MAKEINTRESOURCEW(96 / 16 + 1), (LPCWSTR)RT_STRING));
    wchar_t text[20];
    EXPECT_EQ(0, LoadStringW(file, 100, text, 20));
    EXPECT_GT(LoadStringW(file, 80, text, 20), 0);
    EXPECT_STREQ(L"unknown", text);
    FreeLibrary(file);
}

TEST(Process, TheProgramFilesCarryTheirVersionIconsAndStrings)
{
    ExpectVersionIconsAndStrings(L"padcfg.exe", VOS_NT_WINDOWS32);
    ExpectVersionIconsAndStrings(L"penpanel.exe", VOS__WINDOWS32);
}
