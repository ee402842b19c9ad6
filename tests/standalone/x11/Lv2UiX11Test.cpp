// The LV2 edition's editor (ui:X11UI) as an LV2 host embeds it: the UI binary loaded by the
// host library, lv2ui_descriptor, the host's window as ui:parent, ui:resize, idle calls; clicks go
// out as port writes and port events come back into the panel.
#include "X11Fixture.h"

#include "hostkit/Library.h"

#include <lv2/ui/ui.h>

#include <memory>
#include <utility>
#include <vector>

namespace
{
using namespace X11Test;

class Lv2UiHost : public EmbeddingHostTest
{
protected:
    void Load() override
    {
        // A library that does not load throws: gtest reports it as the failure.
        module = std::make_unique<HostKit::Library>(CORVANE_LV2_UI_MODULE);
        const auto entry = reinterpret_cast<const LV2UI_Descriptor* (*)(std::uint32_t)>(
            module->Symbol("lv2ui_descriptor"));
        ASSERT_NE(entry, nullptr);
        descriptor = entry(0);
        ASSERT_NE(descriptor, nullptr);
        EXPECT_EQ(entry(1), nullptr);
    }

    void Unload() override
    {
        if (ui != nullptr)
            descriptor->cleanup(ui);
        module.reset();
    }

    void Idle() override
    {
        const auto idle = static_cast<const LV2UI_Idle_Interface*>(
            descriptor->extension_data(LV2_UI__idleInterface));
        EXPECT_EQ(idle->idle(ui), 0);
    }

    void Open()
    {
        parentFeature = {LV2_UI__parent, reinterpret_cast<void*>(host)};
        resizeFeature = {LV2_UI__resize, &resize};
        const LV2_Feature* features[] = {&parentFeature, &resizeFeature, &idleFeature, nullptr};
        ui = descriptor->instantiate(descriptor, "urn:corvane:phaser", CORVANE_LV2_BUNDLE, &Write,
                                     this, &widget, features);
    }

    bool Wrote(std::uint32_t port, float value) const
    {
        for (const auto& write : writes)
            if (write.first == port && write.second == value)
                return true;
        return false;
    }

    void SendPort(std::uint32_t port, float value)
    {
        descriptor->port_event(ui, port, sizeof value, 0, &value);
    }

    static void Write(LV2UI_Controller controller, std::uint32_t port, std::uint32_t size,
                      std::uint32_t protocol, const void* buffer)
    {
        auto* self = static_cast<Lv2UiHost*>(controller);
        if (size == sizeof(float) && protocol == 0)
            self->writes.emplace_back(port, *static_cast<const float*>(buffer));
    }

    static int Resize(LV2UI_Feature_Handle handle, int width, int height)
    {
        static_cast<Lv2UiHost*>(handle)->size = {width, height};
        return 0;
    }

    std::unique_ptr<HostKit::Library> module;
    const LV2UI_Descriptor* descriptor = nullptr;
    LV2UI_Handle ui = nullptr;
    LV2UI_Widget widget = nullptr;
    LV2UI_Resize resize{this, &Resize};
    LV2_Feature parentFeature{};
    LV2_Feature resizeFeature{};
    LV2_Feature idleFeature{LV2_UI__idleInterface, nullptr};
    std::pair<int, int> size{0, 0};
    std::vector<std::pair<std::uint32_t, float>> writes;
};

TEST_F(Lv2UiHost, EmbedsThePanelAndTellsItsSize)
{
    Open();
    ASSERT_NE(ui, nullptr);
    const auto panel = reinterpret_cast<XWindow>(widget);
    const std::vector<XWindow> children = connection.Children(host);
    EXPECT_NE(std::find(children.begin(), children.end(), panel), children.end());
    EXPECT_EQ(size, std::make_pair(kPanelWidth, kPanelHeight));
    EXPECT_TRUE(IdleUntil([&] { return connection.Viewable(panel); }));
}

TEST_F(Lv2UiHost, ClicksWritePortsAndPortEventsMoveTheControls)
{
    Open();
    ASSERT_NE(ui, nullptr);
    int x = 0, y = 0;
    Centre(kHostX, kHostY, 100, 29, 60, 10, x, y); // "Sync Enabled"
    ASSERT_TRUE(IdleUntil([&] { return connection.Viewable(reinterpret_cast<XWindow>(widget)); }));
    connection.Click(x, y);
    ASSERT_TRUE(IdleUntil([&] { return Wrote(2, 1.0f); }));

    // The host turns it off again: nothing is written back, and the next click turns it on.
    writes.clear();
    SendPort(2, 0.0f);
    SendPort(8, 900.0f);
    int idles = 0;
    IdleUntil([&] { return ++idles == 3; }); // the panel shows the host's values
    EXPECT_TRUE(writes.empty());
    connection.Click(x, y);
    ASSERT_TRUE(IdleUntil([&] { return Wrote(2, 1.0f); }));
    EXPECT_FALSE(Wrote(8, 900.0f));
}

TEST_F(Lv2UiHost, RefusedWithoutAParentWindow)
{
    const LV2_Feature* none[] = {nullptr};
    EXPECT_EQ(descriptor->instantiate(descriptor, "urn:corvane:phaser", CORVANE_LV2_BUNDLE, &Write,
                                      this, &widget, none),
              nullptr);
}

} // namespace
