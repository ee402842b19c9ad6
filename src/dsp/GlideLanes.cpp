#include "dsp/GlideLanes.h"

#include <bit>
#include <cstdint>
#include <limits>

namespace Kestrune::Parameters
{

namespace
{

float Lane(Simd::Float4 v, int k)
{
    alignas(16) float lanes[4];
    v.Store(lanes);
    return lanes[k];
}

bool Set(Simd::Float4 mask, int k)
{
    return std::bit_cast<std::uint32_t>(Lane(mask, k)) != 0;
}

} // namespace

GlideLanes GlideLanes::Pack(const Glide* glides, int count)
{
    using Simd::Float4;
    const Glide& g0 = glides[0];
    const Glide& g1 = glides[count > 1 ? 1 : 0];
    const Glide& g2 = glides[count > 2 ? 2 : 0];
    const Glide& g3 = glides[count > 3 ? 3 : 0];
    auto lanes = [&](auto field)
    { return Float4::FromLanes(field(g0), field(g1), field(g2), field(g3)); };
    constexpr float kInfinity = std::numeric_limits<float>::infinity();
    auto ceiling = [=](const Glide& g) { return g.falling ? kInfinity : g.target; };
    auto floor = [=](const Glide& g) { return g.falling ? g.target : -kInfinity; };
    GlideLanes packed;
    packed.value = lanes([](const Glide& g) { return g.current; });
    packed.start = packed.value;
    packed.aim = lanes([](const Glide& g) { return g.aim; });
    packed.coefficient = lanes([](const Glide& g) { return g.coefficient; });
    packed.ceiling = lanes(ceiling);
    packed.floor = lanes(floor);
    packed.output[0] = g0.output;
    packed.output[1] = g1.output;
    packed.output[2] = g2.output;
    packed.output[3] = g3.output;
    return packed;
}

void GlideLanes::Result(int k, int count, float& reached, bool& stopped) const
{
    stopped = false;
    if (Set(Short(value), k))
    {
        reached = Lane(value, k);
        return;
    }
    // It stopped within the slice: the same steps again, to the first value not short.
    Simd::Float4 v = start;
    int i = 0;
    for (; i < count && Set(Short(v), k); ++i)
        v = Next(v);
    reached = Lane(v, k);
    stopped = i < count;
}

} // namespace Kestrune::Parameters
