// The record the base hands to hosts and the default answer of every dispatcher opcode, driven
// through the record exactly as a host drives it.
#include "host/AudioEffectX.h"
#include "host/RecordingHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <set>
#include <string>
#include <vector>

using TestSupport::RecordingHost;

namespace
{

constexpr VstInt32 kPrograms = 4;
constexpr VstInt32 kParams = 3;

class MinimalEffect : public AudioEffectX
{
public:
    explicit MinimalEffect(audioMasterCallback host = RecordingHost::Callback)
        : AudioEffectX(host, kPrograms, kParams)
    {
    }

    void processReplacing(float** inputs, float** outputs, VstInt32 frames) override
    {
        for (VstInt32 i = 0; i < frames; ++i)
            outputs[0][i] = inputs[0][i];
    }
};

VstIntPtr Dispatch(AEffect* record, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                   void* ptr = nullptr, float opt = 0.0f)
{
    return record->dispatcher(record, opcode, index, value, ptr, opt);
}

class EffectBase : public ::testing::Test
{
protected:
    void SetUp() override { RecordingHost::Reset(); }
};

} // namespace

TEST_F(EffectBase, RecordIsSetUpWithThePublishedValues)
{
    MinimalEffect effect;
    AEffect* record = effect.getAeffect();
    EXPECT_EQ(record->magic, 0x56737450);
    EXPECT_EQ(record->numPrograms, kPrograms);
    EXPECT_EQ(record->numParams, kParams);
    EXPECT_EQ(record->numInputs, 1);
    EXPECT_EQ(record->numOutputs, 2);
    EXPECT_EQ(record->flags, effFlagsCanReplacing);
    EXPECT_EQ(record->ioRatio, 1.0f);
    EXPECT_EQ(record->object, static_cast<AudioEffect*>(&effect));
    EXPECT_EQ(record->uniqueID, 0x4E6F4566);
    EXPECT_EQ(record->version, 1);
    EXPECT_NE(record->dispatcher, nullptr);
    EXPECT_NE(record->process, nullptr);
    EXPECT_NE(record->setParameter, nullptr);
    EXPECT_NE(record->getParameter, nullptr);
    EXPECT_NE(record->processReplacing, nullptr);
    EXPECT_NE(record->processDoubleReplacing, nullptr);
    EXPECT_EQ(record->resvd1, 0);
    EXPECT_EQ(record->resvd2, 0);
    EXPECT_EQ(record->initialDelay, 0);
    EXPECT_EQ(record->realQualities, 0);
    EXPECT_EQ(record->offQualities, 0);
    EXPECT_EQ(record->user, nullptr);
    for (char byte : record->future)
        EXPECT_EQ(byte, 0);
    EXPECT_EQ(effect.getSampleRate(), 44100.0f);
    EXPECT_EQ(effect.getBlockSize(), 1024);
    EXPECT_TRUE(RecordingHost::calls.empty()) << "construction sends no host request";
}

TEST_F(EffectBase, FlagAndFieldSettersWriteTheRecord)
{
    MinimalEffect effect;
    AEffect* record = effect.getAeffect();
    const std::vector<std::pair<void (AudioEffectX::*)(bool), VstInt32>> flags = {
        {&AudioEffect::hasClip, 2},
        {&AudioEffect::hasVu, 4},
        {&AudioEffect::canMono, 8},
        {&AudioEffect::canProcessReplacing, 16},
        {&AudioEffect::programsAreChunks, 32},
        {&AudioEffectX::isSynth, 256},
        {&AudioEffectX::noTail, 512},
        {&AudioEffect::canDoubleReplacing, 4096},
    };
    for (const auto& [setter, bit] : flags)
    {
        (effect.*setter)(true);
        EXPECT_EQ(record->flags & bit, bit) << bit;
        (effect.*setter)(false);
        EXPECT_EQ(record->flags & bit, 0) << bit;
    }
    effect.setUniqueID(0x43506872);
    effect.setNumInputs(2);
    effect.setNumOutputs(6);
    effect.setInitialDelay(64);
    effect.setRealtimeQualities(3);
    effect.setOfflineQualities(5);
    EXPECT_EQ(record->uniqueID, 0x43506872);
    EXPECT_EQ(record->numInputs, 2);
    EXPECT_EQ(record->numOutputs, 6);
    EXPECT_EQ(record->initialDelay, 64);
    EXPECT_EQ(record->realQualities, 3);
    EXPECT_EQ(record->offQualities, 5);
}

