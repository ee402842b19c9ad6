#include "host/AudioEffectX.h"

#include "host/AEffEditor.h"

#include <cmath>
#include <cstdint>

namespace
{

VstIntPtr asFlag(bool state)
{
    return state ? 1 : 0;
}

// opt truncated toward zero; values with no integer meaning give 0.
unsigned char modifierByte(float opt)
{
    if (!std::isfinite(opt) || std::fabs(opt) >= 2147483648.0f)
        return 0;
    return static_cast<unsigned char>(static_cast<VstInt32>(opt) & 0xFF);
}

} // namespace

VstIntPtr AudioEffectX::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                   float opt)
{
    // Every opcode whose handler reads or writes through ptr answers 0 for a null ptr.
    char* text = static_cast<char*>(ptr);
    auto* pins = static_cast<VstPinProperties*>(ptr);
    auto* tasks = static_cast<VstOfflineTask*>(ptr);
    const auto v32 = static_cast<VstInt32>(value);
    switch (opcode)
    {
    case effProcessEvents:
        return ptr == nullptr ? 0 : processEvents(static_cast<VstEvents*>(ptr));
    case effCanBeAutomated:
        return isParameterIndex(index) ? asFlag(canParameterBeAutomated(index)) : 0;
    case effString2Parameter:
        if (text == nullptr || !isParameterIndex(index))
            return 0;
        return asFlag(string2parameter(index, text));
    case effGetProgramNameIndexed:
        if (!acceptsTextFor(text, isProgramIndex(index)))
            return 0;
        return asFlag(getProgramNameIndexed(v32, index, text));
    case effGetInputProperties:
        return ptr == nullptr ? 0 : asFlag(getInputProperties(index, pins));
    case effGetOutputProperties:
        return ptr == nullptr ? 0 : asFlag(getOutputProperties(index, pins));
    case effGetPlugCategory:
        return getPlugCategory();
    case effOfflineNotify:
        if (ptr == nullptr)
            return 0;
        return asFlag(offlineNotify(static_cast<VstAudioFile*>(ptr), v32, index != 0));
    case effOfflinePrepare:
        return ptr == nullptr ? 0 : asFlag(offlinePrepare(tasks, v32));
    case effOfflineRun:
        return ptr == nullptr ? 0 : asFlag(offlineRun(tasks, v32));
    case effProcessVarIo:
        return ptr == nullptr ? 0 : asFlag(processVariableIo(static_cast<VstVariableIo*>(ptr)));
    case effSetSpeakerArrangement:
        if (value == 0 || ptr == nullptr)
            return 0;
        return asFlag(setSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement*>(value),
                                            static_cast<VstSpeakerArrangement*>(ptr)));
    case effSetBypass:
        return asFlag(setBypass(value != 0));
    case effGetEffectName:
        return text == nullptr ? 0 : asFlag(getEffectName(text));
    case effGetVendorString:
        return text == nullptr ? 0 : asFlag(getVendorString(text));
    case effGetProductString:
        return text == nullptr ? 0 : asFlag(getProductString(text));
    case effGetVendorVersion:
        return getVendorVersion();
    case effVendorSpecific:
        return vendorSpecific(index, value, ptr, opt);
    case effCanDo:
        return text == nullptr ? 0 : canDo(text);
    case effGetTailSize:
        return getGetTailSize();
    case effGetParameterProperties:
        if (ptr == nullptr || !isParameterIndex(index))
            return 0;
        return asFlag(getParameterProperties(index, static_cast<VstParameterProperties*>(ptr)));
    case effGetVstVersion:
        return getVstVersion();
    case effEditKeyDown:
    case effEditKeyUp:
        return dispatchEditorKey(opcode, index, value, opt);
    case effSetEditKnobMode:
        return editor == nullptr ? 0 : asFlag(editor->setKnobMode(v32));
    // The MIDI program queries answer their defaults without reading ptr; an override that
    // reads it checks it.
    case effGetMidiProgramName:
        return getMidiProgramName(index, static_cast<MidiProgramName*>(ptr));
    case effGetCurrentMidiProgram:
        return getCurrentMidiProgram(index, static_cast<MidiProgramName*>(ptr));
    case effGetMidiProgramCategory:
        return getMidiProgramCategory(index, static_cast<MidiProgramCategory*>(ptr));
    case effHasMidiProgramsChanged:
        return asFlag(hasMidiProgramsChanged(index));
    case effGetMidiKeyName:
        return asFlag(getMidiKeyName(index, static_cast<MidiKeyName*>(ptr)));
    case effBeginSetProgram:
        return asFlag(beginSetProgram());
    case effEndSetProgram:
        return asFlag(endSetProgram());
    case effGetSpeakerArrangement:
        if (value == 0 || ptr == nullptr)
            return 0;
        return asFlag(getSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement**>(value),
                                            static_cast<VstSpeakerArrangement**>(ptr)));
    case effShellGetNextPlugin:
        return text == nullptr ? 0 : getNextShellPlugin(text);
    case effStartProcess:
        return startProcess();
    case effStopProcess:
        return stopProcess();
    case effSetTotalSampleToProcess:
        return setTotalSampleToProcess(value);
    case effSetPanLaw:
        return asFlag(setPanLaw(v32, opt));
    case effBeginLoadBank:
        return ptr == nullptr ? 0 : beginLoadBank(static_cast<VstPatchChunkInfo*>(ptr));
    case effBeginLoadProgram:
        return ptr == nullptr ? 0 : beginLoadProgram(static_cast<VstPatchChunkInfo*>(ptr));
    case effSetProcessPrecision:
        return asFlag(setProcessPrecision(v32));
    case effGetNumMidiInputChannels:
        return getNumMidiInputChannels();
    case effGetNumMidiOutputChannels:
        return getNumMidiOutputChannels();
    default:
        return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
    }
}

