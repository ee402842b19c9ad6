#include "dsp/GlideLanes.h"

#include <bit>
#include <cstdint>

namespace Kestrune::Parameters
{

GlideLanes GlideLanes::Pack(const Glide* glides, int count)
{
    using Simd::Float4;
    const Glide& g0 = glides[0];
    const Glide& g1 = glides[count > 1 ? 1 : 0];
    const Glide& g2 = glides[count > 2 ? 2 : 0];
    const Glide& g3 = glides[count > 3 ? 3 : 0];
    auto lanes = [&](auto field)
    { return Float4::FromLanes(field(g0), field(g1), field(g2), field(g3)); };
    auto sign = [](const Glide& g) { return g.falling ? -0.0f : 0.0f; };
    GlideLanes packed;
    packed.value = lanes([](const Glide& g) { return g.current; });
    packed.target = lanes([](const Glide& g) { return g.target; });
    packed.aim = lanes([](const Glide& g) { return g.aim; });
    packed.coefficient = lanes([](const Glide& g) { return g.coefficient; });
    packed.sign = lanes(sign);
    packed.signedTarget = Xor(packed.target, packed.sign);
    packed.moving = Float4::Broadcast(0.0f);
    packed.output[0] = g0.output;
    packed.output[1] = g1.output;
    packed.output[2] = g2.output;
    packed.output[3] = g3.output;
    return packed;
}

void GlideLanes::Result(int k, float& reached, bool& stopped) const
{
    alignas(16) float values[4], masks[4];
    value.Store(values);
    moving.Store(masks);
    reached = values[k];
    // A lane that did not step its latest sample stopped within the slice.
    stopped = std::bit_cast<std::uint32_t>(masks[k]) == 0;
}

} // namespace Kestrune::Parameters
