#pragma once

namespace Kestrune::Parameters
{

// One parameter: a normalised value (nominally 0 to 1) per program, applied to its owners as a
// typed setting. State changes are serialised by the caller (the model's lock).
class IParameter
{
public:
    virtual ~IParameter() = default;
    virtual void Reset() = 0;
    virtual int GetProgramCount() = 0;
    virtual int GetProgram() = 0;
    virtual void SetProgram(int program) = 0;
    virtual const char* GetShortName() = 0;
    virtual const char* GetName() = 0;
    virtual const char* GetDisplay() = 0;
    virtual const char* GetLabel() = 0;
    virtual float GetProgramValue(int program) = 0;
    virtual float GetValue() = 0;
    virtual void SetProgramValue(int program, float value) = 0;
    virtual void SetValue(float value) = 0;
    // From now on a changed setting reaches the owners only through DeliverPending.
    virtual void DeferDelivery() = 0;
    virtual void DeliverPending() = 0;
};

} // namespace Kestrune::Parameters
