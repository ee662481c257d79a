/*
 * Resource hygiene of the whole panel: each dialog opened from its menu
 * command and closed a thousand times (the Setup dialog with a pen capture
 * started and ended each time), and the tiles focused and repainted ten
 * thousand times, leave the process's GDI and USER objects where they were.
 *
 * GetGuiResources is what Windows counts, but Wine 8 answers 0. Beside it
 * the test counts what Wine lets it see: the live entries of the GDI handle
 * table the process maps, the window DCs taken and not given back, the
 * windows of the process, the caret, the timers set on the thread or on
 * windows that still exist, and the Tweak and hooked-label tables. DCs and
 * timers are recorded in this program's import slots, through which the
 * panel's code linked in calls.
 *
 * The loops are cheap: each dialog is driven from inside its own modal loop,
 * one step each time the loop runs dry (the WM_ENTERIDLE it sends the main
 * window), so nothing waits on a clock.
 */
#include "panel.h"

#include <gtest/gtest.h>

#include <winternl.h>

#include <functional>
#include <iterator>
#include <ostream>
#include <set>
#include <tuple>

static const int kOpenings = 1000;
static const int kTileMoves = 10000;
/* The first openings fill what Wine keeps for the whole process: its cache
   of window DCs grows to the most a dialog ever used at once, the first
   caret gets a DC of its own, fonts are loaded. */
static const int kWarmUp = 5;
static const LONG W = 11999; /* the built-in tablet: 0 to 11999 on both axes */

/* ---- What is counted ---- */

struct Counts {
    DWORD guiGdi, guiUser; /* GetGuiResources: Windows' own counts */
    int gdi, dcs, windows, carets, timers, tweaks, labels;
};

static auto Tied(const Counts &c)
{
    return std::tie(c.guiGdi, c.guiUser, c.gdi, c.dcs, c.windows, c.carets, c.timers, c.tweaks,
                    c.labels);
}

static bool operator==(const Counts &a, const Counts &b)
{
    return Tied(a) == Tied(b);
}

static void PrintTo(const Counts &c, std::ostream *os)
{
    *os << "GetGuiResources GDI " << c.guiGdi << " USER " << c.guiUser << "; GDI table " << c.gdi
        << ", DCs held " << c.dcs << ", windows " << c.windows << ", carets " << c.carets
        << ", timers " << c.timers << ", Tweaks " << c.tweaks << ", hooked labels " << c.labels;
}

/* An entry of the GDI handle table that the PEB points to (offset 0xF8 on
   x86_64, 0x94 in a 32-bit PEB). Wine keeps one table per process, sets Type while an object
   lives and clears it at deletion; a handle's low 16 bits are its index.
   (Windows shares the table within a session: there GetGuiResources is
   the count.) */
struct GdiEntry {
    ULONGLONG object;
    ULONG owner;
    USHORT unique;
    BYTE type;
    BYTE generation;
    ULONGLONG user;
};
static_assert(sizeof(GdiEntry) == 24, "the table's entry layout");
static const int kGdiEntries = 0x10000;

static const GdiEntry *GdiTable()
{
    typedef NTSTATUS(NTAPI * QueryProcess)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    QueryProcess query = (QueryProcess)(void (*)(void))GetProcAddress(
        GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess");
    PROCESS_BASIC_INFORMATION info;
    ZeroMemory(&info, sizeof(info));
    if (!query || query(GetCurrentProcess(), ProcessBasicInformation, &info, sizeof(info), NULL))
        return NULL;
    const size_t tableOffset = sizeof(void *) == 8 ? 0xF8 : 0x94;
    return *(const GdiEntry *const *)((const BYTE *)info.PebBaseAddress + tableOffset);
}

static int GdiObjects()
{
    const GdiEntry *table = GdiTable();
    if (!table)
        return -1;
    int n = 0;
    for (int i = 0; i < kGdiEntries; i++)
        n += table[i].type != 0;
    return n;
}

static BOOL CALLBACK CountWindow(HWND hwnd, LPARAM lParam)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == GetCurrentProcessId())
        ++*(int *)lParam;
    return TRUE;
}

static BOOL CALLBACK CountWindowTree(HWND hwnd, LPARAM lParam)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == GetCurrentProcessId()) {
        ++*(int *)lParam;
        EnumChildWindows(hwnd, CountWindow, lParam); /* every descendant */
    }
    return TRUE;
}

/* Top-level windows, hidden ones too (a combo box's list), message-only
   windows, and all their children. */
static int WindowsOfThisProcess()
{
    int n = 0;
    EnumWindows(CountWindowTree, (LPARAM)&n);
    for (HWND h = NULL; (h = FindWindowExW(HWND_MESSAGE, h, NULL, NULL)) != NULL;)
        CountWindowTree(h, (LPARAM)&n);
    return n;
}

