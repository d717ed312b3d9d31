#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "foundation/key_names.h"
#include "foundation/small_services.h"

namespace {

TEST(KeyNames, NamesSpecialKeysAndUsLayoutCharacters) {
  struct Case {
    u32 code;
    const char* name;
  };
  const Case cases[] = {{122, "F1"},     {36, "Return"}, {121, "Page Down"}, {126, "Up Arrow"},
                        {0, "a"},        {18, "1"},      {42, "\\"},         {83, "1"},
                        {10, ""},        {200, ""}};
  for (const Case& c : cases) {
    char name[12] = "garbage";
    EXPECT_TRUE(GetKeyName(c.code, name, sizeof name)) << c.code;
    EXPECT_STREQ(name, c.name) << c.code;
  }
}

TEST(KeyNames, CutsTheNameToTheCapacity) {
  char small[5] = "xxxx";
  EXPECT_FALSE(GetKeyName(124, small, sizeof small));
  EXPECT_STREQ(small, "Righ");
  char one[1] = {'x'};
  EXPECT_FALSE(GetKeyName(0, one, 1));
  EXPECT_EQ(one[0], 0);
  EXPECT_FALSE(GetKeyName(0, nullptr, 0));
}

TEST(KeyNames, ReadsTheKeyCodeOfAKeyboardEvent) {
  struct Case {
    const char* name;
    EventParamName parameter;
    EventParamType type;
    std::vector<u8> data;
    u32 expected;
  };
  const u32 f1 = 122;
  const std::vector<u8> f1Bytes(reinterpret_cast<const u8*>(&f1), reinterpret_cast<const u8*>(&f1) + 4);
  const Case cases[] = {
      {"a key code", kEventParamKeyCode, typeUInt32, f1Bytes, 122},
      {"no key code", kEventParamKeyModifiers, typeUInt32, f1Bytes, 0},
      {"another type", kEventParamKeyCode, typeSInt16, {122, 0}, 0},
      {"too short", kEventParamKeyCode, typeUInt32, {122, 0}, 0},
  };
  for (const Case& c : cases) {
    EventRef event = plat::NewEvent(kEventClassKeyboard, kEventRawKeyDown);
    ASSERT_EQ(SetEventParameter(event, c.parameter, c.type, UInt32(c.data.size()), c.data.data()), noErr);
    EXPECT_EQ(GetKeyCodeParameter(event), c.expected) << c.name;
    ReleaseEvent(event);
  }
  EXPECT_EQ(GetKeyCodeParameter(nullptr), 0u);
}

TEST(SmallServices, PointLineDistanceIsSignedAndSafeForEqualPoints) {
  struct Case {
    double x, y, x1, y1, x2, y2, expected;
  };
  const Case cases[] = {
      {0, 1, 0, 0, 1, 0, 1},   {0, -1, 0, 0, 1, 0, -1}, {5, 5, 0, 0, 0, 10, -5},
      {3, 4, 0, 0, 1, 1, std::sqrt(0.5)}, {3, 4, 0, 0, 0, 0, 5},  // equal points: distance to the point
  };
  for (const Case& c : cases) {
    const double d = ComputePointLineDistance(c.x, c.y, c.x1, c.y1, c.x2, c.y2);
    EXPECT_TRUE(std::isfinite(d));
    EXPECT_NEAR(d, c.expected, 1e-6) << c.x << "," << c.y;
  }
  EXPECT_EQ(GetDefaultStreamFlags(), 0x08000100u);
}

}  // namespace
