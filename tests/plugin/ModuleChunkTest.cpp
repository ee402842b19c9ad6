// Program and bank chunks between two instances of the built module: what one saves, the other
// loads and then sounds the same, sample for sample; what is malformed changes nothing.
#include "phaser/Product.h"
#include "plugin/ModuleSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

using namespace ModuleTest;
using TestSupport::PluginHost;

namespace Product = Kestrune::Product;

namespace
{

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kHeader = 164; // effect name, vendor, product, version
constexpr std::size_t kProgramChunk = 240;
constexpr std::size_t kBankChunk = 2596;

Bytes GetChunk(PluginHost& host, bool program)
{
    void* data = nullptr;
    const VstIntPtr size = host.Dispatch(effGetChunk, program ? 1 : 0, 0, &data);
    if (size <= 0 || data == nullptr)
        return {};
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return {bytes, bytes + size};
}

VstIntPtr SetChunk(PluginHost& host, Bytes bytes, bool program)
{
    return host.Dispatch(effSetChunk, program ? 1 : 0, VstIntPtr(bytes.size()), bytes.data());
}

void PutFloat(Bytes& bytes, std::size_t at, float value)
{
    std::memcpy(bytes.data() + at, &value, sizeof value);
}

void SetName(PluginHost& host, const char* name)
{
    std::string text = name;
    host.Dispatch(effSetProgramName, 0, 0, text.data());
}

// Several parameters away from their defaults, and a name.
void Customise(PluginHost& host, float shift)
{
    const std::pair<int, float> settings[] = {{0, 0.4f},  {4, 0.0f},  {6, 0.7f},  {7, 0.6f},
                                              {8, 0.35f}, {9, 0.55f}, {10, 0.5f}, {11, 0.9f}};
    for (const auto& [index, value] : settings)
        host.Effect()->setParameter(host.Effect(), index, value + shift);
}

// Suspend and resume: both instances start over from the same state before rendering.
Stereo RenderFresh(PluginHost& host, const Stereo& input)
{
    host.Dispatch(effMainsChanged, 0, 0);
    host.Dispatch(effMainsChanged, 0, 1);
    return RenderBlocks(host, input, 512);
}

std::vector<float> Values(PluginHost& host)
{
    std::vector<float> values;
    for (int i = 0; i < Kestrune::Product::kParameterCount; ++i)
        values.push_back(host.Effect()->getParameter(host.Effect(), i));
    return values;
}

} // namespace

TEST(ModuleChunks, AProgramChunkReproducesTheOutputInAnotherInstance)
{
    auto source = StartedHost();
    auto target = StartedHost();
    ASSERT_TRUE(source && target);
    Customise(*source, 0.0f);
    SetName(*source, "Swept");
    const Bytes chunk = GetChunk(*source, true);
    ASSERT_EQ(chunk.size(), kProgramChunk);

    EXPECT_EQ(SetChunk(*target, chunk, true), 1);
    EXPECT_EQ(Values(*target), Values(*source));
    EXPECT_EQ(target->GetString(effGetProgramName, 0), "Swept");
    EXPECT_EQ(GetChunk(*target, true), chunk);
    // Loads are not reported back to the host as automation.
    EXPECT_EQ(target->CountRequests(audioMasterAutomate), 0);

    const Stereo input = TestInput(2 * 44100);
    const Stereo expected = RenderFresh(*source, input);
    const Stereo actual = RenderFresh(*target, input);
    EXPECT_TRUE(SameBits(actual, expected));
    EXPECT_FALSE(SameBits(actual.left, input.left));
}

TEST(ModuleChunks, ABankChunkReproducesEveryProgram)
{
    auto source = StartedHost();
    auto target = StartedHost();
    ASSERT_TRUE(source && target);
    Customise(*source, 0.0f);
    SetName(*source, "First");
    source->Dispatch(effSetProgram, 0, 9);
    Customise(*source, 0.05f);
    source->Effect()->setParameter(source->Effect(), Product::kSweepSource, 0.0f);
    SetName(*source, "Nine");
    const Bytes bank = GetChunk(*source, false);
    ASSERT_EQ(bank.size(), kBankChunk);

    EXPECT_EQ(SetChunk(*target, bank, false), 1);
    // The current program stays where it was.
    EXPECT_EQ(target->Dispatch(effGetProgram), 0);
    for (int p = 0; p < 32; ++p)
    {
        char a[32] = {}, b[32] = {};
        source->Dispatch(effGetProgramNameIndexed, p, 0, a);
        target->Dispatch(effGetProgramNameIndexed, p, 0, b);
        EXPECT_STREQ(a, b) << p;
    }
    EXPECT_EQ(GetChunk(*target, false), bank);

    const Stereo input = TestInput(44100);
    for (int program : {9, 0})
    {
        source->Dispatch(effSetProgram, 0, program);
        target->Dispatch(effSetProgram, 0, program);
        EXPECT_EQ(Values(*target), Values(*source)) << program;
        EXPECT_TRUE(SameBits(RenderFresh(*target, input), RenderFresh(*source, input))) << program;
    }
}

