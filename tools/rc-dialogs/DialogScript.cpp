#include "DialogScript.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <sstream>
#include <stdexcept>

namespace Kestrune::RcDialogs
{
namespace
{

// The control statements the script uses: the class each makes, whether it starts with a text,
// and the styles the resource compiler gives it with and without a style list.
struct Statement
{
    std::string_view keyword;
    std::string_view className; // empty for CONTROL, which names its class
    bool hasText;
    std::string_view baseStyle;
    std::string_view defaultStyle;
};

constexpr std::array<Statement, 6> kStatements = {{
    {"CONTROL", "", true, "", ""},
    {"LTEXT", "STATIC", true, "SS_LEFT", "SS_LEFT | WS_GROUP"},
    {"PUSHBUTTON", "BUTTON", true, "BS_PUSHBUTTON", "BS_PUSHBUTTON | WS_TABSTOP"},
    {"DEFPUSHBUTTON", "BUTTON", true, "BS_DEFPUSHBUTTON", "BS_DEFPUSHBUTTON | WS_TABSTOP"},
    {"GROUPBOX", "BUTTON", true, "BS_GROUPBOX", "BS_GROUPBOX"},
    {"COMBOBOX", "COMBOBOX", false, "", "CBS_SIMPLE | WS_TABSTOP"},
}};

constexpr std::array<std::string_view, 6> kPredefinedClasses = {"BUTTON",  "EDIT",      "STATIC",
                                                                "LISTBOX", "SCROLLBAR", "COMBOBOX"};

enum class Kind
{
    Identifier,
    Number,
    String,
    Comma,
    Bar,
    End
};

struct Token
{
    Kind kind = Kind::End;
    std::string text;
    long long value = 0;
};

bool IsIdentifierStart(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) != 0 || c == '_';
}

bool IsIdentifierPart(char c)
{
    return IsIdentifierStart(c) || std::isdigit(static_cast<unsigned char>(c)) != 0;
}

class Reader
{
public:
    Reader(std::string_view scriptText, const std::string& scriptName)
        : text(scriptText), fileName(scriptName)
    {
    }

    Script Read()
    {
        for (std::size_t start = 0; start < text.size();)
        {
            const std::size_t end = std::min(text.find('\n', start), text.size());
            ++lineNumber;
            ReadLine(text.substr(start, end - start));
            start = end + 1;
        }
        if (state != State::Outside)
            Fail("END expected before the end of the file");
        if (script.dialogs.empty())
            Fail("no DIALOGEX template in the script");
        return script;
    }

private:
    enum class State
    {
        Outside,
        Header,
        Body
    };

    [[noreturn]] void Fail(const std::string& message) const
    {
        throw std::runtime_error(fileName + ":" + std::to_string(lineNumber) + ": " + message);
    }

    void ReadLine(std::string_view line)
    {
        const std::size_t first = line.find_first_not_of(" \t\r");
        if (first != std::string_view::npos && line[first] == '#')
            return Directive(line.substr(first));
        Tokenize(line);
        if (Peek().kind == Kind::End)
            return;
        if (state == State::Outside)
            DialogStatement();
        else if (state == State::Header)
            HeaderStatement();
        else
            BodyStatement();
        if (Peek().kind != Kind::End)
            Fail("unexpected '" + Peek().text + "' at the end of the statement");
    }

    // #include lines only: the identifiers live in the headers, which the compiler reads.
    void Directive(std::string_view line)
    {
        constexpr std::string_view kInclude = "#include";
        std::string_view rest = line.substr(std::min(line.size(), kInclude.size()));
        rest = rest.substr(std::min(rest.size(), rest.find_first_not_of(" \t")));
        rest = rest.substr(0, rest.find_last_not_of(" \t\r") + 1);
        if (line.substr(0, kInclude.size()) != kInclude)
            Fail("only #include is supported (definitions belong in a header)");
        if (rest == "<windows.h>" || rest == "<commctrl.h>")
            return; // the window system's constants, always included
        const bool quoted = rest.size() > 2 && rest.front() == '"' && rest.back() == '"';
        const std::string_view name = quoted ? rest.substr(1, rest.size() - 2) : "";
        const bool plain =
            std::all_of(name.begin(), name.end(),
                        [](char c) { return IsIdentifierPart(c) || c == '.' || c == '/'; });
        if (!quoted || !plain)
            Fail("#include \"header.h\", <windows.h> or <commctrl.h> expected");
        script.includes.emplace_back(name);
    }

    void Tokenize(std::string_view line)
    {
        tokens.clear();
        position = 0;
        for (std::size_t i = 0; i < line.size();)
        {
            if (line.substr(i, 2) == "//")
                break;
            if (line[i] == '"')
                i = StringToken(line, i);
            else if (IsIdentifierPart(line[i]))
                i = WordToken(line, i);
            else
                i = CharacterToken(line[i], i);
        }
    }

