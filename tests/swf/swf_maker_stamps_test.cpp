#include "swf/swf_maker_stamps.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "swf/swf_bit_writer.h"
#include "swf/swf_reader.h"
#include "swf/swf_unknown_tag.h"
#include "tests/swf/swf_test_movies.h"

using swftest::Bytes;
using swftest::ReadTag;
using swftest::WrittenBody;

namespace {

void AppendShortString(std::vector<u8>& out, const std::string& text) {
  out.push_back(u8(text.size()));
  out.insert(out.end(), text.begin(), text.end());
}

}  // namespace

TEST(SwfMakerStamps, AStampWritesMakerProductAndNumbers) {
  CSwfStampGlimmerbox stamp(2, 0);
  std::vector<u8> expected;
  AppendShortString(expected, "Orrinvale Software");
  AppendShortString(expected, kSwfMakerWebAddress);
  AppendShortString(expected, "Glimmerbox");
  const std::vector<u8> numbers = Bytes({52, 0, 0, 0, 2, 0, 77, 0, 0, 0, 0, 0});
  expected.insert(expected.end(), numbers.begin(), numbers.end());
  CSwfBitWriter writer(6);
  stamp.Write(writer);
  const std::vector<u8>& bytes = writer.GetBytes();
  ASSERT_GE(bytes.size(), 6u);
  EXPECT_EQ(bytes[0] | (bytes[1] << 8), (925 << 6) | 63) << "code 925, long header";
  EXPECT_EQ(WrittenBody(&stamp), expected);
  EXPECT_EQ(std::strncmp(kSwfMakerWebAddress, "http://", 7), 0);

  // Every product: its code and its name.
  const std::pair<std::unique_ptr<CSwfMakerStamp>, const char*> products[] = {
      {std::make_unique<CSwfMakerStamp>(0, 0), "Orrinvale"},
      {std::make_unique<CSwfStampSlidewell>(0, 0), "Slidewell"},
      {std::make_unique<CSwfStampLetterforge>(0, 0), "Letterforge"},
      {std::make_unique<CSwfStampBoltframe>(0, 0), "Boltframe"},
      {std::make_unique<CSwfStampVistagraph>(0, 0), "Vistagraph"},
      {std::make_unique<CSwfStampSlidewellPro>(0, 0), "Slidewell Pro"},
      {std::make_unique<CSwfStampGlimmerbox>(0, 0), "Glimmerbox"},
      {std::make_unique<CSwfStampTonecast>(0, 0), "Tonecast"},
      {std::make_unique<CSwfStampPictocast>(0, 0), "Pictocast"},
      {std::make_unique<CSwfStampReelcast>(0, 0), "Reelcast"},
      {std::make_unique<CSwfStampPeelframe>(0, 0), "Peelframe"},
  };
  u16 code = 919;
  for (const auto& [product, name] : products) {
    EXPECT_EQ(product->GetCode(), code++);
    EXPECT_EQ(product->GetProductName(), name);
  }
}

TEST(SwfMakerStamps, ReadingKeepsOnlyTheProductAndTheFactoryKeepsStampsRaw) {
  std::vector<u8> body;
  AppendShortString(body, "Someone Else");
  AppendShortString(body, "http://example.invalid/");
  AppendShortString(body, "Reelcast");
  const std::vector<u8> numbers = Bytes({1, 0, 0, 0, 9, 0, 2, 0, 0, 0, 8, 0});
  body.insert(body.end(), numbers.begin(), numbers.end());

  // The factory does not make stamps: a stamp read from a movie is raw.
  auto raw = ReadTag({928, body});
  ASSERT_NE(dynamic_cast<CSwfUnknownTag*>(raw.get()), nullptr);
  EXPECT_EQ(WrittenBody(raw.get()), body);

  CSwfBitWriter source(6);
  source.AppendBytes(body);
  CSwfReader reader;
  ASSERT_TRUE(reader.LoadFromWriter(source));
  CSwfStampReelcast stamp(0, 0);
  EXPECT_EQ(stamp.Read(reader), body.size());
  EXPECT_EQ(stamp.GetProductName(), "Reelcast");
  EXPECT_EQ(stamp.word1, 1u);
  EXPECT_EQ(stamp.firstValue, 9);
  EXPECT_EQ(stamp.word2, 2u);
  EXPECT_EQ(stamp.secondValue, 8);
  const std::vector<u8> written = WrittenBody(&stamp);
  EXPECT_EQ(written[0], std::strlen(kSwfMakerName)) << "the maker's own strings are written";
  EXPECT_EQ(std::string(written.begin() + 1, written.begin() + 19), kSwfMakerName);

  // A name a length byte cannot count is refused: nothing is written.
  stamp.SetProductName(std::string(256, 'x'));
  CSwfBitWriter refused(6);
  EXPECT_EQ(stamp.Write(refused), 0u);
  EXPECT_EQ(refused.GetByteCount(), 0u);
  stamp.SetProductName(std::string(255, 'x'));
  EXPECT_GT(stamp.Write(refused), 255u);
}
