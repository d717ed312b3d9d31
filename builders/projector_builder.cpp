#include "builders/projector_builder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "builders/archive_file.h"
#include "builders/build_folders.h"
#include "builders/build_messages.h"
#include "builders/data_archive.h"
#include "builders/data_list.h"
#include "builders/finder_refresh.h"
#include "builders/mac_saver_bundle.h"
#include "builders/saver_builder.h"
#include "builders/staging_folder.h"
#include "builders/swf_item.h"
#include "builders/window_mask.h"
#include "foundation/file_bytes.h"
#include "foundation/finder_info.h"
#include "foundation/quicktime_media.h"
#include "foundation/string_buffer.h"
#include "platform/catalog.h"
#include "platform/text_encoding.h"

namespace {

const char kPlayerName[] = "DurivUzuzevuvo";
const char kLanguageFolder[] = "English.lproj";
const char kPluginName[] = "Flash Player.plugin";
const char kDefaultIcon[] = "app.icns";
const char kSettingsName[] = "fp.dat";
const char kMaskFolder[] = "_mask_";
const char kWindowsFolder[] = "w";
const char kWindowsPlayer[] = "fpx.dat";

// The player folder of an architecture; null for another number.
const char* ArchitectureFolder(int arch) {
  switch (arch) {
    case kArchitecturePpc: return "p";
    case kArchitectureIntel: return "i";
    case kArchitectureUniversal: return "u";
    default: return nullptr;
  }
}

// A picture file that opens (only regular files are tried).
[[nodiscard]] bool PictureOpens(const CPathName& path, CQuickTimeMedia& media) {
  return !path.IsEmpty() && IsRegularFile(path) && media.OpenFile(path);
}

// The display name of a file, without the separator a folder ends in.
std::string NameOf(const CPathName& path) { return GetItemName(path); }

}  // namespace

CProjectorBuilder::CProjectorBuilder() = default;
CProjectorBuilder::~CProjectorBuilder() = default;

// ---------------------------------------------------------------------------
// The build

bool CProjectorBuilder::Build(CDataList& list, u32) {
  progress.Begin(progressControl);
  dataList = &list;
  // Every output name is checked before anything is deleted or written: the
  // projector's own outputs, whatever kind of list this is.
  CStringBuffer refusal;
  std::string hostRefusal;
  if (!list.CDataList::ValidateOutputNames(&refusal, &hostRefusal))
    return progress.FailWithText(refusal.GetText(), &hostRefusal);
  // What the Windows projector cannot hold refuses the build before a Mac
  // projector is made (a projector that is kept holds nothing new).
  CPathName windows(nullptr);
  if (list.GetOutputWin() && list.GetWinOutputPath(windows) && (list.GetOverwriteWin() || !windows.Exists()) &&
      !CheckWindowsFiles(list))
    return false;

  struct MacOutput {
    bool selected;
    const char* text;
    int arch;
    bool overwrite;
  };
  const MacOutput macOutputs[] = {
      {list.GetOutputMacPpc(), "Building Mac PPC", kArchitecturePpc, list.GetOverwriteMacPpc()},
      {list.GetOutputMacIntel(), "Building Mac Intel", kArchitectureIntel, list.GetOverwriteMacIntel()},
      {list.GetOutputMacUniversal(), "Building Mac Universal Binary", kArchitectureUniversal,
       list.GetOverwriteMacUniversal()},
  };
  for (const MacOutput& output : macOutputs) {
    if (!output.selected) continue;
    progress.Say(output.text);
    if (!BuildMacProjector(list, output.arch, output.overwrite)) return false;
  }
  if (list.GetOutputWin() && !BuildWindowsProjector(list, list.GetOverwriteWin())) return false;
  NotifyFolderChanged(list.GetOutputFolder());
  return true;
}

bool CProjectorBuilder::BuildMacPpcProjector(CDataList& list, bool overwrite) {
  return BuildMacProjector(list, kArchitecturePpc, overwrite);
}

bool CProjectorBuilder::BuildMacIntelProjector(CDataList& list, bool overwrite) {
  return BuildMacProjector(list, kArchitectureIntel, overwrite);
}

bool CProjectorBuilder::BuildMacUniversalProjector(CDataList& list, bool overwrite) {
  return BuildMacProjector(list, kArchitectureUniversal, overwrite);
}

// ---------------------------------------------------------------------------
// Checks

