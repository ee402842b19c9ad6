#include "dsp/Simd.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <vector>

using Kestrune::Simd::PortableFloat4;

namespace
{

std::uint32_t Bits(float x)
{
    return std::bit_cast<std::uint32_t>(x);
}

template <typename V> std::vector<float> Lanes(V v)
{
    float out[4];
    v.Store(out);
    return {out[0], out[1], out[2], out[3]};
}

} // namespace

TEST(Simd, PortableFollowsTheSse2RulesForNaNAndSignedZero)
{
    auto lane0 = [](PortableFloat4 v) { return Lanes(v)[0]; };
    const auto nan = PortableFloat4::Broadcast(std::nanf(""));
    const auto one = PortableFloat4::Broadcast(1.0f);
    // Min and Max answer the second operand when either is NaN or both are zeros.
    EXPECT_EQ(lane0(Min(nan, one)), 1.0f);
    EXPECT_TRUE(std::isnan(lane0(Min(one, nan))));
    EXPECT_EQ(lane0(Max(nan, one)), 1.0f);
    EXPECT_EQ(Bits(lane0(Max(PortableFloat4::Broadcast(-0.0f), PortableFloat4::Broadcast(0.0f)))),
              0u);
    EXPECT_EQ(Bits(lane0(Min(PortableFloat4::Broadcast(0.0f), PortableFloat4::Broadcast(-0.0f)))),
              0x80000000u);
    // Comparisons give all-ones or all-zeros lanes; NaN compares false.
    EXPECT_EQ(Bits(lane0(Less(PortableFloat4::Broadcast(-1.0f), one))), 0xFFFFFFFFu);
    EXPECT_EQ(Bits(lane0(Equal(nan, nan))), 0u);
    EXPECT_EQ(Bits(lane0(AndNot(Less(one, nan), one))), Bits(1.0f));
}

TEST(Simd, PairsLoadAndStoreTwoChannels)
{
    const float left = 0.25f, right = -3.0f;
    float outL = 0.0f, outR = 0.0f;
    const auto v = Kestrune::Simd::Float4::LoadPair(&left, &right);
    EXPECT_EQ(Lanes(v), (std::vector<float>{0.25f, -3.0f, 0.0f, 0.0f}));
    (v + v).StorePair(&outL, &outR);
    EXPECT_EQ(outL, 0.5f);
    EXPECT_EQ(outR, -6.0f);
}

TEST(Simd, SplitWholeAndScaleByExponentAreExact)
{
    const float y[4] = {0.0f, 0.999f, 17.5f, 30.0f};
    PortableFloat4 whole, exponent;
    SplitWhole(PortableFloat4::Load(y), whole, exponent);
    EXPECT_EQ(Lanes(whole), (std::vector<float>{0.0f, 0.0f, 17.0f, 30.0f}));
    const auto scaled = Lanes(ScaleByExponent(PortableFloat4::Broadcast(1.5f), exponent));
    EXPECT_EQ(scaled, (std::vector<float>{1.5f, 1.5f, 1.5f * 131072.0f, 1.5f * 1073741824.0f}));
}

// Lanes in and out one by one, and the sign bits of a mask as an int: both builds.
template <typename V> void ExpectLaneAccess()
{
    float a = 0.0f, b = 0.0f, c = 0.0f, d = 0.0f;
    const V v = V::FromLanes(1.0f, -0.0f, 3.5f, -4.0f);
    v.StoreLanes(&a, &b, &c, &d);
    EXPECT_EQ(a, 1.0f);
    EXPECT_EQ(Bits(b), 0x80000000u);
    EXPECT_EQ(c, 3.5f);
    EXPECT_EQ(d, -4.0f);
    EXPECT_EQ(MaskBits(Less(v, V::Broadcast(0.0f))), 0b1000);
    EXPECT_EQ(MaskBits(Less(V::Broadcast(-9.0f), v)), 0b1111);
    EXPECT_EQ(MaskBits(Equal(V::Broadcast(std::nanf("")), v)), 0);
}

