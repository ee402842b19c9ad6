#pragma once

// Four-lane float vectors for the DSP loops: SSE2 on x86-64 (part of the base instruction set, so
// the build stays portable) and on 32-bit x86 (which must build with it), plain lane loops
// elsewhere. Both give the same bits: every operation is the single IEEE operation per lane, and
// Min, Max and the comparisons follow the SSE2 rules for NaN (Min and Max answer the second
// operand, comparisons answer false).
//
// Masks are lanes with every bit set (true) or clear (false), as the comparisons produce them.
// Defining CORVANE_SIMD_PORTABLE selects the lane loops on x86 too (to test them).

// x87 arithmetic keeps wider intermediates and would round differently from every other build.
#if defined(__i386__) && !defined(__SSE2_MATH__)
#error "32-bit x86 builds need -msse2 -mfpmath=sse (see cmake/mingw-w64-i686.cmake)"
#endif

#include <bit>
#include <cstdint>
#include <utility>

#if !defined(CORVANE_SIMD_PORTABLE) &&                                                             \
    (defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2))
#define CORVANE_SIMD_SSE2 1
#include <emmintrin.h>
#endif

namespace Kestrune::Simd
{

class PortableFloat4
{
public:
    PortableFloat4() = default;

    static PortableFloat4 Broadcast(float x) { return {x, x, x, x}; }
    // Lanes {a, b, c, d}.
    static PortableFloat4 FromLanes(float a, float b, float c, float d) { return {a, b, c, d}; }
    static PortableFloat4 Load(const float* p) { return {p[0], p[1], p[2], p[3]}; }
    // Lanes {*left, *right, 0, 0}.
    static PortableFloat4 LoadPair(const float* left, const float* right)
    {
        return {*left, *right, 0.0f, 0.0f};
    }
    void Store(float* p) const
    {
        for (int i = 0; i < 4; ++i)
            p[i] = lane[i];
    }
    // Lane 0 to *left, lane 1 to *right.
    void StorePair(float* left, float* right) const
    {
        *left = lane[0];
        *right = lane[1];
    }
    // Lane k to *p_k, in lane order.
    void StoreLanes(float* p0, float* p1, float* p2, float* p3) const
    {
        *p0 = lane[0];
        *p1 = lane[1];
        *p2 = lane[2];
        *p3 = lane[3];
    }
    // Rows become columns: lane j of r_i becomes lane i of r_j.
    friend void Transpose(PortableFloat4& r0, PortableFloat4& r1, PortableFloat4& r2,
                          PortableFloat4& r3)
    {
        PortableFloat4* rows[4] = {&r0, &r1, &r2, &r3};
        for (int i = 0; i < 4; ++i)
            for (int j = i + 1; j < 4; ++j)
                std::swap(rows[i]->lane[j], rows[j]->lane[i]);
    }

    friend PortableFloat4 operator+(PortableFloat4 a, PortableFloat4 b)
    {
        return Map(a, b, [](float x, float y) { return x + y; });
    }
    friend PortableFloat4 operator-(PortableFloat4 a, PortableFloat4 b)
    {
        return Map(a, b, [](float x, float y) { return x - y; });
    }
    friend PortableFloat4 operator*(PortableFloat4 a, PortableFloat4 b)
    {
        return Map(a, b, [](float x, float y) { return x * y; });
    }
    friend PortableFloat4 operator/(PortableFloat4 a, PortableFloat4 b)
    {
        return Map(a, b, [](float x, float y) { return x / y; });
    }
    friend PortableFloat4 Min(PortableFloat4 a, PortableFloat4 b)
    {
        return Map(a, b, [](float x, float y) { return x < y ? x : y; });
    }
    friend PortableFloat4 Max(PortableFloat4 a, PortableFloat4 b)
    {
        return Map(a, b, [](float x, float y) { return x > y ? x : y; });
    }

