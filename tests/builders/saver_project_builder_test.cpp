// The first-generation build: the saver bundle and the installer bundle of
// a CSaverProject, with their progress texts.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "builders/data_archive.h"
#include "builders/installer_builder.h"
#include "builders/mac_saver_bundle.h"
#include "builders/saver_archive.h"
#include "builders/saver_data_list.h"
#include "builders/saver_builder.h"
#include "builders/saver_project.h"
#include "builders/saver_project_builder.h"
#include "builders/settings_document.h"
#include "builders/swf_item.h"
#include "foundation/crc32.h"
#include "foundation/png_image.h"
#include "platform/controls.h"
#include "platform/ui_driver.h"
#include "platform/windows.h"
#include "tests/builders/archive_test_support.h"
#include "tests/builders/model_fixtures.h"
#include "tests/builders/saver_test_support.h"
#include "tests/support/test_support.h"
#include "ui/dialog_window.h"
#include "ui/static_text.h"

namespace {

using gbtest::Bytes;
using gbtest::WordAt;
using savertest::FolderEntries;
using savertest::PutFile;

const std::vector<std::string> kSaverTexts = {"Creating screen saver", "Completed Screen Saver"};

class FirstGenerationBuild : public ::testing::Test {
 protected:
  void SetUp() override {
    static int runs = 0;
    const std::string run = std::to_string(++runs);
    ASSERT_TRUE(CPathName::CreateWorkFolder(("first-generation-" + run).c_str()));
    CPathName probe(nullptr);
    ASSERT_TRUE(probe.SetInWorkFolder("x", true));
    workFolder = probe.GetParentFolder(true);

    const std::string templates = gbtest::MakeTempFolder("fg-templates-" + run);
    engines = templates + "ss/u/";
    installers = templates + "ssin/u/";
    Put(engines + "fssx", Text(savertest::MacEngineBytes()));
    Put(engines + "English.lproj/Localizable.strings", "saver strings");
    Put(engines + "French.lproj/Localizable.strings", "not copied");
    Put(engines + "Flash Player.plugin/Contents/Info.plist", "universal plug-in");
    Put(engines + "fprx/Contents/Info.plist", "plug-in");
    Put(installers + "Installer", Text(savertest::InstallerBytes()));
    chmod((installers + "Installer").c_str(), 0755);
    Put(installers + "installer.icns", "icns");
    Put(installers + "main.rsrc", "resources");
    Put(installers + "English.lproj/Localizable.strings", "installer strings");
    Put(installers + "splash.png", "not used by this installer");

    projectFolder = gbtest::MakeTempFolder("fg-project-" + run);
    outputFolder = gbtest::MakeTempFolder("fg-output-" + run);
    moviePath = modeltest::WriteMovie(projectFolder + "fish.swf");
    project.SetTemplateFolders(CPathName(engines), CPathName(installers));
    project.SetName("Aquarium");
    ASSERT_TRUE(project.SetMovie(CPathName(moviePath)));
    project.SetOutputFolder(CPathName(outputFolder));
  }

  static std::string Text(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }
  static void Put(const std::string& path, const std::string& contents) { ASSERT_TRUE(PutFile(path, contents)) << path; }
  std::string AddFile(const std::string& relative, const std::string& contents) {
    Put(projectFolder + relative, contents);
    return projectFolder + relative;
  }

  bool BuildSaver(bool overwrite = true, CStaticText* progress = nullptr) {
    CSaverProjectBuilder::BuildRequest request;
    request.overwrite = overwrite;
    request.progress = progress;
    const bool built = builder.BuildSaver(CPathName(Saver()), request);
    log = builder.GetStatusLog();
    return built;
  }
  bool BuildWindowsSaver(bool overwrite = true) {
    CSaverProjectBuilder::BuildRequest request;
    request.overwrite = overwrite;
    const bool built = builder.BuildWindowsSaver(request);
    log = builder.GetStatusLog();
    return built;
  }
  bool BuildInstaller(bool overwrite = true, const std::string& path = std::string()) {
    CSaverProjectBuilder::BuildRequest request;
    request.overwrite = overwrite;
    const bool built = builder.BuildInstaller(CPathName(path.empty() ? Installer() : path), request);
    log = builder.GetStatusLog();
    return built;
  }
  std::string LastText() const { return log.empty() ? std::string() : log.back(); }

