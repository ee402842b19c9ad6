#include "PanelFixture.h"

#include "platform/DialogUnits.h"

#include <cairo.h>

#include <set>
#include <string>

using namespace PlatformTest;
using Kestrune::Platform::DialogUnitsToPixelsX;
using Kestrune::Platform::DialogUnitsToPixelsY;
using Kestrune::Platform::RoundedMulDiv;

TEST(DialogUnits, ControlPanelIs391By348Pixels)
{
    EXPECT_EQ(DialogUnitsToPixelsX(260), 391);
    EXPECT_EQ(DialogUnitsToPixelsY(214), 348);
    EXPECT_EQ(DialogUnitsToPixelsX(4), 6); // 6.02 rounds down
    EXPECT_EQ(DialogUnitsToPixelsY(4), 7); // 6.5 rounds up
    EXPECT_EQ(DialogUnitsToPixelsX(-260), -391);
    EXPECT_EQ(DialogUnitsToPixelsX(10), 15);
    EXPECT_EQ(DialogUnitsToPixelsY(8), 13);
    EXPECT_EQ(RoundedMulDiv(7, 3, 2), 11);
    EXPECT_EQ(RoundedMulDiv(-7, 3, 2), -11);
    EXPECT_EQ(RoundedMulDiv(1, 1, 0), -1);
}

TEST_F(PanelTest, TemplatePlacesTheDialogAndItsControlsInPixels)
{
    RECT client{};
    ASSERT_TRUE(GetClientRect(panel, &client));
    EXPECT_EQ(client.right, 391);
    EXPECT_EQ(client.bottom, 348);
    ASSERT_TRUE(GetClientRect(Item(1028), &client));
    EXPECT_EQ(client.right, 102); // 68 units
    EXPECT_EQ(client.bottom, 23); // 14 units
    ASSERT_TRUE(GetClientRect(Item(1011), &client));
    EXPECT_EQ(client.right, 104); // 69 units
    EXPECT_EQ(client.bottom, 21); // the closed list; the template height is the open one
}

namespace
{

std::set<std::uint32_t> Colours(cairo_surface_t* image)
{
    std::set<std::uint32_t> colours;
    const int stride = cairo_image_surface_get_stride(image);
    const unsigned char* data = cairo_image_surface_get_data(image);
    for (int y = 0; y < cairo_image_surface_get_height(image); ++y)
    {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + y * stride);
        for (int x = 0; x < cairo_image_surface_get_width(image); ++x)
        {
            colours.insert(row[x] & 0xFFFFFFu);
        }
    }
    return colours;
}

std::uint32_t PixelAt(cairo_surface_t* image, int x, int y)
{
    const unsigned char* data = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    return reinterpret_cast<const std::uint32_t*>(data + y * stride)[x] & 0xFFFFFFu;
}

} // namespace

TEST_F(PanelTest, ScreenshotOfTheControlPanelHasItsSizeAndContent)
{
    const char* lists[][2] = {{"1/32", "1/16"}, {"None", "ModWh"}, {"4", "6"}, {"None", "LFO"}};
    const int ids[] = {1011, 1023, 1006, 1007};
    for (int i = 0; i < 4; ++i)
    {
        SendMessageA(Item(ids[i]), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(lists[i][0]));
        SendMessageA(Item(ids[i]), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(lists[i][1]));
        SendMessageA(Item(ids[i]), CB_SETCURSEL, 0, 0);
    }
    SendMessageA(Item(1027), BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(Item(1029), TBM_SETPOS, TRUE, 50);
    CreateStatusWindowA(WS_CHILD | WS_VISIBLE, "Ready", panel, 10000);

    const std::string path = std::string(CORVANE_BINARY_DIR) + "/panel-headless.png";
    ASSERT_TRUE(Kestrune::Platform::Headless::WriteScreenshot(panel, path));
    cairo_surface_t* image = cairo_image_surface_create_from_png(path.c_str());
    ASSERT_EQ(cairo_surface_status(image), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(image), 391);
    EXPECT_EQ(cairo_image_surface_get_height(image), 348);
    EXPECT_EQ(PixelAt(image, 2, 2), 0xD4D0C8u);           // the dialog face
    EXPECT_EQ(PixelAt(image, 15 + 5, 13 + 5), 0xFFFFFFu); // inside the check box
    EXPECT_GT(Colours(image).size(), 8u);
    cairo_surface_destroy(image);
}

TEST_F(PanelTest, PaintingFollowsControlState)
{
    const auto render = [this]
    {
        Kestrune::Platform::PumpMessages();
        cairo_surface_t* surface = Kestrune::Platform::Headless::SurfaceImage(host);
        cairo_surface_flush(surface);
        return PixelAt(surface, 21, 21); // on the tick, inside the box
    };
    SendMessageA(Item(1027), BM_SETCHECK, BST_UNCHECKED, 0);
    EXPECT_EQ(render(), 0xFFFFFFu);
    SendMessageA(Item(1027), BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(render(), 0x000000u);
}
