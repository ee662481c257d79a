/*
 * The Information dialog as a person opens and reads it: the tablet's name,
 * data format and transducer, its size and resolution in the units chosen,
 * and the units that carry over when OK is pressed.
 */
#include "panel.h"
#include "dialogdriver.h"

#include <gtest/gtest.h>

class Info : public ::testing::Test
{
  protected:
    void TearDown() override
    {
        StopPanel();
        UseTablet("");
    }
    /* Opens the dialog from the menu and runs the script in it. */
    static void Open(const DialogScript &script)
    {
        EXPECT_TRUE(DriveDialog(
            L"Tablet Information",
            [] { SendMessageW(MainWindow(), WM_COMMAND, IDM_INFORMATION, 0); }, script));
    }
    static std::vector<std::wstring> Values(HWND dlg)
    {
        std::vector<std::wstring> v;
        for (int id = IDC_INFO_WIDTH; id <= IDC_INFO_YRES; id++)
            v.push_back(ItemText(dlg, id));
        return v;
    }
};

TEST_F(Info, ShowsTheFirstPartOfTheNameTheFormatAndTheActiveCursor)
{
    const std::wstring tildes(300, L'~');
    const struct {
        std::string ini;
        std::wstring id, format, cursor;
        std::vector<Misreport> misreports = {};
    } cases[] = {
        /* in order: the cursor name stays from one opening to the next */
        {"[Device0]\r\nName=X;Format: Y;Version 2\r\n[Cursor0]\r\nActive=0\r\n", L"X", L"Y format",
         L" is installed."},
        {"", L"QUORAX MM-Compatible Tablet", L"MM Series format", L"Stylus is installed."},
        {"[Device0]\r\nName=X;Version 2;format: Y Z\r\n[Cursor0]\r\nActive=0\r\n", L"X",
         L"Y Z format", L"Stylus is installed."},
        {"[Device0]\r\nName=X\r\n[Cursor0]\r\nActive=0\r\n[Cursor1]\r\nActive=1\r\n", L"X",
         L"unknown format", L"Puck is installed."},
        /* the active one's name cannot be read; one active past the driver's
           cursors (an extension's category) is none of the device's */
        {"",
         L"QUORAX MM-Compatible Tablet",
         L"MM Series format",
         L"Puck is installed.",
         {{WTI_CURSORS, CSR_NAME, -1}}},
        {"[Cursor0]\r\nActive=0\r\n",
         L"QUORAX MM-Compatible Tablet",
         L"MM Series format",
         L"Puck is installed.",
         {{WTI_DEVICES, DVC_NCSRTYPES, 200},
          {WTI_EXTENSIONS, CSR_ACTIVE, 1},
          {WTI_EXTENSIONS, CSR_NAME, 0, std::wstring(L"Extension", 10)}}},
        {"[Device0]\r\nName=Format: Y\r\n", L"Format: Y", L"unknown format",
         L"Stylus is installed."},
        {"[Device0]\r\nName=\r\n", L"", L"unknown format", L"Stylus is installed."},
        {"[Device0]\r\nName=;;;\r\n", L";;;", L"unknown format", L"Stylus is installed."},
        {"[Device0]\r\nName=;X;Format: Y\r\n", L";X", L"Y format", L"Stylus is installed."},
        {"[Device0]\r\nName=X\\r\\nFormat: Y\\r\\nVersion 2\r\n", L"X", L"Y format",
         L"Stylus is installed."},
        /* a line break or tab would hide the rest of a line: it shows as a blank */
        {"[Device0]\r\nName=\\r\\nX\\nformat: Y;Z\r\n", L"  X", L"Y format",
         L"Stylus is installed."},
        {"[Device0]\r\nName=\\r\\n\r\n", L"  ", L"unknown format", L"Stylus is installed."},
        {"[Device0]\r\nName=X\\tY;Format: MM\\tSeries\r\n[Cursor0]\r\nName=Sty\\r\\nlus\r\n",
         L"X Y", L"MM Series format", L"Sty  lus is installed."},
        {"[Device0]\r\nName=" + std::string(5000, 'A') + ";Format: Y\r\n", std::wstring(198, L'A'),
         L"unknown format", L"Stylus is installed."},
        /* names padded to 320 characters: read into 200, lines cut at 80 */
        {"[Interface]\r\nLongStrings=1\r\n[Device0]\r\nName=X;Format: Y\r\n", L"X",
         L"Y" + tildes.substr(0, 78), L"Stylus" + tildes.substr(0, 72) + L" "},
    };
    for (const auto &t : cases) {
        ASSERT_NE((HWND)NULL, RestartPanel(t.ini));
        InstallMisreports(t.misreports);
        Open([&](HWND dlg) {
            EXPECT_EQ(t.id, ItemText(dlg, IDC_INFO_ID)) << t.ini.substr(0, 80);
            EXPECT_EQ(t.format, ItemText(dlg, IDC_INFO_FORMAT)) << t.ini.substr(0, 80);
            EXPECT_EQ(t.cursor, ItemText(dlg, IDC_INFO_CURSOR)) << t.ini.substr(0, 80);
            PressKey(dlg, VK_ESCAPE);
        });
    }
}

