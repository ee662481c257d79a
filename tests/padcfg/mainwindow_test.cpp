/*
 * The main window and its tiles, driven as a person drives them: the keys,
 * clicks and menu commands a user's actions send, and what the window then
 * shows.
 */
#include "panel.h"
#include "dialogdriver.h"

#include <gtest/gtest.h>

#include <algorithm>

/* Commands that reached the tiles' pre-open hook, with where the focus was then. */
struct OpenRecord {
    UINT command;
    HWND focusTile;
    HWND focus;
};
static std::vector<OpenRecord> s_opened;
static bool s_runModal; /* the hook runs a modal dialog, as the real dialogs do */

static INT_PTR CALLBACK ClosingDialogProc(HWND dlg, UINT msg, WPARAM, LPARAM)
{
    if (msg == WM_INITDIALOG) {
        PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
        return TRUE;
    }
    if (msg == WM_COMMAND) {
        EndDialog(dlg, 0);
        return TRUE;
    }
    return FALSE;
}

static void RunModalDialog(HWND owner)
{
    /* An in-memory template: a small dialog with one button that takes the focus. */
    struct {
        DLGTEMPLATE dlg;
        WORD menu, cls, title;
        DLGITEMTEMPLATE item;
        WORD itemClass[2], itemTitle, extra;
    } t;
    ZeroMemory(&t, sizeof(t));
    t.dlg.style = WS_POPUP | WS_CAPTION | WS_VISIBLE;
    t.dlg.cdit = 1;
    t.dlg.cx = 80;
    t.dlg.cy = 40;
    t.item.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON;
    t.item.x = 10;
    t.item.y = 10;
    t.item.cx = 40;
    t.item.cy = 14;
    t.item.id = IDOK;
    t.itemClass[0] = 0xFFFF;
    t.itemClass[1] = 0x0080; /* button */
    DialogBoxIndirectParamW(GetModuleHandleW(NULL), &t.dlg, owner, ClosingDialogProc, 0);
}

static LRESULT RecordOpen(HWND hwnd, UINT, WPARAM wParam, LPARAM)
{
    s_opened.push_back({LOWORD(wParam), g_focusTile, GetFocus()});
    if (s_runModal)
        RunModalDialog(hwnd);
    return 1;
}

class MainWindow : public ::testing::Test
{
  protected:
    HWND main = NULL;
    int cx = GetSystemMetrics(SM_CXICON), cy = GetSystemMetrics(SM_CYICON);
    TilePreOpenHook savedHooks[3];

    void SetUp() override
    {
        s_opened.clear();
        s_runModal = false;
        for (int i = 0; i < 3; i++) {
            savedHooks[i] = g_tileLayout.records[i].preOpen;
            g_tileLayout.records[i].preOpen = RecordOpen;
        }
        UseDriver(DRIVER_STANDIN);
        UseTablet("");
        StartCallLog();
        main = StartPanel();
        ASSERT_NE((HWND)NULL, main);
    }
    void TearDown() override
    {
        StopPanel();
        for (int i = 0; i < 3; i++)
            g_tileLayout.records[i].preOpen = savedHooks[i];
    }

    void Key(WPARAM vk)
    {
        HWND target = GetFocus();
        SendMessageW(target, WM_KEYDOWN, vk, 1);
        SendMessageW(target, WM_KEYUP, vk, 0xC0000001);
        PumpMessages(20);
    }
    static LPARAM Point(int x, int y)
    {
        return MAKELPARAM(x, y);
    }
};

