// Helpers for the corvane-render tests: run the binary, make and read audio files, and drive
// a plug-in module directly (an independent host) to get reference output.
#pragma once

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

// A fresh folder, removed with everything in it at the end of the test.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

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

// A minimal in-process host: loads a module, answers time info like a playing transport.
class DirectHost
{
public:
    explicit DirectHost(const std::string& modulePath);
    ~DirectHost();
    DirectHost(const DirectHost&) = delete;
    DirectHost& operator=(const DirectHost&) = delete;

    VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f);
    AEffect* Record() { return effect; }
    void SetParameter(int index, float value) { effect->setParameter(effect, index, value); }
    std::vector<std::uint8_t> Chunk(bool program);

    // effOpen, rate, block, then resumes; processes the input in blocks with the events.
    void Start(double sampleRate, int blockSize);
    Audio Process(const Audio& input, int blockSize, std::vector<Midi> events);

private:
    void* library = nullptr;
    AEffect* effect = nullptr;
};

} // namespace RenderTest
