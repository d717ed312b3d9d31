#include "swf/swf_video_tags.h"

#include <gtest/gtest.h>

#include <memory>

#include "swf/swf_bit_writer.h"
#include "swf/swf_reader.h"
#include "tests/swf/swf_independent_reader.h"
#include "tests/swf/swf_test_movies.h"

using swftest::As;
using swftest::BuildMovie;
using swftest::Bytes;
using swftest::ReadTag;
using swftest::WrittenBody;

namespace {

// The picture header of a Sorenson H.263 frame: start code, version 0,
// temporal reference 0, the picture size (with its width and height when
// it has them), the picture type, no deblocking and the quantizer.
std::vector<u8> PictureHeader(u32 size, u32 type, u32 quantizer) {
  CSwfBitWriter bits(6);
  bits.WriteBits(1, 17);
  bits.WriteBits(0, 5);
  bits.WriteBits(0, 8);
  bits.WriteBits(size, 3);
  if (size == 0) bits.WriteBits(0x2010, 16);
  if (size == 1) bits.WriteBits(0x01400100, 32);
  bits.WriteBits(type, 2);
  bits.WriteBits(0, 1);
  bits.WriteBits(quantizer, 5);
  return bits.GetBytes();
}

std::unique_ptr<CSwfVideoFrame> Frame(const std::vector<u8>& data) {
  auto frame = std::make_unique<CSwfVideoFrame>();
  auto* writer = new CSwfBitWriter(4);
  writer->AppendBytes(data);
  frame->SetData(writer);
  return frame;
}

}  // namespace

TEST(SwfVideoTags, StreamsAndFramesKeepTheirBytes) {
  const std::vector<u8> stream = Bytes({1, 0, 30, 0, 0x40, 1, 0xF0, 0, 0x02, 2});
  auto read = ReadTag({60, stream});
  auto* definition = As<CSwfDefineVideoStream>(read);
  EXPECT_EQ(definition->numFrames, 30);
  EXPECT_EQ(definition->width, 320);
  EXPECT_EQ(definition->height, 240);
  EXPECT_EQ(definition->codecId, kSwfVideoSorensonH263);
  EXPECT_EQ(WrittenBody(definition), stream);
  definition->OffsetIds(4, 0);
  EXPECT_EQ(definition->GetCharacterId(), 5);

  std::vector<u8> frameBody = Bytes({1, 0, 7, 0});
  const std::vector<u8> picture = PictureHeader(7, 1, 12);
  frameBody.insert(frameBody.end(), picture.begin(), picture.end());
  auto frameTag = ReadTag({61, frameBody});
  auto* frame = As<CSwfVideoFrame>(frameTag);
  EXPECT_EQ(frame->streamId, 1);
  EXPECT_EQ(frame->frameNum, 7);
  EXPECT_EQ(WrittenBody(frame), frameBody);
  frame->OffsetIds(4, 2, 9);
  EXPECT_EQ(frame->streamId, 5);
  EXPECT_EQ(frame->frameNum, 7) << "the frame number is the stream's own";

  // A frame of only its two numbers has no data, and stays 4 bytes.
  auto bare = ReadTag({61, Bytes({1, 0, 2, 0})});
  EXPECT_EQ(As<CSwfVideoFrame>(bare)->GetData()->GetByteCount(), 0u);
  EXPECT_EQ(As<CSwfVideoFrame>(bare)->GetFrameType(), 0u);
  EXPECT_EQ(WrittenBody(bare.get()), Bytes({1, 0, 2, 0}));

  // A reader that is not ours sees the same stream and frame.
  ASSERT_EQ(swftest::IndependentReaderProblem(), "");
  const auto values =
      swftest::IndependentValues(BuildMovie({{60, stream}, {61, frameBody}, {0, {}}}, 6));
  EXPECT_EQ(values.at("tags.0.width"), "320");
  EXPECT_EQ(values.at("tags.0.codec"), "2");
  EXPECT_EQ(values.at("tags.1.frame"), "7");
}

TEST(SwfVideoTags, FrameTypesComeFromThePictureHeaderWithinTheData) {
  struct Case {
    const char* name;
    std::vector<u8> data;
    u32 type;
    u32 quantizer;
  } cases[] = {
      {"key frame, 8-bit size", PictureHeader(0, 0, 5), 1, 5},
      {"inter frame, 16-bit size", PictureHeader(1, 1, 31), 2, 31},
      {"disposable inter frame, standard size", PictureHeader(3, 2, 9), 3, 9},
      {"picture type 3", PictureHeader(4, 3, 1), 0, 1},
      {"no data", {}, 0, 0},
      {"cut inside the picture size", Bytes({0, 0, 0x80, 0}), 0, 0},
      {"cut before the quantizer", PictureHeader(1, 0, 7), 0, 0},
  };
  cases[6].data.resize(cases[6].data.size() - 2);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto frame = Frame(c.data);
    EXPECT_EQ(frame->GetFrameType(), c.type);
    EXPECT_EQ(frame->GetQuantizer(), c.quantizer);
  }
  CSwfVideoFrame empty;
  EXPECT_EQ(empty.GetFrameType(), 0u);
}

TEST(SwfVideoTags, ScreenVideoPackets) {
  CSwfScreenVideoPacket packet;
  packet.blockWidth = 32;
  packet.blockHeight = 16;
  packet.imageWidth = 40;
  packet.imageHeight = 10;
  packet.AddBlock(Bytes({7, 8, 9}).data(), 3);
  packet.AddBlock(Bytes({5}));
  CSwfBitWriter key(6);
  EXPECT_EQ(packet.Write(key), 13u);
  EXPECT_EQ(key.GetBytes(), Bytes({0x13, 0x10, 0x28, 0x00, 0x0A, 0, 3, 7, 8, 9, 0, 1, 5}));

  packet.AddBlock(nullptr, 0);  // unchanged
  CSwfBitWriter inter(6);
  EXPECT_EQ(packet.Write(inter), 15u);
  EXPECT_EQ(inter.GetBytes()[0], 0x23);
  EXPECT_EQ(inter.GetBytes().back(), 0) << "an unchanged block is its size of 0";

  CSwfScreenVideoPacket none;
  none.imageWidth = none.imageHeight = 16;
  CSwfBitWriter noBlocks(6);
  EXPECT_EQ(none.Write(noBlocks), 5u);
  EXPECT_EQ(noBlocks.GetBytes()[0], 0x13) << "no block is unchanged";

  // Sizes the packet cannot store are refused, and nothing is written.
  struct Refused {
    const char* name;
    u32 blockWidth, imageWidth;
    size_t blockBytes;
  } refused[] = {
      {"block width not a multiple of 16", 24, 16, 1},
      {"block width above 256", 272, 16, 1},
      {"image width beyond 12 bits", 16, 4096, 1},
      {"block beyond 16 bits of size", 16, 16, 65536},
  };
  for (const Refused& r : refused) {
    CSwfScreenVideoPacket bad;
    bad.blockWidth = r.blockWidth;
    bad.imageWidth = r.imageWidth;
    bad.AddBlock(std::vector<u8>(r.blockBytes, 1));
    CSwfBitWriter writer(6);
    EXPECT_EQ(bad.Write(writer), 0u) << r.name;
    EXPECT_EQ(writer.GetByteCount(), 0u) << r.name;
  }
}
