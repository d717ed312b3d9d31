// The installer data archive behind the single-file installer, the zlib
// buffers of the installers' data, and the line ends of their texts.
//
// Record types (layout in archive_file.h):
//   0  end marker
//   1  script: blob of the whole "installer.dat"
//   2  file: blob of the bytes (zlib-compressed when the flag is set), byte
//      with the flag (1 or 0), string with the file's name
//   4  ReadMe, 5 licence: as type 2, the bytes the text with CR LF line
//      ends; they unpack as "ReadMe.txt" and "License.txt" whatever their name
//   6  settings: blob of the whole "icd0.dat"
//   7  picture: blob of the pixels, then words bits per pixel, height, width
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "builders/archive_file.h"
#include "foundation/bitmap_image.h"
#include "foundation/path_name.h"

// Inflated data is never larger than this, whatever the data claims.
constexpr size_t kMaxUncompressedBytes = size_t(1) << 30;

// zlib's compress() at the default level into `out`, in one call into room
// for the worst case (compressBound): the stream a buffer of size / 2 + 12
// bytes, doubled when too small at most twice, would hold, which always
// fits in that. False, `out` empty, when zlib fails.
[[nodiscard]] bool CompressBuffer(const void* data, size_t size, std::vector<u8>& out);
// The result zlib gave the last CompressBuffer.
int GetLastCompressResult();
// Inflates one whole zlib stream into `out`, growing the buffer as the data
// comes (it starts at eight times the input). False, `out` empty, for data
// that is not one whole stream, or that would inflate past `limit` bytes.
[[nodiscard]] bool UncompressBuffer(const void* data, size_t size, std::vector<u8>& out,
                      size_t limit = kMaxUncompressedBytes);
// CR LF, a lone CR and a lone LF each become CR LF; other bytes stay.
void ConvertLineEndsToCrLf(std::vector<u8>& text);

class CInstallerArchiveWriter;
class CInstallerArchiveReader;

// The base of this family's items (Write, Read and the size in
// archive_file.h); on its own the end marker.
class CInstallerArchiveItem : public CArchiveItem<CInstallerArchiveWriter, CInstallerArchiveReader> {
 public:
  enum : u32 { kEndMarker = 0, kScript = 1, kFile = 2, kReadMe = 4, kLicense = 5, kSettings = 6, kPicture = 7 };

  explicit CInstallerArchiveItem(u32 itemType = kEndMarker) : CArchiveItem(itemType) {}
};

// The install script: unpacks as "installer.dat" in the work subfolder.
class CInstallerScriptItem : public CInstallerArchiveItem {
 public:
  CInstallerScriptItem() : CInstallerScriptItem(kScript, "installer.dat") {}
  void SetPath(const CPathName& source) { path = source; }
  const CPathName& GetPath() const { return path; }
  const std::string& GetName() const { return name; }

  u32 Write(CInstallerArchiveWriter& writer) override;
  u32 Read(CInstallerArchiveReader& reader) override;

 protected:
  CInstallerScriptItem(u32 itemType, const char* fixedName) : CInstallerArchiveItem(itemType), name(fixedName) {}

 private:
  std::string name;
  CPathName path{nullptr};
};

// The installer settings file: unpacks as "icd0.dat".
class CInstallerSettingsItem : public CInstallerScriptItem {
 public:
  CInstallerSettingsItem() : CInstallerScriptItem(kSettings, "icd0.dat") {}
};

class CInstallerFileItem : public CInstallerArchiveItem {
 public:
  CInstallerFileItem() : CInstallerArchiveItem(kFile) {}
  void SetPath(const CPathName& source) { path = source; }
  void SetCompressed(bool on) { compressed = on ? 1 : 0; }
  const CPathName& GetPath() const { return path; }
  const std::string& GetName() const { return name; }
  [[nodiscard]] bool IsCompressed() const { return compressed != 0; }

  // Stores the source's bytes under its name; a source that cannot be read
  // or compressed fails the archive.
  u32 Write(CInstallerArchiveWriter& writer) override;
  // Unpacks into the work subfolder, inflated when the record is compressed.
  u32 Read(CInstallerArchiveReader& reader) override;

