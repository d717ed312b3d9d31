// The projector builder: Mac projector bundles of each architecture and
// the Windows projector with its archive.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "builders/data_archive.h"
#include "builders/data_list.h"
#include "builders/projector_builder.h"
#include "builders/saver_builder.h"
#include "foundation/png_image.h"
#include "platform/text_encoding.h"
#include "tests/builders/archive_test_support.h"
#include "tests/builders/model_fixtures.h"
#include "tests/builders/saver_test_support.h"
#include "tests/support/test_support.h"

namespace {

using gbtest::ArchiveRecord;
using gbtest::Bytes;
using gbtest::WordAt;
using savertest::FolderEntries;
using savertest::PutFile;

// A picture from text rows: '#' black, '.' white.
void WritePicture(const std::string& path, const std::vector<std::string>& rows) {
  const u32 width = u32(rows[0].size()), height = u32(rows.size());
  Bytes pixels;
  for (const std::string& row : rows)
    for (char c : row) pixels.insert(pixels.end(), 3, c == '#' ? 0 : 255);
  ASSERT_TRUE(SaveRgbAsPngFile(width, height, 24, pixels.data(), CPathName(path), nullptr, 0));
}

// The output names of the tests' projects.
const char kOutputNames[] =
    "output_macppc_filename=\"Reef PPC.app\" output_macintel_filename=\"Reef Intel.app\" "
    "output_macuniversal_filename=\"Reef.app\" output_win_filename=\"Reef.exe\"";

class ProjectorBuild : public ::testing::Test {
 protected:
  void SetUp() override {
    static int runs = 0;
    const std::string run = std::to_string(++runs);
    ASSERT_TRUE(CPathName::CreateWorkFolder(("projector-" + run).c_str()));
    CPathName probe(nullptr);
    ASSERT_TRUE(probe.SetInWorkFolder("x", true));
    workFolder = probe.GetParentFolder(true);

    templates = gbtest::MakeTempFolder("fp-templates-" + run) + "fp/";
    Put(templates + "English.lproj/Localizable.strings", "strings");
    Put(templates + "Flash Player.plugin/Contents/Info.plist", "plug-in");
    Put(templates + "app.icns", "standard icon");
    for (const char* arch : {"p", "i", "u"}) Put(templates + arch + "/DurivUzuzevuvo", std::string("player ") + arch);
    Put(templates + "w/fpx.dat", "MZ windows player");
    builder.SetTemplateFolder(CPathName(templates));

    projectFolder = gbtest::MakeTempFolder("fp-project-" + run);
    outputFolder = gbtest::MakeTempFolder("fp-output-" + run);
    moviePath = modeltest::WriteMovie(projectFolder + "fish.swf");
    modeltest::WriteMovie(projectFolder + "crab.swf", {.padding = 10});
    Put(projectFolder + "notes.txt", "notes");
    Put(projectFolder + "Sounds/wave.wav", "wave");
    ASSERT_NO_FATAL_FAILURE(WritePicture(projectFolder + "shape.png", {"##..", "##..", "...."}));
  }

  static void Put(const std::string& path, const std::string& contents) { ASSERT_TRUE(PutFile(path, contents)) << path; }

  // Reads the projector project: `attributes` of the list, the root item's
  // extra attributes and children.
  void ReadProject(const std::string& attributes, const std::string& rootAttributes = std::string(),
                   const std::string& children = std::string()) {
    const std::string text = "<flash_projector_datalist output_folder=\"" + outputFolder + "\" " + kOutputNames + " " +
                             attributes + " >\n<flash_projector swf=\"" + moviePath + "\" " + rootAttributes + ">\n" +
                             children + "</flash_projector>\n</flash_projector_datalist>\n";
    ASSERT_TRUE(modeltest::ReadListXml(list, text, projectFolder));
  }
  // The usual project: a masked root window with an extra file and folder,
  // and a sub-item with a movie of its own.
  void ReadUsualProject(const std::string& attributes) {
    ReadProject(attributes, "window_type=\"mask\" window_mask=\"" + projectFolder + "shape.png\"",
                "<more_files>\n<path src=\"" + projectFolder + "notes.txt\" />\n<path src=\"" + projectFolder +
                    "Sounds/\" />\n</more_files>\n<sub_data>\n<flash_projector swf=\"" + projectFolder +
                    "crab.swf\" />\n</sub_data>\n");
  }

