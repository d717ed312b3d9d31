#include "platform/alerts.h"

#include <gtest/gtest.h>

#include "platform/controls.h"
#include "platform/ui_driver.h"
#include "tests/support/ui_test_support.h"

namespace {

class Alerts : public gbtest::HeadlessUiTest {};

plat::AlertSpec Spec(bool cancel, bool other) {
  plat::AlertSpec spec;
  spec.title = "Title";
  spec.text = "Text";
  spec.hasCancel = cancel;
  spec.hasOther = other;
  return spec;
}

SInt16 RunSpec(const plat::AlertSpec& spec) {
  DialogRef dialog = nullptr;
  EXPECT_EQ(plat::NewStandardAlert(spec, false, nullptr, &dialog), noErr);
  DialogItemIndex hit = 0;
  EXPECT_EQ(plat::RunAlert(dialog, &hit), noErr);
  EXPECT_FALSE(plat::IsLiveDialog(dialog));
  return hit;
}

TEST_F(Alerts, PolicyPicksAButtonThatExists) {
  struct Case {
    plat::AnswerPolicy policy;
    bool cancel, other;
    SInt16 expected;
  } cases[] = {
      {plat::AnswerPolicy::kDefault, true, true, 1}, {plat::AnswerPolicy::kCancel, true, true, 2},
      {plat::AnswerPolicy::kCancel, false, false, 1}, {plat::AnswerPolicy::kOther, true, true, 3},
      {plat::AnswerPolicy::kOther, true, false, 2},  {plat::AnswerPolicy::kOther, false, false, 1},
  };
  for (const Case& k : cases) {
    Driver().SetPolicy(k.policy);
    EXPECT_EQ(RunSpec(Spec(k.cancel, k.other)), k.expected) << int(k.policy) << k.cancel << k.other;
  }
}

TEST_F(Alerts, ScriptedAnswersComeFirstAndAreRecorded) {
  Driver().Answer(3);
  Driver().Answer(3);  // no third button: the policy (cancel) answers instead
  EXPECT_EQ(RunSpec(Spec(true, true)), 3);
  EXPECT_EQ(RunSpec(Spec(true, false)), 2);
  EXPECT_EQ(Driver().PendingSteps(), 0u);
  ASSERT_EQ(Driver().Shown().size(), 2u);
  const plat::ShownRecord* last = Driver().LastAlert();
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(last->title, "Title");
  EXPECT_EQ(last->buttons, (std::vector<std::string>{"OK", "Cancel"}));
  EXPECT_EQ(last->answer, 2);
}

TEST_F(Alerts, InjectedFailuresReachTheCaller) {
  Driver().FailNext(plat::UiFailure::kCreateAlert, memFullErr);
  DialogRef dialog = nullptr;
  EXPECT_EQ(plat::NewStandardAlert(Spec(false, false), false, nullptr, &dialog), memFullErr);
  EXPECT_EQ(dialog, nullptr);
  Driver().FailNext(plat::UiFailure::kRunAlert, paramErr);
  ASSERT_EQ(plat::NewStandardAlert(Spec(false, false), false, nullptr, &dialog), noErr);
  DialogItemIndex hit = 0;
  EXPECT_EQ(plat::RunAlert(dialog, &hit), paramErr);
  EXPECT_FALSE(plat::IsLiveDialog(dialog));
  EXPECT_EQ(plat::NewStandardAlert(Spec(false, false), false, nullptr, &dialog), noErr);
  DisposeDialog(dialog);
}

TEST_F(Alerts, ClassicAlertTakesPascalButtonTexts) {
  AlertStdAlertParamRec param;
  const unsigned char yes[] = "\003Yes";
  param.defaultText = yes;
  param.cancelText = kAlertDefaultCancelText;  // NOLINT(performance-no-int-to-ptr): the interface's -1 sentinel, never dereferenced
  param.otherText = nullptr;
  Driver().SetPolicy(plat::AnswerPolicy::kOther);
  SInt16 hit = 0;
  const unsigned char title[] = "\005Title", text[] = "\004Text";
  EXPECT_EQ(StandardAlert(kAlertCautionAlert, title, text, &param, &hit), noErr);
  EXPECT_EQ(hit, 2);
  EXPECT_EQ(Driver().LastAlert()->buttons, (std::vector<std::string>{"Yes", "Cancel"}));
  EXPECT_EQ(Driver().LastAlert()->type, kAlertCautionAlert);
}

TEST_F(Alerts, AShownSheetIsAnsweredWhenTheQueueIsPolled) {
  Rect r = MakeRect(100, 100, 600, 400);
  WindowRef parent = nullptr;
  ASSERT_EQ(CreateNewWindow(kDocumentWindowClass, kWindowStandardHandlerAttribute, &r, &parent), noErr);
  ShowWindow(parent);
  DialogRef sheet = nullptr;
  ASSERT_EQ(plat::NewStandardAlert(Spec(true, true), true, GetWindowEventTarget(parent), &sheet), noErr);
  UInt32 told = 0;
  EventTypeSpec type = {kEventClassCommand, kEventCommandProcess};
  auto handler = [](EventHandlerCallRef, EventRef event, void* data) -> OSStatus {
    HICommand hi;
    EXPECT_TRUE(plat::GetParam(event, kEventParamDirectObject, typeHICommand, &hi));
    *static_cast<UInt32*>(data) = hi.commandID;
    return noErr;
  };
  ASSERT_EQ(InstallEventHandler(GetWindowEventTarget(parent), handler, 1, &type, &told, nullptr), noErr);
  ASSERT_EQ(ShowSheetWindow(GetDialogWindow(sheet), parent), noErr);
  Driver().Answer(3);
  EventRef event = nullptr;
  EXPECT_EQ(ReceiveNextEvent(0, nullptr, kEventDurationNoWait, true, &event), eventLoopTimedOutErr);
  EXPECT_EQ(told, kHICommandOther);
  EXPECT_FALSE(IsWindowVisible(GetDialogWindow(sheet)));
  EXPECT_EQ(Driver().LastAlert()->kind, plat::ShownRecord::Kind::kSheet);
  DisposeDialog(sheet);
}

TEST_F(Alerts, ScriptTextIsParsedWholeOrNotAtAll) {
  std::string error;
  EXPECT_TRUE(Driver().LoadScript("# start\npolicy default\nanswer no\ncommand 'new '\ncommand 800\n"
                                  "hit mExs\nhit cUpd 2003 in IDD_PREFS\nclose IDD_MAIN\n",
                                  &error));
  EXPECT_EQ(Driver().PendingSteps(), 7u);
  for (const char* bad : {"answer maybe", "command toolong", "hit", "hit abcd x in", "hit abcd 1-2", "hit abcd -",
                          "hit abcd -2147483649", "frobnicate", "close"}) {
    EXPECT_FALSE(Driver().LoadScript(std::string("answer ok\n") + bad + "\n", &error)) << bad;
    EXPECT_EQ(error.rfind("line 2", 0), 0u) << error;
  }
  EXPECT_EQ(Driver().PendingSteps(), 7u);
}

TEST_F(Alerts, ScriptedHitPressesTheControlInTheNamedWindow) {
  Rect r = MakeRect(100, 100, 600, 400);
  WindowRef window = nullptr;
  ASSERT_EQ(CreateNewWindow(kDocumentWindowClass, kWindowStandardHandlerAttribute, &r, &window), noErr);
  window->name = "IDD_PREFS";
  ShowWindow(window);
  ControlRef box = nullptr;
  ASSERT_EQ(plat::NewControl(window, plat::ControlKind::kCheckBox, MakeRect(0, 0, 100, 20), "Check", &box), noErr);
  ControlID id{FourCC("cUpd"), 2003};
  ASSERT_EQ(SetControlID(box, &id), noErr);
  std::string error;
  ASSERT_TRUE(Driver().LoadScript("hit cUpd 2003 in IDD_PREFS\nhit cUpd\nhit cUpd 1\n", &error));
  EXPECT_TRUE(Driver().Idle(nullptr));
  EXPECT_EQ(GetControl32BitValue(box), 1);
  EXPECT_TRUE(Driver().Idle(nullptr));
  EXPECT_EQ(GetControl32BitValue(box), 0);
  EXPECT_TRUE(Driver().Idle(nullptr));  // no such id: reported, nothing pressed
  EXPECT_EQ(GetControl32BitValue(box), 0);
  EXPECT_FALSE(Driver().Idle(nullptr));
}

TEST_F(Alerts, ScriptedHitTakesNegativeIds) {
  Rect r = MakeRect(100, 100, 600, 400);
  WindowRef window = nullptr;
  ASSERT_EQ(CreateNewWindow(kDocumentWindowClass, kWindowStandardHandlerAttribute, &r, &window), noErr);
  ShowWindow(window);
  struct Case {
    SInt32 id;
    const char* script;
    SInt32 pressed;
  } cases[] = {
      {-2, "hit cNeg -2\n", 1},
      {-2, "hit cNeg -3\n", 0},
      {-2147483647 - 1, "hit cNeg -2147483648\n", 1},
  };
  for (const Case& c : cases) {
    ControlRef box = nullptr;
    ASSERT_EQ(plat::NewControl(window, plat::ControlKind::kCheckBox, MakeRect(0, 0, 100, 20), "Check", &box), noErr);
    ControlID id{FourCC("cNeg"), c.id};
    ASSERT_EQ(SetControlID(box, &id), noErr);
    std::string error;
    ASSERT_TRUE(Driver().LoadScript(c.script, &error)) << c.script << error;
    EXPECT_TRUE(Driver().Idle(nullptr));
    EXPECT_EQ(GetControl32BitValue(box), c.pressed) << c.script;
    DisposeControl(box);
  }
  DisposeWindow(window);
}

}  // namespace
