/*
 * The panel against a misbehaving driver. Every row of the table in
 * faults/README.md names a tablet description of that folder (or the
 * stand-in's built-in tablet) and, when it says so, a variant of the stand-in
 * without one library entry. For each row the real panel starts from a
 * folder of its own beside that driver; every dialog is opened as the menu
 * opens it, read as a person reads it, and closed with Escape; then the
 * panel is exited. What each dialog showed must be what the row says, and
 * nothing may crash, hang or show an unprintable character.
 *
 * PANEL=penpanel.exe runs the Windows 95 panel in place of padcfg.exe, the
 * Windows NT one. Under the Japanese locale (LC_CTYPE ja_JP, code page 932)
 * the table of double-byte names runs instead of the faults.
 *
 * FAULT_CASES=name,name runs only those rows; FAULT_SHOTS and
 * FAULT_HEAP_CHECK: below.
 */
#include "standinpen.h"
#include "winsupport.h"

#include <gtest/gtest.h>

#include <set>

static const wchar_t kTitle[] = L"Tablet Control Panel";
static const wchar_t kDot[] = L" \u00B7 ";   /* between the texts of one dialog */
static const wchar_t kArrow[] = L" \u2192 "; /* from one window to the next */
static const DWORD kHangMs = 15000;          /* longer than any step takes on a loaded machine */

enum { INFORMATION, TRANSDUCER, SETUP, ABOUT, VIEWS };
static const UINT kCommands[VIEWS] = {101, 102, 103, 204};
static const char *const kViewNames[VIEWS] = {"Information", "Transducer", "Setup", "About"};

/* ---- The table ---- */

struct FaultCase {
    std::wstring name;
    std::wstring tablet;  /* a description file of the folder; empty: the built-in tablet */
    std::wstring missing; /* the library entry the driver lacks, or empty */
    std::wstring views[VIEWS];
};

static std::wstring FaultsDir()
{
    return PathFromEnvironment(L"FAULTS_DIR");
}

/* The panel under test: padcfg.exe, or penpanel.exe (PANEL). */
static std::wstring PanelExe()
{
    std::wstring panel = EnvironmentText(L"PANEL");
    return panel.empty() ? L"padcfg.exe" : panel;
}

static std::wstring Trim(const std::wstring &s)
{
    size_t a = s.find_first_not_of(L" \t\r"), b = s.find_last_not_of(L" \t\r");
    return a == std::wstring::npos ? L"" : s.substr(a, b - a + 1);
}

static std::wstring WithoutBackticks(std::wstring s)
{
    std::wstring out;
    for (wchar_t c : s)
        if (c != L'`')
            out += c;
    return out;
}

/* The rows of the table whose header starts so ("| Case |"). */
static std::vector<FaultCase> ReadTable(const std::wstring &file, const std::wstring &header)
{
    std::string bytes = ReadFileBytes(file);
    std::wstring text(bytes.size(), L'\0');
    text.resize(MultiByteToWideChar(CP_UTF8, 0, bytes.data(), (int)bytes.size(), &text[0],
                                    (int)text.size()));
    std::vector<FaultCase> rows;
    bool inTable = false;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find(L'\n', at);
        std::wstring line = Trim(text.substr(at, end == std::wstring::npos ? end : end - at));
        at = end == std::wstring::npos ? text.size() : end + 1;
        if (line.compare(0, header.size(), header) == 0) {
            inTable = true;
            continue;
        }
        if (!inTable || line.compare(0, 4, L"|---") == 0)
            continue;
        if (line.empty() || line[0] != L'|')
            break;
        std::vector<std::wstring> cells;
        for (size_t from = 1; from < line.size();) {
            size_t bar = line.find(L'|', from);
            if (bar == std::wstring::npos)
                break;
            cells.push_back(Trim(line.substr(from, bar - from)));
            from = bar + 1;
        }
        if (cells.size() != 2 + VIEWS) {
            ADD_FAILURE() << "a row of the table without " << 2 + VIEWS
                          << " cells: " << AnsiOf(line);
            continue;
        }
        FaultCase c;
        c.name = WithoutBackticks(cells[0]);
        std::wstring tablet = WithoutBackticks(cells[1]);
        size_t without = tablet.find(L" without ");
        if (without != std::wstring::npos) {
            c.missing = Trim(tablet.substr(without + 9));
            tablet = tablet.substr(0, without);
        }
        if (tablet != L"built-in")
            c.tablet = tablet;
        for (int v = 0; v < VIEWS; v++)
            c.views[v] = cells[2 + v];
        rows.push_back(c);
    }
    return rows;
}

