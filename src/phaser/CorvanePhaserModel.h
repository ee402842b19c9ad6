#pragma once

#include "phaser/CorvanePhaserParameters.h"
#include "phaser/PhaserEngine.h"

// The plug-in's model: its parameters and the processing chain they drive.
class CorvanePhaserModel : public CorvanePhaserParameters
{
public:
    CorvanePhaserModel(const char* pluginName, const char* vendorName, const char* productName,
                       int vendorVersion, Kestrune::IServiceProvider* provider);
    ~CorvanePhaserModel() override = default;

    // [audio] Under the lock; two channel pointers each, left first.
    void Process(float** inputs, float** outputs, int sampleFrames) override;

    PhaserEngine& GetEngine() { return engine; }

private:
    // Destroyed before the groups of the base (the parameters): owners go first.
    PhaserEngine engine;
};
