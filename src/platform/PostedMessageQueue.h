#pragma once

#include "platform/Win32.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

namespace Kestrune::Platform
{

struct PostedMessage
{
    HWND window = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

// Bounded multi-producer queue of posted messages with one consumer (the user-interface thread).
// Storage is fixed: Push never allocates, locks or waits, and fails when the queue is full.
// Each cell's sequence is stored relative to its index, so the zero-initialised queue is ready
// before any constructor runs.
class PostedMessageQueue
{
public:
    static constexpr std::size_t kCapacity = 8192; // a power of two

    constexpr PostedMessageQueue() = default;
    PostedMessageQueue(const PostedMessageQueue&) = delete;
    PostedMessageQueue& operator=(const PostedMessageQueue&) = delete;

    bool Push(const PostedMessage& message) noexcept; // [any]
    bool Pop(PostedMessage& message) noexcept;        // [ui]
    std::size_t ApproximateSize() const noexcept;     // [any]

private:
    static constexpr std::size_t kMask = kCapacity - 1;

    struct Cell
    {
        std::atomic<std::size_t> sequence{0};
        PostedMessage message;
    };

    static_assert((kCapacity & kMask) == 0, "capacity must be a power of two");
    static_assert(std::atomic<std::size_t>::is_always_lock_free);

    // Takes the next position of a cursor whose cell's sequence stands at position + ready;
    // null when the queue is full (pushing) or empty (popping).
    Cell* Claim(std::atomic<std::size_t>& cursor, std::size_t ready,
                std::size_t& position) noexcept;

    alignas(64) std::atomic<std::size_t> enqueuePosition{0};
    alignas(64) std::atomic<std::size_t> dequeuePosition{0};
    alignas(64) std::array<Cell, kCapacity> cells{};
};

PostedMessageQueue& PostedMessages();

} // namespace Kestrune::Platform
