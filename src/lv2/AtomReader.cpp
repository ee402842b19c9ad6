#include "lv2/AtomReader.h"

#include <cstring>
#include <limits>

namespace Kestrune::Lv2
{

namespace
{
constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

std::uint32_t Padded(std::uint32_t size)
{
    return (size + 7u) & ~7u;
}

// A number atom of one of the four numeric types, read whole; anything else is NaN.
double Number(const LV2_Atom* atom, const std::uint8_t* body, const Urids& urids)
{
    const auto read = [atom, body](auto value)
    {
        if (atom->size < sizeof value)
            return kNone;
        std::memcpy(&value, body, sizeof value);
        return static_cast<double>(value);
    };
    if (atom->type == urids.atomFloat)
        return read(float{});
    if (atom->type == urids.atomDouble)
        return read(double{});
    if (atom->type == urids.atomInt)
        return read(std::int32_t{});
    if (atom->type == urids.atomLong)
        return read(std::int64_t{});
    return kNone;
}

bool IsObject(LV2_URID type, const Urids& urids)
{
    return type == urids.atomObject || type == urids.atomBlank || type == urids.atomResource;
}

double* Field(PositionFields& fields, LV2_URID key, const Urids& urids)
{
    if (key == urids.timeBeatsPerMinute)
        return &fields.beatsPerMinute;
    if (key == urids.timeBeat)
        return &fields.beat;
    if (key == urids.timeBar)
        return &fields.bar;
    if (key == urids.timeBarBeat)
        return &fields.barBeat;
    if (key == urids.timeBeatUnit)
        return &fields.beatUnit;
    if (key == urids.timeBeatsPerBar)
        return &fields.beatsPerBar;
    if (key == urids.timeSpeed)
        return &fields.speed;
    return nullptr;
}

// body holds size bytes of an object's body; false when it is no time:Position.
bool ReadPosition(const std::uint8_t* body, std::uint32_t size, const Urids& urids,
                  PositionFields& fields)
{
    LV2_Atom_Object_Body header;
    if (size < sizeof header)
        return false;
    std::memcpy(&header, body, sizeof header);
    if (header.otype != urids.timePosition)
        return false;
    fields = {kNone, kNone, kNone, kNone, kNone, kNone, kNone};
    std::uint32_t at = sizeof header;
    while (size - at >= sizeof(LV2_Atom_Property_Body))
    {
        LV2_Atom_Property_Body property;
        std::memcpy(&property, body + at, sizeof property);
        const std::uint32_t room = size - at - static_cast<std::uint32_t>(sizeof property);
        if (property.value.size > room)
            break;
        if (double* field = Field(fields, property.key, urids))
            *field = Number(&property.value, body + at + sizeof property, urids);
        at += static_cast<std::uint32_t>(sizeof property);
        at += property.value.size > room ? room : property.value.size;
        const std::uint32_t padding = Padded(at) - at;
        at += padding > size - at ? size - at : padding;
    }
    return true;
}
} // namespace

void ReadSequence(const LV2_Atom_Sequence* sequence, const Urids& urids, ISequenceVisitor& visitor)
{
    if (sequence == nullptr || !urids.Mapped() || sequence->atom.type != urids.atomSequence ||
        sequence->atom.size < sizeof(LV2_Atom_Sequence_Body))
        return;
    if (sequence->body.unit != 0 && sequence->body.unit != urids.atomFrameTime)
        return;
    const auto* body = reinterpret_cast<const std::uint8_t*>(&sequence->body);
    const std::uint32_t size = sequence->atom.size;
    std::uint32_t at = sizeof(LV2_Atom_Sequence_Body);
    while (size - at >= sizeof(LV2_Atom_Event))
    {
        LV2_Atom_Event event;
        std::memcpy(&event, body + at, sizeof event);
        at += static_cast<std::uint32_t>(sizeof event);
        if (event.body.size > size - at)
            return;
        const std::uint8_t* data = body + at;
        if (event.body.type == urids.midiEvent && event.body.size > 0)
            visitor.OnMidi(event.time.frames, data, event.body.size);
        else if (IsObject(event.body.type, urids))
        {
            PositionFields fields;
            if (ReadPosition(data, event.body.size, urids, fields))
                visitor.OnPosition(event.time.frames, fields);
        }
        at += event.body.size;
        const std::uint32_t padding = Padded(at) - at;
        if (padding > size - at)
            return;
        at += padding;
    }
}

} // namespace Kestrune::Lv2
