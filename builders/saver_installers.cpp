// The installer steps of CSaverBuilder: a fresh copy of the screen saver,
// built in a staging folder of the step's own, wrapped into an installer
// (the Mac one an application bundle, the Windows one a single file behind
// the installer stub) that installs it into the user's screen-saver folder.
#include "builders/archive_file.h"
#include "builders/build_messages.h"
#include "builders/install_items.h"
#include "builders/saver_archive.h"
#include "builders/saver_builder.h"
#include "builders/saver_data_list.h"
#include "builders/saver_installer_builder.h"
#include "builders/staging_folder.h"
#include "foundation/file_bytes.h"

bool CSaverBuilder::BuildMacInstaller(CSaverDataList* list, bool overwrite) {
  CPathName output(nullptr);
  if (list && !list->GetMacUniversalInstallerOutputPath(output))
    return Report(kNoFolderForOutputMessage, list->GetMacUniversalInstallerFileName());
  return BuildInstaller(list, overwrite, output, CInstallerBuilder::kBundleForm);
}

bool CSaverBuilder::BuildWinInstaller(CSaverDataList* list, bool overwrite) {
  CPathName output(nullptr);
  if (list && !list->GetWinInstallerOutputPath(output))
    return Report(kNoFolderForOutputMessage, list->GetWinInstallerFileName());
  return BuildInstaller(list, overwrite, output, CInstallerBuilder::kSingleFileForm);
}

bool CSaverBuilder::BuildInstaller(CSaverDataList* list, bool overwrite, const CPathName& output, int form) {
  dataList = list;
  if (!list) return Report(kNoProjectMessage);
  const bool mac = form == CInstallerBuilder::kBundleForm;
  Report(mac ? kBuildingMacInstallerMessage : kBuildingWinInstallerMessage, OutputItemName(output));
  // An existing installer is kept when asked: the saver inside it is not
  // built then, as nothing would take it.
  if (output.Exists()) {
    if (!overwrite) {
      Note(kOutputKeptMessage, Shown(output));
      return true;
    }
    if (!mac && output.IsFolder()) return Report(kFolderNotReplacedMessage, Shown(output));
  }
  CInstallerTemplate installerTemplate;
  installerTemplate.macFolder = folders.GetFolder(CBuildFolders::kMacInstallerFolder);
  installerTemplate.windowsFolder = folders.GetFolder(CBuildFolders::kWinInstallerFolder);
  if (!mac) installerTemplate.codeText = "SSIN";
  const CPathName stub = mac ? ChildPath(installerTemplate.macFolder, "Installer")
                             : ChildPath(installerTemplate.windowsFolder, "ssin.dat");
  if (!IsRegularFile(stub)) return Report(kTemplateMissingMessage, Shown(stub));

  // The screen saver, built afresh in a staging folder that goes with the step.
  CStagingFolder staging;
  CPathName saver(nullptr);
  const std::string saverName = mac ? list->GetMacUniversalFileName() : list->GetWinFileName();
  if (!staging.Create() || !staging.GetItem(saverName.c_str(), saver)) return Report(kNoWorkFolderMessage);
  if (!(mac ? BuildSaverBundle(saver, list, true) : BuildScr(saver, list, true))) return false;

  CSaverInstallerBuilder installer;
  installer.SetFromProject(*list);
  CInstallItem* item = AddInstallItem(installer, CInstallItem::kScreenSaver, CInstallItem::kCurrentUser);
  AddInstallTree(installer, saver, item);
  const bool built = installer.Build(output, &installerTemplate, form);
  for (const CInstallerBuilder::CLeftOut& missing : installer.GetLeftOut())
    Note(missing.kind == CInstallerBuilder::kPictureLeftOut  ? kPictureLeftOutMessage
         : missing.kind == CInstallerBuilder::kTextLeftOut   ? kTextLeftOutMessage
                                                             : kInstallerItemLeftOutMessage,
         Shown(missing.path));
  if (built) return true;
  return ReportWriteFailure(installer.GetFailure(), installer.GetFailedPath(), installer.GetOtherFailedPath(), output,
                            kInstallerNameTakenMessage);
}

bool CSaverBuilder::CheckWinInstallerNames(const CSaverDataList& list) {
  CSaverInstallerBuilder installer;
  installer.SetFromProject(list);
  const CInstallerSettings& values = installer.GetSettings();
  // The texts go in as the installer takes them: when their step is on and
  // they are files (else they are left out, and noted).
  auto packs = [&values](u32 step, const CPathName& path) {
    return (values.steps & step) && !path.IsEmpty() && IsRegularFile(path);
  };
  const struct {
    const char* name;
    bool packed;
    CPathName source;  // empty for the installer's own file
  } own[] = {{"installer.dat", true, CPathName(nullptr)},
             {"icd0.dat", true, CPathName(nullptr)},
             {"ReadMe.txt", packs(CInstallerSettings::kReadMeStep, values.readMePath), values.readMePath},
             {"License.txt", packs(CInstallerSettings::kLicenseStep, values.licensePath), values.licensePath}};
  const std::string saver = FoldNameCase(list.GetWinFileName());
  CPathName output(nullptr);
  if (!list.GetWinOutputPath(output)) output = CPathName(list.GetWinFileName());
  for (const auto& file : own)
    if (file.packed && FoldNameCase(file.name) == saver)
      return Report(kInstallerNameTakenMessage, file.name, Shown(output),
                    file.source.IsEmpty() ? std::string(file.name) : Shown(file.source));
  return true;
}

bool CSaverBuilder::ReportWriteFailure(OSErr error, const CPathName& path, const CPathName& otherPath,
                                       const CPathName& output, int nameTakenMessage) {
  return ReportProblem(WriteFailureProblem(error, path, otherPath, output, nameTakenMessage));
}
