// Install items: the tree an installer carries of what to put where, written
// as the install script "installer.dat" with one data file per file fork
// ("data1.dat", "data2.dat" ...), read back and installed by the installer.
//
// An install item (the element "install_item") names a place on the
// user's machine by domain and location; below it are folders
// ("install_folder") and files ("install_file"). A file's forks are stored
// zlib-compressed in its data files (the data fork raw when it does not
// compress; the script then says so).
//
// Data-file names come from one counter for the whole process: it restarts
// when a builder is cleared, and each file takes its names (data fork, then
// resource fork) when it is added to a tree.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "foundation/path_name.h"
#include "platform/mac_types.h"

class CInstallerArchiveWriter;
class CInstallerBuilder;
class CInstallFile;
class CInstallFolder;
class CXmlNode;
class CXmlWriter;

class CInstallItem {
 public:
  enum : u32 { kItem = 0, kFile = 1, kFolder = 2 };
  enum : u32 { kSystem = 0, kAllUsers = 1, kCurrentUser = 2, kNetwork = 3, kClassic = 4 };
  enum : u32 { kCustom = 0, kApplication = 1, kDesktop = 2, kScreenSaver = 3, kStartup = 4, kShutdown = 5 };
  enum : u32 { kNever = 0, kAlways = 1, kIfNewer = 2 };

  // An install item for the current user's applications, always replacing.
  CInstallItem() : CInstallItem(kItem) {}
  virtual ~CInstallItem();
  CInstallItem(const CInstallItem&) = delete;
  CInstallItem& operator=(const CInstallItem&) = delete;

  virtual void DeleteChildren();
  // Installs the item and what is below it into the target folder (an
  // install item finds its own folder from domain and location). False at
  // the first thing that cannot be installed; a folder or file that was
  // being replaced is then put back as it was.
  [[nodiscard]] virtual bool Install(const CPathName& target);
  // Writes the data files of every file below into the folder. False when a
  // fork cannot be read or a data file cannot be written; the source's path
  // goes to `failedPath` (when given).
  [[nodiscard]] virtual bool WriteDataFiles(const CPathName& folder, CPathName* failedPath = nullptr);
  // Adds a compressed file record for every file below; false when the
  // archive failed (its failure names the file).
  [[nodiscard]] virtual bool AddToArchive(CInstallerArchiveWriter& writer);
  // Reads the element's attributes and children. False for a name that
  // cannot be installed (see IsInstallableName), anywhere below.
  [[nodiscard]] virtual bool ParseXml(const CXmlNode& element);
  virtual void WriteXml(CXmlWriter& writer) const;

  // Install on each child in order; false at the first that fails.
  [[nodiscard]] bool InstallChildren(const CPathName& folder);
  // Takes ownership.
  void AddChild(CInstallItem* item);
  const std::vector<std::unique_ptr<CInstallItem>>& GetChildren() const { return children; }
  // Depth first, in order: the first folder or file of exactly that name.
  [[nodiscard]] CInstallFolder* FindFolderByName(const char* name) const;
  [[nodiscard]] CInstallFile* FindFileByName(const char* name) const;
  // The number of items below this one, at every depth.
  int CountItems() const;
  // The first item below that a folder's walk could not take because its
  // name has no Mac Roman form (its path, with '?' for what Mac Roman cannot
  // hold); false when every item was taken.
  [[nodiscard]] bool FindPassedOverItem(CPathName& item) const;

  u32 GetKind() const { return kind; }
  u32 GetDomain() const { return domain; }
  u32 GetLocation() const { return location; }
  u32 GetReplace() const { return replace; }
  void SetDomain(u32 value) { domain = value; }
  void SetLocation(u32 value) { location = value; }
  void SetReplace(u32 value) { replace = value; }

 protected:
  explicit CInstallItem(u32 itemKind) : kind(itemKind) {}
  // Appends a file for each "install_file" child and a folder for each
  // "install_folder", parsed; other elements are passed over.
  [[nodiscard]] bool ParseChildren(const CXmlNode& element);
  void WriteChildrenXml(CXmlWriter& writer) const;
  template <typename Entry>
  [[nodiscard]] Entry* FindByName(u32 entryKind, const char* text) const;

  std::vector<std::unique_ptr<CInstallItem>> children;
  u32 kind;
  u32 domain = kCurrentUser;
  u32 location = kApplication;
  u32 replace = kAlways;
};

class CInstallFolder : public CInstallItem {
 public:
  CInstallFolder() : CInstallItem(kFolder) {}

  // Name and Finder flags of an existing folder.
  [[nodiscard]] bool SetFromFolder(const CPathName& path);

  [[nodiscard]] bool Install(const CPathName& target) override;
  [[nodiscard]] bool ParseXml(const CXmlNode& element) override;
  void WriteXml(CXmlWriter& writer) const override;

