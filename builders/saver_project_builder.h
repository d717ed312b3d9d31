// CSaverProjectBuilder: the first-generation build of a CSaverProject
// (saver_project.h): a Mac `.saver` bundle made from the engine templates
// in the project's engine folder, and an installer application that
// installs such a saver into the user's screen-saver folder, made from the
// templates in its installer folder. The current build driver
// (saver_builder.h) took its place; no command of the application starts it.
//
// The saver bundle (U = the project's unique name):
//   Contents/Info.plist
//   Contents/MacOS/fssx                 the engine, every placeholder replaced by U
//   Contents/Resources/English.lproj
//   Contents/Resources/Flash Player.plugin   ("fprx" for a saver that is not universal)
//   Contents/Resources/ssaver.swf       the movie, in its plain form
//   Contents/Resources/<extra files>
//   Contents/Resources/ssc0.dat         the 140-byte engine settings
// The installer bundle:
//   Installer                           an alias of Contents/MacOS/Installer
//   Contents/Info.plist, Contents/PkgInfo ("APPLOxmk")
//   Contents/MacOS/Installer
//   Contents/Resources/<lang>.lproj, main.rsrc (when the template has one),
//     splash.png (the custom picture), installer.icns, ReadMe.txt,
//     License.txt, icd0.dat, installer.dat and its data files
//
// The Windows saver, a packed data archive of its own without host bytes
// (saver_archive.h): an end marker, the movie and the extra files under
// their names, the blank movie "__saver.swf" and the players' settings
// document, written as "ss.dat" from a screen-saver data list that takes
// the values both projects share.
//
// Each step writes a short progress text ("Creating screen saver" ...
// "Completed Installer") into the request's status text; a failure ends the
// build with the reason. Every output is built in a staging folder and put
// in place only when complete: a failed build leaves nothing behind, and an
// output that was there stays as it was unless the new one replaces it.
#pragma once

#include <string>
#include <vector>

#include "builders/build_status.h"
#include "builders/output_files.h"
#include "foundation/path_name.h"
#include "platform/mac_types.h"

class CSaverDataList;
class CSaverProject;
class CSaverProjectInstaller;
class CStaticText;

class CSaverProjectBuilder {
 public:
  struct BuildRequest {
    // Replace an output that exists; without it the build is refused.
    bool overwrite = false;
    // Receives the progress texts (null: none are shown).
    CStaticText* progress = nullptr;
  };

  explicit CSaverProjectBuilder(CSaverProject& saverProject);
  ~CSaverProjectBuilder();
  CSaverProjectBuilder(const CSaverProjectBuilder&) = delete;
  CSaverProjectBuilder& operator=(const CSaverProjectBuilder&) = delete;

  // Builds the saver bundle at `saverPath`. False, with the reason said,
  // when the output exists and may not be replaced, the movie is missing or
  // no movie, an extra file would take a name the bundle holds already
  // ("ssaver.swf", "ssc0.dat", the templates' names or another extra file's),
  // a template is missing, or a step cannot be written.
  [[nodiscard]] bool BuildSaver(const CPathName& saverPath, const BuildRequest& request);
  // Builds the Windows saver at the project's GetWindowsSaverPath. False,
  // with the reason said, when the output exists and may not be replaced
  // (or is a folder), Windows cannot hold its name, the movie is missing or
  // no movie, an extra file is missing, is a folder (which no named-file
  // record can hold), has a name that Windows cannot hold or would take a
  // name the archive holds already ("__saver.swf", "ss.dat", "fp.dat", the
  // movie's or another extra file's, letter case folded), or the file cannot
  // be written; an output that was there then stays as it was.
  [[nodiscard]] bool BuildWindowsSaver(const BuildRequest& request);
  // What BuildWindowsSaver checks before it writes anything, without
  // writing: the texts, the output name (which Windows must hold), the
  // movie and every file the archive would hold. A build of the Windows
  // saver after the Mac outputs calls it first, so that what the Windows
  // saver cannot hold refuses the whole build before anything is made.
  [[nodiscard]] bool CheckWindowsSaver(const BuildRequest& request);
  // Builds a saver afresh in a staging folder and the installer bundle at
  // `installerPath` (given the extension ".app" when it has another).
  [[nodiscard]] bool BuildInstaller(const CPathName& installerPath, const BuildRequest& request);

  // The steps; each reports its failure.
  [[nodiscard]] bool WriteSaverInfoPlist(const CPathName& contents);
  [[nodiscard]] bool PatchEngine(const CPathName& macosFolder);
  [[nodiscard]] bool FillSaverResources(const CPathName& resources);
  // The movie as "ssaver.swf" in its plain form; its checksum, masked, goes
  // into the engine settings.
  [[nodiscard]] bool PutMovie(const CPathName& resources);
  [[nodiscard]] bool WriteInstallerInfoPlist(const CPathName& contents);
  [[nodiscard]] bool WritePkgInfo(const CPathName& contents);
  [[nodiscard]] bool PutInstallerExecutable(const CPathName& macosFolder);
  [[nodiscard]] bool FillInstallerResources(const CPathName& resources);
  // "splash.png": the custom picture drawn scaled into 300 x 200; true
  // without a custom picture, false when it does not open.
  [[nodiscard]] bool WriteSplashPicture(const CPathName& resources);
  // Makes `aliasFile` an alias of `target` (file type 'APPL' becomes
  // 'adrp'); on failure nothing is left at `aliasFile`. noErr on success.
  [[nodiscard]] OSErr MakeAliasFile(const CPathName& target, const CPathName& aliasFile);

  // Every text of the last build, in order.
  const std::vector<std::string>& GetStatusLog() const { return progress.GetLog(); }
  // The same texts as the terminal shows them (UTF-8): a refusal of a name
  // that Mac Roman cannot hold names it as the project file wrote it.
  const std::vector<std::string>& GetHostStatusLog() const { return progress.GetHostLog(); }

 private:
  [[nodiscard]] bool BuildSaverBundle(const CPathName& saverPath, bool overwrite);
  // The template item `name` of a folder; false, reported, when missing.
  [[nodiscard]] bool FindTemplate(const CPathName& folder, const char* name, CPathName& item);
  // The extra files with their names in the bundle's Resources, checked.
  [[nodiscard]] bool CollectExtraFiles(const CPathName& resources, std::vector<CNamedSource>& files);
  // No name or path that lost characters when the project was read is in
  // use (CSaverProject::ValidateTexts).
  [[nodiscard]] bool CheckTexts();
  // The movie, checked.
  [[nodiscard]] bool CheckMovie();
  // The checks of the Windows saver that come before its archive's: the
  // texts, the output's path, its name and the movie; `list` receives the
  // values the archive is written from.
  [[nodiscard]] bool CheckWindowsSaverFiles(CPathName& output, CSaverDataList& list);
  // Copies a template item as the template has it (a link at its top
  // followed, the links inside kept).
  [[nodiscard]] bool CopyInto(const CPathName& source, const CPathName& folder, const char* newName = nullptr);
  // Copies a file or folder of the project: every link is followed, so
  // that the output holds files, never links into this machine.
  [[nodiscard]] bool CopyProjectFileInto(const CPathName& source, const CPathName& folder, const char* newName);

  CSaverProject& project;
  CBuildStatus progress;
  CSaverProjectInstaller* installer = nullptr;
  CPathName installerApp{nullptr};
};