TEST_F(EffectBase, EveryOpcodeAnswersItsDefault)
{
    auto* effect = new MinimalEffect;
    AEffect* record = effect->getAeffect();
    const VstIntPtr total = sizeof(void*) == 8 ? VstIntPtr(123456789012) : VstIntPtr(1234567);
    const std::map<VstInt32, VstIntPtr> expected = {
        {effIdentify, 0x4E764566},
        {effCanBeAutomated, 1},
        {effGetVstVersion, 2400},
        {effGetCurrentMidiProgram, -1},
        {effSetTotalSampleToProcess, total},
    };
    // The defaults do not depend on ptr: a null one gets the same answers.
    for (const bool nullPointer : {false, true})
    {
        for (VstInt32 opcode = 0; opcode <= 79; ++opcode)
        {
            if (opcode == effClose)
                continue;
            alignas(8) char buffer[256];
            std::memset(buffer, 'x', sizeof buffer);
            const VstIntPtr value = opcode == effSetTotalSampleToProcess ? total : 0;
            const VstIntPtr answer =
                Dispatch(record, opcode, 0, value, nullPointer ? nullptr : buffer);
            const auto found = expected.find(opcode);
            EXPECT_EQ(answer, found == expected.end() ? 0 : found->second)
                << "opcode " << opcode << (nullPointer ? " with a null pointer" : "");
        }
    }
    for (VstInt32 opcode : {9, 28, 80, 81, 100, 4096, -1, std::numeric_limits<VstInt32>::max(),
                            std::numeric_limits<VstInt32>::min()})
    {
        char buffer[64] = {};
        EXPECT_EQ(Dispatch(record, opcode, 1, 1, buffer, 1.0f), 0) << "opcode " << opcode;
    }
    EXPECT_EQ(Dispatch(record, effClose), 1);
}

TEST_F(EffectBase, TextQueriesWriteEmptyStrings)
{
    MinimalEffect effect;
    AEffect* record = effect.getAeffect();
    for (VstInt32 opcode :
         {effGetProgramName, effGetParamLabel, effGetParamDisplay, effGetParamName})
    {
        char buffer[32];
        std::memset(buffer, 'x', sizeof buffer);
        EXPECT_EQ(Dispatch(record, opcode, 1, 0, buffer), 0);
        EXPECT_EQ(buffer[0], '\0') << "opcode " << opcode;
    }
}

TEST_F(EffectBase, IdentifyIgnoresItsArguments)
{
    MinimalEffect effect;
    char buffer[8] = {};
    EXPECT_EQ(Dispatch(effect.getAeffect(), effIdentify, 7, -3, buffer, 2.5f), 0x4E764566);
    EXPECT_EQ(Dispatch(effect.getAeffect(), effIdentify, -1, 99, nullptr, -1.0f), 0x4E764566);
}

TEST_F(EffectBase, SpeakerArrangementQueryClearsBothPointers)
{
    MinimalEffect effect;
    int dummy = 0;
    auto* in = reinterpret_cast<VstSpeakerArrangement*>(&dummy);
    auto* out = reinterpret_cast<VstSpeakerArrangement*>(&dummy);
    EXPECT_EQ(Dispatch(effect.getAeffect(), effGetSpeakerArrangement, 0,
                       reinterpret_cast<VstIntPtr>(&in), &out),
              0);
    EXPECT_EQ(in, nullptr);
    EXPECT_EQ(out, nullptr);
}

TEST_F(EffectBase, PlugCategoryFollowsTheSynthFlag)
{
    MinimalEffect effect;
    EXPECT_EQ(Dispatch(effect.getAeffect(), effGetPlugCategory), 0);
    effect.isSynth(true);
    EXPECT_EQ(Dispatch(effect.getAeffect(), effGetPlugCategory), 2);
}

namespace
{

class ProgramEffect : public MinimalEffect
{
public:
    std::vector<VstInt32> programsSet;
    void setProgram(VstInt32 program) override
    {
        programsSet.push_back(program);
        AudioEffectX::setProgram(program);
    }
};

} // namespace

