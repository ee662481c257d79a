#include "launcher_support.h"

#include <winioctl.h>

#include <vector>

const wchar_t kMissingCaption[] = L"Error : Can not find Wintab NT driver files !";

static std::wstring ProbeLog()
{
    return JoinPath(TestDir(), L"scratch\\kitlaunch-probe.log");
}

static std::wstring WinPathOfUnix(const std::wstring &unixPath)
{
    std::wstring p = unixPath;
    for (auto &c : p)
        if (c == L'/')
            c = L'\\';
    return L"Z:" + p;
}

std::wstring MakeDisk(const wchar_t *name, DiskContents contents)
{
    std::wstring disk = MakeScratchDir(name);
    CopyInto(JoinPath(BinDir(), L"kitlaunch.exe"), disk);
    if (contents == DISK_LAUNCHER_ONLY)
        return disk;

    std::wstring setupDir = JoinPath(disk, L"NTWINTAB");
    CreateDirectoryW(setupDir.c_str(), NULL);
    if (contents == DISK_PROBE_SETUP)
        CopyInto(JoinPath(TestDir(), L"setup_probe.exe"), setupDir, L"SETUP.EXE");
    else if (contents == DISK_BROKEN_SETUP)
        WriteFileBytes(JoinPath(setupDir, L"SETUP.EXE"), "This is a text file, not a program.\r\n");
    return disk;
}

std::wstring BuiltDiskDir()
{
    wchar_t buf[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(L"BUILD_DIR", buf, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return JoinPath(TestDir(), L"..\\disk");
    return JoinPath(WinPathOfUnix(std::wstring(buf, n)), L"disk");
}

Process StartLauncher(const std::wstring &dir)
{
    return StartProcess(JoinPath(dir, L"kitlaunch.exe"), L"", dir);
}

void EndLeftovers(const wchar_t *cls, const wchar_t *title)
{
    HWND hwnd;
    while ((hwnd = FindWindowW(cls, title)) != NULL) {
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        HANDLE h = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
        if (!h)
            return;
        TerminateProcess(h, 99);
        WaitForSingleObject(h, 5000);
        CloseHandle(h);
        PumpUntil([&] { return !IsWindow(hwnd); }, 2000);
    }
}

void EndLeftoverLaunchers()
{
    EndLeftovers(L"kitlaunch", NULL);
}

void ResetProbe()
{
    CreateDirectoryW(JoinPath(TestDir(), L"scratch").c_str(), NULL);
    DeleteFileW(ProbeLog().c_str());
    SetEnvironmentVariableW(L"KITLAUNCH_PROBE_LOG", ProbeLog().c_str());
}

ProbeReport ReadProbe(DWORD waitMs)
{
    ProbeReport r;
    std::string data;
    /* Complete once the last of its three lines is there. */
    PumpUntil(
        [&] {
            data = ReadFileBytes(ProbeLog());
            size_t lines = 0;
            for (char c : data)
                lines += c == '\n';
            return lines >= 3;
        },
        waitMs);
    if (data.empty())
        return r;
    r.ran = true;
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < data.size(); i++) {
        if (data[i] == '\n') {
            lines.push_back(data.substr(start, i - start));
            start = i + 1;
        }
    }
    lines.resize(3);
    r.currentDir = lines[0];
    r.commandLine = lines[1];
    r.launcherWindow = lines[2];
    return r;
}

HWND WaitForTopWindow(const wchar_t *cls, const wchar_t *title, DWORD ms)
{
    HWND found = NULL;
    PumpUntil(
        [&] {
            found = FindWindowW(cls, title);
            return found != NULL && IsWindowVisible(found);
        },
        ms);
    return found;
}

std::string Narrow(const std::wstring &s)
{
    return std::string(s.begin(), s.end());
}

std::string UnixPathOf(const std::wstring &winPath)
{
    std::string out;
    if (winPath.size() < 2 || (winPath[0] != L'Z' && winPath[0] != L'z') || winPath[1] != L':')
        return out;
    for (size_t i = 2; i < winPath.size(); i++)
        out += winPath[i] == L'\\' ? '/' : (char)winPath[i];
    return out;
}

/* Wine's mount manager request that winecfg uses to add and remove drives. */
namespace
{
struct MountmgrUnixDrive {
    ULONG size;
    ULONG type;
    ULONG fsType;
    DWORD serial;
    ULONGLONG unixDev;
    WCHAR letter;
    USHORT mountPointOffset;
    USHORT deviceOffset;
    USHORT labelOffset;
};
} // namespace
static const DWORD kDefineUnixDrive =
    CTL_CODE('m', 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);

static bool SendDriveRequest(wchar_t letter, const std::string *unixDir)
{
    std::vector<char> buf(sizeof(MountmgrUnixDrive) + (unixDir ? unixDir->size() + 1 : 0));
    MountmgrUnixDrive *req = (MountmgrUnixDrive *)buf.data();
    req->size = (ULONG)buf.size();
    req->letter = (WCHAR)towlower(letter);
    /* No mount point removes the drive. */
    req->type = unixDir ? DRIVE_FIXED : DRIVE_NO_ROOT_DIR;
    if (unixDir) {
        req->mountPointOffset = sizeof(MountmgrUnixDrive);
        memcpy(buf.data() + sizeof(MountmgrUnixDrive), unixDir->c_str(), unixDir->size() + 1);
    }
    HANDLE mgr = CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
    if (mgr == INVALID_HANDLE_VALUE)
        return false;
    DWORD got = 0;
    BOOL ok =
        DeviceIoControl(mgr, kDefineUnixDrive, buf.data(), (DWORD)buf.size(), NULL, 0, &got, NULL);
    CloseHandle(mgr);
    return ok != 0;
}

bool DefineWineDrive(wchar_t letter, const std::string &unixDir)
{
    return SendDriveRequest(letter, &unixDir);
}

bool RemoveWineDrive(wchar_t letter)
{
    return SendDriveRequest(letter, NULL);
}

wchar_t FreeDriveLetter()
{
    DWORD used = GetLogicalDrives();
    for (wchar_t c = L'K'; c <= L'Y'; c++)
        if (!(used & (1u << (c - L'A'))))
            return c;
    return 0;
}
