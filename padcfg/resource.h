/* Resource ids of the tablet control panel. */
#ifndef PADCFG_RESOURCE_H
#define PADCFG_RESOURCE_H

/* Menu and icons. */
#define IDM_MAIN 1
#define IDI_PADCFG 1
#define IDI_INFOTILE 2
#define IDI_FEATURESTILE 3
#define IDI_SETUPTILE 4

/* Dialog templates. */
#define IDD_ABOUT 1
#define IDD_INFORMATION 2
#define IDD_FEATURES 3
#define IDD_SETUP 4

/* Tiles: each tile's command is its id + 50. */
#define IDT_INFORMATION 51
#define IDT_FEATURES 52
#define IDT_CUSTOMIZATION 53
#define TILE_TO_COMMAND 50

/* Main-window commands. */
#define IDM_INFORMATION 101
#define IDM_TRANSDUCER 102
#define IDM_SETUP 103
#define IDM_EXIT 104
#define IDM_HELP_FIRST 201 /* 201 to 203 are kept for help */
#define IDM_HELP_LAST 203
#define IDM_ABOUT 204

/* Strings. */
#define IDS_CAPTION 1
#define IDS_INFORMATION 2
#define IDS_FEATURES 3
#define IDS_CUSTOMIZATION 4
#define IDS_NO_DRIVER 40
#define IDS_NO_MEMORY 41
#define IDS_UNKNOWN 80
#define IDS_DEVICE_FRAGMENT 100 /* preferred tablet name, in the block 96 to 111 */

#endif
