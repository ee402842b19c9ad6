#include "DemoSignal.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace Kestrune::Render
{

namespace
{

// Polynomial band-limited step correction; t is the phase in cycles, dt the increment.
double PolyBlep(double t, double dt)
{
    if (t < dt)
    {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt)
    {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

class XorShift
{
public:
    explicit XorShift(std::uint32_t seed) : state(seed) {}
    // Uniform in -1..1.
    double Next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<double>(state) / 2147483647.5 - 1.0;
    }

private:
    std::uint32_t state;
};

// A major chord over A2, spread across three octaves.
constexpr std::array<double, 5> kNotes = {110.0, 164.81, 220.0, 277.18, 329.63};
constexpr std::array<double, 2> kDetuneCents = {-7.0, 6.0};
constexpr double kNoiseLevel = 0.02;
constexpr double kFadeSeconds = 0.05;
constexpr double kPeak = 0.5;

} // namespace

AudioBuffer MakeDemoSignal(int sampleRate, double seconds)
{
    const auto frames = static_cast<std::size_t>(std::max(1.0, std::round(seconds * sampleRate)));
    const double nyquist = 0.5 * sampleRate;
    XorShift random(0x2545F491u);

    struct Voice
    {
        double phase;
        double increment;
        double gain;
    };
    std::vector<Voice> voices;
    for (double note : kNotes)
    {
        for (double cents : kDetuneCents)
        {
            const double frequency = note * std::pow(2.0, cents / 1200.0);
            if (frequency < nyquist)
                voices.push_back({0.5 * (random.Next() + 1.0), frequency / sampleRate, 1.0});
        }
    }

    std::vector<double> mix(frames, 0.0);
    for (Voice& voice : voices)
    {
        for (std::size_t i = 0; i < frames; ++i)
        {
            mix[i] +=
                voice.gain * (2.0 * voice.phase - 1.0 - PolyBlep(voice.phase, voice.increment));
            voice.phase += voice.increment;
            if (voice.phase >= 1.0)
                voice.phase -= 1.0;
        }
    }
    const double voiceScale = voices.empty() ? 0.0 : 1.0 / static_cast<double>(voices.size());
    for (double& sample : mix)
        sample = sample * voiceScale + kNoiseLevel * random.Next();

    const auto fade = static_cast<std::size_t>(kFadeSeconds * sampleRate);
    for (std::size_t i = 0; i < frames && i < fade; ++i)
    {
        const double gain = static_cast<double>(i) / static_cast<double>(fade);
        mix[i] *= gain;
        mix[frames - 1 - i] *= gain;
    }
    double peak = 0.0;
    for (double sample : mix)
        peak = std::max(peak, std::fabs(sample));

    AudioBuffer audio;
    audio.sampleRate = sampleRate;
    audio.channels.assign(1, std::vector<float>(frames));
    const double scale = peak > 0.0 ? kPeak / peak : 0.0;
    for (std::size_t i = 0; i < frames; ++i)
        audio.channels[0][i] = static_cast<float>(mix[i] * scale);
    return audio;
}

} // namespace Kestrune::Render
