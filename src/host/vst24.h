// VST 2.4 plug-in interface: record, events, time info, editor structures and the numeric
// constants, declared from the published layout. The layout is checked below for the target's
// pointer width; every value here must match what hosts were built against.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32) && !defined(_WIN64)
#define VSTCALLBACK __cdecl
#else
#define VSTCALLBACK
#endif

using VstInt16 = std::int16_t;
using VstInt32 = std::int32_t;
using VstIntPtr = std::intptr_t;

struct AEffect;

using audioMasterCallback = VstIntPtr(VSTCALLBACK*)(AEffect* effect, VstInt32 opcode,
                                                    VstInt32 index, VstIntPtr value, void* ptr,
                                                    float opt);
using AEffectDispatcherProc = audioMasterCallback;
using AEffectProcessProc = void(VSTCALLBACK*)(AEffect* effect, float** inputs, float** outputs,
                                              VstInt32 sampleFrames);
using AEffectProcessDoubleProc = void(VSTCALLBACK*)(AEffect* effect, double** inputs,
                                                    double** outputs, VstInt32 sampleFrames);
using AEffectSetParameterProc = void(VSTCALLBACK*)(AEffect* effect, VstInt32 index, float value);
using AEffectGetParameterProc = float(VSTCALLBACK*)(AEffect* effect, VstInt32 index);

constexpr VstInt32 kEffectMagic = 0x56737450; // 'VstP'

struct AEffect
{
    VstInt32 magic;
    AEffectDispatcherProc dispatcher;
    AEffectProcessProc process;
    AEffectSetParameterProc setParameter;
    AEffectGetParameterProc getParameter;
    VstInt32 numPrograms;
    VstInt32 numParams;
    VstInt32 numInputs;
    VstInt32 numOutputs;
    VstInt32 flags;
    VstIntPtr resvd1;
    VstIntPtr resvd2;
    VstInt32 initialDelay;
    VstInt32 realQualities;
    VstInt32 offQualities;
    float ioRatio;
    void* object;
    void* user;
    VstInt32 uniqueID;
    VstInt32 version;
    AEffectProcessProc processReplacing;
    AEffectProcessDoubleProc processDoubleReplacing;
    char future[56];
};

enum VstAEffectFlags : VstInt32
{
    effFlagsHasEditor = 1,
    effFlagsCanReplacing = 1 << 4,
    effFlagsProgramChunks = 1 << 5,
    effFlagsIsSynth = 1 << 8,
    effFlagsNoSoundInStop = 1 << 9,
    effFlagsCanDoubleReplacing = 1 << 12,
};

// Dispatcher opcodes 0 to 79. The ones marked deprecated are still numbered so that every
// later opcode keeps its published value.
enum AEffectOpcodes : VstInt32
{
    effOpen = 0,
    effClose,
    effSetProgram,
    effGetProgram,
    effSetProgramName,
    effGetProgramName,
    effGetParamLabel,
    effGetParamDisplay,
    effGetParamName,
    effGetVuDeprecated,
    effSetSampleRate,
    effSetBlockSize,
    effMainsChanged,
    effEditGetRect,
    effEditOpen,
    effEditClose,
    effEditDrawDeprecated,
    effEditMouseDeprecated,
    effEditKeyDeprecated,
    effEditIdle,
    effEditTopDeprecated,
    effEditSleepDeprecated,
    effIdentify,
    effGetChunk,
    effSetChunk,
    effProcessEvents, // 25
    effCanBeAutomated,
    effString2Parameter,
    effGetNumProgramCategoriesDeprecated,
    effGetProgramNameIndexed,
    effCopyProgramDeprecated,
    effConnectInputDeprecated,
    effConnectOutputDeprecated,
    effGetInputProperties,
    effGetOutputProperties,
    effGetPlugCategory,
    effGetCurrentPositionDeprecated,
    effGetDestinationBufferDeprecated,
    effOfflineNotify,
    effOfflinePrepare,
    effOfflineRun,
    effProcessVarIo,
    effSetSpeakerArrangement,
    effSetBlockSizeAndSampleRateDeprecated,
    effSetBypass,
    effGetEffectName,
    effGetErrorTextDeprecated,
    effGetVendorString,
    effGetProductString,
    effGetVendorVersion,
    effVendorSpecific,
    effCanDo,
    effGetTailSize,
    effIdleDeprecated,
    effGetIconDeprecated,
    effSetViewPositionDeprecated,
    effGetParameterProperties,
    effKeysRequiredDeprecated,
    effGetVstVersion,
    effEditKeyDown,
    effEditKeyUp,
    effSetEditKnobMode,
    effGetMidiProgramName,
    effGetCurrentMidiProgram,
    effGetMidiProgramCategory,
    effHasMidiProgramsChanged,
    effGetMidiKeyName,
    effBeginSetProgram,
    effEndSetProgram,
    effGetSpeakerArrangement,
    effShellGetNextPlugin,
    effStartProcess,
    effStopProcess,
    effSetTotalSampleToProcess,
    effSetPanLaw,
    effBeginLoadBank,
    effBeginLoadProgram,
    effSetProcessPrecision,
    effGetNumMidiInputChannels,
    effGetNumMidiOutputChannels, // 79
};
static_assert(effProcessEvents == 25 && effGetEffectName == 45 && effGetVstVersion == 58);
static_assert(effEditKeyDown == 59 && effShellGetNextPlugin == 70);
static_assert(effGetNumMidiOutputChannels == 79);

