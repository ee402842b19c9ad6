// The modal About box as a transient top-level X window. The host's idle call runs the box's
// modal loop, so a second thread (with its own connection) plays the user while it is up.
#include "X11Fixture.h"

#include <X11/keysym.h>

#include <atomic>
#include <chrono>
#include <ctime>
#include <thread>

namespace X11Test
{
namespace
{

constexpr int kHostX = 60;
constexpr int kHostY = 50;

double ProcessSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// What the user thread saw of the box.
struct Sighting
{
    XWindow window = 0;
    XWindow transientFor = 0;
    std::string title;
    bool deleteProtocol = false;
    bool focused = false;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

enum class Answer
{
    ClickOk,
    DeleteThenEnter
};

class AboutBox : public X11EditorTest
{
protected:
    void SetUp() override
    {
        X11EditorTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
        {
            return;
        }
        ASSERT_TRUE(editor.Ready());
        host = connection.CreateTopLevel(kHostX, kHostY, kPanelWidth, kPanelHeight);
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

    // Presses About and idles: the idle call returns once the user thread has closed the box.
    void RunAboutBox(Answer answer)
    {
        std::atomic<bool> done{false};
        std::thread user([&] { PlayUser(answer, done); });
        int x = 0, y = 0;
        Centre(kHostX, kHostY, 145, 173, 50, 14, x, y);
        connection.Click(x, y);
        IdleUntil(editor, [&] { return done.load(); });
        user.join();
    }

    void PlayUser(Answer answer, std::atomic<bool>& done)
    {
        Connection user;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (sighting.window == 0 && std::chrono::steady_clock::now() < deadline)
        {
            for (const XWindow window : user.Children(user.Root()))
            {
                if (user.Viewable(window) && user.TransientFor(window) == host)
                {
                    sighting.window = window;
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (sighting.window != 0)
        {
            sighting.transientFor = user.TransientFor(sighting.window);
            sighting.title = user.Title(sighting.window);
            sighting.deleteProtocol = user.HasDeleteProtocol(sighting.window);
            user.Geometry(sighting.window, sighting.x, sighting.y, sighting.width, sighting.height);
            for (int i = 0; i < 100 && user.FocusWindow() != sighting.window; ++i)
            {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            sighting.focused = user.FocusWindow() == sighting.window;
        }
        if (answer == Answer::DeleteThenEnter && sighting.window != 0)
        {
            user.SendDelete(sighting.window);
            // Time enough for the box to react, and to see whether its loop spins meanwhile.
            const double cpuBefore = ProcessSeconds();
            const auto wallBefore = std::chrono::steady_clock::now();
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            cpuWhileOpen = ProcessSeconds() - cpuBefore;
            wallWhileOpen =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore)
                    .count();
            stillOpenAfterDelete = user.Viewable(sighting.window);
            user.Key(XK_Return);
        }
        else
        {
            // OK: 67, 55, 50, 14 dialog units in the box (its client area starts at its origin).
            user.Click(sighting.x + UnitsToPixelsX(67) + UnitsToPixelsX(50) / 2,
                       sighting.y + UnitsToPixelsY(55) + UnitsToPixelsY(14) / 2);
        }
        done = true;
    }

    EditorHost editor;
    XWindow host = 0;
    Sighting sighting;
    bool stillOpenAfterDelete = false;
    double cpuWhileOpen = 0.0;
    double wallWhileOpen = 0.0;
};

TEST_F(AboutBox, IsATransientDialogOfTheHostThatClosesWithOk)
{
    const float enabled = editor.Parameter(5);
    RunAboutBox(Answer::ClickOk);
    ASSERT_NE(sighting.window, 0u) << "no About box appeared";
    EXPECT_EQ(sighting.title, "About Corvane Phaser");
    EXPECT_EQ(sighting.transientFor, host);
    EXPECT_TRUE(sighting.deleteProtocol);
    EXPECT_EQ(sighting.width, UnitsToPixelsX(186));
    EXPECT_EQ(sighting.height, UnitsToPixelsY(76));
    EXPECT_TRUE(sighting.focused) << "the box takes the keyboard without a window manager";
    EXPECT_FALSE(connection.Exists(sighting.window)) << "the box is gone after OK";

    // Back to the panel, which still takes input.
    EXPECT_EQ(editor.Parameter(5), enabled);
    int x = 0, y = 0;
    Centre(kHostX, kHostY, 10, 8, 42, 10, x, y);
    connection.Click(x, y);
    EXPECT_TRUE(IdleUntil(editor, [&] { return editor.Parameter(5) != enabled; }));
}

TEST_F(AboutBox, IgnoresTheWindowManagersCloseClosesWithEnterAndWaitsWithoutSpinning)
{
    RunAboutBox(Answer::DeleteThenEnter);
    ASSERT_NE(sighting.window, 0u) << "no About box appeared";
    EXPECT_TRUE(stillOpenAfterDelete) << "WM_DELETE_WINDOW does nothing";
    EXPECT_FALSE(connection.Exists(sighting.window)) << "Enter pressed OK";
    // A loop that spun would use one core for the whole wait; one that blocks on the
    // connection (and wakes for posted messages) uses a small part of it.
    EXPECT_LT(cpuWhileOpen, 0.5 * wallWhileOpen);
    RecordProperty("AboutLoopCpuFraction", std::to_string(cpuWhileOpen / wallWhileOpen));
}

} // namespace
} // namespace X11Test
