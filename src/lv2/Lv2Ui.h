#pragma once

#include "model/IModelObserver.h"
#include "platform/Win32.h"
#include "services/ServiceDispatcher.h"

#include <lv2/ui/ui.h>

#include <cstdint>
#include <memory>

class CorvanePhaserView;

namespace Kestrune
{
class Model;
}

namespace Kestrune::Lv2
{

// The editor as an LV2 UI (ui:X11UI): the VST edition's panel, embedded in the host's window,
// over parameters of its own that mirror the plug-in's ports (no engine: the DSP binary has it). A
// control the user moves becomes a port write; a port event from the host moves the control. The
// host's idle calls (ui:idleInterface) run the window system, as the VST editor's idle calls do.
//
// Threads: [ui] everything.
class Lv2Ui : private IModelObserver
{
public:
    // parent: the host's X11 window. Throws what construction throws.
    Lv2Ui(LV2UI_Write_Function write, LV2UI_Controller controller, void* parent);
    ~Lv2Ui() override;
    Lv2Ui(const Lv2Ui&) = delete;
    Lv2Ui& operator=(const Lv2Ui&) = delete;

    // False when the window system refused the panel.
    bool Opened() const;
    // The panel's X11 window (the UI's widget).
    unsigned long Widget() const;
    void GetSize(int& width, int& height) const;

    void PortEvent(std::uint32_t port, std::uint32_t size, std::uint32_t format,
                   const void* buffer);
    // 0 while the panel is open.
    int Idle();

private:
    void OnParameterChanged(int index) override;
    void OnAllParametersChanged() override {}

    LV2UI_Write_Function write;
    LV2UI_Controller controller;
    ServiceDispatcher dispatcher;
    std::unique_ptr<Model> model;
    std::unique_ptr<CorvanePhaserView> view;
};

} // namespace Kestrune::Lv2
