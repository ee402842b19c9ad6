// The editor as a host sees it: rectangle, open, idle, close, reopen, close of the effect, all
// through the dispatcher of the test module.
#include "gui/resource.h"
#include "phaser/Product.h"
#include "support/EditorHost.h"

#include <gtest/gtest.h>

using TestSupport::EditorHost;

namespace
{
class EditorWindow : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(host.Ready()); }

    const TestSupport::HeadlessDriver& ui() const { return host.Ui(); }

    EditorHost host;
};
} // namespace

TEST_F(EditorWindow, RectangleIsThereBeforeAnyOpenAndMatchesThePanel)
{
    ERect* rect = nullptr;
    ASSERT_EQ(host.plugin.Dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, 348);
    EXPECT_EQ(rect->right, 391);

    ASSERT_EQ(host.Open(), 1);
    const HWND panel = host.Panel();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(ui().ChildCount(host.parent), 1);
    EXPECT_EQ(ui().GetParent(panel), host.parent);
    EXPECT_TRUE(ui().IsWindowVisible(panel));
    RECT client{};
    ASSERT_TRUE(ui().GetClientRect(panel, &client));
    EXPECT_EQ(client.right - client.left, rect->right - rect->left);
    EXPECT_EQ(client.bottom - client.top, rect->bottom - rect->top);
    // The rectangle stays put for the editor's life.
    ERect* again = nullptr;
    host.plugin.Dispatch(effEditGetRect, 0, 0, &again);
    EXPECT_EQ(again, rect);
}

TEST_F(EditorWindow, OpenShowsTheModelsValuesAndReady)
{
    host.Set(6, 0.5f);
    host.Set(3, 0.4f);
    host.Set(5, 0.0f);
    ASSERT_EQ(host.Open(), 1);
    EXPECT_EQ(host.StatusText(), "Ready");
    host.Idle();
    EXPECT_EQ(host.SliderPosition(IDC_FEEDBACK_LEVEL), 50);
    EXPECT_EQ(host.Selection(IDC_SYNC_RESOLUTION), 4);
    EXPECT_FALSE(host.Checked(IDC_ENABLED));
    // Defaults of the rest: Frequency 0.2, Left and Right 0.5, Mix 0.5, Depth 0.25, Quad on,
    // Sync off, MIDI source None, Stage Mode "4", Mod Source "LFO".
    EXPECT_EQ(host.SliderPosition(IDC_LFO_FREQUENCY), 20);
    EXPECT_EQ(host.SliderPosition(IDC_LEFT_FREQUENCY), 50);
    EXPECT_EQ(host.SliderPosition(IDC_RIGHT_FREQUENCY), 50);
    EXPECT_EQ(host.SliderPosition(IDC_WET_DRY_MIX), 50);
    EXPECT_EQ(host.SliderPosition(IDC_MODULATION_DEPTH), 25);
    EXPECT_TRUE(host.Checked(IDC_QUAD_ENABLED));
    EXPECT_FALSE(host.Checked(IDC_SYNC_ENABLED));
    EXPECT_EQ(host.Selection(IDC_MIDI_SOURCE), 0);
    EXPECT_EQ(host.Selection(IDC_STAGE_MODE), 0);
    EXPECT_EQ(host.Selection(IDC_MOD_SOURCE), 1);
    // The refreshes of the open are not changes: the bar still says Ready.
    EXPECT_EQ(host.StatusText(), "Ready");
    EXPECT_TRUE(host.Automation(6).empty());
}

