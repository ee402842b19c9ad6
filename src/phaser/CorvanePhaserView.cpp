#include "phaser/CorvanePhaserView.h"

#include "gui/resource.h"

#include <initializer_list>

using Kestrune::Gui::ControlType;

namespace
{
// Each control of the panel with the model's flat index of the parameter it shows.
struct Binding
{
    int controlId;
    ControlType type;
    int parameterIndex;
};

using enum ControlType;
constexpr Binding kBindings[] = {{IDC_ENABLED, CheckBox, 5},
                                 {IDC_SYNC_ENABLED, CheckBox, 2},
                                 {IDC_SYNC_RESOLUTION, ComboBox, 3},
                                 {IDC_QUAD_ENABLED, CheckBox, 4},
                                 {IDC_LFO_FREQUENCY, HorizontalSlider, 0},
                                 {IDC_MIDI_SOURCE, ComboBox, 1},
                                 {IDC_FEEDBACK_LEVEL, HorizontalSlider, 6},
                                 {IDC_WET_DRY_MIX, HorizontalSlider, 11},
                                 {IDC_MODULATION_DEPTH, HorizontalSlider, 7},
                                 {IDC_LEFT_FREQUENCY, HorizontalSlider, 8},
                                 {IDC_RIGHT_FREQUENCY, HorizontalSlider, 9},
                                 {IDC_STAGE_MODE, ComboBox, 10},
                                 {IDC_MOD_SOURCE, ComboBox, 12}};

void AddStrings(HWND dialog, int controlId, std::initializer_list<const char*> entries)
{
    HWND list = GetDlgItem(dialog, controlId);
    for (const char* entry : entries)
        SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
}
} // namespace

CorvanePhaserView::CorvanePhaserView(HINSTANCE instance, HWND parent, Kestrune::Model* pluginModel)
    : View(instance, pluginModel)
{
    AttachToModel(); // only now is this object complete for a notifying thread
    for (const Binding& binding : kBindings)
        AddControl(binding.controlId, binding.type, binding.parameterIndex);

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

void CorvanePhaserView::FillLists()
{
    AddStrings(dialog, IDC_SYNC_RESOLUTION,
               {"1/32", "1/16", "1/12", "1/8", "1/4", "1/2", "1/1", "2/1", "4/1", "8/1", "16/1"});
    AddStrings(dialog, IDC_MIDI_SOURCE, {"None", "ModWh", "ChPress", "ExpPd"});
    AddStrings(dialog, IDC_STAGE_MODE, {"4", "6", "8", "10", "12", "14", "16"});
    AddStrings(dialog, IDC_MOD_SOURCE, {"None", "LFO", "MW", "CP"});
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
