#include "ModuleHost.h"

#include "hostkit/Error.h"

#include <cstdio>
#include <unistd.h>

namespace Standalone
{

ModuleHost::ModuleHost() : Host(nullptr, kMaxEvents)
{
    logRequests = false;
    advanceTime = false; // the tests move the transport themselves
}

bool ModuleHost::Load(const char* modulePath, float sampleRate, int blockSize)
{
    try
    {
        module = std::make_unique<HostKit::Module>(modulePath);
    }
    catch (const HostKit::Error& error)
    {
        std::fprintf(stderr, "%s\n", error.what());
        return false;
    }
    if (Create(module->Entry()) == nullptr)
    {
        std::fprintf(stderr, "VSTPluginMain answered no record\n");
        return false;
    }
    Start(sampleRate, blockSize);
    return true;
}

std::size_t ResidentBytes()
{
    std::FILE* file = std::fopen("/proc/self/statm", "r");
    if (file == nullptr)
        return 0;
    unsigned long size = 0, resident = 0;
    const int read = std::fscanf(file, "%lu %lu", &size, &resident);
    std::fclose(file);
    return read == 2 ? resident * static_cast<std::size_t>(sysconf(_SC_PAGESIZE)) : 0;
}

} // namespace Standalone
