// corvane-render with the real CorvanePhaser module: the command line's output equals driving
// the module directly with the same settings and transport, presets round-trip through .fxp
// files, a controller moves the phaser from its sample on, and values are taken as the module
// displays them.
#include "hostkit/PresetFile.h"
#include "phaser/Product.h"
#include "render/RenderTestSupport.h"
#include "support/PluginHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

using namespace RenderTest;

namespace
{

const std::string kModule = TestSupport::ModulePath();

bool SameSamples(const Audio& a, const Audio& b, std::size_t from = 0, std::size_t to = SIZE_MAX)
{
    if (a.channels.size() != b.channels.size() || a.Frames() != b.Frames())
        return false;
    to = std::min(to, a.Frames());
    for (std::size_t c = 0; c < a.channels.size(); ++c)
    {
        if (from < to && std::memcmp(a.channels[c].data() + from, b.channels[c].data() + from,
                                     (to - from) * sizeof(float)) != 0)
            return false;
    }
    return true;
}

struct Transport
{
    double tempo = 120.0;
    double startPpq = 0.0;
    int blockSize = 512;
};

struct Event
{
    std::size_t frame;
    std::uint8_t status, data1, data2;
};

// Drives the module as corvane-render does: open, rate, block size, the parameters in order,
// resume, then blocks whose time info is computed from the block's first sample.
Audio DriveDirectly(const Audio& input, const std::vector<std::pair<int, float>>& parameters,
                    const Transport& transport, const std::vector<Event>& events = {},
                    std::vector<std::uint8_t>* programChunk = nullptr)
{
    TestSupport::PluginHost host(kModule.c_str());
    Audio output;
    if (host.Create() == nullptr)
    {
        ADD_FAILURE() << "no plug-in from " << kModule;
        return output;
    }
    const double rate = input.sampleRate;
    host.Dispatch(effOpen);
    host.Dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
    host.Dispatch(effSetBlockSize, 0, transport.blockSize);
    for (const auto& [index, value] : parameters)
        host.Effect()->setParameter(host.Effect(), index, value);
    host.Dispatch(effMainsChanged, 0, 1);

    host.advanceTime = false;
    host.time.tempo = transport.tempo;
    std::vector<float> left = input.channels.at(0);
    std::vector<float> right = input.channels.at(1);
    output.sampleRate = input.sampleRate;
    output.channels.assign(2, std::vector<float>(input.Frames()));
    for (std::size_t start = 0; start < input.Frames(); start += std::size_t(transport.blockSize))
    {
        const std::size_t n =
            std::min<std::size_t>(std::size_t(transport.blockSize), input.Frames() - start);
        for (const Event& event : events)
        {
            if (event.frame >= start && event.frame < start + n)
                host.AddMidi(static_cast<int>(event.frame - start), event.status, event.data1,
                             event.data2);
        }
        host.time.samplePos = static_cast<double>(start);
        host.time.ppqPos =
            transport.startPpq + static_cast<double>(start) / rate * transport.tempo / 60.0;
        host.Process(left.data() + start, right.data() + start, output.channels[0].data() + start,
                     output.channels[1].data() + start, static_cast<int>(n));
    }
    if (programChunk != nullptr)
    {
        void* data = nullptr;
        const VstIntPtr size = host.Dispatch(effGetChunk, 1, 0, &data);
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        programChunk->assign(bytes, bytes + size);
    }
    return output;
}

std::vector<std::string> WithModule(std::vector<std::string> args)
{
    args.insert(args.begin(), {"--plugin", kModule});
    return args;
}

} // namespace

