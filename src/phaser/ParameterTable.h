#pragma once

#include "gui/resource.h"
#include "phaser/Product.h"

#include <cstddef>
#include <iterator>
#include <string_view>

// The product's parameters, one row each in flat-index order: everything the groups, the panel,
// the LV2 ports and the bundle's Turtle need to know about a parameter is written here once.
namespace Kestrune::Product
{

// The parameter groups in model order; a group's parameters are contiguous in the table.
enum class Group : int
{
    kLfo,
    kPhaser,
    kSources,
};

struct GroupInfo
{
    const char* shortName; // hosts see a parameter as group short name + parameter short name
    const char* name;
};

inline constexpr GroupInfo kGroups[] = {{"L", "LFO"}, {"P", "Phaser"}, {"P", "Phaser"}};
inline constexpr int kGroupCount = static_cast<int>(std::size(kGroups));

// Normalised value to the owner's setting.
enum class Transform
{
    kLfoFrequency,    // 20 v^2 Hz
    kPhaserFrequency, // 10000 v^2 Hz
    kFeedback,        // 0.95 v, within 0 to 0.95
    kSquare,          // v^2
    kLinear,          // v
    kToggle,          // on from 0.5 upward
    kSelection,       // one of `choices` entries
};

// Setting to the text hosts and the panel show.
enum class Display
{
    kHertz,          // "%.3f"
    kPercent,        // setting x 100, rounded
    kDecibels,       // level in dB, "-oo" at 0
    kWetDry,         // -100 (dry) to 100 (wet)
    kOnOff,          // "On" / "Off"
    kMidiSource,     // "None", "ModWh", "ChPress", "ExpPd"
    kSyncResolution, // "1/32" to "16/1"
    kStageCount,     // "4" to "16"
    kSweepSource,    // "None", "LFO", "MW", "CP"
};

// The panel's control kind for the parameter.
enum class Control
{
    kCheckBox,
    kComboBox,
    kSlider,
};

struct ParameterInfo
{
    Group group;
    const char* shortName; // at most 5 characters, so that the host name fits 6
    const char* name;
    const char* label;  // the unit hosts show beside the display text
    float defaultValue; // normalised
    Transform transform;
    Display display;
    int choices; // selections: entries, toggles: 2, continuous: 0
    int controlId;
    Control control;
    const char* symbol; // LV2 port symbol: sessions and presets refer to ports by it
    const char* unit;   // LV2 units local name, or null
    // The LV2 range of a selection: port value of entry 0 and between entries (continuous
    // ports run from the setting at 0 to the setting at 1).
    float firstEntry;
    float entryStep;
    const char* comment; // one line for a musician: what it does, its unit
};

inline constexpr ParameterInfo kParameters[] = {
    {Group::kLfo, "Freq", "Frequency", "Hz", 0.2f, Transform::kLfoFrequency, Display::kHertz, 0,
     IDC_LFO_FREQUENCY, Control::kSlider, "lfo_frequency", "hz", 0.0f, 0.0f,
     "Speed of the sweep oscillator when it runs freely, in hertz."},
    {Group::kLfo, "MS", "MIDI Source", "Source", 0.0f, Transform::kSelection, Display::kMidiSource,
     4, IDC_MIDI_SOURCE, Control::kComboBox, "lfo_midi_source", nullptr, 0.0f, 1.0f,
     "MIDI control that scales the oscillator's sweep: none, modulation wheel, channel pressure or "
     "expression pedal."},
    {Group::kLfo, "SOn", "Sync Enabled", "On/Off", 0.0f, Transform::kToggle, Display::kOnOff, 2,
     IDC_SYNC_ENABLED, Control::kCheckBox, "lfo_sync", nullptr, 0.0f, 1.0f,
     "Locks the oscillator to the host's tempo and song position."},
    {Group::kLfo, "SRes", "Sync Resolution", "Res", 0.5f, Transform::kSelection,
     Display::kSyncResolution, 11, IDC_SYNC_RESOLUTION, Control::kComboBox, "lfo_sync_resolution",
     nullptr, 0.0f, 1.0f, "Length of one sweep cycle when locked to the tempo, in notes."},
    {Group::kLfo, "QM", "Quad Mode", "On/Off", 1.0f, Transform::kToggle, Display::kOnOff, 2,
     IDC_QUAD_ENABLED, Control::kCheckBox, "lfo_quad_mode", nullptr, 0.0f, 1.0f,
     "Sweeps the right channel a quarter cycle ahead of the left."},
    {Group::kPhaser, "On", "Enabled", "On/Off", 1.0f, Transform::kToggle, Display::kOnOff, 2,
     IDC_ENABLED, Control::kCheckBox, "enabled", nullptr, 0.0f, 1.0f,
     "Turns the phaser on; off passes the input through unchanged."},
    {Group::kPhaser, "FB", "Feedback Level", "Level", 0.0f, Transform::kFeedback,
     Display::kDecibels, 0, IDC_FEEDBACK_LEVEL, Control::kSlider, "feedback", "coef", 0.0f, 0.0f,
     "Feedback around the stages, as a gain from 0 to 0.95: more is sharper, more resonant "
     "notches."},
    {Group::kPhaser, "ModD", "Modulation Depth", "Depth", 0.25f, Transform::kSquare,
     Display::kPercent, 0, IDC_MODULATION_DEPTH, Control::kSlider, "depth", "oct", 0.0f, 0.0f,
     "How far the sweep moves the notches either side of the centre, in octaves."},
    {Group::kPhaser, "LFreq", "Left Frequency", "Hz", 0.5f, Transform::kPhaserFrequency,
     Display::kHertz, 0, IDC_LEFT_FREQUENCY, Control::kSlider, "left_frequency", "hz", 0.0f, 0.0f,
     "Centre frequency of the left channel's sweep, in hertz."},
    {Group::kPhaser, "RFreq", "Right Frequency", "Hz", 0.5f, Transform::kPhaserFrequency,
     Display::kHertz, 0, IDC_RIGHT_FREQUENCY, Control::kSlider, "right_frequency", "hz", 0.0f, 0.0f,
     "Centre frequency of the right channel's sweep, in hertz."},
    {Group::kPhaser, "SM", "Stage Mode", "Mode", 0.0f, Transform::kSelection, Display::kStageCount,
     7, IDC_STAGE_MODE, Control::kComboBox, "stages", nullptr, 4.0f, 2.0f,
     "Number of all-pass stages per channel, 4 to 16: more stages, more notches."},
    {Group::kPhaser, "Mix", "Wet/Dry Mix", "Dry/Wet", 0.5f, Transform::kLinear, Display::kWetDry, 0,
     IDC_WET_DRY_MIX, Control::kSlider, "mix", "coef", 0.0f, 0.0f,
     "Proportion of the phased signal in the output: 0 dry, 0.5 the classic phaser, 1 fully wet."},
    {Group::kSources, "MS", "Modulation Source", "Source", 0.25f, Transform::kSelection,
     Display::kSweepSource, 4, IDC_MOD_SOURCE, Control::kComboBox, "sweep_source", nullptr, 0.0f,
     1.0f,
     "What moves the sweep: nothing, the oscillator, the modulation wheel or channel pressure."},
};

static_assert(std::size(kParameters) == kParameterCount, "one row per parameter index");

// Rows run through the groups in order, so a group's flat indices are contiguous.
constexpr bool GroupsInOrder()
{
    for (int i = 1; i < kParameterCount; ++i)
        if (static_cast<int>(kParameters[i].group) < static_cast<int>(kParameters[i - 1].group))
            return false;
    return static_cast<int>(kParameters[kParameterCount - 1].group) == kGroupCount - 1;
}
static_assert(GroupsInOrder());

constexpr bool ChoicesMatchTransforms()
{
    for (const ParameterInfo& parameter : kParameters)
    {
        const bool counted =
            parameter.transform == Transform::kSelection
                ? parameter.choices > 1
                : parameter.choices == (parameter.transform == Transform::kToggle ? 2 : 0);
        const bool listed = (parameter.control == Control::kComboBox) ==
                            (parameter.transform == Transform::kSelection);
        if (!counted || !listed)
            return false;
    }
    return true;
}
static_assert(ChoicesMatchTransforms(), "selections are lists with entries, toggles have two");

// Host names (group short name + short name) fit the 8 bytes hosts give them.
constexpr bool HostNamesFit()
{
    for (const ParameterInfo& parameter : kParameters)
    {
        const std::string_view group = kGroups[static_cast<int>(parameter.group)].shortName;
        if (group.size() + std::string_view(parameter.shortName).size() > 6)
            return false;
    }
    return true;
}
static_assert(HostNamesFit());

// The entry texts of a selection or toggle, as its display shows them; index clamped.
void FormatChoice(ParameterIndex index, int entry, char* text, std::size_t size);

} // namespace Kestrune::Product
