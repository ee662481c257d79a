/*
 * What the control panel's in-process tests share: choosing the Wintab
 * library the panel loads (the stand-in driver, its variant with entries
 * missing, or none), describing the stand-in's tablet, reading its call log,
 * and starting and stopping the panel's main window.
 */
#ifndef PANEL_H
#define PANEL_H

#include "winsupport.h"

#include "padcfg.h"

#include <string>
#include <vector>

enum Driver { DRIVER_NONE, DRIVER_STANDIN, DRIVER_PARTIAL };

/* Makes the panel's load of wintab32.dll (from the program's folder, else
   the system folder) take the chosen library, or find none: the test
   program's import slot of the loading call is pointed at a chooser. */
void UseDriver(Driver driver);

/* An answer the stand-in, which keeps its description consistent, never
   gives, put between the panel and the driver until the library unloads:
   a number (value), a failure (value -1), or text written as it stands,
   terminators only where the text has them (its size, or asked when that
   is not 0, is what a size query is told). */
struct Misreport {
    UINT category, index;
    long long value;
    std::wstring text = L"";
    UINT asked = 0;
};
void InstallMisreports(const std::vector<Misreport> &misreports);

/* The stand-in's tablet: an INI description written to a scratch file, or
   its built-in default when text is empty. */
void UseTablet(const std::string &ini);

/* The stand-in loaded afresh on this tablet (UseTablet), without the panel,
   the tablet device to be chosen again; whether the stand-in answers. */
bool LoadStandin(const std::string &ini);

/* The stand-in's call log, started empty. */
void StartCallLog();
std::vector<std::string> CallLog();
/* Index of the first log line starting with prefix, or -1. */
int FindCall(const std::vector<std::string> &log, const std::string &prefix);

/* Whether the Wintab library loaded in this process is the stand-in (either
   variant): Wine's own wintab32 must never answer a test by mistake. */
bool StandinLoaded();

/* The loaded stand-in's pen (x, y in tablet counts, y upward from the
   lower-left corner), or null without the stand-in. */
typedef UINT(WINAPI *PenEventProc)(UINT cursor, DWORD buttons, LONG x, LONG y);
PenEventProc StandinPen();

/* The contexts the driver has open, its own among them: one a program left
   open shows as one more. */
UINT OpenContexts();
/* The context the driver has open for window, or null; window's parent
   hears from the manager this opens to look. */
HCTX ContextOwnedBy(HWND window);

/* Whether the mouse pointer shows. */
bool PointerShown();

/* Puts back what lasts for the whole run of the panel (its record g_panel:
   the chosen tablet device, the display units, ...); runs before every test
   by itself. */
void ResetPanelState();

/* Log-off requests the panel made (the real one is never called in tests). */
extern std::vector<std::pair<UINT, DWORD>> g_logOffs;
/* MessageBeep calls of the panel, counted instead of sounded. */
extern int g_beeps;

/* The driver as the running panel sees it: its open contexts in its order,
   then its default system context; a cursor's map; and everything the
   panel could change (contexts, default, the first two cursors' state). */
std::vector<LOGCONTEXTW> Contexts();
std::vector<BYTE> Map(UINT cursor, UINT index = CSR_SYSBTNMAP);
std::string DriverState();

/* Brings the panel up as its entry point does, without the message loop. */
HWND StartPanel();
/* Closes the panel (if up) and forgets its window classes, so the next
   StartPanel registers and creates afresh. */
void StopPanel();
/* StopPanel, then the panel again on the stand-in with a new description
   (the tablet device chosen afresh). */
HWND RestartPanel(const std::string &ini);
HWND MainWindow();
HWND Tile(int id);
/* The open Setup dialog's record. */
const SetupState *SetupOf(HWND dlg);

#endif
