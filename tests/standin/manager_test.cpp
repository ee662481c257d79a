/*
 * Managers, contexts as a manager sees them, settings changes and their
 * write-back, WT_INFOCHANGE and the call log.
 */
#include "driver.h"

static BOOL WINAPI Continue(HCTX, LPARAM)
{
    return TRUE;
}

static std::string Hex(const void *handle)
{
    char digits[20];
    int n = 0;
    UINT_PTR v = (UINT_PTR)handle;
    do {
        digits[n++] = "0123456789ABCDEF"[v & 15];
        v >>= 4;
    } while (v);
    std::string s = "0x";
    while (n)
        s += digits[--n];
    return s;
}

TEST_F(StandinTest, ManagerHandlesAreDistinctAndDieWithClose)
{
    ASSERT_TRUE(Load());
    HMGR a = OpenManager(), b = OpenManager();
    ASSERT_TRUE(a && b);
    EXPECT_NE(a, b);
    EXPECT_TRUE(wt.MgrOpen((HWND)(UINT_PTR)0x7777, WT_DEFBASE) == NULL);

    EXPECT_TRUE(wt.MgrClose(a));
    BYTE map[32] = {1};
    EXPECT_FALSE(wt.MgrClose(a));
    EXPECT_TRUE(wt.MgrDefContext(a, TRUE) == NULL);
    EXPECT_FALSE(wt.MgrCsrButtonMap(a, 0, NULL, map));
    EXPECT_FALSE(wt.MgrCsrEnable(a, 0, TRUE));
    EXPECT_FALSE(wt.MgrContextEnum(a, Continue, 0));
    EXPECT_FALSE(wt.MgrCsrButtonMap(NULL, 0, NULL, map));
    /* A context handle is no manager. */
    EXPECT_FALSE(wt.MgrCsrButtonMap((HMGR)wt.MgrDefContext(b, TRUE), 0, NULL, map));

    EXPECT_TRUE(wt.MgrDefContext(b, TRUE) != NULL);
    EXPECT_TRUE(wt.MgrClose(b));
}

TEST_F(StandinTest, MgrOpenFailsFault)
{
    UseTablet("[Interface]\nMgrOpenFails=1\n");
    ASSERT_TRUE(Load());
    EXPECT_NE(0u, wt.InfoW(0, 0, NULL));
    EXPECT_TRUE(OpenManager() == NULL);
}

TEST_F(StandinTest, DefaultContextsAreTheDefaultCategories)
{
    ASSERT_TRUE(Load());
    HMGR mgr = OpenManager();
    HCTX sys = wt.MgrDefContext(mgr, TRUE), dig = wt.MgrDefContext(mgr, FALSE);
    ASSERT_TRUE(sys && dig);
    EXPECT_NE(sys, dig);
    LOGCONTEXTW got, info;
    ASSERT_TRUE(wt.GetW(sys, &got));
    wt.InfoW(WTI_DEFSYSCTX, 0, &info);
    EXPECT_EQ(0, memcmp(&got, &info, sizeof(got)));
    ASSERT_TRUE(wt.GetW(dig, &got));
    wt.InfoW(WTI_DEFCONTEXT, 0, &info);
    EXPECT_EQ(0, memcmp(&got, &info, sizeof(got)));

    /* A change of the default system context is what WTI_DEFSYSCTX reports. */
    wt.GetW(sys, &got);
    got.lcSysMode = 1;
    got.lcInExtX = 5000;
    EXPECT_TRUE(wt.SetW(sys, &got));
    wt.InfoW(WTI_DSCTXS, 0, &info);
    EXPECT_EQ(1, info.lcSysMode);
    EXPECT_EQ(5000, info.lcInExtX);
    /* Neither is an open context. */
    EXPECT_FALSE(wt.Close(sys));
    EXPECT_EQ(1u, Contexts(mgr).size());
}

struct EnumState {
    Wintab *wt;
    std::vector<HCTX> seen;
    size_t stopAfter;
    HCTX closeOnFirst;
};

static BOOL WINAPI Record(HCTX ctx, LPARAM lParam)
{
    EnumState *s = (EnumState *)lParam;
    s->seen.push_back(ctx);
    if (s->closeOnFirst) {
        s->wt->Close(s->closeOnFirst);
        s->closeOnFirst = NULL;
    }
    return s->seen.size() < s->stopAfter;
}

