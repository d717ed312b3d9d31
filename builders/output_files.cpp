#include "builders/output_files.h"

#include <sys/stat.h>

#include <climits>
#include <cstdlib>

#include "builders/archive_file.h"
#include "builders/build_messages.h"
#include "builders/swf_item.h"
#include "foundation/copy_engine.h"
#include "foundation/file_bytes.h"
#include "foundation/file_layer.h"
#include "platform/text_encoding.h"
#include "swf/swf_compression.h"

namespace {

bool Refuse(COutputFileProblem& problem, int message, const std::string& a, const std::string& b = std::string(),
            const std::string& c = std::string()) {
  problem = {message, a, b, c};
  return false;
}

// An output holds files, never links into the machine it was built on: a
// link goes in as what it leads to. False, with the problem, when the item
// or anything in its folder's tree is a link that leads nowhere or round a
// loop (a missing file), or an item that is neither a file nor a folder.
[[nodiscard]] bool CheckLinks(const CPathName& path, const CPathName& source, COutputFileProblem& problem) {
  FSRef ref;
  std::string failed;
  const OSErr error = path.GetFsRef(&ref) ? CheckLinksToFollow(&ref, &failed) : OSErr(fnfErr);
  if (error == noErr) return true;
  // The item as the user knows it: the source itself, or the item in its folder.
  std::string shown = ShownPath(source);
  std::string inside;
  if (failed != ref.path && plat::FromHostPath(failed, inside)) shown = inside;
  const bool missing = error == fnfErr || error == copyLoopErr || error == dirNFErr;
  return Refuse(problem, missing ? kFileMissingMessage : kCannotReadMessage, shown);
}

}  // namespace

std::string ShownPath(const CPathName& path) {
  std::string absolute = path.GetAbsolutePath(0);
  return absolute.empty() ? path.GetString() : absolute;
}

CPathName FollowLinks(const CPathName& path) {
  const std::string host = plat::ToHostPath(path.GetAbsolutePath(0));
  char resolved[PATH_MAX];
  std::string target;
  if (host.empty() || !realpath(host.c_str(), resolved) || !plat::FromHostPath(resolved, target)) return path;
  return CPathName(target);
}

bool LeadsToItem(const CPathName& path) {
  const std::string absolute = path.GetAbsolutePath(0);
  struct stat info;
  return !absolute.empty() && stat(plat::ToHostPath(absolute).c_str(), &info) == 0;
}

bool IsMovieFile(const CPathName& path) { return IsRegularFile(path) && IsSwfFile(path); }

bool IsOutputItemName(const std::string& name) {
  std::string host;
  return name.find('\0') == std::string::npos && ToHostItemName(name.c_str(), &host) &&
         host.size() <= kMaxOutputNameLength;
}

bool CollectNamedFiles(const std::vector<CPathName>& sources, const std::vector<CNamedSource>& reserved,
                       int nameTakenMessage, std::vector<CNamedSource>& files, COutputFileProblem& problem) {
  for (const CPathName& source : sources) {
    CPathName path(source.GetAbsolutePath(0));
    if (path.IsEmpty()) path = source;
    // A path written as a folder names a folder, never a file of its name.
    const bool folderForm = path.GetString().size() > 1 && path.IsFolderPath();
    path.RemoveTrailingSeparator();
    if (!path.Exists() || (folderForm && !path.IsFolder()))
      return Refuse(problem, kFileMissingMessage, ShownPath(source));
    if (!CheckLinks(path, source, problem)) return false;
    // A file listed twice goes in once; two files whose names differ only
    // in case are two files, and are refused below as two of one name.
    bool listed = false;
    for (const CNamedSource& file : files) listed = listed || file.path.IsSamePath(path);
    if (listed) continue;
    const std::string name = path.GetName(false);
    const std::string folded = FoldNameCase(name);
    const std::vector<CNamedSource>* taken[] = {&reserved, &files};
    for (const std::vector<CNamedSource>* names : taken)
      for (const CNamedSource& other : *names)
        if (FoldNameCase(other.name) == folded)
          return Refuse(problem, nameTakenMessage, name, ShownPath(other.path), ShownPath(path));
    files.push_back({name, path});
  }
  return true;
}

bool CollectItemFiles(const CSwfItem* item, bool withSubItems, bool checkMovies,
                      const std::vector<CNamedSource>& reserved, int nameTakenMessage,
                      std::vector<CNamedSource>& files, COutputFileProblem& problem) {
  files.clear();
  // An output needs its root item's movie; a sub-item may have none.
  if (!item || (!item->GetParent() && item->GetSwfFile().IsEmpty())) return Refuse(problem, kNoMovieMessage, "");

  // Depth first from a work list: the item's movie, its extra files, then
  // its sub-items in order.
  std::vector<CPathName> sources;
  std::vector<const CSwfItem*> pending{item};
  while (!pending.empty()) {
    const CSwfItem* current = pending.back();
    pending.pop_back();
    const CPathName& movie = current->GetSwfFile();
    if (!movie.IsEmpty()) {
      if (checkMovies && LeadsToItem(movie) && !IsMovieFile(movie))
        return Refuse(problem, kNotAMovieMessage, ShownPath(movie));
      sources.push_back(movie);
    }
    const CPathList& more = current->GetMoreFiles();
    for (int i = 0; i < more.GetCount(); ++i) sources.push_back(*more.GetAt(i));
    if (withSubItems)
      for (int i = current->GetSubItemCount() - 1; i >= 0; --i) pending.push_back(current->GetSubItem(i));
  }
  return CollectNamedFiles(sources, reserved, nameTakenMessage, files, problem);
}