VstIntPtr AudioEffectX::dispatchEditorKey(VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                          float opt)
{
    if (editor == nullptr)
        return 0;
    VstKeyCode key{};
    key.character = index;
    key.virt = static_cast<unsigned char>(value & 0xFF);
    key.modifier = modifierByte(opt);
    return asFlag(opcode == effEditKeyDown ? editor->onKeyDown(key) : editor->onKeyUp(key));
}

void AudioEffectX::resume()
{
    char midiEvents[] = "receiveVstMidiEvent";
    if ((cEffect.flags & effFlagsIsSynth) != 0 || canDo(midiEvents) == 1)
        wantEvents(1);
}

bool AudioEffectX::getSpeakerArrangement(VstSpeakerArrangement** in, VstSpeakerArrangement** out)
{
    if (in != nullptr)
        *in = nullptr;
    if (out != nullptr)
        *out = nullptr;
    return false;
}

VstInt32 AudioEffectX::getPlugCategory()
{
    return (cEffect.flags & effFlagsIsSynth) != 0 ? kPlugCategSynth : kPlugCategUnknown;
}

void AudioEffectX::wantEvents(VstInt32 filter)
{
    callHost(audioMasterWantMidi, 0, filter);
}

VstTimeInfo* AudioEffectX::getTimeInfo(VstInt32 filter)
{
    return reinterpret_cast<VstTimeInfo*>(callHost(audioMasterGetTime, 0, filter));
}

bool AudioEffectX::ioChanged()
{
    return callHost(audioMasterIOChanged) != 0;
}

bool AudioEffectX::sizeWindow(VstInt32 width, VstInt32 height)
{
    return callHost(audioMasterSizeWindow, width, height) != 0;
}

float AudioEffectX::updateSampleRate()
{
    const VstIntPtr rate = callHost(audioMasterGetSampleRate);
    if (rate > 0)
        sampleRate = static_cast<float>(rate);
    return sampleRate;
}

VstInt32 AudioEffectX::updateBlockSize()
{
    const VstIntPtr size = callHost(audioMasterGetBlockSize);
    if (size > 0 && size <= INT32_MAX)
        blockSize = static_cast<VstInt32>(size);
    return blockSize;
}

VstInt32 AudioEffectX::getInputLatency()
{
    return static_cast<VstInt32>(callHost(audioMasterGetInputLatency));
}

VstInt32 AudioEffectX::getOutputLatency()
{
    return static_cast<VstInt32>(callHost(audioMasterGetOutputLatency));
}

VstInt32 AudioEffectX::getCurrentProcessLevel()
{
    return static_cast<VstInt32>(callHost(audioMasterGetCurrentProcessLevel));
}

VstInt32 AudioEffectX::getAutomationState()
{
    return static_cast<VstInt32>(callHost(audioMasterGetAutomationState));
}

bool AudioEffectX::getHostVendorString(char* text)
{
    return text != nullptr && callHost(audioMasterGetVendorString, 0, 0, text) != 0;
}

bool AudioEffectX::getHostProductString(char* text)
{
    return text != nullptr && callHost(audioMasterGetProductString, 0, 0, text) != 0;
}

VstInt32 AudioEffectX::getHostVendorVersion()
{
    return static_cast<VstInt32>(callHost(audioMasterGetVendorVersion));
}

VstIntPtr AudioEffectX::hostVendorSpecific(VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    return callHost(audioMasterVendorSpecific, index, value, ptr, opt);
}

bool AudioEffectX::canHostDo(char* text)
{
    return text != nullptr && callHost(audioMasterCanDo, 0, 0, text) != 0;
}

VstInt32 AudioEffectX::getHostLanguage()
{
    return static_cast<VstInt32>(callHost(audioMasterGetLanguage));
}

void* AudioEffectX::getDirectory()
{
    return reinterpret_cast<void*>(callHost(audioMasterGetDirectory));
}

bool AudioEffectX::updateDisplay()
{
    return callHost(audioMasterUpdateDisplay) != 0;
}

bool AudioEffectX::beginEdit(VstInt32 index)
{
    return callHost(audioMasterBeginEdit, index) != 0;
}

bool AudioEffectX::endEdit(VstInt32 index)
{
    return callHost(audioMasterEndEdit, index) != 0;
}

bool AudioEffectX::openFileSelector(VstFileSelect* ptr)
{
    return ptr != nullptr && callHost(audioMasterOpenFileSelector, 0, 0, ptr) != 0;
}

bool AudioEffectX::closeFileSelector(VstFileSelect* ptr)
{
    return ptr != nullptr && callHost(audioMasterCloseFileSelector, 0, 0, ptr) != 0;
}
