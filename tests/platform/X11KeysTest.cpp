#if defined(__linux__)

#include "platform/X11Keys.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

using Kestrune::Platform::VirtualKeyOfKeySym;

// The keys the dialogs and controls act on, with the values Windows gives them.
TEST(X11Keys, DialogAndControlKeysGetTheirVirtualKeys)
{
    EXPECT_EQ(VirtualKeyOfKeySym(XK_Return), 0x0Du);
    EXPECT_EQ(VirtualKeyOfKeySym(XK_KP_Enter), 0x0Du);
    EXPECT_EQ(VirtualKeyOfKeySym(XK_Escape), 0x1Bu);
    EXPECT_EQ(VirtualKeyOfKeySym(XK_Tab), 0x09u);
    EXPECT_EQ(VirtualKeyOfKeySym(XK_ISO_Left_Tab), 0x09u) << "Shift+Tab";
    EXPECT_EQ(VirtualKeyOfKeySym(XK_space), 0x20u);
    EXPECT_EQ(VirtualKeyOfKeySym(XK_Left), 0x25u);
    EXPECT_EQ(VirtualKeyOfKeySym(XK_Up), 0x26u);
    EXPECT_EQ(VirtualKeyOfKeySym(XK_Right), 0x27u);
    EXPECT_EQ(VirtualKeyOfKeySym(XK_Down), 0x28u);
    EXPECT_EQ(VirtualKeyOfKeySym(XK_KP_Down), 0x28u) << "keypad without Num Lock";
    EXPECT_EQ(VirtualKeyOfKeySym(XK_Prior), 0x21u);
    EXPECT_EQ(VirtualKeyOfKeySym(XK_Next), 0x22u);
    EXPECT_EQ(VirtualKeyOfKeySym(XK_End), 0x23u);
    EXPECT_EQ(VirtualKeyOfKeySym(XK_Home), 0x24u);
    EXPECT_EQ(VirtualKeyOfKeySym(XK_F4), 0x73u);
    EXPECT_EQ(VirtualKeyOfKeySym(XK_Shift_L), 0x10u);
    EXPECT_EQ(VirtualKeyOfKeySym(XK_Shift_R), 0x10u);
    EXPECT_EQ(VirtualKeyOfKeySym(XK_Control_R), 0x11u);
    EXPECT_EQ(VirtualKeyOfKeySym(XK_BackSpace), 0x08u);
    EXPECT_EQ(VirtualKeyOfKeySym(XK_Delete), 0x2Eu);
}

TEST(X11Keys, LettersAndDigitsAreTheirUpperCaseCharacters)
{
    EXPECT_EQ(VirtualKeyOfKeySym(XK_a), static_cast<unsigned>('A'));
    EXPECT_EQ(VirtualKeyOfKeySym(XK_z), static_cast<unsigned>('Z'));
    EXPECT_EQ(VirtualKeyOfKeySym(XK_Q), static_cast<unsigned>('Q'));
    EXPECT_EQ(VirtualKeyOfKeySym(XK_0), static_cast<unsigned>('0'));
    EXPECT_EQ(VirtualKeyOfKeySym(XK_9), static_cast<unsigned>('9'));
    EXPECT_EQ(VirtualKeyOfKeySym(XK_KP_7), 0x67u) << "VK_NUMPAD7";
}

TEST(X11Keys, UnknownKeysAreNone)
{
    EXPECT_EQ(VirtualKeyOfKeySym(0), 0u);
    EXPECT_EQ(VirtualKeyOfKeySym(XK_Caps_Lock), 0u);
    EXPECT_EQ(VirtualKeyOfKeySym(XK_odiaeresis), 0u);
    EXPECT_EQ(VirtualKeyOfKeySym(XK_F13), 0u);
}

#endif
