// corvane-render driven as a user runs it, against the test plug-in module, whose audio is
// easy to predict (fixtures/TestPlugin.h). References come from driving the module directly.
#include "fixtures/TestPlugin.h"
#include "hostkit/PresetFile.h"
#include "phaser/Product.h"
#include "render/RenderTestSupport.h"

#include <algorithm>
#include <gtest/gtest.h>

#include <sndfile.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>

using namespace RenderTest;

namespace Product = Kestrune::Product;

namespace
{

const std::string kPlugin = CORVANE_TEST_PLUGIN;

std::vector<std::string> WithPlugin(std::vector<std::string> args)
{
    args.insert(args.begin(), {"--plugin", kPlugin});
    return args;
}

void PutBigEndian(std::vector<std::uint8_t>& bytes, std::int32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> shift));
}

// A parameter-list program file ('FxCk') written by hand.
std::vector<std::uint8_t> ParameterProgram(std::int32_t fxId, const std::string& name,
                                           const std::vector<float>& values)
{
    std::vector<std::uint8_t> bytes;
    PutBigEndian(bytes, HostKit::FourCC("CcnK"));
    PutBigEndian(bytes, static_cast<std::int32_t>(48 + 4 * values.size()));
    PutBigEndian(bytes, HostKit::FourCC("FxCk"));
    PutBigEndian(bytes, 1);
    PutBigEndian(bytes, fxId);
    PutBigEndian(bytes, 1);
    PutBigEndian(bytes, static_cast<std::int32_t>(values.size()));
    std::uint8_t field[28] = {};
    std::memcpy(field, name.data(), std::min<std::size_t>(name.size(), 27));
    bytes.insert(bytes.end(), field, field + 28);
    for (float value : values)
    {
        std::int32_t bits = 0;
        std::memcpy(&bits, &value, 4);
        PutBigEndian(bytes, bits);
    }
    return bytes;
}

void ExpectSameAudio(const Audio& actual, const Audio& expected)
{
    ASSERT_EQ(actual.sampleRate, expected.sampleRate);
    ASSERT_EQ(actual.channels.size(), expected.channels.size());
    for (std::size_t c = 0; c < expected.channels.size(); ++c)
    {
        ASSERT_EQ(actual.channels[c].size(), expected.channels[c].size());
        for (std::size_t i = 0; i < expected.channels[c].size(); ++i)
            ASSERT_EQ(actual.channels[c][i], expected.channels[c][i])
                << "channel " << c << " sample " << i;
    }
}

} // namespace

TEST(RenderCli, OutputEqualsTheModuleDrivenDirectly)
{
    TempDir dir;
    const Audio input = TestSignal(48000, 2, 48000);
    WriteWav(dir / "in.wav", input);
    const CliResult result = RunCli(WithPlugin(
        {"--block", "100", "--program", "4", "--param", "Gain=norm:0.3", "--cc", "0.25:1:64",
         "--cc", "12345smp:1:127", "--pressure", "0.5s:100", dir / "in.wav", dir / "out.wav"}));
    ASSERT_EQ(result.status, 0) << Describe(result);
    EXPECT_EQ(result.err, "") << "no progress output when stderr is not a terminal";

    DirectHost direct(kPlugin);
    direct.Start(48000, 100);
    direct.Dispatch(effSetProgram, 0, 3);
    direct.SetParameter(TestPlugin::kGain, 0.3f);
    const Audio expected = direct.Process(
        input, 100, {{12000, 0xB0, 1, 64}, {12345, 0xB0, 1, 127}, {24000, 0xD0, 100, 0}});
    ExpectSameAudio(ReadAudio(dir / "out.wav"), expected);
}

