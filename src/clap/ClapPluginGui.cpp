// The editor's side of the plug-in: the gui extension, the idle work the host runs, and the
// panel's changes told to the host as parameter events inside gestures.
#include "clap/ClapPlugin.h"

#include "phaser/CorvanePhaserModel.h"

#include <cstring>

namespace Kestrune::Clap
{

namespace
{
constexpr std::uint32_t kIdlePeriodMs = 30; // about the VST hosts' idle rate

#if defined(_WIN32)
constexpr const char* kWindowApi = CLAP_WINDOW_API_WIN32;
#else
constexpr const char* kWindowApi = CLAP_WINDOW_API_X11;
#endif

std::uint32_t Bit(int index)
{
    return 1u << static_cast<unsigned>(index);
}
} // namespace

// [main] the panel; [audio] a mapped MIDI controller. Only bits are set here: the host hears of
// the change from the next process or flush, which a change outside processing asks for.
void ClapPlugin::OnParameterChanged(int index)
{
    if (index < 0 || index >= kParameterCount)
        return;
    const std::uint32_t bit = Bit(index);
    if (std::this_thread::get_id() == audioThread.load(std::memory_order_relaxed))
    {
        // A mapped controller: the host records the MIDI, not the value it led to.
        fromMidi.fetch_or(bit);
        pendingValue.fetch_or(bit);
        return;
    }
    if (dragging.load())
    {
        const int open = dragIndex.exchange(index);
        if (open != index)
        {
            if (open >= 0)
                pendingEnd.fetch_or(Bit(open));
            pendingBegin.fetch_or(bit);
        }
        pendingValue.fetch_or(bit);
    }
    else
    {
        // A click on a box or a list: a gesture of one change.
        pendingBegin.fetch_or(bit);
        pendingValue.fetch_or(bit);
        pendingEnd.fetch_or(bit);
    }
    RequestFlush();
}

void ClapPlugin::BeginDrag()
{
    dragging = true;
}

void ClapPlugin::EndDrag()
{
    dragging = false;
    const int open = dragIndex.exchange(-1);
    if (open < 0)
        return;
    pendingEnd.fetch_or(Bit(open));
    RequestFlush();
}

void ClapPlugin::RequestFlush()
{
    if (hostParams != nullptr && hostParams->request_flush != nullptr)
        hostParams->request_flush(host);
}

// Ends are taken first: an end set meanwhile waits for the next call, never its begin. From the
// first event the host's queue refuses on, what is left stays pending, in order, for the next
// process or flush.
void ClapPlugin::SendChanges(const clap_output_events_t* out)
{
    if (out == nullptr || out->try_push == nullptr)
        return;
    const std::uint32_t end = pendingEnd.exchange(0);
    const std::uint32_t value = pendingValue.exchange(0);
    const std::uint32_t begin = pendingBegin.exchange(0);
    const std::uint32_t unrecorded = fromMidi.exchange(0);
    bool refused = false;
    const auto send = [&](const clap_event_header_t& event, std::atomic<std::uint32_t>& pending,
                          std::uint32_t bit)
    {
        refused = refused || !out->try_push(out, &event);
        if (refused)
            pending.fetch_or(bit);
    };
    for (int i = 0; i < kParameterCount && (begin | value | end) != 0; ++i)
    {
        const std::uint32_t bit = Bit(i);
        const auto id = static_cast<clap_id>(i);
        clap_event_param_gesture_t gesture = {
            {sizeof gesture, 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_GESTURE_BEGIN, 0}, id};
        if ((begin & bit) != 0)
            send(gesture.header, pendingBegin, bit);
        if ((value & bit) != 0)
        {
            clap_event_param_value_t event = {};
            event.header = {sizeof event, 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE,
                            (unrecorded & bit) != 0 ? CLAP_EVENT_DONT_RECORD : 0};
            event.param_id = id;
            event.note_id = -1;
            event.port_index = -1;
            event.channel = -1;
            event.key = -1;
            event.value = ToClap(i, model->GetParameterValue(i));
            send(event.header, pendingValue, bit);
            if (refused)
                fromMidi.fetch_or(unrecorded & bit);
            else
                hostHas[i] = event.value;
        }
        if ((end & bit) != 0)
        {
            gesture.header.type = CLAP_EVENT_PARAM_GESTURE_END;
            send(gesture.header, pendingEnd, bit);
        }
    }
}

bool ClapPlugin::CreateGui(const char* api, bool floating)
{
    if (floating || api == nullptr || std::strcmp(api, kWindowApi) != 0 || gui != nullptr)
        return false;
    IDragSink& drags = *this;
    gui = std::make_unique<ClapGui>(*model, drags);
    return true;
}

void ClapPlugin::DestroyGui()
{
    Unwatch();
    gui.reset();
    dragging = false;
    dragIndex = -1;
}

// The timer runs the posted updates and the About box; the descriptor answers input at once.
bool ClapPlugin::EmbedGui(const clap_window_t& window)
{
    if (gui == nullptr || window.api == nullptr || std::strcmp(window.api, kWindowApi) != 0)
        return false;
#if defined(_WIN32)
    void* parent = window.win32;
#else
    void* parent = reinterpret_cast<void*>(static_cast<std::uintptr_t>(window.x11));
#endif
    if (!gui->Embed(parent))
        return false;
    if (hostTimer != nullptr && !hostTimer->register_timer(host, kIdlePeriodMs, &timer))
        timer = CLAP_INVALID_ID;
    const int fd = gui->ConnectionFd();
    if (hostFd != nullptr && fd >= 0 && hostFd->register_fd(host, fd, CLAP_POSIX_FD_READ))
        watchedFd = fd;
    return true;
}

void ClapPlugin::Unwatch()
{
    if (timer != CLAP_INVALID_ID && hostTimer != nullptr)
        hostTimer->unregister_timer(host, timer);
    if (watchedFd >= 0 && hostFd != nullptr)
        hostFd->unregister_fd(host, watchedFd);
    timer = CLAP_INVALID_ID;
    watchedFd = -1;
}

bool ClapPlugin::GuiSize(std::uint32_t& width, std::uint32_t& height)
{
    if (gui == nullptr)
        return false;
    gui->GetSize(width, height);
    return true;
}

bool ClapPlugin::ShowGui(bool visible)
{
    return gui != nullptr && gui->Show(visible);
}

void ClapPlugin::GuiIdle()
{
    if (gui != nullptr)
        gui->Idle();
}

} // namespace Kestrune::Clap
