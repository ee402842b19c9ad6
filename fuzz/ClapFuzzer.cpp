// fuzz_clap_events: the CLAP edition through clap_entry, as hosts reach it: input event lists
// of parameter, MIDI, transport and raw events (any type, space, size and time the input gives),
// parameter values of any bit pattern, blocks of 0 to 20000 frames in place or not, flushes, and
// state loaded from streams of any bytes. Every output must be finite and the input untouched.
#include "ByteReader.h"
#include "clap/clap.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" const clap_plugin_entry_t clap_entry;

namespace
{

constexpr std::uint32_t kMaxFrames = 20000;
constexpr int kMaxSteps = 64;
constexpr std::size_t kEventBytes = 128; // room for the largest event the plug-in reads

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

struct alignas(8) EventBuffer
{
    std::uint8_t bytes[kEventBytes];
};

struct EventList
{
    std::vector<EventBuffer> events;
    clap_input_events_t list{this, &Size, &Get};

    static std::uint32_t Size(const clap_input_events_t* l)
    {
        return static_cast<std::uint32_t>(static_cast<EventList*>(l->ctx)->events.size());
    }
    static const clap_event_header_t* Get(const clap_input_events_t* l, std::uint32_t index)
    {
        auto& events = static_cast<EventList*>(l->ctx)->events;
        return index < events.size() ? reinterpret_cast<clap_event_header_t*>(&events[index])
                                     : nullptr;
    }
};

// An event of type T in the buffer: the header given, its size and type, then fill's fields.
template <typename T, typename Fill>
void Put(EventBuffer& buffer, clap_event_header_t header, std::uint16_t type, Fill fill)
{
    T e = {};
    e.header = header;
    e.header.size = sizeof e;
    e.header.type = type;
    fill(e);
    std::memcpy(buffer.bytes, &e, sizeof e);
}

// u8 kind, u32 time, then the kind's fields; raw events take u16 type, u16 space, u32 size and
// the body's bytes.
void ReadEvent(Fuzz::ByteReader& reader, EventList& list)
{
    EventBuffer buffer{};
    clap_event_header_t header{0, 0, CLAP_CORE_EVENT_SPACE_ID, 0, 0};
    const auto kind = reader.Read<std::uint8_t>() % 4;
    header.time = reader.Read<std::uint32_t>() % (2 * kMaxFrames);
    if (kind == 0)
        Put<clap_event_param_value_t>(buffer, header, CLAP_EVENT_PARAM_VALUE,
                                      [&](auto& e)
                                      {
                                          e.param_id = reader.Read<std::uint32_t>() % 16;
                                          e.value = reader.ReadDouble();
                                      });
    else if (kind == 1)
        Put<clap_event_midi_t>(buffer, header, CLAP_EVENT_MIDI,
                               [&](auto& e)
                               {
                                   e.port_index = reader.Read<std::uint8_t>() % 2;
                                   for (std::uint8_t& b : e.data)
                                       b = reader.Read<std::uint8_t>();
                               });
    else if (kind == 2)
        Put<clap_event_transport_t>(buffer, header, CLAP_EVENT_TRANSPORT,
                                    [&](auto& e)
                                    {
                                        e.flags = reader.Read<std::uint32_t>();
                                        e.song_pos_beats = reader.Read<std::int64_t>();
                                        e.tempo = reader.ReadDouble();
                                    });
    else
    {
        header.type = reader.Read<std::uint16_t>();
        header.space_id = reader.Read<std::uint16_t>() % 2;
        header.size = reader.Read<std::uint32_t>();
        std::size_t got = 0;
        const std::uint8_t* body = reader.ReadBytes(kEventBytes - sizeof header, got);
        std::memcpy(buffer.bytes, &header, sizeof header);
        std::memcpy(buffer.bytes + sizeof header, body, got);
    }
    list.events.push_back(buffer);
}

struct Stream
{
    const std::uint8_t* bytes;
    std::size_t size;
    std::size_t at = 0;
    std::size_t piece;
};

std::int64_t ReadStream(const clap_istream_t* s, void* out, std::uint64_t count)
{
    auto* stream = static_cast<Stream*>(s->ctx);
    const std::size_t n =
        std::min({static_cast<std::size_t>(count), stream->piece, stream->size - stream->at});
    std::memcpy(out, stream->bytes + stream->at, n);
    stream->at += n;
    return static_cast<std::int64_t>(n);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool initialised = clap_entry.init("");
    Check(initialised);
    const auto* factory =
        static_cast<const clap_plugin_factory_t*>(clap_entry.get_factory(CLAP_PLUGIN_FACTORY_ID));
    const clap_host_t host{CLAP_VERSION,
                           nullptr,
                           "fuzz",
                           "",
                           "",
                           "1",
                           [](const clap_host_t*, const char*) -> const void* { return nullptr; },
                           [](const clap_host_t*) {},
                           [](const clap_host_t*) {},
                           [](const clap_host_t*) {}};
    const clap_plugin_t* plugin = factory->create_plugin(factory, &host, "com.corvane.phaser");
    Check(plugin != nullptr && plugin->init(plugin));
    const auto* params =
        static_cast<const clap_plugin_params_t*>(plugin->get_extension(plugin, CLAP_EXT_PARAMS));
    const auto* state =
        static_cast<const clap_plugin_state_t*>(plugin->get_extension(plugin, CLAP_EXT_STATE));
    Check(plugin->activate(plugin, 44100.0, 1, kMaxFrames) && plugin->start_processing(plugin));

    std::vector<float> inL(kMaxFrames), inR(kMaxFrames), outL(kMaxFrames), outR(kMaxFrames);
    for (std::uint32_t i = 0; i < kMaxFrames; ++i)
        inL[i] = inR[i] = 0.5f * std::sin(0.05f * static_cast<float>(i));
    const std::vector<float> original = inL;
    clap_output_events_t out{nullptr, [](const clap_output_events_t*, const clap_event_header_t*)
                             { return true; }};
    Fuzz::ByteReader reader(data, size);
    for (int step = 0; step < kMaxSteps && !reader.Empty(); ++step)
    {
        const auto op = reader.Read<std::uint8_t>();
        if (op % 8 == 7)
        {
            // u16 length, u8 piece size, the stream's bytes.
            std::size_t got = 0;
            const auto length = reader.Read<std::uint16_t>();
            const auto piece = std::size_t{reader.Read<std::uint8_t>()} + 1;
            const std::uint8_t* bytes = reader.ReadBytes(length, got);
            Stream stream{bytes, got, 0, piece};
            const clap_istream_t input{&stream, &ReadStream};
            state->load(plugin, &input);
            continue;
        }
        EventList list;
        const int count = reader.Read<std::uint8_t>() % 16;
        for (int i = 0; i < count; ++i)
            ReadEvent(reader, list);
        if (op % 8 == 6)
        {
            params->flush(plugin, &list.list, &out);
            continue;
        }
        const std::uint32_t frames = reader.Read<std::uint16_t>() % (kMaxFrames + 1);
        const bool inPlace = (op & 8) != 0;
        if (inPlace)
        {
            std::copy_n(inL.begin(), frames, outL.begin());
            std::copy_n(inR.begin(), frames, outR.begin());
        }
        float* inputs[2] = {inPlace ? outL.data() : inL.data(), inPlace ? outR.data() : inR.data()};
        float* outputs[2] = {outL.data(), outR.data()};
        const clap_audio_buffer_t input{inputs, nullptr, 2, 0, 0};
        clap_audio_buffer_t output{outputs, nullptr, 2, 0, 0};
        const clap_process_t process{-1, frames, nullptr, &input, &output, 1, 1, &list.list, &out};
        Check(plugin->process(plugin, &process) == CLAP_PROCESS_CONTINUE);
        for (std::uint32_t i = 0; i < frames; ++i)
            Check(std::isfinite(outL[i]) && std::isfinite(outR[i]));
        Check(std::memcmp(inL.data(), original.data(), kMaxFrames * sizeof(float)) == 0);
    }
    plugin->stop_processing(plugin);
    plugin->deactivate(plugin);
    plugin->destroy(plugin);
    return 0;
}
