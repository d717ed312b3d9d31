#include "tests/builders/saver_test_support.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

#include "builders/data_archive.h"
#include "builders/installer_archive.h"
#include "builders/installer_builder.h"
#include "builders/saver_project.h"
#include "builders/saver_project_builder.h"
#include "foundation/path_name.h"
#include "platform/roots.h"
#include "tests/builders/archive_test_support.h"
#include "tests/builders/model_fixtures.h"
#include "tests/support/test_support.h"

namespace savertest {

namespace {

void MakeFolders(const std::string& path) {
  for (size_t at = path.find('/', 1); at != std::string::npos; at = path.find('/', at + 1))
    mkdir(path.substr(0, at).c_str(), 0755);
}

void Put(const std::string& path, const std::string& contents) {
  MakeFolders(path);
  ASSERT_TRUE(gbtest::WriteFile(path, contents)) << path;
}

void Put(const std::string& path, const std::vector<u8>& contents) {
  MakeFolders(path);
  ASSERT_TRUE(gbtest::WriteFile(path, contents)) << path;
}

}  // namespace

bool PutFile(const std::string& path, const std::string& contents) {
  MakeFolders(path);
  return gbtest::WriteFile(path, contents);
}

std::vector<u8> MacEngineBytes() {
  std::string engine = "\x7F" "ENGINE..class OxSSXXXXXXXXXXXXXXXXZZZZZZZZ";
  const char tail[] = "\0\0\0end of engine";
  engine.append(tail, sizeof tail - 1);
  return std::vector<u8>(engine.begin(), engine.end());
}

std::vector<u8> WinEngineBytes() {
  std::string engine = "MZ";
  const char body[] = "\0\x01\x02 windows engine \xFF\xEE";
  engine.append(body, sizeof body - 1);
  return std::vector<u8>(engine.begin(), engine.end());
}

const char kInfoPlistHead[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE plist PUBLIC \"-//Apple Computer//DTD PLIST 1.0//EN\" "
    "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
    "<plist version=\"1.0\">\n"
    "<dict>\n";

std::vector<u8> InstallerBytes() {
  const std::string text = "#!/bin/sh\necho installer\n";
  return std::vector<u8>(text.begin(), text.end());
}

std::vector<u8> InstallerStubBytes() {
  std::string stub = "MZ";
  const char body[] = "\0\x01 installer stub \xFF\xEE";
  stub.append(body, sizeof body - 1);
  return std::vector<u8>(stub.begin(), stub.end());
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return names;
  while (dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    struct stat info;
    if (lstat((folder + "/").append(name).c_str(), &info) == 0 && S_ISDIR(info.st_mode)) name += "/";
    names.push_back(name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

void SaverProjectTest::Fresh() {
  static int runs = 0;
  const std::string run = std::to_string(++runs);
  const std::string subfolder = "saver-tests-" + run;
  ASSERT_TRUE(CPathName::CreateWorkFolder(subfolder.c_str()));
  CPathName probe(nullptr);
  ASSERT_TRUE(probe.SetInWorkFolder("x", true));
  workFolder = probe.GetParentFolder(true);

  templatesBase = gbtest::MakeTempFolder("templates-" + run) + "ss_data/";
  projectFolder = gbtest::MakeTempFolder("project-" + run);
  outputFolder = gbtest::MakeTempFolder("output-" + run);
  MakeTemplates(Templates());

  moviePath = modeltest::WriteMovie(projectFolder + "fish.swf");
  list.Reset();
  list.SetName("Aquarium");
  list.SetMacUniversalFileName("Aquarium.saver");
  list.SetWinFileName("Aquarium.scr");
  list.SetOutputFolder(CPathName(outputFolder));
  ASSERT_TRUE(list.GetRootItem()->SetSwfFile(CPathName(moviePath)));
  SelectOutputs(true, true);
}

void SaverProjectTest::MakeTemplates(const Templates& templates) {
  // The first call of a test finds no templates to remove.
  static_cast<void>(CPathName(templatesBase).DeleteRecursive(true));
  const std::string u = templatesBase + "ss/u/";
  mkdir(templatesBase.c_str(), 0755);
  if (templates.macEngine) {
    Put(u + "fssx", MacEngineBytes());
    chmod((u + "fssx").c_str(), 0755);
  }
  if (templates.plugin) {
    Put(u + "Flash Player.plugin/Contents/Info.plist", "<plist/>\n");
    Put(u + "Flash Player.plugin/Contents/MacOS/Flash Player", "plug-in");
  }
  for (const std::string& language : templates.languages) Put(u + language + "/Localizable.strings", language);
  Put(u + "notes.txt", "not a language folder");
  if (templates.winEngine) Put(templatesBase + "ss/w/ssdt.dat", WinEngineBytes());
  if (templates.installers) {
    const std::string mac = templatesBase + "ssin/u/";
    Put(mac + "Installer", InstallerBytes());
    chmod((mac + "Installer").c_str(), 0755);
    Put(mac + "installer.icns", "icns");
    Put(mac + "splash.png", "default picture");
    Put(mac + "English.lproj/Localizable.strings", "installer strings");
    Put(mac + "notes.txt", "not a language folder");
    Put(templatesBase + "ssin/w/ssin.dat", InstallerStubBytes());
  }
  folders.SetBaseFolder(CPathName(templatesBase));
}

std::string SaverProjectTest::AddFile(const std::string& relative, const std::string& contents) {
  std::string path = projectFolder + relative;
  Put(path, contents);
  return path;
}

void SaverProjectTest::AddExtra(const std::string& hostPath, CSwfItem* item) {
  (item ? item : list.GetRootItem())->AddMoreFile(CPathName(hostPath));
}

void SaverProjectTest::SelectOutputs(bool mac, bool win, bool overwrite) {
  list.SetOutputMacUniversal(mac);
  list.SetOutputWin(win);
  list.SetOverwriteMacUniversal(overwrite);
  list.SetOverwriteWin(overwrite);
}

bool SaverProjectTest::Build(CStaticText* status) {
  builder.SetBuildFolders(folders);
  return builder.Build(&list, status);
}

std::string SaverProjectTest::LastStatus() const {
  const std::vector<std::string>& log = builder.GetStatusLog();
  return log.empty() ? std::string() : log.back();
}

bool SaverProjectTest::StatusMentions(const std::string& text) const {
  for (const std::string& line : builder.GetStatusLog())
    if (line.find(text) != std::string::npos) return true;
  return false;
}

Packed FolderFiles(const std::string& folder) {
  Packed files;
  for (auto& [path, bytes] : gbtest::TreeContents(folder)) files[path] = bytes;
  return files;
}

void AllOutputsTest::SetUp() {
  SaverProjectTest::SetUp();
  SelectOutputs(false, false);
  list.SetMacUniversalInstallerFileName("Install_Aquarium.app");
  list.SetWinInstallerFileName("Install_Aquarium.exe");
  log.clear();
}

bool AllOutputsTest::BuildCurrent(bool macSaver, bool winSaver, bool macInstaller, bool winInstaller) {
  SelectOutputs(macSaver, winSaver);
  list.SetOutputMacUniversalInstaller(macInstaller);
  list.SetOutputWinInstaller(winInstaller);
  list.SetOverwriteMacUniversalInstaller(true);
  list.SetOverwriteWinInstaller(true);
  const bool built = Build();
  log = builder.GetStatusLog();
  return built;
}

bool AllOutputsTest::BuildFirstGeneration(FirstGeneration output) {
  CSaverProject project;
  project.SetTemplateFolders(CPathName(templatesBase + "ss/u/"), CPathName(templatesBase + "ssin/u/"));
  project.SetName("Aquarium");
  EXPECT_TRUE(project.SetMovie(CPathName(moviePath)));
  project.SetOutputFolder(CPathName(outputFolder));
  const CPathList& more = list.GetRootItem()->GetMoreFiles();
  for (int i = 0; i < more.GetCount(); ++i) project.AddMoreFile(*more.GetAt(i));
  project.SetInstallerReadme(list.GetInstallerHasReadMe());
  project.SetInstallerReadmeSrc(list.GetInstallerReadMe());
  project.SetInstallerLicense(list.GetInstallerHasLicense());
  project.SetInstallerLicenseSrc(list.GetInstallerLicense());
  CSaverProjectBuilder first(project);
  CSaverProjectBuilder::BuildRequest request;
  request.overwrite = true;
  bool built = false;
  switch (output) {
    case FirstGeneration::kSaver:
      built = first.BuildSaver(CPathName(MacOutput()), request);
      break;
    case FirstGeneration::kWindowsSaver:
      built = first.BuildWindowsSaver(request);
      break;
    case FirstGeneration::kInstaller:
      built = first.BuildInstaller(CPathName(outputFolder + "InstallAquarium.app"), request);
      break;
  }
  log = first.GetStatusLog();
  return built;
}

Packed AllOutputsTest::BundleFiles(const std::string& bundle) { return FolderFiles(bundle + "/Contents/Resources/"); }

Packed AllOutputsTest::ArchiveFiles(const std::string& file) {
  Packed files;
  CDataArchiveReader reader;
  if (!reader.Open(CPathName(file)) || !reader.Load()) {
    ADD_FAILURE() << file << " does not unpack: " << reader.GetError();
    return files;
  }
  for (const auto& entry : reader.GetNamedFiles())
    files[entry.item->GetName()] = gbtest::ReadFile(entry.item->GetPath().GetAbsolutePath(0));
  CPathName settings(nullptr);
  if (reader.GetSettingsPath(settings)) settings.Delete();
  reader.DeleteUnpackedFiles();
  static_cast<void>(reader.Close());
  return files;
}

Packed AllOutputsTest::InstalledFiles(const std::string& installer, const std::string& saverName) {
  static int installs = 0;
  const std::string home = gbtest::MakeTempFolder("installed-home-" + std::to_string(++installs));
  gbtest::SetEnvironment("HOME", home);
  plat::SetApplicationBundle(installer);
  CInstallerBuilder installing;
  const bool installed = installing.Install();
  gbtest::UseBuildBundle();
  EXPECT_TRUE(installed) << installer;
  return BundleFiles(home + "Library/Screen Savers/" + saverName);
}

Packed AllOutputsTest::WindowsInstallerFiles() {
  CInstallerArchiveReader reader;
  if (!reader.Open(CPathName(outputFolder + "Install_Aquarium.exe")) || !reader.Load()) {
    ADD_FAILURE() << "the Windows installer does not unpack: " << reader.GetError();
    return {};
  }
  Packed files = ArchiveFiles(workFolder + "Aquarium.scr");
  reader.DeleteUnpackedFiles();
  CPathName script(nullptr);
  if (reader.GetScriptPath(script)) script.Delete();
  CPathName(workFolder + "icd0.dat").Delete();
  static_cast<void>(reader.Close());
  return files;
}

bool AllOutputsTest::LogMentions(const std::string& text) const {
  for (const std::string& line : log)
    if (line.find(text) != std::string::npos) return true;
  return false;
}

}  // namespace savertest
