#include "phaser/CorvanePhaserModel.h"

CorvanePhaserModel::CorvanePhaserModel(const char* pluginName, const char* vendorName,
                                       const char* productName, int vendorVersion,
                                       Kestrune::IServiceProvider* provider)
    : Kestrune::Model(pluginName, vendorName, productName, vendorVersion, 32,
                      provider->GetMessageProvider()),
      lfoGroup("L", "LFO"), phaserGroup("P", "Phaser", provider, false),
      sourcesGroup("P", "Phaser"), engine(lfoGroup, phaserGroup, sourcesGroup, provider)
{
    AddGroup(&lfoGroup);
    AddGroup(&phaserGroup);
    AddGroup(&sourcesGroup);
}

void CorvanePhaserModel::Process(float** inputs, float** outputs, int sampleFrames)
{
    engine.Process(inputs[0], inputs[1], outputs[0], outputs[1], sampleFrames);
}
