/* Entry point of the tablet control panel, of both builds: nocrt's start-up
   calls it with the command line in ANSI, which the panel does not use. */
#include "padcfg.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow)
{
    (void)lpCmdLine;

    if (!InitApplication(hInstance, hPrevInstance))
        return 0;
    if (!InitInstance(hInstance, nCmdShow))
        return 0;

    MSG msg;
    while (GetMessage(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessage(&msg);
    }
    return (int)msg.wParam;
}
