#include "platform/carbon_events.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/controls.h"
#include "tests/support/ui_test_support.h"

namespace {

class CarbonEvents : public gbtest::HeadlessUiTest {};

// A handler that logs its name and answers a fixed status (or passes on).
struct Probe {
  std::vector<std::string>* log;
  std::string name;
  OSStatus answer;
  bool callNext = false;
};

OSStatus ProbeHandler(EventHandlerCallRef call, EventRef event, void* data) {
  auto probe = static_cast<Probe*>(data);
  probe->log->push_back(probe->name);
  if (probe->callNext) {
    OSStatus next = CallNextEventHandler(call, event);
    probe->log->push_back(probe->name + " after " + std::to_string(next));
  }
  return probe->answer;
}

const EventTypeSpec kCommandType = {kEventClassCommand, kEventCommandProcess};

WindowRef NewWindow(WindowAttributes attributes = kWindowStandardHandlerAttribute) {
  Rect r = MakeRect(100, 100, 400, 300);
  WindowRef window = nullptr;
  EXPECT_EQ(CreateNewWindow(kDocumentWindowClass, attributes, &r, &window), noErr);
  return window;
}

OSStatus SendCommand(EventTargetRef target, UInt32 command) {
  HICommand hi;
  hi.commandID = command;
  EventRef event = plat::NewEvent(kEventClassCommand, kEventCommandProcess);
  plat::SetParam(event, kEventParamDirectObject, typeHICommand, hi);
  OSStatus status = SendEventToEventTarget(event, target);
  ReleaseEvent(event);
  return status;
}

TEST_F(CarbonEvents, HandlerChainRunsNewestFirstAndPropagatesUpwards) {
  std::vector<std::string> log;
  WindowRef window = NewWindow();
  ControlRef button = nullptr;
  ASSERT_EQ(plat::NewControl(window, plat::ControlKind::kPushButton, MakeRect(0, 0, 80, 20), "Go", &button), noErr);

  Probe control{&log, "control", eventNotHandledErr};
  Probe older{&log, "older", noErr};
  Probe newer{&log, "newer", eventNotHandledErr};
  Probe app{&log, "app", noErr};
  EventHandlerRef refs[4];
  ASSERT_EQ(InstallEventHandler(GetControlEventTarget(button), ProbeHandler, 1, &kCommandType, &control, &refs[0]), noErr);
  ASSERT_EQ(InstallEventHandler(GetWindowEventTarget(window), ProbeHandler, 1, &kCommandType, &older, &refs[1]), noErr);
  ASSERT_EQ(InstallEventHandler(GetWindowEventTarget(window), ProbeHandler, 1, &kCommandType, &newer, &refs[2]), noErr);
  ASSERT_EQ(InstallEventHandler(GetApplicationEventTarget(), ProbeHandler, 1, &kCommandType, &app, &refs[3]), noErr);

  EXPECT_EQ(SendCommand(GetControlEventTarget(button), FourCC("abcd")), noErr);
  EXPECT_EQ(log, (std::vector<std::string>{"control", "newer", "older"}));

  // A status other than "not handled" (here 1) stops the walk as well.
  log.clear();
  older.answer = 1;
  EXPECT_EQ(SendCommand(GetWindowEventTarget(window), FourCC("abcd")), 1);
  EXPECT_EQ(log, (std::vector<std::string>{"newer", "older"}));

  // Nobody handles it: it reaches the application and comes back not handled.
  log.clear();
  ASSERT_EQ(RemoveEventHandler(refs[1]), noErr);
  app.answer = eventNotHandledErr;
  EXPECT_EQ(SendCommand(GetWindowEventTarget(window), FourCC("abcd")), eventNotHandledErr);
  EXPECT_EQ(log, (std::vector<std::string>{"newer", "app"}));
  for (EventHandlerRef r : {refs[0], refs[2], refs[3]}) EXPECT_EQ(RemoveEventHandler(r), noErr);
  EXPECT_EQ(RemoveEventHandler(refs[3]), paramErr);
}

TEST_F(CarbonEvents, CallNextEventHandlerContinuesTheChainAndReturnsItsStatus) {
  std::vector<std::string> log;
  WindowRef window = NewWindow();
  Probe inner{&log, "inner", noErr};
  Probe outer{&log, "outer", eventNotHandledErr, true};
  EventHandlerRef a, b;
  ASSERT_EQ(InstallEventHandler(GetWindowEventTarget(window), ProbeHandler, 1, &kCommandType, &inner, &a), noErr);
  ASSERT_EQ(InstallEventHandler(GetWindowEventTarget(window), ProbeHandler, 1, &kCommandType, &outer, &b), noErr);
  EXPECT_EQ(SendCommand(GetWindowEventTarget(window), FourCC("xyzw")), eventNotHandledErr);
  EXPECT_EQ(log, (std::vector<std::string>{"outer", "inner", "outer after 0"}));
}

// Closes (disposes) its window from inside the dispatch, as a dialog's close does.
OSStatus DisposingHandler(EventHandlerCallRef, EventRef, void* data) {
  auto window = static_cast<WindowRef*>(data);
  DisposeWindow(*window);
  return eventNotHandledErr;
}

TEST_F(CarbonEvents, AHandlerMayDisposeItsOwnWindowDuringTheDispatch) {
  std::vector<std::string> log;
  WindowRef window = NewWindow();
  Probe older{&log, "older", noErr};
  EventHandlerRef a, b, c;
  ASSERT_EQ(InstallEventHandler(GetWindowEventTarget(window), ProbeHandler, 1, &kCommandType, &older, &a), noErr);
  ASSERT_EQ(InstallEventHandler(GetWindowEventTarget(window), DisposingHandler, 1, &kCommandType, &window, &b), noErr);
  Probe app{&log, "app", noErr};
  ASSERT_EQ(InstallEventHandler(GetApplicationEventTarget(), ProbeHandler, 1, &kCommandType, &app, &c), noErr);
  EXPECT_EQ(SendCommand(GetWindowEventTarget(window), FourCC("xyzw")), noErr);
  EXPECT_FALSE(plat::IsLiveWindow(window));
  // The disposed window's remaining handler is skipped; the event still goes up.
  EXPECT_EQ(log, (std::vector<std::string>{"app"}));
  EXPECT_EQ(GetWindowEventTarget(window), nullptr);
  ASSERT_EQ(RemoveEventHandler(c), noErr);
}

TEST_F(CarbonEvents, ParametersAreTypedAndCopiedWithinTheBuffer) {
  EventRef event = plat::NewEvent(kEventClassMouse, kEventMouseDown);
  Point where{12, 34};
  plat::SetParam(event, kEventParamMouseLocation, typeQDPoint, where);
  Point out;
  EXPECT_TRUE(plat::GetParam(event, kEventParamMouseLocation, typeQDPoint, &out));
  EXPECT_EQ(out, where);
  UInt32 wrong;
  EXPECT_EQ(GetEventParameter(event, kEventParamMouseLocation, typeUInt32, nullptr, 4, nullptr, &wrong),
            errAECoercionFail);
  EXPECT_EQ(GetEventParameter(event, kEventParamKeyModifiers, typeUInt32, nullptr, 4, nullptr, &wrong),
            eventParameterNotFoundErr);
  // A short buffer gets what fits and learns the full size.
  SInt16 half = 0;
  UInt32 size = 0;
  EventParamType type = 0;
  EXPECT_EQ(GetEventParameter(event, kEventParamMouseLocation, typeWildCard, &type, 2, &size, &half), noErr);
  EXPECT_EQ(type, typeQDPoint);
  EXPECT_EQ(size, sizeof(Point));
  EXPECT_EQ(half, 12);
  ReleaseEvent(event);
}

// Ends the modal loop of the window given as user data on a given command.
struct Ender {
  WindowRef window;
  UInt32 command;
  int calls = 0;
};

OSStatus EndOnCommand(EventHandlerCallRef, EventRef event, void* data) {
  auto ender = static_cast<Ender*>(data);
  HICommand hi;
  EXPECT_TRUE(plat::GetParam(event, kEventParamDirectObject, typeHICommand, &hi));
  ++ender->calls;
  if (hi.commandID != ender->command) return eventNotHandledErr;
  EXPECT_EQ(QuitAppModalLoopForWindow(ender->window), noErr);
  return noErr;
}

TEST_F(CarbonEvents, ModalLoopRunsScriptStepsUntilQuitAndNestsInnerLoops) {
  WindowRef outer = NewWindow();
  WindowRef inner = NewWindow();
  ShowWindow(outer);
  Ender outerEnder{outer, FourCC("done")};
  Ender innerEnder{inner, FourCC("done")};
  EventHandlerRef a, b;
  ASSERT_EQ(InstallEventHandler(GetWindowEventTarget(outer), EndOnCommand, 1, &kCommandType, &outerEnder, &a), noErr);
  ASSERT_EQ(InstallEventHandler(GetWindowEventTarget(inner), EndOnCommand, 1, &kCommandType, &innerEnder, &b), noErr);

  std::vector<std::string> seen;
  Driver().Command(FourCC("noop"));
  Driver().Do([&] {
    EXPECT_EQ(plat::CurrentModalWindow(), outer);
    ASSERT_EQ(RunAppModalLoopForWindow(inner), noErr);
    seen.push_back("inner ended");
    EXPECT_EQ(plat::CurrentModalWindow(), outer);
  });
  Driver().Command(FourCC("done"));  // ends the inner loop (the focus is the inner window)
  Driver().Command(FourCC("done"));  // then the outer one
  EXPECT_EQ(RunAppModalLoopForWindow(outer), noErr);
  EXPECT_EQ(seen, (std::vector<std::string>{"inner ended"}));
  EXPECT_EQ(outerEnder.calls, 2);
  EXPECT_EQ(innerEnder.calls, 1);
  EXPECT_EQ(Driver().UnansweredModals(), 0);
  EXPECT_EQ(plat::LoopDepth(), 0);
  EXPECT_FALSE(plat::IsInModalLoop(outer));
}

TEST_F(CarbonEvents, UnansweredModalLoopEndsWithCancelThenCloseThenForce) {
  // A window that ends on cancel.
  WindowRef cancels = NewWindow();
  Ender ender{cancels, kHICommandCancel};
  EventHandlerRef a;
  ASSERT_EQ(InstallEventHandler(GetWindowEventTarget(cancels), EndOnCommand, 1, &kCommandType, &ender, &a), noErr);
  EXPECT_EQ(RunAppModalLoopForWindow(cancels), noErr);
  EXPECT_EQ(ender.calls, 1);
  EXPECT_TRUE(plat::IsLiveWindow(cancels));

  // A window that ignores the cancel closes through its standard handler.
  WindowRef closes = NewWindow();
  EXPECT_EQ(RunAppModalLoopForWindow(closes), noErr);
  EXPECT_FALSE(plat::IsLiveWindow(closes));

  // A window that ignores everything still does not hang the loop.
  WindowRef deaf = NewWindow(kWindowNoAttributes);
  EXPECT_EQ(RunAppModalLoopForWindow(deaf), noErr);
  EXPECT_TRUE(plat::IsLiveWindow(deaf));
  EXPECT_EQ(Driver().UnansweredModals(), 3);

  EXPECT_EQ(RunAppModalLoopForWindow(closes), errInvalidWindowRef);
  EXPECT_EQ(QuitAppModalLoopForWindow(closes), errInvalidWindowRef);
}

TEST_F(CarbonEvents, PostedEventsAreDispatchedByTheLoopInOrder) {
  std::vector<std::string> log;
  WindowRef window = NewWindow();
  ShowWindow(window);
  Probe probe{&log, "cmd", eventNotHandledErr};
  EventHandlerRef a;
  ASSERT_EQ(InstallEventHandler(GetWindowEventTarget(window), ProbeHandler, 1, &kCommandType, &probe, &a), noErr);
  Ender ender{window, FourCC("stop")};
  EventHandlerRef b;
  ASSERT_EQ(InstallEventHandler(GetWindowEventTarget(window), EndOnCommand, 1, &kCommandType, &ender, &b), noErr);
  for (UInt32 code : {FourCC("one "), FourCC("stop")}) {
    HICommand hi;
    hi.commandID = code;
    EventRef e = plat::NewEvent(kEventClassCommand, kEventCommandProcess);
    plat::SetParam(e, kEventParamDirectObject, typeHICommand, hi);
    ASSERT_EQ(PostEventToQueue(GetMainEventQueue(), e, kEventPriorityStandard), noErr);
    ReleaseEvent(e);
  }
  EXPECT_EQ(plat::QueuedEventCount(), 2u);
  ASSERT_EQ(RunAppModalLoopForWindow(window), noErr);
  EXPECT_EQ(plat::QueuedEventCount(), 0u);
  EXPECT_EQ(ender.calls, 2);
  EXPECT_EQ(Driver().UnansweredModals(), 0);
}

TEST_F(CarbonEvents, ApplicationLoopQuitsThroughTheStandardQuitCommand) {
  // With nobody driving, the loop asks the application to quit; the standard
  // application handler turns the quit command into an application-quit event.
  std::vector<std::string> log;
  Probe appQuit{&log, "appl quit", eventNotHandledErr};
  EventTypeSpec quitType = {kEventClassApplication, kEventAppQuit};
  EventHandlerRef a;
  ASSERT_EQ(InstallEventHandler(GetApplicationEventTarget(), ProbeHandler, 1, &quitType, &appQuit, &a), noErr);
  Driver().Command(FourCC("xxxx"));
  RunApplicationEventLoop();
  EXPECT_EQ(log, (std::vector<std::string>{"appl quit"}));
  ASSERT_EQ(RemoveEventHandler(a), noErr);

  // An application that refuses to quit still gets its loop ended.
  Probe refuse{&log, "refuse", noErr};
  ASSERT_EQ(InstallEventHandler(GetApplicationEventTarget(), ProbeHandler, 1, &quitType, &refuse, &a), noErr);
  RunApplicationEventLoop();
  EXPECT_EQ(log.back(), "refuse");
  ASSERT_EQ(RemoveEventHandler(a), noErr);
  EXPECT_EQ(plat::LoopDepth(), 0);
}

TEST_F(CarbonEvents, CommandsGoToTheModalWindowBeforeTheFrontWindow) {
  WindowRef front = NewWindow();
  WindowRef modal = NewWindow();
  ShowWindow(front);
  BringToFront(front);
  EXPECT_EQ(plat::UserFocusTarget(), GetWindowEventTarget(front));
  Driver().Do([&] { EXPECT_EQ(plat::UserFocusTarget(), GetWindowEventTarget(modal)); });
  Driver().Do([&] { ASSERT_EQ(QuitAppModalLoopForWindow(modal), noErr); });
  ASSERT_EQ(RunAppModalLoopForWindow(modal), noErr);
  HideWindow(front);
  EXPECT_EQ(plat::UserFocusTarget(), GetApplicationEventTarget());
}

}  // namespace