TEST_F(MainWindow, ShowsTheTitleMenuAndThreeTilesFillingTheClientArea)
{
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_EQ(L"Tablet Control Panel", WindowText(main));
    LONG style = GetWindowLongW(main, GWL_STYLE);
    EXPECT_EQ((LONG)(WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX),
              style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_THICKFRAME | WS_MAXIMIZEBOX));

    RECT client = ClientRectOf(main);
    EXPECT_EQ(9 * cx, client.right);
    EXPECT_EQ(2 * cy, client.bottom);

    const int ids[] = {51, 52, 53};
    const wchar_t *captions[] = {L"Information", L"Features", L"Customization"};
    for (int i = 0; i < 3; i++) {
        HWND tile = Tile(ids[i]);
        ASSERT_NE((HWND)NULL, tile) << ids[i];
        EXPECT_EQ(L"Icon Window Class", ClassOf(tile));
        EXPECT_EQ(captions[i], WindowText(tile));
        EXPECT_TRUE(IsWindowVisible(tile));
        RECT rc = RectInParent(tile);
        EXPECT_EQ(i * 3 * cx, rc.left);
        EXPECT_EQ(0, rc.top);
        EXPECT_EQ(3 * cx, rc.right - rc.left);
        EXPECT_EQ(2 * cy, rc.bottom - rc.top);
    }

    HMENU menu = GetMenu(main);
    ASSERT_EQ(1, GetMenuItemCount(menu));
    wchar_t text[64];
    GetMenuStringW(menu, 0, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(L"&Tablet", text);
    HMENU popup = GetSubMenu(menu, 0);
    const struct {
        UINT id;
        const wchar_t *text;
    } items[] = {{101, L"&Information..."},
                 {102, L"&Transducer..."},
                 {103, L"&Setup..."},
                 {0, L""},
                 {204, L"&About Tablet Control Panel..."},
                 {0, L""},
                 {104, L"E&xit"}};
    ASSERT_EQ(7, GetMenuItemCount(popup));
    for (int i = 0; i < 7; i++) {
        EXPECT_EQ(items[i].id, GetMenuItemID(popup, i));
        GetMenuStringW(popup, i, text, 64, MF_BYPOSITION);
        EXPECT_STREQ(items[i].text, text);
    }
}

TEST_F(MainWindow, ArrowKeysMoveTheFocusAlongTheRowWithoutWrapping)
{
    EXPECT_EQ(Tile(51), GetFocus());
    Key(VK_LEFT);
    EXPECT_EQ(Tile(51), GetFocus());
    Key(VK_RIGHT);
    EXPECT_EQ(Tile(52), GetFocus());
    EXPECT_EQ(Tile(52), g_focusTile);
    Key(VK_UP);
    Key(VK_DOWN);
    EXPECT_EQ(Tile(52), GetFocus());
    Key(VK_RIGHT);
    Key(VK_RIGHT);
    EXPECT_EQ(Tile(53), GetFocus());
    Key(VK_LEFT);
    EXPECT_EQ(Tile(52), GetFocus());
    Key(VK_TAB); /* other keys do nothing */
    EXPECT_EQ(Tile(52), GetFocus());
    EXPECT_TRUE(s_opened.empty());
}

TEST_F(MainWindow, AClickFocusesATileAndOnlyADoubleClickOrEnterOpensIt)
{
    HWND tile = Tile(53);
    SendMessageW(tile, WM_LBUTTONDOWN, MK_LBUTTON, Point(10, 10));
    SendMessageW(tile, WM_LBUTTONUP, 0, Point(10, 10));
    PumpMessages(20);
    EXPECT_EQ(tile, GetFocus());
    EXPECT_TRUE(s_opened.empty());

    SendMessageW(Tile(52), WM_LBUTTONDBLCLK, MK_LBUTTON, Point(10, 10));
    ASSERT_EQ(1u, s_opened.size());
    EXPECT_EQ(102u, s_opened[0].command);
    EXPECT_EQ(Tile(52), s_opened[0].focusTile);

    Key(VK_LEFT);
    Key(VK_RETURN);
    ASSERT_EQ(2u, s_opened.size());
    EXPECT_EQ(101u, s_opened[1].command);
}

