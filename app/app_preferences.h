// CAppPreferences: the user's settings between runs, read once at start-up
// and written once at exit; CPreferencesDialog edits them.
//
// The settings live in the preferences store of the application's domain
// (current user, any host). A key that is absent or of the wrong type leaves
// its field as it was.
#pragma once

#include "platform/mac_types.h"
#include "ui/buttons.h"
#include "ui/dialog_window.h"
#include "ui/recent_files.h"

// The start-up project command.
enum : SInt32 {
  kProjectCommandNewFromMovie = 0,
  kProjectCommandNew = 1,
  kProjectCommandOpen = 2,
};

class CAppPreferences {
 public:
  static constexpr int kColourCount = 16;

  CAppPreferences();
  CAppPreferences(const CAppPreferences&) = delete;
  CAppPreferences& operator=(const CAppPreferences&) = delete;

  // Back to the defaults of a first run (both lists emptied).
  void SetDefaults();

  // False, every field as it was, when the store cannot be opened.
  [[nodiscard]] bool Load();
  // False when the store cannot be opened or a value cannot be written.
  [[nodiscard]] bool Save();

  SInt32 left, top, width, height;
  SInt32 projectCommand;
  bool displayFullSettingsPath;
  CRecentFileList recentProjects;
  CRecentFileList recentMovies;
  bool alwaysOverwrite;
  bool checkSoftwareUpdates;
  // Colour slots of the colour choosers; not stored.
  UInt32 colours[kColourCount];
};

// The one instance of the run.
CAppPreferences& AppPreferences();

// Asks the update service about a newer version and says what it found in
// a message on `parent`: that it cannot be reached, that a newer version is
// available, or that this one is the latest.
void RunUpdateCheckWithReport(WindowRef parent);

// The preferences dialog ("IDD_PREFS"): the update switch with its "check
// now" button, and the two switches of the Build command and the title.
class CPreferencesDialog : public CDialogWindow {
 public:
  static constexpr SInt32 kUserValue = 2003;

  explicit CPreferencesDialog(CAppPreferences& preferences);
  ~CPreferencesDialog() override;

  bool OnInit() override;
  bool OnCommand(UInt32 command, EventRef* event) override;

  // The check box from the field (redrawn; false when the box refuses it),
  // and the field from the check box (its new value).
  [[nodiscard]] bool ShowUpdateSwitch();
  bool StoreUpdateSwitch();

 private:
  CAppPreferences* preferences_;
  CCheckBox updateCheck_;
  CPushButton checkNow_;
  CCheckBox alwaysOverwrite_;
  CCheckBox fullPath_;
};
