// The editor embedded in a real X11 window of a test host, driven with synthetic input.
#include "HeadlessReference.h"
#include "X11Fixture.h"
#include "phaser/Product.h"
#include "support/CaptionFit.h"

#include <X11/keysym.h>

#include <chrono>
#include <cmath>
#include <string>
#include <thread>

namespace X11Test
{
namespace Product = Kestrune::Product;

namespace
{

constexpr int kHostX = 40;
constexpr int kHostY = 30;
// Larger than the panel, so that clicks can land on the host's own window.
constexpr int kHostWidth = 460;
constexpr int kHostHeight = 400;

class EmbeddedEditor : public OpenEditorTest
{
protected:
    EmbeddedEditor() : OpenEditorTest(kHostX, kHostY, kHostWidth, kHostHeight) {}

    cairo_surface_t* CapturePanel() { return connection.Capture(host, kPanelWidth, kPanelHeight); }

    int StatusBarChanges(cairo_surface_t* before, cairo_surface_t* after)
    {
        return DifferingPixels(before, after, 0, kPanelHeight - kStatusHeight, kPanelWidth,
                               kStatusHeight);
    }
};

TEST_F(EmbeddedEditor, PanelIsAChildWindowOfTheHostsWindowAtItsSize)
{
    const std::vector<XWindow> children = connection.Children(host);
    ASSERT_EQ(children.size(), 1u);
    int x = -1, y = -1, width = 0, height = 0;
    connection.Geometry(children[0], x, y, width, height);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    EXPECT_EQ(width, kPanelWidth);
    EXPECT_EQ(height, kPanelHeight);
    EXPECT_TRUE(connection.Viewable(children[0]));
}

// The X11 backend draws with the same cairo code as the headless one: the screen shows exactly
// the headless panel. The screenshot goes to the build folder (docs/panel-x11.png is a copy).
TEST_F(EmbeddedEditor, ScreenShowsExactlyTheHeadlessPanel)
{
    cairo_surface_t* shown = CapturePanel();
    ASSERT_NE(shown, nullptr);
    const std::string path = std::string(CORVANE_BINARY_DIR) + "/panel-x11.png";
    ASSERT_EQ(cairo_surface_write_to_png(shown, path.c_str()), CAIRO_STATUS_SUCCESS);

    cairo_surface_t* headlessShot = cairo_image_surface_create_from_png(
        (std::string(CORVANE_SOURCE_DIR) + "/docs/panel-headless.png").c_str());
    ASSERT_EQ(cairo_surface_status(headlessShot), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(headlessShot), kPanelWidth);
    EXPECT_EQ(cairo_image_surface_get_height(headlessShot), kPanelHeight);
    cairo_surface_destroy(headlessShot);

    cairo_surface_t* reference = RenderHeadlessPanel();
    ASSERT_NE(reference, nullptr);
    EXPECT_EQ(DifferingPixels(shown, reference, 0, 0, kPanelWidth, kPanelHeight), 0);
    EXPECT_EQ(PixelAt(shown, 2, 2), 0xD4D0C8u) << "the dialog face";

    // Beyond the panel lies the host's own window.
    cairo_surface_t* whole = connection.Capture(host, kHostWidth, kHostHeight);
    EXPECT_EQ(PixelAt(whole, kPanelWidth + 5, 10), 0x203040u);
    EXPECT_EQ(PixelAt(whole, 10, kPanelHeight + 5), 0x203040u);
    cairo_surface_destroy(whole);
    cairo_surface_destroy(reference);
    cairo_surface_destroy(shown);
}

// Run once more with a fontconfig file that offers only DejaVu.
TEST_F(EmbeddedEditor, CaptionsShowWholeWhateverTheFont)
{
    cairo_surface_t* shown = CapturePanel();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(TestSupport::CaptionCutOff(shown), "");
    cairo_surface_destroy(shown);
}

TEST_F(EmbeddedEditor, ClickingEnabledTogglesParameter5)
{
    cairo_surface_t* before = CapturePanel();
    const float initial = editor.Parameter(Product::kEnabled);
    int x = 0, y = 0;
    Centre(kHostX, kHostY, 10, 8, 42, 10, x, y);
    connection.Click(x, y);
    ASSERT_TRUE(IdleUntil(editor, [&] { return editor.Parameter(Product::kEnabled) != initial; }));
    EXPECT_EQ(editor.Parameter(Product::kEnabled), initial >= 0.5f ? 0.0f : 1.0f);
    ASSERT_EQ(editor.AutomationCount(5), 1);
    EXPECT_EQ(editor.plugin.automation.back().second, editor.Parameter(Product::kEnabled));
    editor.Idle();
    cairo_surface_t* after = CapturePanel();
    EXPECT_GT(StatusBarChanges(before, after), 0) << "the status bar names the change";
    EXPECT_GT(DifferingPixels(before, after, 15, 13, 16, 16), 0) << "the box shows its tick";

    connection.Click(x, y);
    ASSERT_TRUE(IdleUntil(editor, [&] { return editor.Parameter(Product::kEnabled) == initial; }));
    EXPECT_EQ(editor.AutomationCount(5), 2);
    cairo_surface_destroy(after);
    cairo_surface_destroy(before);
}

TEST_F(EmbeddedEditor, DraggingSlider1028SetsParameter6AndAutomatesEveryStep)
{
    cairo_surface_t* before = CapturePanel();
    const int start = SliderPosition(editor.Parameter(Product::kFeedback));
    const int goal = start == 50 ? 30 : 50; // both have pixels of their own
    connection.MoveTo(kHostX + ThumbX(start), kHostY + kSliderMiddle);
    connection.Press();
    const int steps = 6;
    for (int step = 1; step <= steps; ++step)
    {
        const int x = ThumbX(start) + (ThumbX(goal) - ThumbX(start)) * step / steps;
        connection.MoveTo(kHostX + x, kHostY + kSliderMiddle);
        editor.Idle();
    }
    connection.Release();
    ASSERT_EQ(SliderPositionAt(ThumbX(goal)), goal);
    ASSERT_TRUE(IdleUntil(
        editor, [&] { return SliderPosition(editor.Parameter(Product::kFeedback)) == goal; }));
    EXPECT_FLOAT_EQ(editor.Parameter(Product::kFeedback), goal / 100.0f);
    EXPECT_GE(editor.AutomationCount(Product::kFeedback), 2) << "each step of the drag is a change";
    EXPECT_FLOAT_EQ(editor.plugin.automation.back().second, goal / 100.0f);
    editor.Idle();
    cairo_surface_t* after = CapturePanel();
    EXPECT_GT(StatusBarChanges(before, after), 0);
    cairo_surface_destroy(after);
    cairo_surface_destroy(before);
}

TEST_F(EmbeddedEditor, KeysReachTheControlWithTheFocus)
{
    const int start = SliderPosition(editor.Parameter(Product::kFeedback));
    // A click on the thumb gives the slider the focus without moving it.
    connection.Click(kHostX + ThumbX(start), kHostY + kSliderMiddle);
    editor.Idle(3);
    ASSERT_EQ(SliderPosition(editor.Parameter(Product::kFeedback)), start);
    const int next = start < 100 ? start + 1 : start - 1;
    connection.Key(start < 100 ? XK_Right : XK_Left);
    ASSERT_TRUE(IdleUntil(
        editor, [&] { return SliderPosition(editor.Parameter(Product::kFeedback)) == next; }));
    connection.Key(XK_Home);
    ASSERT_TRUE(IdleUntil(editor, [&]
                          { return SliderPosition(editor.Parameter(Product::kFeedback)) == 0; }));
}

// As Windows' trackbar: the held button pages on after a pause until the thumb reaches the
// pointer, one page at a time.
TEST_F(EmbeddedEditor, HoldingTheButtonOnTheTrackPagesUntilTheThumbReachesThePointer)
{
    editor.SetParameter(Product::kFeedback, 0.0f);
    editor.Idle(3);
    connection.MoveTo(kHostX + ThumbX(60), kHostY + kSliderMiddle);
    connection.Press();
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
    while (std::chrono::steady_clock::now() < end)
    {
        editor.Idle();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    connection.Release();
    editor.Idle(3);
    EXPECT_EQ(SliderPosition(editor.Parameter(Product::kFeedback)), 60)
        << "20, 40, 60, then under the pointer";
    EXPECT_EQ(editor.AutomationCount(Product::kFeedback), 3);
}

class DropDownList : public EmbeddedEditor
{
protected:
    // The viewable override-redirect windows directly on the root.
    std::vector<XWindow> PopUps()
    {
        std::vector<XWindow> found;
        for (const XWindow window : connection.Children(connection.Root()))
        {
            if (connection.Viewable(window) && connection.IsOverrideRedirect(window))
            {
                found.push_back(window);
            }
        }
        return found;
    }

    void OpenList1006()
    {
        // 100, 149, 69 dialog units; the closed field is 21 pixels high.
        connection.Click(kHostX + UnitsToPixelsX(100) + UnitsToPixelsX(69) / 2,
                         kHostY + UnitsToPixelsY(149) + 10);
    }
};

TEST_F(DropDownList, ChoosingFromThePopUpOfList1006SetsParameter10)
{
    const int entries = 7; // stage modes 4 to 16
    const int current =
        static_cast<int>(std::lround(editor.Parameter(Product::kStageMode) * (entries - 1)));
    const int choice = current == 3 ? 5 : 3;
    OpenList1006();
    ASSERT_TRUE(IdleUntil(editor, [&] { return PopUps().size() == 1; }));
    const XWindow popUp = PopUps()[0];
    int x = 0, y = 0, width = 0, height = 0;
    connection.Geometry(popUp, x, y, width, height);
    EXPECT_EQ(x, kHostX + UnitsToPixelsX(100)) << "below the field";
    EXPECT_EQ(y, kHostY + UnitsToPixelsY(149) + 21);
    EXPECT_EQ(width, UnitsToPixelsX(69));
    EXPECT_EQ(height, entries * 13 + 2);
    editor.Idle();

    connection.Click(x + 20, y + 1 + choice * 13 + 6);
    ASSERT_TRUE(IdleUntil(
        editor,
        [&] { return editor.Parameter(Product::kStageMode) == choice / float(entries - 1); }));
    EXPECT_EQ(editor.AutomationCount(10), 1);
    EXPECT_TRUE(IdleUntil(editor, [&] { return PopUps().empty(); }));
    EXPECT_FALSE(connection.Exists(popUp));
}

TEST_F(DropDownList, AClickOnTheHostsWindowClosesThePopUpWithoutAChoice)
{
    const float initial = editor.Parameter(Product::kStageMode);
    OpenList1006();
    ASSERT_TRUE(IdleUntil(editor, [&] { return PopUps().size() == 1; }));
    connection.Click(kHostX + kHostWidth - 10, kHostY + kHostHeight - 10);
    ASSERT_TRUE(IdleUntil(editor, [&] { return PopUps().empty(); }));
    EXPECT_EQ(editor.Parameter(Product::kStageMode), initial);
    EXPECT_EQ(editor.AutomationCount(10), 0);

    // The panel takes clicks again afterwards.
    const float enabled = editor.Parameter(Product::kEnabled);
    int cx = 0, cy = 0;
    Centre(kHostX, kHostY, 10, 8, 42, 10, cx, cy);
    connection.Click(cx, cy);
    EXPECT_TRUE(IdleUntil(editor, [&] { return editor.Parameter(Product::kEnabled) != enabled; }));
}

// A wheel notch moves a slider one line and a closed list one entry, away from the user towards
// the start (as the Up key): each a change for the host, the list staying closed.
TEST_F(DropDownList, TheWheelMovesASliderALineAndAClosedListAnEntry)
{
    editor.SetParameter(Product::kFeedback, 0.5f);
    editor.SetParameter(10, 3.0f / 6);
    editor.Idle(3);
    const auto notches = [&](unsigned button, int count)
    {
        for (int i = 0; i < count; ++i)
        {
            connection.Press(button);
            connection.Release(button);
        }
    };
    connection.MoveTo(kHostX + ThumbX(80), kHostY + kSliderMiddle); // over the track
    notches(5, 2);
    ASSERT_TRUE(IdleUntil(editor, [&]
                          { return SliderPosition(editor.Parameter(Product::kFeedback)) == 52; }));
    notches(4, 1);
    ASSERT_TRUE(IdleUntil(editor, [&]
                          { return SliderPosition(editor.Parameter(Product::kFeedback)) == 51; }));
    EXPECT_EQ(editor.AutomationCount(Product::kFeedback), 3);

    connection.MoveTo(kHostX + UnitsToPixelsX(100) + UnitsToPixelsX(69) / 2,
                      kHostY + UnitsToPixelsY(149) + 10);
    notches(4, 1);
    ASSERT_TRUE(IdleUntil(editor, [&] { return editor.Parameter(10) == 2.0f / 6; }));
    notches(5, 3);
    ASSERT_TRUE(IdleUntil(editor, [&] { return editor.Parameter(10) == 5.0f / 6; }));
    EXPECT_EQ(editor.AutomationCount(10), 4);
    EXPECT_TRUE(PopUps().empty());
}

} // namespace
} // namespace X11Test
