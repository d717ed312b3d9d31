// CSaverBuilder: one build run of the outputs a screen-saver project
// selects, in this order, stopping at the first failure: the Mac `.saver`
// bundle, the Mac installer, the Windows `.scr`, the Windows installer.
// Only the universal Mac outputs and the Windows outputs are built; the
// list's PPC, Intel and Linux output flags are stored but not acted on.
//
// Every output is built aside and put in place only once it is complete:
// an existing output is replaced (when its overwrite flag says so) only
// after the new one has been made, so a failed build never loses it. An
// existing output whose overwrite flag is false is left alone and counts
// as built.
//
// The builder writes what it is doing, what it had to leave out and why it
// failed into the status text it is given (which may be null); every text
// also goes into the status log of the run.
//
// The steps live in their own files: the Mac bundle in
// mac_saver_bundle.cpp, the Windows screen saver in windows_saver.cpp.
#pragma once

#include <string>
#include <vector>

#include "builders/build_folders.h"
#include "builders/output_files.h"
#include "foundation/path_name.h"
#include "platform/mac_types.h"

class CDataArchiveWriter;
class CSaverDataList;
class CStaticText;
class CSwfItem;

class CSaverBuilder {
 public:
  CSaverBuilder();
  ~CSaverBuilder();
  CSaverBuilder(const CSaverBuilder&) = delete;
  CSaverBuilder& operator=(const CSaverBuilder&) = delete;

  // Copies the template folders in; true.
  bool SetBuildFolders(const CBuildFolders& buildFolders);

  // Checks the list's output names, and what a Windows output would hold
  // (which the Mac outputs built before it need not be able to hold), then
  // builds each selected output with its overwrite flag. True when every
  // selected output was built or kept; false at the first failure (the
  // status text says why). Nothing is deleted or written when the output
  // names or the files of a Windows output are refused.
  [[nodiscard]] bool Build(CSaverDataList* list, CStaticText* status);

  // --- The Mac screen-saver bundle (mac_saver_bundle.cpp) ---------------
  // Builds the bundle at `output`: in a staging folder, then copied into
  // the output folder. False when the movie or an extra file is missing,
  // two files would share one name in the bundle's resources, or the
  // engine, Info.plist, blank movie or settings document cannot be written.
  [[nodiscard]] bool BuildSaverBundle(const CPathName& output, CSaverDataList* list, bool overwrite);
  // The 24-character name of the bundle: the first 16 bytes of `name`
  // (bytes that would break the property list or the engine's class name
  // become 'X', a shorter name is filled up with 'O'), then the CRC-32 of
  // the whole name as eight upper-case hexadecimal digits.
  void MakeUniqueSaverName(const char* name);
  // Info.plist, MacOS with the patched engine, Resources.
  [[nodiscard]] bool BuildContents(const CPathName& contents, int architecture);
  [[nodiscard]] bool WriteSaverInfoPlist(const CPathName& contents);
  // Copies the engine "fssx" of the architecture into `macos` and replaces
  // every placeholder in it by the unique saver name.
  [[nodiscard]] bool CopyAndPatchEngine(const CPathName& macos, int architecture);
  // The language folders, the player plug-in, the movie files, the blank
  // movie "__saver.swf" and the settings document "ssc0.dat". A missing
  // plug-in or language folder is reported and left out.
  [[nodiscard]] bool FillSaverResources(const CPathName& resources, int architecture);
  [[nodiscard]] bool CopyFlashPlayerPlugin(const CPathName& resources, int architecture);
  // The item's movie, its extra files and those of its sub-items, each
  // under its own name (a file listed twice is copied once).
  [[nodiscard]] bool CopyMovieFiles(CSwfItem* item, const CPathName& folder);
  // The blank movie (WriteBlankSaverMovie, saver_archive.h).
  [[nodiscard]] bool WriteSaverMovie(const CPathName& path);

  // --- The Windows screen saver (windows_saver.cpp) ----------------------
  // The Windows engine followed by the screen saver's packed data archive
  // (saver_archive.h): an end marker, the movie, the root item's extra
  // files, "__saver.swf" and the settings document "ssc0.dat". Written
  // under a temporary name beside the output and renamed over it when
  // complete. The three steps add the records after the end marker.
  [[nodiscard]] bool BuildScr(const CPathName& output, CSaverDataList* list, bool overwrite);
  // What the Windows screen saver, alone or in its installer, would hold:
  // false, reported, when a file is missing or is a folder, two would share
  // a name, or Windows cannot hold a name.
  [[nodiscard]] bool CheckWindowsFiles(CSaverDataList& list);
  // Whether the Windows installer can hold the screen saver beside its own
  // files ("installer.dat", "icd0.dat" and the ReadMe and licence it
  // shows), which it unpacks into one folder: false, reported, when the
  // saver's name is one of theirs.
  [[nodiscard]] bool CheckWinInstallerNames(const CSaverDataList& list);
  [[nodiscard]] bool AddMovieFilesToArchive(CDataArchiveWriter& writer);
  [[nodiscard]] bool AddSaverMovieToArchive(CDataArchiveWriter& writer);
  [[nodiscard]] bool AddSettingsToArchive(CDataArchiveWriter& writer);

