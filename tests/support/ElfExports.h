#pragma once

#include <string>
#include <vector>

namespace TestSupport
{

// The global and weak symbols a 64-bit ELF shared object defines in its dynamic symbol table
// (what dlsym can find), sorted; empty when the file cannot be read as such.
std::vector<std::string> ExportedSymbols(const std::string& path);

} // namespace TestSupport
