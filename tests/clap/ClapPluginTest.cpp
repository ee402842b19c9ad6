// The CLAP edition as a CLAP host finds it: the factory, ports, parameters, texts and state,
// through the host library's CLAP host over the built binary.
#include "clap/ClapLockstep.h"
#include "hostkit/Error.h"
#include "support/ElfExports.h"

#include <gtest/gtest.h>

#include <cmath>
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

// Ranges in the LV2 ports' units (selections: entry numbers); names unique without their module;
// texts through the displays read back to a value showing the same text; host values and
// numbers beyond the range (1e300, 1e39) clamp to its ends before narrowing; nothing for ids
// outside the table.
TEST(ClapPlugin, ParametersAndTextRoundTrips)
{
    auto plugin = NewClapInstance();
    const clap_plugin_params_t& params = Params(*plugin);
    ASSERT_EQ(params.count(plugin->Plugin()), 13u);
    const std::set<clap_id> stepped = {1, 2, 3, 4, 5, 10, 12};
    std::set<std::string> names;
    for (std::uint32_t i = 0; i < 13; ++i)
    {
        clap_param_info_t info = {};
        ASSERT_TRUE(params.get_info(plugin->Plugin(), i, &info));
        SCOPED_TRACE(info.name);
        EXPECT_EQ(info.id, i);
        EXPECT_TRUE(names.insert(info.name).second);
        EXPECT_FALSE(std::string(info.name).starts_with(info.module));
        EXPECT_EQ((info.flags & CLAP_PARAM_IS_STEPPED) != 0, stepped.count(i) == 1);
        EXPECT_EQ(Value(*plugin, i), info.default_value);
        EXPECT_EQ(info.min_value, ClapValue(static_cast<int>(i), 0.0f));
        EXPECT_EQ(info.max_value, ClapValue(static_cast<int>(i), 1.0f));
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
        // Low last: a stale answer to the next call (the last display) would show.
        const std::string high = Text(*plugin, i, info.max_value);
        const std::string low = Text(*plugin, i, info.min_value);
        for (const char* far : {"1e300", "1e39"})
        {
            const double number = std::stod(far);
            EXPECT_EQ(Text(*plugin, i, number), high) << far;
            EXPECT_EQ(Text(*plugin, i, -number), low) << far;
            double back = 0.0;
            ASSERT_TRUE(params.text_to_value(plugin->Plugin(), i, far, &back));
            EXPECT_EQ(back, info.max_value) << far;
            ASSERT_TRUE(
                params.text_to_value(plugin->Plugin(), i, ("-" + std::string(far)).c_str(), &back));
            EXPECT_EQ(back, info.min_value) << far;
            plugin->AddParameter(0, i, number);
            plugin->Flush();
            EXPECT_EQ(Value(*plugin, i), info.max_value) << far;
            plugin->AddParameter(0, i, -number);
            plugin->Flush();
            EXPECT_EQ(Value(*plugin, i), info.min_value) << far;
        }
    }
    EXPECT_EQ(Text(*plugin, 6, 0.0), "-oo");
    double value = 0.0;
    EXPECT_FALSE(params.text_to_value(plugin->Plugin(), 0, "fast", &value));
    EXPECT_FALSE(params.get_value(plugin->Plugin(), 13, &value));
    clap_param_info_t info = {};
    EXPECT_FALSE(params.get_info(plugin->Plugin(), 13, &info));
}

// Every step of a stepped parameter reads back as set, under its own text; a fractional value
// is truncated (CLAP's rule). The stage mode offers its seven counts.
TEST(ClapPlugin, SteppedParametersOfferEachSettingOnce)
{
    auto plugin = NewClapInstance();
    for (const clap_id id : {1u, 2u, 3u, 4u, 5u, 10u, 12u})
    {
        clap_param_info_t info = {};
        ASSERT_TRUE(Params(*plugin).get_info(plugin->Plugin(), id, &info));
        std::vector<std::string> texts;
        for (double step = info.min_value; step <= info.max_value; ++step)
        {
            for (const double fraction : {0.0, 0.3, 0.99})
            {
                plugin->AddParameter(0, id, step + fraction);
                plugin->Flush();
                EXPECT_EQ(Value(*plugin, id), step) << info.name << " " << step + fraction;
            }
            texts.push_back(Text(*plugin, id, step));
        }
        EXPECT_EQ(std::set<std::string>(texts.begin(), texts.end()).size(), texts.size());
        if (id == 10)
        {
            EXPECT_EQ(texts, (std::vector<std::string>{"4", "6", "8", "10", "12", "14", "16"}));
        }
    }
}

