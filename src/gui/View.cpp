#include "gui/View.h"

#include "base/Text.h"
#include "model/Model.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <mutex>

namespace Kestrune::Gui
{

namespace
{
LPARAM FloatToLParam(float value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return static_cast<LPARAM>(bits);
}

float LParamToFloat(LPARAM lParam)
{
    const auto bits = static_cast<std::uint32_t>(lParam);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// A stored value outside 0..1 shows the slider at its nearer end.
int SliderPosition(HWND control, double value)
{
    const auto maximum = static_cast<int>(SendMessageA(control, TBM_GETRANGEMAX, 0, 0));
    if (maximum <= 0)
        return 0;
    return Base::RoundHalfAwayIn(static_cast<double>(maximum) * value, 0, maximum);
}

int SignedHighWord(WPARAM wParam)
{
    return static_cast<std::int16_t>(HIWORD(wParam));
}
} // namespace

View::View(HINSTANCE instance, Model* pluginModel) : moduleInstance(instance), model(pluginModel)
{
    pendingUpdates.reserve(static_cast<std::size_t>(model->GetParameterCount()) + 1);
}

View::~View()
{
    DetachFromModel();
}

void View::AttachToModel()
{
    model->AddObserver(this);
}

void View::DetachFromModel()
{
    model->RemoveObserver(this);
}

void View::OnParameterChanged(int index)
{
    // The audio thread tells of a mapped controller's change: it must not wait for the idle call.
    std::unique_lock<RecursiveLock> guard(pendingLock, std::try_to_lock);
    if (!guard.owns_lock())
    {
        const int bit = index >= 0 && index < 63 ? index : 63;
        missedUpdates.fetch_or(std::uint64_t{1} << bit, std::memory_order_relaxed);
        return;
    }
    QueueLocked(index);
}

void View::QueueLocked(int index)
{
    pendingUpdates.erase(std::remove(pendingUpdates.begin(), pendingUpdates.end(), index),
                         pendingUpdates.end());
    if (pendingUpdates.size() < pendingUpdates.capacity())
        pendingUpdates.push_back(index);
}

void View::OnAllParametersChanged()
{
    QueueAll();
}

void View::QueueAll()
{
    std::lock_guard<RecursiveLock> guard(pendingLock);
    pendingUpdates.clear();
    pendingUpdates.push_back(-1);
}

void View::AddControl(int controlId, ControlType type, int parameterIndex)
{
    controlParameters[controlId] = parameterIndex;
    controlTypes[controlId] = type;
    parameterControls[parameterIndex] = controlId;
}

void View::Show()
{
    ShowWindow(GetHandle(), SW_SHOWNORMAL);
    UpdateWindow(GetHandle());
}

bool View::PostValue(int index)
{
    return PostMessageA(GetHandle(), kParameterUpdateMessage, static_cast<WPARAM>(index),
                        FloatToLParam(model->GetParameterValue(index))) != FALSE;
}

bool View::PostQueued(int index)
{
    if (index >= 0)
        return parameterControls.count(index) == 0 || PostValue(index);
    const int count = model->GetParameterCount();
    for (int k = 0; k < count; ++k)
        if (parameterControls.count(k) != 0 && !PostValue(k))
            return false;
    return true;
}

void View::Idle()
{
    std::lock_guard<RecursiveLock> guard(pendingLock);
    const std::uint64_t missed = missedUpdates.exchange(0, std::memory_order_relaxed);
    if ((missed >> 63) != 0)
        QueueAll();
    for (int index = 0; index < 63; ++index)
        if ((missed >> index & 1) != 0)
            QueueLocked(index);
    // A full posted-message queue refuses a post: that entry and those after it stay queued for
    // the next idle call instead of being lost (an all-parameters marker is posted whole again).
    std::size_t posted = 0;
    while (posted < pendingUpdates.size() && PostQueued(pendingUpdates[posted]))
        ++posted;
    pendingUpdates.erase(pendingUpdates.begin(),
                         pendingUpdates.begin() + static_cast<std::ptrdiff_t>(posted));
}

void View::RefreshAll()
{
    for (const auto& [index, controlId] : parameterControls)
    {
        if (!PostValue(index))
        {
            QueueAll(); // refused: the next idle call refreshes everything
            return;
        }
    }
}

void View::Change(int controlId, float value)
{
    const int index = controlParameters.at(controlId);
    // Written even when equal: every slider step is a change for the host and the status bar.
    model->ChangeParameterValue(index, value, this, true);
}

int View::OnCommand(int controlId, HWND control, int code)
{
    const auto type = controlTypes.find(controlId);
    if (type == controlTypes.end())
        return 0;
    if (type->second == ControlType::CheckBox)
        return OnCheckBoxCommand(controlId, control);
    if (type->second == ControlType::ComboBox)
        return OnComboBoxCommand(controlId, control, code);
    return 0;
}

int View::OnCheckBoxCommand(int controlId, HWND control)
{
    const bool checked = SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
    Change(controlId, checked ? 1.0f : 0.0f);
    return 1;
}

int View::OnComboBoxCommand(int controlId, HWND control, int code)
{
    if (code != CBN_SELCHANGE)
        return 0;
    const auto count = static_cast<int>(SendMessageA(control, CB_GETCOUNT, 0, 0));
    const auto selection = static_cast<int>(SendMessageA(control, CB_GETCURSEL, 0, 0));
    if (selection < 0)
        return 0;
    // A single-entry list has only one value to offer.
    const float value =
        count > 1 ? static_cast<float>(selection) / static_cast<float>(count - 1) : 0.0f;
    Change(controlId, value);
    return 1;
}

int View::OnHScroll(HWND control, int code, int)
{
    return OnSliderScroll(control, code, ControlType::HorizontalSlider);
}

int View::OnVScroll(HWND control, int code, int)
{
    return OnSliderScroll(control, code, ControlType::VerticalSlider);
}

int View::OnSliderScroll(HWND control, int code, ControlType expected)
{
    const int controlId = GetDlgCtrlID(control);
    const auto type = controlTypes.find(controlId);
    if (type == controlTypes.end() || type->second != expected)
        return 0;
    // TB_LINEUP to TB_BOTTOM; TB_ENDTRACK (8) only closes a gesture.
    if (code < TB_LINEUP || code > TB_BOTTOM)
        return 0;
    const auto maximum = static_cast<float>(SendMessageA(control, TBM_GETRANGEMAX, 0, 0));
    const auto position = static_cast<float>(SendMessageA(control, TBM_GETPOS, 0, 0));
    if (maximum <= 0.0f)
        return 0;
    const float value = expected == ControlType::HorizontalSlider ? position / maximum
                                                                  : (maximum - position) / maximum;
    Change(controlId, value);
    return 1;
}

void View::OnParameterUpdate(int index, float value)
{
    const auto control = parameterControls.find(index);
    if (control == parameterControls.end() || !std::isfinite(value))
        return;
    switch (controlTypes[control->second])
    {
    case ControlType::CheckBox:
        SetCheckBox(control->second, value);
        break;
    case ControlType::ComboBox:
        SetComboBox(control->second, value);
        break;
    case ControlType::HorizontalSlider:
        SetHorizontalSlider(control->second, value);
        break;
    case ControlType::VerticalSlider:
        SetVerticalSlider(control->second, value);
        break;
    }
}

void View::SetCheckBox(int controlId, float value)
{
    SendMessageA(GetDlgItem(GetHandle(), controlId), BM_SETCHECK,
                 value >= 0.5f ? BST_CHECKED : BST_UNCHECKED, 0);
}

void View::SetComboBox(int controlId, float value)
{
    HWND control = GetDlgItem(GetHandle(), controlId);
    const auto count = static_cast<int>(SendMessageA(control, CB_GETCOUNT, 0, 0));
    if (count <= 0)
        return;
    // The entry the selection's transform uses: its index is clamped into the table the same way.
    const int entry = Base::RoundHalfAwayIn(
        static_cast<double>(count - 1) * static_cast<double>(value), 0, count - 1);
    SendMessageA(control, CB_SETCURSEL, static_cast<WPARAM>(entry), 0);
}

void View::SetHorizontalSlider(int controlId, float value)
{
    HWND control = GetDlgItem(GetHandle(), controlId);
    SendMessageA(control, TBM_SETPOS, TRUE, SliderPosition(control, static_cast<double>(value)));
}

void View::SetVerticalSlider(int controlId, float value)
{
    HWND control = GetDlgItem(GetHandle(), controlId);
    SendMessageA(control, TBM_SETPOS, TRUE,
                 SliderPosition(control, 1.0 - static_cast<double>(value)));
}

INT_PTR CALLBACK View::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
    {
        SetWindowLongPtrA(window, GWLP_USERDATA, lParam);
        auto* view = reinterpret_cast<View*>(lParam);
        if (view != nullptr)
            view->OnInitDialog();
        return TRUE;
    }
    auto* view = reinterpret_cast<View*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (view == nullptr)
        return FALSE;
    return view->Dispatch(window, message, wParam, lParam);
}

INT_PTR View::Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const int low = LOWORD(lParam);
    const int high = HIWORD(lParam);
    switch (message)
    {
    case WM_COMMAND:
        return OnCommand(LOWORD(wParam), reinterpret_cast<HWND>(lParam), HIWORD(wParam));
    case WM_HSCROLL:
        return OnHScroll(reinterpret_cast<HWND>(lParam), LOWORD(wParam), SignedHighWord(wParam));
    case WM_VSCROLL:
        return OnVScroll(reinterpret_cast<HWND>(lParam), LOWORD(wParam), SignedHighWord(wParam));
    case WM_PAINT:
    {
        PAINTSTRUCT paint;
        HDC context = BeginPaint(window, &paint);
        const int result = OnPaint(context);
        EndPaint(window, &paint);
        return result;
    }
    case WM_DESTROY:
        OnDestroy();
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        return TRUE;
    case kParameterUpdateMessage:
        OnParameterUpdate(static_cast<int>(wParam), LParamToFloat(lParam));
        return TRUE;
    case kUserMessage:
        OnUserMessage(wParam, LParamToFloat(lParam));
        return TRUE;
    case WM_DRAWITEM:
        return OnDrawItem(wParam, lParam);
    case WM_NOTIFY:
        return OnNotify(lParam);
    case WM_CHAR:
        return OnChar(wParam, low, high);
    case WM_KEYUP:
        return OnKeyUp(wParam, low, high);
    case WM_LBUTTONDOWN:
        return OnLButtonDown(wParam, low, high);
    case WM_RBUTTONDOWN:
        return OnRButtonDown(wParam, low, high);
    case WM_LBUTTONUP:
        return OnLButtonUp(wParam, low, high);
    case WM_RBUTTONUP:
        return OnRButtonUp(wParam, low, high);
    case WM_CTLCOLORDLG:
        return OnCtlColorDlg(reinterpret_cast<HDC>(wParam));
    case WM_CTLCOLORSTATIC:
        return OnCtlColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_CTLCOLORBTN:
        return OnCtlColorBtn(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    default:
        return OnMessage(window, message, wParam, lParam);
    }
}

} // namespace Kestrune::Gui
