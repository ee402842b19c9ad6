#include "modulators/MidiSources.h"

#include "dsp/SignalChecks.h"
#include "modulators/FakeMidiProviders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

using Kestrune::Modulators::ChannelPressure;
using Kestrune::Modulators::ModulationWheel;

namespace
{

constexpr int kSlice = 512;

struct Rig : ModulatorTests::MidiRig
{
    std::unique_ptr<ModulationWheel> wheel =
        std::make_unique<ModulationWheel>(-1.0f, 1.0f, &provider);
    std::unique_ptr<ChannelPressure> pressure =
        std::make_unique<ChannelPressure>(-1.0f, 1.0f, &provider);

    // Smooths `slices` slices and returns what the given buffer held over them.
    std::vector<float> Run(const float* buffer, int slices)
    {
        std::vector<float> out;
        for (int s = 0; s < slices; ++s)
        {
            provider.SmoothAll(kSlice);
            out.insert(out.end(), buffer, buffer + kSlice);
        }
        return out;
    }
};

} // namespace

TEST(MidiModulators, AttachAndDetachWithTheirProviders)
{
    Rig rig;
    ASSERT_EQ(rig.controllers.observers.size(), 1u);
    EXPECT_EQ(rig.controllers.observers[0],
              static_cast<Kestrune::Midi::IModulationWheelObserver*>(rig.wheel.get()));
    ASSERT_EQ(rig.messages.pressureObservers.size(), 1u);
    EXPECT_EQ(rig.messages.pressureObservers[0],
              static_cast<Kestrune::Midi::IChannelPressureObserver*>(rig.pressure.get()));
    EXPECT_EQ(rig.provider.smoothables.size(), 2u);

    rig.wheel.reset();
    rig.pressure.reset();
    EXPECT_TRUE(rig.controllers.observers.empty());
    EXPECT_TRUE(rig.messages.pressureObservers.empty());
    EXPECT_TRUE(rig.provider.smoothables.empty());
    EXPECT_TRUE(rig.provider.resettables.empty());
}

TEST(MidiModulators, OutputIsZeroBeforeTheFirstMessage)
{
    Rig rig;
    const auto out = rig.Run(rig.wheel->GetBuffer(), 2);
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](float x) { return x == 0.0f; }));
}

TEST(MidiModulators, ValuesMapOntoTheRange)
{
    Rig rig;
    const std::pair<int, float> cases[] = {{0, -1.0f}, {64, 0.0078740f}, {127, 1.0f}};
    for (const auto& [value, expected] : cases)
    {
        rig.Control(static_cast<std::uint8_t>(value % 16), 1, static_cast<std::uint8_t>(value));
        rig.Pressure(15, static_cast<std::uint8_t>(value));
        rig.provider.ResetAll();
        EXPECT_NEAR(rig.wheel->GetBuffer()[0], expected, 1e-6f) << value;
        EXPECT_NEAR(rig.pressure->GetBuffer()[0], expected, 1e-6f) << value;
    }

    ModulatorTests::MidiRig midi;
    ModulationWheel unipolar(0.0f, 10.0f, &midi.provider);
    midi.Control(0, 1, 127);
    midi.provider.ResetAll();
    EXPECT_NEAR(unipolar.GetBuffer()[0], 10.0f, 1e-5f);
}

TEST(MidiModulators, WheelGlidesFromTopToBottomWithoutAJump)
{
    Rig rig;
    rig.Control(0, 1, 127);
    rig.provider.ResetAll();
    rig.Control(0, 1, 0);
    const auto out = rig.Run(rig.wheel->GetBuffer(), 100);
    EXPECT_NEAR(out.front(), 1.0f, 0.001f);
    EXPECT_TRUE(std::is_sorted(out.rbegin(), out.rend()));
    // Like a rise to 1, the fall to -1 ends a few ulps short of the target.
    EXPECT_NEAR(out.back(), -1.0f, 0.0001f);
    EXPECT_GE(*std::min_element(out.begin(), out.end()), -1.0f);
    // The largest step is the coefficient times the full distance.
    EXPECT_LE(DspTests::LargestStep(out), 0.000227 * 2.0001 * 1.01);
}

TEST(MidiModulators, PressureGlidesAsWell)
{
    Rig rig;
    rig.Pressure(0, 127);
    const auto out = rig.Run(rig.pressure->GetBuffer(), 4);
    EXPECT_GT(out.back(), out.front());
    EXPECT_LT(out.back(), 1.0f);
    EXPECT_LE(DspTests::LargestStep(out), 0.000227 * 1.0001 * 1.01);
}

TEST(MidiModulators, WheelFineChangesNothing)
{
    Rig rig;
    rig.Control(0, 1, 100);
    rig.provider.ResetAll();
    const float before = rig.wheel->GetBuffer()[0];
    rig.Control(0, 33, 5);
    const auto out = rig.Run(rig.wheel->GetBuffer(), 2);
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [before](float x) { return x == before; }));
}
