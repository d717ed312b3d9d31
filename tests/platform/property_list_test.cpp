#include "platform/property_list.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "platform/roots.h"
#include "tests/support/test_support.h"

namespace {

using plat::PlistValue;

PlistValue Sample() {
  PlistValue root;
  root.Set("yes", PlistValue::Boolean(true));
  root.Set("no", PlistValue::Boolean(false));
  root.Set("min", PlistValue::Integer(std::numeric_limits<int64_t>::min()));
  root.Set("max", PlistValue::Integer(std::numeric_limits<int64_t>::max()));
  root.Set("real", PlistValue::Real(0.1));
  root.Set("huge", PlistValue::Real(-1.5e300));
  root.Set("text", PlistValue::String("a<b>&c \"d\" 'e' \xC3\xA9\r\n\t\x01 end"));
  root.Set("blank", PlistValue::String("  \n"));
  root.Set("empty", PlistValue::String(""));
  root.Set("when", PlistValue::Date("2024-01-02T03:04:05Z"));
  std::vector<uint8_t> bytes;
  bytes.reserve(256);
  for (int i = 0; i < 256; ++i) bytes.push_back(uint8_t(i));
  root.Set("bytes", PlistValue::Data(bytes));
  root.Set("one", PlistValue::Data({0x41}));
  root.Set("two", PlistValue::Data({0x41, 0x42}));
  root.Set("none", PlistValue::Data({}));
  PlistValue list = PlistValue::Array();
  list.items().push_back(PlistValue::Integer(7));
  list.items().push_back(PlistValue::Array());
  PlistValue inner;
  inner.Set("k & <k>", PlistValue::String("v"));
  list.items().push_back(inner);
  root.Set("list", list);
  root.Set("nothing", PlistValue::Dictionary());
  return root;
}

TEST(PropertyList, EveryKindOfValueRoundTrips) {
  PlistValue original = Sample();
  std::string text = plat::SerializePropertyList(original);
  EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n", 0),
            0u);
  PlistValue back;
  std::string message;
  ASSERT_TRUE(plat::ParsePropertyList(text, &back, &message)) << message << "\n" << text;
  EXPECT_TRUE(back == original) << text;
  EXPECT_EQ(back.Find("text")->text(), original.Find("text")->text());
  EXPECT_EQ(back.Find("blank")->text(), "  \n");
}

TEST(PropertyList, ReadsTheUsualHandWrittenForm) {
  const char* text =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<!DOCTYPE plist PUBLIC \"-//x//DTD PLIST 1.0//EN\" \"x.dtd\">\n"
      "<plist version=\"1.0\">\n<dict>\n"
      "  <key>n</key> <integer> -42 </integer>\n"
      "  <key>r</key> <real>2.5</real>\n"
      "  <key>s</key> <string>caf&#233; &#x263A; &lt;&amp;&gt;</string>\n"
      "  <key>c</key> <string><![CDATA[&amp;]]></string>\n"
      "  <key>d</key> <data>\n  AAEC\n  /w==\n</data>\n"
      "  <key>e</key> <string/>\n"
      "</dict>\n</plist>\n";
  PlistValue value;
  std::string message;
  ASSERT_TRUE(plat::ParsePropertyList(text, &value, &message)) << message;
  EXPECT_EQ(value.Find("n")->integer(), -42);
  EXPECT_EQ(value.Find("r")->real(), 2.5);
  EXPECT_EQ(value.Find("s")->text(), "caf\xC3\xA9 \xE2\x98\xBA <&>");
  EXPECT_EQ(value.Find("c")->text(), "&amp;");
  EXPECT_EQ(value.Find("d")->data(), (std::vector<uint8_t>{0, 1, 2, 255}));
  EXPECT_EQ(value.Find("e")->text(), "");
}

// A list that names another encoding is read in it, as every XML document.
TEST(PropertyList, ReadsTheEncodingAListNames) {
  PlistValue value;
  std::string message;
  ASSERT_TRUE(plat::ParsePropertyList("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
                                      "<plist version=\"1.0\"><dict><key>caf\xE9</key><string>\xE9t\xE9</string></dict></plist>",
                                      &value, &message))
      << message;
  ASSERT_NE(value.Find("caf\xC3\xA9"), nullptr);
  EXPECT_EQ(value.Find("caf\xC3\xA9")->text(), "\xC3\xA9t\xC3\xA9");
  EXPECT_FALSE(plat::ParsePropertyList("<?xml version=\"1.0\" encoding=\"KOI8-R\"?><plist><string/></plist>", &value,
                                       &message));
  EXPECT_NE(message.find("KOI8-R"), std::string::npos) << message;
}

TEST(PropertyList, RefusesWhatIsNoPropertyList) {
  auto wrap = [](const std::string& body) {
    return "<plist version=\"1.0\">" + body + "</plist>";
  };
  const std::string cases[] = {
      "<dict/>",  // no plist root
      wrap(""),
      wrap("<dict/><dict/>"),
      wrap("<dict><string>no key</string></dict>"),
      wrap("<dict><key>k</key></dict>"),
      wrap("<integer>12abc</integer>"),
      wrap("<integer>99999999999999999999</integer>"),
      wrap("<integer></integer>"),
      wrap("<real>x</real>"),
      wrap("<data>A</data>"),
      wrap("<data>A*==</data>"),
      wrap("<string>&bogus;</string>"),
      wrap("<string>&#0;</string>"),
      wrap("<string>&#xD800;</string>"),
      wrap("<string>caf\xE9</string>"),  // no UTF-8: it could not be written back
      wrap("<dict><key>\xE9</key><string/></dict>"),
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + wrap("<string>caf\xE9</string>"),
      wrap("<string><b/></string>"),
      wrap("<widget/>"),
      wrap("<dict><key>k</key><true>x</true></dict>"),
      "<plist><dict>",
  };
  for (const std::string& text : cases) {
    PlistValue value = PlistValue::Integer(5);
    EXPECT_FALSE(plat::ParsePropertyList(text, &value)) << text;
    EXPECT_EQ(value.type(), PlistValue::Type::kInteger) << "output touched by " << text;
  }
}

