#include "modulators/PhaserSources.h"

#include "base/Text.h"
#include "dsp/Buffers.h"
#include "dsp/Phaser.h"
#include "modulators/MidiSources.h"
#include "modulators/QuadratureLfo.h"

#include <algorithm>

namespace Kestrune::Effects
{

namespace
{
constexpr const char* kSourceTexts[PhaserSources::kSourceCount] = {"None", "LFO", "MW", "CP"};
}

void PhaserSources::SourceDisplay::Format(int source, char* text, std::size_t size)
{
    Base::CopyText(text, size, kSourceTexts[std::clamp(source, 0, kSourceCount - 1)]);
}

PhaserSources::PhaserSources(Phaser* phaserToDrive, Modulators::QuadratureLfo* oscillator,
                             Modulators::ModulationWheel* wheelModulator,
                             Modulators::ChannelPressure* pressureModulator)
    : phaser(phaserToDrive), lfo(oscillator), wheel(wheelModulator), pressure(pressureModulator)
{
}

void PhaserSources::SetSource(int source)
{
    const float* left;
    const float* right;
    switch (source)
    {
    case kNone:
        // The shared zero array: "None" and an unconnected input are the same silence.
        left = SilenceBuffer;
        right = SilenceBuffer;
        break;
    case kLfo:
        left = lfo->GetInPhaseOutput();
        right = lfo->GetQuadratureOutput();
        break;
    case kWheel:
        left = wheel->GetBuffer();
        right = left;
        break;
    case kPressure:
        left = pressure->GetBuffer();
        right = left;
        break;
    default:
        return;
    }
    phaser->SetLeftModulationSource(left);
    phaser->SetRightModulationSource(right);
}

} // namespace Kestrune::Effects