static bool Chosen(const std::wstring &name)
{
    std::wstring list = EnvironmentText(L"FAULT_CASES");
    return list.empty() || (L"," + list + L",").find(L"," + name + L",") != std::wstring::npos;
}

/* ---- Reading another process's windows ---- */

/* The first fault of the row that ends it (a hang, a crash), and the
   first unprintable text it showed. */
static std::string s_fault, s_unprintable;

static void Fault(const std::string &what)
{
    if (s_fault.empty())
        s_fault = what;
}

/* A text as the table writes it: a run of eight or more of one character
   as the character, "×" and the count; anything unprintable escaped, and
   reported, since a person would see a box or a break there. */
static std::wstring Shown(const std::wstring &s)
{
    std::wstring out;
    for (size_t i = 0; i < s.size();) {
        size_t run = 1;
        while (i + run < s.size() && s[i + run] == s[i])
            run++;
        wchar_t c = s[i];
        std::wstring one;
        if (c < L' ' || (c >= 0x7F && c < 0xA0) || c == 0xFFFD) {
            wchar_t esc[8];
            wsprintfW(esc,
                      c == L'\r'   ? L"\\r"
                      : c == L'\n' ? L"\\n"
                      : c == L'\t' ? L"\\t"
                                   : L"\\x%02X",
                      (unsigned)c);
            one = esc;
            if (s_unprintable.empty())
                s_unprintable = "an unprintable character in \"" + AnsiOf(s.substr(0, 80)) + "\"";
        } else {
            one = std::wstring(1, c);
        }
        if (run >= 8) {
            wchar_t count[16];
            wsprintfW(count, L"\u00D7%u", (unsigned)run);
            out += one + count;
        } else {
            for (size_t k = 0; k < run; k++)
                out += one;
        }
        i += run;
    }
    return out;
}

static LRESULT Ask(HWND hwnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(hwnd, msg, wParam, lParam, SMTO_NORMAL, kHangMs, &result)) {
        Fault("the panel did not answer a message: it hangs, or has gone");
        return 0;
    }
    return (LRESULT)result;
}

/* A window's whole text, however long. */
static std::wstring TextOf(HWND hwnd)
{
    LRESULT n = Ask(hwnd, WM_GETTEXTLENGTH);
    std::vector<wchar_t> buf(n + 1, 0);
    LRESULT got = Ask(hwnd, WM_GETTEXT, n + 1, (LPARAM)buf.data());
    return Shown(std::wstring(buf.data(), got > 0 ? got : 0));
}

static std::wstring ItemTextOf(HWND dlg, int id)
{
    return TextOf(GetDlgItem(dlg, id));
}

/* A line of text, which can be empty or all blanks. */
static std::wstring LineOf(HWND dlg, int id)
{
    std::wstring s = ItemTextOf(dlg, id);
    return s.find_first_not_of(L' ') == std::wstring::npos ? L"(blank)" : s;
}

static bool Checked(HWND dlg, int id)
{
    return Ask(GetDlgItem(dlg, id), BM_GETCHECK) == BST_CHECKED;
}

static std::wstring Entry(HWND list, LRESULT i)
{
    LRESULT n = Ask(list, CB_GETLBTEXTLEN, i);
    if (n == CB_ERR)
        return L"?";
    std::vector<wchar_t> buf(n + 1, 0);
    LRESULT got = Ask(list, CB_GETLBTEXT, i, (LPARAM)buf.data());
    return Shown(std::wstring(buf.data(), got > 0 ? got : 0));
}

/* A drop-down list as the table writes it: the chosen entry in brackets;
   a long list as its first two entries, the chosen one and the last, with
   its length. */
