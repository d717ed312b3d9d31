#include "swf/swf_bit_writer.h"

#include <algorithm>
#include <cstring>

#include "platform/memory_handles.h"
#include "swf/swf_record.h"
#include "swf/swf_unknown_tag.h"

CSwfBitWriter::CSwfBitWriter(u8 version) : m_version(version) {}

void CSwfBitWriter::Clear() {
  m_bytes.clear();
  m_partial = 0;
  m_bitPosition = 0;
}

void CSwfBitWriter::Reserve(u32 n) { m_bytes.reserve(n); }

u32 CSwfBitWriter::GetCapacity() const { return u32(m_bytes.capacity()); }

void CSwfBitWriter::WriteBits(u32 value, u32 count) {
  // As many bits at a time as the partial byte has room for.
  for (u32 left = count; left > 0;) {
    if (m_bitPosition == 8) {
      m_bytes.push_back(m_partial);
      m_partial = 0;
      m_bitPosition = 0;
    }
    const u32 take = std::min<u32>(left, 8u - m_bitPosition);
    const u32 shift = left - take;  // the lowest of the bits taken
    const u32 bits = shift >= 32 ? 0 : (value >> shift) & ((1u << take) - 1);
    m_partial = u8(m_partial | (bits << (8u - m_bitPosition - take)));
    m_bitPosition = u8(m_bitPosition + take);
    left -= take;
  }
}

void CSwfBitWriter::WriteSignedBits(s32 value, u32 count) {
  if (count > 32) {
    const u32 sign = value < 0 ? 0xFFFFFFFFu : 0;
    for (u32 above = count - 32; above > 0; above -= std::min(above, 32u)) WriteBits(sign, std::min(above, 32u));
    count = 32;
  }
  WriteBits(u32(value), count);
}

u32 CSwfBitWriter::AppendBytes(const std::vector<u8>& bytes) {
  return AppendBytes(bytes.data(), u32(bytes.size()));
}

u32 CSwfBitWriter::AppendBytes(const u8* bytes, u32 count) {
  FlushBits();
  if (bytes && count) m_bytes.insert(m_bytes.end(), bytes, bytes + count);
  return bytes ? count : 0;
}

void CSwfBitWriter::AppendByteList(const std::list<u8>& bytes) {
  FlushBits();
  m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
}

void CSwfBitWriter::AppendString(const std::string& text) {
  FlushBits();
  m_bytes.insert(m_bytes.end(), text.begin(), text.end());
}

void CSwfBitWriter::AppendTerminatedString(const std::string& text) {
  AppendString(text);
  m_bytes.push_back(0);
}

void CSwfBitWriter::AppendHandle(Handle handle) {
  FlushBits();
  if (!handle || !*handle) return;
  const long size = GetHandleSize(handle);
  if (size < 1) return;
  HLock(handle);
  const u8* bytes = reinterpret_cast<const u8*>(*handle);
  m_bytes.insert(m_bytes.end(), bytes, bytes + size);
  HUnlock(handle);
}

void CSwfBitWriter::AppendWriter(CSwfBitWriter& other) {
  if (&other == this) {
    FlushBits();
    std::vector<u8> copy = m_bytes;
    AppendBytes(copy);
    return;
  }
  AppendBytes(other.GetBytes());
}

void CSwfBitWriter::AppendBits(CSwfBitWriter& other) {
  const u32 pending = other.m_bitPosition;
  other.FlushBits();
  const std::vector<u8> bytes = other.m_bytes;  // a copy, so that other may be this writer
  const size_t whole = pending ? bytes.size() - 1 : bytes.size();
  for (size_t i = 0; i < whole; ++i) WriteBits(bytes[i], 8);
  if (pending) WriteBits(u32(bytes.back()) >> (8 - pending), pending);
}

void CSwfBitWriter::AppendBits(CSwfBitWriter& other, u32 bitCount) {
  other.FlushBits();
  const std::vector<u8> bytes = other.m_bytes;
  const u64 available = u64(bytes.size()) * 8;
  if (bitCount > available) bitCount = u32(available);
  const u32 whole = bitCount / 8;
  const u32 rest = bitCount % 8;
  for (u32 i = 0; i < whole; ++i) WriteBits(bytes[i], 8);
  if (rest) WriteBits(u32(bytes[whole]) >> (8 - rest), rest);
}

const std::vector<u8>& CSwfBitWriter::GetBytes() {
  FlushBits();
  return m_bytes;
}

bool CSwfBitWriter::PatchU16(u32 offset, u16 value) {
  if (u64(offset) + 2 > m_bytes.size()) return false;
  m_bytes[offset] = u8(value);
  m_bytes[offset + 1] = u8(value >> 8);
  return true;
}

bool CSwfBitWriter::PatchU32(u32 offset, u32 value) {
  if (u64(offset) + 4 > m_bytes.size()) return false;
  for (int i = 0; i < 4; ++i) m_bytes[offset + i] = u8(value >> (8 * i));
  return true;
}

void CSwfBitWriter::WriteRecord(CSwfRecord* record) {
  if (record) record->Write(*this);
}

void CSwfBitWriter::WriteTagHeader(const CSwfTag& tag, u32 length, bool forceLong) {
  FlushBits();
  EncodeTagHeader(m_bytes, tag, length, forceLong);
}

u32 CSwfBitWriter::WriteTag(const CSwfTag& tag, CSwfBitWriter& body, bool forceLong) {
  FlushBits();
  const u32 before = GetByteCount();
  body.FlushBits();
  WriteTagHeader(tag, body.GetByteCount(), forceLong);
  AppendWriter(body);
  return GetByteCount() - before;
}

namespace {

constexpr u32 kLongHeader = 6;
constexpr u32 kShortHeader = 2;

}  // namespace

u32 CSwfBitWriter::BeginTag() {
  FlushBits();
  const u32 mark = GetByteCount();
  m_bytes.resize(m_bytes.size() + kLongHeader);
  return mark;
}

u32 CSwfBitWriter::EndTag(const CSwfTag& tag, u32 mark, bool forceLong) {
  FlushBits();
  const u32 length = GetByteCount() - mark - kLongHeader;
  u8* at = m_bytes.data() + mark;
  if (EncodeTagHeader(at, tag.GetCode(), length, forceLong) == kShortHeader) {
    std::memmove(at + kShortHeader, at + kLongHeader, length);
    m_bytes.resize(m_bytes.size() - (kLongHeader - kShortHeader));
  }
  return GetByteCount() - mark;
}
