#if !defined(_WIN32)

#include "platform/WindowTable.h"

namespace Kestrune::Platform
{
namespace
{

constexpr std::uint64_t kIndexBits = 16;
constexpr std::uint64_t kIndexMask = (1u << kIndexBits) - 1;
constexpr std::uint32_t kFirstGeneration = 1u << 13;
static_assert((std::uint64_t{kFirstGeneration} << kIndexBits) == WindowTable::kSmallestHandle);

std::uint64_t ValueOf(HWND handle)
{
    return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(handle));
}

} // namespace

std::size_t WindowTable::IndexOf(HWND handle)
{
    return static_cast<std::size_t>(ValueOf(handle) & kIndexMask);
}

HWND WindowTable::Add(std::unique_ptr<Window> window)
{
    for (std::size_t probe = 0; probe < kCapacity; ++probe)
    {
        // Round-robin reuse keeps a freed slot idle as long as possible.
        const std::size_t index = (cursor + probe) % kCapacity;
        Slot& slot = slots[index];
        if (slot.window)
            continue;
        cursor = (index + 1) % kCapacity;
        slot.generation = slot.generation < kFirstGeneration || slot.generation == 0xFFFFFFFFu
                              ? kFirstGeneration
                              : slot.generation + 1;
        const std::uint64_t value = (static_cast<std::uint64_t>(slot.generation) << kIndexBits) |
                                    static_cast<std::uint64_t>(index);
        const HWND handle = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(value));
        window->handle = handle;
        slot.window = std::move(window);
        slot.live.store(value, std::memory_order_release);
        ++count;
        return handle;
    }
    return nullptr;
}

Window* WindowTable::Find(HWND handle) const
{
    if (handle == nullptr)
        return nullptr;
    const std::size_t index = IndexOf(handle);
    if (index >= kCapacity)
        return nullptr;
    const Slot& slot = slots[index];
    if (slot.live.load(std::memory_order_relaxed) != ValueOf(handle))
        return nullptr;
    return slot.window.get();
}

std::unique_ptr<Window> WindowTable::Remove(HWND handle)
{
    if (Find(handle) == nullptr)
        return nullptr;
    Slot& slot = slots[IndexOf(handle)];
    slot.live.store(0, std::memory_order_release);
    --count;
    return std::move(slot.window);
}

bool WindowTable::IsLive(HWND handle) const
{
    if (handle == nullptr)
        return false;
    const std::size_t index = IndexOf(handle);
    return index < kCapacity &&
           slots[index].live.load(std::memory_order_acquire) == ValueOf(handle);
}

std::vector<HWND> WindowTable::Handles() const
{
    std::vector<HWND> handles;
    handles.reserve(count);
    for (const Slot& slot : slots)
        if (slot.window)
            handles.push_back(slot.window->handle);
    return handles;
}

WindowTable& Windows()
{
    static constinit WindowTable table;
    return table;
}

} // namespace Kestrune::Platform

#endif
