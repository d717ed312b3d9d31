#include "platform/memory_handles.h"

#include <cstring>
#include <new>

namespace {

// The master pointer must be the first member: a Handle is its address.
struct Block {
  char* pointer = nullptr;
  long size = 0;
  bool locked = false;
};

OSErr& LastError() {
  static OSErr error = noErr;
  return error;
}

Block* BlockOf(Handle handle) { return reinterpret_cast<Block*>(handle); }

// Blocks of size 0 still get one byte so that the master pointer is not null.
char* Allocate(long size) { return new (std::nothrow) char[size > 0 ? size_t(size) : 1]; }

}  // namespace

Handle NewHandle(long size) {
  LastError() = memFullErr;
  if (size < 0) return nullptr;
  Block* block = new (std::nothrow) Block;
  if (!block) return nullptr;
  block->pointer = Allocate(size);
  if (!block->pointer) {
    delete block;
    return nullptr;
  }
  block->size = size;
  LastError() = noErr;
  return &block->pointer;
}

Handle NewHandleClear(long size) {
  Handle handle = NewHandle(size);
  if (handle && size > 0) std::memset(*handle, 0, size_t(size));
  return handle;
}

void DisposeHandle(Handle handle) {
  LastError() = noErr;
  if (!handle) return;
  Block* block = BlockOf(handle);
  delete[] block->pointer;
  delete block;
}

long GetHandleSize(Handle handle) {
  if (!handle) {
    LastError() = nilHandleErr;
    return 0;
  }
  LastError() = noErr;
  return BlockOf(handle)->size;
}

void SetHandleSize(Handle handle, long size) {
  if (!handle) {
    LastError() = nilHandleErr;
    return;
  }
  LastError() = memFullErr;
  if (size < 0) return;
  Block* block = BlockOf(handle);
  char* bytes = Allocate(size);
  if (!bytes) return;
  long kept = size < block->size ? size : block->size;
  if (kept > 0) std::memcpy(bytes, block->pointer, size_t(kept));
  if (size > kept) std::memset(bytes + kept, 0, size_t(size - kept));
  delete[] block->pointer;
  block->pointer = bytes;
  block->size = size;
  LastError() = noErr;
}

void HLock(Handle handle) {
  LastError() = handle ? noErr : nilHandleErr;
  if (handle) BlockOf(handle)->locked = true;
}

void HUnlock(Handle handle) {
  LastError() = handle ? noErr : nilHandleErr;
  if (handle) BlockOf(handle)->locked = false;
}

OSErr MemError() { return LastError(); }

namespace plat {

Handle NewHandleFromBytes(const void* data, size_t n) {
  if (n > size_t(0x7FFFFFFF)) return nullptr;
  Handle handle = NewHandle(long(n));
  if (handle && n > 0) std::memcpy(*handle, data, n);
  return handle;
}

std::vector<u8> HandleBytes(Handle handle) {
  if (!handle || !*handle) return {};
  const u8* bytes = reinterpret_cast<const u8*>(*handle);
  return std::vector<u8>(bytes, bytes + GetHandleSize(handle));
}

}  // namespace plat
