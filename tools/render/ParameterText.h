// Text helpers shared by the parameter look-ups: names and displays compare in any letter case
// and without surrounding blanks.
#pragma once

#include <algorithm>
#include <cctype>
#include <string>

namespace Kestrune::Render
{

inline std::string Lowercase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

inline std::string Trim(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

inline bool EndsWithNoCase(const std::string& text, const std::string& suffix)
{
    return text.size() >= suffix.size() &&
           Lowercase(text.substr(text.size() - suffix.size())) == Lowercase(suffix);
}

} // namespace Kestrune::Render
