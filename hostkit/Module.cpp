#include "Module.h"

#include "Error.h"

namespace HostKit
{

Module::Module(const std::string& path) : library(path)
{
    entry = reinterpret_cast<EntryPoint>(library.Symbol("VSTPluginMain"));
    if (entry == nullptr)
        entry = reinterpret_cast<EntryPoint>(library.Symbol("main"));
    if (entry == nullptr)
        throw Error(path + " is not a VST 2.4 plug-in: it exports neither VSTPluginMain nor main");
}

} // namespace HostKit
