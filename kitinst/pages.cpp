/*
 * The first two wizard pages: "Initializing setup......", which runs the
 * source-file check once it is on screen, and the welcome page with the logo
 * on a cyan background.
 */
#include "kitinst.h"

#define WELCOME_COLOUR RGB(0, 255, 255)

/* The welcome page's background brush, made once per page. */
static HBRUSH s_welcomeBrush;

INT_PTR CALLBACK InitPageProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    switch (msg) {
    case WM_INITDIALOG:
        /* Check only after the page has painted, so the user sees it meanwhile. */
        PostMessageA(hDlg, WM_COMMAND, PAGE_RUN_CHECK, 0);
        return FALSE;
    case WM_COMMAND:
        if (LOWORD(wParam) == PAGE_RUN_CHECK) {
            UpdateWindow(hDlg); /* seen while the disk is read */
            EndDialog(hDlg, SourceCheck(hDlg) ? 1 : 0);
            return TRUE;
        }
        return FALSE;
    case WM_CLOSE:
        EndDialog(hDlg, 0);
        return TRUE;
    }
    return FALSE;
}

static HBRUSH WelcomeBrush(void)
{
    if (!s_welcomeBrush)
        s_welcomeBrush = CreateSolidBrush(WELCOME_COLOUR);
    return s_welcomeBrush;
}

static void EndWelcome(HWND hDlg, INT_PTR result)
{
    if (s_welcomeBrush) {
        DeleteObject(s_welcomeBrush);
        s_welcomeBrush = NULL;
    }
    EndDialog(hDlg, result);
}

INT_PTR CALLBACK WelcomePageProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_INITDIALOG:
        SetFocus(GetDlgItem(hDlg, IDC_NEXT));
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_NEXT:
            EndWelcome(hDlg, 1);
            return TRUE;
        case IDC_EXIT:
            EndWelcome(hDlg, 0);
            return TRUE;
        }
        return FALSE;
    case WM_CLOSE:
        EndWelcome(hDlg, 0);
        return TRUE;
    case WM_CTLCOLORDLG:
        return (INT_PTR)WelcomeBrush();
    case WM_CTLCOLORSTATIC: {
        int id = GetDlgCtrlID((HWND)lParam);
        /* The logo keeps its own colours. */
        if (id < IDC_WELCOME_TITLE || id > IDC_WELCOME_LINE3)
            return FALSE;
        SetBkColor((HDC)wParam, WELCOME_COLOUR);
        return (INT_PTR)WelcomeBrush();
    }
    }
    return FALSE;
}
