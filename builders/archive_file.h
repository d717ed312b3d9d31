// The record layout shared by the packed data archives: the writer that
// appends fields and records to a host file, and the reader that walks them
// back from the end.
//
// An archive is host bytes of any content, then records, then the trailer
// FF EE 'O' 'x'. A record is its fields, then a word with the number of
// bytes of those fields, then a word with the record's type. Fields are
// blobs (the bytes, then their count), strings (the characters without a
// terminator, then their count, at most 255) and 32-bit words; the installer
// family also has single bytes. Words are little-endian, as on the x86
// machines that read them.
//
// The writer checks every write. The first failure is kept (with the paths
// it concerns) and ends the archive: later writes write nothing and Close
// leaves the trailer off, so that no reader takes a half-written archive
// for a whole one. The reader bounds every count and length by what lies
// before it in the file and reports damage as kArchiveDamaged.
//
// Each family (data_archive.h, installer_archive.h) has its item classes on
// the base CArchiveItem, a writer whose Add writes an item's record, and a
// reader whose walks go through WalkRecords with a table from record type to
// item class.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "foundation/path_name.h"
#include "platform/mac_types.h"

// Error numbers of the archive readers.
enum : u32 {
  kArchiveNoError = 0,
  kArchiveMissing = 100,       // the file does not exist
  kArchiveCannotOpen = 101,    // the file cannot be opened
  kArchiveNoTrailer = 102,     // the file does not end in the trailer
  kArchiveDamaged = 103,       // a count, length, name or record does not hold together
  kArchiveCannotUnpack = 104,  // an unpacked file or folder cannot be written
};

// Names of records are at most this long.
constexpr size_t kMaxArchiveNameLength = 255;
// Folder records nest at most this deep.
constexpr int kMaxArchiveFolderDepth = 64;

// A name (Mac Roman) as the file systems of the Mac and of Windows compare
// names of one folder: every letter that Mac Roman holds in one case, so that
// "A.swf" and "a.swf", or "E acute.swf" in both cases, are one name. Letters
// fold by Unicode's simple case mapping (plat::MacRomanToUpper, then back
// down), as Windows folds names; the Mac folds the same letters, except that
// it keeps dotless i apart from 'i', which Windows does not. Sharp s and the
// ligatures fi and fl stay as they are on both.
std::string FoldNameCase(const std::string& name);

// Whether Windows can hold `name` (Mac Roman) as the name of one item: it is
// not empty, holds no control character and none of \ / : * ? " < > |, does
// not end in a dot or a blank (which Windows strips, so that "x.txt." would
// be "x.txt"), and is no device name: CON, PRN, AUX, NUL, COM0 to COM9 or
// LPT0 to LPT9 in any case, alone or before a dot, blanks before the dot
// ignored.
[[nodiscard]] bool IsWindowsName(const std::string& name);

// A name that a record may carry: not empty, ".", "..", at most 255 bytes,
// without '/', '\' or NUL.
[[nodiscard]] bool IsValidArchiveName(const std::string& name);

// The first failure of a writer: a result code and the paths it concerns.
// dupFNErr: two sources land on one name (`path` the new one, `otherPath`
// the one added first); bdNamErr: a name that no record may carry;
// fnfErr or ioErr: a source that cannot be read (`path`); memFullErr: data
// that cannot be compressed or is too large; any other code: writing the
// archive failed.
struct CArchiveWriteFailure {
  OSErr error = noErr;
  CPathName path{nullptr};
  CPathName otherPath{nullptr};
};

class CArchiveFileWriter {
 public:
  CArchiveFileWriter() = default;
  ~CArchiveFileWriter();
  CArchiveFileWriter(const CArchiveFileWriter&) = delete;
  CArchiveFileWriter& operator=(const CArchiveFileWriter&) = delete;

  // Opens the file for appending ("ab"); the host bytes are already in it,
  // or it is new. An open archive is closed first.
  [[nodiscard]] bool Open(const CPathName& path);
  // Writes the trailer and closes the file. True when nothing was open, or
  // when every write and the trailer succeeded; a failed archive gets no
  // trailer.
  [[nodiscard]] bool Close();
  [[nodiscard]] bool IsOpen() const { return file_ != nullptr; }

  [[nodiscard]] bool HasFailed() const { return failure_.error != noErr; }
  const CArchiveWriteFailure& GetFailure() const { return failure_; }
  // Keeps the first failure; the archive takes no more writes.
  void Fail(OSErr error, const CPathName& path = CPathName(nullptr),
            const CPathName& otherPath = CPathName(nullptr));

