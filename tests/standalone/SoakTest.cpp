// Soak test: long audio at 44100 Hz through the built module, faster than real time, with random
// automation of every parameter, program switches, chunk saves and loads (some corrupted), MIDI
// controllers 1, 11, 64 and 120 to 125, pressure, notes, pitch bend and sys-ex, tempo changes
// and block sizes from 1 to 4096 with a few up to 40000. The input stays within +-1.
//
// The audio alternates between 30-second segments of two kinds, each reported with its peak:
// - host range: every value a host or the editor sends (0 to 1; NaN and infinities, which are
//   refused); each such segment starts from a bank of random values in that range.
// - extreme: values outside 0 to 1 as well, up to the largest floats, in automation, in stored
//   programs and in damaged chunks, and absurd tempos.
// In both, every output sample must be finite and below 100 in magnitude.
// Resident memory must not grow after the warm-up.
//
//   corvane_soak [--audio-seconds S] [--seed N] [--no-memory-check]
//
// The full hour by hand: build/release/tests/standalone/corvane_soak --audio-seconds 3600
#include "ModuleHost.h"
#include "phaser/Product.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

using Standalone::ModuleHost;

namespace
{

constexpr double kSampleRate = 44100.0;
constexpr int kMaxFrames = 40000;
constexpr long kSegmentFrames = 30 * 44100;
constexpr float kBound = 100.0f;
constexpr std::size_t kMemoryMargin = 2u << 20; // bytes
constexpr int kParameters = Kestrune::Product::kParameterCount;
constexpr std::size_t kHeaderBytes = 164;
constexpr std::size_t kNameBytes = 24;

struct Options
{
    double audioSeconds = 60.0;
    unsigned seed = 1;
    bool memoryCheck = true;
};

struct Counts
{
    long blocks = 0;
    long events = 0;
    long automation = 0;
    long programSwitches = 0;
    long chunkLoads = 0;
    long refusedChunks = 0;
    float hostRangePeak = 0.0f;
    float extremePeak = 0.0f;
};

class Soak
{
public:
    explicit Soak(const Options& options)
        : rng(options.seed), inL(kMaxFrames), inR(kMaxFrames), outL(kMaxFrames), outR(kMaxFrames)
    {
    }

    bool Load() { return host.Load(CORVANE_MODULE_PATH, static_cast<float>(kSampleRate), 4096); }

    // One block with everything that precedes it; false when an output breaks the rules.
    bool Block()
    {
        const bool extreme = (position / kSegmentFrames) % 2 == 1;
        if (extreme != inExtremeSegment || position == 0)
            StartSegment(extreme);
        const int frames = BlockSize();
        Automate();
        if (Chance(0.01))
            SwitchProgram();
        if (Chance(0.005))
            ChunkRoundTrip();
        if (Chance(0.01))
            ChangeTempo();
        AddMidi(frames);
        FillInput(frames);

        host.SendEvents();
        float* inputs[2] = {inL.data(), inR.data()};
        float* outputs[2] = {outL.data(), outR.data()};
        host.ProcessReplacing(inputs, outputs, frames);
        host.time.samplePos += frames;
        host.time.ppqPos += frames / kSampleRate * Tempo() / 60.0;
        position += frames;
        ++counts.blocks;
        return Check(frames);
    }

    long Position() const { return position; }
    const Counts& GetCounts() const { return counts; }

    // The last actions before the current block, for the report of a failure.
    void PrintRecentActions() const
    {
        for (std::size_t i = 0; i < recent.size(); ++i)
            if (!recent[(recentNext + i) % recent.size()].empty())
                std::fprintf(stderr, "  %s\n", recent[(recentNext + i) % recent.size()].c_str());
    }

private:
    void Note(const char* format, ...) __attribute__((format(printf, 2, 3)))
    {
        char line[160];
        const int head = std::snprintf(line, sizeof line, "%.4f s: ", position / kSampleRate);
        std::va_list args;
        va_start(args, format);
        std::vsnprintf(line + head, sizeof line - static_cast<std::size_t>(head), format, args);
        va_end(args);
        recent[recentNext] = line;
        recentNext = (recentNext + 1) % recent.size();
    }

