#include "builders/install_items.h"

#include <sys/stat.h>

#include <cstdio>

#include "builders/installer_archive.h"
#include "builders/installer_builder.h"
#include "foundation/file_bytes.h"
#include "foundation/finder_info.h"
#include "foundation/folder_iterator.h"
#include "foundation/xml_reader.h"
#include "foundation/xml_writer.h"
#include "platform/forks.h"
#include "platform/text_encoding.h"

namespace {

u32 dataFileCounter = 0;

const char* const kLocationTokens[] = {"custom", "application", "desktop", "screensaver", "startup", "shutdown"};
const char* const kDomainTokens[] = {"system", "all_users", "current_user", "network", "classic"};
const char* const kReplaceTokens[] = {"never", "always", "if_newer"};

template <size_t N>
const char* TokenOf(const char* const (&tokens)[N], u32 value) {
  return value < N ? tokens[value] : "";
}

// The index of the attribute's token; `value` stays as it is for a token
// the table does not hold or a missing attribute.
template <size_t N>
void ParseToken(const CXmlNode& element, const char* attribute, const char* const (&tokens)[N], u32& value) {
  CXmlElementInfo info;
  CXmlNode node;
  if (!element.GetElementInfo(info) || !info.FindAttribute(attribute, node)) return;
  std::string text = node.GetTextString();
  for (size_t i = 0; i < N; ++i)
    if (text == tokens[i]) value = u32(i);
}

[[nodiscard]] bool FindAttribute(const CXmlNode& element, const char* attribute, CXmlNode& node) {
  CXmlElementInfo info;
  return element.GetElementInfo(info) && info.FindAttribute(attribute, node);
}

void ParseText(const CXmlNode& element, const char* attribute, std::string& value, bool* present = nullptr) {
  CXmlNode node;
  bool found = FindAttribute(element, attribute, node);
  if (found) value = node.GetTextString();
  if (present) *present = found;
}

template <typename Number>
void ParseNumber(const CXmlNode& element, const char* attribute, Number& value) {
  CXmlNode node;
  if (FindAttribute(element, attribute, node)) value = Number(node.GetUnsigned(value));
}

std::string HostPathOf(const CPathName& path) { return plat::ToHostPath(path.GetAbsolutePath(0)); }

// The whole resource fork of a file; false when it cannot be read whole.
[[nodiscard]] bool ReadResourceFork(const CPathName& path, std::vector<u8>& bytes) {
  bytes.clear();
  SInt16 fork = 0;
  if (plat::OpenFork(HostPathOf(path), plat::ForkKind::resource, fsRdPerm, &fork) != noErr) return false;
  SInt64 size = 0;
  bool ok = plat::GetForkSize(fork, &size) == noErr && size >= 0 && u64(size) <= 0xFFFFFFFFu;
  if (ok) {
    bytes.resize(size_t(size));
    UInt64 actual = 0;
    ok = size == 0 || (plat::ReadFork(fork, u64(size), bytes.data(), &actual) == noErr && actual == u64(size));
  }
  // Closing a fork that was only read loses nothing.
  static_cast<void>(plat::CloseFork(fork));
  if (!ok) bytes.clear();
  return ok;
}

bool Report(const CPathName& source, CPathName* failedPath) {
  if (failedPath) *failedPath = source;
  return false;
}

}  // namespace

bool IsInstallableName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  return name.find_first_of(std::string("/\\\0", 3)) == std::string::npos;
}

std::string NextInstallDataFileName() {
  char name[32];
  std::snprintf(name, sizeof name, "data%u.dat", unsigned(++dataFileCounter));
  return name;
}

void ResetInstallDataFileCounter() { dataFileCounter = 0; }

// ---------------------------------------------------------------------------
// The tree

CInstallItem::~CInstallItem() = default;

void CInstallItem::DeleteChildren() { children.clear(); }

void CInstallItem::AddChild(CInstallItem* item) {
  if (item) children.emplace_back(item);
}

