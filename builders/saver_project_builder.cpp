#include "builders/saver_project_builder.h"

#include <algorithm>
#include <vector>

#include "builders/archive_file.h"
#include "builders/build_messages.h"
#include "builders/install_items.h"
#include "builders/installer_builder.h"
#include "builders/mac_saver_bundle.h"
#include "builders/saver_archive.h"
#include "builders/saver_builder.h"
#include "builders/saver_data_list.h"
#include "builders/saver_project.h"
#include "builders/staging_folder.h"
#include "builders/swf_item.h"
#include "foundation/file_bytes.h"
#include "foundation/finder_info.h"
#include "foundation/fork_file.h"
#include "foundation/quicktime_media.h"
#include "foundation/string_buffer.h"
#include "swf/swf_compression.h"

namespace {

const char kEngineName[] = "fssx";
const char kLanguageFolder[] = "English.lproj";
const char kUniversalPlugin[] = "Flash Player.plugin";
const char kPlugin[] = "fprx";
const char kMovieName[] = "ssaver.swf";
const char kSettingsName[] = "ssc0.dat";
const char kInstallerName[] = "Installer";
const char kInstallerIcon[] = "installer.icns";
// The settings document in the Windows saver's archive is written under this name.
const char kWindowsSettingsName[] = "ss.dat";

// The screen-saver data list of the first-generation project: the values
// both models share by name. The movie's check was made by the caller.
[[nodiscard]] bool FillSaverDataList(const CSaverProject& project, CSaverDataList& list) {
  const SaverEngineSettings& settings = project.GetSettings();
  list.SetName(project.GetHeldName());
  list.SetExitOnMouseMove(settings.exitOnMouseMove != 0);
  list.SetExitOnMouseClick(settings.exitOnMouseClick != 0);
  list.SetExitOnKeyPress(settings.exitOnKeyPress != 0);
  list.SetHideMouseCursor(settings.hideMouseCursor != 0);
  CSwfItem* root = list.GetRootItem();
  if (!root || !root->SetSwfFile(project.GetMovie())) return false;
  const CPathList& more = project.GetMoreFiles();
  for (int i = 0; i < more.GetCount(); ++i) root->AddMoreFile(*more.GetAt(i));
  root->SetFlashQuality(settings.flashQuality);
  root->SetUseFlashBgColor(settings.hasBackgroundColor != 0);
  root->SetFlashBgColor(settings.backgroundColor);
  return true;
}

}  // namespace

// The installer of the first-generation saver: the installer builder's
// bundle form, whose steps are the project builder's.
class CSaverProjectInstaller : public CInstallerBuilder {
 public:
  explicit CSaverProjectInstaller(CSaverProjectBuilder& projectBuilder) : owner(projectBuilder) {}

  [[nodiscard]] bool BuildContents(const CPathName& contents, int arch) override {
    // The bundle folder carries the Finder's bundle flag.
    CForkFile bundle;
    const CPathName folder(contents.GetParentFolder(true));
    if (!bundle.SetPath(folder) || !bundle.SetHasBundleFlag()) return Fail(wrPermErr, folder);
    return CInstallerBuilder::BuildContents(contents, arch);
  }
  [[nodiscard]] bool WriteInfoPlist(const CPathName& contents) override { return owner.WriteInstallerInfoPlist(contents); }
  [[nodiscard]] bool WritePkgInfo(const CPathName& contents) override { return owner.WritePkgInfo(contents); }
  [[nodiscard]] bool PutExecutable(const CPathName& macos, int) override { return owner.PutInstallerExecutable(macos); }
  [[nodiscard]] bool FillResources(const CPathName& resources, int) override { return owner.FillInstallerResources(resources); }

  [[nodiscard]] bool CopyLocalizations(const CPathName& resources) {
    return CopyTemplateLocalizations(installerTemplate->macFolder, resources);
  }
  [[nodiscard]] bool HasFailure() const { return failure != noErr; }

 private:
  CSaverProjectBuilder& owner;
};

CSaverProjectBuilder::CSaverProjectBuilder(CSaverProject& saverProject) : project(saverProject) {}