  std::string Saver() const { return outputFolder + "Aquarium.saver"; }
  std::string WindowsSaver() const { return outputFolder + "Aquarium.scr"; }
  std::string Installer() const { return outputFolder + "Install Aquarium.app"; }
  std::string Resources(const std::string& bundle) const { return bundle + "/Contents/Resources/"; }

  std::string engines, installers, projectFolder, outputFolder, workFolder, moviePath;
  CSaverProject project;
  CSaverProjectBuilder builder{project};
  std::vector<std::string> log;
};

TEST_F(FirstGenerationBuild, TheSaverBundleHoldsThePatchedEngineThePlainMovieAndTheRecord) {
  // A compressed movie goes in plain.
  ASSERT_TRUE(gbtest::WriteFile(moviePath, modeltest::MovieBytes({.compressed = true, .padding = 2000})));
  project.AddMoreFile(CPathName(AddFile("sound.mp3", "sound")));
  Put(projectFolder + "Pictures/a.png", "a");
  project.AddMoreFile(CPathName(projectFolder + "Pictures/"));
  project.GetSettings().flashQuality = 1;
  ASSERT_TRUE(BuildSaver()) << LastText();
  EXPECT_EQ(log, kSaverTexts);

  EXPECT_EQ(FolderEntries(Saver() + "/Contents"), (std::vector<std::string>{"Info.plist", "MacOS/", "Resources/"}));
  EXPECT_EQ(FolderEntries(Resources(Saver())),
            (std::vector<std::string>{"English.lproj/", "Flash Player.plugin/", "Pictures/", "sound.mp3", "ssaver.swf",
                                      "ssc0.dat"}));
  EXPECT_EQ(gbtest::ReadTextFile(Resources(Saver()) + "Pictures/a.png"), "a");

  const std::string unique = UniqueSaverNameOf("Aquarium");
  EXPECT_EQ(project.GetUniqueName(), unique);
  EXPECT_EQ(gbtest::ReadTextFile(Saver() + "/Contents/Info.plist"),
            std::string(savertest::kInfoPlistHead) +
                "\t<key>CFBundleDevelopmentRegion</key>\n\t<string>English</string>\n"
                "\t<key>CFBundleExecutable</key>\n\t<string>fssx</string>\n"
                "\t<key>CFBundleIdentifier</key>\n\t<string>" +
                kBundleIdentifierPrefix + "screensaver." + unique +
                "</string>\n"
                "\t<key>CFBundleInfoDictionaryVersion</key>\n\t<string>6.0</string>\n"
                "\t<key>CFBundlePackageType</key>\n\t<string>BNDL</string>\n"
                "\t<key>CFBundleSignature</key>\n\t<string>FsXX</string>\n"
                "\t<key>CFBundleVersion</key>\n\t<string>1.0</string>\n"
                "\t<key>NSPrincipalClass</key>\n\t<string>OxSS" +
                unique + "</string>\n</dict>\n</plist>\n");
  const std::string engine = gbtest::ReadTextFile(Saver() + "/Contents/MacOS/fssx");
  EXPECT_NE(engine.find("OxSS" + unique), std::string::npos);
  EXPECT_EQ(engine.find(kSaverEnginePlaceholder), std::string::npos);

  const Bytes movie = gbtest::ReadFile(Resources(Saver()) + "ssaver.swf");
  ASSERT_GE(movie.size(), 3u);
  EXPECT_EQ(std::string(movie.begin(), movie.begin() + 3), "FWS");
  const Bytes record = gbtest::ReadFile(Resources(Saver()) + "ssc0.dat");
  ASSERT_EQ(record.size(), 140u);
  u32 crc = 0;
  ComputeCrc32(movie.data(), 1024, crc);
  EXPECT_EQ(WordAt(record, 0), 1u);
  EXPECT_EQ(WordAt(record, 12), crc & WordAt(record, 36));
  EXPECT_EQ(WordAt(record, 4) | WordAt(record, 40) | WordAt(record, 72) | WordAt(record, 76), 0u);
  EXPECT_EQ(record[133], 1);
  // Nothing is left in the work folder.
  EXPECT_TRUE(FolderEntries(workFolder).empty());
}

TEST_F(FirstGenerationBuild, ASaverThatIsNotUniversalGetsTheOtherPlugIn) {
  project.SetUniversalBinary(false);
  ASSERT_TRUE(BuildSaver()) << LastText();
  EXPECT_EQ(FolderEntries(Resources(Saver())),
            (std::vector<std::string>{"English.lproj/", "fprx/", "ssaver.swf", "ssc0.dat"}));
}

TEST_F(FirstGenerationBuild, AnExistingSaverIsReplacedOnlyWhenAsked) {
  Put(Saver() + "/old", "old saver");
  EXPECT_FALSE(BuildSaver(false));
  EXPECT_NE(LastText().find(Saver()), std::string::npos) << LastText();
  EXPECT_EQ(FolderEntries(Saver()), std::vector<std::string>{"old"});
  ASSERT_TRUE(BuildSaver(true)) << LastText();
  EXPECT_EQ(FolderEntries(Saver()), std::vector<std::string>{"Contents/"});
}

TEST_F(FirstGenerationBuild, HostileProjectsFailCleanly) {
  const std::string notMovie = AddFile("notes.txt", "plain text");
  // A compressed header that claims 64 bytes, then no zlib stream.
  const char damagedBytes[] = "CWS\x06\x40\x00\x00\x00garbage";
  const std::string damaged = AddFile("damaged.swf", std::string(damagedBytes, sizeof damagedBytes - 1));
  struct Case {
    const char* what;
    std::string movie;                  // set directly, past SetMovie's check
    std::vector<std::string> extras;    // files in the project folder
    std::string reason;                 // what the last text holds
  };
  const Case cases[] = {
      {"no movie", "", {}, "no movie"},
      {"missing movie", projectFolder + "gone.swf", {}, "gone.swf"},
      {"not a movie", notMovie, {}, "is not a Flash movie"},
      {"damaged movie", damaged, {}, "damaged.swf"},
      {"extra on the movie's name", moviePath, {"ssaver.swf"}, "ssaver.swf"},
      {"extra on the record's name", moviePath, {"SSC0.DAT"}, "SSC0.DAT"},
      {"extra on a template's name", moviePath, {"english.lproj"}, "english.lproj"},
      {"two extras of one name", moviePath, {"a/x.txt", "b/x.txt"}, "x.txt"},
      {"missing extra", moviePath, {"gone/x.txt"}, "x.txt"},
  };
  Put(Saver() + "/old", "old saver");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CSaverProject hostile;
    // The movie as a project file names it, unchecked.
    const std::string file = projectFolder + "hostile.xml";
    ASSERT_TRUE(gbtest::WriteFile(file, "<screen_saver swf=\"" + c.movie + "\" name=\"Aquarium\" />"));
    ASSERT_TRUE(hostile.ReadXmlFile(CPathName(file)));
    EXPECT_EQ(hostile.GetMovie().IsEmpty(), c.movie.empty());
    for (const std::string& extra : c.extras) {
      if (extra.find("gone") == std::string::npos) AddFile(extra, "x");
      hostile.AddMoreFile(CPathName(projectFolder + extra));
    }
    hostile.SetTemplateFolders(CPathName(engines), CPathName(installers));
    CSaverProjectBuilder hostileBuilder(hostile);
    CSaverProjectBuilder::BuildRequest request;
    request.overwrite = true;
    EXPECT_FALSE(hostileBuilder.BuildSaver(CPathName(Saver()), request));
    ASSERT_FALSE(hostileBuilder.GetStatusLog().empty());
    const std::string reason = hostileBuilder.GetStatusLog().back();
    EXPECT_NE(reason.find(c.reason), std::string::npos) << reason;
    // The earlier saver stays; nothing else is written.
    EXPECT_EQ(FolderEntries(outputFolder), std::vector<std::string>{"Aquarium.saver/"});
    EXPECT_EQ(FolderEntries(Saver()), std::vector<std::string>{"old"});
    EXPECT_TRUE(FolderEntries(workFolder).empty());
  }
}

