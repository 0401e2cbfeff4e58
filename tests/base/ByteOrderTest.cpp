#include "base/BoundedReader.h"
#include "base/ByteOrder.h"
#include "base/ByteWriter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

TEST(LittleEndianFieldsTest, TakeTheBitsAsTheyAre)
{
    const uint8_t record[] = {0xFE, 0xFF, 0x34, 0x12, 0x00, 0x00, 0x00, 0x80};
    EXPECT_EQ(LittleEndian16(record + 2), 0x1234);
    EXPECT_EQ(SignedLittleEndian16(record), -2);
    EXPECT_EQ(LittleEndian32(record + 4), 0x80000000u);
    EXPECT_EQ(SignedLittleEndian32(record + 4), INT32_MIN);
    EXPECT_EQ(SignedLittleEndian32(record), 0x1234FFFE);
}

// What the writer writes, the reader reads back, at the extremes of every
// width and sign, and a text field is cut and padded so that it ends in a NUL.
TEST(ByteWriterTest, TheReaderTakesBackWhatItWrites)
{
    std::vector<uint8_t> bytes;
    bytes.reserve(32);  // GCC 12 warns of bounds it cannot see when an empty vector grows by a few bytes
    ByteWriter out(bytes);
    out.Write(uint8_t{0xFF});
    out.Write(int8_t{-128});
    out.Write(uint16_t{0xFEDC});
    out.Write(int16_t{-32768});
    out.Write(uint32_t{0x89ABCDEF});
    out.Write(int32_t{INT32_MIN + 1});
    out.WriteBigEndian(0x1234);
    out.WriteText("abc", 5);
    out.WriteText("longer than it", 4);
    ASSERT_EQ(bytes.size(), 1u + 1 + 2 + 2 + 4 + 4 + 2 + 5 + 4);
    EXPECT_EQ(bytes[2], 0xDC);  // the low byte first

    BoundedReader reader(bytes.data(), bytes.size());
    uint8_t u8 = 0;
    int8_t s8 = 0;
    uint16_t u16 = 0, big = 0;
    int16_t s16 = 0;
    uint32_t u32 = 0;
    int32_t s32 = 0;
    ASSERT_TRUE(reader.Read(u8) && reader.Read(s8) && reader.Read(u16) && reader.Read(s16) && reader.Read(u32) &&
                reader.Read(s32) && reader.ReadBigEndian(big));
    EXPECT_EQ(u8, 0xFF);
    EXPECT_EQ(s8, -128);
    EXPECT_EQ(u16, 0xFEDC);
    EXPECT_EQ(s16, -32768);
    EXPECT_EQ(u32, 0x89ABCDEFu);
    EXPECT_EQ(s32, INT32_MIN + 1);
    EXPECT_EQ(big, 0x1234);
    const uint8_t* text = reader.Take(9);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(text), 9), std::string("abc\0\0lon\0", 9));
    EXPECT_TRUE(reader.AtEnd());
}

TEST(ByteWriterTest, StoresWriteOverBytesInPlace)
{
    uint8_t bytes[8] = {};
    StoreLittleEndian32(bytes, BitsOf(int32_t{-2}));
    StoreLittleEndian16(bytes + 4, 0x1234);
    StoreBigEndian16(bytes + 6, 0x1234);
    EXPECT_EQ(SignedLittleEndian32(bytes), -2);
    EXPECT_EQ(LittleEndian16(bytes + 4), 0x1234);
    EXPECT_EQ(BigEndian16(bytes + 6), 0x1234);
    EXPECT_EQ(bytes[6], 0x12);
}

}  // namespace
