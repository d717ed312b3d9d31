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
  bool Create();
  // An open fork is closed first.
  bool OpenDataFork(int permission);
  bool OpenResourceFork(int permission);
  bool CloseFork();
  // The bytes actually moved at the mark.
  size_t ReadFork(void* buffer, size_t count);
  size_t WriteFork(const void* buffer, size_t count);
  bool SetForkPosition(s32 offset, int origin);
  s64 GetForkPosition();
  // The data fork's size, also while the resource fork is open.
  s64 GetDataForkSize();

  OSType GetFileType();     // 0 on error
  OSType GetFileCreator();  // 0 on error
  bool GetCreationDate(CDateTime& date);
  bool GetModificationDate(CDateTime& date);
  // False, `info` unchanged, when the information cannot be read.
  bool GetFinderFileInfo(CFinderFileInfo* info);
  bool SetFinderFileInfo(const CFinderFileInfo* info);
  bool GetFinderFolderInfo(CFinderFolderInfo* info);
  bool SetFinderFolderInfo(const CFinderFolderInfo* info);
  // Sets Finder flag 0x2000; false when the information cannot be read.
  bool SetHasBundleFlag();

  // Moves the item into the folder; the location follows it.
  bool MoveToFolder(const FSRef* folderRef);
  bool MoveToFolderUrl(CFURLRef folderUrl);
  bool Delete();
  // Renames the item; the location follows it.
  bool Rename(const char* name);
  FILE* OpenStdioFile(const char* mode);
  bool OpenFileStream(std::fstream& stream, std::ios::openmode mode);

  OSErr GetLastStatus() const { return status_; }
  bool IsForkOpen() const { return forkRef_ != 0; }
  CFURLRef GetUrl() const { return url_; }

 private:
  bool GetRef(FSRef* ref);
  bool OpenFork(bool resource, int permission);
  bool SetUrlFromRef(const FSRef& ref);
  bool ReadFinderBytes(plat::FinderInfoBytes* bytes);
  bool WriteFinderBytes(const plat::FinderInfoBytes& bytes);
  bool GetCatalogDate(UTCDateTime plat::CatalogInfo::*field, CDateTime& date);

  // A file's or a folder's Finder information, read whole or written by its mask.
  template <typename Info>
  bool ReadInfo(Info* info) {
    plat::FinderInfoBytes bytes;
    if (!info || !ReadFinderBytes(&bytes)) return false;
    info->ReadFrom(bytes);
    return true;
  }
  template <typename Info>
  bool WriteInfo(const Info* info) {
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
