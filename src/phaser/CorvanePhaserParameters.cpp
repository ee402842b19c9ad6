#include "phaser/CorvanePhaserParameters.h"

#include "phaser/ParameterTable.h"
#include "phaser/Product.h"

#include <cassert>

namespace
{
using Kestrune::Product::Group;

constexpr const Kestrune::Product::GroupInfo& Info(Group group)
{
    return Kestrune::Product::kGroups[static_cast<int>(group)];
}
} // namespace

CorvanePhaserParameters::CorvanePhaserParameters(const char* pluginName, const char* vendorName,
                                                 const char* productName, int vendorVersion,
                                                 Kestrune::IServiceProvider* provider)
    : Kestrune::Model(pluginName, vendorName, productName, vendorVersion, 32,
                      provider->GetMessageProvider()),
      lfoGroup(Info(Group::kLfo).shortName, Info(Group::kLfo).name),
      phaserGroup(Info(Group::kPhaser).shortName, Info(Group::kPhaser).name, provider, false),
      sourcesGroup(Info(Group::kSources).shortName, Info(Group::kSources).name)
{
    AddGroup(&lfoGroup);
    AddGroup(&phaserGroup);
    AddGroup(&sourcesGroup);
    assert(GetParameterCount() == Kestrune::Product::kParameterCount);
}
