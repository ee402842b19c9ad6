#pragma once

#include <memory>

namespace Kestrune
{
class IServiceProvider;
class Model;
} // namespace Kestrune
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

// The model with that identity, its parameters at program 0 (the engine's; defined with the
// model). Throws what construction throws.
std::unique_ptr<CorvanePhaserModel> CreateModel(IServiceProvider* provider);
// The same parameters made from the table with no engine behind them, for an editor that mirrors
// a plug-in running elsewhere (the LV2 UI); processing with it leaves the outputs as they are.
// Throws what construction throws.
std::unique_ptr<Model> CreateParameters(IServiceProvider* provider);

} // namespace Kestrune::Product
