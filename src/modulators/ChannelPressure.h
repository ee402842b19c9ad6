#pragma once

#include "dsp/Smoother.h"
#include "midi/MessageObservers.h"
#include "model/ServiceInterfaces.h"

#include <cstdint>

namespace Kestrune::Modulators
{

// Channel pressure as a smoothed per-sample modulation source: pressure 0 gives the minimum,
// 127 the maximum, and the output glides between them. Before the first message the output
// is 0.
//
// OnChannelPressure arrives [audio] between slices; the smoother registers with the service
// provider, which brings the buffer up to date before every slice.
class ChannelPressure : public Midi::IChannelPressureObserver
{
public:
    ChannelPressure(float minimum, float maximum, IServiceProvider* serviceProvider);
    ~ChannelPressure() override;

    void OnChannelPressure(std::uint8_t channel, std::uint8_t pressure) override;

    const float* GetBuffer() const { return smoother.GetBuffer(); }
    Parameters::Smoother& GetSmoother() { return smoother; }

private:
    Parameters::Smoother smoother;
    float minimum;
    float range; // maximum - minimum
    Midi::IMessageProvider* provider;
};

} // namespace Kestrune::Modulators
