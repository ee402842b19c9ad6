// The user's side of the panel: simulated mouse and keyboard input on the editor the test module
// opens, observed through the VST interface (getParameter, audioMasterAutomate) and the controls.
#include "gui/resource.h"
#include "phaser/Product.h"
#include "support/EditorHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using TestSupport::EditorHost;
using TestSupport::SpiedMessage;

namespace
{

class PanelInput : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.Ready());
        ASSERT_EQ(host.Open(), 1);
        host.Idle(); // the controls show the model
        panel = host.Panel();
        ASSERT_NE(panel, nullptr);
        host.WatchPanel();
        host.plugin.automation.clear();
        for (int i = 0; i < Kestrune::Product::kParameterCount; ++i)
            before.push_back(host.Get(i));
    }

    const TestSupport::HeadlessDriver& ui() const { return host.Ui(); }

    // Scroll notifications of a slider that reached the panel, as codes.
    std::vector<int> ScrollCodes(int controlId) const
    {
        std::vector<int> codes;
        for (const SpiedMessage& message : host.Spied())
            if (message.message == WM_HSCROLL &&
                reinterpret_cast<HWND>(message.lParam) == host.Item(controlId))
                codes.push_back(LOWORD(message.wParam));
        return codes;
    }

    // Notification codes of a control's WM_COMMAND messages.
    std::vector<int> CommandCodes(int controlId) const
    {
        std::vector<int> codes;
        for (const SpiedMessage& message : host.Spied())
            if (message.message == WM_COMMAND && LOWORD(message.wParam) == controlId)
                codes.push_back(HIWORD(message.wParam));
        return codes;
    }

    // The screen point of an entry of an open drop-down list.
    POINT EntryPoint(int controlId, int index) const
    {
        const HWND list = host.Item(controlId);
        RECT dropped{};
        ui().SendMessageA(list, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
        RECT field{};
        ui().GetClientRect(list, &field);
        const auto itemHeight = static_cast<int>(ui().SendMessageA(list, CB_GETITEMHEIGHT, 0, 0));
        return POINT{dropped.left + 10, dropped.top + field.bottom + 1 + index * itemHeight + 6};
    }

    void ExpectNothingChanged()
    {
        for (int i = 0; i < Kestrune::Product::kParameterCount; ++i)
            EXPECT_EQ(host.Get(i), before[static_cast<std::size_t>(i)]) << "parameter " << i;
        EXPECT_TRUE(host.plugin.automation.empty());
        EXPECT_EQ(host.StatusText(), "Ready");
    }

    EditorHost host;
    HWND panel = nullptr;
    std::vector<float> before;
};

} // namespace

