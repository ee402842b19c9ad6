#include "support/EditorHost.h"
#include "support/PluginHost.h"

#include <gtest/gtest.h>

// The assembly installs the editor: the record says so and the rectangle is there before open.
TEST(EditorSmoke, RecordHasAnEditorWithItsRectangle)
{
    TestSupport::PluginHost host;
    ASSERT_NE(host.Create(), nullptr);
    EXPECT_EQ(host.Effect()->flags, 49);
    ERect* rect = nullptr;
    ASSERT_EQ(host.Dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, 348);
    EXPECT_EQ(rect->right, 391);
    host.Dispatch(effEditClose); // closing a closed editor is harmless
    host.Dispatch(effEditIdle);
}

// A child panel without a parent window would be open where nobody can see it; the host is told
// so, and a later open with a window works.
TEST(EditorSmoke, OpenWithoutAParentWindowIsRefused)
{
    TestSupport::EditorHost host;
    ASSERT_TRUE(host.Ready());
    EXPECT_EQ(host.plugin.Dispatch(effEditOpen, 0, 0, nullptr), 0);
    host.Idle();
    EXPECT_EQ(host.Panel(), nullptr);
    EXPECT_EQ(host.Open(), 1);
    EXPECT_NE(host.Panel(), nullptr);
}
