#include "plugin/PhaserReference.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace Reference
{

namespace
{

// The product's constants (2 pi and 1/60 as the plug-in states them).
constexpr double kTwoPi = 6.283185;
constexpr double kPerMinute = 0.016666668;
constexpr double kQuarterNotes[11] = {0.125, 0.25, 1.0 / 3.0, 0.5, 1, 2, 4, 8, 16, 32, 64};
constexpr double kGlideSeconds = 0.1;
constexpr double kOvershoot = 0.0001;
constexpr double kStateOffset = 1e-25;

// Index 0..n-1 from a normalised value: v (n - 1) rounded half away from zero, clamped.
int Selection(float v, int n)
{
    const double x = std::clamp(static_cast<double>(v) * (n - 1), 0.0, double(n - 1));
    return static_cast<int>(std::floor(x + 0.5));
}

double Square(float v)
{
    return static_cast<double>(v) * static_cast<double>(v);
}

// The sweep's approximation of 2^x: (1 + c f (f + 2)) 2^n for |x| = n + f, reciprocal below 0.
double Pow2(double x)
{
    const double c = 0.333333;
    const double y = std::fabs(x);
    const double n = std::floor(y);
    const double f = y - n;
    const double p = (1.0 + c * f * (f + 2.0)) * std::ldexp(1.0, static_cast<int>(n));
    return x < 0.0 ? 1.0 / p : p;
}

// First-order all-pass cascade with the description's state update; returns the last output.
double Cascade(std::array<double, 16>& states, int count, double a, double x)
{
    for (int j = 0; j < count; ++j)
    {
        const double y = states[std::size_t(j)] - a * x;
        states[std::size_t(j)] = x + a * y + kStateOffset;
        x = y;
    }
    return x;
}

} // namespace

void Glide::Configure(double rate)
{
    coefficient = 1.0 - std::exp(-1.0 / (rate * kGlideSeconds + 1.0));
}

void Glide::SetTarget(double value)
{
    target = value;
    falling = value < current;
    aim = falling ? value - kOvershoot : value + kOvershoot;
    moving = true;
}

void Glide::Jump()
{
    current = target;
    moving = false;
}

void Glide::Run(double* out, int count)
{
    int i = 0;
    while (moving && i < count)
    {
        if (falling ? !(current > target) : !(current < target))
        {
            moving = false;
            break;
        }
        current += (aim - current) * coefficient;
        // The smoothed value is kept as a 32-bit float, which is why a glide toward a large
        // target can stop a fraction of a unit short of it.
        current = static_cast<float>(current);
        out[i++] = falling ? std::max(current, target) : std::min(current, target);
    }
    if (!moving)
        current = target;
    std::fill(out + i, out + count, moving ? current : target);
}

PhaserModel::PhaserModel(double rate) : sampleRate(rate)
{
    for (Glide* glide : {&depth, &leftFrequency, &rightFrequency, &mix})
        glide->Configure(rate);
    // Defaults: 0.8 Hz, no MIDI scaling, sync off at "1/2", quadrature, enabled, no feedback,
    // depth 0.0625, 2500 Hz each side, 4 stages, half mix, oscillator as source.
    values = {0.2f, 0.0f, 0.0f, 0.5f, 1.0f, 1.0f, 0.0f, 0.25f, 0.5f, 0.5f, 0.0f, 0.5f, 0.25f};
    syncIndex = Selection(values[3], 11);
    for (int i = 0; i < kParameterCount; ++i)
        ApplySetting(i);
    Reset();
}

void PhaserModel::Reset()
{
    sine = 0.0;
    cosine = 1.0;
    left.fill(0.0);
    right.fill(0.0);
    lastLeft = 0.0;
    lastRight = 0.0;
    for (Glide* glide : {&depth, &leftFrequency, &rightFrequency, &mix})
        glide->Jump();
}

void PhaserModel::SetParameter(int index, float value)
{
    if (index < 0 || index >= kParameterCount || !std::isfinite(value))
        return;
    values[std::size_t(index)] = value;
    ApplySetting(index);
}

double PhaserModel::SyncFrequency() const
{
    // Tempo 0 or below stands the oscillator still.
    if (!(tempo > 0.0f))
        return 0.0;
    return static_cast<double>(tempo) / kQuarterNotes[syncIndex] * kPerMinute;
}

double PhaserModel::SyncPhase() const
{
    const double x = position / kQuarterNotes[syncIndex];
    return x - std::trunc(x);
}

void PhaserModel::ApplyLfoFrequency(double hz)
{
    // The increment per sample is a 32-bit quantity in the product; synchronised, it is the one
    // whose turn per sample (2 asin(increment / 2)) is exact.
    const double step = static_cast<float>(hz * kTwoPi / sampleRate);
    increment = static_cast<float>(syncOn ? 2.0 * std::sin(step * 0.5) : step);
}

// The cosine starts half a sample's turn ahead, where the recurrence keeps it.
void PhaserModel::SetPhase(double cycles)
{
    sine = std::sin(cycles * kTwoPi);
    cosine = std::cos(cycles * kTwoPi + std::asin(increment * 0.5));
}

// Settings reach their owners only when they change, as the parameters do.
void PhaserModel::ApplySetting(int index)
{
    const float v = values[std::size_t(index)];
    switch (index)
    {
    case 0:
    {
        const double hz = static_cast<float>(20.0 * Square(v));
        freeFrequency = hz;
        if (!syncOn)
            ApplyLfoFrequency(hz);
        break;
    }
    case 1:
        break; // MIDI scaling needs MIDI input, which this model has none of
    case 2:
        if ((v >= 0.5f) != syncOn)
        {
            syncOn = v >= 0.5f;
            if (syncOn)
            {
                ApplyLfoFrequency(SyncFrequency());
                SetPhase(SyncPhase());
            }
            else
            {
                ApplyLfoFrequency(freeFrequency);
            }
        }
        break;
    case 3:
        if (Selection(v, 11) != syncIndex)
        {
            syncIndex = Selection(v, 11);
            if (syncOn)
            {
                ApplyLfoFrequency(SyncFrequency());
                SetPhase(SyncPhase());
            }
        }
        break;
    case 4:
        quadMode = v >= 0.5f;
        break;
    case 5:
        enabled = v >= 0.5f;
        break;
    case 6:
        feedback = std::clamp(static_cast<float>(0.95 * v), 0.0f, 0.95f);
        break;
    case 7:
        depth.SetTarget(static_cast<float>(Square(v)));
        break;
    case 8:
        leftFrequency.SetTarget(static_cast<float>(10000.0 * Square(v)));
        break;
    case 9:
        rightFrequency.SetTarget(static_cast<float>(10000.0 * Square(v)));
        break;
    case 10:
        stages = 4 + 2 * Selection(v, 7);
        break;
    case 11:
        mix.SetTarget(v);
        break;
    case 12:
        source = Selection(v, 4);
        break;
    default:
        break;
    }
}

void PhaserModel::Process(double hostTempo, double hostPpq, const float* inL, const float* inR,
                          double* outL, double* outR, int count)
{
    // Tempo first, then position, each only when its value changed (the tempo as a float).
    if (std::isfinite(hostTempo) && static_cast<float>(hostTempo) != tempo)
    {
        tempo = static_cast<float>(hostTempo);
        if (syncOn)
            ApplyLfoFrequency(SyncFrequency());
    }
    if (std::isfinite(hostPpq) && std::fabs(hostPpq) <= FLT_MAX && hostPpq != position)
    {
        position = hostPpq;
        if (syncOn)
            SetPhase(SyncPhase());
    }

    depth.Run(depthBuffer.data(), count);
    leftFrequency.Run(leftBuffer.data(), count);
    rightFrequency.Run(rightBuffer.data(), count);
    mix.Run(mixBuffer.data(), count);

    if (!enabled)
    {
        for (int i = 0; i < count; ++i)
        {
            outL[i] = inL[i];
            outR[i] = inR[i];
        }
        return;
    }

    const double half = sampleRate * 0.5;
    const double fb = feedback * feedbackScale;
    for (int i = 0; i < count; ++i)
    {
        sine += cosine * increment;
        cosine -= sine * increment;
        const double sourceL = source == 1 ? sine : 0.0;
        const double sourceR = source == 1 ? (quadMode ? cosine : sine) : 0.0;

        const auto n = std::size_t(i);
        const double wL = Pow2(depthBuffer[n] * sourceL) * leftBuffer[n] / half;
        const double wR = Pow2(depthBuffer[n] * sourceR) * rightBuffer[n] / half;
        const double aL = (1.0 - wL) / (1.0 + wL);
        const double aR = (1.0 - wR) / (1.0 + wR);

        lastLeft = Cascade(left, stages, aL, inL[i] + fb * lastLeft);
        lastRight = Cascade(right, stages, aR, inR[i] + fb * lastRight);

        const double m = mixBuffer[n];
        outL[i] = (1.0 - m) * inL[i] + m * lastLeft;
        outR[i] = (1.0 - m) * inR[i] + m * lastRight;
    }
}

} // namespace Reference
