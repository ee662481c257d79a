#include "winsupport.h"

#include <shellapi.h>

static std::wstring ProgramPath()
{
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(NULL, path, MAX_PATH);
    return std::wstring(path, n);
}

std::wstring TestDir()
{
    std::wstring p = ProgramPath();
    return p.substr(0, p.find_last_of(L"\\/"));
}

std::wstring EnvironmentText(const wchar_t *name)
{
    std::wstring s(GetEnvironmentVariableW(name, NULL, 0), L'\0');
    s.resize(s.empty() ? 0 : GetEnvironmentVariableW(name, &s[0], (DWORD)s.size()));
    return s;
}

std::wstring PathFromEnvironment(const wchar_t *name)
{
    std::wstring p = EnvironmentText(name);
    /* A Unix path: Wine maps the root to drive Z:. */
    if (!p.empty() && p[0] == L'/') {
        for (auto &c : p)
            if (c == L'/')
                c = L'\\';
        p = L"Z:" + p;
    }
    return p;
}

std::wstring BinDir()
{
    std::wstring p = PathFromEnvironment(L"BUILD_BIN");
    return p.empty() ? JoinPath(TestDir(), L"..\\bin") : p;
}

std::wstring JoinPath(const std::wstring &dir, const std::wstring &name)
{
    if (!dir.empty() && (dir.back() == L'\\' || dir.back() == L'/'))
        return dir + name;
    return dir + L"\\" + name;
}

/* Each test program has a scratch area of its own: ctest runs programs side
   by side, and one must not empty a directory another is using. */
std::wstring MakeScratchDir(const std::wstring &name)
{
    std::wstring program = ProgramPath();
    program = program.substr(program.find_last_of(L"\\/") + 1);
    program = program.substr(0, program.find_last_of(L'.'));

    std::wstring root = JoinPath(TestDir(), L"scratch");
    CreateDirectoryW(root.c_str(), NULL);
    root = JoinPath(root, program);
    CreateDirectoryW(root.c_str(), NULL);
    std::wstring dir = JoinPath(root, name);
    RemoveTree(dir);
    CreateDirectoryW(dir.c_str(), NULL);
    return dir;
}

void RemoveTree(const std::wstring &dir)
{
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(JoinPath(dir, L"*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::wstring path = JoinPath(dir, name);
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else {
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(dir.c_str());
}

void *RedirectImport(void **slot, void *to)
{
    DWORD protect;
    VirtualProtect(slot, sizeof(void *), PAGE_READWRITE, &protect);
    void *was = *slot;
    *slot = to;
    VirtualProtect(slot, sizeof(void *), protect, &protect);
    return was;
}

std::string AnsiOf(const std::wstring &s)
{
    int n = WideCharToMultiByte(CP_ACP, 0, s.c_str(), -1, NULL, 0, NULL, NULL);
    std::string out(n > 0 ? n : 1, '\0');
    WideCharToMultiByte(CP_ACP, 0, s.c_str(), -1, &out[0], n, NULL, NULL);
    out.resize(out.size() - 1);
    return out;
}

bool FileExists(const std::wstring &path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool CopyInto(const std::wstring &file, const std::wstring &dir, const std::wstring &newName)
{
    std::wstring name = newName.empty() ? file.substr(file.find_last_of(L"\\/") + 1) : newName;
    return CopyFileW(file.c_str(), JoinPath(dir, name).c_str(), FALSE) != 0;
}

std::string ReadFileBytes(const std::wstring &path)
{
    std::string data;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                           OPEN_EXISTING, 0, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return data;
    char buf[4096];
    DWORD got;
    while (ReadFile(h, buf, sizeof(buf), &got, NULL) && got)
        data.append(buf, got);
    CloseHandle(h);
    return data;
}

bool WriteFileBytes(const std::wstring &path, const std::string &data)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD put = 0;
    BOOL ok = WriteFile(h, data.data(), (DWORD)data.size(), &put, NULL);
    CloseHandle(h);
    return ok && put == data.size();
}

void PumpMessages(DWORD ms)
{
    DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjects(0, NULL, FALSE, 5, QS_ALLINPUT);
    } while (GetTickCount() - start < ms);
}

std::wstring WindowText(HWND hwnd)
{
    wchar_t buf[1024];
    int n = GetWindowTextW(hwnd, buf, 1024);
    return std::wstring(buf, n > 0 ? n : 0);
}

std::wstring ClassOf(HWND hwnd)
{
    wchar_t buf[256];
    int n = GetClassNameW(hwnd, buf, 256);
    return std::wstring(buf, n > 0 ? n : 0);
}

RECT ClientRectOf(HWND hwnd)
{
    RECT rc = {0, 0, 0, 0};
    GetClientRect(hwnd, &rc);
    return rc;
}

RECT RectInParent(HWND hwnd)
{
    RECT rc;
    GetWindowRect(hwnd, &rc);
    MapWindowPoints(HWND_DESKTOP, GetParent(hwnd), (POINT *)&rc, 2);
    return rc;
}

struct EnumArgs {
    DWORD pid;
    bool visibleOnly;
    std::vector<HWND> *out;
};

static BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM lParam)
{
    EnumArgs *args = (EnumArgs *)lParam;
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == args->pid && (!args->visibleOnly || IsWindowVisible(hwnd)))
        args->out->push_back(hwnd);
    return TRUE;
}

