#include "swf/swf_reader.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "swf/swf_bit_writer.h"
#include "swf/swf_unknown_tag.h"
#include "tests/swf/swf_test_movies.h"

using swftest::BuildMovie;
using swftest::Bytes;
using swftest::RawTag;

namespace {

void LoadBytes(CSwfReader& reader, const std::vector<u8>& bytes) {
  CSwfBitWriter writer(6);
  writer.AppendBytes(bytes);
  ASSERT_TRUE(reader.LoadFromWriter(writer));
}

bool LoadMovie(CSwfReader& reader, const std::vector<u8>& movie, u32 byteLimit = 0,
               bool parseTags = true) {
  return reader.LoadFromMemory(movie.data(), u32(movie.size()), true, byteLimit, parseTags);
}

std::vector<u16> Codes(CSwfReader& reader) {
  std::vector<u16> codes;
  for (CSwfTag* tag : reader.GetTags()) codes.push_back(tag->GetCode());
  return codes;
}

std::vector<u8> Body(CSwfTag* tag) { return swftest::WrittenBody(tag); }

std::vector<u8> Rewritten(CSwfReader& reader) {
  CSwfBitWriter writer(reader.GetVersion());
  EXPECT_GT(reader.WriteMovie(writer), 0u);
  return writer.GetBytes();
}

}  // namespace

TEST(SwfReader, TypedReadsAreLittleEndianAndGiveZeroAtTheEnd) {
  CSwfReader reader;
  LoadBytes(reader, Bytes({0x01, 0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 0xAB}));
  EXPECT_EQ(reader.ReadU8(), 0x01);
  EXPECT_EQ(reader.ReadU16(), 0x1234);
  EXPECT_EQ(reader.ReadU32(), 0x12345678u);
  EXPECT_FALSE(reader.HasOverrun());
  EXPECT_EQ(reader.ReadU16(), 0) << "one byte left is not enough";
  EXPECT_EQ(reader.GetPosition(), 7u);
  EXPECT_EQ(reader.ReadU32(), 0u);
  EXPECT_EQ(reader.GetPosition(), 7u);
  EXPECT_EQ(reader.PeekByte(), 0xAB);
  EXPECT_EQ(reader.ReadU8(), 0xAB);
  EXPECT_EQ(reader.ReadU8(), 0);
  EXPECT_EQ(reader.PeekByte(), 0);
  EXPECT_EQ(reader.GetPosition(), 8u);
  EXPECT_TRUE(reader.HasOverrun());

  reader.Seek(1000);
  EXPECT_EQ(reader.GetPosition(), 8u) << "seeks stay inside the data";
  reader.Seek(2);
  reader.Skip(0xFFFFFFFF);
  EXPECT_EQ(reader.GetPosition(), 8u);
}

TEST(SwfReader, ReadsBitFieldsAcrossBytesAndAlignsForByteReads) {
  CSwfReader reader;
  // 101 | 11110 | 0000 0001 | then a byte read after a partial byte
  LoadBytes(reader, Bytes({0xBE, 0x01, 0x80, 0x7F}));
  EXPECT_EQ(reader.ReadBits(3, false), 5u);
  EXPECT_EQ(reader.ReadBits(5, true), u32(-2));
  EXPECT_EQ(reader.GetBitPosition(), 8);
  EXPECT_EQ(reader.PeekByte(), 0x01) << "the consumed byte is behind";
  EXPECT_EQ(reader.ReadBits(8, false), 1u);
  EXPECT_EQ(reader.ReadBits(1, true), u32(-1));
  EXPECT_EQ(reader.ReadU8(), 0x7F) << "the byte read skips the rest of the partial byte";

  LoadBytes(reader, Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0x00}));
  EXPECT_EQ(reader.ReadBits(32, true), 0xFFFFFFFFu);
  EXPECT_EQ(reader.ReadBits(0, true), 0u);
  EXPECT_EQ(reader.ReadBits(12, false), 0u) << "bits past the end are zero";
  EXPECT_EQ(reader.GetPosition(), 5u);
  EXPECT_TRUE(reader.HasOverrun());

  LoadBytes(reader, Bytes({0x80}));
  reader.ReadBits(1, false);
  reader.AlignByte();
  EXPECT_EQ(reader.GetPosition(), 1u);
  reader.AlignByte();
  EXPECT_EQ(reader.GetPosition(), 1u);
}

