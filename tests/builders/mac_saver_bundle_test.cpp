#include "builders/mac_saver_bundle.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "builders/saver_builder.h"
#include "foundation/crc32.h"
#include "foundation/path_name.h"
#include "platform/property_list.h"
#include "tests/builders/archive_test_support.h"
#include "tests/builders/model_fixtures.h"
#include "tests/builders/saver_test_support.h"
#include "tests/support/test_support.h"

namespace {

using savertest::FolderEntries;
using savertest::SaverProjectTest;

const std::string kPlaceholder = "XXXXXXXXXXXXXXXXZZZZZZZZ";
const std::string kName = "AquariumOOOOOOOOD2CC0CE4";

std::string UniqueName(const char* name) {
  CSaverBuilder builder;
  builder.MakeUniqueSaverName(name);
  return builder.GetUniqueSaverName();
}

std::string Hex(u32 value) {
  char digits[9];
  std::snprintf(digits, sizeof digits, "%08X", unsigned(value));
  return digits;
}

TEST(UniqueSaverName, SixteenCleanBytesThenTheChecksumOfTheWholeName) {
  u32 crc20 = 0, crcMixed = 0;
  ComputeStringCrc32("abcdefghijklmnopqrst", crc20);
  // "Caf\x8E" is "Café" in Mac Roman.
  const char* mixed = "Caf\x8E & <fish>\t\"x\"";
  ComputeStringCrc32(mixed, crcMixed);
  struct Case {
    const char* name;
    std::string expected;
  } cases[] = {
      {"abc", "abcOOOOOOOOOOOOO352441C2"},
      {"", "OOOOOOOOOOOOOOOO00000000"},
      {"abcdefghijklmnopqrst", "abcdefghijklmnop" + Hex(crc20)},
      // Quotes, ampersands, angle brackets, control bytes and bytes from
      // 0x80 would break the property list or the class name.
      {mixed, "CafX X XfishXXXx" + Hex(crcMixed)},
  };
  for (const Case& c : cases) {
    const std::string unique = UniqueName(c.name);
    EXPECT_EQ(unique, c.expected) << c.name;
    EXPECT_EQ(unique.size(), kUniqueSaverNameLength);
  }
}

TEST(EnginePatch, ReplacesEveryPlaceholderAndNothingElse) {
  struct Case {
    const char* what;
    std::string bytes;
    std::vector<size_t> replacedAt;
  } cases[] = {
      {"at the start", kPlaceholder + "tail", {0}},
      {"aligned", "12345678" + kPlaceholder + "..", {8}},
      {"unaligned by one", "12345" + kPlaceholder + "...", {5}},
      {"unaligned by three", "1234567" + kPlaceholder + "...", {7}},
      {"ending the file", "1234" + kPlaceholder, {4}},
      {"two in a row", "abcd" + kPlaceholder + kPlaceholder + "!", {4, 28}},
      {"three apart", "a" + kPlaceholder + "---" + kPlaceholder + "......" + kPlaceholder, {1, 28, 58}},
      {"cut off by the end", "1234" + kPlaceholder.substr(0, 23), {}},
      {"17 X", "1234" + std::string(17, 'X') + "ZZZZZZZZ....", {}},
      {"15 X", "1234" + std::string(15, 'X') + "ZZZZZZZZ....", {}},
      {"wrong tail", "1234" + std::string(16, 'X') + "ZZZZZZZY....", {}},
      {"long run of X before it", "1234" + std::string(120, 'X') + kPlaceholder, {}},
      {"only X", std::string(64, 'X'), {}},
      {"none", "no placeholder in here at all..", {}},
  };
  for (const Case& c : cases) {
    std::vector<u8> bytes(c.bytes.begin(), c.bytes.end());
    std::string expected = c.bytes;
    for (size_t at : c.replacedAt) expected.replace(at, kName.size(), kName);
    EXPECT_EQ(PatchEnginePlaceholders(bytes, kName), c.replacedAt.size()) << c.what;
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), expected) << c.what;
  }
  // A name that is not 24 characters long changes nothing.
  std::vector<u8> bytes(kPlaceholder.begin(), kPlaceholder.end());
  EXPECT_EQ(PatchEnginePlaceholders(bytes, "short"), 0u);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), kPlaceholder);
}

