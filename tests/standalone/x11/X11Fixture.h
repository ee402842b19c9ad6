// Common ground of the X11 editor tests: skipped without a display, and no X error may reach the
// test's (the host's) handler during a test.
#pragma once

#include "X11TestHost.h"

#include <gtest/gtest.h>

namespace X11Test
{

class X11EditorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!DisplayAvailable())
        {
            GTEST_SKIP() << "no X display; ctest runs these under xvfb-run";
        }
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

} // namespace X11Test
