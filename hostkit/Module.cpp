#include "Module.h"

#include "Error.h"

#include <filesystem>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace HostKit
{

namespace
{

void* Open(const std::string& path, std::string& reason)
{
#if defined(_WIN32)
    HMODULE module = LoadLibraryA(path.c_str());
    if (module == nullptr)
        reason = "error " + std::to_string(GetLastError());
    return reinterpret_cast<void*>(module);
#else
    // A name without a slash would make dlopen search the library path instead.
    const std::string openPath = path.find('/') == std::string::npos ? "./" + path : path;
    void* module = dlopen(openPath.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (module == nullptr)
    {
        const char* text = dlerror();
        reason = text != nullptr ? text : "unknown reason";
    }
    return module;
#endif
}

void* Find(void* module, const char* name)
{
#if defined(_WIN32)
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
#else
    return dlsym(module, name);
#endif
}

void Close(void* module)
{
#if defined(_WIN32)
    FreeLibrary(static_cast<HMODULE>(module));
#else
    dlclose(module);
#endif
}

} // namespace

Module::Module(const std::string& modulePath) : path(modulePath)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        throw Error("plug-in module not found: " + path);
    std::string reason;
    handle = Open(path, reason);
    if (handle == nullptr)
        throw Error("cannot load plug-in module " + path + ": " + reason);
    entry = reinterpret_cast<EntryPoint>(Find(handle, "VSTPluginMain"));
    if (entry == nullptr)
        entry = reinterpret_cast<EntryPoint>(Find(handle, "main"));
    if (entry == nullptr)
    {
        Close(handle);
        throw Error(path + " is not a VST 2.4 plug-in: it exports neither VSTPluginMain nor main");
    }
}

Module::~Module()
{
    Close(handle);
}

void* Module::Symbol(const char* name) const
{
    return Find(handle, name);
}

} // namespace HostKit
