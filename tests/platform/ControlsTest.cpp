#include "PanelFixture.h"

using namespace PlatformTest;
using Kestrune::Platform::PumpMessages;
namespace Headless = Kestrune::Platform::Headless;

namespace
{

struct Scroll
{
    int code;
    int position;
};

std::vector<Scroll> Scrolls(HWND slider)
{
    std::vector<Scroll> scrolls;
    for (const Recorded& entry : Log())
    {
        if (entry.message == WM_HSCROLL && entry.lParam == reinterpret_cast<LPARAM>(slider))
        {
            scrolls.push_back({LOWORD(entry.wParam), static_cast<short>(HIWORD(entry.wParam))});
        }
    }
    return scrolls;
}

std::vector<int> Codes(const std::vector<Scroll>& scrolls)
{
    std::vector<int> codes;
    for (const Scroll& scroll : scrolls)
    {
        codes.push_back(scroll.code);
    }
    return codes;
}

} // namespace

TEST_F(PanelTest, ProgrammaticChangesNeverNotify)
{
    SendMessageA(Item(1027), BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(SendMessageA(Item(1027), BM_GETCHECK, 0, 0), BST_CHECKED);
    SendMessageA(Item(1011), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("a"));
    SendMessageA(Item(1011), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("b"));
    EXPECT_EQ(SendMessageA(Item(1011), CB_SETCURSEL, 1, 0), 1);
    EXPECT_EQ(SendMessageA(Item(1011), CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(SendMessageA(Item(1011), CB_SETCURSEL, 5, 0), CB_ERR);
    EXPECT_EQ(SendMessageA(Item(1011), CB_GETCURSEL, 0, 0), CB_ERR);
    SendMessageA(Item(1028), TBM_SETPOS, TRUE, 37);
    EXPECT_EQ(SendMessageA(Item(1028), TBM_GETPOS, 0, 0), 37);
    SendMessageA(Item(1028), TBM_SETPOS, TRUE, 500);
    EXPECT_EQ(SendMessageA(Item(1028), TBM_GETPOS, 0, 0), 100);
    PumpMessages();
    EXPECT_TRUE(Log().empty());
}

TEST_F(PanelTest, CheckBoxTogglesAndNotifiesOnClickSpaceAndBmClick)
{
    const HWND box = Item(1027);
    SendMessageA(box, BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_CHECKED);
    ASSERT_EQ(Log().size(), 1u);
    EXPECT_EQ(Log()[0].wParam, MAKEWPARAM(1027, BN_CLICKED));
    EXPECT_EQ(Log()[0].lParam, reinterpret_cast<LPARAM>(box));

    Log().clear();
    Headless::ClickItem(panel, 1027);
    PumpMessages();
    EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(GetFocus(), box);
    Headless::PressKey(VK_SPACE);
    PumpMessages();
    EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(CommandCodes(1027), (std::vector<int>{BN_CLICKED, BN_CLICKED}));
}

TEST_F(PanelTest, PushButtonNotifiesItsIdOnClickAndSpace)
{
    Headless::ClickItem(panel, 1000);
    Headless::PressKey(VK_SPACE);
    Headless::PressKey(VK_RETURN); // a focused push button is pressed by Enter too
    PumpMessages();
    EXPECT_EQ(CommandCodes(1000), (std::vector<int>{BN_CLICKED, BN_CLICKED, BN_CLICKED}));
}

TEST_F(PanelTest, ClickingAStaticOrTheGroupBoxChangesNothing)
{
    SetFocus(Item(1000));
    Headless::Click(panel, 150 * 602 / 400 + 5, 106 * 13 / 8 + 4); // "Frequency"
    Headless::Click(panel, 93 * 602 / 400 + 1, 60 * 13 / 8);       // the group box frame
    PumpMessages();
    EXPECT_EQ(GetFocus(), Item(1000));
    EXPECT_TRUE(Log().empty());
}

TEST_F(PanelTest, TrackbarDragSendsThumbTrackThenThumbPositionAndEndTrack)
{
    const HWND slider = Item(1028);
    RECT thumb{};
    SendMessageA(slider, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    const int x = (thumb.left + thumb.right) / 2;
    const int y = (thumb.top + thumb.bottom) / 2;
    // The thumb's centre runs from 8 to width - 8 pixels: 86 pixels for 100 steps.
    Headless::Drag(slider, x, y, x + 43, y, 4);
    PumpMessages();
    const auto scrolls = Scrolls(slider);
    ASSERT_EQ(scrolls.size(), 6u);
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_EQ(scrolls[static_cast<std::size_t>(i)].code, TB_THUMBTRACK);
    }
    EXPECT_EQ(scrolls[3].position, 50);
    EXPECT_EQ(scrolls[4].code, TB_THUMBPOSITION);
    EXPECT_EQ(scrolls[4].position, 50);
    EXPECT_EQ(scrolls[5].code, TB_ENDTRACK);
    EXPECT_EQ(SendMessageA(slider, TBM_GETPOS, 0, 0), 50);
    EXPECT_EQ(GetFocus(), slider);
}

TEST_F(PanelTest, TrackbarChannelClickPagesThenEndsTrack)
{
    const HWND slider = Item(1031);
    RECT client{};
    GetClientRect(slider, &client);
    Headless::Click(slider, client.right - 4, client.bottom / 2);
    PumpMessages();
    EXPECT_EQ(Codes(Scrolls(slider)), (std::vector<int>{TB_PAGEDOWN, TB_ENDTRACK}));
    EXPECT_EQ(SendMessageA(slider, TBM_GETRANGEMAX, 0, 0), 100);
    EXPECT_EQ(SendMessageA(slider, TBM_GETPOS, 0, 0), 20); // a page is a fifth of the range
    Log().clear();
    Headless::Click(slider, 2, client.bottom / 2);
    PumpMessages();
    EXPECT_EQ(Codes(Scrolls(slider)), (std::vector<int>{TB_PAGEUP, TB_ENDTRACK}));
    EXPECT_EQ(SendMessageA(slider, TBM_GETPOS, 0, 0), 0);
}

TEST_F(PanelTest, TrackbarKeysScrollAndEndTrackOnKeyUp)
{
    const HWND slider = Item(1022);
    SetFocus(slider);
    for (const UINT key : {VK_RIGHT, VK_DOWN, VK_NEXT, VK_LEFT, VK_UP, VK_PRIOR, VK_END, VK_HOME})
    {
        Headless::PressKey(key);
    }
    Headless::PressKey(VK_LEFT); // at the minimum: no move, still an end of track
    PumpMessages();
    EXPECT_EQ(
        Codes(Scrolls(slider)),
        (std::vector<int>{TB_LINEDOWN, TB_ENDTRACK, TB_LINEDOWN, TB_ENDTRACK, TB_PAGEDOWN,
                          TB_ENDTRACK, TB_LINEUP, TB_ENDTRACK, TB_LINEUP, TB_ENDTRACK, TB_PAGEUP,
                          TB_ENDTRACK, TB_BOTTOM, TB_ENDTRACK, TB_TOP, TB_ENDTRACK, TB_ENDTRACK}));
    for (const Scroll& scroll : Scrolls(slider))
    {
        EXPECT_EQ(scroll.position, 0); // only the thumb codes carry a position
    }
    EXPECT_EQ(SendMessageA(slider, TBM_GETPOS, 0, 0), 0);
}

class ComboTest : public PanelTest
{
protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        combo = Item(1011);
        for (const char* entry :
             {"1/32", "1/16", "1/12", "1/8", "1/4", "1/2", "1/1", "2/1", "4/1", "8/1", "16/1"})
        {
            SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
        }
        SendMessageA(combo, CB_SETCURSEL, 0, 0);
    }

    // The screen point of an entry of the open list.
    POINT EntryPoint(int index) const
    {
        RECT dropped{};
        SendMessageA(combo, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
        RECT field{};
        GetClientRect(combo, &field);
        const auto itemHeight = static_cast<int>(SendMessageA(combo, CB_GETITEMHEIGHT, 0, 0));
        return POINT{dropped.left + 10, dropped.top + field.bottom + 1 + index * itemHeight + 6};
    }

    std::vector<int> ListCodes() const { return CommandCodes(1011); }

    HWND combo = nullptr;
};

TEST_F(ComboTest, ChoosingFromThePopUpListSelectsAndNotifies)
{
    Headless::ClickItem(panel, 1011);
    PumpMessages();
    EXPECT_TRUE(ListCodes().empty());
    EXPECT_TRUE(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_EQ(GetFocus(), combo);

    const POINT entry = EntryPoint(4);
    Headless::ClickScreen(entry.x, entry.y);
    PumpMessages();
    EXPECT_EQ(ListCodes(), (std::vector<int>{CBN_SELCHANGE}));
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 4);
    EXPECT_FALSE(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0));
    char text[16];
    EXPECT_EQ(SendMessageA(combo, CB_GETLBTEXT, 4, reinterpret_cast<LPARAM>(text)), 3);
    EXPECT_STREQ(text, "1/4");
}

TEST_F(ComboTest, ClickOutsideTheOpenListClosesItWithoutAChoice)
{
    Headless::ClickItem(panel, 1011);
    Headless::Click(panel, 380, 330);
    PumpMessages();
    EXPECT_TRUE(ListCodes().empty());
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 0);
    EXPECT_FALSE(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0));
}

