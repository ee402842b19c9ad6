#include "host/RecordTrampolines.h"

#include "host/AudioEffect.h"

#include <algorithm>
#include <cmath>

namespace
{

AudioEffect* effectOf(AEffect* record)
{
    return record == nullptr ? nullptr : static_cast<AudioEffect*>(record->object);
}

bool isParameter(const AEffect* record, VstInt32 index)
{
    return index >= 0 && index < record->numParams;
}

template <typename Sample>
void silence(const AEffect* record, Sample** outputs, VstInt32 sampleFrames)
{
    if (outputs == nullptr || sampleFrames <= 0)
        return;
    for (VstInt32 channel = 0; channel < record->numOutputs; ++channel)
    {
        if (outputs[channel] != nullptr)
            std::fill_n(outputs[channel], sampleFrames, Sample(0));
    }
}

// Null buffers are refused; an exception leaves silence in the outputs.
template <typename Sample>
void processGuarded(AEffect* record, Sample** inputs, Sample** outputs, VstInt32 sampleFrames,
                    void (AudioEffect::*processing)(Sample**, Sample**, VstInt32))
{
    AudioEffect* effect = effectOf(record);
    if (effect == nullptr || inputs == nullptr || outputs == nullptr)
        return;
    try
    {
        (effect->*processing)(inputs, outputs, sampleFrames);
    }
    catch (...)
    {
        silence(record, outputs, sampleFrames);
    }
}

} // namespace

namespace RecordTrampolines
{

VstIntPtr VSTCALLBACK dispatcher(AEffect* record, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                 void* ptr, float opt)
{
    AudioEffect* effect = effectOf(record);
    if (effect == nullptr)
        return 0;
    if (opcode == effClose)
    {
        try
        {
            effect->dispatcher(opcode, index, value, ptr, opt);
        }
        catch (...)
        {
        }
        // The record is part of the object: nothing may touch it after this.
        delete effect;
        return 1;
    }
    try
    {
        return effect->dispatcher(opcode, index, value, ptr, opt);
    }
    catch (...)
    {
        return 0;
    }
}

void VSTCALLBACK process(AEffect* record, float** inputs, float** outputs, VstInt32 sampleFrames)
{
    processGuarded(record, inputs, outputs, sampleFrames, &AudioEffect::process);
}

void VSTCALLBACK processReplacing(AEffect* record, float** inputs, float** outputs,
                                  VstInt32 sampleFrames)
{
    processGuarded(record, inputs, outputs, sampleFrames, &AudioEffect::processReplacing);
}

void VSTCALLBACK processDoubleReplacing(AEffect* record, double** inputs, double** outputs,
                                        VstInt32 sampleFrames)
{
    processGuarded(record, inputs, outputs, sampleFrames, &AudioEffect::processDoubleReplacing);
}

void VSTCALLBACK setParameter(AEffect* record, VstInt32 index, float value)
{
    AudioEffect* effect = effectOf(record);
    if (effect == nullptr || !isParameter(record, index) || !std::isfinite(value))
        return;
    try
    {
        effect->setParameter(index, value);
    }
    catch (...)
    {
    }
}

float VSTCALLBACK getParameter(AEffect* record, VstInt32 index)
{
    AudioEffect* effect = effectOf(record);
    if (effect == nullptr || !isParameter(record, index))
        return 0.0f;
    try
    {
        return effect->getParameter(index);
    }
    catch (...)
    {
        return 0.0f;
    }
}

} // namespace RecordTrampolines
