// fuzz_chunks: the input is handed to effSetChunk as a program chunk (index 1) and then as a
// bank chunk (index 0), each followed by processing. A refused chunk must change nothing; an
// accepted one must come back from effGetChunk byte for byte (the name's last byte zeroed).
#include "FuzzHost.h"

#include <algorithm>
#include <cstring>

namespace
{

constexpr std::size_t kHeaderBytes = 32 + 64 + 64 + 4;
constexpr std::size_t kNameBytes = 24;

void CheckLoad(Fuzz::FuzzHost& host, const std::uint8_t* data, std::size_t size, bool isPreset)
{
    const auto bankBefore = host.GetChunk(false);
    const auto programBefore = host.GetChunk(true);
    std::vector<std::uint8_t> copy(data, data + size); // the interface passes a non-const pointer
    const VstIntPtr loaded =
        host.Dispatch(effSetChunk, isPreset ? 1 : 0, static_cast<VstIntPtr>(size), copy.data());
    if (loaded != 0 && loaded != 1)
        Fuzz::Fail("effSetChunk answered %ld", static_cast<long>(loaded));
    if (loaded == 0)
    {
        if (host.GetChunk(false) != bankBefore || host.GetChunk(true) != programBefore)
            Fuzz::Fail("a refused %s chunk changed the plug-in", isPreset ? "program" : "bank");
        return;
    }
    // The header names this plug-in; what follows a name's terminating zero is not kept.
    const auto stored = host.GetChunk(isPreset);
    if (!std::equal(stored.begin(), stored.begin() + kHeaderBytes, bankBefore.begin()))
        Fuzz::Fail("an accepted chunk changed the plug-in's header");
    const auto recordBytes = kNameBytes + 4 * static_cast<std::size_t>(host.Effect()->numParams);
    if (stored.size() > size)
        Fuzz::Fail("an accepted chunk of %zu bytes came back as %zu", size, stored.size());
    for (std::size_t i = kHeaderBytes; i < stored.size(); ++i)
    {
        const std::size_t inRecord = (i - kHeaderBytes) % recordBytes;
        const bool nameEnd = inRecord == kNameBytes - 1;
        const std::uint8_t expected = nameEnd ? 0 : data[i];
        if (stored[i] != expected)
            Fuzz::Fail("byte %zu of an accepted %s chunk came back as %u, not %u", i,
                       isPreset ? "program" : "bank", stored[i], expected);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Fuzz::FuzzHost host;
    host.Dispatch(effSetProgram, 0, static_cast<VstIntPtr>(size % 32));

    CheckLoad(host, data, size, true);
    host.Process(512);
    host.Process(1000);
    host.CheckTexts();

    CheckLoad(host, data, size, false);
    host.Process(512);
    host.Dispatch(effSetProgram, 0, static_cast<VstIntPtr>((size / 32) % 32));
    host.Process(1024);
    host.CheckTexts();
    return 0;
}
