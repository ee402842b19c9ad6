#include "AudioIo.h"

#include "RenderError.h"

#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>

namespace Kestrune::Render
{

namespace
{

struct SndfileCloser
{
    void operator()(SNDFILE* file) const { sf_close(file); }
};
using SndfilePtr = std::unique_ptr<SNDFILE, SndfileCloser>;

constexpr sf_count_t kFramesPerRead = 8192;

std::string Lowercase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

} // namespace

AudioBuffer ReadAudioFile(const std::string& path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        throw RenderError("cannot read input " + path + ": no such file");
    SF_INFO info{};
    SndfilePtr file(sf_open(path.c_str(), SFM_READ, &info));
    if (!file)
        throw RenderError("cannot read input " + path + ": " + sf_strerror(nullptr));
    if (info.channels < 1 || info.channels > 2)
        throw RenderError("input " + path + " has " + std::to_string(info.channels) +
                          " channels; only mono and stereo are supported");
    if (info.frames <= 0)
        throw RenderError("input " + path + " holds no audio");
    if (info.samplerate <= 0)
        throw RenderError("input " + path + " has no valid sample rate");

    AudioBuffer audio;
    audio.sampleRate = info.samplerate;
    audio.channels.assign(static_cast<std::size_t>(info.channels), {});
    std::vector<float> interleaved(static_cast<std::size_t>(kFramesPerRead * info.channels));
    for (;;)
    {
        const sf_count_t frames = sf_readf_float(file.get(), interleaved.data(), kFramesPerRead);
        if (frames <= 0)
            break;
        for (sf_count_t i = 0; i < frames; ++i)
        {
            for (int c = 0; c < info.channels; ++c)
                audio.channels[std::size_t(c)].push_back(
                    interleaved[std::size_t(i * info.channels + c)]);
        }
    }
    if (sf_error(file.get()) != SF_ERR_NO_ERROR)
        throw RenderError("cannot read input " + path + ": " + sf_strerror(file.get()));
    if (audio.Frames() == 0)
        throw RenderError("input " + path + " holds no audio");
    return audio;
}

int OutputFormatFor(const std::string& path)
{
    const std::string extension = Lowercase(std::filesystem::path(path).extension().string());
    if (extension == ".wav")
        return SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    if (extension == ".flac")
        return SF_FORMAT_FLAC | SF_FORMAT_PCM_24;
    if (extension == ".aif" || extension == ".aiff")
        return SF_FORMAT_AIFF | SF_FORMAT_FLOAT;
    throw RenderError("cannot tell the output format of " + path +
                      ": use .wav, .flac, .aif or .aiff");
}

void WriteAudioFile(int descriptor, const std::string& name, int format, const AudioBuffer& audio)
{
    SF_INFO info{};
    info.samplerate = audio.sampleRate;
    info.channels = static_cast<int>(audio.channels.size());
    info.format = format;
    if (sf_format_check(&info) == SF_FALSE)
        throw RenderError("cannot write " + name + ": the format does not allow " +
                          std::to_string(info.channels) + " channels at " +
                          std::to_string(info.samplerate) + " Hz");
    SndfilePtr file(sf_open_fd(descriptor, SFM_WRITE, &info, SF_FALSE));
    if (!file)
        throw RenderError("cannot write " + name + ": " + sf_strerror(nullptr));
    // Integer formats clip instead of wrapping around.
    sf_command(file.get(), SFC_SET_CLIPPING, nullptr, SF_TRUE);
    // No PEAK chunk: it holds the time of writing, so equal renders would differ as files.
    sf_command(file.get(), SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);

    const std::size_t channels = audio.channels.size();
    std::vector<float> interleaved(static_cast<std::size_t>(kFramesPerRead) * channels);
    for (std::size_t start = 0; start < audio.Frames();)
    {
        const std::size_t count =
            std::min<std::size_t>(static_cast<std::size_t>(kFramesPerRead), audio.Frames() - start);
        for (std::size_t i = 0; i < count; ++i)
        {
            for (std::size_t c = 0; c < channels; ++c)
                interleaved[i * channels + c] = audio.channels[c][start + i];
        }
        if (sf_writef_float(file.get(), interleaved.data(), static_cast<sf_count_t>(count)) !=
            static_cast<sf_count_t>(count))
            throw RenderError("cannot write " + name + ": " + sf_strerror(file.get()));
        start += count;
    }
    if (sf_close(file.release()) != 0)
        throw RenderError("cannot write " + name + ": " + sf_strerror(nullptr));
}

} // namespace Kestrune::Render
