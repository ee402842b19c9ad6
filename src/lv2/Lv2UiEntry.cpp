// The editor binary's only exported symbol, lv2ui_descriptor. No exception leaves it:
// instantiate answers null, idle asks to be closed.
#include "lv2/Lv2Ui.h"
#include "lv2/Uris.h"

#include <lv2/ui/ui.h>

#include <cstring>

namespace
{
using Kestrune::Lv2::Lv2Ui;

const void* Feature(const LV2_Feature* const* features, const char* uri)
{
    for (const LV2_Feature* const* f = features; f != nullptr && *f != nullptr; ++f)
        if ((*f)->URI != nullptr && std::strcmp((*f)->URI, uri) == 0)
            return (*f)->data;
    return nullptr;
}

LV2UI_Handle Instantiate(const LV2UI_Descriptor*, const char* pluginUri, const char*,
                         LV2UI_Write_Function write, LV2UI_Controller controller,
                         LV2UI_Widget* widget, const LV2_Feature* const* features)
{
    void* parent = const_cast<void*>(Feature(features, LV2_UI__parent));
    if (parent == nullptr || pluginUri == nullptr || std::strcmp(pluginUri, CORVANE_LV2_URI) != 0)
        return nullptr;
    try
    {
        auto* ui = new Lv2Ui(write, controller, parent);
        if (!ui->Opened())
        {
            delete ui;
            return nullptr;
        }
        if (widget != nullptr)
            *widget = reinterpret_cast<LV2UI_Widget>(ui->Widget());
        const auto* resize = static_cast<const LV2UI_Resize*>(Feature(features, LV2_UI__resize));
        if (resize != nullptr && resize->ui_resize != nullptr)
        {
            int width = 0;
            int height = 0;
            ui->GetSize(width, height);
            resize->ui_resize(resize->handle, width, height);
        }
        return ui;
    }
    catch (...)
    {
        return nullptr;
    }
}

void Cleanup(LV2UI_Handle handle)
{
    delete static_cast<Lv2Ui*>(handle);
}

void PortEvent(LV2UI_Handle handle, std::uint32_t port, std::uint32_t size, std::uint32_t format,
               const void* buffer)
{
    try
    {
        static_cast<Lv2Ui*>(handle)->PortEvent(port, size, format, buffer);
    }
    catch (...)
    {
    }
}

int Idle(LV2UI_Handle handle)
{
    try
    {
        return static_cast<Lv2Ui*>(handle)->Idle();
    }
    catch (...)
    {
        return 1;
    }
}

const LV2UI_Idle_Interface kIdle = {&Idle};

const void* ExtensionData(const char* uri)
{
    return uri != nullptr && std::strcmp(uri, LV2_UI__idleInterface) == 0 ? &kIdle : nullptr;
}

const LV2UI_Descriptor kDescriptor = {CORVANE_LV2_UI_URI, &Instantiate, &Cleanup, &PortEvent,
                                      &ExtensionData};
} // namespace

extern "C" LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(std::uint32_t index)
{
    return index == 0 ? &kDescriptor : nullptr;
}
