// CWaitCursor: the watch cursor while the object lives; the cursor that was
// showing comes back when it goes.
#pragma once

#include "platform/toolbox.h"

class CWaitCursor {
 public:
  CWaitCursor();
  ~CWaitCursor();
  CWaitCursor(const CWaitCursor&) = delete;
  CWaitCursor& operator=(const CWaitCursor&) = delete;

 private:
  ThemeCursor previous_;
};
