// The plug-in core driven through its record like a host: block slicing at MIDI events and at
// the 16384-sample limit, time information, parameter and program requests, observers,
// chunks, names and the construction sequence. The model records every processing call.
#include "host/VstPlugin.h"
#include "host/AEffEditor.h"
#include "host/RecordingHost.h"
#include "services/ServiceDispatcher.h"
#include "support/TestModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using Kestrune::ServiceDispatcher;
using Kestrune::Vst::VstPlugin;
using TestSupport::HostCall;
using TestSupport::RecordingHost;

namespace
{

constexpr VstInt32 kUniqueId = ('T' << 24) | ('s' << 16) | ('t' << 8) | '1';
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

using Log = std::vector<std::string>;

// Tag followed by a number ("S512"); built by appending, which keeps gcc's -Wrestrict quiet.
std::string Entry(const char* tag, long number)
{
    std::string text = tag;
    text += std::to_string(number);
    return text;
}

// "S<n>" for every smoothing step the dispatcher hands out.
class SmoothRecorder : public Kestrune::ISmoothable
{
public:
    explicit SmoothRecorder(Log& target) : log(target) {}
    void Smooth(std::int32_t count) override { log.push_back(Entry("S", count)); }

private:
    Log& log;
};

// "T<tempo>" whenever the dispatcher passes a new tempo on.
class TempoRecorder : public Kestrune::ITempoObserver
{
public:
    explicit TempoRecorder(Log& target) : log(target) {}
    void OnTempoChanged(float tempo) override { log.push_back(Entry("T", long(tempo))); }

private:
    Log& log;
};

// "R" for every reset.
class ResetRecorder : public Kestrune::IResettable
{
public:
    explicit ResetRecorder(Log& target) : log(target) {}
    void Reset() override { log.push_back("R"); }

private:
    Log& log;
};

// "E<controller>" for every control change the message dispatcher delivers.
class EventRecorder : public Kestrune::Midi::IControllerObserver
{
public:
    explicit EventRecorder(Log& target) : log(target) {}
    void OnControlChange(std::uint8_t, std::uint8_t controller, std::uint8_t) override
    {
        log.push_back(Entry("E", controller));
    }

private:
    Log& log;
};

// "C<index>" for a parameter change, "A" for all parameters.
class ObserverRecorder : public Kestrune::IModelObserver
{
public:
    explicit ObserverRecorder(Log& target) : log(target) {}
    void OnParameterChanged(int index) override { log.push_back(Entry("C", index)); }
    void OnAllParametersChanged() override { log.push_back("A"); }

private:
    Log& log;
};

// "P<offset>:<count>" for every processing call, the offset taken from the input pointer's
// distance to the start of the host's buffer; checks that all four channel pointers agree.
class SlicingModel : public TestSupport::TestModel
{
public:
    SlicingModel(Kestrune::Midi::IMessageProvider* messages, Log& target, bool* deletedFlag)
        : TestModel(messages), log(target), deleted(deletedFlag)
    {
    }
    ~SlicingModel() override { *deleted = true; }

    void Process(float** inputs, float** outputs, int sampleFrames) override
    {
        const long offset = inputs[0] - inBase[0];
        EXPECT_EQ(inputs[1] - inBase[1], offset);
        EXPECT_EQ(outputs[0] - outBase[0], offset);
        EXPECT_EQ(outputs[1] - outBase[1], offset);
        std::string entry = Entry("P", offset);
        entry += ':';
        entry += std::to_string(sampleFrames);
        log.push_back(entry);
        if (onProcess)
            onProcess();
        for (int i = 0; i < sampleFrames; ++i)
        {
            outputs[0][i] = inputs[0][i] + 1.0f;
            outputs[1][i] = inputs[1][i] + 1.0f;
        }
    }

