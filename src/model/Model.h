#pragma once

#include "base/ObserverList.h"
#include "base/RecursiveLock.h"
#include "midi/MessageObservers.h"
#include "model/ChunkReader.h"
#include "model/ChunkWriter.h"
#include "model/ControllerMapper.h"
#include "model/IModelObserver.h"
#include "parameters/IParameterGroup.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace Kestrune
{

// The hub between the host binding, the editor and the signal chain: parameter groups behind
// one flat index, 32 named programs, chunks, observers and the one recursive lock that
// serialises value changes with audio processing.
//
// Threads: [audio] ProcessLocked, OnControlChange; [any] everything else. Flat indices outside
// 0..GetParameterCount()-1 and programs outside 0..GetProgramCount()-1 are refused: getters
// answer 0 or "", setters change nothing. Values are checked where they enter (the host's
// calls, ports, chunks, window messages): setters take only finite ones.
class Model : public Midi::ControllerMapper, public Midi::IControllerObserver
{
public:
    static constexpr int kEffectNameSize = 32;
    static constexpr int kVendorSize = 64;
    static constexpr int kProductSize = 64;
    static constexpr int kProgramNameSize = 24;
    static constexpr int kHeaderSize = kEffectNameSize + kVendorSize + kProductSize + 4;

    Model(const char* effectName, const char* vendor, const char* product, int version,
          int programCount, Midi::IMessageProvider* messageProvider);
    ~Model() override;
    Model(const Model&) = delete;
    Model& operator=(const Model&) = delete;

    // [audio] Controller mapping: a mapped controller sets its parameter to value / 127.
    void OnControlChange(std::uint8_t channel, std::uint8_t controller,
                         std::uint8_t value) override;

    // Chunks. A load is checked whole before anything is applied: on false nothing changed.
    virtual void WriteProgram(ChunkWriter& writer);
    virtual bool ReadProgram(ChunkReader& reader);
    virtual void WriteBank(ChunkWriter& writer);
    virtual bool ReadBank(ChunkReader& reader);

    virtual int GetInputCount() = 0;
    virtual int GetOutputCount() = 0;
    // Called under the lock, never with more than 16384 frames.
    virtual void Process(float** inputs, float** outputs, int sampleFrames) = 0;

    // Construction only: appends a group; the order of calls fixes the flat index.
    void AddGroup(Parameters::IParameterGroup* group);

    const char* GetEffectName() const { return effectName; }
    const char* GetVendorString() const { return vendor; }
    const char* GetProductString() const { return product; }
    int GetVendorVersion() const { return version; }

    int GetProgramCount() const { return programCount; }
    int GetProgram() const;
    // Stores the program and moves every group to it; does not notify (the caller does).
    void SetProgram(int index);
    // Bounded copies of program names into dest (size bytes, always zero-terminated).
    void CopyProgramName(char* dest, std::size_t size);
    bool CopyProgramName(int index, char* dest, std::size_t size);
    void SetProgramName(const char* name);

    int GetParameterCount();
    float GetParameterValue(int index);
    // Stores and applies a finite value; neither compares with the old value nor notifies.
    void SetParameterValue(int index, float value);
    // Stores and applies a finite value, then tells every observer but source, the inside ones
    // under the same lock and the outside one after it. A value equal to the stored one
    // changes nothing and tells nobody, unless evenIfEqual. True when it was stored.
    bool ChangeParameterValue(int index, float value, IModelObserver* source,
                              bool evenIfEqual = false);
    const char* GetParameterShortName(int index);
    const char* GetParameterName(int index);
    const char* GetParameterLabel(int index);
    const char* GetParameterDisplay(int index);
    const char* GetGroupShortName(int index);
    const char* GetGroupName(int index);

    void AddObserver(IModelObserver* observer);
    void RemoveObserver(IModelObserver* observer); // every occurrence
    // The one observer that calls out of the plug-in (the host binding): told of single changes
    // after the lock is released, on the thread that made the change, so that a host that takes
    // its own lock there and around its calls into us cannot deadlock. Null removes it.
    void SetOutsideObserver(IModelObserver* observer);
    // Every observer but source (null leaves nobody out), in attachment order, then the outside
    // observer. [any] without the lock held: the outside observer must be called unlocked.
    void NotifyParameterChanged(int index, IModelObserver* source);
    void NotifyAllParametersChanged();

    // [audio] Process under the lock.
    void ProcessLocked(float** inputs, float** outputs, int sampleFrames);

    RecursiveLock& GetLock() { return lock; }

private:
    using ProgramName = std::array<char, kProgramNameSize>;

    struct Location
    {
        Parameters::IParameterGroup* group;
        int index;
    };
    bool Locate(int flatIndex, Location& location);
    // What the parameter's group answers for it, or "" for an index outside the model.
    const char* ParameterText(int flatIndex,
                              const char* (Parameters::IParameterGroup::*query)(int index));
    bool IsProgram(int index) const { return index >= 0 && index < programCount; }
    // Under the lock: every inside observer but source; answers the outside one to tell after.
    IModelObserver* TellInsideObservers(int index, IModelObserver* source);
    void WriteHeader(ChunkWriter& writer);
    bool CheckHeader(ChunkReader& reader);

    char effectName[kEffectNameSize];
    char vendor[kVendorSize];
    char product[kProductSize];
    std::int32_t version;
    ObserverList<IModelObserver> observers;
    IModelObserver* outsideObserver = nullptr;
    std::vector<Parameters::IParameterGroup*> groups; // fixed once construction is over
    Midi::IMessageProvider* messageProvider;
    // Written and copied out only under the lock; every buffer ends with a zero byte.
    std::vector<ProgramName> programNames;
    int programCount;
    std::atomic<int> currentProgram{0};
    RecursiveLock lock;
};

} // namespace Kestrune
