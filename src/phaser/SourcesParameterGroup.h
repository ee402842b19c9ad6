#pragma once

#include "modulators/PhaserSources.h"
#include "phaser/ParameterPolicies.h"

namespace Kestrune::Effects
{

// "Modulation Source": none, the oscillator, the modulation wheel or channel pressure.
template <int ProgramCount>
class PhaserSources::ParameterGroup
    : public Product::TableGroup<PhaserSources, ProgramCount, Product::Group::kSources>
{
public:
    ParameterGroup(const char* shortName, const char* name)
        : Product::TableGroup<PhaserSources, ProgramCount, Product::Group::kSources>(shortName,
                                                                                     name)
    {
        this->template Add<Product::kSweepSource>(&PhaserSources::SetSource);
    }
};

} // namespace Kestrune::Effects
