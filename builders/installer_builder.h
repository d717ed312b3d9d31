// CInstallerBuilder: the tree of install items of one installer with its
// settings, written out as the install script and its data files, and read
// back and installed on the user's machine.
//
// The install script "installer.dat" is an XML document: the root element
// "installer" holds the settings as attributes and one "install_item" per
// top-level item.
#pragma once

#include <memory>
#include <vector>

#include "builders/install_items.h"
#include "foundation/path_name.h"
#include "platform/mac_types.h"

struct CInstallerSettings {
  // Installer steps: the ReadMe step, the licence step.
  enum : u32 { kReadMeStep = 0x02, kLicenseStep = 0x04 };

  u32 steps = 0;
  s32 min_os_version = 0;
  u32 silent = 0;
  u32 run_end_script = 0;
  CPathName readMePath{nullptr};
  CPathName licensePath{nullptr};
  CPathName picturePath{nullptr};

  // The installer settings file "icd0.dat" among the bundle's resources.
  static bool GetBundleFileName(CPathName& path);
};

class CInstallerBuilder {
 public:
  // Events of the progress callback.
  enum : u32 { kInstallStarted = 1, kInstallFinished = 3 };
  typedef void (*ProgressCallback)(u32 event, u32 userWord);

  CInstallerBuilder();
  virtual ~CInstallerBuilder();
  CInstallerBuilder(const CInstallerBuilder&) = delete;
  CInstallerBuilder& operator=(const CInstallerBuilder&) = delete;

  // Restarts the data-file names, destroys the items and sets the four
  // settings words to 0.
  void Clear();

  // Writes the data files of every item into the folder, then the install
  // script "installer.dat" beside them, so that the script describes the
  // data files as they were written. False at the first fork that cannot
  // be read or file that cannot be written (no script is written then;
  // GetFailedPath names the file).
  bool WriteInstallFiles(const CPathName& folder);
  // Writes the install script (created, replacing); false when it cannot be
  // written whole.
  bool WriteScript(const CPathName& path) const;

  // Reads the install script from the bundle's resources ("installer.dat").
  bool LoadScript();
  // Reads an install script: the settings and the install items of the first
  // element "installer". False, with nothing loaded, when the file cannot be
  // read or parsed, has no such element, or names an item or data file with
  // a name that cannot be installed.
  bool LoadScriptFile(const CPathName& path);
  // Loads the script and installs every item in order, the data files read
  // from the bundle's resources; the progress callback hears of the start
  // and the end. False when the script does not load, or at the first item
  // that fails.
  bool Install();
  void SetProgressCallback(ProgressCallback callback, u32 userWord) {
    progressCallback = callback;
    progressUserWord = userWord;
  }

  CInstallerSettings& GetSettings() { return settings; }
  const CInstallerSettings& GetSettings() const { return settings; }
  const std::vector<std::unique_ptr<CInstallItem>>& GetItems() const { return items; }
  // Takes ownership; returns the item.
  CInstallItem* AppendItem(CInstallItem* item);
  CInstallFolder* FindFolderByName(const char* name) const;
  CInstallFile* FindFileByName(const char* name) const;
  // The sum of CountItems over the top-level items (which are not counted).
  int CountItems() const;

  // The folder that received the script and data files last.
  const CPathName& GetOutputFolder() const { return outputFolder; }
  // The source that made WriteInstallFiles fail.
  const CPathName& GetFailedPath() const { return failedPath; }

 protected:
  ProgressCallback progressCallback = nullptr;
  u32 progressUserWord = 0;
  std::vector<std::unique_ptr<CInstallItem>> items;
  CPathName outputFolder{nullptr};
  CPathName failedPath{nullptr};
  CInstallerSettings settings;
};
