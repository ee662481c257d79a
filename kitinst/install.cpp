/*
 * The installation engine: the check that the disk holds every driver file,
 * the copying page with its progress bar, and the copy phase, one posted step
 * per file so that the page repaints between files. Files in use are copied
 * beside the old ones and queued in WININIT.INI for the next start.
 */
#include "kitinst.h"

#include <commctrl.h>

#define DRIVER_NAME_LEN 15
#define DRIVER_FILES 10
#define DRIVER_FILES_NO_PEN 9
/* The bar's advance per INI step: nine steps with the pen extensions, seven
   without; either way the bar holds at full after the last. */
#define INI_STEP_SIZE_PEN 12
#define INI_STEP_SIZE 16

typedef struct DriverFileEntry {
    BYTE source; /* SRC_ slot */
    BYTE dest;   /* DST_ slot */
    char name[DRIVER_NAME_LEN];
} DriverFileEntry;

/* Order of checking and copying. The pen driver (last row) goes only to a
   system with the pen extensions. */
static const DriverFileEntry s_driverFiles[DRIVER_FILES] = {
    {SRC_DISK, DST_INF, "oemsetup.inf"},       {SRC_QWINTAB, DST_SYSTEM, "qxcls.dll"},
    {SRC_QWINTAB, DST_SYSTEM, "qwintab.drv"},  {SRC_QWINTAB, DST_SYSTEM, "wintab.dll"},
    {SRC_QWINTAB, DST_SYSTEM, "vqxsd.386"},    {SRC_QWINTAB, DST_SYSTEM, "wintab32.dll"},
    {SRC_QWINTAB, DST_SYSTEM, "qxthk16.dll"},  {SRC_QWINTAB, DST_WINDOWS, "penpanel.exe"},
    {SRC_QTABLET, DST_COMMAND, "qtablet.com"}, {SRC_QWINTAB, DST_SYSTEM, "qwtpen.drv"},
};

InstallEngine g_engine;

/* What the installation could not do, told in one box before the restart
   question: the steps a close of the page left undone, the files that could
   be neither copied nor queued for the restart, the settings that could not
   be written. One line each, in the order they came. */
static const UINT s_reportHeadings[REPORT_PARTS] = {
    IDS_REPORT_STEPS,
    IDS_REPORT_FILES,
    IDS_REPORT_SETTINGS,
};

#define OEM_CANDIDATES 100
#define RENAME_CANDIDATES 1000

/* The pen driver, the table's last row, is neither checked nor copied
   without the pen extensions. */
static int DriverFileCount(void)
{
    return g_shell.penExtensions ? DRIVER_FILES : DRIVER_FILES_NO_PEN;
}

/* Directories the system returns end in a backslash only at a drive root.
   The last character is looked at, not the last byte: in a double-byte code
   page a character's trail byte can be 0x5C. */
static void EndWithBackslash(char *dir)
{
    int len = lstrlenA(dir);
    if (len > 0 && *CharPrevA(dir, dir + len) != '\\' && len + 1 < MAX_PATH) {
        dir[len] = '\\';
        dir[len + 1] = 0;
    }
}

/* The size of a file as the copy phase measures it, or -1 when it does not open. */
static int SizeOfFile(const char *path)
{
    HFILE file = _lopen(path, OF_READ);
    if (file == HFILE_ERROR)
        return -1;
    DWORD size = GetFileSize((HANDLE)(INT_PTR)file, NULL);
    _lclose(file);
    return size == INVALID_FILE_SIZE ? 0 : (int)size;
}

/* CopyFileA over a read-only file; on failure GetLastError is the copy's. */
static BOOL CopyWritable(const char *source, const char *dest)
{
    MakeWritable(dest);
    if (!CopyFileA(source, dest, FALSE))
        return FALSE;
    MakeWritable(dest);
    return TRUE;
}

/* A name is free only when opening it says the file is not there; any other
   failure may hide a file we cannot see, so the name counts as taken. */
static BOOL IsNameFree(const char *path)
{
    HFILE file = _lopen(path, OF_READ);
    if (file != HFILE_ERROR) {
        _lclose(file);
        return FALSE;
    }
    return GetLastError() == ERROR_FILE_NOT_FOUND;
}

/* FALSE when the system or Windows directory cannot be had: an empty slot
   would make the destinations relative to the current directory, the disk. */
