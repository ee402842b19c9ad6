#pragma once

#include "parameters/IParameterGroup.h"
#include "parameters/ParameterBase.h"

#include <atomic>
#include <cassert>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

namespace Kestrune::Parameters
{

// The parameters of one owner class, owned by the group and addressed by their position in
// creation order. A concrete group adds only a constructor that creates its parameters through
// AddParameter. Callers pass indices inside the group and programs within 0..ProgramCount-1
// (the model's flat-index lookup and program check see to it).
//
// Threads: as ParameterBase; names, values and display texts may be read from [any] thread.
template <typename Owner, int ProgramCount> class ParameterGroupBase : public IParameterGroup
{
public:
    using ParameterType = ParameterBase<Owner, ProgramCount>;

    // The names are not copied: they must outlive the group (string literals in practice).
    ParameterGroupBase(const char* shortName, const char* name)
        : groupShortName(shortName != nullptr ? shortName : ""),
          groupName(name != nullptr ? name : "")
    {
    }

    // Deletes the parameters in creation order; owners are not called.
    ~ParameterGroupBase() override
    {
        for (ParameterType* parameter : parameters)
            delete parameter;
        parameters.clear();
    }

    ParameterGroupBase(const ParameterGroupBase&) = delete;
    ParameterGroupBase& operator=(const ParameterGroupBase&) = delete;

    void ResetParameter(int index) override { GetParameter(index)->Reset(); }

    int GetProgramCount() override { return ProgramCount; }
    int GetProgram() override { return groupProgram.load(std::memory_order_relaxed); }

    // Stores the program, then moves every parameter to it in creation order.
    void SetProgram(int newProgram) override
    {
        assert(newProgram >= 0 && newProgram < ProgramCount);
        groupProgram.store(newProgram, std::memory_order_relaxed);
        for (ParameterType* parameter : parameters)
            parameter->SetProgram(newProgram);
    }

    int GetParameterCount() override { return static_cast<int>(parameters.size()); }
    const char* GetShortName() override { return groupShortName; }
    const char* GetName() override { return groupName; }

    const char* GetParameterShortName(int index) override
    {
        return GetParameter(index)->GetShortName();
    }
    const char* GetParameterName(int index) override { return GetParameter(index)->GetName(); }
    const char* GetParameterLabel(int index) override { return GetParameter(index)->GetLabel(); }
    const char* GetParameterDisplay(int index) override
    {
        return GetParameter(index)->GetDisplay();
    }
    float GetParameterProgramValue(int programIndex, int index) override
    {
        return GetParameter(index)->GetProgramValue(programIndex);
    }
    float GetParameterValue(int index) override { return GetParameter(index)->GetValue(); }

    void SetParameterProgramValue(int programIndex, int index, float value) override
    {
        GetParameter(index)->SetProgramValue(programIndex, value);
    }

    void SetParameterValue(int index, float value) override
    {
        GetParameter(index)->SetValue(value);
    }

    void DeferDelivery() override
    {
        for (ParameterType* parameter : parameters)
            parameter->DeferDelivery();
    }
    void DeliverPending() override
    {
        for (ParameterType* parameter : parameters)
            parameter->DeliverPending();
    }

    // Attaches the owner to every parameter in creation order; each hands it its setting.
    void AttachAll(Owner* owner)
    {
        for (ParameterType* parameter : parameters)
            parameter->Attach(owner);
    }

    ParameterType* GetParameter(int index)
    {
        assert(index >= 0 && index < GetParameterCount());
        return parameters[static_cast<std::size_t>(index)];
    }

protected:
    // Creates a parameter at the next index; the group owns it.
    template <typename P, typename... Args> P& AddParameter(Args&&... args)
    {
        static_assert(std::is_base_of_v<ParameterType, P>, "a parameter of this owner class");
        auto parameter = std::make_unique<P>(std::forward<Args>(args)...);
        parameters.push_back(parameter.get());
        return *parameter.release();
    }

private:
    std::vector<ParameterType*> parameters;
    std::atomic<int> groupProgram{0};
    const char* groupShortName;
    const char* groupName;
};

} // namespace Kestrune::Parameters
