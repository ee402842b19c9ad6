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

    // [ui] Where the window system has no nested loop, the About box is a pop-up that later idle
    // calls run; the panel takes no input while it is up. Null when closed.
    HWND GetAboutBox() const { return about; }

private:
    void FillLists();
    void OpenAbout();
    void CloseAbout();

    HWND dialog = nullptr;
    HWND about = nullptr;
    std::unique_ptr<Kestrune::Gui::StatusBar> statusBar;
};
