#include "platform/ResourcePreprocessor.h"

#include "base/Text.h"

#include "platform/ResourceExpression.h"
#include "platform/ResourceSymbols.h"

#include <algorithm>
#include <cctype>

namespace Kestrune::Platform
{

using Base::EqualsNoCase;
namespace
{

constexpr int kMaxIncludeDepth = 8;
constexpr int kMaxMacroDepth = 32;
constexpr std::size_t kMaxConditionalDepth = 64;
constexpr std::size_t kMaxTokens = 250000;
// Also bounds macros that expand to nothing, which add no tokens.
constexpr std::size_t kMaxExpansions = 1000000;
constexpr std::uint64_t kMaxNumber = 0xFFFFFFFFu;

bool IsIdentifierStart(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) != 0 || c == '_';
}

bool IsIdentifierChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

std::string_view BaseName(std::string_view path)
{
    const auto slash = path.find_last_of("/\\");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string_view TrimLeft(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])) != 0)
    {
        ++i;
    }
    return text.substr(i);
}

std::string_view Trim(std::string_view text)
{
    text = TrimLeft(text);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())) != 0)
    {
        text.remove_suffix(1);
    }
    return text;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

ResourcePreprocessor::ResourcePreprocessor(const IncludeFiles& includes) : includeFiles(includes) {}

bool ResourcePreprocessor::Run(std::string_view text, ResourceTokens& tokens, std::string& error)
{
    output = &tokens;
    errorText = &error;
    ResourceToken one;
    one.kind = ResourceToken::Kind::Number;
    one.text = "1";
    one.value = 1;
    macros["RC_INVOKED"] = {one};
    const bool ok = ProcessFile("script", text, 0);
    ResourceToken end;
    end.kind = ResourceToken::Kind::End;
    end.startsLine = true;
    if (!tokens.empty())
    {
        end.file = tokens.back().file;
        end.line = tokens.back().line;
    }
    tokens.push_back(end);
    return ok;
}

bool ResourcePreprocessor::Fail(int lineNumber, const std::string& message)
{
    if (errorText->empty())
    {
        const std::string file = static_cast<std::size_t>(currentFile) < files.size()
                                     ? files[static_cast<std::size_t>(currentFile)]
                                     : std::string("script");
        *errorText = JoinText({file, ":", std::to_string(lineNumber), ": ", message});
    }
    return false;
}

bool ResourcePreprocessor::IsActive() const
{
    return conditionals.empty() || conditionals.back().active;
}

bool ResourcePreprocessor::ProcessFile(std::string_view name, std::string_view text, int depth)
{
    if (depth > kMaxIncludeDepth)
    {
        return Fail(0, "includes nested too deeply");
    }
    files.emplace_back(name);
    const int savedFile = currentFile;
    currentFile = static_cast<int>(files.size() - 1);
    const std::size_t savedConditionals = conditionals.size();

    bool inComment = false;
    std::size_t offset = 0;
    int lineNumber = 0;
    while (offset < text.size())
    {
        // One logical line: physical lines joined where they end with a backslash.
        std::string logical;
        const int firstLine = lineNumber + 1;
        for (;;)
        {
            const std::size_t newline = text.find('\n', offset);
            const std::size_t end = newline == std::string_view::npos ? text.size() : newline;
            std::string_view physical = text.substr(offset, end - offset);
            offset = newline == std::string_view::npos ? text.size() : newline + 1;
            ++lineNumber;
            if (!physical.empty() && physical.back() == '\r')
            {
                physical.remove_suffix(1);
            }
            if (!physical.empty() && physical.back() == '\\' && offset < text.size())
            {
                physical.remove_suffix(1);
                logical.append(physical);
                continue;
            }
            logical.append(physical);
            break;
        }

        // Comments become a space; string literals are kept as they are.
        std::string clean;
        clean.reserve(logical.size());
        for (std::size_t i = 0; i < logical.size(); ++i)
        {
            const char c = logical[i];
            if (inComment)
            {
                if (c == '*' && i + 1 < logical.size() && logical[i + 1] == '/')
                {
                    inComment = false;
                    ++i;
                    clean.push_back(' ');
                }
                continue;
            }
            if (c == '"')
            {
                clean.push_back(c);
                for (++i; i < logical.size(); ++i)
                {
                    clean.push_back(logical[i]);
                    if (logical[i] == '\\' && i + 1 < logical.size())
                    {
                        clean.push_back(logical[++i]);
                    }
                    else if (logical[i] == '"')
                    {
                        break;
                    }
                }
                continue;
            }
            if (c == '/' && i + 1 < logical.size() && logical[i + 1] == '/')
            {
                break;
            }
            if (c == '/' && i + 1 < logical.size() && logical[i + 1] == '*')
            {
                inComment = true;
                ++i;
                continue;
            }
            clean.push_back(c);
        }
        if (!ProcessLine(clean, firstLine, depth))
        {
            return false;
        }
    }
    if (inComment)
    {
        return Fail(lineNumber, "unterminated comment");
    }
    if (conditionals.size() != savedConditionals)
    {
        return Fail(lineNumber, "#if without #endif");
    }
    currentFile = savedFile;
    return true;
}

