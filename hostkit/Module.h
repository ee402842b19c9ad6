// A VST 2.4 module loaded as hosts load one: dlopen on POSIX, LoadLibraryA on Windows. The entry
// point is VSTPluginMain, else main. A POSIX module stays mapped after it is released, as in most
// hosts: a plug-in and its runtime may keep state that outlives the last instance.
#pragma once

#include "host/vst24.h"

#include <string>

namespace HostKit
{

using EntryPoint = AEffect* (*)(audioMasterCallback);

class Module
{
public:
    // Throws Error when the file is missing, cannot be loaded or exports no entry point.
    explicit Module(const std::string& path);
    ~Module();
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;

    const std::string& Path() const { return path; }
    EntryPoint Entry() const { return entry; }
    // Any exported symbol by name (a test module's extra exports); null when absent.
    void* Symbol(const char* name) const;

private:
    std::string path;
    void* handle = nullptr;
    EntryPoint entry = nullptr;
};

} // namespace HostKit
