/*
 * The Tweak spin control in the Setup dialog's template, under a procedure of
 * the test's own that attaches every Tweak to its edit, as the dialog does,
 * and records the steps (code, tick) the Tweaks ask for.
 */
#include "panel.h"
#include "dialogdriver.h"

#include <gtest/gtest.h>

#include <algorithm>

static std::vector<std::pair<int, DWORD>> s_steps;
static const int kEdits[] = {IDC_SENS_EDIT, IDC_WIDTH, IDC_HEIGHT, IDC_LEFT,
                             IDC_TOP,       IDC_RIGHT, IDC_BOTTOM};

static INT_PTR CALLBACK StepRecorder(HWND dlg, UINT msg, WPARAM wParam, LPARAM)
{
    if (msg == WM_INITDIALOG)
        for (int e : kEdits)
            SendDlgItemMessageW(dlg, e + 1, CM_WRITE, (WPARAM)GetDlgItem(dlg, e), 0);
    if (msg == WM_COMMAND && (HIWORD(wParam) == TWN_UP || HIWORD(wParam) == TWN_DOWN))
        s_steps.push_back({HIWORD(wParam), GetTickCount()});
    return msg == WM_INITDIALOG;
}

void DriveSetupTemplate(const DialogScript &script)
{
    ASSERT_TRUE(RegisterSetAreaClass(GetModuleHandleW(NULL)));
    ASSERT_TRUE(RegisterTweakClass(GetModuleHandleW(NULL)));
    s_steps.clear();
    auto open = [] {
        DialogBoxParamW(GetModuleHandleW(NULL), MAKEINTRESOURCEW(IDD_SETUP), NULL, StepRecorder, 0);
    };
    DriveDialog(L"Tablet Setup", open, [&](HWND dlg) {
        script(dlg);
        EndDialog(dlg, 0);
    });
}

static COLORREF PixelAt(HWND hwnd, int x, int y)
{
    HDC hdc = GetDC(hwnd);
    COLORREF c = GetPixel(hdc, x, y);
    ReleaseDC(hwnd, hdc);
    return c;
}

/* Half 0 is the upper arrow, 1 the lower; pressed, its face is inverted. */
static bool ShowsPressed(HWND tweak, int half)
{
    COLORREF face = PixelAt(tweak, 0, half ? ClientRectOf(tweak).bottom - 1 : 0);
    return face == (~GetSysColor(COLOR_BTNFACE) & 0xFFFFFF);
}

/* Driven by the timer's ticks, sent by the test in place of the 60 ms timer
   (which it stops at once), so that no machine is too slow for it. */
TEST(Tweak, AClickStepsOnceAndAHoldRepeatsFromTheSeventhTickUntilReleased)
{
    /* The half pressed, the ticks while it is held, whether another window
       takes the mouse meanwhile. */
    struct Case {
        int half, ticks, captureTaken;
    } cases[] = {{0, 2, 0}, {0, 12, 0}, {1, 12, 0}, {1, 10, 1}};
    for (auto &c : cases) {
        std::vector<size_t> steps; /* steps asked for after each tick */
        DriveSetupTemplate([&](HWND dlg) {
            HWND tweak = GetDlgItem(dlg, IDC_WIDTH_SPIN);
            LPARAM at = MAKELPARAM(2, c.half ? ClientRectOf(tweak).bottom - 2 : 1);
            SendMessageW(tweak, WM_LBUTTONDOWN, MK_LBUTTON, at);
            EXPECT_TRUE(KillTimer(tweak, 0)) << "no repeat timer";
            EXPECT_TRUE(ShowsPressed(tweak, c.half));
            if (c.captureTaken)
                SetCapture(dlg);
            for (int tick = 0; tick < c.ticks; tick++) {
                SendMessageW(tweak, WM_TIMER, 0, 0);
                steps.push_back(s_steps.size());
            }
            SendMessageW(tweak, WM_LBUTTONUP, 0, at);
            SendMessageW(tweak, WM_TIMER, 0, 0); /* a tick late on the release */
            steps.push_back(s_steps.size());
            DialogPump(dlg, 30);
            EXPECT_FALSE(ShowsPressed(tweak, c.half));
            EXPECT_EQ(IDC_WIDTH, FocusId(dlg));
            ReleaseCapture();
        });
        /* The press, then a repeat at every tick from the seventh on; nothing
           after the release. */
        std::vector<size_t> expected;
        for (int tick = 1; tick <= c.ticks; tick++)
            expected.push_back(c.captureTaken ? 1 : 1 + std::max(0, tick - 6));
        expected.push_back(expected.back());
        SCOPED_TRACE(testing::Message() << "half " << c.half);
        EXPECT_EQ(expected, steps);
        for (auto &s : s_steps)
            EXPECT_EQ(TWN_UP + c.half, s.first);
    }
}

