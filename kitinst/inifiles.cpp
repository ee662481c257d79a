/*
 * The INI phase: the steps that register the tablet driver in WIN.INI,
 * SYSTEM.INI and WINTAB.INI. Lines that may list several drivers are
 * extended, never replaced, and are read whole however long they are: a
 * Windows 95 SYSTEM.INI easily has a [386Enh] of several kilobytes.
 */
#include "kitinst.h"

static const char s_absent[] = "Key not found";
static const char s_vqxsdLine[] = "device=vqxsd.386";
static const char s_systemIni[] = "SYSTEM.INI";

/* The steps in their order: the file each names under "Source : " as it
   starts (null: the line stays), whether its pause comes before its edit
   rather than after, and what it writes and where, for the box that names
   what could not be written or was not done. */
static const struct IniStepRow {
    WORD step;
    BOOL penOnly; /* taken only with the pen extensions */
    const char *shows;
    BOOL pauseFirst;
    const char *what;
    const char *where;
} s_steps[] = {
    {404, FALSE, "WIN.INI", TRUE, "SkipMouseRedetect=0", "WIN.INI [windows]"},
    {405, FALSE, "SYSTEM.INI", TRUE, "QWINTAB", "SYSTEM.INI [boot] drivers"},
    {406, FALSE, NULL, FALSE, "device=vqxsd.386", "SYSTEM.INI [386Enh]"},
    {407, FALSE, NULL, FALSE, "qwintab=qwintab.drv", "SYSTEM.INI [drivers]"},
    {408, FALSE, NULL, FALSE, "QWINTAB= ", "SYSTEM.INI [vqxsd.386]"},
    {409, FALSE, NULL, FALSE, "mouse.drv=mouse.drv (if it was qxmouse.drv)", "SYSTEM.INI [boot]"},
    {410, TRUE, NULL, TRUE, "PEN", "SYSTEM.INI [boot] drivers"},
    {411, TRUE, NULL, FALSE, "pen=qwtpen.drv", "SYSTEM.INI [drivers]"},
    {412, FALSE, "WINTAB.INI", FALSE, "Csr=1", "WINTAB.INI [QUORAX MM-compatible Tablet Driver]"},
};

static BOOL IsTaken(int i)
{
    return !s_steps[i].penOnly || g_shell.penExtensions;
}

/* Names the step, and with onward every later one the run would take. */
static void NoteSteps(int part, int step, BOOL onward)
{
    for (int i = 0; i < COUNT_OF(s_steps); i++) {
        int s = s_steps[i].step;
        if (s == step || (onward && s > step && IsTaken(i)))
            NoteSetting(part, s_steps[i].what, s_steps[i].where);
    }
}

void NoteIniStepsFrom(int step)
{
    NoteSteps(REPORT_STEPS, step, TRUE);
}

#define FIRST_READ_SIZE 1024
/* Windows 95 keeps a profile section within 64 KB; this is far beyond it. */
#define MAX_READ_SIZE (16 * 1024 * 1024)

/* A section as GetPrivateProfileSection returns it (key=value strings, each
   ended by NUL, then an empty one), in a buffer grown until nothing is cut.
   *length counts the characters before the closing NUL. Null only when the
   section could not be read whole; the caller must then leave it alone. */
char *ReadSectionWhole(const char *section, const char *file, DWORD *length)
{
    for (DWORD size = FIRST_READ_SIZE; size <= MAX_READ_SIZE; size *= 2) {
        char *buf = (char *)LocalAlloc(LMEM_FIXED, size);
        if (!buf)
            return NULL;
        DWORD n = GetPrivateProfileSectionA(section, buf, size, file);
        if (n < size - 2) {
            buf[n] = 0;
            *length = n;
            return buf;
        }
        LocalFree(buf);
    }
    return NULL;
}

/* A value read whole, "Key not found" when absent; null when it cannot be. */
static char *ReadValueWhole(const char *section, const char *key, const char *file)
{
    for (DWORD size = VALUE_LEN; size <= MAX_READ_SIZE; size *= 2) {
        char *buf = (char *)LocalAlloc(LMEM_FIXED, size);
        if (!buf)
            return NULL;
        DWORD n = GetPrivateProfileStringA(section, key, s_absent, buf, size, file);
        if (n < size - 1)
            return buf;
        LocalFree(buf);
    }
    return NULL;
}

/* Writes a section back whole: the entries read (length characters of
   NUL-ended strings), then one more line last. */
BOOL WriteSectionWithLine(const char *section, const char *file, const char *entries, DWORD length,
                          const char *line)
{
    int lineLen = lstrlenA(line);
    char *block = (char *)LocalAlloc(LMEM_FIXED, length + lineLen + 2);
    if (!block)
        return FALSE;
    if (length)
        CopyMemory(block, entries, length);
    CopyMemory(block + length, line, lineLen + 1);
    block[length + lineLen + 1] = 0;
    BOOL written = WritePrivateProfileSectionA(section, block, file);
    LocalFree(block);
    return written;
}

/* Adds a driver alias to SYSTEM.INI [boot] drivers unless some entry already
   holds it; the value is written back in any case. */