  bool Build() {
    const bool built = builder.Build(list, 0);
    log = builder.GetStatusLog();
    return built;
  }
  std::string LastText() const { return log.empty() ? std::string() : log.back(); }
  std::string Resources(const std::string& app) const { return outputFolder + app + "/Contents/Resources/"; }

  std::string templates, projectFolder, outputFolder, workFolder, moviePath;
  CDataList list;
  CProjectorBuilder builder;
  std::vector<std::string> log;
};

std::string PlistOf(const std::string& name, const std::string& icon) {
  return std::string(savertest::kInfoPlistHead) +
         "\t<key>CFBundleDevelopmentRegion</key>\n\t<string>English</string>\n"
         "\t<key>CFBundleExecutable</key>\n\t<string>DurivUzuzevuvo</string>\n"
         "\t<key>CFBundleName</key>\n\t<string>" +
         name +
         "</string>\n"
         "\t<key>CFBundleIdentifier</key>\n\t<string>com.orrinvale.Hullpack.flash</string>\n"
         "\t<key>CFBundleInfoDictionaryVersion</key>\n\t<string>6.0</string>\n"
         "\t<key>CFBundlePackageType</key>\n\t<string>APPL</string>\n"
         "\t<key>CFBundleSignature</key>\n\t<string>Oxfp</string>\n"
         "\t<key>CFBundleVersion</key>\n\t<string>1.0</string>\n"
         "\t<key>CFBundleIconFile</key>\n\t<string>" +
         icon + "</string>\n</dict>\n</plist>\n";
}

TEST_F(ProjectorBuild, AUniversalProjectorHoldsEveryItemsFilesAndTheMasks) {
  ReadUsualProject("output_macuniversal=\"true\"");
  ASSERT_TRUE(Build()) << LastText();
  EXPECT_EQ(log, std::vector<std::string>{"Building Mac Universal Binary"});
  EXPECT_EQ(FolderEntries(outputFolder), std::vector<std::string>{"Reef.app/"});
  const std::string app = outputFolder + "Reef.app/Contents/";
  EXPECT_EQ(FolderEntries(app), (std::vector<std::string>{"Info.plist", "MacOS/", "PkgInfo", "Resources/"}));
  EXPECT_EQ(gbtest::ReadTextFile(app + "Info.plist"), PlistOf("Reef", "app.icns"));
  EXPECT_EQ(gbtest::ReadTextFile(app + "PkgInfo"), "APPLOxfp");
  EXPECT_EQ(gbtest::ReadTextFile(app + "MacOS/DurivUzuzevuvo"), "player u");
  EXPECT_EQ(FolderEntries(Resources("Reef.app")),
            (std::vector<std::string>{"English.lproj/", "Flash Player.plugin/", "Sounds/", "_mask_/", "app.icns",
                                      "crab.swf", "fish.swf", "fp.dat", "notes.txt"}));
  EXPECT_EQ(gbtest::ReadTextFile(Resources("Reef.app") + "Sounds/wave.wav"), "wave");
  EXPECT_EQ(FolderEntries(Resources("Reef.app") + "_mask_"), std::vector<std::string>{"shape.png"});
  // The settings document finds its movies beside it and passes their checks.
  CDataList back;
  EXPECT_TRUE(back.ReadSettingsFile(CPathName(Resources("Reef.app") + "fp.dat")));
  EXPECT_EQ(back.GetRootItem()->GetSubItemCount(), 1);
  EXPECT_TRUE(FolderEntries(workFolder).empty());
}

TEST_F(ProjectorBuild, EachArchitectureGetsItsPlayer) {
  ReadProject("output_macppc=\"true\" output_macintel=\"true\" output_macuniversal=\"true\"");
  ASSERT_TRUE(Build()) << LastText();
  EXPECT_EQ(log,
            (std::vector<std::string>{"Building Mac PPC", "Building Mac Intel", "Building Mac Universal Binary"}));
  const struct {
    const char* app;
    const char* name;
    const char* player;
  } outputs[] = {{"Reef PPC.app", "Reef PPC", "player p"},
                 {"Reef Intel.app", "Reef Intel", "player i"},
                 {"Reef.app", "Reef", "player u"}};
  for (const auto& output : outputs) {
    const std::string contents = outputFolder + output.app + "/Contents/";
    EXPECT_EQ(gbtest::ReadTextFile(contents + "MacOS/DurivUzuzevuvo"), output.player);
    EXPECT_EQ(gbtest::ReadTextFile(contents + "Info.plist"), PlistOf(output.name, "app.icns"));
  }
}

TEST_F(ProjectorBuild, TheProjectsOwnIconIsUsedWhenItIsThere) {
  Put(projectFolder + "Reef & Co.icns", "own icon");
  ReadProject("output_macuniversal=\"true\" output_mac_appicon=\"true\" output_mac_appicon_path=\"" + projectFolder +
              "Reef &amp; Co.icns\"");
  list.SetMacUniversalFileName("Caf\x8E & Co.app");
  ASSERT_TRUE(Build()) << LastText();
  // Names are escaped and written as UTF-8.
  const std::string app = "Caf\x8E & Co.app";
  const std::string contents = outputFolder + app + "/Contents/";
  EXPECT_EQ(gbtest::ReadTextFile(plat::ToHostPath(contents + "Info.plist")),
            PlistOf("Caf\xC3\xA9 &amp; Co", "Reef &amp; Co.icns"));
  const std::vector<std::string> resources = FolderEntries(plat::ToHostPath(contents + "Resources/"));
  EXPECT_NE(std::find(resources.begin(), resources.end(), "Reef & Co.icns"), resources.end());
  EXPECT_EQ(std::find(resources.begin(), resources.end(), "app.icns"), resources.end());

  // An icon that is not there: the standard one, in the list and the bundle.
  unlink((projectFolder + "Reef & Co.icns").c_str());
  list.SetOverwriteMacUniversal(true);
  ASSERT_TRUE(Build()) << LastText();
  EXPECT_NE(log[1].find("Reef & Co.icns"), std::string::npos) << log[1];
  EXPECT_EQ(gbtest::ReadTextFile(plat::ToHostPath(contents + "Info.plist")), PlistOf("Caf\xC3\xA9 &amp; Co", "app.icns"));
  EXPECT_EQ(gbtest::ReadTextFile(plat::ToHostPath(contents + "Resources/app.icns")), "standard icon");
}

TEST_F(ProjectorBuild, TheWindowsProjectorCarriesMasksFilesAndSettings) {
  ReadUsualProject("output_win=\"true\"");
  // The sub-item is shaped by the same picture; its picture is not checked
  // against the window type.
  CSwfItem* sub = list.GetRootItem()->GetSubItem(0);
  ASSERT_TRUE(sub->SetWindowMaskPath(CPathName(projectFolder + "shape.png")));
  // The shapes go into the archive only: a file of the user's on the
  // Desktop named as the players' region file stays as it is.
  const std::string desktop = plat::ToHostPath(CPathName::GetDesktopFolder().GetAbsolutePath(0));
  ASSERT_FALSE(desktop.empty());
  Put(desktop + "/rgn.dat", "the user's own");
  ASSERT_TRUE(Build()) << LastText();
  EXPECT_TRUE(log.empty()) << LastText();
  EXPECT_EQ(FolderEntries(desktop), std::vector<std::string>{"rgn.dat"});
  EXPECT_EQ(gbtest::ReadTextFile(desktop + "/rgn.dat"), "the user's own");

  const Bytes file = gbtest::ReadFile(outputFolder + "Reef.exe");
  const std::string player = "MZ windows player";
  ASSERT_GT(file.size(), player.size());
  EXPECT_EQ(std::string(file.begin(), file.begin() + long(player.size())), player);
  std::vector<ArchiveRecord> records;
  ASSERT_TRUE(gbtest::WalkArchive(file, records));
  std::reverse(records.begin(), records.end());
  std::vector<u32> types;
  types.reserve(records.size());
  for (const ArchiveRecord& record : records) types.push_back(record.type);
  // End marker, two shapes, fish, notes, Sounds, crab, settings.
  EXPECT_EQ(types, (std::vector<u32>{0, 7, 7, 5, 5, 8, 5, 1}));
  EXPECT_EQ(records[1].fieldsStart, player.size() + 8);

  CDataArchiveReader reader;
  ASSERT_TRUE(reader.Open(CPathName(outputFolder + "Reef.exe")));
  ASSERT_TRUE(reader.Load()) << reader.GetError();
  // The shape: one rectangle (0, 0, 2, 2) in its region data block.
  const std::vector<u32> shape = {32, 1, 1, 16, 0, 0, 2, 2, 0, 0, 2, 2};
  ASSERT_EQ(reader.GetBuffers().size(), 2u);
  std::vector<u32> tags;
  for (const auto& entry : reader.GetBuffers()) {
    const CDataArchiveBufferItem& buffer = *entry.item;
    tags.push_back(buffer.GetTag());
    EXPECT_EQ(buffer.GetName(), "shape.png");
    ASSERT_EQ(buffer.GetData().size(), shape.size() * 4);
    for (size_t i = 0; i < shape.size(); ++i) EXPECT_EQ(WordAt(buffer.GetData(), i * 4), shape[i]) << i;
  }
  std::sort(tags.begin(), tags.end());
  EXPECT_EQ(tags, (std::vector<u32>{0, 1}));
  std::vector<std::string> names;
  for (const auto& entry : reader.GetNamedFiles()) names.push_back(entry.item->GetName());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"crab.swf", "fish.swf", "notes.txt"}));
  CPathName settings(nullptr);
  ASSERT_TRUE(reader.GetSettingsPath(settings));
  EXPECT_NE(gbtest::ReadTextFile(settings.GetAbsolutePath(0)).find("swf=\"crab.swf\""), std::string::npos);
  EXPECT_EQ(gbtest::ReadTextFile(workFolder + "Sounds/wave.wav"), "wave");
  reader.DeleteUnpackedFiles();
  reader.Close();
}

