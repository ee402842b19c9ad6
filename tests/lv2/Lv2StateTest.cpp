// State through lilv's own save and restore: the bank and the current program as the plug-in's
// chunks, exchangeable with the VST edition's.
#include "lv2/Lv2Scenario.h"
#include "phaser/Product.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace Product = Kestrune::Product;

namespace
{
using namespace TestSupport;

constexpr const char* kProgramChunk = "urn:corvane:phaser#programChunk";
constexpr const char* kBank = "urn:corvane:phaser#bank";

std::string Base64(const std::vector<std::uint8_t>& bytes)
{
    static const char* digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3)
    {
        std::uint32_t word = 0;
        for (std::size_t k = 0; k < 3; ++k)
            word = (word << 8) | (i + k < bytes.size() ? bytes[i + k] : 0u);
        for (std::size_t k = 0; k < 4; ++k)
            out += i + k <= bytes.size() ? digits[(word >> (18 - 6 * k)) & 63u] : '=';
    }
    return out;
}

// A state as a host or a preset file would hold it: the given chunk, and port values as given.
std::string StateWithChunk(const char* key, const std::vector<std::uint8_t>& chunk,
                           const std::string& ports = "")
{
    return "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
           "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
           "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
           "@prefix xsd: <http://www.w3.org/2001/XMLSchema#> .\n"
           "<urn:corvane:test:state> a pset:Preset ;\n"
           "    lv2:appliesTo <urn:corvane:phaser> ;\n" +
           ports + "    state:state [ <" + std::string(key) + "> \"" + Base64(chunk) +
           "\"^^xsd:base64Binary ] .\n";
}

std::vector<std::uint8_t> VstChunk(PluginHost& vst, bool program)
{
    void* data = nullptr;
    const VstIntPtr size = vst.Dispatch(effGetChunk, program ? 1 : 0, 0, &data);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return std::vector<std::uint8_t>(bytes, bytes + size);
}

// Values no port value can name exactly (0.3 is 900.00006 Hz), so only an untouched chunk
// comes back unchanged.
void SetUneven(PluginHost& vst)
{
    const std::pair<int, float> values[] = {{0, 0.37f}, {6, 0.61f}, {7, 0.33f},  {8, 0.3f},
                                            {9, 0.71f}, {10, 0.5f}, {11, 0.83f}, {3, 0.42f}};
    for (const auto& [index, value] : values)
        vst.Effect()->setParameter(vst.Effect(), index, value);
    char name[] = "From VST";
    vst.Dispatch(effSetProgramName, 0, 0, name);
}

LockstepRun Render(PluginHost& vst, Lv2TestHost& lv2)
{
    vst.Start(44100.0f, 512);
    LockstepRun run{{{30, 12, 2.0f / 3.0f}}, {{40, 20, 0xB0, 1, 90}}};
    run.Run(vst, lv2);
    return run;
}

// A parameter of a program chunk as its port shows it.
float ChunkPortValue(const std::vector<std::uint8_t>& chunk, int index)
{
    constexpr std::size_t kValues = 164 + 24; // after the header and the name
    const std::size_t at = kValues + 4 * static_cast<std::size_t>(index);
    float value = -1.0f;
    if (chunk.size() >= at + sizeof value)
        std::memcpy(&value, &chunk[at], sizeof value);
    return PortValue(index, value);
}

// A port's value in the program chunk a save writes now.
float SavedPortValue(Lv2TestHost& lv2, int index)
{
    LilvState* state = lv2.Save();
    const std::vector<std::uint8_t> chunk = lv2.ChunkProperty(state, kProgramChunk);
    lilv_state_free(state);
    return ChunkPortValue(chunk, index);
}

