#include "platform/ResourceExpression.h"

#include <limits>
#include <utility>

namespace Kestrune::Platform
{
namespace
{

constexpr int kMaxDepth = 64;

bool IsPunctuator(const ResourceToken& token, std::string_view text)
{
    return token.kind == ResourceToken::Kind::Punctuator && token.text == text;
}

std::int64_t Wrap(std::uint64_t value)
{
    return static_cast<std::int64_t>(value);
}

} // namespace

ResourceExpression::ResourceExpression(const ResourceTokens& tokenList, std::size_t& cursor,
                                       Resolver resolve, std::string& errorText)
    : tokens(tokenList), position(cursor), resolver(std::move(resolve)), error(errorText)
{
}

std::optional<std::int64_t> ResourceExpression::Parse()
{
    return ParseLevel(Level::LogicalOr);
}

std::optional<std::int64_t> ResourceExpression::ParseStyleTerm()
{
    return ParseLevel(Level::BitXor);
}

bool ResourceExpression::Fail(const std::string& message)
{
    if (error.empty())
    {
        error = message;
    }
    return false;
}

bool ResourceExpression::IsOperator(Level level) const
{
    if (position >= tokens.size() || tokens[position].kind != ResourceToken::Kind::Punctuator)
    {
        return false;
    }
    const std::string& op = tokens[position].text;
    switch (level)
    {
    case Level::LogicalOr:
        return op == "||";
    case Level::LogicalAnd:
        return op == "&&";
    case Level::BitOr:
        return op == "|";
    case Level::BitXor:
        return op == "^";
    case Level::BitAnd:
        return op == "&";
    case Level::Equality:
        return op == "==" || op == "!=";
    case Level::Relational:
        return op == "<" || op == ">" || op == "<=" || op == ">=";
    case Level::Shift:
        return op == "<<" || op == ">>";
    case Level::Additive:
        return op == "+" || op == "-";
    case Level::Multiplicative:
        return op == "*" || op == "/" || op == "%";
    }
    return false;
}

std::optional<std::int64_t> ResourceExpression::ParseLevel(Level level)
{
    if (++depth > kMaxDepth)
    {
        Fail("expression nested too deeply");
        return std::nullopt;
    }
    struct DepthGuard
    {
        int& value;
        ~DepthGuard() { --value; }
    } guard{depth};

    const auto next = [level]() { return static_cast<Level>(static_cast<int>(level) + 1); };
    auto left = level == Level::Multiplicative ? ParseUnary() : ParseLevel(next());
    if (!left)
    {
        return std::nullopt;
    }
    while (IsOperator(level))
    {
        const std::string op = tokens[position].text;
        ++position;
        auto right = level == Level::Multiplicative ? ParseUnary() : ParseLevel(next());
        if (!right)
        {
            return std::nullopt;
        }
        const std::int64_t a = *left;
        const std::int64_t b = *right;
        const auto ua = static_cast<std::uint64_t>(a);
        const auto ub = static_cast<std::uint64_t>(b);
        if (op == "||")
            left = (a != 0 || b != 0) ? 1 : 0;
        else if (op == "&&")
            left = (a != 0 && b != 0) ? 1 : 0;
        else if (op == "|")
            left = Wrap(ua | ub);
        else if (op == "^")
            left = Wrap(ua ^ ub);
        else if (op == "&")
            left = Wrap(ua & ub);
        else if (op == "==")
            left = a == b ? 1 : 0;
        else if (op == "!=")
            left = a != b ? 1 : 0;
        else if (op == "<")
            left = a < b ? 1 : 0;
        else if (op == ">")
            left = a > b ? 1 : 0;
        else if (op == "<=")
            left = a <= b ? 1 : 0;
        else if (op == ">=")
            left = a >= b ? 1 : 0;
        else if (op == "<<")
            left = Wrap(ua << (ub & 63u));
        else if (op == ">>")
            left = Wrap(ua >> (ub & 63u));
        else if (op == "+")
            left = Wrap(ua + ub);
        else if (op == "-")
            left = Wrap(ua - ub);
        else if (op == "*")
            left = Wrap(ua * ub);
        else
        {
            if (b == 0)
            {
                Fail("division by zero");
                return std::nullopt;
            }
            if (a == std::numeric_limits<std::int64_t>::min() && b == -1)
            {
                Fail("arithmetic overflow");
                return std::nullopt;
            }
            left = op == "/" ? a / b : a % b;
        }
    }
    return left;
}

std::optional<std::int64_t> ResourceExpression::ParseUnary()
{
    if (position >= tokens.size())
    {
        Fail("expression expected");
        return std::nullopt;
    }
    const ResourceToken& token = tokens[position];
    if (IsPunctuator(token, "-") || IsPunctuator(token, "+") || IsPunctuator(token, "~") ||
        IsPunctuator(token, "!"))
    {
        ++position;
        if (++depth > kMaxDepth)
        {
            Fail("expression nested too deeply");
            return std::nullopt;
        }
        auto operand = ParseUnary();
        --depth;
        if (!operand)
        {
            return std::nullopt;
        }
        const auto value = static_cast<std::uint64_t>(*operand);
        if (token.text == "-")
            return Wrap(0u - value);
        if (token.text == "~")
            return Wrap(~value);
        if (token.text == "!")
            return *operand == 0 ? 1 : 0;
        return operand;
    }
    return ParsePrimary();
}

std::optional<std::int64_t> ResourceExpression::ParsePrimary()
{
    const ResourceToken& token = tokens[position];
    switch (token.kind)
    {
    case ResourceToken::Kind::Number:
        ++position;
        return token.value;
    case ResourceToken::Kind::Identifier:
    {
        auto value = resolver ? resolver(token.text) : std::nullopt;
        if (!value)
        {
            Fail(JoinText({"unknown symbol '", token.text, "'"}));
            return std::nullopt;
        }
        ++position;
        return value;
    }
    case ResourceToken::Kind::Punctuator:
        if (token.text == "(")
        {
            ++position;
            auto value = Parse();
            if (!value)
            {
                return std::nullopt;
            }
            if (position >= tokens.size() || !IsPunctuator(tokens[position], ")"))
            {
                Fail("')' expected");
                return std::nullopt;
            }
            ++position;
            return value;
        }
        break;
    default:
        break;
    }
    Fail("expression expected");
    return std::nullopt;
}

std::string ResourceTokenLocation(const ResourceToken& token, const std::vector<std::string>& files)
{
    const std::string file = token.file >= 0 && static_cast<std::size_t>(token.file) < files.size()
                                 ? files[static_cast<std::size_t>(token.file)]
                                 : std::string("script");
    return JoinText({file, ":", std::to_string(token.line), ": "});
}

} // namespace Kestrune::Platform
