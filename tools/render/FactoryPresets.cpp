#include "FactoryPresets.h"

#include "Options.h"
#include "ParameterNames.h"
#include "ParameterText.h"
#include "RenderError.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>

namespace Kestrune::Render
{

namespace fs = std::filesystem;

fs::path ExecutableFolder()
{
    std::error_code error;
    const auto executable = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : executable.parent_path();
}

std::string FactoryFolder()
{
    std::error_code error;
    const fs::path folder = ExecutableFolder();
    const fs::path installed = (folder / CORVANE_RENDER_INSTALLED_PRESETS).lexically_normal();
    if (!folder.empty() && fs::is_directory(installed, error))
        return installed.string();
    if (fs::is_directory(CORVANE_RENDER_BUILT_PRESETS, error))
        return CORVANE_RENDER_BUILT_PRESETS;
    throw RenderError("no factory presets found (looked in " + installed.string() + " and " +
                      CORVANE_RENDER_BUILT_PRESETS + ")");
}

std::vector<FactoryPreset> ListFactoryPresets(const std::string& folder)
{
    std::vector<FactoryPreset> presets;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
    {
        // "12 Sixteenth Flutter.fxp"
        const std::string file = entry.path().filename().string();
        const std::size_t blank = file.find(' ');
        if (!EndsWithNoCase(file, ".fxp") || blank == std::string::npos || blank == 0)
            continue;
        const auto number = ParseNumber(file.substr(0, blank));
        // Bounded before the conversion: a number no int holds ("99999999999 X.fxp") is no
        // program of ours, and converting it would be undefined.
        if (!number || !(*number >= 1.0 && *number <= std::numeric_limits<int>::max()) ||
            *number != std::floor(*number))
            continue;
        presets.push_back({static_cast<int>(*number),
                           file.substr(blank + 1, file.size() - blank - 5), entry.path().string()});
    }
    std::sort(presets.begin(), presets.end(),
              [](const FactoryPreset& a, const FactoryPreset& b) { return a.number < b.number; });
    return presets;
}

std::string PresetPath(const std::string& given)
{
    std::error_code error;
    if (EndsWithNoCase(given, ".fxp") || EndsWithNoCase(given, ".fxb") ||
        given.find('/') != std::string::npos || fs::is_regular_file(given, error))
        return given;
    const std::string folder = FactoryFolder();
    const auto presets = ListFactoryPresets(folder);
    const bool byNumber =
        !given.empty() &&
        std::all_of(given.begin(), given.end(),
                    [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
    for (const FactoryPreset& preset : presets)
    {
        if (byNumber ? ParseNumber(given) == preset.number : NameKey(given) == NameKey(preset.name))
            return preset.path;
    }
    throw RenderError("no factory preset '" + given + "' in " + folder + " (give 1 to " +
                      std::to_string(presets.empty() ? 0 : presets.back().number) +
                      " or a name; see --list-presets)");
}

} // namespace Kestrune::Render
