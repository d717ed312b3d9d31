#include "platform/cf_string.h"

#include <cstring>
#include <string>

#include <gtest/gtest.h>

namespace {

// Owns one reference for the length of a test.
struct Held {
  explicit Held(CFStringRef s) : string(s) {}
  ~Held() { CFRelease(string); }
  CFStringRef string;
};

}  // namespace

TEST(CFString, CreatesFromEachSourceAndCountsUnits) {
  Held macRoman(CFStringCreateWithCString(kCFAllocatorDefault, "caf\x8E", kCFStringEncodingMacRoman));
  Held utf8(CFStringCreateWithCString(kCFAllocatorDefault, "caf\xC3\xA9", kCFStringEncodingUTF8));
  const unsigned char pascal[] = {4, 'c', 'a', 'f', 0x8E};
  Held fromPascal(CFStringCreateWithPascalString(kCFAllocatorDefault, pascal, kCFStringEncodingMacRoman));
  const UniChar units[] = {'c', 'a', 'f', 0xE9};
  Held characters(CFStringCreateWithCharacters(kCFAllocatorDefault, units, 4));
  for (CFStringRef s : {macRoman.string, utf8.string, fromPascal.string, characters.string}) {
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(CFStringGetLength(s), 4);
    EXPECT_EQ(CFStringCompare(s, macRoman.string, 0), kCFCompareEqualTo);
  }
  Held emoji(CFStringCreateWithCString(kCFAllocatorDefault, "\xF0\x9F\x98\x80", kCFStringEncodingUTF8));
  EXPECT_EQ(CFStringGetLength(emoji.string), 2);  // a surrogate pair

  EXPECT_EQ(CFStringCreateWithCString(kCFAllocatorDefault, "\xC3", kCFStringEncodingUTF8), nullptr);
  EXPECT_EQ(CFStringCreateWithCString(kCFAllocatorDefault, nullptr, kCFStringEncodingUTF8), nullptr);
  EXPECT_EQ(CFStringGetLength(nullptr), 0);
}

TEST(CFString, CStringConversionFailsCleanly) {
  Held text(CFStringCreateWithCString(kCFAllocatorDefault, "caf\xC3\xA9", kCFStringEncodingUTF8));
  char buffer[16];
  ASSERT_TRUE(CFStringGetCString(text.string, buffer, sizeof buffer, kCFStringEncodingMacRoman));
  EXPECT_STREQ(buffer, "caf\x8E");
  ASSERT_TRUE(CFStringGetCString(text.string, buffer, 6, kCFStringEncodingUTF8));  // exactly fits
  EXPECT_STREQ(buffer, "caf\xC3\xA9");
  EXPECT_FALSE(CFStringGetCString(text.string, buffer, 5, kCFStringEncodingUTF8));
  EXPECT_STREQ(buffer, "");

  Held cyrillic(CFStringCreateWithCString(kCFAllocatorDefault, "a\xD0\x96", kCFStringEncodingUTF8));
  EXPECT_FALSE(CFStringGetCString(cyrillic.string, buffer, sizeof buffer, kCFStringEncodingMacRoman));
  EXPECT_STREQ(buffer, "");

  Str255 pascal;
  ASSERT_TRUE(CFStringGetPascalString(text.string, pascal, sizeof pascal, kCFStringEncodingMacRoman));
  EXPECT_EQ(pascal[0], 4);
  EXPECT_EQ(pascal[4], 0x8E);
  Held tooLong(CFStringCreateWithCString(kCFAllocatorDefault, std::string(256, 'x').c_str(), 0));
  EXPECT_FALSE(CFStringGetPascalString(tooLong.string, pascal, sizeof pascal, kCFStringEncodingMacRoman));
}

TEST(CFString, GetBytesMeasuresReplacesOrStops) {
  Held text(CFStringCreateWithCString(kCFAllocatorDefault, "a\xD0\x96" "b", kCFStringEncodingUTF8));
  CFRange all = CFRangeMake(0, 3);
  CFIndex used = -1;
  EXPECT_EQ(CFStringGetBytes(text.string, all, kCFStringEncodingUTF8, 0, false, nullptr, 0, &used), 3);
  EXPECT_EQ(used, 4);

  UInt8 buffer[8] = {};
  EXPECT_EQ(CFStringGetBytes(text.string, all, kCFStringEncodingMacRoman, '?', false, buffer, 8, &used), 3);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), size_t(used)), "a?b");
  // Without a loss byte the conversion ends at the first character it cannot make.
  EXPECT_EQ(CFStringGetBytes(text.string, all, kCFStringEncodingMacRoman, 0, false, buffer, 8, &used), 1);
  EXPECT_EQ(used, 1);
  // It also ends where the next character does not fit.
  EXPECT_EQ(CFStringGetBytes(text.string, all, kCFStringEncodingUTF8, 0, false, buffer, 2, &used), 1);
  EXPECT_EQ(used, 1);
  // A range past the end is cut to the string.
  EXPECT_EQ(CFStringGetBytes(text.string, CFRangeMake(2, 10), kCFStringEncodingUTF8, 0, false, buffer, 8, &used), 1);
  // UTF-16 in host order, with a byte-order mark for the external form.
  EXPECT_EQ(CFStringGetBytes(text.string, CFRangeMake(0, 1), kCFStringEncodingUTF16, 0, true, buffer, 8, &used), 1);
  ASSERT_EQ(used, 4);
  EXPECT_EQ(buffer[0], 0xFF);
  EXPECT_EQ(buffer[1], 0xFE);
  EXPECT_EQ(buffer[2], 'a');
  EXPECT_EQ(buffer[3], 0);
}

TEST(CFString, CompareOrdersByUnitsNumbersOrCase) {
  struct Case {
    const char* a;
    const char* b;
    CFStringCompareFlags options;
    CFComparisonResult expected;
  } cases[] = {
      {"abc", "abd", 0, kCFCompareLessThan},
      {"abc", "ab", 0, kCFCompareGreaterThan},
      {"file10", "file9", 0, kCFCompareLessThan},
      {"file10", "file9", kCFCompareNumerically, kCFCompareGreaterThan},
      {"106", "106", kCFCompareNumerically, kCFCompareEqualTo},
      {"0106", "106", kCFCompareNumerically, kCFCompareEqualTo},
      {"106", "1060", kCFCompareNumerically, kCFCompareLessThan},
      {"Movie", "movie", 0, kCFCompareLessThan},
      {"Movie", "movie", kCFCompareCaseInsensitive, kCFCompareEqualTo},
  };
  for (const Case& c : cases) {
    Held a(CFStringCreateWithCString(kCFAllocatorDefault, c.a, 0));
    Held b(CFStringCreateWithCString(kCFAllocatorDefault, c.b, 0));
    EXPECT_EQ(CFStringCompare(a.string, b.string, c.options), c.expected) << c.a << " / " << c.b;
  }
}

TEST(CFString, ReferencesAreCounted) {
  CFStringRef text = CFStringCreateWithCString(kCFAllocatorDefault, "x", 0);
  EXPECT_EQ(CFGetRetainCount(text), 1);
  EXPECT_EQ(CFRetain(text), text);
  EXPECT_EQ(CFGetRetainCount(text), 2);
  CFRelease(text);
  EXPECT_EQ(CFGetRetainCount(text), 1);
  CFRelease(text);  // deletes it; the sanitizer build catches a leak or a double free
  CFRelease(nullptr);
}
