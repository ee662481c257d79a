/*
 * Helpers of the launcher's tests: install disks made to measure, the stand-in
 * SETUP.EXE's report, and drive letters mapped to a directory as a person
 * maps them under Wine.
 */
#ifndef LAUNCHER_SUPPORT_H
#define LAUNCHER_SUPPORT_H

#include "winsupport.h"

#include <string>

extern const wchar_t kMissingCaption[];

/* What goes on a disk made for one test. */
enum DiskContents {
    DISK_LAUNCHER_ONLY,   /* kitlaunch.exe, no NTWINTAB directory */
    DISK_EMPTY_SETUP_DIR, /* an NTWINTAB directory without SETUP.EXE */
    DISK_PROBE_SETUP,     /* NTWINTAB\SETUP.EXE is the stand-in that reports */
    DISK_BROKEN_SETUP,    /* NTWINTAB\SETUP.EXE is not a program */
};
/* A fresh scratch directory laid out as an install disk. */
std::wstring MakeDisk(const wchar_t *name, DiskContents contents);

/* The install disk of the build (BUILD_DIR/disk). */
std::wstring BuiltDiskDir();

/* Starts dir\kitlaunch.exe with dir as its current directory, as a person
   starting it from that folder would. */
Process StartLauncher(const std::wstring &dir);

/* Ends the processes of top-level windows with this class and title (null:
   any) that an earlier, failed test of this prefix left running. */
void EndLeftovers(const wchar_t *cls, const wchar_t *title);
/* A launcher left running would answer every later start. */
void EndLeftoverLaunchers();

/* The stand-in SETUP.EXE's report: its log file is reset by ResetProbe and
   found through the environment, which the launcher passes on. */
struct ProbeReport {
    bool ran = false;
    std::string currentDir;
    std::string commandLine;
    std::string launcherWindow; /* "hidden", "visible" or "none" */
};
void ResetProbe();
ProbeReport ReadProbe(DWORD waitMs);

/* The first top-level window of any process with this class and title. */
HWND WaitForTopWindow(const wchar_t *cls, const wchar_t *title, DWORD ms);

/* The test paths and texts are ASCII. */
std::string Narrow(const std::wstring &s);

/* Unix path of a Windows path on Wine's Z: drive (the Unix root). */
std::string UnixPathOf(const std::wstring &winPath);
/* Maps a drive letter to a Unix directory through Wine's mount manager, as
   winecfg does; RemoveWineDrive takes it away again. */
bool DefineWineDrive(wchar_t letter, const std::string &unixDir);
bool RemoveWineDrive(wchar_t letter);
/* A drive letter that is not in use, from K: on; 0 if none. */
wchar_t FreeDriveLetter();

#endif