TEST_F(FirstGenerationBuild, AMissingTemplateIsNamed) {
  unlink((engines + "fssx").c_str());
  EXPECT_FALSE(BuildSaver());
  EXPECT_NE(LastText().find(engines + "fssx"), std::string::npos) << LastText();
  EXPECT_TRUE(FolderEntries(outputFolder).empty());
}

TEST_F(FirstGenerationBuild, TheProgressTextGoesToTheStatusControl) {
  plat::DisposeAllWindows();
  plat::UiDriver::Get().SetQuiet(true);
  CDialogWindow window;
  ASSERT_TRUE(window.Create(100, 100, 400, 300, 0, nullptr));
  Rect bounds = {10, 10, 30, 390};
  CStaticText status;
  ASSERT_TRUE(status.Create(&window, FourCC("sSta"), &bounds, ""));
  ASSERT_TRUE(BuildSaver(true, &status));
  EXPECT_EQ(plat::ControlText(status.GetControlRef()), "Completed Screen Saver");
  EXPECT_GE(status.GetControlRef()->drawCount, 2);
  plat::DisposeAllWindows();
}

// The Windows saver's archive, byte for byte: nothing before the end
// marker, then the movie, the extra files, the blank movie and the
// settings document, then the trailer.
TEST_F(FirstGenerationBuild, TheWindowsSaverIsAnArchiveOfItsOwn) {
  // The movie goes in as it is, compressed.
  ASSERT_TRUE(gbtest::WriteFile(moviePath, modeltest::MovieBytes({.compressed = true, .padding = 300})));
  const std::string first = AddFile("sound.mp3", "sound");
  const std::string second = AddFile("Pictures/a.png", std::string("\0png\xFF", 5));
  project.AddMoreFile(CPathName(first));
  project.AddMoreFile(CPathName(second));
  SaverEngineSettings& settings = project.GetSettings();
  settings.flashQuality = 1;
  settings.hasBackgroundColor = 1;
  settings.backgroundColor = 0x00332211;
  settings.exitOnMouseMove = 0;
  settings.exitOnMouseClick = 1;
  settings.exitOnKeyPress = 0;
  settings.hideMouseCursor = 0;
  ASSERT_TRUE(BuildWindowsSaver()) << LastText();
  EXPECT_EQ(log, (std::vector<std::string>{"Creating Windows screen saver", "Completed Windows Screen Saver"}));
  EXPECT_EQ(FolderEntries(outputFolder), std::vector<std::string>{"Aquarium.scr"});
  // Neither the blank movie nor "ss.dat" is left in the work folder.
  EXPECT_TRUE(FolderEntries(workFolder).empty());

  const std::string blankPath = projectFolder + "blank.swf";
  ASSERT_TRUE(WriteBlankSaverMovie(CPathName(blankPath)));
  Bytes expected;
  gbtest::AppendRecord(expected, 0, {});
  const std::pair<std::string, std::string> named[] = {
      {"fish.swf", moviePath}, {"sound.mp3", first}, {"a.png", second}, {"__saver.swf", blankPath}};
  for (const auto& [name, path] : named) {
    Bytes fields;
    gbtest::AppendBlob(fields, gbtest::ReadFile(path));
    gbtest::AppendString(fields, name);
    gbtest::AppendRecord(expected, 5, fields);
  }
  // The settings record's blob, the only part with random words, is taken
  // from where it must stand: after the named files, before its three
  // words and the trailer.
  const Bytes file = gbtest::ReadFile(WindowsSaver());
  ASSERT_GT(file.size(), expected.size() + 16);
  const Bytes document(file.begin() + ptrdiff_t(expected.size()), file.end() - 16);
  Bytes fields;
  gbtest::AppendBlob(fields, document);
  gbtest::AppendRecord(expected, 1, fields);
  gbtest::AppendTrailer(expected);
  EXPECT_EQ(file, expected);
  const std::string text(document.begin(), document.end());
  EXPECT_EQ(text.rfind("<xml version=\"1.0\">\n<windows  exit_on_mouse_move=\"false\" exit_on_mouse_click=\"true\" "
                      "exit_on_key_press=\"false\" hide_mouse_cursor=\"false\">\n<window swf=\"fish.swf\" ",
                      0),
            0u)
      << text;

  // Our reader takes it back: the files, and a settings document that
  // carries the project's values and passes its movie check.
  CDataArchiveReader reader;
  ASSERT_TRUE(reader.Open(CPathName(WindowsSaver())));
  ASSERT_TRUE(reader.Load()) << reader.GetError();
  std::vector<std::string> names;
  for (const auto& entry : reader.GetNamedFiles()) names.push_back(entry.item->GetName());
  EXPECT_EQ(names, (std::vector<std::string>{"__saver.swf", "a.png", "sound.mp3", "fish.swf"}));
  EXPECT_EQ(gbtest::ReadFile(workFolder + "fish.swf"), gbtest::ReadFile(moviePath));
  CPathName settingsPath(nullptr);
  ASSERT_TRUE(reader.GetSettingsPath(settingsPath));
  CSaverDataList readBack;
  ASSERT_TRUE(readBack.ReadSettingsFile(settingsPath)) << readBack.GetReadStatus();
  EXPECT_FALSE(readBack.GetExitOnMouseMove());
  EXPECT_TRUE(readBack.GetExitOnMouseClick());
  EXPECT_FALSE(readBack.GetExitOnKeyPress());
  EXPECT_FALSE(readBack.GetHideMouseCursor());
  const CSwfItem* root = readBack.GetRootItem();
  EXPECT_EQ(root->GetSwfFile().GetName(false), "fish.swf");
  EXPECT_EQ(root->GetFlashQuality(), 1);
  EXPECT_TRUE(root->GetUseFlashBgColor());
  EXPECT_EQ(root->GetFlashBgColor(), 0x00332211u);
  reader.DeleteUnpackedFiles();
  ASSERT_TRUE(reader.Close());
  settingsPath.Delete();
  EXPECT_TRUE(FolderEntries(workFolder).empty());
}

