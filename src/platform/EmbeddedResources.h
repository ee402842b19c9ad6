#pragma once

#include <string_view>

namespace Kestrune::Platform
{

// Text of gui/CorvanePhaser.rc and gui/resource.h as they were at build time (generated source).
std::string_view EmbeddedResourceScriptText();
std::string_view EmbeddedResourceHeaderText();

} // namespace Kestrune::Platform
