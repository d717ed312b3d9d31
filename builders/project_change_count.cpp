#include "builders/project_change_count.h"

namespace {

u32 changeCount = 0;

}  // namespace

void ResetProjectChangeCount() { changeCount = 0; }

u32 TakeProjectChangeCount(bool clear) {
  const u32 count = changeCount;
  if (clear) changeCount = 0;
  return count;
}

void CountProjectChange() { ++changeCount; }

bool StoreCounted(std::string& field, const char* value) {
  return StoreCounted(field, std::string(value ? value : ""));
}

bool StoreCounted(CHeldText& field, const char* value) { return StoreCounted(field, CHeldText(value)); }

bool StoreCounted(CPathName& field, const CPathName& value) {
  if (value.IsSamePath(field) && value.HasSameWrittenForm(field)) return false;
  field = value;
  CountProjectChange();
  return true;
}
