// Every host-request wrapper: the opcode and arguments it sends (record address first), the use
// made of the host's answer, and its default when there is no host callback.
#include "host/AudioEffectX.h"
#include "host/RecordingHost.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using TestSupport::HostCall;
using TestSupport::RecordingHost;

namespace
{

class RequestEffect : public AudioEffectX
{
public:
    explicit RequestEffect(audioMasterCallback host) : AudioEffectX(host, 2, 4) {}
    std::vector<std::pair<VstInt32, float>> sets;
    void processReplacing(float**, float**, VstInt32) override {}
    void setParameter(VstInt32 index, float value) override { sets.emplace_back(index, value); }
};

class HostRequests : public ::testing::Test
{
protected:
    void SetUp() override { RecordingHost::Reset(); }

    RequestEffect effect{RecordingHost::Callback};
    RequestEffect orphan{nullptr};

    // Exactly one request went out, with these arguments.
    void ExpectOnlyCall(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                        void* ptr = nullptr, float opt = 0.0f)
    {
        ASSERT_EQ(RecordingHost::calls.size(), 1u) << "opcode " << opcode;
        const HostCall& call = RecordingHost::calls[0];
        EXPECT_EQ(call.effect, effect.getAeffect());
        EXPECT_EQ(call.opcode, opcode);
        EXPECT_EQ(call.index, index);
        EXPECT_EQ(call.value, value);
        EXPECT_EQ(call.ptr, ptr);
        EXPECT_EQ(call.opt, opt);
        RecordingHost::calls.clear();
    }
};

} // namespace

TEST_F(HostRequests, AutomationSetsTheParameterThenTellsTheHost)
{
    effect.setParameterAutomated(2, 0.75f);
    EXPECT_EQ(effect.sets, (std::vector<std::pair<VstInt32, float>>{{2, 0.75f}}));
    ExpectOnlyCall(audioMasterAutomate, 2, 0, nullptr, 0.75f);

    orphan.setParameterAutomated(1, 0.5f);
    EXPECT_EQ(orphan.sets.size(), 1u);
}

TEST_F(HostRequests, MasterVersionIsOneWhenTheHostGivesNone)
{
    RecordingHost::answers[audioMasterVersion] = 2400;
    EXPECT_EQ(effect.getMasterVersion(), 2400);
    ExpectOnlyCall(audioMasterVersion);
    RecordingHost::answers[audioMasterVersion] = 0;
    EXPECT_EQ(effect.getMasterVersion(), 1);
    EXPECT_EQ(orphan.getMasterVersion(), 1);
}

TEST_F(HostRequests, PinsCountAsConnectedWhenTheHostAnswersZero)
{
    EXPECT_TRUE(effect.isInputConnected(3));
    ExpectOnlyCall(audioMasterPinConnected, 3, 0);
    RecordingHost::answers[audioMasterPinConnected] = 1;
    EXPECT_FALSE(effect.isOutputConnected(1));
    ExpectOnlyCall(audioMasterPinConnected, 1, 1);
    EXPECT_TRUE(orphan.isInputConnected(0));
    EXPECT_TRUE(orphan.isOutputConnected(0));
}

TEST_F(HostRequests, TimeInfoIsTheHostsPointerOrNull)
{
    VstTimeInfo info{};
    RecordingHost::answers[audioMasterGetTime] = reinterpret_cast<VstIntPtr>(&info);
    EXPECT_EQ(effect.getTimeInfo(0x600), &info);
    ExpectOnlyCall(audioMasterGetTime, 0, 0x600);
    RecordingHost::answers[audioMasterGetTime] = 0;
    EXPECT_EQ(effect.getTimeInfo(0x600), nullptr);
    EXPECT_EQ(orphan.getTimeInfo(0x600), nullptr);
}

TEST_F(HostRequests, SampleRateAndBlockSizeKeepOnlyPositiveAnswers)
{
    RecordingHost::answers[audioMasterGetSampleRate] = 48000;
    EXPECT_EQ(effect.updateSampleRate(), 48000.0f);
    ExpectOnlyCall(audioMasterGetSampleRate);
    RecordingHost::answers[audioMasterGetSampleRate] = -1;
    EXPECT_EQ(effect.updateSampleRate(), 48000.0f);
    EXPECT_EQ(effect.getSampleRate(), 48000.0f);
    EXPECT_EQ(orphan.updateSampleRate(), 44100.0f);

    RecordingHost::calls.clear();
    RecordingHost::answers[audioMasterGetBlockSize] = 256;
    EXPECT_EQ(effect.updateBlockSize(), 256);
    ExpectOnlyCall(audioMasterGetBlockSize);
    RecordingHost::answers[audioMasterGetBlockSize] = 0;
    EXPECT_EQ(effect.updateBlockSize(), 256);
    EXPECT_EQ(orphan.updateBlockSize(), 1024);
}

