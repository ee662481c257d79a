/*
 * A Wine prefix made to look like a Windows 95 machine for the installer's
 * tests: its INI files, a C:\windows\command directory, and the registry and
 * Windows directory cleared of everything the installer writes; plus
 * snapshots to prove that a run changed nothing.
 */
#ifndef KITINST_MACHINE_H
#define KITINST_MACHINE_H

#include <windows.h>

#include <string>
#include <vector>

std::string WinDir();    /* C:\windows\ (with the backslash) */
std::string SystemDir(); /* C:\windows\system32\ */
std::string ReadAnsiFile(const std::string &path);
bool WriteAnsiFile(const std::string &path, const std::string &data);
bool FileThere(const std::string &path);

/* A SYSTEM.INI as Windows 95 leaves it, with a [386Enh] well over 1 KB. */
std::string Win95SystemIni();
std::string Win95WinIni();
/* [386Enh] of Win95SystemIni(), as GetPrivateProfileSection returns it. */
std::vector<std::string> Win95Enh386();

/* Fresh WIN.INI and SYSTEM.INI, no WININIT.INI or WINTAB.INI. */
void ResetIniFiles();
/* No keys the installer writes or cleans up. */
void ResetRegistry();
/* No installed driver files and no OEMn.INF. */
void ResetWindowsDir();
/* All of the above, plus C:\windows\command. */
void MakeWin95Machine();

std::string IniValue(const char *section, const char *key, const char *file);
std::vector<std::string> IniSection(const char *section, const char *file);
void WriteIniSection(const char *section, const std::vector<std::string> &lines, const char *file);

/* Every key, value, type and data below the key, one line each, sorted. */
std::string RegistryDump(HKEY root, const std::string &path);
/* Path, size and write time of every file below the directory. */
std::string TreeSnapshot(const std::string &dir);
/* HKLM\System and HKLM\Enum without the keys Wine itself keeps rewriting. */
std::string InstallerRegistry();
/* The Windows directory, the INI files and the registry, together. */
std::string MachineSnapshot();
/* Lines only in before ("- ") and only in after ("+ "); empty when alike. */
std::string LineDiff(const std::string &before, const std::string &after);

/* Values of one key as "name|type|data" (data of REG_BINARY in hex). */
std::vector<std::string> KeyValues(const std::string &path);
/* The keys a first installation writes, each with KeyValues as it must read
   then; the class instance's InfPath names oemInf. */
std::vector<std::pair<std::string, std::vector<std::string>>>
FreshInstallKeys(const std::string &oemInf);
bool KeyExists(const std::string &path);
void CreateKeyWithValues(const std::string &path,
                         const std::vector<std::pair<std::string, std::string>> &values);

/* The installer's files of the build's install disk, copied to a scratch
   directory (penpanel.exe and wintab32.dll included). */
std::wstring CopyInstallDisk(const std::wstring &name);
std::string Narrow(const std::wstring &s);
std::wstring Widen(const std::string &s);

/* The driver files of the file table and where they land. */
struct InstalledFile {
    const char *disk;      /* path on the disk */
    std::string installed; /* path on the machine */
};
std::vector<InstalledFile> InstalledFiles(bool pen);

#endif
