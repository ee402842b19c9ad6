#include "FuzzHost.h"

#include "phaser/Assembly.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace Fuzz
{

namespace
{
constexpr int kGuardSamples = 16;
constexpr float kGuardValue = 12345.0f;
} // namespace

void Fail(const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    std::fputs("fuzz check failed: ", stderr);
    std::vfprintf(stderr, format, args);
    std::fputc('\n', stderr);
    va_end(args);
    std::abort();
}

void EventList::AddFrom(ByteReader& reader)
{
    const auto kind = reader.Read<std::uint8_t>();
    const auto delta = reader.Read<std::int32_t>();
    const auto status = reader.Read<std::uint8_t>();
    const auto data1 = reader.Read<std::uint8_t>();
    const auto data2 = reader.Read<std::uint8_t>();
    switch (kind % 8)
    {
    case 5:
        AddSysex(delta, data1);
        break;
    case 6:
        AddNull();
        break;
    case 7:
        AddOther(status, data1, delta);
        break;
    default: // MIDI is what hosts send most
        AddMidi(delta, status, data1, data2);
        break;
    }
}

void EventList::WriteMidi(ByteWriter& writer, std::int32_t deltaFrames, std::uint8_t status,
                          std::uint8_t data1, std::uint8_t data2)
{
    writer.Write<std::uint8_t>(0);
    writer.Write(deltaFrames);
    writer.Write(status);
    writer.Write(data1);
    writer.Write(data2);
}

FuzzHost::FuzzHost()
    : Host(&Kestrune::Vst::CreatePluginRecord), noiseL(kMaxFrames + kGuardSamples),
      noiseR(kMaxFrames + kGuardSamples), inL(kMaxFrames + kGuardSamples),
      inR(kMaxFrames + kGuardSamples), outL(kMaxFrames + kGuardSamples),
      outR(kMaxFrames + kGuardSamples)
{
    // Noise within +-1, and full scale every 64 samples on the right.
    std::uint32_t seed = 0x12345678u;
    for (std::size_t i = 0; i < noiseL.size(); ++i)
    {
        seed = seed * 1664525u + 1013904223u;
        const float x = static_cast<float>(seed >> 8) * (2.0f / 16777216.0f) - 1.0f;
        noiseL[i] = x;
        noiseR[i] = i % 64 == 0 ? 1.0f : -x;
    }

    logRequests = false;
    if (Create() == nullptr)
        Fail("the entry point answered no record");
    Start(44100.0, 512);
}

void FuzzHost::SendEvents(EventList& events)
{
    Dispatch(effProcessEvents, 0, 0, events.Build());
}

void FuzzHost::Process(int frames)
{
    frames = std::min(frames, kMaxFrames);
    const auto used = static_cast<std::size_t>(std::max(frames, 0));
    const std::size_t checked = used + kGuardSamples;
    std::copy_n(noiseL.begin(), checked, inL.begin());
    std::copy_n(noiseR.begin(), checked, inR.begin());
    std::fill_n(outL.begin(), checked, kGuardValue);
    std::fill_n(outR.begin(), checked, kGuardValue);

    float* inputs[2] = {inL.data(), inR.data()};
    float* outputs[2] = {outL.data(), outR.data()};
    Effect()->processReplacing(Effect(), inputs, outputs, frames);

    for (std::size_t k = 0; k < used; ++k)
    {
        if (!std::isfinite(outL[k]) || !std::isfinite(outR[k]))
            Fail("output sample %zu of %d is %g, %g", k, frames, static_cast<double>(outL[k]),
                 static_cast<double>(outR[k]));
    }
    for (std::size_t k = used; k < checked; ++k)
    {
        if (outL[k] != kGuardValue || outR[k] != kGuardValue)
            Fail("sample %zu written beyond a block of %d", k, frames);
    }
    if (!std::equal(inL.begin(), inL.begin() + static_cast<long>(checked), noiseL.begin()) ||
        !std::equal(inR.begin(), inR.begin() + static_cast<long>(checked), noiseR.begin()))
        Fail("the input of a block of %d was changed", frames);
}

std::vector<std::uint8_t> FuzzHost::GetChunk(bool isPreset)
{
    void* data = nullptr;
    const VstIntPtr size = Dispatch(effGetChunk, isPreset ? 1 : 0, 0, &data);
    if (size <= 0 || data == nullptr)
        Fail("getChunk answered %ld bytes at %p", static_cast<long>(size), data);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return {bytes, bytes + size};
}

void FuzzHost::CheckTexts()
{
    // Fields as hosts pass them: larger than promised, so an overrun shows in the tail.
    char text[64];
    const VstInt32 count = Effect()->numParams;
    for (VstInt32 index = -1; index <= count; ++index)
    {
        for (VstInt32 opcode : {effGetParamLabel, effGetParamDisplay, effGetParamName})
        {
            std::memset(text, 'x', sizeof text);
            Dispatch(opcode, index, 0, text);
            if (std::memchr(text, '\0', kVstMaxParamStrLen) == nullptr)
                Fail("text of opcode %d, parameter %d, has no end within 8 bytes", opcode, index);
            if (text[kVstMaxParamStrLen] != 'x')
                Fail("text of opcode %d, parameter %d, runs past 8 bytes", opcode, index);
        }
    }
    for (VstInt32 program = -1; program <= Effect()->numPrograms; ++program)
    {
        std::memset(text, 'x', sizeof text);
        Dispatch(effGetProgramNameIndexed, program, 0, text);
        if (std::memchr(text, '\0', kVstMaxProgNameLen) == nullptr ||
            text[kVstMaxProgNameLen] != 'x')
            Fail("name of program %d is not held within 24 bytes", program);
    }
}

} // namespace Fuzz
