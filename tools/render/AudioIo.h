// Audio files through libsndfile, read and written block by block so that memory does not grow
// with the length of the audio.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Kestrune::Render
{

// Planar audio, one vector per channel.
using Channels = std::vector<std::vector<float>>;

// Audio that is read from the start to the end in blocks.
class AudioSource
{
public:
    virtual ~AudioSource() = default;
    virtual int SampleRate() const = 0;
    virtual int ChannelCount() const = 0;
    virtual std::int64_t Frames() const = 0;
    // The next frames (at most `frames`) into channels[c][0..n), resized as needed; returns n,
    // 0 at the end. Throws RenderError when reading fails.
    virtual std::size_t Read(Channels& channels, std::size_t frames) = 0;
};

// Mono or stereo file of any format libsndfile reads; throws RenderError otherwise.
std::unique_ptr<AudioSource> OpenAudioFile(const std::string& path);

// libsndfile format for an output name: .wav 32-bit float, .flac 24-bit, .aif/.aiff 32-bit
// float. Throws RenderError for any other extension.
int OutputFormatFor(const std::string& path);

// True when the format stores integers, which clip above full scale.
bool FormatClips(int format);

// Writes to an open descriptor (the caller owns it); name is used in messages only.
class AudioWriter
{
public:
    AudioWriter(int descriptor, const std::string& name, int format, int sampleRate, int channels);
    ~AudioWriter();
    AudioWriter(const AudioWriter&) = delete;
    AudioWriter& operator=(const AudioWriter&) = delete;

    // channels[c][0..frames) for every channel the writer was made with.
    void Write(const std::vector<const float*>& channels, std::size_t frames);
    // Flushes; throws RenderError when the file could not be completed.
    void Close();

private:
    struct File;
    std::unique_ptr<File> file;
    std::string name;
    std::vector<float> interleaved;
};

} // namespace Kestrune::Render
