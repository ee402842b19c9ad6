#include "Renderer.h"

#include "PluginHost.h"
#include "RenderError.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace Kestrune::Render
{

namespace
{

class Progress
{
public:
    explicit Progress(bool enabled) : shown(enabled ? -1 : 101) {}
    ~Progress()
    {
        if (shown >= 0 && shown <= 100)
            std::fputc('\n', stderr);
    }
    void Update(std::size_t done, std::size_t total)
    {
        const int percent = total == 0 ? 100 : static_cast<int>(done * 100 / total);
        if (shown > 100 || percent == shown)
            return;
        shown = percent;
        std::fprintf(stderr, "\rcorvane-render: rendering %3d%%", percent);
        std::fflush(stderr);
    }

private:
    int shown;
};

} // namespace

int OutputChannels(PluginHost& host)
{
    return std::min(host.NumOutputs(), 2);
}

RenderResult Render(PluginHost& host, AudioSource& input, AudioWriter& output,
                    const RenderSettings& settings)
{
    const auto frames = static_cast<std::size_t>(input.Frames());
    const auto block = static_cast<std::size_t>(settings.blockSize);
    if (host.NumOutputs() < 1)
        throw RenderError("the plug-in has no audio outputs");

    Channels read;
    Channels inputs(static_cast<std::size_t>(std::max(host.NumInputs(), 1)),
                    std::vector<float>(block));
    Channels outputs(static_cast<std::size_t>(host.NumOutputs()), std::vector<float>(block));
    std::vector<float*> inputPointers;
    std::vector<float*> outputPointers;
    for (auto& channel : inputs)
        inputPointers.push_back(channel.data());
    for (auto& channel : outputs)
        outputPointers.push_back(channel.data());
    const std::vector<const float*> written(outputPointers.begin(),
                                            outputPointers.begin() + OutputChannels(host));

    std::vector<TimedMidi> events = settings.events;
    std::stable_sort(events.begin(), events.end(),
                     [](const TimedMidi& a, const TimedMidi& b) { return a.frame < b.frame; });
    std::vector<VstMidiEvent> blockEvents;
    std::size_t nextEvent = 0;

    RenderResult result;
    Progress progress(settings.showProgress);
    for (std::size_t position = 0;;)
    {
        const std::size_t count = input.Read(read, block);
        if (count == 0)
            break;
        blockEvents.clear();
        while (nextEvent < events.size() &&
               events[nextEvent].frame < static_cast<std::int64_t>(position + count))
        {
            VstMidiEvent event{};
            event.type = kVstMidiType;
            event.byteSize = sizeof(VstMidiEvent);
            event.deltaFrames = static_cast<VstInt32>(std::max<std::int64_t>(
                0, events[nextEvent].frame - static_cast<std::int64_t>(position)));
            std::copy(events[nextEvent].bytes, events[nextEvent].bytes + 3, event.midiData);
            blockEvents.push_back(event);
            ++nextEvent;
        }
        host.SendEvents(blockEvents);

        // Plug-in input i reads file channel i, or the last one (mono feeds every input).
        for (std::size_t i = 0; i < inputs.size(); ++i)
            std::copy_n(read[std::min(i, read.size() - 1)].begin(), count, inputs[i].begin());
        host.Process(inputPointers.data(), outputPointers.data(), static_cast<int>(count),
                     static_cast<std::int64_t>(position));
        for (std::size_t c = 0; c < written.size(); ++c)
        {
            float* samples = outputs[c].data();
            for (std::size_t i = 0; i < count; ++i)
            {
                samples[i] *= settings.gain;
                const float magnitude = std::fabs(samples[i]);
                result.peak = std::max(result.peak, magnitude);
                result.overFullScale += magnitude > 1.0f ? 1 : 0;
            }
        }
        output.Write(written, count);
        position += count;
        progress.Update(position, frames);
    }
    return result;
}

} // namespace Kestrune::Render