TEST_F(MainWindow, AfterTheDialogOpenedWithEnterTheFocusIsBackOnItsTile)
{
    s_runModal = true;
    Key(VK_RIGHT);
    Key(VK_RETURN);
    ASSERT_EQ(1u, s_opened.size());
    EXPECT_EQ(102u, s_opened[0].command);
    EXPECT_EQ(Tile(52), GetFocus());
    EXPECT_TRUE(IsWindowEnabled(main));
}

TEST_F(MainWindow, AMenuCommandMovesTheHighlightToItsTileFirst)
{
    EXPECT_EQ(Tile(51), GetFocus());
    SendMessageW(main, WM_COMMAND, MAKEWPARAM(103, 0), 0); /* as the menu sends it */
    ASSERT_EQ(1u, s_opened.size());
    EXPECT_EQ(103u, s_opened[0].command);
    EXPECT_EQ(Tile(53), s_opened[0].focusTile);
    EXPECT_EQ(Tile(53), s_opened[0].focus);
}

TEST_F(MainWindow, UnknownCommandsShowNothing)
{
    BoxWatch watch;
    StartBoxWatch(watch);
    for (UINT id : {100u, 105u, 200u, 205u, 300u})
        EXPECT_EQ(0, SendMessageW(main, WM_COMMAND, id, 0));
    PumpMessages(100);
    EXPECT_TRUE(StopBoxWatch(watch).empty());
    EXPECT_TRUE(IsWindow(main));
}

/* Every command of the menu, and the help commands kept for later, open what
   they name; the tile of a dialog's command has the focus meanwhile. */
TEST(MainWindowCommands, EachCommandOpensItsDialog)
{
    const struct {
        UINT command;
        const wchar_t *title;
        int tile;
    } commands[] = {
        {IDM_INFORMATION, L"Tablet Information", IDT_INFORMATION},
        {IDM_TRANSDUCER, L"Features", IDT_FEATURES},
        {IDM_SETUP, L"Tablet Setup", IDT_CUSTOMIZATION},
        {IDM_ABOUT, L"About Tablet Control Panel...", 0},
        {IDM_HELP_FIRST, L"NO HELP YET!", 0},
    };
    ASSERT_NE((HWND)NULL, RestartPanel(""));
    for (const auto &c : commands) {
        EXPECT_TRUE(DriveDialog(
            c.title, [&] { SendMessageW(MainWindow(), WM_COMMAND, c.command, 0); },
            [&](HWND dlg) {
                EXPECT_EQ(MainWindow(), GetWindow(dlg, GW_OWNER)) << c.command;
                if (c.tile) {
                    EXPECT_EQ(Tile(c.tile), g_focusTile) << c.command;
                }
                PressKey(dlg, VK_ESCAPE);
            }))
            << c.command;
    }
    StopPanel();
}

TEST_F(MainWindow, ActivatingTheWindowPutsTheFocusOnTheLastFocusedTile)
{
    Key(VK_RIGHT);
    Key(VK_RIGHT);
    ASSERT_EQ(Tile(53), GetFocus());

    HWND other = CreateWindowExW(0, L"BUTTON", L"elsewhere", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 400,
                                 400, 120, 60, NULL, NULL, GetModuleHandleW(NULL), NULL);
    SetForegroundWindow(other);
    SetFocus(other);
    PumpMessages(50);
    ASSERT_NE(Tile(53), GetFocus());

    SetForegroundWindow(main);
    SetActiveWindow(main);
    PumpMessages(50);
    EXPECT_EQ(Tile(53), GetFocus());
    DestroyWindow(other);
}

/* Pixels of a colour in the lower half of a tile, where its caption is, and
   the columns they span. */
