#include "builders/archive_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "foundation/file_bytes.h"
#include "platform/byte_order.h"
#include "platform/file_refs.h"
#include "platform/text_encoding.h"

namespace {

const u8 kTrailer[4] = {0xFF, 0xEE, 'O', 'x'};

}  // namespace

std::string FoldNameCase(const std::string& name) {
  std::string folded = name;
  for (char& c : folded) c = char(plat::MacRomanToLower(plat::MacRomanToUpper(u8(c))));
  return folded;
}

bool IsWindowsName(const std::string& name) {
  if (name.empty() || name.back() == '.' || name.back() == ' ') return false;
  for (char c : name)
    if (u8(c) < 0x20 || std::strchr("\\/:*?\"<>|", c)) return false;
  // A device name, alone or with an extension: the part before the first
  // dot, without the blanks that end it.
  std::string base = name.substr(0, name.find('.'));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  for (char& c : base)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  for (const char* device : {"CON", "PRN", "AUX", "NUL"})
    if (base == device) return false;
  const bool numbered = base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0);
  return !(numbered && base[3] >= '0' && base[3] <= '9');
}

bool IsValidArchiveName(const std::string& name) {
  if (name.empty() || name == "." || name == ".." || name.size() > kMaxArchiveNameLength) return false;
  return name.find_first_of(std::string("/\\\0", 3)) == std::string::npos;
}

void PutArchiveWord(u8* out, u32 value) { plat::PutLittle32(out, value); }

u32 GetArchiveWord(const u8* in) { return plat::GetLittle32(in); }

bool WriteUnpackedFile(const CPathName& path, const std::vector<u8>& bytes) {
  if (WriteWholeFile(path, bytes.data(), bytes.size(), true)) return true;
  // A file that could not be written whole is not left half written; a
  // folder of that name was never touched.
  if (IsRegularFile(path)) path.Delete();
  return false;
}

// ---------------------------------------------------------------------------
// Writer

CArchiveFileWriter::~CArchiveFileWriter() {
  // An archive its owner did not close: a failure has nobody to go to here.
  static_cast<void>(Close());
}

bool CArchiveFileWriter::Open(const CPathName& path) {
  // An archive still open is finished first; whether it was whole was its
  // owner's to ask with Close.
  static_cast<void>(Close());
  failure_ = CArchiveWriteFailure();
  scopes_.assign(1, {});
  path_ = path;
  file_ = path.OpenStdioFile("ab");
  if (!file_) Fail(ioErr, path);
  return file_ != nullptr;
}

bool CArchiveFileWriter::Close() {
  if (!file_) return !HasFailed();
  // The trailer goes on only when everything before it was written; a
  // failure on the way is kept as the archive's.
  if (!HasFailed() && WriteBytes(kTrailer, sizeof kTrailer) && std::fflush(file_) != 0) Fail(ioErr, path_);
  if (std::fclose(file_) != 0 && !HasFailed()) Fail(ioErr, path_);
  file_ = nullptr;
  return !HasFailed();
}

void CArchiveFileWriter::Fail(OSErr error, const CPathName& path, const CPathName& otherPath) {
  if (HasFailed()) return;
  failure_.error = error == noErr ? OSErr(ioErr) : error;
  failure_.path = path;
  failure_.otherPath = otherPath;
}

bool CArchiveFileWriter::WriteBytes(const void* data, size_t length) {
  if (HasFailed()) return false;
  if (!file_) {
    Fail(ioErr, path_);
    return false;
  }
  if (length > 0 && std::fwrite(data, 1, length, file_) != length) {
    Fail(errno == ENOSPC ? OSErr(dskFulErr) : OSErr(ioErr), path_);
    return false;
  }
  return true;
}

u32 CArchiveFileWriter::WriteFileBlob(const CPathName& path) {
  if (HasFailed()) return 0;
  std::vector<u8> bytes;
  if (!ReadWholeFile(path, bytes)) {
    Fail(path.Exists() ? OSErr(ioErr) : OSErr(fnfErr), path);
    return 0;
  }
  return WriteBlob(bytes.data(), bytes.size());
}

u32 CArchiveFileWriter::WriteBlob(const void* data, size_t length) {
  // The count word and the record's size word must both hold the length.
  if (length > 0xFFFFFFFFu - 4 - 8) {
    Fail(memFullErr, path_);
    return 0;
  }
  if (!WriteBytes(data, length) || !WriteWord(u32(length))) return 0;
  return u32(length) + 4;
}

u32 CArchiveFileWriter::WriteString(const char* text) {
  size_t length = text ? std::strlen(text) : 0;
  if (length > kMaxArchiveNameLength) {
    Fail(bdNamErr, path_);
    return 0;
  }
  if (!WriteBytes(text, length) || !WriteWord(u32(length))) return 0;
  return u32(length) + 4;
}

u32 CArchiveFileWriter::WriteWord(u32 value) {
  u8 bytes[4];
  PutArchiveWord(bytes, value);
  return WriteBytes(bytes, 4) ? 4 : 0;
}

u32 CArchiveFileWriter::WriteByte(u8 value) { return WriteBytes(&value, 1) ? 1 : 0; }

u32 CArchiveFileWriter::WriteSizeAndType(u32 type, u32 size) {
  if (!WriteWord(size) || !WriteWord(type)) return 0;
  return 8;
}

