// corvane-rc-dialogs: writes the dialog templates of a resource script as a C++ table, for the
// window system that stands in for Win32 (on Windows the resource compiler reads the script).
//   corvane-rc-dialogs SCRIPT.rc OUTPUT.cpp
// Errors print one line and exit 1; the output appears whole or not at all.
#include "DialogScript.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace
{

std::string ReadWhole(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw std::runtime_error("cannot read " + path);
    return {std::istreambuf_iterator<char>(file), {}};
}

void WriteWhole(const std::filesystem::path& path, const std::string& text)
{
    const std::filesystem::path partial = path.string() + ".partial";
    {
        std::ofstream file(partial, std::ios::binary | std::ios::trunc);
        file << text;
        if (!file.flush())
            throw std::runtime_error("cannot write " + partial.string());
    }
    std::filesystem::rename(partial, path);
}

} // namespace

int main(int argc, char** argv)
{
    try
    {
        if (argc != 3)
            throw std::runtime_error("usage: corvane-rc-dialogs SCRIPT.rc OUTPUT.cpp");
        const std::string name = std::filesystem::path(argv[1]).filename().string();
        const auto script = Kestrune::RcDialogs::ReadScript(ReadWhole(argv[1]), argv[1]);
        WriteWhole(argv[2], Kestrune::RcDialogs::WriteTable(script, name));
        return 0;
    }
    catch (const std::exception& error)
    {
        std::fprintf(stderr, "corvane-rc-dialogs: %s\n", error.what());
        return 1;
    }
}