  // --- The installers (saver_installers.cpp) -----------------------------
  // Each builds a fresh copy of its screen saver in a staging folder and
  // wraps it into an installer that installs it into the user's
  // screen-saver folder: the Mac installer an application bundle at
  // GetMacUniversalInstallerOutputPath, the Windows installer the
  // installer stub followed by an installer data archive at
  // GetWinInstallerOutputPath. An existing installer is kept when
  // `overwrite` is false (the saver is not built then), else replaced once
  // the new one is complete. What the installer leaves out (a missing
  // template item, a picture that does not open, a ReadMe or licence that
  // is not there) is noted in the status.
  [[nodiscard]] bool BuildMacInstaller(CSaverDataList* list, bool overwrite);
  [[nodiscard]] bool BuildWinInstaller(CSaverDataList* list, bool overwrite);

  const CBuildFolders& GetBuildFolders() const { return folders; }
  const std::string& GetUniqueSaverName() const { return uniqueSaverName; }
  // Every status text of the run, in the order written.
  const std::vector<std::string>& GetStatusLog() const { return statusLog; }
  // The same texts as the terminal shows them (UTF-8): a refusal of a name
  // that Mac Roman cannot hold names it as the project file wrote it.
  const std::vector<std::string>& GetHostStatusLog() const { return hostStatusLog; }

 protected:
  using CNamedSource = ::CNamedSource;

  // A status text as it stands, into the log and the status text; its
  // terminal form is the text converted, or `hostText` when one is given.
  void Show(const std::string& text, const std::string* hostText = nullptr);
  // Writes the localized text `messageNumber`, formatted with the three
  // texts, into the status text and the log; returns false so that a
  // failing step can end with it.
  bool Report(int messageNumber, const std::string& a = std::string(), const std::string& b = std::string(),
              const std::string& c = std::string());
  // Reports and remembers a text that the final status repeats (something
  // left out, an output kept).
  void Note(int messageNumber, const std::string& a = std::string(), const std::string& b = std::string());
  // Reports the problem of a collection or an archive step; one whose
  // message is 0 has been reported already. Returns false.
  bool ReportProblem(const COutputFileProblem& problem);
  // The path as the user knows it, for messages.
  static std::string Shown(const CPathName& path);
  // Reports why `output` could not be made, from the result code of its
  // archive or installer build (the codes of CInstallerBuilder::GetFailure)
  // and the paths it concerns; `nameTakenMessage` is the text for two
  // files of one name. Returns false.
  bool ReportWriteFailure(OSErr error, const CPathName& path, const CPathName& otherPath, const CPathName& output,
                          int nameTakenMessage);
  // The installer step of either form (CInstallerBuilder::kBundleForm or kSingleFileForm).
  [[nodiscard]] bool BuildInstaller(CSaverDataList* list, bool overwrite, const CPathName& output, int form);

  // The files of `item` that go into an output: its movie (required for the
  // root item), its extra files and, with `withSubItems`, those of every
  // sub-item; a source listed twice is taken once. False, reported, when a
  // file is missing or two sources, or a source and one of `reserved`,
  // would land on one name.
  [[nodiscard]] bool CollectMovieFiles(CSwfItem* item, bool withSubItems, const std::vector<CNamedSource>& reserved,
                         std::vector<CNamedSource>& files);
  // The names that the bundle's Resources folder takes besides the movie
  // files: the language folders and the plug-in of the template, the blank
  // movie and the settings document.
  void GetReservedResourceNames(const CPathName& resources, int architecture, std::vector<CNamedSource>& reserved,
                                std::vector<CPathName>* languageFolders);

  CBuildFolders folders;
  CSaverDataList* dataList = nullptr;
  CStaticText* statusText = nullptr;
  std::string uniqueSaverName;
  std::vector<std::string> statusLog;
  std::vector<std::string> hostStatusLog;
  std::vector<std::string> notes;
};

// The reverse-domain prefix of the bundle identifiers the builders write.
extern const char kBundleIdentifierPrefix[];
