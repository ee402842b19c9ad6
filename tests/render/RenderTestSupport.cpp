#include "render/RenderTestSupport.h"

#include <fcntl.h>
#include <sndfile.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <numbers>
#include <stdexcept>

extern char** environ;

namespace RenderTest
{

namespace
{

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Time info of the direct host: tempo 120 from song position 0, playing.

} // namespace

std::string Describe(const CliResult& result)
{
    return "status " + std::to_string(result.status) + ", stderr: " + result.err;
}

std::int32_t BigEndian(const std::vector<std::uint8_t>& bytes, std::size_t at)
{
    return static_cast<std::int32_t>(
        (std::uint32_t(bytes.at(at)) << 24) | (std::uint32_t(bytes.at(at + 1)) << 16) |
        (std::uint32_t(bytes.at(at + 2)) << 8) | std::uint32_t(bytes.at(at + 3)));
}

CliResult RunCli(const std::vector<std::string>& args)
{
    return RunExecutable(CORVANE_RENDER_EXE, args);
}

CliResult RunExecutable(const std::string& executable, const std::vector<std::string>& args)
{
    static int counter = 0;
    const auto logs =
        std::filesystem::temp_directory_path() /
        ("corvane-render-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
    const std::string outPath = logs.string() + ".out";
    const std::string errPath = logs.string() + ".err";

    std::vector<std::string> all = {executable};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : all)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    pid_t pid = 0;
    CliResult result;
    if (posix_spawn(&pid, executable.c_str(), &actions, nullptr, argv.data(), environ) == 0)
    {
        int status = 0;
        waitpid(pid, &status, 0);
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    result.out = ReadText(outPath);
    result.err = ReadText(errPath);
    std::filesystem::remove(outPath);
    std::filesystem::remove(errPath);
    return result;
}

TempDir::TempDir()
{
    std::string pattern =
        (std::filesystem::temp_directory_path() / "corvane-render-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    path = pattern;
}

TempDir::~TempDir()
{
    std::error_code error;
    std::filesystem::remove_all(path, error);
}

std::vector<std::string> TempDir::Entries() const
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void WriteWav(const std::string& path, const Audio& audio)
{
    SF_INFO info{};
    info.samplerate = audio.sampleRate;
    info.channels = static_cast<int>(audio.channels.size());
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr)
        throw std::runtime_error("cannot write " + path);
    std::vector<float> interleaved;
    for (std::size_t i = 0; i < audio.Frames(); ++i)
    {
        for (const auto& channel : audio.channels)
            interleaved.push_back(channel[i]);
    }
    sf_writef_float(file, interleaved.data(), static_cast<sf_count_t>(audio.Frames()));
    sf_close(file);
}

Audio ReadAudio(const std::string& path)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr)
        throw std::runtime_error("cannot read " + path);
    std::vector<float> interleaved(static_cast<std::size_t>(info.frames * info.channels));
    sf_readf_float(file, interleaved.data(), info.frames);
    sf_close(file);
    Audio audio;
    audio.sampleRate = info.samplerate;
    audio.channels.assign(static_cast<std::size_t>(info.channels), {});
    for (std::size_t i = 0; i < interleaved.size(); ++i)
        audio.channels[i % audio.channels.size()].push_back(interleaved[i]);
    return audio;
}

Audio TestSignal(int sampleRate, int channels, std::size_t frames)
{
    Audio audio;
    audio.sampleRate = sampleRate;
    for (int c = 0; c < channels; ++c)
    {
        std::vector<float> samples(frames);
        for (std::size_t i = 0; i < frames; ++i)
        {
            const double t = static_cast<double>(i) / sampleRate;
            samples[i] =
                static_cast<float>(0.4 * std::sin(2 * std::numbers::pi * (220.0 + 110.0 * c) * t) +
                                   0.3 * std::sin(2 * std::numbers::pi * 1375.0 * t + c));
        }
        audio.channels.push_back(std::move(samples));
    }
    return audio;
}

std::vector<std::uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

DirectHost::DirectHost(const std::string& modulePath) : DirectModule(modulePath), Host(module)
{
    advanceTime = false;
    CreateOrThrow(modulePath);
}

Audio DirectHost::Process(const Audio& input, int blockSize, std::vector<Midi> events)
{
    Resume();
    const std::size_t frames = input.Frames();
    std::vector<float> left = input.channels[0];
    std::vector<float> right = input.channels.back();
    Audio output;
    output.sampleRate = input.sampleRate;
    output.channels.assign(2, std::vector<float>(frames));
    std::size_t next = 0;
    for (std::size_t position = 0; position < frames; position += std::size_t(blockSize))
    {
        const auto count = std::min<std::size_t>(std::size_t(blockSize), frames - position);
        for (; next < events.size() &&
               events[next].frame < static_cast<std::int64_t>(position + count);
             ++next)
            AddMidi(static_cast<int>(events[next].frame - std::int64_t(position)),
                    events[next].status, events[next].data1, events[next].data2);
        SetTimeAt(static_cast<std::int64_t>(position), 120.0, 0.0);
        float* inputs[] = {left.data() + position, right.data() + position};
        float* outputs[] = {output.channels[0].data() + position,
                            output.channels[1].data() + position};
        Host::Process(inputs, outputs, static_cast<int>(count));
    }
    return output;
}

} // namespace RenderTest
