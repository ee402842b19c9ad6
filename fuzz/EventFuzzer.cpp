// fuzz_events: event lists and time information of any content (NaN, infinities, huge and
// negative offsets, tempo 0, huge sample positions, no time information at all), parameter
// changes that reach the tempo-synchronised paths, sample-rate changes, and processReplacing
// with block sizes from 0 to 20000. Every output must be finite.
#include "FuzzHost.h"

#include <cstdint>

namespace
{

constexpr int kMaxSteps = 256;
constexpr long kMaxFramesPerInput = 400000;

// One step of an input: its first byte modulo kOpCount.
enum Op : std::uint8_t
{
    kTime,
    kEvents,
    kProcess,
    kParameter,
    kFlood,
    kSampleRate,
    kOpCount
};

// u8 mask, then for each set bit in turn: f64 samplePos, f64 sampleRate, f64 ppqPos, f64 tempo,
// i32 flags, u8 provideTime (bit 5).
void ReadTime(Fuzz::FuzzHost& host, Fuzz::ByteReader& reader)
{
    const auto mask = reader.Read<std::uint8_t>();
    if (mask & 1)
        host.time.samplePos = reader.ReadDouble();
    if (mask & 2)
        host.time.sampleRate = reader.ReadDouble();
    if (mask & 4)
        host.time.ppqPos = reader.ReadDouble();
    if (mask & 8)
        host.time.tempo = reader.ReadDouble();
    if (mask & 16)
        host.time.flags = reader.Read<std::int32_t>();
    if (mask & 32)
        host.provideTime = reader.Read<std::uint8_t>() % 2 == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Fuzz::FuzzHost host;
    Fuzz::ByteReader reader(data, size);
    Fuzz::EventList events;
    long frames = 0;
    for (int step = 0; step < kMaxSteps && !reader.Empty(); ++step)
    {
        switch (reader.Read<std::uint8_t>() % kOpCount)
        {
        case kTime:
            ReadTime(host, reader);
            break;
        case kEvents:
        {
            const int count = reader.Read<std::uint8_t>();
            for (int i = 0; i < count && !reader.Empty(); ++i)
                events.AddFrom(reader);
            host.SendEvents(events);
            events.Clear();
            break;
        }
        case kProcess:
        {
            const int n = reader.Read<std::uint16_t>() % (Fuzz::FuzzHost::kMaxFrames + 1);
            frames += n;
            if (frames > kMaxFramesPerInput)
                return 0;
            host.Process(n);
            break;
        }
        case kParameter:
        {
            const auto index = reader.Read<std::uint8_t>() % 14;
            host.SetParameter(index, reader.ReadFloat());
            break;
        }
        case kFlood:
        {
            // One event repeated up to 8191 times: past the queue's capacity.
            const int count = reader.Read<std::uint16_t>() % 8192;
            Fuzz::EventList one;
            one.AddFrom(reader);
            const VstEvents* list = one.Build();
            const VstEvent* event = list->events[0];
            for (int i = 0; i < count; ++i)
            {
                if (event == nullptr)
                    events.AddNull();
                else if (event->type == kVstMidiType)
                {
                    const auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
                    const auto delta =
                        static_cast<std::int32_t>(static_cast<std::uint32_t>(midi->deltaFrames) +
                                                  static_cast<std::uint32_t>(i));
                    events.AddMidi(delta, midi->midiData[0], midi->midiData[1], midi->midiData[2]);
                }
                else
                    events.AddOther(event->type, event->byteSize, event->deltaFrames);
            }
            host.SendEvents(events);
            events.Clear();
            break;
        }
        case kSampleRate:
        {
            const float rate = reader.ReadFloat();
            host.Dispatch(effMainsChanged, 0, 0);
            host.Dispatch(effSetSampleRate, 0, 0, nullptr, rate);
            host.Dispatch(effMainsChanged, 0, 1);
            break;
        }
        }
    }
    host.Process(1024);
    return 0;
}
