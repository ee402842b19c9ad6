// VST 2.4 effect base: owns the plug-in record handed to the host, answers the dispatcher opcodes
// 0 to 24 and wraps the basic host requests. Concrete effects derive from AudioEffectX.
//
// The host reaches the object only through the record's five trampolines. They catch every C++
// exception and answer the interface's failure value (0 from the dispatcher, zeroed outputs from
// processing, 0.0 from getParameter), so nothing thrown here crosses into a host.
#pragma once

#include "host/vst24.h"

class AEffEditor;

class AudioEffect
{
public:
    // hostCallback may be null; every host request then answers its stated default.
    AudioEffect(audioMasterCallback hostCallback, VstInt32 programCount, VstInt32 parameterCount);
    virtual ~AudioEffect(); // deletes the editor

    AudioEffect(const AudioEffect&) = delete;
    AudioEffect& operator=(const AudioEffect&) = delete;

    // Opcodes 0 to 24; anything else answers 0. [any]
    virtual VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                 float opt);

    virtual void open() {}
    virtual void close() {}
    virtual void suspend() {}
    virtual void resume() {}
    virtual void setSampleRate(float rate) { sampleRate = rate; }
    virtual void setBlockSize(VstInt32 size) { blockSize = size; }

    // [audio]
    virtual void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) = 0;
    virtual void processDoubleReplacing(double** /*inputs*/, double** /*outputs*/,
                                        VstInt32 /*sampleFrames*/)
    {
    }

    virtual void setParameter(VstInt32 /*index*/, float /*value*/) {}
    virtual float getParameter(VstInt32 /*index*/) { return 0.0f; }
    // setParameter, then audioMasterAutomate (index, opt = value).
    virtual void setParameterAutomated(VstInt32 index, float value);

    virtual VstInt32 getProgram() { return curProgram; }
    virtual void setProgram(VstInt32 program) { curProgram = program; }
    virtual void setProgramName(char* /*name*/) {}
    virtual void getProgramName(char* name) { writeEmpty(name); }

    virtual void getParameterLabel(VstInt32 /*index*/, char* label) { writeEmpty(label); }
    virtual void getParameterDisplay(VstInt32 /*index*/, char* text) { writeEmpty(text); }
    virtual void getParameterName(VstInt32 /*index*/, char* text) { writeEmpty(text); }

    // data receives the chunk's address; isPreset selects the current program instead of the
    // bank. Answers the size in bytes.
    virtual VstInt32 getChunk(void** /*data*/, bool /*isPreset*/ = false) { return 0; }
    virtual VstInt32 setChunk(void* /*data*/, VstInt32 /*byteSize*/, bool /*isPreset*/ = false)
    {
        return 0;
    }

    virtual void setUniqueID(VstInt32 id) { cEffect.uniqueID = id; }
    virtual void setNumInputs(VstInt32 inputs) { cEffect.numInputs = inputs; }
    virtual void setNumOutputs(VstInt32 outputs) { cEffect.numOutputs = outputs; }

    virtual void canProcessReplacing(bool state = true) { setFlag(effFlagsCanReplacing, state); }
    virtual void canDoubleReplacing(bool state = true)
    {
        setFlag(effFlagsCanDoubleReplacing, state);
    }
    virtual void programsAreChunks(bool state = true) { setFlag(effFlagsProgramChunks, state); }
    virtual void setInitialDelay(VstInt32 delay) { cEffect.initialDelay = delay; }

    virtual AEffEditor* getEditor() { return editor; }
    virtual AEffect* getAeffect() { return &cEffect; }

    virtual float getSampleRate() { return sampleRate; }
    virtual VstInt32 getBlockSize() { return blockSize; }

    // The host's version, or 1 when it answers 0 or there is no callback.
    virtual VstInt32 getMasterVersion();
    virtual VstInt32 getCurrentUniqueId();
    virtual void masterIdle();

    // Accumulating processing (deprecated; no host of this system uses it).
    virtual void process(float** /*inputs*/, float** /*outputs*/, VstInt32 /*sampleFrames*/) {}
    virtual float getVu() { return 0.0f; }
    virtual void hasVu(bool state = true) { setFlag(kFlagHasVu, state); }
    virtual void hasClip(bool state = true) { setFlag(kFlagHasClip, state); }
    virtual void canMono(bool state = true) { setFlag(kFlagCanMono, state); }
    virtual void setRealtimeQualities(VstInt32 qualities) { cEffect.realQualities = qualities; }
    virtual void setOfflineQualities(VstInt32 qualities) { cEffect.offQualities = qualities; }

    // True when the host answers 0 (also without callback).
    virtual bool isInputConnected(VstInt32 input);
    virtual bool isOutputConnected(VstInt32 output);

    // Takes ownership; a replaced editor is deleted. Sets effFlagsHasEditor when not null.
    void setEditor(AEffEditor* newEditor);

protected:
    // Deprecated flag bits that have no name in the declarations.
    static constexpr VstInt32 kFlagHasClip = 2;
    static constexpr VstInt32 kFlagHasVu = 4;
    static constexpr VstInt32 kFlagCanMono = 8;

    void setFlag(VstInt32 flag, bool state);
    bool isParameterIndex(VstInt32 index) const { return index >= 0 && index < numParams; }
    bool isProgramIndex(VstIntPtr program) const { return program >= 0 && program < numPrograms; }
    // Calls the host with the record's address first; 0 without callback.
    VstIntPtr callHost(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f);
    static void writeEmpty(char* text)
    {
        if (text != nullptr)
            *text = '\0';
    }
    // For a text query about an index: false for a null text; for an index out of range the
    // text is made empty and the answer is false.
    static bool acceptsTextFor(char* text, bool validIndex)
    {
        if (text == nullptr)
            return false;
        if (!validIndex)
            writeEmpty(text);
        return validIndex;
    }

    audioMasterCallback audioMaster; // may be null
    AEffEditor* editor = nullptr;    // owned
    float sampleRate = 44100.0f;     // Hz
    VstInt32 blockSize = 1024;       // samples
    VstInt32 numPrograms;
    VstInt32 numParams;
    VstInt32 curProgram = 0;
    AEffect cEffect;
};
