// The LV2 edition through lilv against the VST edition through dlopen (EditionBench.h). The
// LV2 instance gets no features and an unconnected events port (audio and control ports only).
#include "EditionBench.h"

#include <lilv/lilv.h>

#include <algorithm>
#include <cstdlib>

namespace
{

class Lv2Instance
{
public:
    Lv2Instance(int blockSize, int stages)
        : block(blockSize), output(static_cast<std::size_t>(blockSize))
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
        float* in = input.Next(block);
        lilv_instance_connect_port(instance, 13, in);
        lilv_instance_connect_port(instance, 14, in);
        lilv_instance_run(instance, static_cast<std::uint32_t>(block));
    }

private:
    int block;
    Bench::LoopedNoise input;
    std::vector<float> output;
    float controls[13] = {};
    LilvWorld* world = nullptr;
    LilvInstance* instance = nullptr;
};

const bool registered = Bench::RegisterAgainstVst<Lv2Instance>("Lv2AgainstVst", "lv2");

} // namespace
