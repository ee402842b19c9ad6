// corvane-render with the real CorvanePhaser module: the command line's output equals driving
// the module directly with the same settings and transport, presets round-trip through .fxp
// files, a controller moves the phaser from its sample on, and values are taken as the module
// displays them.
#include "ParameterLookup.h"
#include "ParameterText.h"
#include "RenderError.h"
#include "hostkit/PresetFile.h"
#include "phaser/Product.h"
#include "render/RenderTestSupport.h"
#include "support/PluginHost.h"
#include "tools/render/PluginHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <set>
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
    const CliResult result = RunCli(WithModule({"--param",      "PFB=norm:0.6",
                                                "--param",      "PMix=norm:0.85",
                                                "--param",      "PModD=norm:0.7",
                                                "--param",      "LSOn=1",
                                                "--param",      "LSRes=norm:0.4",
                                                "--param",      "PSM=norm:0.5",
                                                "--tempo",      "100",
                                                "--start-ppq",  "3.3",
                                                "--block",      "300",
                                                dir / "in.wav", dir / "out.wav"}));
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
    const std::vector<std::string> settings = {
        "--param",         "PFB=norm:0.45", "--param",        "PLFreq=norm:0.3", "--param",
        "PRFreq=norm:0.7", "--param",       "LFreq=norm:0.5", "--param",         "PMix=norm:1"};
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
    const std::vector<std::string> settings = {"--param", "PMS=MW", "--param", "PModD=100%"};
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

    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"a.fxp"});
}

namespace
{

// What the module shows for the text given to the named parameter, as "HostName display", or
// the refusal's message.
std::string Outcome(Kestrune::Render::PluginHost& host, const std::string& name,
                    const std::string& value)
{
    using namespace Kestrune::Render;
    try
    {
        const int index = FindParameter(host, name);
        host.SetParameter(index, ValueReader(host, index).Resolve(value));
        return host.ParameterName(index) + " " + Trim(host.ParameterDisplay(index));
    }
    catch (const RenderError& error)
    {
        return error.what();
    }
}

} // namespace

// Every form a value or a name may take, with what the module then shows, and the refusals.
// Each row changes what the row before left, so none passes by the default alone.
TEST(RealModule, ValueFormsTable)
{
    Kestrune::Render::PluginHost host(kModule);
    host.Open(44100.0, 512);
    struct Row
    {
        const char* name;
        const char* value;
        const char* outcome; // "HostName display", or a part of the refusal
    };
    const Row rows[] = {
        {"LFreq", "0.400", "LFreq 0.400"},
        {"LFreq", "0.5Hz", "LFreq 0.500"},
        {"PMix", "50%", "PMix 50"},
        {"PMix", "0", "PMix 0"},
        {"PMix", "norm:0.25", "PMix -50"},
        {"PMix", "NORM:1", "PMix 100"},
        {"PModD", "100%", "PModD 100"},
        {"PSM", "12 stages", "PSM 12"},
        {"PSM", "4stage", "PSM 4"},
        {"PLFreq", "2.5kHz", "PLFreq 2500.00"},
        {"PFB", "-80.45", "PFB -80.45"},
        {"PFB", "-100.45", "PFB -100.45"},
        {"PFB", "-inf", "PFB -oo"},
        {"PFB", "-0.45", "PFB -0.45"},
        {"PFB", "-oo", "PFB -oo"},
        {"POn", "false", "POn Off"},
        {"LSOn", "yes", "LSOn On"},
        {"LQM", "0", "LQM Off"},
        {"PMS", "mw", "PMS MW"},
        {"Feedback Level", "-6", "PFB -6.00"},
        {"feedback_level", "-3dB", "PFB -3.00"},
        {"Feedback", "-12", "PFB -12.00"},
        {"Quad Enabled", "On", "LQM On"},
        {"Wet/Dry Mix", "25", "PMix 25"},
        {"Mod Source", "cp", "PMS CP"},
        {"Frequency", "2", "LFreq 2.000"},
        {"PSM", "13", "no value of PSM (10) shows 13 (the nearest shows 1"},
        {"PModD", "150", "150 is outside the range of PModD (7), 0 to 100"},
        {"PFB", "-1000", "outside the range of PFB (6)"},
        {"PLFreq", "2500dB", "PLFreq (8) does not take dB (it takes Hz, kHz)"},
        {"PFB", "-6Hz", "PFB (6) does not take Hz (it takes Level, dB)"},
        {"LSRes", "4", "LSRes (3) shows no numbers"},
        {"PMix", "norm:1.5", "not a normalised value from 0 to 1"},
        {"PMix", "-inf", "PMix (11) has no setting that shows -oo"},
        {"POn", "maybe", "no value of POn (5) shows 'maybe'"},
        {"Rate", "1", "unknown parameter 'Rate'; the parameters are LFreq (0, Frequency), "},
        {"MS", "1", "'MS' is ambiguous: LMS (1, MIDI Source), PMS (12, Modulation Source)"},
        {"Mod", "1", "'Mod' is ambiguous: PModD (7, Modulation Depth), PMS (12, Modulation"},
    };
    for (const Row& row : rows)
    {
        const std::string outcome = Outcome(host, row.name, row.value);
        EXPECT_NE(outcome.find(row.outcome), std::string::npos)
            << row.name << "=" << row.value << " gave: " << outcome;
    }
}

// Every text the module shows, from one end of each range to the other, reads back to a value
// that shows the same text.
TEST(RealModule, EveryShownTextReadsBack)
{
    Kestrune::Render::PluginHost host(kModule);
    host.Open(44100.0, 512);
    std::vector<float> values = {0.0f, std::numeric_limits<float>::denorm_min(), 1.0f};
    for (int k = 1; k < 1999; ++k)
        values.push_back(static_cast<float>(k) / 1999.0f);
    for (int e = 4; e <= 44; ++e)
        values.push_back(std::pow(10.0f, static_cast<float>(-e)));
    for (int k = 1; k <= 24; ++k)
        values.push_back(1.0f - static_cast<float>(k) * std::ldexp(1.0f, -24));
    for (int index = 0; index < host.NumParams(); ++index)
    {
        std::set<std::string> texts;
        for (const float value : values)
        {
            host.SetParameter(index, value);
            texts.insert(Kestrune::Render::Trim(host.ParameterDisplay(index)));
        }
        Kestrune::Render::ValueReader reader(host, index);
        for (const std::string& text : texts)
        {
            float value = -1.0f;
            try
            {
                value = reader.Resolve(text);
            }
            catch (const Kestrune::Render::RenderError& error)
            {
                ADD_FAILURE() << host.ParameterName(index) << " '" << text << "': " << error.what();
                continue;
            }
            host.SetParameter(index, value);
            EXPECT_EQ(Kestrune::Render::Trim(host.ParameterDisplay(index)), text)
                << host.ParameterName(index) << " read back from " << value;
        }
    }
}
