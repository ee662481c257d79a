#include "machine.h"

#include <algorithm>
#include <iterator>
#include <cstdio>

#include "winsupport.h"

std::string Narrow(const std::wstring &s)
{
    std::string out;
    for (wchar_t c : s)
        out += (char)c;
    return out;
}

std::wstring Widen(const std::string &s)
{
    return std::wstring(s.begin(), s.end());
}

std::string WinDir()
{
    char buf[MAX_PATH];
    GetWindowsDirectoryA(buf, MAX_PATH);
    return std::string(buf) + "\\";
}

std::string SystemDir()
{
    char buf[MAX_PATH];
    GetSystemDirectoryA(buf, MAX_PATH);
    return std::string(buf) + "\\";
}

std::string ReadAnsiFile(const std::string &path)
{
    return ReadFileBytes(Widen(path));
}

bool WriteAnsiFile(const std::string &path, const std::string &data)
{
    return WriteFileBytes(Widen(path), data);
}

bool FileThere(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> Win95Enh386()
{
    std::vector<std::string> lines = {
        "ebios=*ebios",
        "woafont=dosapp.fon",
        "mouse=*vmouse, msmouse.vxd",
        "device=*dynapage",
        "device=*vcd",
        "device=*vpd",
        "device=*int13",
        "keyboard=*vkd",
        "display=*vdd,*vflatd",
        "device=*enable",
        "EMMExclude=C000-CFFF",
        "MinSPs=4",
        "PagingDrive=C:",
        "device=vshare.386",
        "device=*vcomm",
        "device=serialui.dll",
        "COM1Irq=4",
        "COM1Base=03F8",
        "COM2Irq=3",
        "COM2Base=02F8",
        "device=ifsmgr.vxd",
        "device=vfat.vxd",
        "device=vcache.vxd",
        "device=dosmgr.vxd",
        "Local=CTRL",
        "FileSysChange=off",
        "PerVMFILES=40",
        "device=vnetbios.386",
        "device=vserver.vxd",
        "network=*vnetbios, *vwc, vnetsup.vxd",
    };
    /* Vendor lines as real machines collect them over the years. */
    for (int i = 0; i < 40; i++) {
        char line[120];
        sprintf(line, "device=c:\\progra~1\\vendor%02d\\drivers\\vendor%02d.386", i, i);
        lines.push_back(line);
    }
    return lines;
}

std::string Win95SystemIni()
{
    std::string ini = "[boot]\r\n"
                      "oemfonts.fon=vgaoem.fon\r\n"
                      "shell=Explorer.exe\r\n"
                      "system.drv=system.drv\r\n"
                      "drivers=mmsystem.dll\r\n"
                      "mouse.drv=mouse.drv\r\n"
                      "386grabber=vgafull.3gr\r\n"
                      "comm.drv=comm.drv\r\n"
                      "fonts.fon=vgasys.fon\r\n"
                      "display.drv=pnpdrvr.drv\r\n"
                      "keyboard.drv=keyboard.drv\r\n"
                      "fixedfon.fon=vgafix.fon\r\n"
                      "sound.drv=mmsound.drv\r\n"
                      "\r\n[keyboard]\r\n"
                      "subtype=\r\n"
                      "type=4\r\n"
                      "\r\n[boot.description]\r\n"
                      "keyboard.typ=Standard 101/102-Key or Microsoft Natural Keyboard\r\n"
                      "mouse.drv=Standard mouse\r\n"
                      "\r\n[386Enh]\r\n";
    for (const std::string &line : Win95Enh386())
        ini += line + "\r\n";
    ini += "\r\n[NonWindowsApp]\r\n"
           "TTInitialSizes=4 5 6 7 8 9 10 11 12 13 14 15 16 18 20 22\r\n"
           "\r\n[drivers]\r\n"
           "wavemapper=msacm.drv\r\n"
           "MSACM.imaadpcm=imaadpcm.acm\r\n"
           "\r\n[mci]\r\n"
           "cdaudio=mcicda.drv\r\n"
           "waveaudio=mciwave.drv\r\n"
           "\r\n[Password Lists]\r\n";
    return ini;
}

std::string Win95WinIni()
{
    return "[windows]\r\n"
           "load=\r\n"
           "run=\r\n"
           "NullPort=None\r\n"
           "\r\n[Desktop]\r\n"
           "Wallpaper=(None)\r\n"
           "TileWallpaper=1\r\n"
           "\r\n[intl]\r\n"
           "iCountry=1\r\n"
           "\r\n[fonts]\r\n"
           "\r\n[ports]\r\n"
           "COM1:=9600,n,8,1,x\r\n"
           "COM2:=9600,n,8,1,x\r\n";
}

void ResetIniFiles()
{
    std::string win = WinDir();
    WriteAnsiFile(win + "system.ini", Win95SystemIni());
    WriteAnsiFile(win + "win.ini", Win95WinIni());
    DeleteFileA((win + "wininit.ini").c_str());
    DeleteFileA((win + "wintab.ini").c_str());
}

static const char *const s_installerKeys[] = {
    "Enum",
    "System\\CurrentControlSet\\Services\\Class",
    "System\\CurrentControlSet\\Control\\SessionManager",
};

void ResetRegistry()
{
    for (const char *key : s_installerKeys)
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, key);
}

