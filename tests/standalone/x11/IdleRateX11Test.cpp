// Hosts that idle the editor only 15 times a second: each idle call handles all input pending at
// that moment, so the panel follows a drag one idle call behind at most. The figures printed are
// the report's idle-rate measurement; nothing is asserted on time.
#include "X11Fixture.h"
#include "phaser/Product.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>

namespace X11Test
{
namespace Product = Kestrune::Product;

namespace
{

using IdleRate = X11EditorTest;

constexpr int kHostX = 40;
constexpr int kHostY = 40;
TEST_F(IdleRate, At15IdleCallsPerSecondEveryStepOfADragLandsWithTheNextCall)
{
    using Clock = std::chrono::steady_clock;
    EditorHost editor;
    ASSERT_TRUE(editor.Ready());
    const XWindow host = connection.CreateTopLevel(kHostX, kHostY, kPanelWidth, kPanelHeight);
    ASSERT_EQ(editor.Open(host), 1);
    editor.Idle();
    editor.SetParameter(Product::kFeedback, 0.0f);
    editor.Idle();

    connection.MoveTo(kHostX + ThumbX(0), kHostY + kSliderMiddle);
    connection.Press();
    const auto period = std::chrono::microseconds(1000000 / 15);
    double longest = 0.0;
    double total = 0.0;
    int late = 0;
    const int steps = 21;
    for (int step = 1; step <= steps; ++step)
    {
        const int x = ThumbX(0) + 4 * step;
        const int position = SliderPositionAt(x);
        connection.MoveTo(kHostX + x, kHostY + kSliderMiddle);
        std::this_thread::sleep_for(period);
        const auto start = Clock::now();
        editor.Idle();
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        longest = std::max(longest, seconds);
        total += seconds;
        late += SliderPosition(editor.Parameter(Product::kFeedback)) == position ? 0 : 1;
    }
    connection.Release();
    EXPECT_EQ(late, 0) << "steps not handled by the idle call after them";

    // A burst: many moves queued between two idle calls, all handled by the next one.
    const int from = SliderPosition(editor.Parameter(Product::kFeedback));
    connection.MoveTo(kHostX + ThumbX(from), kHostY + kSliderMiddle);
    connection.Press();
    for (int move = 0; move < 200; ++move)
    {
        connection.MoveTo(kHostX + ThumbX(move % 100), kHostY + kSliderMiddle);
    }
    connection.MoveTo(kHostX + ThumbX(70), kHostY + kSliderMiddle);
    std::this_thread::sleep_for(period);
    const auto burstStart = Clock::now();
    editor.Idle();
    const double burst = std::chrono::duration<double>(Clock::now() - burstStart).count();
    EXPECT_EQ(SliderPosition(editor.Parameter(Product::kFeedback)), 70);
    connection.Release();
    editor.Idle();

    std::printf("[  FIGURES ] idle at 15 Hz: %d drag steps, %d late; idle call mean %.2f ms, "
                "longest %.2f ms; 202 queued moves handled by one idle call in %.2f ms\n",
                steps, late, 1e3 * total / steps, 1e3 * longest, 1e3 * burst);
    editor.Close();
    connection.Destroy(host);
}

} // namespace
} // namespace X11Test
