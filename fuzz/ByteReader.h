// Sequential little-endian reader over a fuzz input, and the matching writer the seed generator
// uses. Reads past the end answer zero bytes, so every input decodes to some call sequence.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <vector>

namespace Fuzz
{

class ByteReader
{
public:
    ByteReader(const std::uint8_t* bytes, std::size_t count) : data(bytes), size(count) {}

    bool Empty() const { return position >= size; }
    std::size_t Remaining() const { return size - position; }

    template <typename T> T Read()
    {
        static_assert(std::is_trivially_copyable_v<T>);
        T value{};
        const std::size_t n = std::min(sizeof(T), Remaining());
        std::memcpy(&value, data + position, n);
        position += n;
        return value;
    }
    float ReadFloat() { return std::bit_cast<float>(Read<std::uint32_t>()); }
    double ReadDouble() { return std::bit_cast<double>(Read<std::uint64_t>()); }
    // Up to count bytes, fewer at the end of the input.
    const std::uint8_t* ReadBytes(std::size_t count, std::size_t& got)
    {
        got = std::min(count, Remaining());
        const std::uint8_t* start = data + position;
        position += got;
        return start;
    }

private:
    const std::uint8_t* data;
    std::size_t size;
    std::size_t position = 0;
};

class ByteWriter
{
public:
    template <typename T> void Write(T value)
    {
        static_assert(std::is_trivially_copyable_v<T>);
        const auto* p = reinterpret_cast<const std::uint8_t*>(&value);
        bytes.insert(bytes.end(), p, p + sizeof(T));
    }
    void WriteFloat(float value) { Write(std::bit_cast<std::uint32_t>(value)); }
    void WriteDouble(double value) { Write(std::bit_cast<std::uint64_t>(value)); }
    void WriteBytes(const void* source, std::size_t count)
    {
        const auto* p = static_cast<const std::uint8_t*>(source);
        bytes.insert(bytes.end(), p, p + count);
    }

    std::vector<std::uint8_t> bytes;
};

} // namespace Fuzz
