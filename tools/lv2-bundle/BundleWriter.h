#pragma once

#include <ostream>
#include <string>
#include <vector>

class CorvanePhaserModel;

namespace Kestrune::Lv2
{

// The bundle's Turtle, written from the model and the port table so that names, ranges,
// defaults and scale points always match the built plug-in.
struct BundleFiles
{
    std::string pluginBinary; // file names inside the bundle
    std::string uiBinary;     // empty: no editor in the bundle
};

// One factory program: its name and the program chunk that restores it exactly.
struct Preset
{
    std::string uri;
    std::string name;
    std::vector<float> values; // normalised, flat-index order
    std::vector<unsigned char> programChunk;
};

void WriteManifest(std::ostream& out, const BundleFiles& files, const std::vector<Preset>& presets);
// model: a fresh instance; its current values are the defaults.
void WritePluginTurtle(std::ostream& out, CorvanePhaserModel& model);
void WriteUiTurtle(std::ostream& out);
void WritePresets(std::ostream& out, const std::vector<Preset>& presets);

// A URI for each preset, from its name (letters and digits, the rest as '-'), unique among
// them.
void NamePresets(std::vector<Preset>& presets);

} // namespace Kestrune::Lv2
