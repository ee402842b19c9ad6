#include "platform/ResourceScript.h"

#include "base/Text.h"

#include "platform/ResourceExpression.h"
#include "platform/ResourcePreprocessor.h"
#include "platform/ResourceSymbols.h"
#include "platform/Win32.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace Kestrune::Platform
{

using Base::EqualsNoCase;
namespace
{

constexpr std::size_t kMaxItems = 65535;
constexpr std::uint32_t kChildVisible =
    static_cast<std::uint32_t>(WS_CHILD) | static_cast<std::uint32_t>(WS_VISIBLE);

// How the generic control statements map to a class and a style.
struct ControlKind
{
    std::string_view keyword;
    std::string_view className; // empty for CONTROL, which names its class
    bool hasText;
    std::uint32_t baseStyle;    // always set when a style is given
    std::uint32_t defaultStyle; // used when no style is given
};

constexpr std::uint32_t U(long value)
{
    return static_cast<std::uint32_t>(value);
}

const std::array<ControlKind, 18> kControlKinds = {{
    {"CONTROL", "", true, 0, 0},
    {"LTEXT", "STATIC", true, U(SS_LEFT), U(SS_LEFT | WS_GROUP)},
    {"RTEXT", "STATIC", true, U(SS_RIGHT), U(SS_RIGHT | WS_GROUP)},
    {"CTEXT", "STATIC", true, U(SS_CENTER), U(SS_CENTER | WS_GROUP)},
    {"PUSHBUTTON", "BUTTON", true, U(BS_PUSHBUTTON), U(BS_PUSHBUTTON | WS_TABSTOP)},
    {"DEFPUSHBUTTON", "BUTTON", true, U(BS_DEFPUSHBUTTON), U(BS_DEFPUSHBUTTON | WS_TABSTOP)},
    {"PUSHBOX", "BUTTON", true, U(BS_PUSHBOX), U(BS_PUSHBOX | WS_TABSTOP)},
    {"GROUPBOX", "BUTTON", true, U(BS_GROUPBOX), U(BS_GROUPBOX)},
    {"CHECKBOX", "BUTTON", true, U(BS_CHECKBOX), U(BS_CHECKBOX | WS_TABSTOP)},
    {"AUTOCHECKBOX", "BUTTON", true, U(BS_AUTOCHECKBOX), U(BS_AUTOCHECKBOX | WS_TABSTOP)},
    {"RADIOBUTTON", "BUTTON", true, U(BS_RADIOBUTTON), U(BS_RADIOBUTTON)},
    {"AUTORADIOBUTTON", "BUTTON", true, U(BS_AUTORADIOBUTTON), U(BS_AUTORADIOBUTTON)},
    {"STATE3", "BUTTON", true, U(BS_3STATE), U(BS_3STATE | WS_TABSTOP)},
    {"AUTO3STATE", "BUTTON", true, U(BS_AUTO3STATE), U(BS_AUTO3STATE | WS_TABSTOP)},
    {"COMBOBOX", "COMBOBOX", false, 0, U(CBS_SIMPLE | WS_TABSTOP)},
    {"LISTBOX", "LISTBOX", false, 0x0001, 0x0001 | U(WS_BORDER)},
    {"EDITTEXT", "EDIT", false, 0, U(WS_BORDER | WS_TABSTOP)},
    {"SCROLLBAR", "SCROLLBAR", false, 0, 0},
}};

constexpr std::array<std::string_view, 6> kPredefinedClasses = {"BUTTON",  "EDIT",      "STATIC",
                                                                "LISTBOX", "SCROLLBAR", "COMBOBOX"};

// Resource types whose block follows header lines (skipped up to BEGIN, then to its END).
constexpr std::array<std::string_view, 9> kBlockTypes = {
    "MENU",        "MENUEX",  "VERSIONINFO", "ACCELERATORS", "DESIGNINFO",
    "TEXTINCLUDE", "TOOLBAR", "DLGINIT",     "STRINGTABLE"};

// A bitwise style list: terms joined by |, each optionally preceded by NOT (clear its bits).
struct StyleValue
{
    std::uint32_t set = 0;
    std::uint32_t clear = 0;
};

class Parser
{
public:
    Parser(const ResourceTokens& tokenList, const std::vector<std::string>& fileNames,
           std::string& errorText)
        : tokens(tokenList), files(fileNames), error(errorText)
    {
    }

    std::optional<ResourceScript> Parse()
    {
        ResourceScript script;
        while (!AtEnd())
        {
            if (IsKeyword("LANGUAGE"))
            {
                ++position;
                if (!Number() || !Expect(",") || !Number())
                    return std::nullopt;
                continue;
            }
            if (IsKeyword("STRINGTABLE"))
            {
                ++position;
                if (!SkipToBlock())
                    return std::nullopt;
                continue;
            }
            if (!Resource(script))
            {
                return std::nullopt;
            }
        }
        return script;
    }

private:
    const ResourceToken& Current() const { return tokens[position]; }
    bool AtEnd() const { return Current().kind == ResourceToken::Kind::End; }

    bool Fail(const std::string& message)
    {
        if (error.empty())
        {
            error = JoinText({ResourceTokenLocation(Current(), files), message});
        }
        return false;
    }

    bool IsPunctuator(std::string_view text) const
    {
        return Current().kind == ResourceToken::Kind::Punctuator && Current().text == text;
    }

    bool IsKeyword(std::string_view keyword) const
    {
        return Current().kind == ResourceToken::Kind::Identifier &&
               EqualsNoCase(Current().text, keyword);
    }

    bool IsBegin() const { return IsKeyword("BEGIN") || IsPunctuator("{"); }
    bool IsEnd() const { return IsKeyword("END") || IsPunctuator("}"); }

    bool Expect(std::string_view punctuator)
    {
        if (!IsPunctuator(punctuator))
        {
            return Fail(JoinText({"'", punctuator, "' expected"}));
        }
        ++position;
        return true;
    }

    std::optional<std::int64_t> Number()
    {
        const ResourceToken& start = Current();
        std::string message;
        ResourceExpression expression(tokens, position, &LookUpResourceSymbol, message);
        auto value = expression.Parse();
        if (!value)
        {
            if (error.empty())
            {
                error = JoinText({ResourceTokenLocation(start, files), message});
            }
        }
        return value;
    }

    bool Coordinate(int& out)
    {
        const auto value = Number();
        if (!value)
            return false;
        if (*value < -32768 || *value > 32767)
            return Fail("coordinate out of range");
        out = static_cast<int>(*value);
        return true;
    }

    bool Rectangle(int& x, int& y, int& width, int& height)
    {
        return Coordinate(x) && Expect(",") && Coordinate(y) && Expect(",") && Coordinate(width) &&
               Expect(",") && Coordinate(height);
    }

    std::optional<StyleValue> Style()
    {
        StyleValue style;
        for (;;)
        {
            const bool negated = IsKeyword("NOT");
            if (negated)
            {
                ++position;
            }
            const ResourceToken& start = Current();
            std::string message;
            ResourceExpression expression(tokens, position, &LookUpResourceSymbol, message);
            const auto value = expression.ParseStyleTerm();
            if (!value)
            {
                if (error.empty())
                    error = JoinText({ResourceTokenLocation(start, files), message});
                return std::nullopt;
            }
            const auto bits = static_cast<std::uint32_t>(*value);
            if (negated)
            {
                style.clear |= bits;
                style.set &= ~bits;
            }
            else
            {
                style.set |= bits;
                style.clear &= ~bits;
            }
            if (!IsPunctuator("|"))
            {
                return style;
            }
            ++position;
        }
    }

    bool Text(std::string& out)
    {
        if (Current().kind == ResourceToken::Kind::String)
        {
            out = Current().text;
            ++position;
            return true;
        }
        out.clear();
        return Number().has_value(); // an ordinal (an icon or bitmap) shows no text here
    }

    // Skips tokens up to a BEGIN and then the whole block.
    bool SkipToBlock()
    {
        while (!AtEnd() && !IsBegin())
        {
            ++position;
        }
        return SkipBlock();
    }

    bool SkipBlock()
    {
        if (!IsBegin())
        {
            return Fail("BEGIN expected");
        }
        int depth = 0;
        while (!AtEnd())
        {
            if (IsBegin())
                ++depth;
            else if (IsEnd())
                --depth;
            ++position;
            if (depth == 0)
                return true;
        }
        return Fail("END expected");
    }

    bool Resource(ResourceScript& script)
    {
        DialogTemplate dialog;
        const ResourceToken& name = Current();
        if (name.kind == ResourceToken::Kind::Identifier)
        {
            dialog.name = name.text;
            ++position;
        }
        else if (name.kind == ResourceToken::Kind::String)
        {
            dialog.name = name.text;
            ++position;
        }
        else
        {
            const auto id = Number();
            if (!id)
                return false;
            if (*id < 0 || *id > 0xFFFF)
                return Fail("resource ID out of range");
            dialog.id = static_cast<int>(*id);
        }
        if (Current().kind != ResourceToken::Kind::Identifier &&
            Current().kind != ResourceToken::Kind::Number)
        {
            return Fail("resource type expected");
        }
        const bool isDialog = IsKeyword("DIALOG");
        const bool isDialogEx = IsKeyword("DIALOGEX");
        if (!isDialog && !isDialogEx)
        {
            const bool block =
                std::any_of(kBlockTypes.begin(), kBlockTypes.end(),
                            [this](std::string_view type) { return IsKeyword(type); });
            ++position;
            if (block)
            {
                return SkipToBlock();
            }
            // A one-line resource (ICON, BITMAP, RCDATA from a file), or an inline block.
            while (!AtEnd() && !Current().startsLine && !IsBegin())
            {
                ++position;
            }
            return IsBegin() ? SkipBlock() : true;
        }
        ++position;
        dialog.extended = isDialogEx;
        if (!Dialog(dialog))
        {
            return false;
        }
        const bool duplicate = std::any_of(script.dialogs.begin(), script.dialogs.end(),
                                           [&](const auto& other) {
                                               return dialog.id >= 0
                                                          ? other.id == dialog.id
                                                          : EqualsNoCase(other.name, dialog.name);
                                           });
        if (duplicate)
        {
            error = JoinText({ResourceTokenLocation(name, files), "duplicate dialog resource"});
            return false;
        }
        script.dialogs.push_back(std::move(dialog));
        return true;
    }

    bool Dialog(DialogTemplate& dialog)
    {
        if (!Rectangle(dialog.x, dialog.y, dialog.width, dialog.height))
            return false;
        if (IsPunctuator(","))
        {
            ++position;
            if (!Number()) // help ID
                return false;
        }
        std::optional<StyleValue> style;
        bool hasCaption = false;
        bool hasFont = false;
        while (!IsBegin())
        {
            if (AtEnd())
                return Fail("BEGIN expected");
            if (IsKeyword("STYLE"))
            {
                ++position;
                style = Style();
                if (!style)
                    return false;
            }
            else if (IsKeyword("EXSTYLE"))
            {
                ++position;
                const auto exStyle = Style();
                if (!exStyle)
                    return false;
                dialog.exStyle = exStyle->set;
            }
            else if (IsKeyword("CAPTION"))
            {
                ++position;
                if (Current().kind != ResourceToken::Kind::String)
                    return Fail("caption text expected");
                dialog.caption = Current().text;
                hasCaption = true;
                ++position;
            }
            else if (IsKeyword("CLASS"))
            {
                ++position;
                if (!Text(dialog.className))
                    return false;
            }
            else if (IsKeyword("FONT"))
            {
                ++position;
                const auto size = Number();
                if (!size)
                    return false;
                if (*size < 0 || *size > 0xFFFF)
                    return Fail("font size out of range");
                dialog.fontPointSize = static_cast<int>(*size);
                if (!Expect(","))
                    return false;
                if (Current().kind != ResourceToken::Kind::String)
                    return Fail("font face expected");
                dialog.fontFace = Current().text;
                ++position;
                for (int extra = 0; extra < 3 && IsPunctuator(","); ++extra)
                {
                    ++position; // weight, italic, character set
                    if (!Number())
                        return false;
                }
                hasFont = true;
            }
            else if (IsKeyword("MENU"))
            {
                ++position;
                if (AtEnd())
                    return Fail("menu name expected");
                ++position;
            }
            else if (IsKeyword("LANGUAGE"))
            {
                ++position;
                if (!Number() || !Expect(",") || !Number())
                    return false;
            }
            else if (IsKeyword("CHARACTERISTICS") || IsKeyword("VERSION"))
            {
                ++position;
                if (!Number())
                    return false;
            }
            else
            {
                return Fail(JoinText({"unexpected '", Current().text, "' in dialog header"}));
            }
        }
        ++position;

        dialog.style =
            style ? (style->set & ~style->clear) : U(WS_POPUP) | U(WS_BORDER) | U(WS_SYSMENU);
        if (hasCaption)
            dialog.style |= U(WS_CAPTION);
        if (hasFont)
            dialog.style |= U(DS_SETFONT);

        while (!IsEnd())
        {
            if (AtEnd())
                return Fail("END expected");
            if (dialog.items.size() >= kMaxItems)
                return Fail("too many controls");
            DialogItem item;
            if (!Item(item))
                return false;
            dialog.items.push_back(std::move(item));
        }
        ++position;
        return true;
    }

    bool Item(DialogItem& item)
    {
        const auto kind =
            std::find_if(kControlKinds.begin(), kControlKinds.end(),
                         [this](const ControlKind& k) { return IsKeyword(k.keyword); });
        if (kind == kControlKinds.end())
        {
            return Fail(JoinText({"unknown control statement '", Current().text, "'"}));
        }
        ++position;
        if (kind->hasText && (!Text(item.text) || !Expect(",")))
            return false;
        const auto id = Number();
        if (!id || !Expect(","))
            return false;
        // Control IDs travel in 16 bits (the low word of WM_COMMAND's wParam).
        item.id = static_cast<int>(static_cast<std::uint64_t>(*id) & 0xFFFFu);

        std::optional<StyleValue> style;
        if (kind->className.empty())
        {
            if (Current().kind == ResourceToken::Kind::String ||
                Current().kind == ResourceToken::Kind::Identifier)
            {
                item.className = Current().text;
                ++position;
            }
            else
            {
                return Fail("control class expected");
            }
            if (!Expect(","))
                return false;
            style = Style();
            if (!style || !Expect(","))
                return false;
            if (!Rectangle(item.x, item.y, item.width, item.height))
                return false;
        }
        else
        {
            item.className = std::string(kind->className);
            if (!Rectangle(item.x, item.y, item.width, item.height))
                return false;
            if (IsPunctuator(","))
            {
                ++position;
                style = Style();
                if (!style)
                    return false;
            }
        }
        if (IsPunctuator(","))
        {
            ++position;
            const auto exStyle = Style();
            if (!exStyle)
                return false;
            item.exStyle = exStyle->set;
            if (IsPunctuator(","))
            {
                ++position;
                if (!Number()) // help ID
                    return false;
            }
        }
        if (IsBegin())
        {
            return Fail("control data blocks are not supported");
        }

        for (const std::string_view predefined : kPredefinedClasses)
        {
            if (EqualsNoCase(item.className, predefined))
            {
                item.className = std::string(predefined);
            }
        }
        if (item.className.empty())
        {
            return Fail("control class expected");
        }
        if (style)
        {
            item.style = (kind->baseStyle | style->set | kChildVisible) & ~style->clear;
        }
        else
        {
            item.style = kind->defaultStyle | kChildVisible;
        }
        return true;
    }

    const ResourceTokens& tokens;
    const std::vector<std::string>& files;
    std::string& error;
    std::size_t position = 0;
};

} // namespace

const DialogTemplate* ResourceScript::FindDialog(int id) const
{
    for (const DialogTemplate& dialog : dialogs)
    {
        if (dialog.id >= 0 && dialog.id == id)
        {
            return &dialog;
        }
    }
    return nullptr;
}

const DialogTemplate* ResourceScript::FindDialog(std::string_view name) const
{
    for (const DialogTemplate& dialog : dialogs)
    {
        if (dialog.id < 0 && EqualsNoCase(dialog.name, name))
        {
            return &dialog;
        }
    }
    return nullptr;
}

std::optional<ResourceScript> ParseResourceScript(std::string_view text, std::string& error,
                                                  const IncludeFiles& includes)
{
    error.clear();
    ResourceTokens tokens;
    ResourcePreprocessor preprocessor(includes);
    if (!preprocessor.Run(text, tokens, error))
    {
        return std::nullopt;
    }
    Parser parser(tokens, preprocessor.FileNames(), error);
    auto script = parser.Parse();
    if (!script && error.empty())
    {
        error = "malformed resource script";
    }
    return script;
}

} // namespace Kestrune::Platform
