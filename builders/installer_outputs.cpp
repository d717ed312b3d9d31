// The two forms of an installer, the bundle and the single file, with the
// installer's picture and settings file.
#include <string>
#include <vector>

#include "builders/archive_file.h"
#include "builders/finder_refresh.h"
#include "builders/installer_archive.h"
#include "builders/installer_builder.h"
#include "builders/staging_folder.h"
#include "foundation/drawing.h"
#include "foundation/file_bytes.h"
#include "foundation/folder_iterator.h"
#include "foundation/png_image.h"
#include "foundation/quicktime_media.h"

namespace {

// A picture file drawn scaled into a world of the installer picture's size.
class CRenderedPicture {
 public:
  CRenderedPicture() = default;
  ~CRenderedPicture() { DisposeOffscreenGWorld(&world_); }
  CRenderedPicture(const CRenderedPicture&) = delete;
  CRenderedPicture& operator=(const CRenderedPicture&) = delete;

  // False when the path is empty or names no picture that opens.
  [[nodiscard]] bool Render(const CPathName& path) {
    if (path.IsEmpty()) return false;
    CQuickTimeMedia media;
    if (!media.OpenFile(path)) return false;
    const int width = int(CInstallerBuilder::kPictureWidth), height = int(CInstallerBuilder::kPictureHeight);
    if (!NewOffscreenGWorld(&world_, width, height, 32)) return false;
    Rect box;
    box.right = SInt16(width);
    box.bottom = SInt16(height);
    return media.DrawFrameToGWorld(world_, &box);
  }
  GWorldPtr GetWorld() const { return world_; }

 private:
  GWorldPtr world_ = nullptr;
};

}  // namespace

bool CInstallerBuilder::Fail(OSErr error, const CPathName& path, const CPathName& otherPath) {
  if (failure == noErr) {
    failure = error == noErr ? OSErr(ioErr) : error;
    failedPath = path;
    otherFailedPath = otherPath;
  }
  return false;
}

bool CInstallerBuilder::Build(const CPathName& destination, const CInstallerTemplate* buildTemplate, int kind) {
  installerTemplate = buildTemplate;
  failure = noErr;
  failedPath = otherFailedPath = CPathName(nullptr);
  leftOut.clear();
  if (!buildTemplate) return false;
  // An installer holds every item of the folders it installs, or is not built.
  CPathName passedOver(nullptr);
  for (const auto& item : items)
    if (item->FindPassedOverItem(passedOver)) return Fail(bdNamErr, passedOver);
  if (kind == kBundleForm) return BuildBundle(destination);
  if (kind == kSingleFileForm) return BuildSingleFile(destination);
  return false;
}

// ---------------------------------------------------------------------------
// The bundle form

bool CInstallerBuilder::BuildBundle(const CPathName& destination) {
  const std::string name = OutputItemName(destination);
  CPathName parent(nullptr);
  if (!::GetOutputFolder(destination, parent)) return Fail(dirNFErr, destination);
  CStagingFolder staging;
  CPathName bundle(nullptr);
  if (!staging.Create() || !staging.GetItem(name.c_str(), bundle) || !bundle.CreateFolder())
    return Fail(wrPermErr, bundle);
  const CPathName contents = MakeSubFolder(bundle, "Contents");
  if (contents.IsEmpty()) return Fail(wrPermErr, bundle);
  if (!BuildContents(contents, kUniversal)) return Fail(wrPermErr, contents);
  // The finished bundle replaces what is at the destination; a copy that
  // fails puts the old one back.
  OSErr error = noErr;
  if (!PlaceBuiltItem(bundle, destination, &error)) return Fail(error, destination);
  RefreshFinderWindows(destination, true);
  return true;
}

bool CInstallerBuilder::BuildContents(const CPathName& contents, int arch) {
  if (!WriteInfoPlist(contents) || !WritePkgInfo(contents)) return false;
  const CPathName macos = MakeSubFolder(contents, "MacOS");
  if (macos.IsEmpty()) return Fail(wrPermErr, contents);
  if (!PutExecutable(macos, arch)) return false;
  const CPathName resources = MakeSubFolder(contents, "Resources");
  if (resources.IsEmpty()) return Fail(wrPermErr, contents);
  return FillResources(resources, arch);
}

bool CInstallerBuilder::PutExecutable(const CPathName&, int) { return true; }
bool CInstallerBuilder::WriteInfoPlist(const CPathName&) { return true; }
bool CInstallerBuilder::WritePkgInfo(const CPathName&) { return true; }