TEST(Tweak, UpAndDownInTheBuddyStepAndFlashWithoutMovingTheCaret)
{
    for (int half : {0, 1}) {
        DriveSetupTemplate([&](HWND dlg) {
            HWND edit = GetDlgItem(dlg, IDC_HEIGHT), tweak = GetDlgItem(dlg, IDC_HEIGHT_SPIN);
            SetWindowTextW(edit, L"12.5");
            SendMessageW(dlg, WM_NEXTDLGCTL, (WPARAM)edit, TRUE);
            SendMessageW(edit, EM_SETSEL, 2, 2);
            UINT vk = half ? VK_DOWN : VK_UP;
            PostMessageW(edit, WM_KEYDOWN, vk, 1);
            DialogPump(dlg, 30);
            EXPECT_TRUE(ShowsPressed(tweak, half));
            RedrawWindow(tweak, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
            EXPECT_TRUE(ShowsPressed(tweak, half)); /* still, after a repaint */
            PostMessageW(edit, WM_KEYUP, vk, 0xC0000001);
            DialogPump(dlg, 30);
            EXPECT_FALSE(ShowsPressed(tweak, half));
            EXPECT_EQ(L"12.5", ItemText(dlg, IDC_HEIGHT));
            EXPECT_EQ(MAKELONG(2, 2), SendMessageW(edit, EM_GETSEL, 0, 0));
        });
        ASSERT_EQ(1u, s_steps.size());
        EXPECT_EQ(TWN_UP + half, s_steps[0].first);
    }
}

TEST(Tweak, RefusesWhatItCannotStepLetsEitherSideGoFirstAndNeverKeepsTheFocus)
{
    DriveSetupTemplate([](HWND dlg) {
        HWND tweak = GetDlgItem(dlg, IDC_WIDTH_SPIN), own = GetDlgItem(dlg, IDC_WIDTH);
        HWND stale = CreateWindowW(L"EDIT", L"", WS_CHILD, 0, 0, 9, 9, dlg, NULL, NULL, NULL);
        DestroyWindow(stale);
        for (HWND refused : {own, GetDlgItem(dlg, IDC_LEFT), GetDlgItem(dlg, IDC_WIDTH_LABEL),
                             GetDlgItem(dlg, IDC_UNITS), stale}) {
            EXPECT_EQ(0, SendMessageW(tweak, CM_WRITE, (WPARAM)refused, 0));
            EXPECT_EQ((LRESULT)own, SendMessageW(tweak, CM_READ, 0, 0));
        }
        SendMessageW(dlg, WM_NEXTDLGCTL, (WPARAM)own, TRUE);
        PressKey(dlg, VK_UP); /* subclassed once: one step */
        EXPECT_EQ(1u, s_steps.size());

        for (int id : {IDOK, IDC_LEFT}) {
            SendMessageW(dlg, WM_NEXTDLGCTL, (WPARAM)GetDlgItem(dlg, id), TRUE);
            SetFocus(GetDlgItem(dlg, IDC_TOP_SPIN));
            EXPECT_EQ(id, FocusId(dlg));
        }

        DestroyWindow(tweak); /* the edit gets its own procedure back */
        EXPECT_EQ(GetClassLongPtrW(own, GCLP_WNDPROC), GetWindowLongPtrW(own, GWLP_WNDPROC));
        DestroyWindow(GetDlgItem(dlg, IDC_HEIGHT)); /* the Tweak lets go of it */
        EXPECT_EQ(0, SendDlgItemMessageW(dlg, IDC_HEIGHT_SPIN, CM_READ, 0, 0));

        /* Six are left: four more make ten, an eleventh cannot be made. */
        for (int i = 0; i < 5; i++)
            EXPECT_EQ(i < 4, CreateWindowW(TWEAK_CLASS, L"", WS_CHILD, 0, 0, 8, 12, dlg, NULL,
                                           GetModuleHandleW(NULL), NULL) != NULL);
    });
}

TEST(Tweak, DrawsBothArrowsAndLeavesNoImageOrSlotBehindAcrossManyOpenings)
{
    DWORD gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    DWORD user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    std::vector<HGDIOBJ> images;
    for (int round = 0; round < 20; round++) {
        DriveSetupTemplate([&](HWND dlg) {
            EnableControlRange(dlg, 32, 50, round % 2);
            for (int e : kEdits) {
                HWND tweak = GetDlgItem(dlg, e + 1);
                UpdateWindow(tweak);
                images.push_back(((const TweakInfo *)GetWindowLongPtrW(tweak, 0))->image);
                ASSERT_EQ((DWORD)OBJ_BITMAP, GetObjectType(images.back()));
                /* Each arrow is wide beside the middle line, narrow at its tip. */
                RECT rc = ClientRectOf(tweak);
                int cx = 2 * GetSystemMetrics(SM_CXBORDER), cy = 2 * GetSystemMetrics(SM_CYBORDER);
                COLORREF text = GetSysColor(COLOR_BTNTEXT), face = GetSysColor(COLOR_BTNFACE);
                EXPECT_EQ(text, PixelAt(tweak, rc.right / 2, rc.bottom / 2 - cy - 1));
                EXPECT_EQ(text, PixelAt(tweak, rc.right / 2, rc.bottom / 2 + cy + 1));
                EXPECT_EQ(face, PixelAt(tweak, cx + 1, cy));
                EXPECT_EQ(face, PixelAt(tweak, cx + 1, rc.bottom - cy - 1));
            }
            /* A new size, a new image. */
            SetWindowPos(GetDlgItem(dlg, IDC_SENS_SPIN), NULL, 0, 0, 20, 40, SWP_NOMOVE);
            EXPECT_EQ(0u, GetObjectType(images[images.size() - 7]));
        });
    }
    for (HGDIOBJ h : images)
        EXPECT_EQ(0u, GetObjectType(h));
    EXPECT_EQ(0, g_hookedCount);
    /* Wine does not count these (it answers 0); Windows does. */
    EXPECT_EQ(gdi, GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
    EXPECT_EQ(user, GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS));
}
