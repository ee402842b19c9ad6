#include "clap/ClapPlugin.h"

#include "phaser/CorvanePhaserModel.h"
#include "phaser/Product.h"
#include "services/ServiceDispatcher.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <mutex>
#include <thread>

namespace Kestrune::Clap
{

namespace
{
constexpr double kNotGiven = std::numeric_limits<double>::quiet_NaN();

// Tempo in quarter notes per minute and song position in quarter notes (CLAP counts beats in
// quarter notes), NaN where the host gives none.
void TransportValues(const clap_event_transport_t& transport, double& tempo, double& position)
{
    tempo = (transport.flags & CLAP_TRANSPORT_HAS_TEMPO) != 0 ? transport.tempo : kNotGiven;
    position = (transport.flags & CLAP_TRANSPORT_HAS_BEATS_TIMELINE) != 0
                   ? static_cast<double>(transport.song_pos_beats) / CLAP_BEATTIME_FACTOR
                   : kNotGiven;
}

bool IsCore(const clap_event_header_t* event)
{
    return event != nullptr && event->space_id == CLAP_CORE_EVENT_SPACE_ID;
}

bool Holds(const clap_event_header_t& event, std::size_t size)
{
    return event.size >= size;
}
} // namespace

ClapPlugin::ClapPlugin(const clap_plugin_t& prototype, const clap_host_t* clapHost)
    : record(prototype), host(clapHost), dispatcher(std::make_unique<ServiceDispatcher>()),
      model(Product::CreateModel(dispatcher.get())), processor(*model, *dispatcher), chunk(4096)
{
    record.plugin_data = this;
    for (std::atomic<double>& value : hostHas)
        value = kNotGiven;
    {
        std::lock_guard<RecursiveLock> guard(model->GetLock());
        dispatcher->SetSampleRate(44100.0f);
        model->SetProgram(0);
    }
    processor.Reset();
    // Told outside the model's lock: it may call the host.
    model->SetOutsideObserver(this);
}

ClapPlugin::~ClapPlugin()
{
    DestroyGui(); // the panel observes the model
    model->SetOutsideObserver(nullptr);
}

ClapPlugin* ClapPlugin::Of(const clap_plugin_t* plugin)
{
    return static_cast<ClapPlugin*>(plugin->plugin_data);
}

bool ClapPlugin::Init()
{
    if (host == nullptr || host->get_extension == nullptr)
        return true;
    hostParams = static_cast<const clap_host_params_t*>(host->get_extension(host, CLAP_EXT_PARAMS));
    hostLog = static_cast<const clap_host_log_t*>(host->get_extension(host, CLAP_EXT_LOG));
    hostTimer = static_cast<const clap_host_timer_support_t*>(
        host->get_extension(host, CLAP_EXT_TIMER_SUPPORT));
    hostFd = static_cast<const clap_host_posix_fd_support_t*>(
        host->get_extension(host, CLAP_EXT_POSIX_FD_SUPPORT));
    return true;
}

// Values set before activation (flush) are where processing starts: the reset takes the
// smoothers to them, as a VST host's parameters set before resume.
bool ClapPlugin::Activate(double sampleRate)
{
    if (!ServiceDispatcher::IsRunnableSampleRate(sampleRate))
    {
        char reason[160];
        ServiceDispatcher::DescribeRefusedSampleRate(sampleRate, reason, sizeof reason);
        if (hostLog != nullptr && hostLog->log != nullptr)
            hostLog->log(host, CLAP_LOG_ERROR, reason);
        return false;
    }
    {
        std::lock_guard<RecursiveLock> guard(model->GetLock());
        dispatcher->SetSampleRate(static_cast<float>(sampleRate));
    }
    processor.Reset();
    processor.Clear();
    starting = true;
    return true;
}

void ClapPlugin::Reset()
{
    processor.ResetFromAudio();
    processor.Clear();
}

void ClapPlugin::TakeParameter(const clap_event_header_t& header, bool fromAudio)
{
    if (!Holds(header, sizeof(clap_event_param_value_t)))
        return;
    const auto& event = reinterpret_cast<const clap_event_param_value_t&>(header);
    const int index = IndexOf(event.param_id);
    if (index < 0 || !std::isfinite(event.value))
        return;
    const float normalised = ToNormalised(index, event.value);
    const double sent = ToClap(index, normalised);
    hostHas[index].store(sent, std::memory_order_relaxed);
    // A value naming the current setting keeps the stored value exact (a restored chunk's, even
    // one outside the range, which the host sees at the range's end).
    if (ToClap(index, model->GetParameterValue(index)) == sent)
        return;
    // The panel follows; the host, the source, is not told back.
    if (fromAudio)
        model->ChangeParameterValueFromAudio(index, normalised, this, true);
    else
        model->ChangeParameterValue(index, normalised, this, true);
}

void ClapPlugin::Queue(const clap_event_header_t& event, std::int32_t offset)
{
    if (event.type == CLAP_EVENT_MIDI && Holds(event, sizeof(clap_event_midi_t)))
    {
        const auto& midi = reinterpret_cast<const clap_event_midi_t&>(event);
        if (midi.port_index == 0)
            processor.PushMidi(offset, midi.data[0], midi.data[1], midi.data[2]);
    }
    else if (event.type == CLAP_EVENT_TRANSPORT && Holds(event, sizeof(clap_event_transport_t)))
    {
        double tempo = kNotGiven;
        double position = kNotGiven;
        TransportValues(reinterpret_cast<const clap_event_transport_t&>(event), tempo, position);
        processor.PushTransport(offset, tempo, position);
    }
}

clap_process_status ClapPlugin::Process(const clap_process_t& process)
{
    if (process.audio_inputs_count < 1 || process.audio_outputs_count < 1 ||
        process.audio_inputs == nullptr || process.audio_outputs == nullptr)
        return CLAP_PROCESS_ERROR;
    const clap_audio_buffer_t& input = process.audio_inputs[0];
    const clap_audio_buffer_t& output = process.audio_outputs[0];
    if (input.channel_count < 2 || output.channel_count < 2 || input.data32 == nullptr ||
        output.data32 == nullptr || input.data32[0] == nullptr || input.data32[1] == nullptr ||
        output.data32[0] == nullptr || output.data32[1] == nullptr)
        return CLAP_PROCESS_ERROR;
    for (std::uint32_t i = 0; i < process.audio_outputs_count; ++i)
        process.audio_outputs[i].constant_mask = 0; // the plug-in's to write: nothing constant
    float* inputs[2] = {input.data32[0], input.data32[1]};
    float* outputs[2] = {output.data32[0], output.data32[1]};
    audioThread.store(std::this_thread::get_id(), std::memory_order_relaxed);
    // A host may load its session's state after activating (Qtractor does): what it set before
    // the first process is where processing starts, not a glide from the defaults.
    if (starting)
    {
        processor.ResetFromAudio();
        starting = false;
    }

    // As a VST host's time information: the transport at the start of every block.
    if (process.transport != nullptr)
    {
        double tempo = kNotGiven;
        double position = kNotGiven;
        TransportValues(*process.transport, tempo, position);
        processor.SetBlockTransport(tempo, position);
    }

    // Parameter changes split the block; MIDI and transport go to the block processor with
    // offsets into the slice they fall in.
    const std::uint32_t frames = process.frames_count;
    const clap_input_events_t* events = process.in_events;
    const std::uint32_t count =
        events != nullptr && events->size != nullptr ? events->size(events) : 0;
    std::uint32_t done = 0;
    bool queued = false;
    for (std::uint32_t i = 0; i < count; ++i)
    {
        const clap_event_header_t* event = events->get(events, i);
        if (!IsCore(event))
            continue;
        if (event->type != CLAP_EVENT_PARAM_VALUE)
        {
            // A time beyond the block keeps the block processor's rule for it (due at once),
            // as the VST edition's events beyond their block.
            const std::uint32_t offset = event->time - std::min(event->time, done);
            Queue(*event, static_cast<std::int32_t>(std::min<std::uint32_t>(offset, INT32_MAX)));
            queued = true;
            continue;
        }
        const std::uint32_t time = std::min(event->time, frames);
        if (time > done)
        {
            processor.ProcessRange(inputs, outputs, done, time);
            done = time;
            queued = false;
        }
        TakeParameter(*event, true);
    }
    if (done < frames || queued || frames == 0)
        processor.ProcessRange(inputs, outputs, done, frames);
    SendChanges(process.out_events);
    return CLAP_PROCESS_CONTINUE;
}

void ClapPlugin::Flush(const clap_input_events_t* events, const clap_output_events_t* out)
{
    const std::uint32_t count =
        events != nullptr && events->size != nullptr ? events->size(events) : 0;
    // Active, the host flushes on its audio thread, which must not wait; inactive, on main.
    const bool onAudioThread =
        std::this_thread::get_id() == audioThread.load(std::memory_order_relaxed);
    for (std::uint32_t i = 0; i < count; ++i)
    {
        const clap_event_header_t* event = events->get(events, i);
        if (IsCore(event) && event->type == CLAP_EVENT_PARAM_VALUE)
            TakeParameter(*event, onAudioThread);
    }
    SendChanges(out);
}

bool ClapPlugin::GetValue(clap_id id, double& value)
{
    const int index = IndexOf(id);
    if (index < 0)
        return false;
    value = ToClap(index, model->GetParameterValue(index));
    hostHas[index] = value;
    return true;
}

bool ClapPlugin::ValueToText(clap_id id, double value, char* text, std::uint32_t size)
{
    const int index = IndexOf(id);
    if (index < 0 || text == nullptr || size == 0 || !std::isfinite(value))
        return false;
    texts.ValueToText(index, value, text, size);
    return true;
}

bool ClapPlugin::TextToValue(clap_id id, const char* text, double& value)
{
    return texts.TextToValue(IndexOf(id), text, value);
}

} // namespace Kestrune::Clap