TEST(Lv2State, AVstProgramChunkLoadsUnchangedAndSoundsTheSame)
{
    PluginHost vst;
    vst.Create();
    SetUneven(vst);
    const std::vector<std::uint8_t> program = VstChunk(vst, true);
    ASSERT_EQ(program.size(), 240u);

    // The host kept the left frequency rounded (900.00006 Hz as 899.9): the chunk is exact, and
    // wins over port values restored with it.
    Lv2TestHost lv2;
    LilvState* state = lv2.StateFromText(
        StateWithChunk(kProgramChunk, program,
                       "    lv2:port [ lv2:symbol \"left_frequency\" ; pset:value 899.9 ] ;\n"));
    ASSERT_NE(state, nullptr);
    lv2.Restore(state);
    lilv_state_free(state);
    const LockstepRun run = Render(vst, lv2);
    EXPECT_TRUE(SameBits(run.lv2, run.vst));

    // Only the sweep source's port moved (as the VST edition's parameter did): nothing else was
    // set again, so the chunks are the VST edition's byte for byte. A port that moves is taken.
    LilvState* saved = lv2.Save();
    EXPECT_EQ(lv2.ChunkProperty(saved, kProgramChunk), VstChunk(vst, true));
    EXPECT_EQ(lv2.ChunkProperty(saved, kBank), VstChunk(vst, false));
    lilv_state_free(saved);
    lv2.controls[8] = 900.0f;
    std::vector<float> silence(64), out(64);
    lv2.Run(silence.data(), silence.data(), out.data(), out.data(), 64);
    LilvState* moved = lv2.Save();
    const std::vector<std::uint8_t> after = lv2.ChunkProperty(moved, kProgramChunk);
    lilv_state_free(moved);
    ASSERT_EQ(after.size(), program.size());
    EXPECT_FLOAT_EQ(ChunkPortValue(after, Product::kLeftFrequency),
                    900.0f); // the setting nearest to it
}

// A session saved, written out as Turtle, read back and restored into a new instance: its
// ports and its sound are the saved ones.
TEST(Lv2State, SavedSessionRestoresIntoANewInstance)
{
    Lv2TestHost first;
    first.controls[0] = 3.2f;   // Hz
    first.controls[10] = 12.0f; // stages
    first.controls[11] = 0.75f;
    std::vector<float> in(256, 0.25f), out(256);
    first.Run(in.data(), in.data(), out.data(), out.data(), 256);
    LilvState* saved = first.Save();
    const std::string text = first.StateText(saved);
    const std::vector<std::uint8_t> program = first.ChunkProperty(saved, kProgramChunk);
    EXPECT_EQ(program.size(), 240u);
    EXPECT_EQ(first.ChunkProperty(saved, kBank).size(), 2596u);
    lilv_state_free(saved);

    Lv2TestHost second;
    LilvState* loaded = second.StateFromText(text);
    ASSERT_NE(loaded, nullptr);
    second.Restore(loaded);
    lilv_state_free(loaded);
    for (int i = 0; i < 13; ++i)
        EXPECT_EQ(second.controls[i], first.controls[i]) << "port " << i;

    PluginHost vst;
    vst.Create();
    std::vector<std::uint8_t> chunk = program;
    ASSERT_EQ(vst.Dispatch(effSetChunk, 1, static_cast<VstIntPtr>(chunk.size()), chunk.data()), 1);
    const LockstepRun run = Render(vst, second);
    EXPECT_TRUE(SameBits(run.lv2, run.vst));
}

TEST(Lv2State, ARefusedChunkChangesNothing)
{
    PluginHost vst;
    vst.Create();
    SetUneven(vst);
    std::vector<std::uint8_t> program = VstChunk(vst, true);
    Lv2TestHost lv2;
    LilvState* before = lv2.Save();
    const std::vector<std::uint8_t> bank = lv2.ChunkProperty(before, kBank);
    lilv_state_free(before);

    program.pop_back();
    LilvState* truncated = lv2.StateFromText(StateWithChunk(kProgramChunk, program));
    ASSERT_NE(truncated, nullptr);
    lv2.Restore(truncated);
    lilv_state_free(truncated);
    LilvState* after = lv2.Save();
    EXPECT_EQ(lv2.ChunkProperty(after, kBank), bank);
    lilv_state_free(after);
}

// Hosts save and restore between runs: a port moved before a save is in what it saves, and one
// moved after a restore (away from what the host restored) is taken by the next run.
TEST(Lv2State, PortsMovedAroundSaveAndRestoreAreKept)
{
    Lv2TestHost lv2;
    std::vector<float> silence(64), out(64);
    lv2.Run(silence.data(), silence.data(), out.data(), out.data(), 64);
    lv2.controls[11] = 1.0f; // mix, no run since
    EXPECT_EQ(SavedPortValue(lv2, 11), 1.0f);

    LilvState* wet = lv2.Save();
    lv2.controls[6] = 0.5f; // feedback
    lv2.Run(silence.data(), silence.data(), out.data(), out.data(), 64);
    lv2.Restore(wet);
    lilv_state_free(wet);
    lv2.controls[11] = 0.0f; // the user's next move, before the host runs again
    lv2.Run(silence.data(), silence.data(), out.data(), out.data(), 64);
    EXPECT_EQ(SavedPortValue(lv2, 11), 0.0f);
    EXPECT_EQ(SavedPortValue(lv2, 6), 0.0f) << "the restored feedback";
}

} // namespace
