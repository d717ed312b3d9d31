#include "ui/message_box.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/gestalt.h"
#include "tests/support/ui_test_support.h"
#include "ui/dialog_window.h"

namespace {

class MessageBoxes : public gbtest::HeadlessUiTest {
 protected:
  void TearDown() override {
    plat::ResetGestaltTable();
    HeadlessUiTest::TearDown();
  }
  const plat::ShownRecord& Last() {
    static const plat::ShownRecord none;
    const plat::ShownRecord* r = Driver().LastAlert();
    return r ? *r : none;
  }
};

struct SetCase {
  UInt32 flags;
  std::vector<std::string> buttons;
  std::vector<UInt32> answers;  // by button 1, 2, 3
};

const std::vector<SetCase>& SetCases() {
  static const std::vector<SetCase> cases = {
      {0, {"OK"}, {kAnswerOk}},
      {kBoxOk, {"OK"}, {kAnswerOk}},
      {kBoxOkCancel, {"OK", "Cancel"}, {kAnswerOk, kAnswerCancel}},
      {kBoxRetryCancel, {"Retry", "Cancel"}, {kAnswerOk, kAnswerCancel}},
      {kBoxYesNo, {"Yes", "No"}, {kAnswerOk, kAnswerNo}},
      {kBoxYesCancelNo, {"Yes", "Cancel", "No"}, {kAnswerOk, kAnswerCancel, kAnswerNo}},
      {kBoxSaveCancelDontSave, {"Save", "Cancel", "Don't Save"}, {kAnswerOk, kAnswerCancel, kAnswerNo}},
      {kBoxRetryIgnoreAbort, {"Retry", "Ignore", "Abort"}, {kAnswerOk, kAnswerCancel, kAnswerNo}},
      // The first set bit wins.
      {kBoxYesNo | kBoxSaveCancelDontSave, {"Yes", "No"}, {kAnswerOk, kAnswerNo}},
  };
  return cases;
}

TEST_F(MessageBoxes, EveryButtonOfEverySetAnswersAsAnAlertAndAsASheet) {
  CDialogWindow parent;
  ASSERT_TRUE(parent.Create(100, 100, 400, 300, kDialogShowAtOnce, nullptr));
  for (bool sheet : {false, true}) {
    for (const SetCase& k : SetCases()) {
      for (size_t button = 1; button <= k.answers.size(); ++button) {
        Driver().Answer(SInt16(button));
        const UInt32 answer = ShowMessageBox(sheet ? parent.GetWindowRef() : nullptr, k.flags, "Title", "Text");
        EXPECT_EQ(answer, k.answers[button - 1]) << "flags " << k.flags << " button " << button << " sheet " << sheet;
        EXPECT_EQ(Last().buttons, k.buttons) << k.flags;
        EXPECT_EQ(Last().kind, sheet ? plat::ShownRecord::Kind::kSheet : plat::ShownRecord::Kind::kAlert);
      }
    }
  }
  EXPECT_EQ(plat::WindowList().size(), 1u);  // every alert and sheet is gone again
}

TEST_F(MessageBoxes, IconsFollowTheirFlags) {
  struct Case {
    UInt32 flags;
    AlertType type;
  } cases[] = {{kBoxIconStop | kBoxIconNote, kAlertStopAlert},
               {kBoxIconCaution | kBoxIconNote, kAlertCautionAlert},
               {kBoxIconNote, kAlertNoteAlert},
               {kBoxOk, kAlertPlainAlert}};
  for (const Case& k : cases) {
    ShowMessageBox(nullptr, k.flags, "T", "x");
    EXPECT_EQ(Last().type, k.type) << k.flags;
  }
  ShowNoteBox(nullptr, "T", "x");
  EXPECT_EQ(Last().type, kAlertNoteAlert);
  ShowCautionBox(nullptr, "T", "x");
  EXPECT_EQ(Last().type, kAlertCautionAlert);
  ShowStopBox(nullptr, "T", "x");
  EXPECT_EQ(Last().type, kAlertStopAlert);
}

TEST_F(MessageBoxes, AFailedAlertOrSheetAnswersCancel) {
  CDialogWindow parent;
  ASSERT_TRUE(parent.Create(100, 100, 400, 300, kDialogShowAtOnce, nullptr));
  Driver().SetPolicy(plat::AnswerPolicy::kDefault);
  Driver().FailNext(plat::UiFailure::kCreateAlert, memFullErr);
  EXPECT_EQ(ShowMessageBox(nullptr, kBoxOk, "T", "x"), kAnswerCancel);
  Driver().FailNext(plat::UiFailure::kRunAlert, paramErr);
  EXPECT_EQ(ShowMessageBox(nullptr, kBoxYesNo, "T", "x"), kAnswerCancel);
  Driver().FailNext(plat::UiFailure::kCreateSheet, memFullErr);
  EXPECT_EQ(ShowMessageBox(parent.GetWindowRef(), kBoxOk, "T", "x"), kAnswerCancel);
  // A sheet that cannot be shown becomes an alert with the same texts.
  Driver().FailNext(plat::UiFailure::kShowSheet, paramErr);
  Driver().Answer(3);
  EXPECT_EQ(ShowMessageBox(parent.GetWindowRef(), kBoxSaveCancelDontSave, "Save?", "x"), kAnswerNo);
  EXPECT_EQ(Last().kind, plat::ShownRecord::Kind::kAlert);
  EXPECT_EQ(Last().title, "Save?");
  EXPECT_EQ(plat::WindowList().size(), 1u);
}

TEST_F(MessageBoxes, TextIsFormattedOnceAndCutToItsBuffer) {
  ShowNoteBox(nullptr, "T", "%s and %d%%", "100%d%s", 5);
  EXPECT_EQ(Last().text, "100%d%s and 5%");
  ShowMessageBox(nullptr, kBoxOk, "T", "%s", "50% off %n");
  EXPECT_EQ(Last().text, "50% off %n");
  const std::string longText(1000, 'x');
  ShowMessageBox(nullptr, kBoxOk, "T", "%s", longText.c_str());
  EXPECT_EQ(Last().text.size(), 2u * 2 + 256 - 1);
  ShowStopBox(nullptr, "T", "%s", longText.c_str());
  EXPECT_EQ(Last().text.size(), 255u);
  ShowErrorCodeBox(nullptr, -43);
  EXPECT_EQ(Last().title, "Err: -43");
  EXPECT_EQ(Last().text, "Type: -43");
  EXPECT_EQ(Last().type, kAlertStopAlert);
}

TEST_F(MessageBoxes, BoxesByNumberFallBackToErrorOnlyForTheStopBox) {
  ShowStopBoxById(nullptr, 10024, 99999);
  EXPECT_EQ(Last().title, "Yes");
  EXPECT_EQ(Last().text, "Error");
  ShowStopBoxById(nullptr, 99998, 10025);
  EXPECT_EQ(Last().title, "Error");
  EXPECT_EQ(Last().text, "No");
  ShowCautionBoxById(nullptr, 10024, 99999);
  EXPECT_EQ(Last().text, "");
  ShowNoteBoxById(nullptr, 99999, 10026);
  EXPECT_EQ(Last().title, "");
  EXPECT_EQ(Last().text, "OK");
  Driver().Answer(2);
  EXPECT_EQ(ShowMessageBoxById(nullptr, kBoxOkCancel, 10026, 10027), kAnswerCancel);
  EXPECT_EQ(Last().text, "Cancel");
}

TEST_F(MessageBoxes, SystemsBefore10UseTheClassicAlert) {
  plat::SetGestaltValue(FourCC("sysv"), 0x0922);
  CDialogWindow parent;
  ASSERT_TRUE(parent.Create(100, 100, 400, 300, kDialogShowAtOnce, nullptr));
  Driver().Answer(2);
  EXPECT_EQ(ShowMessageBox(parent.GetWindowRef(), kBoxYesNo, "T", "x"), kAnswerNo);  // no sheet
  EXPECT_EQ(Last().kind, plat::ShownRecord::Kind::kAlert);
  EXPECT_EQ(Last().buttons, (std::vector<std::string>{"Yes", "No"}));
  Driver().Answer(3);
  EXPECT_EQ(ShowMessageBox(nullptr, kBoxSaveCancelDontSave, "T", "x"), kAnswerNo);
  Driver().Answer(2);
  EXPECT_EQ(ShowMessageBox(nullptr, kBoxYesCancelNo, "T", "x"), kAnswerCancel);
  // Other sets take the default parameters: one OK button.
  EXPECT_EQ(ShowMessageBox(nullptr, kBoxOkCancel, "T", "x"), kAnswerOk);
  EXPECT_EQ(Last().buttons, (std::vector<std::string>{"OK"}));
  Driver().FailNext(plat::UiFailure::kClassicAlert, paramErr);
  EXPECT_EQ(ShowMessageBox(nullptr, kBoxOk, "T", "x"), kAnswerCancel);
}

TEST_F(MessageBoxes, ASheetWaitsForItsButtonWhileOtherEventsAreDispatched) {
  CDialogWindow parent;
  ASSERT_TRUE(parent.Create(100, 100, 400, 300, kDialogShowAtOnce, nullptr));
  int seen = 0;
  const EventTypeSpec type = {kEventClassCommand, kEventCommandProcess};
  auto count = [](EventHandlerCallRef, EventRef, void* data) -> OSStatus {
    ++*static_cast<int*>(data);
    return noErr;
  };
  ASSERT_EQ(InstallEventHandler(GetApplicationEventTarget(), count, 1, &type, &seen, nullptr), noErr);
  HICommand hi;
  hi.commandID = FourCC("tick");
  EventRef e = plat::NewEvent(kEventClassCommand, kEventCommandProcess);
  plat::SetParam(e, kEventParamDirectObject, typeHICommand, hi);
  plat::SetParam(e, kEventParamPostTarget, typeEventTargetRef, GetApplicationEventTarget());
  ASSERT_EQ(PostEventToQueue(GetMainEventQueue(), e, kEventPriorityStandard), noErr);
  ReleaseEvent(e);
  Driver().Answer(1);
  EXPECT_EQ(ShowMessageSheet(nullptr, kBoxYesCancelNo, "T", "x"), kAnswerOk);  // on the front window
  EXPECT_EQ(seen, 1);
  // The parent never hears the sheet's button as a command of its own.
  EXPECT_EQ(Last().kind, plat::ShownRecord::Kind::kSheet);
}

}  // namespace
