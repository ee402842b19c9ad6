// corvane-render: renders audio files through a VST 2.4 plug-in from the command line.
#include "Options.h"
#include "RenderError.h"
#include "RenderJob.h"

#include <cstdio>
#include <exception>
#include <new>
#include <string>

namespace
{

int Fail(const std::string& message, int status)
{
    std::string line = message;
    for (char& c : line)
    {
        if (c == '\n' || c == '\r')
            c = ' ';
    }
    std::fprintf(stderr, "corvane-render: %s\n", line.c_str());
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    using namespace Kestrune::Render;
    try
    {
        return Run(ParseOptions(argc, argv));
    }
    catch (const UsageError& error)
    {
        return Fail(error.what(), 2);
    }
    catch (const RenderError& error)
    {
        return Fail(error.what(), 1);
    }
    catch (const std::bad_alloc&)
    {
        return Fail("out of memory", 1);
    }
    catch (const std::exception& error)
    {
        return Fail(error.what(), 1);
    }
}
