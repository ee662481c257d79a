/*
 * wtpen: moves the pen of every program that has the stand-in driver
 * loaded, from a script of pen events.
 *
 *   wtpen [SCRIPT]      SCRIPT, or standard input when it is "-" or left out
 *
 * Script, one command a line; ';' or '#' starts a comment:
 *
 *   pen X Y [buttons B] [cursor C]   one pen event at tablet counts X, Y (y upward
 *                                    from the lower-left corner); buttons (bit n =
 *                                    button n down) and cursor (absolute number)
 *                                    keep their last value when left out (first 0)
 *   wait MS                          a pause of MS milliseconds
 *
 * The whole script is checked before the first event goes out. Exit codes:
 * 0 played, 1 a bad line (file:line: what), 2 no program has the driver
 * loaded, 3 the script cannot be read.
 */
#include "standinpen.h"

#include <stdlib.h>
#include <string.h>

enum { EXIT_PLAYED = 0, EXIT_BADLINE = 1, EXIT_NOPROGRAM = 2, EXIT_NOSCRIPT = 3 };

#define MAX_WAIT 3600000  /* ms: an hour is surely a typing error */
#define SEND_TIMEOUT 5000 /* ms a program may take to answer one event */

enum CommandKind { CMD_PEN, CMD_WAIT };

struct Command {
    CommandKind kind;
    int line;
    StandinPenData pen; /* CMD_PEN */
    DWORD ms;           /* CMD_WAIT */
};

static void Print(DWORD handle, const char *text)
{
    DWORD written;
    WriteFile(GetStdHandle(handle), text, (DWORD)lstrlenA(text), &written, NULL);
}

/* The whole script as one NUL-terminated text, or NULL. */
static char *ReadScript(const char *path)
{
    HANDLE h = GetStdHandle(STD_INPUT_HANDLE);
    BOOL fromFile = path && lstrcmpA(path, "-") != 0;
    if (fromFile)
        h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (h == INVALID_HANDLE_VALUE || h == NULL)
        return NULL;
    size_t used = 0, room = 4096;
    char *text = (char *)malloc(room + 1);
    DWORD got;
    while (text && ReadFile(h, text + used, (DWORD)(room - used), &got, NULL) && got) {
        used += got;
        if (used == room) {
            room *= 2;
            text = (char *)realloc(text, room + 1);
        }
    }
    if (fromFile)
        CloseHandle(h);
    if (text)
        text[used] = 0;
    return text;
}

/* The next blank-separated word of *p (cut in place), or NULL at the end. */
static char *NextWord(char **p)
{
    char *s = *p;
    while (*s == ' ' || *s == '\t')
        s++;
    if (!*s)
        return NULL;
    char *word = s;
    while (*s && *s != ' ' && *s != '\t')
        s++;
    if (*s)
        *s++ = 0;
    *p = s;
    return word;
}

/* A whole word of decimal or 0x hex digits, optionally negative. */
static BOOL ParseNumber(const char *word, LONGLONG *out)
{
    if (!word)
        return FALSE;
    BOOL negative = *word == '-';
    const char *p = word + (negative || *word == '+');
    int base = 10;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        base = 16;
        p += 2;
    }
    if (!*p)
        return FALSE;
    LONGLONG v = 0;
    for (; *p; p++) {
        char lower = (char)(*p | 0x20);
        int digit = -1;
        if (*p >= '0' && *p <= '9')
            digit = *p - '0';
        else if (base == 16 && lower >= 'a' && lower <= 'f')
            digit = lower - 'a' + 10;
        if (digit < 0 || v > 0xFFFFFFFFLL)
            return FALSE;
        v = v * base + digit;
    }
    *out = negative ? -v : v;
    return TRUE;
}

static BOOL InRange(LONGLONG v, LONGLONG lo, LONGLONG hi)
{
    return v >= lo && v <= hi;
}

/* Parses one line into *cmd; returns FALSE with the reason in why. An empty
   line leaves *any FALSE. */
