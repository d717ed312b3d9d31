#include "swf/swf_sound_tags.h"

#include <gtest/gtest.h>

#include <memory>

#include "swf/swf_bit_writer.h"
#include "swf/swf_reader.h"
#include "swf/swf_unknown_tag.h"
#include "tests/swf/swf_independent_reader.h"
#include "tests/swf/swf_test_movies.h"

using swftest::As;
using swftest::BuildMovie;
using swftest::Bytes;
using swftest::ReadTag;
using swftest::WrittenBody;

TEST(SwfSoundTags, EventSoundsKeepTheirDataAndTakeItFromStoredTags) {
  const std::vector<u8> body = Bytes({2, 0, 0x0E, 10, 0, 0, 0, 0xFF, 0x7F, 0x00, 0x80});
  auto read = ReadTag({14, body});
  auto* sound = As<CSwfDefineSound>(read);
  EXPECT_EQ(sound->GetCharacterId(), 2);
  EXPECT_EQ(sound->GetFormat(), 0x0E);
  EXPECT_EQ(sound->GetSampleCount(), 10u);
  EXPECT_EQ(sound->GetData(), Bytes({0xFF, 0x7F, 0x00, 0x80}));
  EXPECT_EQ(WrittenBody(sound), body);

  CSwfDefineSound copy(*sound);
  copy.SetData(Bytes({1, 2}).data(), 2, true);
  EXPECT_EQ(copy.GetData(), Bytes({0xFF, 0x7F, 0x00, 0x80, 1, 2}));
  copy.SetData(Bytes({3}).data(), 1, false);
  EXPECT_EQ(copy.GetData(), Bytes({3}));
  EXPECT_EQ(sound->GetData().size(), 4u) << "a copy stands alone";

  // A stored tag with a short or a long header.
  for (bool longHeader : {false, true}) {
    std::vector<u8> stored;
    EncodeTagHeader(stored, 14, u32(body.size()), longHeader);
    stored.insert(stored.end(), body.begin(), body.end());
    CSwfDefineSound fromBytes;
    ASSERT_TRUE(fromBytes.SetFromTagBytes(stored.data(), u32(stored.size())));
    EXPECT_EQ(WrittenBody(&fromBytes), body);
    EXPECT_FALSE(fromBytes.SetFromTagBytes(stored.data(), u32(stored.size() - 1)))
        << "a tag cut short";
  }
  std::vector<u8> notSound;
  EncodeTagHeader(notSound, 19, u32(body.size()), false);
  notSound.insert(notSound.end(), body.begin(), body.end());
  CSwfDefineSound untouched;
  EXPECT_FALSE(untouched.SetFromTagBytes(notSound.data(), u32(notSound.size())));
  EXPECT_FALSE(untouched.SetFromTagBytes(Bytes({0x82, 0x03, 1, 0}).data(), 4))
      << "a body shorter than the fields";
  EXPECT_TRUE(untouched.GetData().empty());

  sound->OffsetIds(5, 9);
  EXPECT_EQ(sound->GetCharacterId(), 7);
}

TEST(SwfSoundTags, StartSoundWritesTheFieldsItsFlagsAnnounce) {
  CSwfStartSound start;
  start.SetCharacterId(4);
  start.info.flags = CSwfSoundInfo::kHasInPoint | CSwfSoundInfo::kHasLoops | CSwfSoundInfo::kNoMultiple;
  start.info.inPoint = 0x01020304;
  start.info.outPoint = 99;  // not announced, not written
  start.info.loopCount = 3;
  CSwfSoundEnvelope* point = start.AddEnvelopePoint();
  ASSERT_NE(point, nullptr);
  point->pos44 = 44100;
  point->leftLevel = 0x8000;
  point->rightLevel = 0x1000;
  const std::vector<u8> body =
      Bytes({4, 0, 0x1D, 4, 3, 2, 1, 3, 0, 1, 0x44, 0xAC, 0, 0, 0x00, 0x80, 0x00, 0x10});
  EXPECT_EQ(WrittenBody(&start), body) << "adding a point announces the envelope";

  auto read = ReadTag({15, body});
  auto* back = As<CSwfStartSound>(read);
  EXPECT_EQ(back->info.envelopeCount, 1);
  ASSERT_EQ(back->info.GetEnvelopeSize(), 1u);
  EXPECT_EQ(back->info.GetEnvelopePoint(0).rightLevel, 0x1000);
  EXPECT_EQ(WrittenBody(back), body);

  // A reader that is not ours sees the same sound info.
  ASSERT_EQ(swftest::IndependentReaderProblem(), "");
  const auto values = swftest::IndependentValues(BuildMovie({{15, body}, {0, {}}}));
  EXPECT_EQ(values.at("tags.0.soundId"), "4");
  EXPECT_EQ(values.at("tags.0.soundInfo.inPoint"), std::to_string(0x01020304));
  EXPECT_EQ(values.at("tags.0.soundInfo.loopCount"), "3");
  EXPECT_EQ(values.at("tags.0.soundInfo.syncNoMultiple"), "true");
  EXPECT_EQ(values.at("tags.0.soundInfo.envelopeRecords.0.pos44"), "44100");

  // The point count is one byte: the 256th point is refused.
  CSwfStartSound full;
  for (int i = 0; i < 255; ++i) ASSERT_NE(full.AddEnvelopePoint(), nullptr);
  EXPECT_EQ(full.AddEnvelopePoint(), nullptr);
  EXPECT_EQ(WrittenBody(&full)[3], 255);

  CSwfDefineSound sound;
  sound.SetCharacterId(8);
  CSwfStartSound starting(sound);
  EXPECT_EQ(starting.GetCharacterId(), 8);
  starting.OffsetIds(2, 0);
  EXPECT_EQ(starting.GetCharacterId(), 10);
}