bool ResourcePreprocessor::ProcessLine(std::string_view line, int lineNumber, int depth)
{
    const std::string_view trimmed = TrimLeft(line);
    if (!trimmed.empty() && trimmed.front() == '#')
    {
        return ProcessDirective(trimmed.substr(1), lineNumber, depth);
    }
    if (!IsActive())
    {
        return true;
    }
    ResourceTokens lexed;
    if (!Lex(line, lineNumber, lexed))
    {
        return false;
    }
    if (!lexed.empty())
    {
        lexed.front().startsLine = true;
    }
    for (const ResourceToken& token : lexed)
    {
        if (!Expand(token, *output, 0))
        {
            return false;
        }
    }
    return true;
}

bool ResourcePreprocessor::ProcessDirective(std::string_view line, int lineNumber, int depth)
{
    line = TrimLeft(line);
    std::size_t nameEnd = 0;
    while (nameEnd < line.size() && IsIdentifierChar(line[nameEnd]))
    {
        ++nameEnd;
    }
    const std::string_view directive = line.substr(0, nameEnd);
    const std::string_view rest = line.substr(nameEnd);

    if (directive == "ifdef" || directive == "ifndef" || directive == "if")
    {
        if (conditionals.size() >= kMaxConditionalDepth)
        {
            return Fail(lineNumber, "conditionals nested too deeply");
        }
        const bool parentActive = IsActive();
        bool result = false;
        if (parentActive)
        {
            ResourceTokens lexed;
            if (!Lex(rest, lineNumber, lexed))
            {
                return false;
            }
            if (directive == "if")
            {
                if (!EvaluateCondition(lexed, lineNumber, result))
                {
                    return false;
                }
            }
            else
            {
                if (lexed.size() != 1 || lexed.front().kind != ResourceToken::Kind::Identifier)
                {
                    return Fail(lineNumber, JoinText({"#", directive, " needs one name"}));
                }
                const std::string& name = lexed.front().text;
                const bool defined = macros.count(name) != 0 || LookUpResourceSymbol(name);
                result = directive == "ifdef" ? defined : !defined;
            }
        }
        conditionals.push_back({parentActive, parentActive && result, result, false});
        return true;
    }
    if (directive == "elif")
    {
        if (conditionals.empty() || conditionals.back().elseSeen)
        {
            return Fail(lineNumber, "#elif without #if");
        }
        Conditional& top = conditionals.back();
        if (!top.parentActive || top.taken)
        {
            top.active = false;
            return true;
        }
        ResourceTokens lexed;
        bool result = false;
        if (!Lex(rest, lineNumber, lexed) || !EvaluateCondition(lexed, lineNumber, result))
        {
            return false;
        }
        top.active = result;
        top.taken = result;
        return true;
    }
    if (directive == "else")
    {
        if (conditionals.empty() || conditionals.back().elseSeen)
        {
            return Fail(lineNumber, "#else without #if");
        }
        Conditional& top = conditionals.back();
        top.elseSeen = true;
        top.active = top.parentActive && !top.taken;
        top.taken = true;
        return true;
    }
    if (directive == "endif")
    {
        if (conditionals.empty())
        {
            return Fail(lineNumber, "#endif without #if");
        }
        conditionals.pop_back();
        return true;
    }
    if (!IsActive() || directive.empty() || directive == "pragma" || directive == "line")
    {
        return true;
    }
    if (directive == "include")
    {
        const std::string_view target = Trim(rest);
        if (target.size() >= 2 && target.front() == '<' && target.back() == '>')
        {
            return true; // system headers: their constants are built in
        }
        if (target.size() < 2 || target.front() != '"' || target.back() != '"')
        {
            return Fail(lineNumber, "malformed #include");
        }
        const std::string_view wanted = target.substr(1, target.size() - 2);
        const std::pair<std::string, std::string>* found = nullptr;
        for (const auto& file : includeFiles)
        {
            if (file.first == wanted)
            {
                found = &file;
                break;
            }
        }
        for (const auto& file : includeFiles)
        {
            if (found == nullptr && EqualsNoCase(BaseName(file.first), BaseName(wanted)))
            {
                found = &file;
            }
        }
        if (found == nullptr)
        {
            return Fail(lineNumber, JoinText({"cannot open include file '", wanted, "'"}));
        }
        const int savedFile = currentFile;
        if (!ProcessFile(found->first, found->second, depth + 1))
        {
            return false;
        }
        currentFile = savedFile;
        return true;
    }
    if (directive == "define" || directive == "undef")
    {
        const std::string_view body = TrimLeft(rest);
        std::size_t end = 0;
        while (end < body.size() && IsIdentifierChar(body[end]))
        {
            ++end;
        }
        if (end == 0 || !IsIdentifierStart(body.front()))
        {
            return Fail(lineNumber, JoinText({"#", directive, " needs a name"}));
        }
        const std::string name(body.substr(0, end));
        if (directive == "undef")
        {
            macros.erase(name);
            return true;
        }
        if (end < body.size() && body[end] == '(')
        {
            return Fail(lineNumber, "function-like macros are not supported");
        }
        if (name == "defined")
        {
            return Fail(lineNumber, "'defined' cannot be a macro");
        }
        ResourceTokens replacement;
        if (!Lex(body.substr(end), lineNumber, replacement))
        {
            return false;
        }
        macros[name] = std::move(replacement);
        return true;
    }
    if (directive == "error")
    {
        return Fail(lineNumber, JoinText({"#error", rest}));
    }
    return Fail(lineNumber, JoinText({"unknown directive #", directive}));
}

