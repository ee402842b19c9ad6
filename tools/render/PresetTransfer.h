// Moves .fxp/.fxb presets between files and the loaded plug-in, the way hosts do: opaque
// chunks through effSetChunk/effGetChunk, parameter lists through the parameter calls.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Kestrune::Render
{

class PluginHost;

// .fxb when the extension says so (any letter case), else .fxp.
bool IsBankPath(const std::string& path);

// Reads, validates (against the plug-in's unique ID and counts) and applies. A bank selects
// its stored current program (version 2). Throws RenderError naming the file.
void LoadPreset(PluginHost& host, const std::string& path);
// Bank files first: they select a program, which the other settings then refine.
void LoadPresetBytes(PluginHost& host, const std::vector<std::uint8_t>& bytes);

// The current program (.fxp) or the whole bank (.fxb), as chunks when the plug-in keeps its
// programs as chunks, else as parameter lists.
std::vector<std::uint8_t> CapturePreset(PluginHost& host, bool bank);

} // namespace Kestrune::Render
