/*
 * The registry phase: removal of what earlier installations left (old tablet
 * entries among the root-enumerated mice, the tablet's class and device
 * instances and their OEMn.INF files), then the steps that register the
 * tablet class, its driver and device instances and the 16-bit DLLs.
 */
#include "kitinst.h"

/* Instance keys are named by four digits, "0000" to "9999" ("%.4d"). */
#define INSTANCE_NUMBERS 10000
#define INSTANCE_DIGITS 4
#define INSTANCE_NAME_LEN (INSTANCE_DIGITS + 1)
/* Twenty actions of the four steps fill the bar. */
#define BAR_STEP 5

static const char s_classRoot[] = "System\\CurrentControlSet\\Services\\Class\\";
static const char s_mouseRoot[] = "Enum\\Root\\Mouse";

/* A key path, or the text of a value, into a path-sized buffer. */
static void LoadKeyString(UINT id, char *buf)
{
    LoadText(g_shell.hInst, id, buf, MAX_PATH);
}

static void WriteClassKey(void);
static void WriteDriverKey(void);
static void WriteDeviceKey(void);
static void WriteKnown16Dlls(void);

/* The phase in its order: each step's work, and what it writes where, named
   for the box that tells what was not done. */
static const struct RegistryStepRow {
    WORD step;   /* 0: the clean-up, which the phase's start runs */
    UINT keyId;  /* the key it writes in, 0: none named */
    UINT whatId; /* what it writes */
    void (*write)(void);
} s_steps[] = {
    {0, 0, IDS_STEP_CLEANUP, NULL},
    {413, IDS_CLASS_KEY, IDS_STEP_CLASS, WriteClassKey},
    {414, IDS_CLASS_KEY, IDS_STEP_DRIVER, WriteDriverKey},
    {415, IDS_ROOT_KEY, IDS_STEP_DEVICE, WriteDeviceKey},
    {416, IDS_KNOWN16_KEY, IDS_STEP_KNOWN16, WriteKnown16Dlls},
};

static void NoteKeyPath(int part, const char *what, const char *path)
{
    char where[MAX_PATH + 24];
    FormatText(where, sizeof(where), path[0] ? "HKEY_LOCAL_MACHINE\\%s" : "HKEY_LOCAL_MACHINE",
               path);
    NoteSetting(part, what, where);
}

/* Names the step, and with onward every one after it. */
static void NoteSteps(int part, int step, BOOL onward)
{
    char path[MAX_PATH];
    char what[TEXT_LEN];
    for (int i = 0; i < COUNT_OF(s_steps); i++) {
        const RegistryStepRow *row = &s_steps[i];
        if (row->step != step && !(onward && row->step > step))
            continue;
        path[0] = 0;
        if (row->keyId)
            LoadKeyString(row->keyId, path);
        LoadText(g_shell.hInst, row->whatId, what, TEXT_LEN);
        NoteKeyPath(part, what, path);
    }
}

void NoteRegistryStepsFrom(int step)
{
    NoteSteps(REPORT_STEPS, step, TRUE);
}

/* A value that could not be written is named with its key. */
static void NoteValue(const char *path, const char *name, const char *data)
{
    char what[MAX_PATH + 64];
    FormatText(what, sizeof(what), "%s=%s", name[0] ? name : "(default)", data);
    NoteKeyPath(REPORT_SETTINGS, what, path);
}

/* Every string value is stored whole, with its terminating NUL. */
static void SetString(HKEY key, const char *path, const char *name, const char *data)
{
    if (!key || RegSetValueExA(key, name, 0, REG_SZ, (const BYTE *)data, lstrlenA(data) + 1) !=
                    ERROR_SUCCESS)
        NoteValue(path, name, data);
}

/* A string value of at most 255 characters, always NUL-terminated. */
static BOOL QueryString(HKEY key, const char *name, char *buf)
{
    DWORD type;
    DWORD size = VALUE_LEN;
    if (RegQueryValueExA(key, name, NULL, &type, (BYTE *)buf, &size) != ERROR_SUCCESS)
        return FALSE;
    buf[size < VALUE_LEN ? size : VALUE_LEN - 1] = 0;
    return TRUE;
}

/* The only places the clean-up deletes from, and only below them. */
static const char *const s_ownRoots[] = {
    s_classRoot,
    "Enum\\Root\\",
    "Enum\\SERENUM\\",
};

