// The generic view in-process, over a test model and the test executable's own headless window
// system: the queue of pending updates, the control tables and the value conversions.
#include "gui/View.h"
#include "gui/resource.h"
#include "midi/MessageDispatcher.h"
#include "platform/Headless.h"
#include "platform/MessagePump.h"
#include "support/TestModel.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using Kestrune::Gui::ControlType;
using Kestrune::Platform::PumpMessages;
using TestSupport::TestModel;
using Updates = std::vector<std::pair<int, float>>;

namespace
{

// Template 101 with a chosen set of bound controls; records every control update it handles.
class ProbeView : public Kestrune::Gui::View
{
public:
    ProbeView(HWND parent, Kestrune::Model* pluginModel,
              std::vector<std::pair<int, std::pair<ControlType, int>>> bindings)
        : View(nullptr, pluginModel)
    {
        AttachToModel();
        for (const auto& [id, binding] : bindings)
            AddControl(id, binding.first, binding.second);
        dialog = CreateDialogParamA(nullptr, MAKEINTRESOURCEA(IDD_CONTROL_PANEL), parent,
                                    &View::DialogProc, reinterpret_cast<LPARAM>(this));
        for (const int list : {IDC_SYNC_RESOLUTION, IDC_MIDI_SOURCE})
            for (const char* entry : {"a", "b", "c", "d", "e"})
                SendMessageA(GetDlgItem(dialog, list), CB_ADDSTRING, 0,
                             reinterpret_cast<LPARAM>(entry));
    }
    ~ProbeView() override
    {
        DetachFromModel();
        DestroyWindow(dialog);
    }

    HWND GetHandle() override { return dialog; }
    void OnParameterUpdate(int index, float value) override
    {
        updates.emplace_back(index, value);
        View::OnParameterUpdate(index, value);
    }

    HWND Item(int id) const { return GetDlgItem(dialog, id); }

    HWND dialog = nullptr;
    Updates updates;
};

std::vector<std::pair<int, std::pair<ControlType, int>>> AllThirteen()
{
    return {{IDC_ENABLED, {ControlType::CheckBox, 5}},
            {IDC_SYNC_ENABLED, {ControlType::CheckBox, 2}},
            {IDC_SYNC_RESOLUTION, {ControlType::ComboBox, 3}},
            {IDC_QUAD_ENABLED, {ControlType::CheckBox, 4}},
            {IDC_LFO_FREQUENCY, {ControlType::HorizontalSlider, 0}},
            {IDC_MIDI_SOURCE, {ControlType::ComboBox, 1}},
            {IDC_FEEDBACK_LEVEL, {ControlType::HorizontalSlider, 6}},
            {IDC_WET_DRY_MIX, {ControlType::HorizontalSlider, 11}},
            {IDC_MODULATION_DEPTH, {ControlType::HorizontalSlider, 7}},
            {IDC_LEFT_FREQUENCY, {ControlType::HorizontalSlider, 8}},
            {IDC_RIGHT_FREQUENCY, {ControlType::HorizontalSlider, 9}},
            {IDC_STAGE_MODE, {ControlType::ComboBox, 10}},
            {IDC_MOD_SOURCE, {ControlType::ComboBox, 12}}};
}

class ViewQueue : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Kestrune::Platform::Headless::IsActive());
        Kestrune::Platform::Headless::DiscardPendingEvents();
        host = Kestrune::Platform::Headless::CreateHostWindow(391, 348);
    }
    void TearDown() override
    {
        view.reset();
        DestroyWindow(host);
        PumpMessages();
    }

    ProbeView& Open(std::vector<std::pair<int, std::pair<ControlType, int>>> bindings)
    {
        view = std::make_unique<ProbeView>(host, &model, std::move(bindings));
        return *view;
    }

    // A change made elsewhere: stored, then every observer told.
    void Change(int index, float value)
    {
        model.SetParameterValue(index, value);
        model.NotifyParameterChanged(index, nullptr);
    }

    // The editor's idle call: queued changes become posted messages, then they are dispatched.
    Updates Idle()
    {
        view->updates.clear();
        view->Idle();
        PumpMessages();
        return view->updates;
    }

    Kestrune::Midi::MessageDispatcher messages;
    TestModel model{&messages};
    HWND host = nullptr;
    std::unique_ptr<ProbeView> view;
};

} // namespace

