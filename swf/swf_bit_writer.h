// The serialisation target of every SWF record, action and tag.
//
// Bytes go into a growing vector; bit fields are packed most significant bit
// first into a partial byte that reaches the vector once it is complete and
// something more is written, or when it is flushed. The writer carries the
// SWF version the data is for and the strip-sound flag, which tags consult
// while they write themselves.
#pragma once

#include <list>
#include <string>
#include <vector>

#include "platform/mac_types.h"

class CSwfRecord;
class CSwfTag;

class CSwfBitWriter {
 public:
  explicit CSwfBitWriter(u8 version);

  void Clear();
  void Reserve(u32 n);
  u32 GetCapacity() const;

  u8 GetVersion() const { return m_version; }
  u8 GetStripSound() const { return m_stripSound; }
  void SetStripSound(u8 strip) { m_stripSound = strip; }

  // Appends the low `count` bits of value, most significant first (bits above
  // the 32 of the value are zeros).
  void WriteBits(u32 value, u32 count);
  // The same for a signed value: bits above the 32 of the value are copies
  // of its sign.
  void WriteSignedBits(s32 value, u32 count);
  // Pushes pending bits (unused low bits 0) into the bytes.
  void FlushBits() {
    if (m_bitPosition == 0) return;
    m_bytes.push_back(m_partial);
    m_partial = 0;
    m_bitPosition = 0;
  }

  // Scripts are written a byte or a word at a time: these stay inline.
  void WriteU8(u8 value) {
    FlushBits();
    m_bytes.push_back(value);
  }
  void WriteU16(u16 value) {
    FlushBits();
    const u8 bytes[2] = {u8(value), u8(value >> 8)};
    m_bytes.insert(m_bytes.end(), bytes, bytes + 2);
  }
  void WriteS16(s16 value) { WriteU16(u16(value)); }
  void WriteU32(u32 value) {
    FlushBits();
    const u8 bytes[4] = {u8(value), u8(value >> 8), u8(value >> 16), u8(value >> 24)};
    m_bytes.insert(m_bytes.end(), bytes, bytes + 4);
  }

  u32 AppendBytes(const std::vector<u8>& bytes);
  u32 AppendBytes(const u8* bytes, u32 count);
  void AppendByteList(const std::list<u8>& bytes);
  void AppendString(const std::string& text);
  // The string's bytes and a terminating zero byte.
  void AppendTerminatedString(const std::string& text);
  // The bytes of a memory block; nothing for a null handle, a null block or
  // an empty one.
  void AppendHandle(Handle handle);
  // Byte-aligned concatenation: the other writer is flushed first.
  void AppendWriter(CSwfBitWriter& other);
  // Bit-exact concatenation of everything the other writer holds, its
  // pending bits included; the other writer is left flushed.
  void AppendBits(CSwfBitWriter& other);
  // The first bitCount bits of the other writer (after flushing it).
  void AppendBits(CSwfBitWriter& other, u32 bitCount);

  // Flushes pending bits and returns the bytes.
  const std::vector<u8>& GetBytes();
  // Bytes produced so far; a partial byte counts once it is flushed.
  u32 GetByteCount() const { return u32(m_bytes.size()); }
  // Bits written into the partial byte that is not yet in the bytes (0 to 8).
  u32 GetPendingBits() const { return m_bitPosition; }

  // Overwrites two or four bytes already written (little-endian); false
  // when they lie beyond the bytes.
  [[nodiscard]] bool PatchU16(u32 offset, u16 value);
  [[nodiscard]] bool PatchU32(u32 offset, u32 value);

  void WriteRecord(CSwfRecord* record);
  // The tag record header: short form for lengths up to 62 unless forceLong.
  void WriteTagHeader(const CSwfTag& tag, u32 length, bool forceLong);
  // A whole tag whose body has been serialised into `body`: the header with
  // the body's length, then the body. Returns the bytes this writer grew by.
  u32 WriteTag(const CSwfTag& tag, CSwfBitWriter& body, bool forceLong = false);
  // The same without a scratch writer, the body written straight into this
  // one: BeginTag leaves room for a long header and returns a mark; EndTag
  // (after the body) writes the header for the bytes written since, in the
  // short form when the length allows (the body moves up), and returns the
  // bytes the whole tag took. The body sees this writer's version and
  // strip-sound flag.
  u32 BeginTag();
  u32 EndTag(const CSwfTag& tag, u32 mark, bool forceLong = false);

 private:
  std::vector<u8> m_bytes;
  u8 m_partial = 0;
  u8 m_bitPosition = 0;
  u8 m_version;
  u8 m_stripSound = 0;
};
