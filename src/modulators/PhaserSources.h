#pragma once

#include <cstddef>

namespace Kestrune::Modulators
{
class QuadratureLfo;
class ModulationWheel;
class ChannelPressure;
} // namespace Kestrune::Modulators

namespace Kestrune::Effects
{

class Phaser;

// Routes one modulation source to the phaser's left and right sweep inputs: none, the
// oscillator's in-phase and quadrature outputs, the modulation wheel or channel pressure.
// The buffers are the objects' own arrays, so a choice stays valid until the next one.
//
// SetSource is called by the parameter under the model's lock.
class PhaserSources
{
public:
    static constexpr int kNone = 0;
    static constexpr int kLfo = 1;
    static constexpr int kWheel = 2;
    static constexpr int kPressure = 3;
    static constexpr int kSourceCount = 4;

    template <int ProgramCount> class ParameterGroup;

    // "None", "LFO", "MW", "CP"; indices outside the table are clamped.
    struct SourceDisplay
    {
        static void Format(int source, char* text, std::size_t size);
    };

    // Non-owning; all four outlive the router.
    PhaserSources(Phaser* phaser, Modulators::QuadratureLfo* lfo,
                  Modulators::ModulationWheel* wheel, Modulators::ChannelPressure* pressure);

    // 0 to 3; other indices leave the routing unchanged.
    void SetSource(int source);

private:
    Phaser* phaser;
    Modulators::QuadratureLfo* lfo;
    Modulators::ModulationWheel* wheel;
    Modulators::ChannelPressure* pressure;
};

} // namespace Kestrune::Effects
