#include "authoring/byte_streams.h"

#include <algorithm>
#include <cstddef>
#include <limits>

#include "foundation/path_name.h"

namespace {

// a + b without overflow, and never below 0.
s64 AddPosition(s64 a, s64 b) {
  if (b > 0 && a > std::numeric_limits<s64>::max() - b) return std::numeric_limits<s64>::max();
  const s64 sum = a + b;
  return sum < 0 ? 0 : sum;
}

// The part of [offset, offset + n) that lies inside a vector of `size` bytes.
size_t PartInside(size_t size, size_t offset, size_t n) {
  if (offset >= size) return 0;
  return std::min(n, size - offset);
}

}  // namespace

s64 CInputStream::ReadRange(std::vector<u8>&, size_t, size_t) { return 0; }
s64 CInputStream::Skip(s64) { return 0; }

CByteArrayInputStream::CByteArrayInputStream(const std::vector<u8>& data)
    : bytes_(data), count_(s64(data.size())) {}

CByteArrayInputStream::CByteArrayInputStream(const std::vector<u8>& data, size_t offset, size_t length) {
  const size_t taken = PartInside(data.size(), offset, length);
  if (taken > 0) bytes_.assign(data.begin() + std::ptrdiff_t(offset), data.begin() + std::ptrdiff_t(offset + taken));
  count_ = s64(bytes_.size());
}

u8 CByteArrayInputStream::ReadByte() {
  if (pos_ < 0 || pos_ >= s64(bytes_.size())) return 0;
  return bytes_[size_t(pos_++)];
}

s64 CByteArrayInputStream::ReadRange(std::vector<u8>& dest, size_t offset, size_t n) {
  if (pos_ >= count_) return -1;
  size_t copied = std::min(size_t(count_ - pos_), n);
  copied = std::min(copied, PartInside(dest.size(), offset, copied));
  // An offset at or past the destination's end names no byte to write, and
  // no iterator may be formed there.
  if (copied == 0) return 0;
  std::copy_n(bytes_.begin() + std::ptrdiff_t(pos_), copied, dest.begin() + std::ptrdiff_t(offset));
  pos_ += s64(copied);
  return s64(copied);
}

s64 CByteArrayInputStream::Skip(s64 n) {
  pos_ = AddPosition(pos_, n);
  return pos_;
}

void COutputStream::CheckStream() {
  if (stream_ && stream_->fail()) failed_ = true;
}

void COutputStream::Put(const u8* data, size_t n) {
  if (!stream_) {
    if (needsStream_) failed_ = true;
    return;
  }
  if (n > 0) stream_->write(reinterpret_cast<const char*>(data), std::streamsize(n));
  CheckStream();
}

void COutputStream::Flush() {
  if (!stream_) return;
  stream_->flush();
  CheckStream();
}

void COutputStream::WriteVector(const std::vector<u8>& v) { Put(v.data(), v.size()); }

void COutputStream::WriteRange(const std::vector<u8>& v, size_t offset, size_t n) {
  const size_t taken = PartInside(v.size(), offset, n);
  Put(taken > 0 ? v.data() + offset : nullptr, taken);
}

void COutputStream::WriteByte(u8 value) { Put(&value, 1); }

std::string CByteArrayOutputStream::ToString() const { return std::string(bytes_.begin(), bytes_.end()); }

void CByteArrayOutputStream::WriteVector(const std::vector<u8>& v) {
  if (&v == &bytes_) {
    // Appending the array to itself: insert may not read from the vector it grows.
    const size_t n = bytes_.size();
    bytes_.resize(n * 2);
    std::copy_n(bytes_.begin(), n, bytes_.begin() + std::ptrdiff_t(n));
    return;
  }
  bytes_.insert(bytes_.end(), v.begin(), v.end());
}

void CByteArrayOutputStream::WriteRange(const std::vector<u8>& v, size_t offset, size_t n) {
  const size_t taken = PartInside(v.size(), offset, n);
  if (taken == 0) return;
  const auto first = v.begin() + std::ptrdiff_t(offset);
  if (&v == &bytes_) {
    // A copy first when the stream is written into itself.
    const std::vector<u8> copy(first, first + std::ptrdiff_t(taken));
    bytes_.insert(bytes_.end(), copy.begin(), copy.end());
    return;
  }
  bytes_.insert(bytes_.end(), first, first + std::ptrdiff_t(taken));
}

void CByteArrayOutputStream::WriteByte(u8 value) { bytes_.push_back(value); }

void CByteArrayOutputStream::WriteTo(COutputStream& out) const { out.WriteRange(bytes_, 0, bytes_.size()); }

CFileOutputStream::CFileOutputStream() {
  stream_ = &file_;
  needsStream_ = true;
}

CFileOutputStream::CFileOutputStream(const CPathName& path) : CFileOutputStream() {
  if (!file_.Open(path, std::ios::out | std::ios::binary | std::ios::trunc)) failed_ = true;
}

CFileOutputStream::CFileOutputStream(std::ostream* target) : CFileOutputStream() { stream_ = target; }

CFileOutputStream::~CFileOutputStream() {
  if (file_.is_open()) file_.close();
}

void CFileOutputStream::Close() {
  Flush();
  if (file_.is_open()) {
    file_.close();
    if (file_.fail()) failed_ = true;
  }
}
