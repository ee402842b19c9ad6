// The panel at the scale factors of high-density screens, opened and driven through the test
// module: the rectangle, the drawing and the input all follow one factor, so every control works
// at 1.5 and 2 exactly as at 1.
#include "gui/resource.h"
#include "support/EditorHost.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

using TestSupport::EditorHost;

namespace
{

// A length of the 96-dpi panel at a factor.
int At(double scale, double pixels)
{
    return static_cast<int>(std::lround(pixels * scale));
}

std::uint32_t PixelAt(cairo_surface_t* image, int x, int y)
{
    const unsigned char* data = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    return reinterpret_cast<const std::uint32_t*>(data + y * stride)[x] & 0xFFFFFFu;
}

// The open panel with a few real values, as a PNG read back.
cairo_surface_t* Screenshot(EditorHost& host, const std::string& name)
{
    host.Set(6, 0.5f);
    host.Set(10, 2.0f / 6);
    if (host.Open() != 1)
        return nullptr;
    host.Idle();
    const std::string path = std::string(CORVANE_BINARY_DIR) + "/" + name;
    if (!host.Ui().WriteScreenshot(host.Panel(), path.c_str()))
        return nullptr;
    return cairo_image_surface_create_from_png(path.c_str());
}

// A factor and the rectangle the editor reports at it.
struct Factor
{
    double scale;
    int width;
    int height;
};

void PrintTo(const Factor& factor, std::ostream* out)
{
    *out << factor.scale; // names the test cases
}

class PanelScale : public ::testing::TestWithParam<Factor>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.Ready());
        ASSERT_EQ(host.Open(), 1);
        host.Idle();
    }

    const TestSupport::HeadlessDriver& ui() const { return host.Ui(); }

    double scale = GetParam().scale;
    EditorHost host{scale};
};

// Points are taken from the 96-dpi layout times the factor, as a user sees the controls.
TEST_P(PanelScale, TheRectangleScalesAndEveryControlWorksAsAtOne)
{
    ERect* rect = nullptr;
    ASSERT_EQ(host.plugin.Dispatch(effEditGetRect, 0, 0, &rect), 1);
    EXPECT_EQ(rect->right, GetParam().width);
    EXPECT_EQ(rect->bottom, GetParam().height);
    const HWND panel = host.Panel();
    RECT client{};
    ui().GetClientRect(panel, &client);
    EXPECT_EQ(client.right, GetParam().width);
    EXPECT_EQ(client.bottom, GetParam().height);

    const float enabled = host.Get(5);
    ui().Click(panel, At(scale, 15 + 63 / 2.0), At(scale, 13 + 16 / 2.0)); // "Enabled"
    host.Idle();
    EXPECT_EQ(host.Get(5), enabled >= 0.5f ? 0.0f : 1.0f);

    // The feedback slider's thumb dragged to 25 pixels in at 1 (its centre runs from 8 to 94):
    // position 20 at any factor.
    const HWND slider = host.Item(IDC_FEEDBACK_LEVEL);
    RECT thumb{};
    ui().SendMessageA(slider, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    const int y = (thumb.top + thumb.bottom) / 2;
    ui().Drag(slider, (thumb.left + thumb.right) / 2, y, At(scale, 25), y, 8);
    host.Idle();
    EXPECT_FLOAT_EQ(host.Get(6), 0.2f);

    // The fifth entry of the sync resolution's pop-up list, by its place on the screen.
    const HWND list = host.Item(IDC_SYNC_RESOLUTION);
    ui().ClickItem(panel, IDC_SYNC_RESOLUTION);
    host.Idle();
    RECT dropped{};
    ui().SendMessageA(list, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
    ui().ClickScreen(dropped.left + At(scale, 10), dropped.top + At(scale, 21 + 1 + 4 * 13 + 6));
    host.Idle();
    EXPECT_FLOAT_EQ(host.Get(3), 0.4f);

    // The About box, at the panel's factor, closes from its OK button.
    ui().ClickItem(panel, IDC_ABOUT);
    host.Idle();
    const HWND about = ui().ActiveWindow();
    ASSERT_NE(about, host.parent);
    RECT box{};
    ui().GetClientRect(about, &box);
    EXPECT_EQ(box.right, At(scale, 280));
    EXPECT_EQ(box.bottom, At(scale, 124));
    ui().Click(about, At(scale, 101 + 75 / 2.0), At(scale, 89 + 23 / 2.0)); // OK
    host.Idle();
    EXPECT_FALSE(ui().IsWindow(about));
    EXPECT_EQ(host.Automation(5).size(), 1u);
    EXPECT_EQ(host.Automation(3), (std::vector<float>{0.4f}));
}

INSTANTIATE_TEST_SUITE_P(Factors, PanelScale,
                         ::testing::Values(Factor{1.0, 391, 348}, Factor{1.5, 587, 522},
                                           Factor{2.0, 782, 696}));

// At 2 the panel is drawn afresh at twice the size: the layout is exactly twice the one at 1
// (most pixels equal a nearest-neighbour enlargement of it), but the text and the glyph shapes
// are drawn at the larger size, not enlarged, which no stretched bitmap does.
TEST(PanelScaleDrawing, AtTwoTheLayoutDoublesAndTheTextIsDrawnAfresh)
{
    EditorHost one(1.0);
    EditorHost two(2.0);
    ASSERT_TRUE(one.Ready() && two.Ready());
    cairo_surface_t* small = Screenshot(one, "panel-editor-headless-1x.png");
    cairo_surface_t* large = Screenshot(two, "panel-editor-headless-2x.png");
    ASSERT_EQ(cairo_surface_status(small), CAIRO_STATUS_SUCCESS);
    ASSERT_EQ(cairo_surface_status(large), CAIRO_STATUS_SUCCESS);
    ASSERT_EQ(cairo_image_surface_get_width(large), 782);
    ASSERT_EQ(cairo_image_surface_get_height(large), 696);

    int enlarged = 0;    // pixels equal to the enlargement of the 1x panel
    int drawnAfresh = 0; // 2 x 2 blocks an enlargement would have filled with one colour
    for (int y = 0; y < 696; y += 2)
        for (int x = 0; x < 782; x += 2)
        {
            const std::uint32_t source = PixelAt(small, x / 2, y / 2);
            const std::uint32_t block[4] = {PixelAt(large, x, y), PixelAt(large, x + 1, y),
                                            PixelAt(large, x, y + 1), PixelAt(large, x + 1, y + 1)};
            bool uniform = true;
            for (const std::uint32_t pixel : block)
            {
                enlarged += pixel == source;
                uniform = uniform && pixel == block[0];
            }
            drawnAfresh += !uniform;
        }
    EXPECT_GT(enlarged, 782 * 696 * 92 / 100) << "the layout is not twice the one at 1";
    EXPECT_GT(drawnAfresh, 2000) << "the text looks like an enlarged bitmap";
    cairo_surface_destroy(large);
    cairo_surface_destroy(small);
}

} // namespace
