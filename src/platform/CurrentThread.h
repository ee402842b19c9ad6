#pragma once

#include <cstdint>

#if defined(_WIN32)
#include <windows.h>
#else
#include <pthread.h>
#endif

namespace Kestrune::Platform
{

// An id of the calling thread, comparable between threads (the standard thread library is not
// available with every Windows toolchain).
inline std::uintptr_t CurrentThreadId()
{
#if defined(_WIN32)
    return static_cast<std::uintptr_t>(GetCurrentThreadId());
#else
    return static_cast<std::uintptr_t>(pthread_self());
#endif
}

} // namespace Kestrune::Platform
