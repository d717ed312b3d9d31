// Readers taking bits most significant bit first and little-endian integers
// from a byte source.
//
// Every reader returns 0 for what lies past the end of its data and never
// reads outside it: a read that does not fit leaves the cursor where it was
// (a bit read past the end gives 0 bits and moves on).
#pragma once

#include <cstddef>
#include <fstream>
#include <vector>

#include "platform/mac_types.h"

class CPathName;

// A small reader over a byte vector that the caller fills.
class CMemoryBitReader {
 public:
  CMemoryBitReader() = default;
  ~CMemoryBitReader();

  void AppendBytes(const void* data, size_t n);
  // `count` bits (1..32) from the cursor; with `isSigned` the result is
  // sign-extended from bit count - 1.
  s32 ReadBits(u32 count, bool isSigned);

  u32 GetByteIndex() const { return byteIndex_; }
  u32 GetBitPosition() const { return bitPosition_; }

 private:
  u32 byteIndex_ = 0;
  u32 bitPosition_ = 0;  // bits already taken from the current byte, 0..8
  std::vector<u8> bytes_;
};

// A reader over a whole file (or a buffer) held in memory.
class CFileDataReader {
 public:
  CFileDataReader() = default;
  virtual ~CFileDataReader();
  CFileDataReader(const CFileDataReader&) = delete;
  CFileDataReader& operator=(const CFileDataReader&) = delete;

  virtual void Reset();
  virtual void Seek(u32 position);
  // Moves the cursor by delta bytes, no further back than the start.
  virtual void Skip(s32 delta);
  // Moves to the start of the next byte when bits of the current one were taken.
  virtual void AlignToByte();
  virtual s32 ReadBits(u32 count, bool isSigned);
  // The byte at the cursor (the next one while in the middle of a byte); 0
  // past the end; the cursor does not move.
  virtual u8 PeekByte();
  virtual u8 ReadUInt8();
  virtual u16 ReadUInt16();
  virtual u32 ReadUInt32();
  virtual s16 ReadInt16();
  virtual s32 ReadInt32();
  virtual float ReadFloat();    // IEEE single, least significant byte first
  virtual double ReadDouble();  // IEEE double, least significant byte first
  virtual s8 ReadInt8();
  virtual void Close();
  // Loads the whole file; false, with no data, when it cannot be opened or
  // read whole or holds 4 GiB or more.
  [[nodiscard]] virtual bool Open(const CPathName& path);
  // Reads from a copy of n bytes.
  virtual void SetData(const void* data, size_t n);

  u32 GetPosition() const { return byteIndex_; }
  u32 GetBitPosition() const { return bitPosition_; }
  u32 GetDataSize() const { return dataSize_; }

 protected:
  // Copies `n` bytes at `index` of the source into `out`; false when they are
  // not all there.
  [[nodiscard]] virtual bool FetchBytes(u32 index, u32 n, u8* out);
  // Aligns, then reads n little-endian bytes; false (cursor unmoved) when they
  // do not fit.
  [[nodiscard]] bool ReadLittleEndian(u32 n, u64& value);

  std::vector<u8> bytes_;
  std::fstream stream_;
  u32 byteIndex_ = 0;
  u8 bitPosition_ = 0;
  u32 dataSize_ = 0;
};

// The same reads through an open file stream, piece by piece. SetData makes
// it read from memory instead, like its base.
class CStreamDataReader : public CFileDataReader {
 public:
  void Close() override;
  // Opens the stream; false when the file cannot be opened or holds 4 GiB or more.
  [[nodiscard]] bool Open(const CPathName& path) override;
  void SetData(const void* data, size_t n) override;

 protected:
  [[nodiscard]] bool FetchBytes(u32 index, u32 n, u8* out) override;
};
