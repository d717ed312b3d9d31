#include "platform/controls.h"

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/menus.h"
#include "tests/support/ui_test_support.h"

namespace {

class Controls : public gbtest::HeadlessUiTest {
 protected:
  void SetUp() override {
    HeadlessUiTest::SetUp();
    Rect r = MakeRect(100, 100, 600, 400);
    ASSERT_EQ(CreateNewWindow(kDocumentWindowClass, kWindowStandardHandlerAttribute, &r, &window_), noErr);
    ShowWindow(window_);
  }
  ControlRef Make(plat::ControlKind kind, const char* title = "") {
    ControlRef c = nullptr;
    EXPECT_EQ(plat::NewControl(window_, kind, MakeRect(20, 10, 120, 30), title, &c), noErr);
    return c;
  }
  WindowRef window_ = nullptr;
};

TEST_F(Controls, FoundByIdThroughEveryLevelOfEmbedding) {
  ControlRef pane = Make(plat::ControlKind::kUserPane);
  ControlRef inner = Make(plat::ControlKind::kGroupBox);
  ControlRef button = Make(plat::ControlKind::kPushButton, "OK");
  EXPECT_EQ(EmbedControl(inner, pane), noErr);
  EXPECT_EQ(EmbedControl(button, inner), noErr);
  EXPECT_EQ(EmbedControl(pane, button), errControlIsNotEmbedder);
  EXPECT_EQ(EmbedControl(pane, inner), paramErr);  // into its own descendant
  ControlID id{FourCC("mQul"), 1001};
  ASSERT_EQ(SetControlID(button, &id), noErr);
  ControlRef found = nullptr;
  EXPECT_EQ(GetControlByID(window_, &id, &found), noErr);
  EXPECT_EQ(found, button);
  ControlID other{FourCC("mQul"), 0};
  EXPECT_EQ(GetControlByID(window_, &other, &found), errUnknownControl);
  EXPECT_EQ(found, nullptr);

  // Hiding the pane hides what it holds; disposing it disposes them.
  HideControl(pane);
  EXPECT_TRUE(IsControlVisible(button));
  EXPECT_FALSE(plat::IsControlReallyVisible(button));
  EXPECT_FALSE(plat::ClickControl(button));
  DisposeControl(pane);
  EXPECT_FALSE(plat::IsLiveControl(button));
  EXPECT_EQ(GetControlByID(window_, &id, &found), errUnknownControl);
  EXPECT_EQ(SetControlCommandID(button, 1), errUnknownControl);
}

TEST_F(Controls, ValuesArePinnedToTheRange) {
  ControlRef c = Make(plat::ControlKind::kProgressBar);
  struct Case {
    SInt32 minimum, maximum, set, expected;
  } cases[] = {
      {0, 100, 50, 50}, {0, 100, 101, 100}, {0, 100, -1, 0}, {1, 3, 0, 1}, {1, 3, 4, 3}, {5, 5, 9, 5},
  };
  for (const Case& k : cases) {
    SetControl32BitMinimum(c, k.minimum);
    SetControl32BitMaximum(c, k.maximum);
    SetControl32BitValue(c, k.set);
    EXPECT_EQ(GetControl32BitValue(c), k.expected) << k.minimum << ".." << k.maximum << " set " << k.set;
  }
  // Narrowing the range moves the value into it.
  SetControl32BitMaximum(c, 100);
  SetControl32BitValue(c, 80);
  SetControl32BitMaximum(c, 10);
  EXPECT_EQ(GetControl32BitValue(c), 10);
  SetControlMaximum(c, 200);
  SetControlValue(c, 150);
  EXPECT_EQ(GetControlValue(c), 150);
  SetControl32BitMaximum(c, 100000);
  SetControl32BitValue(c, 70000);
  EXPECT_EQ(GetControlValue(c), 32767);
}

TEST_F(Controls, DataTagsByControlKind) {
  ControlRef text = Make(plat::ControlKind::kStaticText);
  ControlRef popup = Make(plat::ControlKind::kPopupButton);
  ControlRef button = Make(plat::ControlKind::kPushButton);
  MenuRef menu = NewMenu(9999, reinterpret_cast<const unsigned char*>("\0"));
  const size_t menuSize = sizeof(menu);  // NOLINT(bugprone-sizeof-expression): the data is the MenuRef itself
  Boolean on = false;
  struct Case {
    ControlRef control;
    ControlDataTag tag;
    size_t size;
    const void* data;
    OSErr expected;
  } cases[] = {
      {text, kControlStaticTextTextTag, 5, "hello", noErr},
      {text, kControlPopupButtonMenuHandleTag, menuSize, &menu, errDataNotSupported},
      {popup, kControlPopupButtonMenuHandleTag, menuSize, &menu, noErr},
      {popup, kControlPopupButtonMenuHandleTag, 2, &menu, errDataSizeMismatch},
      {popup, kControlPopupButtonCheckCurrentTag, sizeof(on), &on, noErr},
      {popup, kControlStaticTextTextTag, 5, "hello", errDataNotSupported},
      {button, kControlStaticTextTextTag, 5, "hello", errDataNotSupported},
  };
  for (const Case& k : cases)
    EXPECT_EQ(SetControlData(k.control, 0, k.tag, k.size, k.data), k.expected) << plat::ControlKindName(k.control->kind);

  // The text comes back without a terminator; a short buffer gets what fits.
  char buffer[8] = {};
  size_t size = 0;
  EXPECT_EQ(GetControlData(text, 0, kControlStaticTextTextTag, 3, buffer, &size), noErr);
  EXPECT_EQ(size, 5u);
  EXPECT_EQ(std::string(buffer), "hel");
  EXPECT_EQ(plat::ControlText(text), "hello");
  MenuRef back = nullptr;
  ASSERT_EQ(GetControlData(popup, 0, kControlPopupButtonMenuHandleTag, menuSize, &back, nullptr), noErr);
  EXPECT_EQ(back, menu);
  Boolean check = true;
  ASSERT_EQ(GetControlData(popup, 0, kControlPopupButtonCheckCurrentTag, sizeof(check), &check, nullptr), noErr);
  EXPECT_FALSE(check);
}

struct HitLog {
  std::vector<std::string> events;
};

OSStatus LogHit(EventHandlerCallRef, EventRef event, void* data) {
  auto log = static_cast<HitLog*>(data);
  if (GetEventClass(event) == kEventClassControl) {
    ControlRef c = nullptr;
    EXPECT_TRUE(plat::GetParam(event, kEventParamDirectObject, typeControlRef, &c));
    log->events.push_back("hit value " + std::to_string(GetControl32BitValue(c)));
  } else {
    HICommand hi;
    EXPECT_TRUE(plat::GetParam(event, kEventParamDirectObject, typeHICommand, &hi));
    log->events.push_back("command " + std::to_string(hi.commandID));
  }
  return eventNotHandledErr;
}

TEST_F(Controls, AClickSendsTheHitAndThenTheCommandWhenTheHitIsNotHandled) {
  ControlRef box = Make(plat::ControlKind::kCheckBox, "Check");
  ASSERT_EQ(SetControlCommandID(box, 77), noErr);
  HitLog log;
  const EventTypeSpec types[] = {{kEventClassControl, kEventControlHit}, {kEventClassCommand, kEventCommandProcess}};
  ASSERT_EQ(InstallEventHandler(GetWindowEventTarget(window_), LogHit, 2, types, &log, nullptr), noErr);
  EXPECT_TRUE(plat::ClickControl(box));
  EXPECT_TRUE(plat::ClickControl(box));
  EXPECT_EQ(log.events, (std::vector<std::string>{"hit value 1", "command 77", "hit value 0", "command 77"}));

  ASSERT_EQ(DeactivateControl(box), noErr);
  EXPECT_FALSE(plat::ClickControl(box));
  ASSERT_EQ(ActivateControl(box), noErr);
  HideWindow(window_);
  EXPECT_FALSE(plat::ClickControl(box));
}

TEST_F(Controls, RadioButtonsInAGroupExcludeEachOther) {
  ControlRef group = Make(plat::ControlKind::kRadioGroup);
  std::vector<ControlRef> buttons;
  for (int i = 0; i < 3; ++i) {
    buttons.push_back(Make(plat::ControlKind::kRadioButton));
    ASSERT_EQ(EmbedControl(buttons.back(), group), noErr);
  }
  SetControl32BitMaximum(group, 3);
  ASSERT_TRUE(plat::ClickControl(buttons[1]));
  ASSERT_TRUE(plat::ClickControl(buttons[2]));
  EXPECT_EQ(GetControl32BitValue(buttons[1]), 0);
  EXPECT_EQ(GetControl32BitValue(buttons[2]), 1);
  EXPECT_EQ(GetControl32BitValue(group), 3);
}

TEST_F(Controls, GeometryAndFocus) {
  ControlRef edit = Make(plat::ControlKind::kEditText, "12");
  ControlRef label = Make(plat::ControlKind::kStaticText);
  MoveControl(edit, 5, 6);
  SizeControl(edit, 40, 22);
  Rect r;
  GetControlBounds(edit, &r);
  EXPECT_EQ(r, MakeRect(5, 6, 45, 28));
  EXPECT_EQ(SetKeyboardFocus(window_, edit, kControlFocusNextPart), noErr);
  EXPECT_EQ(SetKeyboardFocus(window_, label, kControlFocusNextPart), errControlDoesntSupportFocus);
  ControlRef focus = nullptr;
  ASSERT_EQ(GetKeyboardFocus(window_, &focus), noErr);
  EXPECT_EQ(focus, edit);
  DisposeControl(edit);
  ASSERT_EQ(GetKeyboardFocus(window_, &focus), noErr);
  EXPECT_EQ(focus, nullptr);
}

}  // namespace