TEST_F(HostRequests, PlainQueriesSendTheirOpcodeAndReturnTheAnswer)
{
    struct Query
    {
        VstInt32 opcode;
        VstIntPtr (*call)(RequestEffect&);
    };
    const std::vector<Query> queries = {
        {audioMasterCurrentId,
         [](RequestEffect& e) -> VstIntPtr { return e.getCurrentUniqueId(); }},
        {audioMasterGetInputLatency,
         [](RequestEffect& e) -> VstIntPtr { return e.getInputLatency(); }},
        {audioMasterGetOutputLatency,
         [](RequestEffect& e) -> VstIntPtr { return e.getOutputLatency(); }},
        {audioMasterGetCurrentProcessLevel,
         [](RequestEffect& e) -> VstIntPtr { return e.getCurrentProcessLevel(); }},
        {audioMasterGetAutomationState,
         [](RequestEffect& e) -> VstIntPtr { return e.getAutomationState(); }},
        {audioMasterGetVendorVersion,
         [](RequestEffect& e) -> VstIntPtr { return e.getHostVendorVersion(); }},
        {audioMasterGetLanguage, [](RequestEffect& e) -> VstIntPtr { return e.getHostLanguage(); }},
        {audioMasterGetDirectory,
         [](RequestEffect& e) { return reinterpret_cast<VstIntPtr>(e.getDirectory()); }},
        {audioMasterIOChanged, [](RequestEffect& e) -> VstIntPtr { return e.ioChanged(); }},
        {audioMasterUpdateDisplay, [](RequestEffect& e) -> VstIntPtr { return e.updateDisplay(); }},
    };
    for (const Query& query : queries)
    {
        RecordingHost::answers[query.opcode] = 1;
        EXPECT_EQ(query.call(effect), 1) << query.opcode;
        ExpectOnlyCall(query.opcode);
        RecordingHost::answers[query.opcode] = 0;
        EXPECT_EQ(query.call(effect), 0) << query.opcode;
        RecordingHost::calls.clear();
        EXPECT_EQ(query.call(orphan), 0) << query.opcode;
    }
    RecordingHost::answers[audioMasterCurrentId] = 0x43506872;
    EXPECT_EQ(effect.getCurrentUniqueId(), 0x43506872);
    RecordingHost::answers[audioMasterGetInputLatency] = 128;
    EXPECT_EQ(effect.getInputLatency(), 128);

    RecordingHost::calls.clear();
    effect.masterIdle();
    ExpectOnlyCall(audioMasterIdle);
    effect.wantEvents(1);
    ExpectOnlyCall(audioMasterWantMidi, 0, 1);
}

TEST_F(HostRequests, RequestsWithArgumentsPassThemAsTabled)
{
    RecordingHost::answers[audioMasterSizeWindow] = 1;
    EXPECT_TRUE(effect.sizeWindow(391, 348));
    ExpectOnlyCall(audioMasterSizeWindow, 391, 348);

    char text[64] = {};
    RecordingHost::answers[audioMasterGetVendorString] = 1;
    EXPECT_TRUE(effect.getHostVendorString(text));
    ExpectOnlyCall(audioMasterGetVendorString, 0, 0, text);
    EXPECT_FALSE(effect.getHostProductString(text));
    ExpectOnlyCall(audioMasterGetProductString, 0, 0, text);

    char canDo[] = "sendVstTimeInfo";
    RecordingHost::answers[audioMasterCanDo] = 1;
    EXPECT_TRUE(effect.canHostDo(canDo));
    ExpectOnlyCall(audioMasterCanDo, 0, 0, canDo);

    RecordingHost::answers[audioMasterVendorSpecific] = -7;
    EXPECT_EQ(effect.hostVendorSpecific(1, 2, text, 0.5f), -7);
    ExpectOnlyCall(audioMasterVendorSpecific, 1, 2, text, 0.5f);

    RecordingHost::answers[audioMasterBeginEdit] = 1;
    EXPECT_TRUE(effect.beginEdit(5));
    ExpectOnlyCall(audioMasterBeginEdit, 5);
    EXPECT_FALSE(effect.endEdit(5));
    ExpectOnlyCall(audioMasterEndEdit, 5);

    auto* selector = reinterpret_cast<VstFileSelect*>(text);
    RecordingHost::answers[audioMasterOpenFileSelector] = 1;
    EXPECT_TRUE(effect.openFileSelector(selector));
    ExpectOnlyCall(audioMasterOpenFileSelector, 0, 0, selector);
    RecordingHost::answers[audioMasterCloseFileSelector] = 1;
    EXPECT_TRUE(effect.closeFileSelector(selector));
    ExpectOnlyCall(audioMasterCloseFileSelector, 0, 0, selector);
    EXPECT_FALSE(effect.openFileSelector(nullptr));
    EXPECT_FALSE(effect.closeFileSelector(nullptr));
    EXPECT_TRUE(RecordingHost::calls.empty()) << "no request for a null selector";
}

TEST_F(HostRequests, WithoutCallbackEveryRequestAnswersItsDefault)
{
    char text[64] = {};
    EXPECT_FALSE(orphan.sizeWindow(1, 1));
    EXPECT_FALSE(orphan.getHostVendorString(text));
    EXPECT_FALSE(orphan.getHostProductString(text));
    EXPECT_FALSE(orphan.canHostDo(text));
    EXPECT_EQ(orphan.hostVendorSpecific(1, 2, text, 0.5f), 0);
    EXPECT_FALSE(orphan.beginEdit(0));
    EXPECT_FALSE(orphan.endEdit(0));
    EXPECT_FALSE(orphan.openFileSelector(reinterpret_cast<VstFileSelect*>(text)));
    orphan.masterIdle();
    orphan.wantEvents(1);
    EXPECT_TRUE(RecordingHost::calls.empty());
}
