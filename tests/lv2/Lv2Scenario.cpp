#include "lv2/Lv2Scenario.h"

#include "support/RenderScenario.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace TestSupport
{

namespace
{
float Squared(double scale, float v)
{
    return static_cast<float>(scale * static_cast<double>(v) * static_cast<double>(v));
}

float Entry(int entries, float v)
{
    const double x = std::clamp(static_cast<double>(v) * (entries - 1), 0.0, entries - 1.0);
    return static_cast<float>(std::floor(x + 0.5));
}
} // namespace

// Settings, glides, every stage count change, the sweep sources (wheel, pressure, expression)
// and bypass, with tempo sync locked to the song position.
const std::vector<TimedChange> kLockstepChanges = {
    {0, 0, 0.35f},         {0, 6, 0.6f},          {0, 7, 0.7f},    {0, 10, 0.5f},
    {0, 11, 0.9f},         {20, 2, 1.0f},         {20, 3, 0.4f},   {40, 8, 0.3f},
    {50, 9, 0.55f},        {60, 12, 2.0f / 3.0f}, {90, 10, 1.0f},  {100, 12, 1.0f / 3.0f},
    {100, 1, 1.0f / 3.0f}, {110, 2, 0.0f},        {112, 4, 0.0f},  {120, 5, 0.0f},
    {125, 5, 1.0f},        {125, 11, 0.25f},      {140, 1, 1.0f},  {180, 12, 1.0f},
    {200, 10, 0.0f},       {210, 6, 0.95f},       {230, 8, 0.05f},
};
const std::vector<TimedMidi> kLockstepMidi = {
    {60, 100, 0xB0, 1, 0},    {70, 7, 0xB0, 1, 64},    {80, 511, 0xB0, 1, 127},
    {85, 3, 0xB3, 1, 20},     {85, 300, 0xB0, 1, 90},  {115, 0, 0xD0, 80, 0},
    {140, 256, 0xB0, 11, 40}, {185, 10, 0xD0, 100, 0}, {190, 200, 0xD0, 5, 0},
    {240, 300, 0xB0, 1, 10},
};

float PortValue(int index, float v)
{
    switch (index)
    {
    case 0:
        return Squared(20.0, v); // Hz
    case 1:
    case 12:
        return Entry(4, v);
    case 3:
        return Entry(11, v);
    case 2:
    case 4:
    case 5:
        return v >= 0.5f ? 1.0f : 0.0f;
    case 6:
        return static_cast<float>(static_cast<double>(0.95f) * static_cast<double>(v)); // gain
    case 7:
        return Squared(1.0, v); // octaves
    case 8:
    case 9:
        return Squared(10000.0, v); // Hz
    case 10:
        return 4.0f + 2.0f * Entry(7, v); // stages
    default:
        return v; // wet proportion
    }
}

void LockstepBlocks::Drive(Rendered& edition, const Block& block, const Process& process)
{
    MakeScenarioInput(inL, inR);
    const auto total = inL.size();
    for (Rendered* r : {&vst, &edition})
    {
        r->left.assign(total, 0.0f);
        r->right.assign(total, 0.0f);
    }
    for (std::size_t start = 0, index = 0; start < total; start += blockSize, ++index)
    {
        const auto n = static_cast<std::uint32_t>(std::min<std::size_t>(blockSize, total - start));
        block(static_cast<int>(index), start, n);
        float* outL = &edition.left[start];
        float* outR = &edition.right[start];
        if (inPlace)
        {
            std::copy_n(&inL[start], n, outL);
            std::copy_n(&inR[start], n, outR);
            process(outL, outR, outL, outR, n);
        }
        else
            process(&inL[start], &inR[start], outL, outR, n);
    }
}

void LockstepRun::Run(PluginHost& vstHost, Lv2TestHost& lv2Host)
{
    const auto set = [&](const TimedChange& c)
    {
        vstHost.Effect()->setParameter(vstHost.Effect(), c.index, c.value);
        lv2Host.controls[c.index] = PortValue(c.index, c.value);
    };
    vstHost.time.tempo = kLv2Tempo;
    for (const TimedChange& c : changes)
        if (c.block == 0)
            set(c);
    vstHost.Suspend();
    vstHost.Resume();
    lv2Host.Activate(connectAfterActivating);
    const auto block = [&](int index, std::size_t start, std::uint32_t n)
    {
        for (const TimedChange& c : changes)
            if (c.block == index)
                set(c);
        for (const TimedMidi& m : midi)
        {
            if (m.block != index)
                continue;
            vstHost.AddMidi(m.offset, m.status, m.data1, m.data2);
            lv2Host.AddMidi(m.offset, {m.status, m.data1, m.data2});
        }
        if (positionsEveryBlock || index == 0)
            lv2Host.AddPosition(0, vstHost.time.tempo, vstHost.time.ppqPos);
        vstHost.Process(&inL[start], &inR[start], &vst.left[start], &vst.right[start],
                        static_cast<int>(n));
    };
    Drive(lv2, block,
          [&](const float* l, const float* r, float* outL, float* outR, std::uint32_t n)
          { lv2Host.Run(l, r, outL, outR, n); });
}

bool SameBits(const std::vector<float>& a, const std::vector<float>& b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

bool AllFinite(const std::vector<float>& samples)
{
    return std::all_of(
        samples.begin(), samples.end(), [](float x) { return std::isfinite(x); });
}

bool SameBits(const Rendered& a, const Rendered& b)
{
    return SameBits(a.left, b.left) && SameBits(a.right, b.right);
}

void StartVst(PluginHost& vst, int blockSize)
{
    vst.Create();
    vst.Start(44100.0f, blockSize);
}

float LargestDifference(const Rendered& a, const Rendered& b)
{
    float largest = 0.0f;
    for (std::size_t i = 0; i < a.left.size() && i < b.left.size(); ++i)
        largest = std::max(
            {largest, std::fabs(a.left[i] - b.left[i]), std::fabs(a.right[i] - b.right[i])});
    return largest;
}

} // namespace TestSupport