TEST_F(StandinTest, EnumerationSystemContextsFirstAndStops)
{
    UseTablet("[Interface]\nSystemContexts=2\n[Context1]\nName=Second System\n");
    ASSERT_TRUE(Load());
    HMGR mgr = OpenManager();
    HCTX a = OpenDigitizing(0x1E0), b = OpenDigitizing(0x1E0);
    ASSERT_TRUE(a && b);

    EnumState s = {&wt, {}, 100, NULL};
    EXPECT_TRUE(wt.MgrContextEnum(mgr, Record, (LPARAM)&s));
    ASSERT_EQ(4u, s.seen.size());
    LOGCONTEXTW lc;
    wt.GetW(s.seen[0], &lc);
    EXPECT_STREQ(L"Default System", lc.lcName);
    wt.GetW(s.seen[1], &lc);
    EXPECT_STREQ(L"Second System", lc.lcName);
    EXPECT_EQ(a, s.seen[2]);
    EXPECT_EQ(b, s.seen[3]);
    EXPECT_FALSE(wt.Close(s.seen[0])); /* the driver's own */

    s = {&wt, {}, 2, NULL};
    wt.MgrContextEnum(mgr, Record, (LPARAM)&s);
    EXPECT_EQ(2u, s.seen.size());

    /* A callback that closes a context not yet visited does not see it. */
    s = {&wt, {}, 100, a};
    wt.MgrContextEnum(mgr, Record, (LPARAM)&s);
    EXPECT_EQ(3u, s.seen.size());
    EXPECT_FALSE(wt.GetW(a, &lc));
    EXPECT_TRUE(wt.Close(b));
    EXPECT_FALSE(wt.Close(b));
}

TEST_F(StandinTest, ButtonMapDefaultAndNull)
{
    ASSERT_TRUE(Load());
    HMGR mgr = OpenManager();
    std::vector<BYTE> defLog = InfoBytes(WTI_CURSORS + 1, CSR_BUTTONMAP);
    std::vector<BYTE> defSys = InfoBytes(WTI_CURSORS + 1, CSR_SYSBTNMAP);
    EXPECT_EQ(1, defSys[0]);
    EXPECT_EQ(4, defSys[1]);

    BYTE log[32] = {3, 2, 1, 0}, sys[32] = {0x24, 0x11, 0, 9};
    EXPECT_TRUE(wt.MgrCsrButtonMap(mgr, 1, NULL, sys));
    EXPECT_EQ(defLog, InfoBytes(WTI_CURSORS + 1, CSR_BUTTONMAP));
    EXPECT_EQ(std::vector<BYTE>(sys, sys + 32), InfoBytes(WTI_CURSORS + 1, CSR_SYSBTNMAP));

    EXPECT_TRUE(wt.MgrCsrButtonMap(mgr, 1, log, NULL));
    EXPECT_EQ(std::vector<BYTE>(log, log + 32), InfoBytes(WTI_CURSORS + 1, CSR_BUTTONMAP));
    EXPECT_EQ(std::vector<BYTE>(sys, sys + 32), InfoBytes(WTI_CURSORS + 1, CSR_SYSBTNMAP));

    EXPECT_TRUE(wt.MgrCsrButtonMap(mgr, 1, NULL, (LPBYTE)WTP_LPDEFAULT));
    EXPECT_EQ(defSys, InfoBytes(WTI_CURSORS + 1, CSR_SYSBTNMAP));
    EXPECT_EQ(std::vector<BYTE>(log, log + 32), InfoBytes(WTI_CURSORS + 1, CSR_BUTTONMAP));
    EXPECT_TRUE(wt.MgrCsrButtonMap(mgr, 1, (LPBYTE)WTP_LPDEFAULT, NULL));
    EXPECT_EQ(defLog, InfoBytes(WTI_CURSORS + 1, CSR_BUTTONMAP));

    EXPECT_FALSE(wt.MgrCsrButtonMap(mgr, 2, NULL, sys));
    /* Both null: nothing to change, and the call still succeeds. */
    EXPECT_TRUE(wt.MgrCsrButtonMap(mgr, 1, NULL, NULL));
    EXPECT_EQ(defSys, InfoBytes(WTI_CURSORS + 1, CSR_SYSBTNMAP));
    /* The other cursor's maps were never touched. */
    EXPECT_EQ(1, InfoBytes(WTI_CURSORS + 0, CSR_SYSBTNMAP)[0]);
}

