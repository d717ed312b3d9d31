#include "app/undo_stack.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "builders/data_list.h"
#include "foundation/folder_iterator.h"
#include "foundation/xml_reader.h"
#include "foundation/xml_writer.h"
#include "platform/toolbox.h"

namespace {

constexpr const char* kBeforePrefix = "_undo";
constexpr const char* kAfterPrefix = "_redo";

}  // namespace

CPathName MakeSnapshotPath(const char* prefix) {
  static u32 sequence = 0;
  char name[64];
  std::snprintf(name, sizeof(name), "%s%u_%u", prefix, unsigned(TickCount()), unsigned(++sequence));
  CPathName path(nullptr);
  if (!path.SetInWorkFolder(name, true)) return CPathName(nullptr);
  return path;
}

bool WriteDataListSnapshot(CDataList& list, const CPathName& path) {
  if (path.IsEmpty()) return false;
  CXmlWriteOptions options;
  options.fullDeclaration = 1;
  CXmlWriter writer;
  if (!writer.Open(path, options, true)) return false;
  // Each value as the list holds it, with the text its project file wrote
  // for it beside it: a step restores both.
  writer.SetWritesSnapshot(true);
  list.WriteXml(writer);
  return writer.Close();
}

bool ReadDataListSnapshot(CDataList& list, const CPathName& path) {
  CXmlDocument document;
  if (path.IsEmpty() || !document.Open(path)) return false;
  CXmlNode root;
  if (!document.GetRootNode(root) || root.GetNameString() != list.GetListName()) return true;
  return list.ReadXml(root, true);
}

void DeleteUndoFiles() {
  CPathName folder(nullptr);
  if (!folder.SetInWorkFolder("x", true)) return;
  folder.SetPath(folder.GetParentFolder(true).c_str());
  // Names are gathered first: deleting while the folder is read could skip items.
  std::vector<CPathName> snapshots;
  CPathName item(nullptr);
  bool isFolder = false;
  for (bool more = GetFirstFolderItem(folder, item, &isFolder, nullptr); more;
       more = GetNextFolderItem(item, &isFolder)) {
    const std::string name = item.GetLastComponent();
    if (!isFolder && (name.rfind(kBeforePrefix, 0) == 0 || name.rfind(kAfterPrefix, 0) == 0))
      snapshots.push_back(item);
  }
  EndFolderIteration();
  for (const CPathName& snapshot : snapshots) snapshot.Delete();
}

CUndoSnapshot::CUndoSnapshot(CDataList* list)
    : list_(list), before_(MakeSnapshotPath(kBeforePrefix)), after_(MakeSnapshotPath(kAfterPrefix)) {}

CUndoSnapshot::~CUndoSnapshot() {
  if (!before_.IsEmpty()) before_.Delete();
  if (!after_.IsEmpty()) after_.Delete();
}

bool CUndoSnapshot::SaveBefore() { return WriteDataListSnapshot(*list_, before_); }
bool CUndoSnapshot::SaveAfter() { return WriteDataListSnapshot(*list_, after_); }
// The snapshots are this run's own files, written whole; one that cannot be
// read (gone, or changed by someone else) leaves nothing to go back to.
void CUndoSnapshot::Undo() { static_cast<void>(ReadDataListSnapshot(*list_, before_)); }
void CUndoSnapshot::Redo() { static_cast<void>(ReadDataListSnapshot(*list_, after_)); }

void CUndoStack::Add(std::unique_ptr<CUndoCommand> entry) {
  if (!entry) return;
  // A new step after undos replaces the steps that were undone.
  if (index_ < int(entries_.size())) {
    entries_.erase(entries_.begin() + index_, entries_.end());
    if (saved_ > index_) saved_ = -1;
  }
  entries_.push_back(std::move(entry));
  while (int(entries_.size()) > limit_) {
    entries_.erase(entries_.begin());
    if (saved_ >= 0) --saved_;
  }
  index_ = int(entries_.size());
}

void CUndoStack::Undo() {
  if (!CanUndo()) return;
  --index_;
  entries_[size_t(index_)]->Undo();
}

void CUndoStack::Redo() {
  if (!CanRedo()) return;
  entries_[size_t(index_)]->Redo();
  ++index_;
}

void CUndoStack::Clear() {
  entries_.clear();
  index_ = 0;
  saved_ = 0;
}

void CUndoStack::MarkSaved() { saved_ = index_; }

void CUndoStack::MarkModified() { saved_ = -1; }
