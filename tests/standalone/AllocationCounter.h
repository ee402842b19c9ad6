// Counts heap operations (operator new and delete in every form, malloc, calloc, realloc,
// aligned allocation, free) made on threads marked as the audio thread. The definitions replace
// the C and C++ allocation functions for the whole process, including a dlopen'ed module (the
// executable exports them).
#pragma once

#include "support/NonCopyable.h"

#include <cstddef>
#include <cstdint>

namespace AllocationCounter
{

// Marks the calling thread as the audio thread while alive.
class AudioScope : TestSupport::NonCopyable
{
public:
    AudioScope();
    ~AudioScope();
};

// Heap operations on audio threads since the last Reset.
std::uint64_t Allocations();
std::uint64_t Releases();
void Reset();

// Prints the call stack of the first few audio-thread operations after the next Reset.
void ReportOnAudioThread(int stacks);

} // namespace AllocationCounter