TEST_F(ViewQueue, RepeatedChangesCoalesceIntoOneUpdateWithTheValueAtIdleTime)
{
    Open(AllThirteen());
    Change(9, 0.1f);
    Change(9, 0.2f);
    Change(9, 0.3f);
    model.SetParameterValue(9, 0.35f); // stored after the last notification, before the idle
    EXPECT_EQ(Idle(), (Updates{{9, 0.35f}}));
    EXPECT_EQ(SendMessageA(view->Item(IDC_RIGHT_FREQUENCY), TBM_GETPOS, 0, 0), 35);
    EXPECT_TRUE(Idle().empty());
}

TEST_F(ViewQueue, AParameterIsQueuedAtThePositionOfItsLatestChange)
{
    Open(AllThirteen());
    Change(3, 0.25f);
    Change(5, 1.0f);
    Change(3, 0.5f);
    EXPECT_EQ(Idle(), (Updates{{5, 1.0f}, {3, 0.5f}}));
}

TEST_F(ViewQueue, AllParametersThenOneRefreshesAllInIndexOrderThenThatOne)
{
    Open(AllThirteen());
    Change(7, 0.5f); // dropped by the marker that follows
    model.NotifyAllParametersChanged();
    Change(0, 0.9f);
    const Updates updates = Idle();
    ASSERT_EQ(updates.size(), 14u);
    for (int i = 0; i < TestModel::kParameterCount; ++i)
        EXPECT_EQ(updates[static_cast<std::size_t>(i)],
                  (std::pair<int, float>{i, model.GetParameterValue(i)}));
    EXPECT_EQ(updates[TestModel::kParameterCount], (std::pair<int, float>{0, 0.9f}));
}

TEST_F(ViewQueue, AFullQueueKeepsEveryParameter)
{
    Open(AllThirteen());
    model.NotifyAllParametersChanged();
    for (int i = 12; i >= 0; --i)
        Change(i, 0.5f);
    const Updates updates = Idle();
    ASSERT_EQ(updates.size(), 26u);
    for (int i = 0; i < TestModel::kParameterCount; ++i)
        EXPECT_EQ(updates[TestModel::kParameterCount + static_cast<std::size_t>(i)].first,
                  TestModel::kParameterCount - 1 - i);
}

TEST_F(ViewQueue, ParametersWithoutAControlAreSkipped)
{
    Open({{IDC_FEEDBACK_LEVEL, {ControlType::HorizontalSlider, 6}},
          {IDC_RIGHT_FREQUENCY, {ControlType::HorizontalSlider, 9}}});
    Change(2, 1.0f);
    Change(6, 0.25f);
    EXPECT_EQ(Idle(), (Updates{{6, 0.25f}}));
    model.NotifyAllParametersChanged();
    EXPECT_EQ(Idle(), (Updates{{6, 0.25f}, {9, model.GetParameterValue(9)}}));
    view->updates.clear();
    view->RefreshAll();
    PumpMessages();
    EXPECT_EQ(view->updates.size(), 2u);
}

TEST_F(ViewQueue, NotificationsAfterTheViewIsGoneReachNothing)
{
    Open(AllThirteen());
    Change(6, 0.5f);
    view.reset(); // queued and posted work dies with the view and its window
    Change(6, 0.75f);
    model.NotifyAllParametersChanged();
    PumpMessages();
    EXPECT_EQ(model.GetParameterValue(6), 0.75f);
}