// Links among the project's files go in as what they lead to, under the
// links' own names, in both projectors: the movie, an extra file, an extra
// folder with links to a folder and a file outside it, the window picture
// and the icon. No projector holds a link; the Windows projector's records
// carry the names its settings document uses.
TEST_F(ProjectorBuild, LinksGoInAsWhatTheyLeadToUnderTheirOwnNames) {
  const std::string outside = gbtest::MakeTempFolder("fp-outside-" + std::to_string(getpid()));
  Put(outside + "far.txt", "far away");
  Put(projectFolder + "icon.icns", "own icon");
  Put(projectFolder + "Media/own.txt", "own");
  const std::pair<std::string, std::string> links[] = {
      {"fish.swf", "movie-link.swf"},   {"notes.txt", "notes-link.txt"}, {"shape.png", "shape-link.png"},
      {"icon.icns", "icon-link.icns"},  {"../Sounds", "Media/sounds"},   {outside + "far.txt", "Media/far.txt"}};
  for (const auto& [text, path] : links) ASSERT_EQ(symlink(text.c_str(), (projectFolder + path).c_str()), 0) << path;
  moviePath = projectFolder + "movie-link.swf";
  ReadProject("output_macuniversal=\"true\" output_win=\"true\" output_mac_appicon=\"true\" "
              "output_mac_appicon_path=\"" + projectFolder + "icon-link.icns\"",
              "window_type=\"mask\" window_mask=\"" + projectFolder + "shape-link.png\"",
              "<more_files>\n<path src=\"" + projectFolder + "notes-link.txt\" />\n<path src=\"" + projectFolder +
                  "Media/\" />\n</more_files>\n");
  ASSERT_TRUE(Build()) << LastText();

  std::vector<std::string> found;
  for (const auto& [path, bytes] : gbtest::TreeContents(Resources("Reef.app")))
    if (bytes.size() > 2 && bytes[0] == '-' && bytes[1] == '>') found.push_back(path);
  EXPECT_EQ(found, std::vector<std::string>{});
  EXPECT_EQ(gbtest::ReadFile(Resources("Reef.app") + "movie-link.swf"), gbtest::ReadFile(projectFolder + "fish.swf"));
  EXPECT_EQ(gbtest::ReadTextFile(Resources("Reef.app") + "notes-link.txt"), "notes");
  EXPECT_EQ(gbtest::ReadTextFile(Resources("Reef.app") + "icon-link.icns"), "own icon");
  EXPECT_EQ(gbtest::ReadTextFile(Resources("Reef.app") + "Media/sounds/wave.wav"), "wave");
  EXPECT_EQ(gbtest::ReadTextFile(Resources("Reef.app") + "Media/far.txt"), "far away");
  EXPECT_EQ(FolderEntries(Resources("Reef.app") + "_mask_"), std::vector<std::string>{"shape-link.png"});

  CDataArchiveReader reader;
  ASSERT_TRUE(reader.Open(CPathName(outputFolder + "Reef.exe")));
  ASSERT_TRUE(reader.Load()) << reader.GetError();
  std::vector<std::string> names;
  for (const auto& entry : reader.GetNamedFiles()) names.push_back(entry.item->GetName());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"movie-link.swf", "notes-link.txt"}));
  CPathName settings(nullptr);
  ASSERT_TRUE(reader.GetSettingsPath(settings));
  EXPECT_NE(gbtest::ReadTextFile(settings.GetAbsolutePath(0)).find("swf=\"movie-link.swf\""), std::string::npos);
  EXPECT_EQ(gbtest::ReadTextFile(workFolder + "Media/sounds/wave.wav"), "wave");
  EXPECT_EQ(gbtest::ReadTextFile(workFolder + "Media/far.txt"), "far away");
  struct stat info;
  EXPECT_EQ(lstat((workFolder + "Media/far.txt").c_str(), &info), 0);
  EXPECT_TRUE(S_ISREG(info.st_mode));
  reader.DeleteUnpackedFiles();
  reader.Close();
}