TEST(RealModule, CommandLineRenderEqualsDrivingTheModule)
{
    TempDir dir;
    const Audio input = TestSignal(44100, 2, 70000);
    WriteWav(dir / "in.wav", input);
    const CliResult result =
        RunCli(WithModule({"--param",   "PFB=0.6", "--param", "PMix=0.85",    "--param",
                           "PModD=0.7", "--param", "LSOn=1",  "--param",      "LSRes=0.4",
                           "--param",   "PSM=0.5", "--tempo", "100",          "--start-ppq",
                           "3.3",       "--block", "300",     dir / "in.wav", dir / "out.wav"}));
    ASSERT_EQ(result.status, 0) << Describe(result);

    const Audio expected =
        DriveDirectly(input, {{6, 0.6f}, {11, 0.85f}, {7, 0.7f}, {2, 1.0f}, {3, 0.4f}, {10, 0.5f}},
                      {100.0, 3.3, 300});
    const Audio actual = ReadAudio(dir / "out.wav");
    EXPECT_TRUE(SameSamples(actual, expected));
    EXPECT_FALSE(SameSamples(actual, input));

    // Another transport gives another sweep: the comparison above does depend on it.
    const Audio elsewhere =
        DriveDirectly(input, {{6, 0.6f}, {11, 0.85f}, {7, 0.7f}, {2, 1.0f}, {3, 0.4f}, {10, 0.5f}},
                      {100.0, 3.55, 300});
    EXPECT_FALSE(SameSamples(actual, elsewhere));
}

TEST(RealModule, SavedPresetReproducesTheRenderAndCarriesTheChunk)
{
    TempDir dir;
    const Audio input = TestSignal(48000, 2, 48000);
    WriteWav(dir / "in.wav", input);
    const std::vector<std::string> settings = {"--param", "PFB=0.45",   "--param", "PLFreq=0.3",
                                               "--param", "PRFreq=0.7", "--param", "LFreq=0.5",
                                               "--param", "PMix=1"};
    std::vector<std::string> first = settings;
    first.insert(first.end(), {"--save-preset", dir / "mine.fxp", dir / "in.wav", dir / "a.wav"});
    CliResult result = RunCli(WithModule(first));
    ASSERT_EQ(result.status, 0) << Describe(result);
    result = RunCli(WithModule({"--preset", dir / "mine.fxp", dir / "in.wav", dir / "b.wav"}));
    ASSERT_EQ(result.status, 0) << Describe(result);
    const Audio a = ReadAudio(dir / "a.wav");
    EXPECT_TRUE(SameSamples(ReadAudio(dir / "b.wav"), a));
    EXPECT_FALSE(SameSamples(a, input));

    const auto fxp = ReadBytes(dir / "mine.fxp");
    ASSERT_EQ(fxp.size(), 60u + 240u);
    EXPECT_EQ(BigEndian(fxp, 0), HostKit::FourCC("CcnK"));
    EXPECT_EQ(BigEndian(fxp, 4), static_cast<std::int32_t>(fxp.size() - 8));
    EXPECT_EQ(BigEndian(fxp, 8), HostKit::FourCC("FPCh"));
    EXPECT_EQ(BigEndian(fxp, 16), HostKit::FourCC("CPhr"));
    EXPECT_EQ(BigEndian(fxp, 16), 0x43506872);
    EXPECT_EQ(BigEndian(fxp, 20), 1);                                  // the module's version
    EXPECT_EQ(BigEndian(fxp, 24), Kestrune::Product::kParameterCount); // parameters
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(fxp.data() + 28)), "Blank");
    EXPECT_EQ(BigEndian(fxp, 56), 240);

    std::vector<std::uint8_t> chunk;
    const Audio direct = DriveDirectly(
        input, {{6, 0.45f}, {8, 0.3f}, {9, 0.7f}, {0, 0.5f}, {11, 1.0f}}, {}, {}, &chunk);
    EXPECT_EQ(std::vector<std::uint8_t>(fxp.begin() + 60, fxp.end()), chunk);
    EXPECT_TRUE(SameSamples(direct, a));
}

