#include "builders/output_files.h"

#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <map>
#include <set>
#include <utility>

#include "builders/archive_file.h"
#include "builders/build_messages.h"
#include "builders/build_status.h"
#include "builders/swf_item.h"
#include "foundation/copy_engine.h"
#include "foundation/file_bytes.h"
#include "foundation/file_layer.h"
#include "platform/folder_iteration.h"
#include "platform/host_paths.h"
#include "platform/text_encoding.h"
#include "swf/swf_compression.h"

namespace {

bool Refuse(COutputFileProblem& problem, int message, const std::string& a, const std::string& b = std::string(),
            const std::string& c = std::string()) {
  problem = {message, a, b, c, std::string()};
  return false;
}

// A name read from disk as Mac Roman, with '?' for each character that Mac
// Roman cannot hold (each byte that is not UTF-8 among them), and as the
// terminal shows it.
void ShowUnheldName(const std::string& hostName, std::string& shown, std::string& hostShown) {
  if (plat::IsValidUtf8(hostName)) {
    shown = plat::Utf8ToMacRomanLossy(hostName);
    hostShown = hostName;
    return;
  }
  shown = hostName;
  for (char& c : shown)
    if (u8(c) >= 0x80) c = '?';
  hostShown = shown;
}

// Every name below `folder`, at every depth, checked as CollectNamedFiles
// says. Depth first in name order; a folder met twice (through links) is
// read once.
[[nodiscard]] bool CheckNamesBelow(const CPathName& folder, const COutputRules& rules, int nameTakenMessage,
                                   COutputFileProblem& problem) {
  struct Level {
    std::string host;   // the folder on disk, links resolved
    std::string shown;  // the folder as the user knows it
  };
  std::string shown = ShownPath(folder);
  while (shown.size() > 1 && shown.back() == '/') shown.pop_back();
  std::vector<Level> pending{{plat::ToHostPath(FollowLinks(folder).GetAbsolutePath(0)), shown}};
  std::set<std::pair<dev_t, ino_t>> entered;
  while (!pending.empty()) {
    const Level level = pending.back();
    pending.pop_back();
    struct stat info;
    plat::FolderListing listing;
    if (stat(level.host.c_str(), &info) != 0 || listing.Open(level.host) != noErr)
      return Refuse(problem, kCannotReadMessage, level.shown);
    if (!entered.insert({info.st_dev, info.st_ino}).second) continue;
    // The names of this folder, folded, with the item that has each.
    std::map<std::string, std::string> names;
    std::vector<Level> folders;
    std::string entry;
    while (listing.Next(&entry) == noErr) {
      std::string name;
      if (!plat::FromHostPath(entry, name)) {
        std::string hostName;
        ShowUnheldName(entry, name, hostName);
        problem = {kUnheldTextMessage, level.shown + "/" + name, "", "",
                   plat::MacRomanToUtf8(level.shown) + "/" + hostName};
        return false;
      }
      const std::string item = level.shown + "/" + name;
      if (rules.windowsNames && !IsWindowsName(name)) return Refuse(problem, kWindowsNameMessage, item);
      const auto [other, added] = names.emplace(FoldNameCase(name), item);
      if (!added) return Refuse(problem, nameTakenMessage, name, other->second, item);
      const std::string host = plat::JoinHostPath(level.host, entry);
      char resolved[PATH_MAX];
      if (stat(host.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && realpath(host.c_str(), resolved))
        folders.push_back({resolved, item});
    }
    pending.insert(pending.end(), folders.rbegin(), folders.rend());
  }
  return true;
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

// The host form of a path (without the separator a folder path ends in);
// empty when it has none.
std::string HostPathOf(const CPathName& path) {
  std::string host = plat::ToHostPath(path.GetAbsolutePath(0));
  while (host.size() > 1 && host.back() == '/') host.pop_back();
  return host;
}

// Where a host path's item lies: its folder followed to where it leads,
// then its own name (itself not followed). The path as it stands when its
// folder cannot be found.
std::string LocationOf(const std::string& host) {
  const size_t slash = host.rfind('/');
  if (slash == std::string::npos || slash + 1 == host.size()) return host;
  char* folder = realpath(slash == 0 ? "/" : host.substr(0, slash).c_str(), nullptr);
  if (!folder) return host;
  std::string location = folder;
  std::free(folder);
  return location + (location == "/" ? "" : "/") + host.substr(slash + 1);
}

// The names of a host path, each as the outputs' file systems compare it
// (a name without a Mac Roman form as its host bytes, which no Mac Roman
// name equals).
std::vector<std::string> ComparedNames(const std::string& host) {
  std::vector<std::string> names;
  for (size_t at = 0; at < host.size();) {
    size_t end = host.find('/', at);
    if (end == std::string::npos) end = host.size();
    if (end > at) {
      const std::string name = host.substr(at, end - at);
      std::string macRoman;
      names.push_back(plat::FromHostPath(name, macRoman) ? FoldNameCase(macRoman) : std::string(1, '\0') + name);
    }
    at = end + 1;
  }
  return names;
}

// Whether the path `inner` lies inside the folder `outer`.
bool LiesInside(const std::vector<std::string>& inner, const std::vector<std::string>& outer) {
  return inner.size() > outer.size() && std::equal(outer.begin(), outer.end(), inner.begin());
}

}  // namespace

std::string FormatProblem(const COutputFileProblem& problem) {
  return FormatBuildMessage(problem.message, problem.a, problem.b, problem.c);
}

std::string FormatHostProblem(const COutputFileProblem& problem) {
  return FormatHostBuildMessage(problem.message, problem.host.empty() ? plat::MacRomanToUtf8(problem.a) : problem.host,
                                plat::MacRomanToUtf8(problem.b), plat::MacRomanToUtf8(problem.c));
}

bool FailBuild(CBuildStatus& status, const COutputFileProblem& problem) {
  const std::string hostText = FormatHostProblem(problem);
  return status.FailWithText(FormatProblem(problem), &hostText);
}

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

int FindInputReplacedBy(const CPathName& output, const std::vector<const CPathName*>& inputs,
                        const CPathName** input) {
  const std::string host = HostPathOf(output);
  if (host.empty()) return 0;
  const std::vector<std::string> written = ComparedNames(LocationOf(host));
  for (const CPathName* read : inputs) {
    const std::string from = HostPathOf(*read);
    if (from.empty()) continue;
    // The input as named (a link is replaced as itself) and what it leads to.
    std::vector<std::vector<std::string>> places{ComparedNames(LocationOf(from))};
    char* target = realpath(from.c_str(), nullptr);
    struct stat info;
    const bool folder = target && stat(target, &info) == 0 && S_ISDIR(info.st_mode);
    if (target) places.push_back(ComparedNames(target));
    std::free(target);
    int met = 0;
    for (const std::vector<std::string>& place : places)
      if (written == place || LiesInside(place, written)) met = kOutputReplacesInputMessage;
    if (met == 0 && folder && LiesInside(written, places.back())) met = kOutputInsideInputMessage;
    if (met == 0) continue;
    if (input) *input = read;
    return met;
  }
  return 0;
}

bool RefuseOutputsReplacingInputs(const std::vector<CPathName>& outputs, std::vector<const CPathName*> inputs,
                                  const CPathName& projectFile, CStringBuffer* message, std::string* hostMessage) {
  if (!projectFile.IsEmpty()) inputs.push_back(&projectFile);
  for (const CPathName& output : outputs) {
    const CPathName* input = nullptr;
    if (const int refusal = FindInputReplacedBy(output, inputs, &input))
      return RefuseBuild(refusal, ShownPath(output), ShownPath(*input), message, hostMessage);
  }
  return true;
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
    if (!CheckLinks(path, source, problem)) return false;
    const bool folder = path.IsFolder();
    if (folder && !rules.folders) return Refuse(problem, kFolderNotHeldMessage, ShownPath(path));
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
    if (folder && !CheckNamesBelow(path, rules, nameTakenMessage, problem)) return false;
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
      if (checkMovies && LeadsToItem(movie) && !IsMovieFile(movie))
        return Refuse(problem, kNotAMovieMessage, ShownPath(movie));
      sources.push_back(movie);
    }
    const CPathList& more = current->GetMoreFiles();
    for (int i = 0; i < more.GetCount(); ++i) sources.push_back(*more.GetAt(i));
    if (withSubItems)
      for (int i = current->GetSubItemCount() - 1; i >= 0; --i) pending.push_back(current->GetSubItem(i));
  }
  return CollectNamedFiles(sources, reserved, nameTakenMessage, files, problem, rules);
}