TEST(SwfReader, ReadsStringsByLengthOrUpToTheirZero) {
  CSwfReader reader;
  std::string text;
  LoadBytes(reader, Bytes({'a', 'b', 'c', 0, 'd'}));
  reader.ReadString(text, 0);
  EXPECT_EQ(text, "abc");
  EXPECT_EQ(reader.PeekByte(), 'd');
  reader.ReadString(text, 0);
  EXPECT_EQ(text, "d") << "a string that runs to the end of the data keeps its last byte";
  EXPECT_EQ(reader.GetPosition(), 5u);

  LoadBytes(reader, Bytes({'a', 'b', 'c', 0}));
  reader.ReadString(text, 4);
  EXPECT_EQ(text, "abc");
  reader.Seek(0);
  reader.ReadString(text, 2);
  EXPECT_EQ(text, "ab");
  reader.Seek(1);
  reader.ReadString(text, 100);
  EXPECT_EQ(text, "bc") << "the length is clamped to the data";
  reader.ReadString(text, 0);
  EXPECT_EQ(text, "");
}

TEST(SwfReader, ReadsTheHeaderFields) {
  std::vector<u8> movie = BuildMovie({{9, Bytes({1, 2, 3})}, {1, {}}, {0, {}}}, 7);
  // 8 bytes, a 9-byte frame size, then the frame rate 12.5 and the frame count 3.
  movie[17] = 0x80;
  movie[18] = 0x0C;
  movie[19] = 0x03;
  CSwfReader reader;
  ASSERT_TRUE(LoadMovie(reader, movie));
  CSwfHeader& header = reader.GetHeader();
  EXPECT_EQ(header.GetVersion(), 7);
  EXPECT_EQ(reader.GetVersion(), 7);
  EXPECT_EQ(header.GetFileLength(), movie.size());
  EXPECT_EQ(header.GetFrameRate(), 12.5f);
  EXPECT_EQ(header.GetFrameCount(), 3);
  u32 width = 0, height = 0;
  reader.GetMovieSize(width, height);
  EXPECT_EQ(width, 11000u);
  EXPECT_EQ(height, 8000u);
  EXPECT_EQ(Codes(reader), (std::vector<u16>{9, 1, 0}));
  EXPECT_EQ(reader.GetFrameCounter(), 1);
  EXPECT_FALSE(reader.IsCompressed());
  EXPECT_EQ(Rewritten(reader), movie);
  reader.DeleteTags(true);
  EXPECT_TRUE(reader.GetTags().empty());

  CSwfHeader written;
  written.SetParams(20u, 40u, 12.5f, 2, 6);
  CSwfBitWriter writer(6);
  EXPECT_EQ(written.Write(writer), 17u);
  EXPECT_EQ(writer.GetBytes(),
            Bytes({'F', 'W', 'S', 6, 0, 0, 0, 0, 0x38, 0x02, 0x80, 0x14, 0x00, 0x80, 0x0C, 2, 0}));
  EXPECT_EQ(written.GetWidth(), 20u);
  EXPECT_EQ(written.GetHeight(), 40u);

  // Rates keep the low 8 bits of each part; odd values never crash the writer.
  for (f32 rate : {300.25f, -1.0f, 1e30f, __builtin_nanf("")}) {
    CSwfHeader odd;
    odd.SetFrameRate(rate);
    CSwfBitWriter oddWriter(6);
    odd.Write(oddWriter);
  }
  CSwfHeader big;
  big.SetFrameRate(300.25f);
  CSwfBitWriter bigWriter(6);
  big.Write(bigWriter);
  EXPECT_EQ(bigWriter.GetBytes()[10], 0x40);
  EXPECT_EQ(bigWriter.GetBytes()[11], 300 & 0xFF);
}

