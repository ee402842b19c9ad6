// A shared library loaded as hosts load plug-in binaries: dlopen on POSIX (kept mapped after it is
// released, as in most hosts), LoadLibraryA on Windows.
#pragma once

#include <string>

namespace HostKit
{

class Library
{
public:
    // Throws Error when the file is missing or cannot be loaded.
    explicit Library(const std::string& path);
    ~Library();
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    const std::string& Path() const { return path; }
    // An exported symbol by name; null when absent.
    void* Symbol(const char* name) const;

private:
    std::string path;
    void* handle = nullptr;
};

} // namespace HostKit
