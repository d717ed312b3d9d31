#include "platform/windows.h"

#include <vector>

#include <gtest/gtest.h>

#include "tests/support/ui_test_support.h"

namespace {

class Windows : public gbtest::HeadlessUiTest {};

struct BoundsLog {
  std::vector<UInt32> kinds;
  std::vector<Rect> current;
};

OSStatus LogBounds(EventHandlerCallRef, EventRef event, void* data) {
  auto log = static_cast<BoundsLog*>(data);
  log->kinds.push_back(GetEventKind(event));
  Rect r;
  EXPECT_TRUE(plat::GetParam(event, kEventParamCurrentBounds, typeQDRectangle, &r));
  log->current.push_back(r);
  return eventNotHandledErr;
}

WindowRef NewDocument(const Rect& content) {
  WindowRef window = nullptr;
  EXPECT_EQ(CreateNewWindow(kDocumentWindowClass, kWindowStandardHandlerAttribute, &content, &window), noErr);
  return window;
}

TEST_F(Windows, BoundsChangesAreAnnouncedBeforeAndAfter) {
  WindowRef window = NewDocument(MakeRect(50, 100, 450, 300));
  BoundsLog log;
  const EventTypeSpec types[] = {{kEventClassWindow, kEventWindowBoundsChanging},
                                 {kEventClassWindow, kEventWindowBoundsChanged}};
  ASSERT_EQ(InstallEventHandler(GetWindowEventTarget(window), LogBounds, 2, types, &log, nullptr), noErr);

  MoveWindow(window, 60, 120, false);
  SizeWindow(window, 500, 250, true);
  MoveWindow(window, 60, 120, false);  // no change, no events
  EXPECT_EQ(log.kinds, (std::vector<UInt32>{26, 27, 26, 27}));
  EXPECT_EQ(log.current[1], MakeRect(60, 120, 460, 320));
  EXPECT_EQ(log.current[3], MakeRect(60, 120, 560, 370));

  Rect structure;
  EXPECT_EQ(GetWindowBounds(window, kWindowStructureRgn, &structure), noErr);
  EXPECT_EQ(structure, MakeRect(60, 98, 560, 370));  // the title bar lies above the content
  Rect r = MakeRect(10, 200, 110, 300);
  EXPECT_EQ(SetWindowBounds(window, kWindowStructureRgn, &r), noErr);
  ASSERT_EQ(GetWindowBounds(window, kWindowContentRgn, &r), noErr);
  EXPECT_EQ(r, MakeRect(10, 222, 110, 300));
  Rect inverted = MakeRect(10, 10, 0, 0);
  EXPECT_EQ(SetWindowBounds(window, kWindowContentRgn, &inverted), paramErr);
}

TEST_F(Windows, ZoomCentreAndConstrainStayOnTheScreen) {
  WindowRef window = NewDocument(MakeRect(100, 100, 500, 300));
  EXPECT_FALSE(IsWindowInStandardState(window, nullptr, nullptr));
  ZoomWindow(window, inZoomOut, false);
  EXPECT_TRUE(IsWindowInStandardState(window, nullptr, nullptr));
  ZoomWindow(window, inZoomIn, false);
  Rect r;
  ASSERT_EQ(GetWindowBounds(window, kWindowContentRgn, &r), noErr);
  EXPECT_EQ(r, MakeRect(100, 100, 500, 300));

  ASSERT_EQ(RepositionWindow(window, nullptr, kWindowCenterOnMainScreen), noErr);
  ASSERT_EQ(GetWindowBounds(window, kWindowStructureRgn, &r), noErr);
  const Rect screen = plat::AvailableScreenBounds();
  EXPECT_EQ(r.left - screen.left, screen.right - r.right);
  EXPECT_EQ(r.top - screen.top, screen.bottom - r.bottom);

  MoveWindow(window, -300, 2000, false);
  EXPECT_EQ(ConstrainWindowToScreen(window, kWindowStructureRgn, kWindowConstrainMoveRegardlessOfFit, nullptr, &r),
            noErr);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.bottom, screen.bottom);
}

TEST_F(Windows, PropertiesColourTitleAndSheets) {
  WindowRef window = NewDocument(MakeRect(100, 100, 500, 300));
  void* object = &window;
  EXPECT_EQ(SetWindowProperty(window, FourCC("Oxon"), FourCC("DlgV"), sizeof(object), &object), noErr);
  void* back = nullptr;
  UInt32 size = 0;
  EXPECT_EQ(GetWindowProperty(window, FourCC("Oxon"), FourCC("DlgV"), sizeof(back), &size, &back), noErr);
  EXPECT_EQ(back, object);
  EXPECT_EQ(size, sizeof(object));
  EXPECT_EQ(GetWindowProperty(window, FourCC("Oxon"), FourCC("none"), sizeof(back), &size, &back),
            errWindowPropertyNotFound);

  RGBColor colour{0x3333, 0x6666, 0x9999};
  ASSERT_EQ(SetWindowContentColor(window, &colour), noErr);
  RGBColor read;
  ASSERT_EQ(GetWindowContentColor(window, &read), noErr);
  EXPECT_EQ(read.green, 0x6666);
  ASSERT_EQ(plat::SetWindowTitleText(window, "Glimmerbox: Untitled"), noErr);
  EXPECT_EQ(plat::WindowTitleText(window), "Glimmerbox: Untitled");

  Rect sheetBounds = MakeRect(0, 0, 390, 131);
  WindowRef sheet = nullptr;
  ASSERT_EQ(CreateNewWindow(kSheetWindowClass, 0, &sheetBounds, &sheet), noErr);
  EXPECT_EQ(ShowSheetWindow(window, sheet), paramErr);  // not a sheet
  EXPECT_EQ(ShowSheetWindow(sheet, window), noErr);
  WindowRef parent = nullptr;
  ASSERT_EQ(GetSheetWindowParent(sheet, &parent), noErr);
  EXPECT_EQ(parent, window);
  EXPECT_TRUE(IsWindowVisible(sheet));
  EXPECT_EQ(HideSheetWindow(sheet), noErr);
  EXPECT_EQ(HideSheetWindow(sheet), paramErr);
  EXPECT_FALSE(IsWindowVisible(sheet));
}