TEST_F(ViewQueue, ConversionsRoundHalvesAwayFromZero)
{
    ProbeView& probe = Open(AllThirteen());
    const HWND slider = probe.Item(IDC_FEEDBACK_LEVEL);
    const HWND list = probe.Item(IDC_SYNC_RESOLUTION); // 5 entries here
    probe.SetHorizontalSlider(IDC_FEEDBACK_LEVEL, 0.125f);
    EXPECT_EQ(SendMessageA(slider, TBM_GETPOS, 0, 0), 13);
    probe.SetVerticalSlider(IDC_FEEDBACK_LEVEL, 0.125f);
    EXPECT_EQ(SendMessageA(slider, TBM_GETPOS, 0, 0), 88);
    probe.SetVerticalSlider(IDC_FEEDBACK_LEVEL, 3e38f); // nearest end, upside down
    EXPECT_EQ(SendMessageA(slider, TBM_GETPOS, 0, 0), 0);
    probe.SetVerticalSlider(IDC_FEEDBACK_LEVEL, -3e38f);
    EXPECT_EQ(SendMessageA(slider, TBM_GETPOS, 0, 0), 100);
    probe.SetComboBox(IDC_SYNC_RESOLUTION, 0.375f); // 1.5 entries
    EXPECT_EQ(SendMessageA(list, CB_GETCURSEL, 0, 0), 2);
    probe.SetComboBox(IDC_SYNC_RESOLUTION, 0.37f);
    EXPECT_EQ(SendMessageA(list, CB_GETCURSEL, 0, 0), 1);
    probe.SetCheckBox(IDC_ENABLED, 0.5f);
    EXPECT_EQ(SendMessageA(probe.Item(IDC_ENABLED), BM_GETCHECK, 0, 0), BST_CHECKED);
    probe.SetCheckBox(IDC_ENABLED, 0.4999f);
    EXPECT_EQ(SendMessageA(probe.Item(IDC_ENABLED), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(ViewQueue, UserInputWritesTheModelAndTellsOthersButNotTheView)
{
    ProbeView& probe = Open({{IDC_FEEDBACK_LEVEL, {ControlType::VerticalSlider, 6}},
                             {IDC_SYNC_RESOLUTION, {ControlType::ComboBox, 3}},
                             {IDC_ENABLED, {ControlType::CheckBox, 5}}});
    struct Recorder : Kestrune::IModelObserver
    {
        void OnParameterChanged(int index) override { changes.push_back(index); }
        void OnAllParametersChanged() override {}
        std::vector<int> changes;
    } others;
    model.AddObserver(&others);
    const HWND slider = probe.Item(IDC_FEEDBACK_LEVEL);

    // A vertical slider's top is 1: position 25 of 100 is 0.75.
    SendMessageA(slider, TBM_SETPOS, TRUE, 25);
    SendMessageA(probe.dialog, WM_VSCROLL, MAKEWPARAM(TB_THUMBTRACK, 25),
                 reinterpret_cast<LPARAM>(slider));
    EXPECT_EQ(model.GetParameterValue(6), 0.75f);
    // The same control's horizontal notifications are not its kind: ignored.
    SendMessageA(probe.dialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, 0),
                 reinterpret_cast<LPARAM>(slider));
    EXPECT_EQ(model.GetParameterValue(6), 0.75f);

    SendMessageA(probe.Item(IDC_SYNC_RESOLUTION), CB_SETCURSEL, 3, 0);
    SendMessageA(probe.dialog, WM_COMMAND, MAKEWPARAM(IDC_SYNC_RESOLUTION, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(probe.Item(IDC_SYNC_RESOLUTION)));
    EXPECT_EQ(model.GetParameterValue(3), 0.75f); // entry 3 of 5

    SendMessageA(probe.Item(IDC_ENABLED), BM_SETCHECK, BST_UNCHECKED, 0);
    SendMessageA(probe.dialog, WM_COMMAND, MAKEWPARAM(IDC_ENABLED, BN_CLICKED),
                 reinterpret_cast<LPARAM>(probe.Item(IDC_ENABLED)));
    EXPECT_EQ(model.GetParameterValue(5), 0.0f);

    EXPECT_EQ(others.changes, (std::vector<int>{6, 3, 5}));
    EXPECT_TRUE(Idle().empty());
    model.RemoveObserver(&others);
}

namespace
{
// Posts to `window` until the window system's queue refuses; answers how many it took.
int FillPostedQueue(HWND window)
{
    int posted = 0;
    while (PostMessageA(window, WM_NULL, 0, 0) && posted < 100000)
        ++posted;
    return posted;
}
} // namespace

TEST_F(ViewQueue, UpdatesThatCannotBePostedWaitForTheNextIdle)
{
    Open(AllThirteen());
    PumpMessages(); // the refresh of the open
    Change(9, 0.3f);
    model.NotifyAllParametersChanged();
    Change(6, 0.25f);
    ASSERT_GT(FillPostedQueue(host), 0);
    view->updates.clear();
    view->Idle(); // nothing can be posted now
    PumpMessages();
    EXPECT_TRUE(view->updates.empty());
    const Updates updates = Idle();
    ASSERT_EQ(updates.size(), 14u);
    EXPECT_EQ(updates[TestModel::kParameterCount], (std::pair<int, float>{6, 0.25f}));
    EXPECT_EQ(SendMessageA(view->Item(IDC_RIGHT_FREQUENCY), TBM_GETPOS, 0, 0), 30);
}

TEST_F(ViewQueue, ARefreshThatCannotBePostedComesWithTheNextIdle)
{
    model.SetParameterValue(6, 0.75f);
    Open(AllThirteen());
    ASSERT_GT(FillPostedQueue(host), 0);
    view->RefreshAll(); // as a panel does when it opens: the queue is full
    PumpMessages();
    EXPECT_TRUE(view->updates.empty());
    const Updates updates = Idle();
    EXPECT_EQ(updates.size(), 13u);
    EXPECT_EQ(SendMessageA(view->Item(IDC_FEEDBACK_LEVEL), TBM_GETPOS, 0, 0), 75);
}
