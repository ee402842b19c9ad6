#pragma once

#include "dsp/Phaser.h"
#include "phaser/ParameterPolicies.h"

namespace Kestrune::Effects
{

// "Enabled", "Feedback Level", the depth (one, or two with twoDepths), "Left Frequency",
// "Right Frequency", "Stage Mode", "Wet/Dry Mix". The continuous ones glide through smoothers
// registered with the provider; with twoDepths both depths take the depth row's policies.
template <int ProgramCount>
class Phaser::ParameterGroup
    : public Product::TableGroup<Phaser, ProgramCount, Product::Group::kPhaser>
{
public:
    ParameterGroup(const char* shortName, const char* name, IServiceProvider* provider,
                   bool twoDepths)
        : Product::TableGroup<Phaser, ProgramCount, Product::Group::kPhaser>(shortName, name)
    {
        using namespace Product;
        this->template Add<kEnabled>(&Phaser::SetEnabled);
        this->template Add<kFeedback>(&Phaser::SetFeedback);
        if (twoDepths)
        {
            this->template Add<kDepth>(&Phaser::SetModulationDepth1, provider, "ModD1",
                                       "Modulation Depth 1");
            this->template Add<kDepth>(&Phaser::SetModulationDepth2, provider, "ModD2",
                                       "Modulation Depth 2");
        }
        else
        {
            this->template Add<kDepth>(&Phaser::SetModulationDepth1, provider);
        }
        this->template Add<kLeftFrequency>(&Phaser::SetLeftFrequency, provider);
        this->template Add<kRightFrequency>(&Phaser::SetRightFrequency, provider);
        this->template Add<kStageMode>(&Phaser::SetStageMode);
        this->template Add<kMix>(&Phaser::SetMix, provider);
    }
};

} // namespace Kestrune::Effects
