#include "PresetFile.h"

#include "Error.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace HostKit
{

namespace
{

// Fixed part of a program file after byteSize: fxMagic, version, fxID, fxVersion, numParams,
// prgName.
constexpr std::size_t kProgramHeaderBytes = 5 * 4 + kProgramNameBytes;

class BigEndianReader
{
public:
    explicit BigEndianReader(std::span<const std::uint8_t> data) : bytes(data) {}

    std::size_t Remaining() const { return bytes.size() - position; }

    std::span<const std::uint8_t> Take(std::size_t count, const char* what)
    {
        if (count > Remaining())
            throw Error(std::string("preset file is truncated (in ") + what + ")");
        const auto part = bytes.subspan(position, count);
        position += count;
        return part;
    }

    std::int32_t Int32(const char* what)
    {
        const auto b = Take(4, what);
        return static_cast<std::int32_t>((std::uint32_t(b[0]) << 24) | (std::uint32_t(b[1]) << 16) |
                                         (std::uint32_t(b[2]) << 8) | std::uint32_t(b[3]));
    }

    float Float(const char* what) { return std::bit_cast<float>(Int32(what)); }

    std::string Name(const char* what)
    {
        const auto b = Take(kProgramNameBytes, what);
        std::string name(reinterpret_cast<const char*>(b.data()), kProgramNameBytes - 1);
        return name.substr(0, name.find('\0'));
    }

private:
    std::span<const std::uint8_t> bytes;
    std::size_t position = 0;
};

class BigEndianWriter
{
public:
    std::vector<std::uint8_t> bytes;

    void Int32(std::int32_t value)
    {
        const auto u = static_cast<std::uint32_t>(value);
        for (int shift = 24; shift >= 0; shift -= 8)
            bytes.push_back(static_cast<std::uint8_t>(u >> shift));
    }
    void Float(float value) { Int32(std::bit_cast<std::int32_t>(value)); }
    void Name(const std::string& name)
    {
        std::uint8_t field[kProgramNameBytes] = {};
        std::memcpy(field, name.data(), std::min(name.size(), kProgramNameBytes - 1));
        bytes.insert(bytes.end(), field, field + kProgramNameBytes);
    }
    void Zeros(std::size_t count) { bytes.insert(bytes.end(), count, 0); }
    void Append(const std::vector<std::uint8_t>& data)
    {
        bytes.insert(bytes.end(), data.begin(), data.end());
    }
    // The byteSize field counts the bytes after itself.
    void PatchByteSize(std::size_t start)
    {
        const auto size = static_cast<std::uint32_t>(bytes.size() - start - 8);
        for (int i = 0; i < 4; ++i)
            bytes[start + 4 + std::size_t(i)] = static_cast<std::uint8_t>(size >> (24 - 8 * i));
    }
};

std::int32_t Count(BigEndianReader& reader, const char* what)
{
    const std::int32_t count = reader.Int32(what);
    if (count < 0)
        throw Error(std::string("preset file has a negative ") + what);
    return count;
}

std::vector<std::uint8_t> ReadChunk(BigEndianReader& reader)
{
    const std::int32_t size = reader.Int32("chunk size");
    if (size < 0 || static_cast<std::size_t>(size) != reader.Remaining())
        throw Error("preset chunk size " + std::to_string(size) + " does not match the " +
                    std::to_string(reader.Remaining()) + " bytes that follow it");
    const auto chunk = reader.Take(static_cast<std::size_t>(size), "chunk");
    return {chunk.begin(), chunk.end()};
}

std::vector<float> ReadValues(BigEndianReader& reader, std::int32_t count)
{
    if (4 * static_cast<std::size_t>(count) > reader.Remaining())
        throw Error("preset file is truncated (in parameter values)");
    std::vector<float> values;
    values.reserve(static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i)
    {
        const float value = reader.Float("parameter values");
        if (!std::isfinite(value))
            throw Error("preset file holds a non-finite value for parameter " + std::to_string(i));
        values.push_back(value);
    }
    return values;
}

void CheckPlugin(std::int32_t fxId, std::int32_t expectedFxId)
{
    if (fxId != expectedFxId)
        throw Error("preset is for plug-in " + FourCCText(fxId) + ", not for the loaded " +
                    FourCCText(expectedFxId));
}

// One 'FxCk' record of a parameter bank, with its own container header.
ProgramRecord ReadBankProgram(BigEndianReader& reader, std::int32_t expectedFxId,
                              std::int32_t& numParams)
{
    if (reader.Int32("program header") != kChunkMagic)
        throw Error("bank program record lacks its 'CcnK' header");
    const std::int32_t byteSize = reader.Int32("program size");
    if (reader.Int32("program type") != kProgramParamsMagic)
        throw Error("bank program record is not an 'FxCk' parameter list");
    reader.Int32("program version");
    CheckPlugin(reader.Int32("program fxID"), expectedFxId);
    reader.Int32("program fxVersion");
    const std::int32_t count = Count(reader, "parameter count");
    if (numParams >= 0 && count != numParams)
        throw Error("bank program records disagree on the parameter count");
    numParams = count;
    if (static_cast<std::size_t>(byteSize) != kProgramHeaderBytes + 4 * std::size_t(count))
        throw Error("bank program record size " + std::to_string(byteSize) +
                    " does not match its " + std::to_string(count) + " parameters");
    ProgramRecord program;
    program.name = reader.Name("program name");
    program.values = ReadValues(reader, count);
    return program;
}

void ReadProgramBody(BigEndianReader& reader, PresetFile& preset)
{
    if (preset.version != 1)
        throw Error("unsupported program file version " + std::to_string(preset.version));
    preset.numParams = Count(reader, "parameter count");
    preset.name = reader.Name("program name");
    if (preset.kind == PresetKind::ProgramChunk)
    {
        preset.chunk = ReadChunk(reader);
        return;
    }
    if (reader.Remaining() != 4 * std::size_t(preset.numParams))
        throw Error("program file holds " + std::to_string(reader.Remaining()) +
                    " value bytes for " + std::to_string(preset.numParams) + " parameters");
    preset.programs.push_back({preset.name, ReadValues(reader, preset.numParams)});
}

void ReadBankBody(BigEndianReader& reader, PresetFile& preset, std::int32_t expectedFxId)
{
    if (preset.version != 1 && preset.version != 2)
        throw Error("unsupported bank file version " + std::to_string(preset.version));
    preset.numPrograms = Count(reader, "program count");
    BigEndianReader reserved(reader.Take(kBankReservedBytes, "bank header"));
    if (preset.version == 2)
    {
        preset.currentProgram = reserved.Int32("current program");
        if (preset.currentProgram < 0 ||
            (preset.numPrograms > 0 && preset.currentProgram >= preset.numPrograms))
            throw Error("bank file names current program " + std::to_string(preset.currentProgram) +
                        " of " + std::to_string(preset.numPrograms));
    }
    if (preset.kind == PresetKind::BankChunk)
    {
        preset.chunk = ReadChunk(reader);
        return;
    }
    std::int32_t numParams = -1;
    for (std::int32_t i = 0; i < preset.numPrograms; ++i)
        preset.programs.push_back(ReadBankProgram(reader, expectedFxId, numParams));
    if (reader.Remaining() != 0)
        throw Error("bank file has " + std::to_string(reader.Remaining()) +
                    " bytes after its last program");
    preset.numParams = std::max(numParams, 0);
}

void WriteProgramRecord(BigEndianWriter& out, const PresetFile& preset, const ProgramRecord& p)
{
    const std::size_t start = out.bytes.size();
    out.Int32(kChunkMagic);
    out.Int32(0);
    out.Int32(kProgramParamsMagic);
    out.Int32(1);
    out.Int32(preset.fxId);
    out.Int32(preset.fxVersion);
    out.Int32(static_cast<std::int32_t>(p.values.size()));
    out.Name(p.name);
    for (float value : p.values)
        out.Float(value);
    out.PatchByteSize(start);
}

} // namespace

std::string FourCCText(std::int32_t value)
{
    std::string text = "'";
    bool printable = true;
    for (int shift = 24; shift >= 0; shift -= 8)
    {
        const char c = static_cast<char>((static_cast<std::uint32_t>(value) >> shift) & 0xFF);
        printable = printable && c >= 0x20 && c < 0x7F;
        text += c;
    }
    if (printable)
        return text + "'";
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(value));
    return hex;
}