    const float* inBase[2] = {};
    const float* outBase[2] = {};

private:
    Log& log;
    bool* deleted;
};

// An editor that notes whether the model still existed when it was closed.
class ProbeEditor : public AEffEditor
{
public:
    ProbeEditor(AudioEffect* owner, const bool* modelDeleted, int* closesWithModel)
        : AEffEditor(owner), deleted(modelDeleted), closes(closesWithModel)
    {
    }
    void close() override
    {
        if (isOpen() && !*deleted)
            ++*closes;
        AEffEditor::close();
    }

private:
    const bool* deleted;
    int* closes;
};

class CoreTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RecordingHost::Reset();
        RecordingHost::answers[audioMasterVersion] = 2400;
        RecordingHost::answers[audioMasterGetTime] = reinterpret_cast<VstIntPtr>(&time);
        time.tempo = 120.0;
        time.ppqPos = 0.0;
        time.sampleRate = 44100.0;
        time.flags = kVstTempoValid | kVstPpqPosValid | kVstTransportPlaying;
        Build(kPlugCategEffect);
        log.clear();
        RecordingHost::calls.clear();
    }

    void TearDown() override { plugin.reset(); }

    void Build(VstInt32 category)
    {
        plugin.reset();
        modelDeleted = false;
        dispatcher = new ServiceDispatcher();
        model = new SlicingModel(dispatcher->GetMessageProvider(), log, &modelDeleted);
        dispatcher->AddSmoothable(&smoothRecorder);
        dispatcher->AddResettable(&resetRecorder);
        dispatcher->GetMessageDispatcher()->AttachControllerObserver(&eventRecorder);
        model->AddObserver(&observerRecorder);
        plugin = std::make_unique<VstPlugin>(RecordingHost::Callback, dispatcher, model, category,
                                             kUniqueId);
        effect = plugin->getAeffect();
    }

    // Control changes whose controller numbers identify the events in the log.
    void SendControllers(const std::vector<std::pair<int, int>>& offsetAndController)
    {
        std::vector<VstMidiEvent> midi(offsetAndController.size());
        for (std::size_t i = 0; i < midi.size(); ++i)
        {
            midi[i].type = kVstMidiType;
            midi[i].byteSize = sizeof(VstMidiEvent);
            midi[i].deltaFrames = offsetAndController[i].first;
            midi[i].midiData[0] = 0xB0;
            midi[i].midiData[1] = static_cast<std::uint8_t>(offsetAndController[i].second);
            midi[i].midiData[2] = 64;
        }
        EXPECT_EQ(SendEvents(midi), 1);
    }

    template <typename Event> VstIntPtr SendEvents(std::vector<Event>& events)
    {
        std::vector<char> storage(sizeof(VstEvents) + events.size() * sizeof(VstEvent*));
        auto* list = reinterpret_cast<VstEvents*>(storage.data());
        list->numEvents = static_cast<VstInt32>(events.size());
        for (std::size_t i = 0; i < events.size(); ++i)
            list->events[i] = reinterpret_cast<VstEvent*>(&events[i]);
        return Dispatch(effProcessEvents, 0, 0, list);
    }

    // One block through the record, with fresh buffers of the given length.
    void ProcessBlock(int frames)
    {
        const auto n = static_cast<std::size_t>(std::max(frames, 1));
        inL.assign(n, 0.25f);
        inR.assign(n, -0.25f);
        outL.assign(n, 0.0f);
        outR.assign(n, 0.0f);
        model->inBase[0] = inL.data();
        model->inBase[1] = inR.data();
        model->outBase[0] = outL.data();
        model->outBase[1] = outR.data();
        float* inputs[2] = {inL.data(), inR.data()};
        float* outputs[2] = {outL.data(), outR.data()};
        effect->processReplacing(effect, inputs, outputs, frames);
    }

    VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f)
    {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }

    std::vector<float> Values()
    {
        std::vector<float> values;
        for (int i = 0; i < TestSupport::TestModel::kParameterCount; ++i)
            values.push_back(effect->getParameter(effect, i));
        return values;
    }

    std::vector<const HostCall*> CallsOf(VstInt32 opcode)
    {
        std::vector<const HostCall*> found;
        for (const HostCall& call : RecordingHost::calls)
            if (call.opcode == opcode)
                found.push_back(&call);
        return found;
    }

    Log log;
    SmoothRecorder smoothRecorder{log};
    ResetRecorder resetRecorder{log};
    EventRecorder eventRecorder{log};
    ObserverRecorder observerRecorder{log};
    VstTimeInfo time{};
    bool modelDeleted = false;
    std::vector<float> inL, inR, outL, outR;
    ServiceDispatcher* dispatcher = nullptr;
    SlicingModel* model = nullptr;
    std::unique_ptr<VstPlugin> plugin;
    AEffect* effect = nullptr;
};

} // namespace

// --- Slicing -------------------------------------------------------------------------------

TEST_F(CoreTest, BlockWithoutEventsIsOneSmoothingAndOneProcessingCall)
{
    ProcessBlock(512);
    EXPECT_EQ(log, (Log{"S512", "P0:512"}));
    EXPECT_EQ(outL[511], 1.25f);
    EXPECT_EQ(outR[0], 0.75f);
}

