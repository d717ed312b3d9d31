// A byte stream built in memory: single bits packed most significant bit
// first, integers in a byte order chosen at run time, IEEE floating-point
// numbers, raw bytes and length-prefixed strings.
//
// The writer keeps its own byte count beside the vector: the typed writes and
// the flushing of bits move it, raw bytes, string bodies and the fixed-order
// writes of the two subclasses do not. GetSize() reads the vector instead.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/mac_types.h"

class CPathName;

class CDataWriter {
 public:
  CDataWriter();
  virtual ~CDataWriter();
  CDataWriter(const CDataWriter&) = delete;
  CDataWriter& operator=(const CDataWriter&) = delete;

  virtual void WriteUInt8(u8 value);
  virtual void WriteInt8(s8 value);
  virtual void WriteChar(char value);
  virtual void WriteUInt16(u16 value);
  virtual void WriteInt16(s16 value);
  virtual void WriteUInt32(u32 value);
  virtual void WriteInt32(s32 value);
  // The low `count` bits of `value` (count 0..32), most significant first.
  virtual void WriteBits(u32 value, u32 count);
  // IEEE single and double, most significant byte first whatever the flag.
  virtual void WriteFloat(float value);
  virtual void WriteDouble(double value);
  // Appends the other writer's whole content bit for bit: every byte of its
  // vector, then its pending bits.
  virtual void AppendWriter(const CDataWriter& other);
  // Appends the first `bitCount` bits of the other writer's content (its
  // vector followed by its pending bits); no more than it holds.
  virtual void AppendWriterBits(const CDataWriter& other, u32 bitCount);
  virtual void WriteByte(u8 value);
  virtual void WriteWord(u16 value);
  virtual void WriteDword(u32 value);

  // The vector's size, plus 1 while a partial byte is pending.
  u32 GetSize() const;
  // Pushes a pending partial byte (unused low bits 0) and counts it.
  void FlushBits();
  // The byte vector, after flushing when asked; the partial byte (0 after a
  // flush) goes to `partialOut` when it is not null.
  const std::vector<u8>& GetBuffer(bool flush, u8* partialOut = nullptr);
  // Raw bytes, after any pending bits; the byte count does not move.
  void WriteBytes(const void* data, size_t n);
  // A length byte and that many bytes; counted. Null writes nothing.
  void WritePascalString(const unsigned char* text);
  // A 16-bit length (at most 65535) through WriteUInt16, then that many bytes
  // of the C string raw. Null writes as the empty string.
  void WriteString16(const char* text);
  // A zero-terminated wide string: its character count (at most 65535)
  // through WriteUInt16, then exactly that many bytes of its text in the
  // application-wide encoding; a character the encoding cannot hold in one
  // byte is written as '?'.
  void WriteWideString16(const wchar_t* text);
  // Writes the vector (not a pending partial byte) to a new file, replacing
  // an existing one; false when the file cannot be made or written.
  [[nodiscard]] bool SaveToFile(const CPathName& path) const;
  // The same for the file of that name in the folder holding the application.
  [[nodiscard]] bool SaveNextToApplication(const char* name) const;

  u32 GetByteCount() const { return byteCount_; }
  u32 GetBitPosition() const { return bitPosition_; }

  // 0: least significant byte first (the default); any other value: most
  // significant byte first. Read only by the integer writes of this class.
  s32 byteOrder = 0;

 protected:
  void PushByte(u8 value);  // flushes bits, appends and counts one byte
  // Appends `size` bytes of `value`, most significant first unless `lowFirst`,
  // after flushing pending bits; the byte count does not move.
  void AppendFixedOrder(u64 value, int size, bool lowFirst);
  void AppendCounted(u64 value, int size);
  void AppendBitsOf(const CDataWriter& other, u64 bitCount);
  static u32 FloatBits(float value);
  static u64 DoubleBits(double value);

  u32 bitPosition_ = 0;
  u32 byteCount_ = 0;
  std::vector<u8> bytes_;
  u8 partial_ = 0;
};

// Two- and four-byte integers, floats and doubles in one fixed byte order,
// whatever the flag; these writes flush pending bits but leave the byte
// count alone.
template <bool LowFirst>
class CFixedOrderWriter : public CDataWriter {
 public:
  void WriteUInt16(u16 value) override { AppendFixedOrder(value, 2, LowFirst); }
  void WriteInt16(s16 value) override { AppendFixedOrder(u16(value), 2, LowFirst); }
  void WriteUInt32(u32 value) override { AppendFixedOrder(value, 4, LowFirst); }
  void WriteInt32(s32 value) override { AppendFixedOrder(u32(value), 4, LowFirst); }
  void WriteFloat(float value) override { AppendFixedOrder(FloatBits(value), 4, LowFirst); }
  void WriteDouble(double value) override { AppendFixedOrder(DoubleBits(value), 8, LowFirst); }
  void WriteWord(u16 value) override { AppendFixedOrder(value, 2, LowFirst); }
  void WriteDword(u32 value) override { AppendFixedOrder(value, 4, LowFirst); }
};

// Most significant byte first.
class CBigEndianWriter : public CFixedOrderWriter<false> {};

// Least significant byte first.
class CLittleEndianWriter : public CFixedOrderWriter<true> {};
