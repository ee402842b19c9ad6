#if !defined(_WIN32) && !defined(CORVANE_HAVE_X11)

#include "platform/NativeBackend.h"

namespace Kestrune::Platform
{

std::unique_ptr<Backend> CreateNativeBackend()
{
    return nullptr;
}

} // namespace Kestrune::Platform

#endif