static std::wstring ListOf(HWND dlg, int id)
{
    HWND list = GetDlgItem(dlg, id);
    LRESULT count = Ask(list, CB_GETCOUNT), sel = Ask(list, CB_GETCURSEL);
    if (count <= 0)
        return sel == CB_ERR ? L"(empty)" : L"(empty, with a choice)";
    std::wstring out;
    bool gap = false;
    for (LRESULT i = 0; i < count; i++) {
        if (count > 4 && i > 1 && i != sel && i != count - 1) {
            gap = true;
            continue;
        }
        if (!out.empty())
            out += gap ? L", \u2026, " : L", ";
        gap = false;
        std::wstring e = Entry(list, i);
        out += i == sel ? L"[" + e + L"]" : e;
    }
    if (sel == CB_ERR)
        out += L", none chosen";
    if (count > 4) {
        wchar_t n[24];
        wsprintfW(n, L" (%d)", (int)count);
        out += n;
    }
    return out;
}

static std::wstring ChosenOf(HWND dlg, int id)
{
    HWND list = GetDlgItem(dlg, id);
    LRESULT sel = Ask(list, CB_GETCURSEL);
    return sel == CB_ERR ? L"none" : Entry(list, sel);
}

static DWORD s_thread; /* the panel's user-interface thread */

/* A key as a person presses it: to the window with the focus, where the
   dialog's own loop sees it first. */
static void PressKey(HWND dlg, UINT vk)
{
    GUITHREADINFO info;
    ZeroMemory(&info, sizeof(info));
    info.cbSize = sizeof(info);
    HWND to = GetGUIThreadInfo(s_thread, &info) && info.hwndFocus ? info.hwndFocus : dlg;
    PostMessageW(to, WM_KEYDOWN, vk, 1);
    PostMessageW(to, WM_KEYUP, vk, 0xC0000001);
}

/* Waits until the panel has taken every message posted to it so far (the
   driver's pen packets among them): a marker posted behind them, a text
   limit on an edit of the dialog, is seen. */
static void Settle(HWND edit)
{
    static WPARAM marker = 1000;
    marker++;
    PostMessageW(edit, EM_SETLIMITTEXT, marker, 0);
    if (!PumpUntil(
            [&] { return Ask(edit, EM_GETLIMITTEXT) == (LRESULT)marker || !s_fault.empty(); },
            kHangMs))
        Fault("the panel did not take its posted messages: it hangs");
}

/* FAULT_SHOTS=<folder>: each window read is also saved there as a bitmap
   (<row>-<n>.bmp), to look at what a person sees. */
static std::wstring s_shotPrefix;