TEST(SwfReader, RefusesWhatIsNotAPlainMovie) {
  const std::vector<u8> good = BuildMovie({{0, {}}});
  struct Case {
    const char* name;
    std::vector<u8> bytes;
    bool compressed;
  };
  auto withStart = [&good](std::initializer_list<int> start) {
    std::vector<u8> bytes = good;
    size_t i = 0;
    for (int value : start) bytes[i++] = u8(value);
    return bytes;
  };
  const Case cases[] = {
      {"F W X", withStart({'F', 'W', 'X'}), false},
      {"G W S", withStart({'G', 'W', 'S'}), false},
      {"Z W S", withStart({'Z', 'W', 'S'}), false},
      {"compressed", withStart({'C', 'W', 'S'}), true},
      {"empty", {}, false},
      {"signature only", Bytes({'F', 'W', 'S'}), false},
      {"no length", Bytes({'F', 'W', 'S', 6, 0x20, 0}), false},
      {"cut inside the frame size", std::vector<u8>(good.begin(), good.begin() + 12), false},
      {"cut before the frame count", std::vector<u8>(good.begin(), good.begin() + 20), false},
      {"length shorter than the header", withStart({'F', 'W', 'S', 6, 10, 0, 0, 0}), false},
  };
  for (const Case& c : cases) {
    CSwfReader reader;
    EXPECT_FALSE(reader.LoadFromMemory(c.bytes.data(), u32(c.bytes.size()), true, 0, true))
        << c.name;
    EXPECT_EQ(reader.IsCompressed(), c.compressed) << c.name;
    EXPECT_TRUE(reader.GetTags().empty()) << c.name;
  }
  CSwfReader reader;
  EXPECT_FALSE(reader.LoadFromMemory(nullptr, 100, true, 0, true));

  // Without the signature check the data begins at the length field.
  std::vector<u8> unsigned_(good.begin() + 4, good.end());
  EXPECT_TRUE(reader.LoadFromMemory(unsigned_.data(), u32(unsigned_.size()), false, 0, true));
  EXPECT_EQ(Codes(reader), (std::vector<u16>{0}));
  EXPECT_EQ(reader.GetHeader().GetFrameSize().xMax, 11000);
  reader.DeleteTags(true);
}

TEST(SwfReader, RawTagsComeBackByteForByteUnderTheShortestHeader) {
  std::vector<RawTag> tags = {
      {16, Bytes({1, 2, 3})},
      {25, std::vector<u8>(62, 0x55)},
      {999, std::vector<u8>(63, 0x66)},
      {1023, {}},
      {77, Bytes({9}), true},  // a short body that came with a long header
      {0, {}},
  };
  const std::vector<u8> movie = BuildMovie(tags);
  CSwfReader reader;
  ASSERT_TRUE(LoadMovie(reader, movie));
  ASSERT_EQ(Codes(reader), (std::vector<u16>{16, 25, 999, 1023, 77, 0}));
  for (size_t i = 0; i < tags.size(); ++i) EXPECT_EQ(Body(reader.GetTags()[i]), tags[i].body);

  const std::vector<u8> written = Rewritten(reader);
  const std::vector<RawTag> back = swftest::SplitTags(written);
  ASSERT_EQ(back.size(), tags.size());
  for (size_t i = 0; i < tags.size(); ++i) {
    EXPECT_EQ(back[i].code, tags[i].code);
    EXPECT_EQ(back[i].body, tags[i].body);
    EXPECT_EQ(back[i].longHeader, tags[i].body.size() > 62) << "tag " << i;
  }
  EXPECT_EQ(written.size(), movie.size() - 4);
  EXPECT_EQ(written[4] | (written[5] << 8), int(written.size())) << "the length is the new one";
  reader.DeleteTags(true);
}

TEST(SwfReader, TakenTagsBelongToTheCaller) {
  const std::vector<u8> movie = BuildMovie({{9, Bytes({1, 2, 3})}, {1, {}}, {0, {}}});
  CSwfReader reader;
  ASSERT_TRUE(LoadMovie(reader, movie));
  std::vector<std::unique_ptr<CSwfTag>> tags = reader.TakeTags();
  EXPECT_TRUE(reader.GetTags().empty());
  reader.DeleteTags(true);  // nothing of the caller's is deleted
  ASSERT_EQ(tags.size(), 3u);
  EXPECT_EQ(Body(tags[0].get()), Bytes({1, 2, 3}));
  EXPECT_EQ(tags[2]->GetCode(), 0);

  // A reader loaded again starts a list of its own.
  ASSERT_TRUE(LoadMovie(reader, movie));
  EXPECT_EQ(Codes(reader), (std::vector<u16>{9, 1, 0}));
  EXPECT_NE(reader.GetTags()[0], tags[0].get());
  reader.DeleteTags(true);
}

