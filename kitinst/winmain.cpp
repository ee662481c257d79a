/* Entry point of the Windows 95 driver installer. */
#include "kitinst.h"

#include <commctrl.h>

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow)
{
    (void)lpCmdLine; /* the installer has no options */
    (void)nCmdShow;  /* its main window is never shown */

    if (!hPrevInstance && !RegisterInstallerClass(hInstance))
        return 0;
    if (!CreateInstallerWindow(hInstance))
        return 0;
    /* The copying page's progress bar needs the common controls. */
    InitCommonControls();

    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return (int)msg.wParam;
}
