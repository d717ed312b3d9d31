#include "builders/data_list.h"

#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "builders/project_change_count.h"
#include "builders/saver_data_list.h"
#include "foundation/string_buffer.h"
#include "tests/builders/model_fixtures.h"
#include "tests/support/test_support.h"

namespace {

struct OutputNames {
  std::string macPpc, macIntel, macUniversal, win, linux;
  std::string macPpcInstaller, macIntelInstaller, macUniversalInstaller, winInstaller, linuxInstaller;
};

OutputNames NamesOf(const CSaverDataList& list) {
  return {list.GetMacPpcFileName(),          list.GetMacIntelFileName(),
          list.GetMacUniversalFileName(),    list.GetWinFileName(),
          list.GetLinuxFileName(),           list.GetMacPpcInstallerFileName(),
          list.GetMacIntelInstallerFileName(), list.GetMacUniversalInstallerFileName(),
          list.GetWinInstallerFileName(),    list.GetLinuxInstallerFileName()};
}

void ExpectNames(const CSaverDataList& list, const OutputNames& expected) {
  const OutputNames names = NamesOf(list);
  EXPECT_EQ(names.macPpc, expected.macPpc);
  EXPECT_EQ(names.macIntel, expected.macIntel);
  EXPECT_EQ(names.macUniversal, expected.macUniversal);
  EXPECT_EQ(names.win, expected.win);
  EXPECT_EQ(names.linux, expected.linux);
  EXPECT_EQ(names.macPpcInstaller, expected.macPpcInstaller);
  EXPECT_EQ(names.macIntelInstaller, expected.macIntelInstaller);
  EXPECT_EQ(names.macUniversalInstaller, expected.macUniversalInstaller);
  EXPECT_EQ(names.winInstaller, expected.winInstaller);
  EXPECT_EQ(names.linuxInstaller, expected.linuxInstaller);
}

const OutputNames kUntitled = {"UntitledPPC.saver",       "UntitledIntel.saver",
                               "Untitled.saver",          "Untitled.scr",
                               "Untitledrh",              "Install_UntitledPPC.app",
                               "Install_UntitledIntel.app", "Install_Untitled.app",
                               "Install_Untitled.exe",    "Install_Untitledrh"};

TEST(SaverDataList, NewProjectHasTheScreenSaverDefaults) {
  CSaverDataList list;
  ExpectNames(list, kUntitled);
  EXPECT_EQ(list.GetName(), "Untitled");
  EXPECT_EQ(list.GetListName(), "flash_saver_datalist");
  EXPECT_TRUE(list.GetOutputDefaultFileNames());
  EXPECT_FALSE(list.GetOutputMacUniversalInstaller() || list.GetOutputWinInstaller() ||
               list.GetOutputMacPpcInstaller() || list.GetOutputMacIntelInstaller() ||
               list.GetOutputLinuxInstaller());
  EXPECT_FALSE(list.GetOutputMacUniversal() || list.GetOutputWin());
  EXPECT_TRUE(list.GetExitOnMouseMove() && list.GetExitOnMouseClick() && list.GetExitOnKeyPress());
  EXPECT_TRUE(list.GetHideMouseCursor());
  EXPECT_EQ(list.GetInstallerType(), kInstallerTypeStandard);
  EXPECT_EQ(list.GetDoAfterInstall(), kDoAfterInstallNothing);
  EXPECT_FALSE(list.GetOutputFolder().IsSameAs(CPathName(nullptr)));
  EXPECT_TRUE(list.GetOutputFolder().IsSameAs(CPathName::GetDesktopFolder()));
  EXPECT_EQ(list.GetCurrentData(), nullptr);
  CSwfItem* root = list.GetRootItem();
  ASSERT_NE(dynamic_cast<CSaverSwfItem*>(root), nullptr);
  EXPECT_EQ(root->GetWindowName(), "MainWindow");
  EXPECT_TRUE(root->GetWindowIsVisible());
  EXPECT_EQ(root->GetWindowTitle(), "Window");
  EXPECT_EQ(root->GetWindowSizeMode(), kWindowSizeSwf);
  EXPECT_EQ(root->GetFlashQuality(), kFlashQualityHigh);
}

TEST(SaverDataList, RenamingDerivesTheOutputNamesWhileDefaultNamesAreOn) {
  CSaverDataList list;
  list.SetName("Aquarium");
  ExpectNames(list, {"AquariumPPC.saver", "AquariumIntel.saver", "Aquarium.saver", "Aquarium.scr",
                     "Aquariumrh", "Install_AquariumPPC.app", "Install_AquariumIntel.app",
                     "Install_Aquarium.app", "Install_Aquarium.exe", "Install_Aquariumrh"});

  // An empty name gives the bare extensions.
  list.SetName("");
  EXPECT_EQ(list.GetMacUniversalFileName(), ".saver");
  EXPECT_EQ(list.GetMacUniversalInstallerFileName(), "Install_.app");

  // Names edited by hand are derived afresh by a rename, even to the same name.
  list.SetName("Aquarium");
  list.SetWinFileName("Mine.scr");
  list.SetName("Aquarium");
  EXPECT_EQ(list.GetWinFileName(), "Aquarium.scr");

  // With default names off a rename keeps every name.
  CSaverDataList fixed;
  ASSERT_TRUE(modeltest::ReadListXml(fixed, "<flash_saver_datalist output_default_filenames=\"false\" />",
                                     gbtest::MakeTempFolder("rename")));
  fixed.SetName("Aquarium");
  EXPECT_EQ(fixed.GetName(), "Aquarium");
  ExpectNames(fixed, kUntitled);
}

TEST(DataList, ProjectorListDerivesApplicationNames) {
  CDataList list;
  EXPECT_EQ(list.GetListName(), "flash_projector_datalist");
  EXPECT_FALSE(list.GetHideMouseCursor());
  struct Case {
    const char* name;
    const char* ppc;
    const char* intel;
    const char* universal;
    const char* win;
    const char* linux;
  } cases[] = {
      {"Aquarium", "AquariumPPC.app", "AquariumIntel.app", "Aquarium.app", "Aquarium.exe", "Aquariumrh"},
      {"", "UntitledPPC.app", "UntitledIntel.app", "Untitled.app", "Untitled.exe", "Untitledrh"},
  };
  for (const Case& c : cases) {
    list.SetName(c.name);
    EXPECT_EQ(list.GetMacPpcFileName(), c.ppc);
    EXPECT_EQ(list.GetMacIntelFileName(), c.intel);
    EXPECT_EQ(list.GetMacUniversalFileName(), c.universal);
    EXPECT_EQ(list.GetWinFileName(), c.win);
    EXPECT_EQ(list.GetLinuxFileName(), c.linux);
  }
}

// A projector's Windows output is a file for Windows; its Mac outputs may
// hold what Windows cannot, but no two outputs may be one file once letter
// case is folded.
TEST(DataList, ProjectorOutputNamesAreCheckedForTheSystemsTheyAreFor) {
  const std::string folder = gbtest::MakeTempFolder("projector_names");
  struct Case {
    const char* universal;
    const char* win;  // "" when not built
    const char* refusal;
  } cases[] = {
      {"Reef: <1>.app", "Reef.exe", ""},
      {"Reef.app", "Reef <1>.exe", "\"Reef <1>.exe\" cannot be used on Windows"},
      {"Reef.app", "LPT1.exe", "\"LPT1.exe\" cannot be used on Windows"},
      {"Reef.app", "Reef.exe ", "\"Reef.exe \" cannot be used on Windows"},
      {"Reef.app", "", ""},
      // A ring in its two cases.
      {"\x81.EXE", "\x8C.exe", "Two outputs would be written to the same file \"\x8C.exe\""},
  };
  for (const Case& c : cases) {
    CDataList list;
    list.SetOutputFolder(CPathName(folder));
    list.SetOutputMacUniversal(true);
    list.SetMacUniversalFileName(c.universal);
    list.SetOutputWin(c.win[0] != 0);
    list.SetWinFileName(c.win[0] ? c.win : "Reef?.exe");
    CStringBuffer message("untouched");
    EXPECT_EQ(list.ValidateOutputNames(&message), c.refusal[0] == 0) << c.universal << " " << c.win;
    if (c.refusal[0]) {
      EXPECT_NE(std::string(message.GetText()).find(c.refusal), std::string::npos) << message.GetText();
    }
  }
}

TEST(SaverDataList, SettersCountOnlyRealChanges) {
  const CPathName fileA("/tmp/model-a.txt"), fileB("/tmp/model-b.txt");
  struct Case {
    const char* what;
    std::function<void(CSaverDataList&)> change;
    u32 counted;  // by the first call; a second identical call never counts
  } cases[] = {
      {"output folder", [&](CSaverDataList& l) { l.SetOutputFolder(CPathName("/tmp/elsewhere/")); }, 1},
      {"Mac icon", [&](CSaverDataList& l) { l.SetMacAppIconPath(fileA); }, 1},
      {"Windows icon", [&](CSaverDataList& l) { l.SetWinAppIconPath(fileA); }, 1},
      {"Linux icon", [&](CSaverDataList& l) { l.SetLinuxAppIconPath(fileA); }, 1},
      {"Mac PPC name", [](CSaverDataList& l) { l.SetMacPpcFileName("x"); }, 1},
      {"Mac Intel name", [](CSaverDataList& l) { l.SetMacIntelFileName("x"); }, 1},
      {"Mac name", [](CSaverDataList& l) { l.SetMacUniversalFileName("x"); }, 1},
      {"Windows name", [](CSaverDataList& l) { l.SetWinFileName("x"); }, 1},
      {"Linux name", [](CSaverDataList& l) { l.SetLinuxFileName("x"); }, 1},
      {"Mac output", [](CSaverDataList& l) { l.SetOutputMacUniversal(true); }, 1},
      {"Windows output", [](CSaverDataList& l) { l.SetOutputWin(true); }, 1},
      {"hide cursor", [](CSaverDataList& l) { l.SetHideMouseCursor(false); }, 1},
      {"overwrite Mac PPC", [](CSaverDataList& l) { l.SetOverwriteMacPpc(true); }, 0},
      {"overwrite Mac Intel", [](CSaverDataList& l) { l.SetOverwriteMacIntel(true); }, 0},
      {"overwrite Mac", [](CSaverDataList& l) { l.SetOverwriteMacUniversal(true); }, 0},
      {"overwrite Windows", [](CSaverDataList& l) { l.SetOverwriteWin(true); }, 0},
      {"overwrite Linux", [](CSaverDataList& l) { l.SetOverwriteLinux(true); }, 0},
      {"name", [](CSaverDataList& l) { l.SetName("Renamed"); }, 0},
      {"Mac installer", [](CSaverDataList& l) { l.SetOutputMacUniversalInstaller(true); }, 1},
      {"Windows installer", [](CSaverDataList& l) { l.SetOutputWinInstaller(true); }, 1},
      {"overwrite Mac installer", [](CSaverDataList& l) { l.SetOverwriteMacUniversalInstaller(true); }, 1},
      {"overwrite Windows installer", [](CSaverDataList& l) { l.SetOverwriteWinInstaller(true); }, 1},
      {"has picture", [](CSaverDataList& l) { l.SetInstallerHasCustomPic(true); }, 1},
      {"has ReadMe", [](CSaverDataList& l) { l.SetInstallerHasReadMe(true); }, 1},
      {"has licence", [](CSaverDataList& l) { l.SetInstallerHasLicense(true); }, 1},
      {"picture", [&](CSaverDataList& l) { l.SetInstallerCustomPic(fileB); }, 1},
      {"ReadMe", [&](CSaverDataList& l) { l.SetInstallerReadMe(fileB); }, 1},
      {"licence", [&](CSaverDataList& l) { l.SetInstallerLicense(fileB); }, 1},
      {"exit on move", [](CSaverDataList& l) { l.SetExitOnMouseMove(false); }, 1},
      {"exit on click", [](CSaverDataList& l) { l.SetExitOnMouseClick(false); }, 1},
      {"exit on key", [](CSaverDataList& l) { l.SetExitOnKeyPress(false); }, 1},
      {"installer type", [](CSaverDataList& l) { l.SetInstallerType(kInstallerTypeQuiet); }, 1},
      {"after install", [](CSaverDataList& l) { l.SetDoAfterInstall(kDoAfterInstallOpenSaverPanel); }, 1},
      {"Mac PPC installer name", [](CSaverDataList& l) { l.SetMacPpcInstallerFileName("i"); }, 1},
      {"Mac Intel installer name", [](CSaverDataList& l) { l.SetMacIntelInstallerFileName("i"); }, 1},
      {"Mac installer name", [](CSaverDataList& l) { l.SetMacUniversalInstallerFileName("i"); }, 1},
      {"Windows installer name", [](CSaverDataList& l) { l.SetWinInstallerFileName("i"); }, 1},
      {"Linux installer name", [](CSaverDataList& l) { l.SetLinuxInstallerFileName("i"); }, 1},
      {"window title", [](CSaverDataList& l) { l.GetRootItem()->SetWindowTitle("T"); }, 1},
      {"window name", [](CSaverDataList& l) { l.GetRootItem()->SetWindowName("N"); }, 0},
      {"window visible", [](CSaverDataList& l) { l.GetRootItem()->SetWindowIsVisible(false); }, 1},
      {"window mask", [&](CSaverDataList& l) { l.GetRootItem()->SetWindowMaskPath(fileA); }, 1},
      {"size mode", [](CSaverDataList& l) { l.GetRootItem()->SetWindowSizeMode(kWindowSizeCustom); }, 1},
      {"left mouse", [](CSaverDataList& l) { l.GetRootItem()->SetLeftMouseAction(kMouseActionDrag); }, 1},
      {"right mouse", [](CSaverDataList& l) { l.GetRootItem()->SetRightMouseAction(kMouseActionIgnore); }, 1},
      {"escape", [](CSaverDataList& l) { l.GetRootItem()->SetExitOnEscape(false); }, 1},
      {"use colour", [](CSaverDataList& l) { l.GetRootItem()->SetUseFlashBgColor(true); }, 1},
      {"colour", [](CSaverDataList& l) { l.GetRootItem()->SetFlashBgColor(0x00FF8040); }, 1},
      {"quality", [](CSaverDataList& l) { l.GetRootItem()->SetFlashQuality(kFlashQualityBest); }, 1},
  };
  for (const Case& c : cases) {
    CSaverDataList list;
    ResetProjectChangeCount();
    c.change(list);
    EXPECT_EQ(TakeProjectChangeCount(true), c.counted) << c.what;
    c.change(list);
    EXPECT_EQ(TakeProjectChangeCount(true), 0u) << c.what << " again";
  }
}

// A path that differs only in letter case names another item on the volumes
// here: the setter stores it. The same path, however it is written, is no
// change.
TEST(SaverDataList, PathSettersTellPathsApartByLetterCase) {
  const std::string folder = gbtest::MakeTempFolder("path-setters");
  ASSERT_TRUE(gbtest::WriteFile(folder + "a.swf", "FWS"));
  ASSERT_TRUE(gbtest::WriteFile(folder + "A.swf", "FWS"));
  CSaverDataList list;
  EXPECT_TRUE(list.SetOutputFolder(CPathName("/tmp/Output/")));
  ResetProjectChangeCount();
  EXPECT_FALSE(list.SetOutputFolder(CPathName("/tmp/Output/")));
  EXPECT_TRUE(list.SetOutputFolder(CPathName("/TMP/output/")));
  EXPECT_EQ(list.GetOutputFolder().GetString(), "/TMP/output/");
  EXPECT_TRUE(list.SetInstallerReadMe(CPathName(folder + "a.swf")));
  EXPECT_FALSE(list.SetInstallerReadMe(CPathName(folder + "a.swf")));
  EXPECT_TRUE(list.SetInstallerReadMe(CPathName(folder + "A.swf")));
  EXPECT_EQ(list.GetInstallerReadMe().GetString(), folder + "A.swf");
  // The icon setters report true whether or not the path changed.
  EXPECT_TRUE(list.SetMacAppIconPath(CPathName("/tmp/a.icns")));
  EXPECT_TRUE(list.SetMacAppIconPath(CPathName("/tmp/a.icns")));
  EXPECT_TRUE(list.SetMacAppIconPath(CPathName("/tmp/A.icns")));
  EXPECT_EQ(TakeProjectChangeCount(true), 5u);
  // So does the movie.
  ASSERT_TRUE(list.GetRootItem()->SetSwfFile(CPathName(modeltest::WriteMovie(folder + "m.swf"))));
  ASSERT_TRUE(list.GetRootItem()->SetSwfFile(CPathName(modeltest::WriteMovie(folder + "M.swf"))));
  EXPECT_EQ(list.GetRootItem()->GetSwfFile().GetString(), folder + "M.swf");
}

TEST(SaverDataList, ResetCountsTheRootWindowMadeVisible) {
  CSaverDataList list;
  list.GetRootItem()->SetWindowIsVisible(false);
  list.SetWinFileName("Other.scr");
  ResetProjectChangeCount();
  list.Reset();
  EXPECT_EQ(TakeProjectChangeCount(false), 1u);
  EXPECT_EQ(list.GetWinFileName(), "Untitled.scr");
}

TEST(DataList, CurrentDataSelectsTheRootOrOneOfItsSubItems) {
  CSaverDataList list;
  CSwfItem* root = list.GetRootItem();
  CSwfItem* first = root->AddSubItem();
  CSwfItem* second = root->AddSubItem();
  CSwfItem* nested = first->AddSubItem();
  EXPECT_EQ(first->GetParent(), root);
  struct Case {
    int index;
    bool ok;
    CSwfItem* selected;
  } cases[] = {{0, true, root}, {1, true, first}, {2, true, second}, {3, false, nullptr}, {-1, false, nullptr}};
  for (const Case& c : cases) {
    EXPECT_EQ(list.SetCurrentDataIndex(c.index), c.ok) << c.index;
    EXPECT_EQ(list.GetCurrentData(), c.selected) << c.index;
  }
  EXPECT_EQ(list.GetCurrentDataIndex(root), 0);
  EXPECT_EQ(list.GetCurrentDataIndex(second), 2);
  EXPECT_EQ(list.GetCurrentDataIndex(nested), -1);
  EXPECT_EQ(list.GetCurrentDataIndex(nullptr), -1);
}

TEST(DataList, RemoveSubItemDeletesOnlyTheRootsSubItems) {
  CSaverDataList list;
  CSwfItem* root = list.GetRootItem();
  CSwfItem* first = root->AddSubItem();
  ASSERT_NE(root->AddSubItem(), nullptr);
  CSwfItem* nested = first->AddSubItem();
  CSaverDataList other;

  ASSERT_TRUE(list.SetCurrentDataIndex(1));
  EXPECT_FALSE(list.RemoveSubItem(nullptr));
  EXPECT_FALSE(list.RemoveSubItem(root));
  // Items that are not the root's sub-items change nothing, current data included.
  EXPECT_TRUE(list.RemoveSubItem(nested));
  EXPECT_TRUE(list.RemoveSubItem(other.GetRootItem()));
  EXPECT_EQ(list.GetCurrentData(), first);
  EXPECT_EQ(root->GetSubItemCount(), 2);

  EXPECT_TRUE(list.RemoveSubItem(first));
  EXPECT_EQ(root->GetSubItemCount(), 1);
  EXPECT_EQ(list.GetCurrentData(), nullptr);

  ASSERT_TRUE(list.SetCurrentDataIndex(1));
  EXPECT_TRUE(list.DeleteAllSubItems());
  EXPECT_EQ(root->GetSubItemCount(), 0);
  EXPECT_EQ(list.GetCurrentData(), nullptr);
}

TEST(SaverDataList, OutputPathsLieInTheOutputFolder) {
  CSaverDataList list;
  const std::string folder = gbtest::MakeTempFolder("outputs");
  list.SetOutputFolder(CPathName(folder));
  list.SetName("Aquarium");
  struct Case {
    bool (CSaverDataList::*pathOf)(CPathName&) const;
    const char* name;
  } cases[] = {
      {&CSaverDataList::GetMacPpcOutputPath, "AquariumPPC.saver"},
      {&CSaverDataList::GetMacIntelOutputPath, "AquariumIntel.saver"},
      {&CSaverDataList::GetMacUniversalOutputPath, "Aquarium.saver"},
      {&CSaverDataList::GetWinOutputPath, "Aquarium.scr"},
      {&CSaverDataList::GetLinuxOutputPath, "Aquariumrh"},
      {&CSaverDataList::GetMacPpcInstallerOutputPath, "Install_AquariumPPC.app"},
      {&CSaverDataList::GetMacIntelInstallerOutputPath, "Install_AquariumIntel.app"},
      {&CSaverDataList::GetMacUniversalInstallerOutputPath, "Install_Aquarium.app"},
      {&CSaverDataList::GetWinInstallerOutputPath, "Install_Aquarium.exe"},
      {&CSaverDataList::GetLinuxInstallerOutputPath, "Install_Aquariumrh"},
  };
  for (const Case& c : cases) {
    CPathName path(nullptr);
    EXPECT_TRUE((list.*c.pathOf)(path));
    EXPECT_EQ(path.GetString(), folder + c.name);
  }

  // A name that is no one item's name gives no path, not a stale one.
  CPathName path("/stale");
  list.SetWinFileName("");
  EXPECT_FALSE(list.GetWinOutputPath(path));
  EXPECT_TRUE(path.IsEmpty());
  list.SetWinFileName("../Aquarium.scr");
  EXPECT_FALSE(list.GetWinOutputPath(path));
  EXPECT_TRUE(path.IsEmpty());
}

TEST(SaverDataList, OutputNamesAreCheckedBeforeABuild) {
  const std::string folder = gbtest::MakeTempFolder("check_names");
  struct Case {
    const char* what;
    std::function<void(CSaverDataList&)> setUp;
    bool ok;
    const char* shownName;   // the name the message quotes
    const char* reason = "";  // and what it says of it
  } cases[] = {
      {"defaults", [](CSaverDataList&) {}, true, ""},
      {"empty", [](CSaverDataList& l) { l.SetWinFileName(""); }, false, "\"\""},
      {"dot", [](CSaverDataList& l) { l.SetMacUniversalFileName("."); }, false, "\".\""},
      {"dot dot", [](CSaverDataList& l) { l.SetWinInstallerFileName(".."); }, false, "\"..\""},
      {"slash", [](CSaverDataList& l) { l.SetMacUniversalInstallerFileName("a/b.app"); }, false, "\"a/b.app\""},
      {"climbing", [](CSaverDataList& l) { l.SetWinFileName("../x.scr"); }, false, "\"../x.scr\""},
      {"too long", [](CSaverDataList& l) { l.SetWinFileName(std::string(256, 'a').c_str()); }, false, "aaaa"},
      // Mac Roman letters take two bytes each in the file system's UTF-8.
      {"long letters fit", [](CSaverDataList& l) { l.SetWinFileName(std::string(127, '\x8E').c_str()); }, true, ""},
      {"long letters too long",
       [](CSaverDataList& l) { l.SetWinFileName(std::string(128, '\x8E').c_str()); }, false, "\x8E\x8E"},
      {"shared path",
       [](CSaverDataList& l) {
         l.SetWinFileName("Same");
         l.SetWinInstallerFileName("same");
       },
       false, "\"same\""},
      // The systems the outputs are for fold every letter Mac Roman holds.
      {"shared path in the two cases of E acute",
       [](CSaverDataList& l) {
         l.SetWinFileName("\x83.exe");
         l.SetWinInstallerFileName("\x8E.EXE");
       },
       false, "\"\x8E.EXE\"", "Two outputs would be written to the same file"},
      {"shared path in the two cases of Y diaeresis",
       [](CSaverDataList& l) {
         l.SetMacUniversalFileName("\xD9");
         l.SetWinFileName("\xD8");
       },
       false, "\"\xD8\"", "Two outputs would be written to the same file"},
      // Names of files made for Windows: the Windows saver, also as the
      // installer installs it, and the installer.
      {"a Windows saver name with a colon", [](CSaverDataList& l) { l.SetWinFileName("a:b.scr"); }, false,
       "\"a:b.scr\"", "cannot be used on Windows"},
      {"a Windows saver name that is a device name", [](CSaverDataList& l) { l.SetWinFileName("Con.scr"); }, false,
       "\"Con.scr\"", "cannot be used on Windows"},
      {"the saver's name in the Windows installer",
       [](CSaverDataList& l) {
         l.SetOutputWin(false);
         l.SetWinFileName("why?.scr");
       },
       false, "\"why?.scr\"", "cannot be used on Windows"},
      {"a Windows installer name ending in a dot", [](CSaverDataList& l) { l.SetWinInstallerFileName("Install."); },
       false, "\"Install.\"", "cannot be used on Windows"},
      {"Mac outputs hold what Windows cannot",
       [](CSaverDataList& l) {
         l.SetMacUniversalFileName("a:b?.saver");
         l.SetMacUniversalInstallerFileName("Install <1>.");
       },
       true, ""},
      {"a Windows name of an output not built",
       [](CSaverDataList& l) {
         l.SetOutputWin(false);
         l.SetOutputWinInstaller(false);
         l.SetWinFileName("a:b.scr");
         l.SetWinInstallerFileName("aux");
       },
       true, ""},
      {"shared path of an output not built",
       [](CSaverDataList& l) {
         l.SetWinFileName("Same");
         l.SetOutputWinInstaller(false);
         l.SetWinInstallerFileName("Same");
       },
       true, ""},
      {"bad name of an output not built",
       [](CSaverDataList& l) {
         l.SetOutputMacUniversal(false);
         l.SetMacUniversalFileName("");
         l.SetMacPpcFileName("");
       },
       true, ""},
      {"no output folder", [](CSaverDataList& l) { l.SetOutputFolder(CPathName(nullptr)); }, false,
       "\"Untitled.saver\""},
  };
  for (const Case& c : cases) {
    CSaverDataList list;
    list.SetOutputFolder(CPathName(folder));
    list.SetOutputMacUniversal(true);
    list.SetOutputMacUniversalInstaller(true);
    list.SetOutputWin(true);
    list.SetOutputWinInstaller(true);
    c.setUp(list);
    CStringBuffer message("untouched");
    EXPECT_EQ(list.ValidateOutputNames(&message), c.ok) << c.what;
    if (c.ok) {
      EXPECT_STREQ(message.GetText(), "untouched") << c.what;
    } else {
      const std::string text = message.GetText();
      EXPECT_NE(text.find(c.shownName), std::string::npos) << c.what << ": " << text;
      EXPECT_NE(text.find(c.reason), std::string::npos) << c.what << ": " << text;
    }
  }
  // No message wanted: only the verdict.
  CSaverDataList list;
  list.SetOutputWin(true);
  list.SetWinFileName("");
  EXPECT_FALSE(list.ValidateOutputNames(nullptr));
}

}  // namespace
