#include "dialogdriver.h"
#include "winsupport.h"

#include <gtest/gtest.h>

#include <map>

/* One drive in progress; drives nest when a script opens a message box. */
struct Drive {
    const wchar_t *title;
    const DialogScript *script;
    DWORD start;
    DWORD ms;
    bool running = false;
    bool shown = false;
    bool leftOpen = false;
    std::vector<std::wstring> strays; /* other dialogs up when the wait ran out */
};

static std::map<UINT_PTR, Drive *> s_drives;

struct Found {
    const wchar_t *title; /* null: any visible dialog */
    std::vector<HWND> dialogs;
};

static BOOL CALLBACK CollectDialog(HWND hwnd, LPARAM lParam)
{
    Found *f = (Found *)lParam;
    if (IsWindowVisible(hwnd) && ClassOf(hwnd) == L"#32770" &&
        (!f->title || WindowText(hwnd) == f->title))
        f->dialogs.push_back(hwnd);
    return TRUE;
}

static std::vector<HWND> ThreadDialogs(const wchar_t *title)
{
    Found f = {title, {}};
    EnumThreadWindows(GetCurrentThreadId(), CollectDialog, (LPARAM)&f);
    return f.dialogs;
}

/* Escape, as a person who does not want to accept; EndDialog if ignored. */
static void CloseSafely(HWND dlg)
{
    SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 (LPARAM)GetDlgItem(dlg, IDCANCEL));
    if (IsWindow(dlg) && IsWindowVisible(dlg))
        EndDialog(dlg, 0);
}

static void CALLBACK DriveTick(HWND, UINT, UINT_PTR id, DWORD)
{
    auto it = s_drives.find(id);
    if (it == s_drives.end() || it->second->running)
        return;
    Drive *d = it->second;

    std::vector<HWND> found = ThreadDialogs(d->title);
    if (!found.empty()) {
        KillTimer(NULL, id);
        d->running = true;
        d->shown = true;
        HWND dlg = found.back();
        DialogPump(dlg, 20); /* let it finish showing, as a person's eye would */
        (*d->script)(dlg);
        if (IsWindow(dlg) && IsWindowVisible(dlg)) {
            d->leftOpen = true;
            CloseSafely(dlg);
        }
        return;
    }
    if (GetTickCount() - d->start >= d->ms) {
        KillTimer(NULL, id);
        d->running = true;
        for (HWND other : ThreadDialogs(NULL)) {
            d->strays.push_back(WindowText(other));
            CloseSafely(other);
        }
    }
}

bool DriveDialog(const wchar_t *title, const std::function<void()> &open,
                 const DialogScript &script, DWORD ms)
{
    Drive d;
    d.title = title;
    d.script = &script;
    d.start = GetTickCount();
    d.ms = ms;
    UINT_PTR id = SetTimer(NULL, 0, 15, DriveTick);
    s_drives[id] = &d;
    open();
    KillTimer(NULL, id);
    s_drives.erase(id);

    std::wstring name(title);
    std::string narrow(name.begin(), name.end());
    if (!d.shown) {
        std::string strays;
        for (const std::wstring &s : d.strays)
            strays += " \"" + std::string(s.begin(), s.end()) + "\"";
        ADD_FAILURE() << "no dialog \"" << narrow << "\" showed"
                      << (strays.empty() ? "" : "; closed instead:") << strays;
    }
    if (d.leftOpen)
        ADD_FAILURE() << "the script left \"" << narrow << "\" open";
    return d.shown && !d.leftOpen;
}

void DialogPump(HWND dlg, DWORD ms)
{
    DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) {
            if (IsWindow(dlg) && IsDialogMessageW(dlg, &msg))
                continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjects(0, NULL, FALSE, 5, QS_ALLINPUT);
    } while (GetTickCount() - start < ms);
}

static LPARAM KeyData(UINT vk, bool up)
{
    LPARAM scan = (LPARAM)MapVirtualKeyW(vk, 0) << 16;
    return 1 | scan | (up ? 0xC0000000 : 0);
}

