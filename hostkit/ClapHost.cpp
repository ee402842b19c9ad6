#include "hostkit/ClapHost.h"

#include "hostkit/Error.h"

#include <algorithm>
#include <cstring>

namespace HostKit
{

namespace
{
clap_event_transport_t Transport(std::uint32_t frame, double tempo, double beats)
{
    clap_event_transport_t transport = {};
    transport.header = {sizeof transport, frame, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_TRANSPORT, 0};
    transport.flags =
        CLAP_TRANSPORT_HAS_TEMPO | CLAP_TRANSPORT_HAS_BEATS_TIMELINE | CLAP_TRANSPORT_IS_PLAYING;
    transport.tempo = tempo;
    transport.song_pos_beats = static_cast<clap_beattime>(beats * CLAP_BEATTIME_FACTOR);
    return transport;
}

ClapInstance& Self(const clap_host_t* host)
{
    return *static_cast<ClapInstance*>(host->host_data);
}

struct Reader
{
    const std::vector<std::uint8_t>* bytes;
    std::size_t at;
    std::size_t readSize;
};
} // namespace

ClapModule::ClapModule(const std::string& path) : library(path)
{
    entry = static_cast<const clap_plugin_entry_t*>(library.Symbol("clap_entry"));
    if (entry == nullptr)
        throw Error(path + ": no clap_entry");
    if (entry->clap_version.major < 1 || !entry->init(path.c_str()))
        throw Error(path + ": init refused");
    factory = static_cast<const clap_plugin_factory_t*>(entry->get_factory(CLAP_PLUGIN_FACTORY_ID));
    if (factory == nullptr)
    {
        entry->deinit();
        throw Error(path + ": no plug-in factory");
    }
}

ClapModule::~ClapModule()
{
    entry->deinit();
}

ClapInstance::ClapInstance(const ClapModule& module, const char* id)
    : host{CLAP_VERSION,
           this,
           "Corvane host kit",
           "Corvane Sound Design",
           "",
           "1",
           &HostExtension,
           [](const clap_host_t*) {},
           [](const clap_host_t*) {},
           [](const clap_host_t*) {}},
      hostParams{[](const clap_host_t* h, std::uint32_t) { ++Self(h).rescans; },
                 [](const clap_host_t*, clap_id, std::uint32_t) {},
                 [](const clap_host_t* h) { ++Self(h).flushRequests; }},
      hostTimers{[](const clap_host_t* h, std::uint32_t, clap_id* timer)
                 {
                     auto& registered = Self(h).timers;
                     *timer = static_cast<clap_id>(registered.size() + 100);
                     registered.push_back(*timer);
                     return true;
                 },
                 [](const clap_host_t* h, clap_id timer)
                 { return std::erase(Self(h).timers, timer) == 1; }},
      hostFds{[](const clap_host_t* h, int fd, std::uint32_t)
              {
                  Self(h).fds.push_back(fd);
                  return true;
              },
              [](const clap_host_t*, int, std::uint32_t) { return true; },
              [](const clap_host_t* h, int fd) { return std::erase(Self(h).fds, fd) == 1; }},
      hostLog{[](const clap_host_t* h, std::int32_t, const char* message)
              { Self(h).logged.emplace_back(message != nullptr ? message : ""); }},
      outEvents{this, &Sending}
{
    plugin = module.Factory().create_plugin(&module.Factory(), &host, id);
    if (plugin == nullptr)
        throw Error(std::string("no plug-in ") + id);
    if (!plugin->init(plugin))
    {
        plugin->destroy(plugin);
        throw Error(std::string("plug-in ") + id + " refused init");
    }
    events.reserve(1024);
    sent.reserve(1024);
}

ClapInstance::~ClapInstance()
{
    Deactivate();
    plugin->destroy(plugin);
}

const void* ClapInstance::HostExtension(const clap_host_t* host, const char* id)
{
    ClapInstance& self = Self(host);
    if (std::strcmp(id, CLAP_EXT_PARAMS) == 0)
        return &self.hostParams;
    if (std::strcmp(id, CLAP_EXT_TIMER_SUPPORT) == 0)
        return &self.hostTimers;
    if (std::strcmp(id, CLAP_EXT_POSIX_FD_SUPPORT) == 0)
        return &self.hostFds;
    if (std::strcmp(id, CLAP_EXT_LOG) == 0)
        return &self.hostLog;
    return nullptr;
}

bool ClapInstance::Sending(const clap_output_events_t* list, const clap_event_header_t* event)
{
    auto* self = static_cast<ClapInstance*>(list->ctx);
    auto& received = self->sent;
    if (event == nullptr || event->size > sizeof(Event) || received.size() == received.capacity() ||
        received.size() >= self->outputRoom)
        return false;
    Event copy;
    std::memcpy(&copy, event, event->size);
    received.push_back(copy);
    return true;
}

void ClapInstance::Idle()
{
    const auto* timer = Extension<clap_plugin_timer_support_t>(CLAP_EXT_TIMER_SUPPORT);
    const auto* fd = Extension<clap_plugin_posix_fd_support_t>(CLAP_EXT_POSIX_FD_SUPPORT);
    for (const clap_id id : std::vector<clap_id>(timers))
        timer->on_timer(plugin, id);
    for (const int watched : std::vector<int>(fds))
        fd->on_fd(plugin, watched, CLAP_POSIX_FD_READ);
}

bool ClapInstance::Activate(double sampleRate, std::uint32_t maxFrames)
{
    Deactivate();
    active = plugin->activate(plugin, sampleRate, 1, maxFrames);
    return active && plugin->start_processing(plugin);
}

void ClapInstance::Deactivate()
{
    if (!active)
        return;
    plugin->stop_processing(plugin);
    plugin->deactivate(plugin);
    active = false;
}

void ClapInstance::Add(const Event& event)
{
    const auto later = std::upper_bound(events.begin(), events.end(), event,
                                        [](const Event& a, const Event& b)
                                        { return a.header.time < b.header.time; });
    events.insert(later, event);
}

void ClapInstance::AddParameter(std::uint32_t frame, clap_id id, double value)
{
    Event event;
    event.param = {};
    event.param.header = {sizeof event.param, frame, CLAP_CORE_EVENT_SPACE_ID,
                          CLAP_EVENT_PARAM_VALUE, 0};
    event.param.param_id = id;
    event.param.note_id = -1;
    event.param.port_index = -1;
    event.param.channel = -1;
    event.param.key = -1;
    event.param.value = value;
    Add(event);
}

void ClapInstance::AddMidi(std::uint32_t frame, std::uint8_t status, std::uint8_t data1,
                           std::uint8_t data2)
{
    Event event;
    event.midi = {};
    event.midi.header = {sizeof event.midi, frame, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_MIDI, 0};
    event.midi.data[0] = status;
    event.midi.data[1] = data1;
    event.midi.data[2] = data2;
    Add(event);
}

void ClapInstance::AddTransport(std::uint32_t frame, double tempo, double beats)
{
    Event event;
    event.transport = Transport(frame, tempo, beats);
    Add(event);
}

void ClapInstance::SetTransport(double tempo, double beats)
{
    blockTransport = Transport(0, tempo, beats);
    hasTransport = true;
}

std::uint32_t ClapInstance::EventCount(const clap_input_events_t* list)
{
    return static_cast<std::uint32_t>(static_cast<ClapInstance*>(list->ctx)->events.size());
}

const clap_event_header_t* ClapInstance::EventAt(const clap_input_events_t* list,
                                                 std::uint32_t index)
{
    const auto& queued = static_cast<ClapInstance*>(list->ctx)->events;
    return index < queued.size() ? &queued[index].header : nullptr;
}

clap_process_status ClapInstance::Process(const float* inL, const float* inR, float* outL,
                                          float* outR, std::uint32_t frames)
{
    float* inputs[2] = {const_cast<float*>(inL), const_cast<float*>(inR)};
    float* outputs[2] = {outL, outR};
    const clap_audio_buffer_t input = {inputs, nullptr, 2, 0, 0};
    clap_audio_buffer_t output = {outputs, nullptr, 2, 0, ~std::uint64_t{0}};
    const clap_process_t process = {steadyTime, frames,    hasTransport ? &blockTransport : nullptr,
                                    &input,     &output,   1,
                                    1,          &inEvents, &outEvents};
    sent.clear();
    const clap_process_status status = plugin->process(plugin, &process);
    constantMask = output.constant_mask;
    steadyTime += frames;
    events.clear();
    return status;
}

void ClapInstance::Flush()
{
    const auto* params = Extension<clap_plugin_params_t>(CLAP_EXT_PARAMS);
    sent.clear();
    params->flush(plugin, &inEvents, &outEvents);
    events.clear();
}

bool ClapInstance::SaveState(std::vector<std::uint8_t>& bytes)
{
    bytes.clear();
    const clap_ostream_t stream = {&bytes,
                                   [](const clap_ostream_t* s, const void* data, std::uint64_t size)
                                   {
                                       auto* out = static_cast<std::vector<std::uint8_t>*>(s->ctx);
                                       const auto* from = static_cast<const std::uint8_t*>(data);
                                       out->insert(out->end(), from, from + size);
                                       return static_cast<std::int64_t>(size);
                                   }};
    const auto* state = Extension<clap_plugin_state_t>(CLAP_EXT_STATE);
    return state != nullptr && state->save(plugin, &stream);
}

bool ClapInstance::LoadState(const std::vector<std::uint8_t>& bytes, std::size_t readSize)
{
    Reader reader{&bytes, 0, readSize};
    const clap_istream_t stream = {
        &reader, [](const clap_istream_t* s, void* data, std::uint64_t size)
        {
            auto* r = static_cast<Reader*>(s->ctx);
            const std::size_t n =
                std::min({static_cast<std::size_t>(size), r->readSize, r->bytes->size() - r->at});
            if (n > 0) // an empty stream's data() may be null
                std::memcpy(data, r->bytes->data() + r->at, n);
            r->at += n;
            return static_cast<std::int64_t>(n);
        }};
    const auto* state = Extension<clap_plugin_state_t>(CLAP_EXT_STATE);
    return state != nullptr && state->load(plugin, &stream);
}

} // namespace HostKit
