// corvane-rc-dialogs: writes the dialog templates of a resource script as a C++ table, for the
// window system that stands in for Win32 (on Windows the resource compiler reads the script).
//   corvane-rc-dialogs SCRIPT.rc OUTPUT.cpp
// Errors print one line and exit 1; the output appears whole or not at all.
#include "DialogScript.h"
#include "WholeFile.h"

#include <cstdio>
#include <filesystem>
#include <stdexcept>

int main(int argc, char** argv)
{
    try
    {
        if (argc != 3)
            throw std::runtime_error("usage: corvane-rc-dialogs SCRIPT.rc OUTPUT.cpp");
        const std::string name = std::filesystem::path(argv[1]).filename().string();
        const auto script =
            Kestrune::RcDialogs::ReadScript(Kestrune::Tools::ReadWhole(argv[1]), argv[1]);
        Kestrune::Tools::WriteWhole(argv[2], Kestrune::RcDialogs::WriteTable(script, name));
        return 0;
    }
    catch (const std::exception& error)
    {
        std::fprintf(stderr, "corvane-rc-dialogs: %s\n", error.what());
        return 1;
    }
}
