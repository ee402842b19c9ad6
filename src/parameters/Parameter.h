#pragma once

#include "parameters/AppliedSetting.h"
#include "parameters/ParameterBase.h"

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
    using State = AppliedSetting<Owner, Transform, Display, Label, typename Transform::Value>;

public:
    using Value = typename State::Value;
    using Setter = typename State::Setter;

    // Applies the default once, with no owner yet.
    Parameter(const char* shortName, const char* name, float defaultValue, Setter setter)
        : Base(shortName, name, defaultValue), state(setter)
    {
        state.Initialise(this->GetValue());
    }

    const char* GetDisplay() override { return state.Text(); }
    const char* GetLabel() override { return state.LabelText(); }

    // Appends the owner (duplicates allowed) and calls its setter with the current setting.
    void Attach(Owner* owner) override { state.Attach(owner, state.Get()); }
    // Removes every occurrence; the owner is not called.
    void Detach(Owner* owner) override { state.Remove(owner); }

    // The last applied setting. Serialised with changes by the caller.
    Value GetSetting() const { return state.Get(); }

    void DeferDelivery() override { state.Defer(); }
    void DeliverPending() override
    {
        state.DeliverPending([this](Value setting) { state.CallAll(setting); });
    }

protected:
    void Apply() override
    {
        state.Apply(
            this->GetValue(), [this](Value setting) { state.CallAll(setting); });
    }

private:
    State state;
};

} // namespace Kestrune::Parameters