TEST_F(ProjectorBuild, APictureThatDoesNotOpenGivesNoMask) {
  Put(projectFolder + "broken.png", "not a picture");
  ReadProject("output_macuniversal=\"true\" output_win=\"true\"",
              "window_type=\"mask\" window_mask=\"" + projectFolder + "broken.png\"");
  ASSERT_TRUE(Build()) << LastText();
  EXPECT_TRUE(FolderEntries(Resources("Reef.app") + "_mask_").empty());
  std::vector<ArchiveRecord> records;
  ASSERT_TRUE(gbtest::WalkArchive(gbtest::ReadFile(outputFolder + "Reef.exe"), records));
  for (const ArchiveRecord& record : records) EXPECT_NE(record.type, 7u);
  // Said once for each output.
  EXPECT_EQ(std::count_if(log.begin(), log.end(),
                          [](const std::string& text) { return text.find("broken.png") != std::string::npos; }),
            2);
}

TEST_F(ProjectorBuild, ExistingOutputsAreKeptUnlessReplacingIsAsked) {
  ReadProject("output_macuniversal=\"true\" output_win=\"true\"");
  Put(outputFolder + "Reef.app/old", "old");
  Put(outputFolder + "Reef.exe", "old exe");
  ASSERT_TRUE(Build()) << LastText();
  EXPECT_EQ(FolderEntries(outputFolder + "Reef.app"), std::vector<std::string>{"old"});
  EXPECT_EQ(gbtest::ReadTextFile(outputFolder + "Reef.exe"), "old exe");
  EXPECT_EQ(log.size(), 3u);  // building, kept, kept

  list.SetOverwriteMacUniversal(true);
  list.SetOverwriteWin(true);
  ASSERT_TRUE(Build()) << LastText();
  EXPECT_EQ(FolderEntries(outputFolder + "Reef.app"), std::vector<std::string>{"Contents/"});
  EXPECT_NE(gbtest::ReadTextFile(outputFolder + "Reef.exe"), "old exe");

  // A folder where the Windows projector goes is never replaced.
  unlink((outputFolder + "Reef.exe").c_str());
  Put(outputFolder + "Reef.exe/inside", "x");
  EXPECT_FALSE(Build());
  EXPECT_EQ(FolderEntries(outputFolder + "Reef.exe"), std::vector<std::string>{"inside"});
}

