#include "foundation/wav_file.h"

#include "foundation/file_bytes.h"
#include "foundation/path_name.h"
#include "platform/byte_order.h"

#include <cstring>
#include <utility>

namespace {

u16 Get16(const u8* p) { return u16(plat::GetLittle16(p)); }
u32 Get32(const u8* p) { return plat::GetLittle32(p); }
[[nodiscard]] bool Is(const u8* p, const char* id) { return std::memcmp(p, id, 4) == 0; }

void Put(std::vector<u8>& out, const char* id) { out.insert(out.end(), id, id + 4); }

}  // namespace

CWaveFile::~CWaveFile() { sampleData_ = nullptr; }

void CWaveFile::Clear() {
  buffer_.clear();
  sampleData_ = nullptr;
  fileSize_ = dataSize_ = 0;
  channels_ = bitsPerSample_ = 0;
  sampleRate_ = 0;
}

bool CWaveFile::Load(const CPathName& path) {
  Clear();
  if (!ReadWholeFile(path, buffer_)) return false;
  fileSize_ = u32(buffer_.size());
  return Parse();
}

bool CWaveFile::LoadFromMemory(const void* data, size_t n) {
  Clear();
  if (!data || n > 0xFFFFFFFFu) return false;
  const u8* bytes = static_cast<const u8*>(data);
  buffer_.assign(bytes, bytes + n);
  fileSize_ = u32(n);
  return Parse();
}

bool CWaveFile::Parse() {
  const size_t n = buffer_.size();
  const u8* file = buffer_.data();
  if (n < 12 || !Is(file, "RIFF") || !Is(file + 8, "WAVE")) return false;
  bool haveFormat = false;
  const u8* samples = nullptr;
  u32 sampleBytes = 0;
  size_t at = 12;
  while (at + 8 <= n && !(haveFormat && samples)) {
    const u8* chunk = file + at;
    const u32 size = Get32(chunk + 4);
    const size_t body = at + 8;
    const size_t available = n - body;
    if (Is(chunk, "fmt ") && !haveFormat) {
      if (size < 16 || size > available) return false;
      channels_ = Get16(chunk + 10);
      sampleRate_ = Get32(chunk + 12);
      bitsPerSample_ = Get16(chunk + 22);
      if (channels_ == 0 || sampleRate_ == 0) return false;
      haveFormat = true;
    } else if (Is(chunk, "data") && !samples) {
      samples = file + body;
      sampleBytes = size <= available ? size : u32(available);
    }
    if (size >= available) break;  // the last chunk, or one cut short
    at = body + size + (size & 1);
  }
  if (!haveFormat || !samples) {
    channels_ = bitsPerSample_ = 0;
    sampleRate_ = 0;
    return false;
  }
  sampleData_ = samples;
  dataSize_ = sampleBytes;
  return true;
}

bool CWaveWriter::CompleteFormat(const CWaveFormat& format, CWaveFormat& completed,
                                 u16& samplesPerBlock) {
  completed = format;
  samplesPerBlock = 0;
  if (format.channels == 0 || format.sampleRate == 0) return false;
  if (format.dataSize > 0 && !format.sampleData) return false;
  const u64 channels = format.channels;
  u64 byteRate = 0, blockAlign = 0;
  if (format.formatTag == kWaveFormatImaAdpcm) {
    if (completed.bitsPerSample == 0) completed.bitsPerSample = 4;
    const u64 bits = completed.bitsPerSample;
    blockAlign = format.blockAlign;
    if (blockAlign == 0) {
      // 256 bytes per channel up to 11025 Hz, doubling with each doubling of the rate.
      const u64 factor = format.sampleRate / 11025 > 0 ? format.sampleRate / 11025 : 1;
      u64 scale = 1;
      while (scale * 2 <= factor) scale *= 2;
      blockAlign = 256 * channels * scale;
    }
    // Each block opens with a 4-byte header per channel.
    if (blockAlign <= 4 * channels || blockAlign > 0xFFFF) return false;
    const u64 perBlock = (blockAlign - 4 * channels) * 8 / (channels * bits) + 1;
    if (perBlock > 0xFFFF) return false;
    samplesPerBlock = u16(perBlock);
    byteRate = u64(format.sampleRate) * blockAlign / perBlock;
  } else {
    if (format.bitsPerSample == 0) return false;
    blockAlign = channels * ((format.bitsPerSample + 7u) / 8u);
    byteRate = u64(format.sampleRate) * blockAlign;
    if (blockAlign > 0xFFFF) return false;
  }
  if (byteRate > 0xFFFFFFFFu) return false;
  completed.blockAlign = u16(blockAlign);
  completed.byteRate = u32(byteRate);
  return true;
}

bool CWaveWriter::BuildImage(const CWaveFormat& format, std::vector<u8>& image) {
  CWaveFormat record;
  u16 samplesPerBlock = 0;
  if (!CompleteFormat(format, record, samplesPerBlock)) return false;
  const bool adpcm = record.formatTag == kWaveFormatImaAdpcm;
  const bool fact = record.formatTag != kWaveFormatPcm;
  const u64 pad = record.dataSize & 1;
  const u64 riffSize = 4 + 8 + (adpcm ? 20 : 16) + (fact ? 12 : 0) + 8 + u64(record.dataSize) + pad;
  if (riffSize > 0xFFFFFFFFu - 8) return false;

  std::vector<u8> out;
  out.reserve(size_t(riffSize) + 8);
  Put(out, "RIFF");
  plat::AppendLittle32(out, u32(riffSize));
  Put(out, "WAVE");
  Put(out, "fmt ");
  plat::AppendLittle32(out, adpcm ? 20 : 16);
  plat::AppendLittle16(out, record.formatTag);
  plat::AppendLittle16(out, record.channels);
  plat::AppendLittle32(out, record.sampleRate);
  plat::AppendLittle32(out, record.byteRate);
  plat::AppendLittle16(out, record.blockAlign);
  plat::AppendLittle16(out, record.bitsPerSample);
  if (adpcm) {
    plat::AppendLittle16(out, 2);
    plat::AppendLittle16(out, samplesPerBlock);
  }
  if (fact) {
    Put(out, "fact");
    plat::AppendLittle32(out, 4);
    plat::AppendLittle32(out, record.sampleCount);
  }
  Put(out, "data");
  plat::AppendLittle32(out, record.dataSize);
  if (record.dataSize > 0) out.insert(out.end(), record.sampleData, record.sampleData + record.dataSize);
  if (pad) out.push_back(0);
  image = std::move(out);
  return true;
}

bool CWaveWriter::Save(const CPathName& path, const CWaveFormat& format, bool replace) {
  std::vector<u8> image;
  return BuildImage(format, image) && WriteWholeFile(path, image.data(), image.size(), replace);
}
