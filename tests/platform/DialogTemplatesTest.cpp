#include "platform/DialogTemplates.h"
#include "platform/Win32.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

using Kestrune::Platform::DialogTemplate;

namespace
{

const DialogTemplate* FindDialog(int id)
{
    for (const DialogTemplate& dialog : Kestrune::Platform::DialogTemplates())
        if (dialog.id == id)
            return &dialog;
    return nullptr;
}

struct ExpectedItem
{
    int id;
    const char* className;
    const char* text;
    int x, y, width, height;
    unsigned long style;
};

constexpr unsigned long kCheck = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr unsigned long kSlider = WS_CHILD | WS_VISIBLE | WS_TABSTOP | TBS_BOTH | TBS_NOTICKS;
constexpr unsigned long kList = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST;
constexpr unsigned long kCaption = WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT;

// The control panel's items in template (and tab) order.
const ExpectedItem kPanelItems[] = {
    {1027, "BUTTON", "Enabled", 10, 8, 42, 10, kCheck},
    {1028, "msctls_trackbar32", "Slider1", 10, 25, 68, 14, kSlider},
    {1031, "msctls_trackbar32", "Slider1", 10, 58, 68, 15, kSlider},
    {1022, "msctls_trackbar32", "Slider1", 10, 89, 68, 15, kSlider},
    {1030, "msctls_trackbar32", "Slider1", 10, 122, 68, 15, kSlider},
    {1029, "msctls_trackbar32", "Slider1", 10, 152, 68, 16, kSlider},
    {1032, "BUTTON", "Sync Enabled", 100, 29, 60, 10, kCheck},
    {1014, "BUTTON", "Quad Enabled", 176, 28, 61, 10, kCheck},
    {1011, "COMBOBOX", "", 100, 61, 69, 133, kList},
    {1023, "COMBOBOX", "", 175, 61, 69, 133, kList},
    {1019, "msctls_trackbar32", "Slider1", 131, 88, 68, 15, kSlider},
    {1006, "COMBOBOX", "", 100, 149, 69, 112, kList},
    {1000, "BUTTON", "About", 145, 173, 50, 14, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON},
    {65535, "BUTTON", "Quadrature LFO", 93, 13, 160, 113, WS_CHILD | WS_VISIBLE | BS_GROUPBOX},
    {65535, "STATIC", "Sync Resolution", 108, 48, 52, 8, kCaption},
    {65535, "STATIC", "Frequency", 150, 106, 34, 8, kCaption},
    {65535, "STATIC", "Feedback Level", 18, 41, 52, 8, kCaption},
    {65535, "STATIC", "Wet/Dry Mix", 22, 168, 41, 8, kCaption},
    {65535, "STATIC", "MIDI Source", 189, 48, 41, 8, kCaption},
    {65535, "STATIC", "Modulation Depth", 16, 74, 57, 8, kCaption},
    {65535, "STATIC", "Left Frequency", 22, 105, 48, 8, kCaption},
    {65535, "STATIC", "Right Frequency", 18, 138, 53, 8, kCaption},
    {65535, "STATIC", "Stage Mode", 106, 134, 40, 8, kCaption},
    {1007, "COMBOBOX", "", 176, 149, 69, 112, kList},
    {65535, "STATIC", "Mod Source", 192, 135, 40, 8, kCaption},
};

} // namespace

TEST(DialogTemplates, ControlPanelTemplateHasTheTwentyFiveItemsInOrder)
{
    const DialogTemplate* panel = FindDialog(101);
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->style, static_cast<std::uint32_t>(WS_CHILD | DS_SETFONT));
    EXPECT_EQ(panel->width, 260);
    EXPECT_EQ(panel->height, 214);
    ASSERT_EQ(panel->items.size(), std::size(kPanelItems));
    for (std::size_t i = 0; i < std::size(kPanelItems); ++i)
    {
        SCOPED_TRACE("item " + std::to_string(i));
        const auto& item = panel->items[i];
        const auto& expected = kPanelItems[i];
        EXPECT_EQ(item.id, expected.id);
        EXPECT_STREQ(item.className, expected.className);
        EXPECT_STREQ(item.text, expected.text);
        EXPECT_EQ(item.x, expected.x);
        EXPECT_EQ(item.y, expected.y);
        EXPECT_EQ(item.width, expected.width);
        EXPECT_EQ(item.height, expected.height);
        EXPECT_EQ(item.style, static_cast<std::uint32_t>(expected.style));
    }
}

