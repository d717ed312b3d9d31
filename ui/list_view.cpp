#include "ui/list_view.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "foundation/cf_string_holder.h"
#include "platform/carbon_strings.h"
#include "ui/dialog_window.h"

CListView::~CListView() = default;

bool CListView::Create(CDialogWindow* owner, UInt32 id, const Rect* bounds) {
  if (!CControl::Create(owner, id, bounds, nullptr) || !owner || !bounds) return false;
  OSStatus status = CreateDataBrowserControl(owner->GetWindowRef(), bounds, kDataBrowserListView, &control_);
  if (status != noErr) {
    status_ = status;
    control_ = nullptr;
    return false;
  }
  if (!FinishCreate(owner, id)) return false;
  return OnAttach();
}

bool CListView::OnAttach() {
  SetControlReference(control_, static_cast<CControl*>(this));
  itemDataUpp_ = NewDataBrowserItemDataUPP(&CListView::ItemData);
  notificationUpp_ = NewDataBrowserItemNotificationUPP(&CListView::Notify);
  compareUpp_ = NewDataBrowserItemCompareUPP(&CListView::Compare);
  if (!itemDataUpp_ || !notificationUpp_ || !compareUpp_) return false;
  DataBrowserCallbacks callbacks;
  if (InitDataBrowserCallbacks(&callbacks) != noErr) return false;
  callbacks.u.v1.itemDataCallback = itemDataUpp_;
  callbacks.u.v1.itemNotificationCallback = notificationUpp_;
  callbacks.u.v1.itemCompareCallback = compareUpp_;
  return SetDataBrowserCallbacks(control_, &callbacks) == noErr;
}

CListView* CListView::FromBrowser(ControlRef browser) {
  return static_cast<CListView*>(static_cast<CControl*>(GetControlReference(browser)));
}

const CListView::Cell* CListView::CellOf(DataBrowserItemID item, DataBrowserPropertyID property) const {
  if (item < 1 || item > rows_.size() || property < 1) return nullptr;
  const Row& row = rows_[item - 1];
  if (property > row.cells.size()) return nullptr;
  return &row.cells[property - 1];
}

CListView::Cell* CListView::CellAt(int row, int column) {
  if (row < 0 || column < 0) return nullptr;
  return const_cast<Cell*>(
      static_cast<const CListView*>(this)->CellOf(DataBrowserItemID(row + 1), DataBrowserPropertyID(column + 1)));
}

OSStatus CListView::ItemData(ControlRef browser, DataBrowserItemID item, DataBrowserPropertyID property,
                             DataBrowserItemDataRef data, Boolean setValue) {
  CListView* self = FromBrowser(browser);
  if (self && !setValue && property != 0) {
    if (const Cell* cell = self->CellOf(item, property)) {
      CCFString text(cell->hasText ? cell->text.c_str() : "");
      // A cell whose text the browser cannot take shows empty.
      static_cast<void>(SetDataBrowserItemDataText(data, text.GetRef()));
    }
  }
  return errDataBrowserPropertyNotSupported;
}

Boolean CListView::Compare(ControlRef browser, DataBrowserItemID a, DataBrowserItemID b,
                           DataBrowserPropertyID property) {
  CListView* self = FromBrowser(browser);
  if (!self) return false;
  // A missing cell or text counts as the empty text, so that this is an order.
  const Cell* first = self->CellOf(a, property);
  const Cell* second = self->CellOf(b, property);
  const char* x = first && first->hasText ? first->text.c_str() : "";
  const char* y = second && second->hasText ? second->text.c_str() : "";
  return std::strcmp(x, y) < 0;
}

void CListView::Notify(ControlRef browser, DataBrowserItemID item, DataBrowserItemNotification message) {
  CListView* self = FromBrowser(browser);
  if (!self || message != kDataBrowserItemSelected) return;
  const Cell* cell = self->CellOf(item, 1);
  if (!cell) {
    self->selectionSignal_.Emit(nullptr);
    return;
  }
  std::vector<char> text(cell->text.begin(), cell->text.end());
  text.push_back(0);
  CListItem selected;
  selected.flags = CListItem::kText | CListItem::kValue;
  selected.row = int(item) - 1;
  selected.column = 0;
  selected.text = text.data();
  selected.textSize = text.size();
  selected.value = cell->value;
  self->selectionSignal_.Emit(&selected);
}

