#include "foundation/string_buffer.h"

#include <cstring>

#include <gtest/gtest.h>

#include "foundation/cf_string_holder.h"
#include "tests/support/test_support.h"

TEST(StringBuffer, NeverNullAndGrowsOnlyWhenNeeded) {
  CStringBuffer buffer;
  ASSERT_NE(buffer.GetText(), nullptr);
  EXPECT_STREQ(buffer.GetText(), "");
  EXPECT_EQ(buffer.GetSize(), 1u);
  CStringBuffer fromNull(static_cast<const char*>(nullptr));
  EXPECT_STREQ(fromNull.GetText(), "");

  ASSERT_TRUE(buffer.SetText("abc"));
  const char* block = buffer.GetText();
  ASSERT_TRUE(buffer.SetText("x"));
  EXPECT_EQ(buffer.GetText(), block);
  EXPECT_EQ(buffer.GetSize(), 4u);
  EXPECT_FALSE(buffer.SetText(nullptr));
  EXPECT_STREQ(buffer.GetText(), "x");
  buffer.Reserve(2);
  EXPECT_EQ(buffer.GetSize(), 4u);
  buffer.Clear();
  EXPECT_EQ(buffer.GetLength(), 0u);
}

TEST(StringBuffer, SetTextFromItsOwnBlock) {
  CStringBuffer buffer("hello world");
  ASSERT_TRUE(buffer.SetText(buffer.GetText() + 6));
  EXPECT_STREQ(buffer.GetText(), "world");
  ASSERT_TRUE(buffer.SetText(buffer.GetText()));
  EXPECT_STREQ(buffer.GetText(), "world");
}

TEST(StringBuffer, ComparesAndReadsNumbers) {
  CStringBuffer buffer("TRUE");
  EXPECT_TRUE(buffer.IsTrue());
  EXPECT_TRUE(buffer.Equals("true", false));
  EXPECT_FALSE(buffer.Equals("true", true));
  EXPECT_FALSE(buffer.Equals(static_cast<const char*>(nullptr), false));
  CStringBuffer other("TRUE");
  EXPECT_TRUE(buffer.Equals(other, true));

  buffer.SetText("0x1F");
  EXPECT_EQ(buffer.ToInteger(), 31);
  EXPECT_EQ(buffer.ToUnsigned(), 31u);
  EXPECT_EQ(buffer.ToLong(), 0);  // atol stops at the 'x'
  buffer.SetText("010");
  EXPECT_EQ(buffer.ToInteger(), 8);
  EXPECT_EQ(buffer.ToLong(), 10);
  buffer.SetText("2.5e1");
  EXPECT_DOUBLE_EQ(buffer.ToDouble(), 25.0);
}

TEST(StringBuffer, FormatsTextsOfAnyLength) {
  CStringBuffer buffer;
  std::string thousand(1000, 'a');
  ASSERT_TRUE(buffer.Format("%s!", thousand.c_str()));
  EXPECT_EQ(buffer.GetText(), thousand + "!");
  ASSERT_TRUE(buffer.Format("%s", ""));
  EXPECT_STREQ(buffer.GetText(), "");
  ASSERT_TRUE(buffer.SetInteger(-42));
  EXPECT_STREQ(buffer.GetText(), "-42");

  struct Case {
    int width, precision;
    const char* expected;
  } cases[] = {
      {0, 2, "3.14"}, {8, 0, "       3"}, {8, 3, "   3.142"}, {0, 0, "3.141590"},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(buffer.FormatDouble(3.14159, c.width, c.precision));
    EXPECT_STREQ(buffer.GetText(), c.expected) << c.width << "/" << c.precision;
    char out[32];
    double value = 3.14159;
    ASSERT_TRUE(FormatDouble(&value, out, sizeof out, c.width, c.precision));
    EXPECT_STREQ(out, c.expected);
  }
}

