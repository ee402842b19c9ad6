#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Kestrune
{

// Bounded reader over a private copy of a chunk. Never reads past the end: a shortfall is
// reported, and the position still moves past the bytes that were there.
class ChunkReader
{
public:
    ChunkReader(const void* data, std::size_t size);

    // Copies up to count bytes; returns how many were copied.
    std::size_t ReadBytes(void* destination, std::size_t count);
    bool ReadInt32(std::int32_t& value);
    bool ReadFloat(float& value);

    std::size_t GetSize() const { return bytes.size(); }
    std::size_t GetPosition() const { return position; }
    std::size_t GetRemaining() const { return bytes.size() - position; }
    void Rewind() { position = 0; }

private:
    std::vector<std::uint8_t> bytes;
    std::size_t position = 0;
};

} // namespace Kestrune