TEST(SwfReader, ByteAndFrameLimitsStopTheTagLoop) {
  std::vector<RawTag> tags;
  for (int frame = 0; frame < 10; ++frame) {
    tags.push_back({25, std::vector<u8>(8, u8(frame))});
    tags.push_back({1, {}});
  }
  tags.push_back({0, {}});
  const std::vector<u8> movie = BuildMovie(tags);  // 21 header bytes, 12 bytes per frame

  CSwfReader reader;
  ASSERT_TRUE(LoadMovie(reader, movie, 100));
  EXPECT_EQ(reader.GetMovieBytes().size(), 100u);
  // Six whole frames (93 bytes), then a tag cut to its first five bytes and
  // the End tag the exhausted data gives.
  std::vector<u16> expected;
  for (int frame = 0; frame < 6; ++frame) expected.insert(expected.end(), {25, 1});
  expected.insert(expected.end(), {25, 0});
  EXPECT_EQ(Codes(reader), expected);
  EXPECT_EQ(Body(reader.GetTags()[12]), std::vector<u8>(5, 6));
  EXPECT_EQ(reader.GetFrameCounter(), 6);
  reader.DeleteTags(true);

  ASSERT_TRUE(LoadMovie(reader, movie, 0, false));
  EXPECT_TRUE(reader.GetTags().empty());
  reader.ReadAllTags(nullptr, 1);
  EXPECT_EQ(Codes(reader), (std::vector<u16>{25, 1}));
  reader.DeleteTags(true);
  reader.ReadAllTags(&reader, 2);
  EXPECT_EQ(Codes(reader), (std::vector<u16>{25, 1, 25, 1})) << "goes on where it stopped";
  reader.DeleteTags(true);

  // A second reader counts the frames of what it reads from the first.
  CSwfReader counter;
  counter.ReadAllTags(&reader, 0);
  EXPECT_EQ(counter.GetTags().size(), 15u);
  EXPECT_EQ(counter.GetFrameCounter(), 7);
  EXPECT_EQ(counter.GetTagLength(), 0u) << "the End tag's length";
  counter.DeleteTags(true);

  ASSERT_TRUE(LoadMovie(reader, movie, 0, false));
  CSwfTag* first = reader.ReadNextTag();
  EXPECT_EQ(first->GetCode(), 25);
  EXPECT_TRUE(reader.GetTags().empty()) << "ReadNextTag does not store the tag";
  delete first;
}

