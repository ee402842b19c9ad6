#pragma once

#include <cstdint>
#include <span>

namespace Kestrune::Platform
{

// One control of a dialog template, placed in dialog units relative to the dialog's client area.
struct DialogItem
{
    const char* className; // predefined classes in capitals ("BUTTON"), others as written
    const char* text;
    int id; // 16 bits, as the resource compiler stores it: IDC_STATIC (-1) reads 65535
    std::uint32_t style;
    int x;
    int y;
    int width;
    int height;
};

struct DialogTemplate
{
    int id;
    std::uint32_t style; // with WS_CAPTION and DS_SETFONT when the template has them
    const char* caption;
    int x;
    int y;
    int width;
    int height;
    std::span<const DialogItem> items;
};

constexpr int ResourceId(long long id)
{
    return static_cast<std::uint16_t>(id);
}

constexpr std::uint32_t Styles(long long styles)
{
    return static_cast<std::uint32_t>(styles);
}

// The templates of gui/CorvanePhaser.rc, written as a table at build time by tools/rc-dialogs.
std::span<const DialogTemplate> DialogTemplates();

} // namespace Kestrune::Platform
