#include "phaser/CorvanePhaserView.h"

#include "gui/resource.h"
#include "parameters/DisplayText.h"
#include "phaser/ParameterTable.h"

using Kestrune::Gui::ControlType;

namespace
{
using Kestrune::Product::Control;
using Kestrune::Product::kParameters;

constexpr ControlType TypeOf(Control control)
{
    switch (control)
    {
    case Control::kCheckBox:
        return ControlType::CheckBox;
    case Control::kComboBox:
        return ControlType::ComboBox;
    case Control::kSlider:
        break;
    }
    return ControlType::HorizontalSlider;
}
} // namespace

CorvanePhaserView::CorvanePhaserView(HINSTANCE instance, HWND parent, Kestrune::Model* pluginModel)
    : View(instance, pluginModel)
{
    AttachToModel(); // only now is this object complete for a notifying thread
    for (int index = 0; index < Kestrune::Product::kParameterCount; ++index)
        AddControl(kParameters[index].controlId, TypeOf(kParameters[index].control), index);

    // The trackbar and status window classes must be registered before the first dialog.
    INITCOMMONCONTROLSEX classes{};
    classes.dwSize = sizeof classes;
    classes.dwICC = ICC_BAR_CLASSES | ICC_STANDARD_CLASSES;
    InitCommonControlsEx(&classes);
    dialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_CONTROL_PANEL), parent,
                                &View::DialogProc, reinterpret_cast<LPARAM>(this));
    if (dialog == nullptr)
        return; // the platform refused: every later call reaches no control
    FillLists();
    statusBar = std::make_unique<Kestrune::Gui::StatusBar>(dialog, pluginModel);
    RefreshAll();
}

CorvanePhaserView::~CorvanePhaserView()
{
    DetachFromModel();
    if (about != nullptr)
        DestroyWindow(about);
    statusBar.reset();
    if (dialog != nullptr)
        DestroyWindow(dialog);
}

// Each list shows its parameter's own display texts, entry by entry.
void CorvanePhaserView::FillLists()
{
    for (int index = 0; index < Kestrune::Product::kParameterCount; ++index)
    {
        if (kParameters[index].control != Control::kComboBox)
            continue;
        HWND list = GetDlgItem(dialog, kParameters[index].controlId);
        for (int entry = 0; entry < kParameters[index].choices; ++entry)
        {
            char text[Kestrune::Parameters::DisplayText::kSize] = {};
            Kestrune::Product::FormatChoice(static_cast<Kestrune::Product::ParameterIndex>(index),
                                            entry, text, sizeof text);
            SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        }
    }
}

int CorvanePhaserView::OnCommand(int controlId, HWND control, int code)
{
    if (controlId != IDC_ABOUT)
        return View::OnCommand(controlId, control, code);
#if defined(_WIN32)
    // The system's nested loop keeps pumping the host's windows while the box is up.
    auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE));
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_ABOUT), dialog, &AboutDialogProc, 0);
#else
    // A loop of our own would run inside the host's idle call and freeze the host's interface.
    OpenAbout();
#endif
    return 1;
}

void CorvanePhaserView::OpenAbout()
{
    if (about != nullptr)
        return;
    auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE));
    about = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_ABOUT), dialog, &AboutDialogProc,
                               reinterpret_cast<LPARAM>(this));
    if (about == nullptr)
        return;
    EnableWindow(dialog, FALSE);
    ShowWindow(about, SW_SHOWNORMAL);
    SetFocus(GetDlgItem(about, IDOK));
}

void CorvanePhaserView::CloseAbout()
{
    EnableWindow(dialog, TRUE);
    DestroyWindow(about);
    about = nullptr;
    SetFocus(GetDlgItem(dialog, IDC_ABOUT));
}

int CorvanePhaserView::OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == Kestrune::Gui::StatusBar::kShowParameterMessage && statusBar != nullptr)
    {
        statusBar->ShowPendingParameter();
        return 1;
    }
    return View::OnMessage(window, message, wParam, lParam);
}

INT_PTR CALLBACK CorvanePhaserView::AboutDialogProc(HWND window, UINT message, WPARAM wParam,
                                                    LPARAM lParam)
{
    if (message == WM_INITDIALOG)
    {
        // The view that opened the box without a loop of its own; null under DialogBoxParamA.
        SetWindowLongPtrA(window, GWLP_USERDATA, lParam);
        return TRUE;
    }
    // Only OK (or Enter, which presses it) closes the box.
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK)
    {
        if (auto* view =
                reinterpret_cast<CorvanePhaserView*>(GetWindowLongPtrA(window, GWLP_USERDATA)))
            view->CloseAbout();
        else
            EndDialog(window, 1);
        return TRUE;
    }
    return FALSE;
}
