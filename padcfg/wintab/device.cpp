/*
 * The one tablet device the whole panel works on, chosen once per run: the
 * first absolute device whose name holds the preferred fragment (string 100),
 * else the first absolute device at all, else device 0.
 */
#include "padcfg.h"

#define FRAGMENT_LEN 20

/* Device categories run from WTI_DEVICES up to WTI_CURSORS; a driver that
   answers for every index must not keep the search going for ever. */
#define MAX_DEVICES (WTI_CURSORS - WTI_DEVICES)

/* Whether device n exists and reports X and Y as absolute positions: a device
   that reports relative motion is a mouse, not a tablet. */
static BOOL ReadPacketMode(UINT n, WTPKT *mode)
{
    *mode = 0;
    return WTInfoCopy(WTI_DEVICES + n, DVC_PKTMODE, mode, sizeof(*mode)) != 0;
}

static BOOL DeviceNameHolds(UINT n, const TCHAR *fragment)
{
    TCHAR name[DEVICE_NAME_LEN];

    if (!WTInfoText(WTI_DEVICES + n, DVC_NAME, name, DEVICE_NAME_LEN))
        return FALSE; /* left to the second pass */
    CharUpper(name);
    return FindInText(name, fragment) != NULL;
}

WORD GetTabletDevice(void)
{
    if (g_panel.deviceChosen)
        return g_panel.tabletDevice;
    g_panel.deviceChosen = TRUE; /* a search that finds nothing is not repeated either */

    TCHAR fragment[FRAGMENT_LEN];
    LoadText(IDS_DEVICE_FRAGMENT, fragment, FRAGMENT_LEN);

    for (int pass = 0; pass < 2; pass++) {
        WTPKT mode;
        for (UINT n = 0; n < MAX_DEVICES && ReadPacketMode(n, &mode); n++) {
            if (mode & (PK_X | PK_Y))
                continue;
            if (pass == 1 || DeviceNameHolds(n, fragment)) {
                g_panel.tabletDevice = (WORD)n;
                return g_panel.tabletDevice;
            }
        }
    }
    return g_panel.tabletDevice;
}
