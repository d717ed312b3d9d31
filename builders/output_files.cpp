#include "builders/output_files.h"

#include <climits>
#include <cstdlib>

#include "builders/archive_file.h"
#include "builders/build_messages.h"
#include "builders/swf_item.h"
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

bool IsMovieFile(const CPathName& path) { return IsRegularFile(path) && IsSwfFile(path); }

bool IsOutputItemName(const std::string& name) {
  std::string host;
  return name.find('\0') == std::string::npos && ToHostItemName(name.c_str(), &host) &&
         host.size() <= kMaxOutputNameLength;
}

bool CollectNamedFiles(const std::vector<CPathName>& sources, const std::vector<CNamedSource>& reserved,
                       int nameTakenMessage, std::vector<CNamedSource>& files, COutputFileProblem& problem,
                       const COutputRules& rules) {
  for (const CPathName& source : sources) {
    CPathName path(source.GetAbsolutePath(0));
    if (path.IsEmpty()) path = source;
    // A path written as a folder names a folder, never a file of its name.
    const bool folderForm = path.GetString().size() > 1 && path.IsFolderPath();
    path.RemoveTrailingSeparator();
    if (!path.Exists() || (folderForm && !path.IsFolder()))
      return Refuse(problem, kFileMissingMessage, ShownPath(source));
    // A file listed twice goes in once; two files whose names differ only
    // in case are two files, and are refused below as two of one name.
    bool listed = false;
    for (const CNamedSource& file : files) listed = listed || file.path.IsSamePath(path);
    if (listed) continue;
    const std::string name = path.GetName(false);
    if (rules.windowsNames && !IsWindowsName(name)) return Refuse(problem, kWindowsNameMessage, ShownPath(path));
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
                      std::vector<CNamedSource>& files, COutputFileProblem& problem, const COutputRules& rules) {
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
      if (checkMovies && movie.Exists() && !IsMovieFile(movie)) return Refuse(problem, kNotAMovieMessage, ShownPath(movie));
      sources.push_back(movie);
    }
    const CPathList& more = current->GetMoreFiles();
    for (int i = 0; i < more.GetCount(); ++i) sources.push_back(*more.GetAt(i));
    if (withSubItems)
      for (int i = current->GetSubItemCount() - 1; i >= 0; --i) pending.push_back(current->GetSubItem(i));
  }
  return CollectNamedFiles(sources, reserved, nameTakenMessage, files, problem, rules);
}
