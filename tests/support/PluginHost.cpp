#include "support/PluginHost.h"

#include "hostkit/Error.h"

namespace TestSupport
{

const char* ModulePath()
{
#ifdef CORVANE_MODULE_PATH
    return CORVANE_MODULE_PATH;
#else
    return "CorvanePhaser.so";
#endif
}

TestModule::TestModule(const char* modulePath, const char* entryName)
{
    try
    {
        module =
            std::make_unique<HostKit::Module>(modulePath != nullptr ? modulePath : ModulePath());
        entry = reinterpret_cast<HostKit::EntryPoint>(module->Symbol(entryName));
    }
    catch (const HostKit::Error&)
    {
        module.reset();
    }
}

PluginHost::PluginHost(const char* modulePath, const char* entryName)
    : TestModule(modulePath, entryName), HostKit::Host(TestModule::entry, kEventCapacity)
{
}

void* PluginHost::Symbol(const char* name) const
{
    return module != nullptr ? module->Symbol(name) : nullptr;
}

AEffect* PluginHost::Create(VstIntPtr answerVersion)
{
    versionAnswer = answerVersion;
    return Host::Create();
}

} // namespace TestSupport
