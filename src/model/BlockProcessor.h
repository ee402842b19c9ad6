#pragma once

#include "model/EventQueue.h"

#include <cstdint>
#include <vector>

namespace Kestrune
{

class Model;
class ServiceDispatcher;

// Runs the model over one host block, sliced at the block's timed events: a MIDI message or a
// transport change takes effect at its frame. Each front end (VST 2.4, LV2) queues what its
// host sent for the block, then calls Process; both share these rules:
// - an event whose offset lies below the current position takes effect where processing
//   stands: audio is never processed twice;
// - an event beyond the block makes everything queued due at once;
// - what is left at the end of a block is delivered then, never carried into the next one
//   (except after a block of 0 frames, which keeps events with offsets above 0);
// - stretches longer than 16384 frames are smoothed and processed one chunk at a time.
//
// Threads: [audio] everything, one thread; nothing allocates after construction. Transport
// changes and processing take the model's lock; MIDI is dispatched outside it (a mapped
// controller takes it to set its parameter).
class BlockProcessor
{
public:
    static constexpr int kTransportCapacity = 64;

    BlockProcessor(Model& model, ServiceDispatcher& dispatcher);

    // Queued for the next Process; false when the queue was full and the event was dropped.
    bool PushMidi(std::int32_t offset, std::uint8_t status, std::uint8_t data1, std::uint8_t data2);
    // Tempo in quarter notes per minute, position in quarter notes. A value that is not a
    // finite float (NaN stands for "not given") is ignored when the change is delivered.
    bool PushTransport(std::int32_t offset, double tempo, double position);
    // Applies a transport change now, under the model's lock, with the same rule.
    void SetTransport(double tempo, double position);
    // The transport at the start of the next Process, taken over under the lock its first
    // stretch or event takes anyway: one lock less per block, and none held while the front end
    // asks its host for the values.
    void SetBlockTransport(double tempo, double position);

    // One pointer per model input and output channel, none null, each holding frames samples.
    void Process(float* const* inputs, float* const* outputs, int frames);
    // Process over frames from to to of the buffers, for hosts that count frames in 32 unsigned
    // bits: calls of at most INT_MAX frames, one of 0 frames when from equals to.
    void ProcessRange(float* const* inputs, float* const* outputs, std::uint32_t from,
                      std::uint32_t to);

    // Drops whatever is queued (a host that stops processing mid-stream).
    void Clear();
    std::uint64_t GetDropped() const { return queue.GetDropped() + droppedTransports; }

private:
    struct Transport
    {
        double tempo;
        double position;
    };

    void ProcessStretch(float* const* inputs, float* const* outputs, int position, int count);
    void Deliver(const QueuedEvent& event);
    void ApplyTransport(const Transport& transport); // under the model's lock
    void ApplyBlockTransport();                      // under the model's lock
    void ApplyBlockTransportLocked();

    Model& model;
    ServiceDispatcher& dispatcher;
    EventQueue queue;
    Transport transports[kTransportCapacity] = {};
    int transportHead = 0;
    int transportCount = 0;
    std::uint64_t droppedTransports = 0;
    Transport blockTransport = {};
    bool blockTransportPending = false;
    std::vector<float*> inputPointers;
    std::vector<float*> outputPointers;
    std::vector<float*> rangeInputs; // ProcessRange's, around Process's own
    std::vector<float*> rangeOutputs;
};

} // namespace Kestrune
