// The built-in input: a sustained chord of detuned saw voices with a little noise, rich in
// partials so that the phaser's moving notches are easy to hear. Deterministic.
#pragma once

#include "AudioIo.h"

namespace Kestrune::Render
{

// One channel (fed to both plug-in inputs), peak 0.5.
AudioBuffer MakeDemoSignal(int sampleRate, double seconds);

} // namespace Kestrune::Render
