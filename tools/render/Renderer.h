// The render loop: the input in blocks through the plug-in, each block's MIDI events handed
// over first with their offsets inside the block, the transport following the position; each
// block is written as soon as it is processed, so memory does not grow with the length.
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
    float gain = 1.0f;             // applied to the output
};

struct RenderResult
{
    float peak = 0.0f;              // largest magnitude written
    std::int64_t overFullScale = 0; // samples above 1 in magnitude, every channel counted
};

// Output channels: the plug-in's outputs, at most two (OutputChannels). The plug-in must be
// resumed; the writer is not closed.
RenderResult Render(PluginHost& host, AudioSource& input, AudioWriter& output,
                    const RenderSettings& settings);

int OutputChannels(PluginHost& host);

} // namespace Kestrune::Render
