#include "midi/MessageDispatcher.h"
#include "support/TestModel.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

using Kestrune::ChunkReader;
using Kestrune::ChunkWriter;
using Kestrune::Midi::MessageDispatcher;
using TestSupport::TestModel;
using Bytes = std::vector<std::uint8_t>;

namespace
{

constexpr std::size_t kProgramChunkSize = 240; // 188 + 4 * 13 parameters
constexpr std::size_t kBankChunkSize = 2596;   // 164 + 32 * (24 + 4 * 13)
constexpr std::size_t kProgramStride = 24 + 4 * TestModel::kParameterCount;
static_assert(kProgramChunkSize == 188 + 4 * TestModel::kParameterCount);

// Independent builders of the expected bytes: fields zero-padded, integers little-endian.
void PutField(Bytes& out, const char* text, std::size_t width)
{
    const std::size_t start = out.size();
    out.resize(start + width, 0);
    for (std::size_t i = 0; i + 1 < width && text[i] != '\0'; ++i)
        out[start + i] = static_cast<std::uint8_t>(text[i]);
}

void PutUint32(Bytes& out, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void PutFloat(Bytes& out, float value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    PutUint32(out, bits);
}

Bytes ExpectedHeader(const char* effect = "Test Effect", const char* vendor = "Test Vendor",
                     const char* product = "Test Product", std::uint32_t version = 1000)
{
    Bytes out;
    PutField(out, effect, 32);
    PutField(out, vendor, 64);
    PutField(out, product, 64);
    PutUint32(out, version);
    return out;
}

Bytes Written(ChunkWriter& writer)
{
    return Bytes(writer.GetData(), writer.GetData() + writer.GetSize());
}

class ModelChunkTest : public ::testing::Test
{
protected:
    Bytes WriteProgram()
    {
        ChunkWriter writer;
        model.WriteProgram(writer);
        return Written(writer);
    }

    Bytes WriteBank()
    {
        ChunkWriter writer;
        model.WriteBank(writer);
        return Written(writer);
    }

    bool ReadProgram(const Bytes& chunk)
    {
        ChunkReader reader(chunk.data(), chunk.size());
        return model.ReadProgram(reader);
    }

    bool ReadBank(const Bytes& chunk)
    {
        ChunkReader reader(chunk.data(), chunk.size());
        return model.ReadBank(reader);
    }

    std::string ProgramName(int index)
    {
        char name[24];
        model.CopyProgramName(index, name, sizeof name);
        return name;
    }

    // Every name and value of every program, to show that a refused load changed nothing.
    struct Snapshot
    {
        std::vector<std::string> names;
        std::vector<float> values;
        int program;
        bool operator==(const Snapshot&) const = default;
    };

    Snapshot Take()
    {
        Snapshot s;
        s.program = model.GetProgram();
        for (int p = 0; p < 32; ++p)
        {
            s.names.push_back(ProgramName(p));
            for (auto* group : std::initializer_list<Kestrune::Parameters::IParameterGroup*>{
                     &model.first, &model.second, &model.third})
            {
                for (int i = 0; i < group->GetParameterCount(); ++i)
                    s.values.push_back(group->GetParameterProgramValue(p, i));
            }
        }
        return s;
    }

    // A few distinct values and names in programs 0, 3 and 31.
    void Customise()
    {
        model.SetProgram(3);
        model.SetProgramName("Third");
        model.SetParameterValue(0, 0.5f);
        model.SetParameterValue(12, 0.125f);
        model.SetProgram(31);
        model.SetProgramName("Last one");
        model.SetParameterValue(6, 1.0f);
        model.SetProgram(0);
        model.SetProgramName("First");
        model.SetParameterValue(11, 0.0f);
    }

    MessageDispatcher messages;
    TestModel model{&messages};
};

} // namespace

TEST_F(ModelChunkTest, ProgramChunkOfAnUntouchedModelByteForByte)
{
    Bytes expected = ExpectedHeader();
    PutField(expected, "Blank", 24);
    for (int i = 0; i < TestModel::kParameterCount; ++i)
        PutFloat(expected, TestModel::DefaultOf(i));
    ASSERT_EQ(expected.size(), kProgramChunkSize);

    const Bytes chunk = WriteProgram();
    ASSERT_EQ(chunk.size(), kProgramChunkSize);
    for (std::size_t i = 0; i < chunk.size(); ++i)
        ASSERT_EQ(chunk[i], expected[i]) << "byte " << i;
    EXPECT_EQ(chunk[160], 0xE8); // 1000, least significant byte first
    EXPECT_EQ(chunk[161], 0x03);
}

TEST_F(ModelChunkTest, BankChunkByteForByte)
{
    Customise();
    Bytes expected = ExpectedHeader();
    for (int p = 0; p < 32; ++p)
    {
        const char* name = p == 0 ? "First" : p == 3 ? "Third" : p == 31 ? "Last one" : "Blank";
        PutField(expected, name, 24);
        for (int i = 0; i < TestModel::kParameterCount; ++i)
        {
            float value = TestModel::DefaultOf(i);
            if (p == 3 && i == 0)
                value = 0.5f;
            if (p == 3 && i == 12)
                value = 0.125f;
            if (p == 31 && i == 6)
                value = 1.0f;
            if (p == 0 && i == 11)
                value = 0.0f;
            PutFloat(expected, value);
        }
    }
    ASSERT_EQ(expected.size(), kBankChunkSize);

    const Bytes chunk = WriteBank();
    ASSERT_EQ(chunk.size(), kBankChunkSize);
    for (std::size_t i = 0; i < chunk.size(); ++i)
        ASSERT_EQ(chunk[i], expected[i]) << "byte " << i;
    EXPECT_EQ(model.GetProgram(), 0) << "writing a bank does not change the program";
}

TEST_F(ModelChunkTest, ProgramChunkIsTheCurrentProgram)
{
    Customise();
    model.SetProgram(3);
    const Bytes chunk = WriteProgram();
    ASSERT_EQ(chunk.size(), kProgramChunkSize);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&chunk[164])), "Third");
    float first;
    std::memcpy(&first, &chunk[188], 4);
    EXPECT_EQ(first, 0.5f);
}

