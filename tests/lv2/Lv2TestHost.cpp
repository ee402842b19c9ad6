#include "lv2/Lv2TestHost.h"

#include <lv2/atom/atom.h>
#include <lv2/midi/midi.h>
#include <lv2/state/state.h>
#include <lv2/time/time.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

namespace TestSupport
{

namespace
{
constexpr std::size_t kSequenceBytes = 1 << 16;

struct Loaded
{
    LilvWorld* world = nullptr;
    const LilvPlugin* plugin = nullptr;
};

const Loaded& Load()
{
    static const Loaded loaded = []
    {
        Loaded l;
        l.world = lilv_world_new();
        lilv_world_load_specifications(l.world);
        lilv_world_load_plugin_classes(l.world);
        LilvNode* bundle = lilv_new_file_uri(l.world, nullptr, Lv2BundlePath());
        lilv_world_load_bundle(l.world, bundle);
        lilv_node_free(bundle);
        LilvNode* uri = lilv_new_uri(l.world, kLv2Uri);
        l.plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(l.world), uri);
        lilv_node_free(uri);
        return l;
    }();
    return loaded;
}

void Append(std::vector<std::uint8_t>& bytes, const void* data, std::size_t size)
{
    const auto* p = static_cast<const std::uint8_t*>(data);
    bytes.insert(bytes.end(), p, p + size);
}

template <typename T>
void AppendProperty(std::vector<std::uint8_t>& body, LV2_URID key, LV2_URID type, T value)
{
    const LV2_Atom_Property_Body header{key, 0, {static_cast<std::uint32_t>(sizeof value), type}};
    Append(body, &header, sizeof header);
    Append(body, &value, sizeof value);
    body.resize((body.size() + 7) & ~std::size_t{7}, 0);
}

std::vector<std::uint8_t> DecodeBase64(const std::string& text)
{
    static const std::string digits =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::vector<std::uint8_t> out;
    std::uint32_t word = 0;
    int bits = 0;
    for (char c : text)
    {
        const std::size_t digit = digits.find(c);
        if (digit == std::string::npos)
            continue;
        word = (word << 6) | static_cast<std::uint32_t>(digit);
        bits += 6;
        if (bits >= 8)
        {
            bits -= 8;
            out.push_back(static_cast<std::uint8_t>((word >> bits) & 0xFFu));
        }
    }
    return out;
}
} // namespace

const char* Lv2BundlePath()
{
    return CORVANE_LV2_BUNDLE "/";
}

LilvWorld* Lv2World()
{
    return Load().world;
}

const LilvPlugin* Lv2Plugin()
{
    return Load().plugin;
}

Lv2TestHost::Lv2TestHost(bool withMap, double sampleRate, LilvWorld* lilvWorld,
                         const LilvPlugin* lilvPlugin)
    : world(lilvWorld), plugin(lilvPlugin), sequence(kSequenceBytes / 8, 0)
{
    if (plugin == nullptr)
        return;
    instance = lilv_plugin_instantiate(plugin, sampleRate, withMap ? features : nullptr);
    if (instance == nullptr)
        return;
    for (std::uint32_t i = 0; i < 13; ++i)
    {
        LilvNode* fallback = nullptr;
        lilv_port_get_range(plugin, lilv_plugin_get_port_by_index(plugin, i), &fallback, nullptr,
                            nullptr);
        controls[i] = lilv_node_as_float(fallback);
        lilv_node_free(fallback);
        lilv_instance_connect_port(instance, i, &controls[i]);
    }
    lilv_instance_connect_port(instance, 17, sequence.data());
}

Lv2TestHost::~Lv2TestHost()
{
    if (instance == nullptr)
        return;
    if (active)
        lilv_instance_deactivate(instance);
    lilv_instance_free(instance);
}

int Lv2TestHost::LogPrintf(LV2_Log_Handle handle, LV2_URID type, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const int written = LogVPrintf(handle, type, format, args);
    va_end(args);
    return written;
}

int Lv2TestHost::LogVPrintf(LV2_Log_Handle handle, LV2_URID type, const char* format, va_list args)
{
    auto* self = static_cast<Lv2TestHost*>(handle);
    char text[512];
    const int written = std::vsnprintf(text, sizeof text, format, args);
    const char* uri = UnmapUrid(self, type);
    self->logged.push_back(std::string(uri != nullptr ? uri : "?") + " " + text);
    return written;
}

LV2_URID Lv2TestHost::MapUri(LV2_URID_Map_Handle handle, const char* uri)
{
    auto& table = static_cast<Lv2TestHost*>(handle)->uris;
    const auto found = std::find(table.begin(), table.end(), uri);
    if (found != table.end())
        return static_cast<LV2_URID>(found - table.begin() + 1);
    table.emplace_back(uri);
    return static_cast<LV2_URID>(table.size());
}

const char* Lv2TestHost::UnmapUrid(LV2_URID_Unmap_Handle handle, LV2_URID urid)
{
    const auto& table = static_cast<Lv2TestHost*>(handle)->uris;
    return urid >= 1 && urid <= table.size() ? table[urid - 1].c_str() : nullptr;
}

std::uint32_t Lv2TestHost::PortIndex(const char* symbol)
{
    LilvNode* name = lilv_new_string(world, symbol);
    const LilvPort* port = lilv_plugin_get_port_by_symbol(plugin, name);
    lilv_node_free(name);
    return port != nullptr ? lilv_port_get_index(plugin, port) : 0;
}

LV2_URID Lv2TestHost::Map(const char* uri)
{
    return MapUri(this, uri);
}