std::vector<HWND> WindowsOfProcess(DWORD pid, bool visibleOnly)
{
    std::vector<HWND> out;
    EnumArgs args = {pid, visibleOnly, &out};
    EnumWindows(CollectWindow, (LPARAM)&args);
    return out;
}

HWND WaitForWindow(DWORD pid, const wchar_t *cls, const wchar_t *title, DWORD ms)
{
    HWND found = NULL;
    PumpUntil(
        [&] {
            for (HWND h : WindowsOfProcess(pid, true)) {
                if (cls && ClassOf(h) != cls)
                    continue;
                if (title && WindowText(h) != title)
                    continue;
                found = h;
                return true;
            }
            return false;
        },
        ms);
    return found;
}

static BOOL CALLBACK CollectChild(HWND hwnd, LPARAM lParam)
{
    ((std::vector<HWND> *)lParam)->push_back(hwnd);
    return TRUE;
}

/* The standard message-box icons differ in colour: the error icon is red,
   the warning icon yellow, the information and question icons blue. Icon
   handles cannot be compared across processes, so this looks at what is
   drawn: read from the screen, since another process's window surface is not
   ours to read. */
static std::wstring IconKindNow(HWND icon)
{
    RECT rc;
    GetWindowRect(icon, &rc);
    HDC hdc = GetDC(NULL);
    int red = 0, yellow = 0, blue = 0;
    for (int y = rc.top; y < rc.bottom; y++) {
        for (int x = rc.left; x < rc.right; x++) {
            COLORREF c = GetPixel(hdc, x, y);
            int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
            red += r > 160 && g < 100 && b < 100;
            yellow += r > 180 && g > 150 && b < 100;
            blue += b > 150 && r < 100;
        }
    }
    ReleaseDC(NULL, hdc);
    if (red > 40 && red >= yellow && red >= blue)
        return L"error";
    if (yellow > 40 && yellow >= blue)
        return L"warning";
    return blue > 40 ? L"information" : L"";
}

bool IconsCanShow()
{
    static int can = -1;
    if (can < 0)
        can = LoadIconW(NULL, (LPCWSTR)IDI_HAND) != NULL;
    return can != 0;
}

