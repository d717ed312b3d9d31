// Links among a project's files: an output is carried to another machine,
// so it holds files, never links into the machine it was built on. A link
// goes in as what it leads to, under its own name, in every output of both
// generations; a link that leads nowhere or round a loop is a missing file,
// refused before anything is built. The installer's ReadMe, licence and
// picture are files or are left out with a note.
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "builders/data_archive.h"
#include "builders/installer_archive.h"
#include "builders/installer_builder.h"
#include "builders/saver_project.h"
#include "builders/saver_project_builder.h"
#include "foundation/png_image.h"
#include "platform/roots.h"
#include "tests/builders/archive_test_support.h"
#include "tests/builders/saver_test_support.h"
#include "tests/support/test_support.h"

namespace {

using gbtest::Bytes;
using gbtest::ToBytes;
using savertest::FolderEntries;

using savertest::FolderFiles;
using savertest::Packed;

// The paths of the links among them.
std::vector<std::string> LinksIn(const Packed& packed) {
  std::vector<std::string> links;
  for (const auto& [path, bytes] : packed)
    if (bytes.size() >= 2 && bytes[0] == '-' && bytes[1] == '>') links.push_back(path);
  return links;
}

class OutputLinks : public savertest::AllOutputsTest {
 public:
  void SetUp() override {
    AllOutputsTest::SetUp();
    outside = gbtest::MakeTempFolder("links-outside-" + std::to_string(++runs));
  }

  // A link at `path` holding `text`.
  static void Link(const std::string& text, const std::string& path) {
    ASSERT_EQ(symlink(text.c_str(), path.c_str()), 0) << path;
  }

