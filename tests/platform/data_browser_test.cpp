#include "platform/data_browser.h"

#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/ui_test_support.h"

namespace {

// Cells kept by the test, as a list view keeps them.
std::map<DataBrowserItemID, std::string> gCells;
std::vector<std::pair<DataBrowserItemID, DataBrowserItemNotification>> gNotes;

OSStatus ItemData(ControlRef, DataBrowserItemID item, DataBrowserPropertyID, DataBrowserItemDataRef data, Boolean set) {
  if (!set && gCells.count(item)) {
    EXPECT_EQ(plat::SetItemDataText(data, gCells[item]), noErr);
  }
  return noErr;
}

// Deliberately not a strict order: everything is "less".
Boolean Broken(ControlRef, DataBrowserItemID, DataBrowserItemID, DataBrowserPropertyID) { return true; }

Boolean ByText(ControlRef, DataBrowserItemID a, DataBrowserItemID b, DataBrowserPropertyID) {
  return gCells[a] < gCells[b];
}

void Note(ControlRef, DataBrowserItemID item, DataBrowserItemNotification message) { gNotes.push_back({item, message}); }

class DataBrowserTest : public gbtest::HeadlessUiTest {
 protected:
  void SetUp() override {
    HeadlessUiTest::SetUp();
    gCells.clear();
    gNotes.clear();
    Rect r = MakeRect(100, 100, 600, 400);
    ASSERT_EQ(CreateNewWindow(kDocumentWindowClass, kWindowStandardHandlerAttribute, &r, &window_), noErr);
    ShowWindow(window_);
    Rect b = MakeRect(0, 0, 300, 200);
    ASSERT_EQ(CreateDataBrowserControl(window_, &b, kDataBrowserListView, &browser_), noErr);
    DataBrowserCallbacks callbacks;
    ASSERT_EQ(InitDataBrowserCallbacks(&callbacks), noErr);
    callbacks.u.v1.itemDataCallback = ItemData;
    callbacks.u.v1.itemCompareCallback = ByText;
    callbacks.u.v1.itemNotificationCallback = Note;
    ASSERT_EQ(SetDataBrowserCallbacks(browser_, &callbacks), noErr);
    plat::BrowserColumn column;
    column.property = {1, kDataBrowserTextType, 0};
    ASSERT_EQ(plat::AddListViewColumn(browser_, column, 0), noErr);
    EXPECT_EQ(plat::AddListViewColumn(browser_, column, 0), paramErr);  // the id is taken
  }
  WindowRef window_ = nullptr;
  ControlRef browser_ = nullptr;
};

TEST_F(DataBrowserTest, ItemsAreAddedAndRemovedWholeOrNotAtAll) {
  EXPECT_EQ(AddDataBrowserItems(browser_, 0, 3, nullptr, 0), noErr);
  DataBrowserItemID again[] = {4, 2};
  EXPECT_EQ(AddDataBrowserItems(browser_, 0, 2, again, 0), errDataBrowserItemNotAdded);
  DataBrowserItemID missing[] = {1, 9};
  EXPECT_EQ(RemoveDataBrowserItems(browser_, 0, 2, missing, 0), errDataBrowserItemNotFound);
  UInt32 count = 0;
  ASSERT_EQ(GetDataBrowserItemCount(browser_, 0, false, kDataBrowserItemNoState, &count), noErr);
  EXPECT_EQ(count, 3u);
  DataBrowserItemID two[] = {2};
  ASSERT_EQ(SetDataBrowserSelectedItems(browser_, 1, two, kDataBrowserItemsAssign), noErr);
  ASSERT_EQ(GetDataBrowserItemCount(browser_, 0, false, kDataBrowserItemIsSelected, &count), noErr);
  EXPECT_EQ(count, 1u);
  ASSERT_EQ(GetDataBrowserItemCount(browser_, 0, false, kDataBrowserContainerIsOpen, &count), noErr);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(RemoveDataBrowserItems(browser_, 0, 0, nullptr, 0), noErr);
  ASSERT_EQ(GetDataBrowserItemCount(browser_, 0, false, kDataBrowserItemNoState, &count), noErr);
  EXPECT_EQ(count, 0u);
}

TEST_F(DataBrowserTest, SelectionChangesAreNotified) {
  ASSERT_EQ(AddDataBrowserItems(browser_, 0, 3, nullptr, 0), noErr);
  gNotes.clear();
  DataBrowserItemID items[] = {1, 3};
  ASSERT_EQ(SetDataBrowserSelectedItems(browser_, 2, items, kDataBrowserItemsAssign), noErr);
  EXPECT_EQ(plat::BrowserSelection(browser_), (std::vector<DataBrowserItemID>{1, 3}));
  ASSERT_EQ(SetDataBrowserSelectionFlags(browser_, kDataBrowserSelectOnlyOne), noErr);
  gNotes.clear();
  EXPECT_TRUE(plat::ClickBrowserItem(browser_, 2));
  EXPECT_EQ(plat::BrowserSelection(browser_), (std::vector<DataBrowserItemID>{2}));
  std::vector<std::pair<DataBrowserItemID, DataBrowserItemNotification>> expected = {
      {1, kDataBrowserItemDeselected}, {3, kDataBrowserItemDeselected}, {2, kDataBrowserItemSelected},
      {0, kDataBrowserSelectionSetChanged}};
  EXPECT_EQ(gNotes, expected);
  gNotes.clear();
  ASSERT_TRUE(plat::ClickBrowserItem(browser_, 2));  // no change, no news
  EXPECT_TRUE(gNotes.empty());
  EXPECT_FALSE(plat::ClickBrowserItem(browser_, 7));
  DataBrowserItemID first = 0, last = 0;
  ASSERT_EQ(GetDataBrowserSelectionAnchor(browser_, &first, &last), noErr);
  EXPECT_EQ(first, 2u);
}

TEST_F(DataBrowserTest, CellsComeFromTheOwnerAndSortThroughItsCompare) {
  ASSERT_EQ(AddDataBrowserItems(browser_, 0, 3, nullptr, 0), noErr);
  gCells = {{1, "pear"}, {2, "apple"}, {3, "fig"}};
  EXPECT_EQ(plat::BrowserCellText(browser_, 2, 1), "apple");
  EXPECT_EQ(plat::BrowserCellText(browser_, 8, 1), "");
  ASSERT_EQ(UpdateDataBrowserItems(browser_, 0, 0, nullptr, 0, 0), noErr);
  EXPECT_EQ(plat::BrowserOf(browser_)->shown[3][1], "fig");
  EXPECT_EQ(plat::BrowserDisplayOrder(browser_), (std::vector<DataBrowserItemID>{1, 2, 3}));
  ASSERT_EQ(SetDataBrowserSortProperty(browser_, 1), noErr);
  EXPECT_EQ(plat::BrowserDisplayOrder(browser_), (std::vector<DataBrowserItemID>{2, 3, 1}));

  // A compare that is no order at all gives some order, never a crash.
  DataBrowserCallbacks callbacks;
  ASSERT_EQ(GetDataBrowserCallbacks(browser_, &callbacks), noErr);
  callbacks.u.v1.itemCompareCallback = Broken;
  ASSERT_EQ(SetDataBrowserCallbacks(browser_, &callbacks), noErr);
  std::vector<DataBrowserItemID> many;
  for (DataBrowserItemID i = 4; i <= 200; ++i) many.push_back(i);
  ASSERT_EQ(AddDataBrowserItems(browser_, 0, UInt32(many.size()), many.data(), 0), noErr);
  EXPECT_EQ(plat::BrowserDisplayOrder(browser_).size(), 200u);

  EXPECT_EQ(RemoveDataBrowserTableViewColumn(browser_, 1), noErr);
  EXPECT_EQ(RemoveDataBrowserTableViewColumn(browser_, 1), errDataBrowserPropertyNotFound);
  DataBrowserPropertyID sort = 9;
  ASSERT_EQ(GetDataBrowserSortProperty(browser_, &sort), noErr);
  EXPECT_EQ(sort, 0u);
}

}  // namespace