bool ResourcePreprocessor::Lex(std::string_view line, int lineNumber, ResourceTokens& out)
{
    std::size_t i = 0;
    while (i < line.size())
    {
        const char c = line[i];
        if (std::isspace(static_cast<unsigned char>(c)) != 0)
        {
            ++i;
            continue;
        }
        ResourceToken token;
        token.file = currentFile;
        token.line = lineNumber;
        const bool wide = c == 'L' && i + 1 < line.size() && line[i + 1] == '"';
        if (c == '"' || wide)
        {
            i += wide ? 2 : 1;
            token.kind = ResourceToken::Kind::String;
            bool closed = false;
            while (i < line.size())
            {
                const char s = line[i];
                if (s == '"')
                {
                    if (i + 1 < line.size() && line[i + 1] == '"')
                    {
                        token.text.push_back('"');
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                if (s == '\\' && i + 1 < line.size())
                {
                    const char e = line[i + 1];
                    i += 2;
                    switch (e)
                    {
                    case 'n':
                        token.text.push_back('\n');
                        break;
                    case 't':
                        token.text.push_back('\t');
                        break;
                    case 'r':
                        token.text.push_back('\r');
                        break;
                    case 'a':
                        token.text.push_back('\a');
                        break;
                    case 'x':
                    {
                        int value = 0;
                        int digits = 0;
                        while (digits < 2 && i < line.size() && HexDigit(line[i]) >= 0)
                        {
                            value = value * 16 + HexDigit(line[i]);
                            ++i;
                            ++digits;
                        }
                        if (digits == 0)
                        {
                            return Fail(lineNumber, "malformed escape in string");
                        }
                        token.text.push_back(static_cast<char>(value));
                        break;
                    }
                    default:
                        token.text.push_back(e);
                        break;
                    }
                    continue;
                }
                token.text.push_back(s);
                ++i;
            }
            if (!closed)
            {
                return Fail(lineNumber, "unterminated string");
            }
        }
        else if (IsIdentifierStart(c))
        {
            token.kind = ResourceToken::Kind::Identifier;
            const std::size_t start = i;
            while (i < line.size() && IsIdentifierChar(line[i]))
            {
                ++i;
            }
            token.text = std::string(line.substr(start, i - start));
        }
        else if (std::isdigit(static_cast<unsigned char>(c)) != 0)
        {
            token.kind = ResourceToken::Kind::Number;
            const std::size_t start = i;
            while (i < line.size() && IsIdentifierChar(line[i]))
            {
                ++i;
            }
            std::string_view literal = line.substr(start, i - start);
            token.text = std::string(literal);
            while (!literal.empty() && (literal.back() == 'L' || literal.back() == 'l' ||
                                        literal.back() == 'U' || literal.back() == 'u'))
            {
                literal.remove_suffix(1);
            }
            std::uint64_t value = 0;
            int base = 10;
            if (literal.size() > 2 && literal[0] == '0' && (literal[1] == 'x' || literal[1] == 'X'))
            {
                base = 16;
                literal.remove_prefix(2);
            }
            if (literal.empty())
            {
                return Fail(lineNumber, JoinText({"malformed number '", token.text, "'"}));
            }
            for (const char d : literal)
            {
                const int digit = HexDigit(d);
                if (digit < 0 || digit >= base)
                {
                    return Fail(lineNumber, JoinText({"malformed number '", token.text, "'"}));
                }
                value =
                    value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
                if (value > kMaxNumber)
                {
                    return Fail(lineNumber, JoinText({"number too large '", token.text, "'"}));
                }
            }
            token.value = static_cast<std::int64_t>(value);
        }
        else
        {
            static constexpr std::string_view kPairs[] = {
                "||", "&&", "==", "!=", "<=", ">=", "<<", ">>"};
            static constexpr std::string_view kSingles = ",|(){}+-~&*/%!<>^";
            token.kind = ResourceToken::Kind::Punctuator;
            const std::string_view two = line.substr(i, 2);
            const auto pair = std::find(std::begin(kPairs), std::end(kPairs), two);
            if (two.size() == 2 && pair != std::end(kPairs))
            {
                token.text = std::string(two);
                i += 2;
            }
            else if (kSingles.find(c) != std::string_view::npos)
            {
                token.text = std::string(1, c);
                ++i;
            }
            else
            {
                const int code = static_cast<unsigned char>(c);
                return Fail(lineNumber,
                            JoinText({"unexpected character (code ", std::to_string(code), ")"}));
            }
        }
        out.push_back(std::move(token));
    }
    return true;
}

bool ResourcePreprocessor::Expand(const ResourceToken& token, ResourceTokens& out, int depth)
{
    if (out.size() >= kMaxTokens)
    {
        return Fail(token.line, "script too large");
    }
    if (token.kind == ResourceToken::Kind::Identifier)
    {
        const auto macro = macros.find(token.text);
        if (macro != macros.end() &&
            std::find(expanding.begin(), expanding.end(), token.text) == expanding.end())
        {
            if (depth >= kMaxMacroDepth)
            {
                return Fail(token.line, "macros nested too deeply");
            }
            if (++expansions > kMaxExpansions)
            {
                return Fail(token.line, "script too large");
            }
            expanding.push_back(token.text);
            const ResourceTokens body = macro->second;
            bool first = true;
            for (ResourceToken replacement : body)
            {
                replacement.file = token.file;
                replacement.line = token.line;
                replacement.startsLine = first && token.startsLine;
                first = false;
                if (!Expand(replacement, out, depth + 1))
                {
                    return false;
                }
            }
            expanding.pop_back();
            return true;
        }
    }
    out.push_back(token);
    return true;
}

bool ResourcePreprocessor::EvaluateCondition(const ResourceTokens& tokens, int lineNumber,
                                             bool& result)
{
    ResourceTokens expanded;
    for (std::size_t i = 0; i < tokens.size(); ++i)
    {
        const ResourceToken& token = tokens[i];
        if (token.kind == ResourceToken::Kind::Identifier && token.text == "defined")
        {
            std::size_t j = i + 1;
            const bool parenthesised = j < tokens.size() && tokens[j].text == "(" &&
                                       tokens[j].kind == ResourceToken::Kind::Punctuator;
            if (parenthesised)
            {
                ++j;
            }
            if (j >= tokens.size() || tokens[j].kind != ResourceToken::Kind::Identifier)
            {
                return Fail(lineNumber, "'defined' needs a name");
            }
            const std::string& name = tokens[j].text;
            if (parenthesised)
            {
                ++j;
                if (j >= tokens.size() || tokens[j].text != ")")
                {
                    return Fail(lineNumber, "')' expected after 'defined'");
                }
            }
            ResourceToken value = token;
            value.kind = ResourceToken::Kind::Number;
            value.value = (macros.count(name) != 0 || LookUpResourceSymbol(name)) ? 1 : 0;
            expanded.push_back(value);
            i = j;
            continue;
        }
        if (!Expand(token, expanded, 0))
        {
            return false;
        }
    }
    ResourceToken end;
    end.kind = ResourceToken::Kind::End;
    expanded.push_back(end);

    std::size_t position = 0;
    std::string message;
    ResourceExpression expression(
        expanded, position,
        [](std::string_view name) -> std::optional<std::int64_t>
        { return LookUpResourceSymbol(name).value_or(0); },
        message);
    const auto value = expression.Parse();
    if (!value)
    {
        return Fail(lineNumber, message);
    }
    if (expanded[position].kind != ResourceToken::Kind::End)
    {
        return Fail(lineNumber, "unexpected tokens after #if expression");
    }
    result = *value != 0;
    return true;
}

} // namespace Kestrune::Platform
