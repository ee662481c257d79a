/*
 * What the panel's own window classes share: a class registered once per
 * instance, one record per window behind its extra data, the WM_COMMAND
 * notifications they send their parent, and the test of another window's
 * class.
 */
#include "padcfg.h"

#define CLASS_NAME_LEN 20

/* Once for an instance: asked again, the class is there already. */
BOOL RegisterControlClass(HINSTANCE hInstance, HINSTANCE *registeredFor, LPCTSTR name,
                          WNDPROC proc, int classExtra, int windowExtra, int background)
{
    if (*registeredFor == hInstance)
        return TRUE;

    WNDCLASS wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = proc;
    wc.cbClsExtra = classExtra;
    wc.cbWndExtra = windowExtra;
    wc.hInstance = hInstance;
    wc.hCursor = LoadCursor(NULL, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(INT_PTR)(background + 1);
    wc.lpszClassName = name;
    if (!RegisterClass(&wc))
        return FALSE;
    *registeredFor = hInstance;
    return TRUE;
}

void *NewControlRecord(HWND hwnd, SIZE_T size)
{
    void *record = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size);
    if (record)
        SetWindowLongPtr(hwnd, 0, (LONG_PTR)record);
    return record;
}

void FreeControlRecord(HWND hwnd)
{
    void *record = (void *)SetWindowLongPtr(hwnd, 0, 0);
    if (record)
        HeapFree(GetProcessHeap(), 0, record);
}

/* Sent, not posted: the parent has acted on it when the call returns. */
LRESULT NotifyParent(HWND hwnd, WORD code)
{
    HWND parent = (HWND)GetWindowLongPtr(hwnd, GWLP_HWNDPARENT);
    return SendMessage(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), code), (LPARAM)hwnd);
}

BOOL IsWindowOfClass(HWND hwnd, LPCTSTR className)
{
    TCHAR name[CLASS_NAME_LEN];
    if (!IsWindow(hwnd) || !GetClassName(hwnd, name, CLASS_NAME_LEN))
        return FALSE;
    return lstrcmpi(name, className) == 0;
}
