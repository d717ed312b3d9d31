#include "swf/swf_bit_writer.h"

#include <gtest/gtest.h>

#include <random>
#include <utility>
#include <vector>

#include "platform/memory_handles.h"
#include "swf/swf_reader.h"
#include "swf/swf_unknown_tag.h"
#include "tests/swf/swf_test_movies.h"

using swftest::Bytes;

TEST(SwfBitWriter, PacksBitsMostSignificantFirstAndKeepsAFullByteOpen) {
  CSwfBitWriter writer(4);
  writer.WriteBits(5, 3);
  EXPECT_EQ(writer.GetByteCount(), 0u);
  writer.FlushBits();
  EXPECT_EQ(writer.GetBytes(), Bytes({0xA0}));

  // Eight bits fill the partial byte but it stays pending until more comes.
  CSwfBitWriter full(4);
  full.WriteBits(0xFF, 8);
  EXPECT_EQ(full.GetByteCount(), 0u);
  EXPECT_EQ(full.GetPendingBits(), 8u);
  full.WriteBits(1, 1);
  EXPECT_EQ(full.GetByteCount(), 1u);
  EXPECT_EQ(full.GetBytes(), Bytes({0xFF, 0x80}));

  // Fields cross byte boundaries; bits above 32 are zeros.
  CSwfBitWriter mixed(4);
  mixed.WriteBits(0x3, 2);
  mixed.WriteBits(0x1FF, 9);
  mixed.WriteBits(0xFFFFFFFF, 34);
  mixed.WriteBits(0, 0);
  EXPECT_EQ(mixed.GetBytes(), Bytes({0xFF, 0xE7, 0xFF, 0xFF, 0xFF, 0xF8}));
}

TEST(SwfBitWriter, ByteWritesFlushPendingBitsAndAreLittleEndian) {
  CSwfBitWriter writer(6);
  writer.WriteBits(1, 1);
  writer.WriteU16(0x1234);
  writer.WriteS16(-2);
  writer.WriteU32(0xA1B2C3D4);
  writer.WriteU8(7);
  writer.AppendString("ab");
  writer.AppendByteList({9, 8});
  EXPECT_EQ(writer.AppendBytes(Bytes({1, 2, 3})), 3u);
  EXPECT_EQ(writer.GetBytes(), Bytes({0x80, 0x34, 0x12, 0xFE, 0xFF, 0xD4, 0xC3, 0xB2, 0xA1, 7, 'a',
                                      'b', 9, 8, 1, 2, 3}));
  EXPECT_EQ(writer.GetByteCount(), 17u);
  EXPECT_EQ(writer.GetVersion(), 6);

  writer.Clear();
  EXPECT_EQ(writer.GetByteCount(), 0u);
  EXPECT_TRUE(writer.GetBytes().empty());
}

TEST(SwfBitWriter, AppendsOtherWritersBitExactOrAligned) {
  // A byte 0xFF and three pending bits 101, appended bit-exactly after one bit.
  auto source = [] {
    CSwfBitWriter other(4);
    other.WriteU8(0xFF);
    other.WriteBits(5, 3);
    return other;
  };
  CSwfBitWriter other = source();
  CSwfBitWriter empty(4);
  empty.AppendBits(other);
  EXPECT_EQ(empty.GetBytes(), Bytes({0xFF, 0xA0}));
  EXPECT_EQ(other.GetPendingBits(), 0u) << "the source is left flushed";
  EXPECT_EQ(other.GetByteCount(), 2u);

  CSwfBitWriter shifted(4);
  shifted.WriteBits(1, 1);
  CSwfBitWriter second = source();
  shifted.AppendBits(second);
  EXPECT_EQ(shifted.GetBytes(), Bytes({0xFF, 0xD0}));

  // The first n bits only.
  CSwfBitWriter third = source();
  CSwfBitWriter partial(4);
  partial.AppendBits(third, 11);
  EXPECT_EQ(partial.GetPendingBits(), 3u);
  EXPECT_EQ(partial.GetBytes(), Bytes({0xFF, 0xA0}));
  CSwfBitWriter clamped(4);
  clamped.AppendBits(third, 1000);
  EXPECT_EQ(clamped.GetBytes(), Bytes({0xFF, 0xA0}));

  // Aligned concatenation pads the pending bits of both.
  CSwfBitWriter fourth = source();
  CSwfBitWriter aligned(4);
  aligned.WriteBits(1, 1);
  aligned.AppendWriter(fourth);
  EXPECT_EQ(aligned.GetBytes(), Bytes({0x80, 0xFF, 0xA0}));
}

