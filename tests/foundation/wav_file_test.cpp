#include "foundation/wav_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<u8>;

u32 Le32(const Bytes& b, size_t at) {
  return u32(b[at]) | u32(b[at + 1]) << 8 | u32(b[at + 2]) << 16 | u32(b[at + 3]) << 24;
}
u16 Le16(const Bytes& b, size_t at) { return u16(b[at] | b[at + 1] << 8); }

void Chunk(Bytes& out, const char* id, const Bytes& body) {
  out.insert(out.end(), id, id + 4);
  const u32 size = u32(body.size());
  for (int i = 0; i < 4; ++i) out.push_back(u8(size >> (8 * i)));
  out.insert(out.end(), body.begin(), body.end());
  if (body.size() & 1) out.push_back(0);
}

Bytes FormatBody(u16 channels, u32 rate, u16 bits) {
  Bytes body = {1, 0, u8(channels), u8(channels >> 8)};
  for (int i = 0; i < 4; ++i) body.push_back(u8(rate >> (8 * i)));
  const u32 byteRate = rate * channels * bits / 8;
  for (int i = 0; i < 4; ++i) body.push_back(u8(byteRate >> (8 * i)));
  body.push_back(u8(channels * bits / 8));
  body.push_back(0);
  body.push_back(u8(bits));
  body.push_back(0);
  return body;
}

// A RIFF WAVE image from its chunks (the RIFF size is filled in).
Bytes Riff(const Bytes& chunks) {
  Bytes out = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
  out.insert(out.end(), chunks.begin(), chunks.end());
  const u32 size = u32(out.size() - 8);
  for (int i = 0; i < 4; ++i) out[4 + i] = u8(size >> (8 * i));
  return out;
}

TEST(WaveWriter, WritesPcmThatTheLoaderReadsBack) {
  const Bytes samples = {1, 2, 3, 4, 5, 6, 7, 8};
  CWaveFormat format;
  format.channels = 2;
  format.sampleRate = 44100;
  format.bitsPerSample = 16;
  format.sampleData = samples.data();
  format.dataSize = u32(samples.size());
  Bytes image;
  ASSERT_TRUE(CWaveWriter::BuildImage(format, image));
  ASSERT_EQ(image.size(), 44u + samples.size());
  EXPECT_EQ(Le32(image, 4), format.dataSize + 36);  // no "fact" chunk for PCM
  EXPECT_EQ(Le32(image, 16), 16u);
  EXPECT_EQ(Le32(image, 28), 176400u);  // byte rate
  EXPECT_EQ(Le16(image, 32), 4);        // block align
  EXPECT_EQ(std::string(image.begin() + 36, image.begin() + 40), "data");

  CWaveFile wave;
  ASSERT_TRUE(wave.LoadFromMemory(image.data(), image.size()));
  EXPECT_EQ(wave.GetChannelCount(), 2);
  EXPECT_EQ(wave.GetSampleRate(), 44100u);
  EXPECT_EQ(wave.GetBitsPerSample(), 16);
  EXPECT_EQ(wave.GetDataSize(), samples.size());
  EXPECT_EQ(wave.GetFileSize(), image.size());
  EXPECT_EQ(Bytes(wave.GetSampleData(), wave.GetSampleData() + wave.GetDataSize()), samples);
}

TEST(WaveWriter, ImaAdpcmUsesThePublishedBlockLayoutOrTheCallersAlignment) {
  struct Case {
    u16 channels;
    u32 rate;
    u16 blockAlign;  // 0: the writer's choice
    u16 expectedAlign;
    u16 expectedSamplesPerBlock;
  };
  const Case cases[] = {
      {1, 11025, 0, 256, 505}, {1, 22050, 0, 512, 1017}, {2, 44100, 0, 2048, 2041},
      {1, 8000, 0, 256, 505},  {2, 22050, 36, 36, 29},
  };
  const Bytes samples(3, 0x55);
  for (const Case& c : cases) {
    CWaveFormat format;
    format.formatTag = kWaveFormatImaAdpcm;
    format.channels = c.channels;
    format.sampleRate = c.rate;
    format.blockAlign = c.blockAlign;
    format.sampleData = samples.data();
    format.dataSize = u32(samples.size());
    format.sampleCount = 6;
    Bytes image;
    ASSERT_TRUE(CWaveWriter::BuildImage(format, image)) << c.rate;
    EXPECT_EQ(Le32(image, 16), 20u);
    EXPECT_EQ(Le16(image, 32), c.expectedAlign) << c.rate;
    EXPECT_EQ(Le16(image, 34), 4);                                   // bits per sample
    EXPECT_EQ(Le16(image, 36), 2);                                   // extra size
    EXPECT_EQ(Le16(image, 38), c.expectedSamplesPerBlock) << c.rate;
    EXPECT_EQ(Le32(image, 28), u32(u64(c.rate) * c.expectedAlign / c.expectedSamplesPerBlock));
    EXPECT_EQ(std::string(image.begin() + 40, image.begin() + 44), "fact");
    EXPECT_EQ(Le32(image, 48), 6u);
    // Odd data gets its pad byte, counted in the RIFF size.
    EXPECT_EQ(image.size(), 60u + 4u);
    EXPECT_EQ(Le32(image, 4), image.size() - 8);
    CWaveFile wave;
    EXPECT_TRUE(wave.LoadFromMemory(image.data(), image.size()));
    EXPECT_EQ(wave.GetDataSize(), 3u);
  }
}