class MacSaverBundle : public SaverProjectTest {
 protected:
  std::string Resources() const { return MacOutput() + "/Contents/Resources/"; }
};

TEST_F(MacSaverBundle, InfoPlistLineByLineAndAsAPropertyList) {
  const std::string contents = gbtest::MakeTempFolder("plist-contents");
  builder.MakeUniqueSaverName("Aquarium");
  ASSERT_TRUE(builder.WriteSaverInfoPlist(CPathName(contents)));
  const std::string text = gbtest::ReadTextFile(contents + "Info.plist");
  const std::string expected = std::string(savertest::kInfoPlistHead) +
      "\t<key>CFBundleDevelopmentRegion</key>\n\t<string>English</string>\n"
      "\t<key>CFBundleExecutable</key>\n\t<string>fssx</string>\n"
      "\t<key>CFBundleIdentifier</key>\n\t<string>com.orrinvale.screensaver." + kName + "</string>\n"
      "\t<key>CFBundleInfoDictionaryVersion</key>\n\t<string>6.0</string>\n"
      "\t<key>CFBundlePackageType</key>\n\t<string>BNDL</string>\n"
      "\t<key>CFBundleSignature</key>\n\t<string>FsXX</string>\n"
      "\t<key>CFBundleVersion</key>\n\t<string>1.0</string>\n"
      "\t<key>NSPrincipalClass</key>\n\t<string>OxSS" + kName + "</string>\n"
      "</dict>\n"
      "</plist>\n";
  EXPECT_EQ(text, expected);

  plat::PlistValue plist;
  std::string message;
  ASSERT_TRUE(plat::ParsePropertyList(text, &plist, &message)) << message;
  ASSERT_NE(plist.Find("NSPrincipalClass"), nullptr);
  EXPECT_EQ(plist.Find("NSPrincipalClass")->text(), "OxSS" + kName);
  EXPECT_EQ(plist.entries().size(), 8u);

  uint32_t type = 0, creator = 0;
  uint16_t flags = 0;
  ASSERT_TRUE(gbtest::GetFileInfo(contents + "Info.plist", &type, &creator, &flags));
  EXPECT_EQ(type, FourCC("TEXT"));
  EXPECT_EQ(creator, FourCC("    "));

  // A folder of that name is never replaced by the file.
  const std::string blocked = gbtest::MakeTempFolder("plist-blocked");
  mkdir((blocked + "Info.plist").c_str(), 0755);
  EXPECT_FALSE(builder.WriteSaverInfoPlist(CPathName(blocked)));
  EXPECT_EQ(FolderEntries(blocked), std::vector<std::string>{"Info.plist/"});
}

TEST_F(MacSaverBundle, BlankMovieIsOneBlackFrameWithAnEndTag) {
  const std::string path = gbtest::MakeTempFolder("blank") + "__saver.swf";
  ASSERT_TRUE(builder.WriteSaverMovie(CPathName(path)));
  const std::vector<u8> expected = {0x46, 0x57, 0x53, 0x06, 0x1D, 0x00, 0x00, 0x00,  // FWS 6, 29 bytes
                                    0x70, 0x00, 0x0C, 0x80, 0x00, 0x00, 0x96, 0x00,  // 6400 x 4800 twips
                                    0x00, 0x0C, 0x01, 0x00,                          // 12 fps, 1 frame
                                    0x43, 0x02, 0x00, 0x00, 0x00,                    // black background
                                    0x40, 0x00,                                      // ShowFrame
                                    0x00, 0x00};                                     // End
  EXPECT_EQ(gbtest::ReadFile(path), expected);
}

TEST_F(MacSaverBundle, ABlankMovieThatCannotBeWrittenWholeIsNotLeftBehind) {
  const std::string path = gbtest::MakeTempFolder("blank-full") + "__saver.swf";
  bool written = true;
  {
    // Writes beyond 16 bytes fail, as on a full disk: the header does not fit.
    gbtest::FullDisk full(16);
    ASSERT_TRUE(full.IsSet());
    written = builder.WriteSaverMovie(CPathName(path));
  }
  EXPECT_FALSE(written);
  EXPECT_FALSE(gbtest::FileExists(path));
}

