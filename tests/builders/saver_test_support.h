// The fixture of the screen-saver build tests: a template tree of the
// test's own (engines, plug-in, language folders), a project with a movie
// in a project folder, an output folder, and a fresh work subfolder whose
// contents show what a build left behind.
#pragma once

#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "builders/build_folders.h"
#include "builders/saver_builder.h"
#include "builders/saver_data_list.h"
#include "platform/mac_types.h"

namespace savertest {

// What the template tree holds.
struct Templates {
  bool macEngine = true;
  bool winEngine = true;
  bool plugin = true;
  std::vector<std::string> languages{"English.lproj", "German.lproj"};
  // ssin/u with the installer executable, icon, default picture and one
  // language folder; ssin/w with the single-file stub.
  bool installers = true;
};

// The lines of a bundle's Info.plist before its keys.
extern const char kInfoPlistHead[];

// The installer stand-ins of the test's templates.
std::vector<u8> InstallerBytes();
std::vector<u8> InstallerStubBytes();

// A small Mac engine: its class name "OxSS" + placeholder once.
std::vector<u8> MacEngineBytes();
// A small Windows engine.
std::vector<u8> WinEngineBytes();

// Writes a file, making the folders on its way (host path).
bool PutFile(const std::string& path, const std::string& contents);

// Names of the items of a folder (host path), sorted; folders end in "/".
std::vector<std::string> FolderEntries(const std::string& folder);

class SaverProjectTest : public ::testing::Test {
 public:
  void SetUp() override { Fresh(); }
  // Starts afresh: new folders, templates and work subfolder, the project
  // reset to its movie and both saver outputs.
  void Fresh();

  // Lays the template tree out afresh under templatesBase ("ss_data/").
  void MakeTemplates(const Templates& templates);
  // A file in the project folder (sub-folders made as needed); returns its host path.
  std::string AddFile(const std::string& relative, const std::string& contents);
  // Adds an extra file to the root item (or to `item`).
  void AddExtra(const std::string& hostPath, CSwfItem* item = nullptr);
  // Selects the outputs and their overwrite flags.
  void SelectOutputs(bool mac, bool win, bool overwrite = true);
  // Runs one build with the test's templates.
  bool Build(CStaticText* status = nullptr);

  std::string MacOutput() const { return outputFolder + "Aquarium.saver"; }
  std::string WinOutput() const { return outputFolder + "Aquarium.scr"; }
  // The last status text of the build ("" when none).
  std::string LastStatus() const;
  // Whether some status text of the build holds `text`.
  bool StatusMentions(const std::string& text) const;

  std::string templatesBase;  // ".../ss_data/"
  std::string projectFolder;
  std::string outputFolder;
  std::string workFolder;  // the application's work subfolder
  std::string moviePath;
  CSaverDataList list;
  CBuildFolders folders;
  CSaverBuilder builder;
};

// What an output holds: path to bytes, as gbtest::TreeContents gives them
// ("x/" for a folder, "->text" for a link).
using Packed = std::map<std::string, std::vector<u8>>;

// The files of a folder (host path), by their path below it.
Packed FolderFiles(const std::string& folder);

// Every output of both generations, from one project: the current build
// driver's four outputs (with installers named "Install_Aquarium.app" and
// ".exe") and the first-generation builder's, from the same templates, with
// what each of them holds once unpacked or installed.
class AllOutputsTest : public SaverProjectTest {
 public:
  void SetUp() override;

  // One build of the current driver with the outputs chosen, each replacing
  // one that is there; the status texts go to `log`.
  bool BuildCurrent(bool macSaver, bool winSaver, bool macInstaller, bool winInstaller);
  // One output of the first-generation builder, from the same project (its
  // movie, extra files and the installer's texts).
  enum class FirstGeneration { kSaver, kWindowsSaver, kInstaller };
  bool BuildFirstGeneration(FirstGeneration output);

  // What a saver bundle's resources hold.
  static Packed BundleFiles(const std::string& bundle);
  // What a packed data archive holds, unpacked by our reader.
  static Packed ArchiveFiles(const std::string& file);
  // What a Mac installer installs of the saver `saverName`, for a user of its own.
  static Packed InstalledFiles(const std::string& installer, const std::string& saverName = "Aquarium.saver");
  // What the Windows installer's saver holds: the installer unpacked, then its saver.
  Packed WindowsInstallerFiles();

  bool LogMentions(const std::string& text) const;
  std::string LastLog() const { return log.empty() ? std::string() : log.back(); }

  std::vector<std::string> log;
};

}  // namespace savertest
