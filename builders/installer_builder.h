// CInstallerBuilder: the tree of install items of one installer with its
// settings, written out as the install script and its data files, built
// into an installer, and read back and installed on the user's machine.
//
// The install script "installer.dat" is an XML document: the root element
// "installer" holds the settings as attributes and one "install_item" per
// top-level item.
//
// An installer takes one of two forms:
// - an application bundle: "Contents" with "MacOS" (the installer
//   executable) and "Resources" (localisations, icon, picture, texts, the
//   settings file "icd0.dat", the install script and its data files);
// - a single file: the installer stub "ssin.dat" followed by an installer
//   data archive (installer_archive.h) holding the files of the tree, the
//   script, the picture, the texts and the settings file.
// Both are assembled aside (the bundle in a staging folder of the work
// folder, the single file under a hidden name beside its destination) and
// put in place only when complete, so a failed build never loses an
// installer that was there. A subclass supplies the executable, the
// bundle's "Info.plist" and "PkgInfo" and its own resources through the
// virtual steps.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "builders/install_items.h"
#include "foundation/bitmap_image.h"
#include "foundation/path_name.h"
#include "platform/mac_types.h"

class CInstallerArchiveWriter;
class CStagingFolder;

struct CInstallerSettings {
  // Installer steps: the ReadMe step, the licence step, and the two steps
  // every installer of this system shows.
  enum : u32 { kReadMeStep = 0x02, kLicenseStep = 0x04, kStandardSteps = 0x60 };

  u32 steps = 0;
  s32 min_os_version = 0;
  u32 silent = 0;
  u32 run_end_script = 0;
  CPathName readMePath{nullptr};
  CPathName licensePath{nullptr};
  CPathName picturePath{nullptr};

  // The installer settings file "icd0.dat" among the bundle's resources.
  [[nodiscard]] static bool GetBundleFileName(CPathName& path);
};

// Where an installer's templates are: the Mac installer's folder (the
// executable "Installer", "installer.icns", the default "splash.png" and
// the localisation folders) and the folder of the single-file stub
// "ssin.dat". The code text, word and creator are the subclass's.
struct CInstallerTemplate {
  std::string codeText;
  u32 word = 0;
  std::string creatorText = "Oxmk";
  CPathName macFolder{nullptr};
  CPathName windowsFolder{nullptr};
  CPathName thirdFolder{nullptr};
};

class CInstallerBuilder {
 public:
  // Events of the progress callback.
  enum : u32 { kInstallStarted = 1, kInstallFinished = 3 };
  typedef void (*ProgressCallback)(u32 event, u32 userWord);

  // Forms of Build, and the one architecture built (universal).
  enum : int { kBundleForm = 2, kSingleFileForm = 3 };
  enum : int { kUniversal = 2 };
  // The picture of an installer.
  enum : u32 { kPictureWidth = 300, kPictureHeight = 200 };

  CInstallerBuilder();
  virtual ~CInstallerBuilder();
  CInstallerBuilder(const CInstallerBuilder&) = delete;
  CInstallerBuilder& operator=(const CInstallerBuilder&) = delete;

  // Builds the installer at `destination` in the form `kind` from the
  // template, replacing what is there once the new installer is complete.
  // False for another form, no template, a folder of the tree that holds an
  // item it could not take (bdNamErr, naming the item; nothing is built
  // then), or at the first step that fails (GetFailure says why); what was
  // at the destination is then left as it was, and nothing of the build is
  // left behind.
  [[nodiscard]] bool Build(const CPathName& destination, const CInstallerTemplate* installerTemplate, int kind);