TEST(ModuleChunks, MalformedChunksAreRefusedAndChangeNothing)
{
    auto source = StartedHost();
    ASSERT_TRUE(source);
    Customise(*source, 0.0f);
    SetName(*source, "Changed");
    const Bytes program = GetChunk(*source, true);
    const Bytes bank = GetChunk(*source, false);
    ASSERT_EQ(program.size(), kProgramChunk);
    ASSERT_EQ(bank.size(), kBankChunk);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();

    std::vector<std::pair<Bytes, bool>> bad; // bytes, as a program chunk
    bad.push_back({Bytes(program.begin(), program.end() - 1), true});
    bad.push_back({Bytes(program.begin(), program.begin() + kHeader), true});
    bad.push_back({Bytes(program.begin(), program.begin() + kHeader + 24), true});
    bad.push_back({Bytes(program.begin(), program.begin() + 10), true});
    Bytes otherProduct = program;
    const std::string flanger = "Corvane Flanger";
    for (std::size_t i = 0; i <= flanger.size(); ++i)
        otherProduct.at(96 + i) = static_cast<std::uint8_t>(flanger.c_str()[i]);
    bad.push_back({otherProduct, true});
    Bytes otherVersion = program;
    otherVersion[160] = 0xE7; // 999
    otherVersion[161] = 0x03;
    bad.push_back({otherVersion, true});
    Bytes nanInside = program;
    PutFloat(nanInside, kProgramChunk - 4, nan);
    bad.push_back({nanInside, true});
    Bytes infInside = program;
    PutFloat(infInside, kHeader + 24 + 4 * 6, inf);
    bad.push_back({infInside, true});
    bad.push_back({Bytes(bank.begin(), bank.end() - 1), false});
    Bytes nanInBank = bank;
    PutFloat(nanInBank, kBankChunk - 4, nan);
    bad.push_back({nanInBank, false});
    Bytes otherBank = bank;
    otherBank[0] = 'X';
    bad.push_back({otherBank, false});
    bad.push_back({program, false}); // a program is far too short for a bank

    auto target = StartedHost();
    auto untouched = StartedHost();
    ASSERT_TRUE(target && untouched);
    const Bytes before = GetChunk(*target, false);
    for (std::size_t i = 0; i < bad.size(); ++i)
        EXPECT_EQ(SetChunk(*target, bad[i].first, bad[i].second), 0) << "case " << i;
    EXPECT_EQ(GetChunk(*target, false), before);
    EXPECT_EQ(target->GetString(effGetProgramName, 0), "Blank");

    const Stereo input = TestInput(44100);
    EXPECT_TRUE(SameBits(RenderBlocks(*target, input, 512), RenderBlocks(*untouched, input, 512)));
}

TEST(ModuleChunks, FiniteValuesOutsideTheRangeAreTakenOver)
{
    auto source = StartedHost();
    auto target = StartedHost();
    ASSERT_TRUE(source && target);
    Bytes chunk = GetChunk(*source, true);
    ASSERT_EQ(chunk.size(), kProgramChunk);
    PutFloat(chunk, kHeader + 24 + 4 * 11, 1.5f);
    PutFloat(chunk, kHeader + 24 + 4 * 6, 3.0f);
    EXPECT_EQ(SetChunk(*target, chunk, true), 1);
    EXPECT_EQ(target->Effect()->getParameter(target->Effect(), Product::kMix), 1.5f);
    EXPECT_EQ(target->Effect()->getParameter(target->Effect(), Product::kFeedback), 3.0f);
    // The feedback setting still stops at its maximum.
    EXPECT_EQ(target->GetString(effGetParamDisplay, 6), "-0.45");
}