TEST(SwfBitWriter, TagHeadersTakeTheShortFormUpTo62Bytes) {
  struct Case {
    u16 code;
    u32 length;
    bool forceLong;
    std::vector<u8> header;
  };
  const Case cases[] = {
      {9, 3, false, Bytes({0x43, 0x02})},
      {26, 63, false, Bytes({0xBF, 0x06, 0x3F, 0x00, 0x00, 0x00})},
      {1, 0, false, Bytes({0x40, 0x00})},
      {0, 0, false, Bytes({0x00, 0x00})},
      {2, 62, false, Bytes({0xBE, 0x00})},
      {2, 62, true, Bytes({0xBF, 0x00, 0x3E, 0x00, 0x00, 0x00})},
      {12, 0, true, Bytes({0x3F, 0x03, 0x00, 0x00, 0x00, 0x00})},
      {1023, 0x12345678, false, Bytes({0xFF, 0xFF, 0x78, 0x56, 0x34, 0x12})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "code " << c.code << " length " << c.length);
    CSwfUnknownTag tag(c.code, 0);
    std::vector<u8> encoded;
    EncodeTagHeader(encoded, tag, c.length, c.forceLong);
    EXPECT_EQ(encoded, c.header);

    CSwfBitWriter writer(4);
    writer.WriteBits(1, 1);
    writer.WriteTagHeader(tag, c.length, c.forceLong);
    std::vector<u8> expected = Bytes({0x80});
    expected.insert(expected.end(), c.header.begin(), c.header.end());
    EXPECT_EQ(writer.GetBytes(), expected);
  }
}

TEST(SwfBitWriter, WritesRecordsAndPatchesOnlyWrittenBytes) {
  CSwfBitWriter writer(4);
  writer.WriteRecord(nullptr);
  EXPECT_EQ(writer.GetByteCount(), 0u);

  CSwfUnknownTag tag(9, 0);
  const u8 body[] = {1, 2, 3};
  tag.SetData(body, 3);
  writer.WriteRecord(&tag);
  EXPECT_EQ(writer.GetBytes(), Bytes({0x43, 0x02, 1, 2, 3}));

  EXPECT_TRUE(writer.PatchU32(1, 0x0A0B0C0D));
  EXPECT_EQ(writer.GetBytes(), Bytes({0x43, 0x0D, 0x0C, 0x0B, 0x0A}));
  EXPECT_FALSE(writer.PatchU32(2, 0));
  EXPECT_FALSE(writer.PatchU32(0xFFFFFFFE, 0));

  const u8 block[] = {7, 8, 9};
  Handle handle = plat::NewHandleFromBytes(block, 3);
  Handle empty = NewHandle(0);
  writer.WriteBits(1, 1);
  writer.AppendHandle(handle);
  writer.AppendHandle(empty);
  writer.AppendHandle(nullptr);
  EXPECT_EQ(writer.GetBytes(), Bytes({0x43, 0x0D, 0x0C, 0x0B, 0x0A, 0x80, 7, 8, 9}));
  DisposeHandle(handle);
  DisposeHandle(empty);

  writer.Reserve(1000);
  EXPECT_GE(writer.GetCapacity(), 1000u);
  writer.SetStripSound(1);
  EXPECT_EQ(writer.GetStripSound(), 1);
}

TEST(SwfBitWriter, BitFieldsOfEveryWidthReadBackBitForBit) {
  // Fields of 0 to 40 bits at every offset, written in runs and read back
  // signed and unsigned; each bit is checked against a plain bit list.
  std::mt19937 random(5);
  std::vector<int> expected;
  std::vector<std::pair<u32, u32>> fields;
  CSwfBitWriter writer(8);
  for (int i = 0; i < 3000; ++i) {
    const u32 count = random() % 41;
    const u32 value = u32(random());
    writer.WriteBits(value, count);
    for (u32 bit = count; bit-- > 0;) expected.push_back(bit < 32 ? int((value >> bit) & 1) : 0);
    fields.emplace_back(value, count);
  }
  const std::vector<u8>& bytes = writer.GetBytes();
  ASSERT_EQ(bytes.size(), (expected.size() + 7) / 8);
  for (size_t i = 0; i < expected.size(); ++i)
    ASSERT_EQ((bytes[i / 8] >> (7 - i % 8)) & 1, expected[i]) << "bit " << i;

  CSwfReader reader;
  CSwfBitWriter copy(8);
  copy.AppendBytes(bytes);
  ASSERT_TRUE(reader.LoadFromWriter(copy));
  for (const auto& [value, count] : fields) {
    if (count > 32) {
      reader.ReadBits(u16(count - 32), false);
      EXPECT_EQ(reader.ReadBits(32, false), value);
      continue;
    }
    const u32 mask = count == 32 ? ~0u : (1u << count) - 1;
    const u32 read = reader.ReadBits(u16(count), count % 2 == 1);
    EXPECT_EQ(read & mask, value & mask);
    if (count % 2 == 1 && count < 32 && ((value >> (count - 1)) & 1)) {
      EXPECT_EQ(read | mask, ~0u) << "sign-extended";
    }
  }
  EXPECT_FALSE(reader.HasOverrun());
  // Past the data a field reads as zeros.
  reader.AlignByte();
  EXPECT_EQ(reader.ReadBits(12, false), 0u);
  EXPECT_TRUE(reader.HasOverrun());
}

