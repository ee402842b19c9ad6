#include "host/VstPlugin.h"

#include "host/AEffEditor.h"

#include "base/Text.h"
#include "model/Model.h"
#include "services/ServiceDispatcher.h"

#include <cassert>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <mutex>

namespace Kestrune::Vst
{

namespace
{
using Base::CopyText;

constexpr VstInt32 kTimeFilter = kVstTempoValid | kVstPpqPosValid; // 0x600
} // namespace

VstPlugin::VstPlugin(audioMasterCallback hostCallback, ServiceDispatcher* serviceDispatcher,
                     Model* pluginModel, VstInt32 pluginCategory, VstInt32 uniqueId)
    : AudioEffectX(hostCallback, pluginModel->GetProgramCount(), pluginModel->GetParameterCount()),
      dispatcher(serviceDispatcher), model(pluginModel), category(pluginCategory), chunk(256),
      processor(*pluginModel, *serviceDispatcher), inputCount(pluginModel->GetInputCount()),
      outputCount(pluginModel->GetOutputCount())
{
    // Told outside the model's lock: it calls the host.
    model->SetOutsideObserver(this);
    setNumInputs(model->GetInputCount());
    setNumOutputs(model->GetOutputCount());
    setUniqueID(uniqueId);
    canProcessReplacing(true);
    programsAreChunks(true);
    if (category == kPlugCategSynth)
        isSynth(true);
    SelectProgram(0);
    resume();
}

VstPlugin::~VstPlugin()
{
    // The open view observes the model: it must be gone before the model is.
    if (AEffEditor* openEditor = getEditor())
        openEditor->close();
    delete model;
    delete dispatcher;
}

void VstPlugin::setSampleRate(float rate)
{
    std::lock_guard<RecursiveLock> guard(model->GetLock());
    dispatcher->SetSampleRate(rate);
}

void VstPlugin::resume()
{
    AudioEffectX::resume();
    processor.Reset();
}

VstInt32 VstPlugin::processEvents(VstEvents* events)
{
    if (events == nullptr)
        return 0;
    // The list declares two entries but holds numEvents: index it through a pointer to its
    // first entry, not the declared array.
    VstEvent* const* entries = reinterpret_cast<VstEvent* const*>(
        reinterpret_cast<const char*>(events) + offsetof(VstEvents, events));
    for (VstInt32 i = 0; i < events->numEvents; ++i)
    {
        const VstEvent* event = entries[i];
        if (event == nullptr || event->type != kVstMidiType)
            continue;
        const auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
        processor.PushMidi(midi->deltaFrames, midi->midiData[0], midi->midiData[1],
                           midi->midiData[2]);
    }
    return 1;
}

void VstPlugin::ReadTimeInfo()
{
    // Asked before the lock is taken: a host may lock around this and around setParameter.
    const VstTimeInfo* time = getTimeInfo(kTimeFilter);
    if (time == nullptr)
        return;
    processor.SetBlockTransport(time->tempo, time->ppqPos);
}

void VstPlugin::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames)
{
    if (inputs == nullptr || outputs == nullptr)
        return;
    for (int i = 0; i < inputCount; ++i)
        if (inputs[i] == nullptr)
            return;
    for (int i = 0; i < outputCount; ++i)
        if (outputs[i] == nullptr)
            return;

    audioThread.store(std::this_thread::get_id(), std::memory_order_relaxed);
    ReadTimeInfo();
    processor.Process(inputs, outputs, sampleFrames);
}

bool VstPlugin::IsParameter(VstInt32 index)
{
    return index >= 0 && index < model->GetParameterCount();
}

// The trampolines checked index and value; the host is not told of its own change.
void VstPlugin::setParameter(VstInt32 index, float value)
{
    assert(IsParameter(index) && std::isfinite(value));
    if (std::this_thread::get_id() == audioThread.load(std::memory_order_relaxed))
        model->ChangeParameterValueFromAudio(index, value, this);
    else
        model->ChangeParameterValue(index, value, this);
}

float VstPlugin::getParameter(VstInt32 index)
{
    assert(IsParameter(index));
    return model->GetParameterValue(index);
}

void VstPlugin::setParameterAutomated(VstInt32 index, float value)
{
    // Only tells the host: the value is already in the model.
    if (audioMaster != nullptr)
        audioMaster(&cEffect, audioMasterAutomate, index, 0, nullptr, value);
}

