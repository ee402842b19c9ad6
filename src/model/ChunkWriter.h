#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Kestrune
{

// Growable little-endian byte writer for program and bank chunks. Its memory is what the host
// receives from getChunk, so the data address stays the same while the capacity suffices.
class ChunkWriter
{
public:
    explicit ChunkWriter(std::size_t capacity = 256);

    // Doubles the capacity until the bytes fit, then appends them.
    void Append(const void* bytes, std::size_t count);
    void WriteInt32(std::int32_t value);
    void WriteFloat(float value); // IEEE-754 single bit pattern through WriteInt32
    // Zeroes the used bytes and empties the writer; the capacity stays.
    void Clear();

    const std::uint8_t* GetData() const { return bytes.data(); }
    std::size_t GetSize() const { return size; }
    std::size_t GetCapacity() const { return bytes.size(); }

private:
    std::vector<std::uint8_t> bytes; // size() is the capacity
    std::size_t size = 0;
};

} // namespace Kestrune
