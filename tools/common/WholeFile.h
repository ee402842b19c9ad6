// Whole files for the build tools: read in one piece, written so that the file appears whole or
// not at all. Both throw std::runtime_error with a one-line reason.
#pragma once

#include <filesystem>
#include <string>

namespace Kestrune::Tools
{

std::string ReadWhole(const std::string& path);
// Writes beside the target and renames onto it.
void WriteWhole(const std::filesystem::path& path, const std::string& text);

} // namespace Kestrune::Tools
