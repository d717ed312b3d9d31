#include "foundation/preferences.h"

#include <dirent.h>
#include <sys/stat.h>

#include <climits>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "platform/roots.h"
#include "tests/support/test_support.h"

namespace {

const char kDomain[] = "com.example.prefs";

class Preferences : public testing::Test {
 protected:
  void SetUp() override {
    // A fresh preferences folder for every test.
    folder_ = gbtest::MakeTempFolder(std::string("prefs/") +
                                     testing::UnitTest::GetInstance()->current_test_info()->name());
    gbtest::SetEnvironment("XDG_CONFIG_HOME", folder_);
  }
  std::string StorePath() const { return folder_ + kDomain + ".plist"; }
  std::string folder_;
};

TEST_F(Preferences, ValuesSurviveCloseAndReopen) {
  std::string gbFile = folder_ + "item.txt";
  ASSERT_TRUE(gbtest::WriteFile(gbFile, "x"));
  FSRef ref;
  ASSERT_EQ(plat::MakeFsRef(gbFile, &ref), noErr);
  std::string macRoman;
  for (int i = 1; i < 256; ++i) macRoman += char(i);
  const UInt8 bytes[] = {0, 1, 2, 0xFF, 0x80};
  {
    CPreferences store;
    ASSERT_TRUE(store.Open(kDomain, 1));
    EXPECT_EQ(store.GetStorePath(), StorePath());
    EXPECT_TRUE(store.SetBool("flag", true));
    EXPECT_TRUE(store.SetInt("int", -7));
    EXPECT_TRUE(store.SetLong("long", INT32_MAX));
    EXPECT_TRUE(store.SetFloat("float", 1.25f));
    EXPECT_TRUE(store.SetDouble("double", 0.1));
    EXPECT_TRUE(store.SetString("text", macRoman.c_str()));
    EXPECT_TRUE(store.SetString("key \x8E", "caf\x8E"));
    EXPECT_TRUE(store.SetData("data", bytes, sizeof bytes));
    EXPECT_TRUE(store.SetFsRef("file", ref));
    EXPECT_TRUE(store.SetString("gone", "soon"));
    EXPECT_TRUE(store.RemoveKey("gone"));
    // Reads see the pending changes before they are written.
    SInt32 value = 0;
    EXPECT_TRUE(store.GetInt("int", value));
    EXPECT_EQ(value, -7);
    EXPECT_FALSE(store.HasKey("gone"));
    EXPECT_FALSE(gbtest::FileExists(StorePath()));
    EXPECT_TRUE(store.Close());
    EXPECT_FALSE(store.IsOpen());
  }
  // The file is an ordinary property list with UTF-8 texts.
  std::string file = gbtest::ReadTextFile(StorePath());
  EXPECT_NE(file.find("<key>key \xC3\xA9</key>"), std::string::npos) << file;
  EXPECT_NE(file.find("<string>caf\xC3\xA9</string>"), std::string::npos) << file;

  CPreferences store;
  ASSERT_TRUE(store.Open(kDomain, 1));
  bool flag = false;
  SInt32 number = 0;
  float real = 0;
  double precise = 0;
  char text[300];
  EXPECT_TRUE(store.GetBool("flag", flag));
  EXPECT_TRUE(flag);
  EXPECT_TRUE(store.GetLong("int", number));
  EXPECT_EQ(number, -7);
  EXPECT_TRUE(store.GetInt("long", number));
  EXPECT_EQ(number, INT32_MAX);
  EXPECT_TRUE(store.GetFloat("float", real));
  EXPECT_EQ(real, 1.25f);
  EXPECT_TRUE(store.GetDouble("double", precise));
  EXPECT_EQ(precise, 0.1);
  EXPECT_TRUE(store.GetString("text", text, sizeof text));
  EXPECT_EQ(std::string(text), macRoman);
  EXPECT_TRUE(store.GetString("key \x8E", text, sizeof text));
  EXPECT_STREQ(text, "caf\x8E");
  std::vector<UInt8> data;
  EXPECT_EQ(store.GetDataUnbounded("data", data), sizeof bytes);
  EXPECT_EQ(data, std::vector<UInt8>(bytes, bytes + sizeof bytes));
  FSRef back;
  EXPECT_TRUE(store.GetFsRef("file", back));
  EXPECT_TRUE(plat::SameFsRef(ref, back));
  EXPECT_FALSE(store.HasKey("gone"));
  EXPECT_FALSE(store.HasKey("missing"));
  // Only a store with changes is closed.
  EXPECT_FALSE(store.Close());
  EXPECT_TRUE(store.IsOpen());

  std::remove(gbFile.c_str());
  EXPECT_FALSE(store.GetFsRef("file", back));
}

TEST_F(Preferences, IntegersRoundTripAndTypesAreKeptApart) {
  CPreferences store;
  ASSERT_TRUE(store.Open(kDomain, 1));
  for (SInt32 value : {INT32_MIN, -1, 0, 1, 0x12345678, INT32_MAX}) {
    SInt32 back = 42;
    ASSERT_TRUE(store.SetInt("n", value));
    ASSERT_TRUE(store.GetInt("n", back));
    EXPECT_EQ(back, value);
    ASSERT_TRUE(store.SetLong("n", value));
    ASSERT_TRUE(store.GetInt("n", back));
    EXPECT_EQ(back, value);
  }
  ASSERT_TRUE(store.SetString("s", "12"));
  ASSERT_TRUE(store.SetDouble("d", 2.5));
  ASSERT_TRUE(store.SetBool("b", true));
  SInt32 number = 42;
  bool flag = false;
  double real = 0;
  EXPECT_FALSE(store.GetInt("s", number));
  EXPECT_FALSE(store.GetInt("d", number));  // not a whole number
  EXPECT_FALSE(store.GetBool("s", flag));
  EXPECT_FALSE(store.GetDouble("b", real));
  EXPECT_EQ(number, 42);
  ASSERT_TRUE(store.SetInt("whole", 3));
  EXPECT_TRUE(store.GetDouble("whole", real));
  EXPECT_EQ(real, 3.0);
}

TEST_F(Preferences, ReadsThatDoNotFitAreCutOrRefused) {
  CPreferences store;
  ASSERT_TRUE(store.Open(kDomain, 1));
  ASSERT_TRUE(store.SetString("s", "abcdef"));
  char text[4] = {'x', 'x', 'x', 'x'};
  EXPECT_TRUE(store.GetString("s", text, sizeof text));
  EXPECT_STREQ(text, "abc");
  char one[1] = {'x'};
  EXPECT_TRUE(store.GetString("s", one, 1));
  EXPECT_EQ(one[0], 0);
  EXPECT_FALSE(store.GetString("s", nullptr, 10));
  EXPECT_FALSE(store.GetString("s", text, 0));
  EXPECT_FALSE(store.GetString("missing", text, sizeof text));

  UInt8 twenty[20];
  for (int i = 0; i < 20; ++i) twenty[i] = UInt8(i + 1);
  ASSERT_TRUE(store.SetData("d", twenty, sizeof twenty));
  UInt8 buffer[20] = {};
  EXPECT_EQ(store.GetData("d", buffer, 10), 0u);
  EXPECT_EQ(buffer[0], 0);  // nothing copied
  EXPECT_EQ(store.GetData("d", buffer, 20), 20u);
  EXPECT_EQ(std::memcmp(buffer, twenty, 20), 0);
  EXPECT_EQ(store.GetData("missing", buffer, 20), 0u);
  EXPECT_EQ(store.GetData("d", nullptr, 20), 0u);
  ASSERT_TRUE(store.SetData("empty", nullptr, 0));
  std::vector<UInt8> all = {9};
  EXPECT_EQ(store.GetDataUnbounded("empty", all), 0u);
  EXPECT_TRUE(all.empty());
}

TEST_F(Preferences, FailuresLeaveTheirErrorNumber) {
  CPreferences store;
  ASSERT_TRUE(store.Open(kDomain, 1));
  FSRef ref;
  ASSERT_EQ(plat::MakeFsRef(folder_, &ref), noErr);
  const UInt8 byte = 1;
  struct Case {
    const char* what;
    std::function<bool()> call;
    SInt32 error;
  } cases[] = {
      {"RemoveKey", [&] { return store.RemoveKey(nullptr); }, 602},
      {"SetString key", [&] { return store.SetString(nullptr, "v"); }, 604},
      {"SetString value", [&] { return store.SetString("k", nullptr); }, 605},
      {"SetFloat", [&] { return store.SetFloat(nullptr, 1); }, 606},
      {"SetDouble", [&] { return store.SetDouble(nullptr, 1); }, 606},
      {"SetInt", [&] { return store.SetInt(nullptr, 1); }, 608},
      {"SetLong", [&] { return store.SetLong(nullptr, 1); }, 608},
      {"SetBool", [&] { return store.SetBool(nullptr, true); }, 610},
      {"SetData", [&] { return store.SetData(nullptr, &byte, 1); }, 611},
      {"SetFsRef", [&] { return store.SetFsRef(nullptr, ref); }, 611},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(c.call()) << c.what;
    EXPECT_EQ(store.GetLastError(), c.error) << c.what;
  }
  // A success does not clear the last error.
  EXPECT_TRUE(store.SetBool("b", true));
  EXPECT_EQ(store.GetLastError(), 611);
  FSRef empty;
  EXPECT_FALSE(store.SetFsRef("k", empty));
  EXPECT_FALSE(store.HasKey("k"));
}

TEST_F(Preferences, OpenRefusesBadScopesAndDomains) {
  CPreferences store;
  EXPECT_FALSE(store.Open(nullptr, 2));
  EXPECT_FALSE(store.Open(kDomain, -1));
  for (const char* domain : {"", "../escape", "a/b", ".hidden", "..", "."}) {
    EXPECT_FALSE(store.Open(domain, 1)) << domain;
    EXPECT_FALSE(store.IsOpen());
  }
  EXPECT_FALSE(store.SetBool("k", true));  // a closed store takes nothing
  // The application's own domain.
  ASSERT_TRUE(store.Open(nullptr, 1));
  EXPECT_EQ(store.GetStorePath().rfind(folder_, 0), 0u);
  // The host scope keeps its own file.
  CPreferences host;
  ASSERT_TRUE(host.Open(kDomain, 0));
  EXPECT_EQ(host.GetStorePath().rfind(folder_ + "ByHost/" + kDomain + ".", 0), 0u);
  ASSERT_TRUE(host.SetInt("n", 5));
  ASSERT_TRUE(host.Close());
  EXPECT_FALSE(gbtest::FileExists(StorePath()));
  // A store folder in place of the file cannot be read.
  ASSERT_EQ(mkdir(StorePath().c_str(), 0755), 0);
  EXPECT_FALSE(store.Open(kDomain, 1));
}

TEST_F(Preferences, SynchronisingFailsWhenTheFolderIsAFile) {
  std::string notAFolder = gbtest::TestRoot() + "config-file";
  ASSERT_TRUE(gbtest::WriteFile(notAFolder, "I am a file"));
  gbtest::SetEnvironment("XDG_CONFIG_HOME", notAFolder);
  CPreferences store;
  ASSERT_TRUE(store.Open(kDomain, 1));  // nothing stored yet
  ASSERT_TRUE(store.SetBool("b", true));
  EXPECT_FALSE(store.Close());
  EXPECT_EQ(store.GetLastError(), 603);
  EXPECT_FALSE(store.IsOpen());  // closed all the same
  EXPECT_EQ(gbtest::ReadTextFile(notAFolder), "I am a file");
}

TEST_F(Preferences, ClosingMergesWithWhatOthersStoredAndKeepsDamagedFiles) {
  CPreferences first, second;
  ASSERT_TRUE(first.Open(kDomain, 1));
  ASSERT_TRUE(second.Open(kDomain, 1));
  ASSERT_TRUE(second.SetInt("from_second", 2));
  ASSERT_TRUE(second.SetInt("both", 2));
  ASSERT_TRUE(second.Close());
  ASSERT_TRUE(first.SetInt("from_first", 1));
  ASSERT_TRUE(first.SetInt("both", 1));
  ASSERT_TRUE(first.Close());
  CPreferences check;
  ASSERT_TRUE(check.Open(kDomain, 1));
  SInt32 value = 0;
  EXPECT_TRUE(check.GetInt("from_second", value));
  EXPECT_EQ(value, 2);
  EXPECT_TRUE(check.GetInt("from_first", value));
  EXPECT_EQ(value, 1);
  EXPECT_TRUE(check.GetInt("both", value));
  EXPECT_EQ(value, 1);  // the later change wins
  EXPECT_FALSE(check.Close());  // only read: nothing is written

  // No temporary file is left beside the store.
  int entries = 0;
  if (DIR* dir = opendir(folder_.c_str())) {
    while (dirent* entry = readdir(dir)) entries += entry->d_name[0] != '.';
    closedir(dir);
  }
  EXPECT_EQ(entries, 1);

  const std::string garbage = "<plist><dict><key>half";
  ASSERT_TRUE(gbtest::WriteFile(StorePath(), garbage));
  CPreferences damaged;
  ASSERT_TRUE(damaged.Open(kDomain, 1));
  EXPECT_FALSE(damaged.HasKey("from_first"));
  EXPECT_FALSE(damaged.Close());  // unchanged: nothing is written
  EXPECT_EQ(gbtest::ReadTextFile(StorePath()), garbage);
  ASSERT_TRUE(damaged.SetBool("fresh", true));
  ASSERT_TRUE(damaged.Close());
  EXPECT_EQ(gbtest::ReadTextFile(StorePath() + ".damaged"), garbage);
  CPreferences fresh;
  ASSERT_TRUE(fresh.Open(kDomain, 1));
  EXPECT_TRUE(fresh.HasKey("fresh"));
}

}  // namespace
