#include "dsp/Phaser.h"

#include "base/Text.h"
#include "dsp/Simd.h"
#include "dsp/SweepCoefficients.h"

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
// Far beyond any cascade output for real input (the worst-case gain is about 95 with 16 stages
// and feedback 0.95).
constexpr float kRunaway = 1e6f;

// A channel whose cascade ran away (possible only for sweeps far beyond their ranges) starts
// again from silence instead of reaching infinity.
void ContainRunaway(float* states, float& last)
{
    if (std::fabs(last) < kRunaway)
        return;
    std::fill(states, states + Phaser::kMaxStages, 0.0f);
    last = 0.0f;
}

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

// Process without an oscillator to step.
struct NoOscillator
{
    void Step(int) {}
};

// The oscillator and the smoother glides of a slice, stepped together.
template <int Vectors> struct OscillatorAndGlides
{
    Modulators::CoupledOscillator oscillator;
    Parameters::GlideLanes glides[Vectors];

    void Step(int i)
    {
        oscillator.Step(i);
        for (Parameters::GlideLanes& g : glides)
            g.Step(i);
    }
};

// Samples i to i + 3 of a whole group; the glides store each lane's four at once.
template <typename Oscillator> void StepFour(Oscillator& oscillator, int i)
{
    for (int j = 0; j < 4; ++j)
        oscillator.Step(i + j);
}

template <int Vectors> void StepFour(OscillatorAndGlides<Vectors>& both, int i)
{
    StepFour(both.oscillator, i);
    for (Parameters::GlideLanes& g : both.glides)
        g.StepFour(i);
}

// How far the oscillator runs ahead of the cascade: two groups, so that the coefficients of the
// next group read oscillator outputs stored an iteration earlier, not moments before.
constexpr int kOscillatorLead = 8;

// Coefficients of a group of four samples, stored so that the cascade takes them a pair
// (left, right) at a time.
struct GroupCoefficients
{
    alignas(16) float left[4];
    alignas(16) float right[4];

    Simd::Float4 Pair(int j) const { return Simd::Float4::LoadPair(&left[j], &right[j]); }
};

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
    Base::CopyText(text, size, kStageModeTexts[ClampStageMode(mode)]);
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
    NoOscillator none;
    ProcessWith(inL, inR, outL, outR, count, none);
}

void Phaser::Process(const float* inL, const float* inR, float* outL, float* outR, int count,
                     Modulators::CoupledOscillator& oscillator)
{
    ProcessWith(inL, inR, outL, outR, count, oscillator);
}

void Phaser::Process(const float* inL, const float* inR, float* outL, float* outR, int count,
                     Modulators::CoupledOscillator& oscillator, Parameters::GlideSet::Slice& glides)
{
    if (glides.vectors == 1)
    {
        OscillatorAndGlides<1> both{oscillator, {glides.lanes[0]}};
        ProcessWith(inL, inR, outL, outR, count, both);
        oscillator = both.oscillator;
        glides.lanes[0] = both.glides[0];
    }
    else if (glides.vectors == 2)
    {
        OscillatorAndGlides<2> both{oscillator, {glides.lanes[0], glides.lanes[1]}};
        ProcessWith(inL, inR, outL, outR, count, both);
        oscillator = both.oscillator;
        glides.lanes[0] = both.glides[0];
        glides.lanes[1] = both.glides[1];
    }
    else
    {
        ProcessWith(inL, inR, outL, outR, count, oscillator);
    }
}

template <typename Oscillator>
void Phaser::ProcessWith(const float* inL, const float* inR, float* outL, float* outR, int count,
                         Oscillator& oscillator)
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

    switch (kStageCounts[stageMode])
    {
    case 4:
        return Run<4>(inL, inR, outL, outR, count, oscillator);
    case 6:
        return Run<6>(inL, inR, outL, outR, count, oscillator);
    case 8:
        return Run<8>(inL, inR, outL, outR, count, oscillator);
    case 10:
        return Run<10>(inL, inR, outL, outR, count, oscillator);
    case 12:
        return Run<12>(inL, inR, outL, outR, count, oscillator);
    case 14:
        return Run<14>(inL, inR, outL, outR, count, oscillator);
    default:
        return Run<16>(inL, inR, outL, outR, count, oscillator);
    }
}

