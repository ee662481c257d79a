#include "areadialog.h"
#include "dialogdriver.h"

#include <gtest/gtest.h>

std::vector<int> g_codes;
std::vector<Area> g_taken;

Area Current(HWND area)
{
    LONG r[4];
    SendMessageW(area, CM_READ, 0, (LPARAM)r);
    return Area(r, r + 4);
}

static INT_PTR CALLBACK AreaDialogProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM)
{
    HWND area = GetDlgItem(dlg, IDC_AREA);
    if (msg == WM_INITDIALOG)
        SendMessageW(area, CM_WRITE, 0, (LPARAM)kStart.data());
    if (msg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL))
        EndDialog(dlg, 0);
    if (msg != WM_COMMAND || LOWORD(wParam) != IDC_AREA)
        return msg == WM_INITDIALOG || msg == WM_COMMAND;

    int code = HIWORD(wParam);
    g_codes.push_back(code);
    if (code == SAN_WHOLE || code == SAN_CHANGED) {
        Area a = Current(area);
        SendMessageW(area, CM_WRITE, 0, (LPARAM)a.data());
        if (code == SAN_CHANGED)
            g_taken.push_back(a);
    }
    /* 0x22 to 0x24 show strings 10 to 12, 0x28 string 13, 0x25 and 0x27 a blank. */
    WCHAR line[80] = L" ";
    UINT text = code == SAN_OUT_OF_RANGE ? IDS_OUT_OF_RANGE
                : code >= SAN_FIRST_DUE && code <= SAN_DEFINED
                    ? IDS_FIRST_CORNER + (code - SAN_FIRST_DUE)
                    : 0;
    if (text)
        LoadStringW(GetModuleHandleW(NULL), text, line, 80);
    if (text || code == SAN_CANCELLED || code == SAN_FOCUS_LEFT)
        SetDlgItemTextW(dlg, IDC_STATUS, line);
    return TRUE;
}

void OpenAreaDialog()
{
    HINSTANCE hInstance = GetModuleHandleW(NULL);
    g_codes.clear();
    g_taken.clear();
    ASSERT_TRUE(RegisterSetAreaClass(hInstance) && RegisterTweakClass(hInstance));
    DialogBoxParamW(hInstance, MAKEINTRESOURCEW(IDD_SETUP), NULL, AreaDialogProc, 0);
}

void TabIntoArea(HWND dlg)
{
    SendMessageW(dlg, WM_NEXTDLGCTL, (WPARAM)GetDlgItem(dlg, IDC_BOTTOM), TRUE);
    PressKey(dlg, VK_TAB);
    ASSERT_EQ(IDC_AREA, FocusId(dlg));
}