TEST_F(FirstGenerationBuild, AnExistingWindowsSaverIsReplacedOnlyWhenAskedAndAFolderNever) {
  Put(WindowsSaver(), "previous");
  EXPECT_FALSE(BuildWindowsSaver(false));
  EXPECT_NE(LastText().find(WindowsSaver()), std::string::npos) << LastText();
  EXPECT_EQ(gbtest::ReadTextFile(WindowsSaver()), "previous");
  ASSERT_TRUE(BuildWindowsSaver(true)) << LastText();
  std::vector<gbtest::ArchiveRecord> records;
  EXPECT_TRUE(gbtest::WalkArchive(gbtest::ReadFile(WindowsSaver()), records));
  EXPECT_EQ(records.size(), 4u);
  EXPECT_EQ(FolderEntries(outputFolder), std::vector<std::string>{"Aquarium.scr"});

  unlink(WindowsSaver().c_str());
  Put(WindowsSaver() + "/inside", "kept");
  EXPECT_FALSE(BuildWindowsSaver(true));
  EXPECT_NE(LastText().find("is a folder"), std::string::npos) << LastText();
  EXPECT_EQ(FolderEntries(WindowsSaver()), std::vector<std::string>{"inside"});
  EXPECT_TRUE(FolderEntries(workFolder).empty());
}

