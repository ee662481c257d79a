/*
 * The dialog driver every dialog test stands on: it acts only on the dialog
 * it is told about, and a box it was not told about, or one a script leaves
 * up, is closed with Escape and fails the test instead of hanging it.
 */
#include "panel.h"
#include "dialogdriver.h"

#include <gtest/gtest-spi.h>

TEST(DialogDriver, PressesWhatTheScriptSaysAndNeverAcceptsABoxLeftUp)
{
    int answer = 0;
    auto ask = [&] { answer = MessageBoxW(NULL, L"Go on?", L"Probe", MB_OKCANCEL); };

    EXPECT_TRUE(DriveDialog(L"Probe", ask, [](HWND box) { Click(box, IDOK); }));
    EXPECT_EQ(IDOK, answer);

    EXPECT_NONFATAL_FAILURE(DriveDialog(L"Probe", ask, [](HWND) {}), "left \"Probe\" open");
    EXPECT_EQ(IDCANCEL, answer);

    EXPECT_NONFATAL_FAILURE(DriveDialog(
                                L"Other", ask, [](HWND box) { Click(box, IDOK); }, 300),
                            "closed instead: \"Probe\"");
    EXPECT_EQ(IDCANCEL, answer);
}