static BOOL IsBelowOwnRoot(const char *path)
{
    for (int i = 0; i < COUNT_OF(s_ownRoots); i++) {
        int n = lstrlenA(s_ownRoots[i]);
        if (StartsWithNoCase(path, s_ownRoots[i]) && path[n] && path[n] != '\\')
            return TRUE;
    }
    return FALSE;
}

/* Windows 95 deletes a key with its subkeys; NT-style registries delete only
   empty keys, so there the subkeys go first. A key without subkeys goes at
   the first attempt, which halves the calls for a wide tree. An empty path
   would delete the root key's own subkeys, and a path from the string table
   that failed to load, or was cut, could name any key: neither is deleted,
   nor anything of HKEY_LOCAL_MACHINE outside the installer's own places. */
BOOL DeleteKeyTree(HKEY root, const char *path)
{
    if (!path[0] || (root == HKEY_LOCAL_MACHINE && !IsBelowOwnRoot(path)))
        return FALSE;
    if (RegDeleteKeyA(root, path) == ERROR_SUCCESS)
        return TRUE;
    HKEY key;
    if (RegOpenKeyA(root, path, &key) != ERROR_SUCCESS)
        return FALSE;
    char name[MAX_PATH];
    while (RegEnumKeyA(key, 0, name, MAX_PATH) == ERROR_SUCCESS) {
        if (!DeleteKeyTree(key, name))
            break;
    }
    RegCloseKey(key);
    return RegDeleteKeyA(root, path) == ERROR_SUCCESS;
}

/* InfPath comes from the registry: only a bare name inside Windows\INF may
   lead to a deletion, never a path that climbs out of it. */
static BOOL IsPlainFileName(const char *name)
{
    if (!name[0] || FindText(name, ".."))
        return FALSE;
    for (const char *p = name; *p; p++)
        if (*p == '\\' || *p == '/' || *p == ':')
            return FALSE;
    return TRUE;
}

/* A Driver value names one instance below one class ("Mouse\0000"); an empty
   or partial one would make the clean-up delete a whole class. */
static BOOL IsClassInstanceName(const char *name)
{
    const char *slash = FindText(name, "\\");
    return slash && slash != name && slash[1] && !FindText(slash + 1, "\\");
}

/* An old entry may name an INF that was gone when this run chose the first
   free OEMn.INF: that name is this run's INF now and must stay. */
static void DeleteInfFile(const char *infName)
{
    char path[MAX_PATH];
    char windows[MAX_PATH];
    if (!IsPlainFileName(infName) || SameTextNoCase(infName, g_engine.oemInfName))
        return;
    UINT n = GetWindowsDirectoryA(windows, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return;
    FormatText(path, MAX_PATH, "%s\\INF\\%s", windows, infName);
    MakeWritable(path);
    DeleteFileA(path);
}

/* An old mouse entry's class instance goes with its INF. */
static void RemoveClassInstance(HKEY mouse)
{
    char driver[VALUE_LEN];
    char infName[VALUE_LEN];
    char path[MAX_PATH];
    if (!QueryString(mouse, "Driver", driver) || !IsClassInstanceName(driver))
        return;
    FormatText(path, MAX_PATH, "%s%s", s_classRoot, driver);
    HKEY instance;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, path, &instance) != ERROR_SUCCESS)
        return;
    if (QueryString(instance, "InfPath", infName))
        DeleteInfFile(infName);
    RegCloseKey(instance);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, path);
}

static void InstanceName(char *name, int n)
{
    FormatText(name, INSTANCE_NAME_LEN, "%.4d", n);
}

/* Which of the instance numbers 0000-9999 exist under the key. The subkeys
   are listed rather than the ten thousand numbers tried one by one: on a
   machine with a few devices that is a handful of registry calls instead of
   ten thousand, and it finds the same keys, gaps included. */
static BYTE s_present[INSTANCE_NUMBERS];

static void ListInstances(HKEY parent)
{
    char name[MAX_PATH];
    ZeroMemory(s_present, sizeof(s_present));
    for (DWORD i = 0; RegEnumKeyA(parent, i, name, MAX_PATH) == ERROR_SUCCESS; i++) {
        if (lstrlenA(name) != INSTANCE_DIGITS)
            continue;
        int n = 0;
        for (int k = 0; k < INSTANCE_DIGITS && n >= 0; k++)
            n = name[k] >= '0' && name[k] <= '9' ? n * 10 + (name[k] - '0') : -1;
        if (n >= 0)
            s_present[n] = 1;
    }
}

