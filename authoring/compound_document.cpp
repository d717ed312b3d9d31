#include "authoring/compound_document.h"

#include <memory>

#include "authoring/compound_sectors.h"
#include "foundation/file_operations.h"
#include "foundation/path_name.h"

namespace {

template <class T>
[[nodiscard]] T* AddToPool(CObjectList& pool, std::unique_ptr<T> object) {
  T* raw = object.get();
  return pool.Add(object.release()) ? raw : nullptr;
}

const std::vector<u8>& ZeroSector() {
  static const std::vector<u8> zeros(cfb::kSectorSize, 0);
  return zeros;
}

}  // namespace

CCompoundDocument::CCompoundDocument() { root_ = MakeRoot(); }

CCompoundStorage* CCompoundDocument::MakeRoot() {
  CCompoundStorage* root = AddToPool(
      pool_, std::make_unique<CCompoundStorage>(CCompoundEntryKey(), ECompoundEntryType::kRoot, u"Root Entry", nullptr,
                                                this));
  entries_.push_back(root);
  return root;
}

void CCompoundDocument::Close() {
  entries_.clear();
  streams_.clear();
  root_ = nullptr;
  pool_.DeleteAll();
  root_ = MakeRoot();
}

bool CCompoundDocument::AcceptChild(CCompoundStorage*& parent, const char* name, std::u16string& unicodeName) const {
  if (!parent) parent = root_;
  if (parent->GetOwner() != this) return false;
  if (!MakeEntryName(name, unicodeName)) return false;
  return parent->FindChild(unicodeName) == nullptr;
}

CCompoundStorage* CCompoundDocument::CreateStorage(CCompoundStorage* parent, const char* name) {
  std::u16string unicodeName;
  if (!AcceptChild(parent, name, unicodeName)) return nullptr;
  CCompoundStorage* storage =
      AddToPool(pool_, std::make_unique<CCompoundStorage>(CCompoundEntryKey(), ECompoundEntryType::kStorage,
                                                          std::move(unicodeName), parent, this));
  parent->AddChild(storage);
  entries_.push_back(storage);
  return storage;
}

CCompoundStream* CCompoundDocument::CreateStream(CCompoundStorage* parent, const char* name) {
  std::u16string unicodeName;
  if (!AcceptChild(parent, name, unicodeName)) return nullptr;
  CCompoundStream* stream =
      AddToPool(pool_, std::make_unique<CCompoundStream>(CCompoundEntryKey(), std::move(unicodeName), parent, this));
  parent->AddChild(stream);
  entries_.push_back(stream);
  streams_.push_back(stream);
  return stream;
}

void CCompoundDocument::PrepareDirectory() {
  for (size_t i = 0; i < entries_.size(); ++i) {
    CCompoundEntry* entry = entries_[i];
    entry->index = u32(i);
    entry->leftSibling = entry->rightSibling = entry->child = cfb::kNoEntry;
    entry->color = 1;
    // A storage has neither; the streams and the root get theirs from the
    // sector plan.
    entry->startSector = 0;
    entry->size = 0;
  }
  for (CCompoundEntry* entry : entries_)
    if (entry->GetType() != ECompoundEntryType::kStream) static_cast<CCompoundStorage*>(entry)->LinkChildren();
}

bool CCompoundDocument::WriteTo(COutputStream& out) {
  std::vector<u64> sizes;
  sizes.reserve(streams_.size());
  for (const CCompoundStream* stream : streams_) sizes.push_back(stream->GetSize());
  cfb::CSectorPlan plan;
  if (!cfb::PlanSectors(sizes, entries_.size(), plan)) return false;

  PrepareDirectory();
  for (size_t i = 0; i < streams_.size(); ++i) {
    streams_[i]->startSector = plan.streamStarts[i];
    streams_[i]->size = sizes[i];
  }
  root_->startSector = plan.miniStreamStart;
  root_->size = plan.GetMiniStreamSize();

  out.WriteVector(cfb::BuildHeader(plan));
  // The large streams, each padded with zeros to whole sectors.
  for (const CCompoundStream* stream : streams_) {
    if (cfb::IsSmallStream(stream->GetSize())) continue;
    out.WriteVector(stream->GetBytes());
    const size_t rest = size_t(stream->GetSize() % cfb::kSectorSize);
    if (rest > 0) out.WriteRange(ZeroSector(), 0, cfb::kSectorSize - rest);
  }
  // The directory, the last sector filled with unused entries.
  std::vector<u8> directory(size_t(plan.directorySectors) * cfb::kSectorSize);
  for (size_t i = 0; i < size_t(plan.directorySectors) * cfb::kEntriesPerSector; ++i)
    BuildDirectoryEntry(i < entries_.size() ? entries_[i] : nullptr, directory, i * cfb::kEntrySize);
  out.WriteVector(directory);
  // The mini stream: each small stream padded with zeros to whole mini
  // sectors, then empty mini sectors up to a whole sector.
  u64 miniBytes = 0;
  for (const CCompoundStream* stream : streams_) {
    const u64 size = stream->GetSize();
    if (!cfb::IsSmallStream(size) || size == 0) continue;
    out.WriteVector(stream->GetBytes());
    const size_t rest = size_t(size % cfb::kMiniSectorSize);
    if (rest > 0) out.WriteRange(ZeroSector(), 0, cfb::kMiniSectorSize - rest);
    miniBytes += (size + cfb::kMiniSectorSize - 1) / cfb::kMiniSectorSize * cfb::kMiniSectorSize;
  }
  if (plan.GetMiniStreamSize() > miniBytes) out.WriteRange(ZeroSector(), 0, size_t(plan.GetMiniStreamSize() - miniBytes));
  out.WriteVector(cfb::BuildTableSectors(plan.miniFat.GetEntries(), plan.miniFatSectors));
  out.WriteVector(cfb::BuildTableSectors(plan.fat.GetEntries(), plan.fatSectors));
  out.WriteVector(cfb::BuildDifatSectors(plan));
  out.Flush();
  return !out.Failed();
}

bool CCompoundDocument::Commit(const CPathName& path) {
  CFileReplacement file;
  if (!file.Begin(path)) return false;
  bool written = false;
  {
    CFileOutputStream out(file.GetTemporary());
    written = !out.Failed() && WriteTo(out);
    out.Close();
    written = written && !out.Failed();
  }
  return written && file.Commit();
}
