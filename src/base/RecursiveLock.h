#pragma once

#if defined(_WIN32)
#include <windows.h>
#else
#include <mutex>
#endif

namespace Kestrune
{

// A lock that the thread holding it may take again: the platform's critical section on Windows,
// the standard recursive mutex elsewhere.
class RecursiveLock
{
public:
#if defined(_WIN32)
    RecursiveLock()
    {
        InitializeCriticalSection(&section);
    }
    ~RecursiveLock()
    {
        DeleteCriticalSection(&section);
    }
    void lock()
    {
        EnterCriticalSection(&section);
    }
    void unlock()
    {
        LeaveCriticalSection(&section);
    }
    bool try_lock()
    {
        return TryEnterCriticalSection(&section) != 0;
    }
#else
    void lock()
    {
        mutex.lock();
    }
    void unlock()
    {
        mutex.unlock();
    }
    bool try_lock()
    {
        return mutex.try_lock();
    }
#endif
    RecursiveLock(const RecursiveLock&) = delete;
    RecursiveLock& operator=(const RecursiveLock&) = delete;
#if !defined(_WIN32)
    RecursiveLock() = default;
#endif

private:
#if defined(_WIN32)
    CRITICAL_SECTION section;
#else
    std::recursive_mutex mutex;
#endif
};

} // namespace Kestrune
