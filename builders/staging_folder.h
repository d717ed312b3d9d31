// Building outputs aside and putting them in place only once complete, so
// that a build that fails never loses what an earlier build left.
//
// CStagingFolder: a fresh folder of one build step in the application's
// subfolder of the work folder, deleted with its contents when the object
// goes. CPendingFile: a single-file output written under a hidden temporary
// name in its output folder and renamed over the output once complete; it
// is deleted when it is never committed. PlaceBuiltItem copies a finished
// bundle into its output folder, replacing the old output only after the
// copy succeeded.
#pragma once

#include <cstddef>
#include <string>

#include "foundation/path_name.h"
#include "platform/mac_types.h"

class CStagingFolder {
 public:
  CStagingFolder() = default;
  // What cannot be removed stays in the work folder: a destructor has nobody to tell.
  ~CStagingFolder() { static_cast<void>(Remove()); }
  CStagingFolder(const CStagingFolder&) = delete;
  CStagingFolder& operator=(const CStagingFolder&) = delete;

  // Makes a new empty folder "_build<n>" in the work subfolder (which is
  // made when missing). False when no such folder can be made.
  [[nodiscard]] bool Create();
  // Deletes the folder with its contents; true when none is left.
  [[nodiscard]] bool Remove();

  // The folder (ends in "/"); empty before Create.
  const CPathName& GetFolder() const { return folder; }
  // `name` inside the folder; false when the name is not one item's name.
  [[nodiscard]] bool GetItem(const char* name, CPathName& item) const;

 private:
  CPathName folder{nullptr};
};

class CPendingFile {
 public:
  CPendingFile() = default;
  ~CPendingFile() { Discard(); }
  CPendingFile(const CPendingFile&) = delete;
  CPendingFile& operator=(const CPendingFile&) = delete;

  // Creates an empty hidden file (type and creator '????') in the folder of
  // `output`. False when the folder is missing or no file can be made there.
  [[nodiscard]] bool Begin(const CPathName& output);
  // Renames the file over the output. A folder at the output is never
  // replaced (fBsyErr); an existing file or link is, and comes back when
  // the rename fails. False, the file kept for Discard, on failure.
  [[nodiscard]] bool Commit(OSErr* error = nullptr);
  // Deletes the file unless it was committed.
  void Discard();

  const CPathName& GetPath() const { return path; }
  const CPathName& GetOutput() const { return output; }

 private:
  CPathName path{nullptr};
  CPathName output{nullptr};
  bool pending = false;
};

// Copies `built` (a finished bundle) into the folder of `output` under the
// output's name. An existing output is set aside during the copy, deleted
// after a good copy and kept after a failed one. False with the copy's
// result in `error`.
[[nodiscard]] bool PlaceBuiltItem(const CPathName& built, const CPathName& output, OSErr* error = nullptr);

// Writes the bytes over the contents of the file at `path` (made when
// missing), which keeps its permissions and Finder information; false when
// it cannot be opened or written whole.
[[nodiscard]] bool OverwriteFileContents(const CPathName& path, const void* data, size_t length);

// `name` inside `folder`; empty when it is not one item's name.
CPathName ChildPath(const CPathName& folder, const char* name);
// A folder `name` made inside `folder` (its path ends in "/"); empty when it
// cannot be made.
CPathName MakeSubFolder(const CPathName& folder, const char* name);

// The output's name: its last component without a trailing separator.
std::string OutputItemName(const CPathName& output);
// The folder that holds the output; false when it is not an existing folder.
[[nodiscard]] bool GetOutputFolder(const CPathName& output, CPathName& folder);
