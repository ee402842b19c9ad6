// Stateless unit labels.
#pragma once

namespace Kestrune::Parameters
{

struct FrequencyLabel
{
    static const char* Text() { return "Hz"; }
};

struct LevelLabel
{
    static const char* Text() { return "Level"; }
};

struct DepthLabel
{
    static const char* Text() { return "Depth"; }
};

struct ModeLabel
{
    static const char* Text() { return "Mode"; }
};

struct WetDryLabel
{
    static const char* Text() { return "Dry/Wet"; }
};

struct EnabledLabel
{
    static const char* Text() { return "On/Off"; }
};

struct SourceLabel
{
    static const char* Text() { return "Source"; }
};

struct ResolutionLabel
{
    static const char* Text() { return "Res"; }
};

} // namespace Kestrune::Parameters