TEST_F(CoreTest, LongBlocksAreSmoothedAndProcessedInChunksOf16384)
{
    ProcessBlock(40000);
    EXPECT_EQ(log, (Log{"S16384", "P0:16384", "S16384", "P16384:16384", "S7232", "P32768:7232"}));
    EXPECT_EQ(outL[39999], 1.25f);

    log.clear();
    ProcessBlock(16385);
    EXPECT_EQ(log, (Log{"S16384", "P0:16384", "S1", "P16384:1"}));

    // A long stretch after an event is cut the same way from the event's offset on.
    log.clear();
    SendControllers({{100, 1}});
    ProcessBlock(20000);
    EXPECT_EQ(log, (Log{"S100", "P0:100", "E1", "S16384", "P100:16384", "S3516", "P16484:3516"}));
}

TEST_F(CoreTest, EventsSplitTheBlockAtTheirOffsets)
{
    SendControllers({{0, 1}, {100, 2}});
    ProcessBlock(256);
    EXPECT_EQ(log, (Log{"S0", "E1", "S100", "P0:100", "E2", "S156", "P100:156"}));

    // Several events at one offset: delivered in queue order with empty stretches between.
    log.clear();
    SendControllers({{10, 3}, {10, 4}});
    ProcessBlock(64);
    EXPECT_EQ(log, (Log{"S10", "P0:10", "E3", "S0", "E4", "S54", "P10:54"}));
}

TEST_F(CoreTest, EventsAccumulateAcrossProcessEventsCallsUntilTheBlock)
{
    SendControllers({{20, 1}});
    SendControllers({{30, 2}});
    ProcessBlock(64);
    EXPECT_EQ(log, (Log{"S20", "P0:20", "E1", "S10", "P20:10", "E2", "S34", "P30:34"}));
    log.clear();
    ProcessBlock(64);
    EXPECT_EQ(log, (Log{"S64", "P0:64"}));
}

TEST_F(CoreTest, AnEventBeyondTheBlockDeliversEverythingQueuedBeforeAnyAudio)
{
    SendControllers({{300, 1}, {310, 2}});
    ProcessBlock(256);
    EXPECT_EQ(log, (Log{"E1", "E2", "S256", "P0:256"}));

    // Each once: nothing is left for the next block.
    log.clear();
    ProcessBlock(256);
    EXPECT_EQ(log, (Log{"S256", "P0:256"}));

    // Reached after an event inside the block: the rest of the queue goes at that position.
    log.clear();
    SendControllers({{100, 3}, {300, 4}, {310, 5}});
    ProcessBlock(256);
    EXPECT_EQ(log, (Log{"S100", "P0:100", "E3", "E4", "E5", "S156", "P100:156"}));
}

TEST_F(CoreTest, EventsAtTheBlockEndAreDeliveredAfterTheWholeBlock)
{
    SendControllers({{256, 1}});
    ProcessBlock(256);
    EXPECT_EQ(log, (Log{"S256", "P0:256", "E1"}));

    // A second event at the end is delivered in the same block, not carried into the next one
    // with an offset that no longer means anything there.
    log.clear();
    SendControllers({{256, 2}, {256, 3}});
    ProcessBlock(256);
    EXPECT_EQ(log, (Log{"S256", "P0:256", "E2", "E3"}));
    log.clear();
    ProcessBlock(256);
    EXPECT_EQ(log, (Log{"S256", "P0:256"}));

    // An event beyond the end behind one at the end: also due in this block. Carried over, it
    // would take effect at sample 300 of the next block.
    log.clear();
    SendControllers({{256, 4}, {300, 5}});
    ProcessBlock(256);
    EXPECT_EQ(log, (Log{"S256", "P0:256", "E4", "E5"}));
    log.clear();
    ProcessBlock(512);
    EXPECT_EQ(log, (Log{"S512", "P0:512"}));
}

TEST_F(CoreTest, LateEventsTakeEffectWhereProcessingStands)
{
    SendControllers({{-5, 1}});
    ProcessBlock(256);
    EXPECT_EQ(log, (Log{"S0", "E1", "S256", "P0:256"}));

    // Out of order: the second event is delivered at 100, and no sample is processed twice.
    log.clear();
    SendControllers({{100, 2}, {50, 3}, {INT_MIN, 4}});
    ProcessBlock(256);
    EXPECT_EQ(log, (Log{"S100", "P0:100", "E2", "S0", "E3", "S0", "E4", "S156", "P100:156"}));
}

