// RIFF WAVE files: a loader that finds the format and the sample data of a
// whole file in memory, and a writer of PCM and IMA ADPCM files.
//
// The loader walks the RIFF chunks by their sizes (and pad bytes); every read
// is bounded by the file, and the data size by what the file holds.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/mac_types.h"

class CPathName;

enum : u16 { kWaveFormatPcm = 1, kWaveFormatImaAdpcm = 17 };

struct CWaveFormat {
  u32 reserved = 0;  // not read by the writer
  u16 formatTag = kWaveFormatPcm;
  u16 channels = 0;
  u32 sampleRate = 0;
  u32 byteRate = 0;    // computed by the writer
  u16 blockAlign = 0;  // computed for PCM; for IMA ADPCM the caller's, or the usual one when 0
  u16 bitsPerSample = 0;  // IMA ADPCM: 4 when 0
  const u8* sampleData = nullptr;
  u32 dataSize = 0;
  u32 sampleCount = 0;  // for the "fact" chunk of formats other than PCM
};

class CWaveFile {
 public:
  CWaveFile() = default;
  ~CWaveFile();
  CWaveFile(const CWaveFile&) = delete;
  CWaveFile& operator=(const CWaveFile&) = delete;

  // Reads the whole file; false when it cannot be read or is not a WAVE file
  // with a sound "fmt " chunk and a "data" chunk.
  [[nodiscard]] bool Load(const CPathName& path);
  // Takes a copy of a whole file image; false when it is not a WAVE file with
  // a sound "fmt " chunk and a "data" chunk.
  [[nodiscard]] bool LoadFromMemory(const void* data, size_t n);

  u32 GetFileSize() const { return fileSize_; }
  u32 GetDataSize() const { return dataSize_; }
  const u8* GetSampleData() const { return sampleData_; }
  u16 GetChannelCount() const { return channels_; }
  u32 GetSampleRate() const { return sampleRate_; }
  u16 GetBitsPerSample() const { return bitsPerSample_; }

 private:
  void Clear();
  [[nodiscard]] bool Parse();

  u32 fileSize_ = 0;
  u32 dataSize_ = 0;
  std::vector<u8> buffer_;
  const u8* sampleData_ = nullptr;
  u16 channels_ = 0;
  u32 sampleRate_ = 0;
  u16 bitsPerSample_ = 0;
};

class CWaveWriter {
 public:
  // Writes the file; an existing file is replaced only with `replace`, a
  // folder never. False when the record makes no file or it cannot be written.
  [[nodiscard]] bool Save(const CPathName& path, const CWaveFormat& format, bool replace);
  // The whole file image for a format record; false for a record that makes
  // no sound file (no channels, no rate, samples missing, sizes past 4 GiB).
  [[nodiscard]] static bool BuildImage(const CWaveFormat& format, std::vector<u8>& image);
  // The format record as the writer completes it (byte rate, block align,
  // bits per sample); false as BuildImage.
  [[nodiscard]] static bool CompleteFormat(const CWaveFormat& format, CWaveFormat& completed,
                             u16& samplesPerBlock);
};
