// Two instances of the module in one process, each with its editor open: one connection, and
// each panel gets only the input aimed at its own window.
#include "X11Fixture.h"
#include "phaser/Product.h"

#include <X11/keysym.h>

namespace X11Test
{
namespace Product = Kestrune::Product;

namespace
{

constexpr int kLeftX = 20;
constexpr int kRightX = 450;
constexpr int kTop = 40;

// Two editors open side by side, each in a host window of its own, idled once; the windows go
// at the end of the test.
class TwoInstances : public X11EditorTest
{
protected:
    void OpenBoth()
    {
        ASSERT_TRUE(left.Ready() && right.Ready());
        leftWindow = connection.CreateTopLevel(kLeftX, kTop, kPanelWidth, kPanelHeight);
        rightWindow = connection.CreateTopLevel(kRightX, kTop, kPanelWidth, kPanelHeight);
        ASSERT_EQ(left.Open(leftWindow), 1);
        ASSERT_EQ(right.Open(rightWindow), 1);
        IdleUntil(both, [] { return true; });
    }

    void TearDown() override
    {
        left.Close();
        right.Close();
        for (const XWindow window : {leftWindow, rightWindow})
            if (window != 0)
                connection.Destroy(window);
        X11EditorTest::TearDown();
    }

    EditorHost left;
    EditorHost right;
    std::vector<EditorHost*> both{&left, &right};
    XWindow leftWindow = 0;
    XWindow rightWindow = 0;
};
// A spot of a panel's background, right of the About button.
constexpr int kEmptyX = 350;
constexpr int kEmptyY = 300;

TEST_F(TwoInstances, EachPanelSeesOnlyItsOwnInput)
{
    OpenBoth();
    if (HasFatalFailure())
        return;

    // "Enabled" of the right panel: only the right instance changes, whoever idles first.
    const float leftEnabled = left.Parameter(Product::kEnabled);
    const float rightEnabled = right.Parameter(Product::kEnabled);
    int x = 0, y = 0;
    Centre(kRightX, kTop, 10, 8, 42, 10, x, y);
    connection.Click(x, y);
    ASSERT_TRUE(
        IdleUntil(both, [&] { return right.Parameter(Product::kEnabled) != rightEnabled; }));
    IdleUntil(both, [] { return true; });
    EXPECT_EQ(left.Parameter(Product::kEnabled), leftEnabled);
    EXPECT_EQ(left.AutomationCount(5), 0);
    EXPECT_EQ(right.AutomationCount(5), 1);

    // A page step on the left panel's slider 1029 (wet/dry mix, 10, 152, 68, 16 dialog units),
    // with only the right editor idling: the left instance takes it, the right one does not.
    const float leftMix = left.Parameter(Product::kMix);
    const float rightMix = right.Parameter(Product::kMix);
    connection.Click(kLeftX + UnitsToPixelsX(10) + 4,
                     kTop + UnitsToPixelsY(152) + UnitsToPixelsY(16) / 2);
    ASSERT_TRUE(IdleUntil(right, [&] { return left.Parameter(Product::kMix) != leftMix; }));
    EXPECT_LT(left.Parameter(Product::kMix), leftMix) << "a click left of the thumb pages down";
    EXPECT_EQ(right.Parameter(Product::kMix), rightMix);
    EXPECT_EQ(right.AutomationCount(11), 0);
    EXPECT_GE(left.AutomationCount(11), 1);

    // Keys go to the panel the keyboard is in, and a panel that loses it keeps nothing focused
    // that keys could still reach.
    const float leftFeedback = left.Parameter(Product::kFeedback);
    const float rightFeedback = right.Parameter(Product::kFeedback);
    const int leftPosition = SliderPosition(leftFeedback);
    connection.Click(kLeftX + ThumbX(leftPosition), kTop + kSliderMiddle);
    IdleUntil(both, [] { return true; });
    connection.Key(leftPosition < 100 ? XK_Right : XK_Left);
    ASSERT_TRUE(
        IdleUntil(both, [&] { return left.Parameter(Product::kFeedback) != leftFeedback; }));
    const float leftMoved = left.Parameter(Product::kFeedback);
    connection.Click(kRightX + kEmptyX, kTop + kEmptyY); // on the right panel's background
    IdleUntil(both, [] { return true; });
    connection.Key(XK_Home);
    connection.Key(XK_space);
    IdleUntil(both, [] { return true; });
    IdleUntil(both, [] { return true; });
    EXPECT_EQ(left.Parameter(Product::kFeedback), leftMoved);
    EXPECT_EQ(right.Parameter(Product::kFeedback), rightFeedback);
    EXPECT_EQ(right.AutomationCount(5), 1) << "nothing in the right panel took the space bar";
    // Back in the left panel, its slider has the keyboard again.
    connection.Click(kLeftX + kEmptyX, kTop + kEmptyY);
    IdleUntil(both, [] { return true; });
    connection.Key(XK_Home);
    EXPECT_TRUE(IdleUntil(both, [&] { return left.Parameter(Product::kFeedback) == 0.0f; }));
    EXPECT_EQ(right.Parameter(Product::kFeedback), rightFeedback);

    // Closing one editor leaves the other working.
    left.Close();
    const float enabledNow = right.Parameter(Product::kEnabled);
    connection.Click(x, y);
    EXPECT_TRUE(IdleUntil(right, [&] { return right.Parameter(Product::kEnabled) != enabledNow; }));
}

// While one panel's list is open, a click on the other panel closes the list without a choice,
// wherever it lands: panels of different instances share no coordinates.
TEST_F(TwoInstances, AClickOnTheOtherPanelClosesAnOpenListWithoutAChoice)
{
    OpenBoth();
    if (HasFatalFailure())
        return;

    // List 1006 (100, 149, 69 dialog units; a 21-pixel field) of the left panel.
    const int listX = UnitsToPixelsX(100);
    const int listY = UnitsToPixelsY(149) + 21;
    const float leftStages = left.Parameter(Product::kStageMode);
    const float rightStages = right.Parameter(Product::kStageMode);
    const float rightEnabled = right.Parameter(Product::kEnabled);
    connection.Click(kLeftX + listX + 20, kTop + listY - 10);
    const auto popUps = [&]
    {
        int count = 0;
        for (const XWindow window : connection.Children(connection.Root()))
        {
            count += connection.Viewable(window) && connection.IsOverrideRedirect(window) ? 1 : 0;
        }
        return count;
    };
    ASSERT_TRUE(IdleUntil(both, [&] { return popUps() == 1; }));
    // On the right panel, where the left list's third entry would be in the left panel.
    connection.Click(kRightX + listX + 20, kTop + listY + 1 + 2 * 13 + 6);
    ASSERT_TRUE(IdleUntil(both, [&] { return popUps() == 0; }));
    IdleUntil(both, [] { return true; });
    EXPECT_EQ(left.Parameter(Product::kStageMode), leftStages);
    EXPECT_EQ(left.AutomationCount(10), 0);
    EXPECT_EQ(right.Parameter(Product::kStageMode), rightStages);
    EXPECT_EQ(right.Parameter(Product::kEnabled), rightEnabled);
    left.Close();
}

} // namespace
} // namespace X11Test
