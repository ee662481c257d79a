/*
 * Shared declarations of the Windows 95 driver installer: the shell (hidden
 * main window, wizard pages, restart), the installation engine with its
 * copy, INI and registry steps, and below them what the steps share. The
 * state that outlives a message is in three records: the shell's, the
 * engine's and the copying page's. ANSI throughout.
 */
#ifndef KITINST_H
#define KITINST_H

#include <windows.h>

#include "resource.h"

#define OEM_NAME_LEN 16
#define VALUE_LEN 256
#define COUNT_OF(table) ((int)(sizeof(table) / sizeof((table)[0])))

/* A text of the string table, the longest of the boxes' several lines too. */
#define TEXT_LEN 512

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

/* The copying page's bar counts per cent of its phase. */
#define BAR_FULL 100

/* What the installation could not do, in the parts of the box that names
   it before the restart question (install.cpp). */
#define REPORT_STEPS 0    /* steps a close of the page left undone */
#define REPORT_FILES 1    /* files neither copied nor queued */
#define REPORT_SETTINGS 2 /* INI and registry entries not written */
#define REPORT_PARTS 3
#define REPORT_PART_LEN 4096
#define REPORT_TEXT_LEN (REPORT_PARTS * REPORT_PART_LEN + 512)

/* main.cpp: what of the shell's state the engine and the tests share. */
typedef struct InstallerShell {
    HINSTANCE hInst;   /* every page and string comes from it */
    int penExtensions; /* SM_PENWINDOWS: the pen driver file and two INI steps more */
    /* The restart request; tests put a recorder in its place. */
    BOOL(WINAPI *exitWindows)(UINT, DWORD);
} InstallerShell;
extern InstallerShell g_shell;

BOOL RegisterInstallerClass(HINSTANCE hInstance);
HWND CreateInstallerWindow(HINSTANCE hInstance);
LRESULT CALLBACK InstallerWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

/* pages.cpp */
INT_PTR CALLBACK InitPageProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK WelcomePageProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam);

/* install.cpp: the engine's state, from the source check to the last step
   of the copying page. Zero at load; the tests reset it whole. */
typedef struct InstallEngine {
    char sourceDir[SOURCE_SLOTS][MAX_PATH]; /* directory slots, each ending in a backslash */
    char destDir[DEST_SLOTS][MAX_PATH];
    int totalSize;                 /* bytes of all the disk's driver files */
    int onePercent;                /* total size / 100 */
    int fileCount;                 /* 10, or 9 without the pen extensions */
    int currentFile;               /* the next row of the file table to copy */
    int copiedSize;                /* bytes copied so far, as measured for the bar */
    int shownProgress;             /* all the copy phase has moved the bar by */
    int iniStepSize;               /* the bar's advance per INI step */
    char oemInfName[OEM_NAME_LEN]; /* "OEMn.INF" of the copy phase, empty when none was free */
    char driverKeyName[MAX_PATH];  /* step 414's driver key, QUORAXDevice\ and four digits */
    char sourcePath[MAX_PATH];     /* the file being copied */
    char destPath[MAX_PATH];
    char workBuf[MAX_PATH]; /* the disk's directory during the source check */
    WPARAM nextStep;        /* the step posted last: where a close of the page stops */
    char report[REPORT_PARTS][REPORT_PART_LEN]; /* what could not be done, a line each */
} InstallEngine;
extern InstallEngine g_engine;

int SourceCheck(HWND page);
INT_PTR CALLBACK InstallPageProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam);
void StartCopyPhase(void);
WPARAM CopyStep(HWND page);
void NoteSetting(int part, const char *what, const char *where);
/* The box's text and caption (TEXT_LEN); returns how many parts it has (0: none). */
int DescribeNotDone(char *text, int size, char *caption);
void StartRegistryPhase(HWND page);

/* steputil.cpp: below the steps and the page. The copying page as the steps
   see it: its progress bar and the pause after every step. */
typedef struct CopyingPage {
    HWND progress; /* null while the page is not up */
    DWORD pause;   /* in milliseconds; only tests of single steps shorten it */
} CopyingPage;
extern CopyingPage g_page;

void StepPause(void);
void AdvanceBar(int delta);
void ShowLine(HWND page, int id, const char *text);
/* A phase starts from an empty bar, under its caption, the lines below blank. */
void ShowPhase(HWND page, UINT captionId);
void MakeWritable(const char *path);

/* text.cpp: the program's strings, and what the C library would otherwise do */
BOOL LoadText(HINSTANCE inst, UINT id, char *buf, int size);
void FormatText(char *out, int size, const char *format, ...);
const char *FindText(const char *text, const char *part);
BOOL SameText(const char *a, const char *b);
BOOL SameTextNoCase(const char *a, const char *b);
BOOL StartsWithNoCase(const char *text, const char *prefix);

/* inifiles.cpp */
WPARAM IniStep(HWND page, int step);
char *ReadSectionWhole(const char *section, const char *file, DWORD *length);
BOOL WriteSectionWithLine(const char *section, const char *file, const char *entries, DWORD length,
                          const char *line);
void NoteIniStepsFrom(int step);

/* registry.cpp */
void CleanUpOldInstalls(void);
WPARAM RegistryStep(HWND page, int step);
BOOL DeleteKeyTree(HKEY root, const char *path);
/* Steps from step on (0: the clean-up too), as steps not done. */
void NoteRegistryStepsFrom(int step);

#endif
