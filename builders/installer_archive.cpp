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
bool Unpack(CInstallerArchiveReader& reader, const std::string& name, const std::vector<u8>& bytes,
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

u32 CInstallerArchiveItem::Finish(CInstallerArchiveWriter& writer, u32 fieldBytes) {
  size = fieldBytes;
  return writer.EndRecord(type, size);
}

u32 CInstallerArchiveItem::Write(CInstallerArchiveWriter& writer) {
  size = 0;
  writer.WriteSizeAndType(type, 0);
  return 0;
}

u32 CInstallerArchiveItem::Read(CInstallerArchiveReader&) { return 0; }

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
  CPathName source = path;
  source.RemoveTrailingSeparator();
  name = source.GetName(false);
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

u32 CInstallerArchiveWriter::Add(CInstallerArchiveItem* item, bool deleteItem) {
  if (!item) return 0;
  u32 written = item->Write(*this);
  if (deleteItem) delete item;
  return written;
}

bool CInstallerArchiveReader::Load() { return Run(Walk::all); }
bool CInstallerArchiveReader::LoadTexts() { return Run(Walk::texts); }
bool CInstallerArchiveReader::LoadWithoutFiles() { return Run(Walk::withoutFiles); }

bool CInstallerArchiveReader::Run(Walk walk) {
  if (!BeginWalk()) return false;
  bool ended = false;
  while (!ended && GetError() == kArchiveNoError) {
    u32 type = 0;
    u32 size = 0;
    if (!ReadRecordEnd(type, size)) break;
    const u64 fieldsEnd = GetPosition();
    const bool known = type == CInstallerArchiveItem::kScript || type == CInstallerArchiveItem::kFile ||
                       (type >= CInstallerArchiveItem::kReadMe && type <= CInstallerArchiveItem::kPicture);
    const bool text = type == CInstallerArchiveItem::kReadMe || type == CInstallerArchiveItem::kLicense ||
                      type == CInstallerArchiveItem::kSettings;
    if (!known || (walk == Walk::texts && !text)) {
      // The walk ends at the first byte of this record's fields.
      if (walk != Walk::all && size <= GetPosition()) StepBack(size);
      ended = true;
      continue;
    }
    if (type == CInstallerArchiveItem::kFile && walk == Walk::withoutFiles) {
      StepBack(size);
      continue;
    }
    switch (type) {
      case CInstallerArchiveItem::kScript: {
        auto item = std::make_unique<CInstallerScriptItem>();
        item->Read(*this);
        script_.reset(new Entry<CInstallerScriptItem>{fieldsEnd, std::move(item)});
        break;
      }
      case CInstallerArchiveItem::kFile: {
        auto item = std::make_unique<CInstallerFileItem>();
        item->Read(*this);
        files_.push_back({fieldsEnd, std::move(item)});
        break;
      }
      case CInstallerArchiveItem::kReadMe:
      case CInstallerArchiveItem::kLicense: {
        std::unique_ptr<CInstallerFileItem> item;
        if (type == CInstallerArchiveItem::kReadMe)
          item = std::make_unique<CInstallerReadMeItem>();
        else
          item = std::make_unique<CInstallerLicenseItem>();
        item->Read(*this);
        if (walk != Walk::texts) {
          auto& slot = type == CInstallerArchiveItem::kReadMe ? readMe_ : license_;
          slot.reset(new Entry<CInstallerFileItem>{fieldsEnd, std::move(item)});
        }
        break;
      }
      case CInstallerArchiveItem::kSettings: {
        CInstallerSettingsItem item;
        item.Read(*this);
        break;
      }
      case CInstallerArchiveItem::kPicture: {
        auto item = std::make_unique<CInstallerPictureItem>();
        item->Read(*this);
        picture_.reset(new Entry<CInstallerPictureItem>{fieldsEnd, std::move(item)});
        break;
      }
    }
    CheckRecordSize(fieldsEnd, size);
  }
  return FinishWalk();
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
