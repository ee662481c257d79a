/* Resource ids of the Windows 95 driver installer. */
#ifndef KITINST_RESOURCE_H
#define KITINST_RESOURCE_H

/* String table */
#define IDS_CLASSNAME 1
#define IDS_TITLE 2
#define IDS_CLASS_KEY 4
#define IDS_ROOT_KEY 5
#define IDS_SERENUM_KEY 6
#define IDS_KNOWN16_KEY 7
#define IDS_CLASS_DESC 8
#define IDS_DEVICE_DESC 9
#define IDS_MANUFACTURER 10
/* The shell's boxes */
#define IDS_WRONG_SYSTEM_CAPTION 11
#define IDS_WRONG_SYSTEM_TEXT 12
#define IDS_MISSING_CAPTION 13
#define IDS_MISSING_TEXT 14
#define IDS_RESTART_CAPTION 15
#define IDS_RESTART_TEXT 16
/* The copying page's phase captions */
#define IDS_INI_PHASE 17
#define IDS_REGISTRY_PHASE 18
/* The box naming what was not done: its headings, captions and closing
   lines, the words that join a line, the registry steps' names */
#define IDS_REPORT_STEPS 19
#define IDS_REPORT_FILES 20
#define IDS_REPORT_SETTINGS 21
#define IDS_FILES_CAPTION 22
#define IDS_FILES_CLOSING 23
#define IDS_INCOMPLETE_CAPTION 24
#define IDS_INCOMPLETE_CLOSING 25
#define IDS_LINK_TO 26
#define IDS_LINK_IN 27
#define IDS_STEP_CLEANUP 28
#define IDS_STEP_CLASS 29
#define IDS_STEP_DRIVER 30
#define IDS_STEP_DEVICE 31
#define IDS_STEP_KNOWN16 32
/* Strings 4 to this one are checked before anything changes. */
#define IDS_LAST 32

/* Icon and bitmap */
#define IDI_KITINST 101
#define IDBM_LOGO 102

/* DIALOG0: "Initializing setup......" */
#define IDC_INIT_TEXT 300

/* DIALOG1: the welcome page */
#define IDC_NEXT 203
#define IDC_EXIT 204
#define IDC_LOGO 206
#define IDC_WELCOME_TITLE 301
#define IDC_WELCOME_VERSION 302
#define IDC_WELCOME_NOTICE 303
#define IDC_WELCOME_LINE1 304
#define IDC_WELCOME_LINE2 305
#define IDC_WELCOME_LINE3 306

/* DIALOG2: the copying page */
#define IDC_PHASE 307
#define IDC_SOURCE_LABEL 308
#define IDC_SOURCE 309
#define IDC_DEST_LABEL 310
#define IDC_DEST 311

#endif