enum AudioMasterOpcodes : VstInt32
{
    audioMasterAutomate = 0,
    audioMasterVersion = 1,
    audioMasterCurrentId = 2,
    audioMasterIdle = 3,
    audioMasterPinConnected = 4,
    audioMasterWantMidi = 6,
    audioMasterGetTime = 7,
    audioMasterIOChanged = 13,
    audioMasterSizeWindow = 15,
    audioMasterGetSampleRate = 16,
    audioMasterGetBlockSize = 17,
    audioMasterGetInputLatency = 18,
    audioMasterGetOutputLatency = 19,
    audioMasterGetCurrentProcessLevel = 23,
    audioMasterGetAutomationState = 24,
    audioMasterGetVendorString = 32,
    audioMasterGetProductString = 33,
    audioMasterGetVendorVersion = 34,
    audioMasterVendorSpecific = 35,
    audioMasterCanDo = 37,
    audioMasterGetLanguage = 38,
    audioMasterGetDirectory = 41,
    audioMasterUpdateDisplay = 42,
    audioMasterBeginEdit = 43,
    audioMasterEndEdit = 44,
    audioMasterOpenFileSelector = 45,
    audioMasterCloseFileSelector = 46,
};

enum VstPlugCategory : VstInt32
{
    kPlugCategUnknown = 0,
    kPlugCategEffect = 1,
    kPlugCategSynth = 2,
};

enum VstStringConstants : VstInt32
{
    kVstMaxProgNameLen = 24,
    kVstMaxParamStrLen = 8,
    kVstMaxVendorStrLen = 64,
    kVstMaxProductStrLen = 64,
    kVstMaxEffectNameLen = 32,
};

constexpr VstInt32 kVstVersion = 2400;
constexpr VstInt32 kEffectIdentify = 0x4E764566; // 'NvEf'

// Events
enum VstEventTypes : VstInt32
{
    kVstMidiType = 1,
    kVstSysExType = 6,
};

struct VstEvent
{
    VstInt32 type;
    VstInt32 byteSize;
    VstInt32 deltaFrames;
    VstInt32 flags;
    char data[16];
};

struct VstMidiEvent
{
    VstInt32 type;
    VstInt32 byteSize;
    VstInt32 deltaFrames;
    VstInt32 flags;
    VstInt32 noteLength;
    VstInt32 noteOffset;
    unsigned char midiData[4];
    char detune;
    char noteOffVelocity;
    char reserved1;
    char reserved2;
};

struct VstEvents
{
    VstInt32 numEvents;
    VstIntPtr reserved;
    VstEvent* events[2]; // the host allocates numEvents entries
};

// Time info
struct VstTimeInfo
{
    double samplePos;
    double sampleRate;
    double nanoSeconds;
    double ppqPos;
    double tempo;
    double barStartPos;
    double cycleStartPos;
    double cycleEndPos;
    VstInt32 timeSigNumerator;
    VstInt32 timeSigDenominator;
    VstInt32 smpteOffset;
    VstInt32 smpteFrameRate;
    VstInt32 samplesToNextClock;
    VstInt32 flags;
};

