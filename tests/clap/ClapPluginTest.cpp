// The CLAP edition as a CLAP host finds it: the factory, ports, parameters, texts and state,
// through the host library's CLAP host over the built binary.
#include "clap/ClapLockstep.h"
#include "hostkit/Error.h"
#include "support/ElfExports.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

namespace
{
using namespace TestSupport;

const clap_plugin_params_t& Params(const HostKit::ClapInstance& plugin)
{
    return *plugin.Extension<clap_plugin_params_t>(CLAP_EXT_PARAMS);
}

double Value(const HostKit::ClapInstance& plugin, clap_id id)
{
    double value = -1.0;
    EXPECT_TRUE(Params(plugin).get_value(plugin.Plugin(), id, &value));
    return value;
}

std::string Text(const HostKit::ClapInstance& plugin, clap_id id, double value)
{
    char text[64] = {};
    EXPECT_TRUE(Params(plugin).value_to_text(plugin.Plugin(), id, value, text, sizeof text));
    return text;
}

TEST(ClapPlugin, FactoryPortsAndExports)
{
    EXPECT_EQ(ExportedSymbols(CORVANE_CLAP_BINARY), (std::vector<std::string>{"clap_entry"}));
    const clap_plugin_factory_t& factory = ClapModule().Factory();
    ASSERT_EQ(factory.get_plugin_count(&factory), 1u);
    const clap_plugin_descriptor_t* d = factory.get_plugin_descriptor(&factory, 0);
    EXPECT_STREQ(d->id, "com.corvane.phaser");
    EXPECT_STREQ(d->vendor, "Corvane Sound Design");
    EXPECT_STREQ(d->version, CORVANE_VERSION);
    std::set<std::string> features;
    for (const char* const* f = d->features; *f != nullptr; ++f)
        features.insert(*f);
    EXPECT_EQ(features, (std::set<std::string>{"audio-effect", "phaser", "stereo"}));
    EXPECT_THROW({ HostKit::ClapInstance other(ClapModule(), "com.corvane.other"); },
                 HostKit::Error);

    auto plugin = NewClapInstance();
    const auto* audio = plugin->Extension<clap_plugin_audio_ports_t>(CLAP_EXT_AUDIO_PORTS);
    const auto* notes = plugin->Extension<clap_plugin_note_ports_t>(CLAP_EXT_NOTE_PORTS);
    ASSERT_TRUE(audio != nullptr && notes != nullptr);
    for (const bool input : {true, false})
    {
        clap_audio_port_info_t info = {};
        ASSERT_EQ(audio->count(plugin->Plugin(), input), 1u);
        ASSERT_TRUE(audio->get(plugin->Plugin(), 0, input, &info));
        EXPECT_EQ(info.channel_count, 2u);
        EXPECT_STREQ(info.port_type, CLAP_PORT_STEREO);
        EXPECT_FALSE(audio->get(plugin->Plugin(), 1, input, &info));
    }
    clap_note_port_info_t midi = {};
    EXPECT_EQ(notes->count(plugin->Plugin(), false), 0u);
    ASSERT_TRUE(notes->get(plugin->Plugin(), 0, true, &midi));
    EXPECT_EQ(midi.supported_dialects, CLAP_NOTE_DIALECT_MIDI);
}

// Ranges in the LV2 ports' units; selections and toggles stepped; texts through the displays
// read back to a value showing the same text; nothing for ids outside the table.
TEST(ClapPlugin, ParametersAndTextRoundTrips)
{
    auto plugin = NewClapInstance();
    const clap_plugin_params_t& params = Params(*plugin);
    ASSERT_EQ(params.count(plugin->Plugin()), 13u);
    const std::set<clap_id> stepped = {1, 2, 3, 4, 5, 10, 12};
    for (std::uint32_t i = 0; i < 13; ++i)
    {
        clap_param_info_t info = {};
        ASSERT_TRUE(params.get_info(plugin->Plugin(), i, &info));
        SCOPED_TRACE(info.name);
        EXPECT_EQ(info.id, i);
        EXPECT_EQ((info.flags & CLAP_PARAM_IS_STEPPED) != 0, stepped.count(i) == 1);
        EXPECT_EQ(Value(*plugin, i), info.default_value);
        EXPECT_FLOAT_EQ(static_cast<float>(info.min_value), PortValue(static_cast<int>(i), 0.0f));
        EXPECT_FLOAT_EQ(static_cast<float>(info.max_value), PortValue(static_cast<int>(i), 1.0f));
        for (const double part : {0.0, 0.013, 0.25, 0.5, 0.77, 1.0})
        {
            const double value = info.min_value + part * (info.max_value - info.min_value);
            const std::string text = Text(*plugin, i, value);
            double back = -1.0;
            ASSERT_TRUE(params.text_to_value(plugin->Plugin(), i, text.c_str(), &back)) << text;
            EXPECT_EQ(Text(*plugin, i, back), text);
            EXPECT_GE(back, info.min_value);
            EXPECT_LE(back, info.max_value);
        }
    }
    EXPECT_EQ(Text(*plugin, 10, 16.0), "16");
    EXPECT_EQ(Text(*plugin, 6, 0.0), "-oo");
    double value = 0.0;
    EXPECT_FALSE(params.text_to_value(plugin->Plugin(), 0, "fast", &value));
    EXPECT_FALSE(params.get_value(plugin->Plugin(), 13, &value));
    clap_param_info_t info = {};
    EXPECT_FALSE(params.get_info(plugin->Plugin(), 13, &info));
}

// Saved settings come back in another instance, read in pieces of any size; a stream cut short
// is refused and changes nothing.
TEST(ClapPlugin, StateSavedAndRestored)
{
    auto source = NewClapInstance();
    source->AddParameter(0, 0, 3.5);
    source->AddParameter(0, 10, 12.0);
    source->AddParameter(0, 6, 0.7);
    source->Flush();
    std::vector<std::uint8_t> state;
    ASSERT_TRUE(source->SaveState(state));

    for (const std::size_t readSize : {std::size_t{1}, std::size_t{7}, std::size_t{4096}})
    {
        auto target = NewClapInstance();
        ASSERT_TRUE(target->LoadState(state, readSize));
        EXPECT_EQ(target->rescans, 1);
        for (clap_id i = 0; i < 13; ++i)
            EXPECT_EQ(Value(*target, i), Value(*source, i)) << i;
    }
    auto fresh = NewClapInstance();
    const double before = Value(*fresh, 10);
    for (const std::size_t cut : {state.size() - 1, std::size_t{40}, std::size_t{0}})
        EXPECT_FALSE(
            fresh->LoadState(std::vector<std::uint8_t>(state.begin(), state.begin() + cut)));
    EXPECT_EQ(Value(*fresh, 10), before);
    EXPECT_EQ(fresh->rescans, 0);
}

// A program chunk of the VST edition, as a .fxp holds it, loads unchanged: both editions then
// render the same bits.
TEST(ClapPlugin, VstProgramChunkLoadsAndSoundsTheSame)
{
    PluginHost source;
    StartVst(source, 512);
    for (const auto& [index, value] : {std::pair{0, 0.4f}, {10, 1.0f}, {11, 0.3f}, {8, 0.6f}})
        source.Effect()->setParameter(source.Effect(), index, value);
    const std::vector<std::uint8_t> chunk = source.GetChunk(true);

    PluginHost vst;
    StartVst(vst, 512);
    ASSERT_TRUE(vst.SetChunk(chunk, true));
    auto clap = NewClapInstance();
    ASSERT_TRUE(clap->LoadState(chunk));
    ClapLockstep run{{}, {}};
    run.Run(vst, *clap);
    EXPECT_TRUE(SameBits(run.clap, run.vst));
    EXPECT_DOUBLE_EQ(Value(*clap, 10), 16.0);
}

} // namespace
