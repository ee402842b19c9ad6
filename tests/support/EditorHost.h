// A host that opens the plug-in's editor the way a Linux host does, but inside a parent window
// of the test module's own headless window system: CorvanePhaserHeadlessTest.so is loaded with
// dlopen and VSTPluginMain, the editor is opened, idled and closed through the dispatcher, and the
// panel is read and driven through the module's driver table (HeadlessDriver.h). [ui] = the
// thread that constructed the host.
#pragma once

#include "support/HeadlessDriver.h"
#include "support/PluginHost.h"

#include <string>
#include <utility>
#include <vector>

namespace TestSupport
{

const char* HeadlessTestModulePath();

class EditorHost
{
public:
    static constexpr int kWidth = 391;
    static constexpr int kHeight = 348;

    // The editor at a scale factor; the parent window takes the size effEditGetRect reports.
    explicit EditorHost(double scale = 1.0);
    // Closes the effect (the editor with it), then removes the parent window.
    ~EditorHost();
    EditorHost(const EditorHost&) = delete;
    EditorHost& operator=(const EditorHost&) = delete;

    // Loaded, created and a parent window exists.
    bool Ready() const
    {
        return driver != nullptr && plugin.Effect() != nullptr && parent != nullptr;
    }

    // effEditOpen with the parent window; answers the dispatcher's result.
    VstIntPtr Open();
    void Idle() { plugin.Dispatch(effEditIdle); }
    void Close() { plugin.Dispatch(effEditClose); }

    // The open panel: the parent window's first child, or null.
    HWND Panel() const;
    HWND Item(int controlId) const;
    int SliderPosition(int controlId) const;
    int Selection(int controlId) const;
    bool Checked(int controlId) const;
    std::string StatusText() const;
    std::string WindowText(HWND window) const;

    float Get(int index) { return plugin.Effect()->getParameter(plugin.Effect(), index); }
    void Set(int index, float value)
    {
        plugin.Effect()->setParameter(plugin.Effect(), index, value);
    }
    // audioMasterAutomate requests for one parameter, in order.
    std::vector<float> Automation(int index) const;

    // Spies on the panel's messages from now on (the log is cleared).
    void WatchPanel();
    std::vector<SpiedMessage> Spied() const;
    // The control updates (WM_APP + 1) the panel received since WatchPanel: index and value.
    std::vector<std::pair<int, float>> ParameterUpdates() const;

    const HeadlessDriver& Ui() const { return *driver; }

    PluginHost plugin;
    HWND parent = nullptr;

private:
    const HeadlessDriver* driver = nullptr;
};

} // namespace TestSupport
