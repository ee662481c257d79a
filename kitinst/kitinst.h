/*
 * Shared declarations of the Windows 95 driver installer: the shell (hidden
 * main window, wizard pages, restart) and the installation engine with its
 * copy, INI and registry steps. ANSI throughout.
 */
#ifndef KITINST_H
#define KITINST_H

#include <windows.h>

#include "resource.h"

#define CLASSNAME_LEN 9
#define TITLE_LEN 50
#define DRIVER_NAME_LEN 15
#define OEM_NAME_LEN 16
#define VALUE_LEN 256

/* Commands the hidden main window posts to itself, in the order of a run. */
#define CMD_CHECK_SOURCE 100
#define CMD_WRONG_SYSTEM 101
#define CMD_MISSING_FILES 104
#define CMD_RESTART_QUESTION 105
#define CMD_RESTART 106
#define CMD_WELCOME 122
#define CMD_INSTALL 123

/* Commands the pages post to themselves. */
#define PAGE_RUN_CHECK 101 /* DIALOG0 */
#define PAGE_COPY_START 101
#define PAGE_INI_START 102
#define PAGE_REG_START 103
#define PAGE_END 104
#define PAGE_COPY_FILE 401
#define PAGE_INI_STEP 402
#define PAGE_REG_STEP 403

/* The INI and registry steps, carried in the high word of their commands. */
#define INI_FIRST_STEP 404
#define INI_LAST_STEP 412
#define REG_FIRST_STEP 413
#define REG_LAST_STEP 416

/* Directory slots of the file table. */
#define SRC_DISK 0
#define SRC_QWINTAB 1
#define SRC_QTABLET 2
#define SOURCE_SLOTS 3
#define DST_SYSTEM 0
#define DST_WINDOWS 1
#define DST_INF 2
#define DST_COMMAND 3
#define DEST_SLOTS 4

#define DRIVER_FILES 10
#define DRIVER_FILES_NO_PEN 9

typedef struct DriverFileEntry {
    BYTE source;
    BYTE dest;
    char name[DRIVER_NAME_LEN];
} DriverFileEntry;

/* main.cpp: the shell */
extern HINSTANCE g_hInst;
extern char g_szClassName[CLASSNAME_LEN];
extern char g_szTitle[TITLE_LEN];
extern int g_penExtensions;
extern OSVERSIONINFOA g_version;
/* The restart request; tests put a recorder in its place. */
extern BOOL(WINAPI *g_exitWindows)(UINT, DWORD);

BOOL RegisterInstallerClass(HINSTANCE hInstance);
HWND CreateInstallerWindow(HINSTANCE hInstance);
LRESULT CALLBACK InstallerWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL RestartSystem(void);

/* pages.cpp */
INT_PTR CALLBACK InitPageProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK WelcomePageProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam);

/* install.cpp: the engine */
extern const DriverFileEntry g_driverFiles[DRIVER_FILES];
extern char g_sourceDir[SOURCE_SLOTS][MAX_PATH];
extern char g_destDir[DEST_SLOTS][MAX_PATH];
extern int g_totalSize;
extern int g_onePercent;
extern int g_fileCount;
extern int g_currentFile;
extern int g_copiedSize;
extern int g_shownProgress;
extern int g_iniStepSize;
extern char g_oemInfName[OEM_NAME_LEN];
extern HWND g_hProgress;
extern char g_workBuf[MAX_PATH];
/* The pause after every step, in milliseconds; only tests of single steps shorten it. */
extern DWORD g_stepPause;

int SourceCheck(HWND page);
INT_PTR CALLBACK InstallPageProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam);
void StartCopyPhase(void);
WPARAM CopyStep(HWND page);
BOOL QueueRenameAtRestart(int row);
/* What the installation could not do, in the parts of the box that names
   it before the restart question (install.cpp). */
#define REPORT_STEPS 0    /* steps a close of the page left undone */
#define REPORT_FILES 1    /* files neither copied nor queued */
#define REPORT_SETTINGS 2 /* INI and registry entries not written */
#define REPORT_PARTS 3
#define REPORT_PART_LEN 4096
#define REPORT_TEXT_LEN (REPORT_PARTS * REPORT_PART_LEN + 512)
void NoteFile(int part, int row);
void NoteSetting(int part, const char *what, const char *where);
/* The box's text and caption; returns how many parts it has (0: none). */
int DescribeNotDone(char *text, int size, const char **caption);
void MakeWritable(const char *path);
void StartIniPhase(HWND page);
void StartRegistryPhase(HWND page);
void StepPause(void);
void AdvanceBar(int delta);
void ShowLine(HWND page, int id, const char *text);

/* text.cpp: what the C library would otherwise do */
void FormatText(char *out, int size, const char *format, ...);
const char *FindText(const char *text, const char *part);
BOOL SameText(const char *a, const char *b);
BOOL SameTextNoCase(const char *a, const char *b);
BOOL StartsWithNoCase(const char *text, const char *prefix);

/* inifiles.cpp */
WPARAM IniStep(HWND page, int step);
BOOL AddBootDriver(const char *alias);
BOOL AddVqxsdDevice(void);
BOOL RepairMouseDriver(void);
char *ReadSectionWhole(const char *section, const char *file, DWORD *length);
char *ReadValueWhole(const char *section, const char *key, const char *file);
BOOL WriteSectionWithLine(const char *section, const char *file, const char *entries, DWORD length,
                          const char *line);
void NoteIniStepsFrom(int step);

/* registry.cpp */
extern char g_driverKeyName[MAX_PATH];
void CleanUpOldInstalls(void);
WPARAM RegistryStep(HWND page, int step);
BOOL IsPlainFileName(const char *name);
BOOL DeleteKeyTree(HKEY root, const char *path);
/* The first of the registry phase's strings (4-10) that cannot be loaded, 0
   when all can. */
UINT FindMissingString(void);
/* Steps from step on (0: the clean-up too), as steps not done. */
void NoteRegistryStepsFrom(int step);

#endif
