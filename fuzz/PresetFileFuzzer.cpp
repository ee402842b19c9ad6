// fuzz_preset_file: corvane-render's .fxp/.fxb reader. Any input is either refused with a
// HostKit::Error or parsed; what parses must write back into a file that parses to the same
// preset, and writing that again must give the same bytes.
#include "FuzzHost.h"

#include "hostkit/Error.h"
#include "hostkit/PresetFile.h"

#include <cstring>

namespace
{

using namespace HostKit;

constexpr std::int32_t kPluginId = FourCC("CPhr");

bool SameValues(const std::vector<float>& a, const std::vector<float>& b)
{
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0);
}

bool SamePreset(const PresetFile& a, const PresetFile& b)
{
    if (a.kind != b.kind || a.version != b.version || a.fxId != b.fxId ||
        a.fxVersion != b.fxVersion || a.numParams != b.numParams ||
        a.currentProgram != b.currentProgram || a.name != b.name || a.chunk != b.chunk ||
        a.numPrograms != b.numPrograms || a.programs.size() != b.programs.size())
        return false;
    for (std::size_t i = 0; i < a.programs.size(); ++i)
    {
        if (a.programs[i].name != b.programs[i].name ||
            !SameValues(a.programs[i].values, b.programs[i].values))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    PresetFile preset;
    try
    {
        preset = ParsePreset({data, size}, kPluginId);
    }
    catch (const Error&)
    {
        return 0;
    }
    const auto written = SerializePreset(preset);
    PresetFile reread;
    try
    {
        reread = ParsePreset(written, kPluginId);
    }
    catch (const Error& error)
    {
        Fuzz::Fail("a written preset file is refused: %s", error.what());
    }
    if (!SamePreset(preset, reread))
        Fuzz::Fail("a preset file does not read back as written");
    if (SerializePreset(reread) != written)
        Fuzz::Fail("writing a preset file twice gives different bytes");
    return 0;
}
