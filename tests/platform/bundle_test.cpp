#include "platform/bundle.h"

#include <gtest/gtest.h>

#include "platform/roots.h"
#include "tests/support/test_support.h"

namespace {

std::vector<u8> Bytes(const std::string& text) { return std::vector<u8>(text.begin(), text.end()); }

std::vector<u8> Utf16(const std::u16string& text, bool bigEndian) {
  std::vector<u8> bytes = bigEndian ? std::vector<u8>{0xFE, 0xFF} : std::vector<u8>{0xFF, 0xFE};
  for (char16_t c : text) {
    u8 high = u8(c >> 8), low = u8(c);
    bytes.push_back(bigEndian ? high : low);
    bytes.push_back(bigEndian ? low : high);
  }
  return bytes;
}

std::string Utf8(CFStringRef string) {
  std::string text;
  if (!string || !plat::StringToUtf8(string, text)) text = "<null>";
  CFRelease(string);
  return text;
}

std::string Lookup(const char* key, const char* fallback = nullptr) {
  CFStringRef keyString = plat::CreateStringFromUtf8(key);
  CFStringRef value = fallback ? plat::CreateStringFromUtf8(fallback) : nullptr;
  std::string text = Utf8(CFBundleCopyLocalizedString(CFBundleGetMainBundle(), keyString, value, nullptr));
  CFRelease(value);
  CFRelease(keyString);
  return text;
}

class Bundle : public testing::Test {
 protected:
  void TearDown() override { gbtest::UseBuildBundle(); }
};

}  // namespace

TEST(StringsFile, ReadsEntriesEscapesAndComments) {
  const std::string text =
      "/* Messages */\n"
      "\"1\" = \"Plain\";\n"
      "// a line comment\n"
      "\"2\"=\"Say \\\"hi\\\"\\n\\tand \\\\ go\";  /* after */\n"
      "\"3\" = \"caf\\U00E9 \\u20ac\";\n"
      "bare_key = bare.value;\n"
      "\"self\";\n"
      "\"multi\" = \"line one\nline two\";\n"
      "\"1\" = \"Last wins\";\n";
  plat::StringTable table;
  ASSERT_TRUE(plat::ParseStringsFile(Bytes(text), table));
  EXPECT_EQ(table.size(), 6u);
  EXPECT_EQ(table[u"1"], u"Last wins");
  EXPECT_EQ(table[u"2"], u"Say \"hi\"\n\tand \\ go");
  EXPECT_EQ(table[u"3"], u"caf\u00E9 \u20AC");
  EXPECT_EQ(table[u"bare_key"], u"bare.value");
  EXPECT_EQ(table[u"self"], u"self");
  EXPECT_EQ(table[u"multi"], u"line one\nline two");
}

TEST(StringsFile, ReadsEachUnicodeForm) {
  const std::u16string text = u"\"106\" = \"\u00C9t\u00E9 \u65E5\";";
  std::vector<u8> utf8 = {0xEF, 0xBB, 0xBF};
  for (u8 b : Bytes("\"106\" = \"\xC3\x89t\xC3\xA9 \xE6\x97\xA5\";")) utf8.push_back(b);
  for (const std::vector<u8>& bytes : {utf8, Utf16(text, false), Utf16(text, true)}) {
    plat::StringTable table;
    ASSERT_TRUE(plat::ParseStringsFile(bytes, table));
    EXPECT_EQ(table[u"106"], u"\u00C9t\u00E9 \u65E5");
  }
}

TEST(StringsFile, CorruptFilesGiveNoStrings) {
  const std::vector<std::vector<u8>> corrupt = {
      Bytes("\"1\" = \"open"),
      Bytes("\"1\" = \"a\"\n\"2\" = \"b\";"),  // a missing ';'
      Bytes("\"1\" \"a\";"),
      Bytes("\"1\" = \"a\"; /* open comment"),
      Bytes("\"1\" = \"\\U00G1\";"),
      Bytes("\"1\" = \"\\U00\";"),
      Bytes("\"1\" = ;"),
      Bytes("= \"a\";"),
      Bytes("\"1\" = \"\xC3\";"),  // broken UTF-8
      {0xFF, 0xFE, '"', 0, '1'},   // odd UTF-16
  };
  for (const std::vector<u8>& bytes : corrupt) {
    plat::StringTable table = {{u"stale", u"x"}};
    EXPECT_FALSE(plat::ParseStringsFile(bytes, table)) << std::string(bytes.begin(), bytes.end());
    EXPECT_TRUE(table.empty());
  }
  plat::StringTable table;
  EXPECT_TRUE(plat::ParseStringsFile({}, table));  // an empty file is a valid empty table
}

