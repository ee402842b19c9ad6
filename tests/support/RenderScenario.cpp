#include "support/RenderScenario.h"

#include "phaser/Product.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace TestSupport
{

namespace
{

using namespace Kestrune::Product;

constexpr double kTempo = 132.0;

// Host automation during the render: tempo sync with its phase taken from the song position,
// glides, every stage count change, the sweep sources and bypass.
const TimedParameter kParameterChanges[] = {
    {40, kLfoSync, 1.0f},               // LSOn: sync on
    {40, kLfoSyncResolution, 0.4f},     // LSRes: 1/4
    {80, kLeftFrequency, 0.3f},         // PLFreq: glides to 900 Hz
    {100, kRightFrequency, 0.55f},      // PRFreq
    {120, kSweepSource, 2.0f / 3.0f},   // PMS: MW
    {180, kStageMode, 1.0f},            // PSM: 16 stages
    {200, kSweepSource, 1.0f / 3.0f},   // PMS: LFO
    {200, kLfoMidiSource, 1.0f / 3.0f}, // LMS: the wheel scales the LFO
    {220, kLfoSync, 0.0f},              // LSOn: free-running again
    {225, kLfoQuadMode, 0.0f},          // LQM: quad mode off
    {240, kEnabled, 0.0f},              // POn: passes audio through
    {250, kEnabled, 1.0f},
    {250, kMix, 0.25f}, // PMix
};

const TimedMidi kMidiEvents[] = {
    {120, 100, 0xB0, 1, 0},   {140, 7, 0xB0, 1, 64},   {160, 511, 0xB0, 1, 127},
    {170, 3, 0xB3, 1, 20},    {170, 300, 0xB0, 1, 90}, {230, 0, 0xD0, 80, 0},
    {235, 256, 0xB0, 11, 40}, {258, 203, 0xB0, 1, 10},
};

// A generator with a period far beyond the render; the top 24 bits make an exact float.
struct Noise
{
    std::uint32_t state;
    float Next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<float>(state >> 8) * (1.0f / 16777216.0f) - 0.5f;
    }
};

bool SameBits(const std::vector<float>& a, const std::vector<float>& b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

void CheckRecord(const AEffect* effect, CheckLog& log)
{
    log.Check(effect->magic == kEffectMagic, "magic is 'VstP'");
    log.Check(effect->uniqueID == kScenarioUniqueId, "uniqueID is 'CPhr'");
    log.Check(effect->numInputs == 2 && effect->numOutputs == 2, "2 inputs, 2 outputs");
    log.Check(effect->numPrograms == 32, "32 programs");
    log.Check(effect->numParams == kParameterCount, "every parameter");
    log.Check(effect->version == 1, "record version 1");
    log.Check(effect->processReplacing != nullptr && effect->dispatcher != nullptr,
              "dispatcher and processReplacing set");
    const bool flagsKnown = effect->flags == 48 || effect->flags == 49;
    log.Check(flagsKnown,
              "flags are 48 (no editor yet) or 49 (with editor): " + std::to_string(effect->flags));
    if (flagsKnown)
        log.Note(effect->flags == 49 ? "flags 49: editor present" : "flags 48: no editor");
}

void CheckIdentity(ScenarioHost& host, CheckLog& log)
{
    log.Check(host.Text(effGetEffectName) == "Corvane Phaser", "effect name");
    log.Check(host.Text(effGetVendorString) == "Corvane Sound Design", "vendor string");
    log.Check(host.Text(effGetProductString) == "Corvane Phaser", "product string");
    log.Check(host.Dispatch(effGetVendorVersion) == 1000, "vendor version 1000");
    log.Check(host.Dispatch(effGetPlugCategory) == kPlugCategEffect, "effect category");
    log.Check(host.Dispatch(effGetVstVersion) == 2400, "interface version 2400");
    char canDo[] = "receiveVstTimeInfo";
    log.Check(host.Dispatch(effCanDo, 0, 0, canDo) == 1, "canDo receiveVstTimeInfo");
}

// Display texts are formatted without the C library's locale or printf.
void CheckDisplays(ScenarioHost& host, CheckLog& log)
{
    const struct
    {
        VstInt32 index;
        const char* text;
    } expected[] = {{6, "-4.88"}, {8, "2500.00"}, {10, "10"}, {11, "80"}, {0, "2.450"}};
    for (const auto& e : expected)
    {
        const std::string text = host.Text(effGetParamDisplay, e.index);
        log.Check(text == e.text, "display of parameter " + std::to_string(e.index) + " is \"" +
                                      e.text + "\" (got \"" + text + "\")");
    }
}

std::vector<float> Settings(ScenarioHost& host)
{
    std::vector<float> values;
    for (VstInt32 i = 0; i < host.Effect()->numParams; ++i)
        values.push_back(host.Effect()->getParameter(host.Effect(), i));
    return values;
}

} // namespace

bool CheckLog::Check(bool ok, const std::string& what)
{
    if (ok)
        ++passed;
    else
    {
        ++failed;
        std::printf("FAILED: %s\n", what.c_str());
        std::fflush(stdout);
    }
    return ok;
}

void CheckLog::Note(const std::string& text)
{
    std::printf("%s\n", text.c_str());
    std::fflush(stdout);
}

std::string CheckLog::Summary() const
{
    return std::to_string(passed) + " passed, " + std::to_string(failed) + " failed";
}

ScenarioHost::ScenarioHost(EntryPoint entry, VstIntPtr version) : Host(entry)
{
    versionAnswer = version;
    advanceTime = false;
    time.sampleRate = kScenarioSampleRate;
    time.tempo = kTempo;
    Create();
}

void MakeScenarioInput(std::vector<float>& left, std::vector<float>& right)
{
    left.assign(kScenarioFrames, 0.0f);
    right.assign(kScenarioFrames, 0.0f);
    Noise noiseL{0x12345678u};
    Noise noiseR{0x9E3779B9u};
    for (int n = 0; n < kScenarioFrames; ++n)
    {
        // A 220.5 Hz triangle on the left, a 133.2 Hz saw on the right, and some noise.
        const int t = n % 200;
        const float triangle = static_cast<float>(t < 100 ? t : 200 - t) / 100.0f - 0.5f;
        const float saw = static_cast<float>(n % 331) / 331.0f - 0.5f;
        left[n] = 0.6f * triangle + 0.25f * noiseL.Next();
        right[n] = 0.5f * saw + 0.25f * noiseR.Next();
    }
    // A stretch of silence lets the feedback tails decay.
    for (int n = 2 * kScenarioBlockSize * 100; n < 2 * kScenarioBlockSize * 105; ++n)
        left[n] = right[n] = 0.0f;
}

const std::vector<std::pair<VstInt32, float>>& ScenarioSettings()
{
    static const std::vector<std::pair<VstInt32, float>> settings = {
        {0, 0.35f}, // LFreq: 2.45 Hz
        {6, 0.6f},  // PFB: 0.57
        {7, 0.7f},  // PModD: 0.49 octaves
        {10, 0.5f}, // PSM: 10 stages
        {11, 0.9f}, // PMix: 80 % wet
    };
    return settings;
}

std::vector<float> RenderScenario(ScenarioHost& host)
{
    std::vector<float> inL;
    std::vector<float> inR;
    MakeScenarioInput(inL, inR);
    std::vector<float> outL(kScenarioFrames, 0.0f);
    std::vector<float> outR(kScenarioFrames, 0.0f);
    AEffect* effect = host.Effect();
    host.time.samplePos = 0.0;
    host.time.ppqPos = 0.0;

    for (int block = 0, start = 0; start < kScenarioFrames; ++block, start += kScenarioBlockSize)
    {
        const int frames = std::min(kScenarioBlockSize, kScenarioFrames - start);
        for (const TimedParameter& change : kParameterChanges)
            if (change.block == block)
                effect->setParameter(effect, change.index, change.value);

        for (const TimedMidi& m : kMidiEvents)
            if (m.block == block)
                host.AddMidi(m.offset, m.status, m.data1, m.data2);
        float* inputs[2] = {inL.data() + start, inR.data() + start};
        float* outputs[2] = {outL.data() + start, outR.data() + start};
        host.Process(inputs, outputs, frames);
        host.time.samplePos += frames;
        host.time.ppqPos = host.time.samplePos / host.time.sampleRate * host.time.tempo / 60.0;
    }

    std::vector<float> interleaved(2 * static_cast<std::size_t>(kScenarioFrames));
    for (int n = 0; n < kScenarioFrames; ++n)
    {
        interleaved[2 * n] = outL[n];
        interleaved[2 * n + 1] = outR[n];
    }
    return interleaved;
}

std::vector<float> RunScenario(EntryPoint vstPluginMain, EntryPoint main, CheckLog& log)
{
    if (!log.Check(vstPluginMain != nullptr && main != nullptr, "entry points found"))
        return {};
    {
        ScenarioHost refused(vstPluginMain, 0);
        log.Check(refused.Effect() == nullptr, "a host answering version 0 gets no record");
    }

    ScenarioHost host(vstPluginMain);
    if (!log.Check(host.Effect() != nullptr, "VSTPluginMain gives a record"))
        return {};
    CheckRecord(host.Effect(), log);
    CheckIdentity(host, log);
    host.Open();
    for (const auto& [index, value] : ScenarioSettings())
        host.Effect()->setParameter(host.Effect(), index, value);
    char name[] = "Parity";
    host.Dispatch(effSetProgramName, 0, 0, name);
    CheckDisplays(host, log);
    const std::vector<float> settings = Settings(host);
    const std::vector<std::uint8_t> program = host.GetChunk(true);
    const std::vector<std::uint8_t> bank = host.GetChunk(false);
    log.Check(program.size() == 240, "program chunk is 240 bytes");
    log.Check(bank.size() == 2596, "bank chunk is 2596 bytes");
    host.Resume();
    const std::vector<float> output = RenderScenario(host);

    bool finite = true;
    double energy = 0.0;
    for (float x : output)
    {
        finite = finite && std::isfinite(x);
        energy += static_cast<double>(x) * static_cast<double>(x);
    }
    log.Check(finite, "output is finite");
    log.Check(energy > 1.0, "output is not silent");
    std::vector<float> inL;
    std::vector<float> inR;
    MakeScenarioInput(inL, inR);
    std::size_t changed = 0;
    for (int n = 0; n < kScenarioFrames; ++n)
        changed += output[2 * n] != inL[n] ? 1 : 0;
    log.Check(changed > static_cast<std::size_t>(kScenarioFrames / 2),
              "the phaser changes the input");

    // Bank then program, into an instance made through main.
    ScenarioHost fromBank(main);
    if (log.Check(fromBank.Effect() != nullptr, "main gives a record"))
    {
        fromBank.Open();
        std::vector<std::uint8_t> cut(program.begin(), program.end() - 1);
        log.Check(fromBank.LoadChunk(cut, true) == 0, "a truncated program chunk is refused");
        log.Check(fromBank.LoadChunk(bank, false) == 1, "bank chunk loads");
        log.Check(fromBank.LoadChunk(program, true) == 1, "program chunk loads");
        log.Check(Settings(fromBank) == settings, "restored settings equal the saved ones");
        log.Check(fromBank.Text(effGetProgramName) == "Parity", "restored program name");
        fromBank.Resume();
        log.Check(SameBits(RenderScenario(fromBank), output),
                  "instance restored from bank and program chunks renders the same bits");
    }

    ScenarioHost fromProgram(vstPluginMain);
    if (log.Check(fromProgram.Effect() != nullptr, "second record from VSTPluginMain"))
    {
        fromProgram.Open();
        log.Check(fromProgram.LoadChunk(program, true) == 1, "program chunk loads alone");
        fromProgram.Resume();
        log.Check(SameBits(RenderScenario(fromProgram), output),
                  "instance restored from the program chunk renders the same bits");
    }
    return output;
}

bool WriteRawFloats(const std::string& path, const std::vector<float>& samples)
{
    std::vector<char> bytes(samples.size() * 4);
    for (std::size_t i = 0; i < samples.size(); ++i)
    {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &samples[i], 4);
        for (int b = 0; b < 4; ++b)
            bytes[4 * i + b] = static_cast<char>((bits >> (8 * b)) & 0xFFu);
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file.flush());
}

} // namespace TestSupport
