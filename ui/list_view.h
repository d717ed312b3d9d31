// CListView: the framework's multi-column text list over a list-view data
// browser. The control keeps no cell data; this class holds the cells and
// hands them out through the browser's callbacks. Rows and columns are
// 0-based here; row i is the browser item i + 1, column j the browser
// property j + 1, and every row holds one cell per column.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "foundation/signal.h"
#include "platform/data_browser.h"
#include "ui/control.h"

// A column as the caller describes it.
struct CListColumn {
  enum : UInt32 { kHasTitle = 16, kHasWidth = 32 };
  UInt32 flags = 0;
  UInt32 reserved = 0;
  UInt16 width = 0;
  const char* title = nullptr;   // shown as it stands
  UInt32 titleStringNumber = 0;  // the localized title when `title` is null
};

// One cell as the caller reads or writes it.
struct CListItem {
  enum : UInt32 { kText = 1, kValue = 16 };
  UInt32 flags = 0;
  int row = 0;
  int column = 0;
  char* text = nullptr;    // the text to set, or the buffer GetItem fills
  size_t textSize = 256;   // capacity of that buffer, terminator included
  SInt32 value = 0;
};

class CListView : public CControl {
 public:
  CListView() = default;
  ~CListView() override;

  [[nodiscard]] bool Create(CDialogWindow* owner, UInt32 id, const Rect* bounds);
  [[nodiscard]] bool OnAttach() override;

  int InsertColumn(int index, const CListColumn& column);
  int AddColumn(const CListColumn& column, bool store);
  [[nodiscard]] bool DeleteColumn(int index);
  [[nodiscard]] bool RebuildColumns();
  int GetColumnCount() const { return int(columns_.size()); }

  int InsertRow(const CListItem& item);
  [[nodiscard]] bool DeleteRow(int row);
  [[nodiscard]] bool DeleteAllRows();
  [[nodiscard]] bool GetItem(CListItem* item) const;
  [[nodiscard]] bool SetItem(const CListItem& item);
  [[nodiscard]] bool SetCellText(int row, int column, const char* text);
  [[nodiscard]] bool SetCellValue(int row, int column, SInt32 value);
  [[nodiscard]] bool SwapRows(int a, int b);
  int GetRowCount() const;
  int GetSelectedRow() const;
  // The number of selected rows; at most `capacity` of them are written to `out`.
  int GetSelectedRows(int* out, int capacity) const;
  [[nodiscard]] bool SetRowSelected(int row, bool selected);
  [[nodiscard]] bool ClearSelection();
  [[nodiscard]] bool SetSortProperty(DataBrowserPropertyID property);
  [[nodiscard]] bool SetSelectionMode(bool single);
  [[nodiscard]] bool UpdateAllRows();

  // Emitted when a row is selected, with its first cell (null when missing).
  CSignal<CListItem*>& SelectionSignal() { return selectionSignal_; }

 private:
  // A list view has no title: the titled Create of the other controls stays
  // out of reach rather than hidden.
  using CControl::Create;

  struct StoredColumn {
    UInt32 flags;
    UInt32 reserved;
    UInt16 width;
    int index;
    std::string title;
  };
  struct Cell {
    bool hasText = false;
    std::string text;
    SInt32 value = 0;
  };
  struct Row {
    DataBrowserItemID item = 0;
    std::vector<Cell> cells;
  };

  [[nodiscard]] static OSStatus ItemData(ControlRef browser, DataBrowserItemID item, DataBrowserPropertyID property,
                           DataBrowserItemDataRef data, Boolean setValue);
  [[nodiscard]] static Boolean Compare(ControlRef browser, DataBrowserItemID a, DataBrowserItemID b,
                         DataBrowserPropertyID property);
  static void Notify(ControlRef browser, DataBrowserItemID item, DataBrowserItemNotification message);
  static CListView* FromBrowser(ControlRef browser);

  const Cell* CellOf(DataBrowserItemID item, DataBrowserPropertyID property) const;
  Cell* CellAt(int row, int column);
  [[nodiscard]] bool AddTableColumn(const StoredColumn& column, DataBrowserPropertyID property);
  void Renumber();
  [[nodiscard]] bool UpdateItem(int row);
  // Ask the browser to redraw after the rows changed.
  void RedrawRows();
  void RedrawRow(int row);

  std::vector<StoredColumn> columns_;
  std::vector<Row> rows_;
  CSignal<CListItem*> selectionSignal_;
  DataBrowserItemDataUPP itemDataUpp_ = nullptr;
  DataBrowserItemNotificationUPP notificationUpp_ = nullptr;
  DataBrowserItemCompareUPP compareUpp_ = nullptr;
};