TEST(StringBuffer, FormattingIntoCallerBuffersRespectsTheirCapacity) {
  char out[8];
  std::memset(out, '#', sizeof out);
  EXPECT_FALSE(FormatString(out, 5, "%s", "abcdefgh"));
  EXPECT_STREQ(out, "abcd");
  EXPECT_EQ(out[5], '#');  // nothing written past the capacity
  EXPECT_TRUE(FormatString(out, sizeof out, "%d-%d", 1, 2));
  EXPECT_STREQ(out, "1-2");
  EXPECT_FALSE(FormatString(out, 0, "x"));
  double value = 12345.678;
  EXPECT_FALSE(FormatDouble(&value, out, 4, 0, 1));
  EXPECT_STREQ(out, "123");

  char number[12];
  FormatInteger(-2147483647 - 1, number);
  EXPECT_STREQ(number, "-2147483648");

  struct Case {
    unsigned ms;
    const char* expected;
  } times[] = {
      {0, "00:00.00"}, {999, "00:00.99"}, {1000, "00:01.00"}, {59999, "00:59.99"},
      {60000, "01:00.00"}, {61234, "01:01.23"}, {6000000, "100:00.00"},
  };
  for (const Case& c : times) {
    char text[32];
    FormatMilliseconds(c.ms, text, sizeof text);
    EXPECT_STREQ(text, c.expected) << c.ms;
  }
  char tiny[4] = {'#', '#', '#', '#'};
  FormatMilliseconds(0, tiny, 3);
  EXPECT_STREQ(tiny, "00");
  EXPECT_EQ(tiny[3], '#');
}

TEST(StringBuffer, ParsesAndTrims) {
  EXPECT_TRUE(ParseTrueString("True"));
  EXPECT_FALSE(ParseTrueString("yes"));
  EXPECT_FALSE(ParseTrueString(nullptr));
  long l = 0;
  EXPECT_EQ(ParseLong("123abc", &l), 123);
  EXPECT_EQ(l, 123);
  EXPECT_EQ(ParseLong(nullptr, &l), 0);
  double d = 0;
  ParseDouble("-1.5", &d);
  EXPECT_DOUBLE_EQ(d, -1.5);

  struct Case {
    const char* in;
    const char* out;
  } cases[] = {{"  a b \n", "a b"}, {"   ", ""}, {"", ""}, {"x", "x"}, {"\t\r\nx\v\f", "x"}};
  for (const Case& c : cases) EXPECT_EQ(TrimWhitespace(c.in), c.out) << c.in;
  EXPECT_EQ(TrimWhitespace(nullptr), "");
}

TEST(StringBuffer, WideAndNarrowThroughStrings) {
  EXPECT_EQ(ToWideString("caf\x8E"), L"caf\u00E9");
  EXPECT_EQ(ToWideStringVia(std::string("caf\x8E")), L"caf\u00E9");
  EXPECT_EQ(ToWideStringVia(L"\u20AC"), L"\u20AC");
  EXPECT_EQ(ToNarrowString(L"caf\u00E9"), "caf\x8E");
  EXPECT_EQ(ToNarrowString(L"\u0416"), "");  // no Mac Roman form

  CStringBuffer buffer("old");
  CCFString cyrillic(L"\u0416");
  EXPECT_FALSE(buffer.SetFromCFString(cyrillic.GetRef()));
  EXPECT_STREQ(buffer.GetText(), "old");
  EXPECT_FALSE(buffer.SetFromCFString(nullptr));
  CCFString text(L"\u00E9t\u00E9");
  ASSERT_TRUE(buffer.SetFromCFString(text.GetRef()));
  EXPECT_STREQ(buffer.GetText(), "\x8Et\x8E");
  const unsigned char pascal[] = {3, 'a', 'b', 'c'};
  ASSERT_TRUE(buffer.SetFromPascalString(pascal));
  EXPECT_STREQ(buffer.GetText(), "abc");
}

TEST(StringBuffer, MissingLocalizedStringGivesItsNumber) {
  const std::string strings = "\"20\" = \"Twenty \\U00E9\";";
  gbtest::UseTestBundle("buffer/strings.app", std::vector<uint8_t>(strings.begin(), strings.end()));
  CStringBuffer found(20);
  EXPECT_STREQ(found.GetText(), "Twenty \x8E");
  CStringBuffer missing(1234);
  EXPECT_STREQ(missing.GetText(), "1234");

  char out[8];
  EXPECT_TRUE(GetLocalizedCString(20, out, sizeof out));
  EXPECT_STREQ(out, "Twenty ");
  EXPECT_FALSE(GetLocalizedCString(1234, out, sizeof out));
  EXPECT_STREQ(out, "");
  gbtest::UseBuildBundle();
}