TEST_F(ProjectorBuild, HostileProjectsFailCleanly) {
  Put(projectFolder + "other/notes.txt", "other notes");
  Put(projectFolder + "fp.dat", "x");
  const std::string later = projectFolder + "later.swf";
  // What becomes of the movie after the project was read.
  enum Change { kKept, kDeleted, kNoMovie };
  const struct {
    const char* what;
    std::string movie;
    Change change;
    std::string children;
    std::string reason;
  } cases[] = {
      {"missing movie", later, kDeleted, "", "later.swf"},
      {"no movie", "", kKept, "", "no movie"},
      {"not a movie", later, kNoMovie, "", "is not a Flash movie"},
      {"two files of one name", moviePath, kKept,
       "<more_files>\n<path src=\"" + projectFolder + "notes.txt\" />\n<path src=\"" + projectFolder +
           "other/notes.txt\" />\n</more_files>\n",
       "notes.txt"},
      {"a file on the settings' name", moviePath, kKept,
       "<more_files>\n<path src=\"" + projectFolder + "fp.dat\" />\n</more_files>\n", "fp.dat"},
      {"a name that leaves the folder", moviePath, kKept, "", "../Reef.app"},
  };
  const std::string parent = CPathName(CPathName(outputFolder).GetParentFolder(true)).GetString();
  const std::vector<std::string> around = FolderEntries(parent);
  Put(outputFolder + "Reef.exe", "old exe");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    modeltest::WriteMovie(later);
    const std::string text = "<flash_projector_datalist output_folder=\"" + outputFolder + "\" " + kOutputNames +
                             " output_macuniversal=\"true\" output_win=\"true\" >\n<flash_projector swf=\"" +
                             c.movie + "\">\n" + c.children + "</flash_projector>\n</flash_projector_datalist>\n";
    ASSERT_TRUE(modeltest::ReadListXml(list, text, projectFolder));
    if (c.reason == "../Reef.app") list.SetMacUniversalFileName("../Reef.app");
    if (c.change == kDeleted) unlink(later.c_str());
    if (c.change == kNoMovie) Put(later, "plain text");
    list.SetOverwriteWin(true);
    EXPECT_FALSE(Build());
    EXPECT_NE(LastText().find(c.reason), std::string::npos) << LastText();
    EXPECT_EQ(FolderEntries(outputFolder), std::vector<std::string>{"Reef.exe"});
    EXPECT_EQ(gbtest::ReadTextFile(outputFolder + "Reef.exe"), "old exe");
    EXPECT_EQ(FolderEntries(parent), around);
    EXPECT_TRUE(FolderEntries(workFolder).empty());
  }
}

