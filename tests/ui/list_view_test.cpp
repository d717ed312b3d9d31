#include "ui/list_view.h"

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/ui_test_support.h"
#include "ui/dialog_window.h"

namespace {

class ListView : public gbtest::HeadlessUiTest {
 protected:
  void SetUp() override {
    HeadlessUiTest::SetUp();
    ASSERT_TRUE(owner_.Create(100, 100, 400, 300, kDialogShowAtOnce, nullptr));
    Rect bounds = MakeRect(10, 10, 390, 290);
    ASSERT_TRUE(list_.Create(&owner_, FourCC("lFil"), &bounds));
  }
  void AddColumns(int n) {
    for (int i = 0; i < n; ++i) {
      CListColumn column;
      column.flags = CListColumn::kHasTitle;
      std::string title = "Column " + std::to_string(i);
      column.title = title.c_str();
      ASSERT_EQ(list_.AddColumn(column, true), i);
    }
  }
  int AddRow(const char* text, int row = 999, SInt32 value = 0) {
    CListItem item;
    item.flags = CListItem::kText | CListItem::kValue;
    item.row = row;
    item.text = const_cast<char*>(text);
    item.value = value;
    return list_.InsertRow(item);
  }
  std::string Cell(int row, int column) {
    char text[64];
    CListItem item;
    item.flags = CListItem::kText;
    item.row = row;
    item.column = column;
    item.text = text;
    item.textSize = sizeof(text);
    return list_.GetItem(&item) ? text : "<none>";
  }
  // What the browser shows for a cell, through the item-data callback.
  std::string Shown(int row, int column) {
    return plat::BrowserCellText(list_.GetControlRef(), DataBrowserItemID(row + 1), DataBrowserPropertyID(column + 1));
  }
  plat::DataBrowser* Browser() { return plat::BrowserOf(list_.GetControlRef()); }
  CDialogWindow owner_;
  CListView list_;
};

TEST_F(ListView, RowsAreInsertedClampedAndDeletedWithinTheBounds) {
  AddColumns(2);
  EXPECT_EQ(AddRow("b"), 0);
  EXPECT_EQ(AddRow("d", 99), 1);   // past the end: appended
  EXPECT_EQ(AddRow("a", -4), 0);   // before the start: first
  EXPECT_EQ(AddRow("c", 2), 2);
  EXPECT_EQ(list_.GetRowCount(), 4);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(Cell(i, 0), std::string(1, char('a' + i)));
  EXPECT_EQ(Cell(0, 1), "");  // a cell with no text reads back empty
  EXPECT_EQ(Cell(4, 0), "<none>");
  EXPECT_EQ(Cell(0, 2), "<none>");
  EXPECT_EQ(Cell(-1, 0), "<none>");
  EXPECT_EQ(Shown(2, 0), "c");
  EXPECT_EQ(Browser()->items, (std::vector<DataBrowserItemID>{1, 2, 3, 4}));

  EXPECT_FALSE(list_.DeleteRow(4));
  EXPECT_FALSE(list_.DeleteRow(-1));
  EXPECT_EQ(list_.GetRowCount(), 4);
  EXPECT_TRUE(list_.DeleteRow(1));
  EXPECT_EQ(Cell(1, 0), "c");
  EXPECT_EQ(Browser()->items, (std::vector<DataBrowserItemID>{1, 2, 3}));
  EXPECT_TRUE(list_.SwapRows(0, 2));
  EXPECT_EQ(Cell(0, 0), "d");
  EXPECT_EQ(Shown(2, 0), "a");
  EXPECT_FALSE(list_.SwapRows(0, 3));
  EXPECT_TRUE(list_.DeleteAllRows());
  EXPECT_EQ(list_.GetRowCount(), 0);
  EXPECT_TRUE(list_.DeleteAllRows());
}

TEST_F(ListView, CellsAreSetByTextAndValueAndCopiedWithinTheBuffer) {
  AddColumns(2);
  AddRow("first", 0, 7);
  EXPECT_TRUE(list_.SetCellText(0, 1, "a longer text than the buffer"));
  EXPECT_TRUE(list_.SetCellValue(0, 1, -3));
  EXPECT_FALSE(list_.SetCellText(1, 0, "x"));
  EXPECT_FALSE(list_.SetCellValue(0, 5, 1));
  char small[8];
  std::memset(small, '#', sizeof(small));
  CListItem item;
  item.flags = CListItem::kText | CListItem::kValue;
  item.row = 0;
  item.column = 1;
  item.text = small;
  item.textSize = 5;
  ASSERT_TRUE(list_.GetItem(&item));
  EXPECT_STREQ(small, "a lo");
  EXPECT_EQ(small[5], '#');
  EXPECT_EQ(item.value, -3);
  item.column = 0;
  item.flags = CListItem::kValue;
  ASSERT_TRUE(list_.GetItem(&item));
  EXPECT_EQ(item.value, 7);
  EXPECT_EQ(Shown(0, 1), "a longer text than the buffer");
}

TEST_F(ListView, ColumnsKeepOneCellPerRowAndTheirProperties) {
  AddColumns(2);
  AddRow("r0");
  AddRow("r1");
  ASSERT_TRUE(list_.SetCellText(0, 1, "second"));
  CListColumn inserted;
  inserted.flags = CListColumn::kHasTitle | CListColumn::kHasWidth;
  inserted.width = 240;
  inserted.title = "100% of %s";  // shown as it stands
  EXPECT_EQ(list_.InsertColumn(0, inserted), 0);
  ASSERT_EQ(Browser()->columns.size(), 3u);
  EXPECT_EQ(Browser()->columns[0].title, "100% of %s");
  EXPECT_EQ(Browser()->columns[0].maximumWidth, 240);
  EXPECT_EQ(Browser()->columns[1].maximumWidth, 100);
  EXPECT_EQ(Browser()->columns[1].title, "Column 0");
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(Browser()->columns[i].property.propertyID, i + 1);
    EXPECT_EQ(Browser()->columns[i].property.propertyFlags, 0x70000u);
    EXPECT_EQ(Browser()->columns[i].fontStyle.flags, 0x47);
  }
  EXPECT_EQ(Cell(0, 0), "");
  EXPECT_EQ(Cell(0, 1), "r0");
  EXPECT_EQ(Shown(0, 2), "second");

