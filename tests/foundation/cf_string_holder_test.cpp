#include "foundation/cf_string_holder.h"

#include <cstring>
#include <memory>

#include <gtest/gtest.h>

#include "tests/support/test_support.h"

namespace {

std::vector<u8> Bytes(const std::string& text) { return std::vector<u8>(text.begin(), text.end()); }

}  // namespace

TEST(CCFString, NullSourcesGiveAnEmptyHolder) {
  CCFString fromNull(nullptr), fromText(static_cast<const char*>(nullptr)),
      fromWide(static_cast<const wchar_t*>(nullptr)), fromPascal(static_cast<ConstStr255Param>(nullptr)),
      fromRef(static_cast<CFStringRef>(nullptr));
  for (CCFString* holder : {&fromNull, &fromText, &fromWide, &fromPascal, &fromRef}) {
    EXPECT_EQ(holder->GetLength(), 0);
    EXPECT_TRUE(holder->IsEmpty());
    EXPECT_EQ(holder->ToStdString(), "");
    EXPECT_EQ(holder->ToUtf8StdString(), "");
    EXPECT_EQ(holder->CopyUniChars(), nullptr);
    char buffer[4] = "x";
    EXPECT_FALSE(holder->GetCString(buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "");
  }
}

TEST(CCFString, ConvertsBetweenForms) {
  CCFString text("caf\x8E");  // Mac Roman e-acute
  EXPECT_EQ(text.GetLength(), 4);
  EXPECT_EQ(text.ToStdString(), "caf\x8E");
  EXPECT_EQ(text.ToStdString(kCFStringEncodingUTF8), "caf\xC3\xA9");
  EXPECT_EQ(text.ToUtf8StdString(), "caf\xC3\xA9");
  EXPECT_EQ(text.ToWString(), L"caf\u00E9");

  Str255 pascal;
  ASSERT_TRUE(text.GetPascalString(pascal));
  CCFString fromPascal(static_cast<ConstStr255Param>(pascal));
  EXPECT_EQ(fromPascal.ToStdString(), "caf\x8E");

  CCFString wide(L"\u00E9a\U0001F600");
  EXPECT_EQ(wide.GetLength(), 4);
  EXPECT_EQ(wide.ToUtf8StdString(), "\xC3\xA9" "a\xF0\x9F\x98\x80");
  // One wide character per UTF-16 unit, and back again unchanged.
  std::wstring units = wide.ToWString();
  ASSERT_EQ(units.size(), 4u);
  CCFString again(units.c_str());
  EXPECT_EQ(again.ToUtf8StdString(), wide.ToUtf8StdString());

  std::unique_ptr<UniChar[]> copy(wide.CopyUniChars());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy[0], 0xE9);
  EXPECT_EQ(copy[4], 0);
  UniChar small[3];
  EXPECT_FALSE(wide.GetCharacters(small, 3));
  EXPECT_EQ(small[1], 'a');
  EXPECT_EQ(small[2], 0);

  wchar_t wideCopy[3];
  ASSERT_TRUE(CopyCFStringToWString(wide.GetRef(), wideCopy, 2));
  EXPECT_EQ(std::wstring(wideCopy), L"\u00E9a");
}

TEST(CCFString, TextsOutsideTheEncodingFailRatherThanMangle) {
  CCFString cyrillic(L"\u0416x");
  char buffer[16] = "x";
  EXPECT_FALSE(cyrillic.GetCString(buffer, sizeof buffer));
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(cyrillic.ToStdString(), "");
  EXPECT_EQ(cyrillic.ToStdString(kCFStringEncodingUTF8), "\xD0\x96x");
  EXPECT_FALSE(CopyCFStringToCString(cyrillic.GetRef(), buffer, sizeof buffer));
  EXPECT_FALSE(CopyCFStringToCString(nullptr, buffer, sizeof buffer));
  EXPECT_EQ(GetTextEncoding(), kCFStringEncodingMacRoman);

  // A text longer than twice its length in bytes still converts whole.
  CCFString euros(L"\u20AC\u20AC");
  EXPECT_EQ(euros.ToStdString(kCFStringEncodingUTF8), "\xE2\x82\xAC\xE2\x82\xAC");
  // A lone half of a surrogate pair becomes '?'.
  const UniChar lone[] = {'a', 0xD83D, 'b'};
  CCFString broken(CFStringCreateWithCharacters(kCFAllocatorDefault, lone, 3));
  EXPECT_EQ(broken.ToUtf8StdString(), "a?b");
}

TEST(CCFString, HfsNamesHoldAtMost255Units) {
  std::string longName(300, 'n');
  CCFString text(longName.c_str());
  HFSUniStr255 name;
  ASSERT_TRUE(text.GetHfsUniStr255(&name));
  EXPECT_EQ(name.length, 255);
  EXPECT_EQ(name.unicode[254], 'n');

  CCFString copy;
  ASSERT_TRUE(copy.SetHfsUniStr255(name));
  EXPECT_EQ(copy.GetLength(), 255);
  CCFString empty("");
  EXPECT_FALSE(empty.GetHfsUniStr255(&name));
  EXPECT_EQ(name.length, 0);
}

TEST(CCFString, LocalizedStringMissingLeavesTheHolderEmpty) {
  gbtest::UseTestBundle("holder/strings.app", Bytes("\"106\" = \"Visit the web site\";\n\"7\" = \"007\";"));
  CCFString found(UInt32(106));
  EXPECT_EQ(found.ToStdString(), "Visit the web site");
  CCFString missing;
  EXPECT_FALSE(missing.LoadLocalizedString(1234));
  EXPECT_TRUE(missing.IsEmpty());
  EXPECT_EQ(missing.GetRef(), nullptr);
  // A text equal to its number by value counts as missing.
  CCFString numeric(UInt32(7));
  EXPECT_EQ(numeric.GetRef(), nullptr);
  gbtest::UseBuildBundle();
}
