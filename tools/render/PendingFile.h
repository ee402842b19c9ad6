// An output file that appears under its name only on success: it is written to a temporary
// name in the same folder and renamed by Commit; without Commit the temporary is removed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Kestrune::Render
{

class PendingFile
{
public:
    // Throws RenderError when the folder does not take a new file.
    explicit PendingFile(std::string finalPath);
    ~PendingFile();

    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    int Descriptor() const { return descriptor; }
    const std::string& FinalPath() const { return finalPath; }
    void Write(const std::vector<std::uint8_t>& bytes);
    // Flushes, closes and renames onto the final name.
    void Commit();

private:
    std::string finalPath;
    std::string temporaryPath;
    int descriptor = -1;
    bool committed = false;
};

} // namespace Kestrune::Render