static int Carets()
{
    GUITHREADINFO gi;
    ZeroMemory(&gi, sizeof(gi));
    gi.cbSize = sizeof(gi);
    GetGUIThreadInfo(GetCurrentThreadId(), &gi);
    return gi.hwndCaret != NULL;
}

/* Timers: no call lists them, so SetTimer and KillTimer of this program
   (the panel's code is linked in) are recorded. A window's timers go with
   the window; a thread's stay until killed. */
DECLARE_IMPORT_SLOT(SetTimer, 16);
DECLARE_IMPORT_SLOT(KillTimer, 8);
static UINT_PTR(WINAPI *s_setTimer)(HWND, UINT_PTR, UINT, TIMERPROC);
static BOOL(WINAPI *s_killTimer)(HWND, UINT_PTR);
static std::set<std::pair<HWND, UINT_PTR>> s_timers;

static UINT_PTR WINAPI RecordSetTimer(HWND hwnd, UINT_PTR id, UINT ms, TIMERPROC proc)
{
    UINT_PTR r = s_setTimer(hwnd, id, ms, proc);
    if (r)
        s_timers.insert({hwnd, hwnd ? id : r});
    return r;
}

static BOOL WINAPI RecordKillTimer(HWND hwnd, UINT_PTR id)
{
    s_timers.erase({hwnd, id});
    return s_killTimer(hwnd, id);
}

static int LiveTimers()
{
    for (auto t = s_timers.begin(); t != s_timers.end();)
        t = t->first && !IsWindow(t->first) ? s_timers.erase(t) : std::next(t);
    return (int)s_timers.size();
}

/* Window DCs: Wine takes a window's DC back when the window goes, so one
   never released leaves no trace in the table; GetDC and ReleaseDC are
   counted instead. */
DECLARE_IMPORT_SLOT(GetDC, 4);
DECLARE_IMPORT_SLOT(ReleaseDC, 8);
static HDC(WINAPI *s_getDC)(HWND);
static int(WINAPI *s_releaseDC)(HWND, HDC);
static int s_heldDCs;

static HDC WINAPI RecordGetDC(HWND hwnd)
{
    HDC dc = s_getDC(hwnd);
    s_heldDCs += dc != NULL;
    return dc;
}

static int WINAPI RecordReleaseDC(HWND hwnd, HDC dc)
{
    int released = s_releaseDC(hwnd, dc);
    s_heldDCs -= released != 0;
    return released;
}

/* The recorders in the import slots, and back. */
static void Record(bool on)
{
    static const struct {
        void **slot;
        void *recorder;
        void **real;
    } slots[] = {
        {&imp_SetTimer, (void *)RecordSetTimer, (void **)&s_setTimer},
        {&imp_KillTimer, (void *)RecordKillTimer, (void **)&s_killTimer},
        {&imp_GetDC, (void *)RecordGetDC, (void **)&s_getDC},
        {&imp_ReleaseDC, (void *)RecordReleaseDC, (void **)&s_releaseDC},
    };
    for (const auto &s : slots) {
        if (on)
            *s.real = RedirectImport(s.slot, s.recorder);
        else
            RedirectImport(s.slot, *s.real);
    }
}

static Counts Measure()
{
    Counts c;
    c.guiGdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    c.guiUser = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    c.gdi = GdiObjects();
    c.dcs = s_heldDCs;
    c.windows = WindowsOfThisProcess();
    c.carets = Carets();
    c.timers = LiveTimers();
    c.tweaks = g_tweakCount;
    c.labels = g_hookedCount;
    return c;
}

/* ---- Dialogs driven from their own loop ---- */

/* step(dlg, k) runs the k-th time the dialog's loop runs dry; it must end
   the dialog within kMaxSteps. */
typedef std::function<void(HWND dlg, int k)> IdleStep;
static const int kMaxSteps = 20;

static const IdleStep *s_step;
static int s_steps;
static std::wstring s_title;
static WNDPROC s_mainProc;

static LRESULT CALLBACK WatchIdle(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_ENTERIDLE && wParam == MSGF_DIALOGBOX && s_step) {
        HWND dlg = (HWND)lParam;
        int k = s_steps++;
        if (k == 0)
            s_title = WindowText(dlg);
        if (k < kMaxSteps)
            (*s_step)(dlg, k);
        else
            EndDialog(dlg, 0); /* a step list that never ends it */
        /* The loop turns again even when the step posted nothing. */
        PostMessageW(dlg, WM_NULL, 0, 0);
        return 0;
    }
    return CallWindowProcW(s_mainProc, hwnd, msg, wParam, lParam);
}