// Stored values outside 0..1 (the VST edition keeps them as they are) load from a CLAP state and
// from a bare VST chunk, and every value a host reads stays finite within the declared range.
TEST(ClapPlugin, ValuesStoredOutsideTheRangeAreReportedWithinIt)
{
    using Edit = float (*)(float);
    const Edit edits[] = {[](float) { return 1e30f; }, [](float) { return -1.0f; },
                          [](float x) { return x * 4 + 3; }, [](float) { return 3.4e38f; }};
    for (const Edit edit : edits)
    {
        PluginHost vst;
        StartVst(vst, 64);
        for (int i = 0; i < 13; ++i)
            vst.Effect()->setParameter(vst.Effect(), i,
                                       edit(vst.Effect()->getParameter(vst.Effect(), i)));
        auto bare = NewClapInstance();
        ASSERT_TRUE(bare->LoadState(vst.GetChunk(true)));
        std::vector<std::uint8_t> state;
        ASSERT_TRUE(bare->SaveState(state));
        auto restored = NewClapInstance();
        ASSERT_TRUE(restored->LoadState(state));
        for (const auto* plugin : {bare.get(), restored.get()})
            for (clap_id i = 0; i < 13; ++i)
            {
                clap_param_info_t info = {};
                ASSERT_TRUE(Params(*plugin).get_info(plugin->Plugin(), i, &info));
                const double value = Value(*plugin, i);
                EXPECT_TRUE(std::isfinite(value) && value >= info.min_value &&
                            value <= info.max_value)
                    << info.name << " " << value;
            }
    }
}

// Saved settings come back in another instance, read in pieces of any size; a stream cut short
// is refused and changes nothing.
TEST(ClapPlugin, StateSavedAndRestored)
{
    auto source = NewClapInstance();
    source->AddParameter(0, 0, 3.5);
    source->AddParameter(0, 10, 4.0);
    source->AddParameter(0, 6, 0.7);
    source->Flush();
    std::vector<std::uint8_t> state;
    ASSERT_TRUE(source->SaveState(state));

    for (const std::size_t readSize : {std::size_t{1}, std::size_t{7}, std::size_t{4096}})
    {
        auto target = NewClapInstance();
        ASSERT_TRUE(target->LoadState(state, readSize));
        EXPECT_EQ(target->rescans, 0); // the host has read no value: none of its is stale
        for (clap_id i = 0; i < 13; ++i)
            EXPECT_EQ(Value(*target, i), Value(*source, i)) << i;
        ASSERT_TRUE(target->LoadState(state, readSize));
        EXPECT_EQ(target->rescans, 0); // the values it read stand
        std::vector<std::uint8_t> defaults;
        ASSERT_TRUE(NewClapInstance()->SaveState(defaults));
        ASSERT_TRUE(target->LoadState(defaults));
        EXPECT_EQ(target->rescans, 1);
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
    EXPECT_DOUBLE_EQ(Value(*clap, 10), 6.0); // entry 6: 16 stages
}

// Rates that cannot run are refused with the reason in the host's log; the output buffer's
// constant_mask, which the host fills with ones, is the plug-in's to write.
TEST(ClapPlugin, ActivateAndProcessAsAStrictHostChecks)
{
    auto plugin = NewClapInstance();
    const double refused[] = {1e300, 1e-300, 0.0, -1.0, 0.5, 3.5e38, std::nan(""), INFINITY};
    for (const double rate : refused)
        EXPECT_FALSE(plugin->Activate(rate, 64)) << rate;
    ASSERT_EQ(plugin->logged.size(), std::size(refused));
    EXPECT_NE(plugin->logged[0].find("sample rate 1e+300 Hz refused"), std::string::npos);
    for (const double rate : {1.0, 8000.0, 768000.0, 3.4e38, 44100.0})
        EXPECT_TRUE(plugin->Activate(rate, 64)) << rate;
    EXPECT_EQ(plugin->logged.size(), std::size(refused));
    std::vector<float> buffer(64, 0.25f);
    ASSERT_EQ(plugin->Process(buffer.data(), buffer.data(), buffer.data(), buffer.data(), 64),
              CLAP_PROCESS_CONTINUE);
    EXPECT_EQ(plugin->constantMask, 0u);
}

} // namespace
