#include "AllocationCounter.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <execinfo.h>
#include <new>
#include <unistd.h>

// glibc's own entry points: the replacements below count and then forward to them.
extern "C"
{
    void* __libc_malloc(std::size_t size);
    void* __libc_calloc(std::size_t count, std::size_t size);
    void* __libc_realloc(void* pointer, std::size_t size);
    void* __libc_memalign(std::size_t alignment, std::size_t size);
    void __libc_free(void* pointer);
}

namespace AllocationCounter
{

namespace
{
// Static TLS of the executable: reading it never allocates.
thread_local bool onAudioThread = false;
std::atomic<std::uint64_t> allocations{0};
std::atomic<std::uint64_t> releases{0};
std::atomic<int> stacksToPrint{0};

void PrintStack(const char* what)
{
    if (stacksToPrint.fetch_sub(1) <= 0)
        return;
    // The flag is dropped so that nothing below is counted or reported again.
    onAudioThread = false;
    const char header[] = "heap operation on the audio thread: ";
    (void)!write(2, header, sizeof header - 1);
    (void)!write(2, what, __builtin_strlen(what));
    (void)!write(2, "\n", 1);
    void* frames[32];
    const int depth = backtrace(frames, 32);
    backtrace_symbols_fd(frames, depth, 2);
    onAudioThread = true;
}

inline void NoteAllocation(const char* what)
{
    if (!onAudioThread)
        return;
    allocations.fetch_add(1, std::memory_order_relaxed);
    PrintStack(what);
}

inline void NoteRelease(void* pointer, const char* what)
{
    if (!onAudioThread || pointer == nullptr)
        return;
    releases.fetch_add(1, std::memory_order_relaxed);
    PrintStack(what);
}

void* Allocate(std::size_t size, const char* what)
{
    NoteAllocation(what);
    return __libc_malloc(size == 0 ? 1 : size);
}

void* AllocateAligned(std::size_t size, std::align_val_t alignment, const char* what)
{
    NoteAllocation(what);
    return __libc_memalign(static_cast<std::size_t>(alignment), size == 0 ? 1 : size);
}

void Release(void* pointer, const char* what)
{
    NoteRelease(pointer, what);
    __libc_free(pointer);
}
} // namespace

AudioScope::AudioScope()
{
    onAudioThread = true;
}

AudioScope::~AudioScope()
{
    onAudioThread = false;
}

std::uint64_t Allocations()
{
    return allocations.load();
}

std::uint64_t Releases()
{
    return releases.load();
}

void Reset()
{
    allocations.store(0);
    releases.store(0);
}

void ReportOnAudioThread(int stacks)
{
    // backtrace loads its unwinder on first use, which allocates: do it here, off the count.
    void* frame[1];
    backtrace(frame, 1);
    stacksToPrint.store(stacks);
}

} // namespace AllocationCounter

using AllocationCounter::Allocate;
using AllocationCounter::AllocateAligned;
using AllocationCounter::Release;

extern "C"
{

    void* malloc(std::size_t size)
    {
        AllocationCounter::NoteAllocation("malloc");
        return __libc_malloc(size);
    }

    void* calloc(std::size_t count, std::size_t size)
    {
        AllocationCounter::NoteAllocation("calloc");
        return __libc_calloc(count, size);
    }

    void* realloc(void* pointer, std::size_t size)
    {
        AllocationCounter::NoteAllocation("realloc");
        return __libc_realloc(pointer, size);
    }

    void* aligned_alloc(std::size_t alignment, std::size_t size)
    {
        AllocationCounter::NoteAllocation("aligned_alloc");
        return __libc_memalign(alignment, size);
    }

    int posix_memalign(void** result, std::size_t alignment, std::size_t size)
    {
        AllocationCounter::NoteAllocation("posix_memalign");
        void* pointer = __libc_memalign(alignment, size);
        if (pointer == nullptr)
            return ENOMEM;
        *result = pointer;
        return 0;
    }

    void free(void* pointer)
    {
        AllocationCounter::NoteRelease(pointer, "free");
        __libc_free(pointer);
    }

} // extern "C"

void* operator new(std::size_t size)
{
    if (void* p = Allocate(size, "operator new"))
        return p;
    throw std::bad_alloc();
}

void* operator new[](std::size_t size)
{
    if (void* p = Allocate(size, "operator new[]"))
        return p;
    throw std::bad_alloc();
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return Allocate(size, "operator new (nothrow)");
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return Allocate(size, "operator new[] (nothrow)");
}

void* operator new(std::size_t size, std::align_val_t alignment)
{
    if (void* p = AllocateAligned(size, alignment, "operator new (aligned)"))
        return p;
    throw std::bad_alloc();
}

void* operator new[](std::size_t size, std::align_val_t alignment)
{
    if (void* p = AllocateAligned(size, alignment, "operator new[] (aligned)"))
        return p;
    throw std::bad_alloc();
}

void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    return AllocateAligned(size, alignment, "operator new (aligned, nothrow)");
}

void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    return AllocateAligned(size, alignment, "operator new[] (aligned, nothrow)");
}

void operator delete(void* p) noexcept
{
    Release(p, "operator delete");
}

void operator delete[](void* p) noexcept
{
    Release(p, "operator delete[]");
}

void operator delete(void* p, std::size_t) noexcept
{
    Release(p, "operator delete (sized)");
}

void operator delete[](void* p, std::size_t) noexcept
{
    Release(p, "operator delete[] (sized)");
}

void operator delete(void* p, const std::nothrow_t&) noexcept
{
    Release(p, "operator delete (nothrow)");
}

void operator delete[](void* p, const std::nothrow_t&) noexcept
{
    Release(p, "operator delete[] (nothrow)");
}

void operator delete(void* p, std::align_val_t) noexcept
{
    Release(p, "operator delete (aligned)");
}

void operator delete[](void* p, std::align_val_t) noexcept
{
    Release(p, "operator delete[] (aligned)");
}

void operator delete(void* p, std::size_t, std::align_val_t) noexcept
{
    Release(p, "operator delete (sized, aligned)");
}

void operator delete[](void* p, std::size_t, std::align_val_t) noexcept
{
    Release(p, "operator delete[] (sized, aligned)");
}

void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept
{
    Release(p, "operator delete (aligned, nothrow)");
}

void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept
{
    Release(p, "operator delete[] (aligned, nothrow)");
}