TEST_F(Info, TheUnitsChosenCarryOverOnlyThroughOK)
{
    typedef std::vector<std::wstring> Texts;
    const Texts inches = {L"12\"", L"12\"", L"1000 dpi", L"1000 dpi"};
    const Texts cm = {L"30.46 cm", L"30.46 cm", L"392.58 dpcm", L"392.58 dpcm"};
    ASSERT_NE((HWND)NULL, RestartPanel(""));

    /* From the tile, as Enter on it opens it. */
    EXPECT_TRUE(DriveDialog(
        L"Tablet Information",
        [] { SendMessageW(Tile(IDT_INFORMATION), WM_KEYDOWN, VK_RETURN, 1); },
        [&](HWND dlg) {
            EXPECT_EQ((Texts{L"Inches", L"Centimeters"}), ListEntries(dlg, IDC_INFO_UNITS));
            EXPECT_EQ(L"Inches", ChosenText(dlg, IDC_INFO_UNITS));
            EXPECT_EQ(inches, Values(dlg));
            Choose(dlg, IDC_INFO_UNITS, 1);
            EXPECT_EQ(cm, Values(dlg));
            PressKey(dlg, VK_ESCAPE);
        }));
    EXPECT_EQ(0, g_panel.units);

    Open([&](HWND dlg) {
        EXPECT_EQ(L"Inches", ChosenText(dlg, IDC_INFO_UNITS));
        EXPECT_EQ(inches, Values(dlg));
        Choose(dlg, IDC_INFO_UNITS, 1);
        Click(dlg, IDOK);
    });
    EXPECT_EQ(1, g_panel.units);
    Open([&](HWND dlg) {
        EXPECT_EQ(L"Centimeters", ChosenText(dlg, IDC_INFO_UNITS));
        EXPECT_EQ(cm, Values(dlg));
        PressKey(dlg, VK_ESCAPE);
    });

    /* A centimetre tablet, and one whose X axis has no resolution. */
    ASSERT_NE((HWND)NULL, RestartPanel("[Device0]\r\nX=0, 12000, 2, 400\r\nY=0, 8000, 2, 400\r\n"));
    Open([&](HWND dlg) {
        EXPECT_EQ((Texts{L"30 cm", L"20 cm", L"400 dpcm", L"400 dpcm"}), Values(dlg));
        Choose(dlg, IDC_INFO_UNITS, 0);
        EXPECT_EQ((Texts{L"11.81\"", L"7.88\"", L"1018.91 dpi", L"1018.91 dpi"}), Values(dlg));
        Click(dlg, IDOK);
    });
    EXPECT_EQ(0, g_panel.units);
    ASSERT_NE((HWND)NULL, RestartPanel("[Device0]\r\nX=0, 12000, 1, 0\r\n"));
    Open([&](HWND dlg) {
        EXPECT_EQ((Texts{L"0\"", L"12\"", L"0 dpi", L"1000 dpi"}), Values(dlg));
        PressKey(dlg, VK_ESCAPE);
    });
}
