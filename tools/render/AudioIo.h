// Audio files through libsndfile, and the planar buffer the renderer works on.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace Kestrune::Render
{

struct AudioBuffer
{
    int sampleRate = 44100;
    std::vector<std::vector<float>> channels; // planar, equal lengths

    std::size_t Frames() const { return channels.empty() ? 0 : channels.front().size(); }
};

// Mono or stereo file of any format libsndfile reads; throws RenderError otherwise.
AudioBuffer ReadAudioFile(const std::string& path);

// libsndfile format for an output name: .wav 32-bit float, .flac 24-bit, .aif/.aiff 32-bit
// float. Throws RenderError for any other extension.
int OutputFormatFor(const std::string& path);

// Writes to an open descriptor (the caller owns it); name is used in messages only.
void WriteAudioFile(int descriptor, const std::string& name, int format, const AudioBuffer& audio);

} // namespace Kestrune::Render
