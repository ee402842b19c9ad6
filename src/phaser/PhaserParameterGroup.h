#pragma once

#include "dsp/Phaser.h"
#include "parameters/Displays.h"
#include "parameters/Labels.h"
#include "parameters/Parameter.h"
#include "parameters/ParameterGroupBase.h"
#include "parameters/SmoothParameter.h"
#include "parameters/Transforms.h"

#include <utility>
#include <vector>

namespace Kestrune::Effects
{

// "Enabled", "Feedback Level", the depth (one, or two with twoDepths), "Left Frequency",
// "Right Frequency", "Stage Mode", "Wet/Dry Mix". The continuous ones glide through smoothers
// registered with the provider.
template <int ProgramCount>
class Phaser::ParameterGroup : public Parameters::ParameterGroupBase<Phaser, ProgramCount>
{
    template <typename T, typename D, typename L>
    using Plain = Parameters::Parameter<Phaser, ProgramCount, T, D, L>;
    template <typename T, typename D, typename L>
    using Smooth = Parameters::SmoothParameter<Phaser, ProgramCount, T, D, L>;

public:
    ParameterGroup(const char* shortName, const char* name, IServiceProvider* provider,
                   bool twoDepths)
        : Parameters::ParameterGroupBase<Phaser, ProgramCount>(shortName, name)
    {
        using namespace Parameters;
        using Depth = Smooth<ExponentialTransform, ScaledFloatDisplay, DepthLabel>;
        using Frequency = Smooth<Phaser::FrequencyTransform, FloatDisplay, FrequencyLabel>;
        this->template AddParameter<Plain<BooleanTransform, EnabledDisplay, EnabledLabel>>(
            "On", "Enabled", 1.0f, &Phaser::SetEnabled);
        this->template AddParameter<Plain<Phaser::FeedbackTransform, DecibelDisplay, LevelLabel>>(
            "FB", "Feedback Level", 0.0f, &Phaser::SetFeedback);
        if (twoDepths)
        {
            AddSmooth<Depth>("ModD1", "Modulation Depth 1", 0.25f, &Phaser::SetModulationDepth1,
                             provider);
            AddSmooth<Depth>("ModD2", "Modulation Depth 2", 0.25f, &Phaser::SetModulationDepth2,
                             provider);
        }
        else
        {
            AddSmooth<Depth>("ModD", "Modulation Depth", 0.25f, &Phaser::SetModulationDepth1,
                             provider);
        }
        AddSmooth<Frequency>("LFreq", "Left Frequency", 0.5f, &Phaser::SetLeftFrequency, provider);
        AddSmooth<Frequency>("RFreq", "Right Frequency", 0.5f, &Phaser::SetRightFrequency,
                             provider);
        this->template AddParameter<
            Plain<SelectionTransform<7>, Phaser::StageModeDisplay, ModeLabel>>(
            "SM", "Stage Mode", 0.0f, &Phaser::SetStageMode);
        AddSmooth<Smooth<LinearTransform, WetDryDisplay, WetDryLabel>>("Mix", "Wet/Dry Mix", 0.5f,
                                                                       &Phaser::SetMix, provider);
    }

    // The smoothers of the continuous parameters, in creation order.
    const std::vector<Parameters::Smoother*>& GetSmoothers() const { return smoothers; }

private:
    template <typename P, typename... Args> void AddSmooth(Args&&... args)
    {
        P& parameter = this->template AddParameter<P>(std::forward<Args>(args)...);
        smoothers.push_back(&parameter.GetSmoother());
    }

    std::vector<Parameters::Smoother*> smoothers;
};

} // namespace Kestrune::Effects
