/* Entry point of the tablet control panel. */
#include "padcfg.h"

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nCmdShow)
{
    (void)lpCmdLine;

    if (!InitApplication(hInstance, hPrevInstance))
        return 0;
    if (!InitInstance(hInstance, nCmdShow))
        return 0;

    MSG msg;
    while (GetMessageW(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return (int)msg.wParam;
}