bool CProjectorBuilder::GetMacOutputPath(int arch, CPathName& path) {
  bool named = false;
  std::string name;
  switch (arch) {
    case kArchitecturePpc:
      named = dataList->GetMacPpcOutputPath(path);
      name = dataList->GetMacPpcFileName();
      break;
    case kArchitectureIntel:
      named = dataList->GetMacIntelOutputPath(path);
      name = dataList->GetMacIntelFileName();
      break;
    case kArchitectureUniversal:
      named = dataList->GetMacUniversalOutputPath(path);
      name = dataList->GetMacUniversalFileName();
      break;
    default:
      return progress.Fail(kNoProjectMessage);
  }
  if (!named || !IsOutputItemName(name)) return progress.Fail(kBadOutputNameMessage, name);
  return true;
}

bool CProjectorBuilder::FindTemplate(const char* name, CPathName& item, const CPathName& folder) {
  const CPathName& base = folder.IsEmpty() ? templateFolder : folder;
  if (base.IsEmpty() || !item.SetInFolder(name, base) || !item.Exists())
    return progress.Fail(kTemplateMissingMessage, ShownPath(item.IsEmpty() ? base : item));
  return true;
}

bool CProjectorBuilder::UseOwnIcon() {
  return dataList && dataList->GetOutputMacAppIcon() && IsRegularFile(dataList->GetMacAppIconPath());
}

std::string CProjectorBuilder::IconFileName() {
  return UseOwnIcon() ? NameOf(dataList->GetMacAppIconPath()) : std::string(kDefaultIcon);
}

bool CProjectorBuilder::CollectFiles(const CSwfItem* item, const std::vector<CNamedSource>& reserved,
                                     std::vector<CNamedSource>& files, const COutputRules& rules) {
  COutputFileProblem problem;
  if (CollectItemFiles(item, true, true, reserved, kProjectorNameTakenMessage, files, problem, rules)) return true;
  return FailBuild(progress, problem);
}

namespace {

// The rules of the Windows projector's archive: names that Windows holds,
// folders as folder records.
const COutputRules kWindowsArchive{true, true};

// What a Mac projector's Resources hold besides the movie files.
std::vector<CNamedSource> ResourceNames(const CPathName& templates, const CPathName& resources,
                                        const std::string& icon, const CPathName& iconPath) {
  return {{kLanguageFolder, ChildPath(templates, kLanguageFolder)},
          {kPluginName, ChildPath(templates, kPluginName)},
          {kSettingsName, ChildPath(resources, kSettingsName)},
          {kMaskFolder, ChildPath(resources, kMaskFolder)},
          {icon, iconPath}};
}

}  // namespace

// ---------------------------------------------------------------------------
// Mac projectors

bool CProjectorBuilder::BuildMacProjector(CDataList& list, int arch, bool overwrite) {
  dataList = &list;
  CPathName output(nullptr);
  if (!GetMacOutputPath(arch, output)) return false;
  if (output.Exists() && !overwrite) {
    progress.Note(kOutputKeptMessage, ShownPath(output));
    return true;
  }
  CPathName outputFolder(nullptr);
  if (!GetOutputFolder(output, outputFolder)) return progress.Fail(kNoOutputFolderMessage, ShownPath(output));

  // What the bundle would hold is checked before anything is made.
  CPathName item(nullptr);
  CPathName players(nullptr);
  if (!players.SetInFolder(ArchitectureFolder(arch), templateFolder) || !FindTemplate(kPlayerName, item, players) ||
      !FindTemplate(kLanguageFolder, item) || !FindTemplate(kPluginName, item) ||
      (!UseOwnIcon() && !FindTemplate(kDefaultIcon, item)))
    return false;
  const CPathName finalResources(ShownPath(output) + "/Contents/Resources/");
  const std::string icon = IconFileName();
  const CPathName iconPath = UseOwnIcon() ? list.GetMacAppIconPath() : ChildPath(templateFolder, kDefaultIcon);
  std::vector<CNamedSource> reserved = ResourceNames(templateFolder, finalResources, icon, iconPath);
  // The icon may not take the place of another item of the bundle.
  for (size_t i = 0; i + 1 < reserved.size(); ++i)
    if (FoldNameCase(reserved[i].name) == FoldNameCase(icon))
      return progress.Fail(kProjectorNameTakenMessage, icon, ShownPath(reserved[i].path), ShownPath(iconPath));
  std::vector<CNamedSource> files;
  if (!CollectFiles(list.GetRootItem(), reserved, files)) return false;

  CStagingFolder staging;
  CPathName bundle(nullptr);
  if (!staging.Create()) return progress.Fail(kNoWorkFolderMessage);
  if (!staging.GetItem(OutputItemName(output).c_str(), bundle) || !bundle.CreateFolder())
    return progress.Fail(kCannotWriteMessage, ShownPath(output));
  const CPathName contents = MakeSubFolder(bundle, "Contents");
  if (contents.IsEmpty()) return progress.Fail(kCannotWriteMessage, ShownPath(output));
  if (!FillProjectorContents(contents, arch)) return false;
  if (!PlaceBuiltItem(bundle, output)) return progress.Fail(kCannotPlaceMessage, ShownPath(output));
  // The projector is in place; a date that cannot be set changes nothing of it.
  static_cast<void>(TouchModificationDate(output, true));
  return true;
}

