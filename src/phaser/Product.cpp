#include "phaser/Product.h"

#include "phaser/CorvanePhaserModel.h"

namespace Kestrune::Product
{

std::unique_ptr<CorvanePhaserModel> CreateModel(IServiceProvider* provider)
{
    return std::make_unique<CorvanePhaserModel>(kEffectName, kVendor, kProductName, kVendorVersion,
                                                provider);
}

} // namespace Kestrune::Product