  const std::string& GetName() const { return name; }
  u16 GetFinderFlags() const { return finderFlags; }
  void SetName(const char* text) { name = text ? text : ""; }
  void SetFinderFlags(u16 flags) { finderFlags = flags; }
  // An item of the folder on disk that the folder does not hold: no
  // installer is built of it (see FindPassedOverItem).
  void SetPassedOverItem(const CPathName& item) { passedOverItem = item; }
  const CPathName& GetPassedOverItem() const { return passedOverItem; }

 private:
  u16 finderFlags = 0;
  std::string name;
  CPathName passedOverItem{nullptr};
};

class CInstallFile : public CInstallItem {
 public:
  CInstallFile() : CInstallItem(kFile) {}

  // Source, name, type, creator and Finder flags of an existing file, which
  // forks it has (a fork longer than 0 bytes), and a data-file name for
  // each. False when the item is not a file that can be read (it is then
  // kept, and writing its data fails, naming it).
  [[nodiscard]] bool SetFromFile(const CPathName& path);
  // Writes the compressed bytes to the data-fork file name in the folder;
  // false when they do not compress or the file cannot be written.
  [[nodiscard]] bool WriteCompressedFile(const CPathName& folder, const void* data, size_t size);

  [[nodiscard]] bool Install(const CPathName& target) override;
  [[nodiscard]] bool WriteDataFiles(const CPathName& folder, CPathName* failedPath = nullptr) override;
  [[nodiscard]] bool AddToArchive(CInstallerArchiveWriter& writer) override;
  [[nodiscard]] bool ParseXml(const CXmlNode& element) override;
  void WriteXml(CXmlWriter& writer) const override;

  const std::string& GetName() const { return name; }
  const CPathName& GetSourcePath() const { return sourcePath; }
  OSType GetFileType() const { return fileType; }
  OSType GetCreator() const { return creator; }
  u16 GetFinderFlags() const { return finderFlags; }
  [[nodiscard]] bool HasDataFork() const { return hasDataFork; }
  [[nodiscard]] bool HasResourceFork() const { return hasResourceFork; }
  const std::string& GetDataForkFileName() const { return dataForkFileName; }
  const std::string& GetResourceForkFileName() const { return resourceForkFileName; }
  [[nodiscard]] bool IsCompressed() const { return compressed; }

  void SetName(const char* text) { name = text ? text : ""; }
  void SetTypeAndCreator(OSType type, OSType creatorCode) {
    fileType = type;
    creator = creatorCode;
  }
  void SetFinderFlags(u16 flags) { finderFlags = flags; }
  // Names a data file for a fork ("" for none).
  void SetDataForkFileName(const char* text);
  void SetResourceForkFileName(const char* text);
  void SetCompressed(bool on) { compressed = on; }

 private:
  [[nodiscard]] bool InstallForks(const CPathName& path, const std::vector<u8>* data, const std::vector<u8>* resource) const;

  OSType fileType = 0;
  OSType creator = 0;
  u16 finderFlags = 0;
  CPathName sourcePath{nullptr};
  std::string name;
  std::string dataForkFileName;
  std::string resourceForkFileName;
  bool hasDataFork = false;
  bool hasResourceFork = false;
  bool compressed = true;
  bool readable = true;
};

// A name that installing accepts for an item or a data file: not empty,
// ".", "..", and without '/', '\' or NUL.
[[nodiscard]] bool IsInstallableName(const std::string& name);

// The next data-file name ("data1.dat" after a reset), and the reset.
std::string NextInstallDataFileName();
void ResetInstallDataFileCounter();

// A new install item (replace always) at the end of the builder's list.
CInstallItem* AddInstallItem(CInstallerBuilder& builder, u32 location, u32 domain);
// A folder path goes to AddInstallFolder, anything else to AddInstallFile.
CInstallItem* AddInstallTree(CInstallerBuilder& builder, const CPathName& path, CInstallItem* parent);
// A file from the disk, added to the parent, or without one wrapped in a new
// install item at the end of the builder's list; returns the parent-side
// item (the file, or the new wrapper).
CInstallItem* AddInstallFile(CInstallerBuilder& builder, const CPathName& path, CInstallItem* parent);
// A folder and everything in it (in name order), placed as a file is. An
// item whose name has no Mac Roman form cannot be taken: the folder notes it
// (CInstallFolder::GetPassedOverItem), and the installer refuses to be built.
CInstallItem* AddInstallFolder(CInstallerBuilder& builder, const CPathName& path, CInstallItem* parent);

// Called after each file, folder and install item is installed, while enabled.
typedef void (*InstallProgressHook)(const CInstallItem& item, u32 userWord);
void SetInstallProgressHook(InstallProgressHook hook, bool enabled, u32 userWord);
