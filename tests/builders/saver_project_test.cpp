// The first-generation saver project: its engine settings record, its
// setters and names, and both forms of its XML element.
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "builders/model_attributes.h"
#include "builders/saver_project.h"
#include "builders/swf_item.h"
#include "builders/settings_document.h"
#include "foundation/crc32.h"
#include "foundation/string_buffer.h"
#include "foundation/xml_reader.h"
#include "foundation/xml_writer.h"
#include "tests/builders/archive_test_support.h"
#include "tests/builders/model_fixtures.h"
#include "tests/support/test_support.h"

namespace {

using gbtest::Bytes;
using gbtest::WordAt;

TEST(EngineSettingsRecord, EveryFieldLiesAtItsOffset) {
  SaverEngineSettings record{};
  // Each word holds its own offset plus a marker, so that a field at the
  // wrong place shows.
  u8* bytes = reinterpret_cast<u8*>(&record);
  for (size_t at = 0; at < 128; at += 4) {
    const u32 word = 0xA5000000u | u32(at);
    std::memcpy(bytes + at, &word, 4);
  }
  record.flashQuality = 5;
  record.backgroundColor = 0x00332211;
  record.movieChecksum = 0x0BADF00D;
  record.checksumMask = 0x0F0F0F0F;
  record.unused0 = 0;
  record.hasBackgroundColor = 1;
  record.exitOnMouseMove = 2;
  record.exitOnMouseClick = 3;
  record.exitOnKeyPress = 4;
  record.hideMouseCursor = 6;
  record.reserved4 = 7;
  record.unused1[0] = 8;
  record.unused1[1] = 9;
  const std::string folder = gbtest::MakeTempFolder("record");
  ASSERT_TRUE(WriteEngineSettingsFile(record, CPathName(folder)));
  const Bytes file = gbtest::ReadFile(folder + "ssc0.dat");
  ASSERT_EQ(file.size(), 140u);

  const struct {
    size_t offset;
    u32 value;
  } words[] = {{0, 5},           {4, 0xA5000004},  {8, 0xA5000008},  {12, 0x0BADF00D}, {16, 0xA5000010},
               {32, 0xA5000020}, {36, 0x0F0F0F0F}, {40, 0xA5000028}, {44, 0xA500002C}, {48, 0xA5000030},
               {68, 0xA5000044}, {72, 0xA5000048}, {76, 0xA500004C}, {80, 0xA5000050}, {88, 0xA5000058},
               {92, 0x00332211}, {96, 0xA5000060}, {124, 0xA500007C}, {128, 0}};
  for (const auto& word : words) EXPECT_EQ(WordAt(file, word.offset), word.value) << "offset " << word.offset;
  const u8 tail[] = {1, 2, 3, 4, 6, 7, 8, 9};
  for (size_t i = 0; i < sizeof tail; ++i) EXPECT_EQ(file[132 + i], tail[i]) << "offset " << 132 + i;

  SaverEngineSettings back{};
  ASSERT_TRUE(ReadEngineSettingsFile(back, CPathName(folder)));
  EXPECT_EQ(std::memcmp(&back, &record, sizeof record), 0);
}

TEST(EngineSettingsRecord, OnlyAWholeRecordIsRead) {
  const std::string folder = gbtest::MakeTempFolder("short-record");
  SaverEngineSettings record{};
  record.flashQuality = 3;
  for (size_t size : {size_t(0), size_t(139), size_t(141), size_t(4096)}) {
    ASSERT_TRUE(gbtest::WriteFile(folder + "ssc0.dat", Bytes(size, 0x11)));
    EXPECT_FALSE(ReadEngineSettingsFile(record, CPathName(folder))) << size << " bytes";
    EXPECT_EQ(record.flashQuality, 3);
  }
  EXPECT_FALSE(ReadEngineSettingsFile(record, CPathName(gbtest::MakeTempFolder("no-record"))));
  // A folder of the file's name is never written over.
  const std::string taken = gbtest::MakeTempFolder("taken-record");
  ASSERT_EQ(mkdir((taken + "ssc0.dat").c_str(), 0755), 0);
  EXPECT_FALSE(WriteEngineSettingsFile(record, CPathName(taken)));
}

TEST(EngineSettingsRecord, RandomWordsChangeAndReservedWordsAreZero) {
  CSaverProject project;
  SaverEngineSettings& settings = project.GetSettings();
  settings.reserved0 = settings.reserved1 = settings.reserved2 = settings.reserved3 = 0xFFFFFFFF;
  settings.reserved4 = 0xFF;
  settings.flashQuality = kFlashQualityLow;
  project.RandomizeSettings();
  const SaverEngineSettings first = settings;
  project.RandomizeSettings();
  EXPECT_EQ(settings.reserved0 | settings.reserved1 | settings.reserved2 | settings.reserved3, 0u);
  EXPECT_EQ(settings.reserved4, 0);
  EXPECT_EQ(settings.flashQuality, kFlashQualityLow);
  EXPECT_EQ(settings.exitOnMouseMove, 1);
  // Twenty-six random words: a second draw differs in some of them.
  EXPECT_NE(std::memcmp(&first.filler0, &settings.filler0, 128 - 8), 0);
  EXPECT_NE(first.checksumMask, settings.checksumMask);
}

TEST(SaverProject, ANewProjectHasTheDefaults) {
  CSaverProject project;
  EXPECT_EQ(project.GetName(), "Untitled");
  EXPECT_EQ(project.GetInstallerPrefix(), "Install");
  EXPECT_EQ(project.GetInstallerSuffix(), "");
  EXPECT_TRUE(project.GetMovie().IsEmpty());
  EXPECT_TRUE(project.GetUniversalBinary());
  EXPECT_FALSE(project.GetInstallerCustomPic() || project.GetInstallerReadme() || project.GetInstallerLicense());
  EXPECT_TRUE(project.GetOutputFolder().IsSameAs(CPathName::GetDesktopFolder()));
  const SaverEngineSettings& settings = project.GetSettings();
  EXPECT_EQ(settings.flashQuality, 4);
  EXPECT_EQ(settings.backgroundColor, 0u);
  EXPECT_EQ(settings.hasBackgroundColor, 0);
  EXPECT_EQ(settings.exitOnMouseMove + settings.exitOnMouseClick + settings.exitOnKeyPress + settings.hideMouseCursor, 4);
  EXPECT_EQ(project.GetChangeCount(), 0u);

  project.SetName("Reef");
  project.GetSettings().flashQuality = 0;
  project.AddMoreFile(CPathName("/tmp/x"));
  project.Reset();
  EXPECT_EQ(project.GetName(), "Untitled");
  EXPECT_EQ(project.GetSettings().flashQuality, 4);
  EXPECT_EQ(project.GetMoreFiles().GetCount(), 0);
}

TEST(SaverProject, UniqueNames) {
  const struct {
    std::string name;
    std::string prefix;  // the first 16 characters
  } cases[] = {
      {"abc", "abcOOOOOOOOOOOOO"},
      {"Aquarium", "AquariumOOOOOOOO"},
      {"Twenty characters!!!", "Twenty character"},
      {"Caf\x8E & <Co>", "CafX X XCoXOOOOO"},
      {"", "OOOOOOOOOOOOOOOO"},
  };
  CSaverProject project;
  for (const auto& c : cases) {
    project.SetUniqueName(c.name.c_str());
    u32 crc = 0;
    ComputeStringCrc32(c.name.c_str(), crc);
    char digits[9];
    std::snprintf(digits, sizeof digits, "%08X", unsigned(crc));
    EXPECT_EQ(project.GetUniqueName(), c.prefix + digits) << c.name;
  }
  project.SetUniqueName("abc");
  EXPECT_EQ(project.GetUniqueName(), "abcOOOOOOOOOOOOO352441C2");
}

TEST(SaverProject, SettersCountOnlyRealChanges) {
  const std::string folder = gbtest::MakeTempFolder("setters");
  const std::string movie = modeltest::WriteMovie(folder + "fish.swf");
  ASSERT_TRUE(gbtest::WriteFile(folder + "notes.txt", "not a movie"));
  CSaverProject project;
  u32 before = project.GetChangeCount();
  auto changes = [&]() {
    const u32 now = project.GetChangeCount();
    const u32 counted = now - before;
    before = now;
    return counted;
  };
  project.SetName("Reef");
  project.SetName("Reef");
  EXPECT_EQ(changes(), 1u);
  project.SetInstallerPrefix("Install");
  project.SetInstallerSuffix("");
  EXPECT_EQ(changes(), 0u);
  project.SetInstallerSuffix(" 2");
  EXPECT_EQ(changes(), 1u);
  project.SetInstallerReadmeSrc(CPathName(folder + "ReadMe.txt"));
  project.SetInstallerReadmeSrc(CPathName(folder + "ReadMe.txt"));
  EXPECT_EQ(changes(), 1u);
  // Another letter case names another file: it replaces the first.
  project.SetInstallerReadmeSrc(CPathName(folder + "README.TXT"));
  EXPECT_EQ(changes(), 1u);
  EXPECT_EQ(project.GetInstallerReadmeSrc().GetString(), folder + "README.TXT");
  project.SetUniversalBinary(true);
  EXPECT_EQ(changes(), 0u);
  project.SetUniversalBinary(false);
  EXPECT_EQ(changes(), 1u);

  EXPECT_FALSE(project.SetMovie(CPathName(folder + "notes.txt")));
  EXPECT_FALSE(project.SetMovie(CPathName(folder + "missing.swf")));
  EXPECT_TRUE(project.GetMovie().IsEmpty());
  EXPECT_EQ(changes(), 0u);
  EXPECT_TRUE(project.SetMovie(CPathName(movie)));
  EXPECT_TRUE(project.SetMovie(CPathName(movie)));
  EXPECT_EQ(changes(), 1u);

  project.AddMoreFile(CPathName(folder + "notes.txt"));
  project.AddMoreFile(CPathName(folder + "notes.txt"));
  EXPECT_EQ(changes(), 2u);
  EXPECT_FALSE(project.RemoveMoreFileAt(5));
  EXPECT_FALSE(project.RemoveMoreFile(nullptr));
  EXPECT_EQ(changes(), 0u);
  EXPECT_TRUE(project.RemoveMoreFile(project.GetMoreFiles().GetAt(0)));
  EXPECT_TRUE(project.RemoveMoreFileAt(0));
  EXPECT_EQ(changes(), 2u);
  project.ClearMoreFiles();
  project.SetOutputFolder(CPathName(folder));
  EXPECT_EQ(changes(), 0u);
}

TEST(SaverProject, OutputsAreNamedInTheOutputFolder) {
  const std::string folder = gbtest::MakeTempFolder("outputs");
  CSaverProject project;
  project.SetOutputFolder(CPathName(folder));
  project.SetName("Reef");
  project.SetInstallerPrefix("Install ");
  project.SetInstallerSuffix(" 2");
  CPathName path(nullptr);
  ASSERT_TRUE(project.GetSaverPath(path));
  EXPECT_EQ(path.GetAbsolutePath(0), folder + "Reef.saver");
  ASSERT_TRUE(project.GetWindowsSaverPath(path));
  EXPECT_EQ(path.GetAbsolutePath(0), folder + "Reef.scr");
  ASSERT_TRUE(project.GetInstallerAppPath(path));
  EXPECT_EQ(path.GetAbsolutePath(0), folder + "Install Reef 2.app");
  ASSERT_TRUE(project.GetInstallerExePath(path));
  EXPECT_EQ(path.GetAbsolutePath(0), folder + "Install Reef 2.exe");
  EXPECT_TRUE(project.ValidateOutputNames(nullptr));

  // Names that would leave the output folder, or name no item, are refused.
  for (const std::string& name : {std::string("../Reef"), std::string("a/b"), std::string(300, 'n')}) {
    project.SetName(name.c_str());
    CStringBuffer message;
    EXPECT_FALSE(project.ValidateOutputNames(&message)) << name;
    EXPECT_NE(std::string(message.GetText()).find(name + ".saver"), std::string::npos) << message.GetText();
    EXPECT_FALSE(project.GetSaverPath(path)) << name;
    EXPECT_TRUE(path.IsEmpty());
  }
  project.SetName("Reef");
  project.SetInstallerPrefix("../");
  EXPECT_FALSE(project.GetInstallerAppPath(path));
  EXPECT_TRUE(project.GetSaverPath(path));
}

TEST(SaverProject, TheMovieChecksumCoversTheFirstKilobyte) {
  const std::string folder = gbtest::MakeTempFolder("checksum");
  Bytes bytes(3000);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = u8(i * 13);
  ASSERT_TRUE(gbtest::WriteFile(folder + "long.swf", bytes));
  u32 crc = 0;
  ComputeCrc32(bytes.data(), 1024, crc);
  EXPECT_EQ(CSaverProject::ComputeMovieChecksum(CPathName(folder + "long.swf")), crc);
  ASSERT_TRUE(gbtest::WriteFile(folder + "short.swf", Bytes(bytes.begin(), bytes.begin() + 10)));
  ComputeCrc32(bytes.data(), 10, crc);
  EXPECT_EQ(CSaverProject::ComputeMovieChecksum(CPathName(folder + "short.swf")), crc);
  EXPECT_EQ(CSaverProject::ComputeMovieChecksum(CPathName(folder + "missing.swf")), 0u);
  EXPECT_EQ(CSaverProject::ComputeMovieChecksum(CPathName(folder)), 0u);
}

// A project away from every default.
void FillProject(CSaverProject& project, const std::string& folder) {
  ASSERT_TRUE(project.SetMovie(CPathName(modeltest::WriteMovie(folder + "fish & chips.swf"))));
  for (const char* name : {"a.txt", "b \"q\".png"}) {
    ASSERT_TRUE(gbtest::WriteFile(folder + name, "x"));
    project.AddMoreFile(CPathName(folder + name));
  }
  project.SetName("Reef <\x8E>");
  project.SetInstallerPrefix("Get ");
  project.SetInstallerSuffix(" now");
  SaverEngineSettings& settings = project.GetSettings();
  settings.flashQuality = 2;
  settings.hasBackgroundColor = 1;
  settings.backgroundColor = 0x00FF8001;
  settings.exitOnMouseMove = 0;
  settings.exitOnKeyPress = 0;
  settings.hideMouseCursor = 0;
}

TEST(SaverProjectXml, TheFirstFormNamesFilesBesideTheDocument) {
  const std::string folder = gbtest::MakeTempFolder("first-form");
  CSaverProject project;
  ASSERT_NO_FATAL_FAILURE(FillProject(project, folder));
  const std::string file = folder + "reef.xml";
  ASSERT_TRUE(project.WriteXmlFile(CPathName(file)));
  EXPECT_EQ(gbtest::ReadTextFile(file),
            "<xml version=\"1.0\">\n"
            "<screen_saver swf=\"fish &amp; chips.swf\" name=\"Reef &lt;&#x8e;&gt;\" installer_prefix=\"Get \" "
            "installer_suffix=\" now\" flash_quality=\"auto_high\" has_bgcolor=\"true\" bgcolor=\"16744449\" "
            "exit_on_mouse_move=\"false\" exit_on_mouse_click=\"true\" exit_on_key_press=\"false\" "
            "hide_mouse_cursor=\"false\">\n"
            "<more_files>\n"
            "<path src=\"a.txt\" />\n"
            "<path src=\"b &quot;q&quot;.png\" />\n"
            "</more_files>\n"
            "</screen_saver>\n"
            "\n</xml>\n");

  CSaverProject back;
  ASSERT_TRUE(back.ReadXmlFile(CPathName(file)));
  EXPECT_TRUE(back.GetMovie().IsSameAs(project.GetMovie()));
  EXPECT_EQ(back.GetName(), project.GetName());
  EXPECT_EQ(back.GetInstallerPrefix(), "Get ");
  EXPECT_EQ(back.GetInstallerSuffix(), " now");
  ASSERT_EQ(back.GetMoreFiles().GetCount(), 2);
  EXPECT_TRUE(back.GetMoreFiles().GetAt(1)->IsSameAs(*project.GetMoreFiles().GetAt(1)));
  EXPECT_EQ(std::memcmp(&back.GetSettings(), &project.GetSettings(), sizeof(SaverEngineSettings)), 0);
  // Reading counts nothing.
  EXPECT_EQ(back.GetChangeCount(), 0u);

  // A document without the element is refused; so is one that does not parse.
  ASSERT_TRUE(gbtest::WriteFile(folder + "other.xml", "<xml version=\"1.0\">\n<other/>\n</xml>\n"));
  EXPECT_FALSE(back.ReadXmlFile(CPathName(folder + "other.xml")));
  ASSERT_TRUE(gbtest::WriteFile(folder + "broken.xml", "<screen_saver name=\"x"));
  EXPECT_FALSE(back.ReadXmlFile(CPathName(folder + "broken.xml")));
  EXPECT_FALSE(back.ReadXmlFile(CPathName(folder + "missing.xml")));
}

// Writes the second form inside a root element and reads it back into `back`.
void RoundTrip(CSaverProject& project, CSaverProject& back, const std::string& folder, std::string* text = nullptr) {
  const std::string file = folder + "project.xml";
  {
    CXmlWriter writer;
    ASSERT_TRUE(writer.Open(CPathName(file), CXmlWriteOptions(), true));
    ASSERT_TRUE(project.WriteXml(writer));
    ASSERT_TRUE(writer.Close());
  }
  if (text) *text = gbtest::ReadTextFile(file);
  CXmlDocument document;
  CXmlNode root;
  ASSERT_TRUE(document.Open(CPathName(file)));
  ASSERT_TRUE(document.GetRootNode(root));
  int read = 0;
  ASSERT_TRUE(ForEachChildNamed(root, "screen_saver", [&](const CXmlNode& element) {
    read += back.ReadXml(element) ? 1 : 0;
    return true;
  }));
  ASSERT_EQ(read, 1);
}

TEST(SaverProjectXml, TheSecondFormKeepsPathsAndTheInstallerOptions) {
  const std::string folder = gbtest::MakeTempFolder("second-form");
  CSaverProject project;
  ASSERT_NO_FATAL_FAILURE(FillProject(project, folder));
  project.SetInstallerCustomPic(true);
  project.SetInstallerCustomPicSrc(CPathName(folder + "splash.png"));
  project.SetInstallerIntro(true);
  project.SetInstallerIntroSrc(CPathName(folder + "Intro.txt"));
  project.SetInstallerReadme(true);
  project.SetInstallerReadmeSrc(CPathName(folder + "ReadMe.txt"));
  project.SetInstallerLicenseSrc(CPathName(folder + "License.txt"));
  project.SetUniversalBinary(false);

  CSaverProject back;
  std::string text;
  ASSERT_NO_FATAL_FAILURE(RoundTrip(project, back, folder, &text));
  EXPECT_NE(text.find("<screen_saver swf=\"" + folder + "fish &amp; chips.swf\" name="), std::string::npos) << text;
  EXPECT_NE(text.find("installer_suffix=\" now\" installer_custom_pic=\"true\" installer_custom_pic_src=\"" + folder +
                      "splash.png\" installer_intro=\"true\""),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("hide_mouse_cursor=\"false\" universal_binary=\"false\">\n<more_files>\n<path src=\"" + folder +
                      "a.txt\" />\n"),
            std::string::npos)
      << text;

  EXPECT_TRUE(back.GetMovie().IsSameAs(project.GetMovie()));
  EXPECT_EQ(back.GetName(), project.GetName());
  EXPECT_TRUE(back.GetInstallerCustomPic());
  EXPECT_TRUE(back.GetInstallerIntro());
  EXPECT_TRUE(back.GetInstallerReadme());
  EXPECT_FALSE(back.GetInstallerLicense());
  EXPECT_TRUE(back.GetInstallerCustomPicSrc().IsSameAs(project.GetInstallerCustomPicSrc()));
  EXPECT_TRUE(back.GetInstallerIntroSrc().IsSameAs(project.GetInstallerIntroSrc()));
  EXPECT_TRUE(back.GetInstallerReadmeSrc().IsSameAs(project.GetInstallerReadmeSrc()));
  EXPECT_TRUE(back.GetInstallerLicenseSrc().IsSameAs(project.GetInstallerLicenseSrc()));
  EXPECT_FALSE(back.GetUniversalBinary());
  ASSERT_EQ(back.GetMoreFiles().GetCount(), 2);
  EXPECT_TRUE(back.GetMoreFiles().GetAt(0)->IsSameAs(*project.GetMoreFiles().GetAt(0)));
  EXPECT_EQ(std::memcmp(&back.GetSettings(), &project.GetSettings(), sizeof(SaverEngineSettings)), 0);
}

TEST(SaverProjectXml, AttributesThatAreMissingOrUnknownLeaveTheirFields) {
  const std::string folder = gbtest::MakeTempFolder("partial");
  const std::string file = folder + "project.xml";
  ASSERT_TRUE(gbtest::WriteFile(file,
                                "<xml version=\"1.0\">\n<screen_saver name=\"Reef\" flash_quality=\"High\" "
                                "has_bgcolor=\"TRUE\" bgcolor=\"nonsense\" universal_binary=\"false\" "
                                "installer_readme=\"true\">\n"
                                "<more_files>\n<path src=\"\" />\n<path/>\n<path src=\"c.txt\" />\n</more_files>\n"
                                "</screen_saver>\n</xml>\n"));
  CSaverProject project;
  project.AddMoreFile(CPathName("/tmp/old.txt"));
  ASSERT_TRUE(project.ReadXmlFile(CPathName(file)));
  EXPECT_EQ(project.GetName(), "Reef");
  EXPECT_EQ(project.GetSettings().flashQuality, 4);  // "High" is no quality word
  EXPECT_EQ(project.GetSettings().hasBackgroundColor, 1);
  EXPECT_EQ(project.GetSettings().backgroundColor, 0u);
  EXPECT_EQ(project.GetInstallerPrefix(), "Install");
  // The first form carries neither the installer options nor the saver kind.
  EXPECT_TRUE(project.GetUniversalBinary());
  EXPECT_FALSE(project.GetInstallerReadme());
  // The list is replaced; entries without a file are passed over.
  ASSERT_EQ(project.GetMoreFiles().GetCount(), 1);
  EXPECT_EQ(project.GetMoreFiles().GetAt(0)->GetAbsolutePath(0), folder + "c.txt");
}

// Names and paths of the element keep the texts their file wrote, each with
// its own value: a real '?' beside a character Mac Roman cannot hold, a
// relative path. Both forms write them back as they were (the first form
// by the names of the files).
TEST(SaverProjectXml, NamesAndPathsKeepTheTextsTheirFileWrote) {
  const std::string folder = gbtest::MakeTempFolder("kept-texts");
  const std::string sun = "\xE6\x97\xA5", moon = "\xE6\x9C\x88";  // one CJK character each, UTF-8
  const std::string file = folder + "legacy.xml";
  ASSERT_TRUE(gbtest::WriteFile(file, "<xml version=\"1.0\">\n<screen_saver swf=\"" + sun + ".swf\" name=\"" + sun +
                                          moon + "\" installer_readme_src=\"docs/?.txt\">\n<more_files>\n"
                                          "<path src=\"?.txt\" />\n<path src=\"" + sun + ".txt\" />\n"
                                          "</more_files>\n</screen_saver>\n</xml>\n"));
  CXmlDocument document;
  CXmlNode root;
  ASSERT_TRUE(document.Open(CPathName(file)) && document.GetRootNode(root));
  CSaverProject project;
  ASSERT_TRUE(
      ForEachChildNamed(root, "screen_saver", [&](const CXmlNode& element) { return project.ReadXml(element); }));
  EXPECT_EQ(project.GetName(), "??");
  ASSERT_EQ(project.GetMoreFiles().GetCount(), 2);
  EXPECT_EQ(project.GetMoreFiles().GetAt(0)->GetString(), project.GetMoreFiles().GetAt(1)->GetString());

  const std::string movie = "swf=\"" + sun + ".swf\"";
  const std::string name = "name=\"" + sun + moon + "\"";
  const std::string files = "<path src=\"?.txt\" />\n<path src=\"" + sun + ".txt\" />";
  CSaverProject back;
  std::string text;
  ASSERT_NO_FATAL_FAILURE(RoundTrip(project, back, folder, &text));
  for (const std::string& kept : {movie, name, std::string("installer_readme_src=\"docs/?.txt\""), files})
    EXPECT_NE(text.find(kept), std::string::npos) << kept << "\n" << text;
  std::string again;
  ASSERT_NO_FATAL_FAILURE(RoundTrip(back, back, folder, &again));
  EXPECT_EQ(again, text);

  ASSERT_TRUE(project.WriteXmlFile(CPathName(folder + "first.xml")));
  const std::string first = gbtest::ReadTextFile(folder + "first.xml");
  for (const std::string& kept : {movie, name, files})
    EXPECT_NE(first.find(kept), std::string::npos) << kept << "\n" << first;

  // Set anew, a name holds no text of a file.
  project.SetName("??");
  EXPECT_EQ(project.GetChangeCount(), 1u);
  CStringBuffer message;
  std::string refusal;
  EXPECT_FALSE(project.ValidateTexts(&message, &refusal));
  EXPECT_NE(refusal.find(sun + ".swf"), std::string::npos) << refusal;
}

// The first form is a file of the user's: a link to it stays a link, and
// the file keeps its mode.
TEST(SaverProjectXml, TheFirstFormIsSavedThroughALinkWithItsMode) {
  const std::string folder = gbtest::MakeTempFolder("first-form-link");
  ASSERT_TRUE(gbtest::WriteFile(folder + "real.xml", "previous"));
  ASSERT_EQ(chmod((folder + "real.xml").c_str(), 0600), 0);
  ASSERT_EQ(symlink("real.xml", (folder + "link.xml").c_str()), 0);
  CSaverProject project;
  project.SetName("Linked");
  ASSERT_TRUE(project.WriteXmlFile(CPathName(folder + "link.xml")));
  struct stat info;
  ASSERT_EQ(lstat((folder + "link.xml").c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  ASSERT_EQ(lstat((folder + "real.xml").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0600u);
  EXPECT_NE(gbtest::ReadTextFile(folder + "real.xml").find("name=\"Linked\""), std::string::npos);
}

}  // namespace
