// The render loop: the input in blocks through the plug-in, each block's MIDI events handed
// over first with their offsets inside the block, the transport following the position.
#pragma once

#include "AudioIo.h"

#include <cstdint>
#include <vector>

namespace Kestrune::Render
{

class PluginHost;

struct TimedMidi
{
    std::int64_t frame = 0; // sample index from the start of the render
    unsigned char bytes[3] = {};
};

struct RenderSettings
{
    int blockSize = 512;
    std::vector<TimedMidi> events; // any order; equal frames keep their order
    bool showProgress = false;     // percentage line on stderr
};

// Output channels: the plug-in's outputs, at most two. The plug-in must be resumed.
AudioBuffer Render(PluginHost& host, const AudioBuffer& input, const RenderSettings& settings);

} // namespace Kestrune::Render
