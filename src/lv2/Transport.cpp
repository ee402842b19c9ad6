#include "lv2/Transport.h"

#include <cmath>
#include <limits>

namespace Kestrune::Lv2
{

namespace
{
constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
} // namespace

Transport::Transport(double rate) : sampleRate(std::isfinite(rate) && rate > 0.0 ? rate : 44100.0)
{
}

Transport::Change Transport::Receive(const PositionFields& fields, std::int64_t frame)
{
    // Beats count in the time signature's unit; the engine counts quarter notes.
    const double unit =
        std::isfinite(fields.beatUnit) && fields.beatUnit > 0.0 ? fields.beatUnit : 4.0;
    const double quarters = 4.0 / unit;
    Change change{kNone, kNone};
    if (std::isfinite(fields.beatsPerMinute))
        change.tempo = fields.beatsPerMinute * quarters;
    if (std::isfinite(fields.beat))
        change.position = fields.beat * quarters;
    else if (std::isfinite(fields.bar) && std::isfinite(fields.barBeat) &&
             std::isfinite(fields.beatsPerBar))
        change.position = (fields.bar * fields.beatsPerBar + fields.barBeat) * quarters;

    if (std::isfinite(fields.speed))
        speed = fields.speed;
    if (std::isfinite(change.tempo))
        tempo = change.tempo;
    if (std::isfinite(change.position))
    {
        known = true;
        position = change.position;
        positionFrame = frame;
    }
    return change;
}

void Transport::FinishBlock(std::int64_t frames)
{
    const double elapsed = static_cast<double>(frames - positionFrame);
    const double moved = speed * elapsed / sampleRate * tempo / 60.0;
    if (std::isfinite(moved))
        position += moved;
    positionFrame = 0;
}

} // namespace Kestrune::Lv2