    bool Chance(double p) { return std::uniform_real_distribution<double>(0.0, 1.0)(rng) < p; }
    int Uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); }
    float Unit() { return std::uniform_real_distribution<float>(0.0f, 1.0f)(rng); }
    double Tempo() const { return std::isfinite(host.time.tempo) ? host.time.tempo : 120.0; }

    // A host-range segment starts from a bank of random values within 0..1 and a clean program
    // switch; an extreme segment starts from where the last one left off.
    void StartSegment(bool extreme)
    {
        inExtremeSegment = extreme;
        Note("%s segment", extreme ? "extreme" : "host-range");
        if (extreme)
            return;
        void* data = nullptr;
        const VstIntPtr size = host.Dispatch(effGetChunk, 0, 0, &data);
        chunk.assign(static_cast<char*>(data), static_cast<char*>(data) + size);
        for (std::size_t record = kHeaderBytes; record + kNameBytes <= chunk.size();
             record += kNameBytes + 4 * kParameters)
        {
            for (int p = 0; p < kParameters; ++p)
            {
                const float value = Unit();
                std::memcpy(&chunk[record + kNameBytes + 4 * static_cast<std::size_t>(p)], &value,
                            4);
            }
        }
        if (host.Dispatch(effSetChunk, 0, size, chunk.data()) != 1)
        {
            std::fprintf(stderr, "soak: a bank of values within 0..1 was refused\n");
            std::exit(1);
        }
        host.Dispatch(effSetProgram, 0, Uniform(0, 31));
        host.time.tempo = 120.0;
    }

    int BlockSize() { return Chance(0.002) ? Uniform(4097, kMaxFrames) : Uniform(1, 4096); }

    float Value()
    {
        const int kind = Uniform(0, inExtremeSegment ? 99 : 79);
        if (kind < 65)
            return Unit();
        if (kind < 72)
            return Uniform(0, 1) == 0 ? 0.0f : 1.0f;
        if (kind < 80)
        {
            static constexpr float kNonFinite[] = {std::numeric_limits<float>::quiet_NaN(),
                                                   std::numeric_limits<float>::infinity(),
                                                   -std::numeric_limits<float>::infinity()};
            return kNonFinite[Uniform(0, 2)];
        }
        if (kind < 90)
            return std::uniform_real_distribution<float>(-2.0f, 3.0f)(rng);
        static constexpr float kHuge[] = {1e6f,
                                          -1e6f,
                                          1e30f,
                                          -1e30f,
                                          std::numeric_limits<float>::max(),
                                          -std::numeric_limits<float>::max()};
        return kHuge[Uniform(0, 5)];
    }

    void Automate()
    {
        if (!Chance(0.5))
            return;
        for (int n = Uniform(1, 3); n > 0; --n)
        {
            // Now and then an index no parameter has.
            const int index = Chance(0.02) ? Uniform(-3, 20) : Uniform(0, kParameters - 1);
            const float value = Value();
            host.SetParameter(index, value);
            Note("parameter %d = %g", index, static_cast<double>(value));
            ++counts.automation;
        }
    }

    void SwitchProgram()
    {
        const int program = Chance(0.1) ? Uniform(-5, 100) : Uniform(0, 31);
        host.Dispatch(effSetProgram, 0, program);
        Note("program %d", program);
        ++counts.programSwitches;
    }

    // Saves the program or the bank and loads it back, sometimes damaged: one byte changed (in
    // the host range only in the header, which keeps the values in range) or cut short.
    void ChunkRoundTrip()
    {
        const bool preset = Chance(0.5);
        void* data = nullptr;
        const VstIntPtr size = host.Dispatch(effGetChunk, preset ? 1 : 0, 0, &data);
        chunk.assign(static_cast<char*>(data), static_cast<char*>(data) + size);
        const bool corrupt = Chance(0.3);
        if (corrupt)
        {
            const int last = static_cast<int>(inExtremeSegment ? size : kHeaderBytes) - 1;
            if (Chance(0.5))
                chunk[static_cast<std::size_t>(Uniform(0, last))] ^= 0x5A;
            else
                chunk.resize(static_cast<std::size_t>(Uniform(0, static_cast<int>(size) - 1)));
        }
        const VstIntPtr loaded = host.Dispatch(effSetChunk, preset ? 1 : 0,
                                               static_cast<VstIntPtr>(chunk.size()), chunk.data());
        ++counts.chunkLoads;
        Note("%s%s chunk of %zu bytes: %s", corrupt ? "damaged " : "", preset ? "program" : "bank",
             chunk.size(), loaded == 1 ? "loaded" : "refused");
        if (loaded == 0)
            ++counts.refusedChunks;
        if (!corrupt && loaded != 1)
        {
            std::fprintf(stderr, "soak: the plug-in refused its own %s chunk\n",
                         preset ? "program" : "bank");
            std::exit(1);
        }
    }

    void ChangeTempo()
    {
        const int kind = Uniform(0, 19);
        if (kind == 0)
            host.time.tempo = 0.0;
        else if (kind == 1)
            host.time.tempo = std::numeric_limits<double>::quiet_NaN();
        else if (kind == 2)
            host.time.ppqPos = 0.0; // the transport jumps back
        else if (kind == 3 && inExtremeSegment)
            host.time.tempo = 1e9;
        else
            host.time.tempo = Uniform(40, 240);
        Note("tempo %g, position %g", host.time.tempo, host.time.ppqPos);
    }

    void AddMidi(int frames)
    {
        static constexpr std::uint8_t kControllers[] = {1, 11, 64, 120, 121, 122, 123, 124, 125};
        for (int n = Uniform(0, 6); n > 0; --n)
        {
            const std::int32_t offset =
                Chance(0.05) ? Uniform(-10, frames + 10) : Uniform(0, frames - 1);
            const auto channel = static_cast<std::uint8_t>(Uniform(0, 15));
            const auto value = static_cast<std::uint8_t>(Uniform(0, 127));
            const auto second = static_cast<std::uint8_t>(Uniform(0, 127));
            // Pressure, note on, note off, pitch bend; the second data byte where they have one.
            static constexpr struct
            {
                std::uint8_t status;
                bool twoBytes;
            } kMessages[] = {{0xD0, false}, {0x90, true}, {0x80, false}, {0xE0, true}};
            const int kind = Uniform(0, 6);
            if (kind <= 1)
                host.AddMidi(offset, 0xB0 | channel, kControllers[Uniform(0, 8)], value);
            else if (kind == 6)
                host.AddSysex(offset);
            else
            {
                const auto& message = kMessages[kind - 2];
                host.AddMidi(offset, message.status | channel, value,
                             message.twoBytes ? second : 0);
            }
            ++counts.events;
        }
    }

    // A slow sweep, noise and now and then a full-scale click: always within +-1.
    void FillInput(int frames)
    {
        std::uniform_real_distribution<float> noise(-0.3f, 0.3f);
        for (int i = 0; i < frames; ++i)
        {
            const double t = static_cast<double>(position + i) / kSampleRate;
            const double hz = 110.0 + 50.0 * std::sin(0.1 * t);
            const auto sweep = static_cast<float>(0.6 * std::sin(2.0 * 3.141592653589793 * hz * t));
            const auto k = static_cast<std::size_t>(i);
            inL[k] = std::clamp(sweep + noise(rng), -1.0f, 1.0f);
            inR[k] =
                (position + i) % 4410 == 0 ? 1.0f : std::clamp(-sweep + noise(rng), -1.0f, 1.0f);
        }
    }

    bool Check(int frames)
    {
        float& peak = inExtremeSegment ? counts.extremePeak : counts.hostRangePeak;
        for (int i = 0; i < frames; ++i)
        {
            const auto k = static_cast<std::size_t>(i);
            const float l = outL[k], r = outR[k];
            if (!std::isfinite(l) || !std::isfinite(r) || std::fabs(l) >= kBound ||
                std::fabs(r) >= kBound)
            {
                const long at = position - frames + i;
                std::fprintf(stderr, "soak: sample %ld (%.3f s, %s segment): output %g, %g\n", at,
                             static_cast<double>(at) / kSampleRate,
                             inExtremeSegment ? "extreme" : "host-range", static_cast<double>(l),
                             static_cast<double>(r));
                std::fprintf(stderr, "soak: program %ld, parameters:",
                             static_cast<long>(host.Dispatch(effGetProgram)));
                for (int p = 0; p < kParameters; ++p)
                    std::fprintf(stderr, " %g", static_cast<double>(host.GetParameter(p)));
                std::fprintf(stderr, "\n");
                return false;
            }
            peak = std::max({peak, std::fabs(l), std::fabs(r)});
        }
        return true;
    }

    ModuleHost host;
    std::mt19937 rng;
    std::vector<float> inL, inR, outL, outR;
    std::vector<char> chunk;
    long position = 0;
    bool inExtremeSegment = false;
    Counts counts;
    std::vector<std::string> recent = std::vector<std::string>(48);
    std::size_t recentNext = 0;
};