static BOOL ParseLine(char *line, StandinPenData *state, Command *cmd, BOOL *any, char *why)
{
    for (char *c = line; *c; c++) {
        if (*c == ';' || *c == '#' || *c == '\r') {
            *c = 0;
            break;
        }
    }
    char *p = line;
    char *verb = NextWord(&p);
    *any = verb != NULL;
    if (!verb)
        return TRUE;
    LONGLONG x, y, v;
    if (lstrcmpiA(verb, "wait") == 0) {
        if (!ParseNumber(NextWord(&p), &v) || !InRange(v, 0, MAX_WAIT)) {
            wsprintfA(why, "'wait' needs milliseconds from 0 to %d", MAX_WAIT);
            return FALSE;
        }
        cmd->kind = CMD_WAIT;
        cmd->ms = (DWORD)v;
    } else if (lstrcmpiA(verb, "pen") == 0) {
        if (!ParseNumber(NextWord(&p), &x) || !ParseNumber(NextWord(&p), &y) ||
            !InRange(x, -0x7FFFFFFFLL, 0x7FFFFFFF) || !InRange(y, -0x7FFFFFFFLL, 0x7FFFFFFF)) {
            lstrcpyA(why, "'pen' needs the position: pen X Y [buttons B] [cursor C]");
            return FALSE;
        }
        state->x = (LONG)x;
        state->y = (LONG)y;
        char *name;
        while ((name = NextWord(&p)) != NULL) {
            BOOL buttons = lstrcmpiA(name, "buttons") == 0;
            if (!buttons && lstrcmpiA(name, "cursor") != 0) {
                wsprintfA(why, "unknown word '%.40s' (buttons or cursor expected)", name);
                return FALSE;
            }
            if (!ParseNumber(NextWord(&p), &v) || !InRange(v, 0, 0xFFFFFFFFLL)) {
                wsprintfA(why, "'%s' needs a number from 0", name);
                return FALSE;
            }
            if (buttons)
                state->buttons = (DWORD)v;
            else
                state->cursor = (DWORD)v;
        }
        cmd->kind = CMD_PEN;
        cmd->pen = *state;
    } else {
        wsprintfA(why, "unknown command '%.40s' (pen or wait expected)", verb);
        return FALSE;
    }
    if (NextWord(&p)) {
        lstrcpyA(why, "too many words");
        return FALSE;
    }
    return TRUE;
}

/* Every command of the script, or NULL after reporting the bad line. */
static Command *ParseScript(char *text, const char *name, int *count)
{
    int lines = 1;
    for (char *c = text; *c; c++)
        lines += *c == '\n';
    Command *cmds = (Command *)calloc(lines, sizeof(Command));
    StandinPenData state = {0, 0, 0, 0};
    *count = 0;
    char *line = text;
    for (int n = 1; cmds && line; n++) {
        char *next = strchr(line, '\n');
        if (next)
            *next++ = 0;
        char why[200], msg[400];
        BOOL any;
        if (!ParseLine(line, &state, &cmds[*count], &any, why)) {
            wsprintfA(msg, "wtpen: %.200s:%d: %s\n", name, n, why);
            Print(STD_ERROR_HANDLE, msg);
            free(cmds);
            return NULL;
        }
        if (any)
            cmds[(*count)++].line = n;
        line = next;
    }
    return cmds;
}

static int Play(const Command *cmds, int count, const char *name)
{
    int events = 0, programs = 0;
    for (int i = 0; i < count; i++) {
        if (cmds[i].kind == CMD_WAIT) {
            Sleep(cmds[i].ms);
            continue;
        }
        int taken;
        int answered = SendPenEvent(&cmds[i].pen, SEND_TIMEOUT, &taken);
        if (answered == 0) {
            char msg[300];
            wsprintfA(msg, "wtpen: %.200s:%d: no program has the stand-in driver loaded\n", name,
                      cmds[i].line);
            Print(STD_ERROR_HANDLE, msg);
            return EXIT_NOPROGRAM;
        }
        events++;
        if (answered > programs)
            programs = answered;
    }
    char msg[100];
    wsprintfA(msg, "wtpen: %d pen events to %d program(s)\n", events, programs);
    Print(STD_OUTPUT_HANDLE, msg);
    return EXIT_PLAYED;
}

int main(int argc, char **argv)
{
    BOOL help = argc == 2 && (lstrcmpA(argv[1], "-h") == 0 || lstrcmpA(argv[1], "/?") == 0);
    if (argc > 2 || help) {
        Print(help ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE, "usage: wtpen [SCRIPT | -]\n"
                                                           "  pen X Y [buttons B] [cursor C]\n"
                                                           "  wait MS\n");
        return help ? EXIT_PLAYED : EXIT_BADLINE;
    }
    const char *path = argc == 2 ? argv[1] : NULL;
    const char *name = path && lstrcmpA(path, "-") != 0 ? path : "<stdin>";
    char *text = ReadScript(path);
    if (!text) {
        char msg[300];
        wsprintfA(msg, "wtpen: cannot read %.200s\n", name);
        Print(STD_ERROR_HANDLE, msg);
        return EXIT_NOSCRIPT;
    }
    int count;
    Command *cmds = ParseScript(text, name, &count);
    if (!cmds)
        return EXIT_BADLINE;
    if (!FindPenWindow(NULL)) {
        Print(STD_ERROR_HANDLE, "wtpen: no program has the stand-in driver loaded\n");
        return EXIT_NOPROGRAM;
    }
    int code = Play(cmds, count, name);
    free(cmds);
    free(text);
    return code;
}
