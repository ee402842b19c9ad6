// Input that a backend attributes to a surface (native backends know which window an event came
// from): keys stay with their surface, and a surface that loses the display's focus takes it
// from its control and gives it back on return.
#include "PanelFixture.h"

#include "platform/HeadlessBackend.h"
#include "platform/WindowTable.h"

using namespace PlatformTest;
using Kestrune::Platform::InputSink;
using Kestrune::Platform::PumpMessages;

namespace
{

void Deliver(const Kestrune::Platform::HeadlessBackend::Event& event)
{
    auto* backend =
        dynamic_cast<Kestrune::Platform::HeadlessBackend*>(&Kestrune::Platform::CurrentBackend());
    ASSERT_NE(backend, nullptr);
    backend->Inject(event);
    PumpMessages();
}

void Focus(HWND surface, bool focused)
{
    Deliver([=](InputSink& sink) { sink.FocusEvent(surface, focused); });
}

void Key(HWND surface, UINT key)
{
    Deliver(
        [=](InputSink& sink)
        {
            sink.KeyEvent(surface, key, true);
            sink.KeyEvent(surface, key, false);
        });
}

LRESULT Position(HWND slider)
{
    return SendMessageA(slider, TBM_GETPOS, 0, 0);
}

class TwoSurfaces : public PanelTest
{
protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        otherHost = Kestrune::Platform::Headless::CreateHostWindow(391, 348);
        otherPanel =
            CreateDialogParamA(kInstance, MAKEINTRESOURCEA(101), otherHost, RecordingProc, 0);
        ASSERT_NE(otherPanel, nullptr);
        ShowWindow(otherPanel, SW_SHOWNORMAL);
        slider = Item(1028);
        SendMessageA(slider, TBM_SETPOS, TRUE, 50);
        SetFocus(slider);
        PumpMessages();
    }

    void TearDown() override
    {
        DestroyWindow(otherHost);
        PanelTest::TearDown();
    }

    HWND otherHost = nullptr;
    HWND otherPanel = nullptr;
    HWND slider = nullptr;
};

} // namespace

TEST_F(TwoSurfaces, KeysStayWithTheSurfaceTheyArrivedOn)
{
    Key(otherHost, VK_RIGHT);
    EXPECT_EQ(Position(slider), 50) << "another surface's key never reaches this focus";
    Key(host, VK_RIGHT);
    EXPECT_EQ(Position(slider), 51);
    Key(nullptr, VK_RIGHT); // no surface (the headless driver): the focus, as before
    EXPECT_EQ(Position(slider), 52);
}

TEST_F(TwoSurfaces, KeysOnASurfaceDisabledByAModalBoxGoToTheFocus)
{
    EnableWindow(otherHost, FALSE);
    Key(otherHost, VK_RIGHT);
    EXPECT_EQ(Position(slider), 51);
    EnableWindow(otherHost, TRUE);
}

TEST_F(TwoSurfaces, LosingTheDisplaysFocusTakesItFromTheControlUntilItReturns)
{
    Focus(host, false);
    EXPECT_EQ(GetFocus(), nullptr);
    Key(host, VK_RIGHT);
    EXPECT_EQ(Position(slider), 50) << "keys reach the panel, not the control";
    Focus(otherHost, true);
    Focus(otherHost, false);
    EXPECT_EQ(GetFocus(), nullptr) << "nothing of the other surface had the focus";
    Focus(host, true);
    EXPECT_EQ(GetFocus(), slider);
    Key(host, VK_RIGHT);
    EXPECT_EQ(Position(slider), 51);
}

TEST_F(TwoSurfaces, FocusTakenElsewhereMeanwhileIsKept)
{
    Focus(host, false);
    SetFocus(GetDlgItem(otherPanel, 1027));
    Focus(host, true);
    EXPECT_EQ(GetFocus(), GetDlgItem(otherPanel, 1027));
}

TEST(WindowHandles, NeverLookLikeX11WindowIds)
{
    const HWND host = Kestrune::Platform::Headless::CreateHostWindow(10, 10);
    ASSERT_NE(host, nullptr);
    EXPECT_GE(reinterpret_cast<std::uintptr_t>(host),
              Kestrune::Platform::WindowTable::kSmallestHandle);
    // X11 resource ids have 29 bits: even the largest is no window of ours.
    EXPECT_FALSE(IsWindow(reinterpret_cast<HWND>(std::uintptr_t{0x1FFFFFFF})));
    DestroyWindow(host);
}
