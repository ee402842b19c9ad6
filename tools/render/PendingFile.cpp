#include "PendingFile.h"

#include "RenderError.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace Kestrune::Render
{

namespace
{

std::string Reason()
{
    return std::strerror(errno);
}

} // namespace

PendingFile::PendingFile(std::string path) : finalPath(std::move(path))
{
    const std::filesystem::path target(finalPath);
    std::filesystem::path folder = target.parent_path();
    if (folder.empty())
        folder = ".";
    std::string hidden(".");
    hidden.append(target.filename().string()).append(".XXXXXX");
    std::string pattern = (folder / hidden).string();
    descriptor = mkstemp(pattern.data());
    if (descriptor < 0)
        throw RenderError("cannot create " + finalPath + ": " + Reason());
    temporaryPath = pattern;
    // mkstemp makes the file private; give it the mode a plain new file would get.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(descriptor, 0666 & ~mask);
}

PendingFile::~PendingFile()
{
    if (descriptor >= 0)
        close(descriptor);
    if (!committed)
        unlink(temporaryPath.c_str());
}

void PendingFile::Write(const std::vector<std::uint8_t>& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size())
    {
        const ssize_t written = write(descriptor, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            throw RenderError("cannot write " + finalPath + ": " + Reason());
        done += static_cast<std::size_t>(written);
    }
}

void PendingFile::Commit()
{
    if (fsync(descriptor) != 0 && errno != EINVAL)
        throw RenderError("cannot write " + finalPath + ": " + Reason());
    const int closing = descriptor;
    descriptor = -1;
    if (close(closing) != 0)
        throw RenderError("cannot write " + finalPath + ": " + Reason());
    if (rename(temporaryPath.c_str(), finalPath.c_str()) != 0)
        throw RenderError("cannot create " + finalPath + ": " + Reason());
    committed = true;
}

} // namespace Kestrune::Render
