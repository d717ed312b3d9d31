#include "ui/dialog_window.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/data_browser.h"
#include "platform/font_panel.h"
#include "tests/support/test_support.h"
#include "tests/support/ui_test_support.h"
#include "ui/static_text.h"

namespace {

class DialogWindow : public gbtest::HeadlessUiTest {};

// Records every virtual call and answers with `answer`.
class Recorder : public CDialogWindow {
 public:
  bool answer = true;
  std::vector<std::string> calls;
  std::vector<std::string> drops;
  std::vector<Point> dropPoints;
  ControlRef changedTo = nullptr, changedFrom = nullptr;

  bool Note(const std::string& call) {
    calls.push_back(call);
    return answer;
  }
  bool OnInit() override { return Note("init"); }
  bool OnPaint() override { return Note("paint"); }
  bool OnCommand(UInt32 command, EventRef*) override {
    char code[5] = {char(command >> 24), char(command >> 16), char(command >> 8), char(command), 0};
    return Note(std::string("command ") + code);
  }
  bool OnSize(int w, int h) override { return Note("size " + std::to_string(w) + "x" + std::to_string(h)); }
  bool OnSizing(Rect*, int) override { return Note("sizing"); }
  bool OnMove(int l, int t) override { return Note("move " + std::to_string(l) + "," + std::to_string(t)); }
  bool OnLButtonDown(int h, int v, UInt32) override { return Note("ldown " + std::to_string(h) + "," + std::to_string(v)); }
  bool OnLButtonUp(int, int, UInt32) override { return Note("lup"); }
  bool OnRButtonDown(int, int, UInt32) override { return Note("rdown"); }
  bool OnRButtonUp(int, int, UInt32) override { return Note("rup"); }
  bool OnMouseMove(int, int, UInt32) override { return Note("moved"); }
  bool OnKeyDown(EventRef*) override { return Note("keydown"); }
  bool OnKeyUp(EventRef*) override { return Note("keyup"); }
  bool OnEvent(UInt32 eventClass, UInt32 kind, EventRef*) override {
    return Note("event " + std::to_string(eventClass == kEventClassTextInput) + " " + std::to_string(kind));
  }
  bool OnHitControlChanged(ControlRef now, ControlRef before) override {
    changedTo = now;
    changedFrom = before;
    return Note("hit changed");
  }
  void OnDropFile(const CPathName& path, Point* point) override {
    drops.push_back(path.GetName(false));
    dropPoints.push_back(*point);
  }
};

OSStatus Send(WindowRef window, EventRef event) {
  OSStatus status = SendEventToEventTarget(event, GetWindowEventTarget(window));
  ReleaseEvent(event);
  return status;
}

EventRef Command(UInt32 code) {
  HICommand hi;
  hi.commandID = code;
  EventRef e = plat::NewEvent(kEventClassCommand, kEventCommandProcess);
  plat::SetParam(e, kEventParamDirectObject, typeHICommand, hi);
  return e;
}

EventRef Mouse(UInt32 kind, UInt16 button, UInt32 modifiers) {
  EventRef e = plat::NewEvent(kEventClassMouse, kind);
  plat::SetParam(e, kEventParamMouseLocation, typeQDPoint, Point{20, 10});
  plat::SetParam(e, kEventParamKeyModifiers, typeUInt32, modifiers);
  plat::SetParam(e, kEventParamMouseButton, typeMouseButton, button);
  return e;
}

EventRef Plain(OSType eventClass, UInt32 kind) { return plat::NewEvent(eventClass, kind); }

EventRef Bounds(const Rect& original, const Rect& current) {
  EventRef e = plat::NewEvent(kEventClassWindow, kEventWindowBoundsChanged);
  plat::SetParam(e, kEventParamOriginalBounds, typeQDRectangle, original);
  plat::SetParam(e, kEventParamCurrentBounds, typeQDRectangle, current);
  return e;
}

TEST_F(DialogWindow, EveryEventReachesItsSlotWithTheStatusOfItsAnswer) {
  Recorder w;
  ASSERT_TRUE(w.Create(100, 100, 300, 200, 0, nullptr));
  EXPECT_EQ(w.calls, (std::vector<std::string>{"init"}));
  const Rect a = MakeRect(100, 100, 400, 300);
  struct Case {
    EventRef (*make)();
    const char* call;
    OSStatus handled;  // status when the slot answers true
  };
  const Case cases[] = {
      {[] { return Command(FourCC("abcd")); }, "command abcd", 1},
      {[] { return Plain(kEventClassWindow, kEventWindowDrawContent); }, "paint", noErr},
      {[] { return Plain(kEventClassWindow, kEventWindowBoundsChanging); }, "sizing", noErr},
      {[] { return Mouse(kEventMouseDown, 1, 0); }, "ldown 10,20", noErr},
      {[] { return Mouse(kEventMouseUp, 1, 0); }, "lup", noErr},
      {[] { return Mouse(kEventMouseDown, 1, controlKey); }, "rdown", noErr},
      {[] { return Mouse(kEventMouseUp, 2, 0); }, "rup", noErr},
      {[] { return Mouse(kEventMouseMoved, 1, 0); }, "moved", noErr},
      {[] { return Plain(kEventClassKeyboard, kEventRawKeyDown); }, "keydown", noErr},
      {[] { return Plain(kEventClassKeyboard, kEventRawKeyUp); }, "keyup", noErr},
      {[] { return Plain(kEventClassTextInput, 1); }, "event 1 1", noErr},
  };
  for (bool answer : {true, false}) {
    w.answer = answer;
    for (const Case& k : cases) {
      w.calls.clear();
      EventRef e = k.make();
      EXPECT_EQ(Send(w.GetWindowRef(), e), answer ? k.handled : OSStatus(eventNotHandledErr)) << k.call;
      EXPECT_EQ(w.calls, (std::vector<std::string>{k.call}));
    }
  }
  // Events that reach no slot.
  w.answer = true;
  w.calls.clear();
  // (The update and key-repeat kinds are not registered, so they never arrive.)
  for (EventRef e : {Plain(kEventClassWindow, kEventWindowActivated), Plain(kEventClassWindow, kEventWindowInit),
                     Plain(kEventClassWindow, kEventWindowUpdate), Plain(kEventClassKeyboard, kEventRawKeyRepeat),
                     Plain(kEventClassFont, kEventFontSelection), Mouse(kEventMouseDown, 3, 0),
                     Plain(kEventClassKeyboard, 9), Plain(kEventClassCommand, 2)})
    EXPECT_EQ(Send(w.GetWindowRef(), e), eventNotHandledErr);
  EXPECT_TRUE(w.calls.empty());
  (void)a;
}

TEST_F(DialogWindow, ABoundsChangeIsAMoveOrASizeNeverBoth) {
  Recorder w;
  ASSERT_TRUE(w.Create(100, 100, 300, 200, 0, nullptr));
  w.calls.clear();
  Send(w.GetWindowRef(), Bounds(MakeRect(100, 100, 400, 300), MakeRect(120, 150, 420, 350)));
  Send(w.GetWindowRef(), Bounds(MakeRect(100, 100, 400, 300), MakeRect(100, 100, 401, 300)));
  Send(w.GetWindowRef(), Bounds(MakeRect(100, 100, 400, 300), MakeRect(100, 90, 400, 300)));
  EXPECT_EQ(w.calls, (std::vector<std::string>{"move 120,150", "size 301x200", "size 300x210"}));
  // The real window calls go through the same path.
  w.calls.clear();
  w.Move(10, 40);
  w.SetHeight(50);
  EXPECT_EQ(w.calls, (std::vector<std::string>{"sizing", "move 10,40", "sizing", "size 300x50"}));
  EXPECT_EQ(w.GetTop(), 40);
  EXPECT_EQ(w.GetWidth(), 300);
}

TEST_F(DialogWindow, ControlHitsTrackTheLastHitControl) {
  Recorder w;
  ASSERT_TRUE(w.Create(100, 100, 300, 200, kDialogShowAtOnce, nullptr));
  CStaticText first, second;
  Rect r = MakeRect(0, 0, 100, 20);
  ASSERT_TRUE(first.Create(&w, FourCC("sOne"), &r, "one"));
  ASSERT_TRUE(second.Create(&w, FourCC("sTwo"), &r, "two"));
  w.calls.clear();
  w.answer = false;  // not handled: tracked all the same
  EXPECT_TRUE(plat::ClickControl(first.GetControlRef()));
  EXPECT_EQ(w.GetLastHitControl(), first.GetControlRef());
  EXPECT_EQ(w.changedFrom, nullptr);
  ASSERT_TRUE(plat::ClickControl(first.GetControlRef()));
  ASSERT_TRUE(plat::ClickControl(second.GetControlRef()));
  EXPECT_EQ(w.changedTo, second.GetControlRef());
  EXPECT_EQ(w.changedFrom, first.GetControlRef());
  // Each hit reaches OnCommand with the signature, and, not handled, once more
  // as the control's command; the change is reported twice, not three times.
  EXPECT_EQ(w.calls, (std::vector<std::string>{"command sOne", "hit changed", "command sOne", "command sOne",
                                               "command sOne", "command sTwo", "hit changed", "command sTwo"}));
}

TEST_F(DialogWindow, FontPanelCommandTogglesThePanelWhenNotHandled) {
  Recorder w;
  ASSERT_TRUE(w.Create(100, 100, 300, 200, 0, nullptr));
  w.answer = false;
  EXPECT_EQ(Send(w.GetWindowRef(), Command(FourCC("shfp"))), noErr);
  EXPECT_TRUE(FPIsFontPanelVisible());
  EXPECT_EQ(plat::LastFontSelection().selectionType, kFontSelectionATSUIType);
  EXPECT_EQ(plat::LastFontSelection().target, GetWindowEventTarget(w.GetWindowRef()));
  EXPECT_TRUE(plat::LastFontSelection().hasFont);
  EXPECT_EQ(plat::LastFontSelection().font, 0u);
  EXPECT_EQ(Send(w.GetWindowRef(), Command(FourCC("shfp"))), noErr);
  EXPECT_FALSE(FPIsFontPanelVisible());
  w.answer = true;
  EXPECT_EQ(Send(w.GetWindowRef(), Command(FourCC("shfp"))), 1);
  EXPECT_FALSE(FPIsFontPanelVisible());
}

TEST_F(DialogWindow, DroppedFilesArriveSortedAndOnlyTheFirstAtTheDropPoint) {
  Recorder w;
  ASSERT_TRUE(w.Create(100, 100, 300, 200, 0, nullptr));
  ASSERT_TRUE(w.EnableDragAndDrop(true));
  ASSERT_TRUE(w.EnableDragAndDrop(true));  // installs its handlers once
  bool tracking = false, receive = false;
  ASSERT_TRUE(plat::HasDragHandlers(w.GetWindowRef(), &tracking, &receive));
  EXPECT_TRUE(tracking && receive);
  const std::string folder = gbtest::MakeTempFolder("drops");
  for (const char* name : {"beta.swf", "Alpha.swf", "gamma.swf"}) gbtest::WriteFile(folder + name, "x");
  EXPECT_EQ(plat::DropFiles(w.GetWindowRef(), {folder + "gamma.swf", folder + "beta.swf", folder + "Alpha.swf",
                                               folder + "missing.swf"},
                            Point{30, 40}),
            noErr);
  EXPECT_EQ(w.drops, (std::vector<std::string>{"Alpha.swf", "beta.swf", "gamma.swf"}));
  ASSERT_EQ(w.dropPoints.size(), 3u);
  EXPECT_EQ(w.dropPoints[0], (Point{30, 40}));
  EXPECT_EQ(w.dropPoints[1], (Point{32767, 32767}));
  EXPECT_EQ(w.dropPoints[2], (Point{32767, 32767}));
  ASSERT_TRUE(w.EnableDragAndDrop(false));
  ASSERT_TRUE(plat::HasDragHandlers(w.GetWindowRef(), &tracking, &receive));
  EXPECT_FALSE(tracking || receive);
}

// Ends its dialog with a result when it receives 'ok  '.
class Ending : public CDialogWindow {
 public:
  int closes = 0;
  bool OnCommand(UInt32 command, EventRef*) override {
    if (command != kHICommandOK) return false;
    EndDialog(42);
    return true;
  }
  bool OnClose() override {
    ++closes;
    return CDialogWindow::OnClose();
  }
};

TEST_F(DialogWindow, RunModalReturnsTheResultOfEndDialog) {
  Ending w;
  ASSERT_TRUE(w.Create(100, 100, 300, 200, kDialogMovableModal, nullptr));
  Driver().Answer(1);  // the user presses OK
  EXPECT_EQ(w.RunModal(), 42);
  EXPECT_EQ(w.GetWindowRef(), nullptr);
  EXPECT_EQ(w.closes, 1);
  EXPECT_EQ(plat::WindowList().size(), 0u);

  // Nobody answers: the loop's cancel and close end it with no result.
  ASSERT_TRUE(w.Create(100, 100, 300, 200, kDialogMovableModal, nullptr));
  EXPECT_EQ(w.RunModal(), -1);
  EXPECT_EQ(w.GetModalResult(), -1);
  EXPECT_EQ(Driver().UnansweredModals(), 1);

  // EndDialog on an object whose window is gone still closes and succeeds.
  EXPECT_TRUE(w.EndDialog(7));
  EXPECT_EQ(w.GetModalResult(), 7);
}

TEST_F(DialogWindow, ASheetRunsOnItsParent) {
  Recorder parent;
  ASSERT_TRUE(parent.Create(100, 100, 500, 400, kDialogShowAtOnce, nullptr));
  Ending sheet;
  ASSERT_TRUE(sheet.Create(100, 100, 390, 131, kDialogSheet, parent.GetWindowRef()));
  WindowClass windowClass = 0;
  ASSERT_EQ(GetWindowClass(sheet.GetWindowRef(), &windowClass), noErr);
  EXPECT_EQ(windowClass, UInt32(kSheetWindowClass));
  EXPECT_EQ(sheet.GetWindowRef()->themeBrush, kThemeBrushSheetBackgroundOpaque);
  EXPECT_EQ(plat::CountInstalledHandlers(GetWindowEventTarget(sheet.GetWindowRef())), 1u);
  ControlRef ok = nullptr;
  ASSERT_EQ(plat::NewControl(sheet.GetWindowRef(), plat::ControlKind::kPushButton, MakeRect(300, 90, 380, 110), "OK", &ok), noErr);
  ControlID okId{kHICommandOK, 0};
  ASSERT_EQ(SetControlID(ok, &okId), noErr);
  WindowRef seenParent = nullptr;
  Driver().Do([&] { ASSERT_EQ(GetSheetWindowParent(sheet.GetWindowRef(), &seenParent), noErr); });
  Driver().Answer(1);  // a command: the sheet does not listen to commands
  Driver().HitControl(kHICommandOK);
  EXPECT_EQ(sheet.RunModal(), 42);
  EXPECT_EQ(seenParent, parent.GetWindowRef());
  EXPECT_TRUE(plat::IsLiveWindow(parent.GetWindowRef()));
}

TEST_F(DialogWindow, NibDialogsAreModalWindowsEvenWithAParent) {
  CNibFile nib;
  CNibFile::WindowDesc desc;
  desc.name = "IDD_TEST";
  desc.windowClass = kMovableModalWindowClass;
  desc.attributes = kWindowStandardHandlerAttribute;
  desc.bounds = MakeRect(0, 0, 200, 100);
  CNibFile::ControlDesc ok;
  ok.kind = plat::ControlKind::kPushButton;
  ok.id = ControlID{kHICommandOK, 0};
  ok.bounds = MakeRect(100, 60, 180, 80);
  desc.controls.push_back(ok);
  nib.AddWindow(desc);

  Recorder parent;
  ASSERT_TRUE(parent.Create(100, 100, 500, 400, kDialogShowAtOnce, nullptr));
  Ending dialog;
  WindowClass seen = 0;
  CDialogWindow* published = nullptr;
  Driver().Do([&] {
    ASSERT_EQ(GetWindowClass(FrontWindow(), &seen), noErr);
    published = CDialogWindow::FromWindow(FrontWindow());
  });
  Driver().HitControl(kHICommandOK);
  EXPECT_EQ(dialog.DoModal(&nib, "IDD_TEST", parent.GetWindowRef(), 2003), 42);
  EXPECT_EQ(seen, UInt32(kMovableModalWindowClass));
  EXPECT_EQ(published, &dialog);
  EXPECT_EQ(dialog.GetUserValue(), 2003);
  EXPECT_EQ(dialog.DoModal(&nib, "IDD_NONE", nullptr, 0), -1);
  EXPECT_EQ(CDialogWindow::FromWindow(parent.GetWindowRef()), &parent);
}

TEST_F(DialogWindow, EmbeddedPagesUseTheHostAndNeverDisposeIt) {
  Recorder host;
  ASSERT_TRUE(host.Create(100, 100, 500, 400, kDialogShowAtOnce, nullptr));
  ControlRef pane = nullptr;
  Rect paneBounds = MakeRect(10, 40, 490, 300);
  ASSERT_EQ(CreateUserPaneControl(host.GetWindowRef(), &paneBounds, 0, &pane), noErr);
  ControlID paneId{0, 1001};
  ASSERT_EQ(SetControlID(pane, &paneId), noErr);

  {
    Recorder page;
    EXPECT_FALSE(page.EmbedInControl(nullptr, 1009, host.GetWindowRef(), 1009));
    ASSERT_TRUE(page.EmbedInControl(nullptr, 1001, host.GetWindowRef(), 1001));
    EXPECT_TRUE(page.IsEmbedded());
    EXPECT_EQ(page.GetWindowRef(), host.GetWindowRef());
    EXPECT_EQ(CDialogWindow::FromControl(pane), &page);
    EXPECT_EQ(page.calls, (std::vector<std::string>{"init"}));

    CStaticText label;
    Rect r = MakeRect(5, 5, 105, 25);
    ASSERT_TRUE(label.Create(&page, FourCC("sNam"), &r, "Name"));
    ControlRef parent = nullptr;
    ASSERT_EQ(GetSuperControl(label.GetControlRef(), &parent), noErr);
    EXPECT_EQ(parent, pane);
    ControlID id;
    ASSERT_EQ(GetControlID(label.GetControlRef(), &id), noErr);
    EXPECT_EQ(id.signature, FourCC("sNam"));
    EXPECT_EQ(id.id, 1001);

    // A hit on the page's control goes to the page, then on to the host.
    page.answer = true;
    ASSERT_TRUE(plat::ClickControl(label.GetControlRef()));
    EXPECT_EQ(page.calls[1], "command sNam");
  }
  EXPECT_TRUE(plat::IsLiveWindow(host.GetWindowRef()));
  EXPECT_TRUE(plat::IsLiveControl(pane));
  EXPECT_EQ(plat::CountInstalledHandlers(GetControlEventTarget(pane)), 0u);
  EXPECT_EQ(CDialogWindow::FromControl(pane), nullptr);
}

TEST_F(DialogWindow, WindowHelpersActOnTheWindow) {
  Recorder w;
  ASSERT_TRUE(w.Create(100, 50, 300, 200, kDialogCloseBox | kDialogResizable, nullptr));
  WindowAttributes attributes = 0;
  ASSERT_EQ(GetWindowAttributes(w.GetWindowRef(), &attributes), noErr);
  EXPECT_EQ(attributes, kWindowStandardHandlerAttribute | kWindowCloseBoxAttribute | kWindowResizableAttribute);
  EXPECT_FALSE(w.IsVisible());
  w.Show();
  EXPECT_TRUE(w.IsVisible());
  EXPECT_TRUE(w.SetContentColor(0x00336699));
  RGBColor rgb;
  ASSERT_EQ(GetWindowContentColor(w.GetWindowRef(), &rgb), noErr);
  EXPECT_EQ(rgb.red, 0x99 * 257);
  EXPECT_EQ(rgb.blue, 0x33 * 257);
  EXPECT_TRUE(w.SetTitle("Glimmerbox: Untitled"));
  EXPECT_EQ(plat::WindowTitleText(w.GetWindowRef()), "Glimmerbox: Untitled");
  EXPECT_EQ(w.GetFrameHeight(), 200 + 22);
  EXPECT_TRUE(w.SetLeft(70));
  EXPECT_EQ(w.GetLeft(), 70);
  EXPECT_EQ(w.GetTop(), 50);
  EXPECT_TRUE(w.SetWidth(320));
  EXPECT_EQ(w.GetHeight(), 200);
  EXPECT_TRUE(w.ZoomOut());
  EXPECT_TRUE(w.IsZoomedOut());
  EXPECT_TRUE(w.ZoomIn());
  EXPECT_FALSE(w.IsZoomedOut());
  EXPECT_TRUE(w.Destroy());
  EXPECT_FALSE(w.Destroy());
  EXPECT_EQ(plat::WindowList().size(), 0u);
}

}  // namespace
