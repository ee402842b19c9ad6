// .fxp/.fxb reading and writing: round trips of all four kinds, and refusal of every file that
// is cut short, mislabelled, inconsistent or made for another plug-in.
#include "hostkit/PresetFile.h"
#include "hostkit/Error.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

using namespace HostKit;

namespace
{

constexpr std::int32_t kId = FourCC("CPhr");

// A file of the kind for this test's plug-in ID.
PresetFile Preset(PresetKind kind, std::int32_t fxVersion)
{
    PresetFile preset;
    preset.kind = kind;
    preset.fxId = kId;
    preset.fxVersion = fxVersion;
    return preset;
}

PresetFile ProgramChunk()
{
    PresetFile preset = Preset(PresetKind::ProgramChunk, 1000);
    preset.numParams = 13;
    preset.name = "Slow Sweep";
    preset.chunk = {1, 2, 3, 4, 5, 0, 255};
    return preset;
}

PresetFile BankChunk()
{
    PresetFile preset = Preset(PresetKind::BankChunk, 1000);
    preset.version = 2;
    preset.numPrograms = 32;
    preset.currentProgram = 7;
    preset.chunk.assign(300, 0xAB);
    return preset;
}

PresetFile ProgramParams()
{
    PresetFile preset = Preset(PresetKind::ProgramParams, 3);
    preset.name = "List";
    preset.numParams = 3;
    preset.programs = {{"List", {0.0f, 0.5f, 1.25f}}};
    return preset;
}

PresetFile BankPrograms()
{
    PresetFile preset = Preset(PresetKind::BankPrograms, 3);
    preset.version = 1;
    preset.numPrograms = 2;
    preset.numParams = 2;
    preset.programs = {{"A", {0.1f, 0.2f}}, {"B", {0.3f, 0.4f}}};
    return preset;
}

std::int32_t BigEndianAt(const std::vector<std::uint8_t>& bytes, std::size_t at)
{
    return static_cast<std::int32_t>((std::uint32_t(bytes[at]) << 24) |
                                     (std::uint32_t(bytes[at + 1]) << 16) |
                                     (std::uint32_t(bytes[at + 2]) << 8) | bytes[at + 3]);
}

void SetBigEndianAt(std::vector<std::uint8_t>& bytes, std::size_t at, std::int32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + std::size_t(i)] =
            static_cast<std::uint8_t>(std::uint32_t(value) >> (24 - 8 * i));
}

std::string RefusalOf(const std::vector<std::uint8_t>& bytes, std::int32_t id = kId)
{
    try
    {
        ParsePreset(bytes, id);
    }
    catch (const Error& error)
    {
        return error.what();
    }
    return "";
}

} // namespace

TEST(PresetFile, ProgramChunkLayout)
{
    const auto bytes = SerializePreset(ProgramChunk());
    ASSERT_EQ(bytes.size(), 60u + 7u);
    EXPECT_EQ(BigEndianAt(bytes, 0), FourCC("CcnK"));
    EXPECT_EQ(BigEndianAt(bytes, 4), 59);
    EXPECT_EQ(BigEndianAt(bytes, 8), FourCC("FPCh"));
    EXPECT_EQ(BigEndianAt(bytes, 12), 1);
    EXPECT_EQ(BigEndianAt(bytes, 16), 0x43506872);
    EXPECT_EQ(BigEndianAt(bytes, 20), 1000);
    EXPECT_EQ(BigEndianAt(bytes, 24), 13);
    char name[28] = "Slow Sweep";
    EXPECT_EQ(std::memcmp(bytes.data() + 28, name, 28), 0);
    EXPECT_EQ(BigEndianAt(bytes, 56), 7);
    EXPECT_EQ(bytes.back(), 255);
}

TEST(PresetFile, BankChunkLayout)
{
    const auto bytes = SerializePreset(BankChunk());
    ASSERT_EQ(bytes.size(), 160u + 300u);
    EXPECT_EQ(BigEndianAt(bytes, 4), 452);
    EXPECT_EQ(BigEndianAt(bytes, 8), FourCC("FBCh"));
    EXPECT_EQ(BigEndianAt(bytes, 12), 2);
    EXPECT_EQ(BigEndianAt(bytes, 24), 32);
    EXPECT_EQ(BigEndianAt(bytes, 28), 7);
    for (std::size_t i = 32; i < 156; ++i)
        ASSERT_EQ(bytes[i], 0) << i;
    EXPECT_EQ(BigEndianAt(bytes, 156), 300);
}

