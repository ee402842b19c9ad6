#include "model/Model.h"

#include "base/Text.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>
#include <mutex>
#include <utility>

namespace Kestrune
{

namespace
{
// The single-precision value of 1/127: controller value 0 gives 0.0, 127 gives 1.0.
constexpr float kControllerScale = 0.007874016f;

constexpr const char* kInitialProgramName = "Blank";

using Guard = std::lock_guard<RecursiveLock>;

bool FieldMatches(ChunkReader& reader, const char* field, std::size_t width)
{
    char stored[Model::kVendorSize];
    if (reader.ReadBytes(stored, width) != width)
        return false;
    return std::strncmp(stored, field, width) == 0;
}
} // namespace

Model::Model(const char* effectNameText, const char* vendorText, const char* productText,
             int vendorVersion, int programs, Midi::IMessageProvider* provider)
    : version(vendorVersion), messageProvider(provider), programCount(std::max(programs, 0))
{
    Base::CopyText(effectName, kEffectNameSize, effectNameText);
    Base::CopyText(vendor, kVendorSize, vendorText);
    Base::CopyText(product, kProductSize, productText);
    programNames.resize(static_cast<std::size_t>(programCount));
    for (auto& programName : programNames)
        Base::CopyText(programName.data(), programName.size(), kInitialProgramName);
    // Last, so that a failure above leaves nothing registered with the provider.
    if (messageProvider != nullptr)
        messageProvider->AttachControllerObserver(this);
}

Model::~Model()
{
    Guard guard(lock);
    if (messageProvider != nullptr)
        messageProvider->DetachControllerObserver(this);
    groups.clear();
    observers.Clear();
}

void Model::AddGroup(Parameters::IParameterGroup* group)
{
    if (group == nullptr)
        return;
    group->DeferDelivery();
    groups.push_back(group);
    keptChanges.resize(static_cast<std::size_t>(GetParameterCount()));
}

bool Model::Locate(int flatIndex, Location& location)
{
    if (flatIndex < 0)
        return false;
    int remaining = flatIndex;
    for (auto* group : groups)
    {
        const int count = group->GetParameterCount();
        if (remaining < count)
        {
            location = {group, remaining};
            return true;
        }
        remaining -= count;
    }
    return false;
}

const char* Model::ParameterText(int flatIndex,
                                 const char* (Parameters::IParameterGroup::*query)(int index))
{
    Location location;
    return Locate(flatIndex, location) ? (location.group->*query)(location.index) : "";
}

int Model::GetProgram() const
{
    return currentProgram.load(std::memory_order_relaxed);
}

void Model::SetProgram(int index)
{
    if (!IsProgram(index))
        return;
    Guard guard(lock);
    currentProgram.store(index, std::memory_order_relaxed);
    for (auto* group : groups)
        group->SetProgram(index);
    settingsChanged = true;
}

void Model::CopyProgramName(char* dest, std::size_t size)
{
    if (!CopyProgramName(GetProgram(), dest, size))
        Base::CopyText(dest, size, "");
}

bool Model::CopyProgramName(int index, char* dest, std::size_t size)
{
    if (!IsProgram(index))
    {
        Base::CopyText(dest, size, "");
        return false;
    }
    Guard guard(lock);
    Base::CopyText(dest, size, programNames[static_cast<std::size_t>(index)].data());
    return true;
}

void Model::SetProgramName(const char* name)
{
    if (name == nullptr)
        return;
    Guard guard(lock);
    const int index = GetProgram();
    if (IsProgram(index))
    {
        auto& buffer = programNames[static_cast<std::size_t>(index)];
        Base::CopyText(buffer.data(), buffer.size(), name);
    }
}

int Model::GetParameterCount()
{
    int count = 0;
    for (auto* group : groups)
        count += group->GetParameterCount();
    return count;
}

float Model::GetParameterValue(int index)
{
    Location location;
    return Locate(index, location) ? location.group->GetParameterValue(location.index) : 0.0f;
}

void Model::SetParameterValue(int index, float value)
{
    assert(std::isfinite(value));
    Location location;
    if (!Locate(index, location))
        return;
    Guard guard(lock);
    location.group->SetParameterValue(location.index, value);
    settingsChanged = true;
}

bool Model::ChangeLocked(int index, float value, IModelObserver* source, bool evenIfEqual,
                         IModelObserver*& outside)
{
    outside = nullptr;
    Location location;
    if (!Locate(index, location))
        return false;
    if (!evenIfEqual && location.group->GetParameterValue(location.index) == value)
        return false;
    location.group->SetParameterValue(location.index, value);
    settingsChanged = true;
    outside = TellInsideObservers(index, source);
    if (outside == source)
        outside = nullptr;
    return true;
}

bool Model::ChangeParameterValue(int index, float value, IModelObserver* source, bool evenIfEqual)
{
    assert(std::isfinite(value));
    IModelObserver* outside = nullptr;
    bool stored = false;
    {
        Guard guard(lock);
        stored = ChangeLocked(index, value, source, evenIfEqual, outside);
    }
    if (outside != nullptr)
        outside->OnParameterChanged(index);
    return stored;
}

void Model::ChangeParameterValueFromAudio(int index, float value, IModelObserver* source,
                                          bool evenIfEqual)
{
    assert(std::isfinite(value));
    if (index < 0 || static_cast<std::size_t>(index) >= keptChanges.size())
        return;
    std::unique_lock<RecursiveLock> guard(lock, std::try_to_lock);
    if (!guard.owns_lock())
    {
        KeptChange& change = keptChanges[static_cast<std::size_t>(index)];
        change.value = value;
        change.source = source;
        change.evenIfEqual = evenIfEqual;
        change.kept = true;
        anyKept = true;
        return;
    }
    IModelObserver* outside = nullptr;
    ChangeLocked(index, value, source, evenIfEqual, outside);
    guard.unlock();
    if (outside != nullptr)
        outside->OnParameterChanged(index);
}

void Model::DeliverLocked()
{
    if (anyKept)
    {
        anyKept = false;
        for (std::size_t i = 0; i < keptChanges.size(); ++i)
        {
            KeptChange& change = keptChanges[i];
            if (!change.kept)
                continue;
            change.kept = false;
            ChangeLocked(static_cast<int>(i), change.value, change.source, change.evenIfEqual,
                         change.tell);
            anyToTell = anyToTell || change.tell != nullptr;
        }
    }
    if (!settingsChanged)
        return;
    settingsChanged = false;
    for (auto* group : groups)
        group->DeliverPending();
}

void Model::TellKeptChanges()
{
    if (!anyToTell)
        return;
    anyToTell = false;
    for (std::size_t i = 0; i < keptChanges.size(); ++i)
        if (IModelObserver* observer = std::exchange(keptChanges[i].tell, nullptr))
            observer->OnParameterChanged(static_cast<int>(i));
}

IModelObserver* Model::TellInsideObservers(int index, IModelObserver* source)
{
    observers.ForEach(
        [index, source](IModelObserver* observer)
        {
            if (observer != source)
                observer->OnParameterChanged(index);
        });
    return outsideObserver;
}

const char* Model::GetParameterShortName(int index)
{
    return ParameterText(index, &Parameters::IParameterGroup::GetParameterShortName);
}

const char* Model::GetParameterName(int index)
{
    return ParameterText(index, &Parameters::IParameterGroup::GetParameterName);
}

const char* Model::GetParameterLabel(int index)
{
    return ParameterText(index, &Parameters::IParameterGroup::GetParameterLabel);
}

const char* Model::GetParameterDisplay(int index)
{
    return ParameterText(index, &Parameters::IParameterGroup::GetParameterDisplay);
}

const char* Model::GetGroupShortName(int index)
{
    Location location;
    return Locate(index, location) ? location.group->GetShortName() : "";
}

const char* Model::GetGroupName(int index)
{
    Location location;
    return Locate(index, location) ? location.group->GetName() : "";
}

void Model::AddObserver(IModelObserver* observer)
{
    Guard guard(lock);
    observers.Add(observer);
}

void Model::RemoveObserver(IModelObserver* observer)
{
    Guard guard(lock);
    observers.Remove(observer);
}

void Model::SetOutsideObserver(IModelObserver* observer)
{
    Guard guard(lock);
    outsideObserver = observer;
}

void Model::NotifyParameterChanged(int index, IModelObserver* source)
{
    if (index < 0 || index >= GetParameterCount())
        return;
    IModelObserver* outside = nullptr;
    {
        Guard guard(lock);
        outside = TellInsideObservers(index, source);
    }
    if (outside != nullptr && outside != source)
        outside->OnParameterChanged(index);
}

void Model::NotifyAllParametersChanged()
{
    Guard guard(lock);
    observers.ForEach([](IModelObserver* observer) { observer->OnAllParametersChanged(); });
}

void Model::OnControlChange(std::uint8_t, std::uint8_t controller, std::uint8_t value)
{
    if (!IsMapped(controller))
        return;
    const int index = GetMappedParameter(controller);
    if (index >= GetParameterCount())
        return;
    ChangeParameterValueFromAudio(index, static_cast<float>(value) * kControllerScale, nullptr,
                                  true);
}

void Model::WriteHeader(ChunkWriter& writer)
{
    writer.Append(effectName, kEffectNameSize);
    writer.Append(vendor, kVendorSize);
    writer.Append(product, kProductSize);
    writer.WriteInt32(version);
}

bool Model::CheckHeader(ChunkReader& reader)
{
    std::int32_t storedVersion = 0;
    return FieldMatches(reader, effectName, kEffectNameSize) &&
           FieldMatches(reader, vendor, kVendorSize) &&
           FieldMatches(reader, product, kProductSize) && reader.ReadInt32(storedVersion) &&
           storedVersion == version;
}

// Writes take a snapshot under the lock into storage allocated beforehand, so that the audio
// thread never waits on an allocation; the writer may grow outside the lock.
void Model::WriteProgram(ChunkWriter& writer)
{
    const int count = GetParameterCount();
    std::vector<float> values(static_cast<std::size_t>(count));
    ProgramName name{};
    {
        Guard guard(lock);
        const int program = GetProgram();
        if (IsProgram(program))
            name = programNames[static_cast<std::size_t>(program)];
        for (int i = 0; i < count; ++i)
            values[static_cast<std::size_t>(i)] = GetParameterValue(i);
    }
    WriteHeader(writer);
    writer.Append(name.data(), name.size());
    for (float value : values)
        writer.WriteFloat(value);
}

void Model::WriteBank(ChunkWriter& writer)
{
    const int count = GetParameterCount();
    const auto programs = static_cast<std::size_t>(programCount);
    std::vector<ProgramName> names(programs);
    std::vector<float> values(programs * static_cast<std::size_t>(count));
    {
        Guard guard(lock);
        std::copy(programNames.begin(), programNames.end(), names.begin());
        auto value = values.begin();
        for (int p = 0; p < programCount; ++p)
        {
            for (int i = 0; i < count; ++i)
            {
                Location location;
                *value++ = Locate(i, location)
                               ? location.group->GetParameterProgramValue(p, location.index)
                               : 0.0f;
            }
        }
    }
    WriteHeader(writer);
    auto value = values.begin();
    for (const auto& name : names)
    {
        writer.Append(name.data(), name.size());
        for (int i = 0; i < count; ++i)
            writer.WriteFloat(*value++);
    }
}

namespace
{
// One program's stored fields. The name always ends with a zero byte, whatever the chunk held.
template <typename Name>
bool ReadProgramFields(ChunkReader& reader, Name& name, float* values, int count)
{
    if (reader.ReadBytes(name.data(), name.size()) != name.size())
        return false;
    name.back() = '\0';
    for (int i = 0; i < count; ++i)
        if (!reader.ReadFloat(values[i]) || !std::isfinite(values[i]))
            return false;
    return true;
}
} // namespace

// Loads are all-or-nothing: the whole chunk is read and checked before anything is applied,
// then applied under one short hold of the lock. Values are taken over unclamped.
bool Model::ParseProgram(ChunkReader& reader, ProgramState& state)
{
    state.values.resize(static_cast<std::size_t>(GetParameterCount()));
    return CheckHeader(reader) && ReadProgramFields(reader, state.name, state.values.data(),
                                                    static_cast<int>(state.values.size()));
}

bool Model::ParseBank(ChunkReader& reader, BankState& state)
{
    const auto count = static_cast<std::size_t>(GetParameterCount());
    const auto programs = static_cast<std::size_t>(programCount);
    state.names.resize(programs);
    state.values.resize(programs * count);
    if (!CheckHeader(reader))
        return false;
    for (std::size_t p = 0; p < programs; ++p)
        if (!ReadProgramFields(reader, state.names[p], state.values.data() + p * count,
                               static_cast<int>(count)))
            return false;
    return true;
}

void Model::ApplyProgram(const ProgramState& state)
{
    const int program = GetProgram();
    if (!IsProgram(program))
        return;
    programNames[static_cast<std::size_t>(program)] = state.name;
    for (std::size_t i = 0; i < state.values.size(); ++i)
    {
        Location location;
        if (Locate(static_cast<int>(i), location))
            location.group->SetParameterValue(location.index, state.values[i]);
    }
    settingsChanged = true;
}

void Model::ApplyBank(const BankState& state)
{
    std::copy(state.names.begin(), state.names.end(), programNames.begin());
    const std::size_t count = state.values.size() / std::max<std::size_t>(state.names.size(), 1);
    auto value = state.values.begin();
    for (int p = 0; p < programCount; ++p)
    {
        for (std::size_t i = 0; i < count; ++i, ++value)
        {
            Location location;
            if (Locate(static_cast<int>(i), location))
                location.group->SetParameterProgramValue(p, location.index, *value);
        }
    }
    settingsChanged = true;
}

bool Model::ReadProgram(ChunkReader& reader)
{
    ProgramState state;
    if (!IsProgram(GetProgram()) || !ParseProgram(reader, state))
        return false;
    Guard guard(lock);
    ApplyProgram(state);
    return true;
}

bool Model::ReadBank(ChunkReader& reader)
{
    BankState state;
    if (!ParseBank(reader, state))
        return false;
    Guard guard(lock);
    ApplyBank(state);
    return true;
}

} // namespace Kestrune
