#include "foundation/data_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<u8>;

Bytes Flushed(CDataWriter& writer) { return writer.GetBuffer(true); }

TEST(DataWriter, BitsPackMostSignificantFirstAndStayPendingUntilFlushed) {
  CDataWriter writer;
  EXPECT_EQ(writer.GetSize(), 0u);
  writer.WriteBits(1, 1);
  EXPECT_EQ(writer.GetSize(), 1u);
  EXPECT_TRUE(writer.GetBuffer(false).empty());
  writer.FlushBits();
  EXPECT_EQ(writer.GetBuffer(false), Bytes({0x80}));
  EXPECT_EQ(writer.GetByteCount(), 1u);

  // A full partial byte waits for the next bit or write.
  CDataWriter full;
  full.WriteBits(0xFF, 8);
  EXPECT_TRUE(full.GetBuffer(false).empty());
  EXPECT_EQ(full.GetByteCount(), 0u);
  full.WriteUInt8(1);
  EXPECT_EQ(full.GetBuffer(false), Bytes({0xFF, 0x01}));
  EXPECT_EQ(full.GetByteCount(), 2u);

  // Fields crossing byte boundaries; n = 0 writes nothing; only the low n bits count.
  CDataWriter fields;
  fields.WriteBits(0x5, 3);
  fields.WriteBits(0, 0);
  fields.WriteBits(0xFFFF0ABC, 12);
  fields.WriteBits(0xDEADBEEF, 32);
  EXPECT_EQ(Flushed(fields), Bytes({0xB5, 0x79, 0xBD, 0x5B, 0x7D, 0xDE}));
  u8 partial = 0xFF;
  fields.GetBuffer(true, &partial);
  EXPECT_EQ(partial, 0);
}

