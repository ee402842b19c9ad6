#include "RenderJob.h"

#include "AudioIo.h"
#include "DemoSignal.h"
#include "ParameterLookup.h"
#include "PendingFile.h"
#include "PluginHost.h"
#include "PresetTransfer.h"
#include "ProgramList.h"
#include "RenderError.h"
#include "Renderer.h"
#include "hostkit/PresetFile.h"

#include <unistd.h>

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
              << " programs, current program " << host.GetProgram() << "\n\nParameters:\n"
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
        std::string index = std::to_string(p);
        std::cout << "  " << std::string(5 - std::min<std::size_t>(5, index.size()), ' ') << index
                  << "  " << host.ProgramNameAt(p) << '\n';
    }
    std::cout.flush();
}

std::vector<TimedMidi> ResolveEvents(const Options& options, const AudioBuffer& input)
{
    std::vector<TimedMidi> events;
    for (const MidiEventSpec& given : options.events)
    {
        TimedMidi event;
        event.frame = given.time.ToFrame(input.sampleRate);
        if (event.frame >= static_cast<std::int64_t>(input.Frames()))
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
    const bool bank = !options.preset.empty() && IsBankPath(options.preset);
    if (bank)
        LoadPreset(host, options.preset);
    if (!programs.empty())
        ApplyProgramList(host, programs, options.programList);
    if (options.program)
    {
        if (*options.program >= host.NumPrograms())
            throw RenderError("--program " + std::to_string(*options.program) +
                              " is out of range (the plug-in has " +
                              std::to_string(host.NumPrograms()) + " programs, from 0)");
        host.SetProgram(*options.program);
    }
    if (!options.preset.empty() && !bank)
        LoadPreset(host, options.preset);
    for (const ParamSetting& setting : options.params)
        ApplyParameter(host, setting);
    if (!options.programName.empty())
        host.SetProgramName(options.programName);
}

} // namespace

std::string DefaultPluginPath()
{
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error)
    {
        const auto folder = executable.parent_path();
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
    // Refuse a bad output name before any work.
    std::optional<int> format;
    if (!options.output.empty())
        format = OutputFormatFor(options.output);

    const AudioBuffer input = options.input.empty()
                                  ? MakeDemoSignal(options.rate.value_or(kDemoRate),
                                                   options.seconds.value_or(kDemoSeconds))
                                  : ReadAudioFile(options.input);
    const auto events = ResolveEvents(options, input);
    const auto programs = options.programList.empty() ? std::vector<ListedProgram>{}
                                                      : ReadProgramList(options.programList);

    PluginHost host(options.plugin.empty() ? DefaultPluginPath() : options.plugin);
    host.Open(input.sampleRate, options.blockSize);
    host.SetTransport(options.tempo, options.startPpq);
    ApplySettings(host, options, programs);
    if (options.list)
        PrintListing(host);

    std::unique_ptr<PendingFile> audioFile;
    if (format)
    {
        RenderSettings settings;
        settings.blockSize = options.blockSize;
        settings.events = events;
        settings.showProgress =
            isatty(STDERR_FILENO) != 0 &&
            static_cast<double>(input.Frames()) > kProgressSeconds * input.sampleRate;
        host.Resume();
        const AudioBuffer output = Render(host, input, settings);
        host.Suspend();
        audioFile = std::make_unique<PendingFile>(options.output);
        WriteAudioFile(audioFile->Descriptor(), options.output, *format, output);
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
    return 0;
}

} // namespace Kestrune::Render
