// Helpers for tests that drive the built CorvanePhaser module through the test host: a
// deterministic stereo test signal, block-wise rendering with a hook before every block, and
// comparisons.
#pragma once

#include "support/PluginHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <numbers>
#include <vector>

namespace ModuleTest
{

struct Stereo
{
    std::vector<float> left, right;
    std::size_t Frames() const { return left.size(); }
};

// Broadband and deterministic: a rising sine sweep, two steady tones and a little noise per
// channel, peak below 0.7.
inline Stereo TestInput(std::size_t frames, double sampleRate = 44100.0)
{
    Stereo input;
    input.left.resize(frames);
    input.right.resize(frames);
    std::uint32_t seed = 0x2545F491u;
    auto noise = [&seed]
    {
        seed ^= seed << 13;
        seed ^= seed >> 17;
        seed ^= seed << 5;
        return static_cast<double>(seed) / 4294967296.0 - 0.5;
    };
    const double seconds = static_cast<double>(frames) / sampleRate;
    for (std::size_t i = 0; i < frames; ++i)
    {
        const double t = static_cast<double>(i) / sampleRate;
        // 50 Hz to 10 kHz, exponentially, over the whole signal.
        const double ratio = 200.0;
        const double k = std::log(ratio) / seconds;
        const double sweep = 2.0 * std::numbers::pi * 50.0 * (std::exp(k * t) - 1.0) / k;
        input.left[i] =
            static_cast<float>(0.3 * std::sin(sweep) +
                               0.15 * std::sin(2 * std::numbers::pi * 440.0 * t) + 0.1 * noise());
        input.right[i] =
            static_cast<float>(0.3 * std::sin(sweep + 1.0) +
                               0.15 * std::sin(2 * std::numbers::pi * 1375.0 * t) + 0.1 * noise());
    }
    return input;
}

// Loads the module and runs its entry point; the test fails when either does not work.
inline std::unique_ptr<TestSupport::PluginHost> CreateHost(const char* entry = "VSTPluginMain")
{
    auto host = std::make_unique<TestSupport::PluginHost>(nullptr, entry);
    EXPECT_TRUE(host->Loaded()) << TestSupport::ModulePath();
    if (!host->Loaded() || host->Create() == nullptr)
    {
        ADD_FAILURE() << "no plug-in record from " << entry;
        return nullptr;
    }
    return host;
}

// Created and started (open, sample rate, block size, resume).
inline std::unique_ptr<TestSupport::PluginHost> StartedHost(float sampleRate = 44100.0f,
                                                            int blockSize = 512)
{
    auto host = CreateHost();
    if (host)
        host->Start(sampleRate, blockSize);
    return host;
}

// Processes the input in blocks of blockSize, out of place; before(b) runs before block b.
inline Stereo RenderBlocks(TestSupport::PluginHost& host, const Stereo& input, int blockSize,
                           const std::function<void(int)>& before = {})
{
    Stereo output;
    output.left.assign(input.Frames(), 0.0f);
    output.right.assign(input.Frames(), 0.0f);
    std::vector<float> blockL, blockR;
    int block = 0;
    for (std::size_t start = 0; start < input.Frames(); start += std::size_t(blockSize), ++block)
    {
        const auto n = std::min<std::size_t>(std::size_t(blockSize), input.Frames() - start);
        blockL.assign(input.left.begin() + long(start), input.left.begin() + long(start + n));
        blockR.assign(input.right.begin() + long(start), input.right.begin() + long(start + n));
        if (before)
            before(block);
        host.Process(blockL.data(), blockR.data(), output.left.data() + start,
                     output.right.data() + start, static_cast<int>(n));
    }
    return output;
}

// Bit for bit, including the sign of zero and NaN payloads.
inline bool SameBits(const std::vector<float>& a, const std::vector<float>& b, std::size_t from = 0,
                     std::size_t to = SIZE_MAX)
{
    to = std::min({to, a.size(), b.size()});
    if (a.size() != b.size())
        return false;
    return from >= to ||
           std::memcmp(a.data() + from, b.data() + from, (to - from) * sizeof(float)) == 0;
}

inline bool SameBits(const Stereo& a, const Stereo& b, std::size_t from = 0,
                     std::size_t to = SIZE_MAX)
{
    return SameBits(a.left, b.left, from, to) && SameBits(a.right, b.right, from, to);
}

inline bool AllFinite(const Stereo& s)
{
    auto finite = [](float x) { return std::isfinite(x); };
    return std::all_of(s.left.begin(), s.left.end(), finite) &&
           std::all_of(s.right.begin(), s.right.end(), finite);
}

inline float Peak(const std::vector<float>& samples)
{
    float peak = 0.0f;
    for (float x : samples)
        peak = std::max(peak, std::fabs(x));
    return peak;
}

} // namespace ModuleTest