void Lv2TestHost::AppendEvent(std::int64_t frame, std::uint32_t type, const void* body,
                              std::uint32_t size, std::uint32_t claimedSize)
{
    LV2_Atom_Event header{};
    header.time.frames = frame;
    header.body = {claimedSize, type};
    Append(events, &header, sizeof header);
    Append(events, body, size);
    events.resize((events.size() + 7) & ~std::size_t{7}, 0);
}

void Lv2TestHost::AddMidi(std::int64_t frame, std::vector<std::uint8_t> bytes)
{
    const auto size = static_cast<std::uint32_t>(bytes.size());
    AppendEvent(frame, Map(LV2_MIDI__MidiEvent), bytes.data(), size, size);
}

void Lv2TestHost::AddPosition(std::int64_t frame, double bpm, double beat, float speed)
{
    std::vector<std::uint8_t> body;
    const LV2_Atom_Object_Body object{0, Map(LV2_TIME__Position)};
    Append(body, &object, sizeof object);
    AppendProperty(body, Map(LV2_TIME__speed), Map(LV2_ATOM__Float), speed);
    AppendProperty(body, Map(LV2_TIME__beatUnit), Map(LV2_ATOM__Int), std::int32_t{4});
    AppendProperty(body, Map(LV2_TIME__beatsPerMinute), Map(LV2_ATOM__Float),
                   static_cast<float>(bpm));
    AppendProperty(body, Map(LV2_TIME__beat), Map(LV2_ATOM__Double), beat);
    const auto size = static_cast<std::uint32_t>(body.size());
    AppendEvent(frame, Map(LV2_ATOM__Object), body.data(), size, size);
}

void Lv2TestHost::AddEvent(std::int64_t frame, std::uint32_t type,
                           const std::vector<std::uint8_t>& body, std::uint32_t claimedSize)
{
    AppendEvent(frame, type, body.data(), static_cast<std::uint32_t>(body.size()), claimedSize);
}

void Lv2TestHost::Activate(bool connectControlsAfter)
{
    if (active)
        return;
    for (std::uint32_t i = 0; connectControlsAfter && i < 13; ++i)
        lilv_instance_connect_port(instance, i, nullptr);
    lilv_instance_activate(instance);
    for (std::uint32_t i = 0; connectControlsAfter && i < 13; ++i)
        lilv_instance_connect_port(instance, i, &controls[i]);
    active = true;
}

void Lv2TestHost::Run(const float* inL, const float* inR, float* outL, float* outR,
                      std::uint32_t frames)
{
    auto* atom = reinterpret_cast<LV2_Atom_Sequence*>(sequence.data());
    const std::size_t room = kSequenceBytes - sizeof(LV2_Atom_Sequence);
    const std::size_t used = std::min(events.size(), room);
    atom->atom.type = Map(LV2_ATOM__Sequence);
    atom->atom.size = overrideSize != 0
                          ? overrideSize
                          : static_cast<std::uint32_t>(sizeof(LV2_Atom_Sequence_Body) + used);
    atom->body.unit = overrideUnit;
    atom->body.pad = 0;
    if (used > 0)
        std::memcpy(atom + 1, events.data(), used);
    lilv_instance_connect_port(instance, 13, const_cast<float*>(inL));
    lilv_instance_connect_port(instance, 14, const_cast<float*>(inR));
    lilv_instance_connect_port(instance, 15, outL);
    lilv_instance_connect_port(instance, 16, outR);
    Activate();
    lilv_instance_run(instance, frames);
    events.clear();
    overrideSize = 0;
    overrideUnit = 0;
}

LilvState* Lv2TestHost::Save()
{
    const auto portValue = [](const char* symbol, void* user, std::uint32_t* size,
                              std::uint32_t* type) -> const void*
    {
        auto* host = static_cast<Lv2TestHost*>(user);
        const std::uint32_t index = host->PortIndex(symbol);
        *size = sizeof(float);
        *type = host->Map(LV2_ATOM__Float);
        return &host->controls[index];
    };
    return lilv_state_new_from_instance(plugin, instance, &map, nullptr, nullptr, nullptr, nullptr,
                                        portValue, this, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE,
                                        features);
}

void Lv2TestHost::Restore(const LilvState* state)
{
    const auto setValue = [](const char* symbol, void* user, const void* value, std::uint32_t size,
                             std::uint32_t type)
    {
        auto* host = static_cast<Lv2TestHost*>(user);
        if (size != sizeof(float) || type != host->Map(LV2_ATOM__Float))
            return;
        std::memcpy(&host->controls[host->PortIndex(symbol)], value, sizeof(float));
    };
    lilv_state_restore(state, instance, setValue, this, 0, features);
}

std::string Lv2TestHost::StateText(const LilvState* state)
{
    char* text =
        lilv_state_to_string(world, &map, &unmap, state, "urn:corvane:test:state", nullptr);
    std::string copy = text != nullptr ? text : "";
    lilv_free(text);
    return copy;
}

LilvState* Lv2TestHost::StateFromText(const std::string& text)
{
    return lilv_state_new_from_string(world, &map, text.c_str());
}

std::vector<std::uint8_t> Lv2TestHost::ChunkProperty(const LilvState* state, const char* key)
{
    // <key> "..."^^xsd:base64Binary, or with triple quotes as lilv writes long literals.
    const std::string text = StateText(state);
    std::string subject = "<";
    subject.append(key).append(">");
    const std::size_t at = text.find(subject);
    const std::size_t open = text.find('"', at);
    if (at == std::string::npos || open == std::string::npos)
        return {};
    const std::size_t start = text.find_first_not_of('"', open);
    const std::size_t end = text.find('"', start);
    return end == std::string::npos ? std::vector<std::uint8_t>{}
                                    : DecodeBase64(text.substr(start, end - start));
}

} // namespace TestSupport