TEST_F(StandinTest, CursorEnableAndDeviceConfig)
{
    /* An outcome no button of the dialog gives is reported without showing
       it (the dialog itself: config_test.cpp, where windows may show). */
    UseTablet("[Device0]\nConfigDialog=1\nConfigResult=7\n");
    ASSERT_TRUE(Load());
    HMGR mgr = OpenManager();
    BOOL active = 0;
    EXPECT_TRUE(wt.MgrCsrEnable(mgr, 1, TRUE));
    wt.InfoW(WTI_CURSORS + 1, CSR_ACTIVE, &active);
    EXPECT_TRUE(active);
    EXPECT_TRUE(wt.MgrCsrEnable(mgr, 0, FALSE));
    wt.InfoW(WTI_CURSORS + 0, CSR_ACTIVE, &active);
    EXPECT_FALSE(active);
    EXPECT_FALSE(wt.MgrCsrEnable(mgr, 2, TRUE));

    EXPECT_NE(0u, wt.MgrDeviceConfig(mgr, 0, NULL));
    EXPECT_EQ(7u, wt.MgrDeviceConfig(mgr, 0, Window()));
    EXPECT_EQ(0u, wt.MgrDeviceConfig(mgr, 1, NULL));
    Unload();

    SetEnvironmentVariableW(L"WINTAB_STANDIN_TABLET", NULL);
    ASSERT_TRUE(Load());
    mgr = OpenManager();
    EXPECT_EQ((UINT)WTDC_NONE, wt.MgrDeviceConfig(mgr, 0, NULL));
    EXPECT_EQ((UINT)WTDC_NONE, wt.MgrDeviceConfig(mgr, 0, Window()));
}

/* What the panel writes comes back, bit for bit, from the file at the next load. */
TEST_F(StandinTest, ChangedSettingsOutliveTheLibrary)
{
    UseTablet("; kept\n[Device0]\nName=Kept Tablet\n");
    ASSERT_TRUE(Load());
    HMGR mgr = OpenManager();
    HCTX ctx = SystemContext(mgr);
    LOGCONTEXTW lc;
    ASSERT_TRUE(wt.GetW(ctx, &lc));
    lstrcpyW(lc.lcName, L"Default System\r\n\tC:\\x"); /* written escaped */
    lc.lcSysMode = 1;
    lc.lcSysSensX = 0x8CCE; /* both need five decimals */
    lc.lcSysSensY = 0x10001;
    lc.lcInOrgX = 1200;
    lc.lcInOrgY = 300;
    lc.lcInExtX = 6000;
    lc.lcInExtY = 4500;
    lc.lcOutExtY = -4500;
    lc.lcBtnDnMask = 0xFFFFFFFE;
    ASSERT_TRUE(wt.SetW(ctx, &lc));
    HCTX def = wt.MgrDefContext(mgr, TRUE);
    LOGCONTEXTW dlc = lc;
    lstrcpyW(dlc.lcName, L"Changed Default");
    ASSERT_TRUE(wt.SetW(def, &dlc));
    BYTE sys[32] = {0x04, 0x21};
    ASSERT_TRUE(wt.MgrCsrButtonMap(mgr, 0, NULL, sys));
    ASSERT_TRUE(wt.MgrCsrEnable(mgr, 1, TRUE));
    ASSERT_TRUE(wt.GetW(ctx, &lc));
    Unload();

    std::string text = TabletText();
    EXPECT_NE(std::string::npos, text.find("; kept"));
    EXPECT_NE(std::string::npos, text.find("Name=Kept Tablet"));
    EXPECT_NE(std::string::npos, text.find("SysButtonMap=0x04,0x21"));
    EXPECT_NE(std::string::npos, text.find("Name=Default System\\r\\n\\tC:\\\\x\r\n"));

    ASSERT_TRUE(Load());
    mgr = OpenManager();
    LOGCONTEXTW again;
    ASSERT_TRUE(wt.GetW(SystemContext(mgr), &again));
    EXPECT_EQ(0, memcmp(&lc, &again, sizeof(lc)));
    wt.InfoW(WTI_DEFSYSCTX, 0, &again);
    EXPECT_STREQ(L"Changed Default", again.lcName);
    EXPECT_EQ(0x10001u, again.lcSysSensY);
    EXPECT_EQ(std::vector<BYTE>(sys, sys + 32), InfoBytes(WTI_CURSORS, CSR_SYSBTNMAP));
    BOOL active = 0;
    wt.InfoW(WTI_CURSORS + 1, CSR_ACTIVE, &active);
    EXPECT_TRUE(active);
    EXPECT_EQ(L"Kept Tablet", InfoString(WTI_DEVICES, DVC_NAME));
}

