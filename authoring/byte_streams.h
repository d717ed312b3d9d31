// Byte input and output streams of the compound-file writer: over a byte
// vector in memory, or over a standard stream (a file).
//
// Positions are signed: a skip past the end leaves a negative count of
// available bytes instead of a huge one, and reads there give the end
// results. Every copy between vectors stays inside them.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

#include "authoring/root_object.h"
#include "foundation/file_stream.h"

class CPathName;

// Abstract byte input; every operation does nothing here.
class CInputStream : public CRootObject {
 public:
  virtual s64 Available() const { return 0; }
  virtual void Close() {}
  virtual void Mark() {}
  [[nodiscard]] virtual bool MarkSupported() const { return false; }
  virtual u8 ReadByte() { return 0; }
  virtual s64 ReadRange(std::vector<u8>& dest, size_t offset, size_t n);
  virtual void Reset() {}
  virtual s64 Skip(s64 n);
};

class CByteArrayInputStream : public CInputStream {
 public:
  CByteArrayInputStream() = default;
  explicit CByteArrayInputStream(const std::vector<u8>& data);
  // The `length` bytes from `offset` on; only the part that lies inside
  // `data` is taken.
  CByteArrayInputStream(const std::vector<u8>& data, size_t offset, size_t length);

  // count - pos: negative after a skip past the end.
  s64 Available() const override { return count_ - pos_; }
  void Close() override {}
  void Mark() override { mark_ = pos_; }
  // Mark and Reset work all the same.
  [[nodiscard]] bool MarkSupported() const override { return false; }
  // The byte at pos, and pos moves on; 0 (pos unchanged) at or past the end.
  u8 ReadByte() override;
  // -1 when nothing is left; else copies what is left, at most n bytes and
  // no more than `dest` holds from `offset` on, into dest[offset...], moves
  // pos by as many and returns their number.
  s64 ReadRange(std::vector<u8>& dest, size_t offset, size_t n) override;
  void Reset() override { pos_ = mark_; }
  // pos += n, with no bound at the end (never below 0); returns the new pos.
  s64 Skip(s64 n) override;

  s64 GetPosition() const { return pos_; }

 private:
  std::vector<u8> bytes_;
  s64 count_ = 0;
  s64 mark_ = 0;
  s64 pos_ = 0;
};

// Byte output to a standard stream; with none (a base for the memory
// stream) the writes go nowhere. Failed() reports a write, flush or close
// that failed, and stays set.
class COutputStream : public CRootObject {
 public:
  COutputStream() = default;
  explicit COutputStream(std::ostream* stream) : stream_(stream) {}

  virtual void Close() {}
  virtual void Flush();
  virtual void WriteVector(const std::vector<u8>& v);
  // v[offset] to v[offset + n - 1]: only the part that lies inside v.
  virtual void WriteRange(const std::vector<u8>& v, size_t offset, size_t n);
  virtual void WriteByte(u8 value);

  [[nodiscard]] bool Failed() const { return failed_; }

 protected:
  void Put(const u8* data, size_t n);
  void CheckStream();

  std::ostream* stream_ = nullptr;
  // Writes without a stream fail (a file stream that is not open).
  bool needsStream_ = false;
  bool failed_ = false;
};

class CByteArrayOutputStream : public COutputStream {
 public:
  CByteArrayOutputStream() = default;

  // Every written byte, one character per byte.
  std::string ToString() const override;

  void Close() override {}
  void Flush() override {}
  void WriteVector(const std::vector<u8>& v) override;
  void WriteRange(const std::vector<u8>& v, size_t offset, size_t n) override;
  void WriteByte(u8 value) override;

  // A new vector of the written bytes.
  std::vector<u8> ToByteArray() const { return bytes_; }
  const std::vector<u8>& GetBytes() const { return bytes_; }
  u64 GetCount() const { return bytes_.size(); }
  // The whole content to another stream in one WriteRange.
  void WriteTo(COutputStream& out) const;
  void Clear() { bytes_.clear(); }

 private:
  std::vector<u8> bytes_;
};

// Binary output to a file of its own, or to another standard stream. A file
// that cannot be opened, and any write, flush or close that fails, shows in
// Failed().
class CFileOutputStream : public COutputStream {
 public:
  // Not open: writes fail until a target is set.
  CFileOutputStream();
  // Creates (or truncates) the file for binary output.
  explicit CFileOutputStream(const CPathName& path);
  // Writes go to `target`.
  explicit CFileOutputStream(std::ostream* target);
  // Closes the own file.
  ~CFileOutputStream() override;
  CFileOutputStream(const CFileOutputStream&) = delete;
  CFileOutputStream& operator=(const CFileOutputStream&) = delete;

  [[nodiscard]] bool IsOpen() const { return file_.is_open(); }
  // Writes go to `target` from now on (null: they fail).
  void SetTarget(std::ostream* target) { stream_ = target; }
  // Flushes the target and closes the own file.
  void Close() override;

 private:
  CFileStream file_;
};
