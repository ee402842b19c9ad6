// The built CorvanePhaser module as a host sees it: the entry points, the record, the exported
// symbols, the identity opcodes and every parameter's name, display text and unit.
#include "phaser/Product.h"
#include "plugin/ModuleSupport.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <locale>
#include <set>
#include <sstream>
#include <string>

using namespace ModuleTest;
using TestSupport::PluginHost;

namespace Product = Kestrune::Product;

namespace
{

struct ParameterText
{
    const char* name;
    const char* display;
    const char* label;
};

// Host name, default display text and unit of every parameter, in flat-index order.
const ParameterText kDefaults[Kestrune::Product::kParameterCount] = {
    {"LFreq", "0.800", "Hz"},    {"LMS", "None", "Source"}, {"LSOn", "Off", "On/Off"},
    {"LSRes", "1/2", "Res"},     {"LQM", "On", "On/Off"},   {"POn", "On", "On/Off"},
    {"PFB", "-oo", "Level"},     {"PModD", "6", "Depth"},   {"PLFreq", "2500.00", "Hz"},
    {"PRFreq", "2500.00", "Hz"}, {"PSM", "4", "Mode"},      {"PMix", "0", "Dry/Wet"},
    {"PMS", "LFO", "Source"}};

std::string Display(PluginHost& host, int index)
{
    return host.GetString(effGetParamDisplay, index);
}

// The record's fields that describe the plug-in.
std::vector<long long> RecordFields(const AEffect& e)
{
    return {e.magic,        e.numPrograms, e.numParams, e.numInputs,     e.numOutputs,  e.flags,
            e.initialDelay, e.uniqueID,    e.version,   e.realQualities, e.offQualities};
}

} // namespace

TEST(Module, AHostThatAnswersNoVersionGetsNoPlugin)
{
    PluginHost host;
    ASSERT_TRUE(host.Loaded()) << TestSupport::ModulePath();
    EXPECT_EQ(host.Create(0), nullptr);
    ASSERT_EQ(host.requests.size(), 1u);
    EXPECT_EQ(host.requests[0].opcode, audioMasterVersion);

    PluginHost legacy(nullptr, "main");
    EXPECT_EQ(legacy.Create(0), nullptr);
    EXPECT_EQ(legacy.CountRequests(audioMasterWantMidi), 0);
}

TEST(Module, TheRecordDescribesThePlugin)
{
    for (VstIntPtr version : {VstIntPtr(1), VstIntPtr(2400)})
    {
        PluginHost host;
        const AEffect* e = host.Create(version);
        ASSERT_NE(e, nullptr) << version;
        EXPECT_EQ(e->magic, 0x56737450);
        EXPECT_EQ(e->uniqueID, 0x43506872);
        EXPECT_EQ(e->numInputs, 2);
        EXPECT_EQ(e->numOutputs, 2);
        EXPECT_EQ(e->numPrograms, 32);
        EXPECT_EQ(e->numParams, Kestrune::Product::kParameterCount);
        // Has-editor, can-replace and program chunks; never the synth flag.
        EXPECT_EQ(e->flags, 49);
        EXPECT_EQ(e->version, 1);
        EXPECT_EQ(e->initialDelay, 0);
        EXPECT_NE(e->processReplacing, nullptr);

        // The version question comes first, with null record and zero arguments; the request
        // for MIDI arrives during construction, before the entry point returns.
        ASSERT_GE(host.requests.size(), 2u);
        EXPECT_EQ(host.requests[0].opcode, audioMasterVersion);
        EXPECT_EQ(host.requests[0].index, 0);
        EXPECT_EQ(host.requests[0].value, 0);
        EXPECT_EQ(host.CountRequests(audioMasterWantMidi), 1);
        for (const auto& request : host.requests)
        {
            if (request.opcode == audioMasterWantMidi)
            {
                EXPECT_EQ(request.value, 1);
            }
        }
        EXPECT_EQ(host.Dispatch(effGetProgram), 0);
    }
}