TEST_F(CoreTest, EmptyBlocksProcessNothingAndKeepEventsForLater)
{
    SendControllers({{10, 1}});
    ProcessBlock(0);
    ProcessBlock(-4);
    EXPECT_TRUE(log.empty());
    ProcessBlock(32);
    EXPECT_EQ(log, (Log{"S10", "P0:10", "E1", "S22", "P10:22"}));

    // Missing channel buffers: nothing runs, nothing is written.
    log.clear();
    std::vector<float> buffer(16, 0.5f);
    float* inputs[2] = {buffer.data(), nullptr};
    float* outputs[2] = {buffer.data(), buffer.data()};
    effect->processReplacing(effect, inputs, outputs, 16);
    effect->processReplacing(effect, nullptr, outputs, 16);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(buffer[0], 0.5f);
}

TEST_F(CoreTest, OnlyMidiEventsAreQueued)
{
    std::vector<VstEvent> mixed(3);
    mixed[0].type = kVstSysExType;
    mixed[0].byteSize = sizeof(VstEvent);
    mixed[1].type = kVstMidiType;
    mixed[1].byteSize = sizeof(VstEvent);
    mixed[1].deltaFrames = 8;
    mixed[1].data[8] = static_cast<char>(0xB0); // midiData of a VstMidiEvent
    mixed[1].data[9] = 7;
    mixed[2].type = 99;
    EXPECT_EQ(SendEvents(mixed), 1);
    ProcessBlock(16);
    EXPECT_EQ(log, (Log{"S8", "P0:8", "E7", "S8", "P8:8"}));

    // System exclusive alone: accepted, dropped.
    log.clear();
    std::vector<VstEvent> sysex(1);
    sysex[0].type = kVstSysExType;
    sysex[0].byteSize = sizeof(VstEvent);
    EXPECT_EQ(SendEvents(sysex), 1);
    ProcessBlock(16);
    EXPECT_EQ(log, (Log{"S16", "P0:16"}));

    // No list at all, or null entries in it.
    EXPECT_EQ(Dispatch(effProcessEvents, 0, 0, nullptr), 0);
    std::vector<char> storage(sizeof(VstEvents));
    auto* list = reinterpret_cast<VstEvents*>(storage.data());
    list->numEvents = 2;
    EXPECT_EQ(Dispatch(effProcessEvents, 0, 0, list), 1);
}

TEST_F(CoreTest, TheQueueHoldsAFixedNumberOfEventsAndDropsTheRest)
{
    std::vector<std::pair<int, int>> many(5000, {0, 9});
    SendControllers(many);
    ProcessBlock(8);
    int delivered = 0;
    for (const std::string& entry : log)
        delivered += entry == "E9" ? 1 : 0;
    EXPECT_EQ(delivered, Kestrune::EventQueue::kCapacity);
    EXPECT_EQ(log.back(), "P0:8");
}

// --- Time information ------------------------------------------------------------------------

TEST_F(CoreTest, TempoAndPositionComeFromTheHostEveryBlock)
{
    time.tempo = 96.0;
    time.ppqPos = 7.5;
    ProcessBlock(32);
    const auto requests = CallsOf(audioMasterGetTime);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0]->value, kVstTempoValid | kVstPpqPosValid);
    EXPECT_EQ(requests[0]->effect, effect);
    EXPECT_EQ(dispatcher->GetTempo(), 96.0f);
    EXPECT_EQ(dispatcher->GetPpqnPosition(), 7.5f);

    // The host's validity flags are not consulted.
    time.flags = 0;
    time.tempo = 100.0;
    ProcessBlock(32);
    EXPECT_EQ(dispatcher->GetTempo(), 100.0f);
}

TEST_F(CoreTest, TimeInformationArrivesBeforeAnythingElseOfTheBlock)
{
    TempoRecorder tempo{log};
    dispatcher->AddTempoObserver(&tempo);
    time.tempo = 96.0;
    ProcessBlock(32);
    EXPECT_EQ(log, (Log{"T96", "S32", "P0:32"}));
    // Also when events come before any audio: one beyond the block, or a block of no frames.
    log.clear();
    time.tempo = 97.0;
    SendControllers({{40, 7}});
    ProcessBlock(32);
    EXPECT_EQ(log, (Log{"T97", "E7", "S32", "P0:32"}));
    log.clear();
    time.tempo = 98.0;
    SendControllers({{0, 8}});
    ProcessBlock(0);
    EXPECT_EQ(log, (Log{"T98", "E8"}));
    dispatcher->RemoveTempoObserver(&tempo);
}