    std::size_t CharacterToken(char c, std::size_t at)
    {
        if (c == ',' || c == '|')
            tokens.push_back({c == ',' ? Kind::Comma : Kind::Bar, std::string(1, c), 0});
        else if (c != ' ' && c != '\t' && c != '\r')
            Fail(std::string("unexpected character '") + c + "'");
        return at + 1;
    }

    std::size_t StringToken(std::string_view line, std::size_t open)
    {
        const std::size_t close = line.find('"', open + 1);
        if (close == std::string_view::npos)
            Fail("text without its closing quote");
        const std::string_view body = line.substr(open + 1, close - open - 1);
        const auto plain = [](char c) { return c >= ' ' && c <= '~' && c != '\\'; };
        if (!std::all_of(body.begin(), body.end(), plain))
            Fail("text may hold printable ASCII only, without escapes");
        tokens.push_back({Kind::String, std::string(body), 0});
        return close + 1;
    }

    std::size_t WordToken(std::string_view line, std::size_t start)
    {
        std::size_t end = start;
        while (end < line.size() && IsIdentifierPart(line[end]))
            ++end;
        const std::string word(line.substr(start, end - start));
        if (IsIdentifierStart(word[0]))
        {
            tokens.push_back({Kind::Identifier, word, 0});
            return end;
        }
        const bool hex = word.size() > 2 && word[1] == 'x' && word[0] == '0';
        const std::string digits = hex ? word.substr(2) : word;
        const auto isDigit = [hex](char c)
        { return hex ? std::isxdigit(static_cast<unsigned char>(c)) != 0 : c >= '0' && c <= '9'; };
        if (digits.size() > 8 || !std::all_of(digits.begin(), digits.end(), isDigit))
            Fail("malformed number '" + word + "'");
        tokens.push_back({Kind::Number, word, std::stoll(digits, nullptr, hex ? 16 : 10)});
        return end;
    }

    const Token& Peek() const { return position < tokens.size() ? tokens[position] : endOfLine; }
    bool IsKeyword(std::string_view keyword) const
    {
        return Peek().kind == Kind::Identifier && Peek().text == keyword;
    }

    Token Take(Kind kind, const char* what)
    {
        if (Peek().kind != kind)
            Fail(std::string(what) + " expected" +
                 (Peek().kind == Kind::End ? "" : ", not '" + Peek().text + "'"));
        return tokens[position++];
    }

    void Comma() { Take(Kind::Comma, "','"); }

    bool Accept(Kind kind)
    {
        const bool found = Peek().kind == kind;
        position += found ? 1 : 0;
        return found;
    }

    std::string Id()
    {
        if (Peek().kind == Kind::Number)
            return Take(Kind::Number, "").text;
        return Take(Kind::Identifier, "an identifier or a number").text;
    }

    int Coordinate()
    {
        const Token number = Take(Kind::Number, "a number");
        if (number.value > 32767)
            Fail("coordinate " + number.text + " out of range");
        return static_cast<int>(number.value);
    }

    template <typename Frame> void Rectangle(Frame& frame)
    {
        frame.x = Coordinate();
        Comma();
        frame.y = Coordinate();
        Comma();
        frame.width = Coordinate();
        Comma();
        frame.height = Coordinate();
    }

    // Style names or numbers joined by '|'.
    std::string Styles()
    {
        std::string styles;
        do
        {
            if (!styles.empty())
                styles += " | ";
            if (IsKeyword("NOT"))
                Fail("NOT in a style list is not supported");
            styles += Peek().kind == Kind::Number ? Take(Kind::Number, "").text
                                                  : Take(Kind::Identifier, "a style").text;
        } while (Accept(Kind::Bar));
        return styles;
    }

    void DialogStatement()
    {
        dialog = Dialog{};
        dialog.id = Id();
        if (!IsKeyword("DIALOGEX"))
            Fail("DIALOGEX expected (the script holds dialog templates only)");
        ++position;
        Rectangle(dialog);
        state = State::Header;
        hasFont = false;
    }

    void HeaderStatement()
    {
        const std::string keyword = Take(Kind::Identifier, "a dialog statement").text;
        if (keyword == "STYLE")
            dialog.style = Styles();
        else if (keyword == "CAPTION")
            dialog.caption = Take(Kind::String, "the caption's text").text;
        else if (keyword == "FONT")
            Font();
        else if (keyword == "BEGIN")
            Begin();
        else
            Fail("unknown dialog statement '" + keyword + "'");
    }

