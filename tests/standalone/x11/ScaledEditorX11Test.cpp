// The editor at a scale factor in a real X server: the factor comes from CORVANE_UI_SCALE or
// else from the server's Xft.dpi, the panel's window has the size effEditGetRect reports, the
// screen shows the headless panel at that factor, and clicks at scaled places work.
#include "HeadlessReference.h"
#include "X11Fixture.h"
#include "phaser/Product.h"

#include <cstdlib>
#include <string>

namespace X11Test
{
namespace Product = Kestrune::Product;

namespace
{

constexpr int kHostX = 20;
constexpr int kHostY = 20;
constexpr int kHostWidth = 800; // the panel at 2 and a margin of the host's own window
constexpr int kHostHeight = 720;

class ScaledEditor : public X11EditorTest
{
protected:
    // Opens the editor in a new host window, the rectangle asked first as hosts do, and reads
    // the size of the panel's window.
    void OpenEditor()
    {
        ERect* rect = nullptr;
        ASSERT_EQ(editor.plugin.Dispatch(effEditGetRect, 0, 0, &rect), 1);
        width = rect->right - rect->left;
        height = rect->bottom - rect->top;
        host = connection.CreateTopLevel(kHostX, kHostY, kHostWidth, kHostHeight);
        ASSERT_EQ(editor.Open(host), 1);
        editor.Idle();
        const std::vector<XWindow> children = connection.Children(host);
        ASSERT_EQ(children.size(), 1u);
        int x = 0, y = 0;
        connection.Geometry(children[0], x, y, shownWidth, shownHeight);
    }

    void TearDown() override
    {
        if (host != 0)
        {
            editor.Close();
            connection.Destroy(host);
        }
        connection.SetResources(nullptr);
        unsetenv("CORVANE_UI_SCALE"); // the tests run without it
        X11EditorTest::TearDown();
    }

    EditorHost editor;
    XWindow host = 0;
    int width = 0; // as effEditGetRect reports
    int height = 0;
    int shownWidth = 0; // the panel's X window
    int shownHeight = 0;
};

TEST_F(ScaledEditor, AtTwoThePanelWindowIsTwiceAsLargeAndShowsTheHeadlessPanel)
{
    setenv("CORVANE_UI_SCALE", "2", 1);
    ASSERT_TRUE(editor.Ready());
    OpenEditor();
    EXPECT_EQ(width, 782);
    EXPECT_EQ(height, 696);
    EXPECT_EQ(shownWidth, 782);
    EXPECT_EQ(shownHeight, 696);

    // docs/panel-x11-2x.png is a copy of this screenshot.
    cairo_surface_t* shown = connection.Capture(host, 782, 696);
    ASSERT_NE(shown, nullptr);
    const std::string path = std::string(CORVANE_BINARY_DIR) + "/panel-x11-2x.png";
    EXPECT_EQ(cairo_surface_write_to_png(shown, path.c_str()), CAIRO_STATUS_SUCCESS);
    cairo_surface_t* reference = RenderHeadlessPanel(2.0);
    ASSERT_NE(reference, nullptr);
    ASSERT_EQ(cairo_image_surface_get_width(reference), 782);
    EXPECT_EQ(DifferingPixels(shown, reference, 0, 0, 782, 696), 0);
    cairo_surface_destroy(reference);
    cairo_surface_destroy(shown);
}

// Without the variable the server's resources decide, read as toolkits read them; a malformed
// variable is passed over the same way. Clicks land at the scaled places.
TEST_F(ScaledEditor, XftDpiOfTheServerChoosesTheFactorWithoutTheVariable)
{
    connection.SetResources("Xft.antialias:\t1\nXft.dpi:\t144\n");
    ASSERT_TRUE(editor.Ready());
    OpenEditor();
    EXPECT_EQ(width, 587);
    EXPECT_EQ(height, 522);
    EXPECT_EQ(shownWidth, 587);
    EXPECT_EQ(shownHeight, 522);
    cairo_surface_t* shown = connection.Capture(host, 587, 522);
    cairo_surface_t* reference = RenderHeadlessPanel(1.5);
    EXPECT_EQ(DifferingPixels(shown, reference, 0, 0, 587, 522), 0);
    cairo_surface_destroy(reference);
    cairo_surface_destroy(shown);

    // "Enabled" lies at (15, 13), 63 by 16 pixels, at 1: a click at its centre at 1.5.
    const float initial = editor.Parameter(Product::kEnabled);
    connection.Click(kHostX + 69, kHostY + 32);
    ASSERT_TRUE(IdleUntil(editor, [&] { return editor.Parameter(Product::kEnabled) != initial; }));
    EXPECT_EQ(editor.AutomationCount(5), 1);

    // Chosen again on the next open after a close.
    editor.Close();
    setenv("CORVANE_UI_SCALE", "big", 1);
    connection.SetResources("Xft.dpi:\t192\n");
    ERect* rect = nullptr;
    editor.plugin.Dispatch(effEditGetRect, 0, 0, &rect);
    EXPECT_EQ(rect->right, 782);
}

} // namespace
} // namespace X11Test
