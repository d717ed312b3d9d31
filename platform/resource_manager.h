// Resource files of the host layer (the Resource Manager's calls).
//
// Opening a resource file reads its whole map into memory and lets go of the
// host file at once, so no file stays open. Resources come back as handles
// that belong to their open file (the same handle for repeated gets) until
// they are released, detached or the file is closed. A file opened for
// writing stores its changes when it is updated or closed.
//
// Files form a chain in the order they were opened; the current file is the
// last one opened unless UseResFile says otherwise. GetResource searches the
// current file and then the files opened before it; Get1Resource only the
// current one. Main thread only.
#pragma once

#include <functional>
#include <vector>

#include "platform/file_refs.h"
#include "platform/forks.h"
#include "platform/mac_types.h"

// Opens the resource fork of the FSSpec's file; with fsWrPerm or fsRdWrPerm
// its changes are stored back into the fork. -1 when it cannot be opened,
// with ResError() fnfErr for a missing file, eofErr for a file without a
// resource fork, mapReadErr for a damaged one, fLckdErr for a write-open of
// a locked file.
[[nodiscard]] SInt16 FSpOpenResFile(const FSSpec* spec, SInt8 permission);
// Gives the FSSpec's file an empty resource map, creating the file (with the
// type and creator) when it is missing; dupFNErr when it has a resource map
// already.
void FSpCreateResFile(const FSSpec* spec, OSType creator, OSType fileType, SInt16 scriptTag);

SInt16 CurResFile();
void UseResFile(SInt16 refNum);
// Stores pending changes of a writable file, releases its resources' handles
// and closes it.
void CloseResFile(SInt16 refNum);
void UpdateResFile(SInt16 refNum);
// The result of the last call of this layer.
[[nodiscard]] OSErr ResError();

[[nodiscard]] Handle GetResource(ResType type, ResID id);
[[nodiscard]] Handle Get1Resource(ResType type, ResID id);
// Frees a resource's handle; the next get loads it again.
void ReleaseResource(Handle resource);
// Hands a resource's handle to the caller, who disposes of it.
void DetachResource(Handle resource);
// Makes a handle of the caller a new resource of the current file (which
// must be writable); the handle then belongs to the file.
void AddResource(Handle data, ResType type, ResID id, ConstStr255Param name);
// Marks a resource whose handle was changed, to be stored with the file.
void ChangedResource(Handle resource);
// Removes a resource from its writable file; its handle becomes the caller's.
void RemoveResource(Handle resource);
// Stores the file of a changed resource now.
void WriteResource(Handle resource);

namespace plat {

typedef std::function<bool(const std::vector<u8>& image)> ResourceStore;

// Opens the resource map in `image` as a resource file (an empty image is an
// empty map) and makes it current; `store` writes the image back for a
// writable file (empty: read-only). -1, with ResError() mapReadErr, when the
// image is not a resource fork.
[[nodiscard]] SInt16 OpenResourceImage(const std::vector<u8>& image, ResourceStore store);

// The whole content of a fork (at most `limit` bytes, else memFullErr).
[[nodiscard]] OSErr ReadForkImage(const std::string& hostPath, ForkKind kind, std::vector<u8>& image,
                    u64 limit = u64(1) << 26);
// Replaces the content of a fork.
[[nodiscard]] OSErr WriteForkImage(const std::string& hostPath, ForkKind kind, const std::vector<u8>& image);

// The number of resource files open now.
size_t OpenResourceFileCount();

}  // namespace plat