CSaverProjectBuilder::~CSaverProjectBuilder() = default;

// ---------------------------------------------------------------------------
// Checks

bool CSaverProjectBuilder::FindTemplate(const CPathName& folder, const char* name, CPathName& item) {
  if (folder.IsEmpty() || !item.SetInFolder(name, folder) || !item.Exists())
    return progress.Fail(kTemplateMissingMessage, ShownPath(item.IsEmpty() ? folder : item));
  return true;
}

bool CSaverProjectBuilder::CheckTexts() {
  CStringBuffer refusal;
  std::string hostRefusal;
  return project.ValidateTexts(&refusal, &hostRefusal) || progress.FailWithText(refusal.GetText(), &hostRefusal);
}

bool CSaverProjectBuilder::CheckMovie() {
  const CPathName& movie = project.GetMovie();
  if (movie.IsEmpty()) return progress.Fail(kNoMovieMessage);
  if (!LeadsToItem(movie)) return progress.Fail(kFileMissingMessage, ShownPath(movie));
  if (!IsMovieFile(movie)) return progress.Fail(kNotAMovieMessage, ShownPath(movie));
  return true;
}

bool CSaverProjectBuilder::CollectExtraFiles(const CPathName& resources, std::vector<CNamedSource>& files) {
  const CPathName& engines = project.GetEngineFolder();
  const char* plugin = project.GetUniversalBinary() ? kUniversalPlugin : kPlugin;
  // What the bundle's Resources hold besides the extra files.
  const std::vector<CNamedSource> reserved = {{kLanguageFolder, ChildPath(engines, kLanguageFolder)},
                                              {plugin, ChildPath(engines, plugin)},
                                              {kMovieName, project.GetMovie()},
                                              {kSettingsName, ChildPath(resources, kSettingsName)}};
  std::vector<CPathName> sources;
  const CPathList& more = project.GetMoreFiles();
  sources.reserve(size_t(std::max(more.GetCount(), 0)));
  for (int i = 0; i < more.GetCount(); ++i) sources.push_back(*more.GetAt(i));
  files.clear();
  COutputFileProblem problem;
  if (CollectNamedFiles(sources, reserved, kNameTakenMessage, files, problem)) return true;
  return FailBuild(progress, problem);
}

bool CSaverProjectBuilder::CopyInto(const CPathName& source, const CPathName& folder, const char* newName) {
  if (FollowLinks(source).CopyTo(folder, newName, false, nullptr)) return true;
  return progress.Fail(kCannotCopyIntoMessage, ShownPath(source), OutputItemName(folder));
}

bool CSaverProjectBuilder::CopyProjectFileInto(const CPathName& source, const CPathName& folder, const char* newName) {
  if (source.CopyFollowingLinks(folder, newName, false, nullptr)) return true;
  return progress.Fail(kCannotCopyIntoMessage, ShownPath(source), OutputItemName(folder));
}

// ---------------------------------------------------------------------------
// The saver

bool CSaverProjectBuilder::BuildSaver(const CPathName& saverPath, const BuildRequest& request) {
  progress.Begin(request.progress);
  return BuildSaverBundle(saverPath, request.overwrite);
}

