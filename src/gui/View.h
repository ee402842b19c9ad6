#pragma once

#include "base/RecursiveLock.h"
#include "model/IModelObserver.h"
#include "platform/Win32.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <vector>

namespace Kestrune
{
class Model;
}

namespace Kestrune::Gui
{

enum class ControlType
{
    CheckBox = 0,
    ComboBox = 1,
    HorizontalSlider = 2,
    VerticalSlider = 3,
};

// A dialog-based control panel bound to the model: controls map to flat parameter indices,
// user input is written into the model, and changes from elsewhere are queued by index and
// moved into the controls on the next idle call, through posted messages.
//
// Threads: model notifications [any] (model lock held) touch only the queue under pendingLock,
// and never wait for it: one that finds it held (the idle call posting) leaves its index in
// missedUpdates for the next idle call. Everything else [ui]. Lock order: the model's lock, then
// pendingLock.
class View : public IModelObserver
{
public:
    static constexpr UINT kParameterUpdateMessage = WM_APP + 1;
    static constexpr UINT kUserMessage = WM_APP + 2;

    View(HINSTANCE moduleInstance, Model* model);
    ~View() override;
    View(const View&) = delete;
    View& operator=(const View&) = delete;

    void OnParameterChanged(int index) override;
    void OnAllParametersChanged() override;

    virtual HWND GetHandle() = 0;
    virtual void OnInitDialog() {}
    virtual int OnPaint(HDC) { return 0; }
    virtual int OnCommand(int controlId, HWND control, int code);
    virtual int OnDrawItem(WPARAM, LPARAM) { return 0; }
    virtual int OnHScroll(HWND control, int code, int position);
    virtual int OnVScroll(HWND control, int code, int position);
    virtual int OnNotify(LPARAM) { return 0; }
    virtual int OnChar(WPARAM, int, int) { return 0; }
    virtual int OnKeyUp(WPARAM, int, int) { return 0; }
    virtual int OnLButtonDown(WPARAM, int, int) { return 0; }
    virtual int OnRButtonDown(WPARAM, int, int) { return 0; }
    virtual int OnLButtonUp(WPARAM, int, int) { return 0; }
    virtual int OnRButtonUp(WPARAM, int, int) { return 0; }
    virtual int OnCtlColorDlg(HDC) { return 0; }
    virtual int OnCtlColorStatic(HDC, HWND) { return 0; }
    virtual int OnCtlColorBtn(HDC, HWND) { return 0; }
    virtual void OnDestroy() {}
    virtual void OnParameterUpdate(int index, float value);
    virtual void OnUserMessage(WPARAM, float) {}
    virtual int OnMessage(HWND, UINT, WPARAM, LPARAM) { return 0; }

    void AddControl(int controlId, ControlType type, int parameterIndex);
    // [ui] Shows the panel and paints it at once.
    void Show();
    // [ui] Turns queued changes into posted update messages carrying the current values; what the
    // window system refuses to post stays queued for the next call.
    void Idle();
    // [ui] Posts the current value of every bound parameter (or, if refused, queues them all).
    void RefreshAll();

    void SetCheckBox(int controlId, float value);
    void SetComboBox(int controlId, float value);
    void SetHorizontalSlider(int controlId, float value);
    void SetVerticalSlider(int controlId, float value);

    // Handed to Windows: its calling convention, not the compiler's default.
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    // [ui] A concrete view attaches itself from its own constructor's body and detaches first
    // thing in its destructor: a notification may arrive on another thread at any moment and must
    // not meet an object still being built or taken down. The destructor of the base detaches
    // too (a removal takes out every occurrence, so twice is harmless).
    void AttachToModel();
    void DetachFromModel();

    Model* GetModel() { return model; }
    HINSTANCE GetModuleInstance() { return moduleInstance; }

private:
    int OnCheckBoxCommand(int controlId, HWND control);
    int OnComboBoxCommand(int controlId, HWND control, int code);
    int OnSliderScroll(HWND control, int code, ControlType type);
    void Change(int controlId, float value);
    void QueueAll();
    void QueueLocked(int index); // under pendingLock
    bool PostValue(int index);
    bool PostQueued(int index);
    INT_PTR Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HINSTANCE moduleInstance;
    Model* model;
    std::map<int, int> controlParameters;
    std::map<int, ControlType> controlTypes;
    std::map<int, int> parameterControls;
    // At most one entry per parameter plus the all-parameters marker (-1); reserved up front so
    // a notification on the audio thread never allocates.
    std::vector<int> pendingUpdates;
    RecursiveLock pendingLock;
    std::atomic<std::uint64_t> missedUpdates{0}; // bit per index; bit 63 stands for all
};

} // namespace Kestrune::Gui
