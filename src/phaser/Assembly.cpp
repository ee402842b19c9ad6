#include "phaser/Assembly.h"

#include "host/VstPlugin.h"
#include "phaser/CorvanePhaserEditor.h"
#include "phaser/CorvanePhaserModel.h"
#include "phaser/Product.h"
#include "services/ServiceDispatcher.h"

#include <atomic>
#include <memory>

namespace Kestrune::Vst
{

namespace
{
std::atomic<void*> moduleInstance{nullptr};

constexpr VstInt32 kUniqueId = ('C' << 24) | ('P' << 16) | ('h' << 8) | 'r'; // 0x43506872
} // namespace

void SetModuleInstance(void* instance)
{
    moduleInstance.store(instance);
}

void* GetModuleInstance()
{
    return moduleInstance.load();
}

AudioEffect* CreateEffectInstance(audioMasterCallback audioMaster)
{
    auto dispatcher = std::make_unique<ServiceDispatcher>();
    auto model = Product::CreateModel(dispatcher.get());
    auto core = std::make_unique<VstPlugin>(audioMaster, dispatcher.get(), model.get(),
                                            kPlugCategEffect, kUniqueId);
    // The core owns both from here on.
    dispatcher.release();
    CorvanePhaserModel* pluginModel = model.release();
    core->setEditor(new CorvanePhaserEditor(core.get(), static_cast<HINSTANCE>(GetModuleInstance()),
                                            pluginModel));
    return core.release();
}

AEffect* CreatePluginRecord(audioMasterCallback audioMaster)
{
    if (audioMaster == nullptr)
        return nullptr;
    try
    {
        if (audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
            return nullptr;
        AudioEffect* effect = CreateEffectInstance(audioMaster);
        return effect != nullptr ? effect->getAeffect() : nullptr;
    }
    catch (...)
    {
        return nullptr;
    }
}

} // namespace Kestrune::Vst
