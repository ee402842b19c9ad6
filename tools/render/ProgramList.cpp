#include "ProgramList.h"

#include "ParameterLookup.h"
#include "ParameterText.h"
#include "PendingFile.h"
#include "PluginHost.h"
#include "PresetTransfer.h"
#include "RenderError.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace Kestrune::Render
{

namespace
{

// Far above any real list; keeps a wrong file from being read whole into memory.
constexpr std::uintmax_t kMaxListBytes = 1u << 20;

std::string At(const std::string& source, int line)
{
    return source + ":" + std::to_string(line) + ": ";
}

void CheckName(const std::string& name, const std::string& where)
{
    if (name.size() > kMaxProgramName)
        throw RenderError(where + "program name '" + name + "' is longer than " +
                          std::to_string(kMaxProgramName) + " characters");
    for (const char c : name)
    {
        if (c < 0x20 || c > 0x7E || std::string("/\\:*?\"<>|").find(c) != std::string::npos)
            throw RenderError(where + "program name '" + name +
                              "' holds a character file names cannot hold");
    }
}

std::vector<ListedSetting> ParseSettings(const std::string& line, int number,
                                         const std::string& source)
{
    std::vector<ListedSetting> settings;
    std::istringstream words(line);
    for (std::string word; words >> word;)
    {
        const std::size_t equals = word.find('=');
        if (equals == std::string::npos || equals == 0 || equals + 1 == word.size())
            throw RenderError(At(source, number) + "'" + word + "' is not NAME=VALUE");
        settings.push_back({{word.substr(0, equals), word.substr(equals + 1)}, number});
    }
    return settings;
}

} // namespace

std::vector<ListedProgram> ParseProgramList(const std::string& text, const std::string& source)
{
    std::vector<ListedProgram> programs;
    std::set<std::string> names;
    std::istringstream lines(text);
    int number = 0;
    for (std::string line; std::getline(lines, line);)
    {
        ++number;
        for (char& c : line)
            c = c == '\t' || c == '\r' ? ' ' : c;
        line = Trim(line);
        if (line.empty() || line[0] == '#')
            continue;
        if (line.find('=') == std::string::npos)
        {
            CheckName(line, At(source, number));
            if (!names.insert(Lowercase(line)).second)
                throw RenderError(At(source, number) + "program name '" + line +
                                  "' is given twice");
            programs.push_back({line, number, {}});
            continue;
        }
        if (programs.empty())
            throw RenderError(At(source, number) + "settings before the first program name");
        const auto settings = ParseSettings(line, number, source);
        programs.back().settings.insert(programs.back().settings.end(), settings.begin(),
                                        settings.end());
    }
    if (programs.empty())
        throw RenderError(source + ": no programs listed");
    return programs;
}

std::vector<ListedProgram> ReadProgramList(const std::string& path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        throw RenderError("cannot read program list " + path + ": no such file");
    if (std::filesystem::file_size(path, error) > kMaxListBytes || error)
        throw RenderError("cannot read program list " + path + ": not a program list");
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    if (!(text << in.rdbuf()))
        throw RenderError("cannot read program list " + path);
    return ParseProgramList(text.str(), path);
}

void ApplyProgramList(PluginHost& host, const std::vector<ListedProgram>& programs,
                      const std::string& source)
{
    if (static_cast<int>(programs.size()) > host.NumPrograms())
        throw RenderError(source + " lists " + std::to_string(programs.size()) +
                          " programs, the plug-in has " + std::to_string(host.NumPrograms()));
    const int previous = host.GetProgram();
    for (std::size_t p = 0; p < programs.size(); ++p)
    {
        const ListedProgram& program = programs[p];
        host.SetProgram(static_cast<int>(p));
        host.SetProgramName(program.name);
        if (host.ProgramName() != program.name)
            throw RenderError(At(source, program.line) + "the plug-in keeps the name '" +
                              program.name + "' as '" + host.ProgramName() + "'");
        for (const ListedSetting& listed : program.settings)
        {
            try
            {
                ApplyParameter(host, listed.setting);
            }
            catch (const RenderError& error)
            {
                throw RenderError(At(source, listed.line) + error.what());
            }
        }
    }
    host.SetProgram(previous);
}

std::vector<std::unique_ptr<PendingFile>>
WriteProgramFiles(PluginHost& host, const std::vector<ListedProgram>& programs,
                  const std::string& folder)
{
    std::vector<std::unique_ptr<PendingFile>> files;
    const int previous = host.GetProgram();
    for (std::size_t p = 0; p < programs.size(); ++p)
    {
        char number[16];
        std::snprintf(number, sizeof number, "%02d ", static_cast<int>(p) + 1);
        const auto path = std::filesystem::path(folder) / (number + programs[p].name + ".fxp");
        host.SetProgram(static_cast<int>(p));
        const auto bytes = CapturePreset(host, false);
        files.push_back(std::make_unique<PendingFile>(path.string()));
        files.back()->Write(bytes);
    }
    host.SetProgram(previous);
    return files;
}

} // namespace Kestrune::Render
