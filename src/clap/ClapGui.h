#pragma once

#include <cstdint>
#include <memory>

namespace Kestrune
{
class Model;
}

namespace Kestrune::Clap
{

// Told when the user drags a slider on the panel: the values between the two form one gesture.
class IDragSink
{
public:
    virtual void BeginDrag() = 0;
    virtual void EndDrag() = 0;

protected:
    ~IDragSink() = default;
};

// The editor through the gui extension: the VST edition's panel on the plug-in's own model,
// embedded in the host's window (an X11 window id; an HWND on Windows) at the VST editor's
// scale, its size fixed. The host's timer, or the X connection's descriptor becoming readable,
// runs its idle work, as the VST editor's idle call does.
//
// Threads: [main] everything.
class ClapGui
{
public:
    ClapGui(Model& model, IDragSink& drags);
    ~ClapGui();
    ClapGui(const ClapGui&) = delete;
    ClapGui& operator=(const ClapGui&) = delete;

    // The panel as a child of parent, hidden until Show; false when the window system refused
    // it.
    bool Embed(void* parent);
    void GetSize(std::uint32_t& width, std::uint32_t& height) const;
    bool Show(bool visible);
    void Idle();
    // The descriptor the panel's input arrives on, or -1 (not embedded, or no such thing).
    int ConnectionFd() const;

private:
    class PanelView;

    Model& model;
    IDragSink& drags;
    double scale;
    std::unique_ptr<PanelView> view;
};

} // namespace Kestrune::Clap