TEST(Module, MainAndVSTPluginMainGiveRecordsThatBehaveAlike)
{
    auto modern = CreateHost("VSTPluginMain");
    auto legacy = CreateHost("main");
    ASSERT_TRUE(modern && legacy);
    EXPECT_NE(modern->Effect(), legacy->Effect());
    EXPECT_EQ(RecordFields(*modern->Effect()), RecordFields(*legacy->Effect()));
    EXPECT_EQ(modern->requests.size(), legacy->requests.size());
    for (VstInt32 opcode : {effGetEffectName, effGetVendorString, effGetProductString})
        EXPECT_EQ(modern->GetString(opcode, 0), legacy->GetString(opcode, 0));
    for (VstInt32 opcode : {effGetVendorVersion, effGetPlugCategory, effGetVstVersion,
                            effGetNumMidiInputChannels, effGetProgram})
        EXPECT_EQ(modern->Dispatch(opcode), legacy->Dispatch(opcode)) << opcode;

    const Stereo input = TestInput(20000);
    for (PluginHost* host : {modern.get(), legacy.get()})
    {
        host->Start();
        host->Effect()->setParameter(host->Effect(), Product::kFeedback, 0.7f);
        host->Effect()->setParameter(host->Effect(), Product::kStageMode, 0.5f);
        host->AddMidi(40, 0xB0, 1, 100);
    }
    const Stereo a = RenderBlocks(*modern, input, 512);
    const Stereo b = RenderBlocks(*legacy, input, 512);
    EXPECT_TRUE(SameBits(a, b));
    EXPECT_FALSE(SameBits(a.left, input.left));
}

TEST(Module, OnlyTheEntryPointsAreExported)
{
    const std::string command =
        std::string("nm -D --defined-only '") + TestSupport::ModulePath() + "' 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::set<std::string> symbols;
    char line[512];
    while (std::fgets(line, sizeof line, pipe) != nullptr)
    {
        std::istringstream fields(line);
        std::string address, type, name;
        if (fields >> address >> type >> name)
            symbols.insert(name);
    }
    ASSERT_EQ(pclose(pipe), 0) << "nm failed on " << TestSupport::ModulePath();
    EXPECT_EQ(symbols, (std::set<std::string>{"VSTPluginMain", "main"}));
}

TEST(Module, IdentityOpcodes)
{
    auto host = CreateHost();
    ASSERT_TRUE(host);
    EXPECT_EQ(host->GetString(effGetEffectName, 0), "Corvane Phaser");
    EXPECT_EQ(host->GetString(effGetVendorString, 0), "Corvane Sound Design");
    EXPECT_EQ(host->GetString(effGetProductString, 0), "Corvane Phaser");
    EXPECT_EQ(host->Dispatch(effGetEffectName, 0, 0, nullptr), 0);
    EXPECT_EQ(host->Dispatch(effGetVendorVersion), 1000);
    EXPECT_EQ(host->Dispatch(effGetPlugCategory), 1);
    EXPECT_EQ(host->Dispatch(effGetVstVersion), 2400);
    EXPECT_EQ(host->Dispatch(effGetNumMidiInputChannels), 1);
    EXPECT_EQ(host->Dispatch(effGetNumMidiOutputChannels), 0);
    for (const char* yes : {"receiveVstEvents", "receiveVstMidiEvent", "receiveVstTimeInfo"})
    {
        std::string text = yes;
        EXPECT_EQ(host->Dispatch(effCanDo, 0, 0, text.data()), 1) << yes;
    }
    for (const char* no : {"receiveVstEvent", "sendVstMidiEvent", "sendVstEvents", "bypass"})
    {
        std::string text = no;
        EXPECT_EQ(host->Dispatch(effCanDo, 0, 0, text.data()), -1) << no;
    }
}

TEST(Module, ParameterNamesTextsAndUnitsInEveryProgram)
{
    auto host = StartedHost();
    ASSERT_TRUE(host);
    for (int program = 0; program < 32; ++program)
    {
        host->Dispatch(effSetProgram, 0, program);
        ASSERT_EQ(host->Dispatch(effGetProgram), program);
        EXPECT_EQ(host->GetString(effGetProgramName, 0), "Blank");
        char indexed[64] = {};
        EXPECT_EQ(host->Dispatch(effGetProgramNameIndexed, program, 0, indexed), 1);
        EXPECT_STREQ(indexed, "Blank");
        for (int i = 0; i < Kestrune::Product::kParameterCount; ++i)
        {
            EXPECT_EQ(host->GetString(effGetParamName, i), kDefaults[i].name) << i;
            EXPECT_EQ(Display(*host, i), kDefaults[i].display) << program << " " << i;
            EXPECT_EQ(host->GetString(effGetParamLabel, i), kDefaults[i].label) << i;
        }
    }
    // The two "MS" parameters and the two frequency names stay apart.
    EXPECT_NE(host->GetString(effGetParamName, 1), host->GetString(effGetParamName, 12));
    EXPECT_NE(host->GetString(effGetParamName, 0), host->GetString(effGetParamName, 8));
}