TEST_F(StandinTest, SettingWhatTheDriverHoldsWritesNothing)
{
    /* Forms the driver would not write itself show any rewrite. */
    const std::string ini = "[Context0]\r\nInOrgX=0x0\r\nSysSensX=1.0\r\n"
                            "[Cursor0]\r\nSysButtonMap=4, 1\r\nActive=01\r\n";
    UseTablet(ini);
    ASSERT_TRUE(Load());
    HMGR mgr = OpenManager();
    HCTX ctx = SystemContext(mgr);
    LOGCONTEXTW lc;
    ASSERT_TRUE(wt.GetW(ctx, &lc));
    ASSERT_TRUE(wt.SetW(ctx, &lc));
    BYTE sys[32] = {4, 1};
    ASSERT_TRUE(wt.MgrCsrButtonMap(mgr, 0, NULL, sys));
    ASSERT_TRUE(wt.MgrCsrEnable(mgr, 0, TRUE));
    /* The panel learns the default map by a reset and puts its own back. */
    ASSERT_TRUE(wt.MgrCsrButtonMap(mgr, 0, NULL, (LPBYTE)WTP_LPDEFAULT));
    EXPECT_EQ(1, InfoBytes(WTI_CURSORS, CSR_SYSBTNMAP)[0]);
    ASSERT_TRUE(wt.MgrCsrButtonMap(mgr, 0, NULL, sys));
    PumpMessages(50);
    EXPECT_EQ(ini, TabletText());

    lc.lcInOrgX = 5;
    ASSERT_TRUE(wt.SetW(ctx, &lc));
    std::string text = TabletText();
    EXPECT_NE(std::string::npos, text.find("InOrgX=5"));
    EXPECT_NE(std::string::npos, text.find("SysSensX=1.0")) << "an unchanged key stays as written";

    /* A reset that stays is written once the thread takes its messages. */
    ASSERT_TRUE(wt.MgrCsrButtonMap(mgr, 0, NULL, (LPBYTE)WTP_LPDEFAULT));
    EXPECT_TRUE(PumpUntil(
        [&] { return TabletText().find("SysButtonMap=0x01,0x04") != std::string::npos; }, 2000));
}

/* Points the driver's import of a system function at a test's own; returns
   what it held. */
static void *PatchDriverImport(HMODULE driver, const char *function, void *to)
{
    BYTE *base = (BYTE *)driver;
    IMAGE_NT_HEADERS *nt = (IMAGE_NT_HEADERS *)(base + ((IMAGE_DOS_HEADER *)base)->e_lfanew);
    DWORD rva = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    for (IMAGE_IMPORT_DESCRIPTOR *d = (IMAGE_IMPORT_DESCRIPTOR *)(base + rva); d->Name; d++) {
        IMAGE_THUNK_DATA *name = (IMAGE_THUNK_DATA *)(base + d->OriginalFirstThunk);
        IMAGE_THUNK_DATA *slot = (IMAGE_THUNK_DATA *)(base + d->FirstThunk);
        for (; name->u1.AddressOfData; name++, slot++)
            if (!IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal) &&
                lstrcmpA((const char *)((IMAGE_IMPORT_BY_NAME *)(base + name->u1.AddressOfData))
                             ->Name,
                         function) == 0)
                return RedirectImport((void **)&slot->u1.Function, to);
    }
    return NULL;
}