PresetFile ParsePreset(std::span<const std::uint8_t> bytes, std::int32_t expectedFxId)
{
    BigEndianReader reader(bytes);
    if (bytes.size() < 4 || reader.Int32("header") != kChunkMagic)
        throw Error("not a VST preset file (no 'CcnK' header)");
    const std::int32_t byteSize = reader.Int32("size");
    if (byteSize < 0 || static_cast<std::size_t>(byteSize) != reader.Remaining())
        throw Error("preset size field says " + std::to_string(byteSize) + " bytes but " +
                    std::to_string(reader.Remaining()) + " follow it");
    PresetFile preset;
    const std::int32_t fxMagic = reader.Int32("type");
    if (fxMagic == kProgramChunkMagic)
        preset.kind = PresetKind::ProgramChunk;
    else if (fxMagic == kProgramParamsMagic)
        preset.kind = PresetKind::ProgramParams;
    else if (fxMagic == kBankChunkMagic)
        preset.kind = PresetKind::BankChunk;
    else if (fxMagic == kBankProgramsMagic)
        preset.kind = PresetKind::BankPrograms;
    else
        throw Error("unknown preset type " + FourCCText(fxMagic));
    preset.version = reader.Int32("version");
    preset.fxId = reader.Int32("fxID");
    CheckPlugin(preset.fxId, expectedFxId);
    preset.fxVersion = reader.Int32("fxVersion");
    if (preset.IsBank())
        ReadBankBody(reader, preset, expectedFxId);
    else
        ReadProgramBody(reader, preset);
    return preset;
}

