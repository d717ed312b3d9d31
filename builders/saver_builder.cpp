#include "builders/saver_builder.h"

#include <algorithm>

#include "builders/archive_file.h"
#include "builders/build_messages.h"
#include "builders/build_status.h"
#include "builders/output_files.h"
#include "builders/saver_data_list.h"
#include "builders/swf_item.h"
#include "foundation/string_buffer.h"
#include "platform/text_encoding.h"
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
  hostStatusLog.clear();
  notes.clear();
  if (!list) return Report(kNoProjectMessage);

  // Every output name is checked before anything is deleted or written.
  CStringBuffer refusal;
  std::string hostRefusal;
  if (!list->ValidateOutputNames(&refusal, &hostRefusal)) {
    Show(refusal.GetText(), &hostRefusal);
    return false;
  }
  // The Windows outputs come last: what they cannot hold is refused before
  // a Mac output is built (an output that is kept holds nothing new).
  CPathName scr(nullptr), installer(nullptr);
  const bool buildsScr = list->GetOutputWin() && list->GetWinOutputPath(scr) &&
                         (list->GetOverwriteWin() || !scr.Exists());
  const bool buildsInstaller = list->GetOutputWinInstaller() && list->GetWinInstallerOutputPath(installer) &&
                               (list->GetOverwriteWinInstaller() || !installer.Exists());
  if ((buildsScr || buildsInstaller) && !CheckWindowsFiles(*list)) return false;
  if (buildsInstaller && !CheckWinInstallerNames(*list)) return false;

  CPathName output(nullptr);
  if (list->GetOutputMacUniversal()) {
    if (!list->GetMacUniversalOutputPath(output))
      return Report(kNoFolderForOutputMessage, list->GetMacUniversalFileName());
    if (!BuildSaverBundle(output, list, list->GetOverwriteMacUniversal())) return false;
  }
  if (list->GetOutputMacUniversalInstaller() && !BuildMacInstaller(list, list->GetOverwriteMacUniversalInstaller()))
    return false;
  if (list->GetOutputWin()) {
    if (!list->GetWinOutputPath(output)) return Report(kNoFolderForOutputMessage, list->GetWinFileName());
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
  Show(summary);
  return true;
}

// ---------------------------------------------------------------------------
// Status texts

bool CSaverBuilder::Report(int messageNumber, const std::string& a, const std::string& b, const std::string& c) {
  Show(FormatBuildMessage(messageNumber, a, b, c));
  return false;
}

void CSaverBuilder::Show(const std::string& text, const std::string* hostText) {
  statusLog.push_back(text);
  hostStatusLog.push_back(hostText ? *hostText : plat::MacRomanToUtf8(text));
  // The text is in the log either way; a status text that refuses it only
  // shows the one before.
  if (statusText) static_cast<void>(statusText->SetText(text.c_str(), hostStatusLog.back(), true));
}

void CSaverBuilder::Note(int messageNumber, const std::string& a, const std::string& b) {
  Report(messageNumber, a, b);
  // An installer builds its saver again: what that leaves out is said once.
  if (std::find(notes.begin(), notes.end(), statusLog.back()) == notes.end()) notes.push_back(statusLog.back());
}

std::string CSaverBuilder::Shown(const CPathName& path) { return ShownPath(path); }

// ---------------------------------------------------------------------------
// The files that go into an output

bool CSaverBuilder::CollectMovieFiles(CSwfItem* item, bool withSubItems, const std::vector<CNamedSource>& reserved,
                                      std::vector<CNamedSource>& files) {
  COutputFileProblem problem;
  if (CollectItemFiles(item, withSubItems, false, reserved, kNameTakenMessage, files, problem)) return true;
  return ReportProblem(problem);
}

bool CSaverBuilder::ReportProblem(const COutputFileProblem& problem) {
  if (problem.message == 0) return false;
  const std::string hostText = FormatHostProblem(problem);
  Show(FormatProblem(problem), &hostText);
  return false;
}
