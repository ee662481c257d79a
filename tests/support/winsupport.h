/*
 * Helpers shared by the test programs: finding and reading windows as a
 * person sees them, pumping messages, starting the real programs and
 * locating the build's files.
 */
#ifndef WINSUPPORT_H
#define WINSUPPORT_H

#include <windows.h>

#include <string>
#include <vector>

/* A variable of the environment as it stands; empty when it is not set. */
std::wstring EnvironmentText(const wchar_t *name);
/* A path that ctest passes in the environment, as Wine sees it (a Unix path
   becomes one on drive Z:); empty when the variable is not set. */
std::wstring PathFromEnvironment(const wchar_t *name);
/* Directory of the running test program, and of the built programs (BUILD_BIN). */
std::wstring TestDir();
std::wstring BinDir();
std::wstring JoinPath(const std::wstring &dir, const std::wstring &name);

/* A fresh empty directory in this program's scratch area under the test directory. */
std::wstring MakeScratchDir(const std::wstring &name);
void RemoveTree(const std::wstring &dir);
bool FileExists(const std::wstring &path);
bool CopyInto(const std::wstring &file, const std::wstring &dir, const std::wstring &newName = L"");
std::string ReadFileBytes(const std::wstring &path);
/* The text in the ANSI code page, as the programs' ANSI calls see it. */
std::string AnsiOf(const std::wstring &s);
bool WriteFileBytes(const std::wstring &path, const std::string &data);

/* Dispatches this thread's messages for about ms milliseconds. */
void PumpMessages(DWORD ms);
/* Dispatches messages until done() is true or ms elapse; returns done(). */
template <typename F> bool PumpUntil(F done, DWORD ms)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (done())
            return true;
        if (GetTickCount() - start >= ms)
            return done();
        PumpMessages(10);
    }
}

std::wstring WindowText(HWND hwnd);
std::wstring ClassOf(HWND hwnd);
RECT ClientRectOf(HWND hwnd);
/* A window's rectangle in its parent's client coordinates. */
RECT RectInParent(HWND hwnd);

/* Top-level windows of a process (visible ones only when visibleOnly). */
std::vector<HWND> WindowsOfProcess(DWORD pid, bool visibleOnly);
/* The first top-level window of the process with that class (null: any) and
   title (null: any), waiting up to ms milliseconds. */
HWND WaitForWindow(DWORD pid, const wchar_t *cls, const wchar_t *title, DWORD ms);

/* A message box as a person reads it. */
struct MessageBoxView {
    HWND hwnd = NULL;
    std::wstring title;
    std::wstring text;
    bool hasErrorIcon = false;
    std::vector<std::wstring> buttons;
};
MessageBoxView ReadMessageBox(HWND box);
/* Whether programs here can show icons and bitmaps from resources: under
   Wine 8's WoW64 a 32-bit program cannot make one, and its message boxes
   show no icon. A box's icon is checked only where it can show. */
bool IconsCanShow();
/* Whether this is a 32-bit program under WoW64 (the i686 build's tests):
   there Wine 8 runs the null graphics driver, which draws nothing and does
   not keep the order of windows on the screen. */
bool RunsUnderWow64();
/* What an icon control shows, told by its colour on the screen: "error",
   "warning", "information", or empty when none of them. */
std::wstring IconKind(HWND icon);
/* Watches, on a thread of its own, for message boxes (dialogs of class
   #32770) of this process while the test's own thread runs one modally. Every
   box is read. A box whose title the test names is answered with its first
   button; any other box is left alone for two seconds, then closed with
   Escape (never a button), so that a test can neither hang on it nor accept
   it by mistake. */
struct BoxWatch {
    HANDLE thread = NULL;
    volatile LONG stop = 0;
    CRITICAL_SECTION lock;
    std::vector<std::wstring> answer;
    std::vector<MessageBoxView> seen;
};
void StartBoxWatch(BoxWatch &watch, const std::vector<std::wstring> &answer = {});
/* Stops watching and returns the boxes seen, in order. */
std::vector<MessageBoxView> StopBoxWatch(BoxWatch &watch);

/* Presses the box's button with this text (as a click would). */
bool PressButton(HWND parent, const wchar_t *text);

struct Process {
    HANDLE process = NULL;
    DWORD pid = 0;
};
/* Starts a program with the given command line and working directory. */
Process StartProcess(const std::wstring &exe, const std::wstring &args = L"",
                     const std::wstring &cwd = L"");
/* Waits for the process to end; returns its exit code, or STILL_ACTIVE after ms. */
DWORD WaitForExit(Process &p, DWORD ms);
void KillProcess(Process &p);
void CloseProcess(Process &p);

/* The import slot through which the product code linked into a test program
   calls a system function. Its symbol differs by target: on i686 a stdcall
   function carries its argument bytes, __imp__MessageBeep@4 beside x86_64's
   __imp_MessageBeep. DECLARE_IMPORT_SLOT(MessageBeep, 4) declares
   imp_MessageBeep for both. */
#ifdef _WIN64
#define IMPORT_SLOT_SYMBOL(name, argBytes) "__imp_" #name
#else
#define IMPORT_SLOT_SYMBOL(name, argBytes) "__imp__" #name "@" #argBytes
#endif
#define DECLARE_IMPORT_SLOT(name, argBytes)                                                        \
    extern "C" void *imp_##name __asm__(IMPORT_SLOT_SYMBOL(name, argBytes))
/* Points an import slot at a function of the test's own; returns what it held. */
void *RedirectImport(void **slot, void *to);

/* Under Wine 8's WoW64 a 32-bit program can neither make an icon from its
   resources nor create a combo box. Where that is so (and only there), this
   program's LoadIconW builds the icon from the resource bits, and its
   dialogs get a combo box kept in a list box (wow64workarounds.cpp).
   Returns whether it had to. */
bool UseWow64Workarounds();

/* Registry helpers for HKEY_CURRENT_USER\Software\Wine settings of the prefix. */
bool SetRegString(HKEY root, const std::wstring &key, const wchar_t *name,
                  const std::wstring &value);
bool DeleteRegTree(HKEY root, const std::wstring &key);

#endif
