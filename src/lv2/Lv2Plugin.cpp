#include "lv2/Lv2Plugin.h"

#include "phaser/CorvanePhaserModel.h"
#include "phaser/Product.h"
#include "services/ServiceDispatcher.h"

#include <lv2/urid/urid.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

namespace Kestrune::Lv2
{

namespace
{
const LV2_URID_Map* FindMap(const LV2_Feature* const* features)
{
    if (features == nullptr)
        return nullptr;
    for (const LV2_Feature* const* f = features; *f != nullptr; ++f)
        if ((*f)->URI != nullptr && std::strcmp((*f)->URI, LV2_URID__map) == 0)
            return static_cast<const LV2_URID_Map*>((*f)->data);
    return nullptr;
}

// Event frames outside an int are kept on their side of the block: before it, or beyond it.
std::int32_t Offset(std::int64_t frame)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(frame, 0, INT32_MAX));
}
} // namespace

Lv2Plugin::Lv2Plugin(double sampleRate, const LV2_Feature* const* features)
    : dispatcher(std::make_unique<ServiceDispatcher>()),
      model(Product::CreateModel(dispatcher.get())), processor(*model, *dispatcher),
      transport(sampleRate), chunk(4096)
{
    urids.Map(FindMap(features));
    {
        std::lock_guard<RecursiveLock> guard(model->GetLock());
        dispatcher->SetSampleRate(static_cast<float>(sampleRate));
        model->SetProgram(0);
    }
    processor.Reset();
    RememberPortValues();
}

Lv2Plugin::~Lv2Plugin() = default;

void Lv2Plugin::ConnectPort(std::uint32_t port, void* data)
{
    if (port < kControlPortCount)
        controls[port] = static_cast<const float*>(data);
    else if (port == kAudioInLeft || port == kAudioInRight)
        audioIn[port - kAudioInLeft] = static_cast<const float*>(data);
    else if (port == kAudioOutLeft || port == kAudioOutRight)
        audioOut[port - kAudioOutLeft] = static_cast<float*>(data);
    else if (port == kEventsIn)
        events = static_cast<const LV2_Atom_Sequence*>(data);
}

// The host's starting values are taken at once rather than glided to from the defaults, as a VST
// host's parameters set before resume are. A host may connect the control ports only after this
// (LV2 allows it), so the first Run takes them the same way.
void Lv2Plugin::Activate()
{
    TakeStartingPorts();
    starting = true;
}

void Lv2Plugin::TakeStartingPorts()
{
    ApplyControlPorts();
    processor.ResetFromAudio();
    starting = false;
}

// The model's values as port values: a port holding one of them changes nothing.
void Lv2Plugin::RememberPortValues()
{
    for (int i = 0; i < kControlPortCount; ++i)
        seen[i].store(GetControlPort(i).toPort(model->GetParameterValue(i)),
                      std::memory_order_relaxed);
}

void Lv2Plugin::ApplyControlPorts()
{
    // The plain load first: the exchange is a locked instruction, and most runs find nothing.
    const bool afterRestore = resync.load(std::memory_order_relaxed) && resync.exchange(false);
    TakeChangedPorts(true, afterRestore);
}

// A host may save before it runs again: port changes the next Run would take are saved too.
// Not right after a restore, whose settings stand until a Run has synced the ports. Leaves
// seen[] to Run, which may be running now.
void Lv2Plugin::TakePendingPortValues()
{
    if (!resync.load())
        TakeChangedPorts(false, false);
}

void Lv2Plugin::TakeChangedPorts(bool remember, bool afterRestore)
{
    for (int i = 0; i < kControlPortCount; ++i)
    {
        if (controls[i] == nullptr)
            continue;
        const float value = *controls[i];
        if (!std::isfinite(value) || value == seen[i].load(std::memory_order_relaxed))
            continue;
        if (remember)
            seen[i].store(value, std::memory_order_relaxed);
        TakePortValue(i, value, afterRestore, remember);
    }
}

bool Lv2Plugin::TakePortValue(int index, float value, bool afterRestore, bool fromAudio)
{
    const ControlPort& port = GetControlPort(index);
    const float current = port.toPort(model->GetParameterValue(index));
    // A port value naming the current setting leaves the stored value as it is. Right after a
    // restore, so does one within 0.1 % of the port's range: the host putting back the value it
    // saved, perhaps rounded as text; the restored setting stays exact.
    const float tolerance = 0.001f * (PortMaximum(port) - PortMinimum(port));
    if (current == value || (afterRestore && std::fabs(current - value) <= tolerance))
        return false;
    if (fromAudio)
        model->ChangeParameterValueFromAudio(index, port.toNormalised(value), nullptr, true);
    else
        model->SetParameterValue(index, port.toNormalised(value));
    return true;
}

void Lv2Plugin::OnMidi(std::int64_t frame, const std::uint8_t* bytes, std::uint32_t size)
{
    processor.PushMidi(Offset(frame), bytes[0], size > 1 ? bytes[1] : 0, size > 2 ? bytes[2] : 0);
}

void Lv2Plugin::OnPosition(std::int64_t frame, const PositionFields& position)
{
    const std::int32_t offset = Offset(frame);
    const Transport::Change change = transport.Receive(position, offset);
    positionAtStart = positionAtStart || offset == 0;
    processor.PushTransport(offset, change.tempo, change.position);
}

void Lv2Plugin::Run(std::uint32_t frames)
{
    if (audioIn[0] == nullptr || audioIn[1] == nullptr || audioOut[0] == nullptr ||
        audioOut[1] == nullptr)
        return;
    if (starting)
        TakeStartingPorts();
    else
        ApplyControlPorts();

    // As a VST host's time information, the transport is set at the start of every block,
    // unless the host placed a position there itself.
    const bool known = transport.Known();
    const Transport::Change start = transport.AtBlockStart();
    positionAtStart = false;
    ReadSequence(events, urids, *this);
    if (known && !positionAtStart)
        processor.SetBlockTransport(start.tempo, start.position);

    float* inputs[2] = {const_cast<float*>(audioIn[0]), const_cast<float*>(audioIn[1])};
    float* outputs[2] = {audioOut[0], audioOut[1]};
    processor.ProcessRange(inputs, outputs, 0, frames);
    transport.FinishBlock(frames);
}

} // namespace Kestrune::Lv2