  // Deleting a column moves the later ones down, properties and all.
  EXPECT_TRUE(list_.DeleteColumn(1));
  EXPECT_FALSE(list_.DeleteColumn(2));
  EXPECT_EQ(list_.GetColumnCount(), 2);
  EXPECT_EQ(Shown(0, 1), "second");
  EXPECT_EQ(Browser()->columns[1].property.propertyID, 2u);

  CListColumn byNumber;
  byNumber.flags = CListColumn::kHasTitle;
  byNumber.titleStringNumber = 10027;
  EXPECT_EQ(list_.InsertColumn(7, byNumber), 2);  // past the end: appended
  EXPECT_EQ(Browser()->columns[2].title, "Cancel");
  CListColumn untitled;
  EXPECT_EQ(list_.AddColumn(untitled, true), 3);
  EXPECT_FALSE(Browser()->columns[3].hasTitle);
  EXPECT_EQ(Cell(1, 3), "");
}

std::vector<CListItem> gSelected;
std::vector<std::string> gSelectedText;

void OnSelected(CListItem* item) {
  gSelected.push_back(item ? *item : CListItem());
  gSelectedText.push_back(item && item->text ? item->text : "<null>");
}

TEST_F(ListView, SelectionIsReportedThroughTheSignal) {
  gSelected.clear();
  gSelectedText.clear();
  AddColumns(1);
  AddRow("alpha", 9, 11);
  AddRow("beta", 9, 22);
  AddRow("gamma", 9, 33);
  auto slot = CSignalSlot<CListItem*>::Plain(OnSelected);
  list_.SelectionSignal().Connect(&slot);
  EXPECT_EQ(list_.GetSelectedRow(), -1);
  ASSERT_TRUE(plat::ClickBrowserItem(list_.GetControlRef(), 2));
  ASSERT_EQ(gSelected.size(), 1u);
  EXPECT_EQ(gSelected[0].row, 1);
  EXPECT_EQ(gSelected[0].value, 22);
  EXPECT_EQ(gSelectedText[0], "beta");
  EXPECT_EQ(list_.GetSelectedRow(), 1);

  EXPECT_TRUE(list_.SetRowSelected(2, true));
  EXPECT_EQ(gSelectedText.back(), "gamma");
  int rows[4] = {-1, -1, -1, -1};
  EXPECT_EQ(list_.GetSelectedRows(rows, 4), 1);
  EXPECT_EQ(rows[0], 2);
  EXPECT_EQ(list_.GetRowCount(), 3);  // selected rows count once
  EXPECT_FALSE(list_.SetRowSelected(5, true));
  EXPECT_EQ(list_.GetSelectedRow(), -1);  // the selection was cleared first
  list_.SelectionSignal().Disconnect(&slot);
}

TEST_F(ListView, SortingTreatsMissingTextAsEmpty) {
  AddColumns(2);
  AddRow("pear");
  AddRow(nullptr);  // no text at all
  AddRow("apple");
  AddRow("");
  ASSERT_TRUE(list_.SetCellText(0, 1, "z"));
  ASSERT_TRUE(list_.SetSortProperty(1));
  std::vector<DataBrowserItemID> order = plat::BrowserDisplayOrder(list_.GetControlRef());
  EXPECT_EQ(order, (std::vector<DataBrowserItemID>{2, 4, 3, 1}));
  // A strict order: never both "a before b" and "b before a".
  DataBrowserCallbacks callbacks;
  ASSERT_EQ(GetDataBrowserCallbacks(list_.GetControlRef(), &callbacks), noErr);
  for (DataBrowserItemID a = 1; a <= 5; ++a)
    for (DataBrowserItemID b = 1; b <= 5; ++b)
      for (DataBrowserPropertyID p : {1u, 2u, 3u})
        EXPECT_FALSE(callbacks.u.v1.itemCompareCallback(list_.GetControlRef(), a, b, p) &&
                     callbacks.u.v1.itemCompareCallback(list_.GetControlRef(), b, a, p))
            << a << " " << b << " " << p;
  // The item-data answer is "not supported", the text is handed over all the same.
  plat::BrowserItemData data;
  EXPECT_EQ(callbacks.u.v1.itemDataCallback(list_.GetControlRef(), 1, 1, &data, false),
            errDataBrowserPropertyNotSupported);
  EXPECT_EQ(data.text, "pear");
  ASSERT_TRUE(list_.SetSelectionMode(true));
  EXPECT_EQ(Browser()->selectionFlags, UInt32(kDataBrowserSelectOnlyOne));
  EXPECT_EQ(Browser()->hiliteStyle, UInt32(kDataBrowserTableViewFillHilite));
}

}  // namespace
