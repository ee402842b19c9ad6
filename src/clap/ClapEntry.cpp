// The binary's only exported symbol, clap_entry: one plug-in in the factory. No exception leaves
// a call: creation answers null, queries false, processing an error.
#include "clap/ClapPlugin.h"
#include "clap/clap.h"

#include <cstring>
#include <new>

namespace
{
using Kestrune::Clap::ClapPlugin;
using Kestrune::Clap::kParameterCount;

constexpr char kPluginId[] = "com.corvane.phaser";
const char* const kFeatures[] = {"audio-effect", "phaser", "stereo", nullptr};

const clap_plugin_descriptor_t kDescriptor = {
    CLAP_VERSION,
    kPluginId,
    "Corvane Phaser",
    "Corvane Sound Design",
    "",
    "",
    "",
    CORVANE_VERSION,
    "Stereo phaser: up to 16 all-pass stages swept by an oscillator, tempo or MIDI",
    kFeatures};

ClapPlugin* Of(const clap_plugin_t* plugin)
{
    return ClapPlugin::Of(plugin);
}

bool Init(const clap_plugin_t* plugin)
{
    return Of(plugin)->Init();
}

void Destroy(const clap_plugin_t* plugin)
{
    delete Of(plugin);
}

bool Activate(const clap_plugin_t* plugin, double rate, std::uint32_t, std::uint32_t)
{
    try
    {
        return Of(plugin)->Activate(rate);
    }
    catch (...)
    {
        return false;
    }
}

void Deactivate(const clap_plugin_t*) {}

bool StartProcessing(const clap_plugin_t*)
{
    return true;
}

void StopProcessing(const clap_plugin_t*) {}

void Reset(const clap_plugin_t* plugin)
{
    Of(plugin)->Reset();
}

clap_process_status Process(const clap_plugin_t* plugin, const clap_process_t* process)
{
    return process != nullptr ? Of(plugin)->Process(*process) : CLAP_PROCESS_ERROR;
}

// audio-ports: one stereo input and one stereo output, processable in place.
std::uint32_t AudioPortCount(const clap_plugin_t*, bool)
{
    return 1;
}

bool AudioPort(const clap_plugin_t*, std::uint32_t index, bool isInput,
               clap_audio_port_info_t* info)
{
    if (index != 0 || info == nullptr)
        return false;
    std::memset(info, 0, sizeof *info);
    info->id = 0;
    std::strcpy(info->name, isInput ? "Input" : "Output");
    info->flags = CLAP_AUDIO_PORT_IS_MAIN;
    info->channel_count = 2;
    info->port_type = CLAP_PORT_STEREO;
    info->in_place_pair = 0;
    return true;
}

// note-ports: one MIDI input for controllers and pressure.
std::uint32_t NotePortCount(const clap_plugin_t*, bool isInput)
{
    return isInput ? 1 : 0;
}

bool NotePort(const clap_plugin_t*, std::uint32_t index, bool isInput, clap_note_port_info_t* info)
{
    if (index != 0 || !isInput || info == nullptr)
        return false;
    std::memset(info, 0, sizeof *info);
    info->id = 0;
    info->supported_dialects = CLAP_NOTE_DIALECT_MIDI;
    info->preferred_dialect = CLAP_NOTE_DIALECT_MIDI;
    std::strcpy(info->name, "MIDI");
    return true;
}

std::uint32_t ParameterCount(const clap_plugin_t*)
{
    return kParameterCount;
}

bool ParameterInfo(const clap_plugin_t* plugin, std::uint32_t index, clap_param_info_t* info)
{
    if (index >= static_cast<std::uint32_t>(kParameterCount) || info == nullptr)
        return false;
    try
    {
        Of(plugin)->Describe(static_cast<int>(index), *info);
        return true;
    }
    catch (...)
    {
        return false;
    }
}

bool ParameterValue(const clap_plugin_t* plugin, clap_id id, double* value)
{
    return value != nullptr && Of(plugin)->GetValue(id, *value);
}

bool ValueToText(const clap_plugin_t* plugin, clap_id id, double value, char* text,
                 std::uint32_t size)
{
    try
    {
        return Of(plugin)->ValueToText(id, value, text, size);
    }
    catch (...)
    {
        return false;
    }
}

bool TextToValue(const clap_plugin_t* plugin, clap_id id, const char* text, double* value)
{
    try
    {
        return value != nullptr && Of(plugin)->TextToValue(id, text, *value);
    }
    catch (...)
    {
        return false;
    }
}

void Flush(const clap_plugin_t* plugin, const clap_input_events_t* in,
           const clap_output_events_t* out)
{
    Of(plugin)->Flush(in, out);
}

bool SaveState(const clap_plugin_t* plugin, const clap_ostream_t* stream)
{
    try
    {
        return stream != nullptr && Of(plugin)->Save(*stream);
    }
    catch (...)
    {
        return false;
    }
}

bool LoadState(const clap_plugin_t* plugin, const clap_istream_t* stream)
{
    try
    {
        return stream != nullptr && Of(plugin)->Load(*stream);
    }
    catch (...)
    {
        return false;
    }
}

const clap_plugin_audio_ports_t kAudioPorts = {&AudioPortCount, &AudioPort};
const clap_plugin_note_ports_t kNotePorts = {&NotePortCount, &NotePort};
const clap_plugin_params_t kParams = {&ParameterCount, &ParameterInfo, &ParameterValue,
                                      &ValueToText,    &TextToValue,   &Flush};
const clap_plugin_state_t kState = {&SaveState, &LoadState};

const Kestrune::Clap::NamedExtension kExtensions[] = {{CLAP_EXT_AUDIO_PORTS, &kAudioPorts},
                                                      {CLAP_EXT_NOTE_PORTS, &kNotePorts},
                                                      {CLAP_EXT_PARAMS, &kParams},
                                                      {CLAP_EXT_STATE, &kState}};

const void* Extension(const clap_plugin_t*, const char* id)
{
    const void* found = Kestrune::Clap::FindExtension(id, kExtensions);
    return found != nullptr ? found : Kestrune::Clap::EditorExtension(id);
}

void OnMainThread(const clap_plugin_t*) {}

const clap_plugin_t kPrototype = {
    &kDescriptor,     nullptr,         &Init,  &Destroy, &Activate,  &Deactivate,
    &StartProcessing, &StopProcessing, &Reset, &Process, &Extension, &OnMainThread};

std::uint32_t PluginCount(const clap_plugin_factory_t*)
{
    return 1;
}

const clap_plugin_descriptor_t* PluginDescriptor(const clap_plugin_factory_t*, std::uint32_t index)
{
    return index == 0 ? &kDescriptor : nullptr;
}

const clap_plugin_t* CreatePlugin(const clap_plugin_factory_t*, const clap_host_t* host,
                                  const char* id)
{
    if (host == nullptr || id == nullptr || std::strcmp(id, kPluginId) != 0)
        return nullptr;
    try
    {
        return (new ClapPlugin(kPrototype, host))->Record();
    }
    catch (...)
    {
        return nullptr;
    }
}

const clap_plugin_factory_t kFactory = {&PluginCount, &PluginDescriptor, &CreatePlugin};

bool EntryInit(const char*)
{
    return true;
}

void EntryDeinit() {}

const void* Factory(const char* id)
{
    return id != nullptr && std::strcmp(id, CLAP_PLUGIN_FACTORY_ID) == 0 ? &kFactory : nullptr;
}
} // namespace

extern "C"
#if defined(_WIN32)
    __declspec(dllexport)
#else
    __attribute__((visibility("default")))
#endif
        const clap_plugin_entry_t clap_entry = {CLAP_VERSION, &EntryInit, &EntryDeinit, &Factory};