/* Visits the instances there are under the key, in the order of their
   numbers; one the visit answers TRUE for is deleted, with its subkeys,
   once it is closed. */
static void VisitInstances(const char *path, BOOL (*visit)(HKEY instance))
{
    HKEY parent;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, path, &parent) != ERROR_SUCCESS)
        return;
    ListInstances(parent);
    char name[INSTANCE_NAME_LEN];
    for (int n = 0; n < INSTANCE_NUMBERS; n++) {
        HKEY key;
        InstanceName(name, n);
        if (!s_present[n] || RegOpenKeyA(parent, name, &key) != ERROR_SUCCESS)
            continue;
        BOOL remove = visit(key);
        RegCloseKey(key);
        if (remove)
            DeleteKeyTree(parent, name);
    }
    RegCloseKey(parent);
}

/* An old tablet entry among the mice goes, with its class instance and INF. */
static BOOL RemoveIfOldTablet(HKEY mouse)
{
    char desc[VALUE_LEN];
    if (!QueryString(mouse, "DeviceDesc", desc) || !StartsWithNoCase(desc, "QUORAX Tablet"))
        return FALSE;
    RemoveClassInstance(mouse);
    return TRUE;
}

/* A tablet class instance loses its INF here; the key goes with the class. */
static BOOL DeleteInstanceInf(HKEY instance)
{
    char infName[VALUE_LEN];
    if (QueryString(instance, "InfPath", infName))
        DeleteInfFile(infName);
    return FALSE;
}

void CleanUpOldInstalls(void)
{
    char classKey[MAX_PATH];
    char path[MAX_PATH];
    VisitInstances(s_mouseRoot, RemoveIfOldTablet);
    LoadKeyString(IDS_CLASS_KEY, classKey);
    VisitInstances(classKey, DeleteInstanceInf);

    LoadKeyString(IDS_ROOT_KEY, path);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, path);
    LoadKeyString(IDS_SERENUM_KEY, path);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, path);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, classKey);
}

/* The first instance number under the key that is not in use, or -1 when
   all are: an existing instance is never overwritten. */
static int FindFreeInstance(const char *path)
{
    HKEY parent;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, path, &parent) != ERROR_SUCCESS)
        return 0;
    int found = -1;
    char name[INSTANCE_NAME_LEN];
    for (int n = 0; n < INSTANCE_NUMBERS && found < 0; n++) {
        HKEY key;
        InstanceName(name, n);
        if (RegOpenKeyA(parent, name, &key) == ERROR_SUCCESS)
            RegCloseKey(key);
        else
            found = n;
    }
    RegCloseKey(parent);
    return found;
}

/* Null when the key can be neither opened nor made; its values are then
   named among the settings not written. */
static HKEY OpenOrCreate(const char *path)
{
    HKEY key;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, path, &key) == ERROR_SUCCESS)
        return key;
    if (RegCreateKeyA(HKEY_LOCAL_MACHINE, path, &key) == ERROR_SUCCESS)
        return key;
    return NULL;
}

/* Makes instance n below the key, its path into path; an action on the bar. */
static HKEY CreateInstance(const char *parent, int n, char *path)
{
    HKEY key;
    FormatText(path, MAX_PATH, "%s\\%.4d", parent, n);
    if (RegCreateKeyA(HKEY_LOCAL_MACHINE, path, &key) != ERROR_SUCCESS)
        key = NULL;
    AdvanceBar(BAR_STEP);
    return key;
}

static void CloseKey(HKEY key)
{
    if (key)
        RegCloseKey(key);
}

/* A string value a step writes: its data a string of the program, or given
   here (some point at the names this run chose). */
typedef struct RegValue {
    const char *name;
    UINT dataId; /* 0: the data is below */
    const char *data;
} RegValue;

static const RegValue s_classValues[] = {
    {"ICON", 0, "100"},
    {"Installer", 0, "qxcls.dll"},
};
static const RegValue s_driverValues[] = {
    {"DriverDesc", IDS_DEVICE_DESC, NULL},
    {"InfPath", 0, g_engine.oemInfName},
    {"InfSection", 0, "qwintab:qwintab.drv:old"},
};
static const RegValue s_deviceValues[] = {
    {"Class", 0, "QUORAXDevice"},          {"DeviceDesc", IDS_DEVICE_DESC, NULL},
    {"Driver", 0, g_engine.driverKeyName}, {"HardwareID", 0, "QUORAXMMTablet"},
    {"Mfg", IDS_MANUFACTURER, NULL},
};
static const RegValue s_known16Values[] = {
    {"qxcls.dll", 0, "qxcls.dll"},
    {"qwintab.drv", 0, "qwintab.drv"},
    {"wintab.dll", 0, "wintab.dll"},
};