TEST(DataWriter, IntegersFollowTheByteOrderFlagFloatsDoNot) {
  struct Case {
    s32 flag;
    Bytes expected;
  };
  const Case cases[] = {
      {0, {0x01, 0x34, 0x12, 0x44, 0x33, 0x22, 0x11, 0xFE, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF,
           0x3F, 0x80, 0x00, 0x00, 0x3F, 0xF0, 0, 0, 0, 0, 0, 0}},
      {1, {0x01, 0x12, 0x34, 0x11, 0x22, 0x33, 0x44, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFE,
           0x3F, 0x80, 0x00, 0x00, 0x3F, 0xF0, 0, 0, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    CDataWriter writer;
    writer.byteOrder = c.flag;
    writer.WriteUInt8(1);
    writer.WriteUInt16(0x1234);
    writer.WriteUInt32(0x11223344);
    writer.WriteInt16(-2);
    writer.WriteInt32(-2);
    writer.WriteFloat(1.0f);
    writer.WriteDouble(1.0);
    EXPECT_EQ(Flushed(writer), c.expected) << "flag " << c.flag;
    // Floats and doubles leave the count alone.
    EXPECT_EQ(writer.GetByteCount(), 13u);
  }
}

TEST(DataWriter, FixedOrderSubclassesIgnoreTheFlag) {
  CBigEndianWriter big;
  CLittleEndianWriter little;
  for (CDataWriter* writer : {static_cast<CDataWriter*>(&big), static_cast<CDataWriter*>(&little)}) {
    writer->byteOrder = writer == &big ? 0 : 1;  // the opposite of the class's order
    writer->WriteBits(1, 1);
    writer->WriteWord(0x0102);
    writer->WriteDword(0x03040506);
    writer->WriteFloat(-2.0f);
    writer->WriteDouble(2.0);
    writer->WriteByte(7);
  }
  EXPECT_EQ(Flushed(big), Bytes({0x80, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0xC0, 0x00, 0x00, 0x00,
                                 0x40, 0, 0, 0, 0, 0, 0, 0, 0x07}));
  EXPECT_EQ(Flushed(little), Bytes({0x80, 0x02, 0x01, 0x06, 0x05, 0x04, 0x03, 0x00, 0x00, 0x00,
                                    0xC0, 0, 0, 0, 0, 0, 0, 0, 0x40, 0x07}));
  // Only the flushed bit byte and the one-byte write are counted.
  EXPECT_EQ(big.GetByteCount(), 2u);
  EXPECT_EQ(little.GetByteCount(), 2u);
}

TEST(DataWriter, RawBytesLandAfterPendingBits) {
  CDataWriter writer;
  writer.WriteBits(0x3, 2);
  const u8 raw[] = {0x11, 0x22};
  writer.WriteBytes(raw, sizeof raw);
  EXPECT_EQ(writer.GetBuffer(false), Bytes({0xC0, 0x11, 0x22}));
  EXPECT_EQ(writer.GetSize(), 3u);
  EXPECT_EQ(writer.GetByteCount(), 1u);  // the flushed bits; raw bytes are not counted
}

TEST(DataWriter, StringsCarryTheirLengths) {
  CDataWriter writer;
  writer.WriteString16("");
  writer.WriteString16("ab");
  const unsigned char empty[] = {0};
  const unsigned char pascal[] = {3, 'x', 'y', 'z'};
  writer.WritePascalString(empty);
  writer.WritePascalString(pascal);
  EXPECT_EQ(Flushed(writer), Bytes({0, 0, 2, 0, 'a', 'b', 0, 3, 'x', 'y', 'z'}));

  CBigEndianWriter big;
  std::string longText(70000, 'q');
  big.WriteString16(longText.c_str());
  const Bytes& bytes = big.GetBuffer(true);
  ASSERT_EQ(bytes.size(), 2u + 65535u);
  EXPECT_EQ(bytes[0], 0xFF);
  EXPECT_EQ(bytes[1], 0xFF);
}

TEST(DataWriter, AppendWriterCopiesEveryByteAndThePendingBits) {
  // Raw bytes and string bodies are not in the other writer's count but are
  // part of its content all the same.
  CDataWriter other;
  other.WriteString16("hi");
  other.WriteBits(0x5, 3);

  CDataWriter aligned;
  aligned.AppendWriter(other);
  EXPECT_EQ(aligned.GetSize(), 5u);
  EXPECT_EQ(Flushed(aligned), Bytes({2, 0, 'h', 'i', 0xA0}));

  CDataWriter shifted;
  shifted.WriteBits(1, 1);
  shifted.AppendWriter(other);
  EXPECT_EQ(Flushed(shifted), Bytes({0x81, 0x00, 0x34, 0x34, 0xD0}));

  CDataWriter bitsOnly;
  bitsOnly.WriteBits(0x5, 3);
  CDataWriter target;
  target.AppendWriter(bitsOnly);
  EXPECT_EQ(target.GetSize(), 1u);
  target.WriteBits(0x1F, 5);
  EXPECT_EQ(Flushed(target), Bytes({0xBF}));

  // A writer may append itself.
  CDataWriter self;
  self.WriteUInt8(0xAB);
  self.WriteBits(1, 1);
  self.AppendWriter(self);
  EXPECT_EQ(Flushed(self), Bytes({0xAB, 0xD5, 0xC0}));
}

TEST(DataWriter, AppendWriterBitsTakesAPrefixNoLongerThanTheContent) {
  CDataWriter other;
  other.WriteUInt8(0xFF);
  other.WriteUInt8(0x0F);
  other.WriteBits(0x5, 3);
  struct Case {
    u32 bits;
    Bytes expected;
  };
  const Case cases[] = {
      {0, {}},
      {8, {0xFF}},
      {12, {0xFF, 0x00}},    // the rest bits come from the next byte of the vector
      {16, {0xFF, 0x0F}},
      {19, {0xFF, 0x0F, 0xA0}},
      {1000, {0xFF, 0x0F, 0xA0}},  // clamped to what the writer holds
  };
  for (const Case& c : cases) {
    CDataWriter writer;
    writer.AppendWriterBits(other, c.bits);
    EXPECT_EQ(Flushed(writer), c.expected) << c.bits << " bits";
  }
}

}  // namespace
