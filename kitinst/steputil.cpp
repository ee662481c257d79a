/*
 * What the steps of the copying page share, below them and below the page
 * procedure: the page's progress bar and lines, the pause after each step,
 * and making a file writable before it is replaced or deleted.
 */
#include "kitinst.h"

#include <commctrl.h>

/* Each step is followed by this pause, so that its line can be read. */
#define STEP_PAUSE 1000
/* As wide as any path the line showed before, so that none of it stays. */
#define BLANK_LINE_LEN 250

CopyingPage g_page = {NULL, STEP_PAUSE};

void StepPause(void)
{
    if (g_page.pause)
        Sleep(g_page.pause);
}

void AdvanceBar(int delta)
{
    if (g_page.progress)
        SendMessageA(g_page.progress, PBM_DELTAPOS, (WPARAM)delta, 0);
}

void ShowLine(HWND page, int id, const char *text)
{
    if (page)
        SendDlgItemMessageA(page, id, WM_SETTEXT, 0, (LPARAM)text);
}

void ShowPhase(HWND page, UINT captionId)
{
    if (g_page.progress)
        SendMessageA(g_page.progress, PBM_SETPOS, 0, 0);
    char caption[TEXT_LEN];
    LoadText(g_shell.hInst, captionId, caption, TEXT_LEN);
    ShowLine(page, IDC_PHASE, caption);
    char blank[BLANK_LINE_LEN + 1];
    FillMemory(blank, BLANK_LINE_LEN, ' ');
    blank[BLANK_LINE_LEN] = 0;
    for (int id = IDC_SOURCE_LABEL; id <= IDC_DEST; id++)
        ShowLine(page, id, blank);
}

/* Files copied from a CD carry the read-only attribute, and so do those an
   earlier installation from it left: they could be neither replaced nor
   deleted. Installed files are left writable. */
void MakeWritable(const char *path)
{
    DWORD attrs = GetFileAttributesA(path);
    if (attrs == INVALID_FILE_ATTRIBUTES || !(attrs & FILE_ATTRIBUTE_READONLY))
        return;
    attrs &= ~FILE_ATTRIBUTE_READONLY;
    SetFileAttributesA(path, attrs ? attrs : FILE_ATTRIBUTE_NORMAL);
}
