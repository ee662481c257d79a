/*
 * Resource ids of the stand-in driver's own configuration dialog.
 */
#ifndef STANDIN_RESOURCE_H
#define STANDIN_RESOURCE_H

#define IDD_CONFIG 100
#define IDC_CONFIG_TEXT 101
#define IDC_CONFIG_RESTART 102

#endif