static void SaveShot(HWND hwnd)
{
    static int n;
    std::wstring dir = EnvironmentText(L"FAULT_SHOTS");
    if (dir.empty())
        return;
    Sleep(300); /* the window paints itself first */
    RECT rc;
    GetWindowRect(hwnd, &rc);
    int w = rc.right - rc.left, h = rc.bottom - rc.top;
    HDC screen = GetDC(NULL), mem = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(mem, bitmap);
    BitBlt(mem, 0, 0, w, h, screen, rc.left, rc.top, SRCCOPY);
    SelectObject(mem, old);
    BITMAPINFOHEADER bi = {sizeof(bi), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    std::string pixels((size_t)((w * 3 + 3) & ~3) * h, '\0');
    GetDIBits(mem, bitmap, 0, h, &pixels[0], (BITMAPINFO *)&bi, DIB_RGB_COLORS);
    BITMAPFILEHEADER bf = {0x4D42, (DWORD)(sizeof(bf) + sizeof(bi) + pixels.size()), 0, 0,
                           sizeof(bf) + sizeof(bi)};
    WriteFileBytes(JoinPath(dir, s_shotPrefix + L"-" + std::to_wstring(++n) + L".bmp"),
                   std::string((char *)&bf, sizeof(bf)) + std::string((char *)&bi, sizeof(bi)) +
                       pixels);
    DeleteObject(bitmap);
    DeleteDC(mem);
    ReleaseDC(NULL, screen);
}

/* ---- The dialogs ---- */

static std::wstring Join(const std::vector<std::wstring> &parts, const wchar_t *between)
{
    std::wstring out;
    for (size_t i = 0; i < parts.size(); i++)
        out += (i ? between : L"") + parts[i];
    return out;
}

static std::wstring Pair(HWND dlg, int a, int b, const wchar_t *between)
{
    return ItemTextOf(dlg, a) + between + ItemTextOf(dlg, b);
}

static std::wstring ReadInformation(HWND dlg)
{
    std::vector<std::wstring> seen = {LineOf(dlg, 51), LineOf(dlg, 52), LineOf(dlg, 53)};
    for (int units = 0; units < 2; units++) {
        HWND list = GetDlgItem(dlg, 54);
        if (units == 1) {
            Ask(list, CB_SETCURSEL, 1);
            Ask(dlg, WM_COMMAND, MAKEWPARAM(54, CBN_SELCHANGE), (LPARAM)list);
        }
        seen.push_back(ChosenOf(dlg, 54) + L": " + Pair(dlg, 55, 56, L" \u00D7 ") + L", " +
                       Pair(dlg, 57, 58, L" \u00D7 "));
    }
    PressKey(dlg, VK_ESCAPE);
    return Join(seen, kDot);
}

static std::wstring ReadFeatures(HWND dlg)
{
    std::wstring seen = L"Features: " + ListOf(dlg, 101);
    PressKey(dlg, VK_ESCAPE);
    return seen;
}

static std::wstring AreaFields(HWND dlg)
{
    return Pair(dlg, 33, 36, L" \u00D7 ") + L", margins " + ItemTextOf(dlg, 39) + L" " +
           ItemTextOf(dlg, 42) + L" " + ItemTextOf(dlg, 45) + L" " + ItemTextOf(dlg, 48);
}

static std::wstring Status(HWND dlg)
{
    return LineOf(dlg, 51);
}

/* The pen of cursor 0 pressed and released in the middle of the built-in
   tablet (6000, 6000 counts from the lower-left corner), through the
   driver's pen window as the pen tool sends it. */
static bool PressPen()
{
    static const StandinPenData events[] = {
        {0, 0, 6000, 6000}, {0, 1, 6000, 6000}, {0, 0, 6000, 6000}};
    int answered = 0, taken = 0;
    for (const StandinPenData &e : events)
        answered += SendPenEvent(&e, kHangMs, &taken);
    return answered == 3;
}

/* What the double-byte table types into the Setup dialog's Sensitivity and
   Width fields, each left for the next field as a person leaves it; empty:
   nothing is typed. */
static std::wstring s_typed;

/* s_typed typed into a field, which the focus then leaves; the field as it
   shows afterwards. */
static std::wstring TypeInto(HWND dlg, int id, HWND settle)
{
    HWND field = GetDlgItem(dlg, id);
    PostMessageW(dlg, WM_NEXTDLGCTL, (WPARAM)field, TRUE);
    Settle(settle);
    Ask(field, WM_SETTEXT, 0, (LPARAM)s_typed.c_str());
    Ask(field, EM_SETMODIFY, TRUE);
    PostMessageW(dlg, WM_NEXTDLGCTL, 0, FALSE);
    Settle(settle);
    return ItemTextOf(dlg, id);
}

static std::wstring ReadSetup(HWND dlg)
{
    std::vector<std::wstring> seen;
    seen.push_back(std::wstring(Checked(dlg, 20)   ? L"Relative"
                                : Checked(dlg, 21) ? L"Absolute"
                                                   : L"no mode") +
                   L", " + ItemTextOf(dlg, 23));
    seen.push_back(ListOf(dlg, 26) + L": " + ChosenOf(dlg, 27) +
                   (Checked(dlg, 25) ? L", Default" : L""));
    seen.push_back((Checked(dlg, 28) ? L"Whole Tablet, " : L"") + AreaFields(dlg));

    /* The area is pointed out in the picture of the tablet: a person clears
       "Whole Tablet" first, clicks the picture, then presses the pen. */
    HWND edit = GetDlgItem(dlg, 23);
    if (Checked(dlg, 28))
        Ask(GetDlgItem(dlg, 28), BM_CLICK);
    if (!s_typed.empty())
        seen.push_back(L"typed " + s_typed + L": " + TypeInto(dlg, 23, edit) + L", " +
                       TypeInto(dlg, 33, edit));
    HWND area = GetDlgItem(dlg, 50);
    RECT rc = ClientRectOf(area);
    std::wstring picture =
        L"picture " + std::to_wstring(rc.right) + L" \u00D7 " + std::to_wstring(rc.bottom);
    if (!IsWindowEnabled(area) || rc.right <= 0 || rc.bottom <= 0) {
        seen.push_back(picture + L", out of reach");
    } else {
        PostMessageW(area, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(rc.right / 2, rc.bottom / 2));
        PostMessageW(area, WM_LBUTTONUP, 0, MAKELPARAM(rc.right / 2, rc.bottom / 2));
        Settle(edit);
        seen.push_back(picture + L": " + Status(dlg));
        bool pen = PressPen();
        Settle(edit);
        SaveShot(dlg);
        seen.push_back(pen ? L"pen: " + Status(dlg) + L", " + AreaFields(dlg)
                           : L"pen: the driver did not answer");
    }
    PressKey(dlg, VK_ESCAPE);
    return Join(seen, kDot);
}

static std::wstring ReadAbout(HWND dlg)
{
    std::wstring seen = ItemTextOf(dlg, 106);
    PressKey(dlg, VK_ESCAPE);
    return seen;
}

/* What one window of the panel shows; every window is closed as a person
   who wants nothing changed closes it: Escape, or Cancel on the log-off
   question (never OK, which would end the session). */
static std::wstring ReadWindow(HWND dlg)
{
    SaveShot(dlg);
    std::wstring title = TextOf(dlg);
    if (title == L"Tablet Information")
        return ReadInformation(dlg);
    if (title == L"Features")
        return ReadFeatures(dlg);
    if (title == L"Tablet Setup")
        return ReadSetup(dlg);
    if (title == L"About Tablet Control Panel...")
        return ReadAbout(dlg);
    if (title == L"Stand-in Tablet Settings") {
        /* Enter: the driver's own choice has the focus. */
        GUITHREADINFO info;
        ZeroMemory(&info, sizeof(info));
        info.cbSize = sizeof(info);
        GetGUIThreadInfo(s_thread, &info);
        std::wstring button = info.hwndFocus ? TextOf(info.hwndFocus) : L"no focus";
        PressKey(dlg, VK_RETURN);
        return title + L": " + button;
    }
    MessageBoxView box = ReadMessageBox(dlg);
    bool cancel = PressButton(dlg, L"Cancel");
    if (!cancel)
        PressKey(dlg, VK_ESCAPE);
    return box.title + L": " + Shown(box.text) + (cancel ? L" (Cancel)" : L" (Escape)");
}

static VOID CALLBACK CommandDone(HWND, UINT, ULONG_PTR data, LRESULT)
{
    *(bool *)data = true;
}

/* Runs a menu command and reads every window it shows, until the command
   has returned. */
static std::wstring RunCommand(HWND main, Process &p, UINT command)
{
    /* Sent, not posted, so that its end is known: the panel runs it exactly
       as a menu choice, dialogs and all, and then answers. */
    bool done = false;
    if (!SendMessageCallbackW(main, WM_COMMAND, command, 0, CommandDone, (ULONG_PTR)&done)) {
        Fault("the command could not be sent");
        return L"";
    }
    std::vector<std::wstring> seen;
    std::set<HWND> read;
    DWORD start = GetTickCount();
    while (!done && s_fault.empty()) {
        if (GetTickCount() - start > kHangMs) {
            Fault("command " + std::to_string(command) + " did not return: the panel hangs");
            break;
        }
        if (WaitForExit(p, 0) != STILL_ACTIVE) {
            Fault("the panel ended during command " + std::to_string(command));
            break;
        }
        for (HWND h : WindowsOfProcess(p.pid, true)) {
            if (ClassOf(h) == L"#32770" && read.insert(h).second)
                seen.push_back(ReadWindow(h));
        }
        PumpMessages(5);
    }
    return seen.empty() ? L"nothing" : Join(seen, kArrow);
}

/* Windows of other processes: a Wine crash dialog shows here. */
static std::string ForeignWindows(DWORD pid)
{
    std::string out;
    struct Args {
        DWORD skip[2];
        std::string *out;
    } args = {{GetCurrentProcessId(), pid}, &out};
    EnumWindows(
        [](HWND h, LPARAM lp) -> BOOL {
            Args *a = (Args *)lp;
            DWORD owner = 0;
            GetWindowThreadProcessId(h, &owner);
            if (IsWindowVisible(h) && owner != a->skip[0] && owner != a->skip[1] &&
                !WindowText(h).empty())
                *a->out += " \"" + AnsiOf(WindowText(h)) + "\"";
            return TRUE;
        },
        (LPARAM)&args);
    return out;
}

static std::string Utf8Of(const std::wstring &s)
{
    std::string u(s.size() * 3 + 1, 0);
    u.resize(WideCharToMultiByte(CP_UTF8, 0, s.c_str(), (int)s.size(), &u[0], (int)u.size(), NULL,
                                 NULL));
    return u;
}

/* FAULT_HEAP_CHECK=1: Wine checks the panel's whole heap at every allocation
   (the program's GlobalFlag: tail, free and full checks), so that a write
   past the end of a block makes the panel's later dialogs fail, which the
   table then shows. About five times slower; off, the flag is removed, as
   the prefix outlives the run. */
static void ChooseHeapCheck()
{
    const std::wstring key = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Image File "
                             L"Execution Options\\" +
                             PanelExe();
    if (!GetEnvironmentVariableW(L"FAULT_HEAP_CHECK", NULL, 0)) {
        DeleteRegTree(HKEY_LOCAL_MACHINE, key);
        return;
    }
    HKEY h;
    DWORD flags = 0xF0;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, NULL, 0,
                                             KEY_SET_VALUE, NULL, &h, NULL));
    RegSetValueExW(h, L"GlobalFlag", 0, REG_DWORD, (const BYTE *)&flags, sizeof(flags));
    RegCloseKey(h);
}

