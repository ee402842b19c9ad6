// Two plug-in instances, each under three threads at once, through the real record: an audio
// thread (events, time info, processing), a host control thread (parameters, programs, names,
// chunks) and a user-interface thread (editor open, idle, close, simulated input on the panel).
// Meant for the thread and address sanitizers; every build checks that the output stays finite
// and that no thread stalls. CORVANE_STRESS_SECONDS sets the run length (default 3 s).
//
// Each instance comes from its own copy of the test module, so each user-interface thread owns a
// window system of its own: window functions are called only on that thread, input is queued.
#include "gui/resource.h"
#include "hostkit/Error.h"
#include "hostkit/Module.h"
#include "phaser/Product.h"
#include "support/EditorHost.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace
{

using Clock = std::chrono::steady_clock;

constexpr auto kStallLimit = std::chrono::seconds(8);
constexpr int kParameterCount = Kestrune::Product::kParameterCount;
constexpr int kProgramCount = 32;
constexpr int kMaxFrames = 20000;
constexpr int kMaxEvents = 48;

double RunSeconds()
{
    const char* text = std::getenv("CORVANE_STRESS_SECONDS");
    if (text != nullptr)
    {
        const double seconds = std::atof(text);
        if (std::isfinite(seconds) && seconds > 0.0)
            return seconds;
    }
    return 3.0;
}

// The system-exclusive event of the interface (not declared in vst24.h: the plug-in ignores it).
struct SysExEvent
{
    VstInt32 type;
    VstInt32 byteSize;
    VstInt32 deltaFrames;
    VstInt32 flags;
    VstInt32 dumpBytes;
    VstIntPtr reserved1;
    char* sysexDump;
    VstIntPtr reserved2;
};

// One worker's liveness, read by the watchdog.
struct Progress
{
    const char* name = "";
    std::atomic<std::uint64_t> steps{0};
    std::atomic<bool> finished{false};
};

struct Instance
{
    std::string label;
    std::unique_ptr<HostKit::Module> module;
    const TestSupport::HeadlessDriver* driver = nullptr;
    AEffect* effect = nullptr;
    unsigned seed = 1;

    // Written by the audio thread only, read by the plug-in during processReplacing.
    VstTimeInfo time{};
    std::atomic<int> timeRequestsOffAudio{0};
    std::atomic<std::uint64_t> automations{0};
    std::atomic<std::uint64_t> nonFinite{0};
    std::atomic<std::uint64_t> openFailures{0};
    std::atomic<bool> stop{false};

    Progress audio, host, ui;
    std::string audioName, hostName, uiName;
};

thread_local Instance* tCreating = nullptr;
thread_local bool tOnAudioThread = false;

VstIntPtr VSTCALLBACK StressHostCallback(AEffect* effect, VstInt32 opcode, VstInt32, VstIntPtr,
                                         void*, float)
{
    Instance* instance = effect != nullptr && effect->user != nullptr
                             ? static_cast<Instance*>(effect->user)
                             : tCreating;
    switch (opcode)
    {
    case audioMasterVersion:
        return 2400;
    case audioMasterAutomate:
        if (instance != nullptr)
            instance->automations.fetch_add(1, std::memory_order_relaxed);
        return 0;
    case audioMasterGetTime:
        if (instance == nullptr)
            return 0;
        if (!tOnAudioThread)
        {
            // The record belongs to the audio thread; elsewhere the host has none to give.
            instance->timeRequestsOffAudio.fetch_add(1, std::memory_order_relaxed);
            return 0;
        }
        return reinterpret_cast<VstIntPtr>(&instance->time);
    case audioMasterGetSampleRate:
        return 44100;
    default:
        return 0;
    }
}

// The test module under its own path: loading the same file again would share its statics.
std::string ModuleCopy(int number)
{
    const std::string source = TestSupport::HeadlessTestModulePath();
    if (number == 0)
        return source;
    const auto target =
        std::filesystem::temp_directory_path() /
        ("CorvanePhaserStress-" + std::to_string(getpid()) + "-" + std::to_string(number) + ".so");
    std::error_code error;
    std::filesystem::copy_file(source, target, std::filesystem::copy_options::overwrite_existing,
                               error);
    return error ? std::string() : target.string();
}

bool Load(Instance& instance, int number)
{
    const std::string path = ModuleCopy(number);
    if (path.empty())
        return false;
    try
    {
        instance.module = std::make_unique<HostKit::Module>(path);
    }
    catch (const HostKit::Error&)
    {
    }
    if (number != 0)
        std::filesystem::remove(path);
    if (instance.module == nullptr)
        return false;
    const auto entry = instance.module->Entry();
    const auto driverEntry = reinterpret_cast<CorvaneHeadlessDriverFunction>(
        instance.module->Symbol("CorvaneHeadlessDriver"));
    if (driverEntry == nullptr || driverEntry()->version != TestSupport::HeadlessDriver::kVersion)
        return false;
    instance.driver = driverEntry();
    tCreating = &instance;
    instance.effect = entry(&StressHostCallback);
    tCreating = nullptr;
    if (instance.effect == nullptr)
        return false;
    instance.effect->user = &instance;
    AEffect* e = instance.effect;
    e->dispatcher(e, effOpen, 0, 0, nullptr, 0.0f);
    e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, 44100.0f);
    e->dispatcher(e, effSetBlockSize, 0, 2048, nullptr, 0.0f);
    e->dispatcher(e, effMainsChanged, 0, 1, nullptr, 0.0f);
    // Sync on, so that tempo and position reach the oscillator.
    e->setParameter(e, Kestrune::Product::kLfoSync, 1.0f);
    instance.seed = 977u * static_cast<unsigned>(number + 1);
    instance.audioName = instance.label + "'s audio thread";
    instance.hostName = instance.label + "'s host thread";
    instance.uiName = instance.label + "'s user-interface thread";
    instance.audio.name = instance.audioName.c_str();
    instance.host.name = instance.hostName.c_str();
    instance.ui.name = instance.uiName.c_str();
    return true;
}

