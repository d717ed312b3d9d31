// The packed data archive of the savers and projectors: the settings
// document and the movie files appended to a player engine, which finds
// them at the end of its own file.
//
// Record types (layout in archive_file.h):
//   0  end marker: no fields; every archive begins with one, which is where
//      a backward walk stops
//   1  settings: blob of the whole settings file
//   5  named file: blob of the whole file, string with its name
//   7  buffer: blob of the memory buffer, string with its name, tag word
//   8  folder: an end-marker record, the folder's entries as nested
//      records (named files, and subfolders as nested folder records), and
//      a string with its name; the size word counts the entries (nested
//      records whole) and the name field, not the leading end marker
// Type 4 is a second kind of named file that nothing here writes; the
// reader stops at it, as at every type it does not know.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "builders/archive_file.h"
#include "foundation/path_name.h"

class CDataArchiveWriter;
class CDataArchiveReader;

// The base of this family's items (Write, Read and the size in
// archive_file.h); on its own the end marker.
class CDataArchiveItem : public CArchiveItem<CDataArchiveWriter, CDataArchiveReader> {
 public:
  enum : u32 { kEndMarker = 0, kSettings = 1, kNamedFile2 = 4, kNamedFile = 5, kBuffer = 7, kFolder = 8 };

  explicit CDataArchiveItem(u32 itemType = kEndMarker) : CArchiveItem(itemType) {}
};

class CDataArchiveSettingsItem : public CDataArchiveItem {
 public:
  CDataArchiveSettingsItem() : CDataArchiveItem(kSettings) {}
  void SetPath(const CPathName& source) { path = source; }
  const CPathName& GetPath() const { return path; }

  u32 Write(CDataArchiveWriter& writer) override;
  // Unpacks into "fp.dat" in the application's work subfolder.
  u32 Read(CDataArchiveReader& reader) override;

 private:
  CPathName path{nullptr};
};

class CDataArchiveNamedFileItem : public CDataArchiveItem {
 public:
  // Unpacks into the application's work subfolder unless told otherwise.
  CDataArchiveNamedFileItem();
  void SetPath(const CPathName& source) { path = source; }
  void SetBaseFolder(const CPathName& folder) { baseFolder = folder; }
  const CPathName& GetPath() const { return path; }
  const std::string& GetName() const { return name; }

  // The name is the source's name with its extension.
  u32 Write(CDataArchiveWriter& writer) override;
  // Unpacks into the base folder under the record's name.
  u32 Read(CDataArchiveReader& reader) override;

 private:
  CPathName path{nullptr};
  std::string name;
  CPathName baseFolder{nullptr};
};

class CDataArchiveBufferItem : public CDataArchiveItem {
 public:
  CDataArchiveBufferItem() : CDataArchiveItem(kBuffer) {}
  void SetTag(u32 value) { tag = value; }
  void SetData(std::vector<u8> bytes) { data = std::move(bytes); }
  void SetData(const void* bytes, size_t length);
  void SetName(const char* text) { name = text ? text : ""; }
  void SetPath(const CPathName& unpacked) { path = unpacked; }
  u32 GetTag() const { return tag; }
  const std::vector<u8>& GetData() const { return data; }
  const std::string& GetName() const { return name; }
  const CPathName& GetPath() const { return path; }
  // Whether the last Read wrote the file at the path (false when a file of
  // that name was there already and was left as it was).
  [[nodiscard]] bool WroteFile() const { return wroteFile; }

  u32 Write(CDataArchiveWriter& writer) override;
  // Keeps the bytes, and unpacks them into the work subfolder only when no
  // file of that name is there yet.
  u32 Read(CDataArchiveReader& reader) override;

 private:
  u32 tag = 0;
  std::vector<u8> data;
  CPathName path{nullptr};
  std::string name;
  bool wroteFile = false;
};

class CDataArchiveFolderItem : public CDataArchiveItem {
 public:
  CDataArchiveFolderItem() : CDataArchiveItem(kFolder) {}
  void SetPath(const CPathName& folder) { path = folder; }
  // The folder a reader unpacks this folder into (default: the work subfolder).
  void SetParentFolder(const CPathName& folder) { parentFolder = folder; }
  const CPathName& GetPath() const { return path; }

  // Writes the folder's tree; a source inside it that cannot be read, an
  // entry whose name has no Mac Roman form or that Windows cannot hold, or
  // two entries of one name, fail the archive.
  u32 Write(CDataArchiveWriter& writer) override;
  // Makes the folder in its parent folder and unpacks the entries into it.
  u32 Read(CDataArchiveReader& reader) override;

 private:
  u32 WriteEntries(CDataArchiveWriter& writer, const CPathName& folder, int depth);
  u32 ReadNested(CDataArchiveReader& reader, int depth);

  CPathName path{nullptr};
  CPathName parentFolder{nullptr};
  std::string name;
};

// Add(item, deleteItem) writes an item's record (archive_file.h).
class CDataArchiveWriter : public CArchiveItemWriter<CDataArchiveWriter, CDataArchiveItem> {};

class CDataArchiveReader : public CArchiveFileReader {
 public:
  // Walks the records from the trailer backwards and unpacks them, until an
  // end marker or a type it does not know. False with kArchiveNoTrailer when
  // the trailer is missing, kArchiveDamaged when a record does not hold
  // together (the files it unpacked are deleted again), kArchiveCannotUnpack
  // when an unpacked file cannot be written.
  [[nodiscard]] bool Load();
  // The unpacked settings file when a settings record was read.
  [[nodiscard]] bool GetSettingsPath(CPathName& path) const;
  const std::vector<Entry<CDataArchiveNamedFileItem>>& GetNamedFiles() const { return namedFiles_; }
  const std::vector<Entry<CDataArchiveBufferItem>>& GetBuffers() const { return buffers_; }
  // Deletes the files that the named-file and buffer records read have
  // written; a file that a buffer record found already there stays.
  void DeleteUnpackedFiles();
  void Clear() override;

 private:
  static void KeepSettings(CDataArchiveReader& reader, u64 position, std::unique_ptr<CDataArchiveItem> item);
  static void KeepNamedFile(CDataArchiveReader& reader, u64 position, std::unique_ptr<CDataArchiveItem> item);
  static void KeepBuffer(CDataArchiveReader& reader, u64 position, std::unique_ptr<CDataArchiveItem> item);

  std::vector<Entry<CDataArchiveNamedFileItem>> namedFiles_;
  std::vector<Entry<CDataArchiveBufferItem>> buffers_;
  std::unique_ptr<Entry<CDataArchiveSettingsItem>> settings_;
};

// The application's work subfolder, where records unpack by default.
CPathName ArchiveUnpackFolder();
