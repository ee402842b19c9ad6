#include "Options.h"

#include "RenderError.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <functional>
#include <map>
#include <set>

namespace Kestrune::Render
{

namespace
{

std::string Quoted(const std::string& text)
{
    return "'" + text + "'";
}

bool EndsWith(const std::string& text, const std::string& suffix)
{
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

double NumberIn(const std::string& option, const std::string& text, double low, double high)
{
    const auto number = ParseNumber(text);
    if (!number || *number < low || *number > high)
        throw UsageError(option + " needs a number from " + std::to_string(low) + " to " +
                         std::to_string(high) + ", not " + Quoted(text));
    return *number;
}

int IntegerIn(const std::string& option, const std::string& text, int low, int high)
{
    const auto number = ParseNumber(text);
    if (!number || *number != std::floor(*number) || *number < low || *number > high)
        throw UsageError(option + " needs a whole number from " + std::to_string(low) + " to " +
                         std::to_string(high) + ", not " + Quoted(text));
    return static_cast<int>(*number);
}

TimeSpec ParseTime(const std::string& option, const std::string& text)
{
    TimeSpec time;
    std::string number = text;
    if (EndsWith(text, "smp"))
    {
        time.inSamples = true;
        number = text.substr(0, text.size() - 3);
    }
    else if (EndsWith(text, "s"))
    {
        number = text.substr(0, text.size() - 1);
    }
    const auto value = ParseNumber(number);
    if (!value || *value < 0.0 || *value > 1e12 || (time.inSamples && *value != std::floor(*value)))
        throw UsageError(option + " time " + Quoted(text) +
                         " is not a time (seconds such as 1.5 or 1.5s, or a sample index "
                         "such as 48000smp)");
    time.value = *value;
    return time;
}

std::vector<std::string> Fields(const std::string& text)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;)
    {
        const std::size_t colon = text.find(':', start);
        fields.push_back(text.substr(start, colon - start));
        if (colon == std::string::npos)
            return fields;
        start = colon + 1;
    }
}

// TIME:DATA... with one or two data bytes of 0..127, named for the error messages.
MidiEventSpec ParseMidi(const std::string& option, const std::string& text, unsigned char status,
                        const std::vector<std::string>& dataNames)
{
    const auto fields = Fields(text);
    if (fields.size() != dataNames.size() + 1)
    {
        std::string form = "TIME";
        for (const std::string& name : dataNames)
            form += ":" + name;
        for (char& c : form)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        throw UsageError(option + " needs " + form + ", not " + Quoted(text));
    }
    MidiEventSpec event;
    event.time = ParseTime(option, fields[0]);
    event.status = status;
    unsigned char* data[2] = {&event.data1, &event.data2};
    for (std::size_t i = 0; i < dataNames.size(); ++i)
        *data[i] = static_cast<unsigned char>(
            IntegerIn(option + " " + dataNames[i], fields[i + 1], 0, 127));
    event.text = option + " " + text;
    return event;
}

MidiEventSpec ParseController(const std::string& text)
{
    return ParseMidi("--cc", text, 0xB0, {"controller", "value"});
}

MidiEventSpec ParsePressure(const std::string& text)
{
    return ParseMidi("--pressure", text, 0xD0, {"value"});
}

ParamSetting ParseParam(const std::string& text)
{
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos || equals == 0 || equals + 1 == text.size())
        throw UsageError("--param needs NAME=VALUE, not " + Quoted(text));
    return {text.substr(0, equals), text.substr(equals + 1)};
}

std::string ProgramName(const std::string& text)
{
    if (text.empty() || text.size() > kMaxProgramName)
        throw UsageError("--program-name needs 1 to " + std::to_string(kMaxProgramName) +
                         " characters, not " + Quoted(text));
    return text;
}

using Handler = std::function<void(Options&, const std::string&)>;

