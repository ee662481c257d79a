/*
 * Whether this program can make an icon from its own resources: exit code 0
 * when it can. Under Wine 8's WoW64 a 32-bit program cannot (LoadIconW
 * returns null with error 6), which is why the 32-bit panel stops at its
 * first tile there; ctest expects this to fail and reports the day it passes.
 */
#include <windows.h>

#include <stdio.h>

int main()
{
    HICON icon = LoadIconW(GetModuleHandleW(NULL), MAKEINTRESOURCEW(1));
    DWORD error = GetLastError();
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    printf("WoW64 %d, LoadIconW %s (error %lu)\n", wow64, icon ? "made the icon" : "failed",
           icon ? 0ul : (unsigned long)error);
    return icon ? 0 : 1;
}
