#pragma once

#include "host/AEffEditor.h"
#include "platform/MessagePump.h"
#include "platform/UiScale.h"
#include "platform/Win32.h"

#include <cmath>

namespace Kestrune
{
class Model;
}

namespace Kestrune::Vst
{

// The editor the host opens: creates a View as a child of the host's window on open, lets it
// refresh its controls on idle and destroys it on close. All calls [ui].
template <typename View> class Editor : public AEffEditor
{
public:
    Editor(AudioEffect* owner, HINSTANCE instance, Model* pluginModel)
        : AEffEditor(owner), moduleInstance(instance), model(pluginModel)
    {
    }
    ~Editor() override { delete view; }

    bool open(void* parent) override
    {
        // A child panel needs a parent; one the host cannot show is not an open editor.
        if (parent == nullptr)
            return false;
        if (view != nullptr)
            close();
        systemWindow = parent;
        {
            const Platform::DialogScaleScope panelScale(Scale());
            view = new View(moduleInstance, static_cast<HWND>(parent), model);
        }
        if (view->GetHandle() == nullptr)
        {
            // The platform refused the dialog: stay closed, ready for a later open.
            close();
            return false;
        }
        view->Show();
        return true;
    }

    void close() override
    {
        delete view;
        view = nullptr;
        systemWindow = nullptr;
        scale = 0.0;
    }

    void idle() override
    {
        if (view == nullptr)
            return;
        // Where Win32 is absent the host's idle call is the editor's message loop. The user's
        // input goes first: the values the view posts are read after it, so a click and a host
        // change in the same interval leave the control showing what the model holds.
        Platform::PumpInput();
        view->Idle();
        Platform::DispatchPosted();
    }

    View* GetView() { return view; }

    // The factor the panel is drawn at (see platform/UiScale.h; 1 on Windows). Chosen by the
    // first call after construction or close (the host's getRect comes before open) and kept
    // while the editor is open, so the rectangle the host sized its window for stays true.
    double Scale()
    {
        if (scale == 0.0)
            scale = Platform::ChooseUiScale();
        return scale;
    }
    // A length of the 96-dpi panel at that factor, rounded like the window system's layout.
    int ScaledLength(int pixels) { return static_cast<int>(std::lround(pixels * Scale())); }

protected:
    HINSTANCE moduleInstance;
    Model* model;
    View* view = nullptr;

private:
    double scale = 0.0; // 0: not chosen yet
};

} // namespace Kestrune::Vst
