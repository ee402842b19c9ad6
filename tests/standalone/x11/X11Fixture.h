// Common ground of the X11 editor tests: skipped without a display, and no X error may reach the
// test's (the host's) handler during a test.
#pragma once

#include "X11TestHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <thread>

namespace X11Test
{

// Slider 1028 (feedback level; 10, 25, 68, 14 dialog units) lies at (15, 41), 102 by 23 pixels;
// its thumb's centre runs over 86 pixels from 8 pixels in, for positions 0 to 100.
inline constexpr int kSliderLeft = 15;
inline constexpr int kSliderMiddle = 41 + 23 / 2;

// The panel-relative x of the thumb's centre at a position.
inline int ThumbX(int position)
{
    return kSliderLeft + 8 + (position * 86 + 50) / 100;
}

// The position a drag that took the thumb's centre to panel-relative x gives (not every
// position has a pixel of its own).
inline int SliderPositionAt(int x)
{
    const int along = std::clamp(x - kSliderLeft - 8, 0, 86);
    return (along * 100 + 43) / 86;
}

inline int SliderPosition(float value)
{
    return static_cast<int>(std::lround(value * 100.0f));
}

class X11EditorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!DisplayAvailable())
            GTEST_SKIP() << "no X display; ctest runs these under xvfb-run";
        ASSERT_TRUE(connection.Open());
        errorsAtStart = ErrorsSeen();
    }

    void TearDown() override
    {
        EXPECT_EQ(ErrorsSeen(), errorsAtStart) << "an X error reached the host's handler";
    }

    // A control's centre on the screen, from its rectangle in dialog units, for a panel whose
    // host window lies at (hostX, hostY).
    static void Centre(int hostX, int hostY, int x, int y, int width, int height, int& screenX,
                       int& screenY)
    {
        screenX = hostX + UnitsToPixelsX(x) + UnitsToPixelsX(width) / 2;
        screenY = hostY + UnitsToPixelsY(y) + UnitsToPixelsY(height) / 2;
    }

    Connection connection;
    int errorsAtStart = 0;
};

// The editor open in a top-level window of the test host's own; closed and the window destroyed
// after the test.
class OpenEditorTest : public X11EditorTest
{
protected:
    OpenEditorTest(int x, int y, int width = kPanelWidth, int height = kPanelHeight)
        : hostX(x), hostY(y), hostWidth(width), hostHeight(height)
    {
    }

    void SetUp() override
    {
        X11EditorTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ASSERT_TRUE(editor.Ready());
        host = connection.CreateTopLevel(hostX, hostY, hostWidth, hostHeight);
        ASSERT_EQ(editor.Open(host), 1);
        editor.Idle();
    }

    void TearDown() override
    {
        if (host != 0)
        {
            editor.Close();
            connection.Destroy(host);
        }
        X11EditorTest::TearDown();
    }

    const int hostX;
    const int hostY;
    const int hostWidth;
    const int hostHeight;
    EditorHost editor;
    XWindow host = 0;
};

// A plug-in host embedding the editor: its top-level window at (kHostX, kHostY), made before Load
// and destroyed after Unload, and its idle loop.
class EmbeddingHostTest : public X11EditorTest
{
protected:
    static constexpr int kHostX = 60;
    static constexpr int kHostY = 40;

    // The plug-in's side, loaded once the host window stands and released before it goes.
    virtual void Load() = 0;
    virtual void Unload() = 0;
    // One turn of the host's idle work.
    virtual void Idle() = 0;

    void SetUp() override
    {
        X11EditorTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        host = connection.CreateTopLevel(kHostX, kHostY, 460, 400);
        Load();
    }

    void TearDown() override
    {
        Unload();
        if (host != 0)
            connection.Destroy(host);
        X11EditorTest::TearDown();
    }

    // Idles every 10 ms until condition holds, for 2 s at most.
    bool IdleUntil(const std::function<bool()>& condition)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (std::chrono::steady_clock::now() < end)
        {
            Idle();
            if (condition())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    XWindow host = 0;
};

} // namespace X11Test