TEST_F(Windows, ADisposedWindowIsRefusedEverywhereAndItsAddressIsNotReused) {
  WindowRef window = NewDocument(MakeRect(100, 100, 500, 300));
  DisposeWindow(window);
  WindowRef next = NewDocument(MakeRect(100, 100, 500, 300));
  EXPECT_NE(next, window);
  Rect r;
  WindowClass windowClass;
  EXPECT_EQ(GetWindowBounds(window, kWindowContentRgn, &r), errInvalidWindowRef);
  EXPECT_EQ(GetWindowClass(window, &windowClass), errInvalidWindowRef);
  EXPECT_EQ(SetWindowProperty(window, 1, 2, 0, nullptr), errInvalidWindowRef);
  EXPECT_FALSE(IsWindowVisible(window));
  ShowWindow(window);
  MoveWindow(window, 1, 2, true);
  DisposeWindow(window);
  EXPECT_EQ(GetWindowEventTarget(window), nullptr);
  EXPECT_EQ(plat::WindowList().size(), 1u);

  Rect bounds = MakeRect(0, 0, 10, 10);
  WindowRef bad = nullptr;
  EXPECT_EQ(CreateNewWindow(7, 0, &bounds, &bad), errUnrecognizedWindowClass);
}

TEST_F(Windows, FrontWindowSkipsHiddenAndFloatingWindows) {
  WindowRef a = NewDocument(MakeRect(100, 100, 500, 300));
  Rect r = MakeRect(0, 0, 50, 50);
  WindowRef floating = nullptr;
  ASSERT_EQ(CreateNewWindow(kFloatingWindowClass, 0, &r, &floating), noErr);
  WindowRef hidden = NewDocument(r);
  ShowWindow(a);
  ShowWindow(floating);
  EXPECT_EQ(FrontWindow(), floating);
  EXPECT_EQ(FrontNonFloatingWindow(), a);
  ShowWindow(hidden);
  SendBehind(hidden, a);
  EXPECT_EQ(FrontNonFloatingWindow(), a);
  SelectWindow(hidden);
  EXPECT_EQ(FrontNonFloatingWindow(), hidden);
  EXPECT_TRUE(IsWindowActive(hidden));
}

TEST_F(Windows, APortHoldsTheContentPixelsUntilTheWindowGoes) {
  WindowRef window = NewDocument(MakeRect(100, 100, 140, 130));  // 40 x 30
  CGrafPtr port = GetWindowPort(window);
  ASSERT_NE(port, nullptr);
  EXPECT_EQ(GetWindowPort(window), port);
  EXPECT_EQ(plat::WindowOfPort(port), window);
  Rect bounds;
  GetPortBounds(port, &bounds);
  EXPECT_EQ(bounds, MakeRect(0, 0, 40, 30));

  GWorldPtr picture = nullptr;
  Rect source = MakeRect(0, 0, 2, 2);
  ASSERT_EQ(NewGWorld(&picture, 32, &source), noErr);
  SetGWorld(picture);
  RGBColor red{0xFFFF, 0, 0};
  for (SInt16 v = 0; v < 2; ++v)
    for (SInt16 h = 0; h < 2; ++h) SetCPixel(h, v, &red);
  Rect target = MakeRect(10, 10, 12, 12);
  EXPECT_EQ(CopyBits(GetPortBitMapForCopyBits(picture), GetPortBitMapForCopyBits(port), &source, &target, srcCopy,
                     nullptr),
            noErr);
  PixMapPtr pixels = GetGWorldPixMap(port);
  const size_t x = 10, y = 10;
  const UInt8* pixel = GetPixBaseAddr(pixels) + y * size_t(GetPixRowBytes(pixels)) + x * 4;
  EXPECT_EQ(pixel[1], 0xFF);  // red
  DisposeGWorld(picture);

  SetPortWindowPort(window);
  DisposeWindow(window);
  CGrafPtr current = nullptr;
  GetGWorld(&current);
  EXPECT_NE(current, port);
  EXPECT_EQ(GetWindowPort(window), nullptr);
}

}  // namespace
