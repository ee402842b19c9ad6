#include "PresetTransfer.h"

#include "PluginHost.h"
#include "RenderError.h"
#include "hostkit/Error.h"
#include "hostkit/PresetFile.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace Kestrune::Render
{

using namespace HostKit;

namespace
{

// Far above any real preset; keeps a wrong file from being read whole into memory.
constexpr std::uintmax_t kMaxPresetBytes = 256u << 20;

std::vector<std::uint8_t> ReadBytes(const std::string& path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        throw RenderError("cannot read preset " + path + ": no such file");
    const auto size = std::filesystem::file_size(path, error);
    if (error || size > kMaxPresetBytes)
        throw RenderError("cannot read preset " + path + ": not a preset file");
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size)))
        throw RenderError("cannot read preset " + path);
    return bytes;
}

void ApplyValues(PluginHost& host, const ProgramRecord& program)
{
    host.SetProgramName(program.name);
    for (std::size_t i = 0; i < program.values.size(); ++i)
        host.SetParameter(static_cast<int>(i), program.values[i]);
}

void Apply(PluginHost& host, const PresetFile& preset)
{
    const bool chunk =
        preset.kind == PresetKind::ProgramChunk || preset.kind == PresetKind::BankChunk;
    if (chunk && !host.ProgramsAreChunks())
        throw RenderError("the preset holds a chunk but the plug-in does not keep its programs "
                          "as chunks");
    if (!chunk && preset.numParams != host.NumParams())
        throw RenderError("the preset has " + std::to_string(preset.numParams) +
                          " parameters, the plug-in " + std::to_string(host.NumParams()));
    if (preset.IsBank() && preset.numPrograms > host.NumPrograms())
        throw RenderError("the bank has " + std::to_string(preset.numPrograms) +
                          " programs, the plug-in " + std::to_string(host.NumPrograms()));
    if (preset.IsBank() && preset.currentProgram >= host.NumPrograms())
        throw RenderError("the bank selects program " + std::to_string(preset.currentProgram) +
                          ", beyond the plug-in's " + std::to_string(host.NumPrograms()));

    switch (preset.kind)
    {
    case PresetKind::ProgramChunk:
    case PresetKind::BankChunk:
        if (!host.SetChunk(preset.chunk, preset.kind == PresetKind::ProgramChunk))
            throw RenderError("the plug-in refused the preset's chunk");
        break;
    case PresetKind::ProgramParams:
        ApplyValues(host, preset.programs.front());
        break;
    case PresetKind::BankPrograms:
    {
        const int previous = host.GetProgram();
        for (std::size_t i = 0; i < preset.programs.size(); ++i)
        {
            host.SetProgram(static_cast<int>(i));
            ApplyValues(host, preset.programs[i]);
        }
        host.SetProgram(previous);
        break;
    }
    }
    if (preset.IsBank() && preset.currentProgram >= 0)
        host.SetProgram(preset.currentProgram);
}

} // namespace

bool IsBankPath(const std::string& path)
{
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".fxb";
}

void LoadPresetBytes(PluginHost& host, const std::vector<std::uint8_t>& bytes)
{
    Apply(host, ParsePreset(bytes, host.UniqueId()));
}

void LoadPreset(PluginHost& host, const std::string& path)
{
    const auto bytes = ReadBytes(path);
    try
    {
        LoadPresetBytes(host, bytes);
    }
    catch (const std::runtime_error& error) // the file's fault (Error) or the plug-in's
    {
        throw RenderError("cannot load preset " + path + ": " + error.what());
    }
}

std::vector<std::uint8_t> CapturePreset(PluginHost& host, bool bank)
{
    PresetFile preset;
    preset.fxId = host.UniqueId();
    preset.fxVersion = host.Version();
    preset.numParams = host.NumParams();
    if (bank)
    {
        preset.version = 2;
        preset.numPrograms = host.NumPrograms();
        preset.currentProgram = host.GetProgram();
        if (host.ProgramsAreChunks())
        {
            preset.kind = PresetKind::BankChunk;
            preset.chunk = host.GetChunk(false);
        }
        else
        {
            preset.kind = PresetKind::BankPrograms;
            for (int p = 0; p < host.NumPrograms(); ++p)
            {
                host.SetProgram(p);
                ProgramRecord record{host.ProgramName(), {}};
                for (int i = 0; i < host.NumParams(); ++i)
                    record.values.push_back(host.GetParameter(i));
                preset.programs.push_back(std::move(record));
            }
            host.SetProgram(preset.currentProgram);
        }
        return SerializePreset(preset);
    }
    preset.name = host.ProgramName();
    if (host.ProgramsAreChunks())
    {
        preset.kind = PresetKind::ProgramChunk;
        preset.chunk = host.GetChunk(true);
    }
    else
    {
        preset.kind = PresetKind::ProgramParams;
        ProgramRecord record{preset.name, {}};
        for (int i = 0; i < host.NumParams(); ++i)
            record.values.push_back(host.GetParameter(i));
        preset.programs.push_back(std::move(record));
    }
    return SerializePreset(preset);
}

} // namespace Kestrune::Render