// The dispatcher checked the index of the text queries.
void VstPlugin::getParameterLabel(VstInt32 index, char* label)
{
    assert(IsParameter(index));
    CopyText(label, kVstMaxParamStrLen, model->GetParameterLabel(index));
}

void VstPlugin::getParameterDisplay(VstInt32 index, char* text)
{
    assert(IsParameter(index));
    CopyText(text, kVstMaxParamStrLen, model->GetParameterDisplay(index));
}

void VstPlugin::getParameterName(VstInt32 index, char* text)
{
    if (text == nullptr)
        return;
    // Group and parameter short names joined, each at most 8 characters; the interface only
    // promises kVstMaxParamStrLen bytes, so the whole name is bounded to that.
    assert(IsParameter(index));
    char joined[17] = {};
    std::strncat(joined, model->GetGroupShortName(index), 8);
    std::strncat(joined, model->GetParameterShortName(index), 8);
    CopyText(text, kVstMaxParamStrLen, joined);
}

void VstPlugin::SelectProgram(VstInt32 program)
{
    {
        // A host may change programs while it processes: the audio thread resets the chain.
        std::lock_guard<RecursiveLock> guard(model->GetLock());
        AudioEffectX::setProgram(program);
        model->SetProgram(program);
        processor.RequestReset();
    }
    model->NotifyAllParametersChanged();
}

void VstPlugin::setProgram(VstInt32 program)
{
    if (program < 0 || program >= model->GetProgramCount())
        return;
    SelectProgram(program);
}

void VstPlugin::setProgramName(char* name)
{
    if (name != nullptr)
        model->SetProgramName(name);
}

void VstPlugin::getProgramName(char* name)
{
    if (name != nullptr)
        model->CopyProgramName(name, kVstMaxProgNameLen);
}

bool VstPlugin::getProgramNameIndexed(VstInt32, VstInt32 index, char* text)
{
    if (text == nullptr)
        return false;
    return model->CopyProgramName(index, text, kVstMaxProgNameLen);
}

VstInt32 VstPlugin::getChunk(void** data, bool isPreset)
{
    if (data == nullptr)
        return 0;
    chunk.Clear();
    if (isPreset)
        model->WriteProgram(chunk);
    else
        model->WriteBank(chunk);
    *data = const_cast<std::uint8_t*>(chunk.GetData());
    return static_cast<VstInt32>(chunk.GetSize());
}

VstInt32 VstPlugin::setChunk(void* data, VstInt32 byteSize, bool isPreset)
{
    if (data == nullptr || byteSize <= 0)
        return 0;
    ChunkReader reader(data, static_cast<std::size_t>(byteSize));
    const bool loaded = isPreset ? model->ReadProgram(reader) : model->ReadBank(reader);
    if (!loaded)
        return 0;
    model->NotifyAllParametersChanged();
    return 1;
}

bool VstPlugin::getEffectName(char* name)
{
    CopyText(name, kVstMaxEffectNameLen, model->GetEffectName());
    return name != nullptr;
}

bool VstPlugin::getVendorString(char* text)
{
    CopyText(text, kVstMaxVendorStrLen, model->GetVendorString());
    return text != nullptr;
}

bool VstPlugin::getProductString(char* text)
{
    CopyText(text, kVstMaxProductStrLen, model->GetProductString());
    return text != nullptr;
}

VstInt32 VstPlugin::getVendorVersion()
{
    return model->GetVendorVersion();
}

VstInt32 VstPlugin::canDo(char* text)
{
    if (text == nullptr)
        return -1;
    for (const char* supported : {"receiveVstEvents", "receiveVstMidiEvent", "receiveVstTimeInfo"})
        if (std::strcmp(text, supported) == 0)
            return 1;
    return -1;
}

VstInt32 VstPlugin::getPlugCategory()
{
    return category;
}

VstInt32 VstPlugin::getNumMidiInputChannels()
{
    return 1;
}

// Reached outside the model's lock (see the constructor).
void VstPlugin::OnParameterChanged(int index)
{
    setParameterAutomated(index, model->GetParameterValue(index));
}

void VstPlugin::OnAllParametersChanged() {}

} // namespace Kestrune::Vst
