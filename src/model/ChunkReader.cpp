#include "model/ChunkReader.h"

#include <algorithm>
#include <cstring>

namespace Kestrune
{

ChunkReader::ChunkReader(const void* data, std::size_t size)
{
    if (data != nullptr && size > 0)
    {
        const auto* begin = static_cast<const std::uint8_t*>(data);
        bytes.assign(begin, begin + size);
    }
}

std::size_t ChunkReader::ReadBytes(void* destination, std::size_t count)
{
    const std::size_t n = std::min(count, GetRemaining());
    if (n > 0)
        std::memcpy(destination, bytes.data() + position, n);
    position += n;
    return n;
}

bool ChunkReader::ReadInt32(std::int32_t& value)
{
    std::uint8_t le[4];
    if (ReadBytes(le, sizeof le) != sizeof le)
        return false;
    const std::uint32_t u =
        static_cast<std::uint32_t>(le[0]) | (static_cast<std::uint32_t>(le[1]) << 8) |
        (static_cast<std::uint32_t>(le[2]) << 16) | (static_cast<std::uint32_t>(le[3]) << 24);
    value = static_cast<std::int32_t>(u);
    return true;
}

bool ChunkReader::ReadFloat(float& value)
{
    std::int32_t pattern;
    if (!ReadInt32(pattern))
        return false;
    std::memcpy(&value, &pattern, sizeof value);
    return true;
}

} // namespace Kestrune
