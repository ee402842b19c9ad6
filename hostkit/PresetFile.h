// .fxp program and .fxb bank files as hosts exchange them: big-endian containers around a
// plug-in's opaque chunk ('FPCh', 'FBCh') or its parameter values ('FxCk', 'FxBk').
// Reading validates everything before anything is returned; a file that fails is refused
// whole with a one-line reason.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace HostKit
{

constexpr std::int32_t FourCC(const char (&text)[5])
{
    return static_cast<std::int32_t>(
        (static_cast<std::uint32_t>(static_cast<unsigned char>(text[0])) << 24) |
        (static_cast<std::uint32_t>(static_cast<unsigned char>(text[1])) << 16) |
        (static_cast<std::uint32_t>(static_cast<unsigned char>(text[2])) << 8) |
        static_cast<std::uint32_t>(static_cast<unsigned char>(text[3])));
}

constexpr std::int32_t kChunkMagic = FourCC("CcnK");
constexpr std::int32_t kProgramChunkMagic = FourCC("FPCh");
constexpr std::int32_t kProgramParamsMagic = FourCC("FxCk");
constexpr std::int32_t kBankChunkMagic = FourCC("FBCh");
constexpr std::int32_t kBankProgramsMagic = FourCC("FxBk");
constexpr std::size_t kProgramNameBytes = 28;
constexpr std::size_t kBankReservedBytes = 128;

enum class PresetKind
{
    ProgramChunk,  // .fxp 'FPCh'
    ProgramParams, // .fxp 'FxCk'
    BankChunk,     // .fxb 'FBCh'
    BankPrograms,  // .fxb 'FxBk'
};

struct ProgramRecord
{
    std::string name; // at most 27 characters
    std::vector<float> values;
};

struct PresetFile
{
    PresetKind kind = PresetKind::ProgramChunk;
    std::int32_t version = 1;            // program files 1; bank files 1 or 2
    std::int32_t fxId = 0;               // the plug-in's unique ID
    std::int32_t fxVersion = 0;          // the plug-in's version
    std::int32_t numParams = 0;          // program files
    std::int32_t currentProgram = -1;    // bank version 2; -1 in version 1
    std::string name;                    // program files
    std::vector<std::uint8_t> chunk;     // chunk kinds
    std::vector<ProgramRecord> programs; // FxCk: one; FxBk: one per program
    std::int32_t numPrograms = 0;        // bank files

    bool IsBank() const
    {
        return kind == PresetKind::BankChunk || kind == PresetKind::BankPrograms;
    }
};

// Throws Error naming what is wrong. expectedFxId is the loaded plug-in's unique ID; a
// file made for another plug-in is refused.
PresetFile ParsePreset(std::span<const std::uint8_t> bytes, std::int32_t expectedFxId);
std::vector<std::uint8_t> SerializePreset(const PresetFile& preset);

// Four printable characters, else hexadecimal.
std::string FourCCText(std::int32_t value);

} // namespace HostKit
