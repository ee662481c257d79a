/*
 * padcfg_probe: what a person sees of the running control panel, printed from
 * another process of the same Wine desktop, one JSON object a line:
 *
 *   {"thread":...}   the panel's input state: active window, focus, menu mode
 *   {"window":...}   each visible top-level window (the panel's with "panel":
 *                    true), its title, class, screen and client rectangles
 *   {"id":...}       each control of a panel window: id, class, text, enabled
 *                    and visible states, focus, check state, list entries and
 *                    selection, the kind of icon it shows
 *
 *   padcfg_probe            prints once
 *   padcfg_probe --serve    prints once for every line read from standard
 *                           input, each time followed by {"end":true}, until
 *                           the input ends (a runner asks as often as it needs
 *                           without starting a process each time)
 *
 * It only reads: it sends no input and changes nothing.
 */
#include "winsupport.h"

#include <stdio.h>

static const wchar_t kPanelClass[] = L"Tablet Control Panel";

static std::string Utf8(const std::wstring &s)
{
    if (s.empty())
        return "";
    int n = WideCharToMultiByte(CP_UTF8, 0, s.c_str(), (int)s.size(), NULL, 0, NULL, NULL);
    std::string out(n, 0);
    WideCharToMultiByte(CP_UTF8, 0, s.c_str(), (int)s.size(), &out[0], n, NULL, NULL);
    return out;
}

static std::string Quote(const std::wstring &s)
{
    std::string out = "\"";
    for (char c : Utf8(s)) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if ((unsigned char)c < 0x20) {
                char esc[8];
                snprintf(esc, sizeof(esc), "\\u%04x", c);
                out += esc;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

static std::string Handle(HWND h)
{
    char buf[24];
    snprintf(buf, sizeof(buf), "\"0x%llX\"", (unsigned long long)(ULONG_PTR)h);
    return h ? buf : "null";
}

static std::string Rect(const RECT &rc)
{
    char buf[64];
    snprintf(buf, sizeof(buf), "[%ld,%ld,%ld,%ld]", rc.left, rc.top, rc.right, rc.bottom);
    return buf;
}

static const char *Bool(bool b)
{
    return b ? "true" : "false";
}

/* Asks a window of the panel; a panel that hangs makes the answer 0 instead
   of holding the probe. */
static LRESULT Ask(HWND h, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(h, msg, wParam, lParam, SMTO_ABORTIFHUNG, 2000, &result))
        return 0;
    return (LRESULT)result;
}

/* A control's text: GetWindowText would give only the caption stored with a
   window of another process, never what an edit control holds. */
static std::wstring ControlText(HWND h)
{
    int len = (int)Ask(h, WM_GETTEXTLENGTH);
    std::wstring text(len + 1, 0);
    text.resize(Ask(h, WM_GETTEXT, len + 1, (LPARAM)&text[0]));
    return text;
}

/* A combo box's or list box's entries and selection, as its list shows them. */
static std::string ListPart(HWND h, bool combo)
{
    UINT count = combo ? CB_GETCOUNT : LB_GETCOUNT;
    UINT lenMsg = combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN;
    UINT textMsg = combo ? CB_GETLBTEXT : LB_GETTEXT;
    int n = (int)Ask(h, count);
    std::string out = ",\"entries\":[";
    for (int i = 0; i < n; i++) {
        int len = (int)Ask(h, lenMsg, i);
        std::wstring text(len > 0 ? len + 1 : 1, 0);
        text.resize(len > 0 ? Ask(h, textMsg, i, (LPARAM)&text[0]) : 0);
        out += (i ? "," : "") + Quote(text);
    }
    int sel = (int)Ask(h, combo ? CB_GETCURSEL : LB_GETCURSEL);
    return out + "],\"selected\":" + std::to_string(sel);
}

static std::string ControlLine(HWND top, HWND c, HWND focus)
{
    std::wstring cls = ClassOf(c);
    LONG style = GetWindowLongW(c, GWL_STYLE);
    bool icon = _wcsicmp(cls.c_str(), L"Static") == 0 && (style & SS_TYPEMASK) == SS_ICON;
    RECT rc;
    GetWindowRect(c, &rc);
    std::string line =
        "{\"id\":" + std::to_string((int)(short)GetDlgCtrlID(c)) + ",\"in\":" + Handle(top) +
        ",\"class\":" + Quote(cls) + ",\"text\":" + Quote(icon ? L"" : ControlText(c)) +
        ",\"rect\":" + Rect(rc) + ",\"visible\":" + Bool(IsWindowVisible(c)) +
        ",\"enabled\":" + Bool(IsWindowEnabled(c)) + ",\"focus\":" + Bool(c == focus);
    if (_wcsicmp(cls.c_str(), L"Button") == 0) {
        LONG type = style & BS_TYPEMASK;
        if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON ||
            type == BS_AUTORADIOBUTTON || type == BS_3STATE || type == BS_AUTO3STATE)
            line += ",\"checked\":" + std::to_string((int)Ask(c, BM_GETCHECK));
        line += std::string(",\"default\":") + Bool(type == BS_DEFPUSHBUTTON);
    } else if (_wcsicmp(cls.c_str(), L"ComboBox") == 0) {
        line += ListPart(c, true);
    } else if (_wcsicmp(cls.c_str(), L"ListBox") == 0) {
        line += ListPart(c, false);
    } else if (icon) {
        line += ",\"icon\":" + Quote(IconKind(c));
    }
    return line + "}";
}

