#pragma once

namespace Kestrune::Parameters
{

// Parameters of one owner class, addressed by their index within the group. Where an operation
// takes a program and an index, the program comes first.
class IParameterGroup
{
public:
    virtual ~IParameterGroup() = default;
    virtual void ResetParameter(int index) = 0;
    virtual int GetProgramCount() = 0;
    virtual int GetProgram() = 0;
    virtual void SetProgram(int program) = 0;
    virtual int GetParameterCount() = 0;
    virtual const char* GetShortName() = 0;
    virtual const char* GetName() = 0;
    virtual const char* GetParameterShortName(int index) = 0;
    virtual const char* GetParameterName(int index) = 0;
    virtual const char* GetParameterLabel(int index) = 0;
    virtual const char* GetParameterDisplay(int index) = 0;
    virtual float GetParameterProgramValue(int program, int index) = 0;
    virtual float GetParameterValue(int index) = 0;
    virtual void SetParameterProgramValue(int program, int index, float value) = 0;
    virtual void SetParameterValue(int index, float value) = 0;
    // Every parameter's, in index order (see IParameter).
    virtual void DeferDelivery() = 0;
    virtual void DeliverPending() = 0;
};

} // namespace Kestrune::Parameters