template <typename Entry>
Entry* CInstallItem::FindByName(u32 entryKind, const char* text) const {
  if (!text) return nullptr;
  for (const auto& child : children) {
    if (child->kind == entryKind && static_cast<Entry*>(child.get())->GetName() == text)
      return static_cast<Entry*>(child.get());
    if (Entry* found = child->FindByName<Entry>(entryKind, text)) return found;
  }
  return nullptr;
}

CInstallFolder* CInstallItem::FindFolderByName(const char* text) const {
  return FindByName<CInstallFolder>(kFolder, text);
}

CInstallFile* CInstallItem::FindFileByName(const char* text) const { return FindByName<CInstallFile>(kFile, text); }

int CInstallItem::CountItems() const {
  int count = 0;
  for (const auto& child : children) count += 1 + child->CountItems();
  return count;
}

bool CInstallItem::FindPassedOverItem(CPathName& item) const {
  for (const auto& child : children) {
    if (child->kind == kFolder) {
      const CPathName& passedOver = static_cast<const CInstallFolder*>(child.get())->GetPassedOverItem();
      if (!passedOver.IsEmpty()) {
        item = passedOver;
        return true;
      }
    }
    if (child->FindPassedOverItem(item)) return true;
  }
  return false;
}

bool CInstallFolder::SetFromFolder(const CPathName& path) {
  CPathName trimmed = path;
  trimmed.RemoveTrailingSeparator();
  name = GetItemName(path);
  FSRef ref;
  plat::FinderInfoBytes bytes;
  if (!trimmed.GetFsRef(&ref) || ReadFsRefFinderBytes(&ref, &bytes) != noErr) return false;
  CFinderFolderInfo info;
  info.ReadFrom(bytes);
  finderFlags = info.finderFlags;
  return true;
}

bool CInstallFile::SetFromFile(const CPathName& path) {
  sourcePath = path;
  name = path.GetName(false);
  FSRef ref;
  CFinderFileInfo info;
  readable = IsRegularFile(path) && path.GetFsRef(&ref);
  if (readable && GetFsRefFinderInfo(&ref, &info)) {
    fileType = info.fileType;
    creator = info.fileCreator;
    finderFlags = info.finderFlags;
  }
  struct stat status;
  const std::string host = HostPathOf(path);
  hasDataFork = readable && stat(host.c_str(), &status) == 0 && status.st_size > 0;
  hasResourceFork = readable && plat::ResourceForkSize(host) > 0;
  // A source that cannot be read keeps a data fork, so that writing it fails.
  if (!readable) hasDataFork = true;
  dataForkFileName = hasDataFork ? NextInstallDataFileName() : std::string();
  resourceForkFileName = hasResourceFork ? NextInstallDataFileName() : std::string();
  return readable;
}

void CInstallFile::SetDataForkFileName(const char* text) {
  dataForkFileName = text ? text : "";
  hasDataFork = !dataForkFileName.empty();
}

void CInstallFile::SetResourceForkFileName(const char* text) {
  resourceForkFileName = text ? text : "";
  hasResourceFork = !resourceForkFileName.empty();
}

CInstallItem* AddInstallItem(CInstallerBuilder& builder, u32 location, u32 domain) {
  auto* item = new CInstallItem();
  item->SetLocation(location);
  item->SetDomain(domain);
  item->SetReplace(CInstallItem::kAlways);
  return builder.AppendItem(item);
}

namespace {

// Puts a new file or folder below the parent, or into a new install item
// with the default values; returns the parent-side item.
[[nodiscard]] CInstallItem* Place(CInstallerBuilder& builder, CInstallItem* entry, CInstallItem* parent) {
  if (parent) {
    parent->AddChild(entry);
    return entry;
  }
  CInstallItem* wrapper = builder.AppendItem(new CInstallItem());
  wrapper->AddChild(entry);
  return wrapper;
}

}  // namespace

