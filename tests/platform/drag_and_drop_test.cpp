#include "platform/drag_and_drop.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/test_support.h"
#include "tests/support/ui_test_support.h"

namespace {

class DragAndDrop : public gbtest::HeadlessUiTest {};

struct DropLog {
  std::vector<int> messages;
  std::vector<std::string> names;
  Point mouse;
};

OSErr Track(DragTrackingMessage message, WindowRef, void* refCon, DragRef) {
  static_cast<DropLog*>(refCon)->messages.push_back(message);
  return noErr;
}

OSErr Receive(WindowRef, void* refCon, DragRef drag) {
  auto log = static_cast<DropLog*>(refCon);
  UInt16 count = 0;
  EXPECT_EQ(CountDragItems(drag, &count), noErr);
  for (UInt16 i = 1; i <= count; ++i) {
    DragItemRef item;
    EXPECT_EQ(GetDragItemReferenceNumber(drag, i, &item), noErr);
    FlavorFlags flags;
    EXPECT_EQ(GetFlavorFlags(drag, item, kDragFlavorTypeHFS, &flags), noErr);
    EXPECT_EQ(GetFlavorFlags(drag, item, FourCC("TEXT"), &flags), badDragFlavorErr);
    HFSFlavor flavor;
    EXPECT_EQ(plat::GetDragItemHfsFlavor(drag, item, &flavor), noErr);
    log->names.push_back(flavor.fileSpec.name);
  }
  EXPECT_EQ(GetDragMouse(drag, &log->mouse, nullptr), noErr);
  return noErr;
}

TEST_F(DragAndDrop, DropRunsTrackingThenReceiveWithEveryFile) {
  Rect r = MakeRect(100, 100, 600, 400);
  WindowRef window = nullptr;
  ASSERT_EQ(CreateNewWindow(kDocumentWindowClass, 0, &r, &window), noErr);
  EXPECT_EQ(plat::DropFiles(window, {"/tmp/a"}, Point{1, 2}), dragNotAcceptedErr);

  DropLog log;
  EXPECT_EQ(InstallTrackingHandler(Track, window, &log), noErr);
  EXPECT_EQ(InstallTrackingHandler(Track, window, &log), paramErr);
  EXPECT_EQ(InstallReceiveHandler(Receive, window, &log), noErr);
  const std::string folder = gbtest::MakeTempFolder("drop");
  EXPECT_EQ(plat::DropFiles(window, {folder + "b.swf", folder + "a.swf"}, Point{120, 340}), noErr);
  EXPECT_EQ(log.messages, (std::vector<int>{1, 2, 3, 4, 5}));
  EXPECT_EQ(log.names, (std::vector<std::string>{"b.swf", "a.swf"}));
  EXPECT_EQ(log.mouse, (Point{120, 340}));

  EXPECT_EQ(RemoveReceiveHandler(Receive, window), noErr);
  EXPECT_EQ(RemoveReceiveHandler(Receive, window), paramErr);
  DisposeWindow(window);
  EXPECT_EQ(plat::DropFiles(window, {"/tmp/a"}, Point{1, 2}), errInvalidWindowRef);
}

}  // namespace
