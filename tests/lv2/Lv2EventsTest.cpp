// Events through the atom port: at their frame, in whatever order and shape a host sends them.
#include "lv2/Lv2Scenario.h"

#include <gtest/gtest.h>

#include <lv2/atom/atom.h>
#include <lv2/midi/midi.h>
#include <lv2/time/time.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace
{
using namespace TestSupport;

std::vector<float> Ramp(std::size_t frames)
{
    std::vector<float> signal(frames);
    for (std::size_t i = 0; i < frames; ++i)
        signal[i] = 0.5f * std::sin(0.01f * static_cast<float>(i % 6283));
    return signal;
}

// Wheel sweep and tempo sync, so both MIDI and transport shape the output; both editions start
// processing at these settings (the VST one resumed after them, the LV2 one activated).
void Configure(PluginHost& vst, Lv2TestHost& lv2)
{
    const TimedChange settings[] = {{0, 12, 2.0f / 3.0f}, {0, 2, 1.0f}, {0, 1, 1.0f / 3.0f},
                                    {0, 7, 1.0f},         {0, 6, 0.8f}, {0, 11, 1.0f}};
    for (const TimedChange& s : settings)
    {
        vst.Effect()->setParameter(vst.Effect(), s.index, s.value);
        lv2.controls[s.index] = PortValue(s.index, s.value);
    }
    vst.Suspend();
    vst.Resume();
    lv2.Activate();
}

// A relocation and a new tempo halfway through an LV2 block, and a controller after it, land
// where a VST host's next block would start with them.
TEST(Lv2Events, PositionAndMidiInsideABlockTakeEffectAtTheirFrame)
{
    PluginHost vst;
    StartVst(vst, 256);
    vst.time.tempo = kLv2Tempo;
    Lv2TestHost lv2;
    Configure(vst, lv2);
    std::vector<float> in = Ramp(40 * 256);
    std::vector<float> vstL(in.size()), vstR(in.size()), lv2L(in.size()), lv2R(in.size());
    for (int block = 0; block < 40; ++block)
    {
        const std::size_t at = static_cast<std::size_t>(block) * 256;
        if (block == 21)
        {
            vst.time.ppqPos = 100.0;
            vst.time.tempo = 100.0;
            vst.AddMidi(44, 0xB0, 1, 120);
        }
        vst.Process(&in[at], &in[at], &vstL[at], &vstR[at], 256);
        if (block == 0)
            lv2.AddPosition(0, kLv2Tempo, 0.0);
        if (block == 21)
            continue;
        std::uint32_t frames = 256;
        if (block == 20)
        {
            lv2.AddPosition(256, 100.0, 100.0);
            lv2.AddMidi(300, {0xB0, 1, 120});
            frames = 512;
        }
        lv2.Run(&in[at], &in[at], &lv2L[at], &lv2R[at], frames);
    }
    EXPECT_TRUE(SameBits(lv2L, vstL));
    EXPECT_TRUE(SameBits(lv2R, vstR));
}

// Late events, events beyond the block and frames outside any int follow the VST edition's
// rules; a block far beyond the 16384-sample buffers is processed in pieces.
TEST(Lv2Events, OutOfOrderEventsAndHugeBlocksFollowTheVstRules)
{
    PluginHost vst;
    StartVst(vst, 512);
    vst.time.tempo = kLv2Tempo;
    Lv2TestHost lv2;
    Configure(vst, lv2);
    std::vector<float> in = Ramp(100000);
    std::vector<float> vstL(in.size()), vstR(in.size()), lv2L(in.size()), lv2R(in.size());

    const int frames[] = {300, 100, -5, 200, 600, 50};
    const std::uint8_t values[] = {10, 127, 64, 30, 90, 5};
    for (int i = 0; i < 6; ++i)
    {
        vst.AddMidi(frames[i], 0xB0, 1, values[i]);
        lv2.AddMidi(frames[i], {0xB0, 1, values[i]});
    }
    lv2.AddPosition(0, kLv2Tempo, 0.0);
    vst.Process(&in[0], &in[0], &vstL[0], &vstR[0], 512);
    lv2.Run(&in[0], &in[0], &lv2L[0], &lv2R[0], 512);

    const std::size_t rest = in.size() - 512;
    vst.AddMidi(70000, 0xB0, 1, 100);
    vst.AddMidi(rest - 1, 0xB0, 1, 0);
    lv2.AddMidi(70000, {0xB0, 1, 100});
    lv2.AddMidi(static_cast<std::int64_t>(rest) - 1, {0xB0, 1, 0});
    lv2.AddPosition(0, kLv2Tempo, vst.time.ppqPos);
    vst.Process(&in[512], &in[512], &vstL[512], &vstR[512], static_cast<int>(rest));
    lv2.Run(&in[512], &in[512], &lv2L[512], &lv2R[512], static_cast<std::uint32_t>(rest));

    EXPECT_TRUE(SameBits(lv2L, vstL));
    EXPECT_TRUE(SameBits(lv2R, vstR));
    EXPECT_TRUE(AllFinite(lv2L) && AllFinite(lv2R));
}

template <typename T> std::vector<std::uint8_t> Bytes(const T& value)
{
    std::vector<std::uint8_t> bytes(sizeof value);
    std::memcpy(bytes.data(), &value, sizeof value);
    return bytes;
}

void Append(std::vector<std::uint8_t>& to, const std::vector<std::uint8_t>& bytes)
{
    to.insert(to.end(), bytes.begin(), bytes.end());
}

// Objects and events of the wrong type, size or time never break processing: every block's
// output stays finite.
TEST(Lv2Events, MalformedAtomsLeaveTheOutputFinite)
{
    Lv2TestHost lv2;
    PluginHost unused;
    unused.Create();
    Configure(unused, lv2);
    const LV2_URID object = lv2.Map(LV2_ATOM__Object);
    const LV2_URID position = lv2.Map(LV2_TIME__Position);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();

    std::vector<std::vector<std::uint8_t>> bodies;
    for (double bad : {nan, inf, -inf, 1e300, -1e300, 0.0})
    {
        std::vector<std::uint8_t> body = Bytes(LV2_Atom_Object_Body{0, position});
        for (const char* key :
             {LV2_TIME__beatsPerMinute, LV2_TIME__beat, LV2_TIME__beatUnit, LV2_TIME__speed})
        {
            Append(body,
                   Bytes(LV2_Atom_Property_Body{lv2.Map(key), 0, {8, lv2.Map(LV2_ATOM__Double)}}));
            Append(body, Bytes(bad));
        }
        bodies.push_back(body);
    }
    std::vector<std::uint8_t> wrongSizes = Bytes(LV2_Atom_Object_Body{0, position});
    Append(wrongSizes, Bytes(LV2_Atom_Property_Body{
                           lv2.Map(LV2_TIME__beatsPerMinute), 0, {2, lv2.Map(LV2_ATOM__Float)}}));
    Append(wrongSizes, Bytes(std::uint64_t{0}));
    Append(wrongSizes, Bytes(LV2_Atom_Property_Body{
                           lv2.Map(LV2_TIME__beat), 0, {4000, lv2.Map(LV2_ATOM__Double)}}));
    bodies.push_back(wrongSizes);

    std::vector<float> in = Ramp(512);
    std::vector<float> outL(512), outR(512);
    const auto run = [&](std::uint32_t frames)
    {
        lv2.Run(in.data(), in.data(), outL.data(), outR.data(), frames);
        EXPECT_TRUE(AllFinite(outL) && AllFinite(outR));
    };
    for (const auto& body : bodies)
    {
        lv2.AddEvent(10, object, body, static_cast<std::uint32_t>(body.size()));
        run(512);
    }
    lv2.AddEvent(0, lv2.Map(LV2_MIDI__MidiEvent), {}, 0);            // empty MIDI
    lv2.AddEvent(5, lv2.Map(LV2_MIDI__MidiEvent), {0xB0}, 1);        // status alone
    lv2.AddEvent(7, object, {1, 2, 3}, 3);                           // object without a type
    lv2.AddEvent(9, lv2.Map(LV2_MIDI__MidiEvent), {0xB0, 1}, 60000); // claims past the end
    run(512);
    lv2.AddMidi(std::numeric_limits<std::int64_t>::max(), {0xB0, 1, 127});
    lv2.AddMidi(std::numeric_limits<std::int64_t>::min(), {0xD0, 127, 0});
    run(512);
    lv2.AddMidi(3, {0xB0, 1, 64});
    lv2.overrideUnit = lv2.Map(LV2_ATOM__beatTime); // beats: nothing for us
    run(512);
    lv2.overrideSize = 3; // shorter than the sequence body's own header
    run(512);
    run(0);
}

} // namespace
