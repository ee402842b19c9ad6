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
// serialises value changes.
//
// The owners of the settings (the signal chain) belong to the audio thread. A change from any
// thread stores the value and its setting under the lock; the setting reaches its owners when
// the audio thread next delivers (DeliverLocked), which it does only when it gets the lock at
// once. So the audio thread never waits on another thread: while the lock is held it goes on
// with its current settings, and a change it makes itself is kept until it gets the lock.
//
// Threads: [audio] Process, OnControlChange, ChangeParameterValueFromAudio, DeliverLocked,
// TellKeptChanges; [any] everything else. Flat indices outside
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

    // A chunk read and checked whole, outside the lock, then applied in one short hold of it.
    struct ProgramState;
    struct BankState;
    bool ParseProgram(ChunkReader& reader, ProgramState& state);
    bool ParseBank(ChunkReader& reader, BankState& state);
    // Caller holds the lock.
    void ApplyProgram(const ProgramState& state);
    void ApplyBank(const BankState& state);

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

    // [audio] As ChangeParameterValue, but never waits: while another thread holds the lock
    // the change is kept (the latest per parameter) and made by the next DeliverLocked.
    void ChangeParameterValueFromAudio(int index, float value, IModelObserver* source,
                                       bool evenIfEqual = false);
    // Caller holds the lock; [audio], or any thread while processing is stopped. Makes the kept
    // changes, then hands every changed setting to its owners.
    void DeliverLocked();
    // [audio] Without the lock, after DeliverLocked: the outside observer hears of the kept
    // changes it made.
    void TellKeptChanges();

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
    // Under the lock: stores, applies and tells the inside observers. True when stored; outside
    // is then the observer to tell after the lock is released (or null).
    bool ChangeLocked(int index, float value, IModelObserver* source, bool evenIfEqual,
                      IModelObserver*& outside);

    // [audio] A change the audio thread could not make at once.
    struct KeptChange
    {
        float value = 0.0f;
        IModelObserver* source = nullptr;
        IModelObserver* tell = nullptr; // once made: the outside observer to tell
        bool evenIfEqual = false;
        bool kept = false;
    };

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
    bool settingsChanged = false;        // under the lock: a setting waits for DeliverLocked
    std::vector<KeptChange> keptChanges; // [audio], one per parameter
    bool anyKept = false;                // [audio]
    bool anyToTell = false;              // [audio]
};

struct Model::ProgramState
{
    std::array<char, kProgramNameSize> name{};
    std::vector<float> values;
};

struct Model::BankState
{
    std::vector<std::array<char, kProgramNameSize>> names;
    std::vector<float> values; // program by program
};

} // namespace Kestrune