bool CInstallerBuilder::FillResources(const CPathName& resources, int) {
  if (!installerTemplate) return true;
  return CopyTemplateLocalizations(installerTemplate->macFolder, resources) &&
         CopyTemplateItem(installerTemplate->macFolder, "installer.icns", resources);
}

bool CInstallerBuilder::CopyIfPresent(const CPathName& source, const CPathName& folder, const char* newName,
                                      LeftOutKind kind) {
  if (source.IsEmpty() || !source.Exists()) {
    NoteLeftOut(kind, source);
    return true;
  }
  OSErr error = noErr;
  return source.CopyTo(folder, newName, true, nullptr, &error) || Fail(error, source);
}

bool CInstallerBuilder::CopyTextIfPresent(const CPathName& source, const CPathName& folder, const char* newName) {
  if (source.IsEmpty() || !IsRegularFile(source)) {
    NoteLeftOut(kTextLeftOut, source);
    return true;
  }
  OSErr error = noErr;
  return source.CopyFollowingLinks(folder, newName, true, nullptr, &error) || Fail(error, source);
}

bool CInstallerBuilder::CopyTemplateItem(const CPathName& templateFolder, const char* name, const CPathName& folder,
                                         const char* newName) {
  // A name that cannot be put in the folder is left out as a missing item.
  const CPathName source = ChildPath(templateFolder, name);
  return CopyIfPresent(source, folder, newName, kTemplateItemLeftOut);
}

bool CInstallerBuilder::CopyTemplateLocalizations(const CPathName& templateFolder, const CPathName& folder) {
  // Listed first: the folder iteration is one for the whole process.
  std::vector<CPathName> localizations;
  CPathName entry(nullptr);
  bool isFolder = false;
  for (bool more = GetFirstFolderItem(templateFolder, entry, &isFolder, "*"); more;
       more = GetNextFolderItem(entry, &isFolder)) {
    CPathName item = entry;
    item.RemoveTrailingSeparator();
    if (item.GetNameExtension(false) == "lproj") localizations.push_back(item);
  }
  EndFolderIteration();
  if (localizations.empty()) NoteLeftOut(kTemplateItemLeftOut, CPathName(templateFolder.GetString() + "*.lproj"));
  for (const CPathName& item : localizations) {
    OSErr error = noErr;
    if (!item.CopyTo(folder, nullptr, true, nullptr, &error)) return Fail(error, item);
  }
  return true;
}

// ---------------------------------------------------------------------------
// The single-file form

bool CInstallerBuilder::BuildSingleFile(const CPathName& destination) {
  // A single-file installer never takes the place of a folder.
  if (destination.IsFolder()) return Fail(fBsyErr, destination);
  CPathName stub(nullptr);
  std::vector<u8> stubBytes;
  if (!stub.SetInFolder("ssin.dat", installerTemplate->windowsFolder) || !ReadWholeFile(stub, stubBytes))
    return Fail(stub.Exists() ? OSErr(ioErr) : OSErr(fnfErr), stub);
  CPathName parent(nullptr);
  if (!::GetOutputFolder(destination, parent)) return Fail(dirNFErr, destination);
  // Written under a temporary name beside the destination, renamed over it when complete.
  CPendingFile pending;
  CStagingFolder staging;
  if (!pending.Begin(destination) ||
      !OverwriteFileContents(pending.GetPath(), stubBytes.data(), stubBytes.size()))
    return Fail(wrPermErr, destination);
  if (!staging.Create()) return Fail(wrPermErr, destination);
  CInstallerArchiveWriter writer;
  const bool written = writer.Open(pending.GetPath()) && WriteArchive(writer, staging);
  if (!writer.Close() || !written) {
    const CArchiveWriteFailure& archive = writer.GetFailure();
    if (!writer.HasFailed()) return Fail(wrPermErr, destination);
    // A failure of the archive file itself is the destination's.
    if (archive.path.IsEmpty() || archive.path.IsSameAs(pending.GetPath())) return Fail(wrPermErr, destination);
    return Fail(archive.error, archive.path, archive.otherPath);
  }
  OSErr error = noErr;
  if (!pending.Commit(&error)) return Fail(error, destination);
  return true;
}

