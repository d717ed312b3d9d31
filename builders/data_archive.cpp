#include "builders/data_archive.h"

#include <cstring>

#include "builders/output_files.h"
#include "foundation/file_bytes.h"
#include "foundation/file_layer.h"
#include "foundation/folder_iterator.h"
#include "platform/file_ops.h"
#include "platform/text_encoding.h"

namespace {

// `name` inside `folder`, or inside the application's work subfolder when
// no folder is given; empty when the name cannot be put there.
CPathName PathInFolder(const CPathName& folder, const std::string& name) {
  CPathName path(nullptr);
  bool placed = folder.IsEmpty() ? path.SetInWorkFolder(name.c_str(), true) : path.SetInFolder(name.c_str(), folder);
  return placed ? path : CPathName(nullptr);
}

// The record's name of a source: its name with extension, without the
// separator a folder path ends in.
std::string SourceName(const CPathName& source) { return GetItemName(source); }

}  // namespace

CPathName ArchiveUnpackFolder() {
  CPathName probe(nullptr);
  if (!probe.SetInWorkFolder("_", true)) return probe;
  return CPathName(probe.GetParentFolder(true));
}

// ---------------------------------------------------------------------------
// Items

u32 CDataArchiveSettingsItem::Write(CDataArchiveWriter& writer) {
  // The settings unpack as "fp.dat": no other record may take that name.
  if (!writer.ClaimName("fp.dat", path)) return 0;
  u32 blob = writer.WriteFileBlob(path);
  return blob ? Finish(writer, blob) : 0;
}

u32 CDataArchiveSettingsItem::Read(CDataArchiveReader& reader) {
  std::vector<u8> bytes;
  if (!reader.ReadBlobBackward(bytes)) return 0;
  path = PathInFolder(CPathName(nullptr), "fp.dat");
  if (path.IsEmpty() || !WriteUnpackedFile(path, bytes)) {
    reader.SetError(kArchiveCannotUnpack);
    return 0;
  }
  reader.NoteUnpacked(path);
  size = u32(bytes.size());
  return size;
}

CDataArchiveNamedFileItem::CDataArchiveNamedFileItem() : CDataArchiveItem(kNamedFile) {}

u32 CDataArchiveNamedFileItem::Write(CDataArchiveWriter& writer) {
  name = SourceName(path);
  if (!writer.ClaimName(name, path)) return 0;
  u32 blob = writer.WriteFileBlob(path);
  u32 text = blob ? writer.WriteString(name.c_str()) : 0;
  return text ? Finish(writer, blob + text) : 0;
}

u32 CDataArchiveNamedFileItem::Read(CDataArchiveReader& reader) {
  std::vector<u8> bytes;
  if (!reader.ReadNameBackward(name) || !reader.ReadBlobBackward(bytes)) return 0;
  path = PathInFolder(baseFolder, name);
  if (path.IsEmpty() || !WriteUnpackedFile(path, bytes)) {
    reader.SetError(kArchiveCannotUnpack);
    return 0;
  }
  reader.NoteUnpacked(path);
  return u32(bytes.size());
}

void CDataArchiveBufferItem::SetData(const void* bytes, size_t length) {
  const u8* begin = static_cast<const u8*>(bytes);
  data.assign(begin, begin + (bytes ? length : 0));
}

u32 CDataArchiveBufferItem::Write(CDataArchiveWriter& writer) {
  if (!writer.ClaimName(name, path)) return 0;
  u32 blob = writer.WriteBlob(data.data(), data.size());
  u32 text = blob ? writer.WriteString(name.c_str()) : 0;
  u32 word = text ? writer.WriteWord(tag) : 0;
  return word ? Finish(writer, blob + text + word) : 0;
}

