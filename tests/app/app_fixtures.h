// Fixtures of the application's tests: the main window made from the
// bundle's nib in a clean headless screen, the demo project copied into a
// temporary folder, and runs of the application's program.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "tests/support/ui_test_support.h"

namespace apptest {

// A new folder holding a copy of examples/demo (without its output); host
// path ending in "/".
std::string CopyDemo(const std::string& name);

// The path as the application holds it.
CPathName PathOf(const std::string& hostPath);

// The main window of a fresh run, visible, over the menu bar of the nib; the
// preferences at their defaults and the session fresh.
class MainWindowTest : public gbtest::HeadlessUiTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  CMainWindow& Window() { return *window_; }
  CSaverDataList& List() { return window_->GetDataList(); }
  // Sends a command as a menu or tool-bar item would.
  bool Command(UInt32 command) { return window_->OnCommand(command, nullptr); }
  // One edit through the main window's edit protocol.
  bool Edit(const std::function<void(CSaverDataList&)>& change) { return window_->ApplyEdit(change); }
  // The titles and texts of the alerts and sheets shown so far.
  std::vector<std::string> AlertTexts() const;
  // The layout names of the windows shown so far.
  std::vector<std::string> WindowsShown() const;

  std::unique_ptr<CMainWindow> window_;
};

struct ProgramRun {
  int status = -1;  // the exit status, -1 when it did not exit by itself
  std::string out, err;
};

// Runs the application's program with the arguments in a home of its own
// (HOME, TMPDIR and the XDG folders under `root`), with `extra` variables
// added; the program is stopped after a minute.
ProgramRun RunProgram(const std::vector<std::string>& arguments, const std::string& root,
                      const std::map<std::string, std::string>& extra = {});
// The same for a tool of the build tree (tools/), by its name.
ProgramRun RunTool(const std::string& tool, const std::vector<std::string>& arguments, const std::string& root);

}  // namespace apptest
