#include "Library.h"

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

} // namespace

Library::Library(const std::string& libraryPath) : path(libraryPath)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        throw Error("plug-in module not found: " + path);
    std::string reason;
    handle = Open(path, reason);
    if (handle == nullptr)
        throw Error("cannot load plug-in module " + path + ": " + reason);
}

Library::~Library()
{
#if defined(_WIN32)
    FreeLibrary(static_cast<HMODULE>(handle));
#else
    dlclose(handle);
#endif
}

void* Library::Symbol(const char* name) const
{
#if defined(_WIN32)
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
#else
    return dlsym(handle, name);
#endif
}

} // namespace HostKit
