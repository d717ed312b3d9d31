#include "ui/popup_button.h"

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/carbon_strings.h"
#include "tests/support/ui_test_support.h"
#include "ui/dialog_window.h"

namespace {

class PopupButtons : public gbtest::HeadlessUiTest {
 protected:
  void SetUp() override {
    HeadlessUiTest::SetUp();
    ASSERT_TRUE(owner_.Create(100, 100, 400, 300, kDialogShowAtOnce, nullptr));
  }
  static std::vector<std::string> Items(MenuRef menu) {
    std::vector<std::string> out;
    for (MenuItemIndex i = 1; i <= CountMenuItems(menu); ++i) out.push_back(plat::MenuItemTextString(menu, i));
    return out;
  }
  static MenuRef MenuOf(ControlRef c) {
    MenuRef m = nullptr;
    EXPECT_EQ(GetControlData(c, 0, kControlPopupButtonMenuHandleTag, sizeof(MenuRef), &m, nullptr), noErr);
    return m;
  }
  CDialogWindow owner_;
  Rect bounds_ = MakeRect(10, 10, 200, 30);
};

TEST_F(PopupButtons, ItemsAreInsertedAndDeletedWithinTheBounds) {
  CPopupButton popup;
  ASSERT_TRUE(popup.Create(&owner_, FourCC("mQul"), &bounds_, "Quality"));
  MenuRef menu = MenuOf(popup.GetControlRef());
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(popup.AppendItem("b"), 1);
  EXPECT_EQ(popup.AppendItem("c"), 2);
  EXPECT_EQ(popup.AppendItem("d"), 3);
  EXPECT_EQ(popup.InsertItem("a", -5), 0);
  EXPECT_EQ(popup.InsertItem("e", 99), 4);
  EXPECT_EQ(Items(menu), (std::vector<std::string>{"a", "b", "c", "d", "e"}));
  EXPECT_EQ(GetControl32BitMaximum(popup.GetControlRef()), 5);
  EXPECT_EQ(popup.DeleteItem(-1), 4);  // the first
  EXPECT_EQ(popup.DeleteItem(99), 3);  // the last
  EXPECT_EQ(Items(menu), (std::vector<std::string>{"b", "c", "d"}));
  EXPECT_EQ(popup.FindItem("c"), 1);
  EXPECT_EQ(popup.FindItem("C"), -1);
  EXPECT_EQ(popup.FindItem("zz"), -1);
  EXPECT_EQ(popup.AppendSeparator(), 4);
  EXPECT_TRUE(popup.DeleteLastItem());
  EXPECT_TRUE(popup.RemoveAllItems());
  EXPECT_EQ(popup.GetItemCount(), 0);
  EXPECT_EQ(GetControl32BitMaximum(popup.GetControlRef()), 0);
  EXPECT_EQ(popup.DeleteItem(0), 0);
  EXPECT_TRUE(popup.DeleteLastItem());

  EXPECT_TRUE(popup.Destroy());
  EXPECT_FALSE(plat::IsLiveMenu(menu));
  EXPECT_EQ(popup.AppendItem("x"), -1);
  EXPECT_EQ(popup.GetItemCount(), 0);
}

TEST_F(PopupButtons, SelectionIsPinnedAndItsTextFitsTheBuffer) {
  CPopupButton popup;
  ASSERT_TRUE(popup.Create(&owner_, FourCC("mQul"), &bounds_, ""));
  char buffer[8];
  EXPECT_EQ(popup.GetSelection(buffer, true, sizeof(buffer)), -1);  // no items, nothing chosen
  EXPECT_STREQ(buffer, "");
  for (const char* item : {"Low", "Medium", "Highest quality"}) popup.AppendItem(item);
  struct Case {
    int set, expected;
  } cases[] = {{-1, 0}, {0, 0}, {1, 1}, {2, 2}, {3, 2}, {50, 2}};
  for (const Case& k : cases) {
    ASSERT_TRUE(popup.SetSelection(k.set));
    EXPECT_EQ(popup.GetSelection(nullptr, false), k.expected) << k.set;
  }
  std::memset(buffer, '#', sizeof(buffer));
  char guard = '#';
  EXPECT_EQ(popup.GetSelection(buffer, true, 5), 2);
  EXPECT_STREQ(buffer, "High");
  EXPECT_EQ(buffer[5], '#');
  EXPECT_EQ(guard, '#');
  char big[300];
  popup.GetSelection(big, true, sizeof(big));
  EXPECT_STREQ(big, "Highest quality");
  EXPECT_TRUE(popup.SetCheckCurrent(false));
  Boolean check = true;
  ASSERT_EQ(GetControlData(popup.GetControlRef(), 0, kControlPopupButtonCheckCurrentTag, 1, &check, nullptr), noErr);
  EXPECT_FALSE(check);
}

TEST_F(PopupButtons, NibPopupsUseTheMenuOfTheLayout) {
  ControlRef nib = nullptr;
  ASSERT_EQ(plat::NewControl(owner_.GetWindowRef(), plat::ControlKind::kPopupButton, bounds_, "", &nib), noErr);
  ControlID id{FourCC("mNib"), 0};
  ASSERT_EQ(SetControlID(nib, &id), noErr);
  CNibPopupButton popup;
  ASSERT_TRUE(owner_.AttachControl(FourCC("mNib"), &popup));
  EXPECT_FALSE(popup.AppendItem("x"));  // the layout gave it no menu
  MenuRef menu = nullptr;
  ASSERT_EQ(CreateNewMenu(0, 0, &menu), noErr);
  ASSERT_EQ(SetControlData(nib, 0, kControlPopupButtonMenuHandleTag, sizeof(MenuRef), &menu), noErr);
  std::string longText(300, 'y');
  EXPECT_TRUE(popup.AppendItem("one"));
  EXPECT_TRUE(popup.AppendItem(longText.c_str()));
  EXPECT_TRUE(popup.InsertItem("zero", -3));
  EXPECT_EQ(Items(menu), (std::vector<std::string>{"zero", "one", std::string(255, 'y')}));
  ASSERT_TRUE(popup.SetSelection(7));
  EXPECT_EQ(popup.GetSelection(nullptr, false), 2);
  EXPECT_TRUE(popup.DeleteItem(1));
  EXPECT_EQ(popup.GetItemCount(), 2);
  EXPECT_TRUE(popup.RemoveAllItems());
  EXPECT_EQ(GetControlMinimum(nib), 0);
}

TEST_F(PopupButtons, ComboBoxShowsTheChosenItemAndKeepsItsParts) {
  CComboBox combo;
  Rect bounds = MakeRect(20, 40, 220, 62);
  ASSERT_TRUE(combo.Create(&owner_, FourCC("xRat"), &bounds, ""));
  ControlID editId;
  ASSERT_EQ(GetControlID(combo.GetEdit().GetControlRef(), &editId), noErr);
  EXPECT_EQ(editId.signature, FourCC("eRat"));
  Rect r;
  combo.GetBounds(&r);
  EXPECT_EQ(r, bounds);
  EXPECT_EQ(combo.GetEdit().GetWidth(), 168);
  for (const char* item : {"12", "24", "30"}) combo.AppendItem(item);
  EXPECT_EQ(combo.InsertItem("6", -1), 0);
  EXPECT_EQ(combo.DeleteItem(99), 4);
  EXPECT_EQ(combo.GetItemCount(), 3);

  // A choice from the pop-up becomes the edit text.
  EXPECT_TRUE(plat::ClickControl(combo.GetControlRef(), 2));
  EXPECT_EQ(plat::ControlText(combo.GetEdit().GetControlRef()), "12");
  EXPECT_EQ(combo.GetNumber(), 12);
  ASSERT_TRUE(combo.SetSelection(10));
  EXPECT_EQ(plat::ControlText(combo.GetEdit().GetControlRef()), "24");
  ASSERT_TRUE(combo.SetDouble(2.5, 0, 2, false));
  EXPECT_DOUBLE_EQ(combo.GetDouble(), 2.5);
  std::string longText(400, 'z');
  ASSERT_TRUE(combo.SetTextF(false, "%s", longText.c_str()));
  EXPECT_EQ(plat::ControlText(combo.GetEdit().GetControlRef()).size(), 255u);
  ASSERT_TRUE(combo.Clear(false));
  EXPECT_EQ(combo.GetNumber(), 0);
  // The edit text is read whole, whatever its length.
  ASSERT_TRUE(combo.GetEdit().SetText((std::string(300, ' ') + "42").c_str(), false));
  EXPECT_EQ(combo.GetNumber(), 42);
  EXPECT_DOUBLE_EQ(combo.GetDouble(), 42.0);

  // Geometry moves the two parts together.
  combo.SetLeft(50);
  combo.SetTop(80);
  combo.GetBounds(&r);
  EXPECT_EQ(r, MakeRect(50, 80, 250, 102));
  combo.SetSize(100, 30);
  combo.GetBounds(&r);
  EXPECT_EQ(r, MakeRect(50, 80, 150, 110));
  EXPECT_EQ(combo.GetWidth(), 100);
  combo.Move(0, 0);
  combo.GetBounds(&r);
  EXPECT_EQ(r, MakeRect(0, 0, 100, 30));
  EXPECT_TRUE(combo.Disable());
  EXPECT_FALSE(IsControlActive(combo.GetEdit().GetControlRef()));
  EXPECT_FALSE(IsControlActive(combo.GetControlRef()));
}

}  // namespace