int Uniform(std::minstd_rand& random, int low, int high)
{
    return std::uniform_int_distribution<int>(low, high)(random);
}

void AudioThread(Instance& instance)
{
    tOnAudioThread = true;
    AEffect* effect = instance.effect;
    std::minstd_rand random(instance.seed);
    std::vector<float> inL(kMaxFrames), inR(kMaxFrames), outL(kMaxFrames), outR(kMaxFrames);
    std::vector<VstMidiEvent> midi(kMaxEvents);
    SysExEvent sysEx{};
    char dump[6] = {static_cast<char>(0xF0), 0x7D, 0x01, 0x02, 0x03, static_cast<char>(0xF7)};
    std::vector<char> listStorage(sizeof(VstEvents) + (kMaxEvents + 1) * sizeof(VstEvent*));
    auto* list = reinterpret_cast<VstEvents*>(listStorage.data());
    const double nan = std::numeric_limits<double>::quiet_NaN();

    VstTimeInfo& time = instance.time;
    time.sampleRate = 44100.0;
    time.tempo = 120.0;
    time.timeSigNumerator = 4;
    time.timeSigDenominator = 4;
    time.flags = kVstTransportPlaying | kVstTempoValid | kVstPpqPosValid;
    double phase = 0.0;

    while (!instance.stop.load(std::memory_order_relaxed))
    {
        const int frames = Uniform(random, 0, 49) == 0 ? Uniform(random, 2049, kMaxFrames)
                                                       : Uniform(random, 1, 2048);
        for (int i = 0; i < frames; ++i)
        {
            phase += 0.031;
            inL[static_cast<std::size_t>(i)] = static_cast<float>(0.8 * std::sin(phase));
            inR[static_cast<std::size_t>(i)] = static_cast<float>(0.8 * std::cos(0.7 * phase));
        }

        const int count = Uniform(random, 0, 12);
        list->numEvents = 0;
        for (int i = 0; i < count; ++i)
        {
            VstMidiEvent& event = midi[static_cast<std::size_t>(i)];
            event = {};
            event.type = kVstMidiType;
            event.byteSize = sizeof event;
            // Sometimes beyond the block or out of order.
            event.deltaFrames = Uniform(random, 0, frames + 8);
            const auto data = static_cast<std::uint8_t>(Uniform(random, 0, 127));
            const auto channel = static_cast<std::uint8_t>(Uniform(random, 0, 15));
            // Wheel, pedal and hold controllers, pressure, note on and off; the first data byte
            // fixed, the shared random one (kData) or a fresh random one (kFresh).
            constexpr int kData = -1;
            constexpr int kFresh = -2;
            static constexpr struct
            {
                std::uint8_t status;
                int first;
            } kKinds[] = {{0xB0, 1},     {0xB0, 11},     {0xB0, 64},
                          {0xD0, kData}, {0x90, kFresh}, {0x80, kFresh}};
            const auto& kind = kKinds[Uniform(random, 0, 5)];
            event.midiData[0] = static_cast<unsigned char>(kind.status | channel);
            event.midiData[1] =
                static_cast<unsigned char>(kind.first == kData    ? data
                                           : kind.first == kFresh ? Uniform(random, 0, 127)
                                                                  : kind.first);
            if (event.midiData[0] < 0xD0 || event.midiData[0] >= 0xE0)
                event.midiData[2] = data;
            list->events[list->numEvents++] = reinterpret_cast<VstEvent*>(&event);
        }
        if (Uniform(random, 0, 7) == 0)
        {
            sysEx = {};
            sysEx.type = kVstSysExType;
            sysEx.byteSize = sizeof sysEx;
            sysEx.deltaFrames = Uniform(random, 0, frames - 1);
            sysEx.dumpBytes = sizeof dump;
            sysEx.sysexDump = dump;
            list->events[list->numEvents++] = reinterpret_cast<VstEvent*>(&sysEx);
        }
        if (list->numEvents > 0)
            effect->dispatcher(effect, effProcessEvents, 0, 0, list, 0.0f);

        switch (Uniform(random, 0, 15))
        {
        case 0:
            time.tempo = nan;
            break;
        case 1:
            time.ppqPos = nan;
            break;
        case 2:
            time.tempo = 40.0 + 200.0 * Uniform(random, 0, 1000) / 1000.0;
            break;
        case 3:
            time.ppqPos = Uniform(random, 0, 4000) / 4.0; // a jump
            break;
        default:
            break;
        }
        if (!std::isfinite(time.tempo) && Uniform(random, 0, 3) == 0)
            time.tempo = 120.0;
        if (!std::isfinite(time.ppqPos) && Uniform(random, 0, 3) == 0)
            time.ppqPos = 0.0;

        float* inputs[2] = {inL.data(), inR.data()};
        float* outputs[2] = {outL.data(), outR.data()};
        if (Uniform(random, 0, 9) == 0)
            effect->processReplacing(effect, inputs, inputs, frames); // in place
        else
            effect->processReplacing(effect, inputs, outputs, frames);
        // In place the result is in the inputs; both pairs are checked either way.
        std::uint64_t bad = 0;
        for (int i = 0; i < frames; ++i)
        {
            bad += !std::isfinite(outL[static_cast<std::size_t>(i)]) ||
                   !std::isfinite(outR[static_cast<std::size_t>(i)]) ||
                   !std::isfinite(inL[static_cast<std::size_t>(i)]) ||
                   !std::isfinite(inR[static_cast<std::size_t>(i)]);
        }
        if (bad != 0)
            instance.nonFinite.fetch_add(bad, std::memory_order_relaxed);

        time.samplePos += frames;
        if (std::isfinite(time.ppqPos) && std::isfinite(time.tempo))
            time.ppqPos += frames / time.sampleRate * time.tempo / 60.0;
        instance.audio.steps.fetch_add(1, std::memory_order_relaxed);
    }
    instance.audio.finished.store(true);
}

