/*
 * The entry point of a program that runs without the C runtime: the first
 * release of Windows 95 has no C runtime DLL, so the installers, and the
 * control panel they install, must start with nothing but the system
 * libraries. It does what the C runtime's start-up would for a GUI program
 * with WinMain, and no more.
 */
#include <windows.h>

/* The linker gathers the static constructors here: a -1, the functions, a 0. */
typedef void (*Constructor)(void);
extern "C" Constructor __CTOR_LIST__[];

/* The command line without the program's name (quoted or not) and the
   blanks after it, as WinMain receives it. */
static LPSTR CommandTail(LPSTR p)
{
    BOOL quoted = FALSE;
    while (*p && (quoted || (unsigned char)*p > ' ')) {
        if (*p == '"')
            quoted = !quoted;
        p++;
    }
    while (*p && (unsigned char)*p <= ' ')
        p++;
    return p;
}

/* GCC keeps the stack 16-byte aligned and relies on it; the loader starts a
   32-bit program with an alignment of 4 only. */
#ifdef __i386__
#define ALIGN_STACK __attribute__((force_align_arg_pointer))
#else
#define ALIGN_STACK
#endif

extern "C" ALIGN_STACK void NoCrtStartup(void)
{
    /* Our programs keep their state in plain data; should a static object
       with a constructor slip in, it still gets built before WinMain. */
    for (Constructor *ctor = __CTOR_LIST__ + 1; *ctor; ctor++)
        (*ctor)();

    STARTUPINFOA si;
    si.cb = sizeof(si);
    GetStartupInfoA(&si);
    int show = (si.dwFlags & STARTF_USESHOWWINDOW) ? si.wShowWindow : SW_SHOWDEFAULT;
    ExitProcess((UINT)WinMain(GetModuleHandleA(NULL), NULL, CommandTail(GetCommandLineA()), show));
}
