#pragma once

#include "dsp/Smoother.h"
#include "midi/ControllerObservers.h"
#include "model/ServiceInterfaces.h"

#include <cstdint>

namespace Kestrune::Modulators
{

// The modulation wheel (controller 1) as a smoothed per-sample modulation source: value 0 gives
// the minimum, 127 the maximum, and the output glides between them. Before the first message
// the output is 0.
//
// OnModulationWheel arrives [audio] between slices; the smoother registers with the service
// provider, which brings the buffer up to date before every slice.
class ModulationWheel : public Midi::IModulationWheelObserver
{
public:
    ModulationWheel(float minimum, float maximum, IServiceProvider* serviceProvider);
    ~ModulationWheel() override;

    void OnModulationWheel(std::uint8_t channel, std::uint8_t value) override;
    // The fine controller (33) has no effect.
    void OnModulationWheelFine(std::uint8_t channel, std::uint8_t value) override;

    const float* GetBuffer() const { return smoother.GetBuffer(); }
    Parameters::Smoother& GetSmoother() { return smoother; }

private:
    Parameters::Smoother smoother;
    float minimum;
    float range; // maximum - minimum
    Midi::IControllerProvider* provider;
};

} // namespace Kestrune::Modulators
