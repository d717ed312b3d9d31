#include "platform/carbon_strings.h"

#include <gtest/gtest.h>

#include "tests/support/ui_test_support.h"

namespace {

class CarbonStrings : public gbtest::HeadlessUiTest {};

TEST_F(CarbonStrings, TitlesAreKeptAsMacRomanAndComeBackWhole) {
  Rect r = MakeRect(100, 100, 400, 300);
  WindowRef window = nullptr;
  ASSERT_EQ(CreateNewWindow(kDocumentWindowClass, 0, &r, &window), noErr);
  CFStringRef title = plat::CreateStringFromUtf8("Caf\xC3\xA9 \xE2\x98\x83");  // a snowman has no Mac Roman form
  EXPECT_EQ(SetWindowTitleWithCFString(window, title), noErr);
  EXPECT_EQ(plat::WindowTitleText(window), "Caf\x8E ?");
  CFStringRef back = nullptr;
  EXPECT_EQ(CopyWindowTitleAsCFString(window, &back), noErr);
  std::string utf8;
  ASSERT_TRUE(plat::StringToUtf8(back, utf8));
  EXPECT_EQ(utf8, "Caf\xC3\xA9 ?");
  CFRelease(back);
  CFRelease(title);
  EXPECT_EQ(SetWindowTitleWithCFString(window, nullptr), noErr);
  EXPECT_EQ(plat::WindowTitleText(window), "");
}

TEST_F(CarbonStrings, AlertParametersChooseTheButtons) {
  AlertStdCFStringAlertParamRec param;
  EXPECT_EQ(GetStandardAlertDefaultParams(&param, 2), paramErr);
  ASSERT_EQ(GetStandardAlertDefaultParams(&param, kStdCFStringAlertVersionOne), noErr);
  CFStringRef yes = plat::NewStringFromMacRoman("Yes");
  param.defaultText = yes;
  param.cancelText = kAlertDefaultCancelTextCF;  // NOLINT(performance-no-int-to-ptr): the interface's -1 sentinel, never dereferenced
  DialogRef alert = nullptr;
  CFStringRef title = plat::NewStringFromMacRoman("T");
  ASSERT_EQ(CreateStandardAlert(kAlertNoteAlert, title, nullptr, &param, &alert), noErr);
  Driver().Answer(2);
  DialogItemIndex hit = 0;
  EXPECT_EQ(RunStandardAlert(alert, nullptr, &hit), noErr);
  EXPECT_EQ(hit, 2);
  EXPECT_EQ(Driver().LastAlert()->buttons, (std::vector<std::string>{"Yes", "Cancel"}));
  EXPECT_EQ(Driver().LastAlert()->text, "");
  CFRelease(yes);
  CFRelease(title);
}

}  // namespace
