// The window system of this process (the test links the library) with both backends at once:
// headless windows for its own parents, X11 windows for native ones.
#include "X11Fixture.h"

#include "platform/Backend.h"
#include "platform/Headless.h"
#include "platform/MessagePump.h"
#include "platform/Win32.h"
#include "platform/X11ErrorGuard.h"

#include <chrono>
#include <thread>

namespace X11Test
{
namespace
{

using Kestrune::Platform::X11ErrorGuard;

INT_PTR CALLBACK PanelProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

HWND AsHandle(XWindow window)
{
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window));
}

HWND CreatePanel(HWND parent)
{
    HWND panel = CreateDialogParamA(nullptr, MAKEINTRESOURCEA(101), parent, PanelProc, 0);
    if (panel != nullptr)
    {
        ShowWindow(panel, SW_SHOWNORMAL);
        UpdateWindow(panel);
    }
    return panel;
}

// The "Enabled" check box of a panel.
bool Checked(HWND panel)
{
    return SendMessageA(GetDlgItem(panel, 1027), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// Pumps for a while, as a host idles.
void PumpFor(std::chrono::milliseconds duration)
{
    const auto end = std::chrono::steady_clock::now() + duration;
    while (std::chrono::steady_clock::now() < end)
    {
        Kestrune::Platform::PumpMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

bool PumpUntil(const std::function<bool()>& condition)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!condition())
    {
        if (std::chrono::steady_clock::now() > end)
        {
            return false;
        }
        Kestrune::Platform::PumpMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

using InProcessBackends = X11EditorTest;

TEST_F(InProcessBackends, HeadlessAndX11WindowsLiveSideBySide)
{
    namespace Headless = Kestrune::Platform::Headless;
    ASSERT_TRUE(Headless::IsActive());
    const HWND headlessHost = Headless::CreateHostWindow(kPanelWidth, kPanelHeight);
    const HWND headlessPanel = CreatePanel(headlessHost);
    const XWindow nativeHost = connection.CreateTopLevel(30, 30, kPanelWidth, kPanelHeight);
    const HWND nativePanel = CreatePanel(AsHandle(nativeHost));
    ASSERT_NE(headlessPanel, nullptr);
    ASSERT_NE(nativePanel, nullptr);
    EXPECT_EQ(Kestrune::Platform::BackendOf(headlessPanel), &Kestrune::Platform::CurrentBackend());
    EXPECT_NE(Kestrune::Platform::BackendOf(nativePanel), &Kestrune::Platform::CurrentBackend());
    EXPECT_EQ(connection.Children(nativeHost).size(), 1u);
    EXPECT_TRUE(Headless::IsActive()) << "the headless backend stays the current one";

    // Input reaches each through its own backend.
    Headless::ClickItem(headlessPanel, 1027);
    Kestrune::Platform::PumpMessages();
    EXPECT_TRUE(Checked(headlessPanel));
    EXPECT_FALSE(Checked(nativePanel));
    int x = 0, y = 0;
    Centre(30, 30, 10, 8, 42, 10, x, y);
    connection.Click(x, y);
    EXPECT_TRUE(PumpUntil([&] { return Checked(nativePanel); }));

    DestroyWindow(nativePanel);
    DestroyWindow(headlessHost);
    Kestrune::Platform::PumpMessages();
    EXPECT_TRUE(connection.Children(nativeHost).empty());
    connection.Destroy(nativeHost);
}

// Once the server has reported the host's window destroyed, the backend makes no call on the
// windows that went with it; before that, the guard catches what those calls cause.
TEST_F(InProcessBackends, WindowsDestroyedWithTheHostsAreLeftAlone)
{
    const XWindow informed = connection.CreateTopLevel(30, 30, kPanelWidth, kPanelHeight);
    const HWND first = CreatePanel(AsHandle(informed));
    ASSERT_NE(first, nullptr);
    const XWindow uninformed = connection.CreateTopLevel(450, 30, kPanelWidth, kPanelHeight);
    const HWND second = CreatePanel(AsHandle(uninformed));
    ASSERT_NE(second, nullptr);
    Kestrune::Platform::PumpMessages();

    const unsigned long caught = X11ErrorGuard::ErrorsCaught();
    connection.Destroy(informed);
    PumpFor(std::chrono::milliseconds(100));
    InvalidateRect(first, nullptr, TRUE);
    UpdateWindow(first);
    ShowWindow(first, SW_HIDE);
    DestroyWindow(first);
    EXPECT_EQ(X11ErrorGuard::ErrorsCaught(), caught) << "requests on a destroyed window";

    connection.Destroy(uninformed);
    DestroyWindow(second); // no pump in between: the backend does not know yet
    EXPECT_GT(X11ErrorGuard::ErrorsCaught(), caught) << "the guard saw the error";
    Kestrune::Platform::PumpMessages();
}

} // namespace
} // namespace X11Test
