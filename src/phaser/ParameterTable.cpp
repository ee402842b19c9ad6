#include "phaser/ParameterTable.h"

#include "phaser/ParameterPolicies.h"

#include <algorithm>
#include <utility>

namespace Kestrune::Product
{

namespace
{
template <std::size_t... I>
void FormatRow(int index, float normalised, char* text, std::size_t size, std::index_sequence<I...>)
{
    ((index == static_cast<int>(I)
          ? Policies<static_cast<ParameterIndex>(I)>::Format(normalised, text, size)
          : void()),
     ...);
}
} // namespace

void FormatChoice(ParameterIndex index, int entry, char* text, std::size_t size)
{
    if (size > 0)
        text[0] = '\0';
    const int choices = kParameters[index].choices;
    if (choices < 2)
        return;
    // The value that selects the entry: the transform rounds it back to that entry.
    const float normalised =
        static_cast<float>(std::clamp(entry, 0, choices - 1)) / static_cast<float>(choices - 1);
    FormatRow(index, normalised, text, size, std::make_index_sequence<kParameterCount>());
}

} // namespace Kestrune::Product
