#include "tests/builders/saver_test_support.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

#include "foundation/path_name.h"
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

}  // namespace savertest
