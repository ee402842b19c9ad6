#pragma once

#include "parameters/DisplayText.h"
#include "parameters/ParameterBase.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <type_traits>
#include <vector>

namespace Kestrune::Parameters
{

// A parameter that calls a member function of each owner with its typed setting whenever the
// setting changes. Transform, Display and Label are stateless policies (Convert, Format,
// Text). The setter is a pointer to member, so a virtual setter keeps its virtual dispatch.
//
// Threads: as ParameterBase. Applying a value allocates nothing; only Attach allocates.
template <typename Owner, int ProgramCount, typename Transform, typename Display, typename Label>
class Parameter : public ParameterBase<Owner, ProgramCount>
{
    using Base = ParameterBase<Owner, ProgramCount>;

public:
    using Value = typename Transform::Value;
    using Setter = void (Owner::*)(Value);

    // Applies the default once: the setting is stored and the text formatted unconditionally;
    // no owner exists yet.
    Parameter(const char* shortName, const char* name, float defaultValue, Setter setter)
        : Base(shortName, name, defaultValue), ownerSetter(setter)
    {
        setting = transform.Convert(this->GetValue());
        FormatText();
    }

    // [any] Valid on the calling thread for the next DisplayText::kReadSlots - 1 reads.
    const char* GetDisplay() override { return text.Load(); }
    const char* GetLabel() override { return label.Text(); }

    // Appends the owner (duplicates allowed) and calls its setter with the current setting.
    void Attach(Owner* owner) override
    {
        if (owner == nullptr)
            return;
        owners.push_back(owner);
        Call(owner);
    }

    // Removes every occurrence; the owner is not called.
    void Detach(Owner* owner) override
    {
        owners.erase(std::remove(owners.begin(), owners.end(), owner), owners.end());
    }

    // The last applied setting. Serialised with changes by the caller.
    Value GetSetting() const { return setting; }

protected:
    void Apply() override
    {
        const Value converted = transform.Convert(this->GetValue());
        if (!IsUsable(converted) || converted == setting)
            return;
        setting = converted;
        for (std::size_t i = 0; i < owners.size(); ++i)
            Call(owners[i]);
        FormatText();
    }

private:
    // A value far outside 0..1 may convert to an infinite setting; it never reaches an owner
    // and the previous setting stays.
    static bool IsUsable(Value value)
    {
        if constexpr (std::is_floating_point_v<Value>)
            return std::isfinite(value);
        else
            return true;
    }

    void Call(Owner* owner)
    {
        if (ownerSetter != nullptr)
            (owner->*ownerSetter)(setting);
    }

    void FormatText()
    {
        char buffer[DisplayText::kSize] = {};
        display.Format(setting, buffer, sizeof buffer);
        text.Store(buffer);
    }

    Value setting{};
    [[no_unique_address]] Transform transform;
    [[no_unique_address]] Display display;
    [[no_unique_address]] Label label;
    std::vector<Owner*> owners;
    Setter ownerSetter;
    DisplayText text;
};

} // namespace Kestrune::Parameters
