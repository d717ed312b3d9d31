// Relocatable memory blocks of the host layer (the Memory Manager's handles).
//
// A Handle points at a master pointer, which points at the block's bytes.
// Blocks never move here, so locking is only recorded. A handle of size 0
// still has a master pointer that is not null. Handles are main-thread
// objects, like the rest of the layer.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/mac_types.h"

// A new block of `size` bytes (contents unspecified; cleared by NewHandleClear).
// Null, with MemError() memFullErr, when the size is negative or cannot be had.
[[nodiscard]] Handle NewHandle(long size);
[[nodiscard]] Handle NewHandleClear(long size);
// Frees the block and its master pointer; null is ignored.
void DisposeHandle(Handle handle);
// The block's size in bytes; 0 for null (MemError() nilHandleErr).
long GetHandleSize(Handle handle);
// Resizes the block, keeping the bytes that fit; new bytes are zero.
// On failure the block is unchanged and MemError() says why.
void SetHandleSize(Handle handle, long size);
void HLock(Handle handle);
void HUnlock(Handle handle);
// The result of the last call above: noErr, memFullErr or nilHandleErr.
[[nodiscard]] OSErr MemError();

namespace plat {

// A new handle holding a copy of `n` bytes; null when memory runs out.
[[nodiscard]] Handle NewHandleFromBytes(const void* data, size_t n);
// The bytes of a handle (empty for null).
std::vector<u8> HandleBytes(Handle handle);

}  // namespace plat