bool CListView::AddTableColumn(const StoredColumn& column, DataBrowserPropertyID property) {
  DataBrowserListViewColumnDesc desc;
  desc.propertyDesc.propertyID = property;
  desc.propertyDesc.propertyType = kDataBrowserTextType;
  desc.propertyDesc.propertyFlags = kDataBrowserListViewSelectionColumn | kDataBrowserListViewMovableColumn |
                                    kDataBrowserListViewSortableColumn;
  desc.headerBtnDesc.version = 0;
  desc.headerBtnDesc.minimumWidth = 0;
  desc.headerBtnDesc.maximumWidth = (column.flags & CListColumn::kHasWidth) ? column.width : 100;
  desc.headerBtnDesc.titleOffset = 0;
  desc.headerBtnDesc.initialOrder = kDataBrowserOrderIncreasing;
  desc.headerBtnDesc.btnFontStyle = ControlFontStyleRec();
  desc.headerBtnDesc.btnFontStyle.flags = 0x47;
  desc.headerBtnDesc.btnFontStyle.size = 10;
  desc.headerBtnDesc.btnContentInfo.contentType = kControlContentTextOnly;
  CCFString title;
  // A title that cannot be held leaves the header without one.
  if ((column.flags & CListColumn::kHasTitle) && title.SetCString(column.title.c_str()))
    desc.headerBtnDesc.titleString = title.GetRef();
  return AddDataBrowserListViewColumn(control_, &desc, kDataBrowserListViewAppendColumn) == noErr;
}

namespace {

// The header text of a descriptor: its title, or the localized string of its number.
std::string TitleOf(const CListColumn& column) {
  if (!(column.flags & CListColumn::kHasTitle)) return std::string();
  char text[256];
  if (column.title) {
    std::snprintf(text, sizeof(text), "%s", column.title);
    return text;
  }
  CCFString localized;
  if (!localized.LoadLocalizedString(column.titleStringNumber)) return std::string();
  std::snprintf(text, sizeof(text), "%s", localized.ToStdString().c_str());
  return text;
}

}  // namespace

int CListView::AddColumn(const CListColumn& column, bool store) {
  StoredColumn stored{column.flags, column.reserved, column.width, int(columns_.size()), TitleOf(column)};
  if (!AddTableColumn(stored, DataBrowserPropertyID(columns_.size() + 1))) return -1;
  if (!store) return int(columns_.size());
  columns_.push_back(stored);
  for (Row& row : rows_) row.cells.resize(columns_.size());
  RedrawRows();
  return int(columns_.size()) - 1;
}

int CListView::InsertColumn(int index, const CListColumn& column) {
  if (index < 0) index = 0;
  if (index >= int(columns_.size())) return AddColumn(column, true);
  StoredColumn stored{column.flags, column.reserved, column.width, index, TitleOf(column)};
  columns_.insert(columns_.begin() + index, stored);
  for (Row& row : rows_) row.cells.insert(row.cells.begin() + index, Cell());
  const bool rebuilt = RebuildColumns();
  RedrawRows();
  return rebuilt ? index : -1;
}

bool CListView::DeleteColumn(int index) {
  if (index < 0 || index >= int(columns_.size())) return false;
  if (RemoveDataBrowserTableViewColumn(control_, DataBrowserPropertyID(index + 1)) != noErr) return false;
  columns_.erase(columns_.begin() + index);
  for (Row& row : rows_) row.cells.erase(row.cells.begin() + index);
  // The columns after it move down one place: number them again.
  const bool rebuilt = RebuildColumns();
  RedrawRows();
  return rebuilt;
}

bool CListView::RebuildColumns() {
  UInt32 count = 0;
  if (GetDataBrowserTableViewColumnCount(control_, &count) != noErr) return false;
  // Every column goes, whatever its number: a number without a column has
  // nothing to remove.
  for (UInt32 property = 1; property <= count + 1; ++property)
    static_cast<void>(RemoveDataBrowserTableViewColumn(control_, property));
  bool ok = true;
  for (size_t i = 0; i < columns_.size(); ++i) ok = AddTableColumn(columns_[i], DataBrowserPropertyID(i + 1)) && ok;
  return ok;
}

void CListView::Renumber() {
  for (size_t i = 0; i < rows_.size(); ++i) rows_[i].item = DataBrowserItemID(i + 1);
}

int CListView::InsertRow(const CListItem& item) {
  const DataBrowserItemID id = DataBrowserItemID(rows_.size() + 1);
  if (AddDataBrowserItems(control_, kDataBrowserNoItem, 1, &id, 0) != noErr) return -1;
  Row row;
  row.item = id;
  row.cells.resize(std::max<size_t>(columns_.size(), 1));
  if (item.flags & CListItem::kText) {
    row.cells[0].hasText = item.text != nullptr;
    row.cells[0].text = item.text ? item.text : "";
  }
  if (item.flags & CListItem::kValue) row.cells[0].value = item.value;
  const int at = std::clamp(item.row, 0, int(rows_.size()));
  rows_.insert(rows_.begin() + at, row);
  Renumber();
  RedrawRows();
  return at;
}

bool CListView::DeleteRow(int row) {
  if (row < 0 || row >= int(rows_.size())) return false;
  const DataBrowserItemID last = DataBrowserItemID(rows_.size());
  if (RemoveDataBrowserItems(control_, kDataBrowserNoItem, 1, &last, 0) != noErr) return false;
  rows_.erase(rows_.begin() + row);
  Renumber();
  RedrawRows();
  return true;
}

bool CListView::DeleteAllRows() {
  if (!rows_.empty() && RemoveDataBrowserItems(control_, kDataBrowserNoItem, 0, nullptr, 0) != noErr) return false;
  rows_.clear();
  RedrawRows();
  return true;
}