bool CSaverProjectBuilder::BuildSaverBundle(const CPathName& saverPath, bool overwrite) {
  project.RandomizeSettings();
  progress.Say("Creating screen saver");
  project.SetUniqueName(project.GetName().c_str());

  // Everything the bundle needs is checked before anything is made.
  if (!CheckTexts()) return false;
  CPathName outputFolder(nullptr);
  if (!GetOutputFolder(saverPath, outputFolder)) return progress.Fail(kNoOutputFolderMessage, ShownPath(saverPath));
  if (saverPath.Exists() && !overwrite) return progress.Fail(kOutputExistsMessage, ShownPath(saverPath));
  CPathName item(nullptr);
  const CPathName& engines = project.GetEngineFolder();
  if (!FindTemplate(engines, kEngineName, item) || !FindTemplate(engines, kLanguageFolder, item) ||
      !FindTemplate(engines, project.GetUniversalBinary() ? kUniversalPlugin : kPlugin, item))
    return false;
  std::vector<CNamedSource> extras;
  if (!CheckMovie() || !CollectExtraFiles(CPathName(ShownPath(saverPath) + "/Contents/Resources/"), extras))
    return false;

  CStagingFolder staging;
  CPathName bundle(nullptr);
  if (!staging.Create()) return progress.Fail(kNoWorkFolderMessage);
  if (!staging.GetItem(OutputItemName(saverPath).c_str(), bundle) || !bundle.CreateFolder())
    return progress.Fail(kCannotWriteMessage, ShownPath(saverPath));
  const CPathName contents = MakeSubFolder(bundle, "Contents");
  if (contents.IsEmpty()) return progress.Fail(kCannotWriteMessage, ShownPath(bundle));
  if (!WriteSaverInfoPlist(contents)) return false;
  const CPathName macos = MakeSubFolder(contents, "MacOS");
  if (macos.IsEmpty()) return progress.Fail(kCannotWriteMessage, ShownPath(contents));
  if (!PatchEngine(macos)) return false;
  const CPathName resources = MakeSubFolder(contents, "Resources");
  if (resources.IsEmpty()) return progress.Fail(kCannotWriteMessage, ShownPath(contents));
  if (!FillSaverResources(resources)) return false;

  if (!PlaceBuiltItem(bundle, saverPath)) return progress.Fail(kCannotPlaceMessage, ShownPath(saverPath));
  progress.Say("Completed Screen Saver");
  return true;
}

bool CSaverProjectBuilder::WriteSaverInfoPlist(const CPathName& contents) {
  const std::string unique = project.GetUniqueName();
  const CPathName path = ChildPath(contents, "Info.plist");
  if (WriteInfoPlistFile(path, {{"CFBundleDevelopmentRegion", "English"},
                                {"CFBundleExecutable", kEngineName},
                                {"CFBundleIdentifier", std::string(kBundleIdentifierPrefix) + "screensaver." + unique},
                                {"CFBundleInfoDictionaryVersion", "6.0"},
                                {"CFBundlePackageType", "BNDL"},
                                {"CFBundleSignature", "FsXX"},
                                {"CFBundleVersion", "1.0"},
                                {"NSPrincipalClass", "OxSS" + unique}}))
    return true;
  return progress.Fail(kCannotWriteMessage, ShownPath(path));
}

bool CSaverProjectBuilder::PatchEngine(const CPathName& macosFolder) {
  CPathName engine(nullptr);
  if (!FindTemplate(project.GetEngineFolder(), kEngineName, engine)) return false;
  CPathName copy(nullptr);
  if (!engine.CopyTo(macosFolder, nullptr, true, &copy)) return progress.Fail(kCannotCopyMessage, ShownPath(engine));
  std::vector<u8> bytes;
  if (!ReadWholeFile(copy, bytes)) return progress.Fail(kCannotReadMessage, ShownPath(engine));
  PatchEnginePlaceholders(bytes, project.GetUniqueName());
  // Written back into the copy, which keeps its permissions and Finder information.
  if (!OverwriteFileContents(copy, bytes.data(), bytes.size()))
    return progress.Fail(kCannotWriteMessage, ShownPath(copy));
  return true;
}

bool CSaverProjectBuilder::FillSaverResources(const CPathName& resources) {
  CPathName language(nullptr);
  CPathName plugin(nullptr);
  const CPathName& engines = project.GetEngineFolder();
  std::vector<CNamedSource> extras;
  if (!FindTemplate(engines, kLanguageFolder, language) ||
      !FindTemplate(engines, project.GetUniversalBinary() ? kUniversalPlugin : kPlugin, plugin) ||
      !CollectExtraFiles(resources, extras))
    return false;
  if (!CopyInto(language, resources) || !CopyInto(plugin, resources) || !PutMovie(resources)) return false;
  for (const CNamedSource& file : extras)
    if (!CopyProjectFileInto(file.path, resources, file.name.c_str())) return false;
  if (!WriteEngineSettingsFile(project.GetSettings(), resources))
    return progress.Fail(kCannotWriteMessage, ShownPath(ChildPath(resources, kSettingsName)));
  return true;
}