CInstallItem* AddInstallTree(CInstallerBuilder& builder, const CPathName& path, CInstallItem* parent) {
  return path.IsFolder() ? AddInstallFolder(builder, path, parent) : AddInstallFile(builder, path, parent);
}

CInstallItem* AddInstallFile(CInstallerBuilder& builder, const CPathName& path, CInstallItem* parent) {
  auto* file = new CInstallFile();
  // A file that cannot be read is kept: writing its data fails later and names it.
  static_cast<void>(file->SetFromFile(path));
  return Place(builder, file, parent);
}

CInstallItem* AddInstallFolder(CInstallerBuilder& builder, const CPathName& path, CInstallItem* parent) {
  auto* folder = new CInstallFolder();
  // A folder whose Finder information cannot be read is installed without its flags.
  static_cast<void>(folder->SetFromFolder(path));
  CInstallItem* placed = Place(builder, folder, parent);
  // The folder iteration is one for the whole process: list first, then add
  // (which lists the subfolders in turn).
  std::vector<std::pair<CPathName, bool>> entries;
  CPathName entry(nullptr);
  bool isFolder = false;
  for (bool more = GetFirstFolderItem(path, entry, &isFolder, "*"); more; more = GetNextFolderItem(entry, &isFolder))
    entries.emplace_back(entry, isFolder);
  // An item that no path can name would be left out of the installer.
  CPathName passedOver(nullptr);
  if (GetPassedOverFolderItem(passedOver)) folder->SetPassedOverItem(passedOver);
  EndFolderIteration();
  for (const auto& [item, itemIsFolder] : entries) {
    if (itemIsFolder)
      AddInstallFolder(builder, item, folder);
    else
      AddInstallFile(builder, item, folder);
  }
  return placed;
}

// ---------------------------------------------------------------------------
// Data files and archive records

bool CInstallItem::WriteDataFiles(const CPathName& folder, CPathName* failedPath) {
  for (const auto& child : children)
    if (!child->WriteDataFiles(folder, failedPath)) return false;
  return true;
}

bool CInstallItem::AddToArchive(CInstallerArchiveWriter& writer) {
  for (const auto& child : children)
    if (!child->AddToArchive(writer)) return false;
  return true;
}

bool CInstallFile::WriteCompressedFile(const CPathName& folder, const void* data, size_t size) {
  std::vector<u8> packed;
  CPathName path(nullptr);
  if (!IsInstallableName(dataForkFileName) || !path.SetInFolder(dataForkFileName.c_str(), folder)) return false;
  if (!CompressBuffer(data, size, packed)) return false;
  return WriteWholeFile(path, packed.data(), packed.size(), true);
}

bool CInstallFile::WriteDataFiles(const CPathName& folder, CPathName* failedPath) {
  compressed = true;
  if (!readable) return Report(sourcePath, failedPath);
  if (hasDataFork) {
    std::vector<u8> bytes;
    CPathName target(nullptr);
    if (!ReadWholeFile(sourcePath, bytes) || !target.SetInFolder(dataForkFileName.c_str(), folder))
      return Report(sourcePath, failedPath);
    std::vector<u8> packed;
    if (CompressBuffer(bytes.data(), bytes.size(), packed)) {
      bytes.swap(packed);
    } else {
      compressed = false;
    }
    if (!WriteWholeFile(target, bytes.data(), bytes.size(), true)) return Report(target, failedPath);
  }
  if (hasResourceFork) {
    // Resource-fork files are always compressed.
    std::vector<u8> bytes;
    std::vector<u8> packed;
    CPathName target(nullptr);
    if (!ReadResourceFork(sourcePath, bytes) || !CompressBuffer(bytes.data(), bytes.size(), packed) ||
        !target.SetInFolder(resourceForkFileName.c_str(), folder))
      return Report(sourcePath, failedPath);
    if (!WriteWholeFile(target, packed.data(), packed.size(), true)) return Report(target, failedPath);
  }
  return true;
}