TEST_F(EffectBase, SetProgramAcceptsOnlyProgramsInRange)
{
    ProgramEffect effect;
    AEffect* record = effect.getAeffect();
    Dispatch(record, effSetProgram, 0, 3);
    EXPECT_EQ(Dispatch(record, effGetProgram), 3);
    for (VstIntPtr refused :
         {VstIntPtr(kPrograms), VstIntPtr(-1), VstIntPtr(-2147483647 - 1),
          std::numeric_limits<VstIntPtr>::min(), std::numeric_limits<VstIntPtr>::max()})
        EXPECT_EQ(Dispatch(record, effSetProgram, 0, refused), 0);
    Dispatch(record, effSetProgram, 0, 0);
    EXPECT_EQ(effect.programsSet, (std::vector<VstInt32>{3, 0}));
    EXPECT_EQ(Dispatch(record, effGetProgram), 0);
}

namespace
{

class ChunkEffect : public MinimalEffect
{
public:
    std::vector<bool> getFlags, setFlags;
    std::vector<VstInt32> setSizes;
    char data[42] = {};

    VstInt32 getChunk(void** out, bool isPreset) override
    {
        getFlags.push_back(isPreset);
        *out = data;
        return sizeof data;
    }
    VstInt32 setChunk(void*, VstInt32 byteSize, bool isPreset) override
    {
        setFlags.push_back(isPreset);
        setSizes.push_back(byteSize);
        return 1;
    }
};

} // namespace

TEST_F(EffectBase, ChunkOpcodesPassIndexNonZeroAsTheProgramFlag)
{
    ChunkEffect effect;
    AEffect* record = effect.getAeffect();
    void* address = nullptr;
    EXPECT_EQ(Dispatch(record, effGetChunk, 0, 0, &address), 42);
    EXPECT_EQ(address, effect.data);
    Dispatch(record, effGetChunk, 1, 0, &address);
    Dispatch(record, effGetChunk, 5, 0, &address);
    Dispatch(record, effGetChunk, -1, 0, &address);
    EXPECT_EQ(effect.getFlags, (std::vector<bool>{false, true, true, true}));

    char bytes[16] = {};
    EXPECT_EQ(Dispatch(record, effSetChunk, 0, 16, bytes), 1);
    EXPECT_EQ(Dispatch(record, effSetChunk, 5, 16, bytes), 1);
    EXPECT_EQ(Dispatch(record, effSetChunk, 1, 0, bytes), 1);
    EXPECT_EQ(effect.setFlags, (std::vector<bool>{false, true, true}));
    EXPECT_EQ(effect.setSizes, (std::vector<VstInt32>{16, 16, 0}));
}

TEST_F(EffectBase, SetChunkRefusesSizesTheInterfaceCannotCarry)
{
    ChunkEffect effect;
    AEffect* record = effect.getAeffect();
    char bytes[16] = {};
    EXPECT_EQ(Dispatch(record, effSetChunk, 0, -1, bytes), 0);
    if constexpr (sizeof(VstIntPtr) == 8)
    {
        EXPECT_EQ(Dispatch(record, effSetChunk, 0, VstIntPtr(1) << 32, bytes), 0);
    }
    EXPECT_EQ(Dispatch(record, effSetChunk, 0, 16, nullptr), 0);
    EXPECT_TRUE(effect.setFlags.empty());
}

namespace
{

// Writes through every pointer it receives, so a null pointer reaching it would crash.
class PointerEffect : public MinimalEffect
{
public:
    int calls = 0;
    void touch(void* p)
    {
        ++calls;
        *static_cast<volatile char*>(p) = 1;
    }
    void setProgramName(char* n) override { touch(n); }
    void getProgramName(char* n) override { touch(n); }
    void getParameterLabel(VstInt32, char* t) override { touch(t); }
    void getParameterDisplay(VstInt32, char* t) override { touch(t); }
    void getParameterName(VstInt32, char* t) override { touch(t); }
    VstInt32 getChunk(void** d, bool) override { return touch(d), 1; }
    VstInt32 setChunk(void* d, VstInt32, bool) override { return touch(d), 1; }
    VstInt32 processEvents(VstEvents* e) override { return touch(e), 1; }
    bool string2parameter(VstInt32, char* t) override { return touch(t), true; }
    bool getProgramNameIndexed(VstInt32, VstInt32, char* t) override { return touch(t), true; }
    bool getInputProperties(VstInt32, VstPinProperties* p) override { return touch(p), true; }
    bool getOutputProperties(VstInt32, VstPinProperties* p) override { return touch(p), true; }
    bool offlineNotify(VstAudioFile* f, VstInt32, bool) override { return touch(f), true; }
    bool offlinePrepare(VstOfflineTask* t, VstInt32) override { return touch(t), true; }
    bool offlineRun(VstOfflineTask* t, VstInt32) override { return touch(t), true; }
    bool processVariableIo(VstVariableIo* v) override { return touch(v), true; }
    bool setSpeakerArrangement(VstSpeakerArrangement* i, VstSpeakerArrangement* o) override
    {
        touch(i);
        return touch(o), true;
    }
    bool getEffectName(char* t) override { return touch(t), true; }
    bool getVendorString(char* t) override { return touch(t), true; }
    bool getProductString(char* t) override { return touch(t), true; }
    VstInt32 canDo(char* t) override { return touch(t), 1; }
    bool getParameterProperties(VstInt32, VstParameterProperties* p) override
    {
        return touch(p), true;
    }
    bool getSpeakerArrangement(VstSpeakerArrangement** i, VstSpeakerArrangement** o) override
    {
        touch(i);
        return touch(o), true;
    }
    VstInt32 getNextShellPlugin(char* n) override { return touch(n), 1; }
    VstInt32 beginLoadBank(VstPatchChunkInfo* i) override { return touch(i), 1; }
    VstInt32 beginLoadProgram(VstPatchChunkInfo* i) override { return touch(i), 1; }
};

} // namespace

