// Wiring of a phaser's per-sample inputs for the DSP tests.
#pragma once

#include "dsp/Phaser.h"

namespace DspTests
{

// Points the phaser's six per-sample inputs at the given buffers.
inline void ConnectInputs(Kestrune::Effects::Phaser& phaser, const float* depth, const float* left,
                          const float* right, const float* mix, const float* sourceL,
                          const float* sourceR)
{
    phaser.SetModulationDepth1(depth);
    phaser.SetLeftFrequency(left);
    phaser.SetRightFrequency(right);
    phaser.SetMix(mix);
    phaser.SetLeftModulationSource(sourceL);
    phaser.SetRightModulationSource(sourceR);
}

} // namespace DspTests