bool CProjectorBuilder::FillProjectorContents(const CPathName& contents, int arch) {
  if (!WriteProjectorInfoPlist(contents, arch) || !WriteProjectorPkgInfo(contents)) return false;
  const CPathName macos = MakeSubFolder(contents, "MacOS");
  if (macos.IsEmpty()) return progress.Fail(kCannotWriteMessage, ShownPath(contents));
  if (!PutPlayer(macos, arch)) return false;
  const CPathName resources = MakeSubFolder(contents, "Resources");
  if (resources.IsEmpty()) return progress.Fail(kCannotWriteMessage, ShownPath(contents));
  return FillProjectorResources(resources);
}

bool CProjectorBuilder::WriteProjectorInfoPlist(const CPathName& contents, int arch) {
  if (!dataList) return progress.Fail(kNoProjectMessage);
  std::string name = dataList->GetName();
  CPathName output(nullptr);
  const bool named = arch == kArchitecturePpc       ? dataList->GetMacPpcOutputPath(output)
                     : arch == kArchitectureIntel     ? dataList->GetMacIntelOutputPath(output)
                     : arch == kArchitectureUniversal ? dataList->GetMacUniversalOutputPath(output)
                                                      : false;
  if (named) {
    output.RemoveTrailingSeparator();
    name = output.GetLastComponent();
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
  }
  const CPathName path = ChildPath(contents, "Info.plist");
  // The package type follows PkgInfo: a projector is an application.
  if (WriteInfoPlistFile(path, {{"CFBundleDevelopmentRegion", "English"},
                                {"CFBundleExecutable", kPlayerName},
                                {"CFBundleName", name},
                                {"CFBundleIdentifier", std::string(kBundleIdentifierPrefix) + "Hullpack.flash"},
                                {"CFBundleInfoDictionaryVersion", "6.0"},
                                {"CFBundlePackageType", "APPL"},
                                {"CFBundleSignature", "Oxfp"},
                                {"CFBundleVersion", "1.0"},
                                {"CFBundleIconFile", IconFileName()}}))
    return true;
  return progress.Fail(kCannotWriteMessage, ShownPath(path));
}

bool CProjectorBuilder::WriteProjectorPkgInfo(const CPathName& contents) {
  CPathName path = ChildPath(contents, "PkgInfo");
  const CFileTypeCreator textFile(FourCC("    "), FourCC("TEXT"));
  if (path.CreateFile(&textFile, true) && OverwriteFileContents(path, "APPLOxfp", 8)) return true;
  return progress.Fail(kCannotWriteMessage, ShownPath(path));
}

bool CProjectorBuilder::PutPlayer(const CPathName& macos, int arch) {
  CPathName players(nullptr);
  CPathName player(nullptr);
  const char* folder = ArchitectureFolder(arch);
  if (!folder || !players.SetInFolder(folder, templateFolder)) return progress.Fail(kNoProjectMessage);
  if (!FindTemplate(kPlayerName, player, players)) return false;
  if (!player.CopyTo(macos, nullptr, true, nullptr)) return progress.Fail(kCannotCopyMessage, ShownPath(player));
  return true;
}

