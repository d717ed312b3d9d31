// The process-wide project change counter.
//
// Every setter of the project's data lists and movie items adds one to it
// when, and only when, it really changes a value. The application resets it
// before it applies an edit and takes it afterwards: a non-zero count means
// the edit changed the project (and is worth an undo step).
#pragma once

#include <string>

#include "builders/unheld_texts.h"
#include "foundation/path_name.h"
#include "platform/mac_types.h"

void ResetProjectChangeCount();
// The count so far; with `clear` the counter starts again at 0.
u32 TakeProjectChangeCount(bool clear);
// Adds one change.
void CountProjectChange();

// Store `value` and count one change when it differs from `field`; each
// returns whether it did. Texts compare byte by byte (null is ""), paths as
// CPathName::IsSamePath does. A value read with the text its document wrote
// for it (unheld_texts.h) differs from one set anew, even when both read
// alike: a real '?' is not the character the document had.
template <typename T>
bool StoreCounted(T& field, const T& value) {
  if (field == value) return false;
  field = value;
  CountProjectChange();
  return true;
}
bool StoreCounted(std::string& field, const char* value);
bool StoreCounted(CHeldText& field, const char* value);
bool StoreCounted(CPathName& field, const CPathName& value);