TEST(Module, DisplayTextsAtTheEdges)
{
    auto host = StartedHost();
    ASSERT_TRUE(host);
    struct Case
    {
        int index;
        float value;
        const char* text;
    };
    using namespace Kestrune::Product;
    // One line per parameter.
    // clang-format off
    const Case cases[] = {
        {kLeftFrequency, 1.0f, "10000.0"},
        {kRightFrequency, 0.25f, "625.000"}, {kRightFrequency, 0.0f, "0.000"},
        {kLfoFrequency, 1.0f, "20.000"},
        {kFeedback, 1.0f, "-0.45"}, {kFeedback, 0.5f, "-6.47"},
        {kFeedback, 5.0f, "-0.45"}, {kFeedback, -1.0f, "-oo"},
        {kMix, 0.0f, "-100"}, {kMix, 0.25f, "-50"}, {kMix, 1.0f, "100"},
        {kDepth, 1.0f, "100"}, {kDepth, 0.0f, "0"},
        {kLfoSyncResolution, 0.4f, "1/4"}, {kLfoSyncResolution, 1.0f, "16/1"},
        {kLfoSyncResolution, 7.0f, "16/1"}, {kLfoSyncResolution, 0.0f, "1/32"},
        {kLfoMidiSource, 1.0f, "ExpPd"}, {kLfoMidiSource, 1.0f / 3, "ModWh"},
        {kSweepSource, 2.0f / 3, "MW"}, {kSweepSource, 1.0f, "CP"}, {kSweepSource, 0.0f, "None"},
        {kStageMode, 1.0f, "16"}, {kStageMode, -3.0f, "4"}, {kStageMode, 0.25f, "8"},
        {kLfoSync, 0.5f, "On"}, {kLfoSync, 0.49f, "Off"}, {kEnabled, 0.0f, "Off"}};
    // clang-format on
    for (const Case& c : cases)
    {
        host->Effect()->setParameter(host->Effect(), c.index, c.value);
        EXPECT_EQ(Display(*host, c.index), c.text) << c.index << " at " << c.value;
        EXPECT_EQ(host->Effect()->getParameter(host->Effect(), c.index), c.value);
    }
    // Host changes are not echoed back as automation.
    EXPECT_EQ(host->CountRequests(audioMasterAutomate), 0);
}

TEST(Module, NumberTextsIgnoreACommaLocale)
{
    // The host process runs with a German numeric locale.
    const std::string before = std::setlocale(LC_NUMERIC, nullptr);
    const std::locale globalBefore;
    const char* set = nullptr;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "ru_RU.UTF-8"})
    {
        if ((set = std::setlocale(LC_NUMERIC, name)) != nullptr)
            break;
    }
    if (set == nullptr)
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    try
    {
        std::locale::global(std::locale(set));
    }
    catch (const std::runtime_error&)
    {
        // The C locale alone is what printf-style formatting would use.
    }
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 2.5);
    EXPECT_STREQ(probe, "2,5") << "locale " << set << " has no decimal comma";

    {
        auto host = StartedHost();
        ASSERT_TRUE(host);
        EXPECT_EQ(Display(*host, 8), "2500.00");
        EXPECT_EQ(Display(*host, 0), "0.800");
        host->Effect()->setParameter(host->Effect(), Product::kFeedback, 0.5f);
        EXPECT_EQ(Display(*host, 6), "-6.47");
        host->Effect()->setParameter(host->Effect(), Product::kRightFrequency, 0.3f);
        EXPECT_EQ(Display(*host, 9), "900.000");
    }
    std::locale::global(globalBefore);
    std::setlocale(LC_NUMERIC, before.c_str());
}

TEST(Module, InstancesAreIndependent)
{
    auto first = StartedHost();
    auto second = StartedHost();
    ASSERT_TRUE(first && second);
    first->Effect()->setParameter(first->Effect(), Product::kFeedback, 0.8f);
    char name[] = "Mine";
    first->Dispatch(effSetProgramName, 0, 0, name);
    EXPECT_EQ(second->Effect()->getParameter(second->Effect(), Product::kFeedback), 0.0f);
    EXPECT_EQ(second->GetString(effGetProgramName, 0), "Blank");
    EXPECT_EQ(first->GetString(effGetProgramName, 0), "Mine");
}