bool CSaverProjectBuilder::PutMovie(const CPathName& resources) {
  if (!CheckMovie()) return false;
  const CPathName& movie = project.GetMovie();
  CPathName copy(nullptr);
  if (!movie.CopyFollowingLinks(resources, kMovieName, false, &copy))
    return progress.Fail(kCannotCopyIntoMessage, ShownPath(movie), OutputItemName(resources));
  // The engine plays the plain form; a compressed movie that does not expand is damaged.
  if (!DecompressSwfFileInPlace(copy, false)) return progress.Fail(kCannotReadMessage, ShownPath(movie));
  SaverEngineSettings& settings = project.GetSettings();
  settings.movieChecksum = CSaverProject::ComputeMovieChecksum(copy) & settings.checksumMask;
  return true;
}

// ---------------------------------------------------------------------------
// The Windows saver

bool CSaverProjectBuilder::CheckWindowsSaver(const BuildRequest& request) {
  progress.Begin(request.progress);
  CPathName output(nullptr);
  CSaverDataList list;
  if (!CheckWindowsSaverFiles(output, list)) return false;
  CSaverArchive archive(list, kWindowsSettingsName);
  return archive.CheckSources(output) || FailBuild(progress, archive.GetProblem());
}

bool CSaverProjectBuilder::CheckWindowsSaverFiles(CPathName& output, CSaverDataList& list) {
  if (!CheckTexts()) return false;
  const std::string fileName = project.GetName() + ".scr";
  if (project.GetOutputFolder().IsEmpty()) return progress.Fail(kNoFolderForOutputMessage, fileName);
  if (!project.GetWindowsSaverPath(output)) return progress.Fail(kBadOutputNameMessage, fileName);
  if (!IsWindowsName(fileName)) return progress.Fail(kWindowsNameMessage, fileName);
  if (!CheckMovie()) return false;
  if (!FillSaverDataList(project, list)) return progress.Fail(kNotAMovieMessage, ShownPath(project.GetMovie()));
  return true;
}

bool CSaverProjectBuilder::BuildWindowsSaver(const BuildRequest& request) {
  progress.Begin(request.progress);
  progress.Say("Creating Windows screen saver");
  CPathName output(nullptr);
  CSaverDataList list;
  if (!CheckWindowsSaverFiles(output, list)) return false;
  CPathName outputFolder(nullptr);
  if (!GetOutputFolder(output, outputFolder)) return progress.Fail(kNoOutputFolderMessage, ShownPath(output));
  if (output.Exists()) {
    if (!request.overwrite) return progress.Fail(kOutputExistsMessage, ShownPath(output));
    // A single-file output never takes the place of a folder.
    if (output.IsFolder()) return progress.Fail(kFolderNotReplacedMessage, ShownPath(output));
  }
  CSaverArchive archive(list, kWindowsSettingsName);
  if (!archive.Write(output, {})) {
    const COutputFileProblem& problem = archive.GetProblem();
    if (problem.message == 0) return progress.Fail(kCannotWriteMessage, ShownPath(output));
    return FailBuild(progress, problem);
  }
  progress.Say("Completed Windows Screen Saver");
  return true;
}

// ---------------------------------------------------------------------------
// The installer