static int CountCaptionPixels(HWND tile, COLORREF colour, int *columns = NULL)
{
    RedrawWindow(tile, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT rc = ClientRectOf(tile);
    HDC hdc = GetDC(tile);
    int count = 0, left = rc.right, right = -1;
    for (int y = rc.bottom / 2 + GetSystemMetrics(SM_CYICON) / 2; y < rc.bottom; y++) {
        for (int x = 0; x < rc.right; x++) {
            if (GetPixel(hdc, x, y) == colour) {
                count++;
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    ReleaseDC(tile, hdc);
    if (columns)
        *columns = right < left ? 0 : right - left + 1;
    return count;
}

TEST_F(MainWindow, TheFocusedTileHighlightsItsCaptionInTheActiveCaptionColours)
{
    COLORREF active = GetSysColor(COLOR_ACTIVECAPTION);
    ASSERT_NE(active, GetSysColor(COLOR_APPWORKSPACE));
    Key(VK_RIGHT);
    EXPECT_GT(CountCaptionPixels(Tile(52), active), 20);
    EXPECT_EQ(0, CountCaptionPixels(Tile(51), active));
    EXPECT_EQ(0, CountCaptionPixels(Tile(53), active));

    Key(VK_RIGHT); /* both tiles of a focus change repaint */
    EXPECT_EQ(0, CountCaptionPixels(Tile(52), active));
    EXPECT_GT(CountCaptionPixels(Tile(53), active), 20);

    /* With no caption the highlight is still there, one pixel wide. */
    SetWindowTextW(Tile(51), L"");
    Key(VK_LEFT);
    Key(VK_LEFT);
    ASSERT_EQ(Tile(51), GetFocus());
    int columns = 0;
    EXPECT_GT(CountCaptionPixels(Tile(51), active, &columns), 0);
    EXPECT_EQ(1, columns);
}

TEST_F(MainWindow, ExitClosesTheManagerBeforeReleasingTheLibraryAndQuitsWithZero)
{
    HMGR mgr = g_hMgr;
    ASSERT_NE((HMGR)NULL, mgr);
    SendMessageW(main, WM_COMMAND, MAKEWPARAM(104, 0), 0);
    EXPECT_FALSE(IsWindow(main));

    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(0u, msg.wParam);

    std::vector<std::string> log = CallLog();
    int close = FindCall(log, "WTMgrClose(");
    int unload = FindCall(log, "unload");
    ASSERT_GE(close, 0);
    ASSERT_GE(unload, 0);
    EXPECT_LT(close, unload);
    EXPECT_EQ(mgr, g_hMgr); /* the handle is not cleared */
}

TEST(MainWindowStart, ATileThatCannotBeMadeStopsTheStartWithOneMessage)
{
    UseDriver(DRIVER_STANDIN);
    UseTablet("");
    WORD icon = g_tileLayout.records[2].iconId;
    g_tileLayout.records[2].iconId = 999; /* no such icon */
    BoxWatch watch;
    StartBoxWatch(watch, {L"Tablet Control Panel"});
    HWND main = StartPanel();
    std::vector<MessageBoxView> boxes = StopBoxWatch(watch);
    g_tileLayout.records[2].iconId = icon;

    EXPECT_EQ((HWND)NULL, main);
    EXPECT_EQ((HWND)NULL, MainWindow());
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(L"Tablet Control Panel", boxes[0].title);
    EXPECT_EQ(L"Not Enough Memory", boxes[0].text);
    EXPECT_EQ(IconsCanShow(), boxes[0].hasErrorIcon);
    StopPanel();
}

TEST(MainWindowStart, ARunningCopyIsBroughtForwardInsteadOfStartingAgain)
{
    UseDriver(DRIVER_STANDIN);
    UseTablet("");
    StartCallLog();
    HWND main = StartPanel();
    ASSERT_NE((HWND)NULL, main);
    ShowWindow(main, SW_MINIMIZE);
    PumpMessages(50);
    size_t calls = CallLog().size();

    EXPECT_FALSE(InitApplication(GetModuleHandleW(NULL), NULL));
    PumpMessages(50);
    EXPECT_FALSE(IsIconic(main));
    EXPECT_EQ(calls, CallLog().size()); /* nothing loaded or asked of the driver */
    StopPanel();
}