TEST(RenderCli, BlockSizeDoesNotChangeTheOutput)
{
    TempDir dir;
    WriteWav(dir / "in.wav", TestSignal(44100, 2, 20000));
    Audio reference;
    for (const char* block : {"1", "7", "65536"})
    {
        const std::string out = dir / (std::string("out") + block + ".wav");
        const CliResult result =
            RunCli(WithPlugin({"--block", block, "--cc", "777smp:1:100", dir / "in.wav", out}));
        ASSERT_EQ(result.status, 0) << Describe(result);
        if (reference.channels.empty())
            reference = ReadAudio(out);
        else
            ExpectSameAudio(ReadAudio(out), reference);
    }
}

TEST(RenderCli, ControllerAndPressureTakeEffectAtTheirSample)
{
    TempDir dir;
    Audio input;
    input.sampleRate = 44100;
    input.channels.assign(2, std::vector<float>(4410, 0.25f));
    WriteWav(dir / "dc.wav", input);
    const CliResult result =
        RunCli(WithPlugin({"--block", "64", "--cc", "1000smp:1:127", "--cc", "0.05:1:0",
                           "--pressure", "3000smp:127", dir / "dc.wav", dir / "out.wav"}));
    ASSERT_EQ(result.status, 0) << Describe(result);
    const Audio out = ReadAudio(dir / "out.wav");
    const float gain = 2.0f * TestPlugin::ProgramGain(0);
    const auto& left = out.channels.at(0);
    EXPECT_EQ(left.at(999), 0.25f * gain);
    EXPECT_EQ(left.at(1000), 0.25f * gain * 2.0f) << "1000 lies inside block 15 at offset 40";
    EXPECT_EQ(left.at(2204), 0.25f * gain * 2.0f);
    EXPECT_EQ(left.at(2205), 0.25f * gain) << "0.05 s at 44100 Hz is sample 2205";
    EXPECT_EQ(left.at(2999), 0.25f * gain);
    EXPECT_EQ(left.at(3000), 0.25f * gain + 0.5f);
    EXPECT_EQ(out.channels.at(1), left);
}

TEST(RenderCli, MonoInputFeedsBothChannelsAndKeepsTheRate)
{
    TempDir dir;
    const Audio mono = TestSignal(22050, 1, 5000);
    WriteWav(dir / "mono.wav", mono);
    const CliResult result =
        RunCli(WithPlugin({"--param", "Gain=norm:0.25", dir / "mono.wav", dir / "out.wav"}));
    ASSERT_EQ(result.status, 0) << Describe(result);
    const Audio out = ReadAudio(dir / "out.wav");
    EXPECT_EQ(out.sampleRate, 22050);
    ASSERT_EQ(out.channels.size(), 2u);
    ASSERT_EQ(out.Frames(), 5000u);
    for (std::size_t i = 0; i < out.Frames(); ++i)
    {
        ASSERT_EQ(out.channels[0][i], mono.channels[0][i] * 0.5f) << i;
        ASSERT_EQ(out.channels[1][i], mono.channels[0][i] * 0.5f) << i;
    }
}

constexpr std::uint8_t kPeak[] = {'P', 'E', 'A', 'K'};

