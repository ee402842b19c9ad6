#pragma once

#include "clap/ClapGui.h"
#include "clap/ClapParameters.h"
#include "clap/clap.h"
#include "model/BlockProcessor.h"
#include "model/ChunkWriter.h"
#include "model/IModelObserver.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <thread>

class CorvanePhaserModel;

namespace Kestrune
{
class ServiceDispatcher;
}

namespace Kestrune::Clap
{

// One CLAP instance: the product's model and engine behind the CLAP plug-in record. Parameter
// events take effect at their frames (the block is processed in slices between them), MIDI and
// transport events through the same block processor as the VST edition's events, and the
// transport at frame 0 as a VST host's time information. Values the host sets move the panel;
// the panel's changes (and those of mapped MIDI controllers) go to the host as parameter events
// from the next process or flush, a slider drag between gesture begin and end events.
//
// Threads (CLAP's): [main] the constructor, Init, Activate, Deactivate, the parameter queries,
// Save, Load (also while audio runs) and the destructor; [audio] StartProcessing,
// StopProcessing, Reset, Process, and Flush while active. Process never allocates and holds no
// lock of ours while calling the host (it calls only the event list), and never waits on one.
class ClapPlugin : private IModelObserver, private IDragSink
{
public:
    // The record is prototype's with plugin_data pointing here. Throws what construction throws
    // (allocation failure).
    ClapPlugin(const clap_plugin_t& prototype, const clap_host_t* host);
    ~ClapPlugin();
    ClapPlugin(const ClapPlugin&) = delete;
    ClapPlugin& operator=(const ClapPlugin&) = delete;

    const clap_plugin_t* Record() const { return &record; }
    static ClapPlugin* Of(const clap_plugin_t* plugin);

    bool Init();
    bool Activate(double sampleRate);
    void Reset();
    clap_process_status Process(const clap_process_t& process);

    bool GetValue(clap_id id, double& value);
    bool ValueToText(clap_id id, double value, char* text, std::uint32_t size);
    bool TextToValue(clap_id id, const char* text, double& value);
    void Describe(int index, clap_param_info_t& info) { texts.Describe(index, info); }
    void Flush(const clap_input_events_t* events, const clap_output_events_t* out);

    bool Save(const clap_ostream_t& stream);
    bool Load(const clap_istream_t& stream);

    // The gui extension (embedded only) and the idle work the host's timer and descriptor run.
    bool CreateGui(const char* api, bool floating);
    void DestroyGui();
    bool EmbedGui(const clap_window_t& window);
    bool GuiSize(std::uint32_t& width, std::uint32_t& height);
    bool ShowGui(bool visible);
    void GuiIdle();

private:
    void OnParameterChanged(int index) override;
    void OnAllParametersChanged() override {}
    void BeginDrag() override;
    void EndDrag() override;
    // The changes collected for the host as events, in gesture order.
    void SendChanges(const clap_output_events_t* out);
    void RequestFlush();
    void Unwatch();

    // Applies a parameter event now (from the audio thread: without waiting for the lock); a
    // value naming the current setting changes nothing.
    void TakeParameter(const clap_event_header_t& event, bool fromAudio);
    // Queues a MIDI or transport event offset frames into the slice being gathered.
    void Queue(const clap_event_header_t& event, std::int32_t offset);
    bool LoadBareChunk(const void* data, std::size_t size);

    clap_plugin_t record;
    const clap_host_t* host;
    const clap_host_params_t* hostParams = nullptr;
    const clap_host_log_t* hostLog = nullptr;
    std::unique_ptr<ServiceDispatcher> dispatcher;
    std::unique_ptr<CorvanePhaserModel> model;
    BlockProcessor processor;
    ParameterTexts texts;
    ChunkWriter chunk;
    // Flat-index bits of what the host is to be told: set by the panel and the audio thread,
    // taken by process and flush.
    std::atomic<std::uint32_t> pendingBegin{0};
    std::atomic<std::uint32_t> pendingValue{0};
    std::atomic<std::uint32_t> pendingEnd{0};
    std::atomic<std::uint32_t> fromMidi{0}; // values a mapped controller set: not recorded
    // Each value as the host last had it (read, sent or set; NaN before it had one): a load asks
    // the host to read again only when one of them changed.
    std::atomic<double> hostHas[kParameterCount];
    std::atomic<bool> dragging{false};
    std::atomic<int> dragIndex{-1}; // the parameter of the open gesture
    std::atomic<std::thread::id> audioThread{};
    bool starting = false; // from Activate to the first Process (never at the same time)
    // Declared after the model: it goes first.
    std::unique_ptr<ClapGui> gui;
    const clap_host_timer_support_t* hostTimer = nullptr;
    const clap_host_posix_fd_support_t* hostFd = nullptr;
    clap_id timer = CLAP_INVALID_ID;
    int watchedFd = -1;
};

// An extension's record under its id.
struct NamedExtension
{
    const char* id;
    const void* record;
};

// The record named id among extensions, or null (also for a null id).
template <std::size_t N>
const void* FindExtension(const char* id, const NamedExtension (&extensions)[N])
{
    for (const NamedExtension& extension : extensions)
        if (id != nullptr && std::strcmp(id, extension.id) == 0)
            return extension.record;
    return nullptr;
}

// The gui, timer-support and posix-fd-support records for an extension id (null or not), or null.
const void* EditorExtension(const char* id);

} // namespace Kestrune::Clap
