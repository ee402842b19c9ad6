#pragma once

namespace Kestrune::Modulators
{

// The sweep oscillator's coupled-form sine/cosine recurrence over one slice, with the buffers it
// fills: the in-phase output (sine) and the quadrature output (cosine, or the sine again), both
// multiplied by a gain. Whoever runs the slice steps it once per sample from index 0:
// QuadratureLfo::Process in a loop of its own, or the phaser inside its cascade loop, where the
// oscillator's dependency chain overlaps the cascade's instead of running before it.
struct CoupledOscillator
{
    float sine;
    float cosine;
    float increment; // radians per sample
    float gain;      // 1 leaves the outputs unscaled
    bool quadMode;
    float* inPhase;
    float* quadrature;

    // Sample i of both outputs.
    void Step(int i)
    {
        // The cosine update uses the new sine, which keeps the amplitude constant.
        sine += cosine * increment;
        cosine -= sine * increment;
        inPhase[i] = sine * gain;
        quadrature[i] = (quadMode ? cosine : sine) * gain;
    }
};

} // namespace Kestrune::Modulators