TEST(PropertyList, FilesAreWrittenAtomically) {
  std::string folder = gbtest::MakeTempFolder("plist");
  std::string path = folder + "domain.plist";
  int error = -1;
  PlistValue value;
  EXPECT_FALSE(plat::ReadPropertyListFile(path, &value, &error));
  EXPECT_EQ(error, ENOENT);

  ASSERT_TRUE(plat::WritePropertyListFile(path, Sample(), &error));
  EXPECT_EQ(error, 0);
  ASSERT_TRUE(plat::ReadPropertyListFile(path, &value, &error));
  EXPECT_TRUE(value == Sample());

  // A damaged file reads as no property list, with no file error.
  ASSERT_TRUE(gbtest::WriteFile(folder + "bad.plist", "<plist><dict><key>"));
  EXPECT_FALSE(plat::ReadPropertyListFile(folder + "bad.plist", &value, &error));
  EXPECT_EQ(error, 0);

  // A write that cannot happen leaves the old file as it was and no
  // temporary file behind.
  std::string before = gbtest::ReadTextFile(path);
  ASSERT_EQ(mkdir((folder + "sub").c_str(), 0755), 0);
  EXPECT_FALSE(plat::WritePropertyListFile(folder + "sub", PlistValue(), &error));
  EXPECT_EQ(error, EISDIR);
  EXPECT_FALSE(plat::WritePropertyListFile(folder + "missing/x.plist", PlistValue(), &error));
  EXPECT_EQ(error, ENOENT);
  EXPECT_EQ(gbtest::ReadTextFile(path), before);
  ASSERT_TRUE(plat::WritePropertyListFile(path, PlistValue(), &error));
  std::string listing;
  if (DIR* dir = opendir(folder.c_str())) {
    while (dirent* entry = readdir(dir)) {
      std::string name = entry->d_name;
      if (name != "." && name != "..") listing += name + " ";
    }
    closedir(dir);
  }
  EXPECT_EQ(listing.size(), std::string("domain.plist bad.plist sub ").size()) << listing;
}

// A file that is a symbolic link (a chain of them, as a dotfile manager
// makes) is written into the file the links lead to, and the links stay; the
// file keeps its mode. A link that leads nowhere is not written through.
TEST(PropertyList, FilesAreWrittenThroughLinksWithTheirMode) {
  const std::string folder = gbtest::MakeTempFolder("plist-links");
  const std::string real = gbtest::MakeTempFolder("plist-links-real");
  int error = -1;
  ASSERT_TRUE(plat::WritePropertyListFile(real + "domain.plist", PlistValue(), &error));
  ASSERT_EQ(chmod((real + "domain.plist").c_str(), 0644), 0);
  ASSERT_EQ(symlink((real + "domain.plist").c_str(), (folder + "middle.plist").c_str()), 0);
  ASSERT_EQ(symlink("middle.plist", (folder + "domain.plist").c_str()), 0);
  ASSERT_TRUE(plat::WritePropertyListFile(folder + "domain.plist", Sample(), &error));
  struct stat info;
  ASSERT_EQ(lstat((folder + "domain.plist").c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  ASSERT_EQ(lstat((real + "domain.plist").c_str(), &info), 0);
  EXPECT_TRUE(S_ISREG(info.st_mode));
  EXPECT_EQ(info.st_mode & 07777, 0644u);
  PlistValue value;
  ASSERT_TRUE(plat::ReadPropertyListFile(real + "domain.plist", &value, &error));
  EXPECT_TRUE(value == Sample());

  ASSERT_EQ(symlink((real + "gone.plist").c_str(), (folder + "dangling.plist").c_str()), 0);
  EXPECT_FALSE(plat::WritePropertyListFile(folder + "dangling.plist", Sample(), &error));
  EXPECT_EQ(error, ENOENT);
  ASSERT_EQ(lstat((folder + "dangling.plist").c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  EXPECT_NE(lstat((real + "gone.plist").c_str(), &info), 0);
}

TEST(PropertyList, BundleInfoStringsComeFromTheBundlesInfoPlist) {
  std::string bundle = gbtest::MakeTempFolder("InfoBundle.app");
  gbtest::MakeTempFolder("InfoBundle.app/Contents");
  plat::SetApplicationBundle(bundle);
  EXPECT_EQ(plat::BundleInfoString("CFBundleIdentifier"), "");  // no Info.plist
  PlistValue info;
  info.Set("CFBundleIdentifier", PlistValue::String("com.example.test"));
  info.Set("Number", PlistValue::Integer(3));
  int error = 0;
  ASSERT_TRUE(plat::WritePropertyListFile(bundle + "Contents/Info.plist", info, &error));
  EXPECT_EQ(plat::BundleInfoString("CFBundleIdentifier"), "com.example.test");
  EXPECT_EQ(plat::BundleInfoString("Number"), "");
  EXPECT_EQ(plat::BundleInfoString("Missing"), "");
  plat::SetApplicationBundle("");
}

}  // namespace
