// Files and folders by file-system reference: creation with type and
// creator, moving, renaming and deleting, stdio files and streams, tree
// sizes and name extensions.
//
// Every function works on existing items (a missing one fails, it never
// stands for its parent folder), checks that a reference still names the
// item it was made for, and reports failure as false, null or 0. Locked
// items refuse to be opened for writing, deleted, renamed or moved. Names
// are Mac Roman and name one item: "", ".", ".." and names holding '/' are
// refused.
#pragma once

#include <cstdio>
#include <fstream>
#include <string>

#include "foundation/finder_info.h"
#include "foundation/path_name.h"
#include "platform/catalog.h"
#include "platform/cf_url.h"
#include "platform/file_refs.h"

// Catalog fields that CreateFileAtUrl can set.
enum : u32 {
  kFSCatInfoNone = 0,
  kFSCatInfoNodeFlags = 0x00000002,
  kFSCatInfoFinderInfo = 0x00000800,
};

// The status of a URL whose folder or last component cannot be had.
enum : OSErr { kUrlPartMissingErr = -4960 };

// The host form of a Mac Roman name of one item; false for "", ".", ".."
// and names holding '/'.
[[nodiscard]] bool ToHostItemName(const char* name, std::string* host);

[[nodiscard]] bool DeleteFsRef(const FSRef* ref);
// Moves into the folder, keeping the name.
[[nodiscard]] bool MoveFsRef(const FSRef* ref, const FSRef* folderRef);
[[nodiscard]] bool RenameFsRef(const FSRef* ref, const char* name);
[[nodiscard]] bool RenameFileAtPath(const CPathName& path, const char* name);

// Creates the file named by the URL's last component in the URL's folder;
// with kFSCatInfoFinderInfo the Finder information of `info` is stored, with
// kFSCatInfoNodeFlags its lock. A file that cannot take its information is
// removed again. dupFNErr when the name exists. `status` (may be null)
// receives the result code.
[[nodiscard]] bool CreateFileAtUrl(FSRef* refOut, CFURLRef url, u32 whichInfo, const plat::CatalogInfo* info,
                     OSErr* status = nullptr);
// The reference of the existing item the URL names.
[[nodiscard]] bool GetFsRefForUrl(FSRef* refOut, CFURLRef url, OSErr* status = nullptr);
[[nodiscard]] bool GetFsRefForPathString(const CPathName& path, FSRef* refOut);
[[nodiscard]] bool GetFsRefOfExistingPath(const CPathName& path, FSRef* refOut);

// stdio files and streams of existing items; null or false on failure, also
// for a write mode on a locked item.
[[nodiscard]] FILE* OpenStdioFileForFsRef(const FSRef* ref, const char* mode);
[[nodiscard]] FILE* OpenStdioFileAtPath(const CPathName& path, const char* mode);
[[nodiscard]] bool OpenInputFileStream(const FSRef* ref, std::ifstream& stream, std::ios::openmode mode);
[[nodiscard]] bool OpenOutputFileStream(const FSRef* ref, std::ofstream& stream, std::ios::openmode mode);
[[nodiscard]] bool OpenFileStreamForFsRef(const FSRef* ref, std::fstream& stream, std::ios::openmode mode);
[[nodiscard]] bool OpenFileStreamAtPath(const CPathName& path, std::fstream& stream, std::ios::openmode mode);

// Moves the path's existing item into the folder; a missing item moves
// nothing and gives false.
[[nodiscard]] bool MovePathToFolderRef(const CPathName& path, const FSRef* folderRef);
[[nodiscard]] bool MovePathToFolder(const CPathName& path, const FSRef* folderRef);
// Deletes the path's existing item (a folder only when empty).
bool DeletePath(const CPathName& path);

// The item's absolute path in the application-wide output style; with
// asFolder it ends in exactly one separator. "" on failure.
std::string GetFsRefPathString(const FSRef* ref, bool asFolder);

// Extensions, given without the dot: the text after the last '.' of the
// name is replaced ("" cuts it with its dot); a name without a '.' gets "."
// and the extension. A path's folders are never touched. The Pascal form
// fails, leaving the name as it was, when the result exceeds 255 bytes.
[[nodiscard]] bool SetPascalNameExtension(unsigned char* name, const char* extension);
void SetPathStringExtension(std::string& path, const char* extension);

// Creates a file with type, creator and flags ("????" and none when `tc` is
// null). An existing file or link is replaced only with `replace`; an
// existing folder never is (false, the folder left as it is), and a folder
// path (ending in a separator) gives false.
[[nodiscard]] bool CreateFileWithTypeCreator(const CPathName& path, const CFileTypeCreator* tc, bool replace);
// The same for `name` inside the folder; the new file's path goes to pathOut.
[[nodiscard]] bool CreateFileInFolder(const char* name, const FSRef* folderRef, CPathName* pathOut,
                        const CFileTypeCreator* tc, bool replace);
// Creates a folder. An existing folder of that name counts as success and
// its reference is handed back; an existing file of that name is a failure.
[[nodiscard]] bool CreateFolderInFsRef(const char* name, const FSRef* folderRef, FSRef* newRefOut);
[[nodiscard]] bool CreateFolderAtPath(const char* name, const CPathName& folderPath, FSRef* newRefOut);
[[nodiscard]] bool CreateFolderInParent(const CPathName& path, FSRef* newRefOut);

// The sum of the data-fork sizes of every file below the folder (links
// count as themselves, they are never followed; resource forks are not
// counted). 0 for an empty folder or one that cannot be read.
u64 GetFolderTreeSize(const FSRef* folderRef);

// The POSIX path of the existing item that an HFS full path names
// ("Macintosh HD:Users:a"); pathOut is left alone on failure.
[[nodiscard]] bool GetPathFromFullHfsPath(const char* hfsPath, CPathName* pathOut);
