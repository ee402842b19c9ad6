#pragma once

#include <cstdint>

namespace Kestrune
{

struct QueuedEvent
{
    enum Kind : std::uint8_t
    {
        kMidi,
        kTransport, // the values wait in the processor's own queue, in the same order
    };

    std::int32_t offset; // frames from the start of the block it arrived for
    std::uint8_t status;
    std::uint8_t data1;
    std::uint8_t data2;
    Kind kind = kMidi;
};

// [audio] Fixed-capacity first-in-first-out queue of timed events: the audio thread never
// allocates. Events beyond the capacity are dropped and counted.
class EventQueue
{
public:
    static constexpr int kCapacity = 4096;

    bool Empty() const { return count == 0; }
    bool Full() const { return count == kCapacity; }
    int Size() const { return count; }
    const QueuedEvent& Front() const { return events[head]; }
    void PopFront()
    {
        head = (head + 1) % kCapacity;
        --count;
    }
    bool PushBack(const QueuedEvent& event)
    {
        if (count == kCapacity)
        {
            ++dropped;
            return false;
        }
        events[(head + count) % kCapacity] = event;
        ++count;
        return true;
    }
    void Clear()
    {
        head = 0;
        count = 0;
    }
    std::uint64_t GetDropped() const { return dropped; }

private:
    QueuedEvent events[kCapacity] = {};
    int head = 0;
    int count = 0;
    std::uint64_t dropped = 0;
};

} // namespace Kestrune