static BOOL FillDirectorySlots(void)
{
    lstrcpynA(g_engine.sourceDir[SRC_DISK], g_engine.workBuf, MAX_PATH);
    FormatText(g_engine.sourceDir[SRC_QWINTAB], MAX_PATH, "%sQWINTAB\\", g_engine.workBuf);
    FormatText(g_engine.sourceDir[SRC_QTABLET], MAX_PATH, "%sQTABLET\\", g_engine.workBuf);

    UINT n = GetSystemDirectoryA(g_engine.destDir[DST_SYSTEM], MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return FALSE;
    EndWithBackslash(g_engine.destDir[DST_SYSTEM]);
    n = GetWindowsDirectoryA(g_engine.destDir[DST_WINDOWS], MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return FALSE;
    EndWithBackslash(g_engine.destDir[DST_WINDOWS]);
    FormatText(g_engine.destDir[DST_INF], MAX_PATH, "%sINF\\", g_engine.destDir[DST_WINDOWS]);
    FormatText(g_engine.destDir[DST_COMMAND], MAX_PATH, "%sCOMMAND\\",
               g_engine.destDir[DST_WINDOWS]);
    return TRUE;
}

int SourceCheck(HWND page)
{
    (void)page;
    DWORD n = GetCurrentDirectoryA(MAX_PATH, g_engine.workBuf);
    if (n == 0 || n >= MAX_PATH)
        return 0;
    EndWithBackslash(g_engine.workBuf);
    if (!FillDirectorySlots())
        return 0;

    g_engine.fileCount = DriverFileCount();
    g_engine.totalSize = 0;
    for (int i = 0; i < g_engine.fileCount; i++) {
        const DriverFileEntry *row = &s_driverFiles[i];
        FormatText(g_engine.workBuf, MAX_PATH, "%s%s", g_engine.sourceDir[row->source], row->name);
        int size = SizeOfFile(g_engine.workBuf);
        if (size < 0)
            return 0;
        g_engine.totalSize += size;
    }
    g_engine.onePercent = g_engine.totalSize / BAR_FULL;
    return 1;
}

void StartCopyPhase(void)
{
    g_engine.fileCount = DriverFileCount();
    g_engine.currentFile = 0;
    g_engine.copiedSize = 0;
    ZeroMemory(g_engine.report, sizeof(g_engine.report));
}

/* Picks the first free OEMn.INF; FALSE when all of them are taken. */
static BOOL ChooseOemInfName(void)
{
    for (int n = 0; n < OEM_CANDIDATES; n++) {
        FormatText(g_engine.destPath, MAX_PATH, "%sOEM%i.INF", g_engine.destDir[DST_INF], n);
        if (IsNameFree(g_engine.destPath)) {
            FormatText(g_engine.oemInfName, OEM_NAME_LEN, "OEM%i.INF", n);
            return TRUE;
        }
    }
    g_engine.oemInfName[0] = 0;
    return FALSE;
}

/* Percent of the bytes copied so far, also for a disk of under 100 bytes. */
static int CopiedPercent(void)
{
    int percent;
    if (g_engine.onePercent > 0)
        percent = g_engine.copiedSize / g_engine.onePercent;
    else if (g_engine.totalSize > 0)
        percent = g_engine.copiedSize * BAR_FULL / g_engine.totalSize;
    else
        percent = 0;
    return percent > BAR_FULL ? BAR_FULL : percent;
}

/* Moves the bar to this per cent of the copy phase. */
static void ShowCopied(int percent)
{
    AdvanceBar(percent - g_engine.shownProgress);
    g_engine.shownProgress = percent;
}

static BOOL QueueRenameAtRestart(int row);
static void NoteFile(int part, int row);

WPARAM CopyStep(HWND page)
{
    int i = g_engine.currentFile;
    const DriverFileEntry *row = &s_driverFiles[i];

    FormatText(g_engine.sourcePath, MAX_PATH, "%s%s", g_engine.sourceDir[row->source], row->name);
    ShowLine(page, IDC_SOURCE, g_engine.sourcePath);

    BOOL copy = TRUE;
    if (i == 0) {
        /* All hundred OEMn.INF names taken: they belong to other devices,
           so none of them is overwritten. */
        copy = ChooseOemInfName();
    } else {
        FormatText(g_engine.destPath, MAX_PATH, "%s%s", g_engine.destDir[row->dest], row->name);
    }
    ShowLine(page, IDC_DEST, g_engine.destPath);

    /* No cancel and no rollback: a file that fails is remembered, the run goes on. */
    BOOL done = copy && CopyWritable(g_engine.sourcePath, g_engine.destPath);
    if (copy && !done && GetLastError() == ERROR_SHARING_VIOLATION)
        done = QueueRenameAtRestart(i);
    if (!done)
        NoteFile(REPORT_FILES, i);

    StepPause();
    g_engine.currentFile++;

    /* The last file's bytes are never counted: the bar is filled instead. */
    if (g_engine.currentFile >= g_engine.fileCount) {
        ShowCopied(BAR_FULL);
        return PAGE_INI_START;
    }

    int size = SizeOfFile(g_engine.sourcePath);
    if (size > 0)
        g_engine.copiedSize += size;
    ShowCopied(CopiedPercent());
    return PAGE_COPY_FILE;
}

/* Appends one line to WININIT.INI [rename], read and written back whole
   however long the section has grown. */
static BOOL AppendRenameLine(const char *line)
{
    DWORD length = 0;
    char *old = ReadSectionWhole("rename", "WININIT.INI", &length);
    if (!old)
        return FALSE; /* rewriting from a partial read would drop queued renames */
    BOOL written = WriteSectionWithLine("rename", "WININIT.INI", old, length, line);
    LocalFree(old);
    return written;
}

static BOOL QueueRenameAtRestart(int row)
{
    const DriverFileEntry *entry = &s_driverFiles[row];
    char target[MAX_PATH];
    char numbered[MAX_PATH];

    FormatText(g_engine.sourcePath, MAX_PATH, "%s%s", g_engine.sourceDir[entry->source],
               entry->name);
    FormatText(target, MAX_PATH, "%s%s", g_engine.destDir[entry->dest], entry->name);
    char *dot = target;
    for (char *p = target; *p; p++)
        if (*p == '.')
            dot = p + 1;
    *dot = 0;

    /* All thousand names taken: they may be anyone's files, none is
       overwritten, and the file counts as not copied. */
    BOOL found = FALSE;
    for (int n = 0; n < RENAME_CANDIDATES && !found; n++) {
        FormatText(numbered, MAX_PATH, "%s%.3d", target, n);
        found = IsNameFree(numbered);
    }
    /* Without the copy Windows would be asked to move a file that is not there. */
    if (!found || !CopyWritable(g_engine.sourcePath, numbered))
        return FALSE;

    char line[2 * MAX_PATH + 2];
    FormatText(line, sizeof(line), "%s%s=%s", g_engine.destDir[entry->dest], entry->name, numbered);
    return AppendRenameLine(line);
}

static void AppendText(char *text, int size, const char *part)
{
    int len = lstrlenA(text);
    if (len < size - 1)
        lstrcpynA(text + len, part, size - len);
}

static void NoteLine(int part, const char *what, UINT linkId, const char *where)
{
    char link[TEXT_LEN];
    LoadText(g_shell.hInst, linkId, link, TEXT_LEN);
    AppendText(g_engine.report[part], REPORT_PART_LEN, what);
    AppendText(g_engine.report[part], REPORT_PART_LEN, link);
    AppendText(g_engine.report[part], REPORT_PART_LEN, where);
    AppendText(g_engine.report[part], REPORT_PART_LEN, "\n");
}

/* "qxthk16.dll to C:\WINDOWS\SYSTEM\qxthk16.dll"; the INF goes under its
   OEMn.INF name, or to its directory when none was chosen. */
static void NoteFile(int part, int row)
{
    const DriverFileEntry *entry = &s_driverFiles[row];
    char where[MAX_PATH];
    FormatText(where, MAX_PATH, "%s%s", g_engine.destDir[entry->dest],
               row == 0 ? g_engine.oemInfName : entry->name);
    NoteLine(part, entry->name, IDS_LINK_TO, where);
}

/* "qwintab=qwintab.drv in SYSTEM.INI [drivers]" */
void NoteSetting(int part, const char *what, const char *where)
{
    NoteLine(part, what, IDS_LINK_IN, where);
}

int DescribeNotDone(char *text, int size, char *caption)
{
    char line[TEXT_LEN];
    int parts = 0;
    text[0] = 0;
    for (int part = 0; part < REPORT_PARTS; part++) {
        if (!g_engine.report[part][0])
            continue;
        if (parts++)
            AppendText(text, size, "\n");
        LoadText(g_shell.hInst, s_reportHeadings[part], line, TEXT_LEN);
        AppendText(text, size, line);
        AppendText(text, size, "\n\n");
        AppendText(text, size, g_engine.report[part]);
    }
    /* Files alone keep the box they had before the other parts came. */
    BOOL filesOnly = parts == 1 && g_engine.report[REPORT_FILES][0];
    LoadText(g_shell.hInst, filesOnly ? IDS_FILES_CLOSING : IDS_INCOMPLETE_CLOSING, line, TEXT_LEN);
    AppendText(text, size, "\n");
    AppendText(text, size, line);
    LoadText(g_shell.hInst, filesOnly ? IDS_FILES_CAPTION : IDS_INCOMPLETE_CAPTION, caption,
             TEXT_LEN);
    return parts;
}

/* The page was closed with steps still posted: every one from there on,
   as the run would have taken them. */
static void NoteStepsNotDone(void)
{
    int code = LOWORD(g_engine.nextStep), step = HIWORD(g_engine.nextStep);
    BOOL copy = code == PAGE_COPY_START || code == PAGE_COPY_FILE;
    BOOL ini = copy || code == PAGE_INI_START || code == PAGE_INI_STEP;
    BOOL reg = ini || code == PAGE_REG_START || code == PAGE_REG_STEP;
    int files = DriverFileCount();
    for (int i = code == PAGE_COPY_FILE ? g_engine.currentFile : 0; copy && i < files; i++)
        NoteFile(REPORT_STEPS, i);
    if (ini)
        NoteIniStepsFrom(code == PAGE_INI_STEP ? step : INI_FIRST_STEP);
    if (reg)
        NoteRegistryStepsFrom(code == PAGE_REG_STEP ? step : 0);
}

static void StartIniPhase(HWND page)
{
    ShowPhase(page, IDS_INI_PHASE);
    g_engine.iniStepSize = g_shell.penExtensions ? INI_STEP_SIZE_PEN : INI_STEP_SIZE;
}

void StartRegistryPhase(HWND page)
{
    /* The registry work must not run ahead of INI edits still held in the cache. */
    WritePrivateProfileStringA(NULL, NULL, NULL, "WIN.INI");
    WritePrivateProfileStringA(NULL, NULL, NULL, "SYSTEM.INI");
    ShowPhase(page, IDS_REGISTRY_PHASE);
    CleanUpOldInstalls();
}

/* 0, which a step outside its phase's range returns, posts nothing. */
static void PostStep(HWND page, WPARAM command)
{
    if (!command)
        return;
    g_engine.nextStep = command;
    PostMessageA(page, WM_COMMAND, command, 0);
}

static BOOL OnInstallCommand(HWND hDlg, WPARAM wParam)
{
    int step = HIWORD(wParam);
    /* The next step is always posted already, so the queue is never idle and
       WM_PAINT would not come on its own: repaint between steps here. */
    UpdateWindow(hDlg);
    switch (LOWORD(wParam)) {
    case PAGE_COPY_START:
        StartCopyPhase();
        PostStep(hDlg, PAGE_COPY_FILE);
        return TRUE;
    case PAGE_COPY_FILE:
        PostStep(hDlg, CopyStep(hDlg));
        return TRUE;
    case PAGE_INI_START:
        StartIniPhase(hDlg);
        PostStep(hDlg, MAKEWPARAM(PAGE_INI_STEP, INI_FIRST_STEP));
        return TRUE;
    case PAGE_INI_STEP:
        PostStep(hDlg, IniStep(hDlg, step));
        return TRUE;
    case PAGE_REG_START:
        StartRegistryPhase(hDlg);
        PostStep(hDlg, MAKEWPARAM(PAGE_REG_STEP, REG_FIRST_STEP));
        return TRUE;
    case PAGE_REG_STEP:
        PostStep(hDlg, RegistryStep(hDlg, step));
        return TRUE;
    case PAGE_END:
        EndDialog(hDlg, 0);
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK InstallPageProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    switch (msg) {
    case WM_INITDIALOG:
        g_page.progress = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE | WS_BORDER,
                                          30, 100, 300, 15, hDlg, (HMENU)0, g_shell.hInst, NULL);
        SendMessageA(g_page.progress, PBM_SETRANGE, 0, MAKELPARAM(0, BAR_FULL));
        SendMessageA(g_page.progress, PBM_SETSTEP, 1, 0);
        g_engine.shownProgress = 0;
        PostStep(hDlg, PAGE_COPY_START);
        return FALSE;
    case WM_CLOSE:
        /* Steps already posted die with the page: the installation stops
           here, and the user is told what it did not do. */
        if (g_engine.nextStep != PAGE_END)
            NoteStepsNotDone();
        EndDialog(hDlg, 0);
        return TRUE;
    case WM_DESTROY:
        g_page.progress = NULL;
        return FALSE;
    case WM_COMMAND:
        return OnInstallCommand(hDlg, wParam);
    }
    return FALSE;
}