u32 CDataArchiveBufferItem::Read(CDataArchiveReader& reader) {
  wroteFile = false;
  if (!reader.ReadWordBackward(tag) || !reader.ReadNameBackward(name) || !reader.ReadBlobBackward(data)) return 0;
  path = PathInFolder(CPathName(nullptr), name);
  if (path.IsEmpty()) {
    reader.SetError(kArchiveCannotUnpack);
    return 0;
  }
  // A file already there is left as it is; the bytes are stepped over all
  // the same, so the records before this one are still read.
  if (plat::GetItemKind(plat::ToHostPath(path.GetAbsolutePath(0))) == plat::ItemKind::missing) {
    if (!WriteUnpackedFile(path, data)) {
      reader.SetError(kArchiveCannotUnpack);
      return 0;
    }
    wroteFile = true;
    reader.NoteUnpacked(path);
  }
  return u32(data.size());
}

u32 CDataArchiveFolderItem::Write(CDataArchiveWriter& writer) {
  name = SourceName(path);
  if (!writer.ClaimName(name, path)) return 0;
  return WriteEntries(writer, path, 0);
}

u32 CDataArchiveFolderItem::WriteEntries(CDataArchiveWriter& writer, const CPathName& folder, int depth) {
  if (depth > kMaxArchiveFolderDepth) {
    writer.Fail(bdNamErr, folder);
    return 0;
  }
  if (!folder.IsFolder()) {
    writer.Fail(folder.Exists() ? OSErr(dirNFErr) : OSErr(fnfErr), folder);
    return 0;
  }
  // The folder iteration is one for the whole process: list first, then
  // write (which lists the subfolders in turn). A link goes in as what it
  // leads to, under its own name: a file's bytes, a folder's entries.
  std::vector<CPathName> subfolders;
  std::vector<CPathName> files;
  CPathName item(nullptr);
  bool isFolder = false;
  for (bool more = GetFirstFolderItem(FollowLinks(folder), item, &isFolder, "*"); more;
       more = GetNextFolderItem(item, &isFolder)) {
    std::string entry = SourceName(item);
    if (entry == "." || entry == "..") continue;
    (isFolder || item.IsFolder() ? subfolders : files).push_back(item);
  }
  // An item that no path can name would be left out of the record.
  CPathName passedOver(nullptr);
  const bool holdsAll = !GetPassedOverFolderItem(passedOver);
  EndFolderIteration();
  if (!holdsAll) {
    writer.Fail(bdNamErr, passedOver);
    return 0;
  }

  if (writer.WriteSizeAndType(kEndMarker, 0) == 0) return 0;
  writer.EnterFolderScope();
  u64 entries = 0;
  for (const CPathName& subfolder : subfolders) {
    CDataArchiveFolderItem nested;
    nested.path = subfolder;
    nested.name = SourceName(subfolder);
    if (!writer.ClaimName(nested.name, subfolder)) break;
    u32 written = nested.WriteEntries(writer, subfolder, depth + 1);
    if (written == 0) break;
    entries += written;
  }
  for (const CPathName& file : files) {
    if (writer.HasFailed()) break;
    CDataArchiveNamedFileItem record;
    record.SetPath(file);
    entries += record.Write(writer);
  }
  writer.LeaveFolderScope();
  if (writer.HasFailed()) return 0;
  // The size word counts the entries and the name, and the record's whole
  // length (returned) the words around them: a folder holding more than
  // they can count is refused rather than written with a size that wraps.
  if (entries > 0xFFFFFFFFu - 16 - 4 - kMaxArchiveNameLength) {
    writer.Fail(memFullErr, folder);
    return 0;
  }
  u32 text = writer.WriteString(name.c_str());
  if (text == 0 || !Finish(writer, u32(entries) + text)) return 0;
  // Every byte of the record, the leading end marker with it.
  return size + 16;
}

u32 CDataArchiveFolderItem::Read(CDataArchiveReader& reader) { return ReadNested(reader, 0); }

