#include "PanelFixture.h"

#include <chrono>

using namespace PlatformTest;
using Kestrune::Platform::PumpMessages;
namespace Headless = Kestrune::Platform::Headless;

namespace
{

struct AboutRecord
{
    std::vector<int> commands;
    std::string caption;
    LONG_PTR instance = 0;
    bool ownerEnabled = true;
    INT_PTR result = 0;
    int opened = 0;
};

AboutRecord& About()
{
    static AboutRecord record;
    return record;
}

// Like the plug-in's About box: only IDOK closes it.
INT_PTR CALLBACK AboutProc(HWND window, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG)
    {
        char caption[64] = {};
        GetWindowTextA(window, caption, sizeof caption);
        About().caption = caption;
        About().instance = GetWindowLongPtrA(window, GWLP_HINSTANCE);
        return TRUE;
    }
    if (message == WM_COMMAND)
    {
        About().commands.push_back(LOWORD(wParam));
        if (LOWORD(wParam) == IDOK)
        {
            EndDialog(window, 1);
            return TRUE;
        }
    }
    return FALSE;
}

// The panel opens the About box from its About button, as the editor does.
INT_PTR CALLBACK PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND && LOWORD(wParam) == 1000)
    {
        ++About().opened;
        const auto instance =
            reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
        About().ownerEnabled = true;
        About().result = DialogBoxParamA(instance, MAKEINTRESOURCEA(102), window, AboutProc, 0);
        return TRUE;
    }
    return RecordingProc(window, message, wParam, lParam);
}

class ModalTest : public PanelTest
{
protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        About() = AboutRecord{};
        DestroyWindow(panel);
        panel = CreateDialogParamA(kInstance, MAKEINTRESOURCEA(101), host, PanelProc, 0);
        ASSERT_NE(panel, nullptr);
        ShowWindow(panel, SW_SHOWNORMAL);
        PumpMessages();
    }

    void TearDown() override
    {
        Headless::SetModalIdleLimit(1000);
        PanelTest::TearDown();
    }
};

} // namespace

TEST_F(ModalTest, EnterPressesTheDefaultButtonEscapeDoesNotClose)
{
    SetFocus(Item(1027));
    Headless::ClickItem(panel, 1000);
    Headless::PressKey(VK_ESCAPE);
    Headless::PressKey(VK_RETURN);
    PumpMessages();
    EXPECT_EQ(About().opened, 1);
    EXPECT_EQ(About().caption, "About Corvane Phaser");
    EXPECT_EQ(About().instance, reinterpret_cast<LONG_PTR>(kInstance));
    // Escape reached the box as IDCANCEL and was ignored; Enter then closed it.
    EXPECT_EQ(About().commands, (std::vector<int>{IDCANCEL, IDOK}));
    EXPECT_EQ(About().result, 1);
    EXPECT_EQ(Headless::ActiveWindow(), host);
    EXPECT_TRUE(IsWindowEnabled(host));
    EXPECT_EQ(GetFocus(), Item(1000)); // back where the click left it
    EXPECT_EQ(Headless::PendingEvents(), 0u);
}

TEST_F(ModalTest, OkButtonClosesTheBox)
{
    Headless::ClickItem(panel, 1000);
    Headless::ClickItem(nullptr, IDOK); // the active window by then: the About box
    PumpMessages();
    EXPECT_EQ(About().commands, (std::vector<int>{IDOK}));
    EXPECT_EQ(About().result, 1);
}

TEST_F(ModalTest, OwnerTakesNoInputWhileTheBoxIsUp)
{
    const HWND box = Item(1027);
    Headless::ClickItem(panel, 1000);
    Headless::Click(box, 5, 5);
    Headless::PressKey(VK_RETURN);
    Headless::Click(box, 5, 5); // after the box closed: this one counts
    PumpMessages();
    EXPECT_EQ(About().result, 1);
    EXPECT_EQ(CommandCodes(1027), (std::vector<int>{BN_CLICKED}));
    EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_CHECKED);
}

TEST_F(ModalTest, ABoxNobodyAnswersIsAbandonedAfterTheIdleLimit)
{
    Headless::SetModalIdleLimit(50);
    Headless::ClickItem(panel, 1000);
    Headless::PressKey(VK_ESCAPE);
    const auto start = std::chrono::steady_clock::now();
    PumpMessages();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(About().commands, (std::vector<int>{IDCANCEL}));
    EXPECT_EQ(About().result, -1);
    EXPECT_EQ(Headless::ActiveWindow(), host);
}

TEST_F(ModalTest, PostedMessagesAreDispatchedDuringTheModalLoop)
{
    Headless::ClickItem(panel, 1000);
    PostMessageA(panel, WM_APP + 1, 9, 0);
    Headless::PressKey(VK_RETURN);
    PumpMessages();
    ASSERT_FALSE(Log().empty());
    EXPECT_EQ(Log().front().message, static_cast<UINT>(WM_APP + 1));
    EXPECT_EQ(About().result, 1);
}