    friend PortableFloat4 Less(PortableFloat4 a, PortableFloat4 b)
    {
        return Map(a, b, [](float x, float y) { return Mask(x < y); });
    }
    friend PortableFloat4 Greater(PortableFloat4 a, PortableFloat4 b)
    {
        return Map(a, b, [](float x, float y) { return Mask(x > y); });
    }
    friend PortableFloat4 Equal(PortableFloat4 a, PortableFloat4 b)
    {
        return Map(a, b, [](float x, float y) { return Mask(x == y); });
    }

    friend PortableFloat4 And(PortableFloat4 a, PortableFloat4 b)
    {
        return Bits(a, b, [](std::uint32_t x, std::uint32_t y) { return x & y; });
    }
    // ~mask & b.
    friend PortableFloat4 AndNot(PortableFloat4 mask, PortableFloat4 b)
    {
        return Bits(mask, b, [](std::uint32_t x, std::uint32_t y) { return ~x & y; });
    }
    friend PortableFloat4 Or(PortableFloat4 a, PortableFloat4 b)
    {
        return Bits(a, b, [](std::uint32_t x, std::uint32_t y) { return x | y; });
    }
    friend PortableFloat4 Xor(PortableFloat4 a, PortableFloat4 b)
    {
        return Bits(a, b, [](std::uint32_t x, std::uint32_t y) { return x ^ y; });
    }

    // Bit k set when lane k's sign bit is (a true mask lane).
    friend int MaskBits(PortableFloat4 a)
    {
        int bits = 0;
        for (int i = 0; i < 4; ++i)
            bits |= static_cast<int>(std::bit_cast<std::uint32_t>(a.lane[i]) >> 31) << i;
        return bits;
    }

    // For lanes in 0..30: the lane truncated to a whole number n, and n placed in the exponent
    // field (the bits n << 23) for ScaleByExponent.
    friend void SplitWhole(PortableFloat4 y, PortableFloat4& whole, PortableFloat4& exponent)
    {
        for (int i = 0; i < 4; ++i)
        {
            const auto n = static_cast<std::int32_t>(y.lane[i]);
            whole.lane[i] = static_cast<float>(n);
            exponent.lane[i] = std::bit_cast<float>(static_cast<std::uint32_t>(n) << 23);
        }
    }
    // x 2^n, exact, by adding an exponent from SplitWhole to the bits of x; x and the result
    // must be normal numbers.
    friend PortableFloat4 ScaleByExponent(PortableFloat4 x, PortableFloat4 exponent)
    {
        return Bits(x, exponent, [](std::uint32_t a, std::uint32_t b) { return a + b; });
    }

private:
    PortableFloat4(float a, float b, float c, float d) : lane{a, b, c, d} {}

    static float Mask(bool on) { return std::bit_cast<float>(on ? 0xFFFFFFFFu : 0u); }

    template <typename F> static PortableFloat4 Map(PortableFloat4 a, PortableFloat4 b, F f)
    {
        PortableFloat4 r;
        for (int i = 0; i < 4; ++i)
            r.lane[i] = f(a.lane[i], b.lane[i]);
        return r;
    }

    template <typename F> static PortableFloat4 Bits(PortableFloat4 a, PortableFloat4 b, F f)
    {
        return Map(a, b,
                   [f](float x, float y)
                   {
                       return std::bit_cast<float>(
                           f(std::bit_cast<std::uint32_t>(x), std::bit_cast<std::uint32_t>(y)));
                   });
    }

    float lane[4];
};

#ifdef CORVANE_SIMD_SSE2

class Sse2Float4
{
public:
    Sse2Float4() = default;