TEST(WaveWriter, RefusesRecordsThatMakeNoFile) {
  const u8 sample = 0;
  CWaveFormat good;
  good.channels = 1;
  good.sampleRate = 8000;
  good.bitsPerSample = 8;
  good.sampleData = &sample;
  good.dataSize = 1;
  Bytes image;
  ASSERT_TRUE(CWaveWriter::BuildImage(good, image));

  CWaveFormat noChannels = good, noRate = good, noSamples = good, tinyBlocks = good, huge = good;
  noChannels.channels = 0;
  noRate.sampleRate = 0;
  noSamples.sampleData = nullptr;
  tinyBlocks.formatTag = kWaveFormatImaAdpcm;
  tinyBlocks.blockAlign = 4;  // no room after the block header
  huge.dataSize = 0xFFFFFFF0u;
  for (const CWaveFormat* format : {&noChannels, &noRate, &noSamples, &tinyBlocks, &huge})
    EXPECT_FALSE(CWaveWriter::BuildImage(*format, image));
}

TEST(WaveFile, WalksChunksPastListAndPadBytes) {
  // "data" inside the text of a LIST chunk must not be taken for the chunk.
  Bytes chunks;
  Chunk(chunks, "fmt ", FormatBody(1, 22050, 8));
  Chunk(chunks, "LIST", {'I', 'N', 'F', 'O', 'd', 'a', 't', 'a', 0xFF, 0xFF, 0, 0, 'x'});
  Chunk(chunks, "data", {10, 20, 30});
  Bytes image = Riff(chunks);
  CWaveFile wave;
  ASSERT_TRUE(wave.LoadFromMemory(image.data(), image.size()));
  EXPECT_EQ(wave.GetChannelCount(), 1);
  EXPECT_EQ(wave.GetSampleRate(), 22050u);
  ASSERT_EQ(wave.GetDataSize(), 3u);
  EXPECT_EQ(wave.GetSampleData()[0], 10);
  EXPECT_EQ(wave.GetSampleData()[2], 30);

  // The data chunk may come before the format.
  Bytes reversed;
  Chunk(reversed, "data", {7});
  Chunk(reversed, "fmt ", FormatBody(2, 8000, 16));
  image = Riff(reversed);
  ASSERT_TRUE(wave.LoadFromMemory(image.data(), image.size()));
  EXPECT_EQ(wave.GetChannelCount(), 2);
  EXPECT_EQ(wave.GetSampleData()[0], 7);
}

TEST(WaveFile, DamagedOrTruncatedFilesFailCleanly) {
  Bytes chunks;
  Chunk(chunks, "fmt ", FormatBody(1, 8000, 8));
  Chunk(chunks, "data", Bytes(100, 1));
  const Bytes good = Riff(chunks);

  struct Case {
    const char* what;
    Bytes image;
  };
  std::vector<Case> cases = {
      {"empty", {}},
      {"three bytes", {'R', 'I', 'F'}},
      {"not RIFF", Bytes(good.size(), 0)},
      {"header only", Bytes(good.begin(), good.begin() + 12)},
      {"cut in the format", Bytes(good.begin(), good.begin() + 30)},
      {"no data chunk", Bytes(good.begin(), good.begin() + 36)},
  };
  Bytes shortFormat;
  Chunk(shortFormat, "fmt ", Bytes(8, 1));
  Chunk(shortFormat, "data", {1});
  cases.push_back({"format too short", Riff(shortFormat)});
  Bytes hugeChunk = good;
  hugeChunk[16] = hugeChunk[17] = hugeChunk[18] = hugeChunk[19] = 0xFF;  // fmt size 4 GiB
  cases.push_back({"format size past the end", hugeChunk});
  Bytes noChannels;
  Chunk(noChannels, "fmt ", FormatBody(0, 8000, 8));
  Chunk(noChannels, "data", {1});
  cases.push_back({"no channels", Riff(noChannels)});

  for (const Case& c : cases) {
    CWaveFile wave;
    EXPECT_FALSE(wave.LoadFromMemory(c.image.data(), c.image.size())) << c.what;
    EXPECT_EQ(wave.GetSampleData(), nullptr) << c.what;
    EXPECT_EQ(wave.GetDataSize(), 0u) << c.what;
  }

  // A data chunk cut short keeps the samples that are there.
  Bytes cut(good.begin(), good.end() - 40);
  CWaveFile wave;
  ASSERT_TRUE(wave.LoadFromMemory(cut.data(), cut.size()));
  EXPECT_EQ(wave.GetDataSize(), 60u);
  EXPECT_EQ(wave.GetSampleData()[59], 1);
}

}  // namespace

namespace {

TEST(WaveFile, SurvivesRandomlyDamagedImages) {
  Bytes chunks;
  Chunk(chunks, "fmt ", FormatBody(2, 44100, 16));
  Chunk(chunks, "LIST", Bytes(9, 'i'));
  Chunk(chunks, "data", Bytes(64, 3));
  const Bytes good = Riff(chunks);
  u32 state = 99;
  auto next = [&state] { return state = state * 1103515245u + 12345u, state >> 8; };
  for (int round = 0; round < 3000; ++round) {
    Bytes image = good;
    for (int i = 0; i < 3; ++i) image[next() % image.size()] = u8(next());
    if (round % 4 == 0) image.resize(next() % image.size());
    CWaveFile wave;
    if (!wave.LoadFromMemory(image.data(), image.size())) continue;
    // The samples always lie inside the copy of the file (the sanitizer
    // build checks every byte read here).
    ASSERT_NE(wave.GetSampleData(), nullptr);
    EXPECT_LE(wave.GetDataSize() + 8, wave.GetFileSize());
    u32 sum = 0;
    for (u32 i = 0; i < wave.GetDataSize(); ++i) sum += wave.GetSampleData()[i];
    EXPECT_LE(sum, 255u * wave.GetDataSize());
  }
}

}  // namespace
