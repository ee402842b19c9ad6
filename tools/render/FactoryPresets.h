// The factory bank: "NN Name.fxp" per program, numbered from 1 like the README's table, in
// PREFIX/share/corvane-phaser/presets when corvane-render is installed, else in the build tree.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace Kestrune::Render
{

struct FactoryPreset
{
    int number = 0;
    std::string name;
    std::string path;
};

// The folder of the running executable; empty when it cannot be told.
std::filesystem::path ExecutableFolder();

// The installed folder next to the executable, else the built one. Throws RenderError when
// neither exists.
std::string FactoryFolder();

// The programs of the folder, by number.
std::vector<FactoryPreset> ListFactoryPresets(const std::string& folder);

// --preset's argument as a file: an existing file, or a name ending in .fxp or .fxb, is taken
// as it is; otherwise the factory program with that number or name (any letter case, blanks
// ignored). Throws RenderError when there is none.
std::string PresetPath(const std::string& given);

} // namespace Kestrune::Render
