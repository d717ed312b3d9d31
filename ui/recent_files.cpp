#include "ui/recent_files.h"

#include <strings.h>

#include <algorithm>
#include <string>

CRecentFileList::~CRecentFileList() {
  Clear();
}

void CRecentFileList::Clear() {
  for (CPathName* path : entries_) delete path;
  entries_.clear();
  maximum_ = kDefaultMaximum;
}

CPathName* CRecentFileList::GetAt(int index) const {
  if (index < 0 || size_t(index) >= entries_.size()) return nullptr;
  return entries_[size_t(index)];
}

size_t CRecentFileList::Searched() const { return std::min<size_t>(entries_.size(), maximum_); }

bool CRecentFileList::AddFile(const CPathName& path) {
  const std::string text = path.GetAbsolutePath(GetOutputPathStyle());
  CPathName* kept = nullptr;
  for (size_t i = 0; i < Searched(); ++i) {
    CPathName* entry = entries_[i];
    if (strcasecmp(entry->GetAbsolutePath(GetOutputPathStyle()).c_str(), text.c_str()) != 0) continue;
    if (entry == &path)
      kept = entry;
    else
      delete entry;
    entries_.erase(entries_.begin() + long(i));
    break;
  }
  if (!kept) {
    kept = new CPathName();
    kept->SetPath(text.c_str());
  }
  entries_.insert(entries_.begin(), kept);
  return true;
}

CRecentFileList& CRecentFileList::Assign(const CRecentFileList& other) {
  // Copy first: the other list may be this one.
  std::vector<CPathName> paths;
  for (const CPathName* path : other.entries_) paths.push_back(*path);
  const UInt32 maximum = other.maximum_;
  Clear();
  maximum_ = maximum;
  for (const CPathName& path : paths) {
    CPathName full;
    full.SetFullPath(path);
    AddFile(full);
  }
  return *this;
}

bool CRecentFilesMenu::AttachSubmenu(MenuRef parent, int itemIndex, MenuID menuId, UInt32 firstCommand) {
  if (!menu_.Create(menuId, "tt")) return false;
  firstCommand_ = firstCommand;
  return SetMenuItemHierarchicalMenu(parent, MenuItemIndex((itemIndex + 1) % 65536), menu_.GetMenuRef()) == noErr;
}

void CRecentFilesMenu::GetList(CRecentFileList& list) const { list.Assign(list_); }
void CRecentFilesMenu::SetList(const CRecentFileList& list) { list_.Assign(list); }

CPathName* CRecentFilesMenu::GetPathForCommand(UInt32 command) const {
  const UInt32 count = UInt32(menu_.GetItemCount());
  if (command < firstCommand_ || command - firstCommand_ >= count) return nullptr;
  return list_.GetAt(int(command - firstCommand_));
}

void CRecentFilesMenu::SetMaxCount(UInt32 maximum, bool rebuild) {
  list_.SetMaximum(maximum);
  if (rebuild) RebuildMenu();
}

bool CRecentFilesMenu::AddFile(const CPathName& path, bool rebuild) {
  list_.AddFile(path);
  if (rebuild) RebuildMenu();
  return true;
}

void CRecentFilesMenu::RebuildMenu() {
  // Without a menu to empty there is none to fill.
  if (!menu_.DeleteAllItems()) return;
  const int shown = std::min<int>(list_.GetCount(), int(std::min<UInt32>(list_.GetMaximum(), 0x7FFFFFFF)));
  for (int i = 0; i < shown; ++i) {
    const std::string text = list_.GetAt(i)->GetAbsolutePath(GetOutputPathStyle());
    menu_.AppendItem(firstCommand_ + UInt32(i), text.c_str(), 0, 0, false);
  }
}
