#pragma once

#include "host/AudioEffectX.h"
#include "model/BlockProcessor.h"
#include "model/ChunkWriter.h"
#include "model/IModelObserver.h"

#include <atomic>
#include <thread>

namespace Kestrune
{
class Model;
class ServiceDispatcher;
} // namespace Kestrune

namespace Kestrune::Vst
{

// The generic plug-in: turns host calls into model and service-dispatcher calls, slices each
// block at its MIDI events and reports changes that did not come from the host as automation.
//
// Threads: processEvents and processReplacing [audio, one thread]; the editor calls [ui];
// everything else [any] host thread. The model's lock serialises all of them.
class VstPlugin : public AudioEffectX, public IModelObserver
{
public:
    // Takes ownership of dispatcher and model.
    VstPlugin(audioMasterCallback hostCallback, ServiceDispatcher* dispatcher, Model* model,
              VstInt32 category, VstInt32 uniqueId);
    ~VstPlugin() override;

    void setSampleRate(float rate) override;
    void resume() override;
    void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;
    VstInt32 processEvents(VstEvents* events) override;

    void setParameter(VstInt32 index, float value) override;
    float getParameter(VstInt32 index) override;
    void setParameterAutomated(VstInt32 index, float value) override;
    void getParameterLabel(VstInt32 index, char* label) override;
    void getParameterDisplay(VstInt32 index, char* text) override;
    void getParameterName(VstInt32 index, char* text) override;

    void setProgram(VstInt32 program) override;
    void setProgramName(char* name) override;
    void getProgramName(char* name) override;
    bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) override;
    VstInt32 getChunk(void** data, bool isPreset) override;
    VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset) override;

    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    VstInt32 getVendorVersion() override;
    VstInt32 canDo(char* text) override;
    VstInt32 getPlugCategory() override;
    VstInt32 getNumMidiInputChannels() override;

    void OnParameterChanged(int index) override;
    void OnAllParametersChanged() override;

    Model* GetModel() { return model; }

private:
    bool IsParameter(VstInt32 index);
    void SelectProgram(VstInt32 program);
    void ReadTimeInfo();

    ServiceDispatcher* dispatcher;
    Model* model;
    VstInt32 category;
    ChunkWriter chunk;
    BlockProcessor processor;
    int inputCount;
    int outputCount;
    // Hosts that play automation back call setParameter from here: it must not wait there.
    std::atomic<std::thread::id> audioThread{};
};

} // namespace Kestrune::Vst
