#include "phaser/PhaserEngine.h"

PhaserEngine::PhaserEngine(LfoGroup& lfoGroup, PhaserGroup& phaserGroup, SourcesGroup& sourcesGroup,
                           Kestrune::IServiceProvider* provider)
    : lfo(provider), phaser(provider), wheel(-1.0f, 1.0f, provider),
      pressure(-1.0f, 1.0f, provider), sources(&phaser, &lfo, &wheel, &pressure)
{
    lfoGroup.AttachAll(&lfo);
    phaserGroup.AttachAll(&phaser);
    sourcesGroup.AttachAll(&sources);
}

void PhaserEngine::Process(const float* inL, const float* inR, float* outL, float* outR, int count)
{
    if (!phaser.IsEnabled())
    {
        phaser.Process(inL, inR, outL, outR, count);
        return;
    }
    // The phaser steps the oscillator inside its cascade loop, each sample before reading it:
    // the two serial chains overlap instead of running one after the other.
    Kestrune::Modulators::CoupledOscillator slice = lfo.StartSlice();
    phaser.Process(inL, inR, outL, outR, count, slice);
    lfo.FinishSlice(slice);
}