const std::map<std::string, Handler>& ValueOptions()
{
    static const std::map<std::string, Handler> options = {
        {"plugin", [](Options& o, const std::string& v) { o.plugin = v; }},
        {"param", [](Options& o, const std::string& v) { o.params.push_back(ParseParam(v)); }},
        {"program", [](Options& o, const std::string& v)
         { o.program = IntegerIn("--program", v, 1, 1 << 30); }},
        {"preset", [](Options& o, const std::string& v) { o.preset = v; }},
        {"save-preset", [](Options& o, const std::string& v) { o.savePreset = v; }},
        {"programs", [](Options& o, const std::string& v) { o.programList = v; }},
        {"program-name", [](Options& o, const std::string& v) { o.programName = ProgramName(v); }},
        {"save-programs", [](Options& o, const std::string& v) { o.savePrograms = v; }},
        {"tempo",
         [](Options& o, const std::string& v) { o.tempo = NumberIn("--tempo", v, 1.0, 999.0); }},
        {"start-ppq", [](Options& o, const std::string& v)
         { o.startPpq = NumberIn("--start-ppq", v, -1e9, 1e9); }},
        {"block", [](Options& o, const std::string& v)
         { o.blockSize = IntegerIn("--block", v, 1, kMaxBlockSize); }},
        {"gain",
         [](Options& o, const std::string& v)
         {
             o.gainDb = NumberIn("--gain", EndsWith(v, "dB") ? v.substr(0, v.size() - 2) : v,
                                 -kMaxGainDb, kMaxGainDb);
         }},
        {"rate",
         [](Options& o, const std::string& v) { o.rate = IntegerIn("--rate", v, 1000, 768000); }},
        {"seconds", [](Options& o, const std::string& v)
         { o.seconds = NumberIn("--seconds", v, 0.001, 3600.0); }},
        {"cc", [](Options& o, const std::string& v) { o.events.push_back(ParseController(v)); }},
        {"pressure",
         [](Options& o, const std::string& v) { o.events.push_back(ParsePressure(v)); }},
    };
    return options;
}

// Options without a value.
const std::map<std::string, bool Options::*> kFlags = {
    {"--list", &Options::list},
    {"--list-presets", &Options::listPresets},
    {"--replace-input", &Options::replaceInput},
};

// Options that may be given more than once.
const std::set<std::string> kRepeatable = {"param", "cc", "pressure"};

} // namespace

std::int64_t TimeSpec::ToFrame(double sampleRate) const
{
    if (inSamples)
        return static_cast<std::int64_t>(value);
    return static_cast<std::int64_t>(std::floor(value * sampleRate + 0.5));
}

std::optional<double> ParseNumber(const std::string& text)
{
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (first != last && *first == '+')
        ++first;
    double value = 0.0;
    const auto result = std::from_chars(first, last, value);
    if (first == last || result.ec != std::errc() || result.ptr != last || !std::isfinite(value))
        return std::nullopt;
    return value;
}

Options ParseOptions(int argc, const char* const* argv)
{
    Options options;
    std::vector<std::string> files;
    std::set<std::string> seen;
    bool optionsDone = false;
    for (int i = 1; i < argc; ++i)
    {
        const std::string arg = argv[i];
        if (optionsDone || arg == "-" || arg.empty() || arg[0] != '-')
        {
            files.push_back(arg);
            continue;
        }
        if (arg == "--")
        {
            optionsDone = true;
            continue;
        }
        if (arg == "-h" || arg == "--help")
        {
            options.help = true;
            continue;
        }
        if (const auto flag = kFlags.find(arg); flag != kFlags.end())
        {
            options.*(flag->second) = true;
            continue;
        }
        if (arg.rfind("--", 0) != 0)
            throw UsageError("unknown option " + Quoted(arg) + " (see --help)");
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(2, equals == std::string::npos ? equals : equals - 2);
        const auto handler = ValueOptions().find(name);
        if (handler == ValueOptions().end())
            throw UsageError("unknown option " + Quoted("--" + name) + " (see --help)");
        if (!kRepeatable.contains(name) && !seen.insert(name).second)
            throw UsageError("--" + name + " given twice");
        std::string value;
        if (equals != std::string::npos)
            value = arg.substr(equals + 1);
        else if (i + 1 < argc)
            value = argv[++i];
        else
            throw UsageError("--" + name + " needs a value");
        handler->second(options, value);
    }
    if (options.help)
        return options;

    if (files.size() > 2)
        throw UsageError("too many file names: give [INPUT] OUTPUT");
    if (files.size() == 2)
        options.input = files[0];
    if (!files.empty())
        options.output = files.back();
    // A lone file name that already exists is most likely an input whose output was
    // forgotten: rendering the demo over it would destroy it.
    if (files.size() == 1 && std::filesystem::exists(files[0]))
        throw UsageError("'" + files[0] +
                         "' exists; give INPUT OUTPUT, or remove it to render "
                         "the demo there");
    // By file identity: another name, a link or a path through other folders is the same file.
    std::error_code error;
    if (!options.input.empty() && !options.replaceInput &&
        std::filesystem::equivalent(options.input, options.output, error))
        throw UsageError("'" + options.output +
                         "' is the input file itself; give another output name, or "
                         "--replace-input to render over it");
    if (!options.input.empty() && (options.rate || options.seconds))
        throw UsageError("--rate and --seconds apply to the demo signal only; the input file "
                         "keeps its own rate and length");
    if (!options.savePrograms.empty() && options.programList.empty())
        throw UsageError("--save-programs writes the programs of --programs; give both");
    if (options.output.empty() && !options.list && !options.listPresets &&
        options.savePreset.empty() && options.savePrograms.empty())
        throw UsageError("no output file given (see --help)");
    if (!options.output.empty() && options.output == options.savePreset)
        throw UsageError("the output file and --save-preset name the same file");
    return options;
}

