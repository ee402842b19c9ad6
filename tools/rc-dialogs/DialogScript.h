#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace Kestrune::RcDialogs
{

// The dialog templates of a resource script, as written: identifiers and style lists stay C++
// expressions that the compiler resolves through the script's own headers.
struct Item
{
    std::string className; // predefined classes in capitals ("BUTTON"), others as written
    std::string text;
    std::string id;
    std::string style; // WS_CHILD and WS_VISIBLE included, as the resource compiler adds them
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

struct Dialog
{
    std::string id;
    std::string style;
    std::string caption;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    std::vector<Item> items;
};

struct Script
{
    std::vector<std::string> includes; // quoted headers, in the script's order
    std::vector<Dialog> dialogs;
};

// Reads what the project's script holds: comments, #include, DIALOGEX with STYLE, CAPTION and
// FONT, and the statements CONTROL, LTEXT, PUSHBUTTON, DEFPUSHBUTTON, GROUPBOX and COMBOBOX.
// Anything else throws std::runtime_error "FILE:LINE: reason".
Script ReadScript(std::string_view text, const std::string& fileName);

// The C++ source of the table (platform/DialogTemplates.h).
std::string WriteTable(const Script& script, const std::string& fileName);

} // namespace Kestrune::RcDialogs
