#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Kestrune::Platform
{

// Styles and place of a dialog or control, in dialog units.
struct DialogFrame
{
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// One control of a dialog template, placed relative to the dialog's client area.
struct DialogItem : DialogFrame
{
    std::string className; // predefined classes in capitals ("BUTTON"), others as written
    std::string text;
    int id = 0; // 16 bits: IDC_STATIC (-1) reads 65535
};

// A DIALOG or DIALOGEX template of a resource script.
struct DialogTemplate : DialogFrame
{
    int id = -1;           // numeric resource ID, or -1 when the template is named
    std::string name;      // the name when not numeric
    bool extended = false; // DIALOGEX
    std::string caption;
    std::string className;
    int fontPointSize = 0; // 0 without a FONT statement
    std::string fontFace;
    std::vector<DialogItem> items;
};

struct ResourceScript
{
    std::vector<DialogTemplate> dialogs;

    // A numeric name (MAKEINTRESOURCEA) matches the ID, any other the name, case-insensitively.
    const DialogTemplate* FindDialog(int id) const;
    const DialogTemplate* FindDialog(std::string_view name) const;
};

// Text of the files a script may include with #include "name"; system headers in angle brackets
// are known without it.
using IncludeFiles = std::vector<std::pair<std::string, std::string>>;

// Reads the dialog templates of a resource script: the preprocessor subset (#include, #define,
// #undef, #if/#ifdef/#ifndef/#elif/#else/#endif), DIALOG and DIALOGEX with STYLE, EXSTYLE,
// CAPTION, CLASS and FONT, and the control statements CONTROL, LTEXT, RTEXT, CTEXT, PUSHBUTTON,
// DEFPUSHBUTTON, GROUPBOX, CHECKBOX, AUTOCHECKBOX, RADIOBUTTON, AUTORADIOBUTTON, STATE3,
// AUTO3STATE, COMBOBOX, LISTBOX, EDITTEXT and SCROLLBAR. Other resource types are skipped.
// Any malformed input is refused: the answer is empty and error says where and why.
std::optional<ResourceScript> ParseResourceScript(std::string_view text, std::string& error,
                                                  const IncludeFiles& includes = {});

// The library's own script (gui/CorvanePhaser.rc with gui/resource.h), parsed once [ui].
const ResourceScript& EmbeddedResourceScript();

} // namespace Kestrune::Platform