/* A disk that fills up: a write gets half of its bytes, then the error. */
static BOOL WINAPI FullDisk(HANDLE file, LPCVOID data, DWORD size, LPDWORD written,
                            LPOVERLAPPED overlapped)
{
    WriteFile(file, data, size / 2, written, overlapped);
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
}

/* A conversion to the file's code page that fails. */
static int WINAPI NoConversion(UINT, DWORD, LPCWCH, int, LPSTR, int, LPCCH, LPBOOL)
{
    SetLastError(ERROR_NO_UNICODE_TRANSLATION);
    return 0;
}

/* A write that cannot be made whole leaves the description as it was and
   says so in the log; the driver keeps the setting, and the next write that
   can be made takes it too. A write killed between its renames is found
   again at the next load. */
TEST_F(StandinTest, DescriptionIsNeverLeftCut)
{
    const std::string ini = "; the person's tablet\r\n[Device0]\r\nName=Kept\r\n\r\n"
                            "[Context0]\r\nInOrgX=0\r\n";
    struct {
        const char *what;
        void (*before)(const std::wstring &path); /* the load */
        const char *import; /* a call of the driver's that fails during the write */
        void *failing;
        bool written; /* else said in the log */
    } cases[] = {
        {"a full disk", NULL, "WriteFile", (void *)FullDisk, false},
        {"a text that cannot be converted", NULL, "WideCharToMultiByte", (void *)NoConversion,
         false},
        {"a read-only description",
         [](const std::wstring &path) { SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY); },
         NULL, NULL, false},
        {"a write killed between its renames",
         [](const std::wstring &path) { MoveFileW(path.c_str(), (path + L".old").c_str()); },
         NULL, NULL, true},
    };
    UseLog();
    for (auto &c : cases) {
        SCOPED_TRACE(c.what);
        UseTablet(ini);
        if (c.before)
            c.before(tabletPath);
        ASSERT_TRUE(Load());
        EXPECT_EQ(L"Kept", InfoString(WTI_DEVICES, DVC_NAME));
        HCTX ctx = SystemContext(OpenManager());
        LOGCONTEXTW lc;
        ASSERT_TRUE(wt.GetW(ctx, &lc));
        lc.lcInOrgX = 5;
        void *real = c.import ? PatchDriverImport(wt.module, c.import, c.failing) : NULL;
        EXPECT_TRUE(wt.SetW(ctx, &lc));
        if (real)
            PatchDriverImport(wt.module, c.import, real);

        const std::string edited = ini.substr(0, ini.size() - 3) + "5\r\n";
        EXPECT_EQ(c.written ? edited : ini, TabletText());
        EXPECT_EQ(!c.written, ReadFileBytes(logPath).find("description not written") !=
                                  std::string::npos);
        EXPECT_FALSE(FileExists(tabletPath + L".new") || FileExists(tabletPath + L".old"));
        /* The next write that can be made takes what a failed one missed;
           the comment and the blank line stay. */
        SetFileAttributesW(tabletPath.c_str(), FILE_ATTRIBUTE_NORMAL);
        lc.lcInOrgY = 7;
        EXPECT_TRUE(wt.SetW(ctx, &lc));
        EXPECT_EQ(edited + "InOrgY=7\r\n", TabletText());
        Unload();
        DeleteFileW(logPath.c_str());
    }
}

TEST_F(StandinTest, BuiltinTabletForgetsChanges)
{
    ASSERT_TRUE(Load());
    HMGR mgr = OpenManager();
    BYTE sys[32] = {9, 9};
    ASSERT_TRUE(wt.MgrCsrButtonMap(mgr, 0, NULL, sys));
    Unload();
    ASSERT_TRUE(Load());
    EXPECT_EQ(1, InfoBytes(WTI_CURSORS, CSR_SYSBTNMAP)[0]);
    EXPECT_FALSE(FileExists(JoinPath(dir, L"wintab32.ini")));
}

