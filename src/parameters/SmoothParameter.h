#pragma once

#include "dsp/Smoother.h"
#include "services/ServiceInterfaces.h"
#include "parameters/DisplayText.h"
#include "parameters/ParameterBase.h"

#include <algorithm>
#include <cmath>
#include <type_traits>
#include <vector>

namespace Kestrune::Parameters
{

// A continuous parameter that glides: a change moves its smoother's target, and owners read
// the smoother's per-sample buffer, handed to them once when they attach.
//
// Threads: as ParameterBase. After Attach only the smoother's target changes (SetTarget, any
// thread under the model's lock); the audio thread reads the buffer the smoother fills.
template <typename Owner, int ProgramCount, typename Transform, typename Display, typename Label>
class SmoothParameter : public ParameterBase<Owner, ProgramCount>
{
    using Base = ParameterBase<Owner, ProgramCount>;
    static_assert(std::is_same_v<typename Transform::Value, float>,
                  "a smoothed setting is a float");

public:
    using Value = float;
    // Receives the smoother's 16384-sample output buffer, or null on detach.
    using Setter = void (Owner::*)(const float*);

    // The smoother registers with the provider. The default is applied once: the setting is
    // stored, the smoother aimed at it and the text formatted unconditionally.
    SmoothParameter(const char* shortName, const char* name, float defaultValue, Setter setter,
                    IServiceProvider* provider)
        : Base(shortName, name, defaultValue), ownerSetter(setter), smoother(provider)
    {
        setting = transform.Convert(this->GetValue());
        smoother.SetTarget(setting);
        FormatText();
    }

    // [any] Valid on the calling thread for the next DisplayText::kReadSlots - 1 reads.
    const char* GetDisplay() override { return text.Load(); }
    const char* GetLabel() override { return label.Text(); }

    // Appends the owner and hands it the smoother's buffer; the only time it receives it.
    void Attach(Owner* owner) override
    {
        if (owner == nullptr)
            return;
        owners.push_back(owner);
        Call(owner, smoother.GetBuffer());
    }

    // An attached owner first receives null (it then reads silence), then every occurrence is
    // removed. An owner that is not attached is not called.
    void Detach(Owner* owner) override
    {
        const auto found = std::find(owners.begin(), owners.end(), owner);
        if (found == owners.end())
            return;
        Call(owner, nullptr);
        owners.erase(std::remove(owners.begin(), owners.end(), owner), owners.end());
    }

    float GetSetting() const { return setting; }
    Smoother& GetSmoother() { return smoother; }

protected:
    void Apply() override
    {
        const float converted = transform.Convert(this->GetValue());
        if (!IsUsable(converted) || converted == setting)
            return;
        setting = converted;
        smoother.SetTarget(setting);
        FormatText();
    }

private:
    // A value far outside 0..1 may convert to an infinite setting; it never reaches an owner
    // and the previous setting stays.
    static bool IsUsable(float value) { return std::isfinite(value); }

    void Call(Owner* owner, const float* buffer)
    {
        if (ownerSetter != nullptr)
            (owner->*ownerSetter)(buffer);
    }

    void FormatText()
    {
        char buffer[DisplayText::kSize] = {};
        display.Format(setting, buffer, sizeof buffer);
        text.Store(buffer);
    }

    float setting = 0.0f;
    [[no_unique_address]] Transform transform;
    [[no_unique_address]] Display display;
    [[no_unique_address]] Label label;
    std::vector<Owner*> owners;
    Setter ownerSetter;
    DisplayText text;
    Smoother smoother;
};

} // namespace Kestrune::Parameters