enum VstTimeInfoFlags : VstInt32
{
    kVstTransportChanged = 1,
    kVstTransportPlaying = 1 << 1,
    kVstTransportCycleActive = 1 << 2,
    kVstTransportRecording = 1 << 3,
    kVstNanosValid = 1 << 8,
    kVstPpqPosValid = 1 << 9,
    kVstTempoValid = 1 << 10,
    kVstBarsValid = 1 << 11,
    kVstCyclePosValid = 1 << 12,
    kVstTimeSigValid = 1 << 13,
    kVstSmpteValid = 1 << 14,
    kVstClockValid = 1 << 15,
};

// Editor
struct ERect
{
    VstInt16 top;
    VstInt16 left;
    VstInt16 bottom;
    VstInt16 right;
};

struct VstKeyCode
{
    VstInt32 character;
    unsigned char virt;
    unsigned char modifier;
};

// Structures only passed through by pointer in this system; never dereferenced here.
struct VstParameterProperties;
struct VstPinProperties;
struct VstSpeakerArrangement;
struct VstVariableIo;
struct VstAudioFile;
struct VstPatchChunkInfo;
struct MidiProgramName;
struct MidiProgramCategory;
struct MidiKeyName;
struct VstOfflineTask;
struct VstFileSelect;

// Layout checks for the pointer width being built.
#define CORVANE_VST_OFFSET(type, field, off64, off32)                                              \
    static_assert(offsetof(type, field) == (sizeof(void*) == 8 ? (off64) : (off32)),               \
                  #type "::" #field " offset")

static_assert(sizeof(AEffect) == (sizeof(void*) == 8 ? 192 : 144));
CORVANE_VST_OFFSET(AEffect, magic, 0, 0);
CORVANE_VST_OFFSET(AEffect, dispatcher, 8, 4);
CORVANE_VST_OFFSET(AEffect, process, 16, 8);
CORVANE_VST_OFFSET(AEffect, setParameter, 24, 12);
CORVANE_VST_OFFSET(AEffect, getParameter, 32, 16);
CORVANE_VST_OFFSET(AEffect, numPrograms, 40, 20);
CORVANE_VST_OFFSET(AEffect, numParams, 44, 24);
CORVANE_VST_OFFSET(AEffect, numInputs, 48, 28);
CORVANE_VST_OFFSET(AEffect, numOutputs, 52, 32);
CORVANE_VST_OFFSET(AEffect, flags, 56, 36);
CORVANE_VST_OFFSET(AEffect, resvd1, 64, 40);
CORVANE_VST_OFFSET(AEffect, resvd2, 72, 44);
CORVANE_VST_OFFSET(AEffect, initialDelay, 80, 48);
CORVANE_VST_OFFSET(AEffect, realQualities, 84, 52);
CORVANE_VST_OFFSET(AEffect, offQualities, 88, 56);
CORVANE_VST_OFFSET(AEffect, ioRatio, 92, 60);
CORVANE_VST_OFFSET(AEffect, object, 96, 64);
CORVANE_VST_OFFSET(AEffect, user, 104, 68);
CORVANE_VST_OFFSET(AEffect, uniqueID, 112, 72);
CORVANE_VST_OFFSET(AEffect, version, 116, 76);
CORVANE_VST_OFFSET(AEffect, processReplacing, 120, 80);
CORVANE_VST_OFFSET(AEffect, processDoubleReplacing, 128, 84);
CORVANE_VST_OFFSET(AEffect, future, 136, 88);

static_assert(sizeof(VstEvent) == 32);
static_assert(sizeof(VstMidiEvent) == 32);
static_assert(offsetof(VstMidiEvent, deltaFrames) == 8);
static_assert(offsetof(VstMidiEvent, midiData) == 24);
static_assert(offsetof(VstMidiEvent, detune) == 28);
CORVANE_VST_OFFSET(VstEvents, reserved, 8, 4);
CORVANE_VST_OFFSET(VstEvents, events, 16, 8);

static_assert(sizeof(VstTimeInfo) == 88);
static_assert(offsetof(VstTimeInfo, ppqPos) == 24);
static_assert(offsetof(VstTimeInfo, tempo) == 32);
static_assert(offsetof(VstTimeInfo, cycleEndPos) == 56);
static_assert(offsetof(VstTimeInfo, timeSigNumerator) == 64);
static_assert(offsetof(VstTimeInfo, samplesToNextClock) == 80);
static_assert(offsetof(VstTimeInfo, flags) == 84);

static_assert(sizeof(ERect) == 8);
static_assert(offsetof(ERect, bottom) == 4);
static_assert(sizeof(VstKeyCode) == 8);
static_assert(offsetof(VstKeyCode, modifier) == 5);

#undef CORVANE_VST_OFFSET
