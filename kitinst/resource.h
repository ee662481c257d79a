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
