// Drives the control panel as a user would: key presses on a slider, clicks on a check box and
// on About, and reads back the model, the host's automation and the status bar's text.
#include "WinEditorChecks.h"
#include "phaser/Product.h"

#include "gui/resource.h"

#include <windows.h>

#include <commctrl.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <utility>

namespace TestSupport
{
namespace Product = Kestrune::Product;

namespace
{

constexpr char kHostClass[] = "CorvaneWinHostEditor";
constexpr char kAboutTitle[] = "About Corvane Phaser";
constexpr UINT_PTR kAboutTimer = 1;

// What the timer saw of the About box while the panel's modal loop ran.
struct AboutBoxSeen
{
    bool found = false;
    std::string title;
};
AboutBoxSeen aboutSeen;

// Closes the About box with its OK button; runs inside the box's modal loop.
void CloseAboutBox(HWND host)
{
    HWND box = FindWindowA(nullptr, kAboutTitle);
    if (box == nullptr)
        return;
    KillTimer(host, kAboutTimer);
    char title[128] = {};
    GetWindowTextA(box, title, sizeof title);
    aboutSeen.found = true;
    aboutSeen.title = title;
    HWND ok = GetDlgItem(box, IDOK);
    if (ok != nullptr)
        SendMessageA(ok, BM_CLICK, 0, 0);
}

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER && wParam == kAboutTimer)
    {
        CloseAboutBox(window);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Dispatches this thread's messages for a bounded time.
void Pump(DWORD milliseconds)
{
    const DWORD begin = GetTickCount();
    do
    {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(5);
    } while (GetTickCount() - begin < milliseconds);
}

HWND CreateHostWindow(int width, int height)
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = HostWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kHostClass;
    RegisterClassA(&windowClass);
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT frame{0, 0, width, height};
    AdjustWindowRect(&frame, style, FALSE);
    return CreateWindowExA(0, kHostClass, "Corvane Phaser (WinHost)", style, 40, 40,
                           frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                           windowClass.hInstance, nullptr);
}

std::string StatusText(HWND panel)
{
    char text[256] = {};
    HWND bar = GetDlgItem(panel, IDC_STATUS_BAR);
    if (bar == nullptr)
        return "(no status bar)";
    const LRESULT length = SendMessageA(bar, SB_GETTEXTLENGTHA, 0, 0) & 0xFFFF;
    if (length >= static_cast<LRESULT>(sizeof text))
        return "(status text too long)";
    SendMessageA(bar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    return text;
}

std::string FontFace(HWND panel)
{
    const auto font = reinterpret_cast<HFONT>(SendMessageA(panel, WM_GETFONT, 0, 0));
    LOGFONTA logFont{};
    if (font == nullptr || GetObjectA(font, sizeof logFont, &logFont) == 0)
        return "(no font)";
    return logFont.lfFaceName;
}

float Parameter(ScenarioHost& host, VstInt32 index)
{
    return host.Effect()->getParameter(host.Effect(), index);
}

void PressKey(HWND control, WPARAM key)
{
    const LPARAM scanCode = static_cast<LPARAM>(MapVirtualKeyA(static_cast<UINT>(key), 0)) << 16;
    PostMessageA(control, WM_KEYDOWN, key, scanCode | 1);
    PostMessageA(control, WM_KEYUP, key, scanCode | 1 | (LPARAM{1} << 30) | (LPARAM{1} << 31));
}

void CheckPanelShape(HWND panel, CheckLog& log)
{
    RECT client{};
    GetClientRect(panel, &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    const std::string face = FontFace(panel);
    log.Note("editor panel " + std::to_string(width) + " x " + std::to_string(height) +
             ", font \"" + face + "\"");
    log.Check(width >= 389 && width <= 392 && height >= 347 && height <= 349,
              "panel client size 390 or 391 by 348");
    log.Check(face == "MS Sans Serif", "panel font MS Sans Serif");
}

// Three key presses on the "Feedback Level" slider (parameter 6).
void CheckSliderKeys(ScenarioHost& host, HWND panel, CheckLog& log)
{
    HWND slider = GetDlgItem(panel, IDC_FEEDBACK_LEVEL);
    if (!log.Check(slider != nullptr, "slider 1028 exists"))
        return;
    const LRESULT maximum = SendMessageA(slider, TBM_GETRANGEMAX, 0, 0);
    const LRESULT before = SendMessageA(slider, TBM_GETPOS, 0, 0);
    const WPARAM key = before + 3 <= maximum ? VK_RIGHT : VK_LEFT;
    const std::size_t automationsBefore = host.automation.size();
    SetFocus(slider);
    for (int press = 0; press < 3; ++press)
        PressKey(slider, key);
    Pump(150);
    host.Dispatch(effEditIdle);
    Pump(50);
    const LRESULT after = SendMessageA(slider, TBM_GETPOS, 0, 0);
    const float value = Parameter(host, Product::kFeedback);
    log.Check(after == before + (key == VK_RIGHT ? 3 : -3), "three arrow keys move slider 1028");
    log.Check(maximum == 100 && std::fabs(value - static_cast<float>(after) / 100.0f) < 1e-6f,
              "parameter 6 equals the slider position / 100 (" + std::to_string(value) + ")");
    log.Check(host.automation.size() - automationsBefore == 3 &&
                  host.automation.back() == std::make_pair(VstInt32{6}, value),
              "host automated parameter 6 on every step with the model's value");
    const std::string expected =
        "Phaser - Feedback Level: " + host.Text(effGetParamDisplay, 6) + " Level";
    const std::string status = StatusText(panel);
    log.Check(status == expected, "status bar \"" + status + "\" is \"" + expected + "\"");
}

// "Enabled" (parameter 5) clicked off and on again.
void CheckEnabledClicks(ScenarioHost& host, HWND panel, CheckLog& log)
{
    HWND box = GetDlgItem(panel, IDC_ENABLED);
    if (!log.Check(box != nullptr && Parameter(host, Product::kEnabled) == 1.0f,
                   "check box 1027, phaser enabled"))
        return;
    SendMessageA(box, BM_CLICK, 0, 0);
    Pump(50);
    log.Check(Parameter(host, Product::kEnabled) == 0.0f && !host.automation.empty() &&
                  host.automation.back() == std::make_pair(VstInt32{5}, 0.0f),
              "click on Enabled sets parameter 5 to 0 and automates it");
    std::string status = StatusText(panel);
    log.Check(status == "Phaser - Enabled: Off On/Off", "status bar after Off: \"" + status + "\"");
    SendMessageA(box, BM_CLICK, 0, 0);
    Pump(50);
    log.Check(Parameter(host, Product::kEnabled) == 1.0f && !host.automation.empty() &&
                  host.automation.back().second == 1.0f,
              "second click sets parameter 5 to 1");
    status = StatusText(panel);
    log.Check(status == "Phaser - Enabled: On On/Off", "status bar after On: \"" + status + "\"");
}

// A host change reaches list 1006 on the next idle call.
void CheckHostChange(ScenarioHost& host, HWND panel, CheckLog& log)
{
    host.Effect()->setParameter(host.Effect(), Product::kStageMode, 1.0f);
    host.Dispatch(effEditIdle);
    Pump(100);
    const LRESULT entry = SendDlgItemMessageA(panel, IDC_STAGE_MODE, CB_GETCURSEL, 0, 0);
    log.Check(entry == 6, "host sets parameter 10 to 1: list 1006 shows entry 6 (shows " +
                              std::to_string(entry) + ")");
}

// About opens a modal box; the host's timer presses its OK button.
void CheckAboutBox(ScenarioHost& host, HWND hostWindow, HWND panel, CheckLog& log)
{
    float before[Kestrune::Product::kParameterCount];
    for (VstInt32 index = 0; index < Kestrune::Product::kParameterCount; ++index)
        before[index] = Parameter(host, index);
    aboutSeen = AboutBoxSeen{};
    SetTimer(hostWindow, kAboutTimer, 100, nullptr);
    PostMessageA(GetDlgItem(panel, IDC_ABOUT), BM_CLICK, 0, 0);
    Pump(300); // the click's dispatch returns only after the modal loop has ended
    KillTimer(hostWindow, kAboutTimer);
    Pump(50);
    log.Check(aboutSeen.found && aboutSeen.title == kAboutTitle,
              "About opens a box titled \"About Corvane Phaser\"");
    log.Check(FindWindowA(nullptr, kAboutTitle) == nullptr, "OK closes the About box");
    bool unchanged = true;
    for (VstInt32 index = 0; index < Kestrune::Product::kParameterCount; ++index)
        unchanged = unchanged && Parameter(host, index) == before[index];
    log.Check(unchanged, "About leaves every parameter unchanged");
}

} // namespace

void CheckEditor(EntryPoint entry, CheckLog& log, int holdMs)
{
    ScenarioHost host(entry);
    if (!log.Check(host.Effect() != nullptr, "record for the editor checks"))
        return;
    if ((host.Effect()->flags & effFlagsHasEditor) == 0)
    {
        log.Note("editor checks skipped: the build has no editor");
        return;
    }
    host.Open();
    ERect* rect = nullptr;
    const bool hasRect = host.Dispatch(effEditGetRect, 0, 0, &rect) == 1 && rect != nullptr;
    if (!log.Check(hasRect && rect->right - rect->left == 391 && rect->bottom - rect->top == 348,
                   "effEditGetRect answers 391 x 348"))
        return;
    HWND hostWindow = CreateHostWindow(rect->right - rect->left, rect->bottom - rect->top);
    if (!log.Check(hostWindow != nullptr, "host window"))
        return;
    log.Check(host.Dispatch(effEditOpen, 0, 0, hostWindow) == 1, "effEditOpen");
    ShowWindow(hostWindow, SW_SHOWNORMAL);
    UpdateWindow(hostWindow);
    Pump(200);
    HWND panel = GetWindow(hostWindow, GW_CHILD);
    if (log.Check(panel != nullptr && IsWindowVisible(panel), "panel is a visible child"))
    {
        log.Check(StatusText(panel) == "Ready", "status bar reads Ready");
        CheckPanelShape(panel, log);
        CheckSliderKeys(host, panel, log);
        CheckEnabledClicks(host, panel, log);
        CheckHostChange(host, panel, log);
        CheckAboutBox(host, hostWindow, panel, log);
        if (holdMs > 0)
        {
            POINT origin{0, 0};
            ClientToScreen(panel, &origin);
            log.Note("editor panel at " + std::to_string(origin.x) + "," +
                     std::to_string(origin.y));
            Pump(static_cast<DWORD>(holdMs));
        }
    }
    host.Dispatch(effEditClose);
    Pump(50);
    log.Check(panel != nullptr && !IsWindow(panel), "effEditClose destroys the panel");
    DestroyWindow(hostWindow);
    UnregisterClassA(kHostClass, GetModuleHandleA(nullptr));
}

} // namespace TestSupport