TEST(RealModule, AControllerMovesThePhaserFromItsSampleOn)
{
    TempDir dir;
    const Audio input = TestSignal(44100, 2, 44100);
    WriteWav(dir / "in.wav", input);
    const std::vector<std::string> settings = {"--param", "PMS=MW", "--param", "PModD=1"};
    std::vector<std::string> still = settings;
    still.insert(still.end(), {dir / "in.wav", dir / "still.wav"});
    std::vector<std::string> moved = settings;
    moved.insert(moved.end(), {"--cc", "0.5:1:127", dir / "in.wav", dir / "moved.wav"});
    ASSERT_EQ(RunCli(WithModule(still)).status, 0);
    const CliResult result = RunCli(WithModule(moved));
    ASSERT_EQ(result.status, 0) << Describe(result);

    const Audio a = ReadAudio(dir / "still.wav");
    const Audio b = ReadAudio(dir / "moved.wav");
    const std::size_t at = 22050; // 0.5 s
    EXPECT_TRUE(SameSamples(a, b, 0, at));
    EXPECT_TRUE(a.channels[0][at] != b.channels[0][at] || a.channels[1][at] != b.channels[1][at]);
    EXPECT_FALSE(SameSamples(a, b, at + 2000, at + 4000));

    // "MW" is the third of four choices; the wheel event lands inside block 43 at offset 34.
    const Audio direct =
        DriveDirectly(input, {{12, 2.0f / 3.0f}, {7, 1.0f}}, {}, {{at, 0xB0, 1, 127}});
    EXPECT_TRUE(SameSamples(direct, b));
}

namespace
{

// The display column of a parameter in a --list output.
std::string Shown(const std::string& listing, const std::string& name)
{
    const std::size_t at = listing.find("  " + name + " ");
    if (at == std::string::npos)
        return "(not listed)";
    std::istringstream words(listing.substr(at));
    std::string word, display;
    words >> word >> display;
    return display;
}

// The values of a saved program chunk (.fxp 'FPCh'), little-endian floats at its end.
std::vector<float> SavedValues(const std::string& path)
{
    const auto bytes = ReadBytes(path);
    std::vector<float> values(Kestrune::Product::kParameterCount);
    std::memcpy(values.data(), bytes.data() + bytes.size() - 52, 52);
    return values;
}

} // namespace

TEST(RealModule, ValuesAsTheyAreShown)
{
    TempDir dir;
    CliResult result = RunCli(WithModule(
        {"--list", "--param", "PFB=-6dB", "--param", "PMix=50", "--param", "PSM=12", "--param",
         "PModD=50", "--param", "LSRes=1/8", "--param", "LFreq=0.5Hz", "--param",
         "PLFreq=1234.5 hz", "--param", "PRFreq=10000Hz", "--save-preset", dir / "a.fxp"}));
    ASSERT_EQ(result.status, 0) << Describe(result);
    const std::vector<std::pair<std::string, std::string>> shown = {
        {"PFB", "-6.00"}, {"PMix", "50"},     {"PSM", "12"},         {"PModD", "50"},
        {"LSRes", "1/8"}, {"LFreq", "0.500"}, {"PLFreq", "1234.50"}, {"PRFreq", "10000.0"}};
    for (const auto& [name, display] : shown)
        EXPECT_EQ(Shown(result.out, name), display) << name;
    // The table's mappings: feedback 0.95 v, depth v squared, mix -100..100, 10000 v squared Hz.
    const auto values = SavedValues(dir / "a.fxp");
    EXPECT_NEAR(0.95 * values[6], std::pow(10.0, -6.0 / 20.0), 1e-4);
    EXPECT_NEAR(values[7] * values[7], 0.5, 1e-3);
    EXPECT_NEAR(values[11], 0.75, 1e-3);
    EXPECT_EQ(values[9], 1.0f) << "a run reaching an end of the range takes the end";

    // Plain numbers from 0 to 1 stay normalised; the label makes them display values.
    result = RunCli(WithModule({"--list", "--param", "PSM=1", "--param", "PMix=0Dry/Wet", "--param",
                                "PFB=0.6", "--param", "LSOn=On", "--param", "PModD=100.4"}));
    ASSERT_EQ(result.status, 0) << Describe(result);
    for (const auto& [name, display] : std::vector<std::pair<std::string, std::string>>{
             {"PSM", "16"}, {"PMix", "0"}, {"PFB", "-4.88"}, {"LSOn", "On"}, {"PModD", "100"}})
        EXPECT_EQ(Shown(result.out, name), display) << name;

    for (const char* refused : {"PSM=13", "PModD=150", "PLFreq=2500dB", "LSRes=4", "PFB=-6Hz"})
    {
        result = RunCli(WithModule({"--param", refused, dir / "none.wav"}));
        EXPECT_EQ(result.status, 1) << refused;
        EXPECT_EQ(result.err.rfind("corvane-render: ", 0), 0u) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    }
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"a.fxp"});
}
