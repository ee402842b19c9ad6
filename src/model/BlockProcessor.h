#pragma once

#include "model/EventQueue.h"

#include <atomic>
#include <cstdint>
#include <vector>

namespace Kestrune
{

class Model;
class ServiceDispatcher;

// Runs the model over one host block, sliced at the block's timed events: a MIDI message or a
// transport change takes effect at its frame. Each front end (VST 2.4, LV2, CLAP) queues what
// its host sent for the block, then calls Process; all share these rules:
// - an event whose offset lies below the current position takes effect where processing
//   stands: audio is never processed twice;
// - an event beyond the block makes everything queued due at once;
// - what is left at the end of a block is delivered then, never carried into the next one
//   (except after a block of 0 frames, which keeps events with offsets above 0);
// - stretches longer than 16384 frames are smoothed and processed one chunk at a time.
//
// Threads: [audio] everything but Reset and RequestReset, one thread; nothing allocates after
// construction. The audio thread never waits on the model's lock: each stretch tries it once to
// take the settings changed since (see Model), and goes on with its current settings when
// another thread holds it. Transport, MIDI and processing need no lock: the chain belongs to
// the audio thread.
class BlockProcessor
{
public:
    static constexpr int kTransportCapacity = 64;

    // Contention seen by the audio thread: attempts on the lock and how many found it held.
    struct LockCounts
    {
        std::uint64_t attempts = 0;
        std::uint64_t busy = 0;
    };

    BlockProcessor(Model& model, ServiceDispatcher& dispatcher);

    // Queued for the next Process; false when the queue was full and the event was dropped.
    bool PushMidi(std::int32_t offset, std::uint8_t status, std::uint8_t data1, std::uint8_t data2);
    // Tempo in quarter notes per minute, position in quarter notes. A value that is not a
    // finite float (NaN stands for "not given") is ignored when the change is delivered.
    bool PushTransport(std::int32_t offset, double tempo, double position);
    // Applies a transport change now, with the same rule.
    void SetTransport(double tempo, double position);
    // The transport at the start of the next Process, taken over by its first stretch or event.
    void SetBlockTransport(double tempo, double position);

    // [any thread, processing stopped] Delivers every changed setting, then resets the chain
    // (smoothers at their targets, oscillators at their start): where processing starts.
    void Reset();
    // [audio] The same when the lock is free at once; otherwise as RequestReset.
    void ResetFromAudio();
    // [any] The first stretch that gets the lock resets the chain after delivering the settings.
    void RequestReset();

    // One pointer per model input and output channel, none null, each holding frames samples.
    void Process(float* const* inputs, float* const* outputs, int frames);
    // Process over frames from to to of the buffers, for hosts that count frames in 32 unsigned
    // bits: calls of at most INT_MAX frames, one of 0 frames when from equals to.
    void ProcessRange(float* const* inputs, float* const* outputs, std::uint32_t from,
                      std::uint32_t to);

    // Drops whatever is queued (a host that stops processing mid-stream).
    void Clear();
    std::uint64_t GetDropped() const { return queue.GetDropped() + droppedTransports; }
    LockCounts GetLockCounts() const { return lockCounts; }

private:
    struct Transport
    {
        double tempo;
        double position;
    };

    void ProcessStretch(float* const* inputs, float* const* outputs, int position, int count);
    void Deliver(const QueuedEvent& event);
    void ApplyTransport(const Transport& transport);
    void ApplyBlockTransport();
    // Takes the changed settings (and a requested reset) when the lock is free at once.
    void TakeSettings();
    void DeliverAndReset(); // under the lock

    Model& model;
    ServiceDispatcher& dispatcher;
    EventQueue queue;
    Transport transports[kTransportCapacity] = {};
    int transportHead = 0;
    int transportCount = 0;
    std::uint64_t droppedTransports = 0;
    Transport blockTransport = {};
    bool blockTransportPending = false;
    std::atomic<bool> resetRequested{false};
    LockCounts lockCounts;
    std::vector<float*> inputPointers;
    std::vector<float*> outputPointers;
    std::vector<float*> rangeInputs; // ProcessRange's, around Process's own
    std::vector<float*> rangeOutputs;
};

} // namespace Kestrune