TEST_F(CoreTest, UnusableTimeInformationLeavesTempoAndPositionAlone)
{
    time.tempo = 90.0;
    time.ppqPos = 2.0;
    ProcessBlock(16);
    for (double bad : {std::nan(""), HUGE_VAL, -HUGE_VAL, 1e300})
    {
        time.tempo = bad;
        time.ppqPos = bad;
        log.clear();
        ProcessBlock(16);
        EXPECT_EQ(dispatcher->GetTempo(), 90.0f) << bad;
        EXPECT_EQ(dispatcher->GetPpqnPosition(), 2.0f) << bad;
        EXPECT_EQ(log, (Log{"S16", "P0:16"}));
    }

    // No answer at all: the block is processed as usual.
    RecordingHost::answers.erase(audioMasterGetTime);
    log.clear();
    ProcessBlock(16);
    EXPECT_EQ(log, (Log{"S16", "P0:16"}));
    EXPECT_EQ(dispatcher->GetTempo(), 90.0f);
}

// --- Parameters -------------------------------------------------------------------------------

TEST_F(CoreTest, HostParameterChangesReachTheModelAndOtherObserversButNotTheHost)
{
    model->firstOwner.calls.clear();
    const float current = effect->getParameter(effect, 3);
    effect->setParameter(effect, 3, current);
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(model->firstOwner.calls.empty());

    effect->setParameter(effect, 3, 0.875f);
    EXPECT_EQ(effect->getParameter(effect, 3), 0.875f);
    EXPECT_EQ(log, (Log{"C3"}));
    model->Deliver(); // the owners take it when audio next runs
    EXPECT_EQ(model->firstOwner.calls, (std::vector<std::string>{"first.level=0.875000"}));
    EXPECT_EQ(RecordingHost::CountOf(audioMasterAutomate), 0);

    // Non-finite values are ignored.
    log.clear();
    effect->setParameter(effect, 3, kNaN);
    effect->setParameter(effect, 3, kInf);
    effect->setParameter(effect, 3, -kInf);
    EXPECT_EQ(effect->getParameter(effect, 3), 0.875f);
    EXPECT_TRUE(log.empty());
}

TEST_F(CoreTest, ChangesFromElsewhereAreReportedToTheHostOnce)
{
    model->SetParameterValue(9, 0.3125f);
    model->NotifyParameterChanged(9, nullptr);
    const auto automation = CallsOf(audioMasterAutomate);
    ASSERT_EQ(automation.size(), 1u);
    EXPECT_EQ(automation[0]->effect, effect);
    EXPECT_EQ(automation[0]->index, 9);
    EXPECT_EQ(automation[0]->opt, 0.3125f);
    EXPECT_EQ(automation[0]->value, 0);
    EXPECT_EQ(log, (Log{"C9"}));
    EXPECT_EQ(RecordingHost::calls.size(), 1u);

    // setParameterAutomated only tells the host: the model is not changed through it.
    RecordingHost::calls.clear();
    plugin->setParameterAutomated(2, 0.75f);
    EXPECT_EQ(RecordingHost::CountOf(audioMasterAutomate), 1);
    EXPECT_NE(effect->getParameter(effect, 2), 0.75f);
}

TEST_F(CoreTest, OutOfRangeParameterIndicesAreRefusedEverywhere)
{
    const std::vector<float> before = Values();
    for (VstInt32 index : {-1, TestSupport::TestModel::kParameterCount, 32, INT_MIN, INT_MAX})
    {
        effect->setParameter(effect, index, 0.5f);
        EXPECT_EQ(effect->getParameter(effect, index), 0.0f) << index;
        for (VstInt32 opcode : {effGetParamName, effGetParamDisplay, effGetParamLabel})
        {
            char text[64];
            std::memset(text, 'x', sizeof text);
            Dispatch(opcode, index, 0, text);
            EXPECT_STREQ(text, "") << opcode << " " << index;
        }
    }
    EXPECT_EQ(Values(), before);
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(RecordingHost::calls.empty());
}

TEST_F(CoreTest, ParameterNamesJoinGroupAndParameterShortNames)
{
    const char* expected[TestSupport::TestModel::kParameterCount] = {
        "AA0", "AA1", "AA2", "AA3", "AA4", "BB0", "BB1", "BB2", "BB3", "BB4", "BB5", "BB6", "CC0"};
    for (int i = 0; i < TestSupport::TestModel::kParameterCount; ++i)
    {
        char text[32];
        std::memset(text, 'x', sizeof text);
        Dispatch(effGetParamName, i, 0, text);
        EXPECT_STREQ(text, expected[i]);
        Dispatch(effGetParamLabel, i, 0, text);
        EXPECT_STREQ(text, "Level");
        Dispatch(effGetParamDisplay, i, 0, text);
        EXPECT_STREQ(text, model->GetParameterDisplay(i));
    }
}

