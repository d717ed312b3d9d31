#include "ui/static_text.h"

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/ui_test_support.h"
#include "ui/dialog_window.h"

namespace {

class StaticText : public gbtest::HeadlessUiTest {
 protected:
  void SetUp() override {
    HeadlessUiTest::SetUp();
    ASSERT_TRUE(owner_.Create(100, 100, 400, 300, 0, nullptr));
    ASSERT_TRUE(text_.Create(&owner_, FourCC("sSta"), &bounds_, ""));
  }
  std::string Shown() { return plat::ControlText(text_.GetControlRef()); }
  CDialogWindow owner_;
  CStaticText text_;
  Rect bounds_ = MakeRect(20, 10, 320, 30);
};

TEST_F(StaticText, SettersProduceTheText) {
  EXPECT_TRUE(text_.SetText("Building...", false));
  EXPECT_EQ(Shown(), "Building...");
  EXPECT_TRUE(text_.SetInt(-42, false));
  EXPECT_EQ(Shown(), "-42");
  const unsigned char pascal[] = "\003abcdef";
  EXPECT_TRUE(text_.SetPascalText(pascal, false));
  EXPECT_EQ(Shown(), "abc");
  EXPECT_TRUE(text_.Clear(false));
  EXPECT_EQ(Shown(), "");
  struct Case {
    int width, precision;
    const char* expected;
  } cases[] = {{0, 0, "3.141593"}, {8, 2, "    3.14"}, {6, 0, "     3"}, {0, 3, "3.142"}};
  for (const Case& k : cases) {
    EXPECT_TRUE(text_.SetFloat(3.14159265, k.width, k.precision, false));
    EXPECT_EQ(Shown(), k.expected) << k.width << "," << k.precision;
  }
  // A percent sign in an argument is shown as it stands.
  EXPECT_TRUE(text_.SetFormatted(false, "%s of %d", "100%d", 3));
  EXPECT_EQ(Shown(), "100%d of 3");
}

TEST_F(StaticText, FormattedTextOfAnyLengthIsWhole) {
  for (size_t length : {size_t(0), size_t(255), size_t(256), size_t(5000)}) {
    std::string long_text(length, 'x');
    EXPECT_TRUE(text_.SetFormatted(false, "%s", long_text.c_str()));
    EXPECT_EQ(Shown().size(), length);
  }
}

TEST_F(StaticText, RedrawOnlyWhenAsked) {
  const int before = text_.GetControlRef()->drawCount;
  ASSERT_TRUE(text_.SetText("a", false));
  EXPECT_EQ(text_.GetControlRef()->drawCount, before);
  ASSERT_TRUE(text_.SetText("b", true));
  EXPECT_EQ(text_.GetControlRef()->drawCount, before + 1);
}

TEST_F(StaticText, GetTextNeverWritesPastTheBuffer) {
  ASSERT_TRUE(text_.SetText("abcdef", false));
  struct Case {
    size_t size;
    const char* expected;
    size_t copied;
  } cases[] = {{1, "", 0}, {4, "abc", 3}, {7, "abcdef", 6}, {32, "abcdef", 6}};
  for (const Case& k : cases) {
    char buffer[40];
    std::memset(buffer, '#', sizeof(buffer));
    size_t size = k.size;
    EXPECT_TRUE(text_.GetText(buffer, &size));
    EXPECT_STREQ(buffer, k.expected);
    EXPECT_EQ(size, k.copied);
    EXPECT_EQ(buffer[k.size], '#') << "wrote past " << k.size;
  }
  size_t zero = 0;
  char one[1] = {'#'};
  EXPECT_FALSE(text_.GetText(one, &zero));
  EXPECT_EQ(one[0], '#');
}

TEST_F(StaticText, AControlThatRefusesTheTextLeavesItAlone) {
  ControlRef button = nullptr;
  ASSERT_EQ(plat::NewControl(owner_.GetWindowRef(), plat::ControlKind::kPushButton, bounds_, "Go", &button), noErr);
  ControlID id{FourCC("bGo "), 0};
  ASSERT_EQ(SetControlID(button, &id), noErr);
  CStaticText wrong;
  ASSERT_TRUE(owner_.AttachControl(FourCC("bGo "), &wrong));
  const int draws = button->drawCount;
  EXPECT_FALSE(wrong.SetText("text", true));
  EXPECT_EQ(button->drawCount, draws);
  char buffer[8];
  size_t size = sizeof(buffer);
  EXPECT_FALSE(wrong.GetText(buffer, &size));
  EXPECT_STREQ(buffer, "");

  CStaticText empty;  // no control at all
  EXPECT_FALSE(empty.SetText("x", true));
}

TEST_F(StaticText, ProgressBarStaysInItsRange) {
  CProgressBar bar;
  ASSERT_TRUE(bar.Create(&owner_, FourCC("pBar"), &bounds_, nullptr));
  EXPECT_EQ(bar.GetValue(), 0);
  EXPECT_EQ(bar.GetMaximum(), 100);
  ASSERT_TRUE(bar.SetRange(0, 3, false));
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(bar.Increment());
  EXPECT_EQ(bar.GetValue(), 3);
  ASSERT_TRUE(bar.SetRange(-2, 2, true));
  EXPECT_EQ(bar.GetValue(), 2);
  for (int i = 0; i < 9; ++i) ASSERT_TRUE(bar.Decrement());
  EXPECT_EQ(bar.GetValue(), -2);
  ASSERT_TRUE(bar.SetToMaximum());
  SInt16 low = 0, high = 0;
  ASSERT_TRUE(bar.GetRange(&low, &high));
  EXPECT_EQ(low, -2);
  EXPECT_EQ(high, 2);
  EXPECT_EQ(bar.GetValue(), 2);
}

}  // namespace