static BOOL AddBootDriver(const char *alias)
{
    char *value = ReadValueWhole("boot", "drivers", s_systemIni);
    if (!value)
        return FALSE;

    if (SameText(value, s_absent)) {
        LocalFree(value);
        return WritePrivateProfileStringA("boot", "drivers", alias, s_systemIni);
    }

    int len = lstrlenA(value);
    int aliasLen = lstrlenA(alias);
    char *upper = (char *)LocalAlloc(LMEM_FIXED, len + aliasLen + 2);
    if (!upper) {
        LocalFree(value);
        return FALSE;
    }
    lstrcpyA(upper, value);
    CharUpperBuffA(upper, len);
    BOOL there = FindText(upper, alias) != NULL;
    if (!there) {
        /* The scratch copy is big enough for the longer value. */
        lstrcpyA(upper, value);
        upper[len] = ' ';
        lstrcpyA(upper + len + 1, alias);
    }
    BOOL written =
        WritePrivateProfileStringA("boot", "drivers", there ? value : upper, s_systemIni);
    LocalFree(upper);
    LocalFree(value);
    return written;
}

/* Makes sure [386Enh] loads the tablet's virtual device. The other lines,
   repeated device keys included, keep their order; the new one comes last. */
static BOOL AddVqxsdDevice(void)
{
    DWORD length = 0;
    char *section = ReadSectionWhole("386Enh", s_systemIni, &length);
    if (!section)
        return FALSE;
    if (length == 0) {
        LocalFree(section);
        return WritePrivateProfileStringA("386Enh", "device", "vqxsd.386", s_systemIni);
    }

    for (const char *entry = section; *entry; entry += lstrlenA(entry) + 1) {
        if (StartsWithNoCase(entry, s_vqxsdLine)) {
            LocalFree(section);
            return TRUE;
        }
    }

    BOOL written = WriteSectionWithLine("386Enh", s_systemIni, section, length, s_vqxsdLine);
    LocalFree(section);
    return written;
}

/* The maker's own mouse driver gives way to the standard one, which the
   tablet driver works beside. Any other mouse driver is the user's choice.
   FALSE when the standard one could not be written. */
static BOOL RepairMouseDriver(void)
{
    char *value = ReadValueWhole("boot", "mouse.drv", s_systemIni);
    if (!value)
        return FALSE;
    BOOL ours = FALSE;
    if (!SameText(value, s_absent)) {
        CharUpperA(value);
        ours = SameText(value, "QXMOUSE.DRV");
    }
    LocalFree(value);
    if (!ours)
        return TRUE;

    if (!WritePrivateProfileStringA("boot", "mouse.drv", "mouse.drv", s_systemIni))
        return FALSE;
    value = ReadValueWhole("386Enh", "mouse", s_systemIni);
    if (value && !SameText(value, s_absent) && lstrcmpiA(value, "*vmd") == 0 &&
        !WritePrivateProfileStringA("386Enh", "mouse", "*vmouse, msmouse.vxd", s_systemIni))
        NoteSetting(REPORT_SETTINGS, "mouse=*vmouse, msmouse.vxd", "SYSTEM.INI [386Enh]");
    LocalFree(value);
    return TRUE;
}

/* The edit of one step; FALSE when it could not be written. */
static BOOL EditIniFile(int step)
{
    switch (step) {
    case 404:
        return WriteProfileStringA("windows", "SkipMouseRedetect", "0");
    case 405:
        return AddBootDriver("QWINTAB");
    case 406:
        return AddVqxsdDevice();
    case 407:
        return WritePrivateProfileStringA("drivers", "qwintab", "qwintab.drv", s_systemIni);
    case 408:
        return WritePrivateProfileStringA("vqxsd.386", "QWINTAB", " ", s_systemIni);
    case 409:
        return RepairMouseDriver();
    case 410:
        return AddBootDriver("PEN");
    case 411:
        return WritePrivateProfileStringA("drivers", "pen", "qwtpen.drv", s_systemIni);
    case 412:
        return WritePrivateProfileSectionA("QUORAX MM-compatible Tablet Driver", "Csr=1\0",
                                           "WINTAB.INI");
    }
    return TRUE;
}

/* One step of the INI phase; returns the command that follows it. A write
   that fails is named before the restart question; the next step runs. */
WPARAM IniStep(HWND page, int step)
{
    int i = 0;
    while (i < COUNT_OF(s_steps) && s_steps[i].step != step)
        i++;
    if (i == COUNT_OF(s_steps))
        return 0;

    const IniStepRow *row = &s_steps[i];
    if (row->shows)
        ShowLine(page, IDC_SOURCE, row->shows);
    if (row->pauseFirst)
        StepPause();
    if (!EditIniFile(step))
        NoteSteps(REPORT_SETTINGS, step, FALSE);
    if (!row->pauseFirst)
        StepPause();
    AdvanceBar(g_engine.iniStepSize);

    /* The next step the run takes; after the last, the registry phase. */
    for (i++; i < COUNT_OF(s_steps) && !IsTaken(i); i++)
        ;
    return i < COUNT_OF(s_steps) ? MAKEWPARAM(PAGE_INI_STEP, s_steps[i].step) : PAGE_REG_START;
}
