/*
 * The pen from another process: the pen tool (wtpen.exe) and the virtual
 * tablet (vtablet.exe) run as real processes and move the pen of this test
 * program, which has the stand-in loaded and takes its messages meanwhile.
 * In a prefix of their own, so that no other test's driver gets the pen.
 */
#include "driver.h"
#include "standinpen.h"

struct ToolRun {
    DWORD code = (DWORD)-1;
    std::string out, err;
};

/* Starts a program of the build with its standard handles on files of dir
   (standard input from stdinText), without waiting for it. */
static HANDLE StartTool(const std::wstring &dir, const std::wstring &exe, const std::wstring &args,
                        const std::string &stdinText)
{
    WriteFileBytes(JoinPath(dir, L"stdin.txt"), stdinText);
    SECURITY_ATTRIBUTES sa = {sizeof(sa), NULL, TRUE};
    HANDLE in = CreateFileW(JoinPath(dir, L"stdin.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, &sa,
                            OPEN_EXISTING, 0, NULL);
    HANDLE out = CreateFileW(JoinPath(dir, L"stdout.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                             &sa, CREATE_ALWAYS, 0, NULL);
    HANDLE err = CreateFileW(JoinPath(dir, L"stderr.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                             &sa, CREATE_ALWAYS, 0, NULL);
    STARTUPINFOW si;
    ZeroMemory(&si, sizeof(si));
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = in;
    si.hStdOutput = out;
    si.hStdError = err;
    std::wstring path = JoinPath(BinDir(), exe);
    std::vector<wchar_t> cmd;
    for (wchar_t c : L"\"" + path + L"\" " + args)
        cmd.push_back(c);
    cmd.push_back(0);
    PROCESS_INFORMATION pi = {};
    BOOL ok =
        CreateProcessW(path.c_str(), cmd.data(), NULL, NULL, TRUE, 0, NULL, dir.c_str(), &si, &pi);
    CloseHandle(in);
    CloseHandle(out);
    CloseHandle(err);
    if (!ok)
        return NULL;
    CloseHandle(pi.hThread);
    return pi.hProcess;
}

/* Runs wtpen to its end, taking this thread's messages meanwhile: the tool
   sends to the driver's window on this thread. */
static ToolRun RunPen(const std::wstring &dir, const std::wstring &args,
                      const std::string &stdinText = "")
{
    ToolRun run;
    HANDLE p = StartTool(dir, L"wtpen.exe", args, stdinText);
    if (!p)
        return run;
    PumpUntil([&] { return WaitForSingleObject(p, 0) == WAIT_OBJECT_0; }, 20000);
    GetExitCodeProcess(p, &run.code);
    CloseHandle(p);
    run.out = ReadFileBytes(JoinPath(dir, L"stdout.txt"));
    run.err = ReadFileBytes(JoinPath(dir, L"stderr.txt"));
    return run;
}

TEST_F(StandinTest, PenToolPlaysAScriptIntoThisProcess)
{
    ASSERT_TRUE(Load());
    HCTX ctx = OpenDigitizing(0x1E0, 0);
    ASSERT_TRUE(ctx);
    std::string script = "; a stroke\n"
                         "pen 1000 2000 buttons 1 cursor 1\n"
                         "wait 20\n"
                         "  PEN 3000 4000   # cursor and buttons kept\n"
                         "\n"
                         "pen -5 0x10 buttons 0 cursor 0\r\n";
    WriteFileBytes(JoinPath(dir, L"stroke.txt"), script);
    struct {
        std::wstring args;
        std::string input;
    } runs[] = {{L"stroke.txt", ""}, {L"-", script}, {L"", script}};
    for (auto &r : runs) {
        ToolRun run = RunPen(dir, r.args, r.input);
        EXPECT_EQ(0u, run.code) << run.err;
        EXPECT_EQ("wtpen: 3 pen events to 1 program(s)\n", run.out);
        PointPacket p[4] = {};
        ASSERT_EQ(3, wt.PacketsGet(ctx, 4, p));
        EXPECT_EQ(1u, p[0].cursor);
        EXPECT_EQ(1u, p[0].buttons);
        EXPECT_EQ(1000, p[0].x);
        EXPECT_EQ(11999 - 2000, p[0].y);
        EXPECT_EQ(1u, p[1].cursor);
        EXPECT_EQ(1u, p[1].buttons);
        EXPECT_EQ(3000, p[1].x);
        EXPECT_EQ(0u, p[2].cursor);
        EXPECT_EQ(0u, p[2].buttons);
        EXPECT_EQ(0, p[2].x); /* held at the edge */
        EXPECT_EQ(11999 - 16, p[2].y);
    }
}

TEST_F(StandinTest, PenToolRefusesABadScriptWhole)
{
    ASSERT_TRUE(Load());
    HCTX ctx = OpenDigitizing(0x1E0, 0);
    struct {
        std::string script;
        std::string error; /* after "wtpen: script.txt:" */
    } cases[] = {
        {"pen 1 1\njump 3 4\n", "2: unknown command 'jump'"},
        {"pen 1\n", "1: 'pen' needs the position"},
        {"wait\n", "1: 'wait' needs milliseconds"},
        {"wait -4\n", "1: 'wait' needs milliseconds"},
        {"pen 1 1\n\n; fine\npen 1 1 buttons\n", "4: 'buttons' needs a number"},
        {"pen 1 1 cursor x\n", "1: 'cursor' needs a number"},
        {"pen 1 1 pressure 5\n", "1: unknown word 'pressure'"},
        {"pen 1 1x\n", "1: 'pen' needs the position"},
        {"wait 5 5\n", "1: too many words"},
        {"pen 99999999999 1\n", "1: 'pen' needs the position"},
    };
    for (auto &c : cases) {
        WriteFileBytes(JoinPath(dir, L"script.txt"), c.script);
        ToolRun run = RunPen(dir, L"script.txt");
        EXPECT_EQ(1u, run.code) << c.script;
        EXPECT_EQ(0u, run.err.find("wtpen: script.txt:" + c.error)) << run.err;
        /* Nothing was played. */
        EXPECT_EQ(0, wt.PacketsGet(ctx, 4, NULL)) << c.script;
    }
    ToolRun missing = RunPen(dir, L"nosuch.txt");
    EXPECT_EQ(3u, missing.code);
    EXPECT_EQ("wtpen: cannot read nosuch.txt\n", missing.err);
}

TEST_F(StandinTest, PenToolWithoutAProgram)
{
    /* Loaded and freed again: its window must be gone with it. */
    ASSERT_TRUE(Load());
    wt.InfoW(0, 0, NULL);
    Unload();
    ToolRun run = RunPen(dir, L"-", "pen 1 1\n");
    EXPECT_EQ(2u, run.code);
    EXPECT_EQ("wtpen: no program has the stand-in driver loaded\n", run.err);
    EXPECT_EQ("", run.out);
}

/* A window whose thread takes no messages for 3 s, then ends, taking it along. */
struct Unanswering {
    HWND window;
    HANDLE made;
};

static DWORD WINAPI UnansweringThread(LPVOID p)
{
    Unanswering *u = (Unanswering *)p;
    u->window = CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, NULL, NULL);
    SetEvent(u->made);
    Sleep(3000);
    return 0;
}

/* Any program may name the window a cursor's name is sent to; one that
   never answers must not stop the driver's thread, the panel's own. */
TEST_F(StandinTest, PenWindowGivesUpOnAReplyWindowThatDoesNotAnswer)
{
    ASSERT_TRUE(Load());
    wt.InfoW(0, 0, NULL);
    HWND pen = NULL;
    do
        pen = FindWindowExW(HWND_MESSAGE, pen, STANDIN_PEN_CLASS, NULL);
    while (pen && GetWindowThreadProcessId(pen, NULL) != GetCurrentThreadId());
    ASSERT_TRUE(pen);
    Unanswering u = {NULL, CreateEventW(NULL, TRUE, FALSE, NULL)};
    HANDLE thread = CreateThread(NULL, 0, UnansweringThread, &u, 0, NULL);
    WaitForSingleObject(u.made, 5000);

    DWORD start = GetTickCount();
    EXPECT_EQ(0, SendMessageW(pen, STANDIN_QUERY, MAKEWPARAM(SQ_CSR_NAME, 0), (LPARAM)u.window));
    EXPECT_LT(GetTickCount() - start, 2000u) << "the driver's thread waited for the window";
    WaitForSingleObject(thread, 10000);
    CloseHandle(thread);
    CloseHandle(u.made);
}

/* ---- The virtual tablet ---- */

static COLORREF ScreenPixel(HWND hwnd, int x, int y)
{
    POINT pt = {x, y};
    ClientToScreen(hwnd, &pt);
    HDC dc = GetDC(NULL);
    COLORREF c = GetPixel(dc, pt.x, pt.y);
    ReleaseDC(NULL, dc);
    return c;
}

static INPUT MouseInput(DWORD flags, POINT screen)
{
    INPUT in;
    ZeroMemory(&in, sizeof(in));
    in.type = INPUT_MOUSE;
    in.mi.dx = (screen.x * 65536 + 32768) / GetSystemMetrics(SM_CXSCREEN);
    in.mi.dy = (screen.y * 65536 + 32768) / GetSystemMetrics(SM_CYSCREEN);
    in.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    return in;
}

/* A person's mouse: to the screen point, press there, move on by (dx, dy),
   release. */
static void Drag(POINT at, int dx, int dy, DWORD down, DWORD up)
{
    POINT to = {at.x + dx, at.y + dy};
    INPUT in[4] = {MouseInput(0, at), MouseInput(down, at), MouseInput(0, to), MouseInput(up, to)};
    SendInput(4, in, sizeof(INPUT));
    PumpMessages(300);
}

static void Click(HWND hwnd, int x, int y, DWORD down, DWORD up)
{
    POINT pt = {x, y};
    ClientToScreen(hwnd, &pt);
    Drag(pt, 0, 0, down, up);
}

TEST_F(StandinTest, VirtualTabletMovesThePenWithoutTakingTheFocus)
{
    ASSERT_TRUE(Load());
    HMGR mgr = OpenManager();
    /* The tracking area: the left half of the tablet. */
    LOGCONTEXTW lc;
    HCTX sys = SystemContext(mgr);
    ASSERT_TRUE(wt.GetW(sys, &lc));
    lc.lcInExtX = 6000;
    ASSERT_TRUE(wt.SetW(sys, &lc));
    HCTX ctx = OpenDigitizing(0x1E0, 0);
    ASSERT_TRUE(ctx);

    /* The window a person works in, with the focus in its edit field. */
    HWND main = CreateWindowW(L"STATIC", L"Focus keeper", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20,
                              300, 200, NULL, NULL, NULL, NULL);
    HWND edit = CreateWindowW(L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 10, 200, 24,
                              main, NULL, NULL, NULL);
    windows.push_back(main);
    SetForegroundWindow(main);
    SetFocus(edit);
    PumpMessages(200);
    ASSERT_EQ(main, GetForegroundWindow());
    ASSERT_EQ(edit, GetFocus());

    struct Ender {
        HANDLE process;
        ~Ender()
        {
            /* It keeps this program's output open under Wine: never leave it. */
            if (process && WaitForSingleObject(process, 3000) != WAIT_OBJECT_0)
                TerminateProcess(process, 1);
            if (process)
                CloseHandle(process);
        }
    } tablet = {StartTool(dir, L"vtablet.exe", L"", "")};
    ASSERT_TRUE(tablet.process);
    HWND vt = WaitForWindow(GetProcessId(tablet.process), L"QuoraxVirtualTablet", NULL, 10000);
    ASSERT_TRUE(vt);
    /* It asks this process for the tablet and the area, and shows them. */
    RECT client = ClientRectOf(vt);
    int w = client.right, surface = w - 16;
    EXPECT_TRUE(PumpUntil(
        [&] { return ScreenPixel(vt, 8 + surface / 4, 8 + surface / 2) == RGB(96, 128, 176); },
        5000));
    LONG ex = GetWindowLongW(vt, GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_NOACTIVATE);
    EXPECT_TRUE(ex & WS_EX_TOPMOST);
    EXPECT_EQ(main, GetForegroundWindow()); /* appearing took nothing */

    /* The surface, to scale: a square tablet; the area over its left half. */
    EXPECT_LT(std::abs(client.bottom - w - 2 * (GetSystemMetrics(SM_CYMENU) + 2)), 4);
    EXPECT_EQ(RGB(96, 128, 176), ScreenPixel(vt, 8 + surface / 4, 8 + surface / 2));
    EXPECT_EQ(RGB(60, 60, 64), ScreenPixel(vt, 8 + surface * 3 / 4, 8 + surface / 2));

    Click(vt, 8 + surface / 4, 8 + surface / 4, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    Click(vt, 8 + surface * 3 / 4, 8 + surface * 3 / 4, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
    /* The second tab chooses the puck. */
    Click(vt, w * 3 / 4, client.bottom - 6, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    Click(vt, 8 + surface / 2, 8 + surface / 2, MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP);

    /* Its caption moves it. */
    RECT before, after;
    GetWindowRect(vt, &before);
    POINT caption = {(before.left + before.right) / 2,
                     before.top + GetSystemMetrics(SM_CYSMCAPTION) / 2};
    Drag(caption, -40, 30, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    GetWindowRect(vt, &after);
    EXPECT_EQ(before.left - 40, after.left);
    EXPECT_EQ(before.top + 30, after.top);

    EXPECT_EQ(main, GetForegroundWindow());
    EXPECT_EQ(main, GetActiveWindow());
    EXPECT_EQ(edit, GetFocus());

    /* Every press and release reaches this process's context. */
    std::vector<PointPacket> p, presses;
    PumpUntil(
        [&] {
            PointPacket got[64];
            int n = wt.PacketsGet(ctx, 64, got);
            for (int i = 0; i < n; i++) {
                if (got[i].buttons && (p.empty() || p.back().buttons != got[i].buttons))
                    presses.push_back(got[i]);
                p.push_back(got[i]);
            }
            return presses.size() >= 3 && p.back().buttons == 0;
        },
        5000);
    ASSERT_EQ(3u, presses.size());
    struct {
        DWORD buttons;
        UINT cursor;
        LONG x, y; /* the context counts y from the top */
    } expected[] = {{1, 0, 3000, 3000}, {2, 0, 9000, 9000}, {4, 1, 6000, 6000}};
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(expected[i].buttons, presses[i].buttons) << i;
        EXPECT_EQ(expected[i].cursor, presses[i].cursor) << i;
        EXPECT_NEAR(expected[i].x, presses[i].x, 100) << i;
        EXPECT_NEAR(expected[i].y, presses[i].y, 100) << i;
    }
    EXPECT_EQ(0u, p.back().buttons);

    PostMessageW(vt, WM_CLOSE, 0, 0);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(tablet.process, 5000));
}