// What a projector cannot hold is refused before any projector is built:
// names inside an extra folder that Mac Roman cannot hold or that fold into
// one, and, where the Windows projector is built too, names that Windows
// cannot hold, of a file, a file inside a folder or a window picture. The
// Mac projectors hold what only Windows cannot.
TEST_F(ProjectorBuild, NamesAProjectorCannotHoldAreRefusedBeforeAnythingIsBuilt) {
  const struct {
    const char* what;
    std::vector<std::string> files;  // host names below the project folder
    std::string extra;               // below the project folder, "" for none
    std::string mask;                // below the project folder, "" for none
    std::string reason;              // "" when it builds
    bool windows;
  } cases[] = {
      {"a colon in a folder", {"Box/a:b.txt"}, "Box/", "", "Box/a:b.txt\" cannot be used on Windows", true},
      {"a colon in a folder, Mac only", {"Box/a:b.txt"}, "Box/", "", "", false},
      {"a device name", {"con.txt"}, "con.txt", "", "con.txt\" cannot be used on Windows", true},
      {"a device name, Mac only", {"con.txt"}, "con.txt", "", "", false},
      {"a window picture Windows cannot hold", {}, "", "sh?pe.png", "sh?pe.png\" cannot be used on Windows", true},
      {"E acute in both cases in a folder", {"Box/\xC3\x89.txt", "Box/\xC3\xA9.txt"}, "Box/", "",
       "Two files would be named \"\x8E.txt\" in the projector", false},
      {"a CJK name in a folder", {"Box/sub/\xE6\x97\xA5.txt"}, "Box/", "", "Box/sub/?.txt\" holds characters", false},
  };
  for (const auto& c : cases) {
    SetUp();
    SCOPED_TRACE(c.what);
    for (const std::string& file : c.files) Put(projectFolder + file, file);
    std::string root;
    if (!c.mask.empty()) {
      ASSERT_NO_FATAL_FAILURE(WritePicture(projectFolder + c.mask, {"##..", "##.."}));
      root = "window_type=\"mask\" window_mask=\"" + projectFolder + c.mask + "\"";
    }
    const std::string children =
        c.extra.empty() ? "" : "<more_files>\n<path src=\"" + projectFolder + c.extra + "\" />\n</more_files>\n";
    ReadProject(std::string("output_macuniversal=\"true\" output_win=\"") + (c.windows ? "true" : "false") + "\"", root,
                children);
    const bool built = Build();
    if (c.reason.empty()) {
      EXPECT_TRUE(built) << LastText();
      for (const std::string& file : c.files) EXPECT_EQ(gbtest::ReadTextFile(Resources("Reef.app") + file), file);
      continue;
    }
    EXPECT_FALSE(built);
    EXPECT_NE(LastText().find(c.reason), std::string::npos) << LastText();
    EXPECT_TRUE(FolderEntries(outputFolder).empty());
    EXPECT_TRUE(FolderEntries(workFolder).empty());
  }
}