u32 CArchiveFileWriter::EndRecord(u32 type, u32 fieldBytes) {
  return WriteSizeAndType(type, fieldBytes) ? fieldBytes + 8 : 0;
}

bool CArchiveFileWriter::ClaimName(const std::string& name, const CPathName& source) {
  if (HasFailed()) return false;
  if (!IsValidArchiveName(name) || !IsWindowsName(name)) {
    Fail(bdNamErr, source);
    return false;
  }
  auto& scope = scopes_.back();
  auto [entry, added] = scope.emplace(FoldNameCase(name), source);
  // One source may give several records of its name (the same picture
  // packed for two windows); another source may not.
  if (!added && (source.IsEmpty() || !entry->second.IsSamePath(source))) {
    Fail(dupFNErr, source, entry->second);
    return false;
  }
  return true;
}

void CArchiveFileWriter::EnterFolderScope() { scopes_.emplace_back(); }

void CArchiveFileWriter::LeaveFolderScope() {
  if (scopes_.size() > 1) scopes_.pop_back();
}

// ---------------------------------------------------------------------------
// Reader

CArchiveFileReader::~CArchiveFileReader() { CloseFile(); }

bool CArchiveFileReader::Open(const CPathName& path) {
  CloseFile();
  error_ = kArchiveNoError;
  if (!path.Exists()) {
    error_ = kArchiveMissing;
    return false;
  }
  file_ = IsRegularFile(path) ? path.OpenStdioFile("rb") : nullptr;
  if (!file_) error_ = kArchiveCannotOpen;
  return file_ != nullptr;
}

bool CArchiveFileReader::BeginWalk() {
  Clear();
  unpacked_.clear();
  error_ = kArchiveNoError;
  return SeekToTrailer();
}

bool CArchiveFileReader::ReadRecordEnd(u32& type, u32& size) {
  return ReadWordBackward(type) && ReadWordBackward(size);
}

void CArchiveFileReader::CheckRecordSize(u64 fieldsEnd, u64 fieldBytes) {
  if (error_ == kArchiveNoError && fieldsEnd - position_ != fieldBytes) error_ = kArchiveDamaged;
}

bool CArchiveFileReader::FinishWalk() {
  const bool good = error_ == kArchiveNoError;
  if (!good) {
    // A failed walk leaves nothing of itself behind: the files first, then
    // the folders that held them.
    for (auto it = unpacked_.rbegin(); it != unpacked_.rend(); ++it) it->Delete();
    Clear();
  }
  unpacked_.clear();
  return good;
}

void CArchiveFileReader::CloseFile() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
  position_ = 0;
}

bool CArchiveFileReader::SeekToTrailer() {
  position_ = 0;
  struct stat info;
  if (!file_ || fstat(fileno(file_), &info) != 0) {
    SetError(kArchiveNoTrailer);
    return false;
  }
  position_ = u64(info.st_size);
  // Read from its end, so that a file whose last byte is wrong is refused
  // without reading further.
  for (int i = 3; i >= 0; --i) {
    u8 byte = 0;
    if (position_ < 1 || !ReadAt(position_ - 1, &byte, 1) || byte != kTrailer[i]) {
      SetError(kArchiveNoTrailer);
      return false;
    }
    --position_;
  }
  return true;
}

bool CArchiveFileReader::ReadAt(u64 offset, void* out, size_t length) {
  if (!file_ || fseeko(file_, off_t(offset), SEEK_SET) != 0) return false;
  return length == 0 || std::fread(out, 1, length, file_) == length;
}

bool CArchiveFileReader::StepBack(u64 count) {
  if (count > position_) {
    SetError(kArchiveDamaged);
    return false;
  }
  position_ -= count;
  return true;
}

bool CArchiveFileReader::ReadWordBackward(u32& value) {
  u8 bytes[4];
  if (position_ < 4 || !ReadAt(position_ - 4, bytes, 4)) {
    SetError(kArchiveDamaged);
    return false;
  }
  position_ -= 4;
  value = GetArchiveWord(bytes);
  return true;
}

bool CArchiveFileReader::ReadByteBackward(u8& value) {
  if (position_ < 1 || !ReadAt(position_ - 1, &value, 1)) {
    SetError(kArchiveDamaged);
    return false;
  }
  --position_;
  return true;
}

template <typename Bytes>
bool CArchiveFileReader::ReadCountedBackward(Bytes& out, u64 maxLength) {
  out.clear();
  u32 length = 0;
  if (!ReadWordBackward(length)) return false;
  if (length > maxLength || length > position_) {
    SetError(kArchiveDamaged);
    return false;
  }
  out.resize(length);
  if (!ReadAt(position_ - length, out.data(), length)) {
    out.clear();
    SetError(kArchiveDamaged);
    return false;
  }
  position_ -= length;
  return true;
}

bool CArchiveFileReader::ReadBlobBackward(std::vector<u8>& bytes) { return ReadCountedBackward(bytes, position_); }

bool CArchiveFileReader::ReadStringBackward(std::string& text) {
  return ReadCountedBackward(text, kMaxArchiveNameLength);
}

bool CArchiveFileReader::ReadNameBackward(std::string& name) {
  if (!ReadStringBackward(name)) return false;
  if (IsValidArchiveName(name)) return true;
  SetError(kArchiveDamaged);
  return false;
}