bool CProjectorBuilder::FillProjectorResources(const CPathName& resources) {
  if (!dataList) return progress.Fail(kNoProjectMessage);
  CPathName language(nullptr);
  CPathName plugin(nullptr);
  if (!FindTemplate(kLanguageFolder, language) || !FindTemplate(kPluginName, plugin)) return false;
  if (!language.CopyTo(resources, nullptr, false, nullptr))
    return progress.Fail(kCannotCopyMessage, ShownPath(language));
  if (!plugin.CopyTo(resources, nullptr, false, nullptr)) return progress.Fail(kCannotCopyMessage, ShownPath(plugin));
  const CSwfItem* root = dataList->GetRootItem();
  if (!CopyItemFiles(root, resources)) return false;

  const CPathName settings = ChildPath(resources, kSettingsName);
  if (!dataList->WriteSettingsFile(settings)) return progress.Fail(kCannotWriteMessage, ShownPath(settings));
  const CPathName masks = MakeSubFolder(resources, kMaskFolder);
  if (masks.IsEmpty()) return progress.Fail(kCannotWriteMessage, ShownPath(ChildPath(resources, kMaskFolder)));
  if (!CopyMaskPictures(root, masks)) return false;

  // The project's own icon when it is there, else the template's.
  if (dataList->GetOutputMacAppIcon() && !UseOwnIcon())
    progress.Note(kIconLeftOutMessage, ShownPath(dataList->GetMacAppIconPath()));
  CPathName icon = dataList->GetMacAppIconPath();
  const bool ownIcon = UseOwnIcon();
  if (!ownIcon && !FindTemplate(kDefaultIcon, icon)) return false;
  // The project's icon goes in as the file it is, a template's as the template has it.
  const bool copied = ownIcon ? icon.CopyFollowingLinks(resources, IconFileName().c_str(), false, nullptr)
                              : icon.CopyTo(resources, IconFileName().c_str(), false, nullptr);
  if (!copied) return progress.Fail(kCannotCopyMessage, ShownPath(icon));
  return true;
}

bool CProjectorBuilder::CopyItemFiles(const CSwfItem* item, const CPathName& folder) {
  const CPathName iconPath = UseOwnIcon() ? dataList->GetMacAppIconPath() : ChildPath(templateFolder, kDefaultIcon);
  std::vector<CNamedSource> files;
  if (!CollectFiles(item, ResourceNames(templateFolder, folder, IconFileName(), iconPath), files)) return false;
  for (const CNamedSource& file : files)
    if (!file.path.CopyFollowingLinks(folder, file.name.c_str(), false, nullptr))
      return progress.Fail(kCannotCopyIntoMessage, ShownPath(file.path), OutputItemName(folder));
  return true;
}

bool CProjectorBuilder::CopyMaskPictures(const CSwfItem* item, const CPathName& folder) {
  if (!item) return true;
  std::vector<const CSwfItem*> items{item};
  for (int i = 0; i < item->GetSubItemCount(); ++i) items.push_back(item->GetSubItem(i));
  std::vector<CNamedSource> copied;
  for (const CSwfItem* current : items) {
    const CPathName& mask = current->GetWindowMask();
    if (current->GetWindowType() != kWindowTypeMask || mask.IsEmpty()) continue;
    CQuickTimeMedia media;
    if (!PictureOpens(mask, media)) {
      progress.Note(kMaskLeftOutMessage, ShownPath(mask));
      continue;
    }
    COutputFileProblem problem;
    const size_t before = copied.size();
    if (!CollectNamedFiles({mask}, {}, kProjectorNameTakenMessage, copied, problem))
      return FailBuild(progress, problem);
    if (copied.size() == before) continue;  // the same picture as an earlier window's
    if (!mask.CopyFollowingLinks(folder, copied.back().name.c_str(), false, nullptr))
      return progress.Fail(kCannotCopyIntoMessage, ShownPath(mask), OutputItemName(folder));
  }
  return true;
}

// ---------------------------------------------------------------------------
// The Windows projector

namespace {

// The reason an archive failed, from the writer's failure.
[[nodiscard]] bool ReportArchiveFailure(CBuildStatus& progress, const CArchiveWriteFailure& failure, const CPathName& archive,
                          const CPathName& output) {
  const bool ownFile = failure.path.IsEmpty() || failure.path.IsSameAs(archive);
  switch (ownFile ? OSErr(wrPermErr) : failure.error) {
    case dupFNErr:
      return progress.Fail(kProjectorNameTakenMessage, NameOf(failure.path), ShownPath(failure.otherPath),
                           ShownPath(failure.path));
    case bdNamErr:
      return progress.Fail(kBadNameMessage, ShownPath(failure.path));
    case fnfErr:
      return progress.Fail(kFileMissingMessage, ShownPath(failure.path));
    case ioErr:
    case memFullErr:
      return progress.Fail(kCannotReadMessage, ShownPath(failure.path));
    default:
      return progress.Fail(kCannotWriteMessage, ShownPath(output));
  }
}

}  // namespace

