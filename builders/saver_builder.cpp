#include "builders/saver_builder.h"

#include <algorithm>

#include "builders/archive_file.h"
#include "builders/build_messages.h"
#include "builders/saver_data_list.h"
#include "builders/swf_item.h"
#include "foundation/string_buffer.h"
#include "ui/static_text.h"

const char kBundleIdentifierPrefix[] = "com.orrinvale.";

CSaverBuilder::CSaverBuilder() = default;
CSaverBuilder::~CSaverBuilder() = default;

bool CSaverBuilder::SetBuildFolders(const CBuildFolders& buildFolders) {
  folders.Assign(buildFolders);
  return true;
}

bool CSaverBuilder::Build(CSaverDataList* list, CStaticText* status) {
  dataList = list;
  statusText = status;
  statusLog.clear();
  notes.clear();
  if (!list) return Report(kNoProjectMessage);

  // Every output name is checked before anything is deleted or written.
  CStringBuffer refusal;
  if (!list->ValidateOutputNames(&refusal)) {
    statusLog.emplace_back(refusal.GetText());
    if (statusText) statusText->SetText(refusal.GetText(), true);
    return false;
  }

  CPathName output(nullptr);
  if (list->GetOutputMacUniversal()) {
    list->GetMacUniversalOutputPath(output);
    if (!BuildSaverBundle(output, list, list->GetOverwriteMacUniversal())) return false;
  }
  if (list->GetOutputMacUniversalInstaller() && !BuildMacInstaller(list, list->GetOverwriteMacUniversalInstaller()))
    return false;
  if (list->GetOutputWin()) {
    list->GetWinOutputPath(output);
    if (!BuildScr(output, list, list->GetOverwriteWin())) return false;
  }
  if (list->GetOutputWinInstaller() && !BuildWinInstaller(list, list->GetOverwriteWinInstaller())) return false;

  // The last text stays up: what was left out or kept, else that all is done.
  std::string summary;
  for (const std::string& note : notes) summary += (summary.empty() ? "" : " ") + note;
  if (summary.empty()) {
    Report(kBuildDoneMessage);
    return true;
  }
  statusLog.push_back(summary);
  if (statusText) statusText->SetText(summary.c_str(), true);
  return true;
}

// ---------------------------------------------------------------------------
// Status texts

bool CSaverBuilder::Report(int messageNumber, const std::string& a, const std::string& b, const std::string& c) {
  CStringBuffer format(messageNumber);
  CStringBuffer text;
  if (!text.Format(format.GetText(), a.c_str(), b.c_str(), c.c_str())) text.SetText(format.GetText());
  statusLog.emplace_back(text.GetText());
  if (statusText) statusText->SetText(text.GetText(), true);
  return false;
}

void CSaverBuilder::Note(int messageNumber, const std::string& a, const std::string& b) {
  Report(messageNumber, a, b);
  // An installer builds its saver again: what that leaves out is said once.
  if (std::find(notes.begin(), notes.end(), statusLog.back()) == notes.end()) notes.push_back(statusLog.back());
}

std::string CSaverBuilder::Shown(const CPathName& path) {
  std::string absolute = path.GetAbsolutePath(0);
  return absolute.empty() ? path.GetString() : absolute;
}

// ---------------------------------------------------------------------------
// The files that go into an output

bool CSaverBuilder::CollectMovieFiles(CSwfItem* item, bool withSubItems, const std::vector<CNamedSource>& reserved,
                                      std::vector<CNamedSource>& files) {
  files.clear();
  // A screen saver needs its root item's movie; a sub-item may have none.
  if (!item || (!item->GetParent() && item->GetSwfFile().IsEmpty())) return Report(kNoMovieMessage);

  // Depth first from a work list: the item's movie, its extra files, then
  // its sub-items in order.
  std::vector<CPathName> sources;
  std::vector<const CSwfItem*> pending{item};
  while (!pending.empty()) {
    const CSwfItem* current = pending.back();
    pending.pop_back();
    if (!current->GetSwfFile().IsEmpty()) sources.push_back(current->GetSwfFile());
    const CPathList& more = current->GetMoreFiles();
    for (int i = 0; i < more.GetCount(); ++i) sources.push_back(*more.GetAt(i));
    if (withSubItems)
      for (int i = current->GetSubItemCount() - 1; i >= 0; --i) pending.push_back(current->GetSubItem(i));
  }

  for (const CPathName& source : sources) {
    CPathName path(source.GetAbsolutePath(0));
    if (path.IsEmpty()) path = source;
    path.RemoveTrailingSeparator();
    if (!path.Exists()) return Report(kFileMissingMessage, Shown(source));
    bool listed = false;
    for (const CNamedSource& file : files) listed = listed || file.path.IsSameAs(path);
    if (listed) continue;
    const std::string name = path.GetName(false);
    const std::string folded = FoldNameCase(name);
    const std::vector<CNamedSource>* taken[] = {&reserved, &files};
    for (const std::vector<CNamedSource>* names : taken)
      for (const CNamedSource& other : *names)
        if (FoldNameCase(other.name) == folded) return Report(kNameTakenMessage, name, Shown(other.path), Shown(path));
    files.push_back({name, path});
  }
  return true;
}
