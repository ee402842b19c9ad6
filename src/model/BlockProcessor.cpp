#include "model/BlockProcessor.h"

#include "dsp/Buffers.h"
#include "midi/MessageDispatcher.h"
#include "model/Model.h"
#include "services/ServiceDispatcher.h"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstddef>
#include <mutex>

namespace Kestrune
{

namespace
{
// A host double that fits a float and is a number; anything else is ignored.
bool FitsFloat(double value)
{
    return std::isfinite(value) && std::fabs(value) <= static_cast<double>(FLT_MAX);
}
} // namespace

BlockProcessor::BlockProcessor(Model& processedModel, ServiceDispatcher& serviceDispatcher)
    : model(processedModel), dispatcher(serviceDispatcher),
      inputPointers(static_cast<std::size_t>(processedModel.GetInputCount()), nullptr),
      outputPointers(static_cast<std::size_t>(processedModel.GetOutputCount()), nullptr),
      rangeInputs(inputPointers.size(), nullptr), rangeOutputs(outputPointers.size(), nullptr)
{
}

bool BlockProcessor::PushMidi(std::int32_t offset, std::uint8_t status, std::uint8_t data1,
                              std::uint8_t data2)
{
    return queue.PushBack({offset, status, data1, data2, QueuedEvent::kMidi});
}

bool BlockProcessor::PushTransport(std::int32_t offset, double tempo, double position)
{
    if (transportCount == kTransportCapacity || queue.Full())
    {
        ++droppedTransports;
        return false;
    }
    queue.PushBack({offset, 0, 0, 0, QueuedEvent::kTransport});
    transports[(transportHead + transportCount) % kTransportCapacity] = {tempo, position};
    ++transportCount;
    return true;
}

void BlockProcessor::SetTransport(double tempo, double position)
{
    ApplyTransport({tempo, position});
}

void BlockProcessor::ApplyTransport(const Transport& transport)
{
    if (FitsFloat(transport.tempo))
        dispatcher.SetTempo(static_cast<float>(transport.tempo));
    // The position stays a double: the oscillator's phase needs its fraction of a beat an hour
    // into a song. Beyond a float's range it is no position a host means.
    if (FitsFloat(transport.position))
        dispatcher.SetPpqnPosition(transport.position);
}

void BlockProcessor::SetBlockTransport(double tempo, double position)
{
    blockTransport = {tempo, position};
    blockTransportPending = true;
}

void BlockProcessor::ApplyBlockTransport()
{
    if (!blockTransportPending)
        return;
    blockTransportPending = false;
    ApplyTransport(blockTransport);
}

void BlockProcessor::Reset()
{
    resetRequested.store(false, std::memory_order_relaxed);
    std::lock_guard<RecursiveLock> guard(model.GetLock());
    DeliverAndReset();
}

void BlockProcessor::ResetFromAudio()
{
    std::unique_lock<RecursiveLock> guard(model.GetLock(), std::try_to_lock);
    if (!guard.owns_lock())
    {
        RequestReset();
        return;
    }
    resetRequested.store(false, std::memory_order_relaxed);
    DeliverAndReset();
    guard.unlock();
    model.TellKeptChanges();
}

void BlockProcessor::RequestReset()
{
    resetRequested.store(true, std::memory_order_release);
}

void BlockProcessor::DeliverAndReset()
{
    model.DeliverLocked();
    dispatcher.Reset();
}

void BlockProcessor::TakeSettings()
{
    ++lockCounts.attempts;
    std::unique_lock<RecursiveLock> guard(model.GetLock(), std::try_to_lock);
    if (!guard.owns_lock())
    {
        ++lockCounts.busy;
        return;
    }
    model.DeliverLocked();
    if (resetRequested.load(std::memory_order_relaxed) && resetRequested.exchange(false))
        dispatcher.Reset();
    guard.unlock();
    model.TellKeptChanges();
}

void BlockProcessor::Clear()
{
    queue.Clear();
    transportHead = 0;
    transportCount = 0;
    blockTransportPending = false;
}

void BlockProcessor::Process(float* const* inputs, float* const* outputs, int frames)
{
    int position = 0;
    while (position < frames)
    {
        if (queue.Empty())
        {
            ProcessStretch(inputs, outputs, position, frames - position);
            break;
        }
        const QueuedEvent event = queue.Front();
        if (event.offset > frames)
        {
            ApplyBlockTransport();
            while (!queue.Empty())
            {
                const QueuedEvent due = queue.Front();
                queue.PopFront();
                Deliver(due);
            }
            continue;
        }
        const int offset = std::max(event.offset, position);
        ProcessStretch(inputs, outputs, position, offset - position);
        queue.PopFront();
        Deliver(event);
        position = offset;
    }
    // A block of no frames takes its transport here, before its events.
    ApplyBlockTransport();
    while (!queue.Empty() && (frames > 0 || queue.Front().offset <= frames))
    {
        const QueuedEvent due = queue.Front();
        queue.PopFront();
        Deliver(due);
    }
}

void BlockProcessor::ProcessRange(float* const* inputs, float* const* outputs, std::uint32_t from,
                                  std::uint32_t to)
{
    do
    {
        const auto n = static_cast<int>(std::min<std::uint32_t>(to - from, INT_MAX));
        for (std::size_t i = 0; i < rangeInputs.size(); ++i)
            rangeInputs[i] = inputs[i] + from;
        for (std::size_t i = 0; i < rangeOutputs.size(); ++i)
            rangeOutputs[i] = outputs[i] + from;
        Process(rangeInputs.data(), rangeOutputs.data(), n);
        from += static_cast<std::uint32_t>(n);
    } while (from < to);
}

void BlockProcessor::ProcessStretch(float* const* inputs, float* const* outputs, int position,
                                    int count)
{
    // Smoothing, like processing, runs one chunk at a time: the buffers hold 16384 values.
    do
    {
        const int n = std::min(count, kMaxBlockSize);
        TakeSettings();
        ApplyBlockTransport();
        dispatcher.Smooth(n);
        if (n > 0)
        {
            for (std::size_t i = 0; i < inputPointers.size(); ++i)
                inputPointers[i] = inputs[i] + position;
            for (std::size_t i = 0; i < outputPointers.size(); ++i)
                outputPointers[i] = outputs[i] + position;
            model.Process(inputPointers.data(), outputPointers.data(), n);
        }
        position += n;
        count -= n;
    } while (count > 0);
}

void BlockProcessor::Deliver(const QueuedEvent& event)
{
    if (event.kind == QueuedEvent::kMidi)
    {
        dispatcher.GetMessageDispatcher()->Dispatch(event.status, event.data1, event.data2);
        return;
    }
    const Transport transport = transports[transportHead];
    transportHead = (transportHead + 1) % kTransportCapacity;
    --transportCount;
    SetTransport(transport.tempo, transport.position);
}

} // namespace Kestrune
