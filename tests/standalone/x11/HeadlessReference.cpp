#include "HeadlessReference.h"

#include "phaser/Assembly.h"
#include "platform/Headless.h"
#include "platform/MessagePump.h"
#include "platform/UiScale.h"

namespace X11Test
{
namespace
{

VstIntPtr VSTCALLBACK Answer(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

} // namespace

cairo_surface_t* RenderHeadlessPanel(double scale)
{
    AEffect* effect = Kestrune::Vst::CreatePluginRecord(&Answer);
    if (effect == nullptr)
    {
        return nullptr;
    }
    effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);
    Kestrune::Platform::SetUiScaleOverride(scale);
    ERect* rect = nullptr;
    effect->dispatcher(effect, effEditGetRect, 0, 0, &rect, 0.0f);
    Kestrune::Platform::SetUiScaleOverride(0.0);
    const int width = rect->right - rect->left;
    const int height = rect->bottom - rect->top;
    const HWND host = Kestrune::Platform::Headless::CreateHostWindow(width, height);
    cairo_surface_t* copy = nullptr;
    if (effect->dispatcher(effect, effEditOpen, 0, 0, host, 0.0f) == 1)
    {
        effect->dispatcher(effect, effEditIdle, 0, 0, nullptr, 0.0f);
        cairo_surface_t* shown = Kestrune::Platform::Headless::SurfaceImage(host);
        if (shown != nullptr)
        {
            copy = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
            cairo_t* cr = cairo_create(copy);
            cairo_set_source_surface(cr, shown, 0, 0);
            cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
            cairo_paint(cr);
            cairo_destroy(cr);
            cairo_surface_flush(copy);
        }
        effect->dispatcher(effect, effEditClose, 0, 0, nullptr, 0.0f);
    }
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    DestroyWindow(host);
    Kestrune::Platform::PumpMessages();
    return copy;
}

} // namespace X11Test
