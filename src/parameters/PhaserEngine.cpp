#include "parameters/PhaserEngine.h"

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
    if (phaser.IsEnabled())
        lfo.Process(count);
    phaser.Process(inL, inR, outL, outR, count);
}
