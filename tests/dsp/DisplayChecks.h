// Checks on the table displays of the DSP and modulator parameters.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>

namespace DspTests
{

// Entry i for index i, each ended within the parameter's 8-byte field; an index outside the
// table shows the nearer end.
template <typename Display> void ExpectTableTexts(std::initializer_list<const char*> entries)
{
    char text[8];
    int index = 0;
    for (const char* entry : entries)
    {
        std::memset(text, 'x', sizeof text);
        Display::Format(index, text, sizeof text);
        EXPECT_STREQ(text, entry) << "index " << index;
        EXPECT_EQ(text[7], '\0');
        ++index;
    }
    Display::Format(-1, text, sizeof text);
    EXPECT_STREQ(text, *entries.begin()) << "below the table";
    Display::Format(index, text, sizeof text);
    EXPECT_STREQ(text, *(entries.end() - 1)) << "above the table";
}

} // namespace DspTests