TEST_F(EditorWindow, ListsHoldTheirEntriesInOrder)
{
    ASSERT_EQ(host.Open(), 1);
    const std::vector<std::pair<int, std::vector<std::string>>> lists = {
        {IDC_SYNC_RESOLUTION,
         {"1/32", "1/16", "1/12", "1/8", "1/4", "1/2", "1/1", "2/1", "4/1", "8/1", "16/1"}},
        {IDC_MIDI_SOURCE, {"None", "ModWh", "ChPress", "ExpPd"}},
        {IDC_STAGE_MODE, {"4", "6", "8", "10", "12", "14", "16"}},
        {IDC_MOD_SOURCE, {"None", "LFO", "MW", "CP"}}};
    for (const auto& [id, entries] : lists)
    {
        const HWND list = host.Item(id);
        ASSERT_EQ(ui().SendMessageA(list, CB_GETCOUNT, 0, 0), static_cast<LRESULT>(entries.size()));
        for (std::size_t i = 0; i < entries.size(); ++i)
        {
            char text[32] = {};
            ui().SendMessageA(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            EXPECT_EQ(std::string(text), entries[i]) << id << " entry " << i;
        }
    }
}

TEST_F(EditorWindow, OpenTwiceLeavesOneView)
{
    ASSERT_EQ(host.Open(), 1);
    const HWND first = host.Panel();
    ASSERT_EQ(host.Open(), 1);
    const HWND second = host.Panel();
    EXPECT_EQ(ui().ChildCount(host.parent), 1);
    EXPECT_FALSE(ui().IsWindow(first));
    EXPECT_TRUE(ui().IsWindow(second));
    // One view: the first one's refresh died with its window, the second one's arrives once,
    // and a host change reaches the panel as one update.
    host.WatchPanel();
    host.Set(9, 0.25f);
    host.Idle();
    const auto updates = host.ParameterUpdates();
    ASSERT_EQ(updates.size(), 14u);
    for (int i = 0; i < Kestrune::Product::kParameterCount; ++i)
        EXPECT_EQ(updates[static_cast<std::size_t>(i)].first, i);
    EXPECT_EQ(updates[9].second, 0.5f); // the refresh read the value at open
    EXPECT_EQ(updates[Kestrune::Product::kParameterCount], (std::pair<int, float>{9, 0.25f}));
    EXPECT_EQ(host.SliderPosition(IDC_RIGHT_FREQUENCY), 25);
}

TEST_F(EditorWindow, CloseTwiceAndIdleWhileClosedAreHarmless)
{
    host.Close();
    host.Idle();
    ASSERT_EQ(host.Open(), 1);
    const HWND panel = host.Panel();
    host.Close();
    EXPECT_FALSE(ui().IsWindow(panel));
    EXPECT_EQ(ui().ChildCount(host.parent), 0);
    host.Close();
    host.Idle();
    // Changes after the close reach no window.
    host.Set(6, 0.7f);
    host.Idle();
    EXPECT_EQ(ui().ChildCount(host.parent), 0);
    EXPECT_FLOAT_EQ(host.Get(6), 0.7f);
}

TEST_F(EditorWindow, ReopenShowsValuesChangedWhileClosed)
{
    ASSERT_EQ(host.Open(), 1);
    host.Idle();
    EXPECT_EQ(host.SliderPosition(IDC_FEEDBACK_LEVEL), 0);
    host.Close();
    host.Set(6, 0.73f);
    host.Set(10, 1.0f);
    host.Set(5, 0.0f);
    ASSERT_EQ(host.Open(), 1);
    host.Idle();
    EXPECT_EQ(host.SliderPosition(IDC_FEEDBACK_LEVEL), 73);
    EXPECT_EQ(host.Selection(IDC_STAGE_MODE), 6);
    EXPECT_FALSE(host.Checked(IDC_ENABLED));
    EXPECT_EQ(host.StatusText(), "Ready"); // a fresh view
}

TEST_F(EditorWindow, EffCloseWithTheEditorOpenRemovesThePanel)
{
    ASSERT_EQ(host.Open(), 1);
    host.Idle();
    const HWND panel = host.Panel();
    host.Set(6, 0.3f); // a queued update and a status text in flight
    host.plugin.Close();
    EXPECT_FALSE(ui().IsWindow(panel));
    EXPECT_EQ(ui().ChildCount(host.parent), 0);
    ui().PumpMessages(); // nothing left to deliver to a view that is gone
    EXPECT_TRUE(ui().IsWindow(host.parent));
}