/* ---- A row ---- */

/* An entry with a text form is named generically in the table (WTInfo): the
   one the panel binds is missing, WTInfoW for padcfg.exe, WTInfoA for the
   Windows 95 panel. */
static std::wstring StandinFor(const FaultCase &c)
{
    if (c.missing.empty())
        return JoinPath(BinDir(), L"wintab32.dll");
    std::wstring entry = c.missing;
    if (entry == L"WTInfo" || entry == L"WTGet" || entry == L"WTSet" || entry == L"WTOpen")
        entry += PanelExe() == L"padcfg.exe" ? L"W" : L"A";
    return JoinPath(BinDir(), L"missing\\" + entry + L"\\wintab32.dll");
}

/* The panel beside the driver and the description, as it would be installed. */
static std::wstring LayOut(const FaultCase &c)
{
    std::wstring dir = MakeScratchDir(L"fault-" + c.name);
    EXPECT_TRUE(CopyInto(JoinPath(BinDir(), PanelExe()), dir));
    EXPECT_TRUE(CopyInto(StandinFor(c), dir)) << AnsiOf(StandinFor(c));
    if (!c.tablet.empty()) {
        EXPECT_TRUE(CopyInto(JoinPath(FaultsDir(), c.tablet), dir, L"wintab32.ini"))
            << AnsiOf(c.tablet);
    }
    return dir;
}