TEST_F(ComboTest, ArrowKeysChangeTheSelectionAndNotify)
{
    SetFocus(combo);
    Headless::PressKey(VK_DOWN);
    Headless::PressKey(VK_DOWN);
    Headless::PressKey(VK_UP);
    Headless::PressKey(VK_HOME);
    Headless::PressKey(VK_UP); // at the first entry: nothing
    Headless::PressKey(VK_END);
    PumpMessages();
    EXPECT_EQ(ListCodes(), (std::vector<int>{CBN_SELCHANGE, CBN_SELCHANGE, CBN_SELCHANGE,
                                             CBN_SELCHANGE, CBN_SELCHANGE}));
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 10);
}

TEST_F(PanelTest, TabMovesFocusInTemplateOrderAndShiftTabBack)
{
    SetFocus(Item(1027));
    const int order[] = {1028, 1031, 1022, 1030, 1029, 1032, 1014,
                         1011, 1023, 1019, 1006, 1000, 1007, 1027};
    for (const int id : order)
    {
        Headless::PressKey(VK_TAB);
        PumpMessages();
        EXPECT_EQ(GetDlgCtrlID(GetFocus()), id);
    }
    Headless::PressKey(VK_TAB, true);
    PumpMessages();
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), 1007);
    // Tab is the dialog's own key: no control reports a click or a choice.
    EXPECT_TRUE(Log().empty());
}