u32 CDataArchiveFolderItem::ReadNested(CDataArchiveReader& reader, int depth) {
  if (depth > kMaxArchiveFolderDepth) {
    reader.SetError(kArchiveDamaged);
    return 0;
  }
  if (!reader.ReadNameBackward(name)) return 0;
  path = PathInFolder(parentFolder, name);
  const std::string host = plat::ToHostPath(path.GetAbsolutePath(0));
  const bool existed = plat::GetItemKind(host) != plat::ItemKind::missing;
  // Only a real folder takes the entries: never a link to one elsewhere.
  if (path.IsEmpty() || !CreateFolderInParent(path, nullptr) || plat::GetItemKind(host) != plat::ItemKind::folder) {
    reader.SetError(kArchiveCannotUnpack);
    return 0;
  }
  path.AddTrailingSlash();
  if (!existed) reader.NoteUnpacked(path);
  u32 payload = 0;
  for (;;) {
    u32 entryType = 0;
    u32 entrySize = 0;
    if (!reader.ReadRecordEnd(entryType, entrySize)) return 0;
    const u64 fieldsEnd = reader.GetPosition();
    u64 expected = entrySize;
    if (entryType == kEndMarker) {
      if (entrySize != 0) break;
      return payload;
    }
    if (entryType == kNamedFile) {
      CDataArchiveNamedFileItem file;
      file.SetBaseFolder(path);
      payload += file.Read(reader);
    } else if (entryType == kFolder) {
      CDataArchiveFolderItem nested;
      nested.SetParentFolder(path);
      payload += nested.ReadNested(reader, depth + 1);
      expected += 8;  // the nested folder's leading end marker
    } else {
      break;
    }
    reader.CheckRecordSize(fieldsEnd, expected);
    if (reader.GetError() != kArchiveNoError) return 0;
  }
  reader.SetError(kArchiveDamaged);
  return 0;
}

// ---------------------------------------------------------------------------
// Writer and reader

namespace {

// The item a table row made, as the class the row made it of.
template <typename Item>
std::unique_ptr<Item> As(std::unique_ptr<CDataArchiveItem> item) {
  return std::unique_ptr<Item>(static_cast<Item*>(item.release()));
}

}  // namespace

void CDataArchiveReader::KeepSettings(CDataArchiveReader& reader, u64 position,
                                      std::unique_ptr<CDataArchiveItem> item) {
  // A later settings record replaces the one kept.
  reader.settings_ = std::make_unique<Entry<CDataArchiveSettingsItem>>(
      Entry<CDataArchiveSettingsItem>{position, As<CDataArchiveSettingsItem>(std::move(item))});
}

void CDataArchiveReader::KeepNamedFile(CDataArchiveReader& reader, u64 position,
                                       std::unique_ptr<CDataArchiveItem> item) {
  reader.namedFiles_.push_back({position, As<CDataArchiveNamedFileItem>(std::move(item))});
}

void CDataArchiveReader::KeepBuffer(CDataArchiveReader& reader, u64 position, std::unique_ptr<CDataArchiveItem> item) {
  reader.buffers_.push_back({position, As<CDataArchiveBufferItem>(std::move(item))});
}

bool CDataArchiveReader::Load() {
  using Kind = RecordKind<CDataArchiveReader, CDataArchiveItem>;
  // Every other type (the end marker, the second kind of named file) ends
  // the walk. A folder record's leading end marker is not in its size word.
  static const Kind kinds[] = {
      {CDataArchiveItem::kSettings, MakeArchiveItem<CDataArchiveItem, CDataArchiveSettingsItem>, KeepSettings, 0},
      {CDataArchiveItem::kNamedFile, MakeArchiveItem<CDataArchiveItem, CDataArchiveNamedFileItem>, KeepNamedFile, 0},
      {CDataArchiveItem::kBuffer, MakeArchiveItem<CDataArchiveItem, CDataArchiveBufferItem>, KeepBuffer, 0},
      {CDataArchiveItem::kFolder, MakeArchiveItem<CDataArchiveItem, CDataArchiveFolderItem>, nullptr, 8},
  };
  return WalkRecords(kinds, false);
}

bool CDataArchiveReader::GetSettingsPath(CPathName& path) const {
  if (!settings_ || !settings_->item->GetPath().Exists()) return false;
  path = settings_->item->GetPath();
  return true;
}

void CDataArchiveReader::DeleteUnpackedFiles() {
  for (auto& entry : namedFiles_) entry.item->GetPath().Delete();
  // A file that was there before the reader is not the reader's to delete.
  for (auto& entry : buffers_)
    if (entry.item->WroteFile()) entry.item->GetPath().Delete();
}

void CDataArchiveReader::Clear() {
  namedFiles_.clear();
  buffers_.clear();
  settings_.reset();
}
