/*
 * The tracking-area control in the Setup dialog's template, with a dialog
 * procedure of the test's own (areadialog.h). The stand-in's pen moves
 * in-process; timers are real.
 */
#include "areadialog.h"
#include "dialogdriver.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <algorithm>
#include <functional>
#include <sstream>

class SetArea : public ::testing::Test
{
  protected:
    PenEventProc pen = NULL;
    UINT blinkTime = GetCaretBlinkTime();
    UINT contexts = 0; /* open with the stand-in just loaded */

    void SetUp() override
    {
        Tablet("");
    }
    void TearDown() override
    {
        /* Whatever the test did, the control has put everything back. */
        EXPECT_EQ(contexts, OpenContexts());
        EXPECT_TRUE(PointerShown());
        EXPECT_EQ(blinkTime, GetCaretBlinkTime());
        UnloadWintab();
        UseTablet("");
    }

    void Tablet(const std::string &ini)
    {
        ASSERT_TRUE(LoadStandin(ini));
        pen = StandinPen();
        contexts = OpenContexts();
    }

    /* Opens the dialog, runs script in it and closes it. */
    void Run(const std::function<void(HWND dlg, HWND area)> &script)
    {
        DriveDialog(L"Tablet Setup", OpenAreaDialog, [&](HWND dlg) {
            script(dlg, GetDlgItem(dlg, IDC_AREA));
            Click(dlg, IDCANCEL);
        });
    }

    /* What a person does, word by word: "in" and "out" tab into and out of the
       control, "click" is the mouse on it, "key" a key, and "b@x,y" puts the
       pen at x, y (tablet counts, y downward) with buttons b down ("b@x,y/c"
       with cursor c, "~b@x,y" only queues the packet, to be handled with the
       next). */
    void Do(HWND dlg, const std::string &steps)
    {
        std::istringstream words(steps);
        std::string w;
        while (words >> w) {
            unsigned long b;
            long x, y;
            unsigned cursor = 0;
            if (w == "in") {
                TabIntoArea(dlg);
            } else if (w == "out") {
                PressKey(dlg, VK_TAB);
                ASSERT_NE(IDC_AREA, FocusId(dlg));
            } else if (w == "click") {
                PostMessageW(GetDlgItem(dlg, IDC_AREA), WM_LBUTTONDOWN, MK_LBUTTON, 0);
                PostMessageW(GetDlgItem(dlg, IDC_AREA), WM_LBUTTONUP, 0, 0);
                DialogPump(dlg, 20);
            } else if (w == "key") {
                PressKey(dlg, VK_SPACE);
            } else {
                bool queued = w[0] == '~';
                ASSERT_LE(3, sscanf(w.c_str() + queued, "%lu@%ld,%ld/%u", &b, &x, &y, &cursor))
                    << w;
                pen(cursor, b, x, W - y);
                if (!queued)
                    DialogPump(dlg, 10);
            }
        }
    }

    /* Where the pointer is, once it is at want: an older pointer motion of
       the window system can still arrive after the control has moved it. */
    static POINT PointerAt(POINT want)
    {
        POINT at = {0, 0};
        PumpUntil(
            [&] {
                GetCursorPos(&at);
                return abs(at.x - want.x) <= 1 && abs(at.y - want.y) <= 1;
            },
            1000);
        return at;
    }

    /* Whether the pen goes to the context (when it is on top). */
    static bool Enabled(HCTX context)
    {
        LOGCONTEXTW lc;
        ZeroMemory(&lc, sizeof(lc));
        return WTGetW(context, &lc) && !(lc.lcStatus & CXS_DISABLED);
    }

    /* The crosshair's centre in the control's client area, or x -99. */
    static POINT CaretCentre(HWND area)
    {
        GUITHREADINFO gi;
        ZeroMemory(&gi, sizeof(gi));
        gi.cbSize = sizeof(gi);
        GetGUIThreadInfo(GetCurrentThreadId(), &gi);
        if (gi.hwndCaret != area)
            return {-99, -99};
        return {(gi.rcCaret.left + gi.rcCaret.right) / 2, (gi.rcCaret.top + gi.rcCaret.bottom) / 2};
    }

    /* Where tablet point (x, y) lies in the control, to within rounding: the
       client less a one-pixel border, scaled. */
    static POINT Expected(HWND area, LONG x, LONG y)
    {
        RECT rc = ClientRectOf(area);
        int bx = GetSystemMetrics(SM_CXBORDER), by = GetSystemMetrics(SM_CYBORDER);
        return {bx + (LONG)((double)x * (rc.right - 2 * bx) / W),
                by + (LONG)((double)y * (rc.bottom - 2 * by) / W)};
    }
};

