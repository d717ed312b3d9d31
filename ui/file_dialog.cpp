#include "ui/file_dialog.h"

#include <deque>

namespace {

struct Answers {
  std::deque<CPathName> queued;
  std::vector<CFileDialog::Record> history;
};

Answers& State() {
  static Answers answers;
  return answers;
}

}  // namespace

CFileDialog::CFileDialog(Mode mode) : mode_(mode) {}

void CFileDialog::SetDefaultName(const char* name) { defaultName_ = name ? name : ""; }

void CFileDialog::SetExtension(const char* extension) { extension_ = extension ? extension : ""; }

void CFileDialog::AddTypeFilter(OSType type, const char*) { types_.push_back(type); }

void CFileDialog::AddAllFilesFilter() { types_.push_back(0); }

bool CFileDialog::Run(WindowRef, CPathName& chosen) {
  Answers& state = State();
  state.history.push_back(Record{mode_, defaultName_, types_});
  if (state.queued.empty()) return false;
  CPathName answer = state.queued.front();
  state.queued.pop_front();
  if (answer.IsEmpty()) return false;
  switch (mode_) {
    case kOpenFile:
      if (!answer.Exists() || answer.IsFolder()) return false;
      break;
    case kChooseFolder:
      if (!answer.IsFolder()) return false;
      answer.AddTrailingSlash();
      break;
    case kSaveFile:
      if (answer.IsFolderPath() || answer.IsFolder()) return false;
      if (!extension_.empty() && answer.GetExtension(false).empty())
        answer.SetPath((answer.GetString() + "." + extension_).c_str());
      break;
  }
  chosen = answer;
  return true;
}

void CFileDialog::QueueAnswer(const CPathName& path) { State().queued.push_back(path); }

void CFileDialog::ClearAnswers() {
  State().queued.clear();
  State().history.clear();
}

size_t CFileDialog::PendingAnswers() { return State().queued.size(); }

const std::vector<CFileDialog::Record>& CFileDialog::History() { return State().history; }