bool RunsUnderWow64()
{
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

/* A box shown a moment ago may not have drawn its icon yet on a busy
   machine: look again for a while before saying it shows none. */
std::wstring IconKind(HWND icon)
{
    std::wstring kind;
    for (int tries = 0; tries < 20 && kind.empty(); tries++) {
        if (tries)
            Sleep(50);
        kind = IconKindNow(icon);
    }
    return kind;
}

MessageBoxView ReadMessageBox(HWND box)
{
    MessageBoxView v;
    v.hwnd = box;
    v.title = WindowText(box);
    std::vector<HWND> children;
    EnumChildWindows(box, CollectChild, (LPARAM)&children);
    for (HWND c : children) {
        std::wstring cls = ClassOf(c);
        LONG style = GetWindowLongW(c, GWL_STYLE);
        if (_wcsicmp(cls.c_str(), L"Button") == 0)
            v.buttons.push_back(WindowText(c));
        else if (_wcsicmp(cls.c_str(), L"Static") == 0) {
            if ((style & SS_TYPEMASK) == SS_ICON) {
                v.hasErrorIcon = IconKind(c) == L"error";
            } else if (GetDlgCtrlID(c) == 0xFFFF) {
                v.text = WindowText(c);
            }
        }
    }
    return v;
}

#define STRAY_BOX_MS 2000

static DWORD WINAPI WatchBoxes(LPVOID param)
{
    BoxWatch *watch = (BoxWatch *)param;
    struct Known {
        HWND hwnd;
        DWORD since;
        bool answered;
    };
    std::vector<Known> known;
    while (!watch->stop) {
        for (HWND h : WindowsOfProcess(GetCurrentProcessId(), true)) {
            if (ClassOf(h) != L"#32770")
                continue;
            Known *k = NULL;
            for (Known &e : known)
                if (e.hwnd == h)
                    k = &e;
            if (k) {
                /* A box nobody named: Escape, as a person who does not want it. */
                if (!k->answered && GetTickCount() - k->since >= STRAY_BOX_MS) {
                    k->answered = true;
                    PostMessageW(h, WM_COMMAND, IDCANCEL, 0);
                }
                continue;
            }
            Sleep(50); /* let the box finish laying itself out */
            MessageBoxView v = ReadMessageBox(h);
            EnterCriticalSection(&watch->lock);
            watch->seen.push_back(v);
            LeaveCriticalSection(&watch->lock);
            bool named = false;
            for (const std::wstring &t : watch->answer)
                named = named || t == v.title;
            known.push_back({h, GetTickCount(), named});
            if (named) {
                if (!v.buttons.empty())
                    PressButton(h, v.buttons[0].c_str());
                else
                    PostMessageW(h, WM_CLOSE, 0, 0);
            }
        }
        Sleep(20);
    }
    return 0;
}

void StartBoxWatch(BoxWatch &watch, const std::vector<std::wstring> &answer)
{
    InitializeCriticalSection(&watch.lock);
    watch.stop = 0;
    watch.answer = answer;
    watch.seen.clear();
    watch.thread = CreateThread(NULL, 0, WatchBoxes, &watch, 0, NULL);
}

std::vector<MessageBoxView> StopBoxWatch(BoxWatch &watch)
{
    InterlockedExchange(&watch.stop, 1);
    WaitForSingleObject(watch.thread, 5000);
    CloseHandle(watch.thread);
    watch.thread = NULL;
    DeleteCriticalSection(&watch.lock);
    return watch.seen;
}

bool PressButton(HWND parent, const wchar_t *text)
{
    std::vector<HWND> children;
    EnumChildWindows(parent, CollectChild, (LPARAM)&children);
    for (HWND c : children) {
        if (_wcsicmp(ClassOf(c).c_str(), L"Button") == 0 && WindowText(c) == text) {
            PostMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(c), BN_CLICKED), (LPARAM)c);
            return true;
        }
    }
    return false;
}

Process StartProcess(const std::wstring &exe, const std::wstring &args, const std::wstring &cwd)
{
    Process p;
    std::wstring cmd = L"\"" + exe + L"\"";
    if (!args.empty())
        cmd += L" " + args;
    STARTUPINFOW si;
    ZeroMemory(&si, sizeof(si));
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi;
    std::vector<wchar_t> line(cmd.begin(), cmd.end());
    line.push_back(0);
    if (CreateProcessW(exe.c_str(), line.data(), NULL, NULL, FALSE, 0, NULL,
                       cwd.empty() ? NULL : cwd.c_str(), &si, &pi)) {
        CloseHandle(pi.hThread);
        p.process = pi.hProcess;
        p.pid = pi.dwProcessId;
        /* Let the program reach its message loop. */
        WaitForInputIdle(pi.hProcess, 5000);
    }
    return p;
}

DWORD WaitForExit(Process &p, DWORD ms)
{
    if (!p.process)
        return (DWORD)-1;
    if (WaitForSingleObject(p.process, ms) != WAIT_OBJECT_0)
        return STILL_ACTIVE;
    DWORD code = 0;
    GetExitCodeProcess(p.process, &code);
    return code;
}

void KillProcess(Process &p)
{
    if (p.process) {
        TerminateProcess(p.process, 99);
        WaitForSingleObject(p.process, 5000);
    }
}

void CloseProcess(Process &p)
{
    if (p.process)
        CloseHandle(p.process);
    p.process = NULL;
}

bool SetRegString(HKEY root, const std::wstring &key, const wchar_t *name,
                  const std::wstring &value)
{
    HKEY h;
    if (RegCreateKeyExW(root, key.c_str(), 0, NULL, 0, KEY_SET_VALUE, NULL, &h, NULL) !=
        ERROR_SUCCESS)
        return false;
    LONG rc = RegSetValueExW(h, name, 0, REG_SZ, (const BYTE *)value.c_str(),
                             (DWORD)((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(h);
    return rc == ERROR_SUCCESS;
}

bool DeleteRegTree(HKEY root, const std::wstring &key)
{
    return RegDeleteTreeW(root, key.c_str()) == ERROR_SUCCESS;
}
