// Changes notified on threads other than the user-interface thread: they only queue and post, so
// the notifying thread never waits for the user-interface thread, and every window message is
// handled on the user-interface thread after its next idle call.
#include "gui/resource.h"
#include "host/VstPlugin.h"
#include "model/Model.h"
#include "phaser/Assembly.h"
#include "phaser/CorvanePhaserEditor.h"
#include "phaser/Product.h"
#include "platform/CurrentThread.h"
#include "platform/Headless.h"
#include "platform/MessagePump.h"
#include "support/EditorHost.h"
#include "support/MessageSpy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

using Kestrune::Platform::CurrentThreadId;
using TestSupport::MessageSpy;
using TestSupport::SpiedMessage;

namespace
{

constexpr auto kPatience = std::chrono::seconds(10);

bool WaitFor(const std::atomic<bool>& flag)
{
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (!flag.load())
    {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::yield();
    }
    return true;
}

} // namespace

// Through the test module: a host thread calls setParameter while the user-interface thread is
// blocked waiting for it.
TEST(CrossThread, HostThreadChangeIsPostedAndShownAfterTheNextIdle)
{
    TestSupport::EditorHost host;
    ASSERT_TRUE(host.Ready());
    ASSERT_EQ(host.Open(), 1);
    host.Idle();
    host.WatchPanel();
    host.Ui().Watch(host.Item(IDC_STATUS_BAR));

    std::promise<void> returned;
    std::future<void> done = returned.get_future();
    std::thread hostThread(
        [&]
        {
            host.Set(6, 0.5f);
            returned.set_value();
        });
    // Were the notification to wait for this thread, it would never return.
    ASSERT_EQ(done.wait_for(kPatience), std::future_status::ready);
    hostThread.join();

    EXPECT_TRUE(host.Spied().empty()); // no window was touched on the host thread
    EXPECT_FLOAT_EQ(host.Get(6), 0.5f);
    EXPECT_EQ(host.StatusText(), "Ready");
    EXPECT_EQ(host.SliderPosition(IDC_FEEDBACK_LEVEL), 0);

    host.Idle();
    EXPECT_EQ(host.StatusText(), "Phaser - Feedback Level: -6.47 Level");
    EXPECT_EQ(host.SliderPosition(IDC_FEEDBACK_LEVEL), 50);
    EXPECT_TRUE(host.plugin.automation.empty()); // the host's own change
    bool textSet = false;
    for (const SpiedMessage& message : host.Spied())
    {
        EXPECT_EQ(message.thread, CurrentThreadId()) << message.message;
        textSet = textSet || message.message == SB_SETTEXTA;
    }
    EXPECT_TRUE(textSet);
}