TEST_F(PanelTest, KeysGoToTheFocusedControl)
{
    SetFocus(Item(1030));
    Headless::PressKey(VK_RIGHT);
    Headless::ClickItem(panel, 1032);
    Headless::PressKey(VK_SPACE);
    PumpMessages();
    EXPECT_EQ(SendMessageA(Item(1030), TBM_GETPOS, 0, 0), 1);
    EXPECT_EQ(SendMessageA(Item(1032), BM_GETCHECK, 0, 0), BST_UNCHECKED); // clicked twice
    EXPECT_EQ(CommandCodes(1032), (std::vector<int>{BN_CLICKED, BN_CLICKED}));
}

TEST_F(PanelTest, StatusWindowLiesAlongTheBottomAndShowsPartZero)
{
    const HWND status = CreateStatusWindowA(WS_CHILD | WS_VISIBLE, "Ready", panel, 10000);
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(GetParent(status), panel);
    EXPECT_EQ(GetDlgCtrlID(status), 10000);
    RECT client{};
    GetClientRect(status, &client);
    EXPECT_EQ(client.right, 391);
    char text[128] = {};
    EXPECT_EQ(SendMessageA(status, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text)), 5);
    EXPECT_STREQ(text, "Ready");
    EXPECT_TRUE(SendMessageA(status, SB_SETTEXTA, 0,
                             reinterpret_cast<LPARAM>("Phaser - Enabled: On On/Off")));
    EXPECT_FALSE(SendMessageA(status, SB_SETTEXTA, 1, reinterpret_cast<LPARAM>("x")));
    EXPECT_EQ(GetWindowTextA(status, text, sizeof text), 27);
    EXPECT_STREQ(text, "Phaser - Enabled: On On/Off");
    EXPECT_TRUE(DestroyWindow(status));
    EXPECT_EQ(GetDlgItem(panel, 10000), nullptr);
}
