#include "parameters/Displays.h"
#include "parameters/Transforms.h"

#include <gtest/gtest.h>

#include <bit>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <locale>
#include <string>
#include <utility>

using namespace Kestrune::Parameters;

namespace
{

// The text a display writes into the parameter's 8-byte field.
template <typename Display, typename Value> std::string Show(Value setting)
{
    char text[8];
    std::memset(text, 'x', sizeof text);
    Display::Format(setting, text, sizeof text);
    EXPECT_EQ(text[7], '\0') << "the eighth byte always ends the text";
    return text;
}

// Each setting with the text the display shows for it.
template <typename Display>
void ExpectShows(std::initializer_list<std::pair<float, const char*>> cases)
{
    for (const auto& [setting, expected] : cases)
        EXPECT_EQ(Show<Display>(setting), expected) << "setting " << setting;
}

} // namespace

TEST(FloatDisplay, ThreeDecimalsCutToSevenCharacters)
{
    ExpectShows<FloatDisplay>({{0.8f, "0.800"},
                               {20.0f, "20.000"},
                               {625.0f, "625.000"},
                               {2500.0f, "2500.00"},
                               {10000.0f, "10000.0"},
                               {12345678.0f, "1234567"},
                               {0.0f, "0.000"},
                               {-1.5f, "-1.500"}});
}

// The quick conversion of a float against the general one: every float from 2^-20 up to the
// quick path's limit in steps of 1009 representations (and their negatives), ties included.
TEST(FloatDisplay, QuickConversionGivesTheGeneralDigits)
{
    char quick[64], general[64];
    int ties = 0;
    for (std::uint32_t bits = std::bit_cast<std::uint32_t>(0x1p-20f);
         bits < std::bit_cast<std::uint32_t>(1e12f); bits += 1009)
    {
        for (float value : {std::bit_cast<float>(bits), -std::bit_cast<float>(bits)})
        {
            for (int decimals = 0; decimals <= 3; ++decimals)
            {
                Kestrune::Base::FormatFixed(value, decimals, quick, sizeof quick);
                Kestrune::Base::FormatFixed(static_cast<double>(value), decimals, general,
                                            sizeof general);
                ASSERT_STREQ(quick, general) << value << " with " << decimals << " decimals";
            }
            const double scaled = std::fabs(static_cast<double>(value)) * 1000.0;
            ties += scaled - std::floor(scaled) == 0.5;
        }
    }
    EXPECT_GT(ties, 100) << "the steps reach values halfway between two texts";
    Kestrune::Base::FormatFixed(-0.0f, 3, quick, sizeof quick);
    EXPECT_STREQ(quick, "-0.000");
}

TEST(ScaledFloatDisplay, PercentRoundedHalfAwayFromZero)
{
    ExpectShows<ScaledFloatDisplay>({{0.0625f, "6"},
                                     {0.25f, "25"},
                                     {1.0f, "100"},
                                     {0.0f, "0"},
                                     {0.125f, "13"}, // 12.5 exactly
                                     {-0.125f, "-13"},
                                     {1e30f, "1000000"}}); // huge values print digits, cut
}

TEST(WetDryDisplay, MinusHundredDryToHundredWet)
{
    ExpectShows<WetDryDisplay>({{0.0f, "-100"},
                                {0.25f, "-50"},
                                {0.5f, "0"},
                                {0.75f, "50"},
                                {1.0f, "100"},
                                {0.4375f, "-13"}, // -12.5 exactly
                                {0.4990f, "0"}}); // no "-0"
}

TEST(DecibelDisplay, TwoDecimalsAndMinusInfinityAtExactlyZero)
{
    ExpectShows<DecibelDisplay>({{0.0f, "-oo"},
                                 {0.95f, "-0.45"},
                                 {0.475f, "-6.47"},
                                 {0.0000095f, "-100.45"},
                                 {1.0f, "0.00"},
                                 {1e-30f, "-600.00"},
                                 {-0.5f, "-6.02"}}); // a negative gain shows its magnitude
}

TEST(EnabledDisplay, OnAndOff)
{
    EXPECT_EQ(Show<EnabledDisplay>(true), "On");
    EXPECT_EQ(Show<EnabledDisplay>(false), "Off");
}

TEST(FormatChoice, PicksTheEntryAndClampsTheIndex)
{
    static const char* const table[] = {"None", "LFO", "A long entry"};
    char text[8];
    FormatChoice(table, 1, text, sizeof text);
    EXPECT_STREQ(text, "LFO");
    FormatChoice(table, 2, text, sizeof text);
    EXPECT_STREQ(text, "A long ");
    FormatChoice(table, -3, text, sizeof text);
    EXPECT_STREQ(text, "None");
    FormatChoice(table, 99, text, sizeof text);
    EXPECT_STREQ(text, "A long ");
}

