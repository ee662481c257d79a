/*
 * How other processes reach the stand-in driver's pen: shared by the driver,
 * the pen tool (wtpen) and the virtual tablet (vtablet).
 *
 * Every program that has the stand-in loaded keeps one hidden message-only
 * window of class STANDIN_PEN_CLASS, made on the thread of its first Wintab
 * call; find them all with FindWindowExW(HWND_MESSAGE, after, class, NULL).
 * The window answers while that thread takes its messages (a program's
 * message loop, or a modal dialog's).
 *
 * Every value crosses as 32 bits, so a 32-bit and a 64-bit program can talk.
 */
#ifndef STANDINPEN_H
#define STANDINPEN_H

#include <windows.h>

#define STANDIN_PEN_CLASS L"QuoraxStandinPen"

/* A pen event: WM_COPYDATA with dwData STANDIN_COPY_PEN and one
   StandinPenData. The driver does what StandinPenEvent does and returns its
   result: the packet's serial number, 0 when no context took it. */
#define STANDIN_COPY_PEN 0x4E455051 /* "QPEN" */

struct StandinPenData {
    DWORD cursor;  /* absolute cursor number */
    DWORD buttons; /* bit n: button n down */
    LONG x;        /* tablet counts, y upward from the lower-left corner */
    LONG y;
};

/* A query: SendMessage(window, STANDIN_QUERY, MAKEWPARAM(item, n), lParam)
   returns one 32-bit value of the driver's present state; n is the device
   (or the cursor for SQ_CSR_*). */
#define STANDIN_QUERY (WM_APP + 0x351)

enum StandinQueryItem {
    SQ_VERSION, /* STANDIN_PEN_VERSION */
    SQ_DEVICES, /* number of devices; 0 without a tablet */
    SQ_PKTMODE, /* DVC_PKTMODE of device n */
    SQ_XMIN,    /* DVC_X and DVC_Y of device n */
    SQ_XMAX,
    SQ_YMIN,
    SQ_YMAX,
    SQ_XRES, /* FIX32 lines per unit */
    SQ_YRES,
    SQ_UNITS,     /* TU_ of the X axis */
    SQ_AREA_ORGX, /* input area of the device's first "Default System" */
    SQ_AREA_ORGY, /* context (its default system context when none is */
    SQ_AREA_EXTX, /* open), y upward from the lower-left corner */
    SQ_AREA_EXTY,
    SQ_FIRSTCSR, /* DVC_FIRSTCSR, DVC_NCSRTYPES of device n */
    SQ_NCSRTYPES,
    SQ_CSR_BUTTONS, /* CSR_BUTTONS of cursor n */
    SQ_CSR_ACTIVE,  /* CSR_ACTIVE of cursor n */
    SQ_CSR_NAME     /* CSR_NAME of cursor n, sent back to the window in lParam
                       (another thread's) as WM_COPYDATA STANDIN_COPY_NAME
                       (NUL-terminated); returns 1 when the window answered
                       it with non-zero within half a second */
};

#define STANDIN_PEN_VERSION 1
#define STANDIN_COPY_NAME 0x4D414E51 /* "QNAM" */

/* penclient.cpp, for the programs that move the pen (not the driver). */

/* The next pen window after `after` (NULL: the first), or NULL. */
HWND FindPenWindow(HWND after);
/* Sends the event to every pen window, waiting at most timeout ms for each;
   returns how many answered, and in *taken how many put it into a context. */
int SendPenEvent(const StandinPenData *pen, UINT timeout, int *taken);

#endif /* STANDINPEN_H */