bool ParseOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i)
    {
        const std::string arg = argv[i];
        if (arg == "--audio-seconds" && i + 1 < argc)
            options.audioSeconds = std::atof(argv[++i]);
        else if (arg == "--seed" && i + 1 < argc)
            options.seed = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
        else if (arg == "--no-memory-check")
            options.memoryCheck = false;
        else
            return false;
    }
    return options.audioSeconds > 0.0;
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, options))
    {
        std::fprintf(stderr,
                     "usage: corvane_soak [--audio-seconds S] [--seed N] [--no-memory-check]\n");
        return 2;
    }
    Soak soak(options);
    if (!soak.Load())
        return 1;

    const auto total = static_cast<long>(options.audioSeconds * kSampleRate);
    // Warm-up: by then both kinds of segment, programs, chunks and buffers have been used.
    const long warmUp = std::min(total / 10, 2 * kSegmentFrames);
    std::size_t residentAfterWarmUp = 0;
    const auto start = std::chrono::steady_clock::now();
    while (soak.Position() < total)
    {
        if (!soak.Block())
        {
            std::fprintf(stderr, "soak: the last actions before:\n");
            soak.PrintRecentActions();
            return 1;
        }
        if (residentAfterWarmUp == 0 && soak.Position() >= warmUp)
            residentAfterWarmUp = Standalone::ResidentBytes();
    }
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const std::size_t residentAtEnd = Standalone::ResidentBytes();

    const Counts& c = soak.GetCounts();
    const double audio = static_cast<double>(soak.Position()) / kSampleRate;
    std::printf(
        "soak: %.0f s of audio in %.1f s (%.0fx real time), seed %u: %ld blocks, %ld events, "
        "%ld automation values, %ld program switches, %ld chunk loads (%ld refused)\n",
        audio, wall, audio / wall, options.seed, c.blocks, c.events, c.automation,
        c.programSwitches, c.chunkLoads, c.refusedChunks);
    std::printf("soak: peak |output| %.3f in host-range segments, %.3f in extreme segments\n",
                static_cast<double>(c.hostRangePeak), static_cast<double>(c.extremePeak));
    std::printf("soak: resident memory %.2f MiB after warm-up, %.2f MiB at the end\n",
                static_cast<double>(residentAfterWarmUp) / 1048576.0,
                static_cast<double>(residentAtEnd) / 1048576.0);
    if (options.memoryCheck && residentAtEnd > residentAfterWarmUp + kMemoryMargin)
    {
        std::fprintf(stderr, "soak: resident memory grew by %.2f MiB (allowed %.2f MiB)\n",
                     static_cast<double>(residentAtEnd - residentAfterWarmUp) / 1048576.0,
                     static_cast<double>(kMemoryMargin) / 1048576.0);
        return 1;
    }
    return 0;
}
