#include "platform/ResourceScript.h"
#include "platform/Win32.h"

#include <gtest/gtest.h>

#include <string>

using Kestrune::Platform::DialogTemplate;
using Kestrune::Platform::EmbeddedResourceScript;
using Kestrune::Platform::ParseResourceScript;

namespace
{

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

TEST(ResourceScript, ControlPanelTemplateHasTheTwentyFiveItemsInOrder)
{
    const DialogTemplate* panel = EmbeddedResourceScript().FindDialog(101);
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->extended);
    EXPECT_EQ(panel->style, static_cast<std::uint32_t>(WS_CHILD | DS_SETFONT));
    EXPECT_EQ(panel->width, 260);
    EXPECT_EQ(panel->height, 214);
    EXPECT_EQ(panel->fontPointSize, 8);
    EXPECT_EQ(panel->fontFace, "MS Sans Serif");
    ASSERT_EQ(panel->items.size(), std::size(kPanelItems));
    for (std::size_t i = 0; i < std::size(kPanelItems); ++i)
    {
        SCOPED_TRACE("item " + std::to_string(i));
        const auto& item = panel->items[i];
        const auto& expected = kPanelItems[i];
        EXPECT_EQ(item.id, expected.id);
        EXPECT_EQ(item.className, expected.className);
        EXPECT_EQ(item.text, expected.text);
        EXPECT_EQ(item.x, expected.x);
        EXPECT_EQ(item.y, expected.y);
        EXPECT_EQ(item.width, expected.width);
        EXPECT_EQ(item.height, expected.height);
        EXPECT_EQ(item.style, static_cast<std::uint32_t>(expected.style));
    }
}

TEST(ResourceScript, AboutTemplateHasCaptionStyleAndDefaultButton)
{
    const DialogTemplate* about = EmbeddedResourceScript().FindDialog(102);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->caption, "About Corvane Phaser");
    EXPECT_EQ(about->style, static_cast<std::uint32_t>(WS_POPUP | WS_CAPTION | WS_SYSMENU |
                                                       DS_MODALFRAME | DS_SETFONT));
    EXPECT_EQ(about->width, 186);
    EXPECT_EQ(about->height, 76);
    ASSERT_EQ(about->items.size(), 3u);
    EXPECT_EQ(about->items[0].id, IDOK);
    EXPECT_EQ(about->items[0].text, "OK");
    EXPECT_EQ(about->items[0].style,
              static_cast<std::uint32_t>(WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON));
    EXPECT_EQ(about->items[0].x, 67);
    EXPECT_EQ(about->items[0].y, 55);
    EXPECT_EQ(about->items[1].text, "A Phaser Effect");
    EXPECT_EQ(about->items[1].id, 65535);
    EXPECT_EQ(about->items[2].x, 52);
    EXPECT_EQ(about->items[2].width, 82);
    EXPECT_EQ(EmbeddedResourceScript().FindDialog(103), nullptr);
}

TEST(ResourceScript, PreprocessorStyleListsAndOtherResourcesAreHandled)
{
    const std::string script = R"(
#include "ids.h"
#include <windows.h>
#define PANEL_STYLE (WS_CHILD | WS_VISIBLE) /* a comment */
#if defined(IDC_ONE) && IDC_ONE > 10
#define BIG 1
#else
#error never here
#endif
1 ICON "app.ico"
VS_VERSION_INFO VERSIONINFO
 FILEVERSION 1,0,0,0
BEGIN
  BLOCK "StringFileInfo" BEGIN END
END
Panel DIALOG 1, 2, 30, 40
STYLE PANEL_STYLE | NOT WS_VISIBLE
CAPTION "A ""quoted"" caption"
BEGIN
    CONTROL "x", IDC_ONE, button, BS_AUTOCHECKBOX | NOT WS_VISIBLE, 1, 2, 3, 4, WS_EX_CLIENTEDGE
    AUTOCHECKBOX "y", IDC_ONE + 1, 5, 6, 7, 8
    RTEXT "z", -1, 0, 0, 1, 1
END
)";
    std::string error;
    const auto parsed =
        ParseResourceScript(script, error, {{"ids.h", "#define IDC_ONE 0x10 // sixteen\n"}});
    ASSERT_TRUE(parsed) << error;
    ASSERT_EQ(parsed->dialogs.size(), 1u);
    const DialogTemplate* panel = parsed->FindDialog("PANEL");
    ASSERT_NE(panel, nullptr);
    EXPECT_FALSE(panel->extended);
    EXPECT_EQ(panel->style, static_cast<std::uint32_t>(WS_CHILD | WS_CAPTION));
    EXPECT_EQ(panel->caption, "A \"quoted\" caption");
    ASSERT_EQ(panel->items.size(), 3u);
    EXPECT_EQ(panel->items[0].className, "BUTTON");
    EXPECT_EQ(panel->items[0].id, 16);
    EXPECT_EQ(panel->items[0].style, static_cast<std::uint32_t>(WS_CHILD | BS_AUTOCHECKBOX));
    EXPECT_EQ(panel->items[0].exStyle, static_cast<std::uint32_t>(WS_EX_CLIENTEDGE));
    EXPECT_EQ(panel->items[1].id, 17);
    EXPECT_EQ(panel->items[1].style,
              static_cast<std::uint32_t>(WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX));
    EXPECT_EQ(panel->items[2].style,
              static_cast<std::uint32_t>(WS_CHILD | WS_VISIBLE | WS_GROUP | SS_RIGHT));
}

