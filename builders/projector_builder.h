// CProjectorBuilder: stand-alone projector applications from a projector
// project's data list (data_list.h): Mac application bundles for PowerPC,
// Intel and both (universal), and a Windows projector, the Windows player
// followed by a packed data archive (data_archive.h). No command of the
// application starts it.
//
// The template folder holds "English.lproj", "Flash Player.plugin",
// "app.icns", the players "p", "i" and "u"/"DurivUzuzevuvo" and the Windows
// player "w"/"fpx.dat".
//
// A Mac projector:
//   Contents/Info.plist, Contents/PkgInfo ("APPLOxfp")
//   Contents/MacOS/DurivUzuzevuvo         the player of the architecture
//   Contents/Resources/English.lproj, Flash Player.plugin
//   Contents/Resources/<movie files>      the movies and extra files of every item
//   Contents/Resources/fp.dat             the players' settings document
//   Contents/Resources/_mask_/            the window pictures of masked windows
//   Contents/Resources/app.icns           (or the project's own icon)
// The Windows projector's archive: an end marker, a buffer record with the
// window shape of each item that has a window picture (tagged 0 for the
// root item, 1, 2 ... for its sub-items), the movie files (folders as
// folder records), and the settings document as a settings record.
//
// The movies are those of the project's root item and its sub-items, which
// the settings document describes. Every output is built aside and put in
// place only when complete; a failed build loses no output that was there.
// Each step writes its progress and any failure's reason into the status
// text.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "builders/build_status.h"
#include "builders/output_files.h"
#include "foundation/path_name.h"
#include "platform/mac_types.h"

class CDataArchiveWriter;
class CDataList;
class CStaticText;
class CSwfItem;

class CProjectorBuilder {
 public:
  CProjectorBuilder();
  ~CProjectorBuilder();
  CProjectorBuilder(const CProjectorBuilder&) = delete;
  CProjectorBuilder& operator=(const CProjectorBuilder&) = delete;

  void SetTemplateFolder(const CPathName& folder) { templateFolder = folder; }
  // Receives the progress texts (null: none are shown).
  void SetProgress(CStaticText* control) { progressControl = control; }

  // Checks the output names, then builds the list's selected outputs in
  // this order, stopping at the first failure: Mac PowerPC, Mac Intel, Mac
  // universal, Windows, each with its overwrite flag (an output that exists
  // and must not be replaced is kept and counts as built). `flag` is kept
  // for callers and not read.
  [[nodiscard]] bool Build(CDataList& list, u32 flag);
  // One Mac projector of an architecture (kArchitecturePpc, ...Intel,
  // ...Universal).
  [[nodiscard]] bool BuildMacProjector(CDataList& list, int arch, bool overwrite);
  [[nodiscard]] bool BuildMacPpcProjector(CDataList& list, bool overwrite);
  [[nodiscard]] bool BuildMacIntelProjector(CDataList& list, bool overwrite);
  [[nodiscard]] bool BuildMacUniversalProjector(CDataList& list, bool overwrite);
  [[nodiscard]] bool BuildWindowsProjector(CDataList& list, bool overwrite);

  // The steps of a Mac projector; each reports its failure.
  [[nodiscard]] bool FillProjectorContents(const CPathName& contents, int arch);
  [[nodiscard]] bool WriteProjectorInfoPlist(const CPathName& contents, int arch);
  [[nodiscard]] bool WriteProjectorPkgInfo(const CPathName& contents);
  [[nodiscard]] bool PutPlayer(const CPathName& macos, int arch);
  [[nodiscard]] bool FillProjectorResources(const CPathName& resources);
  // The item's movie and extra files, then those of its sub-items.
  [[nodiscard]] bool CopyItemFiles(const CSwfItem* item, const CPathName& folder);
  // The window pictures of the item and its direct sub-items whose windows
  // are masked and whose pictures open.
  [[nodiscard]] bool CopyMaskPictures(const CSwfItem* item, const CPathName& folder);

  // The records of a Windows projector; each reports its failure.
  // The window shape of the item's picture (whatever its window type),
  // tagged `index`; an item without a picture that opens adds nothing.
  [[nodiscard]] bool AddItemMasks(const CSwfItem* item, u32 index, CDataArchiveWriter& archive);
  [[nodiscard]] bool AddItemFiles(const CSwfItem* item, CDataArchiveWriter& archive);
  [[nodiscard]] bool AddProjectorSettings(CDataArchiveWriter& archive);

  // Appends the whole file to the end of the open stream's file, wherever
  // the stream stands, as the end of an archive record (archive_file.h): its
  // bytes, a word holding their count, a word holding `type`. Returns the
  // bytes appended; the stream then stands after the record, at the end.
  // When the file cannot be read whole, or holds more bytes than the count
  // word can count, nothing is appended and the result is 0; so it is when
  // the stream does not take every byte (what it took of them is cut off
  // again where it can be). When nothing is appended the stream stands
  // where it stood.
  [[nodiscard]] static u32 AppendFileWithSizeAndType(const CPathName& file, std::FILE* stream, u32 type);

  // Sets the item's modification date to now (`flush` has nothing to do
  // here); true when it could be set.
  [[nodiscard]] static bool TouchModificationDate(const CPathName& path, bool flush);
  // Tells the Finder that the folder changed: nothing to do here; true.
  static bool NotifyFolderChanged(const CPathName& folder);

  // Every text of the last build, in order.
  const std::vector<std::string>& GetStatusLog() const { return progress.GetLog(); }
  // The same texts as the terminal shows them (UTF-8).
  const std::vector<std::string>& GetHostStatusLog() const { return progress.GetHostLog(); }

 private:
  // The output path of an architecture; false, reported, when it has none.
  [[nodiscard]] bool GetMacOutputPath(int arch, CPathName& path);
  // The file name and path of the icon the bundle gets: the project's own
  // when it is asked for and there, else the template's "app.icns".
  [[nodiscard]] bool UseOwnIcon();
  std::string IconFileName();
  // The movie files of the root item with the names the bundle's Resources
  // or the archive already hold, checked by the rules of the output.
  [[nodiscard]] bool CollectFiles(const CSwfItem* item, const std::vector<CNamedSource>& reserved,
                                  std::vector<CNamedSource>& files, const COutputRules& rules = COutputRules());
  // What the Windows projector's archive would hold, checked as Windows
  // holds it: the movie files and the names of the window pictures.
  [[nodiscard]] bool CheckWindowsFiles(const CDataList& list);
  // The template item `name`; false, reported, when it is missing.
  [[nodiscard]] bool FindTemplate(const char* name, CPathName& item, const CPathName& folder = CPathName(nullptr));

  CPathName templateFolder{nullptr};
  CDataList* dataList = nullptr;
  CStaticText* progressControl = nullptr;
  CBuildStatus progress;
};
