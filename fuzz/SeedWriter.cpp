// Writes the seed corpora the fuzz targets start from: corvane_fuzz_seeds OUTPUT_DIR writes
// OUTPUT_DIR/<target>/<seed> for fuzz_chunks, fuzz_dispatcher and fuzz_events, and the two
// parameter-list preset files ('FxCk', 'FxBk') for fuzz_preset_file. The chunk preset files
// come from corvane-render itself (see README.md).
#include "FuzzHost.h"
#include "phaser/Product.h"

#include "hostkit/PresetFile.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>

namespace Product = Kestrune::Product;

namespace
{

namespace fs = std::filesystem;
using Fuzz::ByteWriter;
using Fuzz::EventList;

void Save(const fs::path& directory, const char* name, const std::vector<std::uint8_t>& bytes)
{
    fs::create_directories(directory);
    std::ofstream file(directory / name, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    std::printf("%s/%s (%zu bytes)\n", directory.c_str(), name, bytes.size());
}

// Chunks of a plug-in whose program 3 was renamed and given values in and outside 0..1.
void EditedChunks(std::vector<std::uint8_t>& program, std::vector<std::uint8_t>& bank)
{
    Fuzz::FuzzHost host;
    host.Dispatch(effSetProgram, 0, 3);
    char name[] = "Seed Sweep";
    host.Dispatch(effSetProgramName, 0, 0, name);
    const float values[] = {0.35f, 0.4f, 1.0f, 0.3f, 0.0f,  1.0f, 0.8f,
                            0.6f,  0.2f, 0.7f, 1.0f, 1.25f, 0.0f};
    for (int i = 0; i < 13; ++i)
        host.SetParameter(i, values[i]);
    program = host.GetChunk(true);
    bank = host.GetChunk(false);
}

void ChunkSeeds(const fs::path& out)
{
    const fs::path dir = out / "fuzz_chunks";
    {
        Fuzz::FuzzHost host;
        Save(dir, "program-default", host.GetChunk(true));
        Save(dir, "bank-default", host.GetChunk(false));
    }
    std::vector<std::uint8_t> program, bank;
    EditedChunks(program, bank);
    Save(dir, "program-edited", program);
    Save(dir, "bank-edited", bank);
}

// Dispatcher stream records (see DispatcherFuzzer.cpp).
void Dispatch(ByteWriter& w, VstInt32 opcode, VstInt32 index = 0, std::int64_t value = 0,
              float opt = 0.0f, const std::vector<std::uint8_t>& fill = {}, bool withBuffer = true)
{
    w.Write<std::uint8_t>(0);
    if (opcode >= -127 && opcode <= 127)
        w.Write(static_cast<std::int8_t>(opcode));
    else
    {
        w.Write(static_cast<std::int8_t>(INT8_MIN));
        w.Write(opcode);
    }
    w.Write(index);
    w.Write(value);
    w.WriteFloat(opt);
    w.Write<std::uint8_t>(withBuffer ? 1 : 0);
    w.Write(static_cast<std::uint16_t>(fill.size()));
    w.WriteBytes(fill.data(), fill.size());
}

std::vector<std::uint8_t> Text(const char* text)
{
    return {text, text + std::strlen(text) + 1};
}

void Process(ByteWriter& w, std::int16_t frames)
{
    w.Write<std::uint8_t>(3);
    w.Write(frames);
}

void SetParameter(ByteWriter& w, std::int8_t index, float value)
{
    w.Write<std::uint8_t>(4);
    w.Write(index);
    w.WriteFloat(value);
}

void DispatcherSeeds(const fs::path& out)
{
    const fs::path dir = out / "fuzz_dispatcher";
    std::vector<std::uint8_t> program, bank;
    EditedChunks(program, bank);
    {
        // What a host does after loading: names, texts, capabilities, a program, audio.
        ByteWriter w;
        for (VstInt32 opcode : {effGetEffectName, effGetVendorString, effGetProductString})
            Dispatch(w, opcode);
        Dispatch(w, effGetVendorVersion);
        Dispatch(w, effGetPlugCategory);
        Dispatch(w, effGetVstVersion);
        for (const char* can :
             {"receiveVstEvents", "receiveVstMidiEvent", "receiveVstTimeInfo", "sendVstEvents", ""})
            Dispatch(w, effCanDo, 0, 0, 0.0f, Text(can));
        for (VstInt32 p = 0; p < 13; ++p)
        {
            Dispatch(w, effGetParamName, p);
            Dispatch(w, effGetParamDisplay, p);
            Dispatch(w, effGetParamLabel, p);
            Dispatch(w, effCanBeAutomated, p);
        }
        for (VstInt32 p = 0; p < 32; p += 7)
            Dispatch(w, effGetProgramNameIndexed, p);
        Dispatch(w, effSetProgram, 0, 5);
        Dispatch(w, effSetProgramName, 0, 0, 0.0f, Text("Host Program"));
        Dispatch(w, effGetProgramName);
        Dispatch(w, effGetProgram);
        Process(w, 512);
        SetParameter(w, Product::kMix, 1.0f);
        SetParameter(w, Product::kFeedback, 0.9f);
        SetParameter(w, Product::kStageMode, 1.0f);
        Process(w, 4096);
        w.Write<std::uint8_t>(5); // getParameter
        w.Write<std::int8_t>(11);
        w.Write<std::uint8_t>(7); // chunk round trip, bank
        w.Write<std::uint8_t>(0);
        w.Write<std::uint8_t>(7); // chunk round trip, program
        w.Write<std::uint8_t>(1);
        Dispatch(w, effMainsChanged, 0, 0);
        Dispatch(w, effSetSampleRate, 0, 0, 96000.0f);
        Dispatch(w, effSetBlockSize, 0, 64);
        Dispatch(w, effMainsChanged, 0, 1);
        Process(w, 64);
        Dispatch(w, effEditGetRect);
        Dispatch(w, effEditIdle);
        Dispatch(w, effEditClose);
        Save(dir, "host-session", w.bytes);
    }
    {
        // Chunks handed over through the dispatcher, as hosts restore a project.
        ByteWriter w;
        Dispatch(w, effSetChunk, 0, static_cast<std::int64_t>(bank.size()), 0.0f, bank);
        Process(w, 1000);
        Dispatch(w, effSetProgram, 0, 3);
        Dispatch(w, effSetChunk, 1, static_cast<std::int64_t>(program.size()), 0.0f, program);
        Process(w, 1000);
        Dispatch(w, effGetChunk, 1);
        Dispatch(w, effGetChunk, 0);
        Save(dir, "set-chunks", w.bytes);
    }
    {
        // Requests no host should make.
        ByteWriter w;
        Dispatch(w, effSetProgram, 0, -1);
        Dispatch(w, effSetProgram, 0, 32);
        Dispatch(w, effGetProgramNameIndexed, -5);
        Dispatch(w, effGetParamDisplay, 13);
        Dispatch(w, effGetParamName, -1);
        Dispatch(w, effSetSampleRate, 0, 0, std::numeric_limits<float>::quiet_NaN());
        Dispatch(w, effSetSampleRate, 0, 0, 0.0f);
        Dispatch(w, effSetBlockSize, 0, -1);
        Dispatch(w, effSetChunk, 1, 100, 0.0f, {1, 2, 3});
        Dispatch(w, effSetChunk, 0, -1);
        Dispatch(w, 80);
        Dispatch(w, 1000000);
        Dispatch(w, -1);
        Dispatch(w, effString2Parameter, 0, 0, 0.0f, Text("0.5"));
        Dispatch(w, effSetSpeakerArrangement, 0, 1);
        Dispatch(w, effGetSpeakerArrangement, 0, 1);
        Dispatch(w, effEditKeyDown, 65, 0, 1e30f);
        Dispatch(w, effVendorSpecific, 0, 0, 0.0f, {}, false);
        SetParameter(w, Product::kMix, 1e30f);
        SetParameter(w, Product::kDepth, -3.0f);
        SetParameter(w, Product::kLeftFrequency, std::numeric_limits<float>::infinity());
        SetParameter(w, Product::kParameterCount, 0.5f);
        Process(w, 20000);
        Process(w, -5);
        Process(w, 0);
        Save(dir, "bad-requests", w.bytes);
    }
}

// Event stream records (see EventFuzzer.cpp).
void Time(ByteWriter& w, double samplePos, double sampleRate, double ppqPos, double tempo,
          std::int32_t flags, bool provide = true)
{
    w.Write<std::uint8_t>(0);
    w.Write<std::uint8_t>(63);
    w.WriteDouble(samplePos);
    w.WriteDouble(sampleRate);
    w.WriteDouble(ppqPos);
    w.WriteDouble(tempo);
    w.Write(flags);
    w.Write<std::uint8_t>(provide ? 0 : 1);
}

void ProcessEvents(ByteWriter& w, std::uint16_t frames)
{
    w.Write<std::uint8_t>(2);
    w.Write(frames);
}

void Parameter(ByteWriter& w, std::uint8_t index, float value)
{
    w.Write<std::uint8_t>(3);
    w.Write(index);
    w.WriteFloat(value);
}

struct Midi
{
    std::int32_t delta;
    std::uint8_t status, data1, data2;
};

void Events(ByteWriter& w, std::initializer_list<Midi> list)
{
    w.Write<std::uint8_t>(1);
    w.Write(static_cast<std::uint8_t>(list.size()));
    for (const Midi& m : list)
        EventList::WriteMidi(w, m.delta, m.status, m.data1, m.data2);
}

void EventSeeds(const fs::path& out)
{
    const fs::path dir = out / "fuzz_events";
    constexpr std::int32_t kFlags = kVstTransportPlaying | kVstTempoValid | kVstPpqPosValid;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    {
        // Controllers, pressure, notes and pitch bend inside blocks, with the wheel as source.
        ByteWriter w;
        Parameter(w, Product::kSweepSource, 0.67f);
        Time(w, 0.0, 44100.0, 0.0, 120.0, kFlags);
        Events(w, {{0, 0xB0, 1, 100},
                   {64, 0xB0, 11, 90},
                   {128, 0xB0, 64, 127},
                   {200, 0xD0, 80, 0},
                   {256, 0x90, 60, 100},
                   {300, 0xE0, 0, 64},
                   {400, 0x80, 60, 0},
                   {511, 0xB0, 1, 0}});
        ProcessEvents(w, 512);
        Events(w, {{0, 0xB3, 120, 0},
                   {10, 0xB3, 121, 0},
                   {20, 0xB3, 123, 0},
                   {30, 0xBF, 124, 0},
                   {40, 0xB0, 125, 0},
                   {50, 0xDF, 127, 0}});
        ProcessEvents(w, 512);
        Save(dir, "controllers", w.bytes);
    }
    {
        // Tempo sync with tempo 0, NaN and infinite tempo, huge and negative positions.
        ByteWriter w;
        Parameter(w, Product::kLfoSync, 1.0f);
        Parameter(w, Product::kLfoSyncResolution, 0.3f);
        Time(w, 0.0, 44100.0, 0.0, 0.0, kFlags);
        ProcessEvents(w, 1024);
        Time(w, 1e300, 44100.0, nan, inf, kFlags);
        ProcessEvents(w, 1024);
        Time(w, -1e300, nan, 1e300, -120.0, kFlags);
        ProcessEvents(w, 1024);
        Time(w, 0.0, 0.0, 4.0, 1e30, 0, false);
        ProcessEvents(w, 1024);
        Save(dir, "time-info", w.bytes);
    }
    {
        // Offsets below zero, beyond the block and at its end; a block longer than 16384.
        ByteWriter w;
        Events(w, {{-100, 0xB0, 1, 127},
                   {INT32_MAX, 0xD0, 10, 0},
                   {INT32_MIN, 0xB0, 11, 5},
                   {20000, 0xB0, 1, 0},
                   {19999, 0xD0, 127, 0}});
        ProcessEvents(w, 20000);
        Events(w, {{5, 0xB0, 1, 64}, {3, 0xB0, 1, 10}, {1, 0xB0, 1, 127}});
        ProcessEvents(w, 1);
        ProcessEvents(w, 0);
        ProcessEvents(w, 16385);
        Save(dir, "offsets", w.bytes);
    }
    {
        // More events than the queue holds before one block, then sys-ex and unknown types.
        ByteWriter w;
        w.Write<std::uint8_t>(4);
        w.Write<std::uint16_t>(5000);
        EventList::WriteMidi(w, 0, 0xB0, 1, 64);
        ProcessEvents(w, 256);
        w.Write<std::uint8_t>(1);
        w.Write<std::uint8_t>(3);
        w.Write<std::uint8_t>(5); // sys-ex
        w.Write<std::int32_t>(8);
        w.Write<std::uint8_t>(0xF0);
        w.Write<std::uint8_t>(16);
        w.Write<std::uint8_t>(0);
        w.Write<std::uint8_t>(6); // null entry
        w.Write<std::int32_t>(0);
        w.Write<std::uint8_t>(0);
        w.Write<std::uint8_t>(0);
        w.Write<std::uint8_t>(0);
        w.Write<std::uint8_t>(7); // unknown type
        w.Write<std::int32_t>(9);
        w.Write<std::uint8_t>(99);
        w.Write<std::uint8_t>(32);
        w.Write<std::uint8_t>(0);
        ProcessEvents(w, 256);
        Save(dir, "flood-and-types", w.bytes);
    }
    {
        // Sample-rate changes (0, NaN, the smallest subnormal, huge) between blocks.
        ByteWriter w;
        for (float rate : {0.0f, std::numeric_limits<float>::quiet_NaN(), 1e-45f, 1e30f, 8000.0f})
        {
            w.Write<std::uint8_t>(5);
            w.WriteFloat(rate);
            ProcessEvents(w, 300);
        }
        Save(dir, "sample-rates", w.bytes);
    }
}

void PresetSeeds(const fs::path& out)
{
    using namespace HostKit;
    const fs::path dir = out / "fuzz_preset_file";
    PresetFile program;
    program.kind = PresetKind::ProgramParams;
    program.fxId = FourCC("CPhr");
    program.fxVersion = 1;
    program.numParams = 13;
    program.name = "Param List";
    program.programs.push_back(
        {program.name,
         {0.2f, 0.0f, 0.0f, 0.5f, 1.0f, 1.0f, 0.5f, 0.25f, 0.5f, 0.5f, 0.0f, 0.5f, 0.25f}});
    Save(dir, "params.fxp", SerializePreset(program));

    PresetFile bank = program;
    bank.kind = PresetKind::BankPrograms;
    bank.version = 2;
    bank.currentProgram = 1;
    bank.programs.push_back({"Second", std::vector<float>(13, 0.75f)});
    bank.programs.push_back({"Third", std::vector<float>(13, 0.0f)});
    bank.numPrograms = 3;
    Save(dir, "params.fxb", SerializePreset(bank));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: corvane_fuzz_seeds OUTPUT_DIR\n");
        return 2;
    }
    const fs::path out = argv[1];
    ChunkSeeds(out);
    DispatcherSeeds(out);
    EventSeeds(out);
    PresetSeeds(out);
    return 0;
}