TEST_F(PanelInput, DraggingFeedbackToTheMiddleAutomatesEveryStep)
{
    const HWND slider = host.Item(IDC_FEEDBACK_LEVEL);
    ASSERT_EQ(host.SliderPosition(IDC_FEEDBACK_LEVEL), 0);
    RECT thumb{};
    ui().SendMessageA(slider, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    const int y = (thumb.top + thumb.bottom) / 2;
    const int from = (thumb.left + thumb.right) / 2;
    // The thumb's centre runs from 8 to width - 8 pixels (86 pixels for 100 steps): the middle
    // lies 43 pixels on.
    const int to = from + 43;

    ui().MouseDown(slider, from, y);
    host.Idle();
    std::vector<int> positions;
    std::vector<std::string> texts;
    for (int x = from + 5; x < to + 5; x += 5)
    {
        ui().MouseMove(slider, std::min(x, to), y);
        host.Idle();
        positions.push_back(host.SliderPosition(IDC_FEEDBACK_LEVEL));
        texts.push_back(host.StatusText());
    }
    ui().MouseUp(slider, to, y);
    host.Idle();

    ASSERT_EQ(positions.back(), 50);
    EXPECT_FLOAT_EQ(host.Get(6), 0.5f);
    EXPECT_EQ(host.StatusText(), "Phaser - Feedback Level: -6.47 Level"); // 0.475 gain

    // Every move changed the position, each change was a thumb-track notification, and the
    // release adds the thumb position: one automation per notification, value = position / 100.
    const std::vector<int> codes = ScrollCodes(IDC_FEEDBACK_LEVEL);
    std::vector<int> expectedCodes(positions.size(), TB_THUMBTRACK);
    expectedCodes.push_back(TB_THUMBPOSITION);
    expectedCodes.push_back(TB_ENDTRACK);
    EXPECT_EQ(codes, expectedCodes);
    std::vector<float> expected;
    for (std::size_t i = 0; i < positions.size(); ++i)
    {
        EXPECT_TRUE(i == 0 || positions[i] > positions[i - 1]) << i;
        expected.push_back(static_cast<float>(positions[i]) / 100.0f);
        // The bar follows every step.
        EXPECT_EQ(texts[i].rfind("Phaser - Feedback Level: ", 0), 0u) << texts[i];
        EXPECT_EQ(texts[i].substr(texts[i].size() - 6), " Level") << texts[i];
    }
    expected.push_back(0.5f);
    EXPECT_EQ(host.Automation(6), expected);
    EXPECT_EQ(host.plugin.automation.size(), expected.size()); // no other parameter moved

    // The view is not told about its own change: no update comes back on the next idle, the
    // slider stays where the user left it, and nothing is automated again.
    host.Idle();
    host.Idle();
    EXPECT_TRUE(host.ParameterUpdates().empty());
    EXPECT_EQ(host.SliderPosition(IDC_FEEDBACK_LEVEL), 50);
    EXPECT_EQ(host.Automation(6).size(), expected.size());
}

TEST_F(PanelInput, SliderKeysAndChannelClicksAreChangesToo)
{
    const HWND slider = host.Item(IDC_WET_DRY_MIX);
    RECT client{};
    ui().GetClientRect(slider, &client);
    ui().Click(slider, client.right - 4, client.bottom / 2); // page right: 50 -> 70
    ui().PressKey(VK_LEFT, false);                           // 69
    host.Idle();
    EXPECT_EQ(host.SliderPosition(IDC_WET_DRY_MIX), 69);
    EXPECT_FLOAT_EQ(host.Get(11), 0.69f);
    EXPECT_EQ(host.Automation(11), (std::vector<float>{0.7f, 0.69f}));
    EXPECT_EQ(host.StatusText().rfind("Phaser - Wet/Dry Mix: ", 0), 0u) << host.StatusText();
}

// A host change and a key press in the same idle interval: the key moves the slider from where
// it stands, and the control ends up showing what the model holds, not the host's older value.
TEST_F(PanelInput, InputAndAHostChangeInOneIntervalLeaveTheModelsValueShown)
{
    host.Set(11, 0.2f);
    ui().SetFocus(host.Item(IDC_WET_DRY_MIX));
    ui().PressKey(VK_LEFT, false); // 50 -> 49, before the panel has seen the host's value
    host.Idle();
    EXPECT_FLOAT_EQ(host.Get(11), 0.49f);
    EXPECT_EQ(host.SliderPosition(IDC_WET_DRY_MIX), 49);
    host.Idle();
    EXPECT_EQ(host.SliderPosition(IDC_WET_DRY_MIX), 49);
}

TEST_F(PanelInput, ChoosingFromThePopUpListSetsSyncResolution)
{
    ui().ClickItem(panel, IDC_SYNC_RESOLUTION);
    host.Idle();
    ASSERT_TRUE(ui().SendMessageA(host.Item(IDC_SYNC_RESOLUTION), CB_GETDROPPEDSTATE, 0, 0));
    const POINT entry = EntryPoint(IDC_SYNC_RESOLUTION, 4);
    ui().ClickScreen(entry.x, entry.y);
    host.Idle();
    EXPECT_EQ(host.Selection(IDC_SYNC_RESOLUTION), 4);
    EXPECT_FLOAT_EQ(host.Get(3), 0.4f);
    EXPECT_EQ(host.Automation(3), (std::vector<float>{0.4f}));
    EXPECT_EQ(host.StatusText(), "LFO - Sync Resolution: 1/4 Res");
    EXPECT_EQ(CommandCodes(IDC_SYNC_RESOLUTION), (std::vector<int>{CBN_SELCHANGE}));
}

TEST_F(PanelInput, ArrowKeysInTheListSetSyncResolution)
{
    ASSERT_EQ(host.Selection(IDC_SYNC_RESOLUTION), 5); // default 0.5: "1/2"
    ui().SetFocus(host.Item(IDC_SYNC_RESOLUTION));
    ui().PressKey(VK_UP, false);
    host.Idle();
    EXPECT_EQ(host.Selection(IDC_SYNC_RESOLUTION), 4);
    EXPECT_FLOAT_EQ(host.Get(3), 0.4f);
    ui().PressKey(VK_DOWN, false);
    ui().PressKey(VK_DOWN, false);
    host.Idle();
    EXPECT_EQ(host.Selection(IDC_SYNC_RESOLUTION), 6);
    EXPECT_FLOAT_EQ(host.Get(3), 0.6f);
    EXPECT_EQ(host.Automation(3), (std::vector<float>{0.4f, 0.5f, 0.6f}));
    EXPECT_EQ(host.StatusText(), "LFO - Sync Resolution: 1/1 Res");
}

TEST_F(PanelInput, HostValuesPickTheNearestEntryAndTheHalfWayCheck)
{
    host.Set(3, 0.43f);
    host.Idle();
    EXPECT_EQ(host.Selection(IDC_SYNC_RESOLUTION), 4);
    host.Set(3, 0.46f);
    host.Idle();
    EXPECT_EQ(host.Selection(IDC_SYNC_RESOLUTION), 5);
    host.Set(5, 0.5f);
    host.Idle();
    EXPECT_TRUE(host.Checked(IDC_ENABLED));
    host.Set(5, 0.4999f);
    host.Idle();
    EXPECT_FALSE(host.Checked(IDC_ENABLED));
    // Moving a control by program is no user action.
    EXPECT_TRUE(host.plugin.automation.empty());
    EXPECT_TRUE(CommandCodes(IDC_ENABLED).empty());
    EXPECT_TRUE(CommandCodes(IDC_SYNC_RESOLUTION).empty());
}

TEST_F(PanelInput, CheckBoxClickAndSpaceToggleEnabled)
{
    ASSERT_TRUE(host.Checked(IDC_ENABLED));
    ui().ClickItem(panel, IDC_ENABLED);
    host.Idle();
    EXPECT_FALSE(host.Checked(IDC_ENABLED));
    EXPECT_EQ(host.Get(5), 0.0f);
    EXPECT_EQ(host.StatusText(), "Phaser - Enabled: Off On/Off");
    ui().PressKey(VK_SPACE, false); // the box has the focus from the click
    host.Idle();
    EXPECT_TRUE(host.Checked(IDC_ENABLED));
    EXPECT_EQ(host.Get(5), 1.0f);
    EXPECT_EQ(host.Automation(5), (std::vector<float>{0.0f, 1.0f}));
    EXPECT_EQ(host.StatusText(), "Phaser - Enabled: On On/Off");
}

TEST_F(PanelInput, EndTrackAloneChangesNothing)
{
    const HWND slider = host.Item(IDC_MODULATION_DEPTH);
    // A key released on a slider ends a gesture that moved nothing.
    ui().SetFocus(slider);
    ui().KeyUp(VK_RIGHT);
    host.Idle();
    EXPECT_EQ(ScrollCodes(IDC_MODULATION_DEPTH), (std::vector<int>{TB_ENDTRACK}));
    // And the message itself, with a position that differs from the control's.
    ui().SendMessageA(panel, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 80),
                      reinterpret_cast<LPARAM>(slider));
    host.Idle();
    EXPECT_EQ(host.SliderPosition(IDC_MODULATION_DEPTH), 25);
    ExpectNothingChanged();
}

