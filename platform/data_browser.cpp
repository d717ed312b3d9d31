#include "platform/data_browser.h"

#include <algorithm>

#include "platform/windows.h"

namespace plat {

DataBrowser* BrowserOf(ControlRef control) {
  return IsLiveControl(control) && control->browser ? control->browser.get() : nullptr;
}

namespace {

[[nodiscard]] bool HasItem(const DataBrowser* b, DataBrowserItemID item) {
  return std::find(b->items.begin(), b->items.end(), item) != b->items.end();
}

void Notify(ControlRef control, DataBrowserItemID item, DataBrowserItemNotification message) {
  DataBrowser* b = BrowserOf(control);
  if (b && b->callbacks.u.v1.itemNotificationCallback) b->callbacks.u.v1.itemNotificationCallback(control, item, message);
}

// Replaces the selection, telling the owner of each item that leaves or joins it.
void ChangeSelection(ControlRef control, const std::set<DataBrowserItemID>& next) {
  DataBrowser* b = BrowserOf(control);
  std::set<DataBrowserItemID> before = b->selected;
  if (before == next) return;
  b->selected = next;
  for (DataBrowserItemID item : before)
    if (!next.count(item)) Notify(control, item, kDataBrowserItemDeselected);
  for (DataBrowserItemID item : next) {
    if (before.count(item)) continue;
    if (!BrowserOf(control) || !BrowserOf(control)->selected.count(item)) break;
    Notify(control, item, kDataBrowserItemSelected);
  }
  if (BrowserOf(control)) Notify(control, kDataBrowserNoItem, kDataBrowserSelectionSetChanged);
}

void Fetch(ControlRef control, DataBrowserItemID item) {
  DataBrowser* b = BrowserOf(control);
  if (!b->callbacks.u.v1.itemDataCallback) return;
  auto& row = b->shown[item];
  std::vector<DataBrowserPropertyID> properties;
  for (const BrowserColumn& c : b->columns) properties.push_back(c.property.propertyID);
  for (DataBrowserPropertyID property : properties) {
    BrowserItemData data;
    data.property = property;
    b->callbacks.u.v1.itemDataCallback(control, item, property, &data, false);
    if (!BrowserOf(control)) return;
    row[property] = data.hasText ? data.text : std::string();
  }
}

}  // namespace

OSStatus AddListViewColumn(ControlRef browser, const BrowserColumn& column, DataBrowserTableViewColumnIndex position) {
  DataBrowser* b = BrowserOf(browser);
  if (!b) return errUnknownControl;
  if (column.property.propertyID == 0) return paramErr;
  for (const BrowserColumn& c : b->columns)
    if (c.property.propertyID == column.property.propertyID) return paramErr;
  size_t at = std::min<size_t>(position, b->columns.size());
  b->columns.insert(b->columns.begin() + long(at), column);
  return noErr;
}

OSStatus SetItemDataText(DataBrowserItemDataRef itemData, const std::string& text) {
  if (!itemData) return paramErr;
  itemData->hasText = true;
  itemData->text = text;
  return noErr;
}

std::string BrowserCellText(ControlRef browser, DataBrowserItemID item, DataBrowserPropertyID property) {
  DataBrowser* b = BrowserOf(browser);
  if (!b || !HasItem(b, item) || !b->callbacks.u.v1.itemDataCallback) return std::string();
  BrowserItemData data;
  data.property = property;
  b->callbacks.u.v1.itemDataCallback(browser, item, property, &data, false);
  return data.hasText ? data.text : std::string();
}

std::vector<DataBrowserItemID> BrowserDisplayOrder(ControlRef browser) {
  DataBrowser* b = BrowserOf(browser);
  if (!b) return {};
  std::vector<DataBrowserItemID> order = b->items;
  DataBrowserItemCompareUPP compare = b->callbacks.u.v1.itemCompareCallback;
  DataBrowserPropertyID property = b->sortProperty;
  if (compare && property) {
    std::stable_sort(order.begin(), order.end(), [&](DataBrowserItemID x, DataBrowserItemID y) {
      return bool(compare(browser, x, y, property));
    });
    if (b->sortOrder == kDataBrowserOrderDecreasing) std::reverse(order.begin(), order.end());
  }
  return order;
}

std::vector<DataBrowserItemID> BrowserSelection(ControlRef browser) {
  DataBrowser* b = BrowserOf(browser);
  if (!b) return {};
  std::vector<DataBrowserItemID> out;
  for (DataBrowserItemID item : b->items)
    if (b->selected.count(item)) out.push_back(item);
  return out;
}

bool ClickBrowserItem(ControlRef browser, DataBrowserItemID item) {
  DataBrowser* b = BrowserOf(browser);
  if (!b || !HasItem(b, item) || !IsControlReallyVisible(browser)) return false;
  ChangeSelection(browser, {item});
  return true;
}

namespace {

template <typename T>
[[nodiscard]] OSStatus SetField(ControlRef browser, T DataBrowser::*field, T value) {
  DataBrowser* b = BrowserOf(browser);
  if (!b) return errUnknownControl;
  b->*field = value;
  return noErr;
}

template <typename T>
[[nodiscard]] OSStatus GetField(ControlRef browser, T DataBrowser::*field, T* out) {
  DataBrowser* b = BrowserOf(browser);
  if (!b) return errUnknownControl;
  if (out) *out = b->*field;
  return noErr;
}

// The items a call names: all of them for null, else each one, which must exist.
[[nodiscard]] OSStatus CollectItems(const DataBrowser* b, UInt32 count, const DataBrowserItemID* items,
                      std::vector<DataBrowserItemID>* out) {
  if (!items) {
    *out = b->items;
    return noErr;
  }
  for (UInt32 i = 0; i < count; ++i) {
    if (!HasItem(b, items[i])) return errDataBrowserItemNotFound;
    out->push_back(items[i]);
  }
  return noErr;
}

}  // namespace

}  // namespace plat