bool CInstallFile::AddToArchive(CInstallerArchiveWriter& writer) {
  if (!readable) {
    writer.Fail(ioErr, sourcePath);
    return false;
  }
  CInstallerFileItem record;
  record.SetPath(sourcePath);
  record.SetCompressed(true);
  return record.Write(writer) != 0;
}

// ---------------------------------------------------------------------------
// The script

void CInstallItem::WriteChildrenXml(CXmlWriter& writer) const {
  for (const auto& child : children) child->WriteXml(writer);
}

void CInstallItem::WriteXml(CXmlWriter& writer) const {
  writer << "<install_item location=\"" << TokenOf(kLocationTokens, location) << "\" domain=\""
         << TokenOf(kDomainTokens, domain) << "\" replace=\"" << TokenOf(kReplaceTokens, replace) << "\">\n";
  WriteChildrenXml(writer);
  writer << "</install_item>\n";
}

void CInstallFolder::WriteXml(CXmlWriter& writer) const {
  writer << "<install_folder name=\"";
  writer.WriteEscaped(name.c_str());
  writer << "\" fdflags=\"" << static_cast<unsigned short>(finderFlags) << "\" >\n";
  WriteChildrenXml(writer);
  writer << "</install_folder>\n";
}

void CInstallFile::WriteXml(CXmlWriter& writer) const {
  writer << "<install_file name=\"";
  writer.WriteEscaped(name.c_str());
  writer << "\" file_type=\"" << static_cast<unsigned long>(fileType) << "\" creator_type=\""
         << static_cast<unsigned long>(creator) << "\" fdflags=\"" << static_cast<unsigned short>(finderFlags);
  if (hasDataFork) {
    writer << "\" dname=\"";
    writer.WriteEscaped(dataForkFileName.c_str());
  }
  if (hasResourceFork) {
    writer << "\" rname=\"";
    writer.WriteEscaped(resourceForkFileName.c_str());
  }
  if (compressed) writer << "\" cmp=\"" << "true";
  writer << "\" />\n";
}

bool CInstallItem::ParseChildren(const CXmlNode& element) {
  CXmlNodeList list;
  element.GetChildren(list);
  for (int i = 0; i < list.GetCount(); ++i) {
    CXmlNode node;
    if (!list.GetAt(i, node)) continue;
    std::string childName = node.GetNameString();
    CInstallItem* child = nullptr;
    if (childName == "install_file")
      child = new CInstallFile();
    else if (childName == "install_folder")
      child = new CInstallFolder();
    else
      continue;
    AddChild(child);
    if (!child->ParseXml(node)) return false;
  }
  return true;
}

bool CInstallItem::ParseXml(const CXmlNode& element) {
  ParseToken(element, "location", kLocationTokens, location);
  ParseToken(element, "domain", kDomainTokens, domain);
  ParseToken(element, "replace", kReplaceTokens, replace);
  return ParseChildren(element);
}

bool CInstallFolder::ParseXml(const CXmlNode& element) {
  ParseText(element, "name", name);
  ParseNumber(element, "fdflags", finderFlags);
  return IsInstallableName(name) && ParseChildren(element);
}

bool CInstallFile::ParseXml(const CXmlNode& element) {
  ParseText(element, "name", name);
  ParseNumber(element, "file_type", fileType);
  ParseNumber(element, "creator_type", creator);
  ParseNumber(element, "fdflags", finderFlags);
  ParseText(element, "dname", dataForkFileName, &hasDataFork);
  ParseText(element, "rname", resourceForkFileName, &hasResourceFork);
  // The writer says cmp="true" exactly over compressed data: without it the
  // data file holds the fork's bytes as they are.
  CXmlNode node;
  compressed = FindAttribute(element, "cmp", node) && node.GetBool(false);
  return IsInstallableName(name) && (!hasDataFork || IsInstallableName(dataForkFileName)) &&
         (!hasResourceFork || IsInstallableName(resourceForkFileName));
}
