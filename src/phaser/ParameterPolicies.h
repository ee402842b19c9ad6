#pragma once

#include "dsp/Phaser.h"
#include "modulators/LfoBase.h"
#include "modulators/PhaserSources.h"
#include "modulators/SynchableLfo.h"
#include "parameters/Displays.h"
#include "parameters/Parameter.h"
#include "parameters/ParameterGroupBase.h"
#include "parameters/SmoothParameter.h"
#include "parameters/Transforms.h"
#include "phaser/ParameterTable.h"

#include <cstddef>
#include <type_traits>
#include <vector>

// The policy types a table row names: the parameter framework takes transforms, displays and
// labels as types, the table holds them as values.
namespace Kestrune::Product
{

template <Transform T, int Choices> struct TransformType;
template <int N> struct TransformType<Transform::kLfoFrequency, N>
{
    using Type = Modulators::LfoBase::FrequencyTransform;
};
template <int N> struct TransformType<Transform::kPhaserFrequency, N>
{
    using Type = Effects::Phaser::FrequencyTransform;
};
template <int N> struct TransformType<Transform::kFeedback, N>
{
    using Type = Effects::Phaser::FeedbackTransform;
};
template <int N> struct TransformType<Transform::kSquare, N>
{
    using Type = Parameters::ExponentialTransform;
};
template <int N> struct TransformType<Transform::kLinear, N>
{
    using Type = Parameters::LinearTransform;
};
template <int N> struct TransformType<Transform::kToggle, N>
{
    using Type = Parameters::BooleanTransform;
};
template <int N> struct TransformType<Transform::kSelection, N>
{
    using Type = Parameters::SelectionTransform<N>;
};

template <Display D> struct DisplayType;
template <> struct DisplayType<Display::kHertz>
{
    using Type = Parameters::FloatDisplay;
};
template <> struct DisplayType<Display::kPercent>
{
    using Type = Parameters::ScaledFloatDisplay;
};
template <> struct DisplayType<Display::kDecibels>
{
    using Type = Parameters::DecibelDisplay;
};
template <> struct DisplayType<Display::kWetDry>
{
    using Type = Parameters::WetDryDisplay;
};
template <> struct DisplayType<Display::kOnOff>
{
    using Type = Parameters::EnabledDisplay;
};
template <> struct DisplayType<Display::kMidiSource>
{
    using Type = Modulators::LfoBase::MidiSourceDisplay;
};
template <> struct DisplayType<Display::kSyncResolution>
{
    using Type = Modulators::SynchableLfo::SyncResolutionDisplay;
};
template <> struct DisplayType<Display::kStageCount>
{
    using Type = Effects::Phaser::StageModeDisplay;
};
template <> struct DisplayType<Display::kSweepSource>
{
    using Type = Effects::PhaserSources::SourceDisplay;
};

// The owners' tables and the parameters' choices must agree.
static_assert(kParameters[kLfoMidiSource].choices == Modulators::LfoBase::kPedalSource + 1);
static_assert(kParameters[kLfoSyncResolution].choices ==
              Modulators::SynchableLfo::kSyncResolutionCount);
static_assert(kParameters[kStageMode].choices == Effects::Phaser::kStageModeCount);
static_assert(kParameters[kSweepSource].choices == Effects::PhaserSources::kSourceCount);

// One row's policies.
template <ParameterIndex I> struct Policies
{
    static constexpr const ParameterInfo& kInfo = kParameters[I];
    using TransformPolicy = typename TransformType<kInfo.transform, kInfo.choices>::Type;
    using DisplayPolicy = typename DisplayType<kInfo.display>::Type;
    struct Label
    {
        static const char* Text() { return kInfo.label; }
    };

    // The text the parameter shows at a normalised value.
    static void Format(float normalised, char* text, std::size_t size)
    {
        DisplayPolicy::Format(TransformPolicy::Convert(normalised), text, size);
    }
};

// A concrete group's base: creates the parameters of its rows. A setter taking a buffer makes
// a gliding parameter whose smoother registers with the provider.
template <typename Owner, int ProgramCount, Group G>
class TableGroup : public Parameters::ParameterGroupBase<Owner, ProgramCount>
{
public:
    // The smoothers of the gliding parameters, in creation order.
    const std::vector<Parameters::Smoother*>& GetSmoothers() const { return smoothers; }
    // The smoother of the first gliding parameter made from the row, or null.
    const Parameters::Smoother* GetSmoother(ParameterIndex row) const
    {
        for (std::size_t s = 0; s < smoothers.size(); ++s)
            if (smootherRows[s] == row)
                return smoothers[s];
        return nullptr;
    }

protected:
    using Parameters::ParameterGroupBase<Owner, ProgramCount>::ParameterGroupBase;

    // Parameter or SmoothParameter with the row's policies; the row must be of this group.
    template <template <typename, int, typename, typename, typename> class Kind, ParameterIndex I>
    using Row =
        std::enable_if_t<kParameters[I].group == G,
                         Kind<Owner, ProgramCount, typename Policies<I>::TransformPolicy,
                              typename Policies<I>::DisplayPolicy, typename Policies<I>::Label>>;

    template <ParameterIndex I>
    void Add(void (Owner::*setter)(typename Policies<I>::TransformPolicy::Value),
             const char* shortName = kParameters[I].shortName,
             const char* name = kParameters[I].name)
    {
        this->template AddParameter<Row<Parameters::Parameter, I>>(
            shortName, name, kParameters[I].defaultValue, setter);
    }

    template <ParameterIndex I>
    void Add(void (Owner::*setter)(const float*), IServiceProvider* provider,
             const char* shortName = kParameters[I].shortName,
             const char* name = kParameters[I].name)
    {
        auto& parameter = this->template AddParameter<Row<Parameters::SmoothParameter, I>>(
            shortName, name, kParameters[I].defaultValue, setter, provider);
        smoothers.push_back(&parameter.GetSmoother());
        smootherRows.push_back(I);
    }

private:
    std::vector<Parameters::Smoother*> smoothers;
    std::vector<ParameterIndex> smootherRows;
};

} // namespace Kestrune::Product