using plat::BrowserOf;

OSStatus CreateDataBrowserControl(WindowRef window, const Rect* bounds, DataBrowserViewStyle style,
                                  ControlRef* outControl) {
  if (!bounds) return paramErr;
  if (style != kDataBrowserListView) return paramErr;
  OSStatus status = plat::NewControl(window, plat::ControlKind::kDataBrowser, *bounds, "", outControl);
  if (status == noErr) (*outControl)->browser->style = style;
  return status;
}

OSStatus InitDataBrowserCallbacks(DataBrowserCallbacks* callbacks) {
  if (!callbacks) return paramErr;
  *callbacks = DataBrowserCallbacks();
  callbacks->version = 1;
  return noErr;
}

OSStatus SetDataBrowserCallbacks(ControlRef browser, const DataBrowserCallbacks* callbacks) {
  plat::DataBrowser* b = BrowserOf(browser);
  if (!b) return errUnknownControl;
  if (!callbacks || callbacks->version != 1) return paramErr;
  b->callbacks = *callbacks;
  return noErr;
}

OSStatus GetDataBrowserCallbacks(ControlRef browser, DataBrowserCallbacks* callbacks) {
  plat::DataBrowser* b = BrowserOf(browser);
  if (!b) return errUnknownControl;
  if (!callbacks) return paramErr;
  *callbacks = b->callbacks;
  return noErr;
}

OSStatus RemoveDataBrowserTableViewColumn(ControlRef browser, DataBrowserPropertyID column) {
  plat::DataBrowser* b = BrowserOf(browser);
  if (!b) return errUnknownControl;
  auto it = std::find_if(b->columns.begin(), b->columns.end(),
                         [&](const plat::BrowserColumn& c) { return c.property.propertyID == column; });
  if (it == b->columns.end()) return errDataBrowserPropertyNotFound;
  b->columns.erase(it);
  if (b->sortProperty == column) b->sortProperty = 0;
  for (auto& row : b->shown) row.second.erase(column);
  return noErr;
}

OSStatus GetDataBrowserTableViewColumnCount(ControlRef browser, UInt32* outCount) {
  plat::DataBrowser* b = BrowserOf(browser);
  if (!b) return errUnknownControl;
  if (outCount) *outCount = UInt32(b->columns.size());
  return noErr;
}

OSStatus AddDataBrowserItems(ControlRef browser, DataBrowserItemID container, UInt32 count,
                             const DataBrowserItemID* items, DataBrowserPropertyID) {
  plat::DataBrowser* b = BrowserOf(browser);
  if (!b) return errUnknownControl;
  if (container != kDataBrowserNoItem) return errDataBrowserItemNotFound;
  std::vector<DataBrowserItemID> adding;
  for (UInt32 i = 0; i < count; ++i) {
    DataBrowserItemID item = items ? items[i] : i + 1;
    if (item == kDataBrowserNoItem || plat::HasItem(b, item) ||
        std::find(adding.begin(), adding.end(), item) != adding.end())
      return errDataBrowserItemNotAdded;
    adding.push_back(item);
  }
  b->items.insert(b->items.end(), adding.begin(), adding.end());
  for (DataBrowserItemID item : adding) {
    plat::Fetch(browser, item);
    if (!BrowserOf(browser)) break;
    plat::Notify(browser, item, kDataBrowserItemAdded);
  }
  return noErr;
}

OSStatus RemoveDataBrowserItems(ControlRef browser, DataBrowserItemID container, UInt32 count,
                                const DataBrowserItemID* items, DataBrowserPropertyID) {
  plat::DataBrowser* b = BrowserOf(browser);
  if (!b) return errUnknownControl;
  if (container != kDataBrowserNoItem) return errDataBrowserItemNotFound;
  std::vector<DataBrowserItemID> removing;
  if (OSStatus status = plat::CollectItems(b, count, items, &removing); status != noErr) return status;
  std::set<DataBrowserItemID> selection = b->selected;
  for (DataBrowserItemID item : removing) selection.erase(item);
  plat::ChangeSelection(browser, selection);
  b = BrowserOf(browser);
  if (!b) return noErr;
  for (DataBrowserItemID item : removing) {
    b->items.erase(std::remove(b->items.begin(), b->items.end(), item), b->items.end());
    b->shown.erase(item);
  }
  for (DataBrowserItemID item : removing) plat::Notify(browser, item, kDataBrowserItemRemoved);
  return noErr;
}