/* Each value is an action on the bar, written or not. */
static void WriteValues(HKEY key, const char *path, const RegValue *values, int count)
{
    char text[MAX_PATH];
    for (int i = 0; i < count; i++) {
        const char *data = values[i].data;
        if (values[i].dataId) {
            LoadKeyString(values[i].dataId, text);
            data = text;
        }
        SetString(key, path, values[i].name, data);
        AdvanceBar(BAR_STEP);
    }
}

static void WriteClassKey(void)
{
    char classKey[MAX_PATH];
    char desc[MAX_PATH];
    LoadKeyString(IDS_CLASS_KEY, classKey);
    LoadKeyString(IDS_CLASS_DESC, desc);

    HKEY key = OpenOrCreate(classKey);
    AdvanceBar(BAR_STEP);
    if (RegSetValueA(HKEY_LOCAL_MACHINE, classKey, REG_SZ, desc, lstrlenA(desc)) != ERROR_SUCCESS)
        NoteValue(classKey, "", desc);
    AdvanceBar(BAR_STEP);
    StepPause();
    WriteValues(key, classKey, s_classValues, COUNT_OF(s_classValues));
    CloseKey(key);
}

static void WriteDriverKey(void)
{
    char classKey[MAX_PATH];
    char path[MAX_PATH];
    LoadKeyString(IDS_CLASS_KEY, classKey);

    int n = FindFreeInstance(classKey);
    AdvanceBar(BAR_STEP);
    if (n < 0) {
        g_engine.driverKeyName[0] = 0;
        NoteSteps(REPORT_SETTINGS, 414, FALSE);
        AdvanceBar((1 + COUNT_OF(s_driverValues)) * BAR_STEP); /* the key and its values */
        return;
    }
    FormatText(g_engine.driverKeyName, MAX_PATH, "QUORAXDevice\\%.4d", n);
    HKEY key = CreateInstance(classKey, n, path);
    WriteValues(key, path, s_driverValues, COUNT_OF(s_driverValues));
    CloseKey(key);
}

static void WriteDeviceKey(void)
{
    static const BYTE configFlags[4] = {0, 0, 0, 0};
    char rootKey[MAX_PATH];
    char path[MAX_PATH];
    LoadKeyString(IDS_ROOT_KEY, rootKey);

    /* Without a driver key from step 414 a device instance would name
       nothing: none is written. */
    int n = g_engine.driverKeyName[0] ? FindFreeInstance(rootKey) : -1;
    if (n < 0) {
        NoteSteps(REPORT_SETTINGS, 415, FALSE);
        /* The key, its values and ConfigFlags. */
        AdvanceBar((1 + COUNT_OF(s_deviceValues) + 1) * BAR_STEP);
        return;
    }
    HKEY key = CreateInstance(rootKey, n, path);
    WriteValues(key, path, s_deviceValues, COUNT_OF(s_deviceValues));
    if (!key || RegSetValueExA(key, "ConfigFlags", 0, REG_BINARY, configFlags,
                               sizeof(configFlags)) != ERROR_SUCCESS)
        NoteValue(path, "ConfigFlags", "00 00 00 00");
    CloseKey(key);
    AdvanceBar(BAR_STEP);
}

static void WriteKnown16Dlls(void)
{
    char path[MAX_PATH];
    LoadKeyString(IDS_KNOWN16_KEY, path);

    HKEY key = OpenOrCreate(path);
    AdvanceBar(BAR_STEP);
    WriteValues(key, path, s_known16Values, COUNT_OF(s_known16Values));
    CloseKey(key);
}

/* One step of the registry phase; returns the command that follows it. */
WPARAM RegistryStep(HWND page, int step)
{
    (void)page;
    for (int i = 0; i < COUNT_OF(s_steps); i++) {
        if (s_steps[i].step != step || !s_steps[i].write)
            continue;
        s_steps[i].write();
        StepPause();
        return i + 1 < COUNT_OF(s_steps) ? MAKEWPARAM(PAGE_REG_STEP, s_steps[i + 1].step)
                                         : PAGE_END;
    }
    return 0;
}