TEST_F(SetArea, EdgeCasesAsTheDialogSeesThem)
{
    const wchar_t *first = L"Click on lower-left corner of active area";
    const wchar_t *second = L"Click on upper-right corner of active area";
    const Area half = {2000, 0, W, 9000}, defined = {2000, 3000, 8000, 9000};
    const Area again = {3000, 0, W, 9000};
    /* The lower-left corner at (2000, 9000), then the upper-right one at
       (8000, 3000), its press still held. */
    const std::string define = "in 0@2000,9000 1@2000,9000 0@2000,9000 1@8000,3000 ";
    const std::vector<int> defining = {0x20, 0x22, 0x23, 0x21, 0x24, 0x21};
    auto then = [](std::vector<int> a, std::vector<int> b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    const struct {
        const char *name;
        std::string steps;
        std::vector<int> codes;  /* what the dialog is told, in order */
        std::vector<Area> taken; /* the rectangle at each 0x21 */
        Area end;                /* the control's rectangle at the end */
        const wchar_t *status;   /* the status line at the end */
    } cases[] = {
        {"tab in and straight out restores the area",
         "in out",
         {0x20, 0x22, 0x21, 0x27},
         {kStart},
         kStart,
         L" "},
        {"a button held as the capture starts is no corner",
         "in 1@3000,9000 1@3500,9000 0@3500,9000 1@2000,9000",
         {0x20, 0x22, 0x23, 0x21},
         {half},
         half,
         second},
        {"a press out of range takes nothing",
         "in 0@2000,9000 1@2000,9000 0@2000,9000 0@1000,8000 1@1000,8000 0@1000,8000 "
         "1@3000,9500",
         {0x20, 0x22, 0x23, 0x21, 0x28},
         {half},
         half,
         L"Out of range!"},
        {"back in range the prompt returns",
         "in 0@2000,9000 1@2000,9000 0@2000,9000 0@3000,9500 0@3000,8000",
         {0x20, 0x22, 0x23, 0x21, 0x28, 0x23},
         {half},
         half,
         second},
        {"define, then leave: the area stays; the pen is ignored after the release",
         define + "0@8000,3000 1@9000,1000 0@9000,1000 out",
         then(defining, {0x21, 0x27}),
         {half, defined, defined},
         defined,
         L" "},
        {"a restart after a definition starts from the whole tablet, and leaving keeps it",
         define + "0@8000,3000 click out",
         then(defining, {0x20, 0x22, 0x21, 0x27}),
         {half, defined, kWhole},
         kWhole,
         L" "},
        {"a key ends the capture; a click resumes with the corner that is due",
         "in 0@2000,9000 1@2000,9000 0@2000,9000 key 1@8000,3000 0@8000,3000 click "
         "0@8000,3000 1@8000,3000",
         {0x20, 0x22, 0x23, 0x21, 0x25, 0x23, 0x24, 0x21},
         {half, defined},
         defined,
         L"Active area rectangle defined."},
        {"another button ends the capture at its release",
         "in 0@2000,9000 2@2000,9000 3@2000,9000 0@2000,9000 1@3000,8000 click",
         {0x20, 0x22, 0x25, 0x20, 0x22},
         {},
         kWhole,
         first},
        /* An end that came while the defining press was held does not swallow
           the next capture. */
        {"a key while the defining press is held, then a resume",
         define + "key click 0@3000,9000 1@3000,9000",
         then(defining, {0x25, 0x20, 0x22, 0x23, 0x21}),
         {half, defined, again},
         again,
         second},
        {"leaving while the defining press is held, then coming back",
         define + "out in 0@3000,9000 1@3000,9000",
         then(defining, {0x21, 0x27, 0x20, 0x22, 0x23, 0x21}),
         {half, defined, defined, again},
         again,
         second},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Run([&](HWND dlg, HWND area) {
            Do(dlg, c.steps);
            /* Before the dialog closes, which takes the focus away. */
            EXPECT_EQ(c.codes, g_codes);
            EXPECT_EQ(c.taken, g_taken);
            EXPECT_EQ(c.end, Current(area));
            EXPECT_EQ(std::wstring(c.status), ItemText(dlg, IDC_STATUS));
        });
    }
}

TEST_F(SetArea, TimesOutFiveSecondsAfterTheLastPacketUnlessAClickButtonIsDown)
{
    Run([&](HWND dlg, HWND) {
        Do(dlg, "in 1@6000,6000"); /* held from before the capture */
        DialogPump(dlg, 6500);
        EXPECT_EQ(g_codes.end(), std::find(g_codes.begin(), g_codes.end(), SAN_CANCELLED));

        Do(dlg, "0@6000,6000");
        DWORD released = GetTickCount();
        EXPECT_TRUE(PumpUntil([] { return g_codes.back() == SAN_CANCELLED; }, 10000));
        DWORD quiet = GetTickCount() - released;
        EXPECT_GE(quiet, 4900u);
        EXPECT_LE(quiet, 8000u);
        EXPECT_EQ(L" ", ItemText(dlg, IDC_STATUS));
        /* Suspended: a press takes nothing. */
        size_t seen = g_codes.size();
        Do(dlg, "0@2000,9000 1@2000,9000");
        EXPECT_EQ(seen, g_codes.size());
    });
}

TEST_F(SetArea, FocusOpensTheContextAndPenMovesHideThePointerUntilTheCaptureEnds)
{
    ShowCursor(TRUE); /* a display count above 0 must come back as it was */
    Run([&](HWND dlg, HWND area) {
        EXPECT_EQ((HCTX)NULL, ContextOwnedBy(area));
        Do(dlg, "in");
        HCTX context = ContextOwnedBy(area);
        EXPECT_TRUE(WTOverlap(context, TRUE)) << "no context open";
        EXPECT_TRUE(PointerShown()) << "hidden before the pen came";

        for (POINT at : {POINT{6000, 6000}, POINT{3000, 9000}}) {
            Do(dlg, "0@" + std::to_string(at.x) + "," + std::to_string(at.y));
            EXPECT_FALSE(PointerShown());
            POINT c = CaretCentre(area), e = Expected(area, at.x, at.y);
            EXPECT_NEAR(e.x, c.x, 1);
            EXPECT_NEAR(e.y, c.y, 1);
            EXPECT_EQ(65000u, GetCaretBlinkTime()) << "the crosshair blinks";
        }
        POINT corner, at;
        GetCaretPos(&corner);
        ClientToScreen(area, &corner);
        Do(dlg, "key");
        EXPECT_FALSE(Enabled(context)) << "the pen would still be the control's";
        EXPECT_TRUE(PointerShown());
        EXPECT_EQ(-99, CaretCentre(area).x) << "the crosshair stayed";
        EXPECT_EQ(blinkTime, GetCaretBlinkTime());
        at = PointerAt(corner);
        EXPECT_EQ(corner.x, at.x);
        EXPECT_EQ(corner.y, at.y);

        /* Resumed, a non-click button keeps the pointer hidden until it is up. */
        Do(dlg, "click 0@6000,6000 2@6000,6000");
        EXPECT_FALSE(PointerShown());
        EXPECT_TRUE(Enabled(context));
        Do(dlg, "0@6000,6000");
        EXPECT_TRUE(PointerShown());
        EXPECT_FALSE(Enabled(context));
        /* A burst handled at once ends at its newest packet: the crosshair, and
           the pointer after another button's release. */
        Do(dlg, "click ~0@6000,6000 ~2@3000,9000 0@3000,9000");
        POINT e = Expected(area, 3000, 9000);
        e.x -= GetSystemMetrics(SM_CXCURSOR) / 2;
        e.y -= GetSystemMetrics(SM_CYCURSOR) / 2;
        ClientToScreen(area, &e);
        at = PointerAt(e);
        EXPECT_NEAR(e.x, at.x, 1);
        EXPECT_NEAR(e.y, at.y, 1);

        Do(dlg, "out");
        EXPECT_FALSE(WTOverlap(context, TRUE)) << "the context is still open";
        /* The pen now goes to the driver's own context, not to the control. */
        size_t seen = g_codes.size();
        Do(dlg, "0@2000,9000 1@2000,9000");
        EXPECT_EQ(seen, g_codes.size());
        EXPECT_EQ(-99, CaretCentre(area).x);
    });
    EXPECT_EQ(0, ShowCursor(FALSE)) << "the display count was not put back";
}

TEST_F(SetArea, AChangedButtonMapChangesWhichButtonClicks)
{
    Run([&](HWND dlg, HWND) {
        Do(dlg, "in 0@2000,9000");
        /* Tip and barrel swap: the barrel now clicks left, the tip right. */
        HMGR mgr = WTMgrOpen(dlg, WT_DEFBASE);
        BYTE sys[32] = {SBN_RCLICK, SBN_LCLICK};
        ASSERT_TRUE(WTMgrCsrButtonMap(mgr, 0, NULL, sys));
        DialogPump(dlg, 20);
        Do(dlg, "2@2000,9000 0@2000,9000 1@8000,3000");
        EXPECT_EQ((std::vector<int>{0x20, 0x22, 0x23, 0x21, 0x25}), g_codes);
        WTMgrClose(mgr);
    });
}

TEST_F(SetArea, PaintsTheAreaOrAFocusRectangle)
{
    const struct {
        const char *name;
        bool focused;
        Area area;
        int inside;     /* colour at the middle of {1000, 2000, 5000, 6000} */
        bool focusRect; /* the client's corner pixel inverted */
    } cases[] = {
        {"area without the focus", false, kStart, COLOR_BTNSHADOW, false},
        {"area with the focus", true, kStart, COLOR_BTNFACE, false},
        {"zero width with the focus", true, {3000, 2000, 3000, 6000}, COLOR_BTNTEXT, true},
        {"zero height with the focus", true, {1000, 4000, 5000, 4000}, COLOR_BTNTEXT, true},
        {"zero size without the focus", false, {1000, 2000, 1000, 2000}, COLOR_BTNTEXT, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Run([&](HWND dlg, HWND area) {
            Do(dlg, c.focused ? "in" : "");
            SendMessageW(area, CM_WRITE, 0, (LPARAM)c.area.data());
            UpdateWindow(area);
            POINT mid = Expected(area, 3000, 4000);
            HDC dc = GetDC(area);
            EXPECT_EQ(GetSysColor(c.inside), GetPixel(dc, mid.x, mid.y));
            COLORREF surface = GetSysColor(COLOR_BTNTEXT);
            EXPECT_EQ(c.focusRect, GetPixel(dc, 0, 0) != surface || GetPixel(dc, 1, 0) != surface);
            ReleaseDC(area, dc);
        });
    }
}

/* pkCursor and the number of cursor types are the driver's word, and the
   stand-in reports only cursors of the device, at most 16: doctored entries
   of the binding report others. Unloading the library forgets them. */
static FARPROC s_realPacket, s_realInfo;
static UINT s_forgedCursor, s_forgedTypes;

static BOOL WINAPI ForgedCursorPacket(HCTX ctx, UINT serial, LPVOID packet)
{
    BOOL r =
        ((BOOL(WINAPI *)(HCTX, UINT, LPVOID))(void (*)(void))s_realPacket)(ctx, serial, packet);
    if (r && packet)
        *(UINT *)packet = s_forgedCursor;
    return r;
}

static UINT WINAPI ForgedTypesInfo(UINT category, UINT index, LPVOID out)
{
    if (s_forgedTypes && category >= WTI_DEVICES && category < WTI_CURSORS &&
        index == DVC_NCSRTYPES) {
        if (out)
            *(UINT *)out = s_forgedTypes;
        return sizeof(UINT);
    }
    return ((UINT(WINAPI *)(UINT, UINT, LPVOID))(void (*)(void))s_realInfo)(category, index, out);
}

static FARPROC Doctor(const char *name, FARPROC with)
{
    for (int i = 0; i < g_wintabEntryCount; i++) {
        WintabEntry *entry = &g_wintabEntries[i];
        if (strcmp(entry->name, name) == 0) {
            if (!entry->address)
                ResolveWintabEntry(entry);
            FARPROC real = entry->address;
            entry->address = with;
            return real;
        }
    }
    return NULL;
}

TEST_F(SetArea, ACursorOutsideTheMaskTableClicksWithButtonZero)
{
    const std::vector<int> corner = {0x23, 0x21}, cancelled = {0x25};
    const struct {
        UINT types; /* cursor types the device reports; 0: the stand-in's two */
        UINT cursor;
        DWORD buttons;
        std::vector<int> codes; /* after the press */
    } cases[] = {
        {0, 2, 1, corner}, /* beyond the device's types */
        {0, 2, 2, cancelled},   {0, 0xFFFFFFFF, 1, corner},          {0, 0xFFFFFFFF, 4, cancelled},
        {40, 35, 1, corner}, /* beyond the 32 masks */
        {40, 35, 2, cancelled}, {0x40000000, 0x30000000, 1, corner},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.cursor);
        Tablet("");
        s_forgedCursor = c.cursor;
        s_forgedTypes = c.types;
        s_realPacket = Doctor("WTPacket", (FARPROC)(void (*)(void))ForgedCursorPacket);
        s_realInfo = Doctor("WTInfoW", (FARPROC)(void (*)(void))ForgedTypesInfo);
        ASSERT_TRUE(s_realPacket && s_realInfo);
        Run([&](HWND dlg, HWND) {
            Do(dlg, "in 0@2000,9000");
            g_codes.clear();
            Do(dlg, std::to_string(c.buttons) + "@2000,9000");
            EXPECT_EQ(c.codes, g_codes);
            Do(dlg, "0@2000,9000");
        });
    }
}

TEST_F(SetArea, AnAxisWithoutExtentMapsOntoTheBorder)
{
    const struct {
        const char *axis;
        Area whole;   /* what the dialog is told at the start */
        bool xOnEdge; /* which coordinate of the crosshair sits on the border */
    } cases[] = {
        {"X=0, 0, 0, 0", {0, 0, 0, W}, true}, /* not reported */
        {"X=5000, 5000, 1, 1000", {0, 0, 0, W}, true},
        {"Y=0, 1, 1, 1000", {0, 0, W, 1}, false},
        {"X=1000, -1000, 1, 1000", {0, 0, -2000, W}, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.axis);
        Tablet(std::string("[Device0]\r\n") + c.axis + "\r\n");
        Run([&](HWND dlg, HWND area) {
            Do(dlg, "in");
            EXPECT_EQ(c.whole, Current(area));
            Do(dlg, "0@6000,6000");
            UpdateWindow(area);
            POINT centre = CaretCentre(area);
            if (c.xOnEdge)
                EXPECT_EQ(GetSystemMetrics(SM_CXBORDER), centre.x);
            else
                EXPECT_EQ(GetSystemMetrics(SM_CYBORDER), centre.y);
            /* Nothing is filled: the bare tablet shows. */
            POINT mid = Expected(area, W / 2, W / 2);
            HDC dc = GetDC(area);
            EXPECT_EQ(GetSysColor(COLOR_BTNTEXT), GetPixel(dc, mid.x + 8, mid.y + 8));
            ReleaseDC(area, dc);
        });
    }
}

TEST_F(SetArea, TabletsFromTheField)
{
    const struct {
        const char *name, *ini, *steps;
        std::vector<int> codes;
        std::vector<Area> taken = {}; /* when given */
    } cases[] = {
        /* The pen at 2100, 3099 from the lower-left corner is at 2000, 9000
           of the panel's frame. */
        {"axes from 100: the whole tablet and the corners counted from 0",
         "[Device0]\r\nX=100, 12099, 1, 1000\r\nY=100, 12099, 1, 1000\r\n",
         "in 0@2100,8900 1@2100,8900",
         {0x20, 0x22, 0x23, 0x21},
         {{2000, 0, W, 9000}}},
        {"a cursor whose map cannot be read clicks with button 0",
         "[Cursor0]\r\nSysButtonMap=0x04,0x01\r\nNoSysButtonMap=1\r\n",
         "in 0@2000,9000 1@2000,9000",
         {0x20, 0x22, 0x23, 0x21}},
        /* Its map says button 1; beyond the 32 masks button 0 is taken. */
        {"cursor 35 of 40 clicks with button 0",
         "[Interface]\r\nCursors=40\r\n[Cursor35]\r\nSysButtonMap=0x04,0x01\r\n",
         "in 0@2000,9000/35 1@2000,9000/35",
         {0x20, 0x22, 0x23, 0x21}},
        {"cursor 35 of 40: button 1 ends",
         "[Interface]\r\nCursors=40\r\n",
         "in 0@2000,9000/35 2@2000,9000/35",
         {0x20, 0x22, 0x25}},
        {"no context opens: the prompt stays until the focus leaves",
         "[Interface]\r\nOpenFails=1\r\n",
         "in 0@2000,9000 1@2000,9000 0@2000,9000 out",
         {0x20, 0x22, 0x21, 0x27}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Tablet(c.ini);
        Run([&](HWND dlg, HWND) {
            Do(dlg, c.steps);
            EXPECT_EQ(c.codes, g_codes);
            if (!c.taken.empty()) {
                EXPECT_EQ(c.taken, g_taken);
            }
        });
    }
}
