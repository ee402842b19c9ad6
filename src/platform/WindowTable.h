#pragma once

#include "platform/Window.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace Kestrune::Platform
{

// Window handles are slot indices with a generation, so a handle kept after its window was
// destroyed never reaches another window. Lookups are [ui]; IsLive is lock-free [any].
class WindowTable
{
public:
    static constexpr std::size_t kCapacity = 4096;
    // Every handle is at least this, above every X11 resource id (29 bits), so a host's native
    // window id is never taken for one of our windows.
    static constexpr std::uintptr_t kSmallestHandle = std::uintptr_t{1} << 29;

    constexpr WindowTable() = default;
    WindowTable(const WindowTable&) = delete;
    WindowTable& operator=(const WindowTable&) = delete;

    // [ui] Takes the window and answers its new handle; null when the table is full.
    HWND Add(std::unique_ptr<Window> window);
    // [ui] Null for null, stale and foreign handles.
    Window* Find(HWND handle) const;
    // [ui] The handle goes stale at once; the caller keeps the window alive as long as needed.
    std::unique_ptr<Window> Remove(HWND handle);
    // [any]
    bool IsLive(HWND handle) const;
    // [ui]
    std::vector<HWND> Handles() const;

private:
    struct Slot
    {
        std::atomic<std::uint64_t> live{0};
        std::uint32_t generation = 0;
        std::unique_ptr<Window> window;
    };

    static std::size_t IndexOf(HWND handle);

    std::array<Slot, kCapacity> slots{};
    std::size_t cursor = 0;
    std::size_t count = 0;
};

WindowTable& Windows();

} // namespace Kestrune::Platform
