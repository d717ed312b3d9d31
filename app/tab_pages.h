// The main window's four tab pages. Each is a window object embedded in a
// pane of the main window; it shows part of the current project and changes
// it through the data list's setters, each change one undoable edit of the
// main window (CMainWindow::ApplyEdit).
//
//   settings (pane 1000): the movie, the player quality, what ends the saver
//   properties (1001): the saver's name and the extra files
//   installer (1002): the installers' read-me, licence and splash picture
//   output (1003): the output folder and the four outputs
#pragma once

#include <functional>
#include <vector>

#include "foundation/path_name.h"
#include "ui/buttons.h"
#include "ui/dialog_window.h"
#include "ui/list_view.h"
#include "ui/popup_button.h"

class CMainWindow;
class CSaverDataList;

class CTabPage : public CDialogWindow {
 public:
  CTabPage(CMainWindow& main, SInt32 pane);

  // Embeds the page in its pane of the main window.
  [[nodiscard]] bool Embed();
  // Stores what the controls hold that the list does not hold yet (one
  // edit); false, with a message, when a value cannot be used.
  [[nodiscard]] virtual bool ValidateAndStore(bool saving) = 0;
  // The controls from the list.
  virtual void Reload() = 0;

  SInt32 GetPane() const { return pane_; }

 protected:
  // A check box that switches one value of the list: a click changes the
  // project at once (one edit), a reload shows the value.
  struct CSwitch {
    UInt32 signature;
    bool (CSaverDataList::*get)() const;
    void (CSaverDataList::*set)(bool);
    CCheckBox box;
  };
  // False when a box of the page's switches is missing.
  [[nodiscard]] bool AttachSwitches();
  void ReloadSwitches();
  // True when the command was a switch's (and the edit was made).
  bool OnSwitch(UInt32 command);

  CSaverDataList& List();
  bool Edit(const std::function<void(CSaverDataList&)>& change);
  // The text of an edit control.
  static std::string TextOf(CEditText& edit);
  // The path an edit control holds, as the list keeps it (empty for no text).
  static CPathName PathOf(CEditText& edit);
  // Asks for a file to open; false when none was chosen.
  [[nodiscard]] bool ChooseFile(OSType type, CPathName& chosen);

  CMainWindow& main_;
  SInt32 pane_;
  std::vector<CSwitch> switches_;
};

class CSettingsPage : public CTabPage {
 public:
  explicit CSettingsPage(CMainWindow& main);
  bool OnInit() override;
  bool OnCommand(UInt32 command, EventRef* event) override;
  [[nodiscard]] bool ValidateAndStore(bool saving) override;
  void Reload() override;

  // The movie chooser: asks for a movie and takes it; with `nameProject`
  // the project is named after the movie. False when no movie was taken.
  bool ChooseMovie(bool nameProject);
  // Takes the movie (one edit); false, with a message, when it is no movie.
  bool SetMovie(const CPathName& path, bool nameProject);

 private:
  CEditText movie_;
  CPushButton chooseMovie_;
  CNibPopupButton quality_;
};

class CPropertiesPage : public CTabPage {
 public:
  explicit CPropertiesPage(CMainWindow& main);
  bool OnInit() override;
  bool OnCommand(UInt32 command, EventRef* event) override;
  [[nodiscard]] bool ValidateAndStore(bool saving) override;
  void Reload() override;

  CListView& GetFileList() { return files_; }

 private:
  CEditText name_;
  CListView files_;
  CPushButton add_, remove_;
};

class CInstallerPage : public CTabPage {
 public:
  explicit CInstallerPage(CMainWindow& main);
  bool OnInit() override;
  bool OnCommand(UInt32 command, EventRef* event) override;
  [[nodiscard]] bool ValidateAndStore(bool saving) override;
  void Reload() override;

 private:
  CEditText readMe_, licence_, picture_;
  CPushButton chooseReadMe_, chooseLicence_, choosePicture_;
};

class COutputPage : public CTabPage {
 public:
  explicit COutputPage(CMainWindow& main);
  bool OnInit() override;
  bool OnCommand(UInt32 command, EventRef* event) override;
  [[nodiscard]] bool ValidateAndStore(bool saving) override;
  void Reload() override;

 private:
  CEditText folder_;
  CPushButton chooseFolder_;
};
