// CTabControl: a tab control whose tabs each show one pane of the window.
//
// Each tab is given the pane it shows (a user-pane control found by its
// ControlID {0, pane id}) and a title by string number. Choosing a tab,
// by a click or by SelectTab, shows its pane and hides the others.
#pragma once

#include <vector>

#include "ui/control.h"

class CTabControl : public CControl {
 public:
  ~CTabControl() override;
  [[nodiscard]] bool OnAttach() override;
  bool Destroy() override;

  // Tab `index` (0-based) shows the pane {0, paneId} and is titled with the
  // localized string `titleString`; false when the tab or pane is missing
  // or the tab does not take its title.
  [[nodiscard]] bool SetPane(int index, SInt32 paneId, UInt32 titleString);
  [[nodiscard]] bool SelectTab(int index);
  // The chosen tab, -1 when none.
  int GetSelectedTab() const;
  int GetTabCount() const;

 private:
  [[nodiscard]] static OSStatus HandleHit(EventHandlerCallRef call, EventRef event, void* self);
  void ShowChosenPane();

  std::vector<ControlRef> panes_;
  EventHandlerUPP upp_ = nullptr;
  EventHandlerRef handler_ = nullptr;
};
