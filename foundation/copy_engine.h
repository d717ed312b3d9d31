// The fork-aware copy engine behind CPathName::CopyTo.
//
// CopyObject copies a file with its data and resource forks, a symbolic
// link as a link, or a folder with its whole tree, keeping Finder
// information (the "has been inited" flag cleared), modification and access
// dates, owner, group, permissions and the lock. One copy buffer serves the
// whole call. A tree is walked depth first from a work list, never by
// recursion, and folders are never entered through links unless the copy
// follows them.
//
// Following links: a copy of a project's own file or folder goes to another
// machine, where a link would lead nowhere or somewhere else. Such a copy
// follows every link it meets, the item itself and every one in its tree:
// what a link leads to is copied under the link's name, a file with its
// own forks and Finder information (never the link's), a folder with its
// tree. fnfErr for a link that leads to nothing; copyLoopErr for a loop of
// links, for a link to a folder that holds the folder it is in (or the
// copy being made), and for a folder reached through links more than
// kMaxFolderCopies times, so that no tree is copied without bound.
//
// While a file is being copied it carries the busy file type 'bzy ' and is
// unlocked and writable for its owner; its own type, permissions and lock
// are put back once its forks are written. A folder gets its dates,
// permissions and lock once everything inside it is copied, so that a
// read-only folder can still be filled. In a drop folder (one that others
// may write and search but not read) a copy is made with the source's
// Finder information from the start and nothing is set afterwards.
//
// Failures: the first error ends the copy and the engine returns it; a copy
// that failed leaves nothing of itself behind. paramErr for a null
// reference, bdNamErr for a new name that is not one item's name,
// errFSNotAFolder when the destination is not a folder, copyLoopErr for a
// folder copied into itself or into a folder inside it (or replacing an
// item that holds the source), dupFNErr when an item of the copy's name
// exists and replace is not set (that item is not touched) or when that
// item is the source itself, notAFileErr for FIFOs, devices and sockets
// (which have no data to copy).
//
// Replacing: an existing item of the copy's name is set aside under a free
// hidden name while the copy is made; it is deleted after a good copy (a
// failure to delete it is the result, with the copy in place) and gets its
// name back after a failed one.
//
// Host paths and names are UTF-8.
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>

#include "platform/catalog.h"
#include "platform/file_refs.h"
#include "platform/mac_types.h"

// Copy buffer sizes in bytes.
enum : u32 {
  kCopyBufferDefault = 262144,
  kCopyBufferMinimum = 1024,
  kCopyBufferMaximum = 2097152,
};

// What a volume's parameters tell about it: how many bytes of parameters it
// returned and its volume grade. The host's volumes report none.
struct CopyVolumeGrade {
  u32 parameterBytes = 0;
  s32 grade = 0;
};

// The copy buffer for one volume: with at least 18 bytes of parameters and
// a negative grade, minus the grade divided by 4 with the low nine bits
// cleared, kept within 1,024 and 2,097,152; otherwise 262,144. With a
// second (destination) volume the smaller of the two sizes.
u32 CopyBufferSize(const CopyVolumeGrade& source, const CopyVolumeGrade* destination = nullptr);

// A drop folder's permissions: others may write and search, not read.
[[nodiscard]] bool IsDropFolderMode(mode_t mode);

// What every step of one CopyObject call shares.
struct CopyParameters {
  std::unique_ptr<u8[]> buffer;
  u32 bufferSize = 0;
  bool dropFolder = false;        // the destination folder is a drop folder
  bool localDestination = true;   // the host's volumes are all local
  bool serverCopy = false;        // no server copies files by itself here
  bool replace = false;
  bool followLinks = false;       // CopyLinks::kFollow: links are copied as what they lead to
};

// Whether a copy keeps the links it meets as links (the templates' own,
// finished bundles) or follows them (a project's own files).
enum class CopyLinks { kKeep, kFollow };

// How many times one folder may be copied through links in one copy.
constexpr int kMaxFolderCopies = 8;

// Copies `source` into `destinationFolder` (a folder, or a link to one)
// under `newName` (null or empty: the source's own name). The copy's
// reference goes to `newRef` on success.
[[nodiscard]] OSErr CopyObject(const FSRef* source, const FSRef* destinationFolder, bool replace,
                 const HFSUniStr255* newName, FSRef* newRef, CopyLinks links = CopyLinks::kKeep);

// What a copy that follows links would meet in `source`, found without
// copying anything: noErr when every link leads to a file or a folder and
// nothing loops; otherwise the error that copy would end with for the
// links it follows (fnfErr, copyLoopErr), or notAFileErr for an item that
// is neither a file nor a folder, or the error of reading a folder, with
// the host path of the item concerned in `failedPath`.
[[nodiscard]] OSErr CheckLinksToFollow(const FSRef* source, std::string* failedPath = nullptr);

// Creates the copy of one folder (without its contents) named `name` in the
// destination folder, with the source's Finder information and its
// permissions plus the owner's full access.
[[nodiscard]] OSErr CreateFolderCopy(const FSRef* source, const FSRef* destinationFolder, const plat::CatalogInfo& info,
                       const std::string& name, CopyParameters& parameters, FSRef* newRef);
// Copies the data and resource forks of a file into another file (empty
// forks are not opened). Folders have no forks here: noErr.
[[nodiscard]] OSErr CopyAllForks(const FSRef* source, const FSRef* destination, CopyParameters& parameters);
// Copies `length` bytes from the mark of an open fork to the mark of
// another in chunks of the buffer's size, each written with its exact
// length; a source that ends early gives eofErr. The destination fork ends
// up exactly `length` bytes past where it started.
[[nodiscard]] OSErr CopyForkContents(s16 sourceFork, s16 destinationFork, CopyParameters& parameters, u64 length);
