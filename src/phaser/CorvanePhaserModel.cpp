#include "phaser/CorvanePhaserModel.h"

#include "phaser/ParameterTable.h"

#include <cassert>

namespace
{
using Kestrune::Product::Group;
using Kestrune::Product::kGroups;

constexpr const Kestrune::Product::GroupInfo& Info(Group group)
{
    return kGroups[static_cast<int>(group)];
}
} // namespace

CorvanePhaserModel::CorvanePhaserModel(const char* pluginName, const char* vendorName,
                                       const char* productName, int vendorVersion,
                                       Kestrune::IServiceProvider* provider)
    : Kestrune::Model(pluginName, vendorName, productName, vendorVersion, 32,
                      provider->GetMessageProvider()),
      lfoGroup(Info(Group::kLfo).shortName, Info(Group::kLfo).name),
      phaserGroup(Info(Group::kPhaser).shortName, Info(Group::kPhaser).name, provider, false),
      sourcesGroup(Info(Group::kSources).shortName, Info(Group::kSources).name),
      engine(lfoGroup, phaserGroup, sourcesGroup, provider)
{
    AddGroup(&lfoGroup);
    AddGroup(&phaserGroup);
    AddGroup(&sourcesGroup);
    assert(GetParameterCount() == Kestrune::Product::kParameterCount);
}

void CorvanePhaserModel::Process(float** inputs, float** outputs, int sampleFrames)
{
    engine.Process(inputs[0], inputs[1], outputs[0], outputs[1], sampleFrames);
}
