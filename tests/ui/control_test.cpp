#include "ui/control.h"

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/ui_test_support.h"
#include "ui/dialog_window.h"
#include "ui/static_text.h"

namespace {

class ControlBase : public gbtest::HeadlessUiTest {
 protected:
  void SetUp() override {
    HeadlessUiTest::SetUp();
    ASSERT_TRUE(owner_.Create(100, 100, 400, 300, kDialogShowAtOnce, nullptr));
    owner_.SetUserValue(2003);
  }
  CDialogWindow owner_;
  Rect bounds_ = MakeRect(20, 10, 120, 30);
};

TEST_F(ControlBase, CreateStampsTheIdsAndASecondCreateFails) {
  CStaticText text;
  ASSERT_TRUE(text.Create(&owner_, FourCC("sSta"), &bounds_, "ready"));
  ControlRef first = text.GetControlRef();
  ControlID id;
  ASSERT_EQ(GetControlID(first, &id), noErr);
  EXPECT_EQ(id.signature, FourCC("sSta"));
  EXPECT_EQ(id.id, 2003);
  UInt32 command = 0;
  ASSERT_EQ(GetControlCommandID(first, &command), noErr);
  EXPECT_EQ(command, FourCC("sSta"));
  EXPECT_EQ(GetControlReference(first), &text);
  EXPECT_EQ(first->fontStyle.font, kControlFontSmallSystemFont);
  EXPECT_EQ(first->drawCount, 1);
  EXPECT_TRUE(text.IsOwned());

  EXPECT_FALSE(text.Create(&owner_, FourCC("sXxx"), &bounds_, "again"));
  EXPECT_EQ(text.GetControlRef(), first);
  EXPECT_EQ(plat::ControlText(first), "ready");
  EXPECT_TRUE(text.Destroy());
  EXPECT_FALSE(plat::IsLiveControl(first));
  EXPECT_EQ(text.GetControlRef(), nullptr);
}

TEST_F(ControlBase, AttachedControlsStayWithTheWindow) {
  ControlRef nibControl = nullptr;
  ASSERT_EQ(plat::NewControl(owner_.GetWindowRef(), plat::ControlKind::kStaticText, bounds_, "nib", &nibControl), noErr);
  ControlID id{FourCC("sNib"), 2003};
  ASSERT_EQ(SetControlID(nibControl, &id), noErr);
  {
    CStaticText text;
    EXPECT_FALSE(owner_.AttachControl(FourCC("sNix"), &text));
    EXPECT_EQ(text.GetControlRef(), nullptr);
    ASSERT_TRUE(owner_.AttachControl(FourCC("sNib"), &text));
    EXPECT_EQ(text.GetControlRef(), nibControl);
    EXPECT_EQ(text.GetID(), FourCC("sNib"));
    EXPECT_EQ(text.GetNumber(), 2003);
    EXPECT_FALSE(text.IsOwned());
    EXPECT_TRUE(text.Destroy());
    EXPECT_TRUE(plat::IsLiveControl(nibControl));
  }
  EXPECT_TRUE(plat::IsLiveControl(nibControl));  // the destructor leaves it too
  ControlRef found = nullptr;
  WindowRef window = owner_.GetWindowRef();
  id.id = 0;
  ASSERT_EQ(SetControlID(nibControl, &id), noErr);
  EXPECT_TRUE(FindControlByID(FourCC("sNib"), &window, &found));
  EXPECT_EQ(found, nibControl);
}

TEST_F(ControlBase, GeometrySettersKeepTheOtherCoordinate) {
  CStaticText text;
  ASSERT_TRUE(text.Create(&owner_, FourCC("sGeo"), &bounds_, ""));
  EXPECT_TRUE(text.SetLeft(50));
  EXPECT_EQ(text.GetLeft(), 50);
  EXPECT_EQ(text.GetTop(), 10);
  EXPECT_TRUE(text.SetTop(70));
  EXPECT_EQ(text.GetLeft(), 50);
  EXPECT_TRUE(text.SetHeight(44));
  EXPECT_EQ(text.GetWidth(), 100);
  EXPECT_EQ(text.GetHeight(), 44);
  EXPECT_TRUE(text.SetWidth(10));
  EXPECT_EQ(text.GetHeight(), 44);
  Rect r;
  text.GetBounds(&r);
  EXPECT_EQ(r, MakeRect(50, 70, 60, 114));
  int left = 0, top = 0, width = 0, height = 0;
  text.GetPosition(&left, &top);
  text.GetSize(&width, &height);
  EXPECT_EQ(left + top + width + height, 50 + 70 + 10 + 44);
  CGrafPtr port = nullptr;
  GetGWorld(&port);
  EXPECT_EQ(plat::WindowOfPort(port), nullptr);  // the port switch is undone
  EXPECT_TRUE(text.Move(1, 2));
  EXPECT_EQ(text.GetTop(), 2);

  EXPECT_TRUE(text.Hide());
  EXPECT_FALSE(IsControlVisible(text.GetControlRef()));
  EXPECT_TRUE(text.Show(true));
  EXPECT_TRUE(text.Disable());
  EXPECT_FALSE(IsControlActive(text.GetControlRef()));
  EXPECT_TRUE(text.Enable(true));
  EXPECT_TRUE(IsControlActive(text.GetControlRef()));
  EXPECT_EQ(text.GetClassConstant1(), 16);
  EXPECT_EQ(text.GetClassConstant2(), 8);
  text.Destroy();
  EXPECT_FALSE(text.Enable(true));  // no control: the call fails
}

TEST(ColourHelpers, HexTextAndBrightness) {
  char text[8];
  EXPECT_EQ(FormatColorHex(0x00336699, text, sizeof(text)), 7);
  EXPECT_STREQ(text, "#996633");
  char small[4];
  EXPECT_EQ(FormatColorHex(0x00FFFFFF, small, sizeof(small)), 7);
  EXPECT_STREQ(small, "#ff");

  struct Case {
    UInt32 colour;
    int percent;
    UInt32 expected;
  } cases[] = {
      {0x00102030, 10, 0x001C2C3C},   // k = 12
      {0x00F0F0F0, 50, 0x00FFFFFF},   // k = 63, clamped
      {0x00102030, -50, 0x00000000},  // k = -64, clamped
      {0xFF000000, 0, 0x00000000},    // the top byte is dropped
      {0x00808080, -1, 0x007E7E7E},   // k = floor(-1.27) = -2
  };
  for (const Case& k : cases) {
    UInt32 c = k.colour;
    AdjustColorBrightness(&c, k.percent);
    EXPECT_EQ(c, k.expected) << std::hex << k.colour << " " << std::dec << k.percent;
  }
  RGBColor rgb = ColorToRGB(0x00336699);
  EXPECT_EQ(rgb.red, 0x9999);
  EXPECT_EQ(RGBToColor(rgb), 0x00336699u);
}

}  // namespace
