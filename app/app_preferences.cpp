#include "app/app_preferences.h"

#include <cstring>

#include "app/app_version.h"
#include "foundation/preferences.h"
#include "foundation/update_check.h"
#include "ui/message_box.h"
#include "ui/wait_cursor.h"

namespace {

// Preferences keys.
struct WindowKey {
  const char* name;
  SInt32 CAppPreferences::*field;
};
constexpr WindowKey kWindowKeys[] = {
    {"main_window_x", &CAppPreferences::left},
    {"main_window_y", &CAppPreferences::top},
    {"main_window_width", &CAppPreferences::width},
    {"main_window_height", &CAppPreferences::height},
};
constexpr const char* kKeyProjectCommand = "project_command";
constexpr const char* kKeyRecentProjects = "recent_projects";
constexpr const char* kKeyRecentMovies = "recent_swfs";
constexpr const char* kKeyFullPath = "display_full_settings_path";
constexpr const char* kKeyCheckUpdates = "check_software_updates";
constexpr const char* kKeyAlwaysOverwrite = "always_overwrite";

// The words of the project command, by value.
constexpr const char* kProjectCommandWords[] = {"new_from_swf", "new", "open"};

constexpr UInt32 kUpdateSwitch = FourCC("cUpd");
constexpr UInt32 kCheckNowButton = FourCC("bUpd");
constexpr UInt32 kOverwriteSwitch = FourCC("cOvr");
constexpr UInt32 kFullPathSwitch = FourCC("cPth");

enum {
  kErrorTitle = 10000,
  kCannotReachText = 10011,
  kLatestText = 10012,
  kNewerText = 10013,
  kUpdateTitle = 10014,
};

CAppPreferences gAppPreferences;

}  // namespace

CAppPreferences& AppPreferences() { return gAppPreferences; }

CAppPreferences::CAppPreferences() { SetDefaults(); }

void CAppPreferences::SetDefaults() {
  left = 50;
  top = 50;
  width = 400;
  height = 400;
  projectCommand = kProjectCommandNewFromMovie;
  displayFullSettingsPath = false;
  recentProjects.Clear();
  recentMovies.Clear();
  alwaysOverwrite = false;
  checkSoftwareUpdates = true;
  for (UInt32& colour : colours) colour = 0xFFFFFF;
}

bool CAppPreferences::Load() {
  CPreferences store;
  if (!store.Open(kAppPreferencesDomain, CPreferences::kScopeCurrentUserAnyHost)) return false;
  for (const WindowKey& key : kWindowKeys) store.GetInt(key.name, this->*key.field);
  char word[64];
  if (store.GetString(kKeyProjectCommand, word, sizeof(word))) {
    for (SInt32 value = 0; value < 3; ++value)
      if (std::strcmp(word, kProjectCommandWords[value]) == 0) projectCommand = value;
  }
  recentProjects.LoadFromPreferences(store, kKeyRecentProjects);
  recentMovies.LoadFromPreferences(store, kKeyRecentMovies);
  store.GetBool(kKeyFullPath, displayFullSettingsPath);
  store.GetBool(kKeyCheckUpdates, checkSoftwareUpdates);
  store.GetBool(kKeyAlwaysOverwrite, alwaysOverwrite);
  return true;
}

bool CAppPreferences::Save() {
  CPreferences store;
  if (!store.Open(kAppPreferencesDomain, CPreferences::kScopeCurrentUserAnyHost)) return false;
  bool stored = true;
  for (const WindowKey& key : kWindowKeys) stored = store.SetInt(key.name, this->*key.field) && stored;
  stored = recentProjects.SaveToPreferences(store, kKeyRecentProjects) && stored;
  stored = recentMovies.SaveToPreferences(store, kKeyRecentMovies) && stored;
  stored = store.SetBool(kKeyFullPath, displayFullSettingsPath) && stored;
  if (projectCommand >= 0 && projectCommand <= 2)
    stored = store.SetString(kKeyProjectCommand, kProjectCommandWords[projectCommand]) && stored;
  stored = store.SetBool(kKeyCheckUpdates, checkSoftwareUpdates) && stored;
  stored = store.SetBool(kKeyAlwaysOverwrite, alwaysOverwrite) && stored;
  // Closing writes the store; a store that could not be written is no
  // success. What could be stored is written even when a value was refused.
  return store.Close() && stored;
}

void RunUpdateCheckWithReport(WindowRef parent) {
  CWaitCursor wait;
  CUpdateCheck check;
  if (!check.Check(kAppProductCode, kAppVersionMajor, kAppVersionMinor))
    ShowStopBoxById(parent, kErrorTitle, kCannotReachText);
  else if (check.IsNewerAvailable())
    ShowStopBoxById(parent, kUpdateTitle, kNewerText);
  else
    ShowStopBoxById(parent, kUpdateTitle, kLatestText);
}

CPreferencesDialog::CPreferencesDialog(CAppPreferences& preferences) : preferences_(&preferences) {}

CPreferencesDialog::~CPreferencesDialog() = default;

bool CPreferencesDialog::OnInit() {
  // A box that is missing keeps its setting as it is (OK stores only the
  // boxes that are there).
  bool ready = AttachControl(kUpdateSwitch, &updateCheck_) && ShowUpdateSwitch();
  ready = AttachControl(kCheckNowButton, &checkNow_) && ready;
  ready = AttachControl(kOverwriteSwitch, &alwaysOverwrite_) &&
          alwaysOverwrite_.SetCheck(preferences_->alwaysOverwrite, true) && ready;
  ready = AttachControl(kFullPathSwitch, &fullPath_) &&
          fullPath_.SetCheck(preferences_->displayFullSettingsPath, true) && ready;
  return ready;
}

bool CPreferencesDialog::OnCommand(UInt32 command, EventRef*) {
  if (command == kHICommandOK) {
    StoreUpdateSwitch();
    if (alwaysOverwrite_.GetControlRef()) preferences_->alwaysOverwrite = alwaysOverwrite_.GetCheck();
    if (fullPath_.GetControlRef()) preferences_->displayFullSettingsPath = fullPath_.GetCheck();
    EndDialog(SInt32(kHICommandOK));
    return true;
  }
  if (command == kHICommandCancel) {
    EndDialog(SInt32(kHICommandCancel));
    return true;
  }
  if (command == kCheckNowButton) {
    RunUpdateCheckWithReport(GetWindowRef());
    return true;
  }
  return false;
}

bool CPreferencesDialog::ShowUpdateSwitch() { return updateCheck_.SetCheck(preferences_->checkSoftwareUpdates, true); }

bool CPreferencesDialog::StoreUpdateSwitch() {
  if (updateCheck_.GetControlRef()) preferences_->checkSoftwareUpdates = updateCheck_.GetCheck();
  return preferences_->checkSoftwareUpdates;
}
