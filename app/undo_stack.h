// Undo and redo of project edits by snapshots.
//
// Every edit made through a page is one step: the whole data list written
// as XML before the change and after it, two files in the application's
// work folder. Undo reads the "before" file back, redo the "after" file.
// The stack keeps at most `limit` steps and knows at which step the project
// matches its file on disk.
#pragma once

#include <memory>
#include <vector>

#include "foundation/path_name.h"
#include "platform/mac_types.h"

class CDataList;

// One undoable step.
class CUndoCommand {
 public:
  virtual ~CUndoCommand() = default;
  virtual void Redo() = 0;
  virtual void Undo() = 0;
};

// A step as two snapshot files of the data list, "_undo..." and "_redo..."
// in the work folder; the files go with the object.
class CUndoSnapshot : public CUndoCommand {
 public:
  explicit CUndoSnapshot(CDataList* list);
  ~CUndoSnapshot() override;
  CUndoSnapshot(const CUndoSnapshot&) = delete;
  CUndoSnapshot& operator=(const CUndoSnapshot&) = delete;

  // Write the list as it is now; false when the file could not be written
  // whole.
  [[nodiscard]] bool SaveBefore();
  [[nodiscard]] bool SaveAfter();
  // Read the list back from the file; nothing happens when it cannot be read.
  void Undo() override;
  void Redo() override;

  const CPathName& GetBeforePath() const { return before_; }
  const CPathName& GetAfterPath() const { return after_; }

 private:
  CDataList* list_;
  CPathName before_;
  CPathName after_;
};

// The snapshot file names: the prefix, the tick count and a sequence number
// of the run, so that two snapshots made in the same tick never share a file.
CPathName MakeSnapshotPath(const char* prefix);
// Writes the list element alone into a file, replacing it, as a snapshot
// (CXmlWriter::SetWritesSnapshot); false when the file cannot be created or
// written whole.
[[nodiscard]] bool WriteDataListSnapshot(CDataList& list, const CPathName& path);
// Reads each top-level "flash_saver_datalist" element of the file into the
// list; false when the file does not parse or the list refuses the element.
[[nodiscard]] bool ReadDataListSnapshot(CDataList& list, const CPathName& path);
// Deletes every file of the work folder whose name starts with "_undo" or
// "_redo".
void DeleteUndoFiles();

class CUndoStack {
 public:
  static constexpr int kDefaultLimit = 5;

  CUndoStack() = default;
  CUndoStack(const CUndoStack&) = delete;
  CUndoStack& operator=(const CUndoStack&) = delete;

  [[nodiscard]] bool CanUndo() const { return index_ >= 1; }
  [[nodiscard]] bool CanRedo() const { return index_ >= 0 && index_ < int(entries_.size()); }

  // Adds a step after the current one: the steps that were undone are
  // dropped, the oldest steps beyond the limit deleted.
  void Add(std::unique_ptr<CUndoCommand> entry);
  void Undo();
  void Redo();
  // Deletes every step; the project counts as matching its file.
  void Clear();

  // The project now matches its file (after a save or an open).
  void MarkSaved();
  // The project changed without a step that could lead back to the saved
  // state (a snapshot that could not be written).
  void MarkModified();
  // Whether the project matches its file: true at the step that was saved,
  // false after any step away from it.
  [[nodiscard]] bool IsSaved() const { return saved_ >= 0 && saved_ == index_; }

  int GetCount() const { return int(entries_.size()); }
  int GetIndex() const { return index_; }
  int GetLimit() const { return limit_; }
  void SetLimit(int limit) { limit_ = limit < 1 ? 1 : limit; }

 private:
  std::vector<std::unique_ptr<CUndoCommand>> entries_;
  int limit_ = kDefaultLimit;
  int index_ = 0;
  // The step at which the project matched its file; -1 when no step does.
  int saved_ = 0;
};
