#include "dsp/Phaser.h"

#include "parameters/Text.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <iterator>

namespace Kestrune::Effects
{

namespace
{

constexpr int kStageCounts[Phaser::kStageModeCount] = {4, 6, 8, 10, 12, 14, 16};
constexpr const char* kStageModeTexts[Phaser::kStageModeCount] = {"4",  "6",  "8", "10",
                                                                  "12", "14", "16"};
// Added to every stored state so that decaying states never become subnormal.
constexpr float kDenormalGuard = 1e-25f;
constexpr float kMaxFeedback = 0.95f;
constexpr float kMaxFrequency = 10000.0f;
// The wet proportion used: stored values outside 0..1 are kept by the parameter, but the phaser
// blends within 0 (dry) to 1 (wet). Then for input within +-1 the output stays below the
// cascade's worst-case gain (about 95 with 16 stages and feedback 0.95); a huge stored mix would
// otherwise amplify without bound.
constexpr float kMinMix = 0.0f;
constexpr float kMaxMix = 1.0f;
// Sweep depth used, in octaves per unit of source: the range of Pow2's exponent. A deeper sweep
// (only from stored values far above 1) just jumps between the extremes of that range, from
// 0 Hz to beyond half the sample rate and back, and each jump pumps the feedback loop further up.
constexpr float kMaxDepth = 30.0f;
// Far beyond any cascade output for real input (the worst-case gain is about 95).
constexpr float kRunaway = 1e6f;

int ClampStageMode(int mode)
{
    return std::clamp(mode, 0, Phaser::kStageModeCount - 1);
}

// Coefficient of a first-order all-pass at w, the frequency as a fraction of half the sample
// rate: 1 at 0 Hz, 0 at half the sample rate, toward -1 above. Values of w that would put the
// pole outside the unit circle (negative, NaN) stand at 0 Hz; huge ones at the limit -1.
inline float AllPassCoefficient(float w)
{
    if (!(w > 0.0f))
        return 1.0f;
    if (w > 1e30f)
        return -1.0f;
    return (1.0f - w) / (1.0f + w);
}

// Runs x through stageCount stages H(z) = (z^-1 - a) / (1 - a z^-1); returns the last output.
inline float Cascade(float* states, int stageCount, float a, float x)
{
    for (int j = 0; j < stageCount; ++j)
    {
        const float y = states[j] - a * x;
        states[j] = (x + a * y) + kDenormalGuard;
        x = y;
    }
    return x;
}

inline float LimitMix(float m)
{
    return m >= kMinMix ? std::min(m, kMaxMix) : kMinMix; // NaN gives dry
}

// NaN stays NaN (Pow2 then gives 1: no sweep).
inline float LimitDepth(float d)
{
    return std::fabs(d) > kMaxDepth ? std::copysign(kMaxDepth, d) : d;
}

// A channel whose cascade runs away (left possible only for sweeps far beyond their ranges at
// sample rates below about 8000 Hz) starts again from silence instead of reaching infinity.
inline void Contain(float* states, float& last)
{
    if (std::fabs(last) < kRunaway)
        return;
    std::fill(states, states + Phaser::kMaxStages, 0.0f);
    last = 0.0f;
}

// A non-finite host sample would poison the states until the next reset.
inline float Finite(float x)
{
    return std::isfinite(x) ? x : 0.0f;
}

void CopyUnlessSame(const float* in, float* out, int count)
{
    if (out != in && count > 0)
        std::memmove(out, in, static_cast<std::size_t>(count) * sizeof(float));
}

} // namespace

float Phaser::FrequencyTransform::Convert(float value)
{
    const double v = static_cast<double>(value);
    const double hz = static_cast<double>(kMaxFrequency) * v * v;
    return static_cast<float>(std::min(hz, static_cast<double>(FLT_MAX)));
}

float Phaser::FeedbackTransform::Convert(float value)
{
    const double level = static_cast<double>(kMaxFeedback) * static_cast<double>(value);
    if (!(level > 0.0))
        return 0.0f;
    return std::min(static_cast<float>(level), kMaxFeedback);
}

void Phaser::StageModeDisplay::Format(int mode, char* text, std::size_t size)
{
    Parameters::CopyText(text, size, kStageModeTexts[ClampStageMode(mode)]);
}

Phaser::Phaser(IServiceProvider* serviceProvider)
    : halfSampleRate(22050.0f), provider(serviceProvider)
{
    OnSampleRateChanged(provider->GetSampleRate());
    provider->AddResettable(this);
    provider->AddSampleRateObserver(this);
    Reset();
}

Phaser::~Phaser()
{
    provider->RemoveResettable(this);
    provider->RemoveSampleRateObserver(this);
}

void Phaser::SetFeedback(float level)
{
    if (std::isfinite(level))
        feedback = std::clamp(level, -kMaxFeedback, kMaxFeedback);
}

void Phaser::SetStageMode(int mode)
{
    stageMode = ClampStageMode(mode);
}

void Phaser::Reset()
{
    std::fill(std::begin(leftStates), std::end(leftStates), 0.0f);
    std::fill(std::begin(rightStates), std::end(rightStates), 0.0f);
    lastLeft = 0.0f;
    lastRight = 0.0f;
}

void Phaser::OnSampleRateChanged(float sampleRate)
{
    if (std::isfinite(sampleRate) && sampleRate > 0.0f)
        halfSampleRate = sampleRate * 0.5f;
}

float Phaser::Pow2(float x)
{
    constexpr float c = 0.333333f; // slightly below one third
    float y = std::fabs(x);
    if (std::isnan(y))
        return 1.0f;
    y = std::min(y, 30.0f);
    const int n = static_cast<int>(y);
    const float f = y - static_cast<float>(n);
    const float p = (1.0f + c * f * (f + 2.0f)) * static_cast<float>(1 << n);
    return x < 0.0f ? 1.0f / p : p;
}

int Phaser::StageCount(int mode)
{
    return kStageCounts[ClampStageMode(mode)];
}

void Phaser::Process(const float* inL, const float* inR, float* outL, float* outR, int count)
{
    count = std::clamp(count, 0, kMaxBlockSize);
    if (!enabled)
    {
        CopyUnlessSame(inL, outL, count);
        CopyUnlessSame(inR, outR, count);
        return;
    }
    if (count == 0)
        return;

    const float k = 1.0f / halfSampleRate;
    const float fb = feedback;
    const int stages = kStageCounts[stageMode];
    float lastL = lastLeft;
    float lastR = lastRight;

    for (int i = 0; i < count; ++i)
    {
        // Sweep exponents in octaves.
        const float d1 = LimitDepth(depth1[i]);
        const float d2 = LimitDepth(depth2[i]);
        const float eL = d1 * primaryLeft[i] + secondaryLeft[i] * d2;
        const float eR = d1 * primaryRight[i] + secondaryRight[i] * d2;
        const float aL = AllPassCoefficient(Pow2(eL) * leftFrequency[i] * k);
        const float aR = AllPassCoefficient(Pow2(eR) * rightFrequency[i] * k);

        // Inputs are read before outputs of the same index are written: in place is safe.
        const float dryL = Finite(inL[i]);
        const float dryR = Finite(inR[i]);
        // Feedback is taken before the mix, so mix 0 still runs the cascade.
        lastL = Cascade(leftStates, stages, aL, dryL + fb * lastL);
        lastR = Cascade(rightStates, stages, aR, dryR + fb * lastR);
        Contain(leftStates, lastL);
        Contain(rightStates, lastR);

        const float m = LimitMix(mix[i]);
        outL[i] = (1.0f - m) * dryL + m * lastL;
        outR[i] = (1.0f - m) * dryR + m * lastR;
    }

    lastLeft = lastL;
    lastRight = lastR;
}

} // namespace Kestrune::Effects
