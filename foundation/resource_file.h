// Classic resource files and the bundle's "main.rsrc".
//
// A resource file is read from the item's resource fork, or, when that is
// empty, from its data fork (as a ".rsrc" file holds it). Its map is read
// whole when it is opened, so no host file stays open.
#pragma once

#include "platform/mac_types.h"

class CPathName;

class CResourceFile {
 public:
  CResourceFile() = default;
  ~CResourceFile();
  CResourceFile(const CResourceFile&) = delete;
  CResourceFile& operator=(const CResourceFile&) = delete;

  // Opens the file read-only (closing one opened before); false when it
  // cannot be read or holds no sound resource map.
  [[nodiscard]] bool Open(const CPathName& path);
  // The resource of this file (not of other open files) as a handle that
  // belongs to the file until it is released or the file closes; its size
  // goes to `size` when asked. The current resource file is restored.
  [[nodiscard]] bool GetResource(ResType type, ResID id, Handle* resource, long* size = nullptr);
  void Close();
  [[nodiscard]] bool IsOpen() const { return refNum_ >= 0; }
  SInt16 GetRefNum() const { return refNum_; }

 private:
  SInt16 refNum_ = -1;
};

// Loads a resource of "main.rsrc" for this one call: the handle is the
// caller's, released with ReleaseMainResource. True when found.
[[nodiscard]] bool LoadMainResource(ResType type, ResID id, Handle* resource, long* size = nullptr);
// The same through one shared "main.rsrc" opened on first use (a failed open
// is tried again by the next call); the handle belongs to the shared file.
[[nodiscard]] bool GetMainResourceCached(ResType type, ResID id, Handle* resource, long* size = nullptr);
// Releases a handle of either function and clears the caller's pointer.
void ReleaseMainResource(Handle* resource);
// Closes the shared "main.rsrc" (its handles go with it).
void CloseMainResourceFile();
