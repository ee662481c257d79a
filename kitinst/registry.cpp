/*
 * The registry phase: removal of what earlier installations left (old tablet
 * entries among the root-enumerated mice, the tablet's class and device
 * instances and their OEMn.INF files), then the steps that register the
 * tablet class, its driver and device instances and the 16-bit DLLs.
 */
#include "kitinst.h"

#define INSTANCE_NUMBERS 10000
#define BAR_STEP 5

static const char s_classRoot[] = "System\\CurrentControlSet\\Services\\Class\\";
static const char s_mouseRoot[] = "Enum\\Root\\Mouse";

static void LoadKeyString(UINT id, char *buf)
{
    LoadText(g_shell.hInst, id, buf, MAX_PATH);
}

/* What each step writes, named for the box that tells what was not done. */
static const struct {
    WORD step; /* 0: the clean-up */
    UINT keyId;
    UINT whatId;
} s_stepTexts[] = {
    {0, 0, IDS_STEP_CLEANUP},
    {413, IDS_CLASS_KEY, IDS_STEP_CLASS},
    {414, IDS_CLASS_KEY, IDS_STEP_DRIVER},
    {415, IDS_ROOT_KEY, IDS_STEP_DEVICE},
    {416, IDS_KNOWN16_KEY, IDS_STEP_KNOWN16},
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
    for (int i = 0; i < (int)(sizeof(s_stepTexts) / sizeof(s_stepTexts[0])); i++) {
        if (s_stepTexts[i].step != step && !(onward && s_stepTexts[i].step > step))
            continue;
        path[0] = 0;
        if (s_stepTexts[i].keyId)
            LoadKeyString(s_stepTexts[i].keyId, path);
        LoadText(g_shell.hInst, s_stepTexts[i].whatId, what, TEXT_LEN);
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
    "System\\CurrentControlSet\\Services\\Class\\",
    "Enum\\Root\\",
    "Enum\\SERENUM\\",
};

static BOOL IsBelowOwnRoot(const char *path)
{
    for (int i = 0; i < (int)(sizeof(s_ownRoots) / sizeof(s_ownRoots[0])); i++) {
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

/* An old tablet entry among the mice goes with its class instance and INF. */
static void RemoveOldMouseEntry(HKEY mouse)
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
        if (lstrlenA(name) != 4)
            continue;
        int n = 0;
        for (int k = 0; k < 4 && n >= 0; k++)
            n = name[k] >= '0' && name[k] <= '9' ? n * 10 + (name[k] - '0') : -1;
        if (n >= 0)
            s_present[n] = 1;
    }
}

void CleanUpOldInstalls(void)
{
    char name[8];
    char desc[VALUE_LEN];
    HKEY parent;
    HKEY key;

    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, s_mouseRoot, &parent) == ERROR_SUCCESS) {
        ListInstances(parent);
        for (int n = 0; n < INSTANCE_NUMBERS; n++) {
            FormatText(name, sizeof(name), "%.4d", n);
            if (!s_present[n] || RegOpenKeyA(parent, name, &key) != ERROR_SUCCESS)
                continue;
            BOOL old =
                QueryString(key, "DeviceDesc", desc) && StartsWithNoCase(desc, "QUORAX Tablet");
            if (old)
                RemoveOldMouseEntry(key);
            RegCloseKey(key);
            if (old)
                DeleteKeyTree(parent, name);
        }
        RegCloseKey(parent);
    }

    char classKey[MAX_PATH];
    LoadKeyString(IDS_CLASS_KEY, classKey);
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, classKey, &parent) == ERROR_SUCCESS) {
        ListInstances(parent);
        for (int n = 0; n < INSTANCE_NUMBERS; n++) {
            FormatText(name, sizeof(name), "%.4d", n);
            if (!s_present[n] || RegOpenKeyA(parent, name, &key) != ERROR_SUCCESS)
                continue;
            if (QueryString(key, "InfPath", desc))
                DeleteInfFile(desc);
            RegCloseKey(key);
        }
        RegCloseKey(parent);
    }

    char path[MAX_PATH];
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
    char name[8];
    for (int n = 0; n < INSTANCE_NUMBERS && found < 0; n++) {
        HKEY key;
        FormatText(name, sizeof(name), "%.4d", n);
        if (RegOpenKeyA(parent, name, &key) == ERROR_SUCCESS)
            RegCloseKey(key);
        else
            found = n;
    }
    RegCloseKey(parent);
    return found;
}

static HKEY OpenOrCreate(const char *path)
{
    HKEY key;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, path, &key) == ERROR_SUCCESS)
        return key;
    if (RegCreateKeyA(HKEY_LOCAL_MACHINE, path, &key) == ERROR_SUCCESS)
        return key;
    return NULL;
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
    SetString(key, classKey, "ICON", "100");
    AdvanceBar(BAR_STEP);
    SetString(key, classKey, "Installer", "qxcls.dll");
    AdvanceBar(BAR_STEP);
    if (key)
        RegCloseKey(key);
}

