// The About box as a transient top-level X window that the host's idle calls run: no idle call
// waits for the user, the panel takes no input while the box is up, and only OK or Enter close it.
#include "X11Fixture.h"
#include "phaser/Product.h"

#include <X11/keysym.h>

#include <chrono>
#include <thread>

namespace X11Test
{
namespace Product = Kestrune::Product;

namespace
{

constexpr int kHostX = 60;
constexpr int kHostY = 50;

class AboutBox : public OpenEditorTest
{
protected:
    AboutBox() : OpenEditorTest(kHostX, kHostY) {}

    // Presses About and idles until the box is on the screen: its window, or 0.
    XWindow OpenBox()
    {
        int x = 0, y = 0;
        Centre(kHostX, kHostY, 145, 173, 50, 14, x, y);
        connection.Click(x, y);
        XWindow box = 0;
        IdleUntil(editor,
                  [&]
                  {
                      for (const XWindow window : connection.Children(connection.Root()))
                      {
                          if (connection.Viewable(window) &&
                              connection.TransientFor(window) == host)
                          {
                              box = window;
                          }
                      }
                      return box != 0;
                  });
        return box;
    }

    void ClickEnabled()
    {
        int x = 0, y = 0;
        Centre(kHostX, kHostY, 10, 8, 42, 10, x, y);
        connection.Click(x, y);
    }

    // Idles like a host at about 100 calls a second for the given time; the longest call.
    double IdleFor(std::chrono::milliseconds span)
    {
        double longest = 0.0;
        const auto end = std::chrono::steady_clock::now() + span;
        while (std::chrono::steady_clock::now() < end)
        {
            const auto before = std::chrono::steady_clock::now();
            editor.Idle();
            longest = std::max(
                longest,
                std::chrono::duration<double>(std::chrono::steady_clock::now() - before).count());
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return longest;
    }
};

TEST_F(AboutBox, OpensWithoutHoldingTheHostsIdleAndClosesWithOk)
{
    const float enabled = editor.Parameter(Product::kEnabled);
    const XWindow box = OpenBox();
    ASSERT_NE(box, 0u) << "no About box appeared";
    EXPECT_EQ(connection.Title(box), "About Corvane Phaser");
    EXPECT_TRUE(connection.HasDeleteProtocol(box));
    int x = 0, y = 0, width = 0, height = 0;
    connection.Geometry(box, x, y, width, height);
    EXPECT_EQ(width, UnitsToPixelsX(186));
    EXPECT_EQ(height, UnitsToPixelsY(76));
    EXPECT_TRUE(IdleUntil(editor, [&] { return connection.FocusWindow() == box; }))
        << "the box takes the keyboard without a window manager";

    // A click on the panel while the box is up changes nothing; idle calls never wait for the user.
    ClickEnabled();
    const double longest = IdleFor(std::chrono::milliseconds(1000));
    EXPECT_LT(longest, 0.1) << "an idle call waited for the box";
    RecordProperty("LongestIdleWithAboutOpenMs", std::to_string(longest * 1000.0));
    std::printf("longest effEditIdle with the About box open: %.2f ms\n", longest * 1000.0);
    EXPECT_TRUE(connection.Viewable(box));
    EXPECT_EQ(editor.Parameter(Product::kEnabled), enabled);

    // OK: 67, 55, 50, 14 dialog units in the box (its client area starts at its origin).
    connection.Click(x + UnitsToPixelsX(67) + UnitsToPixelsX(50) / 2,
                     y + UnitsToPixelsY(55) + UnitsToPixelsY(14) / 2);
    EXPECT_TRUE(IdleUntil(editor, [&] { return !connection.Exists(box); }))
        << "the box is gone after OK";
    ClickEnabled();
    EXPECT_TRUE(IdleUntil(editor, [&] { return editor.Parameter(Product::kEnabled) != enabled; }))
        << "the panel takes input again";
}

TEST_F(AboutBox, IgnoresTheWindowManagersCloseAndClosesWithEnterAfterAClickOnThePanel)
{
    const XWindow box = OpenBox();
    ASSERT_NE(box, 0u) << "no About box appeared";
    ASSERT_TRUE(IdleUntil(editor, [&] { return connection.FocusWindow() == box; }));
    connection.SendDelete(box);
    IdleFor(std::chrono::milliseconds(200));
    EXPECT_TRUE(connection.Viewable(box)) << "WM_DELETE_WINDOW does nothing";
    // The disabled panel (slider 1029, clear of the box) leaves the keyboard with the box.
    int x = 0, y = 0;
    Centre(kHostX, kHostY, 10, 152, 68, 16, x, y);
    connection.Click(x, y);
    IdleFor(std::chrono::milliseconds(200));
    EXPECT_EQ(connection.FocusWindow(), box);
    connection.Key(XK_Return);
    EXPECT_TRUE(IdleUntil(editor, [&] { return !connection.Exists(box); })) << "Enter pressed OK";
}

} // namespace
} // namespace X11Test