static BOOL CALLBACK CollectAll(HWND hwnd, LPARAM lParam)
{
    ((std::vector<HWND> *)lParam)->push_back(hwnd);
    return TRUE;
}

static void Dump(void)
{
    HWND main = FindWindowW(kPanelClass, NULL);
    DWORD panelPid = 0;
    DWORD thread = main ? GetWindowThreadProcessId(main, &panelPid) : 0;
    GUITHREADINFO gui;
    ZeroMemory(&gui, sizeof(gui));
    gui.cbSize = sizeof(gui);
    if (thread && GetGUIThreadInfo(thread, &gui))
        printf("{\"thread\":%lu,\"main\":%s,\"active\":%s,\"focus\":%s,\"capture\":%s,"
               "\"menu\":%s,\"foreground\":%s}\n",
               (unsigned long)thread, Handle(main).c_str(), Handle(gui.hwndActive).c_str(),
               Handle(gui.hwndFocus).c_str(), Handle(gui.hwndCapture).c_str(),
               Bool(gui.flags & (GUI_INMENUMODE | GUI_POPUPMENUMODE)),
               Handle(GetForegroundWindow()).c_str());

    std::vector<HWND> tops;
    EnumWindows(CollectAll, (LPARAM)&tops);
    for (HWND top : tops) {
        if (!IsWindowVisible(top))
            continue;
        DWORD pid = 0;
        GetWindowThreadProcessId(top, &pid);
        RECT rc, client;
        GetWindowRect(top, &rc);
        GetClientRect(top, &client);
        MapWindowPoints(top, HWND_DESKTOP, (POINT *)&client, 2);
        bool panel = main && pid == panelPid;
        printf("{\"window\":%s,\"panel\":%s,\"pid\":%lu,\"title\":%s,\"class\":%s,\"rect\":%s,"
               "\"client\":%s,\"enabled\":%s,\"owner\":%s}\n",
               Handle(top).c_str(), Bool(panel), (unsigned long)pid, Quote(WindowText(top)).c_str(),
               Quote(ClassOf(top)).c_str(), Rect(rc).c_str(), Rect(client).c_str(),
               Bool(IsWindowEnabled(top)), Handle(GetWindow(top, GW_OWNER)).c_str());
        if (!panel)
            continue;
        std::vector<HWND> children;
        EnumChildWindows(top, CollectAll, (LPARAM)&children);
        for (HWND c : children)
            printf("%s\n", ControlLine(top, c, gui.hwndFocus).c_str());
    }
}

int main(int argc, char **argv)
{
    bool serve = argc > 1 && strcmp(argv[1], "--serve") == 0;
    if (!serve) {
        Dump();
        return 0;
    }
    char line[256];
    while (fgets(line, sizeof(line), stdin)) {
        Dump();
        printf("{\"end\":true}\n");
        fflush(stdout);
    }
    return 0;
}
