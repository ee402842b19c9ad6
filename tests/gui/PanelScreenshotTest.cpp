// A screenshot of the panel the editor opens, with real values, from the headless backend of the
// test module. The PNG lands in the build tree (panel-editor-headless.png); docs/panel-headless.png
// is a copy of it.
#include "gui/resource.h"
#include "support/CaptionFit.h"
#include "support/EditorHost.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>

namespace
{

struct Image
{
    explicit Image(const std::string& path)
        : surface(cairo_image_surface_create_from_png(path.c_str()))
    {
    }
    ~Image() { cairo_surface_destroy(surface); }
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    bool Ok() const { return cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS; }
    int Width() const { return cairo_image_surface_get_width(surface); }
    int Height() const { return cairo_image_surface_get_height(surface); }
    std::uint32_t At(int x, int y) const
    {
        const unsigned char* data = cairo_image_surface_get_data(surface);
        const int stride = cairo_image_surface_get_stride(surface);
        return reinterpret_cast<const std::uint32_t*>(data + y * stride)[x] & 0xFFFFFFu;
    }

    cairo_surface_t* surface;
};

} // namespace

TEST(PanelScreenshot, OpenPanelWithRealValues)
{
    TestSupport::EditorHost host;
    ASSERT_TRUE(host.Ready());
    host.Set(0, 0.3f);      // LFO frequency
    host.Set(2, 1.0f);      // sync on
    host.Set(3, 0.4f);      // "1/4"
    host.Set(10, 2.0f / 6); // 8 stages
    host.Set(7, 0.6f);      // depth
    host.Set(8, 0.35f);     // left frequency
    host.Set(9, 0.65f);     // right frequency
    host.Set(11, 0.75f);    // mostly wet
    ASSERT_EQ(host.Open(), 1);
    host.Idle();
    host.Set(6, 0.5f); // shown in the status bar too
    host.Idle();
    ASSERT_EQ(host.StatusText(), "Phaser - Feedback Level: -6.47 Level");
    ASSERT_EQ(host.Selection(IDC_STAGE_MODE), 2);

    const std::string path = std::string(CORVANE_BINARY_DIR) + "/panel-editor-headless" +
                             (std::getenv("FONTCONFIG_FILE") ? "-stand-in.png" : ".png");
    ASSERT_TRUE(host.Ui().WriteScreenshot(host.Panel(), path.c_str()));
    const Image shot(path);
    ASSERT_TRUE(shot.Ok());
    EXPECT_EQ(shot.Width(), 391);
    EXPECT_EQ(shot.Height(), 348);
    EXPECT_EQ(shot.At(2, 2), 0xD4D0C8u);   // the dialog's face
    EXPECT_EQ(shot.At(21, 21), 0x000000u); // the tick of "Enabled"
    // Also run with a fontconfig file that offers only DejaVu: the stand-in is fitted too.
    EXPECT_EQ(TestSupport::CaptionCutOff(shot.surface), "");
    std::set<std::uint32_t> colours;
    for (int y = 0; y < shot.Height(); ++y)
        for (int x = 0; x < shot.Width(); ++x)
            colours.insert(shot.At(x, y));
    EXPECT_GT(colours.size(), 8u); // text, edges, faces, fields

    // The status bar's strip carries its text: dark (anti-aliased) pixels along the bottom.
    RECT bar{};
    host.Ui().GetClientRect(host.Item(IDC_STATUS_BAR), &bar);
    ASSERT_GT(bar.bottom, 0);
    int dark = 0;
    for (int y = shot.Height() - bar.bottom; y < shot.Height(); ++y)
        for (int x = 0; x < 200; ++x)
        {
            const std::uint32_t pixel = shot.At(x, y);
            dark += (pixel >> 16) < 0x80 && ((pixel >> 8) & 0xFF) < 0x80 && (pixel & 0xFF) < 0x80;
        }
    EXPECT_GT(dark, 200) << dark; // about 460 for this text; the bare bar has none

    // The picture follows the values: moving only the feedback slider back to 0 changes pixels
    // inside one slider's area (and the status text), nowhere else.
    const std::string after = std::string(CORVANE_BINARY_DIR) + "/panel-editor-headless-2.png";
    host.Set(6, 0.0f);
    host.Idle();
    ASSERT_TRUE(host.Ui().WriteScreenshot(host.Panel(), after.c_str()));
    const Image moved(after);
    ASSERT_TRUE(moved.Ok());
    RECT slider{};
    host.Ui().GetClientRect(host.Item(IDC_FEEDBACK_LEVEL), &slider);
    int left = shot.Width(), top = shot.Height(), right = -1, bottom = -1;
    for (int y = 0; y < shot.Height() - bar.bottom; ++y)
        for (int x = 0; x < shot.Width(); ++x)
            if (shot.At(x, y) != moved.At(x, y))
            {
                left = std::min(left, x);
                top = std::min(top, y);
                right = std::max(right, x);
                bottom = std::max(bottom, y);
            }
    ASSERT_GE(right, 0) << "the slider did not move on the screen";
    EXPECT_LE(right - left + 1, slider.right);
    EXPECT_LE(bottom - top + 1, slider.bottom);
}
