#include "builders/saver_installer_builder.h"

#include <string>

#include "builders/mac_saver_bundle.h"
#include "builders/saver_builder.h"
#include "builders/saver_data_list.h"
#include "builders/staging_folder.h"
#include "foundation/file_bytes.h"
#include "foundation/finder_info.h"

void CSaverInstallerBuilder::SetFromProject(const CSaverDataList& list) {
  CInstallerSettings& values = GetSettings();
  values.readMePath = values.licensePath = values.picturePath = CPathName(nullptr);
  if (list.GetInstallerType() != kInstallerTypeStandard) {
    values.steps = 0;
    values.silent = 1;
  } else {
    values.silent = 0;
    values.steps = CInstallerSettings::kStandardSteps;
    if (list.GetInstallerHasCustomPic()) values.picturePath = list.GetInstallerCustomPic();
    if (list.GetInstallerHasReadMe()) {
      values.steps |= CInstallerSettings::kReadMeStep;
      values.readMePath = list.GetInstallerReadMe();
    }
    if (list.GetInstallerHasLicense()) {
      values.steps |= CInstallerSettings::kLicenseStep;
      values.licensePath = list.GetInstallerLicense();
    }
  }
  values.run_end_script = list.GetDoAfterInstall() == kDoAfterInstallOpenSaverPanel ? 1 : 0;
}

bool CSaverInstallerBuilder::PutExecutable(const CPathName& macos, int) {
  const CPathName executable = ChildPath(installerTemplate->macFolder, "Installer");
  if (!IsRegularFile(executable)) return Fail(fnfErr, executable);
  OSErr error = noErr;
  return executable.CopyTo(macos, nullptr, true, nullptr, &error) || Fail(error, executable);
}

bool CSaverInstallerBuilder::FillResources(const CPathName& resources, int arch) {
  // Localisations and icon.
  if (!CInstallerBuilder::FillResources(resources, arch)) return false;
  settings.steps |= CInstallerSettings::kStandardSteps;
  // The project's picture, else the template's.
  if (!WriteSplash(resources)) {
    if (failure != noErr) return false;
    if (!CopyTemplateItem(installerTemplate->macFolder, "splash.png", resources)) return false;
  }
  if ((settings.steps & CInstallerSettings::kReadMeStep) &&
      !CopyTextIfPresent(settings.readMePath, resources, "ReadMe.txt"))
    return false;
  if ((settings.steps & CInstallerSettings::kLicenseStep) &&
      !CopyTextIfPresent(settings.licensePath, resources, "License.txt"))
    return false;
  const CPathName values = ChildPath(resources, "icd0.dat");
  if (!WriteSettingsFile(settings, values)) return Fail(wrPermErr, values);
  return WriteInstallFiles(resources);
}

bool CSaverInstallerBuilder::WriteInfoPlist(const CPathName& contents) {
  const std::string prefix = kBundleIdentifierPrefix;
  const CPathName path = ChildPath(contents, "Info.plist");
  return WriteInfoPlistFile(path, {{"CFBundleDevelopmentRegion", "English"},
                                   {"CFBundleExecutable", "Installer"},
                                   {"CFBundleIconFile", "installer.icns"},
                                   {"CFBundleIdentifier", prefix + "SwfScreenSaverInstaller"},
                                   {"CFBundleInfoDictionaryVersion", "6.0"},
                                   {"CFBundlePackageType", "APPL"},
                                   {"CFBundleSignature", "Oxmk"},
                                   {"CFBundleVersion", "1.0"},
                                   {"CSResourcesFileMapped", "<true/>", true}}) ||
         Fail(wrPermErr, path);
}

bool CSaverInstallerBuilder::WritePkgInfo(const CPathName& contents) {
  CPathName path = ChildPath(contents, "PkgInfo");
  const CFileTypeCreator textFile(FourCC("    "), FourCC("TEXT"));
  return (path.CreateFile(&textFile, true) && OverwriteFileContents(path, "APPLOxmk", 8)) ||
         Fail(wrPermErr, path);
}