  // The steps of the bundle form. BuildContents runs the others in order:
  // WriteInfoPlist, WritePkgInfo, PutExecutable into a new "MacOS",
  // FillResources into a new "Resources"; false at the first that fails.
  [[nodiscard]] virtual bool BuildContents(const CPathName& contents, int arch);
  // The base puts no executable and writes no property lists: true.
  [[nodiscard]] virtual bool PutExecutable(const CPathName& macos, int arch);
  // Copies the localisation folders ("*.lproj") and "installer.icns" of the
  // Mac template folder (those missing are passed over); false when one
  // that is there cannot be copied.
  [[nodiscard]] virtual bool FillResources(const CPathName& resources, int arch);
  [[nodiscard]] virtual bool WriteInfoPlist(const CPathName& contents);
  [[nodiscard]] virtual bool WritePkgInfo(const CPathName& contents);
  // The settings' picture scaled to 300 x 200 and saved as "splash.png" in
  // the folder; false when there is no picture that opens, or the file
  // cannot be written.
  [[nodiscard]] virtual bool WriteSplash(const CPathName& folder);
  // The same picture as a 24-bit picture record; false when there is none
  // (the writer's failure says whether writing it failed).
  [[nodiscard]] virtual bool AddPictureRecord(CInstallerArchiveWriter& writer);

  // The 16 bytes of "icd0.dat": steps, min_os_version, silent and
  // run_end_script as little-endian words. False when the file cannot be
  // written whole.
  [[nodiscard]] bool WriteSettingsFile(const CInstallerSettings& values, const CPathName& path) const;

  // A picture, ReadMe and licence given directly (none of the builds here
  // uses them): each is stored with the flag that says it is there.
  void SetPictureBitmap(const CBitmapImage& bitmap, bool has);
  void SetReadMeFile(const CPathName& path, bool has);
  void SetLicenseFile(const CPathName& path, bool has);
  // A picture record of the stored bitmap when its flag is set; false otherwise.
  [[nodiscard]] bool AddPictureBitmapRecord(CInstallerArchiveWriter& writer);

  // Restarts the data-file names, destroys the items, clears the flags of
  // the picture, ReadMe and licence given directly and sets the four
  // settings words to 0.
  void Clear();

  // Writes the data files of every item into the folder, then the install
  // script "installer.dat" beside them, so that the script describes the
  // data files as they were written. False at the first fork that cannot
  // be read or file that cannot be written (no script is written then;
  // GetFailure says why).
  [[nodiscard]] bool WriteInstallFiles(const CPathName& folder);
  // Writes the install script (created, replacing); false when it cannot be
  // written whole.
  [[nodiscard]] bool WriteScript(const CPathName& path) const;

  // Reads the install script from the bundle's resources ("installer.dat").
  [[nodiscard]] bool LoadScript();
  // Reads an install script: the settings and the install items of the first
  // element "installer". False, with nothing loaded, when the file cannot be
  // read or parsed, has no such element, or names an item or data file with
  // a name that cannot be installed.
  [[nodiscard]] bool LoadScriptFile(const CPathName& path);
  // Loads the script and installs every item in order, the data files read
  // from the bundle's resources; the progress callback hears of the start
  // and the end. False when the script does not load, or at the first item
  // that fails.
  [[nodiscard]] bool Install();
  void SetProgressCallback(ProgressCallback callback, u32 userWord) {
    progressCallback = callback;
    progressUserWord = userWord;
  }

  CInstallerSettings& GetSettings() { return settings; }
  const CInstallerSettings& GetSettings() const { return settings; }
  const std::vector<std::unique_ptr<CInstallItem>>& GetItems() const { return items; }
  // Takes ownership; returns the item.
  [[nodiscard]] CInstallItem* AppendItem(CInstallItem* item);
  [[nodiscard]] CInstallFolder* FindFolderByName(const char* name) const;
  [[nodiscard]] CInstallFile* FindFileByName(const char* name) const;
  // The sum of CountItems over the top-level items (which are not counted).
  int CountItems() const;

  // The folder that received the script and data files last.
  const CPathName& GetOutputFolder() const { return outputFolder; }

