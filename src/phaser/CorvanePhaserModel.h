#pragma once

#include "model/Model.h"
#include "phaser/PhaserEngine.h"

// The plug-in's model: three parameter groups (LFO, Phaser, Phaser source) giving the
// parameter table's rows in flat-index order, and the processing chain they drive.
class CorvanePhaserModel : public Kestrune::Model
{
public:
    CorvanePhaserModel(const char* pluginName, const char* vendorName, const char* productName,
                       int vendorVersion, Kestrune::IServiceProvider* provider);
    ~CorvanePhaserModel() override = default;

    int GetInputCount() override { return 2; }
    int GetOutputCount() override { return 2; }
    // [audio] Under the lock; two channel pointers each, left first.
    void Process(float** inputs, float** outputs, int sampleFrames) override;

    PhaserEngine& GetEngine() { return engine; }

private:
    // Destroyed in reverse order: the engine (owners) before the groups (parameters).
    PhaserEngine::LfoGroup lfoGroup;
    PhaserEngine::PhaserGroup phaserGroup;
    PhaserEngine::SourcesGroup sourcesGroup;
    PhaserEngine engine;
};