TEST_F(MacSaverBundle, HoldsTheEngineThePlayerTheLanguagesAndEveryMovieFile) {
  const std::string notes = AddFile("docs/notes.txt", "notes");
  const std::string pictures = AddFile("pictures/a.png", "png");
  AddExtra(notes);
  AddExtra(CPathName(pictures).GetParentFolder(true));  // a folder travels with its tree
  CSwfItem* sub = list.GetRootItem()->AddSubItem();
  const std::string second = modeltest::WriteMovie(projectFolder + "second.swf");
  ASSERT_TRUE(sub->SetSwfFile(CPathName(second)));
  AddExtra(AddFile("sub/sound.mp3", "mp3"), sub);
  SelectOutputs(true, false);

  ASSERT_TRUE(Build()) << LastStatus();
  EXPECT_EQ(FolderEntries(MacOutput() + "/Contents"),
            (std::vector<std::string>{"Info.plist", "MacOS/", "Resources/"}));
  EXPECT_EQ(FolderEntries(Resources()),
            (std::vector<std::string>{"English.lproj/", "Flash Player.plugin/", "German.lproj/", "__saver.swf",
                                      "fish.swf", "notes.txt", "pictures/", "second.swf", "sound.mp3",
                                      "ssc0.dat"}));
  EXPECT_EQ(gbtest::ReadTextFile(Resources() + "Flash Player.plugin/Contents/MacOS/Flash Player"), "plug-in");
  EXPECT_EQ(gbtest::ReadTextFile(Resources() + "pictures/a.png"), "png");
  EXPECT_EQ(gbtest::ReadFile(Resources() + "fish.swf"), gbtest::ReadFile(moviePath));
  EXPECT_EQ(gbtest::ReadFile(Resources() + "__saver.swf").size(), 29u);
  // The settings document names the movie by its name in Resources.
  EXPECT_NE(gbtest::ReadTextFile(Resources() + "ssc0.dat").find("swf=\"fish.swf\""), std::string::npos);

  // The engine: the placeholder replaced, executable as the template was.
  std::vector<u8> engine = savertest::MacEngineBytes();
  ASSERT_EQ(PatchEnginePlaceholders(engine, kName), 1u);
  const std::string copied = MacOutput() + "/Contents/MacOS/fssx";
  EXPECT_EQ(gbtest::ReadFile(copied), engine);
  EXPECT_EQ(access(copied.c_str(), X_OK), 0);
  EXPECT_NE(gbtest::ReadTextFile(MacOutput() + "/Contents/Info.plist").find("OxSS" + kName), std::string::npos);

  EXPECT_TRUE(FolderEntries(workFolder).empty());
  EXPECT_EQ(FolderEntries(outputFolder), std::vector<std::string>{"Aquarium.saver/"});
}

TEST_F(MacSaverBundle, AMissingPlugInOrLanguageFolderIsReportedAndLeftOut) {
  struct Case {
    const char* what;
    savertest::Templates templates;
    const char* absent;
    const char* mentioned;
  } cases[] = {
      {"no plug-in", {true, true, false, {"English.lproj"}}, "Flash Player.plugin/", "plug-in"},
      {"no language folder", {true, true, true, {}}, "English.lproj/", "language folders"},
  };
  for (const Case& c : cases) {
    MakeTemplates(c.templates);
    SelectOutputs(true, false);
    ASSERT_TRUE(Build()) << c.what;
    const std::vector<std::string> entries = FolderEntries(Resources());
    EXPECT_EQ(std::count(entries.begin(), entries.end(), c.absent), 0) << c.what;
    EXPECT_EQ(std::count(entries.begin(), entries.end(), "fish.swf"), 1) << c.what;
    // The final status still says what was left out.
    EXPECT_NE(LastStatus().find(c.mentioned), std::string::npos) << c.what << ": " << LastStatus();
  }
}

