#include "foundation/path_name.h"
#include "platform/bundle.h"

CPathName CPathName::GetApplicationBundle() {
  CPathName bundle(nullptr);
  CFURLRef url = CFBundleCopyBundleURL(CFBundleGetMainBundle());
  // The bundle's canonical reference when it exists, else the folder it is meant to be.
  FSRef ref;
  CFURLRef canonical = CFURLGetFSRef(url, &ref) ? CFURLCreateFromFSRef(kCFAllocatorDefault, &ref) : nullptr;
  if (!bundle.SetFromUrl(canonical)) bundle.SetFromUrl(url);
  CFRelease(canonical);
  CFRelease(url);
  if (!bundle.IsEmpty()) bundle.AddTrailingSlash();
  return bundle;
}