TEST_F(FirstGenerationBuild, HostileWindowsSaversFailCleanly) {
  const std::string notMovie = AddFile("notes.txt", "plain text");
  const std::string blankNamed = AddFile("movies/__saver.swf", "");
  ASSERT_TRUE(gbtest::WriteFile(blankNamed, modeltest::MovieBytes({})));
  Put(projectFolder + "Folder/inside.txt", "inside");
  const std::string longName(300, 'n');
  struct Case {
    const char* what;
    std::string movie;                // set directly, past SetMovie's check
    std::vector<std::string> extras;  // files in the project folder
    std::string name = "Aquarium";
    std::string reason;  // what the last text holds
  };
  const Case cases[] = {
      {"no movie", "", {}, "Aquarium", "no movie"},
      {"missing movie", projectFolder + "gone.swf", {}, "Aquarium", "gone.swf"},
      {"not a movie", notMovie, {}, "Aquarium", "is not a Flash movie"},
      {"a movie on the blank movie's name", blankNamed, {}, "Aquarium", "__saver.swf"},
      {"an extra on the blank movie's name", moviePath, {"x/__SAVER.swf"}, "Aquarium", "__SAVER.swf"},
      {"an extra on the settings' name", moviePath, {"ss.dat"}, "Aquarium", "ss.dat"},
      {"an extra on the unpacked settings' name", moviePath, {"fp.dat"}, "Aquarium", "fp.dat"},
      {"an extra on the movie's name", moviePath, {"x/fish.swf"}, "Aquarium", "fish.swf"},
      {"two extras of one name", moviePath, {"a/x.txt", "b/X.txt"}, "Aquarium", "X.txt"},
      {"missing extra", moviePath, {"gone/x.txt"}, "Aquarium", "x.txt"},
      {"an extra name of 300 bytes", moviePath, {"gone/" + longName}, "Aquarium", longName},
      {"an extra folder", moviePath, {"Folder/"}, "Aquarium", "Folder"},
      {"a name that leaves the folder", moviePath, {}, "../Aquarium", "../Aquarium.scr"},
  };
  Put(WindowsSaver(), "previous");
  const std::string parent = CPathName(CPathName(outputFolder).GetParentFolder(true)).GetString();
  const std::vector<std::string> around = FolderEntries(parent);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CSaverProject hostile;
    const std::string file = projectFolder + "hostile.xml";
    ASSERT_TRUE(gbtest::WriteFile(file, "<screen_saver swf=\"" + c.movie + "\" name=\"" + c.name + "\" />"));
    ASSERT_TRUE(hostile.ReadXmlFile(CPathName(file)));
    for (const std::string& extra : c.extras) {
      if (extra.find("gone") == std::string::npos && extra.back() != '/') AddFile(extra, "x");
      hostile.AddMoreFile(CPathName(projectFolder + extra));
    }
    hostile.SetOutputFolder(CPathName(outputFolder));
    CSaverProjectBuilder hostileBuilder(hostile);
    CSaverProjectBuilder::BuildRequest request;
    request.overwrite = true;
    EXPECT_FALSE(hostileBuilder.BuildWindowsSaver(request));
    ASSERT_FALSE(hostileBuilder.GetStatusLog().empty());
    const std::string reason = hostileBuilder.GetStatusLog().back();
    EXPECT_NE(reason.find(c.reason), std::string::npos) << reason;
    // The earlier saver stays; nothing else is written.
    EXPECT_EQ(FolderEntries(outputFolder), std::vector<std::string>{"Aquarium.scr"});
    EXPECT_EQ(gbtest::ReadTextFile(WindowsSaver()), "previous");
    EXPECT_EQ(FolderEntries(parent), around);
    EXPECT_TRUE(FolderEntries(workFolder).empty());
  }
}