TEST_F(MacSaverBundle, AFailedBuildKeepsThePreviousBundle) {
  struct Case {
    const char* what;
    void (*spoil)(MacSaverBundle&, const std::string& extra);
    std::string mentioned;
  } cases[] = {
      {"missing movie", [](MacSaverBundle& t, const std::string&) { unlink(t.moviePath.c_str()); }, "fish.swf"},
      {"missing extra file", [](MacSaverBundle&, const std::string& e) { unlink(e.c_str()); }, "extra.txt"},
      {"missing engine",
       [](MacSaverBundle& t, const std::string&) { unlink((t.templatesBase + "ss/u/fssx").c_str()); }, "fssx"},
  };
  for (const Case& c : cases) {
    Fresh();
    ASSERT_TRUE(savertest::PutFile(MacOutput() + "/previous", "old"));
    const std::string path = AddFile("extra.txt", "extra");
    AddExtra(path);
    SelectOutputs(true, false);
    c.spoil(*this, path);
    EXPECT_FALSE(Build()) << c.what;
    EXPECT_NE(LastStatus().find(c.mentioned), std::string::npos) << c.what << ": " << LastStatus();
    EXPECT_EQ(FolderEntries(MacOutput()), std::vector<std::string>{"previous"}) << c.what;
    EXPECT_EQ(FolderEntries(outputFolder), std::vector<std::string>{"Aquarium.saver/"}) << c.what;
    EXPECT_TRUE(FolderEntries(workFolder).empty()) << c.what;
  }
}

TEST_F(MacSaverBundle, TwoFilesOfOneNameInResourcesFailWithBothPaths) {
  struct Case {
    const char* what;
    std::vector<std::string> extras;
    std::string clash;  // the path the message names beside the last extra
  } cases[] = {
      {"blank movie's name", {"a/__saver.swf"}, "Contents/Resources/__saver.swf"},
      {"settings' name, other case", {"a/SSC0.dat"}, "Contents/Resources/ssc0.dat"},
      {"a language folder's name", {"a/English.lproj"}, "ss/u/English.lproj"},
      {"two extra files", {"a/notes.txt", "b/Notes.TXT"}, "a/notes.txt"},
      {"an extra file named as the movie", {"a/fish.swf"}, "fish.swf"},
  };
  for (const Case& c : cases) {
    Fresh();
    std::string last;
    for (const std::string& extra : c.extras) AddExtra(last = AddFile(extra, extra));
    SelectOutputs(true, false);
    EXPECT_FALSE(Build()) << c.what;
    EXPECT_NE(LastStatus().find(c.clash), std::string::npos) << c.what << ": " << LastStatus();
    EXPECT_NE(LastStatus().find(last), std::string::npos) << c.what << ": " << LastStatus();
    EXPECT_TRUE(FolderEntries(outputFolder).empty()) << c.what;
    EXPECT_TRUE(FolderEntries(workFolder).empty()) << c.what;
  }
}

TEST_F(MacSaverBundle, AFileListedTwiceIsCopiedOnce) {
  const std::string extra = AddFile("extra.txt", "extra");
  AddExtra(extra);
  AddExtra(extra);
  AddExtra(moviePath);
  SelectOutputs(true, false);
  ASSERT_TRUE(Build()) << LastStatus();
  const std::vector<std::string> entries = FolderEntries(Resources());
  EXPECT_EQ(std::count(entries.begin(), entries.end(), "extra.txt"), 1);
  EXPECT_EQ(std::count(entries.begin(), entries.end(), "fish.swf"), 1);
}

TEST_F(MacSaverBundle, AMoviePickedThroughALinkGoesInAsTheFile) {
  const std::string link = projectFolder + "link.swf";
  ASSERT_EQ(symlink(moviePath.c_str(), link.c_str()), 0);
  ASSERT_TRUE(list.GetRootItem()->SetSwfFile(CPathName(link)));
  SelectOutputs(true, false);
  ASSERT_TRUE(Build()) << LastStatus();
  struct stat info;
  ASSERT_EQ(lstat((Resources() + "link.swf").c_str(), &info), 0);
  EXPECT_TRUE(S_ISREG(info.st_mode));
  EXPECT_EQ(gbtest::ReadFile(Resources() + "link.swf"), gbtest::ReadFile(moviePath));
}

TEST_F(MacSaverBundle, ExistingBundleIsKeptOrReplacedWhole) {
  ASSERT_TRUE(savertest::PutFile(MacOutput() + "/stale", "old"));
  SelectOutputs(true, false, false);
  ASSERT_TRUE(Build());
  EXPECT_EQ(FolderEntries(MacOutput()), std::vector<std::string>{"stale"});
  // Kept: no staging folder was made either.
  EXPECT_TRUE(FolderEntries(workFolder).empty());
  EXPECT_TRUE(StatusMentions("kept"));

  SelectOutputs(true, false, true);
  ASSERT_TRUE(Build()) << LastStatus();
  EXPECT_EQ(FolderEntries(MacOutput()), std::vector<std::string>{"Contents/"});
}

}  // namespace