TEST(RenderCli, OutputFormatFollowsTheExtension)
{
    TempDir dir;
    WriteWav(dir / "in.wav", TestSignal(48000, 2, 4800));
    const std::vector<std::pair<std::string, int>> cases = {
        {"out.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT},
        {"out.FLAC", SF_FORMAT_FLAC | SF_FORMAT_PCM_24},
        {"out.aiff", SF_FORMAT_AIFF | SF_FORMAT_FLOAT},
    };
    for (const auto& [name, format] : cases)
    {
        const CliResult result = RunCli(WithPlugin({dir / "in.wav", dir / name}));
        ASSERT_EQ(result.status, 0) << name << ": " << Describe(result);
        SF_INFO info{};
        SNDFILE* file = sf_open((dir / name).c_str(), SFM_READ, &info);
        ASSERT_NE(file, nullptr) << name;
        sf_close(file);
        EXPECT_EQ(info.format, format) << name;
        EXPECT_EQ(info.samplerate, 48000);
        EXPECT_EQ(info.frames, 4800);
        // No chunk holding the time of writing: the same render gives the same file.
        const std::vector<std::uint8_t> bytes = ReadBytes(dir / name);
        EXPECT_EQ(std::search(bytes.begin(), bytes.end(), kPeak, kPeak + 4), bytes.end()) << name;
    }
}

TEST(RenderCli, DemoSignalWithoutInput)
{
    TempDir dir;
    CliResult result = RunCli(WithPlugin({dir / "demo.wav"}));
    ASSERT_EQ(result.status, 0) << Describe(result);
    Audio demo = ReadAudio(dir / "demo.wav");
    EXPECT_EQ(demo.sampleRate, 44100);
    EXPECT_EQ(demo.Frames(), 6u * 44100u);
    ASSERT_EQ(demo.channels.size(), 2u);
    float peak = 0.0f;
    for (float sample : demo.channels[0])
        peak = std::max(peak, std::fabs(sample));
    EXPECT_NEAR(peak, 0.5f * 2.0f * TestPlugin::ProgramGain(0), 1e-4f) << "peak 0.5 through gain";
    EXPECT_EQ(demo.channels[0], demo.channels[1]);

    result = RunCli(WithPlugin({"--rate", "48000", "--seconds", "0.5", dir / "short.wav"}));
    ASSERT_EQ(result.status, 0) << Describe(result);
    const Audio shorter = ReadAudio(dir / "short.wav");
    EXPECT_EQ(shorter.sampleRate, 48000);
    EXPECT_EQ(shorter.Frames(), 24000u);

    result = RunCli(WithPlugin({dir / "again.wav"}));
    ExpectSameAudio(ReadAudio(dir / "again.wav"), demo);
}

TEST(RenderCli, TransportFollowsTheRenderedSamples)
{
    TempDir dir;
    const CliResult result =
        RunCli(WithPlugin({"--param", "Mode=On", "--tempo", "90", "--start-ppq", "2", "--block",
                           "256", "--rate", "48000", "--seconds", "0.1", dir / "t.wav"}));
    ASSERT_EQ(result.status, 0) << Describe(result);
    const Audio out = ReadAudio(dir / "t.wav");
    ASSERT_EQ(out.Frames(), 4800u);
    for (std::size_t position = 0; position + 1 < out.Frames(); position += 256)
    {
        const double ppq = 2.0 + static_cast<double>(position) / 48000.0 * 90.0 / 60.0;
        EXPECT_EQ(out.channels[0][position], static_cast<float>(ppq)) << position;
        EXPECT_EQ(out.channels[1][position], static_cast<float>(position));
        EXPECT_EQ(out.channels[0][position + 1], 90.0f);
        const auto flags = static_cast<int>(out.channels[1][position + 1]);
        EXPECT_EQ(flags & (kVstTransportPlaying | kVstTempoValid | kVstPpqPosValid),
                  kVstTransportPlaying | kVstTempoValid | kVstPpqPosValid);
    }
}

TEST(RenderCli, SavedPresetsReproduceTheRender)
{
    TempDir dir;
    WriteWav(dir / "in.wav", TestSignal(44100, 2, 8000));
    for (const char* preset : {"p.fxp", "b.fxb"})
    {
        const std::string a = dir / (std::string(preset) + "-a.wav");
        const std::string b = dir / (std::string(preset) + "-b.wav");
        CliResult result = RunCli(WithPlugin({"--program", "6", "--param", "Gain=norm:0.8",
                                              "--save-preset", dir / preset, dir / "in.wav", a}));
        ASSERT_EQ(result.status, 0) << Describe(result);
        result = RunCli(WithPlugin({"--preset", dir / preset, dir / "in.wav", b}));
        ASSERT_EQ(result.status, 0) << Describe(result);
        ExpectSameAudio(ReadAudio(b), ReadAudio(a));
        EXPECT_EQ(ReadAudio(a).channels[0][100], TestSignal(44100, 2, 8000).channels[0][100] * 1.6f)
            << "Gain 0.8 applied";
    }
}

TEST(RenderCli, ProgramFileHeaderByteForByte)
{
    TempDir dir;
    const CliResult result =
        RunCli(WithPlugin({"--program", "6", "--param", "Gain=norm:0.8", "--param", "1=norm:0.25",
                           "--save-preset", dir / "p.fxp", dir / "out.wav"}));
    ASSERT_EQ(result.status, 0) << Describe(result);
    const auto bytes = ReadBytes(dir / "p.fxp");

    DirectHost direct(kPlugin);
    direct.Start(44100, 512);
    direct.Dispatch(effSetProgram, 0, 5);
    direct.SetParameter(Product::kLfoFrequency, 0.8f);
    direct.SetParameter(Product::kLfoMidiSource, 0.25f);
    const auto chunk = direct.Chunk(true);
    ASSERT_EQ(chunk.size(), std::size_t(TestPlugin::kProgramChunkBytes));

    ASSERT_EQ(bytes.size(), 60 + chunk.size());
    EXPECT_EQ(BigEndian(bytes, 0), HostKit::FourCC("CcnK"));
    EXPECT_EQ(BigEndian(bytes, 4), std::int32_t(bytes.size() - 8));
    EXPECT_EQ(BigEndian(bytes, 8), HostKit::FourCC("FPCh"));
    EXPECT_EQ(BigEndian(bytes, 12), 1);
    EXPECT_EQ(BigEndian(bytes, 16), TestPlugin::kUniqueId);
    EXPECT_EQ(BigEndian(bytes, 20), TestPlugin::kVersion);
    EXPECT_EQ(BigEndian(bytes, 24), TestPlugin::kParams);
    char name[28] = "Program 6";
    EXPECT_EQ(std::memcmp(bytes.data() + 28, name, 28), 0) << "name zero-padded to 28 bytes";
    EXPECT_EQ(BigEndian(bytes, 56), std::int32_t(chunk.size()));
    EXPECT_TRUE(std::equal(chunk.begin(), chunk.end(), bytes.begin() + 60));
}

TEST(RenderCli, BankFileHeaderByteForByte)
{
    TempDir dir;
    const CliResult result = RunCli(WithPlugin({"--program", "6", "--param", "Gain=norm:0.8",
                                                "--save-preset", dir / "b.fxb", dir / "o.wav"}));
    ASSERT_EQ(result.status, 0) << Describe(result);
    const auto bytes = ReadBytes(dir / "b.fxb");

    DirectHost direct(kPlugin);
    direct.Start(44100, 512);
    direct.Dispatch(effSetProgram, 0, 5);
    direct.SetParameter(Product::kLfoFrequency, 0.8f);
    const auto chunk = direct.Chunk(false);
    ASSERT_EQ(chunk.size(), std::size_t(TestPlugin::kBankChunkBytes));

    ASSERT_EQ(bytes.size(), 160 + chunk.size());
    EXPECT_EQ(BigEndian(bytes, 0), HostKit::FourCC("CcnK"));
    EXPECT_EQ(BigEndian(bytes, 4), std::int32_t(bytes.size() - 8));
    EXPECT_EQ(BigEndian(bytes, 8), HostKit::FourCC("FBCh"));
    EXPECT_EQ(BigEndian(bytes, 12), 2);
    EXPECT_EQ(BigEndian(bytes, 16), TestPlugin::kUniqueId);
    EXPECT_EQ(BigEndian(bytes, 20), TestPlugin::kVersion);
    EXPECT_EQ(BigEndian(bytes, 24), TestPlugin::kPrograms);
    EXPECT_EQ(BigEndian(bytes, 28), 5) << "current program";
    EXPECT_TRUE(std::all_of(bytes.begin() + 32, bytes.begin() + 156, [](auto b) { return b == 0; }))
        << "124 reserved zero bytes";
    EXPECT_EQ(BigEndian(bytes, 156), std::int32_t(chunk.size()));
    EXPECT_TRUE(std::equal(chunk.begin(), chunk.end(), bytes.begin() + 160));
}

TEST(RenderCli, ParameterListPresetsAreApplied)
{
    TempDir dir;
    WriteWav(dir / "in.wav", TestSignal(44100, 2, 2000));
    WriteBytes(dir / "list.fxp",
               ParameterProgram(TestPlugin::kUniqueId, "Listed", {0.125f, 0.5f, 0.0f, 0.5f}));
    CliResult result = RunCli(
        WithPlugin({"--preset", dir / "list.fxp", "--list", dir / "in.wav", dir / "out.wav"}));
    ASSERT_EQ(result.status, 0) << Describe(result);
    EXPECT_NE(result.out.find("Listed"), std::string::npos) << "program name taken over";
    EXPECT_NE(result.out.find("0.250"), std::string::npos) << "Gain display";
    const Audio out = ReadAudio(dir / "out.wav");
    const Audio in = ReadAudio(dir / "in.wav");
    EXPECT_EQ(out.channels[1][50], in.channels[1][50] * 0.25f);

    // A 'FxBk' bank of two programs, version 1: the current program stays.
    std::vector<std::uint8_t> bank;
    const auto first = ParameterProgram(TestPlugin::kUniqueId, "One", {0.05f, 0.5f, 0.0f, 0.5f});
    const auto second = ParameterProgram(TestPlugin::kUniqueId, "Two", {0.4f, 0.5f, 0.0f, 0.5f});
    PutBigEndian(bank, HostKit::FourCC("CcnK"));
    PutBigEndian(bank, std::int32_t(148 + first.size() + second.size()));
    PutBigEndian(bank, HostKit::FourCC("FxBk"));
    PutBigEndian(bank, 1);
    PutBigEndian(bank, TestPlugin::kUniqueId);
    PutBigEndian(bank, 1);
    PutBigEndian(bank, 2);
    bank.insert(bank.end(), 128, 0);
    bank.insert(bank.end(), first.begin(), first.end());
    bank.insert(bank.end(), second.begin(), second.end());
    WriteBytes(dir / "list.fxb", bank);
    result = RunCli(WithPlugin(
        {"--preset", dir / "list.fxb", "--program", "2", dir / "in.wav", dir / "bank.wav"}));
    ASSERT_EQ(result.status, 0) << Describe(result);
    EXPECT_EQ(ReadAudio(dir / "bank.wav").channels[0][50], in.channels[0][50] * 0.8f);
}

TEST(RenderCli, ListShowsEveryParameterAndProgram)
{
    const CliResult result = RunCli(WithPlugin({"--list"}));
    ASSERT_EQ(result.status, 0) << Describe(result);
    std::istringstream lines(result.out);
    std::vector<std::vector<std::string>> rows;
    for (std::string line; std::getline(lines, line);)
    {
        std::istringstream words(line);
        std::vector<std::string> row;
        for (std::string word; words >> word;)
            row.push_back(word);
        rows.push_back(row);
    }
    const std::vector<std::vector<std::string>> parameters = {
        {"0", "Gain", "1.000", "x"},
        {"1", "Freq", "632.5", "Hz"},
        {"2", "Mode", "Off"},
        {"3", "LFreq", "632.5", "Hz"},
    };
    for (const auto& row : parameters)
        EXPECT_NE(std::find(rows.begin(), rows.end(), row), rows.end()) << row[1];
    for (int p = 0; p < TestPlugin::kPrograms; ++p)
    {
        const std::vector<std::string> row = {std::to_string(p + 1), "Program",
                                              std::to_string(p + 1)};
        EXPECT_NE(std::find(rows.begin(), rows.end(), row), rows.end()) << p;
    }
    EXPECT_NE(result.out.find("'CTst'"), std::string::npos);
}

TEST(RenderCli, ParametersByNameIndexUnitAndDisplayText)
{
    const CliResult result =
        RunCli(WithPlugin({"--list", "--param", "GAIN=norm:0.125", "--param", "ode=On", "--param",
                           "Freq=2500Hz", "--param", "3=1234.5 hz"}));
    ASSERT_EQ(result.status, 0) << Describe(result);
    for (const char* shown : {"0.250", "On", "2500.0", "1234.5"})
        EXPECT_NE(result.out.find(std::string(" ") + shown + " "), std::string::npos) << shown;

    const CliResult ambiguous = RunCli(WithPlugin({"--list", "--param", "req=0.5"}));
    EXPECT_EQ(ambiguous.status, 1);
    EXPECT_NE(ambiguous.err.find("Freq (1), LFreq (3)"), std::string::npos) << ambiguous.err;
}

TEST(RenderCli, ModuleExportingOnlyMainIsLoaded)
{
    TempDir dir;
    WriteWav(dir / "in.wav", TestSignal(44100, 2, 1000));
    const CliResult result = RunCli({"--plugin", CORVANE_TEST_PLUGIN_MAIN_ONLY, "--param",
                                     "Gain=norm:0.25", dir / "in.wav", dir / "out.wav"});
    ASSERT_EQ(result.status, 0) << Describe(result);
    EXPECT_EQ(ReadAudio(dir / "out.wav").channels[0][10],
              ReadAudio(dir / "in.wav").channels[0][10] * 0.5f);
}

TEST(RenderCli, EveryErrorGivesOneLineAndNoOutput)
{
    TempDir dir;
    WriteWav(dir / "in.wav", TestSignal(44100, 2, 4410));
    WriteBytes(dir / "text.txt", {'h', 'e', 'l', 'l', 'o', '\n'});
    WriteBytes(dir / "other.fxp", ParameterProgram(HostKit::FourCC("Othr"), "x", {0, 0, 0, 0}));
    auto truncated = ParameterProgram(TestPlugin::kUniqueId, "x", {0, 0, 0, 0});
    truncated.resize(truncated.size() - 3);
    WriteBytes(dir / "short.fxp", truncated);
    auto badMagic = ParameterProgram(TestPlugin::kUniqueId, "x", {0, 0, 0, 0});
    badMagic[0] = 'X';
    WriteBytes(dir / "magic.fxp", badMagic);
    const std::string list = "One\nGain=0.5\nTwo\nGain=0.25 Mode=loud\n";
    WriteBytes(dir / "list.txt", {list.begin(), list.end()});
    std::string tooMany;
    for (int p = 0; p <= TestPlugin::kPrograms; ++p)
        tooMany += 'P' + std::to_string(p) + '\n';
    WriteBytes(dir / "many.txt", {tooMany.begin(), tooMany.end()});
    const auto before = dir.Entries();

    const std::string in = dir / "in.wav";
    const std::string out = dir / "out.wav";
    const std::string save = dir / "saved.fxp";
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"unknown option", WithPlugin({"--frobnicate", in, out})},
        {"unknown parameter", WithPlugin({"--param", "Nope=0.5", "--save-preset", save, in, out})},
        {"display value out of range", WithPlugin({"--param", "Gain=2.5", in, out})},
        {"value not a number", WithPlugin({"--param", "Gain=loud", in, out})},
        {"unit out of range", WithPlugin({"--param", "Freq=5Hz", in, out})},
        {"parameter index", WithPlugin({"--param", "4=0.5", in, out})},
        {"bad tempo", WithPlugin({"--tempo", "-3", in, out})},
        {"block too large", WithPlugin({"--block", "65537", in, out})},
        {"block zero", WithPlugin({"--block", "0", in, out})},
        {"malformed cc", WithPlugin({"--cc", "1:1", in, out})},
        {"cc value", WithPlugin({"--cc", "0:1:128", in, out})},
        {"cc after the end", WithPlugin({"--cc", "2:1:64", in, out})},
        {"fractional sample", WithPlugin({"--pressure", "1.5smp:3", in, out})},
        {"program out of range", WithPlugin({"--program", "33", in, out})},
        {"rate with input", WithPlugin({"--rate", "48000", in, out})},
        {"missing input", WithPlugin({dir / "none.wav", out})},
        {"unreadable input", WithPlugin({dir / "text.txt", out})},
        {"unknown output type", WithPlugin({in, dir / "out.mp3"})},
        {"missing module", {"--plugin", dir / "none.so", in, out}},
        {"unloadable module", {"--plugin", dir / "text.txt", in, out}},
        {"module without entry", {"--plugin", CORVANE_TEST_PLUGIN_NO_ENTRY, in, out}},
        {"module returns null", {"--plugin", CORVANE_TEST_PLUGIN_NULL, in, out}},
        {"preset for another plug-in", WithPlugin({"--preset", dir / "other.fxp", in, out})},
        {"truncated preset", WithPlugin({"--preset", dir / "short.fxp", in, out})},
        {"preset without magic", WithPlugin({"--preset", dir / "magic.fxp", in, out})},
        {"missing preset", WithPlugin({"--preset", dir / "none.fxp", in, out})},
        {"no output", WithPlugin({"--param", "Gain=0.5"})},
        {"program list value", WithPlugin({"--programs", dir / "list.txt", "--save-preset",
                                           dir / "b.fxb", "--save-programs", dir / "", in, out})},
        {"program list too long",
         WithPlugin({"--programs", dir / "many.txt", "--save-programs", dir / "", in, out})},
        {"too many files", WithPlugin({in, in, out})},
        // These fail after the audio is written to its temporary name.
        {"preset folder missing", WithPlugin({"--save-preset", dir / "none/p.fxp", in, out})},
        {"output folder missing", WithPlugin({in, dir / "none/out.wav"})},
    };
    for (const auto& [what, args] : cases)
    {
        const CliResult result = RunCli(args);
        EXPECT_NE(result.status, 0) << what;
        EXPECT_LT(result.status, 128) << what << ": crashed";
        EXPECT_EQ(result.err.rfind("corvane-render: ", 0), 0u) << what << ": " << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << what;
        EXPECT_EQ(result.err.back(), '\n') << what;
        EXPECT_EQ(dir.Entries(), before) << what << ": no output, no temporary left";
    }
    const CliResult other = RunCli(WithPlugin({"--preset", dir / "other.fxp", in, out}));
    EXPECT_NE(other.err.find("'Othr'"), std::string::npos) << other.err;
    EXPECT_NE(other.err.find("'CTst'"), std::string::npos) << other.err;
}