namespace
{

// One group with long names: the joined name must be cut to the interface's 8 bytes.
class LongNameModel : public Kestrune::Model
{
public:
    explicit LongNameModel(Kestrune::Midi::IMessageProvider* messages)
        : Model("Long", "Vendor", "Product", 1, 32, messages)
    {
        group.AttachAll(&owner);
        AddGroup(&group);
    }
    int GetInputCount() override { return 1; }
    int GetOutputCount() override { return 1; }
    void Process(float**, float**, int) override {}

    TestSupport::RecordingOwner owner;
    TestSupport::TestGroup group{"Grp", "Group", 2, 0.5f};
};

} // namespace

TEST(CoreNames, JoinedNamesStayWithinTheInterfacesEightBytes)
{
    auto* dispatcher = new ServiceDispatcher();
    auto* model = new LongNameModel(dispatcher->GetMessageProvider());
    VstPlugin plugin(nullptr, dispatcher, model, kPlugCategEffect, kUniqueId);
    char text[40];
    std::memset(text, 'x', sizeof text);
    plugin.getAeffect()->dispatcher(plugin.getAeffect(), effGetParamName, 1, 0, text, 0.0f);
    // "Grp" + "Grp1" fits; nothing is written past the 8th byte.
    EXPECT_STREQ(text, "GrpGrp1");
    EXPECT_EQ(text[8], 'x');

    // Each short name contributes at most 8 characters, and the whole is cut to 7.
    char longText[40];
    std::memset(longText, 'x', sizeof longText);
    auto* dispatcher2 = new ServiceDispatcher();
    auto* model2 = new TestSupport::TestModel(dispatcher2->GetMessageProvider());
    VstPlugin plugin2(nullptr, dispatcher2, model2, kPlugCategEffect, kUniqueId);
    plugin2.getParameterName(12, longText);
    EXPECT_STREQ(longText, "CC0");
    EXPECT_EQ(longText[8], 'x');
}

// --- Programs ---------------------------------------------------------------------------------

TEST_F(CoreTest, SelectingAProgramResetsAndNotifiesEverybody)
{
    Dispatch(effSetProgram, 0, 5);
    EXPECT_EQ(Dispatch(effGetProgram), 5);
    EXPECT_EQ(model->GetProgram(), 5);
    EXPECT_EQ(log, (Log{"A"}));
    EXPECT_EQ(RecordingHost::CountOf(audioMasterAutomate), 0);
    // A host may change programs while it processes: the audio thread resets, before its slice.
    ProcessBlock(16);
    EXPECT_EQ(log, (Log{"A", "R", "S16", "P0:16"}));
    log.clear();

    // Values are per program.
    effect->setParameter(effect, 2, 0.5f);
    Dispatch(effSetProgram, 0, 0);
    EXPECT_EQ(effect->getParameter(effect, 2), TestSupport::TestModel::DefaultOf(2));
    Dispatch(effSetProgram, 0, 5);
    EXPECT_EQ(effect->getParameter(effect, 2), 0.5f);
}

TEST_F(CoreTest, OutOfRangeProgramsAreRefusedEverywhere)
{
    Dispatch(effSetProgram, 0, 3);
    char name[] = "Three";
    Dispatch(effSetProgramName, 0, 0, name);
    log.clear();
    for (VstInt32 program : {-1, 32, 33, INT_MIN, INT_MAX})
    {
        Dispatch(effSetProgram, 0, program);
        plugin->setProgram(program);
        char text[64];
        std::memset(text, 'x', sizeof text);
        EXPECT_EQ(Dispatch(effGetProgramNameIndexed, program, 0, text), 0) << program;
        EXPECT_EQ(text[0], '\0');
        std::memset(text, 'x', sizeof text);
        EXPECT_FALSE(plugin->getProgramNameIndexed(0, program, text));
        EXPECT_EQ(text[0], '\0');
    }
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(Dispatch(effGetProgram), 3);
    EXPECT_EQ(model->GetProgram(), 3);

    char text[64];
    Dispatch(effGetProgramName, 0, 0, text);
    EXPECT_STREQ(text, "Three");
    EXPECT_EQ(Dispatch(effGetProgramNameIndexed, 3, -1, text), 1);
    EXPECT_STREQ(text, "Three");
    EXPECT_EQ(Dispatch(effGetProgramNameIndexed, 31, 0, text), 1);
    EXPECT_STREQ(text, "Blank");
}

