#include "builders/installer_archive.h"

#include <zlib.h>

#include <algorithm>

#include "foundation/file_bytes.h"
#include "foundation/path_name.h"

namespace {

int lastCompressResult = Z_OK;

CPathName UnpackPath(const std::string& name) {
  CPathName path(nullptr);
  return path.SetInWorkFolder(name.c_str(), true) ? path : CPathName(nullptr);
}

// Unpacks the bytes under `name` in the work subfolder; false with the
// reader's error set when they cannot be written.
[[nodiscard]] bool Unpack(CInstallerArchiveReader& reader, const std::string& name, const std::vector<u8>& bytes,
            CPathName& path) {
  path = UnpackPath(name);
  if (path.IsEmpty() || !WriteUnpackedFile(path, bytes)) {
    reader.SetError(kArchiveCannotUnpack);
    return false;
  }
  reader.NoteUnpacked(path);
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------
// zlib buffers and line ends

bool CompressBuffer(const void* data, size_t size, std::vector<u8>& out) {
  out.clear();
  if (!data && size > 0) return false;
  static const u8 kNothing = 0;
  const Bytef* source = size > 0 ? static_cast<const Bytef*>(data) : &kNothing;
  if (size > 0xFFFFFFFFu) return false;
  // Room for the worst case, so that the one call succeeds: zlib's stream
  // does not depend on the room it is given, and the buffers the format
  // names (half the size, doubled at most twice) all fit in this one.
  const uLong capacity = compressBound(uLong(size));
  out.resize(capacity);
  uLongf length = capacity;
  lastCompressResult = compress(out.data(), &length, source, uLong(size));
  if (lastCompressResult == Z_OK) {
    out.resize(length);
    return true;
  }
  out.clear();
  return false;
}

int GetLastCompressResult() { return lastCompressResult; }

bool UncompressBuffer(const void* data, size_t size, std::vector<u8>& out, size_t limit) {
  out.clear();
  if (!data || size == 0 || size > 0xFFFFFFFFu || limit == 0) return false;
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) return false;
  stream.next_in = const_cast<Bytef*>(static_cast<const Bytef*>(data));
  stream.avail_in = uInt(size);
  size_t capacity = std::min(limit, std::max<size_t>(size * 8, 256));
  size_t produced = 0;
  int result = Z_OK;
  for (;;) {
    out.resize(capacity);
    stream.next_out = out.data() + produced;
    stream.avail_out = uInt(std::min<size_t>(capacity - produced, 0xFFFFFFFFu));
    result = inflate(&stream, Z_NO_FLUSH);
    produced = size_t(stream.next_out - out.data());
    if (result == Z_STREAM_END) break;
    if (result != Z_OK && result != Z_BUF_ERROR) break;
    if (stream.avail_out > 0) {
      // zlib stopped with room left: the input ended inside the stream.
      result = Z_DATA_ERROR;
      break;
    }
    if (capacity >= limit) {
      result = Z_MEM_ERROR;
      break;
    }
    capacity = capacity > limit / 2 ? limit : capacity * 2;
  }
  const bool whole = result == Z_STREAM_END && stream.avail_in == 0;
  inflateEnd(&stream);
  if (!whole) {
    out.clear();
    out.shrink_to_fit();
    return false;
  }
  out.resize(produced);
  return true;
}

void ConvertLineEndsToCrLf(std::vector<u8>& text) {
  std::vector<u8> converted;
  converted.reserve(text.size() * 2);
  for (size_t i = 0; i < text.size(); ++i) {
    u8 byte = text[i];
    if (byte == '\r' || byte == '\n') {
      converted.push_back('\r');
      converted.push_back('\n');
      if (byte == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      converted.push_back(byte);
    }
  }
  text.swap(converted);
}

// ---------------------------------------------------------------------------
// Items

u32 CInstallerScriptItem::Write(CInstallerArchiveWriter& writer) {
  if (!writer.ClaimName(name, path)) return 0;
  u32 blob = writer.WriteFileBlob(path);
  return blob ? Finish(writer, blob) : 0;
}

u32 CInstallerScriptItem::Read(CInstallerArchiveReader& reader) {
  std::vector<u8> bytes;
  if (!reader.ReadBlobBackward(bytes) || !Unpack(reader, name, bytes, path)) return 0;
  size = u32(bytes.size());
  return size;
}

void CInstallerFileItem::ConvertData(std::vector<u8>&) {}

u32 CInstallerFileItem::Write(CInstallerArchiveWriter& writer) {
  name = GetItemName(path);
  if (!IsValidArchiveName(name)) {
    writer.Fail(bdNamErr, path);
    return 0;
  }
  if (!writer.ClaimName(defaultName_ ? std::string(defaultName_) : name, path)) return 0;
  u32 blob = 0;
  if (compressed) {
    std::vector<u8> bytes;
    if (!ReadWholeFile(path, bytes)) {
      writer.Fail(path.Exists() ? OSErr(ioErr) : OSErr(fnfErr), path);
      return 0;
    }
    ConvertData(bytes);
    std::vector<u8> packed;
    if (!CompressBuffer(bytes.data(), bytes.size(), packed)) {
      writer.Fail(memFullErr, path);
      return 0;
    }
    blob = writer.WriteBlob(packed.data(), packed.size());
  } else {
    blob = writer.WriteFileBlob(path);
  }
  u32 flag = blob ? writer.WriteByte(compressed) : 0;
  u32 text = flag ? writer.WriteString(name.c_str()) : 0;
  return text ? Finish(writer, blob + flag + text) : 0;
}

u32 CInstallerFileItem::Read(CInstallerArchiveReader& reader) {
  u8 flag = 0;
  std::vector<u8> bytes;
  if (!reader.ReadNameBackward(name) || !reader.ReadByteBackward(flag) || !reader.ReadBlobBackward(bytes))
    return 0;
  SetDefaultName();
  compressed = flag ? 1 : 0;
  const u32 stored = u32(bytes.size());
  if (compressed) {
    std::vector<u8> inflated;
    if (!UncompressBuffer(bytes.data(), bytes.size(), inflated)) {
      reader.SetError(kArchiveDamaged);
      return 0;
    }
    bytes.swap(inflated);
  }
  if (!Unpack(reader, name, bytes, path)) return 0;
  return stored;
}

u32 CInstallerPictureItem::Write(CInstallerArchiveWriter& writer) {
  u32 blob = writer.WriteBlob(image.GetPixels(), image.GetByteSize());
  if (blob == 0) return 0;
  writer.WriteWord(image.GetBitsPerPixel());
  writer.WriteWord(image.GetHeight());
  writer.WriteWord(image.GetWidth());
  return writer.HasFailed() ? 0 : Finish(writer, blob + 12);
}

u32 CInstallerPictureItem::Read(CInstallerArchiveReader& reader) {
  u32 width = 0;
  u32 height = 0;
  u32 depth = 0;
  std::vector<u8> pixels;
  if (!reader.ReadWordBackward(width) || !reader.ReadWordBackward(height) || !reader.ReadWordBackward(depth) ||
      !reader.ReadBlobBackward(pixels))
    return 0;
  const bool wholeBytes = depth >= 8 && depth <= 32 && depth % 8 == 0;
  const size_t expected = wholeBytes ? BitmapBufferSize(width, height, depth / 8) : 0;
  if (expected == 0 || expected != pixels.size() ||
      !image.Create(width, height, u16(depth), pixels.data(), true)) {
    reader.SetError(kArchiveDamaged);
    return 0;
  }
  return u32(pixels.size());
}

// ---------------------------------------------------------------------------
// Writer and reader

namespace {

// The item a table row made, as the class the row made it of.
template <typename Item>
std::unique_ptr<CArchiveFileReader::Entry<Item>> EntryOf(u64 position, std::unique_ptr<CInstallerArchiveItem> item) {
  return std::make_unique<CArchiveFileReader::Entry<Item>>(
      CArchiveFileReader::Entry<Item>{position, std::unique_ptr<Item>(static_cast<Item*>(item.release()))});
}

template <typename Made>
std::unique_ptr<CInstallerArchiveItem> Make() {
  return MakeArchiveItem<CInstallerArchiveItem, Made>();
}

}  // namespace

// The last record of each single kind is kept.
void CInstallerArchiveReader::KeepScript(CInstallerArchiveReader& reader, u64 position,
                                         std::unique_ptr<CInstallerArchiveItem> item) {
  reader.script_ = EntryOf<CInstallerScriptItem>(position, std::move(item));
}

void CInstallerArchiveReader::KeepFile(CInstallerArchiveReader& reader, u64 position,
                                       std::unique_ptr<CInstallerArchiveItem> item) {
  reader.files_.push_back(std::move(*EntryOf<CInstallerFileItem>(position, std::move(item))));
}

void CInstallerArchiveReader::KeepReadMe(CInstallerArchiveReader& reader, u64 position,
                                         std::unique_ptr<CInstallerArchiveItem> item) {
  reader.readMe_ = EntryOf<CInstallerFileItem>(position, std::move(item));
}

void CInstallerArchiveReader::KeepLicense(CInstallerArchiveReader& reader, u64 position,
                                          std::unique_ptr<CInstallerArchiveItem> item) {
  reader.license_ = EntryOf<CInstallerFileItem>(position, std::move(item));
}

void CInstallerArchiveReader::KeepPicture(CInstallerArchiveReader& reader, u64 position,
                                          std::unique_ptr<CInstallerArchiveItem> item) {
  reader.picture_ = EntryOf<CInstallerPictureItem>(position, std::move(item));
}

bool CInstallerArchiveReader::Load() {
  // Every record down to an end marker or a type of no row; the settings
  // are unpacked, not kept.
  static const Kind kinds[] = {
      {CInstallerArchiveItem::kScript, Make<CInstallerScriptItem>, KeepScript, 0},
      {CInstallerArchiveItem::kFile, Make<CInstallerFileItem>, KeepFile, 0},
      {CInstallerArchiveItem::kReadMe, Make<CInstallerReadMeItem>, KeepReadMe, 0},
      {CInstallerArchiveItem::kLicense, Make<CInstallerLicenseItem>, KeepLicense, 0},
      {CInstallerArchiveItem::kSettings, Make<CInstallerSettingsItem>, nullptr, 0},
      {CInstallerArchiveItem::kPicture, Make<CInstallerPictureItem>, KeepPicture, 0},
  };
  return WalkRecords(kinds, false);
}

bool CInstallerArchiveReader::LoadTexts() {
  // The texts are unpacked, not kept; the walk ends at the first byte of
  // the first record of another kind.
  static const Kind kinds[] = {
      {CInstallerArchiveItem::kReadMe, Make<CInstallerReadMeItem>, nullptr, 0},
      {CInstallerArchiveItem::kLicense, Make<CInstallerLicenseItem>, nullptr, 0},
      {CInstallerArchiveItem::kSettings, Make<CInstallerSettingsItem>, nullptr, 0},
  };
  return WalkRecords(kinds, true);
}

bool CInstallerArchiveReader::LoadWithoutFiles() {
  // As Load, but file records are stepped over unread; the walk ends at the
  // first byte of the first record of no row.
  static const Kind kinds[] = {
      {CInstallerArchiveItem::kScript, Make<CInstallerScriptItem>, KeepScript, 0},
      {CInstallerArchiveItem::kFile, nullptr, nullptr, 0},
      {CInstallerArchiveItem::kReadMe, Make<CInstallerReadMeItem>, KeepReadMe, 0},
      {CInstallerArchiveItem::kLicense, Make<CInstallerLicenseItem>, KeepLicense, 0},
      {CInstallerArchiveItem::kSettings, Make<CInstallerSettingsItem>, nullptr, 0},
      {CInstallerArchiveItem::kPicture, Make<CInstallerPictureItem>, KeepPicture, 0},
  };
  return WalkRecords(kinds, true);
}

bool CInstallerArchiveReader::GetScriptPath(CPathName& path) const {
  if (!script_ || !script_->item->GetPath().Exists()) return false;
  path = script_->item->GetPath();
  return true;
}

void CInstallerArchiveReader::DeleteUnpackedFiles() {
  for (auto& entry : files_) entry.item->GetPath().Delete();
}

void CInstallerArchiveReader::Clear() {
  files_.clear();
  script_.reset();
  readMe_.reset();
  license_.reset();
  picture_.reset();
}
