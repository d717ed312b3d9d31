#include "authoring/root_object.h"

std::unique_ptr<CRootObject> CRootObject::Clone() const { return std::make_unique<CRootObject>(); }

CObjectList::~CObjectList() { DeleteAll(); }

bool CObjectList::Add(CRootObject* object) {
  if (!object) return false;
  objects_.emplace_back(object);
  return true;
}

void CObjectList::DeleteAll() {
  // Objects are deleted one by one from the first; the slots stay in place
  // until the end so that a destructor never sees the list move.
  for (std::unique_ptr<CRootObject>& object : objects_) object.reset();
  objects_.clear();
}
