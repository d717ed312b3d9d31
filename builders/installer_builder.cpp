#include "builders/installer_builder.h"

#include "foundation/xml_reader.h"
#include "foundation/xml_writer.h"

bool CInstallerSettings::GetBundleFileName(CPathName& path) { return path.SetToBundleResource("icd0.dat"); }

CInstallerBuilder::CInstallerBuilder() { Clear(); }

CInstallerBuilder::~CInstallerBuilder() { Clear(); }

void CInstallerBuilder::Clear() {
  ResetInstallDataFileCounter();
  items.clear();
  hasPictureBitmap = hasReadMeFile = hasLicenseFile = false;
  settings.steps = 0;
  settings.min_os_version = 0;
  settings.silent = 0;
  settings.run_end_script = 0;
}

CInstallItem* CInstallerBuilder::AppendItem(CInstallItem* item) {
  if (item) items.emplace_back(item);
  return item;
}

CInstallFolder* CInstallerBuilder::FindFolderByName(const char* name) const {
  for (const auto& item : items)
    if (CInstallFolder* found = item->FindFolderByName(name)) return found;
  return nullptr;
}

CInstallFile* CInstallerBuilder::FindFileByName(const char* name) const {
  for (const auto& item : items)
    if (CInstallFile* found = item->FindFileByName(name)) return found;
  return nullptr;
}

int CInstallerBuilder::CountItems() const {
  int count = 0;
  for (const auto& item : items) count += item->CountItems();
  return count;
}

bool CInstallerBuilder::WriteInstallFiles(const CPathName& folder) {
  outputFolder = folder;
  failure = noErr;
  failedPath = otherFailedPath = CPathName(nullptr);
  // The data files come first: a fork that does not compress is stored raw,
  // and the script written afterwards says so.
  CPathName failed(nullptr);
  CPathName into = folder;
  into.RemoveTrailingSeparator();
  for (const auto& item : items) {
    if (item->WriteDataFiles(folder, &failed)) continue;
    // What failed is a data file being written, or a source being read.
    const bool writing = CPathName(failed.GetParentFolder(false)).IsSameAs(into);
    return Fail(writing ? OSErr(wrPermErr) : failed.Exists() ? OSErr(ioErr) : OSErr(fnfErr), failed);
  }
  CPathName script(nullptr);
  if (!script.SetInFolder("installer.dat", folder) || !WriteScript(script)) return Fail(wrPermErr, script);
  return true;
}

bool CInstallerBuilder::WriteScript(const CPathName& path) const {
  CXmlWriter writer;
  if (!writer.Open(path, CXmlWriteOptions(), true)) return false;
  writer << "<installer " << "steps=\"" << static_cast<unsigned long>(settings.steps) << "\" min_os_version=\""
         << static_cast<long>(settings.min_os_version) << "\" silent=\"" << static_cast<unsigned long>(settings.silent)
         << "\" run_end_script=\"" << static_cast<unsigned long>(settings.run_end_script) << "\" >\n";
  for (const auto& item : items) item->WriteXml(writer);
  writer << "</installer>\n";
  return writer.Close();
}

bool CInstallerBuilder::LoadScript() {
  CPathName script(nullptr);
  if (!script.SetToBundleResource("installer.dat")) {
    Clear();
    return false;
  }
  return LoadScriptFile(script);
}

namespace {

// The element itself when it is named `name`, else its first child of that name.
[[nodiscard]] bool FindElement(const CXmlNode& root, const char* name, CXmlNode& found) {
  if (root.GetNameString() == name) return found.SetFromNode(root);
  CXmlNodeList list;
  root.GetChildren(list);
  for (int i = 0; i < list.GetCount(); ++i) {
    CXmlNode child;
    if (list.GetAt(i, child) && child.GetNameString() == name) return found.SetFromNode(child);
  }
  return false;
}

}  // namespace

bool CInstallerBuilder::LoadScriptFile(const CPathName& path) {
  Clear();
  CXmlDocument document;
  CXmlNode root;
  CXmlNode installer;
  if (!document.Open(path) || !document.GetRootNode(root) || !FindElement(root, "installer", installer)) return false;
  CXmlElementInfo info;
  if (!installer.GetElementInfo(info)) return false;
  auto number = [&info](const char* name, long current) {
    CXmlNode value;
    return info.FindAttribute(name, value) ? value.GetInteger(current) : current;
  };
  settings.steps = u32(number("steps", settings.steps));
  settings.min_os_version = s32(number("min_os_version", settings.min_os_version));
  settings.silent = u32(number("silent", settings.silent));
  settings.run_end_script = u32(number("run_end_script", settings.run_end_script));
  CXmlNodeList list;
  installer.GetChildren(list);
  for (int i = 0; i < list.GetCount(); ++i) {
    CXmlNode child;
    if (!list.GetAt(i, child) || child.GetNameString() != "install_item") continue;
    if (!AppendItem(new CInstallItem())->ParseXml(child)) {
      Clear();
      return false;
    }
  }
  return true;
}

bool CInstallerBuilder::Install() {
  if (progressCallback) progressCallback(kInstallStarted, progressUserWord);
  bool installed = LoadScript();
  for (const auto& item : items) {
    if (!installed) break;
    installed = item->Install(CPathName(nullptr));
  }
  if (progressCallback) progressCallback(kInstallFinished, progressUserWord);
  return installed;
}
