// Built only into CorvanePhaserHeadlessTest.so: exports the driver table over the module's own
// window system (see HeadlessDriver.h).
#include "support/HeadlessDriver.h"

#include "platform/Headless.h"
#include "platform/HeadlessBackend.h"
#include "platform/MessagePump.h"
#include "platform/UiScale.h"
#include "platform/WindowSystem.h"

namespace
{

namespace Headless = Kestrune::Platform::Headless;
using Kestrune::Platform::FindWindowState;
using TestSupport::HeadlessDriver;
using TestSupport::MessageSpy;

const std::vector<HWND>* ChildrenOf(HWND window)
{
    const Kestrune::Platform::Window* state = FindWindowState(window);
    return state != nullptr ? &state->children : nullptr;
}

HeadlessDriver MakeDriver()
{
    HeadlessDriver driver{};
    driver.version = HeadlessDriver::kVersion;
    driver.CreateHostWindow = &Headless::CreateHostWindow;
    driver.Click = [](HWND window, int x, int y) { Headless::Click(window, x, y); };
    driver.ClickItem = &Headless::ClickItem;
    driver.ClickScreen = &Headless::ClickScreen;
    driver.Drag = &Headless::Drag;
    driver.MouseDown = [](HWND window, int x, int y) { Headless::MouseDown(window, x, y); };
    driver.MouseUp = [](HWND window, int x, int y) { Headless::MouseUp(window, x, y); };
    driver.MouseMove = &Headless::MouseMove;
    driver.PressKey = &Headless::PressKey;
    driver.KeyDown = &Headless::KeyDown;
    driver.KeyUp = &Headless::KeyUp;
    driver.TypeText = [](const char* text) { Headless::TypeText(text != nullptr ? text : ""); };
    driver.SetModalIdleLimit = &Headless::SetModalIdleLimit;
    driver.PendingEvents = &Headless::PendingEvents;
    driver.DiscardPendingEvents = &Headless::DiscardPendingEvents;
    driver.ActiveWindow = &Headless::ActiveWindow;
    driver.WriteScreenshot = [](HWND window, const char* path)
    { return path != nullptr && Headless::WriteScreenshot(window, path); };
    driver.PumpMessages = &Kestrune::Platform::PumpMessages;
    driver.QueueCall = [](void (*call)(void*), void* context)
    {
        auto* backend = dynamic_cast<Kestrune::Platform::HeadlessBackend*>(
            &Kestrune::Platform::CurrentBackend());
        if (backend != nullptr && call != nullptr)
            backend->Inject([call, context](Kestrune::Platform::InputSink&) { call(context); });
    };
    driver.SetUiScale = &Kestrune::Platform::SetUiScaleOverride;

    driver.DestroyWindow = &::DestroyWindow;
    driver.GetDlgItem = &::GetDlgItem;
    driver.GetDlgCtrlID = &::GetDlgCtrlID;
    driver.GetParent = &::GetParent;
    driver.GetClientRect = &::GetClientRect;
    driver.IsWindow = &::IsWindow;
    driver.IsWindowVisible = &::IsWindowVisible;
    driver.IsWindowEnabled = &::IsWindowEnabled;
    driver.SendMessageA = &::SendMessageA;
    driver.PostMessageA = &::PostMessageA;
    driver.GetWindowTextA = &::GetWindowTextA;
    driver.GetFocus = &::GetFocus;
    driver.SetFocus = &::SetFocus;

    driver.ChildCount = [](HWND window)
    {
        const std::vector<HWND>* children = ChildrenOf(window);
        return children != nullptr ? static_cast<int>(children->size()) : 0;
    };
    driver.ChildAt = [](HWND window, int index) -> HWND
    {
        const std::vector<HWND>* children = ChildrenOf(window);
        if (children == nullptr || index < 0 || index >= static_cast<int>(children->size()))
            return nullptr;
        return (*children)[static_cast<std::size_t>(index)];
    };

    driver.Watch = &MessageSpy::Watch;
    driver.SpiedCount = &MessageSpy::Count;
    driver.SpiedAt = &MessageSpy::At;
    driver.ClearSpied = &MessageSpy::Clear;
    return driver;
}

} // namespace

extern "C" __attribute__((visibility("default"))) const HeadlessDriver* CorvaneHeadlessDriver()
{
    static const HeadlessDriver driver = MakeDriver();
    return &driver;
}