TEST(DialogTemplates, AboutTemplateHasCaptionStyleAndDefaultButton)
{
    const DialogTemplate* about = FindDialog(102);
    ASSERT_NE(about, nullptr);
    EXPECT_STREQ(about->caption, "About Corvane Phaser");
    EXPECT_EQ(about->style, static_cast<std::uint32_t>(WS_POPUP | WS_CAPTION | WS_SYSMENU |
                                                       DS_MODALFRAME | DS_SETFONT));
    EXPECT_EQ(about->width, 186);
    EXPECT_EQ(about->height, 76);
    ASSERT_EQ(about->items.size(), 3u);
    EXPECT_EQ(about->items[0].id, IDOK);
    EXPECT_STREQ(about->items[0].text, "OK");
    EXPECT_EQ(about->items[0].style,
              static_cast<std::uint32_t>(WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON));
    EXPECT_EQ(about->items[0].x, 67);
    EXPECT_EQ(about->items[0].y, 55);
    EXPECT_STREQ(about->items[1].text, "A Phaser Effect");
    EXPECT_EQ(about->items[1].id, 65535);
    EXPECT_EQ(about->items[2].x, 52);
    EXPECT_EQ(about->items[2].width, 82);
    EXPECT_EQ(FindDialog(103), nullptr);
}

#if defined(CORVANE_RC_DIALOGS)
// The generator reads what the project's script holds and refuses anything else by file and
// line, writing nothing.
TEST(DialogTemplates, GeneratorRefusesWhatTheScriptDoesNotHold)
{
    const std::string header = "1 DIALOGEX 0, 0, 10, 10\nSTYLE WS_CHILD\nBEGIN\n";
    const struct
    {
        std::string script;
        const char* message;
    } cases[] = {
        {"// note\n#define IDC_X 5\n", "bad.rc:2: only #include is supported"},
        {"#include <stdio.h>\n", "bad.rc:1: #include \"header.h\", <windows.h> or <commctrl.h>"},
        {"1 DIALOG 0, 0, 10, 10\n", "bad.rc:1: DIALOGEX expected"},
        {"1 DIALOGEX 0, 0, 10, 10\nBEGIN\nEND\n", "bad.rc:2: STYLE expected before BEGIN"},
        {"1 DIALOGEX 0, 0, 10, 10\nMENU 3\n", "bad.rc:2: unknown dialog statement 'MENU'"},
        {header + "EDITTEXT 5, 1, 2, 3, 4\nEND\n",
         "bad.rc:4: unknown control statement 'EDITTEXT'"},
        {header + "LTEXT \"a\", -1, 1, 2, 3, 4\n", "bad.rc:4: unexpected character '-'"},
        {header + "LTEXT \"a\\tb\", 1, 1, 2, 3, 4\n", "bad.rc:4: text may hold printable ASCII"},
        {header + "LTEXT \"a\", 1, 1, 2, 3, 4, NOT WS_GROUP\n", "bad.rc:4: NOT in a style list"},
        {header + "COMBOBOX 1, 1, 2, 3, 4, 0, WS_EX_TOPMOST\n", "bad.rc:4: extended styles"},
        {header + "LTEXT \"a\" 1, 1, 2, 3, 4\n", "bad.rc:4: ',' expected, not '1'"},
        {header + "LTEXT \"a\", 1, 1, 2, 3, 99999\n", "bad.rc:4: coordinate 99999 out of range"},
        {header, "bad.rc:3: END expected before the end of the file"},
        {"", "bad.rc:0: no DIALOGEX template"},
    };
    const auto folder = std::filesystem::path(testing::TempDir()) / "rc-dialogs";
    std::filesystem::create_directories(folder);
    const auto script = folder / "bad.rc";
    const auto table = folder / "table.cpp";
    for (const auto& refused : cases)
    {
        SCOPED_TRACE(refused.script);
        std::filesystem::remove(table);
        std::ofstream(script, std::ios::binary) << refused.script;
        const std::string command = std::string(CORVANE_RC_DIALOGS) + " " + script.string() + " " +
                                    table.string() + " 2>&1";
        FILE* pipe = popen(command.c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        std::string output;
        for (int c = std::fgetc(pipe); c != EOF; c = std::fgetc(pipe))
            output += static_cast<char>(c);
        EXPECT_NE(pclose(pipe), 0);
        EXPECT_NE(output.find(refused.message), std::string::npos) << output;
        EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 1) << output;
        EXPECT_FALSE(std::filesystem::exists(table));
    }
}
#endif
