// The CLAP edition's editor as a CLAP host embeds it: the gui extension with the host's window
// as parent, idle work from the host's timer and the X connection's descriptor; a click and a
// slider drag reach the host as parameter events between gesture begin and end, and values the
// host sets move the panel without coming back.
#include "X11Fixture.h"

#include "hostkit/ClapHost.h"

#include <memory>

namespace
{
using namespace X11Test;
using Event = HostKit::ClapInstance::Event;

class ClapGuiHost : public EmbeddingHostTest
{
protected:
    void Load() override
    {
        module = std::make_unique<HostKit::ClapModule>(CORVANE_CLAP_BINARY);
        plugin = std::make_unique<HostKit::ClapInstance>(*module, "com.corvane.phaser");
        gui = plugin->Extension<clap_plugin_gui_t>(CLAP_EXT_GUI);
        ASSERT_NE(gui, nullptr);
    }

    void Unload() override
    {
        plugin.reset();
        module.reset();
    }

    void Idle() override { plugin->Idle(); }

    void Open()
    {
        const clap_plugin_t* p = plugin->Plugin();
        ASSERT_FALSE(gui->create(p, CLAP_WINDOW_API_X11, true)); // floating: not offered
        ASSERT_TRUE(gui->create(p, CLAP_WINDOW_API_X11, false));
        clap_window_t window{CLAP_WINDOW_API_X11, {}};
        window.x11 = host;
        ASSERT_TRUE(gui->set_parent(p, &window));
        ASSERT_TRUE(gui->show(p));
    }

    // Opens the panel and clicks "Sync Enabled"; the plug-in asks for a flush.
    void ClickSyncEnabled(XWindow& panel)
    {
        Open();
        panel = connection.Children(host).at(0);
        ASSERT_TRUE(IdleUntil([&] { return connection.Viewable(panel); }));
        Centre(kHostX, kHostY, 100, 29, 60, 10, syncX, syncY);
        connection.Click(syncX, syncY);
        ASSERT_TRUE(IdleUntil([&] { return plugin->flushRequests > 0; }));
    }

    int syncX = 0, syncY = 0; // where "Sync Enabled" was clicked

    // The events a flush brings now, as (type, id) and the last value sent.
    std::vector<std::pair<int, clap_id>> Flushed(double& value)
    {
        plugin->Flush();
        std::vector<std::pair<int, clap_id>> kinds;
        for (const Event& e : plugin->Sent())
        {
            const clap_id id =
                e.header.type == CLAP_EVENT_PARAM_VALUE ? e.param.param_id : e.gesture.param_id;
            kinds.emplace_back(e.header.type, id);
            if (e.header.type == CLAP_EVENT_PARAM_VALUE)
                value = e.param.value;
        }
        return kinds;
    }

