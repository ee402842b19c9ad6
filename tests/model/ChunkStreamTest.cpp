#include "model/ChunkReader.h"
#include "model/ChunkWriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

using Kestrune::ChunkReader;
using Kestrune::ChunkWriter;

TEST(ChunkWriter, WritesLittleEndianAndDoublesCapacity)
{
    ChunkWriter writer;
    EXPECT_EQ(writer.GetCapacity(), 256u);
    writer.WriteInt32(0x01020304);
    ASSERT_EQ(writer.GetSize(), 4u);
    EXPECT_EQ(writer.GetData()[0], 0x04);
    EXPECT_EQ(writer.GetData()[3], 0x01);

    const std::uint8_t* before = writer.GetData();
    char block[300] = {};
    writer.Append(block, sizeof block);
    EXPECT_EQ(writer.GetSize(), 304u);
    EXPECT_EQ(writer.GetCapacity(), 512u);
    writer.Clear();
    EXPECT_EQ(writer.GetSize(), 0u);
    EXPECT_EQ(writer.GetCapacity(), 512u);
    const std::uint8_t* after = writer.GetData();
    writer.WriteInt32(1);
    EXPECT_EQ(writer.GetData(), after) << "a write that fits must not move the data";
    (void)before;
}

TEST(ChunkWriter, FloatIsItsBitPattern)
{
    ChunkWriter writer;
    writer.WriteFloat(1.0f); // 0x3F800000
    EXPECT_EQ(writer.GetData()[0], 0x00);
    EXPECT_EQ(writer.GetData()[2], 0x80);
    EXPECT_EQ(writer.GetData()[3], 0x3F);
}

TEST(ChunkReader, ReportsShortfallAndMovesPastWhatWasThere)
{
    const std::uint8_t data[6] = {0x04, 0x03, 0x02, 0x01, 0xAA, 0xBB};
    ChunkReader reader(data, sizeof data);
    std::int32_t value = 0;
    ASSERT_TRUE(reader.ReadInt32(value));
    EXPECT_EQ(value, 0x01020304);
    value = 7;
    EXPECT_FALSE(reader.ReadInt32(value));
    EXPECT_EQ(value, 7) << "a failed read stores nothing";
    EXPECT_EQ(reader.GetPosition(), 6u);
    char rest[4];
    EXPECT_EQ(reader.ReadBytes(rest, 4), 0u);
}

TEST(ChunkReader, RoundTripsWriterOutputAndKeepsPrivateCopy)
{
    ChunkWriter writer;
    writer.WriteFloat(-0.25f);
    writer.WriteInt32(-5);
    std::vector<std::uint8_t> copy(writer.GetData(), writer.GetData() + writer.GetSize());
    ChunkReader reader(copy.data(), copy.size());
    std::memset(copy.data(), 0xFF, copy.size()); // the reader must not see this
    float f = 0;
    std::int32_t i = 0;
    ASSERT_TRUE(reader.ReadFloat(f));
    ASSERT_TRUE(reader.ReadInt32(i));
    EXPECT_EQ(f, -0.25f);
    EXPECT_EQ(i, -5);
}

TEST(ChunkReader, NullDataIsEmpty)
{
    ChunkReader reader(nullptr, 100);
    std::int32_t v;
    EXPECT_EQ(reader.GetSize(), 0u);
    EXPECT_FALSE(reader.ReadInt32(v));
}
