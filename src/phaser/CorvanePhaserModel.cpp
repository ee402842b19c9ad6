#include "phaser/CorvanePhaserModel.h"

#include "phaser/Product.h"

CorvanePhaserModel::CorvanePhaserModel(const char* pluginName, const char* vendorName,
                                       const char* productName, int vendorVersion,
                                       Kestrune::IServiceProvider* provider)
    : CorvanePhaserParameters(pluginName, vendorName, productName, vendorVersion, provider),
      engine(lfoGroup, phaserGroup, sourcesGroup, provider)
{
}

void CorvanePhaserModel::Process(float** inputs, float** outputs, int sampleFrames)
{
    engine.Process(inputs[0], inputs[1], outputs[0], outputs[1], sampleFrames);
}

std::unique_ptr<CorvanePhaserModel> Kestrune::Product::CreateModel(IServiceProvider* provider)
{
    return std::make_unique<CorvanePhaserModel>(kEffectName, kVendor, kProductName, kVendorVersion,
                                                provider);
}
