#include "foundation/bit_readers.h"

#include <cstring>

#include "foundation/file_bytes.h"
#include "foundation/path_name.h"

namespace {

// Sign-extends the low `count` bits of `value` when asked.
s32 Finish(u32 value, u32 count, bool isSigned) {
  if (isSigned && count < 32 && (value >> (count - 1) & 1)) value |= ~u32(0) << count;
  return s32(value);
}

}  // namespace

CMemoryBitReader::~CMemoryBitReader() {
  bytes_.clear();
  byteIndex_ = 0;
  bitPosition_ = 0;
}

void CMemoryBitReader::AppendBytes(const void* data, size_t n) {
  if (!data || n == 0) return;
  const u8* bytes = static_cast<const u8*>(data);
  bytes_.insert(bytes_.end(), bytes, bytes + n);
}

s32 CMemoryBitReader::ReadBits(u32 count, bool isSigned) {
  if (count == 0) return 0;
  if (count > 32) count = 32;
  u32 value = 0;
  for (u32 i = count; i-- > 0;) {
    if (bitPosition_ > 7 && byteIndex_ < bytes_.size()) {
      ++byteIndex_;
      bitPosition_ = 0;
    }
    if (byteIndex_ >= bytes_.size()) continue;  // past the end: 0 bits, the cursor stays
    if (bytes_[byteIndex_] >> (7 - bitPosition_) & 1) value |= u32(1) << i;
    ++bitPosition_;
  }
  return Finish(value, count, isSigned);
}

CFileDataReader::~CFileDataReader() {
  if (stream_.is_open()) stream_.close();
}

void CFileDataReader::Reset() {}

void CFileDataReader::Seek(u32 position) {
  byteIndex_ = position;
  bitPosition_ = 0;
}

void CFileDataReader::Skip(s32 delta) {
  if (delta < 0 && u32(-s64(delta)) > byteIndex_)
    byteIndex_ = 0;
  else
    byteIndex_ = u32(s64(byteIndex_) + delta);
  bitPosition_ = 0;
}

void CFileDataReader::AlignToByte() {
  if (bitPosition_ == 0) return;
  ++byteIndex_;
  bitPosition_ = 0;
}

s32 CFileDataReader::ReadBits(u32 count, bool isSigned) {
  if (count == 0) return 0;
  if (count > 32) count = 32;
  u32 value = 0;
  u8 current = 0;
  bool fetched = false;
  for (u32 i = count; i-- > 0;) {
    if (bitPosition_ > 7 && byteIndex_ < dataSize_) {
      ++byteIndex_;
      bitPosition_ = 0;
      fetched = false;
    }
    if (!fetched) {
      if (byteIndex_ >= dataSize_ || !FetchBytes(byteIndex_, 1, &current)) continue;
      fetched = true;
    }
    if (current >> (7 - bitPosition_) & 1) value |= u32(1) << i;
    ++bitPosition_;
  }
  return Finish(value, count, isSigned);
}

u8 CFileDataReader::PeekByte() {
  const u64 index = u64(byteIndex_) + (bitPosition_ != 0 ? 1 : 0);
  u8 byte = 0;
  if (index >= dataSize_ || !FetchBytes(u32(index), 1, &byte)) return 0;
  return byte;
}

bool CFileDataReader::ReadLittleEndian(u32 n, u64& value) {
  AlignToByte();
  u8 bytes[8];
  if (u64(byteIndex_) + n > dataSize_ || !FetchBytes(byteIndex_, n, bytes)) return false;
  value = 0;
  for (u32 i = n; i-- > 0;) value = value << 8 | bytes[i];
  byteIndex_ += n;
  return true;
}

u8 CFileDataReader::ReadUInt8() {
  u64 value = 0;
  return ReadLittleEndian(1, value) ? u8(value) : 0;
}

u16 CFileDataReader::ReadUInt16() {
  u64 value = 0;
  return ReadLittleEndian(2, value) ? u16(value) : 0;
}

u32 CFileDataReader::ReadUInt32() {
  u64 value = 0;
  return ReadLittleEndian(4, value) ? u32(value) : 0;
}

s8 CFileDataReader::ReadInt8() { return s8(ReadUInt8()); }
s16 CFileDataReader::ReadInt16() { return s16(ReadUInt16()); }
s32 CFileDataReader::ReadInt32() { return s32(ReadUInt32()); }

float CFileDataReader::ReadFloat() {
  u32 bits = ReadUInt32();
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

double CFileDataReader::ReadDouble() {
  u64 bits = 0;
  if (!ReadLittleEndian(8, bits)) return 0.0;
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

void CFileDataReader::Close() {
  if (stream_.is_open()) stream_.close();
}

bool CFileDataReader::Open(const CPathName& path) {
  Close();
  byteIndex_ = 0;
  bitPosition_ = 0;
  dataSize_ = 0;
  if (!ReadWholeFile(path, bytes_)) return false;
  dataSize_ = u32(bytes_.size());
  return true;
}

void CFileDataReader::SetData(const void* data, size_t n) {
  if (!data || n > 0xFFFFFFFFu) n = 0;
  const u8* bytes = static_cast<const u8*>(data);
  bytes_.assign(bytes, bytes + n);
  byteIndex_ = 0;
  bitPosition_ = 0;
  dataSize_ = u32(n);
}

bool CFileDataReader::FetchBytes(u32 index, u32 n, u8* out) {
  if (u64(index) + n > bytes_.size()) return false;
  std::memcpy(out, bytes_.data() + index, n);
  return true;
}

void CStreamDataReader::Close() {
  CFileDataReader::Close();
  dataSize_ = u32(bytes_.size());
}

void CStreamDataReader::SetData(const void* data, size_t n) {
  CFileDataReader::Close();
  CFileDataReader::SetData(data, n);
}

bool CStreamDataReader::Open(const CPathName& path) {
  CFileDataReader::Close();
  bytes_.clear();
  byteIndex_ = 0;
  bitPosition_ = 0;
  dataSize_ = 0;
  if (!IsRegularFile(path) || !path.OpenFileStream(stream_, std::ios::in | std::ios::binary)) return false;
  stream_.seekg(0, std::ios::end);
  const std::streamoff end = stream_.tellg();
  if (end < 0 || u64(end) > 0xFFFFFFFFu) {
    stream_.close();
    return false;
  }
  stream_.seekg(0, std::ios::beg);
  dataSize_ = u32(end);
  return true;
}

bool CStreamDataReader::FetchBytes(u32 index, u32 n, u8* out) {
  if (!stream_.is_open()) return CFileDataReader::FetchBytes(index, n, out);
  stream_.clear();
  if (!stream_.seekg(std::streamoff(index), std::ios::beg)) return false;
  stream_.read(reinterpret_cast<char*>(out), std::streamsize(n));
  return stream_.gcount() == std::streamsize(n);
}
