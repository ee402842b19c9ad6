// The fixed render every build must produce bit for bit, through CorvanePhaser.so loaded as a
// host loads it. scripts/windows-test.sh sets CORVANE_SCENARIO_OUTPUT (write the render there as
// raw little-endian floats) and CORVANE_SCENARIO_REFERENCE (the Windows build's render, which
// must be the same bits).
#include "support/RenderScenario.h"
#include "hostkit/Module.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

namespace
{

std::vector<float> ReadRawFloats(const char* path)
{
    std::ifstream file(path, std::ios::binary);
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(file), {}};
    std::vector<float> samples(bytes.size() / 4);
    for (std::size_t i = 0; i < samples.size(); ++i)
    {
        std::uint32_t bits = 0;
        for (int b = 0; b < 4; ++b)
            bits |= static_cast<std::uint32_t>(bytes[4 * i + b]) << (8 * b);
        std::memcpy(&samples[i], &bits, 4);
    }
    return samples;
}

// Differing samples, the largest difference and the first frame that differs.
void ExpectSameBits(const std::vector<float>& output, const std::vector<float>& reference)
{
    ASSERT_EQ(reference.size(), output.size()) << "reference render has another length";
    std::size_t differing = 0;
    std::size_t first = 0;
    double largest = 0.0;
    for (std::size_t i = 0; i < output.size(); ++i)
    {
        if (std::memcmp(&output[i], &reference[i], sizeof(float)) == 0)
            continue;
        if (differing++ == 0)
            first = i;
        largest = std::max(largest, std::fabs(static_cast<double>(output[i]) - reference[i]));
    }
    EXPECT_EQ(differing, 0u) << "largest difference " << largest << ", first at frame " << first / 2
                             << (first % 2 == 0 ? " left" : " right");
}

TEST(RenderScenario, RendersAndRestoresChunksBitForBit)
{
    const HostKit::Module module(CORVANE_MODULE_PATH);
    TestSupport::CheckLog log;
    const std::vector<float> output = TestSupport::RunScenario(
        module.Entry(), reinterpret_cast<HostKit::EntryPoint>(module.Symbol("main")), log);
    EXPECT_EQ(log.Failed(), 0) << log.Summary();
    EXPECT_GT(log.Passed(), 30);
    ASSERT_EQ(output.size(), 2u * TestSupport::kScenarioFrames);
    if (const char* path = std::getenv("CORVANE_SCENARIO_OUTPUT"))
    {
        EXPECT_TRUE(TestSupport::WriteRawFloats(path, output)) << path;
    }
    if (const char* path = std::getenv("CORVANE_SCENARIO_REFERENCE"))
    {
        ExpectSameBits(output, ReadRawFloats(path));
    }
}

} // namespace