 protected:
  CInstallerFileItem(u32 itemType, const char* defaultName)
      : CInstallerArchiveItem(itemType), defaultName_(defaultName) {}
  // The bytes to store, as read from the source (the file record keeps them).
  virtual void ConvertData(std::vector<u8>& data);
  // The ReadMe and licence records unpack under their own names, whatever
  // name they were stored with.
  void SetDefaultName() {
    if (defaultName_) name = defaultName_;
  }

  u8 compressed = 1;
  CPathName path{nullptr};
  std::string name;

 private:
  const char* defaultName_ = nullptr;
};

class CInstallerReadMeItem : public CInstallerFileItem {
 public:
  CInstallerReadMeItem() : CInstallerFileItem(kReadMe, "ReadMe.txt") {}

 protected:
  void ConvertData(std::vector<u8>& data) override { ConvertLineEndsToCrLf(data); }
};

class CInstallerLicenseItem : public CInstallerFileItem {
 public:
  CInstallerLicenseItem() : CInstallerFileItem(kLicense, "License.txt") {}

 protected:
  void ConvertData(std::vector<u8>& data) override { ConvertLineEndsToCrLf(data); }
};

class CInstallerPictureItem : public CInstallerArchiveItem {
 public:
  CInstallerPictureItem() : CInstallerArchiveItem(kPicture) {}
  [[nodiscard]] bool SetImage(const CBitmapImage& bitmap) { return image.CopyFrom(bitmap); }
  const CBitmapImage& GetImage() const { return image; }

  u32 Write(CInstallerArchiveWriter& writer) override;
  // A picture whose pixels do not match its width, height and depth is damage.
  u32 Read(CInstallerArchiveReader& reader) override;

 private:
  CBitmapImage image;
};

// Add(item, deleteItem) writes an item's record (archive_file.h).
class CInstallerArchiveWriter : public CArchiveItemWriter<CInstallerArchiveWriter, CInstallerArchiveItem> {};

class CInstallerArchiveReader : public CArchiveFileReader {
 public:
  // Every record down to an end marker (or a type it does not know): the
  // script, ReadMe, licence and picture are kept (the last of each), the
  // files listed, the settings unpacked.
  [[nodiscard]] bool Load();
  // Only the ReadMe, licence and settings records, from the end down to the
  // first record of another type.
  [[nodiscard]] bool LoadTexts();
  // Everything but the files, whose records are stepped over unread.
  [[nodiscard]] bool LoadWithoutFiles();

  [[nodiscard]] bool GetScriptPath(CPathName& path) const;
  const std::vector<Entry<CInstallerFileItem>>& GetFiles() const { return files_; }
  const CInstallerFileItem* GetReadMe() const { return readMe_ ? readMe_->item.get() : nullptr; }
  const CInstallerFileItem* GetLicense() const { return license_ ? license_->item.get() : nullptr; }
  const CInstallerPictureItem* GetPicture() const { return picture_ ? picture_->item.get() : nullptr; }
  // Deletes the files of the file records read.
  void DeleteUnpackedFiles();
  void Clear() override;

 private:
  using Kind = RecordKind<CInstallerArchiveReader, CInstallerArchiveItem>;
  static void KeepScript(CInstallerArchiveReader& reader, u64 position, std::unique_ptr<CInstallerArchiveItem> item);
  static void KeepFile(CInstallerArchiveReader& reader, u64 position, std::unique_ptr<CInstallerArchiveItem> item);
  static void KeepReadMe(CInstallerArchiveReader& reader, u64 position, std::unique_ptr<CInstallerArchiveItem> item);
  static void KeepLicense(CInstallerArchiveReader& reader, u64 position, std::unique_ptr<CInstallerArchiveItem> item);
  static void KeepPicture(CInstallerArchiveReader& reader, u64 position, std::unique_ptr<CInstallerArchiveItem> item);

  std::vector<Entry<CInstallerFileItem>> files_;
  std::unique_ptr<Entry<CInstallerScriptItem>> script_;
  std::unique_ptr<Entry<CInstallerFileItem>> readMe_;
  std::unique_ptr<Entry<CInstallerFileItem>> license_;
  std::unique_ptr<Entry<CInstallerPictureItem>> picture_;
};
