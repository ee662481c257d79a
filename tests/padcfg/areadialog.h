/*
 * The tracking-area control in a dialog of the test's own: the Setup
 * template, whose procedure answers the control's notifications as the Setup
 * dialog does (the rectangle read with WM_USER and written back, the prompts
 * 10 to 13 on the status line) and records them.
 */
#ifndef AREADIALOG_H
#define AREADIALOG_H

#include "panel.h"

typedef std::vector<LONG> Area; /* left, top, right, bottom */
static const LONG W = 11999;    /* the built-in tablet: 0 to 11999 on both axes */
static const Area kWhole = {0, 0, W, W}, kStart = {1000, 2000, 5000, 6000};

/* What the dialog saw: every code, and the rectangle it took at each 0x21. */
extern std::vector<int> g_codes;
extern std::vector<Area> g_taken;

/* Shows the dialog (titled "Tablet Setup", the area at kStart) until it ends. */
void OpenAreaDialog();
Area Current(HWND area);
/* Tab from the last edit field into the control, as a person does. */
void TabIntoArea(HWND dlg);

#endif
