// Factory presets: corvane-lv2-bundle turns a bank file into the bundle's presets; a host that
// applies one (lilv's preset loading) hears the VST edition's program.
#include "lv2/Lv2Scenario.h"

#include "hostkit/PresetFile.h"

#include <gtest/gtest.h>

#include <lv2/presets/presets.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

namespace
{
using namespace TestSupport;
namespace fs = std::filesystem;

// Three edited programs in an otherwise blank bank, saved as the .fxb hosts exchange.
std::string WriteBank(const fs::path& folder)
{
    PluginHost vst;
    vst.Create();
    const struct
    {
        int program;
        const char* name;
        std::vector<std::pair<int, float>> values;
    } programs[] = {{0, "Slow Swirl", {{0, 0.1f}, {7, 0.9f}}},
                    {3, "Jet \"16\"", {{10, 1.0f}, {6, 0.93f}, {8, 0.3f}, {11, 0.77f}}},
                    {7, "Wheel Sweep", {{12, 2.0f / 3.0f}, {4, 0.0f}, {9, 0.41f}}}};
    for (const auto& p : programs)
    {
        vst.Dispatch(effSetProgram, 0, p.program);
        for (const auto& [index, value] : p.values)
            vst.Effect()->setParameter(vst.Effect(), index, value);
        std::string name = p.name;
        vst.Dispatch(effSetProgramName, 0, 0, name.data());
    }
    void* chunk = nullptr;
    const VstIntPtr size = vst.Dispatch(effGetChunk, 0, 0, &chunk);
    HostKit::PresetFile bank;
    bank.kind = HostKit::PresetKind::BankChunk;
    bank.fxId = HostKit::FourCC("CPhr");
    bank.fxVersion = 1;
    bank.numPrograms = 32;
    bank.chunk.assign(static_cast<std::uint8_t*>(chunk), static_cast<std::uint8_t*>(chunk) + size);
    const std::vector<std::uint8_t> bytes = HostKit::SerializePreset(bank);
    const fs::path file = folder / "bank.fxb";
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
    return file.string();
}

TEST(Lv2Presets, TheBanksProgramsBecomePresetsThatSoundAsTheVstPrograms)
{
    const fs::path folder = fs::temp_directory_path() / "corvane-lv2-preset-test";
    fs::remove_all(folder);
    const fs::path bundle = folder / "CorvanePhaser.lv2";
    fs::create_directories(bundle);
    fs::copy_file(CORVANE_LV2_BINARY, bundle / "CorvanePhaser.so");
    const std::string bank = WriteBank(folder);
    const std::string command = std::string(CORVANE_LV2_GENERATOR) + " '" + bundle.string() +
                                "' CorvanePhaser.so --bank '" + bank + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);

    LilvWorld* world = lilv_world_new();
    lilv_world_load_specifications(world);
    LilvNode* bundleUri = lilv_new_file_uri(world, nullptr, (bundle.string() + "/").c_str());
    lilv_world_load_bundle(world, bundleUri);
    lilv_node_free(bundleUri);
    LilvNode* uri = lilv_new_uri(world, kLv2Uri);
    const LilvPlugin* plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world), uri);
    lilv_node_free(uri);
    ASSERT_NE(plugin, nullptr);

    LilvNode* presetClass = lilv_new_uri(world, LV2_PRESETS__Preset);
    LilvNodes* presets = lilv_plugin_get_related(plugin, presetClass);
    lilv_node_free(presetClass);
    EXPECT_EQ(lilv_nodes_size(presets), 32u);
    std::map<std::string, const LilvNode*> byUri;
    LILV_FOREACH(nodes, i, presets)
    byUri[lilv_node_as_uri(lilv_nodes_get(presets, i))] = lilv_nodes_get(presets, i);
    const auto jet = byUri.find("urn:corvane:phaser:preset:jet-16");
    ASSERT_NE(jet, byUri.end());
    EXPECT_NE(byUri.find("urn:corvane:phaser:preset:blank-2"), byUri.end()); // names made unique

    {
        Lv2TestHost lv2(true, 44100.0, world, plugin);
        lilv_world_load_resource(world, jet->second);
        LilvState* state = lilv_state_new_from_world(world, lv2.UridMap(), jet->second);
        ASSERT_NE(state, nullptr);
        EXPECT_STREQ(lilv_state_get_label(state), "Jet \"16\"");
        lv2.Restore(state);
        lilv_state_free(state);

        PluginHost vst;
        vst.Create();
        std::vector<std::uint8_t> bytes;
        {
            std::ifstream file(bank, std::ios::binary);
            bytes.assign(std::istreambuf_iterator<char>(file), {});
        }
        const auto parsed = HostKit::ParsePreset(bytes, HostKit::FourCC("CPhr"));
        std::vector<std::uint8_t> chunk = parsed.chunk;
        vst.Dispatch(effSetChunk, 0, static_cast<VstIntPtr>(chunk.size()), chunk.data());
        vst.Dispatch(effSetProgram, 0, 3);
        for (int i = 0; i < 13; ++i)
            EXPECT_EQ(lv2.controls[i], PortValue(i, vst.Effect()->getParameter(vst.Effect(), i)))
                << "port " << i;
        vst.Start(44100.0f, 512);
        LockstepRun run{{}, {{20, 10, 0xB0, 1, 100}}};
        run.Run(vst, lv2);
        EXPECT_TRUE(SameBits(run.lv2, run.vst));
    } // the instance goes before the world

    lilv_nodes_free(presets);
    lilv_world_free(world);
    fs::remove_all(folder);
}

} // namespace