TEST_F(ModelChunkTest, ProgramRoundTripRestoresValuesAndName)
{
    Customise();
    model.SetProgram(3);
    const Bytes chunk = WriteProgram();

    model.SetProgram(7); // load into another program
    ASSERT_TRUE(ReadProgram(chunk));
    EXPECT_EQ(model.GetProgram(), 7);
    EXPECT_EQ(ProgramName(7), "Third");
    EXPECT_EQ(model.GetParameterValue(0), 0.5f);
    EXPECT_EQ(model.GetParameterValue(12), 0.125f);
    model.Deliver();
    EXPECT_EQ(model.firstOwner.calls.back(), "first.level=0.500000") << "values are applied";
    EXPECT_EQ(WriteProgram(), chunk);
}

TEST_F(ModelChunkTest, BankRoundTripRestoresAllProgramsAndKeepsTheCurrentOne)
{
    Customise();
    const Bytes chunk = WriteBank();
    const auto before = Take();

    TestModel other{&messages};
    other.SetProgram(5);
    ChunkReader reader(chunk.data(), chunk.size());
    ASSERT_TRUE(other.ReadBank(reader));
    EXPECT_EQ(other.GetProgram(), 5);
    ChunkWriter writer;
    other.WriteBank(writer);
    EXPECT_EQ(Written(writer), chunk);

    // Loading a bank into the model itself applies the current program's values at once.
    model.SetParameterValue(11, 0.75f);
    model.SetProgramName("Changed");
    ASSERT_TRUE(ReadBank(chunk));
    EXPECT_TRUE(Take() == before);
    model.Deliver();
    EXPECT_EQ(model.secondOwner.calls.back(), "second.level=0.000000");
}

TEST_F(ModelChunkTest, ChunksFromAnotherEffectVendorProductOrVersionAreRefused)
{
    Customise();
    const Bytes program = WriteProgram();
    const Bytes bank = WriteBank();
    model.SetProgram(3);
    const auto before = Take();

    struct Mismatch
    {
        const char* what;
        std::size_t offset;
        std::uint8_t byte;
    };
    for (const Mismatch& m : {Mismatch{"effect", 0, 'X'}, Mismatch{"effect longer", 11, 'X'},
                              Mismatch{"vendor", 32, 'X'}, Mismatch{"product", 100, 'X'},
                              Mismatch{"version", 160, 0xE7}}) // 999
    {
        Bytes p = program;
        Bytes b = bank;
        p[m.offset] = m.byte;
        b[m.offset] = m.byte;
        EXPECT_FALSE(ReadProgram(p)) << m.what;
        EXPECT_FALSE(ReadBank(b)) << m.what;
        EXPECT_TRUE(Take() == before) << m.what;
    }

    // Fields compare as zero-terminated strings: bytes after the terminator do not matter.
    Bytes padded = program;
    padded[31] = 'X';
    EXPECT_TRUE(ReadProgram(padded));

    // Built by a model of another product, otherwise identical.
    TestModel foreign{&messages, "Test Effect", "Test Vendor", "Other Product"};
    ChunkWriter writer;
    foreign.WriteProgram(writer);
    model.SetProgram(4);
    const auto unloaded = Take();
    EXPECT_FALSE(ReadProgram(Written(writer)));
    EXPECT_TRUE(Take() == unloaded);
}

