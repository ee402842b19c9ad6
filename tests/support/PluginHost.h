// The test host: the host library's host over the built plug-in module (or another test
// module), recording every request the plug-in makes.
#pragma once

#include "hostkit/Host.h"

#include <memory>
#include <string>

namespace TestSupport
{

using HostRequest = HostKit::Request;

// Loads the module before the host base is built; a module that fails to load leaves it null.
struct TestModule
{
    TestModule(const char* modulePath, const char* entryName);
    std::unique_ptr<HostKit::Module> module;
    HostKit::EntryPoint entry = nullptr; // the one asked for
};

class PluginHost : private TestModule, public HostKit::Host
{
public:
    // Room for floods past the plug-in's own queue.
    static constexpr std::size_t kEventCapacity = 8192;

    // Loads the module; entry is "VSTPluginMain" or "main".
    explicit PluginHost(const char* modulePath = nullptr, const char* entry = "VSTPluginMain");

    bool Loaded() const { return TestModule::entry != nullptr; }
    // A symbol the module exports besides the entry points; null when absent.
    void* Symbol(const char* name) const;
    // Calls the entry point; answerVersion is what audioMasterVersion answers.
    AEffect* Create(VstIntPtr answerVersion = 2400);
    std::string GetString(VstInt32 opcode, VstInt32 index) { return Text(opcode, index); }
};

const char* ModulePath();

} // namespace TestSupport
