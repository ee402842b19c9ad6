// Helpers for the corvane-render tests: run the binary, make and read audio files, and drive
// a plug-in module directly (an independent host) to get reference output.
#pragma once

#include "support/NonCopyable.h"

#include "hostkit/Host.h"

#include "host/vst24.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace RenderTest
{

struct CliResult
{
    int status = -1; // exit status, or 128 + signal
    std::string out;
    std::string err;
};

// Runs corvane-render with the arguments; output and error text are captured.
CliResult RunCli(const std::vector<std::string>& args);
// The same for another copy of the executable (an installed one).
CliResult RunExecutable(const std::string& executable, const std::vector<std::string>& args);
// The exit status and error text, for a failed expectation's message.
std::string Describe(const CliResult& result);
// The 32-bit big-endian value at a byte offset, as preset files store them.
std::int32_t BigEndian(const std::vector<std::uint8_t>& bytes, std::size_t at);

// A fresh folder, removed with everything in it at the end of the test.
class TempDir : TestSupport::NonCopyable
{
public:
    TempDir();
    ~TempDir();

    std::string operator/(const std::string& name) const { return (path / name).string(); }
    // Names of the entries, sorted.
    std::vector<std::string> Entries() const;

private:
    std::filesystem::path path;
};

struct Audio
{
    int sampleRate = 0;
    std::vector<std::vector<float>> channels;
    std::size_t Frames() const { return channels.empty() ? 0 : channels[0].size(); }
};

// 32-bit float WAV.
void WriteWav(const std::string& path, const Audio& audio);
Audio ReadAudio(const std::string& path);
// Deterministic test signal: a different sum of sines per channel, peak below 0.8.
Audio TestSignal(int sampleRate, int channels, std::size_t frames);

std::vector<std::uint8_t> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

struct Midi
{
    std::int64_t frame;
    unsigned char status, data1, data2;
};

// The host library's host over a module, driven directly: time information like a playing
// transport at 120 BPM.
struct DirectModule
{
    explicit DirectModule(const std::string& modulePath) : module(modulePath) {}
    HostKit::Module module;
};

class DirectHost : private DirectModule, public HostKit::Host
{
public:
    explicit DirectHost(const std::string& modulePath);

    AEffect* Record() { return Effect(); }
    std::vector<std::uint8_t> Chunk(bool program) { return GetChunk(program); }
    // effOpen, rate, block; processing resumes.
    void Start(double sampleRate, int blockSize) { Open(sampleRate, blockSize); }
    // Resumes, then processes the input in blocks with the events.
    Audio Process(const Audio& input, int blockSize, std::vector<Midi> events);
};

} // namespace RenderTest
