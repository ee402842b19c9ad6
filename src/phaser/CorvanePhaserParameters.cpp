#include "phaser/CorvanePhaserParameters.h"

#include "phaser/Product.h"

CorvanePhaserParameters::CorvanePhaserParameters(const char* pluginName, const char* vendorName,
                                                 const char* productName, int vendorVersion,
                                                 Kestrune::IServiceProvider* provider)
    : Kestrune::Model(pluginName, vendorName, productName, vendorVersion, 32,
                      provider->GetMessageProvider()),
      lfoGroup("L", "LFO"), phaserGroup("P", "Phaser", provider, false), sourcesGroup("P", "Phaser")
{
    AddGroup(&lfoGroup);
    AddGroup(&phaserGroup);
    AddGroup(&sourcesGroup);
}

namespace
{

class Mirror final : public CorvanePhaserParameters
{
public:
    using CorvanePhaserParameters::CorvanePhaserParameters;

    void Process(float**, float**, int) override {}
};

} // namespace

std::unique_ptr<CorvanePhaserParameters>
Kestrune::Product::CreateParameters(IServiceProvider* provider)
{
    return std::make_unique<Mirror>(kEffectName, kVendor, kProductName, kVendorVersion, provider);
}
