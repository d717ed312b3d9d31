#include "builders/staging_folder.h"

#include <cstdio>

#include "foundation/finder_info.h"

namespace {

// How many numbered names a step tries before it gives up.
constexpr int kMaxNameAttempts = 1000;

}  // namespace

// ---------------------------------------------------------------------------
// Staging folder

bool CStagingFolder::Create() {
  // A folder of an earlier Create that cannot be removed stays in the work
  // folder; the new one takes another name.
  static_cast<void>(Remove());
  CPathName probe(nullptr);
  if (!probe.SetInWorkFolder("_build", true)) return false;
  // The application makes its work subfolder at start; a build run without
  // the application (a tool, a test) may find it missing.
  CPathName work(probe.GetParentFolder(true));
  if (!work.CreateFolder()) return false;
  for (int n = 0; n < kMaxNameAttempts; ++n) {
    char name[32];
    std::snprintf(name, sizeof name, "_build%d", n);
    CPathName candidate(nullptr);
    if (!candidate.SetInFolder(name, work) || candidate.Exists()) continue;
    if (!candidate.CreateFolder()) return false;
    candidate.AddTrailingSlash();
    folder = candidate;
    return true;
  }
  return false;
}

bool CStagingFolder::Remove() {
  if (folder.IsEmpty()) return true;
  if (folder.Exists() && !folder.DeleteRecursive(true)) return false;
  folder = CPathName(nullptr);
  return true;
}

bool CStagingFolder::GetItem(const char* name, CPathName& item) const {
  return !folder.IsEmpty() && item.SetInFolder(name, folder);
}

// ---------------------------------------------------------------------------
// Pending single-file output

bool CPendingFile::Begin(const CPathName& target) {
  Discard();
  CPathName folder(nullptr);
  if (!GetOutputFolder(target, folder)) return false;
  for (int n = 0; n < kMaxNameAttempts; ++n) {
    char name[48];
    std::snprintf(name, sizeof name, ".glimmerbox-build-%d.tmp", n);
    CPathName candidate(nullptr);
    if (!candidate.SetInFolder(name, folder) || candidate.Exists()) continue;
    if (!candidate.CreateFile(nullptr, false)) return false;
    path = candidate;
    output = CPathName(target.GetAbsolutePath(0));
    pending = true;
    return true;
  }
  return false;
}

bool CPendingFile::Commit(OSErr* error) {
  OSErr result = noErr;
  if (!pending) {
    result = fnfErr;
  } else if (output.IsFolder()) {
    result = fBsyErr;
  } else if (path.Rename(OutputItemName(output).c_str(), &result)) {
    pending = false;
  }
  if (error) *error = result;
  return result == noErr;
}

void CPendingFile::Discard() {
  if (pending && path.Exists()) path.Delete();
  pending = false;
}

// ---------------------------------------------------------------------------
// Putting bundles in place

bool OverwriteFileContents(const CPathName& path, const void* data, size_t length) {
  std::FILE* file = path.OpenStdioFile("wb");
  if (!file) return false;
  const bool written = length == 0 || std::fwrite(data, 1, length, file) == length;
  return std::fclose(file) == 0 && written;
}

CPathName ChildPath(const CPathName& folder, const char* name) {
  CPathName path(nullptr);
  if (!path.SetInFolder(name, folder)) return CPathName(nullptr);
  return path;
}

CPathName MakeSubFolder(const CPathName& folder, const char* name) {
  CPathName path = ChildPath(folder, name);
  if (path.IsEmpty() || !path.CreateFolder()) return CPathName(nullptr);
  path.AddTrailingSlash();
  return path;
}

std::string OutputItemName(const CPathName& output) { return output.GetLastComponent(); }

bool GetOutputFolder(const CPathName& output, CPathName& folder) {
  CPathName trimmed(output.GetAbsolutePath(0));
  trimmed.RemoveTrailingSeparator();
  return !trimmed.IsEmpty() && trimmed.GetParentPath(folder);
}

bool PlaceBuiltItem(const CPathName& built, const CPathName& output, OSErr* error) {
  CPathName folder(nullptr);
  if (!GetOutputFolder(output, folder)) {
    if (error) *error = dirNFErr;
    return false;
  }
  return built.CopyTo(folder, OutputItemName(output).c_str(), true, nullptr, error);
}
