// The CLAP edition through the host library's CLAP host against the VST edition through dlopen
// (EditionBench.h). The CLAP instance gets the transport at frame 0 of every block and no events.
#include "EditionBench.h"
#include "hostkit/ClapHost.h"

namespace
{

class ClapBenchInstance
{
public:
    ClapBenchInstance(int blockSize, int stages)
        : module(CORVANE_CLAP_BINARY), plugin(module, "com.corvane.phaser"), block(blockSize),
          output(static_cast<std::size_t>(blockSize))
    {
        // Values in the parameters' units: 1 Hz, the feedback gain 0.95 * 0.75, mix 0.5.
        plugin.AddParameter(0, 0, 1.0);
        plugin.AddParameter(0, 6, 0.95 * 0.75);
        plugin.AddParameter(0, 11, 0.5);
        plugin.AddParameter(0, 10, stages == 16 ? 6.0 : 0.0); // entries 6 (16 stages), 0 (4)
        plugin.Flush();
        plugin.Activate(48000.0, static_cast<std::uint32_t>(blockSize));
        plugin.SetTransport(120.0, 0.0);
    }

    void ProcessBlock()
    {
        const float* in = input.Next(block);
        plugin.Process(in, in, output.data(), output.data(), static_cast<std::uint32_t>(block));
    }

private:
    HostKit::ClapModule module;
    HostKit::ClapInstance plugin;
    int block;
    Bench::LoopedNoise input;
    std::vector<float> output;
};

const bool registered = Bench::RegisterAgainstVst<ClapBenchInstance>("ClapAgainstVst", "clap");

} // namespace
