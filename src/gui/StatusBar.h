#pragma once

#include "model/IModelObserver.h"
#include "platform/Win32.h"

#include <atomic>
#include <cstdint>

namespace Kestrune
{
class Model;
}

namespace Kestrune::Gui
{

// The panel's one-part status line: "Ready" at first, then "group - parameter: text unit" of
// the last change. Composed and shown on the user-interface thread only: a change notified on
// another thread leaves its index in a slot and posts kShowParameterMessage to the panel, never
// waiting for it; while one message is in flight, later changes only replace the index, so a
// stream of automation cannot flood the window system's posted-message queue.
class StatusBar : public IModelObserver
{
public:
    static constexpr UINT kShowParameterMessage = WM_APP + 3;
    static constexpr int kControlId = 10000;

    // [ui] Attaches to the model, then creates the status window along the parent's bottom.
    StatusBar(HWND parent, Model* model);
    // [ui] Detaches first, so no notification can reach a destroyed window.
    ~StatusBar() override;
    StatusBar(const StatusBar&) = delete;
    StatusBar& operator=(const StatusBar&) = delete;

    // [any] with the model's lock held; never blocks.
    void OnParameterChanged(int index) override;
    // A program change or chunk load keeps the last text.
    void OnAllParametersChanged() override {}

    // [ui] Composes and shows the text for a parameter.
    void ShowParameter(int index);
    // [ui] Handler of kShowParameterMessage: shows the latest change notified on another thread.
    void ShowPendingParameter();
    const char* GetText() const { return text; }
    HWND GetWindow() const { return window; }

private:
    HWND parent;
    HWND window = nullptr;
    Model* model;
    char text[128] = {};
    std::uintptr_t uiThread;
    static constexpr int kIdle = -1;     // no message in flight
    static constexpr int kInFlight = -2; // a message in flight with nothing left to show
    std::atomic<int> pendingIndex{kIdle};
};

} // namespace Kestrune::Gui