void HostThread(Instance& instance)
{
    AEffect* effect = instance.effect;
    std::minstd_rand random(instance.seed + 1);
    std::vector<std::uint8_t> chunk;
    char text[256];
    int round = 0;
    while (!instance.stop.load(std::memory_order_relaxed))
    {
        const int index = Uniform(random, 0, kParameterCount - 1);
        effect->setParameter(effect, index, Uniform(random, 0, 1000) / 1000.0f);
        const float value = effect->getParameter(effect, index);
        if (!std::isfinite(value))
            instance.nonFinite.fetch_add(1, std::memory_order_relaxed);
        for (const VstInt32 opcode : {effGetParamDisplay, effGetParamName, effGetParamLabel})
        {
            std::memset(text, 0, sizeof text);
            effect->dispatcher(effect, opcode, index, 0, text, 0.0f);
        }

        switch (++round % 24)
        {
        case 4:
            effect->dispatcher(effect, effSetProgram, 0, Uniform(random, 0, kProgramCount - 1),
                               nullptr, 0.0f);
            break;
        case 8:
            effect->dispatcher(effect, effGetProgramName, 0, 0, text, 0.0f);
            break;
        case 12:
        {
            char name[24] = {};
            std::snprintf(name, sizeof name, "Stress %d", round);
            effect->dispatcher(effect, effSetProgramName, 0, 0, name, 0.0f);
            break;
        }
        case 16:
        case 20:
        {
            const VstInt32 isProgram = round % 24 == 16 ? 1 : 0;
            void* data = nullptr;
            const VstIntPtr size =
                effect->dispatcher(effect, effGetChunk, isProgram, 0, &data, 0.0f);
            if (size > 0 && data != nullptr)
            {
                const auto* bytes = static_cast<const std::uint8_t*>(data);
                chunk.assign(bytes, bytes + size);
                effect->dispatcher(effect, effSetChunk, isProgram, size, chunk.data(), 0.0f);
            }
            break;
        }
        default:
            break;
        }
        instance.host.steps.fetch_add(1, std::memory_order_relaxed);
    }
    instance.host.finished.store(true);
}

