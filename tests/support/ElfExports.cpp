#include "support/ElfExports.h"

#include <algorithm>
#include <cstring>
#include <elf.h>
#include <fstream>
#include <iterator>

namespace TestSupport
{

namespace
{
template <typename T> bool ReadAt(const std::vector<char>& file, std::size_t offset, T& value)
{
    if (offset > file.size() || file.size() - offset < sizeof(T))
        return false;
    std::memcpy(&value, file.data() + offset, sizeof(T));
    return true;
}
} // namespace

std::vector<std::string> ExportedSymbols(const std::string& path)
{
    std::ifstream stream(path, std::ios::binary);
    const std::vector<char> file((std::istreambuf_iterator<char>(stream)),
                                 std::istreambuf_iterator<char>());
    Elf64_Ehdr header{};
    if (!ReadAt(file, 0, header) || std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
        header.e_ident[EI_CLASS] != ELFCLASS64)
        return {};
    std::vector<std::string> names;
    for (unsigned i = 0; i < header.e_shnum; ++i)
    {
        Elf64_Shdr section{};
        if (!ReadAt(file, header.e_shoff + i * sizeof(Elf64_Shdr), section) ||
            section.sh_type != SHT_DYNSYM || section.sh_entsize != sizeof(Elf64_Sym))
            continue;
        Elf64_Shdr strings{};
        if (!ReadAt(file, header.e_shoff + section.sh_link * sizeof(Elf64_Shdr), strings) ||
            strings.sh_offset > file.size() || file.size() - strings.sh_offset < strings.sh_size)
            return {};
        for (std::size_t s = 0; s < section.sh_size / sizeof(Elf64_Sym); ++s)
        {
            Elf64_Sym symbol{};
            if (!ReadAt(file, section.sh_offset + s * sizeof(Elf64_Sym), symbol))
                return {};
            const unsigned binding = ELF64_ST_BIND(symbol.st_info);
            if (symbol.st_shndx == SHN_UNDEF || (binding != STB_GLOBAL && binding != STB_WEAK) ||
                symbol.st_name >= strings.sh_size)
                continue;
            const char* name = file.data() + strings.sh_offset + symbol.st_name;
            names.emplace_back(name, strnlen(name, strings.sh_size - symbol.st_name));
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace TestSupport