    static Sse2Float4 Broadcast(float x) { return _mm_set1_ps(x); }
    static Sse2Float4 FromLanes(float a, float b, float c, float d)
    {
        return _mm_setr_ps(a, b, c, d);
    }
    static Sse2Float4 Load(const float* p) { return _mm_loadu_ps(p); }
    static Sse2Float4 LoadPair(const float* left, const float* right)
    {
        return _mm_unpacklo_ps(_mm_load_ss(left), _mm_load_ss(right));
    }
    void Store(float* p) const { _mm_storeu_ps(p, v); }
    void StorePair(float* left, float* right) const
    {
        _mm_store_ss(left, v);
        _mm_store_ss(right, _mm_shuffle_ps(v, v, _MM_SHUFFLE(1, 1, 1, 1)));
    }
    void StoreLanes(float* p0, float* p1, float* p2, float* p3) const
    {
        _mm_store_ss(p0, v);
        _mm_store_ss(p1, _mm_shuffle_ps(v, v, _MM_SHUFFLE(1, 1, 1, 1)));
        _mm_store_ss(p2, _mm_movehl_ps(v, v));
        _mm_store_ss(p3, _mm_shuffle_ps(v, v, _MM_SHUFFLE(3, 3, 3, 3)));
    }
    // Rows become columns: lane j of r_i becomes lane i of r_j.
    friend void Transpose(Sse2Float4& r0, Sse2Float4& r1, Sse2Float4& r2, Sse2Float4& r3)
    {
        _MM_TRANSPOSE4_PS(r0.v, r1.v, r2.v, r3.v);
    }

    friend Sse2Float4 operator+(Sse2Float4 a, Sse2Float4 b) { return _mm_add_ps(a.v, b.v); }
    friend Sse2Float4 operator-(Sse2Float4 a, Sse2Float4 b) { return _mm_sub_ps(a.v, b.v); }
    friend Sse2Float4 operator*(Sse2Float4 a, Sse2Float4 b) { return _mm_mul_ps(a.v, b.v); }
    friend Sse2Float4 operator/(Sse2Float4 a, Sse2Float4 b) { return _mm_div_ps(a.v, b.v); }
    friend Sse2Float4 Min(Sse2Float4 a, Sse2Float4 b) { return _mm_min_ps(a.v, b.v); }
    friend Sse2Float4 Max(Sse2Float4 a, Sse2Float4 b) { return _mm_max_ps(a.v, b.v); }

    friend Sse2Float4 Less(Sse2Float4 a, Sse2Float4 b) { return _mm_cmplt_ps(a.v, b.v); }
    friend Sse2Float4 Greater(Sse2Float4 a, Sse2Float4 b) { return _mm_cmpgt_ps(a.v, b.v); }
    friend Sse2Float4 Equal(Sse2Float4 a, Sse2Float4 b) { return _mm_cmpeq_ps(a.v, b.v); }

    friend Sse2Float4 And(Sse2Float4 a, Sse2Float4 b) { return _mm_and_ps(a.v, b.v); }
    friend Sse2Float4 AndNot(Sse2Float4 mask, Sse2Float4 b) { return _mm_andnot_ps(mask.v, b.v); }
    friend Sse2Float4 Or(Sse2Float4 a, Sse2Float4 b) { return _mm_or_ps(a.v, b.v); }
    friend Sse2Float4 Xor(Sse2Float4 a, Sse2Float4 b) { return _mm_xor_ps(a.v, b.v); }
    friend int MaskBits(Sse2Float4 a) { return _mm_movemask_ps(a.v); }

    friend void SplitWhole(Sse2Float4 y, Sse2Float4& whole, Sse2Float4& exponent)
    {
        const __m128i n = _mm_cvttps_epi32(y.v);
        whole = _mm_cvtepi32_ps(n);
        exponent = _mm_castsi128_ps(_mm_slli_epi32(n, 23));
    }
    friend Sse2Float4 ScaleByExponent(Sse2Float4 x, Sse2Float4 exponent)
    {
        return _mm_castsi128_ps(_mm_add_epi32(_mm_castps_si128(x.v), _mm_castps_si128(exponent.v)));
    }

private:
    Sse2Float4(__m128 value) : v(value) {}

    __m128 v;
};

using Float4 = Sse2Float4;

#else

using Float4 = PortableFloat4;

#endif

} // namespace Kestrune::Simd