// The file's bytes, its count and the type, as the end of an archive
// record; nothing at all when the file cannot be read or the stream
// does not take it.
TEST(AppendFileWithSizeAndType, AppendsTheBytesTheirCountAndTheType) {
  const std::string folder = gbtest::MakeTempFolder("append-record");
  const std::string stream = folder + "stream.bin";
  ASSERT_TRUE(gbtest::WriteFile(stream, "host"));
  ASSERT_TRUE(gbtest::WriteFile(folder + "ten.bin", "0123456789"));
  ASSERT_TRUE(gbtest::WriteFile(folder + "empty.bin", ""));
  ASSERT_EQ(mkdir((folder + "folder").c_str(), 0755), 0);
  ASSERT_EQ(symlink("ten.bin", (folder + "link.bin").c_str()), 0);
  ASSERT_EQ(mkfifo((folder + "pipe").c_str(), 0600), 0);

  std::FILE* file = std::fopen(stream.c_str(), "ab");
  ASSERT_NE(file, nullptr);
  Bytes expected = gbtest::ToBytes("host");
  const struct {
    const char* name;
    u32 type;
    u32 appended;
    std::string bytes;
  } cases[] = {
      {"ten.bin", 5, 18, "0123456789"},
      {"empty.bin", 1, 8, ""},
      {"link.bin", 0x01020304, 18, "0123456789"},  // the file a link leads to
      {"gone.bin", 5, 0, ""},
      {"folder", 5, 0, ""},
      {"pipe", 5, 0, ""},  // never opened: it would wait for a writer
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CProjectorBuilder::AppendFileWithSizeAndType(CPathName(folder + c.name), file, c.type), c.appended)
        << c.name;
    if (c.appended == 0) continue;
    const Bytes bytes = gbtest::ToBytes(c.bytes);
    expected.insert(expected.end(), bytes.begin(), bytes.end());
    gbtest::AppendWord(expected, u32(bytes.size()));
    gbtest::AppendWord(expected, c.type);
  }
  EXPECT_EQ(CProjectorBuilder::AppendFileWithSizeAndType(CPathName(folder + "ten.bin"), nullptr, 5), 0u);
  // The stream goes on after the records.
  ASSERT_EQ(std::fwrite("end", 1, 3, file), 3u);
  ASSERT_EQ(std::fclose(file), 0);
  expected.insert(expected.end(), {'e', 'n', 'd'});
  EXPECT_EQ(gbtest::ReadFile(stream), expected);

  // A write that fails half way is cut off again.
  ASSERT_TRUE(gbtest::WriteFile(folder + "large.bin", std::string(4000, 'x')));
  file = std::fopen(stream.c_str(), "ab");
  ASSERT_NE(file, nullptr);
  u32 appended = 1;
  {
    gbtest::FullDisk full(expected.size() + 1000);
    ASSERT_TRUE(full.IsSet());
    appended = CProjectorBuilder::AppendFileWithSizeAndType(CPathName(folder + "large.bin"), file, 5);
  }
  EXPECT_EQ(appended, 0u);
  ASSERT_EQ(std::fclose(file), 0);
  EXPECT_EQ(gbtest::ReadFile(stream), expected);
}

