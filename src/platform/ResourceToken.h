#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace Kestrune::Platform
{

// A token of a preprocessed resource script.
struct ResourceToken
{
    enum class Kind
    {
        Identifier,
        Number,
        String,
        Punctuator,
        End
    };

    Kind kind = Kind::End;
    std::string text;        // identifier, punctuator, or the string's contents without quotes
    std::int64_t value = 0;  // numbers
    int file = 0;            // index into the preprocessor's file names
    int line = 0;            // 1-based
    bool startsLine = false; // first token of its source line
};

using ResourceTokens = std::vector<ResourceToken>;

// Concatenates message parts (avoids a false -Wrestrict of GCC 12 on chained string operator+).
inline std::string JoinText(std::initializer_list<std::string_view> parts)
{
    std::string text;
    for (const std::string_view part : parts)
    {
        text.append(part);
    }
    return text;
}

} // namespace Kestrune::Platform