// The cascade's chain runs through every stage of every sample and sets the pace. One loop over
// groups of four samples carries two more chains beside it, independent of it, so the processor
// overlaps all three: the oscillator (with the slice's smoother glides, when some move) two
// groups ahead and the next group's coefficients (one vector per channel, from outputs stored an
// iteration earlier). Left and right
// share one vector (lanes 0 and 1); the states stay in registers for the slice; the mix follows
// each sample, off the chain. Everything it calls is inlined (flatten), whatever the size of the
// instantiation: a call in the loop would cut the overlap.
template <int Stages, typename Oscillator>
[[gnu::flatten]] void Phaser::Run(const float* inL, const float* inR, float* outL, float* outR,
                                  int count, Oscillator& caller)
{
    // A local copy: the buffers written may be any floats, and the caller's object is one, so
    // its state would go through memory at every step; the copy's stays in registers.
    Oscillator oscillator = caller;
    using Simd::Float4;
    const Float4 guard = Float4::Broadcast(kDenormalGuard);
    const Float4 fb = Float4::Broadcast(feedback);
    const Float4 one = Float4::Broadcast(1.0f);
    const Float4 zero = Float4::Broadcast(0.0f);
    const Float4 sign = Float4::Broadcast(-0.0f);
    const Float4 runaway = Float4::Broadcast(kRunaway);
    const Float4 k = Float4::Broadcast(1.0f / halfSampleRate);
    const SweepInputs left{depth1, primaryLeft, depth2, secondaryLeft, leftFrequency};
    const SweepInputs right{depth1, primaryRight, depth2, secondaryRight, rightFrequency};
    const float* level = mix;

    Float4 s[Stages];
    for (int j = 0; j < Stages; ++j)
        s[j] = Float4::LoadPair(&leftStates[j], &rightStates[j]);
    Float4 last = Float4::LoadPair(&lastLeft, &lastRight);

    // Sample i through the cascade and the mix, with its coefficients in lanes 0 and 1. The input
    // is read before the output is written, so the output may be the input.
    auto sample = [&](int i, Float4 a)
    {
        const Float4 dry = FiniteOrZero(Float4::LoadPair(inL + i, inR + i));
        Float4 x = dry + fb * last;
        for (int j = 0; j < Stages; ++j)
        {
            const Float4 y = s[j] - a * x;
            s[j] = (x + a * y) + guard;
            x = y;
        }
        last = x;
        // Feedback is taken before the mix, so mix 0 still runs the cascade. Stored mixes
        // outside 0..1 (or NaN) are used within 0 (dry) to 1 (wet): a huge one would amplify.
        const Float4 m = Min(Max(Float4::Broadcast(level[i]), zero), one);
        ((one - m) * dry + m * x).StorePair(outL + i, outR + i);
    };
    // A channel whose cascade ran away (possible only for sweeps far beyond their ranges) starts
    // again from silence instead of reaching infinity; NaN counts as run away. Checked once per
    // group of four by a branch, which the processor predicts, so the check stays off the
    // cascade's chain (masking the states with its result would put it on).
    auto contain = [&]()
    {
        const Float4 keep = Less(AndNot(sign, last), runaway);
        if (MaskBits(keep) == 0xF)
            return;
        for (int j = 0; j < Stages; ++j)
            s[j] = And(s[j], keep);
        last = And(last, keep);
    };
    // Coefficients of the group from sample i: fewer than four samples at the slice's end.
    auto sweep = [&](int i, GroupCoefficients& group)
    {
        const int n = count - i;
        if (n >= 4)
        {
            SweepCoefficientsWhole(left, i, k).Store(group.left);
            SweepCoefficientsWhole(right, i, k).Store(group.right);
        }
        else
        {
            SweepCoefficientsPartial(left, i, n, k).Store(group.left);
            SweepCoefficientsPartial(right, i, n, k).Store(group.right);
        }
    };

    // Before the loop: the oscillator's first two groups and the first group's coefficients.
    int made = std::min(count, kOscillatorLead);
    for (int i = 0; i < made; ++i)
        oscillator.Step(i);
    GroupCoefficients groups[2];
    sweep(0, groups[0]);

    int i = 0;
    // Whole groups while the oscillator's group lies inside the slice.
    for (; i + 4 + kOscillatorLead <= count; i += 4)
    {
        const GroupCoefficients& now = groups[(i >> 2) & 1];
        StepFour(oscillator, i + kOscillatorLead);
        sweep(i + 4, groups[((i >> 2) + 1) & 1]);
        for (int j = 0; j < 4; ++j)
            sample(i + j, now.Pair(j));
        contain();
    }
    made = std::min(count, i + kOscillatorLead);
    // The last groups: the oscillator completes the slice, the last group may be short.
    for (; i < count; i += 4)
    {
        const GroupCoefficients& now = groups[(i >> 2) & 1];
        for (; made < std::min(count, i + 4 + kOscillatorLead); ++made)
            oscillator.Step(made);
        if (i + 4 < count)
            sweep(i + 4, groups[((i >> 2) + 1) & 1]);
        for (int j = 0; j < std::min(4, count - i); ++j)
            sample(i + j, now.Pair(j));
        contain();
    }

    for (int j = 0; j < Stages; ++j)
        s[j].StorePair(&leftStates[j], &rightStates[j]);
    last.StorePair(&lastLeft, &lastRight);
    ContainRunaway(leftStates, lastLeft);
    ContainRunaway(rightStates, lastRight);
    caller = oscillator;
}

} // namespace Kestrune::Effects