  std::string outside;  // a folder outside the project, where links lead
  static int runs;
};

int OutputLinks::runs = 0;

struct Output {
  const char* what;
  bool mac;  // a Mac output: extra folders go in (the Windows savers take files only)
  bool (*build)(OutputLinks& test);
  Packed (*packed)(OutputLinks& test);
};

const std::vector<Output>& AllOutputs() {
  using FG = OutputLinks::FirstGeneration;
  static const std::vector<Output> outputs = {
      {"Mac saver", true, [](OutputLinks& t) { return t.BuildCurrent(true, false, false, false); },
       [](OutputLinks& t) { return OutputLinks::BundleFiles(t.MacOutput()); }},
      {"Windows saver", false, [](OutputLinks& t) { return t.BuildCurrent(false, true, false, false); },
       [](OutputLinks& t) { return OutputLinks::ArchiveFiles(t.WinOutput()); }},
      {"Mac installer", true, [](OutputLinks& t) { return t.BuildCurrent(false, false, true, false); },
       [](OutputLinks& t) { return OutputLinks::InstalledFiles(t.outputFolder + "Install_Aquarium.app"); }},
      {"Windows installer", false, [](OutputLinks& t) { return t.BuildCurrent(false, false, false, true); },
       [](OutputLinks& t) { return t.WindowsInstallerFiles(); }},
      {"first-generation saver", true, [](OutputLinks& t) { return t.BuildFirstGeneration(FG::kSaver); },
       [](OutputLinks& t) { return OutputLinks::BundleFiles(t.MacOutput()); }},
      {"first-generation Windows saver", false,
       [](OutputLinks& t) { return t.BuildFirstGeneration(FG::kWindowsSaver); },
       [](OutputLinks& t) { return OutputLinks::ArchiveFiles(t.WinOutput()); }},
      {"first-generation installer", true, [](OutputLinks& t) { return t.BuildFirstGeneration(FG::kInstaller); },
       [](OutputLinks& t) { return OutputLinks::InstalledFiles(t.outputFolder + "InstallAquarium.app"); }},
  };
  return outputs;
}

// Extra files that are links, relative or absolute, and an extra folder
// holding links to files and folders inside and outside it: every output
// holds the bytes and trees they lead to under the links' names, and no
// link.
TEST_F(OutputLinks, EveryOutputHoldsWhatTheLinksLeadToUnderTheirNames) {
  for (const Output& output : AllOutputs()) {
    SetUp();
    const std::string trace = output.what;
    ASSERT_TRUE(gbtest::WriteFile(outside + "far.txt", "far away"));
    ASSERT_TRUE(savertest::PutFile(outside + "library/book.txt", "a book"));
    AddFile("notes.txt", "notes");
    Link("notes.txt", projectFolder + "relative.txt");
    Link(outside + "far.txt", projectFolder + "absolute.txt");
    AddExtra(projectFolder + "relative.txt");
    AddExtra(projectFolder + "absolute.txt");
    if (output.mac) {
      AddFile("pack/v2/data", "version 2");
      Link("v2", projectFolder + "pack/latest");
      Link(outside + "far.txt", projectFolder + "pack/absolute.txt");
      Link(outside + "library", projectFolder + "pack/library");
      Link("library/book.txt", projectFolder + "pack/book.txt");
      AddExtra(projectFolder + "pack/");
    }

    ASSERT_TRUE(output.build(*this)) << trace << ": " << LastLog();
    const Packed packed = output.packed(*this);
    EXPECT_EQ(LinksIn(packed), std::vector<std::string>{}) << trace;
    Packed expected = {{"relative.txt", ToBytes("notes")}, {"absolute.txt", ToBytes("far away")}};
    if (output.mac) {
      expected.insert({{"pack/", {}},
                       {"pack/v2/", {}},
                       {"pack/v2/data", ToBytes("version 2")},
                       {"pack/latest/", {}},
                       {"pack/latest/data", ToBytes("version 2")},
                       {"pack/absolute.txt", ToBytes("far away")},
                       {"pack/library/", {}},
                       {"pack/library/book.txt", ToBytes("a book")},
                       {"pack/book.txt", ToBytes("a book")}});
    }
    for (const auto& [path, bytes] : expected) {
      const auto found = packed.find(path);
      EXPECT_TRUE(found != packed.end() && found->second == bytes) << trace << ": " << path;
    }
  }
}

// The templates' own links are theirs: a saver keeps them as links, in
// both generations, while the project's links go in as what they lead to.
TEST_F(OutputLinks, TheTemplatesOwnLinksStayLinks) {
  const std::string plugin = templatesBase + "ss/u/Flash Player.plugin/";
  Link("Contents/MacOS", plugin + "Current");
  Link("notes.txt", projectFolder + "extra.txt");
  AddFile("notes.txt", "notes");
  AddExtra(projectFolder + "extra.txt");
  for (const bool firstGeneration : {false, true}) {
    const bool built =
        firstGeneration ? BuildFirstGeneration(FirstGeneration::kSaver) : BuildCurrent(true, false, false, false);
    ASSERT_TRUE(built) << LastLog();
    const Packed packed = BundleFiles(MacOutput());
    EXPECT_EQ(LinksIn(packed), std::vector<std::string>{"Flash Player.plugin/Current"}) << firstGeneration;
    EXPECT_TRUE(packed.at("Flash Player.plugin/Current") == ToBytes("->Contents/MacOS")) << firstGeneration;
    EXPECT_TRUE(packed.at("extra.txt") == ToBytes("notes")) << firstGeneration;
  }
}

// A link that leads nowhere, or round a loop, as an extra file or anywhere
// in an extra folder, is a missing file: every output refuses it, naming
// it, before anything is built; also when the Mac saver is the only output.
TEST_F(OutputLinks, ALinkThatLeadsNowhereOrRoundALoopIsRefusedBeforeAnythingIsBuilt) {
  struct Case {
    const char* what;
    std::vector<std::pair<std::string, std::string>> links;  // link text, path below the project folder
    std::string extra;                                       // the extra file or folder
    std::string named;                                       // the path the refusal names
  };
  const Case cases[] = {
      {"a link to nothing", {{"gone.txt", "dangling.txt"}}, "dangling.txt", "dangling.txt"},
      {"a link to itself", {{"self.txt", "self.txt"}}, "self.txt", "self.txt"},
      {"a link to nothing in a folder", {{"gone.txt", "pack/dangling.txt"}}, "pack/", "pack/dangling.txt"},
      {"a link to the folder above", {{"..", "pack/inner/up"}}, "pack/", "pack/inner/up"},
      {"a link to the project's folder", {{"..", "pack/project"}}, "pack/", "pack/project"},
  };
  for (const Output& output : AllOutputs()) {
    for (const Case& c : cases) {
      SetUp();
      const std::string trace = std::string(output.what) + ", " + c.what;
      AddFile("pack/inner/file.txt", "file");
      for (const auto& [text, path] : c.links) Link(text, projectFolder + path);
      AddExtra(projectFolder + c.extra);
      EXPECT_FALSE(output.build(*this)) << trace;
      EXPECT_TRUE(LogMentions(projectFolder + c.named + "\" cannot be found")) << trace << ": " << LastLog();
      EXPECT_TRUE(FolderEntries(outputFolder).empty()) << trace;
      EXPECT_TRUE(FolderEntries(workFolder).empty()) << trace;
    }
  }
}

// The installers' ReadMe and licence are files: one named through a link
// goes in with the bytes it leads to; a folder, or a link that leads
// nowhere, is left out with the note a missing text gets. So is a picture
// that is a folder or a link that leads nowhere; a picture named through a
// link is drawn.
TEST_F(OutputLinks, InstallerTextsAndPicturesAreFilesOrLeftOutWithANote) {
  AddFile("texts/ReadMe.txt", "read me");
  Link("texts/ReadMe.txt", projectFolder + "readme-link");
  AddFile("folder/inside.txt", "inside");
  Link("gone.txt", projectFolder + "dangling");
  const struct {
    const char* what;
    std::string readMe, licence;  // below the project folder
    bool readMeIn, licenceIn;     // whether they go in
  } cases[] = {
      {"a link to a text", "readme-link", "texts/ReadMe.txt", true, true},
      {"a folder", "folder", "folder/", false, false},
      {"a link to nothing", "dangling", "readme-link", false, true},
  };
  const struct {
    const char* what;
    bool mac;
    bool firstGeneration;
  } installers[] = {{"Mac installer", true, false},
                    {"Windows installer", false, false},
                    {"first-generation installer", true, true}};
  for (const auto& installer : installers) {
    for (const auto& c : cases) {
      const std::string trace = std::string(installer.what) + ", " + c.what;
      ASSERT_TRUE(CPathName(outputFolder).DeleteRecursive(true));
      ASSERT_EQ(mkdir(outputFolder.c_str(), 0755), 0);
      list.SetInstallerReadMe(CPathName(projectFolder + c.readMe));
      list.SetInstallerLicense(CPathName(projectFolder + c.licence));
      list.SetInstallerHasReadMe(true);
      list.SetInstallerHasLicense(true);
      const bool built = installer.firstGeneration
                             ? BuildFirstGeneration(FirstGeneration::kInstaller)
                             : BuildCurrent(false, false, installer.mac, !installer.mac);
      ASSERT_TRUE(built) << trace << ": " << LastLog();
      for (const auto& [path, in] : {std::pair{c.readMe, c.readMeIn}, std::pair{c.licence, c.licenceIn}})
        EXPECT_EQ(LogMentions("The text \"" + projectFolder + path + "\" cannot be found"), !in) << trace << path;
      Packed texts;
      if (installer.mac) {
        const std::string resources =
            outputFolder + (installer.firstGeneration ? "InstallAquarium.app" : "Install_Aquarium.app") +
            "/Contents/Resources/";
        texts = FolderFiles(resources);
        EXPECT_EQ(LinksIn(texts), std::vector<std::string>{}) << trace;
      } else {
        CInstallerArchiveReader reader;
        ASSERT_TRUE(reader.Open(CPathName(outputFolder + "Install_Aquarium.exe")) && reader.Load()) << trace;
        for (const char* name : {"ReadMe.txt", "License.txt"})
          if (gbtest::FileExists(workFolder + name)) texts[name] = gbtest::ReadFile(workFolder + name);
        reader.DeleteUnpackedFiles();
        CPathName script(nullptr);
        if (reader.GetScriptPath(script)) script.Delete();
        for (const char* name : {"Aquarium.scr", "icd0.dat", "splash.png", "ReadMe.txt", "License.txt"})
          CPathName(workFolder + name).Delete();
        static_cast<void>(reader.Close());
      }
      EXPECT_EQ(texts.count("ReadMe.txt") == 1 && texts["ReadMe.txt"] == ToBytes("read me"), c.readMeIn) << trace;
      EXPECT_EQ(texts.count("License.txt") == 1 && texts["License.txt"] == ToBytes("read me"), c.licenceIn)
          << trace;
      EXPECT_EQ(texts.count("License.txt/") + texts.count("ReadMe.txt/"), 0u) << trace;
    }
  }

  // The picture: a folder or a link that leads nowhere is left out with a
  // note and the template's picture goes in; a link to a picture is drawn.
  list.SetInstallerHasReadMe(false);
  list.SetInstallerHasLicense(false);
  list.SetInstallerHasCustomPic(true);
  const std::string resources = outputFolder + "Install_Aquarium.app/Contents/Resources/";
  for (const char* picture : {"folder", "dangling"}) {
    list.SetInstallerCustomPic(CPathName(projectFolder + picture));
    ASSERT_TRUE(BuildCurrent(false, false, true, true)) << picture << ": " << LastLog();
    EXPECT_TRUE(LogMentions("The picture \"" + projectFolder + picture + "\" cannot be opened")) << picture;
    EXPECT_EQ(gbtest::ReadTextFile(resources + "splash.png"), "default picture") << picture;
  }
  const std::string png = outside + "picture.png";
  const Bytes pixels(size_t(40) * 30 * 3, 200);
  ASSERT_TRUE(SaveRgbAsPngFile(40, 30, 24, pixels.data(), CPathName(png), nullptr, 0));
  Link(png, projectFolder + "picture-link");
  list.SetInstallerCustomPic(CPathName(projectFolder + "picture-link"));
  ASSERT_TRUE(BuildCurrent(false, false, true, false)) << LastLog();
  EXPECT_FALSE(LogMentions("cannot be opened")) << LastLog();
  struct stat info;
  ASSERT_EQ(lstat((resources + "splash.png").c_str(), &info), 0);
  EXPECT_TRUE(S_ISREG(info.st_mode));
  EXPECT_NE(gbtest::ReadTextFile(resources + "splash.png"), "default picture");
}

}  // namespace
