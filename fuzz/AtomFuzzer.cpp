// fuzz_lv2_atoms: the LV2 edition through its descriptor (lv2_descriptor, as hosts reach it):
// atom sequences of any bytes on the events port (sizes, types, times, objects and properties
// as the input has them; the URIs the plug-in maps are the small numbers 1 to 22), control
// port values of any bit pattern, blocks of 0 to 20000 frames, and state restored from chunks
// of any bytes. Every output must be finite and the input buffers untouched.
#include "ByteReader.h"

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace
{

constexpr std::uint32_t kMaxFrames = 20000;
constexpr std::size_t kSequenceBytes = 8192;
constexpr int kMaxSteps = 64;

struct UridTable
{
    std::vector<std::string> uris;
    LV2_URID_Map map{this, &Map};

    static LV2_URID Map(LV2_URID_Map_Handle handle, const char* uri)
    {
        auto& table = static_cast<UridTable*>(handle)->uris;
        for (std::size_t i = 0; i < table.size(); ++i)
            if (table[i] == uri)
                return static_cast<LV2_URID>(i + 1);
        table.emplace_back(uri);
        return static_cast<LV2_URID>(table.size());
    }
};

// State handed back to restore: one property per key, bytes and type from the input.
struct FuzzedState
{
    std::vector<std::uint8_t> values[3];
    std::uint32_t types[3] = {};
    bool present[3] = {};
    LV2_URID keys[3] = {};

    static const void* Retrieve(LV2_State_Handle handle, std::uint32_t key, std::size_t* size,
                                std::uint32_t* type, std::uint32_t* flags)
    {
        auto* state = static_cast<FuzzedState*>(handle);
        for (int i = 0; i < 3; ++i)
        {
            if (state->keys[i] != key || !state->present[i])
                continue;
            *size = state->values[i].size();
            *type = state->types[i];
            *flags = LV2_STATE_IS_POD;
            return state->values[i].data();
        }
        return nullptr;
    }
};

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Fuzz::ByteReader reader(data, size);
    const LV2_Descriptor* descriptor = lv2_descriptor(0);
    UridTable table;
    const LV2_Feature mapFeature{LV2_URID__map, &table.map};
    const LV2_Feature* features[] = {&mapFeature, nullptr};
    const bool withMap = (reader.Read<std::uint8_t>() & 1) == 0;
    LV2_Handle instance =
        descriptor->instantiate(descriptor, 44100.0, "", withMap ? features : nullptr);
    Check(instance != nullptr);
    const auto* state =
        static_cast<const LV2_State_Interface*>(descriptor->extension_data(LV2_STATE__interface));

    float controls[13] = {0.8f, 0, 0, 5, 1, 1, 0, 0.0625f, 2500, 2500, 4, 0.5f, 1};
    std::vector<float> inL(kMaxFrames), inR(kMaxFrames), outL(kMaxFrames), outR(kMaxFrames);
    for (std::uint32_t i = 0; i < kMaxFrames; ++i)
        inL[i] = inR[i] = 0.5f * std::sin(0.05f * static_cast<float>(i));
    const std::vector<float> original = inL;
    std::vector<std::uint64_t> sequence(kSequenceBytes / 8);
    for (std::uint32_t i = 0; i < 13; ++i)
        descriptor->connect_port(instance, i, &controls[i]);
    descriptor->connect_port(instance, 13, inL.data());
    descriptor->connect_port(instance, 14, inR.data());
    descriptor->connect_port(instance, 15, outL.data());
    descriptor->connect_port(instance, 16, outR.data());
    descriptor->connect_port(instance, 17, sequence.data());
    descriptor->activate(instance);

    for (int step = 0; step < kMaxSteps && !reader.Empty(); ++step)
    {
        const auto op = reader.Read<std::uint8_t>();
        if (op % 4 == 3 && withMap)
        {
            // u8 mask; per set bit i: u32 type, u16 length, bytes.
            FuzzedState fuzzed;
            for (int i = 0; i < 3; ++i)
                fuzzed.keys[i] =
                    table.map.map(table.map.handle, i == 0   ? "urn:corvane:phaser#bank"
                                                    : i == 1 ? "urn:corvane:phaser#program"
                                                             : "urn:corvane:phaser#programChunk");
            const auto mask = reader.Read<std::uint8_t>();
            for (int i = 0; i < 3; ++i)
            {
                if ((mask & (1 << i)) == 0)
                    continue;
                fuzzed.present[i] = true;
                fuzzed.types[i] = reader.Read<std::uint32_t>();
                std::size_t got = 0;
                const std::uint8_t* bytes = reader.ReadBytes(reader.Read<std::uint16_t>(), got);
                fuzzed.values[i].assign(bytes, bytes + got);
            }
            state->restore(instance, &FuzzedState::Retrieve, &fuzzed, 0, nullptr);
            continue;
        }
        // u16 mask of control ports to set (f32 each), u16 frames, u16 sequence length, bytes.
        const auto mask = reader.Read<std::uint16_t>();
        for (int i = 0; i < 13; ++i)
            if (mask & (1 << i))
                controls[i] = reader.ReadFloat();
        const std::uint32_t frames = reader.Read<std::uint16_t>() % (kMaxFrames + 1);
        std::size_t got = 0;
        const std::uint8_t* body = reader.ReadBytes(
            std::min<std::size_t>(reader.Read<std::uint16_t>(), kSequenceBytes - 8), got);
        auto* atom = reinterpret_cast<LV2_Atom*>(sequence.data());
        atom->size = static_cast<std::uint32_t>(got);
        atom->type = withMap ? UridTable::Map(&table, LV2_ATOM__Sequence) : 0;
        std::memcpy(atom + 1, body, got);
        descriptor->run(instance, frames);
        for (std::uint32_t i = 0; i < frames; ++i)
            Check(std::isfinite(outL[i]) && std::isfinite(outR[i]));
    }
    Check(std::memcmp(original.data(), inL.data(), original.size() * sizeof(float)) == 0);
    descriptor->cleanup(instance);
    return 0;
}
