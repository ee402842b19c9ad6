#include "model/ChunkWriter.h"

#include <cstring>

namespace Kestrune
{

ChunkWriter::ChunkWriter(std::size_t capacity) : bytes(capacity == 0 ? 1 : capacity, 0) {}

void ChunkWriter::Append(const void* data, std::size_t count)
{
    if (count == 0)
        return;
    std::size_t capacity = bytes.size();
    while (size + count > capacity)
        capacity *= 2;
    if (capacity != bytes.size())
        bytes.resize(capacity, 0);
    std::memcpy(bytes.data() + size, data, count);
    size += count;
}

void ChunkWriter::WriteInt32(std::int32_t value)
{
    const auto u = static_cast<std::uint32_t>(value);
    const std::uint8_t le[4] = {static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8),
                                static_cast<std::uint8_t>(u >> 16),
                                static_cast<std::uint8_t>(u >> 24)};
    Append(le, sizeof le);
}

void ChunkWriter::WriteFloat(float value)
{
    std::int32_t pattern;
    std::memcpy(&pattern, &value, sizeof pattern);
    WriteInt32(pattern);
}

void ChunkWriter::Clear()
{
    std::memset(bytes.data(), 0, size);
    size = 0;
}

} // namespace Kestrune
