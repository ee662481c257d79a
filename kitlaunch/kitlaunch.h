/*
 * Shared declarations of the Windows NT setup launcher: the window and its
 * boxes (main.cpp) and the setup directory's path (setuppath.cpp), which the
 * tests also link.
 */
#ifndef KITLAUNCH_H
#define KITLAUNCH_H

#include <windows.h>

#include "resource.h"

/* setuppath.cpp: the current directory plus NTWINTAB\ into path (MAX_PATH
   characters). FALSE when the current directory cannot be read or the result
   does not fit: no setup directory can be reached from there. */
BOOL BuildSetupPath(char *path);

#endif