/* What the row shows, dialog by dialog; "—" for a dialog never reached. */
static void RunRow(const FaultCase &c, std::wstring views[VIEWS])
{
    for (int v = 0; v < VIEWS; v++)
        views[v] = L"\u2014";
    std::wstring dir = LayOut(c);
    Process p = StartProcess(JoinPath(dir, PanelExe()), L"", dir);
    if (!p.pid) {
        Fault(AnsiOf(PanelExe()) + " did not start");
        return;
    }

    /* The main window, or the box that says why there is none. */
    HWND main = NULL, box = NULL;
    if (!PumpUntil(
            [&] {
                for (HWND h : WindowsOfProcess(p.pid, true)) {
                    if (ClassOf(h) == kTitle)
                        main = h;
                    else if (ClassOf(h) == L"#32770")
                        box = h;
                }
                return main || box || WaitForExit(p, 0) != STILL_ACTIVE;
            },
            kHangMs))
        Fault("neither the main window nor a message showed");

    if (box && !main) {
        MessageBoxView v = ReadMessageBox(box);
        views[INFORMATION] = v.title + L": " + Shown(v.text);
        PressButton(box, v.buttons.empty() ? L"OK" : v.buttons[0].c_str());
    } else if (main) {
        s_thread = GetWindowThreadProcessId(main, NULL);
        for (int v = 0; v < VIEWS && s_fault.empty(); v++)
            views[v] = RunCommand(main, p, kCommands[v]);
        if (s_fault.empty())
            PostMessageW(main, WM_COMMAND, 104, 0); /* Tablet > Exit */
    }

    DWORD code = WaitForExit(p, s_fault.empty() ? kHangMs : 0);
    if (code == STILL_ACTIVE) {
        Fault("the panel did not end");
        std::string others = ForeignWindows(p.pid);
        if (!others.empty())
            s_fault += "; other windows showed:" + others;
        KillProcess(p);
    } else if (code != 0) {
        char text[64];
        wsprintfA(text, "the panel ended with exit code 0x%08lX", code);
        Fault(text);
    }
    CloseProcess(p);
}

