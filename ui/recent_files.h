// The most recently used files, bounded by a maximum, kept in the
// preferences; and the submenu that shows such a list with consecutive
// command ids.
//
// In a list the newest path is first. Assign reverses the order, so the copy
// the application stores is oldest first. The list is never cut in memory:
// only its first min(count, maximum) entries are searched, shown and saved.
#pragma once

#include <vector>

#include "foundation/path_name.h"
#include "ui/menu.h"

class CPreferences;

class CRecentFileList {
 public:
  static constexpr UInt32 kDefaultMaximum = 5;

  CRecentFileList() = default;
  ~CRecentFileList();
  CRecentFileList(const CRecentFileList&) = delete;
  CRecentFileList& operator=(const CRecentFileList&) = delete;

  void Clear();
  // The path at the index; null outside 0 .. count - 1.
  CPathName* GetAt(int index) const;
  int GetCount() const { return int(entries_.size()); }
  UInt32 GetMaximum() const { return maximum_; }
  void SetMaximum(UInt32 maximum) { maximum_ = maximum; }

  // Moves the path (by its absolute text, ignoring case, among the first
  // `maximum` entries) or adds it to the front. Always true.
  bool AddFile(const CPathName& path);
  // This list becomes the other's maximum and paths in reverse order (also
  // when the other is this list).
  CRecentFileList& Assign(const CRecentFileList& other);

  // "<key>_max" and "<key>_1" ... "<key>_<n>", key 1 the last entry; numbered
  // keys beyond the saved ones are removed, so a shorter list stays short.
  // False when a value could not be stored (the store keeps why).
  [[nodiscard]] bool SaveToPreferences(CPreferences& preferences, const char* key) const;
  // Reads the maximum and then the numbered keys up to the first absent one,
  // adding (to the front) each path that exists.
  bool LoadFromPreferences(CPreferences& preferences, const char* key);

 private:
  size_t Searched() const;

  std::vector<CPathName*> entries_;
  UInt32 maximum_ = kDefaultMaximum;
};

class CRecentFilesMenu {
 public:
  CRecentFilesMenu() = default;

  // Makes the submenu and hangs it on item `itemIndex` (0-based) of `parent`.
  [[nodiscard]] bool AttachSubmenu(MenuRef parent, int itemIndex, MenuID menuId, UInt32 firstCommand);
  void GetList(CRecentFileList& list) const;
  void SetList(const CRecentFileList& list);
  // The path of a command of this menu, null for any other command.
  CPathName* GetPathForCommand(UInt32 command) const;
  void SetMaxCount(UInt32 maximum, bool rebuild);
  bool AddFile(const CPathName& path, bool rebuild);
  void RebuildMenu();

  const CRecentFileList& GetFileList() const { return list_; }
  CMenu& GetMenu() { return menu_; }
  UInt32 GetFirstCommand() const { return firstCommand_; }

 private:
  UInt32 firstCommand_ = 5000;
  CRecentFileList list_;
  CMenu menu_;
};