TEST(SwfBitWriter, SignedFieldsWiderThan32BitsCarryTheirSignAbove) {
  // Each field behind 3 bits, so that it spans bytes; the bits above the
  // value's 32 are copies of its sign, and the field reads back whole.
  for (const u32 count : {33u, 40u, 64u, 100u}) {
    for (const s32 value : {-5, -1, 0, 7, INT32_MIN, INT32_MAX}) {
      SCOPED_TRACE(std::to_string(count) + " bits of " + std::to_string(value));
      CSwfBitWriter writer(8);
      writer.WriteBits(5, 3);
      writer.WriteSignedBits(value, count);
      writer.FlushBits();
      std::vector<int> expected = {1, 0, 1};
      for (u32 bit = count; bit-- > 0;) expected.push_back(bit < 32 ? int((u32(value) >> bit) & 1) : value < 0);
      const std::vector<u8>& bytes = writer.GetBytes();
      ASSERT_EQ(bytes.size(), (expected.size() + 7) / 8);
      for (size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ((bytes[i / 8] >> (7 - i % 8)) & 1, expected[i]) << "bit " << i;

      CSwfReader reader;
      CSwfBitWriter copy(8);
      copy.AppendBytes(bytes);
      ASSERT_TRUE(reader.LoadFromWriter(copy));
      EXPECT_EQ(reader.ReadBits(3, false), 5u);
      EXPECT_EQ(s32(reader.ReadBits(u16(count), true)), value);
      EXPECT_FALSE(reader.HasOverrun());
    }
  }
  // Up to 32 bits a signed field is its low bits.
  CSwfBitWriter narrow(8);
  narrow.WriteSignedBits(-2, 4);
  narrow.FlushBits();
  EXPECT_EQ(narrow.GetBytes(), Bytes({0xE0}));
}

namespace {

// The writer's bit packing done one bit at a time, as the layout describes
// it: the standard the writer's faster packing is held to.
struct BitByBitWriter {
  std::vector<u8> bytes;
  u8 partial = 0;
  u32 position = 0;

  void WriteBits(u32 value, u32 count) {
    for (u32 i = count; i-- > 0;) {
      if (position == 8) {
        bytes.push_back(partial);
        partial = 0;
        position = 0;
      }
      if (i < 32 && ((value >> i) & 1)) partial |= u8(0x80 >> position);
      ++position;
    }
  }
  void WriteU8(u8 value) {
    if (position) bytes.push_back(partial);
    partial = 0;
    position = 0;
    bytes.push_back(value);
  }
};

}  // namespace

TEST(SwfBitWriter, PacksFieldsOfAnyWidthAsBitByBitPackingDoes) {
  std::mt19937 random(11);
  for (int round = 0; round < 500; ++round) {
    CSwfBitWriter writer(6);
    BitByBitWriter reference;
    for (int step = 0; step < 40; ++step) {
      if (random() % 6 == 0) {
        const u8 byte = u8(random());
        writer.WriteU8(byte);
        reference.WriteU8(byte);
        continue;
      }
      const u32 count = random() % 5 == 0 ? random() % 40 : random() % 12;
      const u32 value = u32(random());
      writer.WriteBits(value, count);
      reference.WriteBits(value, count);
      ASSERT_EQ(writer.GetPendingBits(), reference.position) << "round " << round;
      ASSERT_EQ(writer.GetByteCount(), reference.bytes.size()) << "round " << round;
    }
    reference.WriteU8(0);
    writer.WriteU8(0);
    ASSERT_EQ(writer.GetBytes(), reference.bytes) << "round " << round;
  }
}

TEST(SwfBitWriter, TagsWrittenInPlaceMatchTagsWrittenThroughAScratchWriter) {
  // Bodies around the short form's limit, with and without the long form
  // forced, after pending bits of what came before.
  for (const u32 length : {0u, 1u, 61u, 62u, 63u, 64u, 1000u}) {
    for (const bool forceLong : {false, true}) {
      SCOPED_TRACE(testing::Message() << "length " << length << (forceLong ? " long" : ""));
      CSwfUnknownTag tag(26, 0);
      std::vector<u8> body(length);
      for (u32 i = 0; i < length; ++i) body[i] = u8(i * 7);

      CSwfBitWriter scratchWay(6);
      scratchWay.WriteBits(5, 3);
      CSwfBitWriter scratch(6);
      scratch.AppendBytes(body);
      scratch.WriteBits(1, 1);
      const u32 grew = scratchWay.WriteTag(tag, scratch, forceLong);

      CSwfBitWriter inPlace(6);
      inPlace.WriteBits(5, 3);
      const u32 mark = inPlace.BeginTag();
      inPlace.AppendBytes(body);
      inPlace.WriteBits(1, 1);
      EXPECT_EQ(inPlace.EndTag(tag, mark, forceLong), grew);
      EXPECT_EQ(inPlace.GetBytes(), scratchWay.GetBytes());
    }
  }
}
