// The list-view data browser of the headless window system.
//
// Like the real control it keeps no cell data of its own: it holds item ids,
// columns, the selection and the sort property, and asks its owner for cell
// texts through the item-data callback, for the order through the compare
// callback, and tells it of selection changes through the notification
// callback. Sorting is a merge sort, so a callback that is not a strict order
// gives a poor order but never runs out of bounds.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/controls.h"

typedef UInt32 DataBrowserItemID;
typedef UInt32 DataBrowserPropertyID;
typedef OSType DataBrowserPropertyType;
typedef UInt32 DataBrowserPropertyFlags;
typedef UInt32 DataBrowserItemState;
typedef UInt32 DataBrowserItemNotification;
typedef UInt32 DataBrowserSetOption;
typedef UInt32 DataBrowserSelectionFlags;
typedef UInt32 DataBrowserTableViewHiliteStyle;
typedef UInt16 DataBrowserSortOrder;
typedef UInt32 DataBrowserTableViewColumnIndex;

namespace plat {
class BrowserItemData;
}
typedef plat::BrowserItemData* DataBrowserItemDataRef;

constexpr DataBrowserViewStyle kDataBrowserListView = FourCC("lsvw");
constexpr DataBrowserPropertyType kDataBrowserTextType = FourCC("text");
constexpr DataBrowserItemID kDataBrowserNoItem = 0;

enum : DataBrowserItemState {
  kDataBrowserItemNoState = 0,
  kDataBrowserItemIsSelected = 1u << 0,
  kDataBrowserContainerIsOpen = 1u << 1,
  kDataBrowserItemAnyState = 0xFFFFFFFFu,
};

enum : DataBrowserItemNotification {
  kDataBrowserItemAdded = 1,
  kDataBrowserItemRemoved = 2,
  kDataBrowserItemSelected = 5,
  kDataBrowserItemDeselected = 6,
  kDataBrowserItemDoubleClicked = 7,
  kDataBrowserSelectionSetChanged = 14,
};

enum : DataBrowserSetOption {
  kDataBrowserItemsAdd = 0,
  kDataBrowserItemsAssign = 1,
  kDataBrowserItemsToggle = 2,
  kDataBrowserItemsRemove = 3,
};

enum : DataBrowserSelectionFlags {
  kDataBrowserSelectOnlyOne = 1u << 1,
};

enum : DataBrowserPropertyFlags {
  kDataBrowserListViewSelectionColumn = 1u << 16,
  kDataBrowserListViewMovableColumn = 1u << 17,
  kDataBrowserListViewSortableColumn = 1u << 18,
};

enum : DataBrowserSortOrder {
  kDataBrowserOrderUndefined = 0,
  kDataBrowserOrderIncreasing = 1,
  kDataBrowserOrderDecreasing = 2,
};

enum : DataBrowserTableViewHiliteStyle {
  kDataBrowserTableViewMinimalHilite = 0,
  kDataBrowserTableViewFillHilite = 1,
};

typedef OSStatus (*DataBrowserItemDataProcPtr)(ControlRef browser, DataBrowserItemID item,
                                               DataBrowserPropertyID property, DataBrowserItemDataRef itemData,
                                               Boolean setValue);
typedef Boolean (*DataBrowserItemCompareProcPtr)(ControlRef browser, DataBrowserItemID itemOne,
                                                 DataBrowserItemID itemTwo, DataBrowserPropertyID sortProperty);
typedef void (*DataBrowserItemNotificationProcPtr)(ControlRef browser, DataBrowserItemID item,
                                                   DataBrowserItemNotification message);
typedef DataBrowserItemDataProcPtr DataBrowserItemDataUPP;
typedef DataBrowserItemCompareProcPtr DataBrowserItemCompareUPP;
typedef DataBrowserItemNotificationProcPtr DataBrowserItemNotificationUPP;

inline DataBrowserItemDataUPP NewDataBrowserItemDataUPP(DataBrowserItemDataProcPtr p) { return p; }
inline DataBrowserItemCompareUPP NewDataBrowserItemCompareUPP(DataBrowserItemCompareProcPtr p) { return p; }
inline DataBrowserItemNotificationUPP NewDataBrowserItemNotificationUPP(DataBrowserItemNotificationProcPtr p) {
  return p;
}
inline void DisposeDataBrowserItemDataUPP(DataBrowserItemDataUPP) {}
inline void DisposeDataBrowserItemCompareUPP(DataBrowserItemCompareUPP) {}
inline void DisposeDataBrowserItemNotificationUPP(DataBrowserItemNotificationUPP) {}

struct DataBrowserCallbacks {
  UInt32 version = 0;
  struct {
    struct {
      DataBrowserItemDataUPP itemDataCallback = nullptr;
      DataBrowserItemCompareUPP itemCompareCallback = nullptr;
      DataBrowserItemNotificationUPP itemNotificationCallback = nullptr;
    } v1;
  } u;
};

struct DataBrowserPropertyDesc {
  DataBrowserPropertyID propertyID = 0;
  DataBrowserPropertyType propertyType = 0;
  DataBrowserPropertyFlags propertyFlags = 0;
};

[[nodiscard]] OSStatus CreateDataBrowserControl(WindowRef window, const Rect* bounds, DataBrowserViewStyle style,
                                  ControlRef* outControl);