  // Why WriteInstallFiles or Build failed, by the result code:
  //   fnfErr     GetFailedPath is a source that is missing
  //   ioErr      ... a source that cannot be read
  //   memFullErr ... a source too large to compress
  //   dupFNErr   two sources of one name: GetFailedPath and GetOtherFailedPath
  //   bdNamErr   ... a source whose name cannot be stored
  //   wrPermErr  the installer cannot be written (GetFailedPath is what was
  //              being written)
  //   fBsyErr    the destination is a folder, which a single file never replaces
  //   dirNFErr   the destination's folder is missing
  //   any other  a copy failed: of GetFailedPath into the installer, or, when
  //              that is the destination, of the finished installer into place
  [[nodiscard]] OSErr GetFailure() const { return failure; }
  const CPathName& GetFailedPath() const { return failedPath; }
  const CPathName& GetOtherFailedPath() const { return otherFailedPath; }

  // What the last build left out because it was not there: template items
  // (a template folder without localisations is named itself), a picture
  // that does not open, texts that are missing.
  enum LeftOutKind { kTemplateItemLeftOut, kPictureLeftOut, kTextLeftOut };
  struct CLeftOut {
    LeftOutKind kind;
    CPathName path;
  };
  const std::vector<CLeftOut>& GetLeftOut() const { return leftOut; }
  const CInstallerTemplate* GetTemplate() const { return installerTemplate; }

 protected:
  // Keeps the first failure of a build; returns false.
  bool Fail(OSErr error, const CPathName& path, const CPathName& otherPath = CPathName(nullptr));
  // Copies `source` into the folder, under `newName` when one is given. A
  // source that is not there is noted as left out and passed over (true);
  // false when it is there and cannot be copied.
  [[nodiscard]] bool CopyIfPresent(const CPathName& source, const CPathName& folder, const char* newName, LeftOutKind kind);
  // Copies a text of the project (ReadMe, licence) into the folder as
  // `newName`: what goes in is a file's bytes, also when the path is a link
  // to one; a text that is no file (missing, a folder, a link that leads
  // nowhere) is noted as left out and passed over (true). False when it
  // cannot be copied.
  [[nodiscard]] bool CopyTextIfPresent(const CPathName& source, const CPathName& folder, const char* newName);
  // CopyIfPresent of the item `name` of a template folder.
  [[nodiscard]] bool CopyTemplateItem(const CPathName& templateFolder, const char* name, const CPathName& folder,
                        const char* newName = nullptr);
  // Copies every localisation folder ("*.lproj") of the template folder.
  [[nodiscard]] bool CopyTemplateLocalizations(const CPathName& templateFolder, const CPathName& folder);
  void NoteLeftOut(LeftOutKind kind, const CPathName& path) { leftOut.push_back({kind, path}); }

  ProgressCallback progressCallback = nullptr;
  u32 progressUserWord = 0;
  std::vector<std::unique_ptr<CInstallItem>> items;
  CPathName outputFolder{nullptr};
  CBitmapImage pictureBitmap;
  CPathName readMeFile{nullptr};
  CPathName licenseFile{nullptr};
  bool hasPictureBitmap = false;
  bool hasReadMeFile = false;
  bool hasLicenseFile = false;
  const CInstallerTemplate* installerTemplate = nullptr;
  CInstallerSettings settings;
  CPathName failedPath{nullptr};
  CPathName otherFailedPath{nullptr};
  OSErr failure = noErr;
  std::vector<CLeftOut> leftOut;

 private:
  [[nodiscard]] bool BuildBundle(const CPathName& destination);
  [[nodiscard]] bool BuildSingleFile(const CPathName& destination);
  // Adds the records of the single-file form after the stub's bytes.
  [[nodiscard]] bool WriteArchive(CInstallerArchiveWriter& writer, const CStagingFolder& staging);
  // Adds a ReadMe or licence record for a text file that exists.
  [[nodiscard]] bool AddTextRecord(CInstallerArchiveWriter& writer, bool isReadMe, const CPathName& path);
};