TEST_F(PanelInput, OpeningAndClosingAListChangesNothing)
{
    ui().ClickItem(panel, IDC_STAGE_MODE);
    host.Idle();
    ASSERT_TRUE(ui().SendMessageA(host.Item(IDC_STAGE_MODE), CB_GETDROPPEDSTATE, 0, 0));
    ui().Click(panel, 380, 330); // outside the list: closes it without a choice
    host.Idle();
    EXPECT_TRUE(CommandCodes(IDC_STAGE_MODE).empty());
    // Windows also reports the list opening and closing: the panel ignores both.
    const HWND list = host.Item(IDC_MIDI_SOURCE);
    for (const int code : {CBN_DROPDOWN, CBN_CLOSEUP})
        ui().SendMessageA(panel, WM_COMMAND, MAKEWPARAM(IDC_MIDI_SOURCE, code),
                          reinterpret_cast<LPARAM>(list));
    host.Idle();
    ExpectNothingChanged();
}

namespace
{
struct AboutSeen
{
    const TestSupport::HeadlessDriver* ui = nullptr;
    HWND panel = nullptr;
    std::vector<std::string> titles; // of the active window at each look
    std::vector<bool> panelEnabled;
};

void LookAtTheActiveWindow(void* context)
{
    auto* seen = static_cast<AboutSeen*>(context);
    char title[64] = {};
    seen->ui->GetWindowTextA(seen->ui->ActiveWindow(), title, sizeof title);
    seen->titles.emplace_back(title);
    seen->panelEnabled.push_back(seen->ui->IsWindowEnabled(seen->panel) != FALSE);
}
} // namespace

TEST_F(PanelInput, AboutBoxClosesWithOkOrEnterButNotEscape)
{
    AboutSeen seen{&ui(), panel, {}, {}};
    // The box opens on the click and takes the input queued after it; the panel takes none.
    ui().ClickItem(panel, IDC_ABOUT);
    ui().QueueCall(&LookAtTheActiveWindow, &seen);
    ui().PressKey(VK_ESCAPE, false);
    ui().QueueCall(&LookAtTheActiveWindow, &seen);
    ui().PressKey(VK_RETURN, false);
    ui().QueueCall(&LookAtTheActiveWindow, &seen);
    host.Idle();
    EXPECT_EQ(seen.titles,
              (std::vector<std::string>{"About Corvane Phaser", "About Corvane Phaser", "Host"}));
    EXPECT_EQ(seen.panelEnabled, (std::vector<bool>{false, false, true}));
    EXPECT_EQ(ui().PendingEvents(), 0u);

    ui().ClickItem(panel, IDC_ABOUT);
    ui().QueueCall(&LookAtTheActiveWindow, &seen);
    ui().ClickItem(nullptr, IDOK); // the active window by then: the box
    ui().QueueCall(&LookAtTheActiveWindow, &seen);
    host.Idle();
    ASSERT_EQ(seen.titles.size(), 5u);
    EXPECT_EQ(seen.titles[3], "About Corvane Phaser");
    EXPECT_EQ(seen.titles[4], "Host");
    EXPECT_EQ(ui().ActiveWindow(), host.parent);
    EXPECT_TRUE(ui().IsWindow(panel));
    ExpectNothingChanged();
}
