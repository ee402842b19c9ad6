#include "DemoSignal.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

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
constexpr std::uint32_t kSeed = 0x2545F491u;

class DemoSource final : public AudioSource
{
public:
    DemoSource(int sampleRate, double seconds)
        : rate(sampleRate),
          frames(static_cast<std::size_t>(std::max(1.0, std::round(seconds * sampleRate)))),
          fade(static_cast<std::size_t>(kFadeSeconds * sampleRate))
    {
        Restart();
        double peak = 0.0;
        for (std::size_t i = 0; i < frames; ++i)
            peak = std::max(peak, std::fabs(Next()));
        scale = peak > 0.0 ? kPeak / peak : 0.0;
        Restart();
    }

    int SampleRate() const override { return rate; }
    int ChannelCount() const override { return 1; }
    std::int64_t Frames() const override { return static_cast<std::int64_t>(frames); }

    std::size_t Read(Channels& channels, std::size_t count) override
    {
        count = std::min(count, frames - position);
        channels.resize(1);
        channels[0].resize(count);
        for (std::size_t i = 0; i < count; ++i)
            channels[0][i] = static_cast<float>(Next() * scale);
        return count;
    }

private:
    struct Voice
    {
        double phase;
        double increment;
    };

    void Restart()
    {
        random = XorShift(kSeed);
        voices.clear();
        const double nyquist = 0.5 * rate;
        for (double note : kNotes)
        {
            for (double cents : kDetuneCents)
            {
                const double frequency = note * std::pow(2.0, cents / 1200.0);
                if (frequency < nyquist)
                    voices.push_back({0.5 * (random.Next() + 1.0), frequency / rate});
            }
        }
        position = 0;
    }

    // The next sample before scaling to the peak: the voices' mean, noise, and the fades.
    double Next()
    {
        double mix = 0.0;
        for (Voice& voice : voices)
        {
            mix += 2.0 * voice.phase - 1.0 - PolyBlep(voice.phase, voice.increment);
            voice.phase += voice.increment;
            if (voice.phase >= 1.0)
                voice.phase -= 1.0;
        }
        const double voiceScale = voices.empty() ? 0.0 : 1.0 / static_cast<double>(voices.size());
        double sample = mix * voiceScale + kNoiseLevel * random.Next();
        const std::size_t fromEnd = frames - 1 - position;
        if (position < fade)
            sample *= static_cast<double>(position) / static_cast<double>(fade);
        if (fromEnd < fade)
            sample *= static_cast<double>(fromEnd) / static_cast<double>(fade);
        ++position;
        return sample;
    }

    int rate;
    std::size_t frames;
    std::size_t fade;
    double scale = 0.0;
    XorShift random{kSeed};
    std::vector<Voice> voices;
    std::size_t position = 0;
};

} // namespace

std::unique_ptr<AudioSource> MakeDemoSignal(int sampleRate, double seconds)
{
    return std::make_unique<DemoSource>(sampleRate, seconds);
}

} // namespace Kestrune::Render