bool CListView::GetItem(CListItem* item) const {
  if (!item) return false;
  const Cell* cell =
      item->row < 0 || item->column < 0
          ? nullptr
          : CellOf(DataBrowserItemID(item->row + 1), DataBrowserPropertyID(item->column + 1));
  if (!cell) return false;
  if ((item->flags & CListItem::kText) && item->text && item->textSize > 0) {
    const size_t n = std::min(cell->text.size(), item->textSize - 1);
    std::memcpy(item->text, cell->text.data(), n);
    item->text[n] = 0;
  }
  if (item->flags & CListItem::kValue) item->value = cell->value;
  return true;
}

bool CListView::SetItem(const CListItem& item) {
  Cell* cell = CellAt(item.row, item.column);
  if (!cell) return false;
  if (item.flags & CListItem::kText) {
    cell->hasText = item.text != nullptr;
    cell->text = item.text ? item.text : "";
  }
  if (item.flags & CListItem::kValue) cell->value = item.value;
  return UpdateItem(item.row);
}

bool CListView::SetCellText(int row, int column, const char* text) {
  CListItem item;
  item.flags = CListItem::kText;
  item.row = row;
  item.column = column;
  item.text = const_cast<char*>(text);
  return SetItem(item);
}

bool CListView::SetCellValue(int row, int column, SInt32 value) {
  CListItem item;
  item.flags = CListItem::kValue;
  item.row = row;
  item.column = column;
  item.value = value;
  return SetItem(item);
}

bool CListView::SwapRows(int a, int b) {
  if (a < 0 || b < 0 || a >= int(rows_.size()) || b >= int(rows_.size())) return false;
  std::swap(rows_[size_t(a)].cells, rows_[size_t(b)].cells);
  RedrawRow(a);
  RedrawRow(b);
  return true;
}

int CListView::GetRowCount() const {
  UInt32 any = 0, open = 0;
  // A browser that cannot count (it is gone) holds no rows.
  if (GetDataBrowserItemCount(control_, kDataBrowserNoItem, false, kDataBrowserItemNoState, &any) != noErr) any = 0;
  if (GetDataBrowserItemCount(control_, kDataBrowserNoItem, false, kDataBrowserContainerIsOpen, &open) != noErr) open = 0;
  return int(any + open);
}

int CListView::GetSelectedRow() const {
  DataBrowserItemID first = 0, last = 0;
  if (GetDataBrowserSelectionAnchor(control_, &first, &last) != noErr || first == kDataBrowserNoItem) return -1;
  return int(first) - 1;
}

int CListView::GetSelectedRows(int* out, int capacity) const {
  int count = 0;
  for (size_t i = 0; i < rows_.size(); ++i) {
    if (!IsDataBrowserItemSelected(control_, rows_[i].item)) continue;
    if (out && count < capacity) out[count] = int(i);
    ++count;
  }
  return count;
}

bool CListView::SetRowSelected(int row, bool selected) {
  const bool cleared = ClearSelection();
  const DataBrowserItemID id = DataBrowserItemID(row + 1);
  if (row < 0 || row >= int(rows_.size())) return false;
  OSStatus status =
      SetDataBrowserSelectedItems(control_, 1, &id, DataBrowserSetOption(selected ? kDataBrowserItemsAdd : kDataBrowserItemsRemove));
  RedrawRows();
  return cleared && status == noErr;
}

bool CListView::ClearSelection() {
  return SetDataBrowserSelectedItems(control_, 0, nullptr, kDataBrowserItemsAssign) == noErr;
}

bool CListView::SetSortProperty(DataBrowserPropertyID property) {
  return SetDataBrowserSortProperty(control_, property) == noErr;
}

bool CListView::SetSelectionMode(bool single) {
  const bool a = SetDataBrowserSelectionFlags(control_, single ? DataBrowserSelectionFlags(kDataBrowserSelectOnlyOne) : 0u) == noErr;
  const bool b = SetDataBrowserTableViewHiliteStyle(control_, kDataBrowserTableViewFillHilite) == noErr;
  return a && b;
}

bool CListView::UpdateItem(int row) {
  const DataBrowserItemID id = DataBrowserItemID(row + 1);
  return UpdateDataBrowserItems(control_, kDataBrowserNoItem, 1, &id, 0, 0) == noErr;
}

// The rows are the list's own: a browser that cannot redraw them now (it is
// gone) shows them, if at all, when it asks for them again.
void CListView::RedrawRows() { static_cast<void>(UpdateAllRows()); }
void CListView::RedrawRow(int row) { static_cast<void>(UpdateItem(row)); }

bool CListView::UpdateAllRows() {
  std::vector<DataBrowserItemID> ids;
  for (size_t i = 0; i < rows_.size(); ++i) ids.push_back(DataBrowserItemID(i + 1));
  if (ids.empty()) return true;
  return UpdateDataBrowserItems(control_, kDataBrowserNoItem, UInt32(ids.size()), ids.data(), 0, 0) == noErr;
}