  // Field writers: each returns the bytes written, 0 when the archive has
  // failed or fails now.
  u32 WriteFileBlob(const CPathName& path);
  u32 WriteBlob(const void* data, size_t length);
  // A string of 256 bytes or more is refused (bdNamErr).
  u32 WriteString(const char* text);
  u32 WriteWord(u32 value);
  u32 WriteByte(u8 value);
  // Size then type: the two closing words of a record.
  u32 WriteSizeAndType(u32 type, u32 size);
  // Closes a record whose fields took `fieldBytes`: the bytes of the whole
  // record, 0 when the words cannot be written.
  u32 EndRecord(u32 type, u32 fieldBytes);

  // Names of records: a record that a reader unpacks under `name` claims it
  // in the current folder scope (ignoring letter case as FoldNameCase does,
  // as the engines' file systems do). False, with the failure set, for a
  // name that no record may carry or that Windows cannot hold (the archives
  // are read on Windows), or one already claimed by another source (a
  // source of its own may claim its name again).
  [[nodiscard]] bool ClaimName(const std::string& name, const CPathName& source);
  // Folder records open a scope of their own for their entries.
  void EnterFolderScope();
  void LeaveFolderScope();

 private:
  [[nodiscard]] bool WriteBytes(const void* data, size_t length);

  FILE* file_ = nullptr;
  CPathName path_{nullptr};
  CArchiveWriteFailure failure_;
  std::vector<std::map<std::string, CPathName>> scopes_{1};
};

class CArchiveFileReader {
 public:
  CArchiveFileReader() = default;
  virtual ~CArchiveFileReader();
  CArchiveFileReader(const CArchiveFileReader&) = delete;
  CArchiveFileReader& operator=(const CArchiveFileReader&) = delete;

  // kArchiveMissing when the path names nothing, kArchiveCannotOpen when it
  // is not a file that opens for reading.
  [[nodiscard]] bool Open(const CPathName& path);
  void CloseFile();
  // Closes the file, then forgets the records read; true.
  bool Close() {
    CloseFile();
    Clear();
    return true;
  }
  // Destroys the items read.
  virtual void Clear() {}
  [[nodiscard]] bool IsOpen() const { return file_ != nullptr; }

  u32 GetError() const { return error_; }
  void SetError(u32 error) {
    if (error_ == kArchiveNoError) error_ = error;
  }
  void ClearError() { error_ = kArchiveNoError; }

  // Moves to the end of the file and reads the trailer backwards; false with
  // kArchiveNoTrailer when it is not there.
  [[nodiscard]] bool SeekToTrailer();

  // The position of the stream: everything before it is still unread.
  u64 GetPosition() const { return position_; }
  // Moves back over `count` bytes; false (kArchiveDamaged) when fewer lie before.
  [[nodiscard]] bool StepBack(u64 count);

  // Backward field readers: each reads the field that ends at the position
  // and leaves the stream at its first byte. False, with kArchiveDamaged,
  // when the field does not fit before the position (or, for a string, is
  // longer than 255 bytes).
  [[nodiscard]] bool ReadWordBackward(u32& value);
  [[nodiscard]] bool ReadByteBackward(u8& value);
  [[nodiscard]] bool ReadBlobBackward(std::vector<u8>& bytes);
  [[nodiscard]] bool ReadStringBackward(std::string& text);
  // A string that must be a valid record name.
  [[nodiscard]] bool ReadNameBackward(std::string& name);

  // The position of a record in the file (the end of its fields) and the
  // item read from it.
  template <typename Item>
  struct Entry {
    u64 position;
    std::unique_ptr<Item> item;
  };

  // Reads the closing words of the next record; the position is then the
  // end of its fields.
  [[nodiscard]] bool ReadRecordEnd(u32& type, u32& size);

  // One row of a walk's table: how a record of `type` is read.
  template <typename Reader, typename Item>
  struct RecordKind {
    u32 type;
    // Makes the item the record is read into; null steps over the record
    // by its size word, unread.
    std::unique_ptr<Item> (*make)();
    // Keeps the item read, with the end of its fields; null lets it go.
    void (*keep)(Reader& reader, u64 position, std::unique_ptr<Item> item);
    // Bytes of the record, before its fields, that its size word does not count.
    u32 uncounted;
  };
  // A record read from `fieldsEnd` must have taken exactly `fieldBytes`
  // (kArchiveDamaged otherwise).
  void CheckRecordSize(u64 fieldsEnd, u64 fieldBytes);

  // Remembers a file or folder that a walk made.
  void NoteUnpacked(const CPathName& path) { unpacked_.push_back(path); }

