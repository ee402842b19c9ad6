#include "RenderJob.h"

#include "AudioIo.h"
#include "DemoSignal.h"
#include "FactoryPresets.h"
#include "ParameterLookup.h"
#include "PendingFile.h"
#include "PluginHost.h"
#include "PresetTransfer.h"
#include "ProgramList.h"
#include "RenderError.h"
#include "Renderer.h"
#include "hostkit/PresetFile.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>

namespace Kestrune::Render
{

using HostKit::FourCCText;

namespace
{

constexpr const char* kModuleName = "CorvanePhaser.so";
// Renders longer than this many seconds of audio show a percentage on a terminal.
constexpr double kProgressSeconds = 5.0;

std::string Padded(std::string text, std::size_t width)
{
    if (text.size() < width)
        text.append(width - text.size(), ' ');
    return text;
}

void PrintListing(PluginHost& host)
{
    std::string name = host.EffectName();
    if (name.empty())
        name = std::filesystem::path(host.Path()).filename().string();
    const std::string vendor = host.VendorName();
    std::cout << name << (vendor.empty() ? "" : " by " + vendor) << ", ID "
              << FourCCText(host.UniqueId()) << ", version " << host.Version() << '\n'
              << host.NumInputs() << " inputs, " << host.NumOutputs() << " outputs, "
              << host.NumParams() << " parameters, " << host.NumPrograms()
              << " programs, current program " << host.GetProgram() + 1 << "\n\nParameters:\n"
              << "  index  name              display   label\n";
    for (int i = 0; i < host.NumParams(); ++i)
    {
        std::string index = std::to_string(i);
        std::cout << "  "
                  << Padded(std::string(5 - std::min<std::size_t>(5, index.size()), ' ') + index, 7)
                  << Padded(host.ParameterName(i), 18) << Padded(host.ParameterDisplay(i), 10)
                  << host.ParameterLabel(i) << '\n';
    }
    std::cout << "\nPrograms:\n";
    for (int p = 0; p < host.NumPrograms(); ++p)
    {
        std::string index = std::to_string(p + 1);
        std::cout << "  " << std::string(5 - std::min<std::size_t>(5, index.size()), ' ') << index
                  << "  " << host.ProgramNameAt(p) << '\n';
    }
    std::cout.flush();
}

void PrintFactoryPresets()
{
    const std::string folder = FactoryFolder();
    std::cout << "Factory presets (" << folder << "):\n";
    for (const FactoryPreset& preset : ListFactoryPresets(folder))
    {
        const std::string number = std::to_string(preset.number);
        std::cout << "  " << std::string(5 - std::min<std::size_t>(5, number.size()), ' ') << number
                  << "  " << preset.name << '\n';
    }
    std::cout.flush();
}

std::vector<TimedMidi> ResolveEvents(const Options& options, const AudioSource& input)
{
    std::vector<TimedMidi> events;
    for (const MidiEventSpec& given : options.events)
    {
        TimedMidi event;
        event.frame = given.time.ToFrame(input.SampleRate());
        if (event.frame >= input.Frames())
            throw RenderError(given.text + " lies beyond the end of the audio (" +
                              std::to_string(input.Frames()) + " samples)");
        event.bytes[0] = given.status;
        event.bytes[1] = given.data1;
        event.bytes[2] = given.data2;
        events.push_back(event);
    }
    return events;
}

void ApplySettings(PluginHost& host, const Options& options,
                   const std::vector<ListedProgram>& programs)
{
    const std::string preset = options.preset.empty() ? "" : PresetPath(options.preset);
    const bool bank = !preset.empty() && IsBankPath(preset);
    if (bank)
        LoadPreset(host, preset);
    if (!programs.empty())
        ApplyProgramList(host, programs, options.programList);
    if (options.program)
    {
        if (*options.program > host.NumPrograms())
            throw RenderError("--program " + std::to_string(*options.program) +
                              " is out of range (the plug-in has programs 1 to " +
                              std::to_string(host.NumPrograms()) + ")");
        host.SetProgram(*options.program - 1);
    }
    if (!preset.empty() && !bank)
        LoadPreset(host, preset);
    for (const ParamSetting& setting : options.params)
        ApplyParameter(host, setting);
    if (!options.programName.empty())
        host.SetProgramName(options.programName);
}

// A line on stderr when an integer output clipped, with the gain that would have avoided it.
void WarnOfClipping(const Options& options, const RenderResult& result)
{
    if (result.overFullScale == 0)
        return;
    const double peakDb = 20.0 * std::log10(static_cast<double>(result.peak));
    const double fix = options.gainDb - std::ceil(peakDb * 10.0) / 10.0;
    std::fprintf(stderr,
                 "corvane-render: %s clipped: peak %+.1f dBFS, %lld samples above full scale; "
                 "--gain %.1f avoids it (or write .wav, 32-bit float)\n",
                 options.output.c_str(), peakDb, static_cast<long long>(result.overFullScale), fix);
}

} // namespace

std::string DefaultPluginPath()
{
    std::error_code error;
    const auto folder = ExecutableFolder();
    if (!folder.empty())
    {
        for (const auto& candidate :
             {folder / kModuleName, folder / CORVANE_RENDER_INSTALLED_PLUGIN_DIR / kModuleName})
        {
            if (std::filesystem::is_regular_file(candidate, error))
                return candidate.lexically_normal().string();
        }
    }
    return CORVANE_RENDER_DEFAULT_PLUGIN;
}

int Run(const Options& options)
{
    if (options.help)
    {
        std::cout << UsageText();
        return 0;
    }
    if (options.listPresets)
        PrintFactoryPresets();
    if (options.listPresets && options.output.empty() && !options.list &&
        options.savePreset.empty() && options.savePrograms.empty())
        return 0;
    // Refuse a bad output name before any work.
    std::optional<int> format;
    if (!options.output.empty())
        format = OutputFormatFor(options.output);

    const auto input = options.input.empty()
                           ? MakeDemoSignal(options.rate.value_or(kDemoRate),
                                            options.seconds.value_or(kDemoSeconds))
                           : OpenAudioFile(options.input);
    const auto events = ResolveEvents(options, *input);
    const auto programs = options.programList.empty() ? std::vector<ListedProgram>{}
                                                      : ReadProgramList(options.programList);

    PluginHost host(options.plugin.empty() ? DefaultPluginPath() : options.plugin);
    host.Open(input->SampleRate(), options.blockSize);
    host.SetTransport(options.tempo, options.startPpq);
    ApplySettings(host, options, programs);
    if (options.list)
        PrintListing(host);

    std::unique_ptr<PendingFile> audioFile;
    RenderResult rendered;
    if (format)
    {
        audioFile = std::make_unique<PendingFile>(options.output);
        AudioWriter writer(audioFile->Descriptor(), options.output, *format, input->SampleRate(),
                           OutputChannels(host));
        RenderSettings settings;
        settings.blockSize = options.blockSize;
        settings.events = events;
        settings.gain = static_cast<float>(std::pow(10.0, options.gainDb / 20.0));
        settings.showProgress =
            isatty(STDERR_FILENO) != 0 &&
            static_cast<double>(input->Frames()) > kProgressSeconds * input->SampleRate();
        host.Resume();
        rendered = Render(host, *input, writer, settings);
        host.Suspend();
        writer.Close();
    }
    std::unique_ptr<PendingFile> presetFile;
    if (!options.savePreset.empty())
    {
        const auto bytes = CapturePreset(host, IsBankPath(options.savePreset));
        presetFile = std::make_unique<PendingFile>(options.savePreset);
        presetFile->Write(bytes);
    }
    std::vector<std::unique_ptr<PendingFile>> programFiles;
    if (!options.savePrograms.empty())
        programFiles = WriteProgramFiles(host, programs, options.savePrograms);
    if (audioFile)
        audioFile->Commit();
    if (presetFile)
        presetFile->Commit();
    for (const auto& file : programFiles)
        file->Commit();
    if (format && FormatClips(*format))
        WarnOfClipping(options, rendered);
    return 0;
}

} // namespace Kestrune::Render
