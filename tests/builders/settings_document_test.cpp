#include "builders/settings_document.h"

#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "builders/saver_data_list.h"
#include "foundation/crc32.h"
#include "foundation/xml_reader.h"
#include "tests/builders/model_fixtures.h"
#include "tests/support/test_support.h"

namespace {

using modeltest::MovieSpec;
using modeltest::SettingsText;
using modeltest::WriteMovie;

// The movie check that a file's bytes call for.
struct Stamp {
  u32 crc = 0, size = 0;
};

Stamp StampOf(const std::string& path) {
  const std::vector<u8> bytes = gbtest::ReadFile(path);
  Stamp stamp;
  EXPECT_TRUE(ComputeCrc32(bytes.data(), std::min<size_t>(bytes.size(), 1024), stamp.crc));
  stamp.size = u32(bytes.size());
  return stamp;
}

// The check attributes d1 to d6 of the root `window` element of a document.
std::map<std::string, unsigned long> CheckWordsOf(const std::string& path) {
  std::map<std::string, unsigned long> words;
  CXmlDocument document;
  CXmlNode root, windows, window;
  CXmlNodeList children, entries;
  if (!document.Open(CPathName(path)) || !document.GetRootNode(root)) return words;
  root.GetChildren(children);
  if (!children.GetAt(0, windows)) return words;
  windows.GetChildren(entries);
  if (!entries.GetAt(0, window)) return words;
  CXmlElementInfo info;
  EXPECT_TRUE(window.GetElementInfo(info));
  for (const char* name : {"d1", "d2", "d3", "d4", "d5", "d6"}) {
    CXmlNode value;
    if (info.FindAttribute(name, value)) words[name] = value.GetUnsigned();
  }
  return words;
}

std::string Document(const std::string& windows) {
  return "<xml version=\"1.0\">\n<windows>\n" + windows + "</windows>\n</xml>\n";
}

// Reads a document written into `folder`; the read's result and status.
std::pair<bool, s32> ReadDocument(CDataList& list, const std::string& folder, const std::string& text) {
  const std::string path = folder + "ssc0.dat";
  EXPECT_TRUE(gbtest::WriteFile(path, text));
  const bool ok = list.ReadSettingsFile(CPathName(path));
  return {ok, list.GetReadStatus()};
}

TEST(SettingsDocument, IsWrittenExactly) {
  const std::string folder = gbtest::MakeTempFolder("settings_text");
  const std::string movie = WriteMovie(folder + "movie.swf");
  CSaverDataList list;
  ASSERT_TRUE(list.GetRootItem()->SetSwfFile(CPathName(movie)));
  list.SetExitOnMouseClick(false);
  CSwfItem* sub = list.GetRootItem()->AddSubItem();
  sub->SetWindowTitle("Sub & <1>");
  sub->SetWindowMaskPath(CPathName(folder + "shape.png"));

  SeedSettingsRandom(1234);
  std::vector<u32> words;
  words.reserve(8);
  for (int i = 0; i < 8; ++i) words.push_back(NextSettingsRandomWord());
  for (u32 word : words) EXPECT_LE(word, 2147483647u);
  const Stamp stamp = StampOf(movie);
  auto checks = [&](size_t first, Stamp s) {
    return " d1=\"" + std::to_string(words[first]) + "\" d2=\"" + std::to_string(words[first + 1]) +
           "\" d3=\"" + std::to_string(words[first + 2]) + "\" d4=\"" +
           std::to_string(words[first] & s.crc) + "\" d5=\"" + std::to_string(words[first + 1] & s.size) +
           "\" d6=\"" + std::to_string(words[first + 3]) + "\"";
  };
  const std::string tail =
      " window_style=\"normal\" window_has_maximize=\"true\" window_has_minimize=\"true\" "
      "window_has_close=\"true\" window_is_resizable=\"false\" window_is_visible=\"VISIBLE\" "
      "window_has_menu=\"false\" window_size=\"swf_size\" window_position=\"custom\" window_x=\"20\" "
      "window_y=\"60\" window_width=\"WIDTH\" window_height=\"HEIGHT\" window_width_percent=\"100\" "
      "window_height_percent=\"100\" window_fullscreen=\"false\" left_mouse_action=\"flash\" "
      "right_mouse_action=\"flash\" exit_on_escape=\"true\" use_flash_bgcolor=\"false\" flash_bgcolor=\"0\" "
      "flash_quality=\"high\" flash_scale=\"show_all\" flash_show_menu=\"true\" flash_loop_movie=\"false\"";
  auto window = [&](const std::string& head, const char* visible, const char* width, const char* height) {
    std::string text = head + tail;
    text.replace(text.find("VISIBLE"), 7, visible);
    text.replace(text.find("WIDTH"), 5, width);
    text.replace(text.find("HEIGHT"), 6, height);
    return text;
  };
  const std::string expected =
      "<xml version=\"1.0\">\n"
      "<windows  exit_on_mouse_move=\"true\" exit_on_mouse_click=\"false\" exit_on_key_press=\"true\" "
      "hide_mouse_cursor=\"true\">\n" +
      window("<window swf=\"movie.swf\" window_name=\"MainWindow\" window_title=\"Window\" "
             "window_type=\"standard\" mask=\"\"",
             "true", "550", "400") +
      checks(0, stamp) + " >\n<sub_data>\n" +
      window("<window swf=\"\" window_name=\"\" window_title=\"Sub &amp; &lt;1&gt;\" "
             "window_type=\"standard\" mask=\"shape.png\"",
             "false", "320", "240") +
      checks(4, Stamp()) + " >\n<sub_data>\n</sub_data>\n</window>\n" +
      "</sub_data>\n</window>\n</windows>\n\n</xml>\n";

  SeedSettingsRandom(1234);
  EXPECT_EQ(SettingsText(list, folder + "ssc0.dat"), expected);
  EXPECT_EQ(list.GetRootItem()->GetCheckWord(0), words[0]);
  EXPECT_EQ(list.GetRootItem()->GetCheckWord(1), words[1]);
}

TEST(SettingsDocument, ChecksTheMoviesFirstKilobyteAndSize) {
  const std::string folder = gbtest::MakeTempFolder("settings_check");
  struct Case {
    const char* what;
    u32 padding;  // 0: no movie
  } cases[] = {{"short movie", 400}, {"long movie", 3000}, {"no movie", 0}};
  for (const Case& c : cases) {
    CSaverDataList list;
    Stamp stamp;
    if (c.padding > 0) {
      MovieSpec spec;
      spec.padding = c.padding;
      const std::string movie = WriteMovie(folder + "movie.swf", spec);
      stamp = StampOf(movie);
      ASSERT_TRUE(list.GetRootItem()->SetSwfFile(CPathName(movie)));
      EXPECT_EQ(stamp.size > 1024, c.padding > 1024);
    }
    SettingsText(list, folder + "ssc0.dat");
    auto words = CheckWordsOf(folder + "ssc0.dat");
    ASSERT_EQ(words.size(), 6u) << c.what;
    EXPECT_EQ(words["d4"], words["d1"] & stamp.crc) << c.what;
    EXPECT_EQ(words["d5"], words["d2"] & stamp.size) << c.what;
    if (c.padding == 0) {
      EXPECT_EQ(words["d4"], 0u);
      EXPECT_EQ(words["d5"], 0u);
    }
    for (const auto& word : words) EXPECT_LE(word.second, 2147483647u) << word.first;
  }
}

TEST(SettingsDocument, ReadsBackWhatWasWritten) {
  const std::string folder = gbtest::MakeTempFolder("settings_read");
  const std::string movie = WriteMovie(folder + "movie.swf");
  CSaverDataList list;
  ASSERT_TRUE(list.GetRootItem()->SetSwfFile(CPathName(movie)));
  list.SetExitOnMouseMove(false);
  list.SetHideMouseCursor(false);
  list.GetRootItem()->SetFlashQuality(kFlashQualityMedium);
  list.GetRootItem()->AddSubItem()->AddSubItem()->SetWindowTitle("Deep");
  ASSERT_NE(list.GetRootItem()->AddSubItem(), nullptr);

  // Two writes draw different words; both pass the check.
  const std::string first = SettingsText(list, folder + "first.dat");
  const std::string second = SettingsText(list, folder + "ssc0.dat");
  EXPECT_NE(first, second);
  for (const char* name : {"first.dat", "ssc0.dat"}) {
    CSaverDataList read;
    EXPECT_TRUE(read.ReadSettingsFile(CPathName(folder + name))) << name;
    EXPECT_EQ(read.GetReadStatus(), kSettingsReadDone);
    EXPECT_FALSE(read.GetExitOnMouseMove());
    EXPECT_FALSE(read.GetHideMouseCursor());
    EXPECT_TRUE(read.GetExitOnKeyPress());
    CSwfItem* root = read.GetRootItem();
    EXPECT_EQ(root->GetSwfFile().GetString(), movie);
    EXPECT_EQ(root->GetFlashQuality(), kFlashQualityMedium);
    ASSERT_EQ(root->GetSubItemCount(), 2);
    ASSERT_EQ(root->GetSubItem(0)->GetSubItemCount(), 1);
    EXPECT_EQ(root->GetSubItem(0)->GetSubItem(0)->GetWindowTitle(), "Deep");
    // Items are numbered in the order they are read.
    EXPECT_EQ(root->GetItemNumber(), 0u);
    EXPECT_EQ(root->GetSubItem(0)->GetItemNumber(), 1u);
    EXPECT_EQ(root->GetSubItem(0)->GetSubItem(0)->GetItemNumber(), 2u);
    EXPECT_EQ(root->GetSubItem(1)->GetItemNumber(), 3u);
  }
}

TEST(SettingsDocument, AChangedMovieFailsTheCheckInTheBitsItCovers) {
  const std::string folder = gbtest::MakeTempFolder("settings_tamper");
  MovieSpec spec;
  spec.padding = 2000;
  const std::string movie = WriteMovie(folder + "movie.swf", spec);
  const std::vector<u8> original = gbtest::ReadFile(movie);
  CSaverDataList list;
  ASSERT_TRUE(list.GetRootItem()->SetSwfFile(CPathName(movie)));
  SeedSettingsRandom(77);
  ASSERT_TRUE(list.WriteSettingsFile(CPathName(folder + "ssc0.dat")));
  const u32 d1 = list.GetRootItem()->GetCheckWord(0), d2 = list.GetRootItem()->GetCheckWord(1);
  const Stamp before = StampOf(movie);

  auto readWith = [&](const std::vector<u8>& bytes) {
    EXPECT_TRUE(gbtest::WriteFile(movie, bytes));
    CSaverDataList read;
    const bool ok = read.ReadSettingsFile(CPathName(folder + "ssc0.dat"));
    EXPECT_EQ(read.GetReadStatus(), ok ? kSettingsReadDone : kSettingsReadWindowRejected);
    return ok;
  };

  // A change past the first kilobyte is not seen.
  std::vector<u8> late = original;
  late[1500] ^= 0xFF;
  EXPECT_TRUE(readWith(late));

  // A change in the first kilobyte is seen where the CRC differs in a bit set in d1.
  for (size_t offset : {size_t(40), size_t(1023)}) {
    std::vector<u8> early = original;
    early[offset] ^= 0x5A;
    u32 crc = 0;
    ComputeCrc32(early.data(), 1024, crc);
    EXPECT_EQ(readWith(early), ((crc ^ before.crc) & d1) == 0) << offset;
  }

  // Longer files: only the size bits set in d2 count.
  int rejected = 0, accepted = 0;
  for (u32 extra = 1; extra <= 64; ++extra) {
    std::vector<u8> longer = original;
    longer.resize(original.size() + extra, 0);
    const bool seen = ((u32(longer.size()) ^ before.size) & d2) != 0;
    EXPECT_EQ(readWith(longer), !seen) << extra;
    (seen ? rejected : accepted)++;
  }
  EXPECT_GT(rejected, 0);
  EXPECT_GT(accepted, 0);
}

TEST(SettingsDocument, ReaderReportsItsStatus) {
  const std::string folder = gbtest::MakeTempFolder("settings_status");
  struct Case {
    const char* what;
    std::string text;  // "" : no file
    bool ok;
    s32 status;
  } cases[] = {
      {"no file", "", false, kSettingsReadNotLoaded},
      {"not XML", "<windows", false, kSettingsReadNotLoaded},
      {"root without children", "<xml version=\"1.0\"></xml>", false, kSettingsReadNoChildren},
      {"no windows element", "<xml><other /></xml>", true, kSettingsReadDone},
      {"no movie check", Document("<window swf=\"missing.swf\" />\n"), false, kSettingsReadWindowRejected},
      {"check of a missing movie", Document("<window swf=\"missing.swf\" d1=\"7\" d2=\"9\" d4=\"0\" d5=\"0\" />\n"),
       true, kSettingsReadDone},
      {"check that fails", Document("<window swf=\"missing.swf\" d4=\"1\" d5=\"0\" />\n"), false,
       kSettingsReadWindowRejected},
      {"element without attributes",
       Document("<window><sub_data><window d4=\"0\" d5=\"0\" /><window /></sub_data></window>\n"), true,
       kSettingsReadDone},
      {"rejected sub-item",
       Document("<window><sub_data><window /><window d5=\"0\" /></sub_data></window>\n"), false,
       kSettingsReadWindowRejected},
  };
  for (const Case& c : cases) {
    CSaverDataList list;
    std::pair<bool, s32> result;
    if (c.text.empty()) {
      EXPECT_FALSE(list.ReadSettingsFile(CPathName(folder + "absent.dat")));
      result = {false, list.GetReadStatus()};
    } else {
      result = ReadDocument(list, folder, c.text);
    }
    EXPECT_EQ(result.first, c.ok) << c.what;
    EXPECT_EQ(result.second, c.status) << c.what;
  }
  // A read that succeeds clears the status of the last one.
  CSaverDataList list;
  ReadDocument(list, folder, "<windows");
  ASSERT_EQ(list.GetReadStatus(), kSettingsReadNotLoaded);
  EXPECT_TRUE(ReadDocument(list, folder, Document("<window />\n")).first);
  EXPECT_EQ(list.GetReadStatus(), kSettingsReadDone);
  EXPECT_EQ(list.GetRootItem()->GetSubItemCount(), 0);
}

TEST(SettingsDocument, ReaderRefusesNamesThatLeaveTheirFolder) {
  const std::string folder = gbtest::MakeTempFolder("settings_names");
  struct Case {
    const char* attribute;
    bool ok;
  } cases[] = {
      {"swf=\"movie.swf\"", true},    {"swf=\"\"", true},          {"swf=\"..\"", false},
      {"swf=\".\"", false},           {"swf=\"../movie.swf\"", false}, {"swf=\"sub/movie.swf\"", false},
      {"swf=\"/tmp/movie.swf\"", false}, {"swf=\"a\\b.swf\"", false}, {"swf=\"c:movie.swf\"", false},
      {"swf=\"..movie.swf\"", true},  {"mask=\"shape.png\"", true}, {"mask=\"../shape.png\"", false},
      {"mask=\"a/b.png\"", false},
  };
  for (const Case& c : cases) {
    CSaverDataList list;
    const auto result =
        ReadDocument(list, folder, Document(std::string("<window ") + c.attribute + " d4=\"0\" d5=\"0\" />\n"));
    EXPECT_EQ(result.first, c.ok) << c.attribute;
    EXPECT_EQ(result.second, c.ok ? kSettingsReadDone : kSettingsReadWindowRejected) << c.attribute;
  }
  CSaverDataList list;
  ASSERT_TRUE(ReadDocument(list, folder, Document("<window swf=\"m.swf\" d4=\"0\" d5=\"0\" />\n")).first);
  EXPECT_EQ(list.GetRootItem()->GetSwfFile().GetString(), folder + "m.swf");
}

TEST(SettingsDocument, ReaderRefusesDeepNesting) {
  const std::string folder = gbtest::MakeTempFolder("settings_nesting");
  for (int levels : {kMaxSubItemNesting, kMaxSubItemNesting + 1}) {
    std::string text = "<window>";
    for (int i = 0; i < levels; ++i) text += "<sub_data><window>";
    for (int i = 0; i < levels; ++i) text += "</window></sub_data>";
    text += "</window>\n";
    CSaverDataList list;
    const auto result = ReadDocument(list, folder, Document(text));
    EXPECT_EQ(result.first, levels <= kMaxSubItemNesting) << levels;
  }
}

TEST(SettingsDocument, MovieNamesFromTheFileSystemAreWrittenInMacRoman) {
  const std::string folder = gbtest::MakeTempFolder("settings_names_utf8");
  WriteMovie(folder + "Caf\xC3\xA9.swf");  // the host's UTF-8 name
  CSaverDataList list;
  ASSERT_TRUE(list.GetRootItem()->SetSwfFile(CPathName(folder + "Caf\x8E.swf")));
  const std::string text = SettingsText(list, folder + "ssc0.dat");
  EXPECT_NE(text.find("<window swf=\"Caf&#x8e;.swf\""), std::string::npos) << text;
  CSaverDataList read;
  EXPECT_TRUE(read.ReadSettingsFile(CPathName(folder + "ssc0.dat")));
  EXPECT_EQ(read.GetRootItem()->GetSwfFile().GetString(), folder + "Caf\x8E.swf");
}

TEST(SettingsDocument, AFileThatCannotBeWrittenIsReported) {
  const std::string folder = gbtest::MakeTempFolder("settings_unwritable");
  CSaverDataList list;
  EXPECT_FALSE(list.WriteSettingsFile(CPathName(folder + "missing/ssc0.dat")));
  // An existing folder is never replaced, not even an empty one.
  mkdir((folder + "taken").c_str(), 0700);
  EXPECT_FALSE(list.WriteSettingsFile(CPathName(folder + "taken")));
  struct stat info;
  EXPECT_TRUE(stat((folder + "taken").c_str(), &info) == 0 && S_ISDIR(info.st_mode));

  // Writes beyond 512 bytes fail, as on a full disk.
  bool written = true;
  {
    gbtest::FullDisk full(512);
    ASSERT_TRUE(full.IsSet());
    written = list.WriteSettingsFile(CPathName(folder + "full.dat"));
  }
  EXPECT_FALSE(written);
}

}  // namespace
