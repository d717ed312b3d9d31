// The root of the compound-file writer's small object library, and the list
// that owns such objects.
//
// Every object of the compound-file writer derives from `CRootObject`. A
// document keeps one `CObjectList` as its pool: each object it makes is
// added there at once and the pool deletes them all together, in the order
// in which they were made, when the document closes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/mac_types.h"

class CRootObject {
 public:
  CRootObject() = default;
  virtual ~CRootObject() = default;
  CRootObject(const CRootObject&) = default;
  CRootObject& operator=(const CRootObject&) = default;

  // A new plain root object (id 0, second word 1), whatever this one is.
  [[nodiscard]] virtual std::unique_ptr<CRootObject> Clone() const;
  // True when both ids are equal; the classes are not compared.
  [[nodiscard]] virtual bool Equals(const CRootObject& other) const { return id == other.id; }
  virtual u32 HashCode() const { return 0; }
  // Empty unless a class has a text form.
  virtual std::string ToString() const { return std::string(); }

  u32 GetId() const { return id; }
  void SetId(u32 value) { id = value; }
  u32 GetSecondWord() const { return secondWord; }

 protected:
  u32 id = 0;
  u32 secondWord = 1;
};

class CObjectList : public CRootObject {
 public:
  CObjectList() = default;
  // Deletes every object first (DeleteAll).
  ~CObjectList() override;
  CObjectList(const CObjectList&) = delete;
  CObjectList& operator=(const CObjectList&) = delete;

  // Takes the object over and appends it; false (and nothing kept) for null.
  [[nodiscard]] bool Add(CRootObject* object);
  // Deletes every object in the order of addition, then empties the list.
  void DeleteAll();

  size_t GetCount() const { return objects_.size(); }
  CRootObject* GetAt(size_t index) const { return index < objects_.size() ? objects_[index].get() : nullptr; }

 private:
  std::vector<std::unique_ptr<CRootObject>> objects_;
};
