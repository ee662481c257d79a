/*
 * The pen from another process: the pen tool (wtpen.exe) runs as a real
 * process and moves the pen of this test program, which has the stand-in
 * loaded and takes its messages meanwhile. In a prefix of its own, so that
 * no other test's driver gets the pen.
 */
#include "driver.h"

struct PointPacket {
    UINT cursor;
    DWORD buttons;
    LONG x, y;
};

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