TEST_F(ModelChunkTest, TruncatedChunksAreRefusedWithNothingChanged)
{
    Customise();
    model.SetProgram(3);
    const Bytes program = WriteProgram();
    const Bytes bank = WriteBank();
    model.SetProgram(0);
    const auto before = Take();

    // Header only; header and name (the name must not be taken over); one value short.
    for (std::size_t size : {std::size_t{0}, std::size_t{100}, std::size_t{164}, std::size_t{188},
                             kProgramChunkSize - 1})
    {
        EXPECT_FALSE(ReadProgram(Bytes(program.begin(), program.begin() + size))) << size;
        EXPECT_TRUE(Take() == before) << size;
    }
    for (std::size_t size :
         {std::size_t{164}, std::size_t{164} + kProgramStride, kBankChunkSize - 1})
    {
        EXPECT_FALSE(ReadBank(Bytes(bank.begin(), bank.begin() + size))) << size;
        EXPECT_TRUE(Take() == before) << size;
    }
    EXPECT_FALSE(ReadBank(program)) << "a program chunk is too short for a bank";
    EXPECT_TRUE(Take() == before);
}

TEST_F(ModelChunkTest, NonFiniteValuesAnywhereRefuseTheWholeChunk)
{
    Customise();
    const Bytes program = WriteProgram();
    const Bytes bank = WriteBank();
    const auto before = Take();

    for (float bad :
         {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
          -std::numeric_limits<float>::infinity()})
    {
        Bytes p = program;
        std::memcpy(&p[kProgramChunkSize - 4], &bad, 4); // the last value
        EXPECT_FALSE(ReadProgram(p));
        Bytes b = bank;
        std::memcpy(&b[kBankChunkSize - 4], &bad, 4); // last value of the last program
        EXPECT_FALSE(ReadBank(b));
        EXPECT_TRUE(Take() == before);
    }
}

TEST_F(ModelChunkTest, TrailingBytesAreIgnored)
{
    Customise();
    model.SetProgram(3);
    Bytes program = WriteProgram();
    Bytes bank = WriteBank();
    program.insert(program.end(), 50, 0xAB);
    bank.insert(bank.end(), 3, 0xCD);
    model.SetProgram(4);
    EXPECT_TRUE(ReadProgram(program));
    EXPECT_EQ(ProgramName(4), "Third");
    EXPECT_TRUE(ReadBank(bank));
    EXPECT_EQ(ProgramName(4), "Blank");
}

TEST_F(ModelChunkTest, ValuesOutsideZeroToOneAreTakenOverUnchanged)
{
    Bytes program = WriteProgram();
    const float high = 1.5f;
    const float low = -0.5f;
    std::memcpy(&program[188], &high, 4);
    std::memcpy(&program[192], &low, 4);
    ASSERT_TRUE(ReadProgram(program));
    EXPECT_EQ(model.GetParameterValue(0), 1.5f);
    EXPECT_EQ(model.GetParameterValue(1), -0.5f);
}

TEST_F(ModelChunkTest, ProgramNameFromAChunkAlwaysEndsWithAZeroByte)
{
    Bytes program = WriteProgram();
    Bytes bank = WriteBank();
    std::memset(&program[164], 'p', 24);
    std::memset(&bank[164 + 2 * kProgramStride], 'b', 24);

    ASSERT_TRUE(ReadProgram(program));
    EXPECT_EQ(ProgramName(0), std::string(23, 'p'));
    EXPECT_EQ(WriteProgram()[164 + 23], 0);

    ASSERT_TRUE(ReadBank(bank));
    EXPECT_EQ(ProgramName(2), std::string(23, 'b'));
    EXPECT_EQ(WriteBank()[164 + 2 * kProgramStride + 23], 0);
}

TEST_F(ModelChunkTest, LoadsDoNotNotifyObservers)
{
    struct Counter : Kestrune::IModelObserver
    {
        int calls = 0;
        void OnParameterChanged(int) override { ++calls; }
        void OnAllParametersChanged() override { ++calls; }
    } counter;
    model.AddObserver(&counter);
    const Bytes program = WriteProgram();
    const Bytes bank = WriteBank();
    ASSERT_TRUE(ReadProgram(program));
    ASSERT_TRUE(ReadBank(bank));
    EXPECT_EQ(counter.calls, 0);
    model.RemoveObserver(&counter);
}
