#pragma once

#include "dsp/Smoother.h"
#include "parameters/AppliedSetting.h"
#include "parameters/ParameterBase.h"
#include "services/ServiceInterfaces.h"

#include <type_traits>

namespace Kestrune::Parameters
{

// A continuous parameter that glides: a change moves its smoother's target, and owners read
// the smoother's per-sample buffer, handed to them once when they attach.
//
// Threads: as ParameterBase. After Attach only the smoother's target changes (SetTarget, where
// the setting is delivered); the audio thread reads the buffer the smoother fills.
template <typename Owner, int ProgramCount, typename Transform, typename Display, typename Label>
class SmoothParameter : public ParameterBase<Owner, ProgramCount>
{
    using Base = ParameterBase<Owner, ProgramCount>;
    // The owners receive the smoother's 16384-sample output buffer, or null on detach.
    using State = AppliedSetting<Owner, Transform, Display, Label, const float*>;
    static_assert(std::is_same_v<typename Transform::Value, float>,
                  "a smoothed setting is a float");

public:
    using Value = float;
    using Setter = typename State::Setter;

    // The smoother registers with the provider. The default is applied once: the smoother is
    // aimed at its setting.
    SmoothParameter(const char* shortName, const char* name, float defaultValue, Setter setter,
                    IServiceProvider* provider)
        : Base(shortName, name, defaultValue), state(setter), smoother(provider)
    {
        state.Initialise(this->GetValue());
        smoother.SetTarget(state.Get());
    }

    const char* GetDisplay() override { return state.Text(); }
    const char* GetLabel() override { return state.LabelText(); }

    // Appends the owner and hands it the smoother's buffer; the only time it receives it.
    void Attach(Owner* owner) override { state.Attach(owner, smoother.GetBuffer()); }

    // An attached owner first receives null (it then reads silence), then every occurrence is
    // removed. An owner that is not attached is not called.
    void Detach(Owner* owner) override
    {
        if (!state.Contains(owner))
            return;
        state.Call(owner, nullptr);
        state.Remove(owner);
    }

    float GetSetting() const { return state.Get(); }
    Smoother& GetSmoother() { return smoother; }

    void DeferDelivery() override { state.Defer(); }
    void DeliverPending() override
    {
        state.DeliverPending([this](float setting) { smoother.SetTarget(setting); });
    }

protected:
    void Apply() override
    {
        state.Apply(
            this->GetValue(), [this](float setting) { smoother.SetTarget(setting); });
    }

private:
    State state;
    Smoother smoother;
};

} // namespace Kestrune::Parameters
