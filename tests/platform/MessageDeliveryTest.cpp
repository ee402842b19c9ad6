#include "PanelFixture.h"

#include <thread>

using namespace PlatformTest;
using Kestrune::Platform::PumpMessages;

TEST_F(PanelTest, SendMessageCallsTheProcedureAtOncePostMessageWaitsForThePump)
{
    EXPECT_EQ(SendMessageA(panel, WM_APP + 2, 7, 8), TRUE);
    ASSERT_EQ(Log().size(), 1u);
    EXPECT_EQ(Log()[0].wParam, 7u);

    Log().clear();
    EXPECT_TRUE(PostMessageA(panel, WM_APP + 1, 1, 10));
    EXPECT_TRUE(PostMessageA(panel, WM_APP + 1, 2, 20));
    EXPECT_TRUE(PostMessageA(panel, WM_APP + 1, 3, 30));
    EXPECT_TRUE(Log().empty());
    PumpMessages();
    ASSERT_EQ(Log().size(), 3u);
    for (std::size_t i = 0; i < 3; ++i)
    {
        EXPECT_EQ(Log()[i].message, static_cast<UINT>(WM_APP + 1));
        EXPECT_EQ(Log()[i].wParam, i + 1);
        EXPECT_EQ(Log()[i].lParam, static_cast<LPARAM>(10 * (i + 1)));
    }
    PumpMessages();
    EXPECT_EQ(Log().size(), 3u);
}

TEST_F(PanelTest, PostedMessagesDieWithTheirWindow)
{
    EXPECT_TRUE(PostMessageA(panel, WM_APP + 1, 5, 0));
    const HWND old = panel;
    DestroyWindow(panel);
    EXPECT_FALSE(PostMessageA(old, WM_APP + 1, 6, 0));
    panel = CreateDialogParamA(kInstance, MAKEINTRESOURCEA(101), host, RecordingProc, 0);
    ASSERT_NE(panel, old);
    PumpMessages();
    EXPECT_TRUE(Log().empty());
}

TEST_F(PanelTest, StaleNullAndForgedHandlesAreHarmless)
{
    const HWND stale = panel;
    DestroyWindow(host);
    host = nullptr;
    const HWND forged = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0xDEADBEEF));
    for (const HWND window : {stale, static_cast<HWND>(nullptr), forged})
    {
        RECT rect{1, 2, 3, 4};
        PAINTSTRUCT paint{};
        char text[8] = "x";
        EXPECT_FALSE(IsWindow(window));
        EXPECT_EQ(SendMessageA(window, BM_CLICK, 0, 0), 0);
        EXPECT_FALSE(PostMessageA(window, WM_APP + 1, 0, 0));
        EXPECT_EQ(GetDlgItem(window, 1027), nullptr);
        EXPECT_EQ(GetDlgCtrlID(window), 0);
        EXPECT_EQ(GetWindowLongPtrA(window, GWLP_USERDATA), 0);
        EXPECT_EQ(SetWindowLongPtrA(window, GWLP_USERDATA, 5), 0);
        EXPECT_FALSE(ShowWindow(window, SW_SHOWNORMAL));
        EXPECT_FALSE(UpdateWindow(window));
        EXPECT_FALSE(DestroyWindow(window));
        EXPECT_FALSE(EndDialog(window, 1));
        EXPECT_FALSE(GetClientRect(window, &rect));
        EXPECT_EQ(GetParent(window), nullptr);
        EXPECT_EQ(GetWindowTextA(window, text, sizeof text), 0);
        EXPECT_EQ(BeginPaint(window, &paint), nullptr);
        EXPECT_EQ(CreateStatusWindowA(WS_CHILD, "x", window, 1), nullptr);
    }
    PumpMessages();
}

TEST_F(PanelTest, OtherThreadsPostWithoutLosingOrder)
{
    constexpr int kThreads = 4;
    constexpr int kEach = 500;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
    {
        threads.emplace_back(
            [this, t]
            {
                for (int i = 0; i < kEach; ++i)
                {
                    while (!PostMessageA(panel, WM_APP + 3, static_cast<WPARAM>(t), i))
                    {
                        std::this_thread::yield();
                    }
                }
            });
    }
    for (auto& thread : threads)
    {
        thread.join();
    }
    PumpMessages();
    ASSERT_EQ(Log().size(), static_cast<std::size_t>(kThreads * kEach));
    std::vector<LPARAM> next(kThreads, 0);
    for (const Recorded& entry : Log())
    {
        ASSERT_LT(entry.wParam, static_cast<WPARAM>(kThreads));
        EXPECT_EQ(entry.lParam, next[entry.wParam]++);
    }
}

TEST_F(PanelTest, AFullQueueRefusesPostsAndRecovers)
{
    int accepted = 0;
    bool refused = false;
    for (int i = 0; i < 10000 && !refused; ++i)
    {
        if (PostMessageA(panel, WM_APP + 4, 0, i))
            ++accepted;
        else
            refused = true;
    }
    EXPECT_TRUE(refused);
    PumpMessages();
    EXPECT_EQ(Log().size(), static_cast<std::size_t>(accepted));
    Log().clear();
    EXPECT_TRUE(PostMessageA(panel, WM_APP + 4, 0, 0));
    PumpMessages();
    EXPECT_EQ(Log().size(), 1u);
}

TEST_F(PanelTest, DialogKeepsInstanceUserDataAndIds)
{
    EXPECT_EQ(GetWindowLongPtrA(panel, GWLP_HINSTANCE), reinterpret_cast<LONG_PTR>(kInstance));
    int marker = 0;
    SetWindowLongPtrA(panel, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&marker));
    EXPECT_EQ(GetWindowLongPtrA(panel, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&marker));
    EXPECT_EQ(GetParent(panel), host);
    EXPECT_EQ(GetParent(Item(1028)), panel);
    EXPECT_EQ(GetDlgCtrlID(Item(1028)), 1028);
    char text[32];
    EXPECT_EQ(GetWindowTextA(Item(1032), text, sizeof text), 12);
    EXPECT_STREQ(text, "Sync Enabled");
    EXPECT_EQ(GetWindowTextA(Item(1032), text, 5), 4);
    EXPECT_STREQ(text, "Sync");
    EXPECT_EQ(GetDlgItem(panel, 4242), nullptr);
}

TEST(Dialogs, UnknownTemplateIsRefused)
{
    EXPECT_EQ(CreateDialogParamA(nullptr, MAKEINTRESOURCEA(999), nullptr, RecordingProc, 0),
              nullptr);
    EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(999), nullptr, RecordingProc, 0), -1);
    EXPECT_EQ(CreateDialogParamA(nullptr, "NoSuchDialog", nullptr, RecordingProc, 0), nullptr);
}
