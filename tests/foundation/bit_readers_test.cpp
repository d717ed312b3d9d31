#include "foundation/bit_readers.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(MemoryBitReader, ReadsMostSignificantBitFirstWithSignExtension) {
  const u8 byte = 0xB5;  // 1011 0101
  struct Case {
    u32 count;
    bool isSigned;
    s32 expected;
  };
  const Case cases[] = {{3, false, 5}, {3, true, -3}, {5, false, 22}, {5, true, -10}, {1, true, -1}};
  for (const Case& c : cases) {
    CMemoryBitReader reader;
    reader.AppendBytes(&byte, 1);
    EXPECT_EQ(reader.ReadBits(c.count, c.isSigned), c.expected) << c.count << " " << c.isSigned;
  }

  CMemoryBitReader reader;
  const u8 bytes[] = {0xB5, 0x0F, 0xFF, 0xFF, 0xFF, 0xFF};
  reader.AppendBytes(bytes, sizeof bytes);
  EXPECT_EQ(reader.ReadBits(3, false), 5);
  EXPECT_EQ(reader.ReadBits(9, false), 0x150);  // 10101 then 0000 from the next byte
  EXPECT_EQ(reader.ReadBits(32, true), s32(0xFFFFFFFF));
  EXPECT_EQ(reader.ReadBits(4, false), 0xF);
}

TEST(MemoryBitReader, GivesZeroBitsPastTheEnd) {
  CMemoryBitReader empty;
  EXPECT_EQ(empty.ReadBits(32, true), 0);

  CMemoryBitReader reader;
  const u8 byte = 0xFF;
  reader.AppendBytes(&byte, 1);
  EXPECT_EQ(reader.ReadBits(12, false), 0xFF0);  // the missing bits are 0
  EXPECT_EQ(reader.ReadBits(8, true), 0);
  EXPECT_EQ(reader.GetByteIndex(), 1u);
  // Bytes appended later are read from where the data ended.
  const u8 more = 0x80;
  reader.AppendBytes(&more, 1);
  EXPECT_EQ(reader.ReadBits(1, false), 1);
}

TEST(FileDataReader, ReadsLittleEndianIntegersAndStopsAtTheEnd) {
  CFileDataReader reader;
  const u8 bytes[] = {0x01, 0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 0xAB};
  reader.SetData(bytes, sizeof bytes);
  EXPECT_EQ(reader.ReadUInt8(), 0x01);
  EXPECT_EQ(reader.ReadUInt16(), 0x1234);
  EXPECT_EQ(reader.ReadUInt32(), 0x12345678u);
  EXPECT_EQ(reader.GetPosition(), 7u);
  // One byte left: wider reads give 0 and leave the cursor.
  EXPECT_EQ(reader.ReadUInt16(), 0);
  EXPECT_EQ(reader.ReadUInt32(), 0u);
  EXPECT_EQ(reader.GetPosition(), 7u);
  EXPECT_EQ(reader.ReadUInt8(), 0xAB);
  EXPECT_EQ(reader.ReadUInt8(), 0);
  EXPECT_EQ(reader.GetPosition(), 8u);

  // No data at all: every read is 0 (no size - 1 underflow).
  CFileDataReader empty;
  EXPECT_EQ(empty.ReadUInt16(), 0);
  EXPECT_EQ(empty.ReadUInt32(), 0u);
  EXPECT_EQ(empty.PeekByte(), 0);
  EXPECT_EQ(empty.ReadBits(16, false), 0);
  EXPECT_EQ(empty.ReadDouble(), 0.0);
}

TEST(FileDataReader, BitReadsAlignBeforeByteReads) {
  CFileDataReader reader;
  const u8 bytes[] = {0xB5, 0x22, 0x11, 0x33};
  reader.SetData(bytes, sizeof bytes);
  EXPECT_EQ(reader.ReadBits(3, true), -3);
  EXPECT_EQ(reader.PeekByte(), 0x22);  // the byte after the current one
  EXPECT_EQ(reader.GetPosition(), 0u);
  EXPECT_EQ(reader.ReadUInt16(), 0x1122);  // skips the rest of 0xB5 first
  EXPECT_EQ(reader.ReadBits(8, false), 0x33);
  EXPECT_EQ(reader.GetBitPosition(), 8u);
  EXPECT_EQ(reader.PeekByte(), 0);
  EXPECT_EQ(reader.ReadBits(4, false), 0);

  reader.Seek(1);
  EXPECT_EQ(reader.ReadUInt8(), 0x22);
  reader.Skip(-5);
  EXPECT_EQ(reader.GetPosition(), 0u);
  reader.Skip(3);
  EXPECT_EQ(reader.ReadUInt8(), 0x33);
  reader.Seek(0xFFFFFFF0u);
  EXPECT_EQ(reader.ReadUInt32(), 0u);
  EXPECT_EQ(reader.PeekByte(), 0);
}

TEST(FileDataReader, ReadsSignedAndFloatingValues) {
  CFileDataReader reader;
  const u8 bytes[] = {0xFE, 0xFE, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x80, 0x3F,
                      0, 0, 0, 0, 0, 0, 0xF0, 0xBF};
  reader.SetData(bytes, sizeof bytes);
  EXPECT_EQ(reader.ReadInt8(), -2);
  EXPECT_EQ(reader.ReadInt16(), -2);
  EXPECT_EQ(reader.ReadInt32(), -2);
  EXPECT_EQ(reader.ReadFloat(), 1.0f);
  EXPECT_EQ(reader.ReadDouble(), -1.0);
}

}  // namespace
