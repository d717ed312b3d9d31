// Fuzz target of the WAV loader: any bytes load as a sound or are refused,
// every read inside the file, and a sound that loads is written as PCM by
// our writer and loads back with the same channels, rate, sample size and
// samples.
//
// Seeds: PCM and IMA ADPCM files our writer builds.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/wav_file.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

void MakeSeeds(gbfuzz::SeedWriter& seeds) {
  std::vector<u8> samples(301);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = u8(i * 5);
  CWaveFormat format;
  format.channels = 2;
  format.sampleRate = 22050;
  format.bitsPerSample = 16;
  format.sampleData = samples.data();
  format.dataSize = 300;
  std::vector<u8> image;
  gbfuzz::Check(CWaveWriter::BuildImage(format, image), "a sample sound cannot be built");
  seeds.Add(image);
  format.channels = 1;
  format.bitsPerSample = 8;
  format.dataSize = 301;
  gbfuzz::Check(CWaveWriter::BuildImage(format, image), "a sample sound cannot be built");
  seeds.Add(image);
  format.formatTag = kWaveFormatImaAdpcm;
  format.bitsPerSample = 0;
  format.sampleCount = 500;
  gbfuzz::Check(CWaveWriter::BuildImage(format, image), "a sample sound cannot be built");
  seeds.Add(image);
}

}  // namespace

FUZZ_SEEDS(MakeSeeds);

int gbfuzz::TestOneInput(const uint8_t* data, size_t size) {
  CWaveFile sound;
  if (!sound.LoadFromMemory(data, size)) return 0;
  const u8* samples = sound.GetSampleData();
  gbfuzz::Check(samples != nullptr, "a loaded sound has no samples");
  CWaveFormat format;
  format.channels = sound.GetChannelCount();
  format.sampleRate = sound.GetSampleRate();
  format.bitsPerSample = sound.GetBitsPerSample();
  format.sampleData = samples;
  format.dataSize = sound.GetDataSize();
  std::vector<u8> image;
  // A sample size PCM cannot carry (0, or a block too large) is not compared.
  if (!CWaveWriter::BuildImage(format, image)) return 0;
  CWaveFile again;
  gbfuzz::Check(again.LoadFromMemory(image.data(), image.size()), "a sound written back does not load");
  gbfuzz::Check(again.GetChannelCount() == sound.GetChannelCount() && again.GetSampleRate() == sound.GetSampleRate() &&
                    again.GetBitsPerSample() == sound.GetBitsPerSample() && again.GetDataSize() == sound.GetDataSize(),
                "a sound written back loads with another format");
  gbfuzz::Check(std::equal(samples, samples + sound.GetDataSize(), again.GetSampleData()),
                "a sound written back loads with other samples");
  return 0;
}