/* Opens a dialog with a menu command; true when the dialog titled title
   showed and the steps ended it. */
static bool OpenAndRun(UINT command, const wchar_t *title, const IdleStep &step)
{
    s_step = &step;
    s_steps = 0;
    s_title.clear();
    SendMessageW(MainWindow(), WM_COMMAND, command, 0);
    s_step = NULL;
    return s_title == title && s_steps <= kMaxSteps;
}

static void PostKey(UINT vk)
{
    HWND focus = GetFocus();
    LPARAM scan = (LPARAM)MapVirtualKeyW(vk, 0) << 16;
    PostMessageW(focus, WM_KEYDOWN, vk, 1 | scan);
    PostMessageW(focus, WM_KEYUP, vk, 1 | scan | 0xC0000000);
}

class Hygiene : public ::testing::Test
{
  protected:
    PenEventProc pen = NULL;

    void SetUp() override
    {
        s_timers.clear();
        s_heldDCs = 0;
        Record(true);
        UseDriver(DRIVER_STANDIN);
        /* An area short of the whole tablet, so that the tracking-area
           control is enabled. */
        UseTablet("[Context0]\r\nInOrgX=1000\r\nInExtX=5000\r\n");
        HWND main = StartPanel();
        ASSERT_NE((HWND)NULL, main);
        s_mainProc = (WNDPROC)SetWindowLongPtrW(main, GWLP_WNDPROC, (LONG_PTR)WatchIdle);
        pen = StandinPen();
        ASSERT_NE(nullptr, pen);
    }
    void TearDown() override
    {
        StopPanel();
        Record(false);
    }
};

TEST_F(Hygiene, TheMeasuresSeeWhatTheyCount)
{
    /* Once over first: Wine makes a DC, a region and a surface for the
       thread's first caret and keeps them. */
    for (int pass = 0; pass < 2; pass++) {
        Counts before = Measure();
        HBRUSH brushes[100];
        for (HBRUSH &b : brushes)
            b = CreateSolidBrush(RGB(1, 2, 3));
        EXPECT_EQ(before.gdi + 100, Measure().gdi);
        for (HBRUSH b : brushes)
            DeleteObject(b);

        HWND top =
            CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
        HWND child =
            CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 5, 5, top, NULL, NULL, NULL);
        CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 5, 5, child, NULL, NULL, NULL);
        HWND message =
            CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, NULL, NULL);
        CreateCaret(top, NULL, 2, 10);
        SetTimer(top, 7, 10000, NULL);
        UINT_PTR threadTimer = SetTimer(NULL, 0, 10000, NULL);
        HDC dc = GetDC(top);
        Counts during = Measure();
        ReleaseDC(top, dc);
        EXPECT_EQ(before.dcs + 1, during.dcs);
        EXPECT_EQ(before.windows + 4, during.windows);
        EXPECT_EQ(1, during.carets);
        EXPECT_EQ(before.timers + 2, during.timers);

        KillTimer(NULL, threadTimer);
        DestroyCaret();
        DestroyWindow(message);
        DestroyWindow(top); /* its timer goes with it */
        if (pass == 1) {
            EXPECT_EQ(before, Measure());
        }
    }
}