TEST(Transforms, LinearAndExponential)
{
    EXPECT_EQ(LinearTransform::Convert(0.3f), 0.3f);
    EXPECT_EQ(LinearTransform::Convert(1.5f), 1.5f) << "no clamping";
    EXPECT_EQ(ExponentialTransform::Convert(0.25f), 0.0625f);
    EXPECT_EQ(ExponentialTransform::Convert(0.5f), 0.25f);
    EXPECT_EQ(ExponentialTransform::Convert(-0.5f), 0.25f);
    const double tenth = static_cast<double>(0.1f);
    EXPECT_EQ(ExponentialTransform::Convert(0.1f), static_cast<float>(tenth * tenth))
        << "squared in double from the float, then stored as float";
}

TEST(Transforms, BooleanSwitchesAtOneHalf)
{
    EXPECT_TRUE(BooleanTransform::Convert(0.5f));
    EXPECT_FALSE(BooleanTransform::Convert(std::nextafter(0.5f, 0.0f)));
    EXPECT_FALSE(BooleanTransform::Convert(0.0f));
    EXPECT_TRUE(BooleanTransform::Convert(1.0f));
}

TEST(Transforms, SelectionRoundsHalfAwayFromZero)
{
    EXPECT_EQ(SelectionTransform<4>::Convert(0.0f), 0);
    EXPECT_EQ(SelectionTransform<4>::Convert(0.5f), 2); // 1.5
    EXPECT_EQ(SelectionTransform<4>::Convert(0.75f), 2);
    EXPECT_EQ(SelectionTransform<4>::Convert(1.0f), 3);
    EXPECT_EQ(SelectionTransform<4>::Convert(0.25f), 1); // 0.75
    EXPECT_EQ(SelectionTransform<7>::Convert(0.25f), 2); // 1.5
    EXPECT_EQ(SelectionTransform<7>::Convert(0.75f), 5); // 4.5
    EXPECT_EQ(SelectionTransform<7>::Convert(1.0f), 6);
    EXPECT_EQ(SelectionTransform<11>::Convert(0.5f), 5);
    EXPECT_EQ(SelectionTransform<11>::Convert(0.25f), 3); // 2.5
    EXPECT_EQ(SelectionTransform<11>::Convert(0.75f), 8); // 7.5
    EXPECT_EQ(SelectionTransform<11>::Convert(1.0f), 10);
}

TEST(Transforms, SelectionIndexStaysInsideItsTable)
{
    EXPECT_EQ(SelectionTransform<4>::Convert(-0.5f), 0);
    EXPECT_EQ(SelectionTransform<4>::Convert(-1e30f), 0);
    EXPECT_EQ(SelectionTransform<4>::Convert(1.2f), 3);
    EXPECT_EQ(SelectionTransform<11>::Convert(2.0f), 10);
    EXPECT_EQ(SelectionTransform<7>::Convert(1e30f), 6);
}

namespace
{
struct CommaPunct : std::numpunct<char>
{
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};
} // namespace

TEST(DisplayLocale, CommaLocaleOfTheCLibraryChangesNothing)
{
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    const char* german = nullptr;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "German"})
    {
        if (std::setlocale(LC_ALL, name) != nullptr)
        {
            german = name;
            break;
        }
    }
    if (german == nullptr)
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    const std::string floatText = Show<FloatDisplay>(2500.0f);
    const std::string decibelText = Show<DecibelDisplay>(0.475f);
    std::setlocale(LC_ALL, previous.c_str());
    EXPECT_EQ(floatText, "2500.00") << german;
    EXPECT_EQ(decibelText, "-6.47") << german;
}

TEST(DisplayLocale, CommaLocaleOfTheStandardLibraryChangesNothing)
{
    const std::locale previous =
        std::locale::global(std::locale(std::locale::classic(), new CommaPunct));
    const std::string floatText = Show<FloatDisplay>(2500.0f);
    const std::string decibelText = Show<DecibelDisplay>(0.475f);
    const std::string wetDryText = Show<WetDryDisplay>(0.25f);
    std::locale::global(previous);
    EXPECT_EQ(floatText, "2500.00");
    EXPECT_EQ(decibelText, "-6.47");
    EXPECT_EQ(wetDryText, "-50");
}
