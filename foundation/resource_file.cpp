#include "foundation/resource_file.h"

#include <memory>
#include <vector>

#include "foundation/path_name.h"
#include "platform/memory_handles.h"
#include "platform/resource_manager.h"
#include "platform/text_encoding.h"

namespace {

// The path of the bundle's "main.rsrc"; empty when the bundle lacks it.
CPathName MainResourcePath() {
  CPathName path(nullptr);
  if (!path.SetToBundleResource("main.rsrc")) path.SetPath(nullptr);
  return path;
}

std::unique_ptr<CResourceFile>& SharedFile() {
  static std::unique_ptr<CResourceFile> file;
  return file;
}

[[nodiscard]] CResourceFile* GetMainResourceFile() {
  std::unique_ptr<CResourceFile>& file = SharedFile();
  if (!file) {
    file = std::make_unique<CResourceFile>();
    if (!file->Open(MainResourcePath())) file.reset();
  }
  return file.get();
}

}  // namespace

CResourceFile::~CResourceFile() { Close(); }

bool CResourceFile::Open(const CPathName& path) {
  Close();
  const std::string absolute = path.GetAbsolutePath(0);
  if (absolute.empty()) return false;
  // The resource fork, or a data fork that holds the map (a ".rsrc" file).
  const std::string host = plat::ToHostPath(absolute);
  std::vector<u8> image;
  if (plat::ReadForkImage(host, plat::ForkKind::resource, image) != noErr) return false;
  if (image.empty() && plat::ReadForkImage(host, plat::ForkKind::data, image) != noErr) return false;
  if (image.empty()) return false;
  const SInt16 previous = CurResFile();
  refNum_ = plat::OpenResourceImage(image, nullptr);
  if (previous >= 0) UseResFile(previous);
  return refNum_ >= 0;
}

bool CResourceFile::GetResource(ResType type, ResID id, Handle* resource, long* size) {
  if (resource) *resource = nullptr;
  if (!IsOpen() || !resource) return false;
  const SInt16 previous = CurResFile();
  UseResFile(refNum_);
  *resource = Get1Resource(type, id);
  if (previous >= 0) UseResFile(previous);
  if (size) *size = *resource ? GetHandleSize(*resource) : 0;
  return *resource != nullptr;
}

void CResourceFile::Close() {
  if (refNum_ < 0) return;
  CloseResFile(refNum_);
  refNum_ = -1;
}

bool LoadMainResource(ResType type, ResID id, Handle* resource, long* size) {
  CResourceFile file;
  if (!file.Open(MainResourcePath())) {
    if (resource) *resource = nullptr;
    return false;
  }
  if (!file.GetResource(type, id, resource, size)) return false;
  DetachResource(*resource);  // the caller's now; it outlives the file
  return true;
}

bool GetMainResourceCached(ResType type, ResID id, Handle* resource, long* size) {
  CResourceFile* file = GetMainResourceFile();
  if (!file) {
    if (resource) *resource = nullptr;
    return false;
  }
  return file->GetResource(type, id, resource, size);
}

void ReleaseMainResource(Handle* resource) {
  if (!resource || !*resource) return;
  ReleaseResource(*resource);
  if (ResError() != noErr) DisposeHandle(*resource);  // a detached copy
  *resource = nullptr;
}

void CloseMainResourceFile() { SharedFile().reset(); }
