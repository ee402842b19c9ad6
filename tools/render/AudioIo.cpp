#include "AudioIo.h"

#include "RenderError.h"

#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace Kestrune::Render
{

namespace
{

struct SndfileCloser
{
    void operator()(SNDFILE* file) const { sf_close(file); }
};
using SndfilePtr = std::unique_ptr<SNDFILE, SndfileCloser>;

std::string Lowercase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

class AudioFileReader final : public AudioSource
{
public:
    AudioFileReader(SndfilePtr sndfile, const SF_INFO& format, std::string name)
        : file(std::move(sndfile)), info(format), path(std::move(name))
    {
    }

    int SampleRate() const override { return info.samplerate; }
    int ChannelCount() const override { return info.channels; }
    std::int64_t Frames() const override { return info.frames; }

    std::size_t Read(Channels& channels, std::size_t frames) override
    {
        const auto count = static_cast<std::size_t>(info.channels);
        interleaved.resize(frames * count);
        const sf_count_t read =
            sf_readf_float(file.get(), interleaved.data(), static_cast<sf_count_t>(frames));
        if (read < 0 || sf_error(file.get()) != SF_ERR_NO_ERROR)
            throw RenderError("cannot read input " + path + ": " + sf_strerror(file.get()));
        const auto done = static_cast<std::size_t>(read);
        channels.resize(count);
        for (std::size_t c = 0; c < count; ++c)
        {
            channels[c].resize(frames);
            for (std::size_t i = 0; i < done; ++i)
                channels[c][i] = interleaved[i * count + c];
        }
        return done;
    }

private:
    SndfilePtr file;
    SF_INFO info;
    std::string path;
    std::vector<float> interleaved;
};

} // namespace

std::unique_ptr<AudioSource> OpenAudioFile(const std::string& path)
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
    return std::make_unique<AudioFileReader>(std::move(file), info, path);
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

bool FormatClips(int format)
{
    const int sub = format & SF_FORMAT_SUBMASK;
    return sub != SF_FORMAT_FLOAT && sub != SF_FORMAT_DOUBLE;
}

struct AudioWriter::File
{
    SndfilePtr sndfile;
    std::size_t channels = 0;
};

AudioWriter::AudioWriter(int descriptor, const std::string& fileName, int format, int sampleRate,
                         int channels)
    : file(std::make_unique<File>()), name(fileName)
{
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = channels;
    info.format = format;
    if (sf_format_check(&info) == SF_FALSE)
        throw RenderError("cannot write " + name + ": the format does not allow " +
                          std::to_string(info.channels) + " channels at " +
                          std::to_string(info.samplerate) + " Hz");
    file->sndfile.reset(sf_open_fd(descriptor, SFM_WRITE, &info, SF_FALSE));
    if (!file->sndfile)
        throw RenderError("cannot write " + name + ": " + sf_strerror(nullptr));
    file->channels = static_cast<std::size_t>(channels);
    // Integer formats clip instead of wrapping around.
    sf_command(file->sndfile.get(), SFC_SET_CLIPPING, nullptr, SF_TRUE);
    // No PEAK chunk: it holds the time of writing, so equal renders would differ as files.
    sf_command(file->sndfile.get(), SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
}

AudioWriter::~AudioWriter() = default;

void AudioWriter::Write(const std::vector<const float*>& channels, std::size_t frames)
{
    const std::size_t count = file->channels;
    interleaved.resize(frames * count);
    for (std::size_t i = 0; i < frames; ++i)
    {
        for (std::size_t c = 0; c < count; ++c)
            interleaved[i * count + c] = channels[c][i];
    }
    if (sf_writef_float(file->sndfile.get(), interleaved.data(), static_cast<sf_count_t>(frames)) !=
        static_cast<sf_count_t>(frames))
        throw RenderError("cannot write " + name + ": " + sf_strerror(file->sndfile.get()));
}

void AudioWriter::Close()
{
    if (sf_close(file->sndfile.release()) != 0)
        throw RenderError("cannot write " + name + ": " + sf_strerror(nullptr));
}

} // namespace Kestrune::Render
