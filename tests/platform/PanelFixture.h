#pragma once

// A dialog built from a template of the embedded script, with a procedure that records the
// notifications its controls send.

#include "platform/Headless.h"
#include "platform/MessagePump.h"
#include "platform/Win32.h"

#include <gtest/gtest.h>

#include <vector>

namespace PlatformTest
{

struct Recorded
{
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

inline std::vector<Recorded>& Log()
{
    static std::vector<Recorded> log;
    return log;
}

inline INT_PTR CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
        Log().push_back({window, message, wParam, lParam});
        return TRUE;
    default:
        if (message >= WM_APP)
        {
            Log().push_back({window, message, wParam, lParam});
            return TRUE;
        }
        return FALSE;
    }
}

// The notification codes (high word of wParam) of recorded WM_COMMAND messages from one control.
inline std::vector<int> CommandCodes(int controlId)
{
    std::vector<int> codes;
    for (const Recorded& entry : Log())
    {
        if (entry.message == WM_COMMAND && LOWORD(entry.wParam) == controlId)
        {
            codes.push_back(HIWORD(entry.wParam));
        }
    }
    return codes;
}

inline const HINSTANCE kInstance = reinterpret_cast<HINSTANCE>(static_cast<std::uintptr_t>(0x4000));

class PanelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Kestrune::Platform::Headless::IsActive());
        Kestrune::Platform::Headless::DiscardPendingEvents();
        host = Kestrune::Platform::Headless::CreateHostWindow(391, 348);
        panel = CreateDialogParamA(kInstance, MAKEINTRESOURCEA(101), host, RecordingProc, 0);
        ASSERT_NE(panel, nullptr);
        ShowWindow(panel, SW_SHOWNORMAL);
        Kestrune::Platform::PumpMessages();
        Log().clear();
    }

    void TearDown() override
    {
        Kestrune::Platform::Headless::DiscardPendingEvents();
        DestroyWindow(host);
        Kestrune::Platform::PumpMessages();
        Log().clear();
    }

    HWND Item(int id) const { return GetDlgItem(panel, id); }

    HWND host = nullptr;
    HWND panel = nullptr;
};

} // namespace PlatformTest