TEST(SwfReader, HostileLengthsStayInsideTheData) {
  const std::vector<u8> base = BuildMovie({{25, Bytes({1, 2, 3})}, {1, {}}, {0, {}}});
  const size_t headerSize = base.size() - 9;
  auto withLength = [&](u32 length) {
    std::vector<u8> bytes = base;
    for (int i = 0; i < 4; ++i) bytes[4 + i] = u8(length >> (8 * i));
    return bytes;
  };
  auto movieWithTags = [&](const std::vector<u8>& tagBytes) {
    std::vector<u8> bytes(base.begin(), base.begin() + long(headerSize));
    bytes.insert(bytes.end(), tagBytes.begin(), tagBytes.end());
    bytes[4] = u8(bytes.size());
    return bytes;
  };
  struct Case {
    const char* name;
    std::vector<u8> movie;
    std::vector<u16> codes;
    std::vector<u32> lengths;
  };
  const Case cases[] = {
      {"length larger than the file", withLength(0x7FFFFFFF), {25, 1, 0}, {3, 0, 0}},
      {"length a little smaller than the file", withLength(u32(base.size() - 2)),
       {25, 1, 0}, {3, 0, 0}},
      {"length cutting the first tag", withLength(u32(headerSize + 3)), {25, 0}, {1, 0}},
      {"tag length 0xFFFFFFF0",
       movieWithTags(Bytes({0x7F, 0x06, 0xF0, 0xFF, 0xFF, 0xFF, 1, 2, 3, 4, 5})), {25, 0}, {5, 0}},
      {"long header cut inside its length", movieWithTags(Bytes({0x7F, 0x06, 0x05, 0x00})),
       {25, 0}, {0, 0}},
      {"header cut after one byte", movieWithTags(Bytes({0x43})), {0}, {0}},
      {"no End tag", movieWithTags(Bytes({0x40, 0x00, 0x40, 0x00})), {1, 1, 0}, {0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<u8> movie = c.movie;
    CSwfReader reader;
    ASSERT_TRUE(LoadMovie(reader, movie));
    EXPECT_EQ(Codes(reader), c.codes);
    std::vector<u32> lengths;
    for (CSwfTag* tag : reader.GetTags()) lengths.push_back(u32(Body(tag).size()));
    EXPECT_EQ(lengths, c.lengths);
    EXPECT_LE(reader.GetMovieBytes().size(), movie.size());
    reader.DeleteTags(true);
  }

  // A frame size of 31-bit fields: the largest values the format can hold.
  CSwfBitWriter writer(6);
  for (char c : std::string("FWS")) writer.WriteU8(u8(c));
  writer.WriteU8(6);
  writer.WriteU32(0);
  writer.WriteBits(31, 5);
  writer.WriteBits(0x40000000, 31);
  writer.WriteBits(0x3FFFFFFF, 31);
  writer.WriteBits(0x7FFFFFFF, 31);
  writer.WriteBits(0, 31);
  writer.WriteU16(0x0C00);
  writer.WriteU16(1);
  writer.WriteU16(0x0040);
  writer.WriteU16(0);
  std::vector<u8> wide = writer.GetBytes();
  wide[4] = u8(wide.size());
  CSwfReader reader;
  ASSERT_TRUE(LoadMovie(reader, wide));
  const CSwfRect& frame = reader.GetHeader().GetFrameSize();
  EXPECT_EQ(frame.xMin, -(1 << 30));
  EXPECT_EQ(frame.xMax, (1 << 30) - 1);
  EXPECT_EQ(frame.yMin, -1);
  u32 width = 0, height = 0;
  reader.GetMovieSize(width, height);
  EXPECT_EQ(width, 0x7FFFFFFFu);
  EXPECT_EQ(height, 1u);
  EXPECT_EQ(Codes(reader), (std::vector<u16>{1, 0}));
  EXPECT_EQ(Rewritten(reader), wide);
  reader.DeleteTags(true);
}

TEST(SwfReader, BodiesBoundNestedReadsToTheirLength) {
  // An outer tag body holding inner tags the way a sprite does, whose last
  // inner tag announces more than the body holds; a raw tag follows.
  std::vector<u8> inner = Bytes({0x43, 0x06, 7, 7, 7});  // code 25, 3 bytes
  const std::vector<u8> greedy = Bytes({0x7F, 0x06, 0x00, 0x01, 0x00, 0x00, 0xEE});
  inner.insert(inner.end(), greedy.begin(), greedy.end());
  std::vector<u8> movie = BuildMovie({{39, inner}, {25, Bytes({1, 2, 3})}, {0, {}}});
  CSwfReader reader;
  ASSERT_TRUE(LoadMovie(reader, movie, 0, false));

  const u16 word = reader.ReadU16();
  ASSERT_EQ(word >> 6, 39);
  const CSwfReader::Body body = reader.BeginBody(word & 63);
  EXPECT_EQ(reader.GetRemaining(), inner.size());
  CSwfReader nested;
  nested.ReadAllTags(&reader, 0);
  ASSERT_EQ(Codes(nested), (std::vector<u16>{25, 25, 0}));
  EXPECT_EQ(Body(nested.GetTags()[1]), Bytes({0xEE})) << "cut at the end of the outer body";
  nested.DeleteTags(true);
  EXPECT_EQ(reader.ReadU8(), 0) << "reads give nothing past the body";
  reader.Seek(0);
  EXPECT_EQ(reader.GetPosition(), body.end - inner.size()) << "nor seek before it";
  reader.EndBody(body);
  EXPECT_EQ(reader.GetPosition(), body.end);

  // The tag behind it is whole.
  CSwfTag* next = reader.ReadNextTag();
  EXPECT_EQ(next->GetCode(), 25);
  EXPECT_EQ(Body(next), Bytes({1, 2, 3}));
  delete next;

  // A body longer than what remains is cut to it.
  reader.Seek(reader.GetPosition());
  const CSwfReader::Body rest = reader.BeginBody(0xFFFFFFFF);
  EXPECT_EQ(reader.GetRemaining(), 2u);
  reader.EndBody(rest);
  EXPECT_EQ(reader.GetRemaining(), 0u);
}

TEST(SwfReader, DeeplyNestedTagsLoadAndKeepWhatFollows) {
  // Tags nested inside the bodies of code-39 tags, far deeper than any real
  // movie; a SetBackgroundColor follows the outermost one.
  std::vector<u8> body = Bytes({0x00, 0x00});
  for (int level = 0; level < 2000; ++level) {
    std::vector<u8> outer = Bytes({1, 0, 1, 0});
    EncodeTagHeader(outer, 39, u32(body.size()), true);
    outer.insert(outer.end(), body.begin(), body.end());
    outer.insert(outer.end(), {0x00, 0x00});
    body.swap(outer);
  }
  const std::vector<u8> movie =
      BuildMovie({{39, body, true}, {9, Bytes({4, 5, 6})}, {0, {}}});
  CSwfReader reader;
  ASSERT_TRUE(LoadMovie(reader, movie));
  ASSERT_EQ(Codes(reader), (std::vector<u16>{39, 9, 0}));
  const std::vector<u8> written = Rewritten(reader);
  EXPECT_LE(written.size(), movie.size());
  const std::vector<RawTag> back = swftest::SplitTags(written);
  ASSERT_EQ(back.size(), 3u);
  EXPECT_EQ(back[1].body, Bytes({4, 5, 6}));
  reader.DeleteTags(true);
}

TEST(SwfReader, ScratchReadersCarryTheWritersVersionAndLength) {
  CSwfBitWriter writer(8);
  writer.WriteU16(0xBEEF);
  writer.WriteBits(1, 1);
  CSwfReader reader;
  ASSERT_TRUE(reader.LoadFromWriter(writer));
  EXPECT_EQ(reader.GetVersion(), 8);
  EXPECT_EQ(reader.GetTagLength(), 3u);
  EXPECT_EQ(reader.GetMovieBytes(), Bytes({0xEF, 0xBE, 0x80}));

  reader.Reset();
  EXPECT_EQ(reader.GetVersion(), 4);
  EXPECT_TRUE(reader.GetMovieBytes().empty());
  EXPECT_EQ(reader.ReadU8(), 0);
}

TEST(SwfReader, ReadsFieldsOfAnyWidthAsBitByBitReadingDoes) {
  // The layout read one bit at a time, past the end of the data too, beside
  // the reader's faster reading: values, positions and overruns agree.
  std::mt19937 random(5);
  for (int round = 0; round < 300; ++round) {
    std::vector<u8> data(random() % 12);
    for (u8& byte : data) byte = u8(random());
    CSwfReader reader;
    LoadBytes(reader, data);
    u32 position = 0;
    u32 bit = 0;
    bool overrun = false;
    for (int step = 0; step < 30; ++step) {
      const u16 count = u16(random() % 4 == 0 ? random() % 40 : random() % 10);
      const bool isSigned = random() % 2;
      u32 expected = 0;
      for (u16 i = 0; i < count; ++i) {
        if (bit == 8) {
          ++position;
          bit = 0;
        }
        u32 value = 0;
        if (position < data.size()) {
          value = (data[position] >> (7 - bit)) & 1;
          ++bit;
        } else {
          overrun = true;
        }
        expected = (expected << 1) | value;
      }
      if (isSigned && count > 0 && count < 32 && ((expected >> (count - 1)) & 1)) expected |= ~0u << count;
      ASSERT_EQ(reader.ReadBits(count, isSigned), expected) << "round " << round << " step " << step;
      ASSERT_EQ(reader.GetPosition(), position);
      ASSERT_EQ(reader.GetBitPosition(), bit);
      ASSERT_EQ(reader.HasOverrun(), overrun);
    }
  }
}

TEST(SwfReader, PeeksOnlyAtWholeBytesTheWindowHolds) {
  CSwfReader reader;
  LoadBytes(reader, Bytes({1, 2, 3, 4}));
  const u8* bytes = reader.PeekBytes(4);
  ASSERT_NE(bytes, nullptr);
  EXPECT_EQ(bytes[3], 4);
  EXPECT_EQ(reader.GetPosition(), 0u);
  EXPECT_EQ(reader.PeekBytes(5), nullptr) << "more than there is";
  reader.ReadBits(3, false);
  EXPECT_EQ(reader.PeekBytes(1), nullptr) << "inside a byte";
  reader.AlignByte();
  const CSwfReader::Body body = reader.BeginBody(2);
  EXPECT_NE(reader.PeekBytes(2), nullptr);
  EXPECT_EQ(reader.PeekBytes(3), nullptr) << "past the body";
  reader.EndBody(body);
  EXPECT_NE(reader.PeekBytes(0), nullptr);
}
