#if !defined(_WIN32)

#include "platform/PostedMessageQueue.h"

namespace Kestrune::Platform
{

bool PostedMessageQueue::Push(const PostedMessage& message) noexcept
{
    std::size_t position = enqueuePosition.load(std::memory_order_relaxed);
    Cell* cell = nullptr;
    for (;;)
    {
        cell = &cells[position & kMask];
        const std::size_t sequence =
            cell->sequence.load(std::memory_order_acquire) + (position & kMask);
        const auto difference =
            static_cast<std::intptr_t>(sequence) - static_cast<std::intptr_t>(position);
        if (difference == 0)
        {
            if (enqueuePosition.compare_exchange_weak(position, position + 1,
                                                      std::memory_order_relaxed))
            {
                break;
            }
        }
        else if (difference < 0)
        {
            return false;
        }
        else
        {
            position = enqueuePosition.load(std::memory_order_relaxed);
        }
    }
    cell->message = message;
    cell->sequence.store(position + 1 - (position & kMask), std::memory_order_release);
    return true;
}

bool PostedMessageQueue::Pop(PostedMessage& message) noexcept
{
    std::size_t position = dequeuePosition.load(std::memory_order_relaxed);
    Cell* cell = nullptr;
    for (;;)
    {
        cell = &cells[position & kMask];
        const std::size_t sequence =
            cell->sequence.load(std::memory_order_acquire) + (position & kMask);
        const auto difference =
            static_cast<std::intptr_t>(sequence) - static_cast<std::intptr_t>(position + 1);
        if (difference == 0)
        {
            if (dequeuePosition.compare_exchange_weak(position, position + 1,
                                                      std::memory_order_relaxed))
            {
                break;
            }
        }
        else if (difference < 0)
        {
            return false;
        }
        else
        {
            position = dequeuePosition.load(std::memory_order_relaxed);
        }
    }
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