// A host thread keeps changing one parameter while the user drags another slider: the two meet
// only in the model and the view's queue.
TEST(CrossThread, HostThreadChangesWhileTheUserDrags)
{
    TestSupport::EditorHost host;
    ASSERT_TRUE(host.Ready());
    ASSERT_EQ(host.Open(), 1);
    host.Idle();
    const HWND slider = host.Item(IDC_FEEDBACK_LEVEL);
    RECT thumb{};
    host.Ui().SendMessageA(slider, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    const int y = (thumb.top + thumb.bottom) / 2;
    const int from = (thumb.left + thumb.right) / 2;

    std::atomic<bool> stop{false};
    std::thread hostThread(
        [&]
        {
            for (int i = 0; i < 400 && !stop.load(); ++i)
                host.Set(9, static_cast<float>(i % 100) / 100.0f);
            host.Set(9, 0.77f);
        });
    host.Ui().MouseDown(slider, from, y);
    for (int step = 1; step <= 43; ++step)
    {
        host.Ui().MouseMove(slider, from + step, y);
        host.Idle();
    }
    host.Ui().MouseUp(slider, from + 43, y);
    host.Idle();
    stop.store(true);
    hostThread.join();
    host.Idle();

    EXPECT_EQ(host.SliderPosition(IDC_FEEDBACK_LEVEL), 50);
    EXPECT_FLOAT_EQ(host.Get(6), 0.5f);
    EXPECT_EQ(host.SliderPosition(IDC_RIGHT_FREQUENCY), 77);
    for (const auto& [index, value] : host.plugin.automation)
        EXPECT_EQ(index, 6); // only the user's changes are reported
}

// Automation from a host thread while the host does not call idle (a hidden window, a busy user
// interface): the status bar keeps at most one message in flight, so the window system's posted
// queue never fills and the next idle shows the latest state.
TEST(CrossThread, ManyHostThreadChangesWithoutIdleLoseNothing)
{
    TestSupport::EditorHost host;
    ASSERT_TRUE(host.Ready());
    ASSERT_EQ(host.Open(), 1);
    host.Idle();
    std::thread hostThread(
        [&]
        {
            // Twice the posted queue's capacity, every call a change.
            for (int i = 0; i < 16384; ++i)
                host.Set(i % 2 == 0 ? 9 : 6, static_cast<float>(i % 97) / 100.0f);
            host.Set(9, 0.42f);
            host.Set(6, 0.5f);
        });
    hostThread.join();
    host.Idle();
    EXPECT_EQ(host.SliderPosition(IDC_RIGHT_FREQUENCY), 42);
    EXPECT_EQ(host.SliderPosition(IDC_FEEDBACK_LEVEL), 50);
    EXPECT_EQ(host.StatusText(), "Phaser - Feedback Level: -6.47 Level");
    // A reopened panel gets its refresh through as well.
    host.Close();
    ASSERT_EQ(host.Open(), 1);
    host.Idle();
    EXPECT_EQ(host.SliderPosition(IDC_RIGHT_FREQUENCY), 42);
}

// The editor opens and closes while a host thread keeps changing parameters: views come and go
// under notifications that may arrive at any moment.
TEST(CrossThread, OpenAndCloseWhileAHostThreadChangesParameters)
{
    TestSupport::EditorHost host;
    ASSERT_TRUE(host.Ready());
    std::atomic<bool> stop{false};
    std::thread hostThread(
        [&]
        {
            for (int i = 0; !stop.load(); ++i)
            {
                host.Set(9, static_cast<float>(i % 100) / 100.0f);
                host.Set(6, static_cast<float>(i % 50) / 100.0f);
                if (i % 64 == 0)
                    host.plugin.Dispatch(effSetProgram, 0, (i / 64) % 2);
            }
        });
    for (int round = 0; round < 30; ++round)
    {
        ASSERT_EQ(host.Open(), 1);
        host.Idle();
        host.Idle();
        host.Close();
    }
    stop.store(true);
    hostThread.join();

    host.plugin.Dispatch(effSetProgram, 0, 0);
    host.Set(9, 0.42f);
    ASSERT_EQ(host.Open(), 1);
    host.Idle();
    EXPECT_EQ(host.SliderPosition(IDC_RIGHT_FREQUENCY), 42);
    EXPECT_EQ(host.Ui().ChildCount(host.parent), 1);
}

namespace
{

struct HostLog
{
    std::mutex mutex;
    std::vector<std::pair<int, float>> automation;
    std::vector<std::uintptr_t> threads;
};

HostLog& Log()
{
    static HostLog log;
    return log;
}

VstIntPtr VSTCALLBACK InProcessHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*,
                                    float opt)
{
    if (opcode == audioMasterVersion)
        return 2400;
    if (opcode == audioMasterAutomate)
    {
        std::lock_guard<std::mutex> guard(Log().mutex);
        Log().automation.emplace_back(index, opt);
        Log().threads.push_back(CurrentThreadId());
    }
    return 0; // no time information
}

// Notified before the editor's observers: holds the notifying thread (and with it the model's
// lock) until the user-interface thread is waiting for that lock.
struct Gate : Kestrune::IModelObserver
{
    void OnParameterChanged(int) override
    {
        held.store(true);
        WaitFor(uiWaiting);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    void OnAllParametersChanged() override {}

    std::atomic<bool> held{false};
    std::atomic<bool> uiWaiting{false};
};

} // namespace

// In-process: a controller mapped with MapController changes a parameter on the audio thread
// while the user-interface thread waits for the model's lock (as it does while the user drags).
TEST(CrossThread, MappedControllerOnTheAudioThreadNeverWaitsForTheUserInterface)
{
    namespace Headless = Kestrune::Platform::Headless;
    ASSERT_TRUE(Headless::IsActive());
    Headless::DiscardPendingEvents();
    {
        std::lock_guard<std::mutex> guard(Log().mutex);
        Log().automation.clear();
        Log().threads.clear();
    }
    AudioEffect* effect = Kestrune::Vst::CreateEffectInstance(&InProcessHost);
    ASSERT_NE(effect, nullptr);
    AEffect* record = effect->getAeffect();
    Kestrune::Model* model = static_cast<Kestrune::Vst::VstPlugin*>(effect)->GetModel();
    model->MapController(20, Kestrune::Product::kFeedback);
    Gate gate;
    model->AddObserver(&gate);

    const HWND parent = Headless::CreateHostWindow(391, 348);
    ASSERT_EQ(record->dispatcher(record, effEditOpen, 0, 0, parent, 0.0f), 1);
    record->dispatcher(record, effEditIdle, 0, 0, nullptr, 0.0f);
    auto* editor = static_cast<CorvanePhaserEditor*>(effect->getEditor());
    CorvanePhaserView* view = editor->GetView();
    ASSERT_NE(view, nullptr);
    const HWND panel = view->GetHandle();
    const HWND status = view->GetStatusBar()->GetWindow();
    MessageSpy::Watch(panel);
    MessageSpy::Watch(status);
    MessageSpy::Clear();

    VstMidiEvent controller{};
    controller.type = kVstMidiType;
    controller.byteSize = sizeof controller;
    controller.midiData[0] = 0xB0;
    controller.midiData[1] = 20;
    controller.midiData[2] = 127;
    VstEvents events{};
    events.numEvents = 1;
    events.events[0] = reinterpret_cast<VstEvent*>(&controller);

    std::atomic<bool> returned{false};
    std::uintptr_t audioThreadId = 0;
    std::thread audio(
        [&]
        {
            audioThreadId = CurrentThreadId();
            std::vector<float> in(64, 0.0f), outL(64), outR(64);
            float* inputs[2] = {in.data(), in.data()};
            float* outputs[2] = {outL.data(), outR.data()};
            record->dispatcher(record, effProcessEvents, 0, 0, &events, 0.0f);
            record->processReplacing(record, inputs, outputs, 64);
            returned.store(true);
        });

    ASSERT_TRUE(WaitFor(gate.held));
    gate.uiWaiting.store(true);
    // The user-interface thread now waits for the model's lock, which the audio thread holds
    // while it notifies the view and the status bar.
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    bool locked = false;
    while (!(locked = model->GetLock().try_lock()) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    ASSERT_TRUE(locked);
    model->GetLock().unlock();
    audio.join();
    EXPECT_TRUE(returned.load());

    EXPECT_FLOAT_EQ(model->GetParameterValue(Kestrune::Product::kFeedback), 1.0f);
    EXPECT_STREQ(view->GetStatusBar()->GetText(), "Ready");
    EXPECT_TRUE(MessageSpy::Messages().empty());
    {
        std::lock_guard<std::mutex> guard(Log().mutex);
        EXPECT_EQ(Log().automation, (std::vector<std::pair<int, float>>{{6, 1.0f}}));
        EXPECT_EQ(Log().threads, (std::vector<std::uintptr_t>{audioThreadId}));
    }

    record->dispatcher(record, effEditIdle, 0, 0, nullptr, 0.0f);
    EXPECT_STREQ(view->GetStatusBar()->GetText(), "Phaser - Feedback Level: -0.45 Level");
    char shown[128] = {};
    SendMessageA(status, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(shown));
    EXPECT_STREQ(shown, "Phaser - Feedback Level: -0.45 Level");
    EXPECT_EQ(SendMessageA(GetDlgItem(panel, IDC_FEEDBACK_LEVEL), TBM_GETPOS, 0, 0), 100);
    for (const SpiedMessage& message : MessageSpy::Messages())
        EXPECT_EQ(message.thread, CurrentThreadId()) << message.message;

    model->RemoveObserver(&gate);
    record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f); // the editor is still open
    DestroyWindow(parent);
    Kestrune::Platform::PumpMessages();
    MessageSpy::Clear();
}

// A change from another thread is still on its way to the status bar when the user makes a later
// one: the status bar names the user's.
TEST(CrossThread, StatusBarNamesTheLaterUserChangeOverAnEarlierOneInFlight)
{
    TestSupport::EditorHost host;
    ASSERT_TRUE(host.Ready());
    ASSERT_EQ(host.Open(), 1);
    host.Idle();
    std::thread hostThread([&] { host.Set(6, 0.5f); });
    hostThread.join();
    host.Ui().ClickItem(host.Panel(), IDC_ENABLED);
    host.Idle();
    EXPECT_EQ(host.StatusText(), "Phaser - Enabled: Off On/Off");
    host.Set(9, 0.3f); // the slot works on afterwards
    std::thread later([&] { host.Set(6, 0.25f); });
    later.join();
    host.Idle();
    EXPECT_EQ(host.StatusText().rfind("Phaser - Feedback Level: ", 0), 0u) << host.StatusText();
}

// A host that takes a lock of its own around its calls into the plug-in and inside the requests
// it answers deadlocks if the plug-in calls it while holding a lock of ours. Inside every request
// another thread changes a parameter: it must finish while the request still waits.
TEST(CrossThread, NoLockOfOursIsHeldWhileTheHostIsCalled)
{
    TestSupport::EditorHost host;
    ASSERT_TRUE(host.Ready());
    std::vector<VstInt32> answered;
    std::vector<VstInt32> blocked;
    std::vector<std::thread> stuck; // joined once the request that blocks them has returned
    std::atomic<bool> inside{false};
    float next = 0.1f;
    host.plugin.onRequest = [&](VstInt32 opcode)
    {
        if (inside.exchange(true))
            return;
        next = next > 0.5f ? 0.1f : 0.9f;
        auto finished = std::make_shared<std::atomic<bool>>(false);
        std::thread other(
            [&host, finished, value = next]
            {
                host.Set(7, value);
                *finished = true;
            });
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (!finished->load() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (finished->load())
        {
            other.join();
        }
        else
        {
            blocked.push_back(opcode);
            stuck.push_back(std::move(other));
        }
        answered.push_back(opcode);
        inside = false;
    };

    ASSERT_EQ(host.Open(), 1);
    host.Idle();
    std::vector<float> left(256, 0.25f), right(256, -0.25f);
    host.plugin.AddMidi(16, 0xB0, 1, 90);
    host.plugin.Process(left.data(), right.data(), left.data(), right.data(), 256);
    host.Ui().ClickItem(host.Panel(), IDC_ENABLED); // the user's change is automation
    host.Idle();
    host.plugin.Dispatch(effSetProgram, 0, 2);
    host.plugin.Dispatch(effMainsChanged, 0, 0);
    host.plugin.Dispatch(effMainsChanged, 0, 1);
    host.Idle();
    host.plugin.onRequest = nullptr;
    for (std::thread& thread : stuck)
        thread.join();

    EXPECT_TRUE(blocked.empty()) << "first request made under our lock: " << blocked.front();
    const auto made = [&](VstInt32 opcode)
    { return std::find(answered.begin(), answered.end(), opcode) != answered.end(); };
    EXPECT_TRUE(made(audioMasterGetTime));
    EXPECT_TRUE(made(audioMasterAutomate));
}
