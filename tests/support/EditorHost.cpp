#include "support/EditorHost.h"

#include <cstdint>
#include <cstring>

namespace TestSupport
{

const char* HeadlessTestModulePath()
{
#ifdef CORVANE_HEADLESS_TEST_MODULE
    return CORVANE_HEADLESS_TEST_MODULE;
#else
    return "CorvanePhaserHeadlessTest.so";
#endif
}

EditorHost::EditorHost(double scale) : plugin(HeadlessTestModulePath())
{
    if (!plugin.Loaded())
        return;
    const auto entry =
        reinterpret_cast<CorvaneHeadlessDriverFunction>(plugin.Symbol("CorvaneHeadlessDriver"));
    if (entry == nullptr || entry()->version != HeadlessDriver::kVersion)
        return;
    driver = entry();
    // Not the developer's desktop setting: every test says its factor.
    driver->SetUiScale(scale);
    if (plugin.Create() == nullptr)
        return;
    driver->DiscardPendingEvents();
    driver->SetModalIdleLimit(1000);
    ERect* rect = nullptr;
    if (plugin.Dispatch(effEditGetRect, 0, 0, &rect) == 1 && rect != nullptr)
        parent = driver->CreateHostWindow(rect->right - rect->left, rect->bottom - rect->top);
}

EditorHost::~EditorHost()
{
    plugin.Close();
    if (driver != nullptr)
    {
        driver->DiscardPendingEvents();
        driver->ClearSpied();
        if (parent != nullptr)
            driver->DestroyWindow(parent);
        driver->PumpMessages();
    }
}

VstIntPtr EditorHost::Open()
{
    return plugin.Dispatch(effEditOpen, 0, 0, parent);
}

HWND EditorHost::Panel() const
{
    return driver->ChildAt(parent, 0);
}

HWND EditorHost::Item(int controlId) const
{
    return driver->GetDlgItem(Panel(), controlId);
}

int EditorHost::SliderPosition(int controlId) const
{
    return static_cast<int>(driver->SendMessageA(Item(controlId), TBM_GETPOS, 0, 0));
}

int EditorHost::Selection(int controlId) const
{
    return static_cast<int>(driver->SendMessageA(Item(controlId), CB_GETCURSEL, 0, 0));
}

bool EditorHost::Checked(int controlId) const
{
    return driver->SendMessageA(Item(controlId), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

std::string EditorHost::StatusText() const
{
    char text[256] = {};
    driver->SendMessageA(Item(10000), SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    return text;
}

std::string EditorHost::WindowText(HWND window) const
{
    char text[256] = {};
    driver->GetWindowTextA(window, text, sizeof text);
    return text;
}

std::vector<float> EditorHost::Automation(int index) const
{
    std::vector<float> values;
    for (const auto& [parameter, value] : plugin.automation)
        if (parameter == index)
            values.push_back(value);
    return values;
}

void EditorHost::WatchPanel()
{
    driver->Watch(Panel());
    driver->ClearSpied();
}

std::vector<SpiedMessage> EditorHost::Spied() const
{
    std::vector<SpiedMessage> messages;
    const std::size_t count = driver->SpiedCount();
    for (std::size_t i = 0; i < count; ++i)
        messages.push_back(driver->SpiedAt(i));
    return messages;
}

std::vector<std::pair<int, float>> EditorHost::ParameterUpdates() const
{
    std::vector<std::pair<int, float>> updates;
    for (const SpiedMessage& message : Spied())
    {
        if (message.message != WM_APP + 1)
            continue;
        const auto bits = static_cast<std::uint32_t>(message.lParam);
        float value;
        std::memcpy(&value, &bits, sizeof value);
        updates.emplace_back(static_cast<int>(message.wParam), value);
    }
    return updates;
}

} // namespace TestSupport
