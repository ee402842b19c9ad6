// A test host on lilv: loads the built bundle as LV2 hosts do (from the build tree's lv2
// folder), connects every port, writes MIDI and time positions into the atom port's sequence
// and saves and restores state through lilv's own state code.
#pragma once

#include "phaser/Product.h"

#include <lilv/lilv.h>
#include <lv2/log/log.h>
#include <lv2/urid/urid.h>

#include <cstdarg>

#include <cstdint>
#include <string>
#include <vector>

namespace TestSupport
{

constexpr const char* kLv2Uri = "urn:corvane:phaser";

// The world with the bundle and the LV2 specifications loaded, shared by all tests.
LilvWorld* Lv2World();
const LilvPlugin* Lv2Plugin();
const char* Lv2BundlePath();

class Lv2TestHost
{
public:
    // withMap false: the instance gets no features at all (as lv2apply gives), else urid:map,
    // urid:unmap and log:log (its lines go to logged). Another world
    // and plug-in may be given (a bundle made by a test).
    explicit Lv2TestHost(bool withMap = true, double sampleRate = 44100.0,
                         LilvWorld* world = Lv2World(), const LilvPlugin* plugin = Lv2Plugin());
    ~Lv2TestHost();
    Lv2TestHost(const Lv2TestHost&) = delete;
    Lv2TestHost& operator=(const Lv2TestHost&) = delete;

    bool Loaded() const { return instance != nullptr; }
    LV2_URID Map(const char* uri);
    LV2_URID_Map* UridMap() { return &map; }
    // What the plug-in wrote through log:log, each line as "TYPE-URI text".
    std::vector<std::string> logged;
    std::uint32_t PortIndex(const char* symbol);

    // Control ports start at the bundle's defaults, as a host sets them.
    float controls[Kestrune::Product::kParameterCount] = {};

    // Events for the next Run, in the order added.
    void AddMidi(std::int64_t frame, std::vector<std::uint8_t> bytes);
    // time:Position with tempo, beat (in quarter notes: beat unit 4) and speed.
    void AddPosition(std::int64_t frame, double bpm, double beat, float speed = 1.0f);
    // Any event: body bytes of the given type, as written; size may claim more than is there.
    void AddEvent(std::int64_t frame, std::uint32_t type, const std::vector<std::uint8_t>& body,
                  std::uint32_t claimedSize);
    // The sequence's own header: a size or unit set here replaces the real one on the next Run.
    std::uint32_t overrideSize = 0;
    std::uint32_t overrideUnit = 0;

    // Once; a state restored before it is where processing starts. Run activates if needed.
    // connectControlsAfter: the control ports are connected only after activation (lv2file's
    // order).
    void Activate(bool connectControlsAfter = false);
    // Runs frames samples; in and out may be the same buffers.
    void Run(const float* inL, const float* inR, float* outL, float* outR, std::uint32_t frames);

    // Through lilv's state code, port values included.
    LilvState* Save();
    void Restore(const LilvState* state);
    std::string StateText(const LilvState* state);
    LilvState* StateFromText(const std::string& text);

    std::vector<std::uint8_t> ChunkProperty(const LilvState* state, const char* key);

private:
    static LV2_URID MapUri(LV2_URID_Map_Handle handle, const char* uri);
    static const char* UnmapUrid(LV2_URID_Unmap_Handle handle, LV2_URID urid);
    static int LogPrintf(LV2_Log_Handle handle, LV2_URID type, const char* format, ...);
    static int LogVPrintf(LV2_Log_Handle handle, LV2_URID type, const char* format, va_list args);
    void AppendEvent(std::int64_t frame, std::uint32_t type, const void* body, std::uint32_t size,
                     std::uint32_t claimedSize);

    std::vector<std::string> uris;
    LilvWorld* world;
    const LilvPlugin* plugin;
    LV2_URID_Map map{this, &MapUri};
    LV2_URID_Unmap unmap{this, &UnmapUrid};
    LV2_Feature mapFeature{LV2_URID__map, &map};
    LV2_Feature unmapFeature{LV2_URID__unmap, &unmap};
    LV2_Log_Log log{this, &LogPrintf, &LogVPrintf};
    LV2_Feature logFeature{LV2_LOG__log, &log};
    const LV2_Feature* features[4] = {&mapFeature, &unmapFeature, &logFeature, nullptr};
    LilvInstance* instance = nullptr;
    bool active = false;
    std::vector<std::uint8_t> events;    // event bytes of the next Run
    std::vector<std::uint64_t> sequence; // the port's buffer, 8-byte aligned
};

} // namespace TestSupport
