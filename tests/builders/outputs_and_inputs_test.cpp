// No output may take the place of what the build reads: an output named
// as the movie, a sub-item's movie, an extra file or folder, the
// installer's picture, ReadMe or licence, or the project file, or a folder
// holding one of them, or written inside an extra folder, is refused by
// the check before a build, in both generations and the projector; every
// program that builds goes through that check.
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "builders/data_list.h"
#include "builders/output_files.h"
#include "builders/projector_builder.h"
#include "builders/saver_data_list.h"
#include "builders/saver_project.h"
#include "foundation/string_buffer.h"
#include "tests/builders/archive_test_support.h"
#include "tests/builders/model_fixtures.h"
#include "tests/builders/saver_test_support.h"
#include "tests/support/test_support.h"

namespace {

using savertest::PutFile;

// Everything in a folder, by path, with contents: what a check must leave as it is.
using Tree = std::vector<std::pair<std::string, gbtest::Bytes>>;

class OutputsAndInputs : public ::testing::Test {
 protected:
  void SetUp() override {
    static int runs = 0;
    const std::string run = std::to_string(++runs);
    project = gbtest::MakeTempFolder("inputs-project-" + run);
    elsewhere = gbtest::MakeTempFolder("inputs-elsewhere-" + run);
    modeltest::WriteMovie(project + "m.swf");
    modeltest::WriteMovie(project + "sub.swf");
    modeltest::WriteMovie(elsewhere + "real.swf");
    for (const char* file : {"extra.txt", "ReadMe.txt", "License.txt", "picture.png", "P.gmx", "Media/inner.txt",
                             "Built.saver/Contents/Resources/held.txt"})
      ASSERT_TRUE(PutFile(project + file, file));
    ASSERT_EQ(symlink((elsewhere + "real.swf").c_str(), (project + "linked.swf").c_str()), 0);
    ASSERT_EQ(symlink(project.c_str(), (elsewhere + "to-project").c_str()), 0);
  }

  // A saver project in the project folder with every kind of input, every
  // output selected, and its outputs in the project folder.
  void MakeSaverList(CSaverDataList& list) const {
    list.SetName("S");
    list.SetOutputFolder(CPathName(project));
    list.SetMacUniversalFileName("S.saver");
    list.SetWinFileName("S.scr");
    list.SetMacUniversalInstallerFileName("Install S.app");
    list.SetWinInstallerFileName("Install S.exe");
    list.SetOutputMacUniversal(true);
    list.SetOutputWin(true);
    list.SetOutputMacUniversalInstaller(true);
    list.SetOutputWinInstaller(true);
    CSwfItem* root = list.GetRootItem();
    ASSERT_TRUE(root->SetSwfFile(CPathName(project + "m.swf")));
    root->AddMoreFile(CPathName(project + "extra.txt"));
    root->AddMoreFile(CPathName(project + "Media/"));
    CSwfItem* sub = root->AddSubItem();
    ASSERT_NE(sub, nullptr);
    ASSERT_TRUE(sub->SetSwfFile(CPathName(project + "sub.swf")));
    list.SetInstallerType(kInstallerTypeStandard);
    list.SetInstallerHasReadMe(true);
    list.SetInstallerReadMe(CPathName(project + "ReadMe.txt"));
    list.SetInstallerHasLicense(true);
    list.SetInstallerLicense(CPathName(project + "License.txt"));
    list.SetInstallerHasCustomPic(true);
    list.SetInstallerCustomPic(CPathName(project + "picture.png"));
    list.SetProjectFile(CPathName(project + "P.gmx"));
  }

