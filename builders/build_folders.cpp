#include "builders/build_folders.h"

namespace {

// `folder` + "name/" for each name in turn.
CPathName SubFolder(const CPathName& folder, const char* name, const char* second = nullptr) {
  CPathName path(nullptr);
  path.CombineFolderAndName(name, folder);
  path.AddTrailingSlash();
  if (second) {
    CPathName inner(nullptr);
    inner.CombineFolderAndName(second, path);
    inner.AddTrailingSlash();
    return inner;
  }
  return path;
}

const CPathName kNoFolder(nullptr);

}  // namespace

CBuildFolders::CBuildFolders() {
  for (CPathName& folder : folders) folder = CPathName(nullptr);
}

void CBuildFolders::SetBaseFolder(const CPathName& base) {
  folders[kMacEngineFolder] = SubFolder(base, "ss");
  folders[kWinEngineFolder] = SubFolder(base, "ss");
  folders[kThirdEngineFolder] = SubFolder(base, "ss");
  folders[kMacInstallerFolder] = SubFolder(base, "ssin", "u");
  folders[kWinInstallerFolder] = SubFolder(base, "ssin", "w");
  folders[kLinuxInstallerFolder] = SubFolder(base, "ssin", "l");
}

void CBuildFolders::Assign(const CBuildFolders& other) {
  for (int i = 0; i < kFolderCount; ++i) folders[i] = other.folders[i];
}

const CPathName& CBuildFolders::GetFolder(int index) const {
  return index >= 0 && index < kFolderCount ? folders[index] : kNoFolder;
}

CPathName CBuildFolders::GetMacEngineFolder(int architecture) const {
  static const char* const kNames[] = {"p", "i", "u"};
  if (architecture < kArchitecturePpc || architecture > kArchitectureUniversal) return CPathName(nullptr);
  return SubFolder(folders[kMacEngineFolder], kNames[architecture]);
}
