#pragma once

// Internal to the window system: the state shared by a drop-down list and its pop-up list.

#include "platform/Window.h"

#include <string>
#include <vector>

namespace Kestrune::Platform
{

struct ComboExtra final : WindowExtra
{
    static constexpr int kItemHeight = 13; // at 96 dpi

    std::vector<std::string> items;
    int selected = -1;
    int hot = -1; // the highlighted entry while the list is open
    int top = 0;  // the first entry the list shows
    int droppedHeight = 0;
    HWND list = nullptr;
};

struct ComboListExtra final : WindowExtra
{
    HWND combo = nullptr;
    bool pressedInside = false;
};

// The height of one entry of the list, at the window's factor.
int ComboItemHeight(const Window& window);

void OpenComboList(HWND combo);
// Closes the pop-up list, notifying CBN_SELCHANGE for a valid choice.
void CloseComboList(HWND combo, int choice);

} // namespace Kestrune::Platform
