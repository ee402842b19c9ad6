// The host library's host for the standalone tests: the module loaded by Load, nothing recorded,
// so neither the callback nor the processing path touches the heap.
#pragma once

#include "hostkit/Host.h"

#include <cstddef>
#include <memory>

namespace Standalone
{

class ModuleHost : public HostKit::Host
{
public:
    static constexpr int kMaxEvents = 256;

    ModuleHost();
    // Module, entry point, effOpen, sample rate, block size, resume. False with a message on
    // stderr when the module or its record is missing.
    bool Load(const char* modulePath, float sampleRate, int blockSize);

    void AddSysex(std::int32_t deltaFrames) { Events().AddSysex(deltaFrames); }
    void ProcessReplacing(float** inputs, float** outputs, int frames)
    {
        Process(inputs, outputs, frames);
    }

private:
    std::unique_ptr<HostKit::Module> module;
};

// Resident memory of this process in bytes (/proc/self/statm).
std::size_t ResidentBytes();

} // namespace Standalone
