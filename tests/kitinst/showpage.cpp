/* Shows one page of the installer from kitinst.exe's own resources and keeps
   it on screen until it is closed: the screenshot script uses it for the
   "Initializing setup......" page, which the real run shows only while it
   reads the disk.

       kitinst_showpage <path of kitinst.exe> <template name>
*/
#include <windows.h>

#include <commctrl.h>

static INT_PTR CALLBACK StillPage(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam)
{
    (void)wParam;
    (void)lParam;
    if (msg == WM_CLOSE) {
        DestroyWindow(hDlg);
        PostQuitMessage(0);
        return TRUE;
    }
    return msg == WM_INITDIALOG;
}

int main(int argc, char **argv)
{
    if (argc < 3)
        return 2;
    HMODULE exe = LoadLibraryExA(argv[1], NULL, LOAD_LIBRARY_AS_DATAFILE);
    if (!exe)
        return 1;
    InitCommonControls();
    if (!CreateDialogParamA(exe, argv[2], NULL, StillPage, 0))
        return 1;
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
