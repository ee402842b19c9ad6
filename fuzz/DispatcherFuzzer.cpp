// fuzz_dispatcher: a stream of host calls on one instance: the dispatcher with any opcode,
// index, value and opt (ptr null or a generous buffer this target owns, filled from the input),
// set/getParameter, event lists, chunk round trips and processing blocks.
//
// Not sent: effClose (it destroys the instance; the host sends it once at the end) and
// effEditOpen (ptr must be the host's real parent window). effProcessEvents gets a real event
// list, and the speaker-arrangement opcodes get buffer addresses in value, as hosts pass them.
#include "FuzzHost.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace
{

constexpr std::size_t kBufferBytes = 64 * 1024;
constexpr int kMaxCalls = 256;
constexpr long kMaxFramesPerInput = 200000;

enum Op : std::uint8_t
{
    kDispatch = 0, // 0..2: the dispatcher is called most
    kProcess = 3,
    kSetParameter = 4,
    kGetParameter = 5,
    kEvents = 6,
    kChunkRoundTrip = 7,
};

VstInt32 ReadOpcode(Fuzz::ByteReader& reader)
{
    const auto small = reader.Read<std::int8_t>();
    return small == INT8_MIN ? reader.Read<std::int32_t>() : small;
}

void Dispatch(Fuzz::FuzzHost& host, Fuzz::ByteReader& reader, std::uint8_t* buffer)
{
    const VstInt32 opcode = ReadOpcode(reader);
    const auto index = reader.Read<std::int32_t>();
    auto value = static_cast<VstIntPtr>(reader.Read<std::int64_t>());
    const float opt = reader.ReadFloat();
    const bool withBuffer = reader.Read<std::uint8_t>() % 4 != 0;
    std::size_t got = 0;
    const std::uint8_t* fill = reader.ReadBytes(reader.Read<std::uint16_t>(), got);
    std::memcpy(buffer, fill, got);
    buffer[kBufferBytes - 1] = 0; // any text read from the buffer ends inside it

    void* ptr = withBuffer ? buffer : nullptr;
    switch (opcode)
    {
    case effClose:
    case effEditOpen:
        return;
    case effProcessEvents:
    {
        Fuzz::EventList events;
        const int count = reader.Read<std::uint8_t>() % 65;
        for (int i = 0; i < count; ++i)
            events.AddFrom(reader);
        host.Dispatch(opcode, index, value, withBuffer ? events.Build() : nullptr, opt);
        return;
    }
    case effSetChunk:
        // value is the byte size of what ptr holds.
        if (value > static_cast<VstIntPtr>(kBufferBytes) && value <= INT32_MAX)
            value %= static_cast<VstIntPtr>(kBufferBytes + 1);
        break;
    case effSetSpeakerArrangement:
    case effGetSpeakerArrangement:
        if (value != 0)
            value = reinterpret_cast<VstIntPtr>(buffer + kBufferBytes / 2);
        break;
    default:
        break;
    }
    host.Dispatch(opcode, index, value, ptr, opt);
}

void ChunkRoundTrip(Fuzz::FuzzHost& host, bool isPreset)
{
    auto chunk = host.GetChunk(isPreset);
    const auto saved = chunk;
    if (host.Dispatch(effSetChunk, isPreset ? 1 : 0, static_cast<VstIntPtr>(chunk.size()),
                      chunk.data()) != 1)
        Fuzz::Fail("the plug-in refused its own %s chunk", isPreset ? "program" : "bank");
    if (host.GetChunk(isPreset) != saved)
        Fuzz::Fail("the plug-in's own %s chunk did not load back unchanged",
                   isPreset ? "program" : "bank");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::uint8_t> buffer(kBufferBytes, 0); // outlives the instance
    Fuzz::FuzzHost host;
    Fuzz::ByteReader reader(data, size);
    long frames = 0;
    for (int call = 0; call < kMaxCalls && !reader.Empty(); ++call)
    {
        const auto op = static_cast<std::uint8_t>(reader.Read<std::uint8_t>() % 8);
        switch (op)
        {
        case kProcess:
        {
            const int n = reader.Read<std::int16_t>() % (Fuzz::FuzzHost::kMaxFrames + 1);
            frames += n > 0 ? n : 0;
            if (frames <= kMaxFramesPerInput)
                host.Process(n);
            break;
        }
        case kSetParameter:
        {
            const auto index = reader.Read<std::int8_t>();
            host.SetParameter(index, reader.ReadFloat());
            break;
        }
        case kGetParameter:
        {
            const auto index = reader.Read<std::int8_t>();
            const float value = host.GetParameter(index);
            if (!std::isfinite(value))
                Fuzz::Fail("getParameter(%d) answered %g", index, static_cast<double>(value));
            break;
        }
        case kEvents:
        {
            Fuzz::EventList events;
            const int count = reader.Read<std::uint8_t>() % 65;
            for (int i = 0; i < count; ++i)
                events.AddFrom(reader);
            host.SendEvents(events);
            break;
        }
        case kChunkRoundTrip:
            ChunkRoundTrip(host, reader.Read<std::uint8_t>() % 2 == 1);
            break;
        default:
            Dispatch(host, reader, buffer.data());
            break;
        }
    }
    host.Process(256);
    host.CheckTexts();
    return 0;
}