TEST(SwfSoundTags, StreamHeadsKeepTheMp3LatencyAndBlocksGiveTheirSound) {
  // An MP3 stream head (compression 2) with its latency seek of -3.
  const std::vector<u8> mp3 = Bytes({0x0E, 0x2E, 0x40, 0x02, 0xFD, 0xFF});
  auto head = ReadTag({18, mp3});
  auto* typed = As<CSwfSoundStreamHead>(head);
  EXPECT_EQ(typed->GetLatencySeek(), -3);
  EXPECT_EQ(WrittenBody(typed), mp3) << "the latency seek is kept";

  auto head2 = ReadTag({45, Bytes({0xFE, 0x00, 1, 0})});
  EXPECT_EQ(head2->GetCode(), 45);
  EXPECT_EQ(WrittenBody(head2.get()), Bytes({0x0E, 0x00, 1, 0}))
      << "the playback format keeps its low 4 bits; no latency without MP3";

  // A reader that is not ours reads the MP3 head with its latency.
  ASSERT_EQ(swftest::IndependentReaderProblem(), "");
  const auto values = swftest::IndependentValues(BuildMovie({{18, WrittenBody(typed)}, {0, {}}}));
  EXPECT_EQ(values.at("tags.0.latencySeek"), "-3");
  EXPECT_EQ(values.at("tags.0.streamSampleCount"), std::to_string(0x240));

  const std::vector<u8> blockBytes = Bytes({0x40, 0x02, 0x00, 0x00, 0xFF, 0xFB});
  auto block = ReadTag({19, blockBytes});
  auto* typedBlock = As<CSwfSoundStreamBlock>(block);
  EXPECT_EQ(WrittenBody(typedBlock), blockBytes);
  std::vector<u8> sound;
  typedBlock->ExtractSoundData(sound, typed);
  EXPECT_EQ(sound, Bytes({0xFF, 0xFB})) << "an MP3 block without its sample count and seek";
  CSwfSoundStreamHead adpcm;
  adpcm.SetStreamFormat(0x16);
  typedBlock->ExtractSoundData(sound, &adpcm);
  EXPECT_EQ(sound.size(), 2u + blockBytes.size());
  typedBlock->ExtractSoundData(sound, nullptr);
  EXPECT_EQ(sound.size(), 2u + blockBytes.size()) << "nothing without a head";
}

TEST(SwfSoundTags, StoredTagsTakeANewId) {
  const std::vector<u8> stored = Bytes({0xBF, 0x03, 9, 0, 0, 0, 2, 0, 0x0E, 1, 0, 0, 0, 7, 7});
  CSwfBitWriter writer(6);
  ASSERT_TRUE(WriteWithNewId(stored.data(), u32(stored.size()), 0x0305, writer));
  std::vector<u8> expected = stored;
  expected[6] = 0x05;
  expected[7] = 0x03;
  EXPECT_EQ(writer.GetBytes(), expected);

  CSwfBitWriter refused(6);
  EXPECT_FALSE(WriteWithNewId(stored.data(), u32(stored.size() - 1), 1, refused)) << "cut short";
  EXPECT_FALSE(WriteWithNewId(Bytes({0xC1, 0x03, 7}).data(), 3, 1, refused)) << "no id to replace";
  EXPECT_FALSE(WriteWithNewId(nullptr, 0, 1, refused));
  EXPECT_EQ(refused.GetByteCount(), 0u);
}

// Sound tags shorter than their fields: each reads what there is, never
// more, and writes a tag that reads back the same.
TEST(SwfSoundTags, ShortTagsAreKeptAsTheirBytes) {
  // Bodies that end before the fields their flags announce.
  struct Case {
    u16 code;
    std::vector<u8> body;
  } cases[] = {
      {14, {}},
      {14, Bytes({1, 0, 0x0E})},
      {15, Bytes({1})},
      {15, Bytes({1, 0, 0x08, 200, 1, 0, 0, 0, 2, 0, 3, 0})},  // 200 points announced, 1 held
      {15, Bytes({1, 0, 0x07, 1, 0})},
      {17, Bytes({1, 0, 2, 0, 0x08, 50})},
      {18, Bytes({0x0E, 0x20})},  // MP3 without a sample count or latency
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    swftest::ExpectKeptAsBytes({c.code, c.body});
  }
  // An empty block is a block without sound.
  auto read = ReadTag({19, {}});
  auto* block = As<CSwfSoundStreamBlock>(read);
  EXPECT_TRUE(WrittenBody(block).empty());
  std::vector<u8> sound;
  CSwfSoundStreamHead mp3;
  mp3.SetStreamFormat(0x20);
  block->ExtractSoundData(sound, &mp3);
  EXPECT_TRUE(sound.empty());
}
