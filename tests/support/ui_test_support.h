// A clean headless screen for each test of the window system and the
// framework above it: no windows, menus, queued events or driver script.
#pragma once

#include <gtest/gtest.h>

#include "platform/carbon_events.h"
#include "platform/font_panel.h"
#include "platform/menus.h"
#include "platform/ui_driver.h"
#include "platform/windows.h"

namespace gbtest {

class HeadlessUiTest : public ::testing::Test {
 protected:
  void SetUp() override { Clean(); }
  void TearDown() override { Clean(); }
  static void Clean() {
    plat::FlushEventQueue();
    plat::DisposeAllWindows();
    plat::DisposeAllMenus();
    plat::ResetFontPanel();
    plat::UiDriver::Get().Reset();
    plat::UiDriver::Get().SetQuiet(true);
  }
  static plat::UiDriver& Driver() { return plat::UiDriver::Get(); }
};

}  // namespace gbtest
