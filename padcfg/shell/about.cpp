/*
 * The About box, with the driver version found in the device name, and the
 * hook that shows the driver's own configuration dialog in place of the
 * panel's Features dialog, offering to log off when the driver asks for it.
 */
#include "padcfg.h"

/* Logs the user off after the restart prompt; one place, so that tests can
   put a recorder here and no test can end the session. */
BOOL(WINAPI *g_exitWindowsEx)(UINT flags, DWORD reserved) = ExitWindowsEx;
