#pragma once

#include "base/Text.h"
#include "parameters/IParameter.h"

#include <atomic>
#include <cassert>
#include <cmath>

namespace Kestrune::Parameters
{

// Names, the default and one normalised value per program. Values are never clamped. Callers
// pass programs within 0..ProgramCount-1 and finite values: they are checked where they enter
// the plug-in (the model's lookups, the host's calls, chunks, ports).
//
// Threads: state changes are serialised by the caller (the model's lock). Values, the current
// program, names and display texts may be read from [any] thread without that lock.
template <typename Owner, int ProgramCount> class ParameterBase : public IParameter
{
    static_assert(ProgramCount > 0);

public:
    static constexpr std::size_t kShortNameSize = 8;
    static constexpr std::size_t kNameSize = 128;

    // Names are cut to 7 and 127 characters.
    ParameterBase(const char* shortName, const char* name, float defaultValue)
        : defaultNormalised(std::isfinite(defaultValue) ? defaultValue : 0.0f)
    {
        Base::CopyText(shortNameText, kShortNameSize, shortName);
        Base::CopyText(nameText, kNameSize, name);
        for (auto& value : programValues)
            value.store(defaultNormalised, std::memory_order_relaxed);
    }
    ParameterBase(const ParameterBase&) = delete;
    ParameterBase& operator=(const ParameterBase&) = delete;

    void Reset() override { SetValue(defaultNormalised); }
    int GetProgramCount() override { return ProgramCount; }
    int GetProgram() override { return currentProgram.load(std::memory_order_relaxed); }

    // Makes the program current, then applies its value.
    void SetProgram(int newProgram) override
    {
        assert(IsProgram(newProgram));
        currentProgram.store(newProgram, std::memory_order_relaxed);
        Apply();
    }

    const char* GetShortName() override { return shortNameText; }
    const char* GetName() override { return nameText; }

    float GetProgramValue(int index) override
    {
        assert(IsProgram(index));
        return programValues[index].load(std::memory_order_relaxed);
    }
    float GetValue() override
    {
        return programValues[GetProgram()].load(std::memory_order_relaxed);
    }

    // Stores; applies only when index is the current program.
    void SetProgramValue(int index, float value) override
    {
        assert(IsProgram(index) && std::isfinite(value));
        programValues[index].store(value, std::memory_order_relaxed);
        if (index == GetProgram())
            Apply();
    }

    void SetValue(float value) override
    {
        assert(std::isfinite(value));
        programValues[GetProgram()].store(value, std::memory_order_relaxed);
        Apply();
    }

    float GetDefaultValue() const { return defaultNormalised; }

    // Adds an owner and hands it the current setting (or buffer) at once.
    virtual void Attach(Owner* owner) = 0;
    virtual void Detach(Owner* owner) = 0;

protected:
    // Converts the current value and delivers the setting when it changed.
    virtual void Apply() = 0;

    static bool IsProgram(int index) { return index >= 0 && index < ProgramCount; }

private:
    char shortNameText[kShortNameSize];
    char nameText[kNameSize];
    const float defaultNormalised;
    std::atomic<float> programValues[ProgramCount];
    std::atomic<int> currentProgram{0};
};

} // namespace Kestrune::Parameters
