#include "BundleWriter.h"

#include "lv2/ControlPorts.h"
#include "lv2/Uris.h"
#include "phaser/CorvanePhaserModel.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <set>

namespace Kestrune::Lv2
{

namespace
{
constexpr const char* kPrefixes = R"(@prefix atom: <http://lv2plug.in/ns/ext/atom#> .
@prefix doap: <http://usefulinc.com/ns/doap#> .
@prefix foaf: <http://xmlns.com/foaf/0.1/> .
@prefix lv2: <http://lv2plug.in/ns/lv2core#> .
@prefix midi: <http://lv2plug.in/ns/ext/midi#> .
@prefix pg: <http://lv2plug.in/ns/ext/port-groups#> .
@prefix pset: <http://lv2plug.in/ns/ext/presets#> .
@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .
@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .
@prefix state: <http://lv2plug.in/ns/ext/state#> .
@prefix time: <http://lv2plug.in/ns/ext/time#> .
@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .
@prefix units: <http://lv2plug.in/ns/extensions/units#> .
@prefix urid: <http://lv2plug.in/ns/ext/urid#> .
@prefix xsd: <http://www.w3.org/2001/XMLSchema#> .

)";

// The project's version as LV2 reads it: the major version lives in the URI, and hosts hide a
// minor version of 0 or an odd one as a development version.
struct ReleaseVersion
{
    int minor;
    int micro;
};
constexpr ReleaseVersion kReleaseVersion{CORVANE_VERSION_MINOR, CORVANE_VERSION_PATCH};
static_assert(kReleaseVersion.minor >= 2 && kReleaseVersion.minor % 2 == 0,
              "a release needs an even minor version from 2 (odd ones mark development builds)");

// The shortest text that reads back as the same float (through a double, as hosts read it).
std::string Number(float value)
{
    char text[32];
    auto [end, error] = std::to_chars(text, text + sizeof text, value);
    std::string shortest(text, end);
    if (static_cast<float>(std::strtod(shortest.c_str(), nullptr)) == value)
        return shortest;
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    return text;
}

// A decimal literal (hosts read preset values as floats only when they are not integers).
std::string Decimal(float value)
{
    std::string text = Number(value);
    if (text.find_first_of(".eEn") == std::string::npos)
        text += ".0";
    return text;
}

std::string Quoted(const std::string& text)
{
    std::string out = "\"";
    for (char c : text)
    {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string Base64(const std::vector<unsigned char>& bytes)
{
    static const char* digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3)
    {
        const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
        std::uint32_t word = 0;
        for (std::size_t k = 0; k < 3; ++k)
            word = (word << 8) | (k < n ? bytes[i + k] : 0u);
        for (std::size_t k = 0; k < 4; ++k)
            out += k <= n ? digits[(word >> (18 - 6 * k)) & 63u] : '=';
    }
    return out;
}

void WriteScalePoints(std::ostream& out, const ControlPort& port)
{
    out << " ;\n        lv2:scalePoint";
    for (int entry = 0; entry < port.entries; ++entry)
    {
        char text[32] = {};
        port.entryText(entry, text, sizeof text);
        const float value = port.firstEntry + port.entryStep * static_cast<float>(entry);
        out << (entry == 0 ? " " : " , ") << "[ rdfs:label " << Quoted(text) << " ; rdf:value "
            << Number(value) << " ]";
    }
}

void WriteControlPort(std::ostream& out, CorvanePhaserModel& model, int index)
{
    const ControlPort& port = GetControlPort(index);
    const std::string name =
        std::string(model.GetGroupName(index)) + " " + model.GetParameterName(index);
    const std::string shortName =
        std::string(model.GetGroupShortName(index)) + model.GetParameterShortName(index);
    out << "        a lv2:InputPort , lv2:ControlPort ;\n"
        << "        lv2:index " << index << " ;\n"
        << "        lv2:symbol " << Quoted(port.symbol) << " ;\n"
        << "        lv2:name " << Quoted(name) << " ;\n"
        << "        lv2:shortName " << Quoted(shortName) << " ;\n"
        << "        rdfs:comment " << Quoted(port.comment) << " ;\n"
        << "        lv2:default " << Number(port.toPort(model.GetParameterValue(index))) << " ;\n"
        << "        lv2:minimum " << Number(PortMinimum(port)) << " ;\n"
        << "        lv2:maximum " << Number(PortMaximum(port));
    if (port.unit != nullptr)
        out << " ;\n        units:unit units:" << port.unit;
    if (port.kind == PortKind::kSelection)
    {
        out << " ;\n        lv2:portProperty lv2:integer , lv2:enumeration";
        WriteScalePoints(out, port);
    }
    if (port.kind == PortKind::kToggle)
        out << " ;\n        lv2:portProperty lv2:toggled";
    if (index == kEnabledPort)
        out << " ;\n        lv2:designation lv2:enabled";
    out << "\n    ]";
}

// The stereo pairs are declared as the main input and output groups: hosts that make a mono or
// stereo filter of a plug-in (GStreamer's bridge) see a stereo effect only through them.
constexpr const char* kInputGroup = CORVANE_LV2_URI "#in";
constexpr const char* kOutputGroup = CORVANE_LV2_URI "#out";

void WriteAudioPort(std::ostream& out, int index, bool input, bool left)
{
    const char* side = left ? "left" : "right";
    const std::string symbol = std::string(input ? "in_" : "out_") + side;
    const std::string name = std::string(left ? "Left" : "Right") + (input ? " In" : " Out");
    out << "        a lv2:" << (input ? "InputPort" : "OutputPort") << " , lv2:AudioPort ;\n"
        << "        lv2:index " << index << " ;\n"
        << "        lv2:symbol " << Quoted(symbol) << " ;\n"
        << "        lv2:name " << Quoted(name) << " ;\n"
        << "        pg:group <" << (input ? kInputGroup : kOutputGroup) << "> ;\n"
        << "        lv2:designation pg:" << side << "\n    ]";
}

void WriteGroup(std::ostream& out, bool input)
{
    out << "<" << (input ? kInputGroup : kOutputGroup) << ">\n"
        << "    a pg:" << (input ? "InputGroup" : "OutputGroup") << " , pg:StereoGroup ;\n"
        << "    lv2:symbol " << (input ? "\"in\"" : "\"out\"") << " ;\n"
        << "    rdfs:label " << (input ? "\"Input\"" : "\"Output\"") << " .\n\n";
}
} // namespace

void NamePresets(std::vector<Preset>& presets)
{
    std::set<std::string> taken;
    for (Preset& preset : presets)
    {
        std::string slug;
        for (char c : preset.name)
        {
            const bool keep = std::isalnum(static_cast<unsigned char>(c)) != 0;
            if (keep)
                slug += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            else if (!slug.empty() && slug.back() != '-')
                slug += '-';
        }
        while (!slug.empty() && slug.back() == '-')
            slug.pop_back();
        if (slug.empty())
            slug = "program";
        std::string unique = slug;
        for (int n = 2; taken.count(unique) != 0; ++n)
            unique = slug + "-" + std::to_string(n);
        taken.insert(unique);
        preset.uri = std::string(CORVANE_LV2_URI) + ":preset:" + unique;
    }
}

void WriteManifest(std::ostream& out, const BundleFiles& files, const std::vector<Preset>& presets)
{
    out << kPrefixes;
    out << "<" CORVANE_LV2_URI ">\n    a lv2:Plugin ;\n    lv2:binary <" << files.pluginBinary
        << "> ;\n";
    if (!files.uiBinary.empty())
        out << "    ui:ui <" CORVANE_LV2_UI_URI "> ;\n";
    out << "    rdfs:seeAlso <CorvanePhaser.ttl> .\n";
    if (!files.uiBinary.empty())
        out << "\n<" CORVANE_LV2_UI_URI ">\n    a ui:X11UI ;\n    ui:binary <" << files.uiBinary
            << "> ;\n    rdfs:seeAlso <CorvanePhaserUI.ttl> .\n";
    for (const Preset& preset : presets)
        out << "\n<" << preset.uri << ">\n    a pset:Preset ;\n    lv2:appliesTo <" CORVANE_LV2_URI
            << "> ;\n    rdfs:label " << Quoted(preset.name)
            << " ;\n    rdfs:seeAlso <presets.ttl> .\n";
}

void WritePluginTurtle(std::ostream& out, CorvanePhaserModel& model)
{
    out << kPrefixes;
    WriteGroup(out, true);
    WriteGroup(out, false);
    out << "<" CORVANE_LV2_URI ">\n"
        << "    a lv2:Plugin , lv2:PhaserPlugin , doap:Project ;\n"
        << "    doap:name " << Quoted(model.GetEffectName()) << " ;\n"
        << "    doap:maintainer [ foaf:name " << Quoted(model.GetVendorString()) << " ] ;\n"
        << "    rdfs:comment \"A stereo phaser: 4 to 16 all-pass stages per channel with feedback, "
           "swept by a quadrature oscillator (free or locked to the tempo), the modulation wheel "
           "or channel pressure.\" ;\n"
        << "    lv2:minorVersion " << kReleaseVersion.minor << " ;\n"
        << "    lv2:microVersion " << kReleaseVersion.micro << " ;\n"
        << "    pg:mainInput <" << kInputGroup << "> ;\n"
        << "    pg:mainOutput <" << kOutputGroup << "> ;\n"
        << "    lv2:optionalFeature urid:map , lv2:hardRTCapable ;\n"
        << "    lv2:extensionData state:interface ;\n"
        << "    lv2:port [\n";
    for (int i = 0; i < kControlPortCount; ++i)
    {
        WriteControlPort(out, model, i);
        out << " , [\n";
    }
    WriteAudioPort(out, kAudioInLeft, true, true);
    out << " , [\n";
    WriteAudioPort(out, kAudioInRight, true, false);
    out << " , [\n";
    WriteAudioPort(out, kAudioOutLeft, false, true);
    out << " , [\n";
    WriteAudioPort(out, kAudioOutRight, false, false);
    out << " , [\n"
        << "        a lv2:InputPort , atom:AtomPort ;\n"
        << "        atom:bufferType atom:Sequence ;\n"
        << "        atom:supports midi:MidiEvent , time:Position ;\n"
        << "        lv2:designation lv2:control ;\n"
        << "        lv2:portProperty lv2:connectionOptional ;\n"
        << "        lv2:index " << kEventsIn << " ;\n"
        << "        lv2:symbol \"events\" ;\n"
        << "        lv2:name \"Events\"\n    ] .\n";
}

void WriteUiTurtle(std::ostream& out)
{
    out << kPrefixes;
    out << "<" CORVANE_LV2_UI_URI ">\n"
        << "    a ui:X11UI ;\n"
        << "    lv2:requiredFeature ui:idleInterface , ui:parent ;\n"
        << "    lv2:optionalFeature ui:resize ;\n"
        << "    lv2:extensionData ui:idleInterface .\n";
}

void WritePresets(std::ostream& out, const std::vector<Preset>& presets)
{
    out << kPrefixes;
    // The state key the presets use, declared so that validators and hosts know it.
    out << "<" CORVANE_LV2_STATE_PROGRAM_CHUNK ">\n    a rdf:Property ;\n"
        << "    rdfs:label \"program chunk\" ;\n"
        << "    rdfs:comment \"One program as the plug-in's own chunk, the bytes the VST edition "
           "saves for a program.\" ;\n"
        << "    rdfs:range xsd:base64Binary .\n\n";
    for (const Preset& preset : presets)
    {
        out << "<" << preset.uri << ">\n    a pset:Preset ;\n    lv2:appliesTo <" CORVANE_LV2_URI
            << "> ;\n    rdfs:label " << Quoted(preset.name) << " ;\n    lv2:port";
        for (int i = 0; i < kControlPortCount && i < static_cast<int>(preset.values.size()); ++i)
        {
            const ControlPort& port = GetControlPort(i);
            out << (i == 0 ? " " : " , ") << "[\n        lv2:symbol " << Quoted(port.symbol)
                << " ;\n        pset:value " << Decimal(port.toPort(preset.values[std::size_t(i)]))
                << "\n    ]";
        }
        out << " ;\n    state:state [\n        <" CORVANE_LV2_STATE_PROGRAM_CHUNK "> \""
            << Base64(preset.programChunk) << "\"^^xsd:base64Binary\n    ] .\n\n";
    }
}

} // namespace Kestrune::Lv2