bool CSaverProjectBuilder::BuildInstaller(const CPathName& installerPath, const BuildRequest& request) {
  progress.Begin(request.progress);
  installerApp = installerPath;
  installerApp.RemoveTrailingSeparator();
  if (installerApp.GetExtension(false) != "app") installerApp.SetPath((installerApp.GetString() + ".app").c_str());

  CPathName outputFolder(nullptr);
  if (!GetOutputFolder(installerApp, outputFolder))
    return progress.Fail(kNoOutputFolderMessage, ShownPath(installerApp));
  if (installerApp.Exists() && !request.overwrite) return progress.Fail(kOutputExistsMessage, ShownPath(installerApp));
  CPathName item(nullptr);
  if (!FindTemplate(project.GetInstallerFolder(), kInstallerName, item) ||
      !FindTemplate(project.GetInstallerFolder(), kInstallerIcon, item))
    return false;

  // The saver, built afresh in a staging folder that goes with this build.
  const std::string saverName = project.GetName() + ".saver";
  if (!IsOutputItemName(saverName)) return progress.Fail(kBadOutputNameMessage, saverName);
  CStagingFolder staging;
  CPathName saver(nullptr);
  if (!staging.Create() || !staging.GetItem(saverName.c_str(), saver)) return progress.Fail(kNoWorkFolderMessage);
  if (!BuildSaverBundle(saver, true)) return false;

  progress.Say("Creating Installer");
  CSaverProjectInstaller builder(*this);
  CInstallItem* saverItem = AddInstallItem(builder, CInstallItem::kScreenSaver, CInstallItem::kCurrentUser);
  AddInstallTree(builder, saver, saverItem);
  CInstallerTemplate installerTemplate;
  installerTemplate.macFolder = project.GetInstallerFolder();
  installer = &builder;
  const bool built = builder.Build(installerApp, &installerTemplate, CInstallerBuilder::kBundleForm);
  installer = nullptr;
  if (!built) {
    if (progress.HasFailed()) return false;
    const CPathName& failed = builder.GetFailedPath();
    switch (builder.GetFailure()) {
      case dupFNErr:
        return progress.Fail(kInstallerNameTakenMessage, failed.GetName(false), ShownPath(builder.GetOtherFailedPath()),
                             ShownPath(failed));
      case bdNamErr:
        return progress.Fail(kBadNameMessage, ShownPath(failed));
      case fnfErr:
        return progress.Fail(kFileMissingMessage, ShownPath(failed));
      case ioErr:
      case memFullErr:
        return progress.Fail(kCannotReadMessage, ShownPath(failed));
      default:
        return progress.Fail(failed.IsSameAs(installerApp) ? kCannotPlaceMessage : kCannotWriteMessage,
                             ShownPath(failed.IsEmpty() ? installerApp : failed));
    }
  }
  progress.Say("Cleaning up...");
  // The installer is complete; a staging folder that cannot be removed only
  // leaves clutter in the work folder.
  static_cast<void>(staging.Remove());
  progress.Say("Completed Installer");
  return true;
}

bool CSaverProjectBuilder::WriteInstallerInfoPlist(const CPathName& contents) {
  progress.Say("Writing info");
  const CPathName path = ChildPath(contents, "Info.plist");
  if (WriteInfoPlistFile(path,
                         {{"CFBundleIdentifier", std::string(kBundleIdentifierPrefix) + "stationery"},
                          {"CFBundleName", "Installer"},
                          {"CFBundleGetInfoString", "Installer 1.0, installs a screen saver"},
                          {"CFBundleShortVersionString", "Installer version 1.0"},
                          {"CFBundlePackageType", "APPL"},
                          {"CFBundleSignature", "Oxmk"},
                          {"CFBundleExecutable", kInstallerName},
                          {"CFBundleVersion", "1.0"},
                          {"CFBundleIconFile", kInstallerIcon},
                          {"CFBundleDevelopmentRegion", "English"},
                          {"CFBundleInfoDictionaryVersion", "6.0"},
                          {"LSPrefersCarbon", "<true/>", true}},
                         InfoPlistForm::kVersion09))
    return true;
  return progress.Fail(kCannotWriteMessage, ShownPath(path));
}

bool CSaverProjectBuilder::WritePkgInfo(const CPathName& contents) {
  progress.Say("Writing package");
  CPathName path = ChildPath(contents, "PkgInfo");
  const CFileTypeCreator textFile(FourCC("    "), FourCC("TEXT"));
  if (path.CreateFile(&textFile, true) && OverwriteFileContents(path, "APPLOxmk", 8)) return true;
  return progress.Fail(kCannotWriteMessage, ShownPath(path));
}

