// A CLAP binary loaded as CLAP hosts load one (dlopen or LoadLibraryA, clap_entry, init with
// its path, the plug-in factory), and one plug-in instance driven as a host drives it: activated,
// processed with an input event list of parameter, MIDI and transport events and the transport
// at frame 0, its state saved and loaded through streams.
#pragma once

#include "clap/clap.h"
#include "hostkit/Library.h"

#include <cstdint>
#include <string>
#include <vector>

namespace HostKit
{

class ClapModule
{
public:
    // Throws Error when the file cannot be loaded, exports no clap_entry, refuses init or has
    // no plug-in factory.
    explicit ClapModule(const std::string& path);
    ~ClapModule(); // deinit
    ClapModule(const ClapModule&) = delete;
    ClapModule& operator=(const ClapModule&) = delete;

    const clap_plugin_entry_t& Entry() const { return *entry; }
    const clap_plugin_factory_t& Factory() const { return *factory; }

private:
    Library library;
    const clap_plugin_entry_t* entry = nullptr;
    const clap_plugin_factory_t* factory = nullptr;
};

class ClapInstance
{
public:
    struct Event
    {
        union
        {
            clap_event_header_t header;
            clap_event_param_value_t param;
            clap_event_param_gesture_t gesture;
            clap_event_midi_t midi;
            clap_event_transport_t transport;
        };
    };

    // Creates and initialises the plug-in with that id. Throws Error when either fails.
    ClapInstance(const ClapModule& module, const char* id);
    ~ClapInstance(); // stops, deactivates, destroys
    ClapInstance(const ClapInstance&) = delete;
    ClapInstance& operator=(const ClapInstance&) = delete;

    const clap_plugin_t* Plugin() const { return plugin; }
    template <typename T> const T* Extension(const char* id) const
    {
        return static_cast<const T*>(plugin->get_extension(plugin, id));
    }

    // Activates and starts processing; false when the plug-in refuses either.
    bool Activate(double sampleRate, std::uint32_t maxFrames);
    void Deactivate();

    // Events for the next Process or Flush, kept in time order (later ones after earlier ones
    // of the same frame). Reserve beforehand so that adding does not allocate.
    void AddParameter(std::uint32_t frame, clap_id id, double value);
    void AddMidi(std::uint32_t frame, std::uint8_t status, std::uint8_t data1, std::uint8_t data2);
    void AddTransport(std::uint32_t frame, double tempo, double beats);
    // The transport at frame 0 of every Process (playing, tempo and beats), or none.
    void SetTransport(double tempo, double beats);
    void ClearTransport() { hasTransport = false; }

    // in and out may be the same buffers.
    clap_process_status Process(const float* inL, const float* inR, float* outL, float* outR,
                                std::uint32_t frames);
    // The queued parameter events through params.flush (not processing).
    void Flush();

    // Through the state extension; readSize bounds each read the plug-in gets.
    bool SaveState(std::vector<std::uint8_t>& bytes);
    bool LoadState(const std::vector<std::uint8_t>& bytes, std::size_t readSize = 4096);

    int rescans = 0;                 // host params rescan calls
    std::vector<std::string> logged; // what the plug-in wrote through clap.log

    // What the plug-in sent in the last Process or Flush.
    const std::vector<Event>& Sent() const { return sent; }
    // How many events the host's output queue takes in one Process or Flush; refused beyond.
    std::size_t outputRoom = SIZE_MAX;
    // The output buffer's constant_mask after the last Process (the host fills it with ones
    // before: the plug-in owns it).
    std::uint64_t constantMask = 0;

    // The host's side of the editor: the timers and descriptors the plug-in registered, and
    // one round of their calls.
    const std::vector<clap_id>& Timers() const { return timers; }
    const std::vector<int>& Fds() const { return fds; }
    void Idle();
    int flushRequests = 0;

private:
    void Add(const Event& event);
    static bool Sending(const clap_output_events_t* list, const clap_event_header_t* event);
    static std::uint32_t EventCount(const clap_input_events_t* list);
    static const clap_event_header_t* EventAt(const clap_input_events_t* list, std::uint32_t index);
    static const void* HostExtension(const clap_host_t* host, const char* id);

    clap_host_t host;
    clap_host_params_t hostParams;
    clap_host_timer_support_t hostTimers;
    clap_host_posix_fd_support_t hostFds;
    clap_host_log_t hostLog;
    std::vector<clap_id> timers;
    std::vector<int> fds;
    std::vector<Event> sent;
    const clap_plugin_t* plugin = nullptr;
    bool active = false;
    std::vector<Event> events;
    clap_input_events_t inEvents{this, &EventCount, &EventAt};
    clap_output_events_t outEvents;
    clap_event_transport_t blockTransport = {};
    bool hasTransport = false;
    std::int64_t steadyTime = 0;
};

} // namespace HostKit