TEST(Simd, LanesOneByOneAndMaskBits)
{
    ExpectLaneAccess<PortableFloat4>();
    ExpectLaneAccess<Kestrune::Simd::Float4>();
}

#ifdef CORVANE_SIMD_SSE2

using Kestrune::Simd::Sse2Float4;

namespace
{

const std::vector<float>& Specials()
{
    static const std::vector<float> values = {
        0.0f,      -0.0f,         1.0f,           -1.0f,     0.5f,     7.75f, 29.999f,
        30.0f,     1e-40f,        -1e-40f,        FLT_MAX,   -FLT_MAX, 1e30f, INFINITY,
        -INFINITY, std::nanf(""), -std::nanf(""), 0.333333f, 2500.0f};
    return values;
}

// Every pair of special values through one binary operation, four pairs per call.
template <typename V, typename Op> std::vector<float> AllPairs(Op op)
{
    const auto& s = Specials();
    std::vector<float> a, b;
    for (float x : s)
        for (float y : s)
        {
            a.push_back(x);
            b.push_back(y);
        }
    while (a.size() % 4 != 0)
    {
        a.push_back(1.0f);
        b.push_back(1.0f);
    }
    std::vector<float> result;
    for (std::size_t i = 0; i < a.size(); i += 4)
    {
        const auto lanes = Lanes(op(V::Load(&a[i]), V::Load(&b[i])));
        result.insert(result.end(), lanes.begin(), lanes.end());
    }
    return result;
}

// Operation, expression, and whether a NaN result may differ in sign and payload: the
// arithmetic ones may, as the compiler is free to swap the operands of + and *.
#define CORVANE_SIMD_OPS(X)                                                                        \
    X(Add, a + b, true)                                                                            \
    X(Subtract, a - b, true)                                                                       \
    X(Multiply, a* b, true)                                                                        \
    X(Divide, a / b, true)                                                                         \
    X(Minimum, Min(a, b), false)                                                                   \
    X(Maximum, Max(a, b), false)                                                                   \
    X(Less, Less(a, b), false)                                                                     \
    X(Greater, Greater(a, b), false)                                                               \
    X(Equal, Equal(a, b), false)                                                                   \
    X(And, And(a, b), false)                                                                       \
    X(AndNot, AndNot(a, b), false)                                                                 \
    X(Or, Or(a, b), false)                                                                         \
    X(Xor, Xor(a, b), false)

} // namespace

// The fallback must give the SSE2 build's bits, so both builds sound alike.
TEST(Simd, PortableMatchesSse2BitForBit)
{
#define CORVANE_COMPARE(name, expression, anyNaN)                                                  \
    {                                                                                              \
        auto op = [](auto a, auto b) { return expression; };                                       \
        const auto portable = AllPairs<PortableFloat4>(op);                                        \
        const auto sse2 = AllPairs<Sse2Float4>(op);                                                \
        ASSERT_EQ(portable.size(), sse2.size());                                                   \
        for (std::size_t i = 0; i < portable.size(); ++i)                                          \
        {                                                                                          \
            if (anyNaN && std::isnan(portable[i]) && std::isnan(sse2[i]))                          \
                continue;                                                                          \
            ASSERT_EQ(Bits(portable[i]), Bits(sse2[i])) << #name << " at " << i;                   \
        }                                                                                          \
    }
    CORVANE_SIMD_OPS(CORVANE_COMPARE)
#undef CORVANE_COMPARE

    const float y[4] = {0.0f, 0.5f, 29.999f, 30.0f};
    PortableFloat4 pw, pe;
    Sse2Float4 sw, se;
    SplitWhole(PortableFloat4::Load(y), pw, pe);
    SplitWhole(Sse2Float4::Load(y), sw, se);
    EXPECT_EQ(Lanes(pw), Lanes(sw));
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(Bits(Lanes(pe)[i]), Bits(Lanes(se)[i]));
    const float q[4] = {1.0f, 1.25f, 1.999f, 1.5f};
    EXPECT_EQ(Lanes(ScaleByExponent(PortableFloat4::Load(q), pe)),
              Lanes(ScaleByExponent(Sse2Float4::Load(q), se)));
}

#endif