TEST(RenderCli, FailureLeavesAnExistingOutputUntouched)
{
    TempDir dir;
    WriteWav(dir / "in.wav", TestSignal(44100, 2, 1000));
    WriteBytes(dir / "out.wav", {1, 2, 3});
    const CliResult result =
        RunCli(WithPlugin({"--param", "Nope=1", dir / "in.wav", dir / "out.wav"}));
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(ReadBytes(dir / "out.wav"), (std::vector<std::uint8_t>{1, 2, 3}));
}

TEST(RenderCli, TheInputIsNeverOverwrittenUnlessAsked)
{
    TempDir dir;
    WriteWav(dir / "take.wav", TestSignal(44100, 2, 1000));
    const std::vector<std::uint8_t> before = ReadBytes(dir / "take.wav");
    std::filesystem::create_hard_link(dir / "take.wav", dir / "hard.wav");
    std::filesystem::create_symlink("take.wav", dir / "soft.wav");
    // A lone existing name (the demo would go there), and the input under other names.
    const std::vector<std::vector<std::string>> refused = {
        {dir / "take.wav"},
        {dir / "take.wav", dir / "take.wav"},
        {dir / "take.wav", dir / "./take.wav"},
        {dir / "take.wav", dir / "hard.wav"},
        {dir / "soft.wav", dir / "take.wav"},
    };
    for (const auto& files : refused)
    {
        const CliResult result = RunCli(WithPlugin(files));
        EXPECT_EQ(result.status, 2) << files.back();
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
        EXPECT_EQ(ReadBytes(dir / "take.wav"), before) << files.back();
    }
    const CliResult replaced = RunCli(WithPlugin(
        {"--replace-input", "--param", "Gain=norm:0.25", dir / "take.wav", dir / "take.wav"}));
    ASSERT_EQ(replaced.status, 0) << Describe(replaced);
    EXPECT_EQ(ReadAudio(dir / "take.wav").channels[0][10],
              TestSignal(44100, 2, 1000).channels[0][10] * 0.5f);
    EXPECT_EQ(ReadBytes(dir / "hard.wav"), before) << "the render is a new file";
}