TEST_F(Bundle, LocalizedStringsComeFromTheTableOnce) {
  std::string bundle = gbtest::UseTestBundle("bundle/strings.app", Bytes("\"10\" = \"Ten\";"));
  EXPECT_EQ(Lookup("10"), "Ten");
  EXPECT_EQ(Lookup("11"), "11");
  EXPECT_EQ(Lookup("11", "Fallback"), "Fallback");
  EXPECT_EQ(Lookup("11", ""), "11");

  // The table is read once; a reload reads it again.
  gbtest::WriteFile(bundle + "Contents/Resources/English.lproj/Localizable.strings", "\"10\" = \"Changed\";");
  EXPECT_EQ(Lookup("10"), "Ten");
  plat::ReloadBundleStrings();
  EXPECT_EQ(Lookup("10"), "Changed");

  gbtest::WriteFile(bundle + "Contents/Resources/English.lproj/Localizable.strings", "\"10\" = broken");
  plat::ReloadBundleStrings();
  EXPECT_EQ(Lookup("10"), "10");
}

TEST_F(Bundle, ResourcesAreFoundInsideTheResourcesFolderOnly) {
  std::string bundle = gbtest::UseTestBundle("bundle/resources.app", {});
  gbtest::MakeTempFolder("bundle/resources.app/Contents/Resources/ss_data/ss");
  gbtest::WriteFile(bundle + "Contents/Resources/main.rsrc", "r");
  gbtest::WriteFile(bundle + "Contents/Resources/English.lproj/help.html", "h");
  gbtest::WriteFile(bundle + "Contents/secret", "s");

  auto find = [](const char* name, const char* type, const char* folder) {
    CFStringRef n = name ? plat::CreateStringFromUtf8(name) : nullptr;
    CFStringRef t = type ? plat::CreateStringFromUtf8(type) : nullptr;
    CFStringRef f = folder ? plat::CreateStringFromUtf8(folder) : nullptr;
    CFURLRef url = CFBundleCopyResourceURL(CFBundleGetMainBundle(), n, t, f);
    CFRelease(n), CFRelease(t), CFRelease(f);
    std::string path = url ? Utf8(CFURLCopyFileSystemPath(url, kCFURLPOSIXPathStyle)) : "";
    if (url && CFURLHasDirectoryPath(url)) path += "/";
    CFRelease(url);
    return path;
  };
  const std::string resources = bundle + "Contents/Resources/";
  EXPECT_EQ(find("main", "rsrc", nullptr), resources + "main.rsrc");
  EXPECT_EQ(find("main.rsrc", nullptr, nullptr), resources + "main.rsrc");
  EXPECT_EQ(find("help", ".html", nullptr), resources + "English.lproj/help.html");
  EXPECT_EQ(find("English.lproj", nullptr, nullptr), resources + "English.lproj/");
  EXPECT_EQ(find("ss", nullptr, "ss_data"), resources + "ss_data/ss/");
  EXPECT_EQ(find("missing", nullptr, nullptr), "");
  EXPECT_EQ(find("..", nullptr, nullptr), "");
  EXPECT_EQ(find("secret", nullptr, ".."), "");
  EXPECT_EQ(find("../secret", nullptr, nullptr), "");
  EXPECT_EQ(find(nullptr, nullptr, nullptr), "");

  CFURLRef url = CFBundleCopyBundleURL(CFBundleGetMainBundle());
  EXPECT_EQ(Utf8(CFURLCopyFileSystemPath(url, kCFURLPOSIXPathStyle)) + "/", bundle);
  CFRelease(url);
}

TEST(BuildBundle, HoldsTheStringTable) {
  // The build lays out the table; it must parse (a broken table would hide every message).
  std::vector<u8> bytes =
      gbtest::ReadFile(plat::ApplicationBundle() + "Contents/Resources/English.lproj/Localizable.strings");
  ASSERT_FALSE(bytes.empty());
  plat::StringTable table;
  EXPECT_TRUE(plat::ParseStringsFile(bytes, table));
}
