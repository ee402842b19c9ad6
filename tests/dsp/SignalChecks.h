// Checks on recorded signals, shared by the DSP and modulator tests.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace DspTests
{

// The largest difference between neighbouring samples: a glide never steps further than its
// coefficient times the distance, a jump does.
inline double LargestStep(const std::vector<float>& v)
{
    double step = 0.0;
    for (std::size_t i = 1; i < v.size(); ++i)
        step = std::max(step, std::fabs(static_cast<double>(v[i]) - v[i - 1]));
    return step;
}

} // namespace DspTests