// [ui] Queued input on the open panel: a drag of the feedback slider (sometimes left pressed
// across the next idle or the close), a click on "Enabled", arrow keys on the stage list.
void QueueInput(const TestSupport::HeadlessDriver& ui, HWND panel, std::minstd_rand& random)
{
    switch (Uniform(random, 0, 3))
    {
    case 0:
    {
        const HWND slider = ui.GetDlgItem(panel, IDC_FEEDBACK_LEVEL);
        RECT thumb{};
        ui.SendMessageA(slider, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
        const int y = (thumb.top + thumb.bottom) / 2;
        const int from = (thumb.left + thumb.right) / 2;
        const int to = Uniform(random, -10, 110);
        ui.MouseDown(slider, from, y);
        ui.MouseMove(slider, (from + to) / 2, y);
        ui.MouseMove(slider, to, y);
        if (Uniform(random, 0, 3) != 0)
            ui.MouseUp(slider, to, y);
        break;
    }
    case 1:
        ui.ClickItem(panel, IDC_ENABLED);
        break;
    case 2:
    {
        const HWND list = ui.GetDlgItem(panel, IDC_STAGE_MODE);
        ui.SetFocus(list);
        for (int i = Uniform(random, 1, 4); i > 0; --i)
            ui.PressKey(Uniform(random, 0, 1) == 0 ? VK_DOWN : VK_UP, false);
        break;
    }
    default:
        break;
    }
}

void UiThread(Instance& instance)
{
    AEffect* effect = instance.effect;
    const TestSupport::HeadlessDriver& ui = *instance.driver;
    std::minstd_rand random(instance.seed + 2);
    ui.DiscardPendingEvents();
    ui.SetModalIdleLimit(200);
    const HWND parent =
        ui.CreateHostWindow(TestSupport::EditorHost::kWidth, TestSupport::EditorHost::kHeight);
    while (!instance.stop.load(std::memory_order_relaxed))
    {
        if (effect->dispatcher(effect, effEditOpen, 0, 0, parent, 0.0f) != 1)
            instance.openFailures.fetch_add(1, std::memory_order_relaxed);
        const HWND panel = ui.ChildAt(parent, 0);
        for (int idles = Uniform(random, 2, 40);
             idles > 0 && !instance.stop.load(std::memory_order_relaxed); --idles)
        {
            if (panel != nullptr && Uniform(random, 0, 2) == 0)
                QueueInput(ui, panel, random);
            effect->dispatcher(effect, effEditIdle, 0, 0, nullptr, 0.0f);
            instance.ui.steps.fetch_add(1, std::memory_order_relaxed);
        }
        effect->dispatcher(effect, effEditClose, 0, 0, nullptr, 0.0f);
        ui.DiscardPendingEvents();
        ui.PumpMessages();
        instance.ui.steps.fetch_add(1, std::memory_order_relaxed);
    }
    ui.DestroyWindow(parent);
    ui.PumpMessages();
    instance.ui.finished.store(true);
}

// Fails the run naming the first worker that made no progress for kStallLimit; a stalled worker
// cannot be joined, so the process ends here instead of hanging.
void Watch(std::vector<Progress*>& workers, Clock::time_point until, bool stopping)
{
    std::vector<std::uint64_t> last(workers.size());
    std::vector<Clock::time_point> moved(workers.size(), Clock::now());
    while (true)
    {
        const auto now = Clock::now();
        bool allFinished = true;
        for (std::size_t i = 0; i < workers.size(); ++i)
        {
            const std::uint64_t steps = workers[i]->steps.load();
            if (steps != last[i] || workers[i]->finished.load())
            {
                last[i] = steps;
                moved[i] = now;
            }
            allFinished = allFinished && workers[i]->finished.load();
            if (now - moved[i] > kStallLimit)
            {
                std::fprintf(
                    stderr, "Stress: the %s made no progress for %lld s%s (deadlock?)\n",
                    workers[i]->name,
                    static_cast<long long>(
                        std::chrono::duration_cast<std::chrono::seconds>(kStallLimit).count()),
                    stopping ? " while stopping" : "");
                std::fflush(stderr);
                ADD_FAILURE() << "the " << workers[i]->name << " stalled";
                std::_Exit(1);
            }
        }
        if (stopping ? allFinished : now >= until)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

} // namespace

TEST(Stress, TwoInstancesUnderAudioHostAndUserInterfaceThreads)
{
    Instance instances[2];
    instances[0].label = "first instance";
    instances[1].label = "second instance";
    for (int i = 0; i < 2; ++i)
        ASSERT_TRUE(Load(instances[i], i)) << "instance " << i;

    std::vector<Progress*> workers;
    std::vector<std::thread> threads;
    for (Instance& instance : instances)
    {
        workers.insert(workers.end(), {&instance.audio, &instance.host, &instance.ui});
        threads.emplace_back(AudioThread, std::ref(instance));
        threads.emplace_back(HostThread, std::ref(instance));
        threads.emplace_back(UiThread, std::ref(instance));
    }
    const auto until = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                          std::chrono::duration<double>(RunSeconds()));
    Watch(workers, until, false);
    for (Instance& instance : instances)
        instance.stop.store(true);
    Watch(workers, until, true);
    for (std::thread& thread : threads)
        thread.join();

    for (Instance& instance : instances)
    {
        SCOPED_TRACE(instance.label);
        std::printf("Stress: %s %llu blocks, %llu host rounds, %llu editor steps, %llu "
                    "automations\n",
                    instance.label.c_str(),
                    static_cast<unsigned long long>(instance.audio.steps.load()),
                    static_cast<unsigned long long>(instance.host.steps.load()),
                    static_cast<unsigned long long>(instance.ui.steps.load()),
                    static_cast<unsigned long long>(instance.automations.load()));
        EXPECT_EQ(instance.nonFinite.load(), 0u);
        EXPECT_EQ(instance.openFailures.load(), 0u);
        // Every thread did real work.
        EXPECT_GT(instance.audio.steps.load(), 10u);
        EXPECT_GT(instance.host.steps.load(), 10u);
        EXPECT_GT(instance.ui.steps.load(), 10u);
        // The user's changes reached the host as automation.
        EXPECT_GT(instance.automations.load(), 0u);
        AEffect* effect = instance.effect;
        effect->dispatcher(effect, effMainsChanged, 0, 0, nullptr, 0.0f);
        effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    }
}