TEST_F(EffectBase, NullPointerFromTheHostIsAnsweredWithZero)
{
    PointerEffect effect;
    AEffect* record = effect.getAeffect();
    const std::vector<VstInt32> opcodes = {
        effSetProgramName,
        effGetProgramName,
        effGetParamLabel,
        effGetParamDisplay,
        effGetParamName,
        effGetChunk,
        effSetChunk,
        effProcessEvents,
        effString2Parameter,
        effGetProgramNameIndexed,
        effGetInputProperties,
        effGetOutputProperties,
        effOfflineNotify,
        effOfflinePrepare,
        effOfflineRun,
        effProcessVarIo,
        effSetSpeakerArrangement,
        effGetEffectName,
        effGetVendorString,
        effGetProductString,
        effCanDo,
        effGetParameterProperties,
        effGetSpeakerArrangement,
        effShellGetNextPlugin,
        effBeginLoadBank,
        effBeginLoadProgram,
    };
    int buffer = 0;
    for (VstInt32 opcode : opcodes)
    {
        // value carries the second pointer of the two speaker-arrangement opcodes.
        EXPECT_EQ(Dispatch(record, opcode, 0, reinterpret_cast<VstIntPtr>(&buffer), nullptr), 0)
            << "opcode " << opcode;
    }
    EXPECT_EQ(Dispatch(record, effSetSpeakerArrangement, 0, 0, &buffer), 0);
    EXPECT_EQ(Dispatch(record, effGetSpeakerArrangement, 0, 0, &buffer), 0);
    EXPECT_EQ(effect.calls, 0);

    char text[32] = {};
    EXPECT_EQ(Dispatch(record, effCanDo, 0, 0, text), 1) << "a valid pointer still reaches it";
    EXPECT_EQ(effect.calls, 1);
}

TEST_F(EffectBase, ParameterAndProgramIndicesOutsideTheCountsAreRefused)
{
    PointerEffect effect;
    AEffect* record = effect.getAeffect();
    for (VstInt32 opcode : {effGetParamLabel, effGetParamDisplay, effGetParamName})
    {
        for (VstInt32 index : {-1, kParams, 1000})
        {
            char text[16];
            std::memset(text, 'x', sizeof text);
            EXPECT_EQ(Dispatch(record, opcode, index, 0, text), 0);
            EXPECT_EQ(text[0], '\0');
        }
    }
    for (VstInt32 index : {-1, kPrograms})
    {
        char text[32];
        std::memset(text, 'x', sizeof text);
        EXPECT_EQ(Dispatch(record, effGetProgramNameIndexed, index, 0, text), 0);
        EXPECT_EQ(text[0], '\0');
    }
    char text[16] = {};
    EXPECT_EQ(Dispatch(record, effString2Parameter, kParams, 0, text), 0);
    EXPECT_EQ(Dispatch(record, effGetParameterProperties, -1, 0, text), 0);
    EXPECT_EQ(Dispatch(record, effCanBeAutomated, kParams), 0);
    EXPECT_EQ(effect.calls, 0);
    EXPECT_EQ(Dispatch(record, effGetProgramNameIndexed, kPrograms - 1, 0, text), 1);
    EXPECT_EQ(effect.calls, 1);
}

