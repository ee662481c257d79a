/*
 * The INI phase: the steps that register the tablet driver in WIN.INI,
 * SYSTEM.INI and WINTAB.INI. Lines that may list several drivers are
 * extended, never replaced, and are read whole however long they are: a
 * Windows 95 SYSTEM.INI easily has a [386Enh] of several kilobytes.
 */
#include "kitinst.h"

static const char s_absent[] = "Key not found";
static const char s_vqxsdLine[] = "device=vqxsd.386";

/* What each step writes, and where, for the box that names what could not
   be written or was not done. */
static const struct {
    WORD step;
    const char *what;
    const char *where;
} s_stepTexts[] = {
    {404, "SkipMouseRedetect=0", "WIN.INI [windows]"},
    {405, "QWINTAB", "SYSTEM.INI [boot] drivers"},
    {406, "device=vqxsd.386", "SYSTEM.INI [386Enh]"},
    {407, "qwintab=qwintab.drv", "SYSTEM.INI [drivers]"},
    {408, "QWINTAB= ", "SYSTEM.INI [vqxsd.386]"},
    {409, "mouse.drv=mouse.drv (if it was qxmouse.drv)", "SYSTEM.INI [boot]"},
    {410, "PEN", "SYSTEM.INI [boot] drivers"},
    {411, "pen=qwtpen.drv", "SYSTEM.INI [drivers]"},
    {412, "Csr=1", "WINTAB.INI [QUORAX MM-compatible Tablet Driver]"},
};

/* Names the step, and with onward every later one the run would take. */
static void NoteSteps(int part, int step, BOOL onward)
{
    for (int i = 0; i < (int)(sizeof(s_stepTexts) / sizeof(s_stepTexts[0])); i++) {
        int s = s_stepTexts[i].step;
        BOOL pen = s == 410 || s == 411;
        if (s == step || (onward && s > step && (g_shell.penExtensions || !pen)))
            NoteSetting(part, s_stepTexts[i].what, s_stepTexts[i].where);
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
    char *value = ReadValueWhole("boot", "drivers", "SYSTEM.INI");
    if (!value)
        return FALSE;

    if (SameText(value, s_absent)) {
        LocalFree(value);
        return WritePrivateProfileStringA("boot", "drivers", alias, "SYSTEM.INI");
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
        WritePrivateProfileStringA("boot", "drivers", there ? value : upper, "SYSTEM.INI");
    LocalFree(upper);
    LocalFree(value);
    return written;
}

/* Makes sure [386Enh] loads the tablet's virtual device. The other lines,
   repeated device keys included, keep their order; the new one comes last. */
static BOOL AddVqxsdDevice(void)
{
    DWORD length = 0;
    char *section = ReadSectionWhole("386Enh", "SYSTEM.INI", &length);
    if (!section)
        return FALSE;
    if (length == 0) {
        LocalFree(section);
        return WritePrivateProfileStringA("386Enh", "device", "vqxsd.386", "SYSTEM.INI");
    }

    for (const char *entry = section; *entry; entry += lstrlenA(entry) + 1) {
        if (StartsWithNoCase(entry, s_vqxsdLine)) {
            LocalFree(section);
            return TRUE;
        }
    }

    BOOL written = WriteSectionWithLine("386Enh", "SYSTEM.INI", section, length, s_vqxsdLine);
    LocalFree(section);
    return written;
}

/* The maker's own mouse driver gives way to the standard one, which the
   tablet driver works beside. Any other mouse driver is the user's choice.
   FALSE when the standard one could not be written. */
static BOOL RepairMouseDriver(void)
{
    char *value = ReadValueWhole("boot", "mouse.drv", "SYSTEM.INI");
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

    if (!WritePrivateProfileStringA("boot", "mouse.drv", "mouse.drv", "SYSTEM.INI"))
        return FALSE;
    value = ReadValueWhole("386Enh", "mouse", "SYSTEM.INI");
    if (value && !SameText(value, s_absent) && lstrcmpiA(value, "*vmd") == 0 &&
        !WritePrivateProfileStringA("386Enh", "mouse", "*vmouse, msmouse.vxd", "SYSTEM.INI"))
        NoteSetting(REPORT_SETTINGS, "mouse=*vmouse, msmouse.vxd", "SYSTEM.INI [386Enh]");
    LocalFree(value);
    return TRUE;
}

/* One step of the INI phase; returns the command that follows it. A write
   that fails is named before the restart question; the next step runs. */
WPARAM IniStep(HWND page, int step)
{
    int next = step + 1;
    BOOL paused = FALSE;
    BOOL written = TRUE;

    switch (step) {
    case 404:
        ShowLine(page, IDC_SOURCE, "WIN.INI");
        StepPause();
        paused = TRUE;
        written = WriteProfileStringA("windows", "SkipMouseRedetect", "0");
        break;
    case 405:
        ShowLine(page, IDC_SOURCE, "SYSTEM.INI");
        StepPause();
        paused = TRUE;
        written = AddBootDriver("QWINTAB");
        break;
    case 406:
        written = AddVqxsdDevice();
        break;
    case 407:
        written = WritePrivateProfileStringA("drivers", "qwintab", "qwintab.drv", "SYSTEM.INI");
        break;
    case 408:
        written = WritePrivateProfileStringA("vqxsd.386", "QWINTAB", " ", "SYSTEM.INI");
        break;
    case 409:
        written = RepairMouseDriver();
        next = g_shell.penExtensions ? 410 : 412;
        break;
    case 410:
        StepPause();
        paused = TRUE;
        written = AddBootDriver("PEN");
        break;
    case 411:
        written = WritePrivateProfileStringA("drivers", "pen", "qwtpen.drv", "SYSTEM.INI");
        break;
    case 412:
        ShowLine(page, IDC_SOURCE, "WINTAB.INI");
        written = WritePrivateProfileSectionA("QUORAX MM-compatible Tablet Driver", "Csr=1\0",
                                              "WINTAB.INI");
        break;
    default:
        return 0;
    }

    if (!written)
        NoteSteps(REPORT_SETTINGS, step, FALSE);
    if (!paused)
        StepPause();
    AdvanceBar(g_engine.iniStepSize);
    if (step == INI_LAST_STEP)
        return PAGE_REG_START;
    return MAKEWPARAM(PAGE_INI_STEP, next);
}