TEST_F(CoreTest, ProgramNamesAreBoundedTo23Characters)
{
    char name[] = "A program name that is far too long";
    Dispatch(effSetProgramName, 0, 0, name);
    char text[64];
    std::memset(text, 'x', sizeof text);
    Dispatch(effGetProgramName, 0, 0, text);
    EXPECT_EQ(std::string(text), std::string(name, 23));
    EXPECT_EQ(text[24], 'x');
}

// --- Chunks -----------------------------------------------------------------------------------

TEST_F(CoreTest, ChunksComeFromOneReusedBuffer)
{
    void* first = nullptr;
    void* second = nullptr;
    EXPECT_EQ(Dispatch(effGetChunk, 1, 0, &first), 240);
    EXPECT_EQ(Dispatch(effGetChunk, 1, 0, &second), 240);
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(first, second);

    // The bank needs a larger buffer; a program chunk then fits in it again.
    void* bank = nullptr;
    EXPECT_EQ(Dispatch(effGetChunk, 0, 0, &bank), 2596);
    void* third = nullptr;
    EXPECT_EQ(Dispatch(effGetChunk, 1, 0, &third), 240);
    EXPECT_EQ(third, bank);
    EXPECT_EQ(Dispatch(effGetChunk, 1, 0, nullptr), 0);
}

TEST_F(CoreTest, ChunkLoadsNotifyOnlyWhenTheyLoad)
{
    effect->setParameter(effect, 4, 0.625f);
    void* data = nullptr;
    const auto size = Dispatch(effGetChunk, 1, 0, &data);
    std::vector<std::uint8_t> chunk(static_cast<std::uint8_t*>(data),
                                    static_cast<std::uint8_t*>(data) + size);
    effect->setParameter(effect, 4, 0.125f);
    log.clear();

    // Truncated: refused, nothing notified, nothing changed.
    EXPECT_EQ(Dispatch(effSetChunk, 1, size - 1, chunk.data()), 0);
    EXPECT_EQ(Dispatch(effSetChunk, 1, 0, chunk.data()), 0);
    EXPECT_EQ(Dispatch(effSetChunk, 1, size, nullptr), 0);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(effect->getParameter(effect, 4), 0.125f);

    EXPECT_EQ(Dispatch(effSetChunk, 1, size, chunk.data()), 1);
    EXPECT_EQ(log, (Log{"A"}));
    EXPECT_EQ(effect->getParameter(effect, 4), 0.625f);
    EXPECT_EQ(RecordingHost::CountOf(audioMasterAutomate), 0);
}

// --- Identity ---------------------------------------------------------------------------------

TEST_F(CoreTest, CapabilitiesAndIdentity)
{
    auto canDo = [this](const char* text)
    {
        std::string copy = text;
        return Dispatch(effCanDo, 0, 0, copy.data());
    };
    EXPECT_EQ(canDo("receiveVstEvents"), 1);
    EXPECT_EQ(canDo("receiveVstMidiEvent"), 1);
    EXPECT_EQ(canDo("receiveVstTimeInfo"), 1);
    EXPECT_EQ(canDo("receiveVstEvent"), -1);
    EXPECT_EQ(canDo("receiveVstEventsX"), -1);
    EXPECT_EQ(canDo("sendVstMidiEvent"), -1);
    EXPECT_EQ(canDo(""), -1);

    char text[128];
    EXPECT_EQ(Dispatch(effGetEffectName, 0, 0, text), 1);
    EXPECT_STREQ(text, "Test Effect");
    EXPECT_EQ(Dispatch(effGetVendorString, 0, 0, text), 1);
    EXPECT_STREQ(text, "Test Vendor");
    EXPECT_EQ(Dispatch(effGetProductString, 0, 0, text), 1);
    EXPECT_STREQ(text, "Test Product");
    EXPECT_EQ(Dispatch(effGetVendorVersion), 1000);
    EXPECT_EQ(Dispatch(effGetPlugCategory), kPlugCategEffect);
    EXPECT_EQ(Dispatch(effGetNumMidiInputChannels), 1);
    EXPECT_EQ(Dispatch(effGetNumMidiOutputChannels), 0);
}

// --- Construction and destruction -------------------------------------------------------------

