// How the panel's scale factor is read: CORVANE_UI_SCALE and the X server's Xft.dpi.
#include "platform/UiScale.h"

#include <gtest/gtest.h>

#include <optional>

namespace Platform = Kestrune::Platform;

TEST(UiScale, FactorsComeInQuarterStepsFromOneToFour)
{
    EXPECT_EQ(Platform::ParseUiScale("2"), 2.0);
    EXPECT_EQ(Platform::ParseUiScale(" 1.5 "), 1.5);
    EXPECT_EQ(Platform::ParseUiScale("1.3"), 1.25);  // the nearest step
    EXPECT_EQ(Platform::ParseUiScale("1.375"), 1.5); // halves go up
    EXPECT_EQ(Platform::ParseUiScale("0.5"), 1.0);   // clamped
    EXPECT_EQ(Platform::ParseUiScale("12"), 4.0);
    for (const char* malformed : {"", "two", "2x", "1,5", "0", "-2", "nan", "inf", "1e999"})
        EXPECT_EQ(Platform::ParseUiScale(malformed), std::nullopt) << '"' << malformed << '"';
}

TEST(UiScale, XftDpiOf96IsOne)
{
    EXPECT_EQ(Platform::UiScaleFromDpi("96"), 1.0);
    EXPECT_EQ(Platform::UiScaleFromDpi("120"), 1.25);
    EXPECT_EQ(Platform::UiScaleFromDpi("144"), 1.5);
    EXPECT_EQ(Platform::UiScaleFromDpi("192.0"), 2.0);
    EXPECT_EQ(Platform::UiScaleFromDpi("110"), 1.25); // 1.15: the nearest step
    EXPECT_EQ(Platform::UiScaleFromDpi("72"), 1.0);
    EXPECT_EQ(Platform::UiScaleFromDpi("480"), 4.0);
    EXPECT_EQ(Platform::UiScaleFromDpi("high"), std::nullopt);
    EXPECT_EQ(Platform::UiScaleFromDpi("-96"), std::nullopt);
}

#if defined(__linux__)
// Looked up as toolkits look it up in the root window's RESOURCE_MANAGER: by Xrm, wildcards too.
TEST(UiScale, XftDpiIsFoundInTheServersResourceString)
{
    EXPECT_EQ(Platform::XftDpiOfResources("Xft.antialias:\t1\nXft.dpi:\t192\nXft.rgba:\trgb\n"),
              "192");
    EXPECT_EQ(Platform::XftDpiOfResources("*dpi:\t144\n"), "144");
    EXPECT_EQ(Platform::XftDpiOfResources("Xcursor.size:\t24\n"), std::nullopt);
    EXPECT_EQ(Platform::XftDpiOfResources(nullptr), std::nullopt);
}
#endif