// The record goes at the end of the file wherever the stream stands, and
// the stream then stands after it; a stream that takes nothing keeps its
// file and its place.
TEST(AppendFileWithSizeAndType, GoesAtTheEndWhereverTheStreamStands) {
  const std::string folder = gbtest::MakeTempFolder("append-record-anywhere");
  const std::string stream = folder + "stream.bin";
  ASSERT_TRUE(gbtest::WriteFile(folder + "ten.bin", "0123456789"));
  ASSERT_TRUE(gbtest::WriteFile(folder + "large.bin", std::string(4000, 'x')));
  Bytes record = gbtest::ToBytes("0123456789");
  gbtest::AppendWord(record, 10);
  gbtest::AppendWord(record, 5);
  const struct {
    const char* what;
    const char* mode;
    long at;
    const char* file;
    bool fullDisk;
    bool appended;
  } cases[] = {
      {"read and write, at the start", "r+b", 0, "ten.bin", false, true},
      {"read and write, inside", "r+b", 2, "ten.bin", false, true},
      {"read only", "rb", 2, "ten.bin", false, false},
      {"read and write, a disk that takes only some of it", "r+b", 1, "large.bin", true, false},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(gbtest::WriteFile(stream, "host"));
    std::FILE* file = std::fopen(stream.c_str(), c.mode);
    ASSERT_NE(file, nullptr) << c.what;
    ASSERT_EQ(std::fseek(file, c.at, SEEK_SET), 0) << c.what;
    u32 appended = 1;
    {
      std::unique_ptr<gbtest::FullDisk> full;
      if (c.fullDisk) {
        full = std::make_unique<gbtest::FullDisk>(100);
        ASSERT_TRUE(full->IsSet()) << c.what;
      }
      appended = CProjectorBuilder::AppendFileWithSizeAndType(CPathName(folder + c.file), file, 5);
    }
    Bytes expected = gbtest::ToBytes("host");
    if (c.appended) {
      EXPECT_EQ(appended, record.size()) << c.what;
      expected.insert(expected.end(), record.begin(), record.end());
      EXPECT_EQ(std::ftell(file), long(expected.size())) << c.what;
    } else {
      EXPECT_EQ(appended, 0u) << c.what;
      EXPECT_EQ(std::ftell(file), c.at) << c.what;
      // The stream reads on from where it stood.
      EXPECT_EQ(std::fgetc(file), "host"[c.at]) << c.what;
    }
    ASSERT_EQ(std::fclose(file), 0) << c.what;
    EXPECT_EQ(gbtest::ReadFile(stream), expected) << c.what;
  }
}

}  // namespace