std::vector<std::uint8_t> SerializePreset(const PresetFile& preset)
{
    BigEndianWriter out;
    if (preset.kind == PresetKind::ProgramParams)
    {
        WriteProgramRecord(out, preset,
                           preset.programs.empty() ? ProgramRecord{preset.name, {}}
                                                   : preset.programs.front());
        return out.bytes;
    }
    static constexpr std::int32_t kMagic[] = {kProgramChunkMagic, kProgramParamsMagic,
                                              kBankChunkMagic, kBankProgramsMagic};
    out.Int32(kChunkMagic);
    out.Int32(0);
    out.Int32(kMagic[static_cast<int>(preset.kind)]);
    out.Int32(preset.IsBank() ? preset.version : 1);
    out.Int32(preset.fxId);
    out.Int32(preset.fxVersion);
    if (preset.kind == PresetKind::ProgramChunk)
    {
        out.Int32(preset.numParams);
        out.Name(preset.name);
    }
    else
    {
        const auto programCount = preset.kind == PresetKind::BankPrograms
                                      ? static_cast<std::int32_t>(preset.programs.size())
                                      : preset.numPrograms;
        out.Int32(programCount);
        if (preset.version == 2)
        {
            out.Int32(preset.currentProgram);
            out.Zeros(kBankReservedBytes - 4);
        }
        else
        {
            out.Zeros(kBankReservedBytes);
        }
    }
    if (preset.kind == PresetKind::BankPrograms)
    {
        for (const ProgramRecord& program : preset.programs)
            WriteProgramRecord(out, preset, program);
    }
    else
    {
        out.Int32(static_cast<std::int32_t>(preset.chunk.size()));
        out.Append(preset.chunk);
    }
    out.PatchByteSize(0);
    return out.bytes;
}

} // namespace HostKit
