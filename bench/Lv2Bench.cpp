// The LV2 edition through lilv against the VST edition through dlopen, same settings and input
// kind as PluginBench (48 kHz, white noise of +-0.5, 1 Hz, feedback 0.75, mix 0.5, 4 or 16
// stages): "lv2 ns/frame" and "vst ns/frame" per stereo frame, "ratio" LV2 over VST. The LV2
// instance gets no features and an unconnected events port (audio and control ports only).
#include "BenchSupport.h"
#include "PluginInstance.h"
#include "phaser/Product.h"

#include <benchmark/benchmark.h>
#include <lilv/lilv.h>

#include <cstdlib>
#include <random>
#include <vector>

namespace Product = Kestrune::Product;

namespace
{

class Lv2Instance
{
public:
    Lv2Instance(int blockSize, int stages) : block(blockSize), input(kLength), output(blockSize)
    {
        world = lilv_world_new();
        lilv_world_load_specifications(world);
        LilvNode* bundle = lilv_new_file_uri(world, nullptr, CORVANE_LV2_BUNDLE "/");
        lilv_world_load_bundle(world, bundle);
        lilv_node_free(bundle);
        LilvNode* uri = lilv_new_uri(world, "urn:corvane:phaser");
        const LilvPlugin* plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world), uri);
        lilv_node_free(uri);
        instance = plugin != nullptr ? lilv_plugin_instantiate(plugin, 48000.0, nullptr) : nullptr;
        if (instance == nullptr)
            std::abort();
        std::minstd_rand noise(1);
        std::uniform_real_distribution<float> level(-0.5f, 0.5f);
        for (float& x : input)
            x = level(noise);
        // Port units: the settings themselves (1 Hz; the feedback gain 0.95 * 0.75).
        float defaults[13] = {
            1.0f, 0, 0, 5, 1, 1, 0.95f * 0.75f, 0.0625f, 2500, 2500, stages == 16 ? 16.0f : 4.0f,
            0.5f, 1};
        std::copy(defaults, defaults + 13, controls);
        for (std::uint32_t i = 0; i < 13; ++i)
            lilv_instance_connect_port(instance, i, &controls[i]);
        lilv_instance_connect_port(instance, 15, output.data());
        lilv_instance_connect_port(instance, 16, output.data());
        lilv_instance_activate(instance);
    }
    ~Lv2Instance()
    {
        lilv_instance_deactivate(instance);
        lilv_instance_free(instance);
        lilv_world_free(world);
    }

    void ProcessBlock()
    {
        if (position + block > kLength)
            position = 0;
        lilv_instance_connect_port(instance, 13, &input[position]);
        lilv_instance_connect_port(instance, 14, &input[position]);
        lilv_instance_run(instance, static_cast<std::uint32_t>(block));
        position += block;
    }

private:
    static constexpr int kLength = 16384;
    int block;
    int position = 0;
    std::vector<float> input;
    std::vector<float> output;
    float controls[13] = {};
    LilvWorld* world = nullptr;
    LilvInstance* instance = nullptr;
};

void Lv2AgainstVst(benchmark::State& state)
{
    const int blockSize = static_cast<int>(state.range(0));
    const int stages = static_cast<int>(state.range(1));
    Lv2Instance lv2(blockSize, stages);
    Bench::PluginInstance vst(blockSize);
    vst.SetParameter(Product::kLfoFrequency, std::sqrt(1.0f / 20.0f));
    vst.SetParameter(Product::kFeedback, 0.75f);
    vst.SetParameter(Product::kMix, 0.5f);
    vst.SetParameter(Product::kStageMode, stages == 16 ? 1.0f : 0.0f);
    vst.Restart();
    for (auto _ : state)
        lv2.ProcessBlock();
    const Bench::Comparison c =
        Bench::CompareWorkloads(Bench::Workload{[&] { lv2.ProcessBlock(); }, blockSize},
                                Bench::Workload{[&] { vst.ProcessBlock(); }, blockSize});
    state.counters["lv2 ns/frame"] = c.subjectNs;
    state.counters["vst ns/frame"] = c.referenceNs;
    state.counters["ratio"] = c.ratio;
    state.SetLabel(std::to_string(stages) + " stages, block " + std::to_string(blockSize));
}

} // namespace

BENCHMARK(Lv2AgainstVst)
    ->ArgNames({"block", "stages"})
    ->ArgsProduct({{64, 512, 4096}, {4, 16}})
    ->MinTime(0.1);
