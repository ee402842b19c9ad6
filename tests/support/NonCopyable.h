#pragma once

namespace TestSupport
{

// Base of the test helpers that own something (a folder, a connection, a thread's mark): they are
// never copied.
class NonCopyable
{
protected:
    NonCopyable() = default;
    ~NonCopyable() = default;

public:
    NonCopyable(const NonCopyable&) = delete;
    NonCopyable& operator=(const NonCopyable&) = delete;
};

} // namespace TestSupport
