#include "PluginHost.h"

#include "RenderError.h"

#include "hostkit/Error.h"

namespace Kestrune::Render
{

LoadedModule::LoadedModule(const std::string& path)
try : module(path)
{
}
catch (const HostKit::Error& error)
{
    throw RenderError(error.what());
}

PluginHost::PluginHost(const std::string& path) : LoadedModule(path), HostKit::Host(module)
{
    try
    {
        CreateOrThrow(path);
    }
    catch (const HostKit::Error& error)
    {
        throw RenderError(error.what());
    }
    advanceTime = false;
    // One time request per block: a log would grow with the length of the render.
    logRequests = false;
}

std::vector<std::uint8_t> PluginHost::GetChunk(bool program)
{
    std::vector<std::uint8_t> chunk = Host::GetChunk(program);
    if (chunk.empty())
        throw RenderError(std::string("the plug-in gave no ") + (program ? "program" : "bank") +
                          " chunk");
    return chunk;
}

void PluginHost::SetTransport(double bpm, double ppq)
{
    tempo = bpm;
    startPpq = ppq;
}

void PluginHost::SendEvents(std::span<const VstMidiEvent> midi)
{
    for (const VstMidiEvent& event : midi)
    {
        if (Events().Size() == Events().Capacity())
            Host::SendEvents(); // a full list goes now; the plug-in queues across lists
        Events().AddMidi(event.deltaFrames, static_cast<std::uint8_t>(event.midiData[0]),
                         static_cast<std::uint8_t>(event.midiData[1]),
                         static_cast<std::uint8_t>(event.midiData[2]));
    }
}

void PluginHost::Process(float** inputs, float** outputs, int frames, std::int64_t position)
{
    SetTimeAt(position, tempo, startPpq);
    Host::Process(inputs, outputs, frames);
}

} // namespace Kestrune::Render
