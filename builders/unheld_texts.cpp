#include "builders/unheld_texts.h"

#include <unordered_map>

#include "foundation/path_name.h"

namespace {

// A path as IsSameAs compares it: absolute (its text when it has no
// absolute form), ASCII letters folded.
std::string PathKey(const CPathName& path) {
  const std::string absolute = path.GetAbsolutePath(0);
  std::string key = absolute.empty() ? path.GetString() : absolute;
  for (char& c : key)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return key;
}

}  // namespace

const CUnheldText* FindUnheldTextInUse(const CUnheldTexts& texts, const std::vector<std::string>& names,
                                       const std::vector<CPathName>& paths) {
  if (texts.empty()) return nullptr;
  // The first text of each held name and path.
  std::unordered_map<std::string, const CUnheldText*> heldNames;
  std::unordered_map<std::string, const CUnheldText*> heldPaths;
  for (const CUnheldText& text : texts) {
    if (text.isPath)
      heldPaths.emplace(PathKey(CPathName(text.held)), &text);
    else
      heldNames.emplace(text.held, &text);
  }
  for (const std::string& name : names)
    if (const auto found = heldNames.find(name); found != heldNames.end()) return found->second;
  for (const CPathName& path : paths)
    if (!path.IsEmpty())
      if (const auto found = heldPaths.find(PathKey(path)); found != heldPaths.end()) return found->second;
  return nullptr;
}
