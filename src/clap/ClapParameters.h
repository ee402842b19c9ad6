#pragma once

#include "clap/clap.h"
#include "lv2/ControlPorts.h"

#include <cstddef>
#include <memory>

class CorvanePhaserModel;

namespace Kestrune
{
class ServiceDispatcher;
}

namespace Kestrune::Clap
{

// The CLAP parameters: one per parameter of the product, id == flat index (stable: the VST
// edition's automation and chunks use the same order), values in the units of the LV2 ports
// (Hz, octaves, feedback gain, wet proportion, toggles) except selections, whose value is the
// entry's number (0 to entries - 1; the stage mode's texts are the stage counts), so one value
// names exactly one setting. Selections and toggles are stepped.
inline constexpr int kParameterCount = 13;

// The one place the per-parameter metadata comes from.
const Lv2::ControlPort& PortOf(int index);
// The flat index of a parameter id, or -1.
int IndexOf(clap_id id);
bool IsStepped(int index);
// The range get_info declares.
double Minimum(int index);
double Maximum(int index);
// The value hosts see for a normalised value: within the declared range and finite, whatever is
// stored (chunks keep values far outside 0..1 as they are; only what is reported is clamped).
double ToClap(int index, float normalised);
// The normalised value a host's value names: clamped into the range in double precision before
// any narrowing, a stepped value truncated (CLAP's rule for stepped parameters). NaN stays NaN.
float ToNormalised(int index, double value);

// Texts through the plug-in's own displays, on a model of its own (main thread only): the
// setting a value names is shown exactly as the VST edition shows it.
class ParameterTexts
{
public:
    ParameterTexts(); // throws what construction throws
    ~ParameterTexts();
    ParameterTexts(const ParameterTexts&) = delete;
    ParameterTexts& operator=(const ParameterTexts&) = delete;

    // Fills info for the flat index (names, range, default, flags).
    void Describe(int index, clap_param_info_t& info);
    // The display of the setting value names, as the VST edition shows it ("2500.00", "-oo",
    // "1/16"); the VST labels name no unit for most parameters ("Level", "Mode"), so none is
    // added.
    void ValueToText(int index, double value, char* text, std::size_t size);
    // The value whose display reads text: an entry's text (the label may follow) or its port
    // value for selections, the number (any text may follow) for continuous parameters. False
    // when nothing matches.
    bool TextToValue(int index, const char* text, double& value);

private:
    const char* Display(int index, float normalised);
    double DisplayedNumber(int index, float normalised);
    bool EntryFromText(int index, const char* text, double& value);

    std::unique_ptr<ServiceDispatcher> dispatcher;
    std::unique_ptr<CorvanePhaserModel> model;
    double defaults[kParameterCount] = {};
    char display[64] = {};
};

} // namespace Kestrune::Clap
