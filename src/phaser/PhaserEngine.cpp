#include "phaser/PhaserEngine.h"

#include <algorithm>
#include <cassert>
#include <cmath>

PhaserEngine::PhaserEngine(LfoGroup& lfoGroup, PhaserGroup& phaserGroup, SourcesGroup& sourcesGroup,
                           Kestrune::IServiceProvider* provider)
    : lfo(provider), phaser(provider), wheel(-1.0f, 1.0f, provider),
      pressure(-1.0f, 1.0f, provider), sources(&phaser, &lfo, &wheel, &pressure),
      depth(phaserGroup.GetSmoother(Kestrune::Product::kDepth))
{
    assert(depth != nullptr);
    lfoGroup.AttachAll(&lfo);
    phaserGroup.AttachAll(&phaser);
    sourcesGroup.AttachAll(&sources);
    for (Kestrune::Parameters::Smoother* smoother : phaserGroup.GetSmoothers())
        glides.Add(*smoother);
    glides.Add(wheel.GetSmoother());
    glides.Add(pressure.GetSmoother());
}

void PhaserEngine::Process(const float* inL, const float* inR, float* outL, float* outR, int count)
{
    using Kestrune::Parameters::GlideSet;
    GlideSet::Slice slice = glides.Start();
    // Glides no phaser loop steps (a slice smoothed for another length, or the effect off): each
    // smoother steps its own first.
    if (!phaser.IsEnabled() || slice.count != count)
    {
        glides.StepAlone();
        slice = {};
    }
    if (!phaser.IsEnabled())
    {
        phaser.Process(inL, inR, outL, outR, count);
        return;
    }
    // The phaser steps the oscillator and the glides inside its cascade loop, each sample before
    // reading it: the serial chains overlap instead of running one after the other.
    lfo.SetSweepDepth(std::max(std::fabs(depth->GetCurrent()), std::fabs(depth->GetTarget())));
    Kestrune::Modulators::CoupledOscillator oscillator = lfo.StartSlice();
    phaser.Process(inL, inR, outL, outR, count, oscillator, slice);
    lfo.FinishSlice(oscillator);
    glides.Finish(slice);
}