void ResetWindowsDir()
{
    for (const InstalledFile &f : InstalledFiles(true)) {
        if (f.installed.find("OEM") != std::string::npos)
            continue;
        SetFileAttributesA(f.installed.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(f.installed.c_str());
    }
    WIN32_FIND_DATAA fd;
    std::string inf = WinDir() + "inf\\";
    HANDLE h = FindFirstFileA((inf + "oem*.inf").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            SetFileAttributesA((inf + fd.cFileName).c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA((inf + fd.cFileName).c_str());
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    /* Copies left beside files in use (wintab32.000 to .999). */
    for (const char *base :
         {"qxcls", "qwintab", "wintab", "vqxsd", "wintab32", "qxthk16", "qwtpen"}) {
        h = FindFirstFileA((SystemDir() + base + ".???").c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE)
            continue;
        do
            DeleteFileA((SystemDir() + fd.cFileName).c_str());
        while (FindNextFileA(h, &fd));
        FindClose(h);
    }
}

void MakeWin95Machine()
{
    CreateDirectoryA((WinDir() + "command").c_str(), NULL);
    ResetIniFiles();
    ResetRegistry();
    ResetWindowsDir();
}

std::string IniValue(const char *section, const char *key, const char *file)
{
    std::vector<char> buf(65536);
    GetPrivateProfileStringA(section, key, "<absent>", buf.data(), (DWORD)buf.size(), file);
    return buf.data();
}

std::vector<std::string> IniSection(const char *section, const char *file)
{
    std::vector<char> buf(65536);
    DWORD n = GetPrivateProfileSectionA(section, buf.data(), (DWORD)buf.size(), file);
    std::vector<std::string> out;
    for (DWORD i = 0; i < n;) {
        std::string line = buf.data() + i;
        out.push_back(line);
        i += (DWORD)line.size() + 1;
    }
    return out;
}

void WriteIniSection(const char *section, const std::vector<std::string> &lines, const char *file)
{
    std::string block;
    for (const std::string &line : lines)
        block += line + '\0';
    block += '\0';
    WritePrivateProfileSectionA(section, block.c_str(), file);
}

static std::string ValueLine(const char *name, DWORD type, const BYTE *data, DWORD size)
{
    std::string line = std::string(name) + "|";
    char hex[4];
    switch (type) {
    case REG_SZ:
        line += "REG_SZ|" + std::string((const char *)data, size ? size - 1 : 0);
        if (size == 0 || data[size - 1] != 0)
            line += "<not NUL-terminated>";
        break;
    case REG_BINARY:
        line += "REG_BINARY|";
        for (DWORD i = 0; i < size; i++) {
            sprintf(hex, "%02x", data[i]);
            line += hex;
        }
        break;
    default:
        sprintf(hex, "%lu", (unsigned long)type);
        line += std::string("type ") + hex + "|";
        line += std::string((const char *)data, size);
    }
    return line;
}

std::vector<std::string> KeyValues(const std::string &path)
{
    std::vector<std::string> out;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return out;
    for (DWORD i = 0;; i++) {
        char name[256];
        BYTE data[1024];
        DWORD nameLen = sizeof(name), size = sizeof(data), type;
        if (RegEnumValueA(key, i, name, &nameLen, NULL, &type, data, &size) != ERROR_SUCCESS)
            break;
        out.push_back(ValueLine(name, type, data, size));
    }
    RegCloseKey(key);
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<std::pair<std::string, std::vector<std::string>>>
FreshInstallKeys(const std::string &oemInf)
{
    const std::string cls = "System\\CurrentControlSet\\Services\\Class\\QUORAXDevice";
    return {
        {cls, {"ICON|REG_SZ|100", "Installer|REG_SZ|qxcls.dll", "|REG_SZ|QUORAX Wintab Tablet"}},
        {cls + "\\0000",
         {"DriverDesc|REG_SZ|QUORAX Tablet (Wintab Driver V1.08)", "InfPath|REG_SZ|" + oemInf,
          "InfSection|REG_SZ|qwintab:qwintab.drv:old"}},
        {"Enum\\Root\\QUORAXDevice\\0000",
         {"Class|REG_SZ|QUORAXDevice", "ConfigFlags|REG_BINARY|00000000",
          "DeviceDesc|REG_SZ|QUORAX Tablet (Wintab Driver V1.08)",
          "Driver|REG_SZ|QUORAXDevice\\0000", "HardwareID|REG_SZ|QUORAXMMTablet",
          "Mfg|REG_SZ|QUORAX Corporation"}},
        {"System\\CurrentControlSet\\Control\\SessionManager\\Known16DLLs",
         {"qwintab.drv|REG_SZ|qwintab.drv", "qxcls.dll|REG_SZ|qxcls.dll",
          "wintab.dll|REG_SZ|wintab.dll"}},
    };
}

bool KeyExists(const std::string &path)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

void CreateKeyWithValues(const std::string &path,
                         const std::vector<std::pair<std::string, std::string>> &values)
{
    HKEY key;
    if (RegCreateKeyA(HKEY_LOCAL_MACHINE, path.c_str(), &key) != ERROR_SUCCESS)
        return;
    for (const auto &v : values)
        RegSetValueExA(key, v.first.c_str(), 0, REG_SZ, (const BYTE *)v.second.c_str(),
                       (DWORD)v.second.size() + 1);
    RegCloseKey(key);
}

static void DumpKey(HKEY key, const std::string &path, std::vector<std::string> &out)
{
    out.push_back("[" + path + "]");
    for (DWORD i = 0;; i++) {
        char name[16384];
        std::vector<BYTE> data(65536);
        DWORD nameLen = sizeof(name), size = (DWORD)data.size(), type;
        if (RegEnumValueA(key, i, name, &nameLen, NULL, &type, data.data(), &size) != ERROR_SUCCESS)
            break;
        out.push_back(path + "|" + ValueLine(name, type, data.data(), size));
    }
    for (DWORD i = 0;; i++) {
        char name[256];
        if (RegEnumKeyA(key, i, name, sizeof(name)) != ERROR_SUCCESS)
            break;
        HKEY sub;
        if (RegOpenKeyExA(key, name, 0, KEY_READ, &sub) == ERROR_SUCCESS) {
            DumpKey(sub, path + "\\" + name, out);
            RegCloseKey(sub);
        }
    }
}

std::string RegistryDump(HKEY root, const std::string &path)
{
    std::vector<std::string> lines;
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
        DumpKey(key, path, lines);
        RegCloseKey(key);
    }
    std::sort(lines.begin(), lines.end());
    std::string out;
    for (const std::string &l : lines)
        out += l + "\n";
    return out;
}

static void SnapDir(const std::string &dir, std::vector<std::string> &out)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = fd.cFileName;
        if (name == "." || name == "..")
            continue;
        std::string path = dir + name;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            /* Wine's own scratch space, not the installer's business; and
               the 32-bit system directory, which a 32-bit program (the
               installer, and this test on the i686 build) sees as system32. */
            if (_stricmp(path.c_str(), (WinDir() + "temp").c_str()) == 0 ||
                _stricmp(path.c_str(), (WinDir() + "syswow64").c_str()) == 0)
                continue;
            out.push_back(path + "\\");
            SnapDir(path + "\\", out);
        } else {
            char line[64];
            sprintf(line, " %lu %08lx%08lx", (unsigned long)fd.nFileSizeLow,
                    (unsigned long)fd.ftLastWriteTime.dwHighDateTime,
                    (unsigned long)fd.ftLastWriteTime.dwLowDateTime);
            out.push_back(path + line);
        }
    } while (FindNextFileA(h, &fd));
    FindClose(h);
}

