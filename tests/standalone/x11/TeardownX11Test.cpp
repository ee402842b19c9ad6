// Hosts destroy their window before or after closing the editor, close twice, pass ids that are
// no window, or run without a display: none of it may raise an X error in the host (the fixture
// counts them in the test's handler) or end the process.
#include "X11Fixture.h"
#include "phaser/Product.h"

#include <dirent.h>

#include <cstdlib>
#include <string>

namespace X11Test
{
namespace Product = Kestrune::Product;

namespace
{

class EditorTeardown : public X11EditorTest
{
protected:
    // A new host window with the editor open in it, idled once.
    XWindow OpenInNewWindow(EditorHost& editor)
    {
        const XWindow window = connection.CreateTopLevel(30, 30, kPanelWidth, kPanelHeight);
        EXPECT_EQ(editor.Open(window), 1);
        editor.Idle();
        return window;
    }
};

int OpenFileDescriptors()
{
    int count = 0;
    if (DIR* folder = opendir("/proc/self/fd"))
    {
        while (readdir(folder) != nullptr)
        {
            ++count;
        }
        closedir(folder);
    }
    return count;
}

TEST_F(EditorTeardown, HostDestroysItsWindowThenClosesAtOnceAndTwice)
{
    EditorHost editor;
    ASSERT_TRUE(editor.Ready());
    const XWindow host = OpenInNewWindow(editor);
    // No idle call between: the plug-in has not heard of the destruction when it closes.
    connection.Destroy(host);
    editor.Close();
    editor.Close();
    EXPECT_EQ(ErrorsSeen(), errorsAtStart);

    // The editor opens again into another window and works there.
    const XWindow next = connection.CreateTopLevel(30, 30, kPanelWidth, kPanelHeight);
    ASSERT_EQ(editor.Open(next), 1);
    editor.Idle(); // the controls take the model's values
    const float enabled = editor.Parameter(Product::kEnabled);
    int x = 0, y = 0;
    Centre(30, 30, 10, 8, 42, 10, x, y);
    connection.Click(x, y);
    EXPECT_TRUE(IdleUntil(editor, [&] { return editor.Parameter(Product::kEnabled) != enabled; }));
    editor.Close();
    connection.Destroy(next);
}

TEST_F(EditorTeardown, HostDestroysItsWindowAndKeepsIdlingAndChangingParameters)
{
    EditorHost editor;
    ASSERT_TRUE(editor.Ready());
    const XWindow host = OpenInNewWindow(editor);
    connection.Destroy(host);
    editor.Idle(5);
    // Repaints the panel (status bar, slider) that no longer has a window.
    editor.SetParameter(Product::kFeedback, 0.75f);
    editor.SetParameter(Product::kEnabled, 0.0f);
    editor.Idle(5);
    EXPECT_FLOAT_EQ(editor.Parameter(Product::kFeedback), 0.75f);
    editor.Close();
    editor.Idle();
    editor.Close();
}

TEST_F(EditorTeardown, HostDestroysTheTopLevelAboveItsEditorWindow)
{
    EditorHost editor;
    ASSERT_TRUE(editor.Ready());
    const XWindow top = connection.CreateTopLevel(30, 30, 500, 400);
    // Hosts often embed into a window of their own below the top-level.
    const XWindow parent = connection.CreateChild(top, 20, 10, kPanelWidth, kPanelHeight);
    ASSERT_EQ(editor.Open(parent), 1);
    editor.Idle();
    connection.Destroy(top);
    editor.Idle(3);
    editor.Close();
}

TEST_F(EditorTeardown, HostDestroysItsWindowAfterClose)
{
    EditorHost editor;
    ASSERT_TRUE(editor.Ready());
    const XWindow host = OpenInNewWindow(editor);
    editor.Close();
    EXPECT_TRUE(connection.Children(host).empty()) << "the panel's window is gone with close";
    connection.Destroy(host);
    editor.Idle();
}

TEST_F(EditorTeardown, AnIdThatIsNoWindowIsRefusedAndALaterOpenWorks)
{
    EditorHost editor;
    ASSERT_TRUE(editor.Ready());
    EXPECT_EQ(editor.Open(0x1FFFFFF0u), 0);
    EXPECT_EQ(ErrorsSeen(), errorsAtStart);
    const XWindow host = OpenInNewWindow(editor);
    EXPECT_EQ(connection.Children(host).size(), 1u);
    editor.Close();
    connection.Destroy(host);
}

TEST_F(EditorTeardown, WithoutADisplayOpenAnswersZeroAndALaterOpenWorks)
{
    EditorHost editor;
    ASSERT_TRUE(editor.Ready());
    const XWindow host = connection.CreateTopLevel(30, 30, kPanelWidth, kPanelHeight);
    const char* display = std::getenv("DISPLAY");
    ASSERT_NE(display, nullptr);
    const std::string saved = display;
    setenv("DISPLAY", ":4091", 1); // no server there
    EXPECT_EQ(editor.Open(host), 0);
    editor.Idle();
    editor.Close();
    setenv("DISPLAY", saved.c_str(), 1);
    EXPECT_EQ(editor.Open(host), 1);
    editor.Idle();
    EXPECT_EQ(connection.Children(host).size(), 1u);
    editor.Close();
    connection.Destroy(host);
}

// The plug-in's connection exists while an editor is open: one for all of them.
TEST_F(EditorTeardown, OneConnectionWhileEditorsAreOpenNoneAfterwards)
{
    EditorHost first;
    EditorHost second;
    ASSERT_TRUE(first.Ready() && second.Ready());
    const XWindow one = connection.CreateTopLevel(30, 30, kPanelWidth, kPanelHeight);
    const XWindow two = connection.CreateTopLevel(450, 30, kPanelWidth, kPanelHeight);
    // Once through, so that what stays open for good (font caches) is open.
    ASSERT_EQ(first.Open(one), 1);
    first.Idle();
    first.Close();

    const int baseline = OpenFileDescriptors();
    ASSERT_EQ(first.Open(one), 1);
    EXPECT_EQ(OpenFileDescriptors(), baseline + 1);
    ASSERT_EQ(second.Open(two), 1);
    EXPECT_EQ(OpenFileDescriptors(), baseline + 1) << "the editors share the connection";
    first.Idle();
    second.Idle();
    first.Close();
    EXPECT_EQ(OpenFileDescriptors(), baseline + 1);
    second.Close();
    EXPECT_EQ(OpenFileDescriptors(), baseline) << "closed with the last editor";
    connection.Destroy(one);
    connection.Destroy(two);
}

} // namespace
} // namespace X11Test
