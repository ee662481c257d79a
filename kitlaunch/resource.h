/* Resource ids and window commands of the Windows NT setup launcher. */
#ifndef KITLAUNCH_RESOURCE_H
#define KITLAUNCH_RESOURCE_H

/* The class name, the window title, the icon and the class menu share this
   name (the program has no menu resource: the class menu loads nothing). */
#define KITLAUNCH_NAME "kitlaunch"

/* Commands the launcher posts to its own hidden window. */
#define IDC_NO_SETUP_DIR 100     /* the NTWINTAB directory is missing */
#define IDC_NO_SETUP_PROGRAM 101 /* SETUP.EXE is missing in it */

/* String table: the box's caption and its two texts. */
#define IDS_MISSING_CAPTION 1
#define IDS_NO_SETUP_DIR 2
#define IDS_NO_SETUP_PROGRAM 3

#endif
