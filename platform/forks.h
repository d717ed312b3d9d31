// Forks of the host layer.
//
// The data fork of a file is the file itself. A resource fork lives in an
// AppleDouble sidecar "._name" beside the file (entry 2 of the sidecar); a
// file without a sidecar has an empty resource fork, and a resource fork cut
// to nothing removes its sidecar. The item operations here carry the
// sidecar along with its file, and folder listings hide a sidecar whose file
// exists. Locked items (see finder_info.h) refuse write-opens, deletion,
// renaming and moving with fLckdErr.
//
// Open forks are addressed by reference numbers, as the File Manager does.
// Paths are host (UTF-8) paths.
#pragma once

#include <sys/types.h>

#include <string>

#include "platform/mac_types.h"

// Fork permissions and positioning modes.
enum : SInt8 { fsCurPerm = 0, fsRdPerm = 1, fsWrPerm = 2, fsRdWrPerm = 3 };
enum : UInt16 { fsAtMark = 0, fsFromStart = 1, fsFromLEOF = 2, fsFromMark = 3 };

namespace plat {

enum class ForkKind { data, resource };

// The sidecar path of a file ("" for the root or a folder path ending in '/').
std::string SidecarPath(const std::string& hostPath);
// True when `name` in `hostFolder` is the sidecar of an item that exists
// there (such names are hidden from listings).
[[nodiscard]] bool IsHiddenSidecar(const std::string& hostFolder, const std::string& name);

// Opens a fork; fsCurPerm is read access. notAFileErr for a folder or any
// item that is not a regular file, fnfErr for a missing item, fLckdErr for a
// write-open of a locked item, ioErr for a corrupt sidecar. Opening a
// resource fork for writing creates its sidecar.
[[nodiscard]] OSErr OpenFork(const std::string& hostPath, ForkKind kind, SInt8 permission, SInt16* refNum);
[[nodiscard]] OSErr CloseFork(SInt16 refNum);
// Read and write at the mark, which advances by the bytes moved (*actual,
// may be null). Reading past the end gives eofErr with the bytes there were.
[[nodiscard]] OSErr ReadFork(SInt16 refNum, UInt64 count, void* buffer, UInt64* actual);
[[nodiscard]] OSErr WriteFork(SInt16 refNum, UInt64 count, const void* buffer, UInt64* actual);
// posErr when the new mark would lie before the start.
[[nodiscard]] OSErr SetForkPosition(SInt16 refNum, UInt16 mode, SInt64 offset);
[[nodiscard]] OSErr GetForkPosition(SInt16 refNum, SInt64* position);
[[nodiscard]] OSErr GetForkSize(SInt16 refNum, SInt64* size);
[[nodiscard]] OSErr SetForkSize(SInt16 refNum, SInt64 size);
// Whether the reference number names an open fork.
[[nodiscard]] bool IsForkOpen(SInt16 refNum);
// Whether this process has a resource fork of that file open.
[[nodiscard]] bool IsResourceForkOpen(dev_t device, ino_t inode);

// Size of a file's resource fork (0 without a sidecar or for a folder).
UInt64 ResourceForkSize(const std::string& hostPath);

// Finder information kept in an item's sidecar, in its AppleDouble
// Finder-info entry (32 bytes): the place for items that cannot carry
// extended attributes, i.e. symbolic links. Reading gives false when the
// sidecar or the entry is missing or the sidecar is corrupt. Writing keeps
// the sidecar's other entries; writing zeros where there is no sidecar
// makes none.
[[nodiscard]] bool ReadSidecarFinderInfo(const std::string& hostPath, UInt8* bytes);
[[nodiscard]] OSErr WriteSidecarFinderInfo(const std::string& hostPath, const UInt8* bytes);

// Item operations that carry the sidecar along.
// Deletes a file or an empty folder (fBsyErr when the folder is not empty).
[[nodiscard]] OSErr DeleteItem(const std::string& hostPath);
// Renames within the item's folder; dupFNErr when the name is taken,
// bdNamErr for an empty name, "." or "..", or one holding '/'.
[[nodiscard]] OSErr RenameItem(const std::string& hostPath, const std::string& newName);
// Moves into an existing folder keeping the name; dupFNErr when the name is
// taken there, dirNFErr when the destination is not a folder, diffVolErr
// across volumes, badMovErr for a folder moved into itself.
[[nodiscard]] OSErr MoveItemToFolder(const std::string& hostPath, const std::string& hostFolder);
// Deletes an item and, for a folder, everything in it, unlocking locked
// items on the way; links are deleted, never followed. Stops at the first
// failure, leaving what it has not reached.
[[nodiscard]] OSErr DeleteTree(const std::string& hostPath);
// Empties a folder the way DeleteTree does, keeping the folder itself;
// dirNFErr when the item is not a folder.
[[nodiscard]] OSErr DeleteFolderContents(const std::string& hostFolder);
// Gives `to` the resource fork of `from`: copies the sidecar, or removes a
// stale sidecar of `to` when `from` has none.
[[nodiscard]] OSErr CopySidecar(const std::string& from, const std::string& to);

}  // namespace plat
