#include "dsp/Phaser.h"

#include "dsp/Simd.h"
#include "dsp/SweepCoefficients.h"
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

int ClampStageMode(int mode)
{
    return std::clamp(mode, 0, Phaser::kStageModeCount - 1);
}

// A non-finite host sample (x - x is not 0) becomes 0: it would poison the states until the next
// reset.
inline Simd::Float4 FiniteOrZero(Simd::Float4 x)
{
    return And(x, Equal(x - x, Simd::Float4::Broadcast(0.0f)));
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
    ComputeSweepCoefficients({depth1, primaryLeft, depth2, secondaryLeft, leftFrequency}, k,
                             leftCoefficients, count);
    ComputeSweepCoefficients({depth1, primaryRight, depth2, secondaryRight, rightFrequency}, k,
                             rightCoefficients, count);

    switch (kStageCounts[stageMode])
    {
    case 4:
        RunCascade<4>(inL, inR, count);
        break;
    case 6:
        RunCascade<6>(inL, inR, count);
        break;
    case 8:
        RunCascade<8>(inL, inR, count);
        break;
    case 10:
        RunCascade<10>(inL, inR, count);
        break;
    case 12:
        RunCascade<12>(inL, inR, count);
        break;
    case 14:
        RunCascade<14>(inL, inR, count);
        break;
    default:
        RunCascade<16>(inL, inR, count);
        break;
    }
    // Feedback is taken before the mix, so mix 0 still runs the cascade.
    Mix(inL, inR, outL, outR, count);
}

void Phaser::Mix(const float* inL, const float* inR, float* outL, float* outR, int count) const
{
    using Simd::Float4;
    const Float4 one = Float4::Broadcast(1.0f);
    // Both inputs of a group of four are read before any output of the group is written, so
    // outputs may be the inputs (even both channels on one buffer), as with one sample at a time.
    auto blend = [&](const float* level, const float* dryL, const float* dryR, const float* wetL,
                     const float* wetR, float* toL, float* toR)
    {
        const Float4 m = Float4::Load(level);
        const Float4 x = FiniteOrZero(Float4::Load(dryL));
        const Float4 y = FiniteOrZero(Float4::Load(dryR));
        const Float4 left = (one - m) * x + m * Float4::Load(wetL);
        const Float4 right = (one - m) * y + m * Float4::Load(wetR);
        left.Store(toL);
        right.Store(toR);
    };
    const int whole = count - count % 4;
    for (int i = 0; i < whole; i += 4)
    {
        blend(mix + i, inL + i, inR + i, leftCoefficients + i, rightCoefficients + i, outL + i,
              outR + i);
    }
    if (whole == count)
        return;
    // The last one to three samples through the same lanes: the buffers may end with the slice.
    const int rest = count - whole;
    float level[4] = {}, dryL[4] = {}, dryR[4] = {}, mixedL[4], mixedR[4];
    for (int j = 0; j < rest; ++j)
    {
        level[j] = mix[whole + j];
        dryL[j] = inL[whole + j];
        dryR[j] = inR[whole + j];
    }
    blend(level, dryL, dryR, leftCoefficients + whole, rightCoefficients + whole, mixedL, mixedR);
    for (int j = 0; j < rest; ++j)
    {
        outL[whole + j] = mixedL[j];
        outR[whole + j] = mixedR[j];
    }
}

// Left and right share one vector (lanes 0 and 1), so the per-sample chain through the stages
// and the feedback is walked once for both channels; states stay in registers for the slice.
// Only this loop is serial; the coefficients before it and the mix after it are vectorised
// passes that keep their work off the chain.
template <int Stages> void Phaser::RunCascade(const float* inL, const float* inR, int count)
{
    using Simd::Float4;
    const Float4 guard = Float4::Broadcast(kDenormalGuard);
    const Float4 fb = Float4::Broadcast(feedback);

    Float4 s[Stages];
    for (int j = 0; j < Stages; ++j)
        s[j] = Float4::LoadPair(&leftStates[j], &rightStates[j]);
    Float4 last = Float4::LoadPair(&lastLeft, &lastRight);

    for (int i = 0; i < count; ++i)
    {
        const Float4 a = Float4::LoadPair(&leftCoefficients[i], &rightCoefficients[i]);
        const Float4 dry = FiniteOrZero(Float4::LoadPair(inL + i, inR + i));

        Float4 x = dry + fb * last;
        for (int j = 0; j < Stages; ++j)
        {
            const Float4 y = s[j] - a * x;
            s[j] = (x + a * y) + guard;
            x = y;
        }
        last = x;

        // The coefficient is used up: its slot keeps the cascade output for the mix.
        x.StorePair(&leftCoefficients[i], &rightCoefficients[i]);
    }

    for (int j = 0; j < Stages; ++j)
        s[j].StorePair(&leftStates[j], &rightStates[j]);
    last.StorePair(&lastLeft, &lastRight);
}

} // namespace Kestrune::Effects
