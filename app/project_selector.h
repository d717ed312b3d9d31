// CProjectSelectorDialog ("IDD_PROJECT_SELECTOR"): how a project starts:
// from a movie, empty, or by opening a project file. The choice is kept as
// the preferences' project command.
#pragma once

#include "app/app_preferences.h"
#include "ui/control.h"
#include "ui/dialog_window.h"

class CProjectSelectorDialog : public CDialogWindow {
 public:
  static constexpr SInt32 kUserValue = 2005;

  explicit CProjectSelectorDialog(CAppPreferences& preferences);

  bool OnInit() override;
  // OK stores the choice and ends with 'ok  '; Cancel ends with 'not!'.
  bool OnCommand(UInt32 command, EventRef* event) override;

 private:
  CAppPreferences* preferences_;
  CControl choice_;
};
