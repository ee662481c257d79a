/*
 * Start-up benchmark: times, from process creation to its main window shown
 * and the program idle in its message loop, the control panel and a minimal
 * program that shows one empty window, alternately, and prints the medians.
 *
 *   startup.exe <runs> <program.exe> <yardstick.exe>
 */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

struct Found {
    DWORD pid;
    HWND hwnd;
};

static BOOL CALLBACK FindShownWindow(HWND hwnd, LPARAM lParam)
{
    Found *f = (Found *)lParam;
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == f->pid && IsWindowVisible(hwnd)) {
        f->hwnd = hwnd;
        return FALSE;
    }
    return TRUE;
}

/* Milliseconds from CreateProcess to a shown window and an idle program, or -1. */
static double TimeStart(const wchar_t *exe)
{
    wchar_t dir[MAX_PATH];
    wcsncpy(dir, exe, MAX_PATH - 1);
    dir[MAX_PATH - 1] = 0;
    wchar_t *slash = wcsrchr(dir, L'\\');
    if (slash)
        *slash = 0;
    wchar_t cmd[MAX_PATH + 2];
    swprintf(cmd, MAX_PATH + 2, L"\"%ls\"", exe);

    STARTUPINFOW si;
    ZeroMemory(&si, sizeof(si));
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi;
    LARGE_INTEGER freq, t0, t1;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&t0);
    if (!CreateProcessW(exe, cmd, NULL, NULL, FALSE, 0, NULL, slash ? dir : NULL, &si, &pi))
        return -1;

    Found f = {pi.dwProcessId, NULL};
    for (int i = 0; i < 10000 && !f.hwnd; i++) {
        WaitForInputIdle(pi.hProcess, 10000);
        EnumWindows(FindShownWindow, (LPARAM)&f);
        if (!f.hwnd)
            Sleep(1);
    }
    QueryPerformanceCounter(&t1);

    if (f.hwnd)
        PostMessageW(f.hwnd, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0)
        TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return f.hwnd ? (t1.QuadPart - t0.QuadPart) * 1000.0 / freq.QuadPart : -1;
}

static int Compare(const void *a, const void *b)
{
    double x = *(const double *)a, y = *(const double *)b;
    return x < y ? -1 : x > y;
}

int wmain(int argc, wchar_t **argv)
{
    if (argc != 4) {
        fprintf(stderr, "usage: startup.exe <runs> <program.exe> <yardstick.exe>\n");
        return 2;
    }
    int runs = _wtoi(argv[1]);
    if (runs < 1 || runs > 1000)
        return 2;
    double *program = (double *)calloc(runs, sizeof(double));
    double *yardstick = (double *)calloc(runs, sizeof(double));

    /* A window of our own keeps the Wine desktop up between the starts, as a
       user's desktop is; then a few warm-up starts each, and the measured
       starts alternate so that both see the same machine. */
    HWND keeper = CreateWindowExW(0, L"STATIC", L"Start-up benchmark", WS_OVERLAPPED | WS_VISIBLE,
                                  0, 0, 200, 60, NULL, NULL, GetModuleHandleW(NULL), NULL);
    for (int i = 0; i < 3; i++) {
        TimeStart(argv[2]);
        TimeStart(argv[3]);
    }
    for (int i = 0; i < runs; i++) {
        program[i] = TimeStart(argv[2]);
        yardstick[i] = TimeStart(argv[3]);
        if (program[i] < 0 || yardstick[i] < 0) {
            fprintf(stderr, "a start failed\n");
            return 1;
        }
    }
    qsort(program, runs, sizeof(double), Compare);
    qsort(yardstick, runs, sizeof(double), Compare);
    double p = runs % 2 ? program[runs / 2] : (program[runs / 2 - 1] + program[runs / 2]) / 2;
    double y = runs % 2 ? yardstick[runs / 2] : (yardstick[runs / 2 - 1] + yardstick[runs / 2]) / 2;
    printf("runs each:             %d\n", runs);
    printf("control panel median:  %.1f ms (min %.1f, max %.1f)\n", p, program[0],
           program[runs - 1]);
    printf("empty window median:   %.1f ms (min %.1f, max %.1f)\n", y, yardstick[0],
           yardstick[runs - 1]);
    printf("ratio:                 %.2f (limit 1.25)\n", p / y);
    free(program);
    free(yardstick);
    DestroyWindow(keeper);
    return p / y <= 1.25 ? 0 : 1;
}
