/*
 * The sending side of the pen protocol (standinpen.h), shared by the pen
 * tool and the virtual tablet.
 */
#include "standinpen.h"

HWND FindPenWindow(HWND after)
{
    return FindWindowExW(HWND_MESSAGE, after, STANDIN_PEN_CLASS, NULL);
}

/* A program that does not take its messages in time is passed over. */
int SendPenEvent(const StandinPenData *pen, UINT timeout, int *taken)
{
    COPYDATASTRUCT cds;
    cds.dwData = STANDIN_COPY_PEN;
    cds.cbData = sizeof(*pen);
    cds.lpData = (void *)pen;
    int answered = 0;
    *taken = 0;
    for (HWND w = FindPenWindow(NULL); w; w = FindPenWindow(w)) {
        DWORD_PTR serial = 0;
        if (!SendMessageTimeoutW(w, WM_COPYDATA, 0, (LPARAM)&cds, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                                 timeout, &serial))
            continue;
        answered++;
        if (serial)
            (*taken)++;
    }
    return answered;
}
