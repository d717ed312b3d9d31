#include "foundation/data_writer.h"

#include <cstddef>
#include <cstring>
#include <cwchar>

#include "foundation/cf_string_holder.h"
#include "foundation/file_bytes.h"
#include "foundation/path_name.h"
#include "platform/text_encoding.h"

u32 CDataWriter::FloatBits(float value) {
  u32 bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

u64 CDataWriter::DoubleBits(double value) {
  u64 bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

CDataWriter::CDataWriter() = default;

CDataWriter::~CDataWriter() {
  bytes_.clear();
  byteCount_ = 0;
  bitPosition_ = 0;
  partial_ = 0;
}

void CDataWriter::FlushBits() {
  if (bitPosition_ == 0) return;
  bytes_.push_back(partial_);
  partial_ = 0;
  bitPosition_ = 0;
  ++byteCount_;
}

void CDataWriter::PushByte(u8 value) {
  FlushBits();
  bytes_.push_back(value);
  ++byteCount_;
}

void CDataWriter::AppendFixedOrder(u64 value, int size, bool lowFirst) {
  FlushBits();
  for (int i = 0; i < size; ++i) {
    int shift = lowFirst ? 8 * i : 8 * (size - 1 - i);
    bytes_.push_back(u8(value >> shift));
  }
}

void CDataWriter::AppendCounted(u64 value, int size) {
  AppendFixedOrder(value, size, byteOrder == 0);
  byteCount_ += u32(size);
}

void CDataWriter::WriteUInt8(u8 value) { PushByte(value); }
void CDataWriter::WriteInt8(s8 value) { PushByte(u8(value)); }
void CDataWriter::WriteChar(char value) { PushByte(u8(value)); }
void CDataWriter::WriteByte(u8 value) { PushByte(value); }
void CDataWriter::WriteUInt16(u16 value) { AppendCounted(value, 2); }
void CDataWriter::WriteInt16(s16 value) { AppendCounted(u16(value), 2); }
void CDataWriter::WriteWord(u16 value) { AppendCounted(value, 2); }
void CDataWriter::WriteUInt32(u32 value) { AppendCounted(value, 4); }
void CDataWriter::WriteInt32(s32 value) { AppendCounted(u32(value), 4); }
void CDataWriter::WriteDword(u32 value) { AppendCounted(value, 4); }
void CDataWriter::WriteFloat(float value) { AppendFixedOrder(FloatBits(value), 4, false); }
void CDataWriter::WriteDouble(double value) { AppendFixedOrder(DoubleBits(value), 8, false); }

void CDataWriter::WriteBits(u32 value, u32 count) {
  if (count > 32) count = 32;
  for (u32 i = count; i-- > 0;) {
    if (bitPosition_ == 8) {
      bytes_.push_back(partial_);
      partial_ = 0;
      bitPosition_ = 0;
      ++byteCount_;
    }
    if (value >> i & 1) partial_ |= u8(0x80 >> bitPosition_);
    ++bitPosition_;
  }
}

void CDataWriter::AppendWriter(const CDataWriter& other) { AppendBitsOf(other, ~u64(0)); }

void CDataWriter::AppendWriterBits(const CDataWriter& other, u32 bitCount) {
  AppendBitsOf(other, bitCount);
}

void CDataWriter::AppendBitsOf(const CDataWriter& other, u64 bitCount) {
  // Copies first: the other writer may be this one.
  const std::vector<u8> source = other.bytes_;
  const u8 otherPartial = other.partial_;
  const u64 available = u64(source.size()) * 8 + other.bitPosition_;
  const u64 wanted = bitCount < available ? bitCount : available;
  const size_t wholeBytes = size_t(wanted / 8);
  const u32 restBits = u32(wanted % 8);

  size_t next = 0;
  if (wholeBytes > 0 && (bitPosition_ == 0 || bitPosition_ == 8)) {
    // Byte-aligned: the same state WriteBits would leave, without the loop.
    // The last whole byte stays pending as a full partial byte.
    if (bitPosition_ == 8) {
      bytes_.push_back(partial_);
      ++byteCount_;
    }
    bytes_.insert(bytes_.end(), source.begin(), source.begin() + std::ptrdiff_t(wholeBytes - 1));
    byteCount_ += u32(wholeBytes - 1);
    partial_ = source[wholeBytes - 1];
    bitPosition_ = 8;
    next = wholeBytes;
  }
  for (; next < wholeBytes; ++next) WriteBits(source[next], 8);
  if (restBits > 0) {
    const u8 last = wholeBytes < source.size() ? source[wholeBytes] : otherPartial;
    WriteBits(u32(last) >> (8 - restBits), restBits);
  }
}

u32 CDataWriter::GetSize() const { return u32(bytes_.size()) + (bitPosition_ != 0 ? 1 : 0); }

const std::vector<u8>& CDataWriter::GetBuffer(bool flush, u8* partialOut) {
  if (flush) FlushBits();
  if (partialOut) *partialOut = partial_;
  return bytes_;
}

void CDataWriter::WriteBytes(const void* data, size_t n) {
  FlushBits();
  if (!data || n == 0) return;
  const u8* bytes = static_cast<const u8*>(data);
  bytes_.insert(bytes_.end(), bytes, bytes + n);
}

void CDataWriter::WritePascalString(const unsigned char* text) {
  if (!text) return;
  FlushBits();
  bytes_.insert(bytes_.end(), text, text + 1 + text[0]);
  byteCount_ += u32(text[0]) + 1;
}

void CDataWriter::WriteString16(const char* text) {
  FlushBits();
  size_t length = text ? std::strlen(text) : 0;
  if (length > 0xFFFF) length = 0xFFFF;
  WriteUInt16(u16(length));
  if (length > 0) bytes_.insert(bytes_.end(), text, text + length);
}

void CDataWriter::WriteWideString16(const wchar_t* text) {
  FlushBits();
  size_t count = text ? std::wcslen(text) : 0;
  if (count > 0xFFFF) count = 0xFFFF;
  WriteUInt16(u16(count));
  const CFStringEncoding encoding = GetTextEncoding();
  for (size_t i = 0; i < count; ++i) {
    u8 encoded[4];
    const size_t length = plat::EncodeCodePoint(u32(text[i]), encoding, encoded);
    bytes_.push_back(length == 1 ? encoded[0] : u8('?'));
  }
}

bool CDataWriter::SaveToFile(const CPathName& path) const {
  return WriteWholeFile(path, bytes_.data(), bytes_.size());
}

bool CDataWriter::SaveNextToApplication(const char* name) const {
  CPathName path(nullptr);
  return path.SetNextToApplication(name) && SaveToFile(path);
}
