// The built-in input: a sustained chord of detuned saw voices with a little noise, rich in
// partials so that the phaser's moving notches are easy to hear. Deterministic.
#pragma once

#include "AudioIo.h"

#include <memory>

namespace Kestrune::Render
{

// One channel (fed to both plug-in inputs), peak 0.5. Made in two passes, the first finding
// the peak, so that any length takes the same memory.
std::unique_ptr<AudioSource> MakeDemoSignal(int sampleRate, double seconds);

} // namespace Kestrune::Render
