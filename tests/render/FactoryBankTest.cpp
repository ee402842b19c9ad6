// The factory bank as the build makes it from presets/factory.txt: 32 uniquely named programs
// holding the values the text gives (read back through the module's own displays), one .fxp
// per program equal to that program of the bank, and 32 different sounds.
#ifdef CORVANE_FACTORY_DIR

#include "Options.h"
#include "render/RenderTestSupport.h"
#include "support/PluginHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>

using namespace RenderTest;
using Kestrune::Render::ParseNumber;

namespace
{

constexpr int kPrograms = 32;
const std::filesystem::path kFolder = CORVANE_FACTORY_DIR;

struct Listed
{
    std::string name;
    std::map<std::string, std::string> settings; // host name: value as written
};

std::vector<Listed> ReadList()
{
    std::ifstream in(CORVANE_FACTORY_LIST);
    std::vector<Listed> programs;
    for (std::string line, word; std::getline(in, line);)
    {
        std::istringstream words(line);
        if (!(words >> word) || word[0] == '#')
            continue;
        if (line.find('=') == std::string::npos)
            programs.push_back({line.substr(line.find_first_not_of(' ')), {}});
        for (bool more = line.find('=') != std::string::npos; more; more = bool(words >> word))
            programs.back().settings[word.substr(0, word.find('='))] =
                word.substr(word.find('=') + 1);
    }
    return programs;
}

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Numbers (without "dB" or the label) agree within the display's rounding, half a unit in its
// last digit; texts agree in any letter case.
bool ShowsAsWritten(const std::string& display, const std::string& label, std::string written)
{
    for (const std::string& unit : {Lower(label), std::string("db")})
    {
        if (!unit.empty() && written.size() > unit.size() &&
            Lower(written.substr(written.size() - unit.size())) == unit)
            written.resize(written.size() - unit.size());
    }
    const auto shown = ParseNumber(display);
    const auto wanted = ParseNumber(written);
    if (!shown || !wanted)
        return Lower(display) == Lower(written);
    const std::size_t point = display.find('.');
    const double decimals = point == std::string::npos ? 0.0 : double(display.size() - point - 1);
    return std::fabs(*shown - *wanted) <= 0.5 * std::pow(10.0, -decimals) + 1e-9;
}

std::string Text(DirectHost& host, VstInt32 opcode, VstInt32 index = 0)
{
    char text[256] = {};
    host.Dispatch(opcode, index, 0, text);
    return text;
}

// A started instance of the module, holding the factory bank when asked to.
std::unique_ptr<DirectHost> Instance(bool withBank)
{
    auto host = std::make_unique<DirectHost>(TestSupport::ModulePath());
    host->Start(44100.0, 512);
    auto bytes = ReadBytes((kFolder / "CorvanePhaser-Factory.fxb").string());
    // 'CcnK' bank of chunks ('FBCh'): 156 bytes of header, the chunk size, the chunk.
    if (withBank &&
        (bytes.size() < 160 || bytes.at(27) != kPrograms ||
         host->Dispatch(effSetChunk, 0, VstIntPtr(bytes.size() - 160), bytes.data() + 160) != 1))
        ADD_FAILURE() << "the factory bank does not load";
    return host;
}

} // namespace

TEST(FactoryBank, ProgramsAndFilesHoldTheListedNamesAndValues)
{
    const auto list = ReadList();
    ASSERT_EQ(list.size(), std::size_t(kPrograms));
    auto fresh = Instance(false);
    auto host = Instance(true);
    AEffect* effect = host->Record();
    std::set<std::string> names;
    for (int p = 0; p < kPrograms; ++p)
    {
        host->Dispatch(effSetProgram, 0, p);
        const std::string name = Text(*host, effGetProgramName);
        EXPECT_EQ(name, list[p].name);
        EXPECT_LE(name.size(), 23u) << name;
        names.insert(Lower(name));
        std::size_t found = 0;
        for (int i = 0; i < effect->numParams; ++i)
        {
            const auto written = list[p].settings.find(Text(*host, effGetParamName, i));
            const std::string display = Text(*host, effGetParamDisplay, i);
            if (written == list[p].settings.end())
            {
                EXPECT_EQ(effect->getParameter(effect, i),
                          fresh->Record()->getParameter(fresh->Record(), i))
                    << name << ": not listed, so the default";
                continue;
            }
            ++found;
            EXPECT_NE(Lower(written->second).rfind("norm:", 0), 0u) << name << ": normalised";
            EXPECT_TRUE(ShowsAsWritten(display, Text(*host, effGetParamLabel, i), written->second))
                << name << ": " << written->first << " shows " << display;
        }
        EXPECT_EQ(found, list[p].settings.size()) << name << ": a setting names no parameter";

        char file[64];
        std::snprintf(file, sizeof file, "%02d %s.fxp", p + 1, name.c_str());
        const auto bytes = ReadBytes((kFolder / file).string());
        ASSERT_GT(bytes.size(), 60u) << file;
        EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 60, bytes.end()), host->Chunk(true));
    }
    EXPECT_EQ(names.size(), std::size_t(kPrograms)) << "names differ in more than letter case";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(kFolder), {}), kPrograms + 1);
}

