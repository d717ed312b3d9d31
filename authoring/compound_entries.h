// The directory of a compound file: the root storage, storages and streams,
// and the 128-byte entries that describe them.
//
// Entry names are at most 31 UTF-16 units, never empty, and hold none of
// '/', '\', ':' and '!'. Within a storage no two names are the same when
// upper-cased. A storage's children form a red-black tree in the published
// order: a shorter name comes first, names of one length compare unit by
// unit after upper-casing.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "authoring/byte_streams.h"
#include "authoring/root_object.h"

class CCompoundDocument;
class CCompoundStorage;

enum class ECompoundEntryType : u8 { kEmpty = 0, kStorage = 1, kStream = 2, kRoot = 5 };

// Only a document makes entries: it numbers each one it makes and links it
// under its parent, so that every entry of the directory is reached from
// the root exactly once.
class CCompoundEntryKey {
 private:
  friend class CCompoundDocument;
  CCompoundEntryKey() = default;
};

class CCompoundEntry : public CRootObject {
 public:
  static constexpr size_t kMaxNameUnits = 31;

  CCompoundEntry(CCompoundEntryKey /*key*/, ECompoundEntryType type, std::u16string name, CCompoundStorage* parent,
                 const CCompoundDocument* owner)
      : type_(type), name_(std::move(name)), parent_(parent), owner_(owner) {}

  ECompoundEntryType GetType() const { return type_; }
  const std::u16string& GetName() const { return name_; }
  CCompoundStorage* GetParent() const { return parent_; }
  const CCompoundDocument* GetOwner() const { return owner_; }

  // The directory fields, set while the file is written.
  u32 index = 0;
  u32 leftSibling = 0xFFFFFFFF;
  u32 rightSibling = 0xFFFFFFFF;
  u32 child = 0xFFFFFFFF;
  u8 color = 1;  // 0 red, 1 black
  u32 startSector = 0;
  u64 size = 0;
  u8 classId[16] = {};

 private:
  ECompoundEntryType type_;
  std::u16string name_;
  CCompoundStorage* parent_;
  const CCompoundDocument* owner_;
};

class CCompoundStream : public CCompoundEntry {
 public:
  CCompoundStream(CCompoundEntryKey key, std::u16string name, CCompoundStorage* parent,
                  const CCompoundDocument* owner)
      : CCompoundEntry(key, ECompoundEntryType::kStream, std::move(name), parent, owner) {}

  // The stream's content is written here.
  CByteArrayOutputStream& GetOutput() { return data_; }
  const std::vector<u8>& GetBytes() const { return data_.GetBytes(); }
  u64 GetSize() const { return data_.GetCount(); }

 private:
  CByteArrayOutputStream data_;
};

class CCompoundStorage : public CCompoundEntry {
 public:
  CCompoundStorage(CCompoundEntryKey key, ECompoundEntryType type, std::u16string name, CCompoundStorage* parent,
                   const CCompoundDocument* owner)
      : CCompoundEntry(key, type, std::move(name), parent, owner) {}

  // The children in the order in which they were made (not owned).
  const std::vector<CCompoundEntry*>& GetChildren() const { return children_; }
  // The child of this name, compared as the directory compares names.
  [[nodiscard]] CCompoundEntry* FindChild(const std::u16string& name) const;

 private:
  friend class CCompoundDocument;

  // Only the document that made `entry` (and numbers it) adds it here.
  void AddChild(CCompoundEntry* entry) { children_.push_back(entry); }
  // Links the children into a balanced red-black tree (their sibling links
  // and colours) and sets `child` to its root. The children's indexes must
  // be set.
  void LinkChildren();

  std::vector<CCompoundEntry*> children_;
};

// The published order of entry names: negative, 0 or positive.
int CompareEntryNames(const std::u16string& a, const std::u16string& b);
// A Mac Roman (application-wide encoding) name in UTF-16; false when it has
// no UTF-16 form or is no valid entry name (see the top of this file).
[[nodiscard]] bool MakeEntryName(const char* text, std::u16string& name);
// The 128 bytes of an entry; null gives an unused entry.
void BuildDirectoryEntry(const CCompoundEntry* entry, std::vector<u8>& buffer, size_t offset);