OSStatus UpdateDataBrowserItems(ControlRef browser, DataBrowserItemID container, UInt32 count,
                                const DataBrowserItemID* items, DataBrowserPropertyID, DataBrowserPropertyID) {
  plat::DataBrowser* b = BrowserOf(browser);
  if (!b) return errUnknownControl;
  if (container != kDataBrowserNoItem) return errDataBrowserItemNotFound;
  std::vector<DataBrowserItemID> updating;
  if (OSStatus status = plat::CollectItems(b, count, items, &updating); status != noErr) return status;
  ++b->updates;
  for (DataBrowserItemID item : updating) {
    if (!BrowserOf(browser)) break;
    plat::Fetch(browser, item);
  }
  return noErr;
}

OSStatus GetDataBrowserItemCount(ControlRef browser, DataBrowserItemID container, Boolean, DataBrowserItemState state,
                                 UInt32* outCount) {
  plat::DataBrowser* b = BrowserOf(browser);
  if (!b) return errUnknownControl;
  if (container != kDataBrowserNoItem) return errDataBrowserItemNotFound;
  if (!outCount) return paramErr;
  UInt32 count = 0;
  for (DataBrowserItemID item : b->items) {
    DataBrowserItemState itemState = b->selected.count(item) ? kDataBrowserItemIsSelected : kDataBrowserItemNoState;
    if ((itemState & state) == state || state == kDataBrowserItemAnyState) ++count;
  }
  *outCount = count;
  return noErr;
}

OSStatus SetDataBrowserSelectedItems(ControlRef browser, UInt32 count, const DataBrowserItemID* items,
                                     DataBrowserSetOption operation) {
  plat::DataBrowser* b = BrowserOf(browser);
  if (!b) return errUnknownControl;
  if (count && !items) return paramErr;
  std::set<DataBrowserItemID> next = b->selected;
  if (operation == kDataBrowserItemsAssign) next.clear();
  for (UInt32 i = 0; i < count; ++i) {
    if (!plat::HasItem(b, items[i])) continue;
    switch (operation) {
      case kDataBrowserItemsAdd:
      case kDataBrowserItemsAssign:
        if (b->selectionFlags & kDataBrowserSelectOnlyOne) next.clear();
        next.insert(items[i]);
        break;
      case kDataBrowserItemsToggle:
        if (!next.erase(items[i])) {
          if (b->selectionFlags & kDataBrowserSelectOnlyOne) next.clear();
          next.insert(items[i]);
        }
        break;
      case kDataBrowserItemsRemove:
        next.erase(items[i]);
        break;
      default:
        return paramErr;
    }
  }
  plat::ChangeSelection(browser, next);
  return noErr;
}

Boolean IsDataBrowserItemSelected(ControlRef browser, DataBrowserItemID item) {
  plat::DataBrowser* b = BrowserOf(browser);
  return b && b->selected.count(item);
}

OSStatus GetDataBrowserSelectionAnchor(ControlRef browser, DataBrowserItemID* first, DataBrowserItemID* last) {
  plat::DataBrowser* b = BrowserOf(browser);
  if (!b) return errUnknownControl;
  std::vector<DataBrowserItemID> selection = plat::BrowserSelection(browser);
  if (first) *first = selection.empty() ? kDataBrowserNoItem : selection.front();
  if (last) *last = selection.empty() ? kDataBrowserNoItem : selection.back();
  return noErr;
}

OSStatus SetDataBrowserSortProperty(ControlRef browser, DataBrowserPropertyID property) {
  return plat::SetField(browser, &plat::DataBrowser::sortProperty, property);
}

OSStatus GetDataBrowserSortProperty(ControlRef browser, DataBrowserPropertyID* property) {
  return plat::GetField(browser, &plat::DataBrowser::sortProperty, property);
}

OSStatus SetDataBrowserSortOrder(ControlRef browser, DataBrowserSortOrder order) {
  return plat::SetField(browser, &plat::DataBrowser::sortOrder, order);
}

OSStatus SetDataBrowserSelectionFlags(ControlRef browser, DataBrowserSelectionFlags flags) {
  return plat::SetField(browser, &plat::DataBrowser::selectionFlags, flags);
}

OSStatus GetDataBrowserSelectionFlags(ControlRef browser, DataBrowserSelectionFlags* flags) {
  return plat::GetField(browser, &plat::DataBrowser::selectionFlags, flags);
}

OSStatus SetDataBrowserTableViewHiliteStyle(ControlRef browser, DataBrowserTableViewHiliteStyle style) {
  return plat::SetField(browser, &plat::DataBrowser::hiliteStyle, style);
}
