#if !defined(_WIN32)

#include "platform/PostedMessageQueue.h"

namespace Kestrune::Platform
{

PostedMessageQueue::Cell* PostedMessageQueue::Claim(std::atomic<std::size_t>& cursor,
                                                    std::size_t ready,
                                                    std::size_t& position) noexcept
{
    position = cursor.load(std::memory_order_relaxed);
    for (;;)
    {
        Cell* cell = &cells[position & kMask];
        const std::size_t sequence =
            cell->sequence.load(std::memory_order_acquire) + (position & kMask);
        const auto difference =
            static_cast<std::intptr_t>(sequence) - static_cast<std::intptr_t>(position + ready);
        if (difference == 0)
        {
            if (cursor.compare_exchange_weak(position, position + 1, std::memory_order_relaxed))
                return cell;
        }
        else if (difference < 0)
        {
            return nullptr;
        }
        else
        {
            position = cursor.load(std::memory_order_relaxed);
        }
    }
}

bool PostedMessageQueue::Push(const PostedMessage& message) noexcept
{
    std::size_t position = 0;
    Cell* cell = Claim(enqueuePosition, 0, position);
    if (cell == nullptr)
        return false;
    cell->message = message;
    cell->sequence.store(position + 1 - (position & kMask), std::memory_order_release);
    return true;
}

bool PostedMessageQueue::Pop(PostedMessage& message) noexcept
{
    std::size_t position = 0;
    Cell* cell = Claim(dequeuePosition, 1, position);
    if (cell == nullptr)
        return false;
    message = cell->message;
    cell->sequence.store(position + kMask + 1 - (position & kMask), std::memory_order_release);
    return true;
}

std::size_t PostedMessageQueue::ApproximateSize() const noexcept
{
    const std::size_t enqueued = enqueuePosition.load(std::memory_order_relaxed);
    const std::size_t dequeued = dequeuePosition.load(std::memory_order_relaxed);
    return enqueued >= dequeued ? enqueued - dequeued : 0;
}

PostedMessageQueue& PostedMessages()
{
    static constinit PostedMessageQueue queue;
    return queue;
}

} // namespace Kestrune::Platform

#endif
