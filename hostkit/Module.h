// A VST 2.4 module loaded as hosts load one (see Library). The entry point is VSTPluginMain, else
// main. A POSIX module stays mapped after it is released, as in most hosts: a plug-in and its
// runtime may keep state that outlives the last instance.
#pragma once

#include "host/vst24.h"
#include "hostkit/Library.h"

#include <string>

namespace HostKit
{

using EntryPoint = AEffect* (*)(audioMasterCallback);

class Module
{
public:
    // Throws Error when the file is missing, cannot be loaded or exports no entry point.
    explicit Module(const std::string& path);

    const std::string& Path() const { return library.Path(); }
    EntryPoint Entry() const { return entry; }
    // Any exported symbol by name (a test module's extra exports); null when absent.
    void* Symbol(const char* name) const { return library.Symbol(name); }

private:
    Library library;
    EntryPoint entry = nullptr;
};

} // namespace HostKit
