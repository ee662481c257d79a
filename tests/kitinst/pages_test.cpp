/* The three page templates as Windows lays them out: every control's id,
   class, text and rectangle, the page's title and size. */
#include "steps.h"

#include <cstdio>

#include "winsupport.h"

namespace
{

INT_PTR CALLBACK StillPage(HWND, UINT msg, WPARAM, LPARAM)
{
    return msg == WM_INITDIALOG;
}

struct Control {
    int id;
    const wchar_t *cls;
    const wchar_t *text; /* null: a bitmap, as large as the bitmap */
    RECT dlu;            /* x, y, width, height, as in the template */
};

struct Page {
    const char *name;
    const wchar_t *title;
    SIZE dlu;
    std::vector<Control> controls;
};

std::wstring Describe(int id, const std::wstring &cls, const std::wstring &text, RECT rc)
{
    wchar_t line[64];
    swprintf(line, 64, L" %d,%d,%d,%d", (int)rc.left, (int)rc.top, (int)rc.right, (int)rc.bottom);
    return std::to_wstring(id) + L" " + cls + L" \"" + text + L"\"" + line;
}

} // namespace

TEST(PageTemplates, ControlsTextsAndRectanglesAsWindowsReportsThem)
{
    const Page pages[] = {
        {"DIALOG0",
         L"QUORAX Wintab driver installation program",
         {150, 30},
         {{300, L"Static", L"Initializing setup......", {50, 10, 140, 10}}}},
        {"DIALOG1",
         L"QUORAX",
         {280, 100},
         {{206, L"Static", NULL, {0, 5, 0, 0}},
          {301, L"Static", L"QUORAX Wintab driver installation program", {125, 0, 140, 8}},
          {302, L"Static", L"Version 1.23", {170, 10, 50, 8}},
          {303, L"Static", L"Copyright (C) 1996 QUORAX Corporation", {120, 20, 150, 8}},
          {304,
           L"Static",
           L"This program will install the QUORAX Wintab Driver for Windows 95. When the",
           {15, 40, 255, 8}},
          {305,
           L"Static",
           L"installation is complete you will be prompted to restart your computer. You must",
           {15, 50, 250, 8}},
          {306,
           L"Static",
           L"restart in order for the changes made by the installation program to take effect.",
           {15, 60, 250, 8}},
          {204, L"Button", L"&Exit", {210, 80, 40, 14}},
          {203, L"Button", L"&Next", {150, 80, 40, 14}}}},
        {"DIALOG2",
         L"Installing QUORAX Wintab driver.....",
         {240, 80},
         {{307, L"Static", L"Copying files.....", {10, 4, 200, 8}},
          {308, L"Static", L"Source : ", {10, 16, 200, 8}},
          {309, L"Static", L" ", {20, 26, 200, 8}},
          {310, L"Static", L"Destination : ", {10, 36, 200, 8}},
          {311, L"Static", L" ", {20, 46, 200, 8}}}},
    };
    /* The logo's size as its resource gives it (read without GDI, which
       under Wine's WoW64 makes no bitmaps). */
    HRSRC logo = FindResourceA(NULL, MAKEINTRESOURCEA(IDBM_LOGO), (LPCSTR)RT_BITMAP);
    ASSERT_TRUE(logo != NULL);
    const BITMAPINFOHEADER *bm = (const BITMAPINFOHEADER *)LockResource(LoadResource(NULL, logo));
    ASSERT_TRUE(bm != NULL);

    for (const Page &page : pages) {
        HWND dlg = CreateDialogParamA(GetModuleHandleA(NULL), page.name, NULL, StillPage, 0);
        ASSERT_TRUE(dlg != NULL) << page.name;
        EXPECT_EQ(page.title, WindowText(dlg)) << page.name;
        RECT size = {0, 0, page.dlu.cx, page.dlu.cy};
        MapDialogRect(dlg, &size);
        RECT client = ClientRectOf(dlg);
        EXPECT_EQ(size.right, client.right) << page.name;
        EXPECT_EQ(size.bottom, client.bottom) << page.name;

        std::vector<std::wstring> expected, shown;
        for (const Control &c : page.controls) {
            /* Windows maps the position and the size each on its own. */
            RECT rc = c.dlu;
            MapDialogRect(dlg, &rc);
            if (!c.text) {
                /* The logo takes its bitmap's size; where bitmaps cannot be
                   made (Wine's WoW64) it stays empty. */
                rc.right = IconsCanShow() ? bm->biWidth : 0;
                rc.bottom = IconsCanShow() ? bm->biHeight : 0;
            }
            rc.right += rc.left;
            rc.bottom += rc.top;
            expected.push_back(Describe(c.id, c.cls, c.text ? c.text : L"", rc));
        }
        for (HWND h = GetWindow(dlg, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
            bool bitmap = (GetWindowLongW(h, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP;
            shown.push_back(Describe(GetDlgCtrlID(h), ClassOf(h), bitmap ? L"" : WindowText(h),
                                     RectInParent(h)));
        }
        EXPECT_EQ(expected, shown) << page.name;
        DestroyWindow(dlg);
    }
}
