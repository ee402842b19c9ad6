#pragma once

#include <memory>

namespace Kestrune
{
class IServiceProvider;
}
class CorvanePhaserModel;

// The product's identity, shared by every edition (VST 2.4, LV2): chunks carry the names and
// the version, so a program or bank saved by one edition loads in the other.
namespace Kestrune::Product
{

inline constexpr const char* kEffectName = "Corvane Phaser";
inline constexpr const char* kVendor = "Corvane Sound Design";
inline constexpr const char* kProductName = "Corvane Phaser";
inline constexpr int kVendorVersion = 1000;

// The parameters' flat indices, in the order hosts, the panel and the LV2 ports see them.
enum ParameterIndex : int
{
    kLfoFrequency,
    kLfoMidiSource,
    kLfoSync,
    kLfoSyncResolution,
    kLfoQuadMode,
    kEnabled,
    kFeedback,
    kDepth,
    kLeftFrequency,
    kRightFrequency,
    kStageMode,
    kMix,
    kSweepSource,
    kParameterCount
};

// The model with that identity, its parameters at program 0. Throws what construction throws.
std::unique_ptr<CorvanePhaserModel> CreateModel(IServiceProvider* provider);

} // namespace Kestrune::Product
