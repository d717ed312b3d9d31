#include "ui/nib_file.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "foundation/cf_string_holder.h"
#include "tests/support/test_support.h"
#include "tests/support/ui_test_support.h"
#include "ui/dialog_window.h"

namespace {

class NibFile : public gbtest::HeadlessUiTest {
 protected:
  void SetUp() override {
    HeadlessUiTest::SetUp();
    CCFString name("main");
    ASSERT_EQ(CreateNibReference(name.GetRef(), &nib_), noErr);
  }
  void TearDown() override {
    DisposeNibReference(nib_);
    HeadlessUiTest::TearDown();
  }
  WindowRef Make(const char* name) {
    CCFString text(name);
    WindowRef window = nullptr;
    EXPECT_EQ(CreateWindowFromNib(nib_, text.GetRef(), &window), noErr) << name;
    return window;
  }
  static ControlRef Find(WindowRef window, OSType signature, SInt32 id) {
    ControlID cid{signature, id};
    ControlRef control = nullptr;
    EXPECT_EQ(GetControlByID(window, &cid, &control), noErr);
    return control;
  }
  IBNibRef nib_ = nullptr;
};

TEST_F(NibFile, TheApplicationsWindowsAreAllThere) {
  for (const char* name : {"IDD_MAIN", "IDD_SPLASH", "IDD_PROJECT_SELECTOR", "IDD_PREFS", "IDD_ABOUT"}) {
    WindowRef window = Make(name);
    ASSERT_NE(window, nullptr) << name;
    EXPECT_EQ(window->name, name);
    EXPECT_FALSE(IsWindowVisible(window));  // the caller shows it
  }
  CCFString none("IDD_NONE");
  WindowRef window = nullptr;
  EXPECT_EQ(CreateWindowFromNib(nib_, none.GetRef(), &window), paramErr);
  EXPECT_EQ(CreateWindowFromNib(nullptr, none.GetRef(), &window), paramErr);
}

TEST_F(NibFile, TheMainWindowHoldsItsTabsPagesAndStatus) {
  WindowRef main = Make("IDD_MAIN");
  ASSERT_NE(main, nullptr);
  ControlRef tabs = Find(main, FourCC("tbSv"), 0);
  ASSERT_NE(tabs, nullptr);
  EXPECT_EQ(tabs->tabs.size(), 4u);
  EXPECT_STREQ(tabs->tabs[3].name, "Output");
  EXPECT_EQ(GetControl32BitValue(tabs), 1);
  for (SInt32 pane = 1000; pane <= 1003; ++pane) {
    ControlRef host = Find(main, 0, pane);
    ASSERT_NE(host, nullptr) << pane;
    EXPECT_EQ(IsControlVisible(host), pane == 1000);
  }
  // Page controls are found by the page's user value, embedded in its pane.
  ControlRef quality = Find(main, FourCC("mQul"), 1000);
  ASSERT_NE(quality, nullptr);
  ControlRef parent = nullptr;
  ASSERT_EQ(GetSuperControl(quality, &parent), noErr);
  EXPECT_EQ(parent, Find(main, 0, 1000));
  MenuRef menu = nullptr;
  ASSERT_EQ(GetControlData(quality, 0, kControlPopupButtonMenuHandleTag, sizeof(MenuRef), &menu, nullptr), noErr);
  EXPECT_EQ(CountMenuItems(menu), 4);
  EXPECT_EQ(GetControl32BitMaximum(quality), 4);
  UInt32 command = 0;
  ASSERT_EQ(GetControlCommandID(quality, &command), noErr);
  EXPECT_EQ(command, FourCC("mQul"));
  ControlRef status = Find(main, FourCC("sSta"), 0);
  ASSERT_NE(status, nullptr);
  EXPECT_EQ(status->kind, plat::ControlKind::kStaticText);
  ASSERT_EQ(GetControlCommandID(status, &command), noErr);
  EXPECT_EQ(command, 0u);

  // Two windows from one layout share nothing.
  WindowRef second = Make("IDD_MAIN");
  EXPECT_NE(Find(second, FourCC("sSta"), 0), status);
}

TEST_F(NibFile, TheMenuBarCarriesTheCommands) {
  CCFString bar("MenuBar");
  ASSERT_EQ(SetMenuBarFromNib(nib_, bar.GetRef()), noErr);
  MenuRef file = GetMenuHandle(1000);
  ASSERT_NE(file, nullptr);
  EXPECT_GE(CountMenuItems(file), 8);  // items 7 and 8 take the recent submenus
  EXPECT_EQ(plat::MenuItemTextString(file, 7), "Open Recent Project");
  MenuRef edit = GetMenuHandle(1001);
  ASSERT_NE(edit, nullptr);
  EXPECT_FALSE(IsMenuCommandEnabled(edit, FourCC("undV")));
  MenuRef found = nullptr;
  MenuItemIndex index = 0;
  ASSERT_EQ(GetIndMenuItemWithCommandID(nullptr, FourCC("svas"), 1, &found, &index), noErr);
  EXPECT_EQ(found->items[index - 1].key, 'S');
  EXPECT_EQ(found->items[index - 1].modifiers, kMenuShiftModifier);
  ASSERT_EQ(GetIndMenuItemWithCommandID(nullptr, 800, 1, &found, &index), noErr);
  EXPECT_TRUE(plat::ChooseMenuCommand(FourCC("mExs")));
  EXPECT_FALSE(plat::ChooseMenuCommand(FourCC("undV")));
  // Installing again replaces the bar rather than doubling it.
  ASSERT_EQ(SetMenuBarFromNib(nib_, bar.GetRef()), noErr);
  EXPECT_EQ(plat::MenuBar().size(), 5u);
  CCFString other("Other");
  EXPECT_EQ(SetMenuBarFromNib(nib_, other.GetRef()), paramErr);
}

class Prefs : public CDialogWindow {
 public:
  std::vector<UInt32> commands;
  bool OnCommand(UInt32 command, EventRef*) override {
    commands.push_back(command);
    if (command == kHICommandOK || command == kHICommandCancel) return EndDialog(SInt32(command));
    return command == FourCC("cUpd");
  }
};

TEST_F(NibFile, ANibDialogIsDrivenByItsControls) {
  Prefs prefs;
  std::string error;
  ASSERT_TRUE(Driver().LoadScript("hit cUpd 2003 in IDD_PREFS\nhit 'ok  ' 2003\n", &error)) << error;
  EXPECT_EQ(prefs.DoModal(nib_, "IDD_PREFS", nullptr, 2003), SInt32(kHICommandOK));
  EXPECT_EQ(prefs.commands, (std::vector<UInt32>{FourCC("cUpd"), kHICommandOK}));
  // Unanswered, the dialog ends with its cancel command.
  prefs.commands.clear();
  EXPECT_EQ(prefs.DoModal(nib_, "IDD_PREFS", nullptr, 2003), SInt32(kHICommandCancel));
  EXPECT_EQ(prefs.commands, (std::vector<UInt32>{kHICommandCancel}));
  EXPECT_EQ(plat::WindowList().size(), 0u);
}

TEST(NibLayouts, AMalformedFileIsRefusedWhole) {
  const std::string folder = gbtest::MakeTempFolder("nibs");
  const std::string good =
      "<?xml version=\"1.0\" ?>\n<nib name=\"t\"><window name=\"W\" width=\"10\" height=\"10\">"
      "<control kind=\"button\" signature=\"ok  \" width=\"5\" height=\"5\"/></window></nib>\n";
  struct Case {
    const char* what;
    std::string text;
  } cases[] = {
      {"not xml", "<nib><window"},
      {"another root", "<?xml version=\"1.0\" ?>\n<layout/>"},
      {"unknown element", "<nib><dialog/></nib>"},
      {"unknown kind", "<nib><window name=\"W\" width=\"1\" height=\"1\"><control kind=\"slider\" width=\"1\" height=\"1\"/></window></nib>"},
      {"no size", "<nib><window name=\"W\"/></nib>"},
      {"negative size", "<nib><window name=\"W\" width=\"-5\" height=\"10\"/></nib>"},
      {"past the coordinates", "<nib><window name=\"W\" left=\"32000\" width=\"1000\" height=\"10\"/></nib>"},
      {"bad signature", "<nib><window name=\"W\" width=\"1\" height=\"1\"><control kind=\"button\" signature=\"toolong\" width=\"1\" height=\"1\"/></window></nib>"},
      {"bad class", "<nib><window name=\"W\" class=\"round\" width=\"1\" height=\"1\"/></nib>"},
      {"bad menu id", "<nib><menubar name=\"B\"><menu id=\"x\"/></menubar></nib>"},
      {"long key", "<nib><menubar name=\"B\"><menu id=\"1\"><item key=\"ab\"/></menu></menubar></nib>"},
      {"item in a button", "<nib><window name=\"W\" width=\"1\" height=\"1\"><control kind=\"button\" width=\"1\" height=\"1\"><item/></control></window></nib>"},
  };
  CNibFile nib;
  std::string error;
  ASSERT_TRUE(gbtest::WriteFile(folder + "good.xml", good));
  ASSERT_TRUE(nib.Load(CPathName((folder + "good.xml").c_str()), &error)) << error;
  EXPECT_NE(nib.FindWindow("W"), nullptr);
  for (const Case& k : cases) {
    ASSERT_TRUE(gbtest::WriteFile(folder + "bad.xml", k.text));
    error.clear();
    EXPECT_FALSE(nib.Load(CPathName((folder + "bad.xml").c_str()), &error)) << k.what;
    EXPECT_FALSE(error.empty()) << k.what;
    EXPECT_TRUE(nib.Windows().empty()) << k.what;
  }
  // Controls nested without end are refused, not followed.
  std::string deep = "<nib><window name=\"W\" width=\"1\" height=\"1\">";
  for (int i = 0; i < 40; ++i) deep += "<control kind=\"pane\" width=\"1\" height=\"1\">";
  for (int i = 0; i < 40; ++i) deep += "</control>";
  deep += "</window></nib>";
  ASSERT_TRUE(gbtest::WriteFile(folder + "deep.xml", deep));
  EXPECT_FALSE(nib.Load(CPathName((folder + "deep.xml").c_str()), &error));
  EXPECT_FALSE(nib.Load(CPathName((folder + "missing.xml").c_str()), &error));
}

}  // namespace