void PressKey(HWND dlg, UINT vk)
{
    HWND focus = GetFocus();
    if (!focus)
        focus = dlg;
    PostMessageW(focus, WM_KEYDOWN, vk, KeyData(vk, false));
    PostMessageW(focus, WM_KEYUP, vk, KeyData(vk, true));
    DialogPump(dlg, 30);
}

void PressAltKey(HWND dlg, wchar_t letter)
{
    HWND focus = GetFocus();
    if (!focus)
        focus = dlg;
    /* What the keyboard gives for Alt and a letter once translated. */
    PostMessageW(focus, WM_SYSCHAR, letter, KeyData(VkKeyScanW(letter) & 0xFF, false) | 1 << 29);
    DialogPump(dlg, 30);
}

void Click(HWND dlg, int id)
{
    HWND item = GetDlgItem(dlg, id);
    EXPECT_NE((HWND)NULL, item) << "no control " << id;
    if (!item)
        return;
    SendMessageW(item, BM_CLICK, 0, 0);
    DialogPump(dlg, 20);
}

void Focus(HWND dlg, int id)
{
    HWND item = GetDlgItem(dlg, id);
    EXPECT_NE((HWND)NULL, item) << "no control " << id;
    SendMessageW(dlg, WM_NEXTDLGCTL, (WPARAM)item, TRUE);
    DialogPump(dlg, 20);
}

void Type(HWND dlg, int id, const wchar_t *text)
{
    HWND edit = GetDlgItem(dlg, id);
    EXPECT_NE((HWND)NULL, edit) << "no control " << id;
    if (!edit)
        return;
    SendMessageW(dlg, WM_NEXTDLGCTL, (WPARAM)edit, TRUE);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    if (!*text)
        PostMessageW(edit, WM_CHAR, VK_BACK, 1);
    for (const wchar_t *p = text; *p; p++)
        PostMessageW(edit, WM_CHAR, *p, 1);
    DialogPump(dlg, 20);
}

void Choose(HWND dlg, int id, int index)
{
    HWND list = GetDlgItem(dlg, id);
    EXPECT_NE((HWND)NULL, list) << "no control " << id;
    if (!list)
        return;
    SendMessageW(dlg, WM_NEXTDLGCTL, (WPARAM)list, TRUE);
    SendMessageW(list, CB_SETCURSEL, index, 0);
    SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), (LPARAM)list);
    DialogPump(dlg, 20);
}

std::wstring ItemText(HWND dlg, int id)
{
    return WindowText(GetDlgItem(dlg, id));
}

std::wstring ChosenText(HWND dlg, int id)
{
    HWND list = GetDlgItem(dlg, id);
    LRESULT sel = SendMessageW(list, CB_GETCURSEL, 0, 0);
    if (sel == CB_ERR)
        return L"";
    std::vector<wchar_t> buf(SendMessageW(list, CB_GETLBTEXTLEN, sel, 0) + 1);
    SendMessageW(list, CB_GETLBTEXT, sel, (LPARAM)buf.data());
    return buf.data();
}

std::vector<std::wstring> ListEntries(HWND dlg, int id)
{
    HWND list = GetDlgItem(dlg, id);
    std::vector<std::wstring> out;
    LRESULT n = SendMessageW(list, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; i++) {
        std::vector<wchar_t> buf(SendMessageW(list, CB_GETLBTEXTLEN, i, 0) + 1);
        SendMessageW(list, CB_GETLBTEXT, i, (LPARAM)buf.data());
        out.push_back(buf.data());
    }
    return out;
}

bool ItemEnabled(HWND dlg, int id)
{
    return IsWindowEnabled(GetDlgItem(dlg, id)) != 0;
}

bool ItemChecked(HWND dlg, int id)
{
    return IsDlgButtonChecked(dlg, id) == BST_CHECKED;
}

int FocusId(HWND dlg)
{
    HWND focus = GetFocus();
    if (!focus || !IsChild(dlg, focus))
        return 0;
    /* A combo box's focus lies on its edit or list child. */
    while (GetParent(focus) != dlg)
        focus = GetParent(focus);
    return GetDlgCtrlID(focus);
}