TEST(FactoryBank, EveryProgramSoundsDifferent)
{
    // One second of white noise (power 1/12); wheel, pedal and pressure up for the MIDI ones.
    Audio input{44100, {std::vector<float>(44100), std::vector<float>(44100)}};
    std::uint32_t seed = 1;
    for (auto& channel : input.channels)
    {
        for (float& sample : channel)
        {
            seed = seed * 1664525u + 1013904223u;
            sample = static_cast<float>(seed >> 8) / 16777216.0f - 0.5f;
        }
    }
    const std::vector<Midi> midi = {{0, 0xB0, 1, 96}, {0, 0xB0, 11, 96}, {0, 0xD0, 96, 0}};
    std::vector<Audio> outputs;
    for (int p = 0; p < kPrograms; ++p)
    {
        auto host = Instance(true);
        host->Dispatch(effSetProgram, 0, p);
        outputs.push_back(host->Process(input, 512, midi));
    }
    for (int a = 0; a < kPrograms; ++a)
    {
        for (int b = a + 1; b < kPrograms; ++b)
        {
            double energy = 0.0;
            for (int c = 0; c < 2; ++c)
            {
                for (std::size_t i = 0; i < input.Frames(); ++i)
                    energy += std::pow(outputs[a].channels[c][i] - outputs[b].channels[c][i], 2.0);
            }
            // The difference at least a tenth of the input in level (-20 dB).
            EXPECT_GT(std::sqrt(energy / (2.0 * input.Frames() / 12.0)), 0.1)
                << "programs " << a << " and " << b;
        }
    }
}

// corvane-render installed under a fresh prefix finds the factory bank there, by number (as the
// file names count) and by name, and --list-presets prints it.
TEST(FactoryBank, PresetsByNumberAndNameFromAnInstall)
{
    namespace fs = std::filesystem;
    TempDir dir;
    const fs::path prefix = dir / "usr";
    const fs::path presets = prefix / "share/corvane-phaser/presets";
    fs::create_directories(prefix / "bin");
    fs::create_directories(presets);
    fs::copy_file(CORVANE_RENDER_EXE, prefix / "bin/corvane-render");
    for (const auto& entry : fs::directory_iterator(kFolder))
        fs::copy_file(entry.path(), presets / entry.path().filename());
    const std::string installed = (prefix / "bin/corvane-render").string();
    const auto run = [&](std::vector<std::string> args)
    {
        args.insert(args.begin(), {"--plugin", TestSupport::ModulePath()});
        return RunExecutable(installed, args);
    };

    // Stray files whose numbers no program has are passed over.
    for (const char* stray :
         {"99999999999 Stray Huge.fxp", "1e20 Stray Far.fxp", "2.5 Stray Half.fxp"})
        std::ofstream(presets / stray) << "x";

    CliResult result = run({"--list-presets"});
    ASSERT_EQ(result.status, 0) << Describe(result);
    EXPECT_EQ(result.out.find("Stray"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find(presets.string()), std::string::npos) << result.out;
    const auto list = ReadList();
    for (int p = 0; p < kPrograms; ++p)
    {
        char row[64];
        std::snprintf(row, sizeof row, "%5d  %s\n", p + 1, list[p].name.c_str());
        EXPECT_NE(result.out.find(row), std::string::npos) << row;
    }

    WriteWav(dir / "in.wav", TestSignal(44100, 2, 22050));
    const std::string file = (kFolder / "12 Sixteenth Flutter.fxp").string();
    ASSERT_EQ(run({"--preset", file, dir / "in.wav", dir / "file.wav"}).status, 0);
    const Audio expected = ReadAudio(dir / "file.wav");
    for (const char* given : {"12", "Sixteenth Flutter", "sixteenth  FLUTTER"})
    {
        result = run({"--preset", given, "--list", dir / "in.wav", dir / "out.wav"});
        ASSERT_EQ(result.status, 0) << given << ": " << Describe(result);
        EXPECT_NE(result.out.find("    1  Sixteenth Flutter\n"), std::string::npos) << given;
        EXPECT_EQ(ReadAudio(dir / "out.wav").channels, expected.channels) << given;
    }
    ASSERT_EQ(run({"--preset", "11", dir / "in.wav", dir / "other.wav"}).status, 0);
    EXPECT_NE(ReadAudio(dir / "other.wav").channels, expected.channels);

    // The installed folder is the one read: without its file, program 12 is refused.
    fs::remove(presets / "12 Sixteenth Flutter.fxp");
    for (const char* missing : {"12", "33", "Sixteenth Flutter", "Nonesuch"})
    {
        result = run({"--preset", missing, dir / "in.wav", dir / "none.wav"});
        EXPECT_EQ(result.status, 1) << missing;
        EXPECT_NE(result.err.find("no factory preset '" + std::string(missing) + "' in " +
                                  presets.string()),
                  std::string::npos)
            << result.err;
    }
    EXPECT_FALSE(fs::exists(dir / "none.wav"));
}

#endif