[[nodiscard]] OSStatus InitDataBrowserCallbacks(DataBrowserCallbacks* callbacks);
[[nodiscard]] OSStatus SetDataBrowserCallbacks(ControlRef browser, const DataBrowserCallbacks* callbacks);
[[nodiscard]] OSStatus GetDataBrowserCallbacks(ControlRef browser, DataBrowserCallbacks* callbacks);

[[nodiscard]] OSStatus RemoveDataBrowserTableViewColumn(ControlRef browser, DataBrowserPropertyID column);
[[nodiscard]] OSStatus GetDataBrowserTableViewColumnCount(ControlRef browser, UInt32* outCount);

// items null: ids 1..count. Adding an id that is present fails
// (errDataBrowserItemNotAdded); removing an absent one fails
// (errDataBrowserItemNotFound) and changes nothing. RemoveDataBrowserItems with
// items null removes every item.
[[nodiscard]] OSStatus AddDataBrowserItems(ControlRef browser, DataBrowserItemID container, UInt32 count,
                             const DataBrowserItemID* items, DataBrowserPropertyID preSortProperty);
[[nodiscard]] OSStatus RemoveDataBrowserItems(ControlRef browser, DataBrowserItemID container, UInt32 count,
                                const DataBrowserItemID* items, DataBrowserPropertyID preSortProperty);
// Asks the item-data callback again for the cells of the items (all when null).
[[nodiscard]] OSStatus UpdateDataBrowserItems(ControlRef browser, DataBrowserItemID container, UInt32 count,
                                const DataBrowserItemID* items, DataBrowserPropertyID preSortProperty,
                                DataBrowserPropertyID property);
// Counts items whose state has every bit of `state` (0 counts all).
[[nodiscard]] OSStatus GetDataBrowserItemCount(ControlRef browser, DataBrowserItemID container, Boolean recurse,
                                 DataBrowserItemState state, UInt32* outCount);
[[nodiscard]] OSStatus SetDataBrowserSelectedItems(ControlRef browser, UInt32 count, const DataBrowserItemID* items,
                                     DataBrowserSetOption operation);
[[nodiscard]] Boolean IsDataBrowserItemSelected(ControlRef browser, DataBrowserItemID item);
[[nodiscard]] OSStatus GetDataBrowserSelectionAnchor(ControlRef browser, DataBrowserItemID* first, DataBrowserItemID* last);
[[nodiscard]] OSStatus SetDataBrowserSortProperty(ControlRef browser, DataBrowserPropertyID property);
[[nodiscard]] OSStatus GetDataBrowserSortProperty(ControlRef browser, DataBrowserPropertyID* property);
[[nodiscard]] OSStatus SetDataBrowserSortOrder(ControlRef browser, DataBrowserSortOrder order);
[[nodiscard]] OSStatus SetDataBrowserSelectionFlags(ControlRef browser, DataBrowserSelectionFlags flags);
[[nodiscard]] OSStatus GetDataBrowserSelectionFlags(ControlRef browser, DataBrowserSelectionFlags* flags);
[[nodiscard]] OSStatus SetDataBrowserTableViewHiliteStyle(ControlRef browser, DataBrowserTableViewHiliteStyle style);

namespace plat {

struct BrowserColumn {
  DataBrowserPropertyDesc property;
  UInt16 minimumWidth = 0;
  UInt16 maximumWidth = 0;
  SInt16 titleOffset = 0;
  std::string title;  // Mac Roman
  bool hasTitle = false;
  DataBrowserSortOrder initialOrder = kDataBrowserOrderIncreasing;
  ControlFontStyleRec fontStyle;
};

class BrowserItemData {
 public:
  DataBrowserPropertyID property = 0;
  bool hasText = false;
  std::string text;  // Mac Roman
};

class DataBrowser {
 public:
  DataBrowserViewStyle style = kDataBrowserListView;
  DataBrowserCallbacks callbacks;
  std::vector<BrowserColumn> columns;        // display order
  std::vector<DataBrowserItemID> items;      // insertion order
  std::set<DataBrowserItemID> selected;
  DataBrowserPropertyID sortProperty = 0;
  DataBrowserSortOrder sortOrder = kDataBrowserOrderIncreasing;
  DataBrowserSelectionFlags selectionFlags = 0;
  DataBrowserTableViewHiliteStyle hiliteStyle = 0;
  // The texts last fetched for display: item -> property -> text.
  std::map<DataBrowserItemID, std::map<DataBrowserPropertyID, std::string>> shown;
  int updates = 0;
};

DataBrowser* BrowserOf(ControlRef control);

// Adds a list-view column at a 0-based position (past the end appends).
[[nodiscard]] OSStatus AddListViewColumn(ControlRef browser, const BrowserColumn& column, DataBrowserTableViewColumnIndex position);
// Hands a cell text to the browser from inside the item-data callback.
[[nodiscard]] OSStatus SetItemDataText(DataBrowserItemDataRef itemData, const std::string& text);
// Asks the item-data callback for one cell now (what the list would show).
std::string BrowserCellText(ControlRef browser, DataBrowserItemID item, DataBrowserPropertyID property);
// The items in display order: sorted by the sort property through the compare
// callback when both are set, else insertion order.
std::vector<DataBrowserItemID> BrowserDisplayOrder(ControlRef browser);
std::vector<DataBrowserItemID> BrowserSelection(ControlRef browser);
// A click on an item as a user would make it: the selection becomes that item.
[[nodiscard]] bool ClickBrowserItem(ControlRef browser, DataBrowserItemID item);

}  // namespace plat
