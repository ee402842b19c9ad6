#pragma once

namespace Kestrune
{

// No processing call covers more samples; every per-sample buffer holds exactly this many.
inline constexpr int kMaxBlockSize = 16384;

// Unconnected modulation inputs point here, so processing loops never test for null.
alignas(64) inline constexpr float SilenceBuffer[kMaxBlockSize] = {};

} // namespace Kestrune
