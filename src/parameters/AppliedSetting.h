#pragma once

#include "parameters/DisplayText.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <type_traits>
#include <vector>

namespace Kestrune::Parameters
{

// What Parameter and SmoothParameter hold behind ParameterBase: the last applied setting, the
// stateless policies, the owners with the setter they are called through, and the display
// text. Argument is what the setter receives: the setting itself or the smoother's buffer.
//
// Threads: as ParameterBase. Changes are serialised by the caller; Text may be read from [any]
// thread. Only Attach allocates. Once Defer is called, a changed setting waits for
// DeliverPending (the audio thread's, under the same serialisation) instead of reaching the
// owners from the thread that changed it: the owners belong to the audio thread.
template <typename Owner, typename Transform, typename Display, typename Label, typename Argument>
class AppliedSetting
{
public:
    using Value = typename Transform::Value;
    using Setter = void (Owner::*)(Argument);

    explicit AppliedSetting(Setter setter) : ownerSetter(setter) {}

    // The first application: stored and formatted whatever the value.
    void Initialise(float normalised)
    {
        setting = transform.Convert(normalised);
        FormatText();
    }

    // Converts the value; only when the setting changes is it stored, passed to deliver (or
    // kept for DeliverPending) and formatted, in that order.
    template <typename Deliver> void Apply(float normalised, Deliver deliver)
    {
        const Value converted = transform.Convert(normalised);
        if (!IsUsable(converted) || converted == setting)
            return;
        setting = converted;
        if (deferred)
            pending = true;
        else
            deliver(setting);
        FormatText();
    }

    void Defer() { deferred = true; }

    // The setting a deferred Apply kept, once.
    template <typename Deliver> void DeliverPending(Deliver deliver)
    {
        if (!pending)
            return;
        pending = false;
        deliver(setting);
    }

    Value Get() const { return setting; }
    // [any] Valid on the calling thread for the next DisplayText::kReadSlots - 1 reads.
    const char* Text() const { return text.Load(); }
    const char* LabelText() const { return label.Text(); }

    // Appends the owner (duplicates allowed) and calls it with the argument; null is ignored.
    void Attach(Owner* owner, Argument argument)
    {
        if (owner == nullptr)
            return;
        owners.push_back(owner);
        Call(owner, argument);
    }

    // Removes every occurrence; the owner is not called.
    void Remove(Owner* owner)
    {
        owners.erase(std::remove(owners.begin(), owners.end(), owner), owners.end());
    }

    bool Contains(Owner* owner) const
    {
        return std::find(owners.begin(), owners.end(), owner) != owners.end();
    }

    // Calls every owner in attach order.
    void CallAll(Argument argument)
    {
        for (std::size_t i = 0; i < owners.size(); ++i)
            Call(owners[i], argument);
    }

    void Call(Owner* owner, Argument argument)
    {
        if (ownerSetter != nullptr)
            (owner->*ownerSetter)(argument);
    }

private:
    void FormatText()
    {
        char buffer[DisplayText::kSize] = {};
        display.Format(setting, buffer, sizeof buffer);
        text.Store(buffer);
    }

    // A value far outside 0..1 may convert to an infinite setting; it never reaches an owner
    // and the previous setting stays.
    static bool IsUsable(Value value)
    {
        if constexpr (std::is_floating_point_v<Value>)
            return std::isfinite(value);
        else
            return true;
    }

    Value setting{};
    [[no_unique_address]] Transform transform;
    [[no_unique_address]] Display display;
    [[no_unique_address]] Label label;
    std::vector<Owner*> owners;
    Setter ownerSetter;
    DisplayText text;
    bool deferred = false;
    bool pending = false;
};

} // namespace Kestrune::Parameters
