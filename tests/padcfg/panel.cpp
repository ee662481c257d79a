#include "panel.h"

static std::wstring s_logPath;

void UseDriver(Driver driver)
{
    /* The panel loads by name only; a library already loaded would answer. */
    UnloadWintab();
    switch (driver) {
    case DRIVER_NONE:
        SetDllDirectoryW(MakeScratchDir(L"no-driver").c_str());
        break;
    case DRIVER_STANDIN:
        SetDllDirectoryW(BinDir().c_str());
        break;
    case DRIVER_PARTIAL:
        SetDllDirectoryW(JoinPath(BinDir(), L"partial").c_str());
        break;
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

HWND MainWindow()
{
    return FindWindowW(L"Tablet Control Panel", L"Tablet Control Panel");
}

HWND Tile(int id)
{
    return GetDlgItem(MainWindow(), id);
}