std::string TreeSnapshot(const std::string &dir)
{
    std::vector<std::string> lines;
    SnapDir(dir, lines);
    std::sort(lines.begin(), lines.end());
    std::string out;
    for (const std::string &l : lines)
        out += l + "\n";
    return out;
}

std::string MachineSnapshot()
{
    std::string win = WinDir();
    std::string snap = TreeSnapshot(win);
    for (const char *ini : {"win.ini", "system.ini", "wininit.ini", "wintab.ini"})
        snap += std::string("== ") + ini + "\n" + ReadAnsiFile(win + ini);
    snap += InstallerRegistry();
    return snap;
}

/* Keys Wine itself rewrites whenever its desktop or devices start. */
static const char *const s_wineChurn[] = {
    "System\\CurrentControlSet\\Control\\Class\\{",
    "System\\CurrentControlSet\\Control\\Video\\",
    "System\\CurrentControlSet\\Control\\TimeZoneInformation",
    "System\\CurrentControlSet\\Control\\DeviceClasses\\",
    "System\\CurrentControlSet\\Hardware Profiles\\",
    "System\\CurrentControlSet\\Enum\\",
};

std::string InstallerRegistry()
{
    std::string all =
        RegistryDump(HKEY_LOCAL_MACHINE, "System") + RegistryDump(HKEY_LOCAL_MACHINE, "Enum");
    std::string out;
    size_t at = 0;
    while (at < all.size()) {
        size_t end = all.find('\n', at);
        std::string line = all.substr(at, end - at);
        at = end + 1;
        bool churn = false;
        for (const char *prefix : s_wineChurn)
            churn = churn || line.find(prefix) != std::string::npos;
        if (!churn)
            out += line + "\n";
    }
    return out;
}

