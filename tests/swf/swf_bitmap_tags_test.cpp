#include "swf/swf_bitmap_tags.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>

#include "foundation/jpeg_image.h"
#include "swf/swf_bit_writer.h"
#include "swf/swf_reader.h"
#include "swf/swf_unknown_tag.h"
#include "tests/swf/swf_graphics_test_support.h"
#include "tests/swf/swf_independent_reader.h"
#include "tests/swf/swf_test_movies.h"

using swftest::Bytes;
using swftest::MovieOfTags;
using swftest::RawTag;
using swftest::ReadTag;
using swftest::WrittenBody;

namespace {

// The bytes a tag writes, header included.
std::vector<u8> WrittenTag(CSwfTag& tag) {
  CSwfBitWriter writer(8);
  tag.Write(writer);
  return writer.GetBytes();
}

// A reader over bytes, as a stream read outside the tag loop.
void LoadBytes(CSwfReader& reader, const std::vector<u8>& bytes) {
  CSwfBitWriter writer(8);
  writer.AppendBytes(bytes);
  ASSERT_TRUE(reader.LoadFromWriter(writer));
}

}  // namespace

TEST(SwfBitmapTags, TheFactoryMakesEachClassAndItsBodyComesBackUnchanged) {
  const std::vector<u8> jpeg = Bytes({0xFF, 0xD8, 1, 2, 0xFF, 0xD9});
  std::vector<u8> bits = Bytes({3, 0});
  bits.insert(bits.end(), jpeg.begin(), jpeg.end());
  std::vector<u8> jpeg3 = Bytes({4, 0, 6, 0, 0, 0});
  jpeg3.insert(jpeg3.end(), jpeg.begin(), jpeg.end());
  jpeg3.insert(jpeg3.end(), {0x78, 0x9C, 1});
  struct Case {
    u16 code;
    std::vector<u8> body;
  };
  const Case cases[] = {
      {kSwfDefineBitsCode, bits},
      {kSwfJPEGTablesCode, jpeg},
      {kSwfDefineBitsJPEG2Code, bits},
      {kSwfDefineBitsJPEG3Code, jpeg3},
      {kSwfDefineBitsLosslessCode, Bytes({5, 0, 3, 2, 0, 1, 0, 15, 0x78, 0x9C})},
      {kSwfDefineBitsLossless2Code, Bytes({6, 0, 5, 2, 0, 1, 0, 0x78, 0x9C, 7})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    const std::unique_ptr<CSwfTag> tag = ReadTag({c.code, c.body});
    ASSERT_NE(tag, nullptr);
    EXPECT_EQ(tag->GetCode(), c.code);
    EXPECT_EQ(WrittenBody(tag.get()), c.body);
    if (c.code != kSwfJPEGTablesCode) {
      tag->OffsetIds(10, 0);
      EXPECT_EQ(WrittenBody(tag.get())[0], c.body[0] + 10);
    }
  }

  const std::unique_ptr<CSwfTag> lossless = ReadTag({kSwfDefineBitsLosslessCode, cases[4].body});
  auto* pixels = dynamic_cast<CSwfDefineBitsLossless*>(lossless.get());
  ASSERT_NE(pixels, nullptr);
  EXPECT_EQ(pixels->GetFormat(), 3);
  EXPECT_EQ(pixels->GetWidth(), 2);
  EXPECT_EQ(pixels->GetHeight(), 1);
  EXPECT_EQ(pixels->GetColorTableSize(), 15);
  EXPECT_EQ(pixels->GetZlibData(), Bytes({0x78, 0x9C}));
  const std::unique_ptr<CSwfTag> alpha = ReadTag({kSwfDefineBitsJPEG3Code, jpeg3});
  auto* withAlpha = dynamic_cast<CSwfDefineBitsJPEG3*>(alpha.get());
  ASSERT_NE(withAlpha, nullptr);
  EXPECT_EQ(withAlpha->GetJpegData(), jpeg);
  EXPECT_EQ(withAlpha->GetAlphaData(), Bytes({0x78, 0x9C, 1}));
}

TEST(SwfBitmapTags, HeadersAreShortUpTo62BytesExceptForLosslessTags) {
  CSwfDefineBits bits;
  bits.SetData(1, std::vector<u8>(40, 0xAB));
  std::vector<u8> written = WrittenTag(bits);
  EXPECT_EQ(written.size(), 2u + 42);
  EXPECT_EQ(written[0] | (written[1] << 8), (kSwfDefineBitsCode << 6) | 42);

  CSwfDefineBitsJPEG2 jpeg2(2, std::vector<u8>(61, 1));
  written = WrittenTag(jpeg2);
  EXPECT_EQ(written.size(), 6u + 63) << "a body of 63 bytes takes the long header";

  CSwfDefineBitsLossless lossless(4);
  lossless.SetCharacterId(3);
  lossless.SetWidth(1);
  lossless.SetHeight(1);
  const u8 data[3] = {1, 2, 3};
  lossless.SetData(data, 3);
  written = WrittenTag(lossless);
  ASSERT_EQ(written.size(), 6u + 10);
  EXPECT_EQ(written[0] | (written[1] << 8), (kSwfDefineBitsLosslessCode << 6) | 63);
  EXPECT_EQ(written[2], 10);
  // Format 3 writes its colour-table size; 4 and 5 do not.
  CSwfDefineBitsLossless2 palette(3);
  palette.SetData(data, 3);
  EXPECT_EQ(WrittenBody(&palette), Bytes({0, 0, 3, 0, 0, 0, 0, 0, 1, 2, 3}));
  palette.ClearData();
  EXPECT_EQ(WrittenBody(&palette), Bytes({0, 0, 3, 0, 0, 0, 0, 0}));
}

TEST(SwfBitmapTags, WithoutALengthJpegBytesRunToTheirEndMarkersAndNoFurther) {
  // Tables and image, each closed by FF D9; a FF FF D9 inside is no marker.
  const std::vector<u8> stream =
      Bytes({7, 0, 0xFF, 0xD8, 0xFF, 0xD9, 0xFF, 0xD8, 0xFF, 0xFF, 0xD9, 5, 0xFF, 0xD9, 0xEE, 0xEE});
  CSwfReader reader;
  LoadBytes(reader, stream);
  CSwfDefineBitsJPEG2 jpeg2;
  jpeg2.Read(reader);
  EXPECT_EQ(jpeg2.GetCharacterId(), 7);
  EXPECT_EQ(jpeg2.GetJpegData(), std::vector<u8>(stream.begin() + 2, stream.end() - 2));
  EXPECT_EQ(reader.GetPosition(), stream.size() - 2);

  LoadBytes(reader, stream);
  CSwfDefineBits bits(0);
  bits.Read(reader);
  EXPECT_EQ(bits.GetJpegData(), Bytes({0xFF, 0xD8, 0xFF, 0xD9}));

  // Without a marker the data ends the bytes, and nothing is read past it.
  LoadBytes(reader, Bytes({1, 0, 0xFF, 0xD8, 1, 2, 0xFF}));
  CSwfDefineBitsJPEG2 open;
  open.Read(reader);
  EXPECT_EQ(open.GetJpegData(), Bytes({0xFF, 0xD8, 1, 2, 0xFF}));
  EXPECT_FALSE(reader.HasOverrun());

  // A zero-length tag in a movie scans its empty body only: it holds no id
  // and is kept as its bytes, and the tag behind it is read whole.
  const std::vector<u8> movie =
      swftest::BuildMovie({{kSwfDefineBitsJPEG2Code, {}}, {9, Bytes({1, 2, 3})}, {0, {}}});
  CSwfReader movieReader;
  ASSERT_TRUE(movieReader.LoadFromMemory(movie.data(), u32(movie.size()), true, 0, true));
  ASSERT_EQ(movieReader.GetTags().size(), 3u);
  EXPECT_NE(dynamic_cast<CSwfUnknownTag*>(movieReader.GetTags()[0]), nullptr);
  EXPECT_TRUE(WrittenBody(movieReader.GetTags()[0]).empty());
  EXPECT_EQ(WrittenBody(movieReader.GetTags()[1]), Bytes({1, 2, 3}));
  movieReader.DeleteTags(true);
}

TEST(SwfBitmapTags, TheJpeg3AlphaOffsetIsTheJpegByteCountWritten) {
  const u8 jpeg[4] = {0xFF, 0xD8, 0xFF, 0xD9};
  const u8 alpha[2] = {0x78, 0x01};
  CSwfDefineBitsJPEG3 tag(12, jpeg, 4, alpha, 2);
  EXPECT_EQ(tag.GetAlphaDataOffset(), 4u);
  EXPECT_EQ(WrittenBody(&tag), Bytes({12, 0, 4, 0, 0, 0, 0xFF, 0xD8, 0xFF, 0xD9, 0x78, 0x01}));
  tag.SetData(13, Bytes({1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(tag.GetAlphaDataOffset(), 6u);
  EXPECT_EQ(WrittenBody(&tag), Bytes({13, 0, 6, 0, 0, 0, 1, 2, 3, 4, 5, 6, 0x78, 0x01}));

  // An offset beyond the body disagrees with it: the tag is kept as its bytes.
  swftest::ExpectKeptAsBytes({kSwfDefineBitsJPEG3Code, Bytes({1, 0, 0xFF, 0xFF, 0xFF, 0xFF, 9, 8, 7})});

  // A reader that is not ours finds a real JPEG image where the offset
  // says, and the alpha data behind it.
  ASSERT_EQ(swftest::IndependentReaderProblem(), "");
  const std::vector<u8> rgb(size_t(4) * 3 * 3, 0x80);
  CJpegImage encoder;
  ASSERT_TRUE(encoder.EncodeRgbToMemory(4, 3, 24, rgb.data()));
  const u8* encoded = encoder.GetPixels();
  const u32 count = encoder.GetCompressedLength();
  CSwfDefineBitsJPEG3 image(1, encoded, count, alpha, 2);
  const std::map<std::string, std::string> values = swftest::IndependentValues(MovieOfTags({&image}));
  ASSERT_FALSE(values.empty());
  EXPECT_EQ(values.at("tags.0.id"), "1");
  EXPECT_EQ(values.at("tags.0.width"), "4");
  EXPECT_EQ(values.at("tags.0.height"), "3");
  EXPECT_EQ(values.at("tags.0.mediaType"), "image/x-swf-jpeg3");
  const std::string data = values.at("tags.0.data");
  char offset[16];
  std::snprintf(offset, sizeof offset, "%02x%02x0000", count & 0xFF, (count >> 8) & 0xFF);
  EXPECT_EQ(data.substr(0, 8), offset);
  EXPECT_EQ(data.substr(data.size() - 4), "7801");
  EXPECT_EQ(data.size(), 2 * (4 + count + 2));
}

TEST(SwfBitmapTags, CopiesAndResourcesKeepIdAndData) {
  CSwfDefineBits bits;
  bits.SetData(4, Bytes({1, 2}));
  CSwfDefineBits copy;
  copy.CopyFrom(bits);
  EXPECT_EQ(copy.GetCharacterId(), 4);
  EXPECT_EQ(copy.GetJpegData(), Bytes({1, 2}));
  copy.ClearData();
  EXPECT_TRUE(copy.GetJpegData().empty());
  CSwfDefineBitsJPEG2 jpeg2(5, Bytes({3}));
  CSwfDefineBitsJPEG2 jpeg2Copy(jpeg2);
  EXPECT_EQ(WrittenBody(&jpeg2Copy), Bytes({5, 0, 3}));

  const u8 pixels[2] = {0x78, 0x9C};
  CSwfDefineBitsLossless2 lossless(5);
  lossless.SetCharacterId(30);
  lossless.SetData(pixels, 2);
  CSwfDefineBitsJPEG3 jpeg3(31, pixels, 2, pixels, 1);
  CSwfDefineBitsJPEG2 other(32, Bytes({1}));
  swftest::UseBundleWithMovieResources(
      "bitmap_resources.app",
      {{200, MovieOfTags({&other, &jpeg3, &lossless})}, {201, MovieOfTags({&other})}});

  const std::unique_ptr<CSwfDefineBitsLossless> loaded(LoadLosslessBitmapResource(200));
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(loaded->GetCode(), kSwfDefineBitsLossless2Code);
  EXPECT_EQ(WrittenBody(loaded.get()), WrittenBody(&lossless));
  const std::unique_ptr<CSwfDefineBitsJPEG3> loadedJpeg(LoadJpeg3BitmapResource(200));
  ASSERT_NE(loadedJpeg, nullptr);
  EXPECT_EQ(WrittenBody(loadedJpeg.get()), WrittenBody(&jpeg3));
  EXPECT_EQ(LoadLosslessBitmapResource(201), nullptr);
  EXPECT_EQ(LoadJpeg3BitmapResource(201), nullptr);
  EXPECT_EQ(LoadJpeg3BitmapResource(202), nullptr);
}
