#include "clap/ClapGui.h"

#include "phaser/CorvanePhaserView.h"
#include "platform/MessagePump.h"
#include "platform/UiScale.h"

#include <cmath>

#if !defined(_WIN32)
#include "platform/Backend.h"
#endif

namespace Kestrune::Clap
{

namespace
{
constexpr int kWidth = 391;
constexpr int kHeight = 348;
} // namespace

// The panel, telling where a slider drag starts (its first step) and ends (TB_ENDTRACK).
class ClapGui::PanelView : public CorvanePhaserView
{
public:
    PanelView(HWND parent, Model* pluginModel, IDragSink& dragSink)
        : CorvanePhaserView(nullptr, parent, pluginModel), drags(dragSink)
    {
    }

    int OnHScroll(HWND control, int code, int position) override
    {
        Track(code);
        const int handled = CorvanePhaserView::OnHScroll(control, code, position);
        Finish(code);
        return handled;
    }
    int OnVScroll(HWND control, int code, int position) override
    {
        Track(code);
        const int handled = CorvanePhaserView::OnVScroll(control, code, position);
        Finish(code);
        return handled;
    }

private:
    void Track(int code)
    {
        if (code >= TB_LINEUP && code <= TB_BOTTOM)
            drags.BeginDrag();
    }
    void Finish(int code)
    {
        if (code == TB_ENDTRACK)
            drags.EndDrag();
    }

    IDragSink& drags;
};

ClapGui::ClapGui(Model& pluginModel, IDragSink& dragSink)
    : model(pluginModel), drags(dragSink), scale(Platform::ChooseUiScale())
{
}

ClapGui::~ClapGui() = default;

bool ClapGui::Embed(void* parent)
{
    if (parent == nullptr || view != nullptr)
        return false;
    {
        const Platform::DialogScaleScope panelScale(scale);
        view = std::make_unique<PanelView>(static_cast<HWND>(parent), &model, drags);
    }
    if (view->GetHandle() == nullptr)
    {
        view.reset();
        return false;
    }
    return true;
}

void ClapGui::GetSize(std::uint32_t& width, std::uint32_t& height) const
{
    width = static_cast<std::uint32_t>(std::lround(kWidth * scale));
    height = static_cast<std::uint32_t>(std::lround(kHeight * scale));
}

bool ClapGui::Show(bool visible)
{
    if (view == nullptr)
        return false;
    if (visible)
        view->Show();
    else
        ShowWindow(view->GetHandle(), SW_HIDE);
    return true;
}

void ClapGui::Idle()
{
    if (view == nullptr)
        return;
    // The user's input first, then the posted values, as in the VST editor's idle.
    Platform::PumpInput();
    view->Idle();
    Platform::DispatchPosted();
}

int ClapGui::ConnectionFd() const
{
#if defined(_WIN32)
    return -1; // the host's message loop serves the panel
#else
    if (view == nullptr)
        return -1;
    const Platform::Backend* backend = Platform::BackendOf(view->GetHandle());
    return backend != nullptr ? backend->ConnectionFd() : -1;
#endif
}

} // namespace Kestrune::Clap