TEST(PresetFile, EveryKindRoundTrips)
{
    for (const PresetFile& original :
         {ProgramChunk(), BankChunk(), ProgramParams(), BankPrograms()})
    {
        const PresetFile read = ParsePreset(SerializePreset(original), kId);
        EXPECT_EQ(read.kind, original.kind);
        EXPECT_EQ(read.fxId, original.fxId);
        EXPECT_EQ(read.fxVersion, original.fxVersion);
        EXPECT_EQ(read.chunk, original.chunk);
        EXPECT_EQ(read.numParams, original.numParams);
        ASSERT_EQ(read.programs.size(), original.programs.size());
        for (std::size_t i = 0; i < read.programs.size(); ++i)
        {
            EXPECT_EQ(read.programs[i].name, original.programs[i].name);
            EXPECT_EQ(read.programs[i].values, original.programs[i].values);
        }
        if (original.IsBank())
        {
            EXPECT_EQ(read.version, original.version);
            EXPECT_EQ(read.numPrograms, original.numPrograms);
            EXPECT_EQ(read.currentProgram, original.version == 2 ? original.currentProgram : -1);
        }
        else
        {
            EXPECT_EQ(read.name, original.name);
        }
    }
}

TEST(PresetFile, LongNamesAreCutTo27Characters)
{
    PresetFile preset = ProgramChunk();
    preset.name = std::string(40, 'n');
    const auto bytes = SerializePreset(preset);
    EXPECT_EQ(bytes[28 + 27], 0) << "the name field always ends with a zero byte";
    EXPECT_EQ(ParsePreset(bytes, kId).name, std::string(27, 'n'));
}

TEST(PresetFile, EveryTruncationIsRefused)
{
    for (const PresetFile& original :
         {ProgramChunk(), BankChunk(), ProgramParams(), BankPrograms()})
    {
        const auto bytes = SerializePreset(original);
        for (std::size_t size = 0; size < bytes.size(); ++size)
        {
            const std::vector<std::uint8_t> cut(bytes.begin(), bytes.begin() + long(size));
            EXPECT_NE(RefusalOf(cut), "") << "kind " << int(original.kind) << " size " << size;
        }
    }
}

TEST(PresetFile, WrongMagicOrTypeIsRefused)
{
    auto bytes = SerializePreset(ProgramChunk());
    bytes[0] = 'X';
    EXPECT_NE(RefusalOf(bytes).find("'CcnK'"), std::string::npos);

    bytes = SerializePreset(ProgramChunk());
    SetBigEndianAt(bytes, 8, FourCC("FPCx"));
    EXPECT_NE(RefusalOf(bytes).find("'FPCx'"), std::string::npos);
}

TEST(PresetFile, PresetForAnotherPluginIsRefused)
{
    const auto message = RefusalOf(SerializePreset(ProgramChunk()), FourCC("CTst"));
    EXPECT_NE(message.find("'CPhr'"), std::string::npos) << message;
    EXPECT_NE(message.find("'CTst'"), std::string::npos) << message;

    // Every program record of a parameter bank names the plug-in too.
    auto bank = SerializePreset(BankPrograms());
    SetBigEndianAt(bank, 156 + 16, FourCC("Othr"));
    EXPECT_NE(RefusalOf(bank).find("'Othr'"), std::string::npos);

    EXPECT_EQ(FourCCText(0x01020304), "0x01020304");
}

TEST(PresetFile, InconsistentSizesAreRefused)
{
    auto extra = SerializePreset(ProgramChunk());
    extra.push_back(0);
    EXPECT_NE(RefusalOf(extra), "") << "byte after the declared size";

    for (std::int32_t chunkSize : {-1, 6, 8, std::numeric_limits<std::int32_t>::max()})
    {
        auto bytes = SerializePreset(ProgramChunk());
        SetBigEndianAt(bytes, 56, chunkSize);
        EXPECT_NE(RefusalOf(bytes), "") << "chunk size " << chunkSize;
    }
    auto bank = SerializePreset(BankChunk());
    SetBigEndianAt(bank, 156, 301);
    EXPECT_NE(RefusalOf(bank), "");

    auto params = SerializePreset(ProgramParams());
    SetBigEndianAt(params, 24, 1 << 30);
    EXPECT_NE(RefusalOf(params), "") << "parameter count beyond the file";

    auto current = SerializePreset(BankChunk());
    SetBigEndianAt(current, 28, 32);
    EXPECT_NE(RefusalOf(current), "") << "current program beyond the bank";
    SetBigEndianAt(current, 28, -1);
    EXPECT_NE(RefusalOf(current), "");

    auto version = SerializePreset(BankChunk());
    SetBigEndianAt(version, 12, 3);
    EXPECT_NE(RefusalOf(version), "");
}

TEST(PresetFile, NonFiniteValuesAreRefused)
{
    PresetFile preset = ProgramParams();
    preset.programs[0].values[1] = std::numeric_limits<float>::quiet_NaN();
    EXPECT_NE(RefusalOf(SerializePreset(preset)).find("non-finite"), std::string::npos);
    preset.programs[0].values[1] = std::numeric_limits<float>::infinity();
    EXPECT_NE(RefusalOf(SerializePreset(preset)), "");
}
