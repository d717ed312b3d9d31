// The Build command of the main window.
#include <cstdio>
#include <string>

#include "app/app_preferences.h"
#include "app/main_window.h"
#include "app/session.h"
#include "builders/build_folders.h"
#include "builders/saver_builder.h"
#include "platform/text_encoding.h"
#include "ui/message_box.h"
#include "ui/replace_dialog.h"
#include "ui/wait_cursor.h"

namespace {

enum {
  kErrorTitle = 10000,
  kBuildFailedText = 3001,
  kBuildDoneText = 3002,
  kBuildTitle = 3003,
  kNoOutputText = 3004,
};

// The outputs this application builds, in build order.
struct Output {
  bool (*selected)(const CSaverDataList& list);
  bool (*path)(const CSaverDataList& list, CPathName& path);
  void (*setOverwrite)(CSaverDataList& list, bool overwrite);
};

const Output kOutputs[] = {
    {[](const CSaverDataList& l) { return l.GetOutputMacUniversal(); },
     [](const CSaverDataList& l, CPathName& p) { return l.GetMacUniversalOutputPath(p); },
     [](CSaverDataList& l, bool o) { l.SetOverwriteMacUniversal(o); }},
    {[](const CSaverDataList& l) { return l.GetOutputMacUniversalInstaller(); },
     [](const CSaverDataList& l, CPathName& p) { return l.GetMacUniversalInstallerOutputPath(p); },
     [](CSaverDataList& l, bool o) { l.SetOverwriteMacUniversalInstaller(o); }},
    {[](const CSaverDataList& l) { return l.GetOutputWin(); },
     [](const CSaverDataList& l, CPathName& p) { return l.GetWinOutputPath(p); },
     [](CSaverDataList& l, bool o) { l.SetOverwriteWin(o); }},
    {[](const CSaverDataList& l) { return l.GetOutputWinInstaller(); },
     [](const CSaverDataList& l, CPathName& p) { return l.GetWinInstallerOutputPath(p); },
     [](CSaverDataList& l, bool o) { l.SetOverwriteWinInstaller(o); }},
};

const char* AnswerName(SInt32 answer) {
  switch (answer) {
    case kReplaceYes:
      return "Replace";
    case kReplaceYesToAll:
      return "Replace All";
    case kReplaceNo:
      return "Skip";
    case kReplaceNoToAll:
      return "Skip All";
    default:
      return "Cancel";
  }
}

}  // namespace

bool CMainWindow::PrepareBuild() {
  if (!ValidateAndStore(false)) return false;
  CSaverDataList& list = *list_;
  bool any = false;
  for (const Output& output : kOutputs) any = any || output.selected(list);
  if (!any) {
    ShowStopBoxById(GetWindowRef(), kErrorTitle, kNoOutputText);
    return false;
  }
  // No output may take the place of the project's file.
  list.SetProjectFile(projectPath_);
  list.SetOverwriteMacPpc(true);
  list.SetOverwriteMacIntel(true);
  list.SetOverwriteMacUniversal(true);
  list.SetOverwriteWin(true);
  list.SetOverwriteLinux(true);
  list.SetOverwriteMacUniversalInstaller(true);
  list.SetOverwriteWinInstaller(true);

  const bool askFirst = !AppPreferences().alwaysOverwrite;
  SInt32 last = 0;
  for (const Output& output : kOutputs) {
    CPathName path(nullptr);
    if (!output.selected(list) || !output.path(list, path) || !path.Exists() || !askFirst) continue;
    SInt32 answer = last;
    if (last != kReplaceYesToAll && last != kReplaceNoToAll) {
      CReplaceDialog dialog(path, true);
      answer = dialog.Ask(GetWindowRef());
      if (IsHeadless())
        std::fprintf(stderr, "replace: %s\n[%s]\n", plat::MacRomanToUtf8(dialog.GetQuestion()).c_str(),
                     AnswerName(answer));
    }
    if (answer == kReplaceCancel) return false;
    output.setOverwrite(list, answer == kReplaceYes || answer == kReplaceYesToAll);
    last = answer;
  }
  return true;
}

bool CMainWindow::Build() {
  if (!PrepareBuild()) return false;
  CWaitCursor wait;
  std::string reason;
  const bool built = RunBuilder(&reason);
  if (built)
    ShowNoteBoxById(GetWindowRef(), kBuildTitle, kBuildDoneText);
  else
    ShowStopBoxById(GetWindowRef(), kErrorTitle, kBuildFailedText, reason.c_str());
  // A status text that cannot be cleared keeps the build's last word, which
  // the message has said already.
  static_cast<void>(status_.Clear(true));
  return built;
}

bool CMainWindow::RunBuilder(std::string* reason) {
  // The templates ship in the bundle's resources.
  // Without the folder every template is missing, and the build says so.
  CPathName templates(nullptr);
  if (!templates.SetToBundleResource("ss_data")) templates = CPathName(nullptr);
  CBuildFolders folders;
  folders.SetBaseFolder(templates);
  CSaverBuilder builder;
  builder.SetBuildFolders(folders);
  const bool built = builder.Build(list_.get(), &status_);
  // The status line is cleared after the build: the message keeps its last text.
  if (!built && !builder.GetStatusLog().empty()) *reason = builder.GetStatusLog().back();
  return built;
}