std::string LineDiff(const std::string &before, const std::string &after)
{
    std::vector<std::string> a, b;
    for (auto pair : {std::make_pair(&before, &a), std::make_pair(&after, &b)}) {
        size_t at = 0;
        while (at < pair.first->size()) {
            size_t end = pair.first->find('\n', at);
            if (end == std::string::npos)
                end = pair.first->size();
            pair.second->push_back(pair.first->substr(at, end - at));
            at = end + 1;
        }
        std::sort(pair.second->begin(), pair.second->end());
    }
    std::vector<std::string> gone, added;
    std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(gone));
    std::set_difference(b.begin(), b.end(), a.begin(), a.end(), std::back_inserter(added));
    std::string out;
    for (const std::string &l : gone)
        out += "- " + l + "\n";
    for (const std::string &l : added)
        out += "+ " + l + "\n";
    return out;
}

std::wstring CopyInstallDisk(const std::wstring &name)
{
    std::wstring from = JoinPath(PathFromEnvironment(L"BUILD_DIR"), L"disk");
    std::wstring to = MakeScratchDir(name);
    CreateDirectoryW(JoinPath(to, L"QWINTAB").c_str(), NULL);
    CreateDirectoryW(JoinPath(to, L"QTABLET").c_str(), NULL);
    static const wchar_t *const files[] = {
        L"kitinst.exe",           L"oemsetup.inf",         L"QWINTAB\\qxcls.dll",
        L"QWINTAB\\qwintab.drv",  L"QWINTAB\\wintab.dll",  L"QWINTAB\\vqxsd.386",
        L"QWINTAB\\wintab32.dll", L"QWINTAB\\qxthk16.dll", L"QWINTAB\\penpanel.exe",
        L"QWINTAB\\qwtpen.drv",   L"QTABLET\\qtablet.com",
    };
    for (const wchar_t *f : files)
        CopyFileW(JoinPath(from, f).c_str(), JoinPath(to, f).c_str(), FALSE);
    return to;
}

std::vector<InstalledFile> InstalledFiles(bool pen)
{
    std::string sys = SystemDir(), win = WinDir();
    std::vector<InstalledFile> files = {
        {"oemsetup.inf", win + "INF\\OEM0.INF"},
        {"QWINTAB\\qxcls.dll", sys + "qxcls.dll"},
        {"QWINTAB\\qwintab.drv", sys + "qwintab.drv"},
        {"QWINTAB\\wintab.dll", sys + "wintab.dll"},
        {"QWINTAB\\vqxsd.386", sys + "vqxsd.386"},
        {"QWINTAB\\wintab32.dll", sys + "wintab32.dll"},
        {"QWINTAB\\qxthk16.dll", sys + "qxthk16.dll"},
        {"QWINTAB\\penpanel.exe", win + "penpanel.exe"},
        {"QTABLET\\qtablet.com", win + "COMMAND\\qtablet.com"},
    };
    if (pen)
        files.push_back({"QWINTAB\\qwtpen.drv", sys + "qwtpen.drv"});
    return files;
}