TEST(ResourceScript, MalformedScriptsAreRefusedWithAReason)
{
    const char* const kMalformed[] = {
        "1 DIALOGEX 0, 0, 10",                                       // truncated header
        "1 DIALOGEX 0, 0, 10, 10 BEGIN",                             // no END
        "1 DIALOGEX 0, 0, 10, 10 BEGIN LTEXT \"a\", 1, 0, 0, 1 END", // short rectangle
        "1 DIALOGEX 0, 0, 10, 10 BEGIN LTEXT \"open, 1, 0, 0, 1, 1 END",
        "1 DIALOGEX 0, 0, 10, 10 STYLE WS_NOPE BEGIN END", // unknown symbol
        "1 DIALOGEX 0, 0, 10, 10 BEGIN WIDGET \"a\", 1, 0, 0, 1, 1 END",
        "1 DIALOGEX 0, 0, 99999, 10 BEGIN END", // coordinate range
        "1 DIALOGEX 0, 0, 10, 10 STYLE 1 / 0 BEGIN END",
        "1 DIALOGEX 0, 0, 10, 10 BEGIN END 1 DIALOGEX 0, 0, 1, 1 BEGIN END", // duplicate
        "#if 1\n1 DIALOGEX 0, 0, 10, 10 BEGIN END",                          // missing #endif
        "#endif",
        "#include \"missing.h\"",
        "#define A B\n#define B A\n1 DIALOGEX 0, 0, A, 1 BEGIN END", // self-reference
        "#define F(x) x",
        "1 DIALOGEX 0, 0, 10, 10 STYLE ((((((((((((((((((((((((((((((((((((((((((((((((((((((((("
        "((((((((((((1 BEGIN END",
        "1 DIALOGEX 0, 0, 0x1FFFFFFFF, 1 BEGIN END",
        "/* unterminated",
        "1 DIALOGEX 0, 0, 10, 10 BEGIN CONTROL \"a\", 1, , 0, 0, 0, 1, 1 END",
        "\x01\x02",
        "}",
    };
    for (const char* script : kMalformed)
    {
        SCOPED_TRACE(script);
        std::string error;
        EXPECT_FALSE(ParseResourceScript(script, error));
        EXPECT_FALSE(error.empty());
    }
}

TEST(ResourceScript, EmptyMacroExplosionIsRefusedToo)
{
    std::string script = "#define E0\n";
    for (int i = 1; i < 25; ++i)
    {
        script += "#define E" + std::to_string(i) + " E" + std::to_string(i - 1) + " E" +
                  std::to_string(i - 1) + "\n";
    }
    script += "E24\n";
    std::string error;
    EXPECT_FALSE(ParseResourceScript(script, error));
    EXPECT_NE(error.find("too large"), std::string::npos) << error;
}

// Cut, duplicated and flipped versions of the real script: each is parsed or refused, never
// crashes (run under the sanitizers to see overruns).
TEST(ResourceScript, MutatedScriptsAreParsedOrRefusedSafely)
{
    const std::string original = R"(#define IDC_X 5
1 DIALOGEX 0, 0, 260, 214
STYLE DS_SETFONT | WS_CHILD
CAPTION "A ""b"" \x41"
FONT 8, "MS Sans Serif", 0, 0, 0x0
BEGIN
    CONTROL "Enabled", IDC_X, "Button", BS_AUTOCHECKBOX | NOT WS_TABSTOP, 10, 8, 42, 10
    COMBOBOX 1011, 100, 61, 69, 133, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP
    LTEXT "Mod Source", -1, 192, 135, 40, 8
END
)";
    std::uint32_t seed = 12345;
    const auto next = [&seed]
    {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    int accepted = 0;
    for (int round = 0; round < 3000; ++round)
    {
        std::string mutated = original;
        const int edits = 1 + static_cast<int>(next() % 4);
        for (int edit = 0; edit < edits && !mutated.empty(); ++edit)
        {
            const std::size_t at = next() % mutated.size();
            switch (next() % 4)
            {
            case 0:
                mutated.erase(at, 1 + next() % 8);
                break;
            case 1:
                mutated.insert(at, mutated.substr(next() % mutated.size(), next() % 16));
                break;
            case 2:
                mutated[at] = static_cast<char>(next() & 0xFF);
                break;
            default:
                mutated.resize(at);
                break;
            }
        }
        std::string error;
        const auto parsed = ParseResourceScript(mutated, error);
        EXPECT_EQ(parsed.has_value(), error.empty());
        accepted += parsed ? 1 : 0;
    }
    EXPECT_GT(accepted, 0);
}

TEST(ResourceScript, MacroExplosionIsRefusedNotExpanded)
{
    std::string script;
    script += "#define A0 1\n";
    for (int i = 1; i < 30; ++i)
    {
        script += "#define A" + std::to_string(i) + " A" + std::to_string(i - 1) + " A" +
                  std::to_string(i - 1) + "\n";
    }
    script += "1 DIALOGEX 0, 0, A29, 1 BEGIN END\n";
    std::string error;
    EXPECT_FALSE(ParseResourceScript(script, error));
    EXPECT_NE(error.find("too large"), std::string::npos) << error;
}
