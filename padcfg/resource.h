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

/* About box. */
#define IDC_ABOUT_ICON 1 /* shares its id with the OK button, as the template has it */
#define IDC_ABOUT_DRIVER 106

/* Information dialog. */
#define IDC_INFO_ID 51
#define IDC_INFO_FORMAT 52
#define IDC_INFO_CURSOR 53
#define IDC_INFO_UNITS 54
#define IDC_INFO_WIDTH 55
#define IDC_INFO_HEIGHT 56
#define IDC_INFO_XRES 57
#define IDC_INFO_YRES 58

/* Features dialog. */
#define IDC_FEAT_CURSORS 101
#define IDC_FEAT_LABEL 103

/* Setup dialog. */
#define IDC_REVERT 10
#define IDC_RELATIVE 20
#define IDC_ABSOLUTE 21
#define IDC_SENS_LABEL 22
#define IDC_SENS_EDIT 23
#define IDC_SENS_SPIN 24
#define IDC_DEFAULT_BUTTONS 25
#define IDC_BUTTON_LIST 26
#define IDC_ACTION_LIST 27
#define IDC_WHOLE_TABLET 28
#define IDC_KEEP_ASPECT 29
#define IDC_UNITS_LABEL 30
#define IDC_UNITS 31
#define IDC_WIDTH_LABEL 32
#define IDC_WIDTH 33
#define IDC_WIDTH_SPIN 34
#define IDC_HEIGHT_LABEL 35
#define IDC_HEIGHT 36
#define IDC_HEIGHT_SPIN 37
#define IDC_LEFT_LABEL 38
#define IDC_LEFT 39
#define IDC_LEFT_SPIN 40
#define IDC_TOP_LABEL 41
#define IDC_TOP 42
#define IDC_TOP_SPIN 43
#define IDC_RIGHT_LABEL 44
#define IDC_RIGHT 45
#define IDC_RIGHT_SPIN 46
#define IDC_BOTTOM_LABEL 47
#define IDC_BOTTOM 48
#define IDC_BOTTOM_SPIN 49
#define IDC_AREA 50
#define IDC_STATUS 51
#define IDC_TEST 52

/* Strings. */
#define IDS_CAPTION 1
#define IDS_INFORMATION 2
#define IDS_FEATURES 3
#define IDS_CUSTOMIZATION 4
#define IDS_FIRST_CORNER 10
#define IDS_SECOND_CORNER 11
#define IDS_AREA_DEFINED 12
#define IDS_OUT_OF_RANGE 13
#define IDS_NO_DRIVER 40
#define IDS_NO_MEMORY 41
#define IDS_RESTART_TITLE 42 /* the prompt after the driver's own dialog */
#define IDS_RESTART 43
#define IDS_NO_HELP_TITLE 44 /* the commands kept for help */
#define IDS_NO_HELP 45
#define IDS_WARNING 50
#define IDS_WILL_DISABLE 51
#define IDS_MOUSE_COMPLETELY 52
#define IDS_BOTH_BUTTONS 53
#define IDS_LEFT_BUTTON 54
#define IDS_RIGHT_BUTTON 55
#define IDS_ACTION_FIRST 60 /* 60 to 69: the mouse actions, by action code */
#define IDS_INCHES 70
#define IDS_CENTIMETERS 71
#define IDS_INCH_SIGN 72 /* behind a length in inches */
#define IDS_CM_SIGN 73
#define IDS_DPI 74 /* behind a resolution */
#define IDS_DPCM 75
#define IDS_UNKNOWN 80
#define IDS_DEVICE_FRAGMENT 100 /* preferred tablet name, in the block 96 to 111 */

#endif
