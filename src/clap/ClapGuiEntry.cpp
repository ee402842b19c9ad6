// The gui, timer-support and posix-fd-support records. Only embedded windows of the platform's
// own kind; the size is fixed (scaled as the VST editor). No exception leaves a call.
#include "clap/ClapPlugin.h"

#include <cstring>

namespace
{
using Kestrune::Clap::ClapPlugin;

ClapPlugin* Of(const clap_plugin_t* plugin)
{
    return ClapPlugin::Of(plugin);
}

#if defined(_WIN32)
constexpr const char* kWindowApi = CLAP_WINDOW_API_WIN32;
#else
constexpr const char* kWindowApi = CLAP_WINDOW_API_X11;
#endif

bool IsApiSupported(const clap_plugin_t*, const char* api, bool floating)
{
    return !floating && api != nullptr && std::strcmp(api, kWindowApi) == 0;
}

bool PreferredApi(const clap_plugin_t*, const char** api, bool* floating)
{
    if (api == nullptr || floating == nullptr)
        return false;
    *api = kWindowApi;
    *floating = false;
    return true;
}

bool Create(const clap_plugin_t* plugin, const char* api, bool floating)
{
    try
    {
        return Of(plugin)->CreateGui(api, floating);
    }
    catch (...)
    {
        return false;
    }
}

void Destroy(const clap_plugin_t* plugin)
{
    Of(plugin)->DestroyGui();
}

// The panel chooses its own scale, as the VST editor does.
bool SetScale(const clap_plugin_t*, double)
{
    return false;
}

bool GetSize(const clap_plugin_t* plugin, std::uint32_t* width, std::uint32_t* height)
{
    return width != nullptr && height != nullptr && Of(plugin)->GuiSize(*width, *height);
}

bool CanResize(const clap_plugin_t*)
{
    return false;
}

bool ResizeHints(const clap_plugin_t*, clap_gui_resize_hints_t*)
{
    return false;
}

// Any size asked for becomes the panel's own.
bool AdjustSize(const clap_plugin_t* plugin, std::uint32_t* width, std::uint32_t* height)
{
    return GetSize(plugin, width, height);
}

bool SetSize(const clap_plugin_t* plugin, std::uint32_t width, std::uint32_t height)
{
    std::uint32_t w = 0;
    std::uint32_t h = 0;
    return GetSize(plugin, &w, &h) && w == width && h == height;
}

bool SetParent(const clap_plugin_t* plugin, const clap_window_t* window)
{
    try
    {
        return window != nullptr && Of(plugin)->EmbedGui(*window);
    }
    catch (...)
    {
        return false;
    }
}

bool SetTransient(const clap_plugin_t*, const clap_window_t*)
{
    return false;
}

void SuggestTitle(const clap_plugin_t*, const char*) {}

bool Show(const clap_plugin_t* plugin)
{
    return Of(plugin)->ShowGui(true);
}

bool Hide(const clap_plugin_t* plugin)
{
    return Of(plugin)->ShowGui(false);
}

void OnTimer(const clap_plugin_t* plugin, clap_id)
{
    Of(plugin)->GuiIdle();
}

void OnFd(const clap_plugin_t* plugin, int, std::uint32_t)
{
    Of(plugin)->GuiIdle();
}

const clap_plugin_gui_t kGui = {&IsApiSupported, &PreferredApi, &Create,    &Destroy,
                                &SetScale,       &GetSize,      &CanResize, &ResizeHints,
                                &AdjustSize,     &SetSize,      &SetParent, &SetTransient,
                                &SuggestTitle,   &Show,         &Hide};
const clap_plugin_timer_support_t kTimer = {&OnTimer};
const clap_plugin_posix_fd_support_t kFd = {&OnFd};
const Kestrune::Clap::NamedExtension kEditorExtensions[] = {
    {CLAP_EXT_GUI, &kGui}, {CLAP_EXT_TIMER_SUPPORT, &kTimer}, {CLAP_EXT_POSIX_FD_SUPPORT, &kFd}};
} // namespace

namespace Kestrune::Clap
{

const void* EditorExtension(const char* id)
{
    return FindExtension(id, kEditorExtensions);
}

} // namespace Kestrune::Clap
