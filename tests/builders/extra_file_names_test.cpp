// An extra file whose name ends in ':' goes into every Mac output under
// that name with its own bytes: the ':' of a POSIX name belongs to the name
// and is no separator, so the file beside it without the ':' never stands in
// for it. Windows cannot hold the name: the Windows outputs refuse it. Names
// that the systems fold together, or cannot hold, never reach an output;
// neither do those of the files inside an extra folder.
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "builders/data_archive.h"
#include "builders/installer_archive.h"
#include "builders/installer_builder.h"
#include "builders/saver_project.h"
#include "builders/saver_project_builder.h"
#include "platform/roots.h"
#include "platform/text_encoding.h"
#include "tests/builders/archive_test_support.h"
#include "tests/builders/saver_test_support.h"
#include "tests/support/test_support.h"

namespace {

using gbtest::Bytes;
using savertest::FolderEntries;

using savertest::Packed;

class ExtraFileNames : public savertest::AllOutputsTest {};

struct Output {
  const char* what;
  bool (*build)(ExtraFileNames& test);
  Packed (*packed)(ExtraFileNames& test);
  bool windows;  // an output for Windows
};

// Every output that packs extra files, of both generations.
const std::vector<Output>& AllOutputs() {
  static const std::vector<Output> outputs = {
        {"Mac saver", [](ExtraFileNames& t) { return t.BuildCurrent(true, false, false, false); },
         [](ExtraFileNames& t) { return ExtraFileNames::BundleFiles(t.MacOutput()); }, false},
        {"Windows saver", [](ExtraFileNames& t) { return t.BuildCurrent(false, true, false, false); },
         [](ExtraFileNames& t) { return ExtraFileNames::ArchiveFiles(t.WinOutput()); }, true},
        {"Mac installer", [](ExtraFileNames& t) { return t.BuildCurrent(false, false, true, false); },
         [](ExtraFileNames& t) {
           return ExtraFileNames::InstalledFiles(t.outputFolder + "Install_Aquarium.app", "Aquarium.saver");
         },
         false},
        {"Windows installer", [](ExtraFileNames& t) { return t.BuildCurrent(false, false, false, true); },
         [](ExtraFileNames& t) { return t.WindowsInstallerFiles(); }, true},
        {"first-generation saver", [](ExtraFileNames& t) { return t.BuildFirstGeneration(ExtraFileNames::FirstGeneration::kSaver); },
         [](ExtraFileNames& t) { return ExtraFileNames::BundleFiles(t.MacOutput()); }, false},
        {"first-generation Windows saver",
         [](ExtraFileNames& t) { return t.BuildFirstGeneration(ExtraFileNames::FirstGeneration::kWindowsSaver); },
         [](ExtraFileNames& t) { return ExtraFileNames::ArchiveFiles(t.WinOutput()); }, true},
        {"first-generation installer",
         [](ExtraFileNames& t) { return t.BuildFirstGeneration(ExtraFileNames::FirstGeneration::kInstaller); },
         [](ExtraFileNames& t) {
           return ExtraFileNames::InstalledFiles(t.outputFolder + "InstallAquarium.app", "Aquarium.saver");
         },
         false},
    };
  return outputs;
}

TEST_F(ExtraFileNames, ANameEndingInAColonIsPackedUnderItselfByTheMacOrRefusedForWindows) {
  struct Case {
    const char* what;
    bool withColon;     // "y.txt:" is there
    bool withoutColon;  // "y.txt" is there
  };
  const Case cases[] = {{"both files", true, true}, {"only y.txt:", true, false}, {"only y.txt", false, true}};

  for (const Output& output : AllOutputs()) {
    for (const Case& c : cases) {
      SetUp();  // every case starts afresh
      const std::string trace = std::string(output.what) + ", " + c.what;
      const std::string extra = projectFolder + "y.txt:";
      if (c.withColon) AddFile("y.txt:", "the colon's own bytes");
      if (c.withoutColon) AddFile("y.txt", "the bytes of another file");
      AddExtra(extra);

      const bool built = output.build(*this);
      if (!c.withColon || output.windows) {
        // Refused with the name as it was given; nothing is left behind.
        EXPECT_FALSE(built) << trace;
        const std::string reason = c.withColon ? "The name of \"" + extra + "\" cannot be used on Windows"
                                               : "\"" + extra + "\" cannot be found";
        EXPECT_TRUE(LogMentions(reason)) << trace << ": " << (log.empty() ? "" : log.back());
        EXPECT_TRUE(FolderEntries(outputFolder).empty()) << trace;
        continue;
      }
      EXPECT_TRUE(built) << trace << ": " << (log.empty() ? "" : log.back());
      if (!built) continue;
      const Packed packed = output.packed(*this);
      EXPECT_EQ(packed.count("y.txt"), 0u) << trace;
      const auto own = packed.find("y.txt:");
      EXPECT_TRUE(own != packed.end() && own->second == gbtest::ToBytes("the colon's own bytes")) << trace;
    }
  }
}

// Files whose names differ only in letter case are two files: the outputs
// cannot hold both (the systems they are for fold the case of every letter
// that Mac Roman holds, and Windows takes dotless i for 'I'), so they are
// refused before anything is built, as two files of one name are. A file
// listed twice goes in once. A path written as a folder names a folder, and
// a relative path names a file by '/' alone: neither stands for the file
// "y" beside it.
TEST_F(ExtraFileNames, NamesThatDifferInCaseAreRefusedAndAFileListedTwiceGoesInOnce) {
  struct Case {
    const char* what;
    std::vector<std::string> extras;  // below the project folder
    std::string refusal;              // what the log says; "" when it builds
  };
  const Case cases[] = {
      {"two names that differ only in case", {"A.txt", "a.txt"}, "Two files would be named \"a.txt\""},
      // Mac Roman: E acute, A diaeresis, OE, Y diaeresis, dotless i.
      {"E acute in both cases", {"\x83.txt", "\x8E.txt"}, "Two files would be named \"\x8E.txt\""},
      {"A diaeresis in both cases", {"\x80.txt", "\x8A.txt"}, "Two files would be named \"\x8A.txt\""},
      {"OE in both cases", {"\xCE.txt", "\xCF.txt"}, "Two files would be named \"\xCF.txt\""},
      {"Y diaeresis in both cases", {"\xD9.txt", "\xD8.txt"}, "Two files would be named \"\xD8.txt\""},
      {"I and dotless i", {"I.txt", "\xF5.txt"}, "Two files would be named \"\xF5.txt\""},
      {"one file listed twice", {"A.txt", "A.txt"}, ""},
      {"a folder path that names a file", {"y/"}, "y/\" cannot be found"},
      {"a relative path that ends in '\\'", {"\\y\\"}, "y\\\" cannot be found"},
  };
  for (const Output& output : AllOutputs()) {
    for (const Case& c : cases) {
      SetUp();
      const std::string trace = std::string(output.what) + ", " + c.what;
      AddFile("A.txt", "upper");
      AddFile("a.txt", "lower");
      AddFile("y", "the bytes of another file");
      for (const std::string& extra : c.extras)
        if (!gbtest::FileExists(projectFolder + plat::MacRomanToUtf8(extra)) && extra.back() != '/' && extra[0] != '\\')
          AddFile(plat::MacRomanToUtf8(extra), extra);
      for (const std::string& extra : c.extras) {
        // "\\y\\" stands for the text "y\\" resolved from the project file's folder.
        const std::string path = extra[0] == '\\'
                                     ? ResolveRelativePath(CPathName(extra.substr(1)), CPathName(projectFolder + "p.gmx"))
                                     : projectFolder + extra;
        AddExtra(path);
      }
      const bool built = output.build(*this);
      if (!c.refusal.empty()) {
        EXPECT_FALSE(built) << trace;
        EXPECT_TRUE(LogMentions(c.refusal)) << trace << ": " << (log.empty() ? "" : log.back());
        EXPECT_TRUE(FolderEntries(outputFolder).empty()) << trace;
        continue;
      }
      EXPECT_TRUE(built) << trace << ": " << (log.empty() ? "" : log.back());
      if (!built) continue;
      const Packed packed = output.packed(*this);
      EXPECT_EQ(packed.count("a.txt"), 0u) << trace;
      const auto upper = packed.find("A.txt");
      EXPECT_TRUE(upper != packed.end() && upper->second == gbtest::ToBytes("upper")) << trace;
    }
  }
}

// Names that Windows cannot hold, or holds as another name, never reach a
// Windows output: each is refused there before anything is built, naming
// the file. The Mac outputs hold them, each under its own name.
TEST_F(ExtraFileNames, NamesWindowsCannotHoldAreRefusedForWindowsAndKeptByTheMac) {
  const std::vector<std::string> names = {
      // Characters Windows refuses; DEL it takes, the control character not.
      "a<b.txt", "a>b.txt", "a\"b.txt", "a|b.txt", "a?b.txt", "a*b.txt", std::string("a\x7F\x01") + "b.txt",
      // Names Windows would take for others.
      "x.txt.", "x.txt ",
      // Devices.
      "CON", "con.txt", "COM1.txt", "lpt9", "Aux.tar.gz", "NUL .txt", "prn.",
  };
  for (const Output& output : AllOutputs()) {
    if (output.windows) {
      for (const std::string& name : names) {
        SetUp();
        const std::string trace = std::string(output.what) + ", " + name;
        // "x.txt" goes in beside each: Windows takes "x.txt." for it.
        AddExtra(AddFile("x.txt", "plain"));
        AddExtra(AddFile(name, name));
        EXPECT_FALSE(output.build(*this)) << trace;
        EXPECT_TRUE(LogMentions("The name of \"" + projectFolder + name + "\" cannot be used on Windows"))
            << trace << ": " << (log.empty() ? "" : log.back());
        EXPECT_TRUE(FolderEntries(outputFolder).empty()) << trace;
      }
      continue;
    }
    SetUp();
    AddExtra(AddFile("x.txt", "plain"));
    for (const std::string& name : names) AddExtra(AddFile(name, name));
    const bool built = output.build(*this);
    EXPECT_TRUE(built) << output.what << ": " << (log.empty() ? "" : log.back());
    if (!built) continue;
    const Packed packed = output.packed(*this);
    for (const std::string& name : names) {
      const auto own = packed.find(name);
      EXPECT_TRUE(own != packed.end() && own->second == gbtest::ToBytes(name)) << output.what << ", " << name;
    }
  }
}

// Every name inside an extra folder, at every depth, must pass what the
// name of an extra file passes, before anything is built: it has a Mac Roman
// form (a name that is not UTF-8, or a decomposed letter, has none), and no
// other name of its folder folds to the same. The Mac saver and installer
// then hold the same whole tree; the Windows savers, which hold files only,
// refuse the folder.
TEST_F(ExtraFileNames, TheNamesInsideAnExtraFolderAreCheckedAsAnExtraFilesName) {
  struct Case {
    const char* what;
    std::vector<std::string> files;  // below the folder, host names
    std::string refusal;             // what the log says, below the folder; "" when it builds
  };
  const Case cases[] = {
      {"a name Mac Roman cannot hold", {"\xE6\x97\xA5.txt"}, "/?.txt\" holds characters that cannot be used"},
      {"a name that is not UTF-8", {"sub/\xFF.txt"}, "sub/?.txt\" holds characters that cannot be used"},
      {"a decomposed e acute beside a composed one", {"e\xCC\x81.txt", "\xC3\xA9.txt"},
       "/e?.txt\" holds characters that cannot be used"},
      {"two names that differ in case, deeper down", {"sub/deep/A.txt", "sub/deep/a.txt"},
       "Folder/sub/deep/A.txt\" and \""},
      {"E acute in both cases", {"\xC3\x89.txt", "\xC3\xA9.txt"}, "Two files would be named \"\x8E.txt\""},
      {"names that Windows cannot hold", {"a:b.txt", "sub/CON"}, ""},
      {"a tree that every Mac output holds", {"A.txt", "\xC3\xA9.txt", "sub/x.txt", "sub/deep/y.txt"}, ""},
  };
  for (const Output& output : AllOutputs()) {
    for (const Case& c : cases) {
      SetUp();
      const std::string trace = std::string(output.what) + ", " + c.what;
      for (const std::string& file : c.files) AddFile("Folder/" + file, file);
      AddExtra(projectFolder + "Folder/");
      const bool built = output.build(*this);
      if (output.windows || !c.refusal.empty()) {
        const std::string refusal =
            output.windows ? "\"" + projectFolder + "Folder\" is a folder: the Windows screen saver holds files only."
                           : c.refusal;
        EXPECT_FALSE(built) << trace;
        EXPECT_TRUE(LogMentions(refusal)) << trace << ": " << (log.empty() ? "" : log.back());
        EXPECT_TRUE(FolderEntries(outputFolder).empty()) << trace;
        continue;
      }
      EXPECT_TRUE(built) << trace << ": " << (log.empty() ? "" : log.back());
      if (!built) continue;
      Packed expected;
      for (const std::string& file : c.files) expected["Folder/" + file] = gbtest::ToBytes(file);
      Packed packed = output.packed(*this);
      for (auto it = packed.begin(); it != packed.end();)
        it = it->first.rfind("Folder/", 0) == 0 && it->first.back() != '/' ? std::next(it) : packed.erase(it);
      EXPECT_EQ(packed, expected) << trace;
    }
  }
}

// A build of Mac and Windows outputs together builds none of them when a
// Windows output cannot hold what the project names: the Windows outputs are
// built last, and checked first. A Windows output that is kept as it is
// holds nothing new, and stops nothing.
TEST_F(ExtraFileNames, WhatAWindowsOutputCannotHoldStopsTheWholeBuildBeforeAMacOutputIsMade) {
  const struct {
    const char* what;
    std::string file;   // below the project folder
    std::string extra;  // below the project folder
    std::string refusal;
  } cases[] = {
      {"a name with a colon", "a:b.txt", "a:b.txt", "a:b.txt\" cannot be used on Windows"},
      {"a device name", "Nul.txt", "Nul.txt", "Nul.txt\" cannot be used on Windows"},
      {"a folder", "Folder/x.txt", "Folder/", "Folder\" is a folder: the Windows screen saver holds files only."},
  };
  for (const auto& c : cases) {
    SetUp();
    AddFile(c.file, "x");
    AddExtra(projectFolder + c.extra);
    EXPECT_FALSE(BuildCurrent(true, true, true, true)) << c.what;
    EXPECT_TRUE(LogMentions(c.refusal)) << c.what << ": " << (log.empty() ? "" : log.back());
    EXPECT_TRUE(FolderEntries(outputFolder).empty()) << c.what;
    EXPECT_TRUE(FolderEntries(workFolder).empty()) << c.what;

    // The Windows outputs are there and kept: the Mac outputs are built.
    ASSERT_TRUE(savertest::PutFile(WinOutput(), "kept saver"));
    ASSERT_TRUE(savertest::PutFile(outputFolder + "Install_Aquarium.exe", "kept installer"));
    SelectOutputs(true, true, false);
    list.SetOverwriteMacUniversal(true);
    list.SetOutputMacUniversalInstaller(true);
    list.SetOutputWinInstaller(true);
    list.SetOverwriteMacUniversalInstaller(true);
    list.SetOverwriteWinInstaller(false);
    EXPECT_TRUE(Build()) << c.what << ": " << LastStatus();
    const std::vector<std::string> built = {"Aquarium.saver/", "Aquarium.scr", "Install_Aquarium.app/",
                                            "Install_Aquarium.exe"};
    EXPECT_EQ(FolderEntries(outputFolder), built);
    EXPECT_EQ(gbtest::ReadTextFile(WinOutput()), "kept saver");
  }
}

// The Windows installer unpacks the screen saver beside its own files: a
// saver named as one of them ("ReadMe.txt" while the installer shows a
// ReadMe, "icd0.dat" always) is refused before any output is made, and
// names the installer's file; without the ReadMe the name is free.
TEST_F(ExtraFileNames, TheWindowsInstallersOwnFileNamesAreRefusedForItsSaverBeforeAnyOutputIsMade) {
  const std::string readMe = AddFile("Notes.txt", "read me");
  const struct {
    const char* saver;
    bool withReadMe;
    bool refused;
  } cases[] = {
      {"ReadMe.txt", true, true}, {"readme.TXT", true, true},  {"ReadMe.txt", false, false},
      {"icd0.dat", false, true},  {"INSTALLER.DAT", false, true}, {"License.txt", true, false},
  };
  for (const auto& c : cases) {
    SetUp();
    const std::string trace = std::string(c.saver) + (c.withReadMe ? " with a ReadMe" : "");
    list.SetWinFileName(c.saver);
    list.SetInstallerHasReadMe(c.withReadMe);
    list.SetInstallerReadMe(CPathName(readMe));
    EXPECT_EQ(BuildCurrent(true, true, true, true), !c.refused) << trace << ": " << LastStatus();
    if (!c.refused) continue;
    EXPECT_TRUE(LogMentions("would be named \"")) << trace << ": " << LastStatus();
    EXPECT_TRUE(FolderEntries(outputFolder).empty()) << trace;
    EXPECT_TRUE(FolderEntries(workFolder).empty()) << trace;
  }
}

}  // namespace