bool CInstallerBuilder::WriteArchive(CInstallerArchiveWriter& writer, const CStagingFolder& staging) {
  writer.Add(new CInstallerArchiveItem(), true);
  for (const auto& item : items)
    if (!item->AddToArchive(writer)) return false;
  // The script goes in with the steps as they were set; every single-file
  // installer then shows the two standard steps.
  CPathName script(nullptr);
  if (!staging.GetItem("installer.dat", script) || !WriteScript(script)) return Fail(wrPermErr, script);
  auto* scriptItem = new CInstallerScriptItem();
  scriptItem->SetPath(script);
  writer.Add(scriptItem, true);
  settings.steps |= CInstallerSettings::kStandardSteps;
  // A picture that cannot be drawn is left out and noted; a failure of the
  // writer itself comes out at its Close.
  static_cast<void>(AddPictureRecord(writer));
  if ((settings.steps & CInstallerSettings::kReadMeStep) && !AddTextRecord(writer, true, settings.readMePath))
    return false;
  if ((settings.steps & CInstallerSettings::kLicenseStep) && !AddTextRecord(writer, false, settings.licensePath))
    return false;
  CPathName values(nullptr);
  if (!staging.GetItem("icd0.dat", values) || !WriteSettingsFile(settings, values)) return Fail(wrPermErr, values);
  auto* settingsItem = new CInstallerSettingsItem();
  settingsItem->SetPath(values);
  writer.Add(settingsItem, true);
  return !writer.HasFailed();
}

bool CInstallerBuilder::AddTextRecord(CInstallerArchiveWriter& writer, bool isReadMe, const CPathName& path) {
  // A text that is not there is left out, as the bundle form leaves it out.
  if (path.IsEmpty() || !IsRegularFile(path)) {
    NoteLeftOut(kTextLeftOut, path);
    return true;
  }
  CInstallerFileItem* item = isReadMe ? static_cast<CInstallerFileItem*>(new CInstallerReadMeItem())
                                      : static_cast<CInstallerFileItem*>(new CInstallerLicenseItem());
  item->SetPath(path);
  return writer.Add(item, true) != 0;
}

// ---------------------------------------------------------------------------
// Picture and settings file

bool CInstallerBuilder::WriteSplash(const CPathName& folder) {
  CRenderedPicture picture;
  if (!picture.Render(settings.picturePath)) {
    if (!settings.picturePath.IsEmpty()) NoteLeftOut(kPictureLeftOut, settings.picturePath);
    return false;
  }
  CPathName splash(nullptr);
  if (!splash.SetInFolder("splash.png", folder) || !SaveGWorldAsPng(picture.GetWorld(), splash))
    return Fail(wrPermErr, splash);
  return true;
}

bool CInstallerBuilder::AddPictureRecord(CInstallerArchiveWriter& writer) {
  CRenderedPicture picture;
  CBitmapImage bitmap;
  if (!picture.Render(settings.picturePath) || !bitmap.CopyFromGWorld(picture.GetWorld())) {
    if (!settings.picturePath.IsEmpty()) NoteLeftOut(kPictureLeftOut, settings.picturePath);
    return false;
  }
  auto* item = new CInstallerPictureItem();
  if (!item->SetImage(bitmap)) {
    delete item;
    writer.Fail(memFullErr, settings.picturePath);
    return false;
  }
  return writer.Add(item, true) != 0;
}

bool CInstallerBuilder::AddPictureBitmapRecord(CInstallerArchiveWriter& writer) {
  if (!hasPictureBitmap) return false;
  auto* item = new CInstallerPictureItem();
  if (!item->SetImage(pictureBitmap)) {
    delete item;
    writer.Fail(memFullErr);
    return false;
  }
  return writer.Add(item, true) != 0;
}

void CInstallerBuilder::SetPictureBitmap(const CBitmapImage& bitmap, bool has) {
  hasPictureBitmap = has && pictureBitmap.CopyFrom(bitmap);
}

void CInstallerBuilder::SetReadMeFile(const CPathName& path, bool has) {
  readMeFile = path;
  hasReadMeFile = has;
}

void CInstallerBuilder::SetLicenseFile(const CPathName& path, bool has) {
  licenseFile = path;
  hasLicenseFile = has;
}

bool CInstallerBuilder::WriteSettingsFile(const CInstallerSettings& values, const CPathName& path) const {
  u8 bytes[16];
  PutArchiveWord(bytes, values.steps);
  PutArchiveWord(bytes + 4, u32(values.min_os_version));
  PutArchiveWord(bytes + 8, values.silent);
  PutArchiveWord(bytes + 12, values.run_end_script);
  return WriteWholeFile(path, bytes, sizeof bytes, true);
}