TEST_F(Hygiene, EveryDialogOpenedAThousandTimesLeavesTheCountsWhereTheyWere)
{
    int started = 0, ended = 0;
    const UINT blinkTime = GetCaretBlinkTime();
    const UINT contexts = OpenContexts(); /* the pointing context is not among them */
    /* Escape and Enter in turn close each dialog: its Cancel, then its OK. */
    auto close = [](int i) { PostKey(i % 2 ? VK_RETURN : VK_ESCAPE); };
    auto simple = [&](int i) { return [&, i](HWND, int) { close(i); }; };
    /* The Setup dialog: the width's arrows clicked up and down (a press
       takes the mouse, starts the repeat and draws the arrow pressed), then
       the tracking-area control takes the focus, the pen comes and starts a
       capture, and the capture ends in one of five ways (a key, and again
       after a mouse click resumed it; an area pointed out; Tab; another pen
       button; the dialog closed under it), with Escape and Enter in turn. */
    auto capture = [&](int i) {
        return [&, i](HWND dlg, int k) {
            HWND area = GetDlgItem(dlg, IDC_AREA);
            int way = i % 5, key = i / 5;
            switch (k) {
            case 0: {
                HWND spin = GetDlgItem(dlg, IDC_WIDTH_SPIN);
                for (LONG y : {1L, ClientRectOf(spin).bottom - 2}) {
                    PostMessageW(spin, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, y));
                    PostMessageW(spin, WM_LBUTTONUP, 0, MAKELPARAM(2, y));
                }
                return;
            }
            case 1:
                SendMessageW(dlg, WM_NEXTDLGCTL, (WPARAM)area, TRUE);
                return;
            case 2:
                pen(0, 0, 6000, W - 6000);
                return;
            case 3:
                started += Carets() && GetFocus() == area;
                if (way == 0) {
                    PostKey(VK_SPACE);
                    PostMessageW(area, WM_LBUTTONDOWN, MK_LBUTTON, 0);
                    PostMessageW(area, WM_LBUTTONUP, 0, 0);
                    PostKey(VK_SPACE);
                } else if (way == 1) {
                    for (DWORD b : {0, 1, 0})
                        pen(0, b, 2000, W - 9000);
                    pen(0, 1, 8000, W - 3000);
                    pen(0, 0, 8000, W - 3000);
                } else if (way == 2) {
                    PostKey(VK_TAB);
                } else if (way == 3) {
                    pen(0, 2, 6000, W - 6000);
                    pen(0, 0, 6000, W - 6000);
                } else {
                    close(key);
                }
                return;
            case 4:
                ended += !Carets() && PointerShown();
                close(key);
                return;
            }
        };
    };
    const struct {
        const char *name;
        UINT command;
        const wchar_t *title;
        std::function<IdleStep(int i)> steps;
    } cases[] = {
        {"Information", IDM_INFORMATION, L"Tablet Information", simple},
        {"Setup with a pen capture", IDM_SETUP, L"Tablet Setup", capture},
        {"Features", IDM_TRANSDUCER, L"Features", simple},
        {"About", IDM_ABOUT, L"About Tablet Control Panel...", simple},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        int shown = 0, leftOver = 0;
        auto openings = [&](int n) {
            for (int i = 0; i < n; i++) {
                shown += OpenAndRun(c.command, c.title, c.steps(i));
                leftOver += g_tweakCount || g_hookedCount || OpenContexts() != contexts ||
                            !PointerShown() ||
                            GetCaretBlinkTime() != blinkTime;
            }
        };
        openings(kWarmUp);
        Counts before = Measure();
        started = ended = shown = 0;
        DWORD start = GetTickCount();
        openings(kOpenings);
        DWORD ms = GetTickCount() - start;
        Counts after = Measure();
        EXPECT_EQ(before, after);
        EXPECT_EQ(kOpenings, shown);
        EXPECT_EQ(0, leftOver)
            << "closings that left a Tweak, a hooked label, a pen context, the pointer "
               "hidden or the caret's blink changed";
        if (c.command == IDM_SETUP) {
            EXPECT_EQ(kOpenings, started) << "pen captures started";
            /* The fifth way ends as the dialog closes. */
            EXPECT_EQ(kOpenings * 4 / 5, ended) << "pen captures ended";
        }
        printf("[ hygiene  ] %s: %d openings in %lu ms, %.1f ms each\n"
               "[ hygiene  ]   before: %s\n[ hygiene  ]   after:  %s\n",
               c.name, kOpenings, ms, (double)ms / kOpenings,
               ::testing::PrintToString(before).c_str(), ::testing::PrintToString(after).c_str());
    }
}

TEST_F(Hygiene, TenThousandTileFocusChangesAndRepaintsLeaveTheCountsWhereTheyWere)
{
    HWND main = MainWindow();
    /* Right, right, left, left from the first tile: along the row and back,
       as the arrow keys go; each move repaints the two tiles at once. */
    int turn = 0;
    auto move = [&]() {
        HWND from = GetFocus();
        SendMessageW(from, WM_KEYDOWN, (turn++ / 2) % 2 ? VK_LEFT : VK_RIGHT, 1);
        RedrawWindow(main, NULL, NULL, RDW_UPDATENOW | RDW_ALLCHILDREN);
        return GetFocus() != from;
    };
    ASSERT_EQ(Tile(IDT_INFORMATION), GetFocus());
    for (int i = 0; i < kWarmUp; i++)
        move();
    Counts before = Measure();
    int moved = 0;
    DWORD start = GetTickCount();
    for (int i = 0; i < kTileMoves; i++)
        moved += move();
    DWORD ms = GetTickCount() - start;
    Counts after = Measure();
    EXPECT_EQ(before, after);
    EXPECT_EQ(kTileMoves, moved);
    printf("[ hygiene  ] %d tile focus changes and repaints in %lu ms, %.2f ms each\n"
           "[ hygiene  ]   before: %s\n[ hygiene  ]   after:  %s\n",
           kTileMoves, ms, (double)ms / kTileMoves, ::testing::PrintToString(before).c_str(),
           ::testing::PrintToString(after).c_str());
}