/* The rows of the table with this header, those FAULT_CASES chooses. */
static void RunTable(const std::wstring &header, size_t rowsAtLeast)
{
    SetEnvironmentVariableW(L"WINTAB_STANDIN_TABLET", NULL);
    SetEnvironmentVariableW(L"WINTAB_STANDIN_LOG", NULL);
    ChooseHeapCheck();
    std::vector<FaultCase> rows = ReadTable(JoinPath(FaultsDir(), L"README.md"), header);
    ASSERT_GE(rows.size(), rowsAtLeast) << "the table in faults/README.md";

    DWORD all = GetTickCount();
    int ran = 0;
    for (const FaultCase &c : rows) {
        if (!Chosen(c.name))
            continue;
        SCOPED_TRACE(AnsiOf(c.name));
        s_fault.clear();
        s_unprintable.clear();
        s_shotPrefix = c.name;
        DWORD start = GetTickCount();
        std::wstring views[VIEWS];
        RunRow(c, views);
        ran++;
        EXPECT_EQ("", s_fault);
        EXPECT_EQ("", s_unprintable);
        for (int v = 0; v < VIEWS; v++) {
            /* The cell as it should read, for the table. */
            EXPECT_EQ(c.views[v], views[v])
                << kViewNames[v] << " of " << AnsiOf(c.name) << "; in UTF-8 for the table:\n"
                << Utf8Of(views[v]);
        }
        printf("%-24s %5lu ms\n", AnsiOf(c.name).c_str(), GetTickCount() - start);
    }
    printf("%d rows in %lu ms\n", ran, GetTickCount() - all);
}

/* Whether the run is under the Japanese locale (LC_CTYPE ja_JP, see
   tests/CMakeLists.txt), where the double-byte table runs in place of the
   faults. */
static bool JapaneseLocale()
{
    return EnvironmentText(L"LC_CTYPE").compare(0, 5, L"ja_JP") == 0;
}

TEST(PanelAgainstFaultyDrivers, EveryDialogShowsWhatTheTableSays)
{
    if (JapaneseLocale())
        GTEST_SKIP() << "under the Japanese locale the double-byte table runs";
    RunTable(L"| Case |", 40);
}

/* The Windows 95 panel in code page 932: names of double-byte characters
   show whole, also where a buffer cuts them; a full-width digit typed into
   Sensitivity or a length is no digit (the field shows what it showed). */
TEST(PanelUnderCodePage932, DoubleByteNamesShowWholeAndAreNoDigits)
{
    if (!JapaneseLocale())
        GTEST_SKIP() << "runs under the Japanese locale (padcfg_dbcs_tests)";
    ASSERT_EQ(932u, GetACP()) << "not in code page 932: the test proves nothing";
    s_typed = L"\uFF15"; /* a full-width 5 */
    RunTable(L"| Code page 932 |", 1);
    s_typed.clear();
}
