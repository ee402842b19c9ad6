#pragma once

#include "lv2/AtomReader.h"
#include "lv2/ControlPorts.h"
#include "lv2/Transport.h"
#include "lv2/Urids.h"
#include "model/BlockProcessor.h"
#include "model/ChunkWriter.h"

#include <lv2/core/lv2.h>
#include <lv2/state/state.h>

#include <atomic>
#include <cstdint>
#include <memory>

class CorvanePhaserModel;

namespace Kestrune
{
class ServiceDispatcher;
}

namespace Kestrune::Lv2
{

// One LV2 instance: the product's model and engine behind the LV2 ports. Control ports are
// compared with the value last seen on them and applied only when they change, so a port that
// stands still never restarts a glide. MIDI and transport from the atom port go through the
// same block processor as the VST edition's events; without urid:map the plug-in processes
// audio only.
//
// Threads (LV2's classes): [audio] Run; [instantiation] the constructor, Activate, Restore and
// the destructor, never at the same time as Run; Save [any], also during Run. ConnectPort [any,
// but not during Run]. Run never allocates; no lock of ours is held while the host is called.
class Lv2Plugin : private ISequenceVisitor
{
public:
    // Throws what construction throws (allocation failure).
    Lv2Plugin(double sampleRate, const LV2_Feature* const* features);
    ~Lv2Plugin() override;
    Lv2Plugin(const Lv2Plugin&) = delete;
    Lv2Plugin& operator=(const Lv2Plugin&) = delete;

    void ConnectPort(std::uint32_t port, void* data);
    void Activate();
    void Run(std::uint32_t frames);

    LV2_State_Status Save(LV2_State_Store_Function store, LV2_State_Handle handle);
    LV2_State_Status Restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle);

private:
    void ApplyControlPorts();
    void TakeStartingPorts(); // [audio] the first Run after Activate
    // Sets the parameter from a port value unless it names the current setting; true if set.
    // From Run (fromAudio) without waiting for the model's lock.
    bool TakePortValue(int index, float value, bool afterRestore, bool fromAudio);
    void TakePendingPortValues(); // for Save
    // Takes the ports whose values differ from the last taken; remember: as the new last taken.
    void TakeChangedPorts(bool remember, bool afterRestore);
    void RememberPortValues();
    void OnMidi(std::int64_t frame, const std::uint8_t* bytes, std::uint32_t size) override;
    void OnPosition(std::int64_t frame, const PositionFields& position) override;

    std::unique_ptr<ServiceDispatcher> dispatcher;
    std::unique_ptr<CorvanePhaserModel> model;
    BlockProcessor processor;
    Urids urids;
    Transport transport;
    ChunkWriter chunk;
    const float* controls[kControlPortCount] = {};
    // The port values last taken; Save reads them while Run may write them.
    std::atomic<float> seen[kControlPortCount] = {};
    // Set by Restore until the next Run, which keeps the restored settings exact against port
    // values the host restored with them (see TakePortValue).
    std::atomic<bool> resync{false};
    const float* audioIn[2] = {};
    float* audioOut[2] = {};
    const LV2_Atom_Sequence* events = nullptr;
    bool positionAtStart = false; // during Run: a position arrived at frame 0
    bool starting = false;        // from Activate to the first Run
};

} // namespace Kestrune::Lv2
