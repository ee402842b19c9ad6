#include "render/RenderTestSupport.h"

#include <dlfcn.h>
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
double gSampleRate = 44100.0;
std::int64_t gPosition = 0;
VstTimeInfo gTime{};

VstIntPtr VSTCALLBACK DirectCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    switch (opcode)
    {
    case audioMasterVersion:
        return 2400;
    case audioMasterWantMidi:
        return 1;
    case audioMasterGetTime:
        gTime = {};
        gTime.samplePos = static_cast<double>(gPosition);
        gTime.sampleRate = gSampleRate;
        gTime.tempo = 120.0;
        gTime.ppqPos = static_cast<double>(gPosition) / gSampleRate * 2.0;
        gTime.flags = kVstTransportPlaying | kVstTempoValid | kVstPpqPosValid;
        return reinterpret_cast<VstIntPtr>(&gTime);
    default:
        return 0;
    }
}

} // namespace

CliResult RunCli(const std::vector<std::string>& args)
{
    static int counter = 0;
    const auto logs =
        std::filesystem::temp_directory_path() /
        ("corvane-render-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
    const std::string outPath = logs.string() + ".out";
    const std::string errPath = logs.string() + ".err";

    std::vector<std::string> all = {CORVANE_RENDER_EXE};
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
    if (posix_spawn(&pid, CORVANE_RENDER_EXE, &actions, nullptr, argv.data(), environ) == 0)
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

DirectHost::DirectHost(const std::string& modulePath)
{
    library = dlopen(modulePath.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (library == nullptr)
        throw std::runtime_error("cannot load " + modulePath);
    using Entry = AEffect* (*)(audioMasterCallback);
    auto entry = reinterpret_cast<Entry>(dlsym(library, "VSTPluginMain"));
    effect = entry != nullptr ? entry(DirectCallback) : nullptr;
    if (effect == nullptr)
        throw std::runtime_error("no plug-in in " + modulePath);
}

DirectHost::~DirectHost()
{
    if (effect != nullptr)
    {
        Dispatch(effMainsChanged, 0, 0);
        Dispatch(effClose);
    }
    if (library != nullptr)
        dlclose(library);
}

VstIntPtr DirectHost::Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                               float opt)
{
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

std::vector<std::uint8_t> DirectHost::Chunk(bool program)
{
    void* data = nullptr;
    const VstIntPtr size = Dispatch(effGetChunk, program ? 1 : 0, 0, &data);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return {bytes, bytes + size};
}

void DirectHost::Start(double sampleRate, int blockSize)
{
    gSampleRate = sampleRate;
    Dispatch(effOpen);
    Dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
    Dispatch(effSetBlockSize, 0, blockSize);
}

Audio DirectHost::Process(const Audio& input, int blockSize, std::vector<Midi> events)
{
    Dispatch(effMainsChanged, 0, 1);
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
        std::vector<VstMidiEvent> midi;
        while (next < events.size() &&
               events[next].frame < static_cast<std::int64_t>(position + count))
        {
            VstMidiEvent event{};
            event.type = kVstMidiType;
            event.byteSize = sizeof event;
            event.deltaFrames = static_cast<VstInt32>(events[next].frame - std::int64_t(position));
            event.midiData[0] = events[next].status;
            event.midiData[1] = events[next].data1;
            event.midiData[2] = events[next].data2;
            midi.push_back(event);
            ++next;
        }
        if (!midi.empty())
        {
            struct
            {
                VstInt32 numEvents;
                VstIntPtr reserved;
                VstEvent* events[16];
            } list{static_cast<VstInt32>(midi.size()), 0, {}};
            for (std::size_t i = 0; i < midi.size(); ++i)
                list.events[i] = reinterpret_cast<VstEvent*>(&midi[i]);
            Dispatch(effProcessEvents, 0, 0, &list);
        }
        gPosition = static_cast<std::int64_t>(position);
        float* inputs[] = {left.data() + position, right.data() + position};
        float* outputs[] = {output.channels[0].data() + position,
                            output.channels[1].data() + position};
        effect->processReplacing(effect, inputs, outputs, static_cast<VstInt32>(count));
    }
    return output;
}

} // namespace RenderTest