    std::unique_ptr<HostKit::ClapModule> module;
    std::unique_ptr<HostKit::ClapInstance> plugin;
    const clap_plugin_gui_t* gui = nullptr;
};

TEST_F(ClapGuiHost, EmbedsThePanelWithTimerAndDescriptor)
{
    Open();
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    ASSERT_TRUE(gui->get_size(plugin->Plugin(), &width, &height));
    EXPECT_EQ(width, static_cast<std::uint32_t>(kPanelWidth));
    EXPECT_EQ(height, static_cast<std::uint32_t>(kPanelHeight));
    EXPECT_FALSE(gui->set_size(plugin->Plugin(), width + 10, height));
    EXPECT_EQ(plugin->Timers().size(), 1u);
    EXPECT_EQ(plugin->Fds().size(), 1u);
    ASSERT_EQ(connection.Children(host).size(), 1u);
    const XWindow panel = connection.Children(host)[0];
    EXPECT_TRUE(IdleUntil([&] { return connection.Viewable(panel); }));
    gui->destroy(plugin->Plugin());
    EXPECT_TRUE(plugin->Timers().empty() && plugin->Fds().empty());
    EXPECT_TRUE(connection.Children(host).empty());
}

TEST_F(ClapGuiHost, ClicksAndDragsAreGesturesAndHostValuesStayTheHosts)
{
    XWindow panel = 0;
    ClickSyncEnabled(panel);
    if (HasFatalFailure())
        return;
    double value = -1.0;
    using Kinds = std::vector<std::pair<int, clap_id>>;
    EXPECT_EQ(Flushed(value), (Kinds{{CLAP_EVENT_PARAM_GESTURE_BEGIN, 2},
                                     {CLAP_EVENT_PARAM_VALUE, 2},
                                     {CLAP_EVENT_PARAM_GESTURE_END, 2}}));
    EXPECT_EQ(value, 1.0);

    // The host turns it off: nothing comes back, and the next click turns it on again.
    plugin->AddParameter(0, 2, 0.0);
    EXPECT_TRUE(Flushed(value).empty());
    int idles = 0;
    IdleUntil([&] { return ++idles == 3; });
    connection.Click(syncX, syncY);
    ASSERT_TRUE(IdleUntil([&] { return plugin->flushRequests > 1; }));
    EXPECT_EQ(Flushed(value).size(), 3u);
    EXPECT_EQ(value, 1.0);

    // A drag of the feedback slider: one gesture around its values.
    connection.MoveTo(kHostX + ThumbX(0), kHostY + kSliderMiddle);
    connection.Press();
    for (int step = 1; step <= 4; ++step)
    {
        connection.MoveTo(kHostX + ThumbX(10 * step), kHostY + kSliderMiddle);
        IdleUntil([&] { return true; });
    }
    const Kinds during = Flushed(value);
    connection.Release();
    IdleUntil([&] { return true; });
    const Kinds after = Flushed(value);
    ASSERT_FALSE(during.empty());
    EXPECT_EQ(during.front(), std::make_pair(int{CLAP_EVENT_PARAM_GESTURE_BEGIN}, clap_id{6}));
    EXPECT_EQ(std::count(during.begin(), during.end(),
                         std::make_pair(int{CLAP_EVENT_PARAM_GESTURE_END}, clap_id{6})),
              0);
    EXPECT_EQ(after.back(), std::make_pair(int{CLAP_EVENT_PARAM_GESTURE_END}, clap_id{6}));
    EXPECT_NEAR(value, 0.95 * 0.4, 0.02);
}

// Mapped at show, not at set_parent (a host may embed before it shows), and unmapped at hide.
TEST_F(ClapGuiHost, ThePanelIsMappedAtShowAndUnmappedAtHide)
{
    const clap_plugin_t* p = plugin->Plugin();
    ASSERT_TRUE(gui->create(p, CLAP_WINDOW_API_X11, false));
    clap_window_t window{CLAP_WINDOW_API_X11, {}};
    window.x11 = host;
    ASSERT_TRUE(gui->set_parent(p, &window));
    ASSERT_EQ(connection.Children(host).size(), 1u);
    const XWindow panel = connection.Children(host)[0];
    int idles = 0;
    IdleUntil([&] { return ++idles == 5; });
    EXPECT_FALSE(connection.Viewable(panel));
    ASSERT_TRUE(gui->show(p));
    EXPECT_TRUE(IdleUntil([&] { return connection.Viewable(panel); }));
    ASSERT_TRUE(gui->hide(p));
    EXPECT_TRUE(IdleUntil([&] { return !connection.Viewable(panel); }));
}

// A host queue that takes one event a call: the click's gesture still arrives whole and in
// order, one event a flush.
TEST_F(ClapGuiHost, WhatTheHostsQueueRefusesStaysPending)
{
    XWindow panel = 0;
    ClickSyncEnabled(panel);
    if (HasFatalFailure())
        return;
    plugin->outputRoom = 1;
    double value = -1.0;
    using Kinds = std::vector<std::pair<int, clap_id>>;
    EXPECT_EQ(Flushed(value), (Kinds{{CLAP_EVENT_PARAM_GESTURE_BEGIN, 2}}));
    EXPECT_EQ(Flushed(value), (Kinds{{CLAP_EVENT_PARAM_VALUE, 2}}));
    EXPECT_EQ(value, 1.0);
    EXPECT_EQ(Flushed(value), (Kinds{{CLAP_EVENT_PARAM_GESTURE_END, 2}}));
    EXPECT_TRUE(Flushed(value).empty());
}

} // namespace