bool CProjectorBuilder::BuildWindowsProjector(CDataList& list, bool overwrite) {
  dataList = &list;
  CPathName output(nullptr);
  if (!list.GetWinOutputPath(output) || !IsOutputItemName(list.GetWinFileName()))
    return progress.Fail(kBadOutputNameMessage, list.GetWinFileName());
  if (output.Exists()) {
    if (!overwrite) {
      progress.Note(kOutputKeptMessage, ShownPath(output));
      return true;
    }
    // A single-file output never takes the place of a folder.
    if (output.IsFolder()) return progress.Fail(kFolderNotReplacedMessage, ShownPath(output));
  }
  CPathName outputFolder(nullptr);
  if (!GetOutputFolder(output, outputFolder)) return progress.Fail(kNoOutputFolderMessage, ShownPath(output));
  CPathName players(nullptr);
  CPathName player(nullptr);
  if (!players.SetInFolder(kWindowsFolder, templateFolder) || !FindTemplate(kWindowsPlayer, player, players))
    return false;
  if (!IsRegularFile(player)) return progress.Fail(kTemplateMissingMessage, ShownPath(player));
  if (!CheckWindowsFiles(list)) return false;

  CPendingFile pending;
  if (!pending.Begin(output)) return progress.Fail(kCannotWriteMessage, ShownPath(output));
  std::vector<u8> playerBytes;
  if (!ReadWholeFile(player, playerBytes)) return progress.Fail(kCannotReadMessage, ShownPath(player));
  if (!OverwriteFileContents(pending.GetPath(), playerBytes.data(), playerBytes.size()))
    return progress.Fail(kCannotWriteMessage, ShownPath(output));

  CDataArchiveWriter writer;
  if (!writer.Open(pending.GetPath())) return progress.Fail(kCannotWriteMessage, ShownPath(output));
  writer.Add(std::make_unique<CDataArchiveItem>().release(), true);
  const CSwfItem* root = list.GetRootItem();
  bool added = !writer.HasFailed() && AddItemMasks(root, 0, writer);
  for (int i = 0; added && i < root->GetSubItemCount(); ++i) added = AddItemMasks(root->GetSubItem(i), u32(i + 1), writer);
  added = added && AddItemFiles(root, writer) && AddProjectorSettings(writer);
  const bool closed = writer.Close();
  if (!added || !closed) {
    if (progress.HasFailed()) return false;
    return ReportArchiveFailure(progress, writer.GetFailure(), pending.GetPath(), output);
  }
  OSErr error = noErr;
  if (!pending.Commit(&error))
    return progress.Fail(error == fBsyErr ? kFolderNotReplacedMessage : kCannotPlaceMessage, ShownPath(output));
  return true;
}

bool CProjectorBuilder::CheckWindowsFiles(const CDataList& list) {
  CPathName output(nullptr);
  if (!list.GetWinOutputPath(output)) return progress.Fail(kBadOutputNameMessage, list.GetWinFileName());
  const std::vector<CNamedSource> reserved = {{kSettingsName, CPathName(ShownPath(output) + "/" + kSettingsName)}};
  std::vector<CNamedSource> files;
  if (!CollectFiles(list.GetRootItem(), reserved, files, kWindowsArchive)) return false;
  // The window pictures that AddItemMasks packs, under their names.
  const CSwfItem* root = list.GetRootItem();
  std::vector<CPathName> masks;
  for (int i = -1; root && i < root->GetSubItemCount(); ++i) {
    const CPathName& mask = (i < 0 ? root : root->GetSubItem(i))->GetWindowMask();
    CQuickTimeMedia media;
    if (PictureOpens(mask, media)) masks.push_back(mask);
  }
  COutputFileProblem problem;
  return CollectNamedFiles(masks, reserved, kProjectorNameTakenMessage, files, problem, kWindowsArchive) ||
         FailBuild(progress, problem);
}

bool CProjectorBuilder::AddItemMasks(const CSwfItem* item, u32 index, CDataArchiveWriter& archive) {
  if (!item || item->GetWindowMask().IsEmpty()) return true;
  const CPathName& mask = item->GetWindowMask();
  CQuickTimeMedia media;
  if (!PictureOpens(mask, media)) {
    progress.Note(kMaskLeftOutMessage, ShownPath(mask));
    return true;
  }
  CBitmapImage bitmap;
  std::vector<MaskRect> rects;
  std::vector<u8> block;
  if (!media.GetFrameImage(0, &bitmap, nullptr, 24) || !BuildWindowMaskRegion(rects, bitmap, 255, 255, 255, block))
    return progress.Fail(kMaskNotMadeMessage, ShownPath(mask));
  auto record = std::make_unique<CDataArchiveBufferItem>();
  record->SetTag(index);
  record->SetName(NameOf(mask).c_str());
  // The picture is the record's source: one picture may shape several windows.
  record->SetPath(CPathName(ShownPath(mask)));
  record->SetData(std::move(block));
  archive.Add(record.release(), true);
  return !archive.HasFailed();
}