namespace
{

class ParameterEffect : public MinimalEffect
{
public:
    std::vector<std::pair<VstInt32, float>> sets;
    int gets = 0;
    void setParameter(VstInt32 index, float value) override { sets.emplace_back(index, value); }
    float getParameter(VstInt32 index) override
    {
        ++gets;
        return 0.25f * static_cast<float>(index + 1);
    }
};

} // namespace

TEST_F(EffectBase, ParameterTrampolinesRefuseBadIndicesAndNonFiniteValues)
{
    ParameterEffect effect;
    AEffect* record = effect.getAeffect();
    record->setParameter(record, 2, 0.5f);
    record->setParameter(record, -1, 0.5f);
    record->setParameter(record, kParams, 0.5f);
    record->setParameter(record, 0, std::numeric_limits<float>::quiet_NaN());
    record->setParameter(record, 0, std::numeric_limits<float>::infinity());
    record->setParameter(record, 0, 1.5f); // finite values outside 0..1 pass unchanged
    EXPECT_EQ(effect.sets, (std::vector<std::pair<VstInt32, float>>{{2, 0.5f}, {0, 1.5f}}));

    EXPECT_EQ(record->getParameter(record, 1), 0.5f);
    EXPECT_EQ(record->getParameter(record, -1), 0.0f);
    EXPECT_EQ(record->getParameter(record, kParams), 0.0f);
    EXPECT_EQ(effect.gets, 1);
}

TEST_F(EffectBase, SampleRateAndBlockSizeIgnoreValuesWithNoMeaning)
{
    MinimalEffect effect;
    AEffect* record = effect.getAeffect();
    Dispatch(record, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    EXPECT_EQ(effect.getSampleRate(), 48000.0f);
    for (float bad : {0.0f, -44100.0f, std::numeric_limits<float>::quiet_NaN(),
                      std::numeric_limits<float>::infinity()})
        Dispatch(record, effSetSampleRate, 0, 0, nullptr, bad);
    EXPECT_EQ(effect.getSampleRate(), 48000.0f);

    Dispatch(record, effSetBlockSize, 0, 256);
    EXPECT_EQ(effect.getBlockSize(), 256);
    Dispatch(record, effSetBlockSize, 0, 0);
    Dispatch(record, effSetBlockSize, 0, -5);
    EXPECT_EQ(effect.getBlockSize(), 256);
}

namespace
{

class MainsEffect : public MinimalEffect
{
public:
    VstInt32 canDoAnswer = 0;
    std::vector<std::string> asked;
    int suspends = 0;
    VstInt32 canDo(char* text) override
    {
        asked.emplace_back(text);
        return std::string(text) == "receiveVstMidiEvent" ? canDoAnswer : 0;
    }
    void suspend() override { ++suspends; }
};

} // namespace

TEST_F(EffectBase, ResumeAsksForMidiOnlyWhenTheEffectReceivesIt)
{
    for (VstInt32 answer : {0, -1, 2})
    {
        RecordingHost::Reset();
        MainsEffect effect;
        effect.canDoAnswer = answer;
        Dispatch(effect.getAeffect(), effMainsChanged, 0, 1);
        EXPECT_EQ(effect.asked, std::vector<std::string>{"receiveVstMidiEvent"});
        EXPECT_EQ(RecordingHost::CountOf(audioMasterWantMidi), 0) << "canDo answered " << answer;
    }

    RecordingHost::Reset();
    MainsEffect receiver;
    receiver.canDoAnswer = 1;
    Dispatch(receiver.getAeffect(), effMainsChanged, 0, 1);
    ASSERT_EQ(RecordingHost::calls.size(), 1u);
    const auto& call = RecordingHost::calls[0];
    EXPECT_EQ(call.effect, receiver.getAeffect());
    EXPECT_EQ(call.opcode, audioMasterWantMidi);
    EXPECT_EQ(call.index, 0);
    EXPECT_EQ(call.value, 1);
    EXPECT_EQ(call.ptr, nullptr);
    EXPECT_EQ(call.opt, 0.0f);

    RecordingHost::Reset();
    MainsEffect synth;
    synth.isSynth(true);
    Dispatch(synth.getAeffect(), effMainsChanged, 0, 7);
    EXPECT_EQ(RecordingHost::CountOf(audioMasterWantMidi), 1);
    EXPECT_EQ(RecordingHost::calls.at(0).value, 1);

    Dispatch(synth.getAeffect(), effMainsChanged, 0, 0);
    EXPECT_EQ(synth.suspends, 1);
    EXPECT_EQ(RecordingHost::CountOf(audioMasterWantMidi), 1);
}