    // The face is what DS_SETFONT asks for; the window system draws its own.
    void Font()
    {
        Take(Kind::Number, "the font's point size");
        Comma();
        Take(Kind::String, "the font's face");
        for (int extra = 0; extra < 3 && Accept(Kind::Comma); ++extra)
            Take(Kind::Number, "a number"); // weight, italic, character set
        hasFont = true;
    }

    void Begin()
    {
        if (dialog.style.empty())
            Fail("STYLE expected before BEGIN");
        if (!dialog.caption.empty())
            dialog.style += " | WS_CAPTION";
        if (hasFont)
            dialog.style += " | DS_SETFONT";
        state = State::Body;
    }

    void BodyStatement()
    {
        if (IsKeyword("END"))
        {
            ++position;
            script.dialogs.push_back(std::move(dialog));
            state = State::Outside;
            return;
        }
        const std::string keyword = Take(Kind::Identifier, "a control statement").text;
        const auto statement =
            std::find_if(kStatements.begin(), kStatements.end(),
                         [&](const Statement& s) { return s.keyword == keyword; });
        if (statement == kStatements.end())
            Fail("unknown control statement '" + keyword + "'");
        dialog.items.push_back(Control(*statement));
    }

    Item Control(const Statement& statement)
    {
        Item item;
        if (statement.hasText)
        {
            item.text = Take(Kind::String, "the control's text").text;
            Comma();
        }
        item.id = Id();
        Comma();
        item.className = statement.className;
        std::string styles;
        if (statement.className.empty())
        {
            item.className = ClassName(Take(Kind::String, "the control's class").text);
            Comma();
            styles = Styles();
            Comma();
            Rectangle(item);
        }
        else
        {
            Rectangle(item);
            if (Accept(Kind::Comma))
                styles = Join(statement.baseStyle, Styles());
            else
                styles = statement.defaultStyle;
        }
        if (Peek().kind == Kind::Comma)
            Fail("extended styles and help IDs are not supported");
        item.style = Join(styles, "WS_CHILD | WS_VISIBLE");
        return item;
    }

    static std::string Join(std::string_view first, std::string_view second)
    {
        return first.empty() ? std::string(second)
                             : std::string(first) + " | " + std::string(second);
    }

    static std::string ClassName(std::string name)
    {
        for (const std::string_view predefined : kPredefinedClasses)
        {
            const bool same =
                std::equal(name.begin(), name.end(), predefined.begin(), predefined.end(),
                           [](char a, char b) { return std::toupper(a) == b; });
            if (same)
                return std::string(predefined);
        }
        return name;
    }

    std::string_view text;
    const std::string& fileName;
    int lineNumber = 0;
    State state = State::Outside;
    std::vector<Token> tokens;
    std::size_t position = 0;
    const Token endOfLine{};
    Script script;
    Dialog dialog;
    bool hasFont = false;
};

} // namespace

Script ReadScript(std::string_view text, const std::string& fileName)
{
    return Reader(text, fileName).Read();
}

std::string WriteTable(const Script& script, const std::string& fileName)
{
    std::ostringstream out;
    out << "// Generated by corvane-rc-dialogs from " << fileName << ": do not edit.\n"
        << "#include \"platform/DialogTemplates.h\"\n#include \"platform/Win32.h\"\n\n";
    for (const std::string& header : script.includes)
        out << "#include \"" << header << "\"\n";
    out << "\nnamespace Kestrune::Platform\n{\nnamespace\n{\n";
    for (std::size_t d = 0; d < script.dialogs.size(); ++d)
    {
        if (script.dialogs[d].items.empty())
            continue;
        out << "\nconstexpr DialogItem kItems" << d << "[] = {\n";
        for (const Item& item : script.dialogs[d].items)
            out << "    {\"" << item.className << "\", \"" << item.text << "\", ResourceId("
                << item.id << "), Styles(" << item.style << "), " << item.x << ", " << item.y
                << ", " << item.width << ", " << item.height << "},\n";
        out << "};\n";
    }
    out << "\nconstexpr DialogTemplate kTemplates[] = {\n";
    for (std::size_t d = 0; d < script.dialogs.size(); ++d)
    {
        const Dialog& dialog = script.dialogs[d];
        out << "    {ResourceId(" << dialog.id << "), Styles(" << dialog.style << "), \""
            << dialog.caption << "\", " << dialog.x << ", " << dialog.y << ", " << dialog.width
            << ", " << dialog.height << ", "
            << (dialog.items.empty() ? std::string("{}") : "kItems" + std::to_string(d)) << "},\n";
    }
    out << "};\n\n} // namespace\n\nstd::span<const DialogTemplate> DialogTemplates()\n{\n"
        << "    return kTemplates;\n}\n\n} // namespace Kestrune::Platform\n";
    return out.str();
}

} // namespace Kestrune::RcDialogs