bool CSaverProjectBuilder::PutInstallerExecutable(const CPathName& macosFolder) {
  progress.Say("Adding installer");
  CPathName executable(nullptr);
  if (!FindTemplate(project.GetInstallerFolder(), kInstallerName, executable)) return false;
  CPathName copy(nullptr);
  if (!executable.CopyTo(macosFolder, nullptr, true, &copy))
    return progress.Fail(kCannotCopyIntoMessage, ShownPath(executable), kInstallerName);
  progress.Say("Adding alias");
  // The bundle's own folder holds the alias.
  CPathName contents(macosFolder.GetParentFolder(true));
  const CPathName alias = ChildPath(CPathName(contents.GetParentFolder(true)), kInstallerName);
  if (MakeAliasFile(copy, alias) != noErr) return progress.Fail(kCannotWriteMessage, ShownPath(alias));
  return true;
}

OSErr CSaverProjectBuilder::MakeAliasFile(const CPathName& target, const CPathName& aliasFile) {
  if (target.CreateAliasFile(aliasFile)) return noErr;
  OSErr error = OSErr(GetLastPathError());
  if (error == noErr) error = ioErr;
  // Nothing half-made stays at the alias's place.
  if (!aliasFile.IsFolder()) aliasFile.Delete();
  return error;
}

bool CSaverProjectBuilder::FillInstallerResources(const CPathName& resources) {
  if (!installer) return progress.Fail(kNoProjectMessage);
  const CPathName& templates = project.GetInstallerFolder();
  progress.Say("Adding international files");
  if (!installer->CopyLocalizations(resources)) return progress.Fail(kCannotCopyMessage, ShownPath(templates));
  const CPathName resourceFile = ChildPath(templates, "main.rsrc");
  if (resourceFile.Exists() && !CopyInto(resourceFile, resources)) return false;
  if (!WriteSplashPicture(resources)) return false;
  progress.Say("Adding icon");
  CPathName icon(nullptr);
  if (!FindTemplate(templates, kInstallerIcon, icon) || !CopyInto(icon, resources)) return false;

  CInstallerSettings& values = installer->GetSettings();
  values.steps = CInstallerSettings::kStandardSteps;
  struct Text {
    bool on;
    const char* progressText;
    u32 step;
    const CPathName& source;
    const char* name;
  };
  const Text texts[] = {
      {project.GetInstallerReadme(), "Adding read me", CInstallerSettings::kReadMeStep, project.GetInstallerReadmeSrc(),
       "ReadMe.txt"},
      {project.GetInstallerLicense(), "Adding license", CInstallerSettings::kLicenseStep,
       project.GetInstallerLicenseSrc(), "License.txt"},
  };
  for (const Text& text : texts) {
    if (!text.on) continue;
    progress.Say(text.progressText);
    values.steps |= text.step;
    // A text that is not there is left out; the step stays on.
    if (text.source.IsEmpty() || !IsRegularFile(text.source)) {
      progress.Note(kTextLeftOutMessage, ShownPath(text.source));
      continue;
    }
    if (!CopyProjectFileInto(text.source, resources, text.name)) return false;
  }

  progress.Say("Adding configuration");
  const CPathName configuration = ChildPath(resources, "icd0.dat");
  if (!installer->WriteSettingsFile(values, configuration))
    return progress.Fail(kCannotWriteMessage, ShownPath(configuration));
  progress.Say("Compressing");
  // WriteInstallFiles keeps its failure in the installer builder, which
  // BuildInstaller reports.
  return installer->WriteInstallFiles(resources);
}

bool CSaverProjectBuilder::WriteSplashPicture(const CPathName& resources) {
  if (!project.GetInstallerCustomPic()) return true;
  const CPathName& picture = project.GetInstallerCustomPicSrc();
  CQuickTimeMedia media;
  if (picture.IsEmpty() || !IsRegularFile(picture) || !media.OpenFile(picture))
    return progress.Fail(kPictureNotOpenedMessage, ShownPath(picture));
  progress.Say("Adding custom picture");
  if (!installer) return progress.Fail(kNoProjectMessage);
  installer->GetSettings().picturePath = picture;
  if (!installer->WriteSplash(resources)) return progress.Fail(kCannotWriteMessage, ShownPath(ChildPath(resources, "splash.png")));
  return true;
}
