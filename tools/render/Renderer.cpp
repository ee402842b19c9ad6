#include "Renderer.h"

#include "PluginHost.h"
#include "RenderError.h"

#include <algorithm>
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

AudioBuffer Render(PluginHost& host, const AudioBuffer& input, const RenderSettings& settings)
{
    const std::size_t frames = input.Frames();
    const int inputCount = host.NumInputs();
    const int outputCount = host.NumOutputs();
    if (outputCount < 1)
        throw RenderError("the plug-in has no audio outputs");
    if (input.channels.empty())
        throw RenderError("no input audio");

    // Plug-in input i reads file channel i, or the last one (mono feeds every input).
    std::vector<std::vector<float>> inputs;
    for (int i = 0; i < std::max(inputCount, 1); ++i)
        inputs.push_back(
            input.channels[std::min<std::size_t>(std::size_t(i), input.channels.size() - 1)]);
    std::vector<std::vector<float>> outputs(static_cast<std::size_t>(outputCount),
                                            std::vector<float>(frames));
    std::vector<float*> inputPointers(inputs.size());
    std::vector<float*> outputPointers(outputs.size());

    std::vector<TimedMidi> events = settings.events;
    std::stable_sort(events.begin(), events.end(),
                     [](const TimedMidi& a, const TimedMidi& b) { return a.frame < b.frame; });
    std::vector<VstMidiEvent> blockEvents;
    std::size_t nextEvent = 0;

    Progress progress(settings.showProgress);
    for (std::size_t position = 0; position < frames;)
    {
        const std::size_t count =
            std::min<std::size_t>(std::size_t(settings.blockSize), frames - position);
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

        for (std::size_t i = 0; i < inputs.size(); ++i)
            inputPointers[i] = inputs[i].data() + position;
        for (std::size_t i = 0; i < outputs.size(); ++i)
            outputPointers[i] = outputs[i].data() + position;
        host.Process(inputPointers.data(), outputPointers.data(), static_cast<int>(count),
                     static_cast<std::int64_t>(position));
        position += count;
        progress.Update(position, frames);
    }

    AudioBuffer result;
    result.sampleRate = input.sampleRate;
    outputs.resize(std::min<std::size_t>(outputs.size(), 2));
    result.channels = std::move(outputs);
    return result;
}

} // namespace Kestrune::Render