std::string UsageText()
{
    return R"(Usage: corvane-render [OPTIONS] [INPUT] OUTPUT
Renders audio through a VST 2.4 plug-in (by default the built Corvane Phaser).

Files:
  INPUT                  WAV, FLAC or AIFF (anything libsndfile reads), mono or stereo;
                         mono is fed to both plug-in inputs. Without INPUT a built-in demo
                         chord is rendered. Any length: the audio streams through in blocks.
  OUTPUT                 .wav (32-bit float), .flac (24-bit) or .aif/.aiff (32-bit float);
                         written only when everything succeeded; keeps the input's rate.
                         It may not be the input file itself (see --replace-input).

Options:
  --plugin PATH          plug-in module to load (default: the built or installed
                         CorvanePhaser.so)
  --param NAME=VALUE     set a parameter (repeatable, applied in order).
                         NAME: an index, a host name as --list prints it (PFB), the long
                         name or the panel's caption ("Feedback Level"); any letter case,
                         blanks and underscores ignored; or the unique start of a name
                         (Feedback) or end of a host name (Mix).
                         VALUE: what the plug-in shows, as --list prints it:
                         - a number, with or without its unit: PFB=-80.45 or -6dB,
                           LFreq=0.8 or 0.8Hz, PLFreq=2500, 2500Hz or 2.5kHz, PMix=0 (the
                           middle) or 50%, PModD=100%, PSM=12 or "12 stages"
                         - silence: PFB=-oo or -inf
                         - a switch: On, Off, true, false, yes, no, 1, 0 (POn=Off)
                         - a text: LSRes=1/4, PMS=LFO, LMS=ModWh
                         - norm:V, the normalised value V from 0 to 1 as hosts send it
                           (PMix=norm:0.5)
  --program N            select the plug-in's program N, counted from 1
  --preset PRESET        load a .fxp program or .fxb bank file, or a factory program by
                         number (1 to 32, as in the README and the file names) or name
                         ("Sixteenth Flutter")
  --list-presets         print the factory programs and where they are
  --programs FILE        fill programs 1, 2, 3... from a program list: a name line, then
                         lines of NAME=VALUE settings as --param takes them; # comments
  --program-name NAME    name the current program (at most 23 characters)
  --save-preset FILE     save the current program (.fxp) or the bank (.fxb) at the end
  --save-programs DIR    save each program of --programs as DIR/01 Name.fxp, 02...
  --gain DB              gain applied to the output, -96 to 96 dB (default 0). A .flac
                         output that would clip gets a warning with the gain that avoids it
  --tempo BPM            host tempo (default 120)
  --start-ppq Q          song position of the first sample, in quarter notes (default 0)
  --block N              samples per processing call, 1 to 65536 (default 512)
  --cc TIME:CC:VALUE     MIDI control change on channel 1 (repeatable)
  --pressure TIME:VALUE  MIDI channel pressure on channel 1 (repeatable)
                         TIME is in seconds (1.5 or 1.5s) or a sample index (66150smp)
  --rate HZ              sample rate of the demo signal (default 44100)
  --seconds S            length of the demo signal (default 6, at most 3600)
  --replace-input        allow OUTPUT to be INPUT: the render replaces it when it succeeds
  --list                 print the plug-in's parameters and programs (after the settings
                         above are applied), then render if OUTPUT is given
  -h, --help             show this text

Settings apply in this order: .fxb bank, --programs, --program, .fxp program, --param,
--program-name.
Errors print one line starting with "corvane-render: " and exit with status 1
(2 for command-line mistakes).

Examples:
  corvane-render out/demo.wav
  corvane-render --preset "Sixteenth Flutter" --tempo 100 guitar.wav phased.wav
  corvane-render --preset 12 --param PMix=50% guitar.wav phased.flac
  corvane-render --param "Feedback Level=-6" --param PMix=50% --param PSM=12 in.wav out.wav
  corvane-render --param LSOn=On --param LSRes=1/4 --cc 2.0:1:127 pad.flac out.flac
  corvane-render --preset "Screaming Jet" --gain -3 pluck.wav jet.flac
  corvane-render --list --param PLFreq=1.2kHz
  corvane-render --preset CorvanePhaser-Factory.fxb --program 5 in.wav out.wav
  corvane-render --param PSM=8 --program-name "My Sweep" --save-preset my.fxp
  corvane-render --programs bank.txt --save-preset bank.fxb --save-programs presets/
)";
}

} // namespace Kestrune::Render
