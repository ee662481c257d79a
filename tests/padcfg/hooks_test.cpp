/*
 * Ranges of the Setup dialog's template enabled and disabled: disabled labels
 * stop answering as labels, only labels are hooked and each once, and the
 * table empties when the dialog closes.
 */
#include "panel.h"
#include "dialogdriver.h"

#include <gtest/gtest.h>

#include <algorithm>

/* The template with every Tweak attached to its edit (tweak_test.cpp). */
void DriveSetupTemplate(const DialogScript &script);

TEST(ControlHooks, DisabledLabelsLoseTheirMnemonicsAndOnlyLabelsAreHookedEachOnce)
{
    const int labels[] = {IDC_SENS_LABEL, IDC_WIDTH_LABEL, IDC_HEIGHT_LABEL, IDC_LEFT_LABEL,
                          IDC_TOP_LABEL,  IDC_RIGHT_LABEL, IDC_BOTTOM_LABEL};
    const wchar_t keys[] = L"swhltib";
    const WORD ranges[][2] = {{22, 24}, {27, 27}, {29, 29}, {32, 50}}; /* the dialog's */
    DriveSetupTemplate([&](HWND dlg) {
        std::vector<LONG_PTR> procs; /* every control's, labels' included */
        for (int id = 20; id <= 52; id++)
            procs.push_back(GetWindowLongPtrW(GetDlgItem(dlg, id), GWLP_WNDPROC));
        for (BOOL enable : {FALSE, TRUE, FALSE}) {
            for (int again = 0; again < 3; again++)
                for (auto &r : ranges)
                    EnableControlRange(dlg, r[0], r[1], enable);
            for (int i = 0; i < 7; i++) {
                /* Wine's dialog manager skips disabled labels by itself; the
                   code is what Windows' asks. */
                EXPECT_EQ(enable ? DLGC_STATIC : 0,
                          SendDlgItemMessageW(dlg, labels[i], WM_GETDLGCODE, 0, 0));
                SendMessageW(dlg, WM_NEXTDLGCTL, (WPARAM)GetDlgItem(dlg, IDOK), TRUE);
                PressAltKey(dlg, keys[i]);
                EXPECT_EQ(enable ? labels[i] + 1 : IDOK, FocusId(dlg)) << labels[i];
            }
        }
        EXPECT_EQ(7, g_hookedCount);
        for (int id = 20; id <= 52; id++) {
            bool label = std::find(labels, labels + 7, id) != labels + 7;
            LONG_PTR proc = GetWindowLongPtrW(GetDlgItem(dlg, id), GWLP_WNDPROC);
            EXPECT_EQ(label, proc != procs[id - 20]) << id;
        }

        /* A full table leaves further labels ordinary, but still disabled. */
        for (int id = 200; id < 205; id++)
            CreateWindowW(L"STATIC", L"&x", WS_CHILD, 0, 0, 9, 9, dlg, (HMENU)(INT_PTR)id, NULL,
                          NULL);
        EnableControlRange(dlg, 200, 0xFFFF, FALSE); /* and a range to the last id ends */
        EXPECT_EQ(10, g_hookedCount);
        EXPECT_FALSE(ItemEnabled(dlg, 204));
        EXPECT_EQ(DLGC_STATIC, SendDlgItemMessageW(dlg, 204, WM_GETDLGCODE, 0, 0));
    });
    EXPECT_EQ(0, g_hookedCount);
}