TEST_F(StandinTest, InfoChangeGoesToManagersAndMessageContexts)
{
    ASSERT_TRUE(Load());
    HWND mgrWindow = Window();
    HMGR mgr = wt.MgrOpen(mgrWindow, 0x7000);
    HCTX ctx = OpenDigitizing(0x1E0, CXO_MESSAGES);
    HCTX quiet = OpenDigitizing(0x1E0, 0);
    ASSERT_TRUE(mgr && ctx && quiet);
    HWND owner = windows[windows.size() - 2], quietOwner = windows.back();

    BYTE sys[32] = {4, 1};
    ASSERT_TRUE(wt.MgrCsrButtonMap(mgr, 0, NULL, sys));
    MSG msg;
    ASSERT_TRUE(TakeWintabMessage(mgrWindow, WT_INFOCHANGE(0x7000), &msg));
    EXPECT_EQ((WPARAM)mgr, msg.wParam);
    EXPECT_EQ(MAKELPARAM(WTI_CURSORS + 0, CSR_SYSBTNMAP), msg.lParam);
    ASSERT_TRUE(TakeWintabMessage(owner, WT_INFOCHANGE(WT_DEFBASE), &msg));
    EXPECT_EQ(MAKELPARAM(WTI_CURSORS + 0, CSR_SYSBTNMAP), msg.lParam);
    EXPECT_FALSE(TakeWintabMessage(quietOwner, WT_INFOCHANGE(WT_DEFBASE), &msg));
    EXPECT_FALSE(TakeWintabMessage(owner, WT_INFOCHANGE(WT_DEFBASE), &msg));

    /* The same map again changes nothing and says nothing. */
    wt.MgrCsrButtonMap(mgr, 0, NULL, sys);
    EXPECT_FALSE(TakeWintabMessage(mgrWindow, WT_INFOCHANGE(0x7000), &msg));

    wt.MgrCsrEnable(mgr, 1, TRUE);
    ASSERT_TRUE(TakeWintabMessage(mgrWindow, WT_INFOCHANGE(0x7000), &msg));
    EXPECT_EQ(MAKELPARAM(WTI_CURSORS + 1, CSR_ACTIVE), msg.lParam);

    LOGCONTEXTW lc;
    HCTX system = SystemContext(mgr);
    wt.GetW(system, &lc);
    wt.SetW(system, &lc);
    ASSERT_TRUE(TakeWintabMessage(mgrWindow, WT_INFOCHANGE(0x7000), &msg));
    EXPECT_EQ((WPARAM)mgr, msg.wParam);
    EXPECT_EQ(MAKELPARAM(WTI_DSCTXS + 0, 0), msg.lParam);
    /* A program's own digitizing context is no driver setting. */
    wt.GetW(ctx, &lc);
    wt.SetW(ctx, &lc);
    EXPECT_FALSE(TakeWintabMessage(mgrWindow, WT_INFOCHANGE(0x7000), &msg));
}

TEST_F(StandinTest, CallLogLines)
{
    UseLog();
    ASSERT_TRUE(Load());
    HWND w = Window();
    wt.InfoW(0, 0, NULL);
    HMGR mgr = wt.MgrOpen(w, WT_DEFBASE);
    BYTE map[32] = {1, 4};
    UINT mode;
    wt.InfoW(WTI_DEVICES, DVC_PKTMODE, &mode);
    wt.MgrCsrButtonMap(mgr, 0, NULL, map);
    wt.MgrDefContext(mgr, TRUE);
    wt.MgrClose(mgr);
    wt.InfoW(WTI_DEVICES + 7, DVC_NAME, NULL);

    std::string hwnd = Hex(w), hmgr = Hex(mgr);
    /* Readable while the library is loaded. */
    EXPECT_EQ(8u, LogLines().size());
    Unload();

    std::vector<std::string> expected = {"load",
                                         "WTInfoW(0, 0, NULL) = 212",
                                         "WTMgrOpen(" + hwnd + ", 32752) = " + hmgr,
                                         "WTInfoW(100, 7, ptr) = 4",
                                         "WTMgrCsrButtonMap(" + hmgr + ", 0, NULL, ptr) = 1",
                                         "WTMgrDefContext(" + hmgr + ", 1) = 0x",
                                         "WTMgrClose(" + hmgr + ") = 1",
                                         "WTInfoW(107, 1, NULL) = 0",
                                         "unload"};
    std::vector<std::string> lines = LogLines();
    ASSERT_EQ(expected.size(), lines.size());
    for (size_t i = 0; i < lines.size(); i++)
        EXPECT_EQ(0u, lines[i].find(expected[i])) << lines[i];
    EXPECT_GT(lines[5].size(), expected[5].size());
}
