// File dialogs: choosing a file to open, a name to save under, or a folder.
//
// The window system is headless, so nobody browses folders here: each dialog
// that runs takes the next queued answer (a path a test or the command line
// chose beforehand); a dialog with no answer queued, or with an empty one,
// is cancelled. The dialogs that ran are recorded (mode and default name)
// so that callers can be checked.
#pragma once

#include <string>
#include <vector>

#include "foundation/path_name.h"
#include "platform/windows.h"

class CFileDialog {
 public:
  enum Mode { kOpenFile, kSaveFile, kChooseFolder };

  struct Record {
    Mode mode;
    std::string defaultName;
    std::vector<OSType> typeFilters;
  };

  explicit CFileDialog(Mode mode);

  // The name a save dialog proposes.
  void SetDefaultName(const char* name);
  // The extension (without its dot) that a saved name receives when the
  // chosen name has none.
  void SetExtension(const char* extension);
  // Files of a type (shown as `title`), and the filter for every file.
  void AddTypeFilter(OSType type, const char* title);
  void AddAllFilesFilter();

  // True with the chosen item in `chosen`; false, `chosen` unchanged, when
  // the dialog was cancelled. An open dialog accepts only an existing file,
  // a folder dialog only an existing folder.
  [[nodiscard]] bool Run(WindowRef parent, CPathName& chosen);

  // The answers of the dialogs to come, in order (an empty path cancels).
  static void QueueAnswer(const CPathName& path);
  static void ClearAnswers();
  static size_t PendingAnswers();
  // The dialogs run so far (cleared with ClearAnswers).
  static const std::vector<Record>& History();

 private:
  Mode mode_;
  std::string defaultName_;
  std::string extension_;
  std::vector<OSType> types_;
};
