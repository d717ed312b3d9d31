// Saving and loading a recent-files list in the preferences.
#include <cstdio>
#include <string>

#include "foundation/preferences.h"
#include "ui/recent_files.h"

namespace {

// "<key>_<n>" cut to 31 characters; false when it had to be cut.
[[nodiscard]] bool NumberedKey(const char* key, UInt32 n, char (&out)[32]) {
  const int length = std::snprintf(out, sizeof(out), "%s_%u", key, unsigned(n));
  return length >= 0 && size_t(length) < sizeof(out);
}

}  // namespace

bool CRecentFileList::SaveToPreferences(CPreferences& preferences, const char* key) const {
  const std::string maxKey = std::string(key) + "_max";
  bool stored = preferences.SetLong(maxKey.c_str(), SInt32(maximum_));
  const size_t saved = Searched();
  char numbered[32];
  bool exact = true;
  for (size_t i = 1; i <= saved; ++i) {
    exact = NumberedKey(key, UInt32(i), numbered) && exact;
    stored = preferences.SetString(numbered, entries_[entries_.size() - i]->GetAbsolutePath(GetOutputPathStyle()).c_str()) &&
             stored;
  }
  // Keys left from a longer list would come back at the next load: remove
  // them (unless the key is so long that the numbers were cut off, when
  // every number names the same key).
  for (UInt32 i = UInt32(saved) + 1; exact && NumberedKey(key, i, numbered) && preferences.HasKey(numbered); ++i)
    stored = preferences.RemoveKey(numbered) && stored;
  return stored;
}

bool CRecentFileList::LoadFromPreferences(CPreferences& preferences, const char* key) {
  const std::string maxKey = std::string(key) + "_max";
  SInt32 maximum = 0;
  if (preferences.GetInt(maxKey.c_str(), maximum)) maximum_ = UInt32(maximum);
  char numbered[32];
  for (UInt32 i = 1; i <= maximum_; ++i) {
    // A key cut to fit is the one saving wrote.
    static_cast<void>(NumberedKey(key, i, numbered));
    // Whole: a path cut short would name another item, or none.
    std::string text;
    if (!preferences.GetString(numbered, text)) break;
    CPathName path(text);
    if (path.Exists()) AddFile(path);
  }
  return true;
}