static void WriteDriverKey(void)
{
    char classKey[MAX_PATH];
    char path[MAX_PATH];
    char desc[MAX_PATH];
    LoadKeyString(IDS_CLASS_KEY, classKey);
    LoadKeyString(IDS_DEVICE_DESC, desc);

    int n = FindFreeInstance(classKey);
    AdvanceBar(BAR_STEP);
    if (n < 0) {
        g_engine.driverKeyName[0] = 0;
        NoteSteps(REPORT_SETTINGS, 414, FALSE);
        AdvanceBar(4 * BAR_STEP);
        return;
    }
    FormatText(g_engine.driverKeyName, MAX_PATH, "QUORAXDevice\\%.4d", n);
    FormatText(path, MAX_PATH, "%s\\%.4d", classKey, n);
    HKEY key;
    if (RegCreateKeyA(HKEY_LOCAL_MACHINE, path, &key) != ERROR_SUCCESS)
        key = NULL;
    AdvanceBar(BAR_STEP);
    SetString(key, path, "DriverDesc", desc);
    AdvanceBar(BAR_STEP);
    SetString(key, path, "InfPath", g_engine.oemInfName);
    AdvanceBar(BAR_STEP);
    SetString(key, path, "InfSection", "qwintab:qwintab.drv:old");
    AdvanceBar(BAR_STEP);
    if (key)
        RegCloseKey(key);
}

static void WriteDeviceKey(void)
{
    static const BYTE configFlags[4] = {0, 0, 0, 0};
    char rootKey[MAX_PATH];
    char path[MAX_PATH];
    char desc[MAX_PATH];
    char maker[MAX_PATH];
    LoadKeyString(IDS_ROOT_KEY, rootKey);
    LoadKeyString(IDS_DEVICE_DESC, desc);
    LoadKeyString(IDS_MANUFACTURER, maker);

    /* Without a driver key from step 414 a device instance would name
       nothing: none is written. */
    int n = g_engine.driverKeyName[0] ? FindFreeInstance(rootKey) : -1;
    if (n < 0) {
        NoteSteps(REPORT_SETTINGS, 415, FALSE);
        AdvanceBar(7 * BAR_STEP);
        return;
    }
    FormatText(path, MAX_PATH, "%s\\%.4d", rootKey, n);
    HKEY key;
    if (RegCreateKeyA(HKEY_LOCAL_MACHINE, path, &key) != ERROR_SUCCESS)
        key = NULL;
    AdvanceBar(BAR_STEP);
    SetString(key, path, "Class", "QUORAXDevice");
    AdvanceBar(BAR_STEP);
    SetString(key, path, "DeviceDesc", desc);
    AdvanceBar(BAR_STEP);
    SetString(key, path, "Driver", g_engine.driverKeyName);
    AdvanceBar(BAR_STEP);
    SetString(key, path, "HardwareID", "QUORAXMMTablet");
    AdvanceBar(BAR_STEP);
    SetString(key, path, "Mfg", maker);
    AdvanceBar(BAR_STEP);
    if (!key || RegSetValueExA(key, "ConfigFlags", 0, REG_BINARY, configFlags,
                               sizeof(configFlags)) != ERROR_SUCCESS)
        NoteValue(path, "ConfigFlags", "00 00 00 00");
    if (key)
        RegCloseKey(key);
    AdvanceBar(BAR_STEP);
}

static void WriteKnown16Dlls(void)
{
    static const char *const dlls[] = {"qxcls.dll", "qwintab.drv", "wintab.dll"};
    char path[MAX_PATH];
    LoadKeyString(IDS_KNOWN16_KEY, path);

    HKEY key = OpenOrCreate(path);
    AdvanceBar(BAR_STEP);
    for (int i = 0; i < 3; i++) {
        SetString(key, path, dlls[i], dlls[i]);
        AdvanceBar(BAR_STEP);
    }
    if (key)
        RegCloseKey(key);
}

/* One step of the registry phase; returns the command that follows it. */
WPARAM RegistryStep(HWND page, int step)
{
    (void)page;
    switch (step) {
    case 413:
        WriteClassKey();
        break;
    case 414:
        WriteDriverKey();
        break;
    case 415:
        WriteDeviceKey();
        break;
    case 416:
        WriteKnown16Dlls();
        break;
    default:
        return 0;
    }
    StepPause();
    if (step == REG_LAST_STEP)
        return PAGE_END;
    return MAKEWPARAM(PAGE_REG_STEP, step + 1);
}
