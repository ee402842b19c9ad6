// Command line of corvane-render. Parsing checks syntax and ranges only; names and display
// values of parameters are resolved later against the loaded plug-in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Kestrune::Render
{

// A moment of the render: seconds, or a sample index ("smp" suffix).
struct TimeSpec
{
    double value = 0.0;
    bool inSamples = false;

    // Sample index at the given rate (seconds rounded to the nearest sample).
    std::int64_t ToFrame(double sampleRate) const;
};

// A channel message on MIDI channel 1: status 0xB0 (controller) or 0xD0 (channel pressure).
struct MidiEventSpec
{
    TimeSpec time;
    unsigned char status = 0;
    unsigned char data1 = 0;
    unsigned char data2 = 0;
    std::string text; // as given, for messages
};

struct ParamSetting
{
    std::string name;
    std::string value;
};

struct Options
{
    bool help = false;
    bool list = false;
    bool listPresets = false;  // --list-presets: the factory bank
    bool replaceInput = false; // the output may be the input file itself
    std::string plugin;        // empty: the built or installed CorvanePhaser.so
    std::string input;         // empty: the demo signal
    std::string output;
    std::vector<ParamSetting> params; // in command-line order
    std::optional<int> program;       // counted from 1, as hosts and the factory bank count
    std::string preset;               // a .fxp/.fxb file, or a factory program's number or name
    std::string savePreset;
    std::string programList;       // --programs: fills programs 1, 2... (ProgramList.h)
    std::string programName;       // names the current program, after every other setting
    std::string savePrograms;      // folder for one .fxp per listed program
    double tempo = 120.0;          // beats per minute
    double startPpq = 0.0;         // quarter notes at the first sample
    int blockSize = 512;           // samples per processing call
    double gainDb = 0.0;           // applied to the plug-in's output
    std::optional<int> rate;       // demo signal only
    std::optional<double> seconds; // demo signal only
    std::vector<MidiEventSpec> events;
};

constexpr int kMaxBlockSize = 65536;
constexpr double kMaxGainDb = 96.0;
constexpr double kDemoSeconds = 6.0;
constexpr int kDemoRate = 44100;
// VST 2.4 program names: 24 bytes with the closing zero.
constexpr std::size_t kMaxProgramName = 23;

// Throws UsageError with a one-line message.
Options ParseOptions(int argc, const char* const* argv);

std::string UsageText();

// Locale-independent number parsing of the whole text; nullopt when it is not a plain number.
std::optional<double> ParseNumber(const std::string& text);

} // namespace Kestrune::Render
