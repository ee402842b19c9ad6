// The host's side of the panel: changes made through setParameter, programs and chunks reach the
// controls on the next idle call, batched and coalesced, and never come back as automation.
#include "gui/resource.h"
#include "phaser/ParameterTable.h"
#include "phaser/Product.h"
#include "support/EditorHost.h"

#include <gtest/gtest.h>

#include <vector>

using TestSupport::EditorHost;
using Updates = std::vector<std::pair<int, float>>;

namespace
{
class PanelUpdate : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.Ready());
        // Program 1 differs from program 0 in the feedback and the stage mode.
        host.plugin.Dispatch(effSetProgram, 0, 1);
        host.Set(6, 0.8f);
        host.Set(10, 0.5f);
        host.plugin.Dispatch(effSetProgram, 0, 0);
        ASSERT_EQ(host.Open(), 1);
        host.Idle();
        host.WatchPanel();
    }

    EditorHost host;
};
} // namespace

TEST_F(PanelUpdate, ThreeHostChangesBeforeAnIdleGiveOneUpdateWithTheLatestValue)
{
    for (const float value : {0.1f, 0.2f, 0.3f})
    {
        host.Set(9, value);
        // Nothing moves until the idle call.
        EXPECT_EQ(host.SliderPosition(IDC_RIGHT_FREQUENCY), 50);
        EXPECT_TRUE(host.ParameterUpdates().empty());
    }
    host.Idle();
    EXPECT_EQ(host.ParameterUpdates(), (Updates{{9, 0.3f}}));
    EXPECT_EQ(host.SliderPosition(IDC_RIGHT_FREQUENCY), 30);
    host.Idle();
    EXPECT_EQ(host.ParameterUpdates().size(), 1u);
    EXPECT_TRUE(host.plugin.automation.empty()); // host changes are not reported back
}

TEST_F(PanelUpdate, UpdatesCarryTheValueAtIdleTimeInOrderOfLatestChange)
{
    host.Set(9, 0.1f);
    host.Set(7, 0.6f);
    host.Set(9, 0.4f);
    host.Idle();
    EXPECT_EQ(host.ParameterUpdates(), (Updates{{7, 0.6f}, {9, 0.4f}}));
}

TEST_F(PanelUpdate, ProgramChangeThenOneParameterRefreshesAllOnceAndThatOneAgain)
{
    host.plugin.Dispatch(effSetProgram, 0, 1);
    host.Set(0, 0.9f);
    host.Idle();
    const Updates updates = host.ParameterUpdates();
    ASSERT_EQ(updates.size(), 14u);
    for (int i = 0; i < Kestrune::Product::kParameterCount; ++i)
    {
        EXPECT_EQ(updates[static_cast<std::size_t>(i)].first, i);
        EXPECT_EQ(updates[static_cast<std::size_t>(i)].second, host.Get(i)) << i;
    }
    EXPECT_EQ(updates[Kestrune::Product::kParameterCount], (std::pair<int, float>{0, 0.9f}));
    EXPECT_EQ(host.SliderPosition(IDC_FEEDBACK_LEVEL), 80);
    EXPECT_EQ(host.Selection(IDC_STAGE_MODE), 3);
    EXPECT_EQ(host.SliderPosition(IDC_LFO_FREQUENCY), 90);
}

TEST_F(PanelUpdate, ChunkLoadRefreshesEveryControl)
{
    // Program 1's chunk, read while program 1 is current, loaded into program 0.
    host.plugin.Dispatch(effSetProgram, 0, 1);
    void* data = nullptr;
    const auto size = static_cast<VstInt32>(host.plugin.Dispatch(effGetChunk, 1, 0, &data));
    ASSERT_GT(size, 0);
    const std::vector<char> chunk(static_cast<char*>(data), static_cast<char*>(data) + size);
    host.plugin.Dispatch(effSetProgram, 0, 0);
    host.Idle();
    EXPECT_EQ(host.SliderPosition(IDC_FEEDBACK_LEVEL), 0);
    host.WatchPanel();
    ASSERT_EQ(host.plugin.Dispatch(effSetChunk, 1, size, const_cast<char*>(chunk.data())), 1);
    host.Idle();
    EXPECT_EQ(host.ParameterUpdates().size(), 13u);
    EXPECT_EQ(host.SliderPosition(IDC_FEEDBACK_LEVEL), 80);
    EXPECT_EQ(host.Selection(IDC_STAGE_MODE), 3);
}

TEST_F(PanelUpdate, StatusBarSaysReadyThenNamesChangesAndKeepsItOnProgramChange)
{
    EXPECT_EQ(host.StatusText(), "Ready");
    host.Set(6, 0.5f);
    EXPECT_EQ(host.StatusText(), "Phaser - Feedback Level: -6.47 Level"); // the UI thread: at once
    host.plugin.Dispatch(effSetProgram, 0, 1);
    host.Idle();
    EXPECT_EQ(host.StatusText(), "Phaser - Feedback Level: -6.47 Level");
    host.Set(5, 0.0f);
    EXPECT_EQ(host.StatusText(), "Phaser - Enabled: Off On/Off");
    host.Set(12, 1.0f);
    EXPECT_EQ(host.StatusText(), "Phaser - Modulation Source: CP Source"); // the third group
}

// Values the model stores unchanged however far outside 0..1, by setParameter or in a chunk: each
// control stands where it can come nearest, and a list at the entry the sound uses (the host's
// display text of the setting).
TEST_F(PanelUpdate, StoredValuesFarOutsideTheRangeShowTheNearestPositions)
{
    using Kestrune::Product::Control;
    using Kestrune::Product::kParameters;
    const int count = Kestrune::Product::kParameterCount;
    for (const float stored : {1e20f, -1e20f, 3e38f, -3e38f})
    {
        for (const bool byChunk : {false, true})
        {
            for (int i = 0; i < count; ++i)
                host.Set(i, stored);
            if (byChunk)
            {
                void* data = nullptr;
                const auto size = host.plugin.Dispatch(effGetChunk, 1, 0, &data);
                const std::vector<char> chunk(static_cast<char*>(data),
                                              static_cast<char*>(data) + size);
                for (int i = 0; i < count; ++i)
                    host.Set(i, 0.5f);
                host.Idle();
                ASSERT_EQ(
                    host.plugin.Dispatch(effSetChunk, 1, size, const_cast<char*>(chunk.data())), 1);
            }
            host.Idle();
            const bool high = stored > 0.0f;
            for (int i = 0; i < count; ++i)
            {
                SCOPED_TRACE(testing::Message() << stored << (byChunk ? " by chunk" : "") << ", "
                                                << kParameters[i].name);
                ASSERT_EQ(host.Get(i), stored);
                const int id = kParameters[i].controlId;
                switch (kParameters[i].control)
                {
                case Control::kCheckBox:
                    EXPECT_EQ(host.Checked(id), high);
                    break;
                case Control::kSlider:
                    EXPECT_EQ(host.SliderPosition(id), high ? 100 : 0);
                    break;
                case Control::kComboBox:
                {
                    EXPECT_EQ(host.Selection(id), high ? kParameters[i].choices - 1 : 0);
                    char entry[64] = {};
                    host.Ui().SendMessageA(host.Item(id), CB_GETLBTEXT,
                                           static_cast<WPARAM>(host.Selection(id)),
                                           reinterpret_cast<LPARAM>(entry));
                    char display[64] = {};
                    host.plugin.Dispatch(effGetParamDisplay, i, 0, display);
                    EXPECT_STREQ(entry, display);
                    break;
                }
                }
            }
        }
    }
}