const char kInstallerPlist[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE plist SYSTEM \"file://localhost/System/Library/DTDs/PropertyList.dtd\">\n"
    "<plist version=\"0.9\">\n"
    "<dict>\n"
    "\t<key>CFBundleIdentifier</key>\n\t<string>com.orrinvale.stationery</string>\n"
    "\t<key>CFBundleName</key>\n\t<string>Installer</string>\n"
    "\t<key>CFBundleGetInfoString</key>\n\t<string>Installer 1.0, installs a screen saver</string>\n"
    "\t<key>CFBundleShortVersionString</key>\n\t<string>Installer version 1.0</string>\n"
    "\t<key>CFBundlePackageType</key>\n\t<string>APPL</string>\n"
    "\t<key>CFBundleSignature</key>\n\t<string>Oxmk</string>\n"
    "\t<key>CFBundleExecutable</key>\n\t<string>Installer</string>\n"
    "\t<key>CFBundleVersion</key>\n\t<string>1.0</string>\n"
    "\t<key>CFBundleIconFile</key>\n\t<string>installer.icns</string>\n"
    "\t<key>CFBundleDevelopmentRegion</key>\n\t<string>English</string>\n"
    "\t<key>CFBundleInfoDictionaryVersion</key>\n\t<string>6.0</string>\n"
    "\t<key>LSPrefersCarbon</key>\n\t<true/>\n"
    "</dict>\n"
    "</plist>\n";

TEST_F(FirstGenerationBuild, TheInstallerBundleInstallsTheSaver) {
  // A 400 x 300 picture.
  const std::string picture = projectFolder + "picture.png";
  Bytes pixels(size_t(400) * 300 * 3, 200);
  ASSERT_TRUE(SaveRgbAsPngFile(400, 300, 24, pixels.data(), CPathName(picture), nullptr, 0));
  project.SetInstallerCustomPic(true);
  project.SetInstallerCustomPicSrc(CPathName(picture));
  project.SetInstallerReadme(true);
  project.SetInstallerReadmeSrc(CPathName(AddFile("read.txt", "read me")));
  project.SetInstallerLicense(true);
  project.SetInstallerLicenseSrc(CPathName(AddFile("licence", "licence")));
  // The extension is the installer's own.
  ASSERT_TRUE(BuildInstaller(true, outputFolder + "Install Aquarium")) << LastText();
  EXPECT_EQ(log, (std::vector<std::string>{"Creating screen saver", "Completed Screen Saver", "Creating Installer",
                                           "Writing info", "Writing package", "Adding installer", "Adding alias",
                                           "Adding international files", "Adding custom picture", "Adding icon",
                                           "Adding read me", "Adding license", "Adding configuration", "Compressing",
                                           "Cleaning up...", "Completed Installer"}));
  EXPECT_EQ(FolderEntries(outputFolder), std::vector<std::string>{"Install Aquarium.app/"});
  // The alias keeps its Finder information in a sidecar of its own.
  EXPECT_EQ(FolderEntries(Installer()), (std::vector<std::string>{"._Installer", "Contents/", "Installer"}));
  EXPECT_EQ(gbtest::GetFolderFlags(Installer()), 0x2000);
  char target[256] = {};
  ASSERT_GT(readlink((Installer() + "/Installer").c_str(), target, sizeof target - 1), 0);
  EXPECT_EQ(std::string(target), "Contents/MacOS/Installer");
  EXPECT_EQ(FolderEntries(Installer() + "/Contents"),
            (std::vector<std::string>{"Info.plist", "MacOS/", "PkgInfo", "Resources/"}));
  EXPECT_EQ(gbtest::ReadTextFile(Installer() + "/Contents/Info.plist"), kInstallerPlist);
  EXPECT_EQ(gbtest::ReadTextFile(Installer() + "/Contents/PkgInfo"), "APPLOxmk");
  EXPECT_EQ(gbtest::ReadFile(Installer() + "/Contents/MacOS/Installer"), savertest::InstallerBytes());

  const std::string resources = Resources(Installer());
  std::vector<std::string> entries = FolderEntries(resources);
  std::vector<std::string> expected = {"English.lproj/", "License.txt", "ReadMe.txt",  "icd0.dat",   "installer.dat",
                                       "installer.icns", "main.rsrc",   "splash.png"};
  for (const std::string& entry : entries)
    if (entry.rfind("data", 0) == 0) expected.push_back(entry);
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(entries, expected);
  EXPECT_EQ(gbtest::ReadTextFile(resources + "ReadMe.txt"), "read me");
  CPngImage splash;
  ASSERT_TRUE(splash.LoadFile(CPathName(resources + "splash.png")));
  EXPECT_EQ(splash.GetWidth(), 300u);
  EXPECT_EQ(splash.GetHeight(), 200u);
  const Bytes settings = gbtest::ReadFile(resources + "icd0.dat");
  ASSERT_EQ(settings.size(), 16u);
  EXPECT_EQ(WordAt(settings, 0), 0x66u);

  // The script installs the saver's tree into the user's screen-saver folder.
  CInstallerBuilder script;
  ASSERT_TRUE(script.LoadScriptFile(CPathName(resources + "installer.dat")));
  ASSERT_EQ(script.GetItems().size(), 1u);
  EXPECT_EQ(script.GetItems()[0]->GetLocation(), u32(CInstallItem::kScreenSaver));
  EXPECT_EQ(script.GetItems()[0]->GetDomain(), u32(CInstallItem::kCurrentUser));
  EXPECT_NE(script.FindFolderByName("Aquarium.saver"), nullptr);
  EXPECT_NE(script.FindFileByName("ssaver.swf"), nullptr);
  EXPECT_NE(script.FindFileByName("fssx"), nullptr);
  // The saver built on the way is gone again.
  EXPECT_TRUE(FolderEntries(workFolder).empty());
}

TEST_F(FirstGenerationBuild, InstallerTextsThatAreMissingAreLeftOutAndAPictureThatDoesNotOpenFails) {
  project.SetInstallerReadme(true);
  project.SetInstallerReadmeSrc(CPathName(projectFolder + "gone.txt"));
  ASSERT_TRUE(BuildInstaller()) << LastText();
  const std::string resources = Resources(Installer());
  EXPECT_FALSE(gbtest::FileExists(resources + "ReadMe.txt"));
  EXPECT_FALSE(gbtest::FileExists(resources + "splash.png"));
  EXPECT_EQ(WordAt(gbtest::ReadFile(resources + "icd0.dat"), 0), 0x62u);
  const std::vector<u8> before = gbtest::ReadFile(resources + "installer.dat");

  project.SetInstallerCustomPic(true);
  project.SetInstallerCustomPicSrc(CPathName(AddFile("picture.png", "not a picture")));
  EXPECT_FALSE(BuildInstaller());
  EXPECT_NE(LastText().find("picture.png"), std::string::npos) << LastText();
  // The installer built before stays as it was; nothing is left behind.
  EXPECT_EQ(gbtest::ReadFile(resources + "installer.dat"), before);
  EXPECT_EQ(FolderEntries(outputFolder), std::vector<std::string>{"Install Aquarium.app/"});
  EXPECT_TRUE(FolderEntries(workFolder).empty());

  // An installer that exists is replaced only when asked.
  project.SetInstallerCustomPic(false);
  EXPECT_FALSE(BuildInstaller(false));
  EXPECT_EQ(gbtest::ReadFile(resources + "installer.dat"), before);
}

TEST_F(FirstGenerationBuild, AnInstallerNameThatLeavesTheFolderIsRefused) {
  project.SetName("../Aquarium");
  const std::string parent = CPathName(CPathName(outputFolder).GetParentFolder(true)).GetString();
  const std::vector<std::string> around = FolderEntries(parent);
  EXPECT_FALSE(BuildInstaller());
  EXPECT_NE(LastText().find("../Aquarium.saver"), std::string::npos) << LastText();
  EXPECT_TRUE(FolderEntries(outputFolder).empty());
  EXPECT_EQ(FolderEntries(parent), around);
  EXPECT_TRUE(FolderEntries(workFolder).empty());
}

}  // namespace