bool CProjectorBuilder::AddItemFiles(const CSwfItem* item, CDataArchiveWriter& archive) {
  std::vector<CNamedSource> files;
  if (!CollectFiles(item, {}, files, kWindowsArchive)) return false;
  for (const CNamedSource& file : files) {
    // A link goes in as what it leads to, under its own name, as in the Mac projector.
    if (file.path.IsFolder()) {
      auto record = std::make_unique<CDataArchiveFolderItem>();
      record->SetPath(file.path);
      archive.Add(record.release(), true);
    } else {
      auto record = std::make_unique<CDataArchiveNamedFileItem>();
      record->SetPath(file.path);
      archive.Add(record.release(), true);
    }
    if (archive.HasFailed()) return false;
  }
  return true;
}

bool CProjectorBuilder::AddProjectorSettings(CDataArchiveWriter& archive) {
  if (!dataList) return progress.Fail(kNoProjectMessage);
  // Written in a staging folder of its own, deleted once packed.
  CStagingFolder staging;
  CPathName settings(nullptr);
  if (!staging.Create() || !staging.GetItem(kSettingsName, settings)) return progress.Fail(kNoWorkFolderMessage);
  if (!dataList->WriteSettingsFile(settings)) return progress.Fail(kCannotWriteMessage, ShownPath(settings));
  auto record = std::make_unique<CDataArchiveSettingsItem>();
  record->SetPath(settings);
  archive.Add(record.release(), true);
  return !archive.HasFailed();
}

u32 CProjectorBuilder::AppendFileWithSizeAndType(const CPathName& file, std::FILE* stream, u32 type) {
  if (!stream) return 0;
  std::vector<u8> bytes;
  // The count word holds the length, and the result the two words with it.
  if (!ReadWholeFile(file, bytes, 0xFFFFFFFFu - 8)) return 0;
  const u32 length = u32(bytes.size());
  bytes.resize(bytes.size() + 8);
  PutArchiveWord(&bytes[length], length);
  PutArchiveWord(&bytes[length + 4], type);

  // The record goes at the end of the file, wherever the stream stands. What
  // the stream holds goes out first; the record then goes straight to the
  // file at its end, so that no byte of a failed write lingers in the
  // stream's buffer, and a file can be cut back to where it ended.
  const off_t position = ftello(stream);
  if (std::fflush(stream) != 0) return 0;
  const int descriptor = fileno(stream);
  struct stat before;
  const bool regular = fstat(descriptor, &before) == 0 && S_ISREG(before.st_mode);
  size_t written = 0;
  while (written < bytes.size()) {
    const u8* next = bytes.data() + written;
    const size_t left = bytes.size() - written;
    const ssize_t step =
        regular ? pwrite(descriptor, next, left, before.st_size + off_t(written)) : write(descriptor, next, left);
    if (step < 0 && errno == EINTR) continue;
    if (step <= 0) break;
    written += size_t(step);
  }
  if (written == bytes.size()) {
    // The stream takes up after the record, at the end of the file.
    if (regular) static_cast<void>(fseeko(stream, 0, SEEK_END));
    return u32(bytes.size());
  }
  // Nothing of the record stays, and the stream stands where it stood.
  if (regular) {
    if (written > 0) static_cast<void>(ftruncate(descriptor, before.st_size));
    if (position >= 0) static_cast<void>(fseeko(stream, position, SEEK_SET));
  }
  return 0;
}

// ---------------------------------------------------------------------------
// Dates and the Finder

bool CProjectorBuilder::TouchModificationDate(const CPathName& path, bool) {
  const std::string host = plat::ToHostPath(path.GetAbsolutePath(0));
  if (host.empty()) return false;
  const UTCDateTime now = plat::AbsoluteTimeToUtcDateTime(plat::CurrentAbsoluteTime());
  return plat::SetCatalogDates(host, nullptr, &now, nullptr) == noErr;
}

bool CProjectorBuilder::NotifyFolderChanged(const CPathName& folder) { return RefreshFinderWindows(folder, false); }
