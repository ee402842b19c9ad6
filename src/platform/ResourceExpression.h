#pragma once

#include "platform/ResourceToken.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace Kestrune::Platform
{

// Evaluates C-style integer expressions over resource-script tokens (64-bit, wrapping), from
// `position` onwards, stopping at the first token that cannot continue the expression.
class ResourceExpression
{
public:
    // Answers the value of an identifier, or nothing when it is unknown (an error).
    using Resolver = std::function<std::optional<std::int64_t>(std::string_view)>;

    ResourceExpression(const ResourceTokens& tokens, std::size_t& position, Resolver resolver,
                       std::string& error);

    // The whole expression grammar (the lowest precedence is ||).
    std::optional<std::int64_t> Parse();
    // An operand of a style list: everything binding tighter than |.
    std::optional<std::int64_t> ParseStyleTerm();

private:
    enum class Level
    {
        LogicalOr,
        LogicalAnd,
        BitOr,
        BitXor,
        BitAnd,
        Equality,
        Relational,
        Shift,
        Additive,
        Multiplicative
    };

    std::optional<std::int64_t> ParseLevel(Level level);
    std::optional<std::int64_t> ParseUnary();
    std::optional<std::int64_t> ParsePrimary();
    bool IsOperator(Level level) const;
    bool Fail(const std::string& message);

    const ResourceTokens& tokens;
    std::size_t& position;
    Resolver resolver;
    std::string& error;
    int depth = 0;
};

// "file:line: " prefix for a token's position.
std::string ResourceTokenLocation(const ResourceToken& token,
                                  const std::vector<std::string>& files);

} // namespace Kestrune::Platform