  std::string project, elsewhere;
};

// The check refuses exactly the outputs that would take an input's place,
// naming the output and the input, and touches nothing.
TEST_F(OutputsAndInputs, TheSaverListRefusesAnOutputInThePlaceOfAnInput) {
  struct Case {
    const char* what;
    std::function<void(CSaverDataList&)> change;
    std::string output, input;  // the paths the refusal names; none when it is accepted
    bool inside = false;        // written inside an input folder
  };
  const std::string p = project;
  const Case cases[] = {
      {"the outputs beside the inputs", [](CSaverDataList&) {}, "", ""},
      {"the movie", [](CSaverDataList& l) { l.SetWinFileName("m.swf"); }, p + "m.swf", p + "m.swf"},
      {"the movie in other letter case", [](CSaverDataList& l) { l.SetWinFileName("M.SWF"); }, p + "M.SWF",
       p + "m.swf"},
      {"the project file", [](CSaverDataList& l) { l.SetWinInstallerFileName("P.gmx"); }, p + "P.gmx", p + "P.gmx"},
      {"an extra file", [](CSaverDataList& l) { l.SetWinFileName("extra.txt"); }, p + "extra.txt", p + "extra.txt"},
      {"a sub-item's movie", [](CSaverDataList& l) { l.SetMacUniversalInstallerFileName("sub.swf"); },
       p + "sub.swf", p + "sub.swf"},
      {"the ReadMe", [](CSaverDataList& l) { l.SetWinFileName("ReadMe.txt"); }, p + "ReadMe.txt", p + "ReadMe.txt"},
      {"the licence", [](CSaverDataList& l) { l.SetWinFileName("License.txt"); }, p + "License.txt",
       p + "License.txt"},
      {"the picture", [](CSaverDataList& l) { l.SetWinFileName("picture.png"); }, p + "picture.png",
       p + "picture.png"},
      {"an extra folder", [](CSaverDataList& l) { l.SetMacUniversalFileName("Media"); }, p + "Media", p + "Media/"},
      {"a folder that holds an input",
       [p](CSaverDataList& l) {
         l.GetRootItem()->AddMoreFile(CPathName(p + "Built.saver/Contents/Resources/held.txt"));
         l.SetMacUniversalFileName("Built.saver");
       },
       p + "Built.saver", p + "Built.saver/Contents/Resources/held.txt"},
      {"inside an extra folder", [p](CSaverDataList& l) { l.SetOutputFolder(CPathName(p + "Media/")); },
       p + "Media/S.saver", p + "Media/", true},
      {"a link among the inputs",
       [p](CSaverDataList& l) {
         ASSERT_TRUE(l.GetRootItem()->SetSwfFile(CPathName(p + "linked.swf")));
         l.SetWinFileName("linked.swf");
       },
       p + "linked.swf", p + "linked.swf"},
      {"what a link among the inputs leads to",
       [p, this](CSaverDataList& l) {
         ASSERT_TRUE(l.GetRootItem()->SetSwfFile(CPathName(p + "linked.swf")));
         l.SetOutputFolder(CPathName(elsewhere));
         l.SetWinFileName("real.swf");
       },
       elsewhere + "real.swf", p + "linked.swf"},
      {"an output folder reached through a link",
       [this](CSaverDataList& l) {
         l.SetOutputFolder(CPathName(elsewhere + "to-project/"));
         l.SetWinFileName("extra.txt");
       },
       elsewhere + "to-project/extra.txt", p + "extra.txt"},
      // Texts of an installer that is not built, or is quiet, are no inputs.
      {"the ReadMe of a build without installers",
       [](CSaverDataList& l) {
         l.SetOutputMacUniversalInstaller(false);
         l.SetOutputWinInstaller(false);
         l.SetWinFileName("ReadMe.txt");
       },
       "", ""},
      {"the licence of a quiet installer",
       [](CSaverDataList& l) {
         l.SetInstallerType(1);
         l.SetWinFileName("License.txt");
       },
       "", ""},
      {"an output not built", [](CSaverDataList& l) {
         l.SetOutputWin(false);
         l.SetWinFileName("m.swf");
       }, "", ""},
      {"a name that only begins as an input's", [](CSaverDataList& l) { l.SetWinFileName("m.swf.scr"); }, "", ""},
  };
  const Tree before = gbtest::TreeContents(project);
  for (const Case& c : cases) {
    CSaverDataList list;
    ASSERT_NO_FATAL_FAILURE(MakeSaverList(list));
    c.change(list);
    CStringBuffer message("untouched");
    std::string host;
    const bool accepted = list.ValidateOutputNames(&message, &host);
    EXPECT_EQ(accepted, c.output.empty()) << c.what << ": " << message.GetText();
    EXPECT_EQ(gbtest::TreeContents(project), before) << c.what;
    if (c.output.empty()) continue;
    const std::string expected = "The output \"" + c.output + "\" would " +
                                 (c.inside ? "be written inside" : "replace") + " \"" + c.input + "\"";
    EXPECT_EQ(std::string(message.GetText()).find(expected), 0u) << c.what << ": " << message.GetText();
    EXPECT_EQ(host, message.GetText()) << c.what;
  }

  // Without a project file nothing stands for it.
  CSaverDataList list;
  ASSERT_NO_FATAL_FAILURE(MakeSaverList(list));
  list.SetProjectFile(CPathName(nullptr));
  list.SetWinFileName("P.gmx");
  EXPECT_TRUE(list.ValidateOutputNames(nullptr));
}

// The projector list checks its own inputs too: the window picture and the
// icon it uses.
TEST_F(OutputsAndInputs, TheProjectorListRefusesAnOutputInThePlaceOfItsPictureOrIcon) {
  const struct {
    const char* name;
    bool iconUsed;
    bool refused;
  } cases[] = {{"picture.png", false, true}, {"extra.txt", true, true}, {"extra.txt", false, false},
               {"P.gmx", false, true}};
  for (const auto& c : cases) {
    CDataList list;
    ASSERT_TRUE(modeltest::ReadListXml(
        list,
        "<flash_projector_datalist output_folder=\"" + project + "\" output_win=\"true\" output_win_filename=\"" +
            c.name + "\" output_mac_appicon=\"" + (c.iconUsed ? "true" : "false") + "\" output_mac_appicon_path=\"" +
            project + "extra.txt\" >\n<flash_projector swf=\"" + project +
            "m.swf\" window_type=\"mask\" window_mask=\"" + project +
            "picture.png\" />\n</flash_projector_datalist>\n",
        elsewhere));
    list.SetProjectFile(CPathName(project + "P.gmx"));
    list.SetOverwriteWin(true);
    CStringBuffer message;
    EXPECT_EQ(list.ValidateOutputNames(&message), !c.refused) << c.name << " " << c.iconUsed;
    if (!c.refused) continue;
    // The builder says so before anything is written.
    CProjectorBuilder builder;
    builder.SetTemplateFolder(CPathName(elsewhere));
    EXPECT_FALSE(builder.Build(list, 0)) << c.name;
    EXPECT_EQ(builder.GetStatusLog(), std::vector<std::string>{message.GetText()}) << c.name;
    EXPECT_EQ(gbtest::ReadTextFile(project + c.name), c.name) << c.name;
  }
}

// The first-generation project checks its four outputs against its movie,
// extra files, the installer's files that are on and its project file.
TEST_F(OutputsAndInputs, TheFirstGenerationProjectRefusesAnOutputInThePlaceOfAnInput) {
  modeltest::WriteMovie(project + "S.scr");
  const struct {
    const char* what;
    std::function<void(CSaverProject&)> change;
    std::string input;  // "" when accepted
  } cases[] = {
      {"apart", [](CSaverProject&) {}, ""},
      {"the movie", [this](CSaverProject& s) { ASSERT_TRUE(s.SetMovie(CPathName(project + "S.scr"))); },
       project + "S.scr"},
      {"an extra file", [this](CSaverProject& s) { s.AddMoreFile(CPathName(project + "S.scr")); }, project + "S.scr"},
      {"the project file", [this](CSaverProject& s) { s.SetProjectFile(CPathName(project + "S.scr")); },
       project + "S.scr"},
      {"the ReadMe that is on",
       [this](CSaverProject& s) {
         s.SetInstallerReadme(true);
         s.SetInstallerReadmeSrc(CPathName(project + "Install S.app"));
       },
       project + "Install S.app"},
      {"the ReadMe that is off", [this](CSaverProject& s) { s.SetInstallerReadmeSrc(CPathName(project + "S.scr")); },
       ""},
      {"an extra folder holding the outputs", [this](CSaverProject& s) { s.AddMoreFile(CPathName(project)); },
       project},
  };
  for (const auto& c : cases) {
    CSaverProject saver;
    saver.SetName("S");
    saver.SetInstallerPrefix("Install ");
    saver.SetInstallerSuffix("");
    ASSERT_TRUE(saver.SetMovie(CPathName(project + "m.swf")));
    saver.SetOutputFolder(CPathName(project));
    saver.SetProjectFile(CPathName(project + "P.gmx"));
    c.change(saver);
    CStringBuffer message;
    EXPECT_EQ(saver.ValidateOutputNames(&message), c.input.empty()) << c.what << ": " << message.GetText();
    if (c.input.empty()) continue;
    EXPECT_NE(std::string(message.GetText()).find(" \"" + c.input + "\", which the build reads"), std::string::npos)
        << c.what << ": " << message.GetText();
  }
}

}  // namespace
