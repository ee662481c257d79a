/*
 * Driving a modal dialog or message box of this thread as a person would:
 * the test starts whatever opens it, and a script runs inside the dialog's
 * own message loop as soon as the dialog is up, typing, choosing and
 * pressing through the same messages a person's keys and clicks send.
 */
#ifndef DIALOGDRIVER_H
#define DIALOGDRIVER_H

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

typedef std::function<void(HWND dlg)> DialogScript;

/* Calls open(), which shows a modal dialog (or message box) on this thread
   and returns when it ends; as soon as a dialog titled title is up, runs
   script(dlg) inside its loop. The script must end the dialog. A dialog that
   does not show within ms, or one the script leaves open, fails the test and
   is closed with Escape (never OK), so no test can hang or accept by mistake.
   Returns true when the dialog showed and the script ended it. */
bool DriveDialog(const wchar_t *title, const std::function<void()> &open,
                 const DialogScript &script, DWORD ms = 10000);

/* What a person does, inside a script. Keys go to the focus window and pass
   through the dialog manager first, as in the dialog's own loop. */
void DialogPump(HWND dlg, DWORD ms);
void PressKey(HWND dlg, UINT vk);
void PressAltKey(HWND dlg, wchar_t letter);       /* Alt + a mnemonic letter */
void Click(HWND dlg, int id);                     /* a mouse click on a button */
void Focus(HWND dlg, int id);                     /* a click into a control, taking the focus */
void Type(HWND dlg, int id, const wchar_t *text); /* click into an edit, select all, type */
void Choose(HWND dlg, int id, int index);         /* pick an entry of a drop-down list */

/* What a person sees. */
std::wstring ItemText(HWND dlg, int id);
std::wstring ChosenText(HWND dlg, int id); /* a list's selected entry */
std::vector<std::wstring> ListEntries(HWND dlg, int id);
bool ItemEnabled(HWND dlg, int id);
bool ItemChecked(HWND dlg, int id);
int FocusId(HWND dlg); /* id of the control with the focus, 0 when none of the dialog's */

#endif
