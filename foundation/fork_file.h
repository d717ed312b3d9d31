// CForkFile: one file reached through its location, with its data and
// resource forks and its Finder information.
//
// Each operation keeps the File Manager's result as the last status. The
// object owns its location URL and at most one open fork; the destructor
// closes that fork.
#pragma once

#include <cstddef>
#include <cstdio>
#include <fstream>

#include "foundation/date_time.h"
#include "foundation/finder_info.h"
#include "foundation/path_name.h"
#include "platform/catalog.h"
#include "platform/cf_url.h"
#include "platform/file_refs.h"

class CForkFile {
 public:
  // Permission flags of OpenDataFork and OpenResourceFork, tested in this order.
  enum : int { kRead = 2, kWrite = 4, kReadWrite = 8 };
  // Origins of SetForkPosition; any other value is from the mark.
  enum : int { kFromStart = 0, kFromEnd = 2 };

  CForkFile();
  ~CForkFile();
  CForkFile(const CForkFile&) = delete;
  CForkFile& operator=(const CForkFile&) = delete;

  bool SetPath(const CPathName& path);
  // Creates the file (no catalog information).
  [[nodiscard]] bool Create();
  // An open fork is closed first.
  [[nodiscard]] bool OpenDataFork(int permission);
  [[nodiscard]] bool OpenResourceFork(int permission);
  [[nodiscard]] bool CloseFork();
  // The bytes actually moved at the mark.
  size_t ReadFork(void* buffer, size_t count);
  size_t WriteFork(const void* buffer, size_t count);
  [[nodiscard]] bool SetForkPosition(s32 offset, int origin);
  s64 GetForkPosition();
  // The data fork's size, also while the resource fork is open.
  s64 GetDataForkSize();

  OSType GetFileType();     // 0 on error
  OSType GetFileCreator();  // 0 on error
  [[nodiscard]] bool GetCreationDate(CDateTime& date);
  [[nodiscard]] bool GetModificationDate(CDateTime& date);
  // False, `info` unchanged, when the information cannot be read.
  [[nodiscard]] bool GetFinderFileInfo(CFinderFileInfo* info);
  [[nodiscard]] bool SetFinderFileInfo(const CFinderFileInfo* info);
  [[nodiscard]] bool GetFinderFolderInfo(CFinderFolderInfo* info);
  [[nodiscard]] bool SetFinderFolderInfo(const CFinderFolderInfo* info);
  // Sets Finder flag 0x2000; false when the information cannot be read.
  [[nodiscard]] bool SetHasBundleFlag();

  // Moves the item into the folder; the location follows it.
  [[nodiscard]] bool MoveToFolder(const FSRef* folderRef);
  [[nodiscard]] bool MoveToFolderUrl(CFURLRef folderUrl);
  [[nodiscard]] bool Delete();
  // Renames the item; the location follows it.
  [[nodiscard]] bool Rename(const char* name);
  [[nodiscard]] FILE* OpenStdioFile(const char* mode);
  [[nodiscard]] bool OpenFileStream(std::fstream& stream, std::ios::openmode mode);

  [[nodiscard]] OSErr GetLastStatus() const { return status_; }
  [[nodiscard]] bool IsForkOpen() const { return forkRef_ != 0; }
  CFURLRef GetUrl() const { return url_; }

 private:
  [[nodiscard]] bool GetRef(FSRef* ref);
  [[nodiscard]] bool OpenFork(bool resource, int permission);
  [[nodiscard]] bool SetUrlFromRef(const FSRef& ref);
  // After a move or rename whose new place cannot be named: the object then
  // names nothing, rather than whatever comes to the old place.
  void ForgetLocation();
  [[nodiscard]] bool ReadFinderBytes(plat::FinderInfoBytes* bytes);
  [[nodiscard]] bool WriteFinderBytes(const plat::FinderInfoBytes& bytes);
  [[nodiscard]] bool GetCatalogDate(UTCDateTime plat::CatalogInfo::*field, CDateTime& date);

  // A file's or a folder's Finder information, read whole or written by its mask.
  template <typename Info>
  [[nodiscard]] bool ReadInfo(Info* info) {
    plat::FinderInfoBytes bytes;
    if (!info || !ReadFinderBytes(&bytes)) return false;
    info->ReadFrom(bytes);
    return true;
  }
  template <typename Info>
  [[nodiscard]] bool WriteInfo(const Info* info) {
    plat::FinderInfoBytes bytes;
    if (!info || !ReadFinderBytes(&bytes)) return false;
    info->WriteMaskedTo(&bytes);
    return WriteFinderBytes(bytes);
  }

  OSErr status_ = noErr;
  u16 forkRef_ = 0;
  bool resourceOpen_ = false;
  CFURLRef url_ = nullptr;
};
