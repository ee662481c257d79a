/*
 * Enabling and disabling ranges of dialog controls; disabled labels stop
 * answering as labels, so their mnemonics no longer move the focus.
 */
#include "padcfg.h"

struct HookedLabel {
    HWND label;
    WNDPROC ownProc;
};

#define MAX_HOOKED_LABELS 10

static HookedLabel s_hooked[MAX_HOOKED_LABELS];
WORD g_hookedCount;
static WNDPROC s_labelProc; /* DisabledLabelProc, set on the first hook */

static int FindHooked(HWND label)
{
    for (int i = 0; i < g_hookedCount; i++)
        if (s_hooked[i].label == label)
            return i;
    return -1;
}

static LRESULT CALLBACK DisabledLabelProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    int i = FindHooked(hwnd);
    /* Not in the table: answer as the label's class would. */
    WNDPROC own = i >= 0 ? s_hooked[i].ownProc : (WNDPROC)GetClassLongPtr(hwnd, GCLP_WNDPROC);

    switch (msg) {
    case WM_DESTROY:
        if (i >= 0) {
            s_hooked[i] = s_hooked[--g_hookedCount];
            s_hooked[g_hookedCount].label = NULL;
            s_hooked[g_hookedCount].ownProc = NULL;
        }
        SetWindowLongPtr(hwnd, GWLP_WNDPROC, (LONG_PTR)own);
        break;
    case WM_GETDLGCODE:
        /* Not a label while disabled: the dialog manager skips its mnemonic. */
        if (!IsWindowEnabled(hwnd))
            return DefWindowProc(hwnd, msg, wParam, lParam);
        break;
    }
    return CallWindowProc(own, hwnd, msg, wParam, lParam);
}

static void HookStaticLabel(HWND label)
{
    if (g_hookedCount >= MAX_HOOKED_LABELS)
        return; /* it keeps answering as an ordinary label */
    if (!s_labelProc)
        s_labelProc = DisabledLabelProc;
    s_hooked[g_hookedCount].label = label;
    s_hooked[g_hookedCount].ownProc = (WNDPROC)GetWindowLongPtr(label, GWLP_WNDPROC);
    g_hookedCount++;
    SetWindowLongPtr(label, GWLP_WNDPROC, (LONG_PTR)s_labelProc);
}

void EnableControlRange(HWND hDlg, WORD first, WORD last, BOOL enable)
{
    /* A wider counter, so that a range ending at 0xFFFF ends. */
    for (DWORD id = first; id <= last; id++) {
        HWND control = GetDlgItem(hDlg, (int)id);
        if (!control)
            continue;
        /* The table, not the window procedure, says whether a label is
           hooked: a label subclassed again on top of us is still hooked once. */
        if (IsWindowOfClass(control, TEXT("STATIC")) && FindHooked(control) < 0)
            HookStaticLabel(control);
        EnableWindow(control, enable);
    }
}