// An integer output that would clip says so in one line, with the peak and the number of
// clipped samples, and the --gain it names avoids it; float outputs keep the values silently.
TEST(RenderCli, ClippingIsReportedWithTheGainThatAvoidsIt)
{
    TempDir dir;
    WriteWav(dir / "in.wav", TestSignal(44100, 2, 8000));
    const std::vector<std::string> loud = {"--param", "Gain=2", dir / "in.wav"};
    auto args = WithPlugin(loud);
    args.push_back(dir / "float.wav");
    CliResult result = RunCli(args);
    ASSERT_EQ(result.status, 0) << Describe(result);
    EXPECT_EQ(result.err, "") << "32-bit float keeps the values";
    std::size_t over = 0;
    float peak = 0.0f;
    for (const auto& channel : ReadAudio(dir / "float.wav").channels)
    {
        for (float sample : channel)
        {
            over += std::fabs(sample) > 1.0f ? 1 : 0;
            peak = std::max(peak, std::fabs(sample));
        }
    }
    ASSERT_GT(over, 0u);

    args.back() = dir / "clipped.flac";
    result = RunCli(args);
    ASSERT_EQ(result.status, 0) << Describe(result);
    char expected[160];
    const double peakDb = 20.0 * std::log10(static_cast<double>(peak));
    std::snprintf(expected, sizeof expected,
                  "clipped: peak %+.1f dBFS, %zu samples above full scale; --gain %.1f avoids it",
                  peakDb, over, -std::ceil(peakDb * 10.0) / 10.0);
    EXPECT_EQ(result.err.rfind("corvane-render: " + (dir / "clipped.flac"), 0), 0u) << result.err;
    EXPECT_NE(result.err.find(expected), std::string::npos) << result.err << expected;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1);

    char gain[16];
    std::snprintf(gain, sizeof gain, "%.1f", -std::ceil(peakDb * 10.0) / 10.0);
    args = WithPlugin({"--gain", gain});
    args.insert(args.end(), loud.begin(), loud.end());
    args.push_back(dir / "fixed.flac");
    result = RunCli(args);
    ASSERT_EQ(result.status, 0) << Describe(result);
    EXPECT_EQ(result.err, "");
    float fixedPeak = 0.0f;
    for (const auto& channel : ReadAudio(dir / "fixed.flac").channels)
        for (float sample : channel)
            fixedPeak = std::max(fixedPeak, std::fabs(sample));
    EXPECT_NEAR(fixedPeak, peak * std::pow(10.0f, std::atof(gain) / 20.0f), 1e-6f);
    EXPECT_LE(fixedPeak, 1.0f);
}

TEST(RenderCli, HelpPrintsUsage)
{
    const CliResult result = RunCli({"--help"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out.rfind("Usage: corvane-render", 0), 0u);
    EXPECT_EQ(result.err, "");
}