 protected:
  // The walk of every family: from the trailer backwards, each record read
  // by the row of `kinds` for its type, until a record of a type no row
  // names (with `stepBackAtEnd` the stream is then left at the first byte
  // of that record's fields). True when the trailer was there and nothing
  // was damaged; otherwise what the walk unpacked is deleted again and
  // nothing is kept.
  template <typename Reader, typename Item, size_t N>
  [[nodiscard]] bool WalkRecords(const RecordKind<Reader, Item> (&kinds)[N], bool stepBackAtEnd);

  // Starts a walk from the trailer with nothing read.
  [[nodiscard]] bool BeginWalk();
  // Ends a walk: true when it met no error; otherwise what it unpacked is
  // deleted again and nothing is kept.
  [[nodiscard]] bool FinishWalk();

 private:
  [[nodiscard]] bool ReadAt(u64 offset, void* out, size_t length);
  template <typename Bytes>
  [[nodiscard]] bool ReadCountedBackward(Bytes& out, u64 maxLength);

  FILE* file_ = nullptr;
  u64 position_ = 0;
  u32 error_ = kArchiveNoError;
  std::vector<CPathName> unpacked_;
};

template <typename Reader, typename Item, size_t N>
bool CArchiveFileReader::WalkRecords(const RecordKind<Reader, Item> (&kinds)[N], bool stepBackAtEnd) {
  if (!BeginWalk()) return false;
  Reader& reader = static_cast<Reader&>(*this);
  while (error_ == kArchiveNoError) {
    u32 type = 0;
    u32 size = 0;
    if (!ReadRecordEnd(type, size)) break;
    const u64 fieldsEnd = position_;
    const auto* kind = std::find_if(std::begin(kinds), std::end(kinds), [type](const auto& k) { return k.type == type; });
    if (kind == std::end(kinds)) {
      if (stepBackAtEnd && size <= position_) position_ -= size;
      break;
    }
    if (!kind->make) {
      if (!StepBack(size)) break;
      continue;
    }
    std::unique_ptr<Item> item = kind->make();
    item->Read(reader);
    CheckRecordSize(fieldsEnd, u64(size) + kind->uncounted);
    if (kind->keep) kind->keep(reader, fieldsEnd, std::move(item));
  }
  return FinishWalk();
}

// The base of the item classes of one family, whose writer and reader are
// `Writer` and `Reader`; on its own it is the end marker (type 0, no fields).
template <typename Writer, typename Reader>
class CArchiveItem {
 public:
  explicit CArchiveItem(u32 itemType) : type(itemType) {}
  virtual ~CArchiveItem() = default;

  // Writes the record; returns the bytes written for it (fields and the two
  // closing words), 0 when the writer failed. The end marker writes only its
  // two closing words and returns 0.
  virtual u32 Write(Writer& writer) {
    size = 0;
    writer.WriteSizeAndType(type, 0);
    return 0;
  }
  // Reads the record's fields backwards from the reader's position and
  // unpacks what they hold; returns the payload bytes read. Failures go
  // through the reader's error.
  virtual u32 Read(Reader&) { return 0; }

  u32 GetType() const { return type; }
  u32 GetSize() const { return size; }

 protected:
  // Stores the size of the fields and writes the two closing words.
  u32 Finish(Writer& writer, u32 fieldBytes) {
    size = fieldBytes;
    return writer.EndRecord(type, size);
  }

  u32 type;
  u32 size = 0;
};

// An item of class `Made` as its family's base `Item`: the maker of a
// walk's table row.
template <typename Item, typename Made>
std::unique_ptr<Item> MakeArchiveItem() {
  return std::make_unique<Made>();
}

// The writer of one family (`Derived`) with its items (`Item`).
template <typename Derived, typename Item>
class CArchiveItemWriter : public CArchiveFileWriter {
 public:
  // Writes the item's record; destroys the item with `deleteItem`. 0 for a
  // null item.
  u32 Add(Item* item, bool deleteItem) {
    const std::unique_ptr<Item> owned(deleteItem ? item : nullptr);
    return item ? item->Write(static_cast<Derived&>(*this)) : 0;
  }
};

// Little-endian words of the archives and of the installer settings file.
void PutArchiveWord(u8* out, u32 value);
u32 GetArchiveWord(const u8* in);

// Writes the bytes to a new file at `path` (an existing file or link is
// replaced, a folder never); false when it cannot be created or written
// whole, and nothing of it is left then.
[[nodiscard]] bool WriteUnpackedFile(const CPathName& path, const std::vector<u8>& bytes);
