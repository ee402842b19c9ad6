#include "gui/StatusBar.h"

#include "model/Model.h"
#include "platform/CurrentThread.h"

#include <cstdio>

namespace Kestrune::Gui
{

StatusBar::StatusBar(HWND parentWindow, Model* pluginModel)
    : parent(parentWindow), model(pluginModel), uiThread(Platform::CurrentThreadId())
{
    model->AddObserver(this);
    window = CreateStatusWindowA(WS_CHILD | WS_VISIBLE, "Ready", parent, kControlId);
    std::snprintf(text, sizeof text, "%s", "Ready");
}

StatusBar::~StatusBar()
{
    model->RemoveObserver(this);
    if (window != nullptr)
        DestroyWindow(window);
}

void StatusBar::OnParameterChanged(int index)
{
    if (Platform::CurrentThreadId() == uiThread)
    {
        // Later than anything in flight (notifications come one at a time, under the model's
        // lock): the message still on its way must not bring an older change back.
        int pending = pendingIndex.load();
        while (pending >= 0 && !pendingIndex.compare_exchange_weak(pending, kInFlight))
        {
        }
        ShowParameter(index);
        return;
    }
    // A refused post clears the slot, so the next change tries again.
    if (pendingIndex.exchange(index) == kIdle &&
        !PostMessageA(parent, kShowParameterMessage, static_cast<WPARAM>(index), 0))
        pendingIndex.store(kIdle);
}

void StatusBar::ShowPendingParameter()
{
    const int index = pendingIndex.exchange(kIdle);
    if (index >= 0)
        ShowParameter(index);
}

void StatusBar::ShowParameter(int index)
{
    if (index < 0 || index >= model->GetParameterCount())
        return;
    std::snprintf(text, sizeof text, "%s - %s: %s %s", model->GetGroupName(index),
                  model->GetParameterName(index), model->GetParameterDisplay(index),
                  model->GetParameterLabel(index));
    if (window != nullptr)
        SendMessageA(window, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text));
}

} // namespace Kestrune::Gui
