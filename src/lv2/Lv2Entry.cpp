// The DSP binary's only exported symbol, lv2_descriptor. No exception leaves it: instantiate
// answers null, the state calls an error, the others do nothing.
#include "lv2/Lv2Plugin.h"
#include "lv2/Uris.h"
#include "services/ServiceDispatcher.h"

#include <lv2/core/lv2.h>
#include <lv2/log/log.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <cstring>
#include <new>

namespace
{
using Kestrune::Lv2::Lv2Plugin;

Lv2Plugin* Of(LV2_Handle instance)
{
    return static_cast<Lv2Plugin*>(instance);
}

// A line of type log:Error through the host's log feature, when it gives one.
void LogError(const LV2_Feature* const* features, const char* text)
{
    const LV2_Log_Log* log = nullptr;
    const LV2_URID_Map* map = nullptr;
    for (const LV2_Feature* const* f = features; f != nullptr && *f != nullptr; ++f)
        if ((*f)->URI != nullptr && std::strcmp((*f)->URI, LV2_LOG__log) == 0)
            log = static_cast<const LV2_Log_Log*>((*f)->data);
        else if ((*f)->URI != nullptr && std::strcmp((*f)->URI, LV2_URID__map) == 0)
            map = static_cast<const LV2_URID_Map*>((*f)->data);
    if (log == nullptr || log->printf == nullptr)
        return;
    const LV2_URID type =
        map != nullptr && map->map != nullptr ? map->map(map->handle, LV2_LOG__Error) : 0;
    log->printf(log->handle, type, "%s\n", text);
}

LV2_Handle Instantiate(const LV2_Descriptor*, double rate, const char*,
                       const LV2_Feature* const* features)
{
    if (!Kestrune::ServiceDispatcher::IsRunnableSampleRate(rate))
    {
        char reason[160];
        Kestrune::ServiceDispatcher::DescribeRefusedSampleRate(rate, reason, sizeof reason);
        LogError(features, reason);
        return nullptr;
    }
    try
    {
        return new Lv2Plugin(rate, features);
    }
    catch (...)
    {
        return nullptr;
    }
}

void ConnectPort(LV2_Handle instance, std::uint32_t port, void* data)
{
    Of(instance)->ConnectPort(port, data);
}

void Activate(LV2_Handle instance)
{
    Of(instance)->Activate();
}

void Run(LV2_Handle instance, std::uint32_t frames)
{
    Of(instance)->Run(frames);
}

void Deactivate(LV2_Handle) {}

void Cleanup(LV2_Handle instance)
{
    delete Of(instance);
}

LV2_State_Status Save(LV2_Handle instance, LV2_State_Store_Function store, LV2_State_Handle handle,
                      std::uint32_t, const LV2_Feature* const*)
{
    try
    {
        return Of(instance)->Save(store, handle);
    }
    catch (...)
    {
        return LV2_STATE_ERR_UNKNOWN;
    }
}

LV2_State_Status Restore(LV2_Handle instance, LV2_State_Retrieve_Function retrieve,
                         LV2_State_Handle handle, std::uint32_t, const LV2_Feature* const*)
{
    try
    {
        return Of(instance)->Restore(retrieve, handle);
    }
    catch (...)
    {
        return LV2_STATE_ERR_UNKNOWN;
    }
}

const LV2_State_Interface kState = {&Save, &Restore};

const void* ExtensionData(const char* uri)
{
    return uri != nullptr && std::strcmp(uri, LV2_STATE__interface) == 0 ? &kState : nullptr;
}

const LV2_Descriptor kDescriptor = {CORVANE_LV2_URI, &Instantiate, &ConnectPort,  &Activate, &Run,
                                    &Deactivate,     &Cleanup,     &ExtensionData};
} // namespace

extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(std::uint32_t index)
{
    return index == 0 ? &kDescriptor : nullptr;
}
