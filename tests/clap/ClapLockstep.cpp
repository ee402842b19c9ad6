#include "clap/ClapLockstep.h"

#include "phaser/ParameterTable.h"

#include <algorithm>
#include <cmath>

namespace TestSupport
{

HostKit::ClapModule& ClapModule()
{
    static HostKit::ClapModule module(CORVANE_CLAP_BINARY);
    return module;
}

std::unique_ptr<HostKit::ClapInstance> NewClapInstance()
{
    return std::make_unique<HostKit::ClapInstance>(ClapModule(), "com.corvane.phaser");
}

double ClapValue(int index, float normalised)
{
    const auto& row = Kestrune::Product::kParameters[index];
    const auto port = static_cast<double>(PortValue(index, normalised));
    return row.transform != Kestrune::Product::Transform::kSelection
               ? port
               : (port - static_cast<double>(row.firstEntry)) / static_cast<double>(row.entryStep);
}

std::vector<FramedChange> AtBlockStarts(const std::vector<TimedChange>& changes)
{
    std::vector<FramedChange> framed;
    for (const TimedChange& c : changes)
        framed.push_back({c.block, 0, c.index, c.value});
    return framed;
}

void ClapLockstep::Run(PluginHost& vstHost, HostKit::ClapInstance& plugin)
{
    vstHost.time.tempo = kLv2Tempo;
    for (const FramedChange& c : changes)
        if (c.block == 0 && c.frame == 0)
        {
            vstHost.Effect()->setParameter(vstHost.Effect(), c.index, c.value);
            plugin.AddParameter(0, static_cast<clap_id>(c.index), ClapValue(c.index, c.value));
        }
    plugin.Flush();
    vstHost.Suspend();
    vstHost.Resume();
    plugin.Activate(44100.0, static_cast<std::uint32_t>(blockSize));
    const auto block = [&](int index, std::size_t start, std::uint32_t n)
    {
        // Changes of block 0 at frame 0 went in before activation.
        const auto due = [&](const FramedChange& c)
        { return c.block == index && (index > 0 || c.frame > 0); };
        std::vector<std::uint32_t> cuts = {0, n};
        for (const FramedChange& c : changes)
            if (due(c))
            {
                plugin.AddParameter(c.frame, static_cast<clap_id>(c.index),
                                    ClapValue(c.index, c.value));
                cuts.push_back(c.frame);
            }
        for (const TimedMidi& m : midi)
            if (m.block == index)
            {
                vstHost.AddMidi(m.offset, m.status, m.data1, m.data2);
                if (events)
                    plugin.AddMidi(static_cast<std::uint32_t>(m.offset), m.status, m.data1,
                                   m.data2);
            }
        // The position on CLAP's grid (2^-31 beats) for both editions: the same input.
        vstHost.time.ppqPos =
            std::round(vstHost.time.ppqPos * CLAP_BEATTIME_FACTOR) / CLAP_BEATTIME_FACTOR;
        if (events)
            plugin.SetTransport(vstHost.time.tempo, vstHost.time.ppqPos);
        else
            plugin.ClearTransport();

        // The VST edition: its block split where changes fall, each set before its part.
        std::sort(cuts.begin(), cuts.end());
        cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
        for (std::size_t part = 0; part + 1 < cuts.size(); ++part)
        {
            for (const FramedChange& c : changes)
                if (due(c) && c.frame == cuts[part])
                    vstHost.Effect()->setParameter(vstHost.Effect(), c.index, c.value);
            const std::size_t at = start + cuts[part];
            vstHost.Process(&inL[at], &inR[at], &vst.left[at], &vst.right[at],
                            static_cast<int>(cuts[part + 1] - cuts[part]));
        }
    };
    Drive(clap, block,
          [&](const float* l, const float* r, float* outL, float* outR, std::uint32_t n)
          { plugin.Process(l, r, outL, outR, n); });
}

} // namespace TestSupport
