#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace Kestrune::Parameters
{

// A parameter's 8-byte display text, published as one atomic word so that readers on any
// thread see either the old or the new text whole, without a lock.
class DisplayText
{
public:
    static constexpr std::size_t kSize = 8;
    // Per-thread copies handed out by Load before one is reused.
    static constexpr unsigned kReadSlots = 16;

    // [writer, serialised by the caller] text[7] is taken as zero whatever it holds.
    void Store(const char (&text)[kSize])
    {
        char bytes[kSize];
        std::memcpy(bytes, text, kSize);
        bytes[kSize - 1] = '\0';
        std::uint64_t packed;
        std::memcpy(&packed, bytes, kSize);
        word.store(packed, std::memory_order_relaxed);
    }

    // [any] Copies the text into a buffer of the calling thread. The pointer stays valid on
    // that thread for the next kReadSlots - 1 reads of any display text.
    const char* Load() const
    {
        thread_local char slots[kReadSlots][kSize];
        thread_local unsigned next = 0;
        char* slot = slots[next++ % kReadSlots];
        const std::uint64_t packed = word.load(std::memory_order_relaxed);
        std::memcpy(slot, &packed, kSize);
        return slot;
    }

private:
    static_assert(std::atomic<std::uint64_t>::is_always_lock_free);
    std::atomic<std::uint64_t> word{0};
};

} // namespace Kestrune::Parameters
