#pragma once

#include "gui/StatusBar.h"
#include "gui/View.h"

#include <memory>

// The plug-in's control panel: template 101 as a child of the host's window, one control per
// parameter, a status line and the About box.
class CorvanePhaserView : public Kestrune::Gui::View
{
public:
    // [ui] Builds the dialog hidden; Show makes it visible.
    CorvanePhaserView(HINSTANCE instance, HWND parent, Kestrune::Model* pluginModel);
    ~CorvanePhaserView() override;

    HWND GetHandle() override { return dialog; }
    int OnCommand(int controlId, HWND control, int code) override;
    int OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    Kestrune::Gui::StatusBar* GetStatusBar() { return statusBar.get(); }

    static INT_PTR CALLBACK AboutDialogProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);

private:
    void FillLists();

    HWND dialog = nullptr;
    std::unique_ptr<Kestrune::Gui::StatusBar> statusBar;
};
