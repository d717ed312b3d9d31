// A compound document: a tree of storages and streams written as one
// compound file (version 3 of the published format).
//
// The document owns every entry it makes in its pool; the pointers it hands
// out stay valid until Close() or the document's end. Streams are written in
// memory through their output stream; Commit() lays out and writes the whole
// file.
#pragma once

#include <vector>

#include "authoring/byte_streams.h"
#include "authoring/compound_entries.h"
#include "authoring/root_object.h"

class CPathName;

class CCompoundDocument {
 public:
  CCompoundDocument();
  ~CCompoundDocument() = default;
  CCompoundDocument(const CCompoundDocument&) = delete;
  CCompoundDocument& operator=(const CCompoundDocument&) = delete;

  // The root storage ("Root Entry").
  CCompoundStorage* GetRoot() const { return root_; }

  // A new storage or stream named `name` (Mac Roman) in `parent`, the root
  // when null. Null when the name is refused (see compound_entries.h), is
  // taken in that storage already, or the parent is not this document's.
  [[nodiscard]] CCompoundStorage* CreateStorage(CCompoundStorage* parent, const char* name);
  [[nodiscard]] CCompoundStream* CreateStream(CCompoundStorage* parent, const char* name);

  // Writes the compound file to a temporary file beside `path` and renames it
  // over `path` once complete (CFileReplacement: a link at `path` writes the
  // file it leads to, which keeps its mode). False when the file cannot be
  // laid out (a stream of 4 GiB or more), created, written or renamed: the
  // temporary file is removed then and an existing file at `path` is left as
  // it was.
  [[nodiscard]] bool Commit(const CPathName& path);
  // Writes the compound file to a stream; false when it cannot be laid out
  // or the stream failed.
  [[nodiscard]] bool WriteTo(COutputStream& out);

  // Deletes every entry, leaving an empty root.
  void Close();

  // The streams and all entries, in the order in which they were made.
  const std::vector<CCompoundStream*>& GetStreams() const { return streams_; }
  const std::vector<CCompoundEntry*>& GetEntries() const { return entries_; }

 private:
  [[nodiscard]] CCompoundStorage* MakeRoot();
  [[nodiscard]] bool AcceptChild(CCompoundStorage*& parent, const char* name, std::u16string& unicodeName) const;
  void PrepareDirectory();

  CObjectList pool_;
  CCompoundStorage* root_ = nullptr;
  std::vector<CCompoundEntry*> entries_;
  std::vector<CCompoundStream*> streams_;
};