TEST_F(CoreTest, ConstructionAsksForMidiSelectsProgramZeroAndResets)
{
    RecordingHost::Reset();
    log.clear();
    Build(kPlugCategEffect);

    const auto wantMidi = CallsOf(audioMasterWantMidi);
    ASSERT_EQ(wantMidi.size(), 1u);
    EXPECT_EQ(wantMidi[0]->value, 1);
    EXPECT_EQ(wantMidi[0]->effect, effect);
    EXPECT_EQ(RecordingHost::CountOf(audioMasterAutomate), 0);
    // Program 0 selected (all-parameters notification), then resumed (one reset for both).
    EXPECT_EQ(log, (Log{"A", "R"}));
    EXPECT_EQ(Dispatch(effGetProgram), 0);
    EXPECT_EQ(model->GetProgram(), 0);

    EXPECT_EQ(effect->magic, kEffectMagic);
    EXPECT_EQ(effect->numInputs, 2);
    EXPECT_EQ(effect->numOutputs, 2);
    EXPECT_EQ(effect->numParams, TestSupport::TestModel::kParameterCount);
    EXPECT_EQ(effect->numPrograms, 32);
    EXPECT_EQ(effect->uniqueID, kUniqueId);
    EXPECT_EQ(effect->flags, effFlagsCanReplacing | effFlagsProgramChunks);

    // Resuming asks again and resets again.
    RecordingHost::calls.clear();
    log.clear();
    Dispatch(effMainsChanged, 0, 1);
    EXPECT_EQ(RecordingHost::CountOf(audioMasterWantMidi), 1);
    EXPECT_EQ(log, (Log{"R"}));
}

TEST_F(CoreTest, TheSynthesizerCategoryMarksTheRecord)
{
    Build(kPlugCategSynth);
    EXPECT_EQ(effect->flags, effFlagsCanReplacing | effFlagsProgramChunks | effFlagsIsSynth);
    EXPECT_EQ(Dispatch(effGetPlugCategory), kPlugCategSynth);
}

TEST_F(CoreTest, SampleRateGoesToTheDispatcherOnly)
{
    Dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    EXPECT_EQ(dispatcher->GetSampleRate(), 48000.0f);
    Dispatch(effSetSampleRate, 0, 0, nullptr, kNaN);
    Dispatch(effSetSampleRate, 0, 0, nullptr, 0.0f);
    Dispatch(effSetSampleRate, 0, 0, nullptr, -44100.0f);
    EXPECT_EQ(dispatcher->GetSampleRate(), 48000.0f);
}

TEST_F(CoreTest, CloseWithTheEditorOpenClosesItWhileTheModelStillExists)
{
    int closesWithModel = 0;
    plugin->setEditor(new ProbeEditor(plugin.get(), &modelDeleted, &closesWithModel));
    int parent = 0;
    Dispatch(effEditOpen, 0, 0, &parent);
    ASSERT_TRUE(plugin->getEditor()->isOpen());
    plugin.release(); // effClose deletes the effect
    Dispatch(effClose);
    EXPECT_TRUE(modelDeleted);
    EXPECT_EQ(closesWithModel, 1);
}

// --- Locking ----------------------------------------------------------------------------------

TEST_F(CoreTest, TheAudioThreadNeverWaitsForTheModelsLock)
{
    // Another thread holds the lock (preempted in a state load, say) for the whole block: the
    // block is smoothed and processed with the current settings, and a mapped controller's
    // change is kept until the lock is free.
    model->MapController(1, 2);
    const float before = effect->getParameter(effect, 2);
    std::atomic<bool> held{false};
    std::atomic<bool> processed{false};
    bool processedWhileHeld = false;
    std::thread holder(
        [&]
        {
            std::lock_guard<Kestrune::RecursiveLock> guard(model->GetLock());
            held = true;
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
            while (!processed && std::chrono::steady_clock::now() < deadline)
                std::this_thread::yield();
            processedWhileHeld = processed;
        });
    while (!held)
        std::this_thread::yield();
    int stretches = 0;
    model->onProcess = [&] { ++stretches; };
    SendControllers({{10, 1}});
    ProcessBlock(20000);
    effect->setParameter(effect, 4, 0.75f); // automation played back on the audio thread
    processed = true;
    holder.join();
    EXPECT_TRUE(processedWhileHeld);
    EXPECT_EQ(stretches, 3); // 10, 16384, 3606
    EXPECT_EQ(effect->getParameter(effect, 2), before);

    EXPECT_NE(effect->getParameter(effect, 4), 0.75f);
    ProcessBlock(16);
    EXPECT_FLOAT_EQ(effect->getParameter(effect, 2), 64.0f / 127.0f);
    EXPECT_EQ(effect->getParameter(effect, 4), 0.75f);
    EXPECT_EQ(RecordingHost::CountOf(audioMasterAutomate), 1) << "the host hears of it once";
}
