// corvane-render's view of the plug-in: the host library's host over a module loaded from a
// path, with the render's own conveniences. The time information follows the rendered position
// like a playing sequencer's; failures are RenderErrors.
#pragma once

#include "hostkit/Host.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace Kestrune::Render
{

// Holds the module so that it is loaded before the host base is built.
struct LoadedModule
{
    explicit LoadedModule(const std::string& path);
    HostKit::Module module;
};

class PluginHost : private LoadedModule, public HostKit::Host
{
public:
    // Throws RenderError when the module is missing, cannot be loaded, exports no entry point,
    // or its entry point gives no valid record.
    explicit PluginHost(const std::string& path);

    const std::string& Path() const { return module.Path(); }
    std::int32_t UniqueId() const { return Effect()->uniqueID; }
    std::int32_t Version() const { return Effect()->version; }
    int NumParams() const { return Effect()->numParams; }
    int NumPrograms() const { return Effect()->numPrograms; }
    int NumInputs() const { return Effect()->numInputs; }
    int NumOutputs() const { return Effect()->numOutputs; }
    bool ProgramsAreChunks() const { return (Effect()->flags & effFlagsProgramChunks) != 0; }

    // Copy of the plug-in's chunk; throws when it gives none.
    std::vector<std::uint8_t> GetChunk(bool program);

    // Transport the time information reports: tempo in BPM, song position of sample 0 in
    // quarter notes.
    void SetTransport(double bpm, double ppq);
    // [audio] Events must lie inside the next block; their deltaFrames are block offsets.
    void SendEvents(std::span<const VstMidiEvent> midi);
    using Host::SendEvents;
    // [audio] Processes one block that starts at sample position.
    void Process(float** inputs, float** outputs, int frames, std::int64_t position);

private:
    double tempo = 120.0;
    double startPpq = 0.0;
};

} // namespace Kestrune::Render
