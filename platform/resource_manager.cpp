#include "platform/resource_manager.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "platform/finder_info.h"
#include "platform/host_paths.h"
#include "platform/memory_handles.h"
#include "platform/resource_map.h"

namespace {

typedef std::pair<ResType, ResID> Key;

struct OpenFile {
  SInt16 refNum = 0;
  plat::ResourceMap map;
  plat::ResourceStore store;  // empty for a read-only file
  bool changed = false;
  std::map<Key, Handle> loaded;
  std::map<Key, bool> changedHandles;
};

struct Manager {
  std::vector<std::unique_ptr<OpenFile>> chain;  // in the order opened
  SInt16 current = -1;
  SInt16 nextRefNum = 100;
  OSErr error = noErr;
  std::map<Handle, std::pair<SInt16, Key>> owners;  // resource handle -> its file and key
};

Manager& State() {
  static Manager manager;
  return manager;
}

OSErr Fail(OSErr error) { return State().error = error; }
SInt16 FailOpen(OSErr error) {
  Fail(error);
  return -1;
}

OpenFile* FileOf(SInt16 refNum) {
  for (auto& file : State().chain)
    if (file->refNum == refNum) return file.get();
  return nullptr;
}

[[nodiscard]] Handle Load(OpenFile& file, ResType type, ResID id) {
  const Key key(type, id);
  auto loaded = file.loaded.find(key);
  if (loaded != file.loaded.end()) return loaded->second;
  const plat::ResourceEntry* entry = file.map.Find(type, id);
  if (!entry) return nullptr;
  Handle handle = plat::NewHandleFromBytes(entry->data.data(), entry->data.size());
  if (!handle) {
    Fail(memFullErr);
    return nullptr;
  }
  file.loaded[key] = handle;
  State().owners[handle] = {file.refNum, key};
  return handle;
}

// Forgets a handle's ownership; true when it was a resource handle.
bool Unregister(Handle handle, OpenFile** fileOut, Key* keyOut) {
  Manager& manager = State();
  auto owner = manager.owners.find(handle);
  if (owner == manager.owners.end()) return false;
  OpenFile* file = FileOf(owner->second.first);
  const Key key = owner->second.second;
  manager.owners.erase(owner);
  if (file) {
    file->loaded.erase(key);
    file->changedHandles.erase(key);
  }
  if (fileOut) *fileOut = file;
  if (keyOut) *keyOut = key;
  return true;
}

OpenFile* OwnerFile(Handle handle, Key* keyOut) {
  auto owner = State().owners.find(handle);
  if (owner == State().owners.end()) return nullptr;
  if (keyOut) *keyOut = owner->second.second;
  return FileOf(owner->second.first);
}

// Writes the file's changes back; a failure is kept as the Resource
// Manager's error (ResError).
void Store(OpenFile& file) {
  for (const auto& changed : file.changedHandles) {
    const plat::ResourceEntry* entry = file.map.Find(changed.first.first, changed.first.second);
    auto loaded = file.loaded.find(changed.first);
    if (!entry || loaded == file.loaded.end()) continue;
    plat::ResourceEntry updated = *entry;
    updated.data = plat::HandleBytes(loaded->second);
    file.map.Set(updated);
  }
  if (!file.changed && file.changedHandles.empty()) return;
  std::vector<u8> image;
  if (!file.map.Serialize(image) || !file.store(image)) {
    Fail(ioErr);
    return;
  }
  file.changed = false;
  file.changedHandles.clear();
}

}  // namespace

SInt16 CurResFile() {
  State().error = noErr;
  return State().current;
}

void UseResFile(SInt16 refNum) {
  if (!FileOf(refNum)) {
    Fail(resFNotFound);
    return;
  }
  State().error = noErr;
  State().current = refNum;
}

void UpdateResFile(SInt16 refNum) {
  OpenFile* file = FileOf(refNum);
  if (!file) {
    Fail(resFNotFound);
    return;
  }
  State().error = noErr;
  if (file->store) Store(*file);
}

void CloseResFile(SInt16 refNum) {
  Manager& manager = State();
  OpenFile* file = FileOf(refNum);
  if (!file) {
    Fail(resFNotFound);
    return;
  }
  manager.error = noErr;
  if (file->store) Store(*file);
  const OSErr result = manager.error;
  for (const auto& loaded : file->loaded) {
    manager.owners.erase(loaded.second);
    DisposeHandle(loaded.second);
  }
  manager.chain.erase(std::find_if(manager.chain.begin(), manager.chain.end(),
                                   [&](const auto& f) { return f.get() == file; }));
  if (manager.current == refNum) manager.current = manager.chain.empty() ? SInt16(-1) : manager.chain.back()->refNum;
  manager.error = result;
}

OSErr ResError() { return State().error; }

Handle Get1Resource(ResType type, ResID id) {
  State().error = noErr;
  OpenFile* file = FileOf(State().current);
  Handle handle = file ? Load(*file, type, id) : nullptr;
  if (!handle && State().error == noErr) Fail(resNotFound);
  return handle;
}

Handle GetResource(ResType type, ResID id) {
  Manager& manager = State();
  manager.error = noErr;
  bool reached = false;
  for (auto file = manager.chain.rbegin(); file != manager.chain.rend(); ++file) {
    if ((*file)->refNum == manager.current) reached = true;
    if (!reached) continue;
    if (Handle handle = Load(**file, type, id)) return handle;
    if (manager.error != noErr) return nullptr;
  }
  Fail(resNotFound);
  return nullptr;
}

void ReleaseResource(Handle resource) {
  if (!Unregister(resource, nullptr, nullptr)) {
    Fail(resNotFound);
    return;
  }
  State().error = noErr;
  DisposeHandle(resource);
}

void DetachResource(Handle resource) {
  State().error = Unregister(resource, nullptr, nullptr) ? noErr : resNotFound;
}

void AddResource(Handle data, ResType type, ResID id, ConstStr255Param name) {
  OpenFile* file = FileOf(State().current);
  if (!data || !file || !file->store || State().owners.count(data)) {
    Fail(addResFailed);
    return;
  }
  plat::ResourceEntry entry;
  entry.type = type;
  entry.id = id;
  if (name && name[0] > 0) {
    entry.named = true;
    entry.name.assign(reinterpret_cast<const char*>(name + 1), name[0]);
  }
  entry.data = plat::HandleBytes(data);
  const Key key(type, id);
  // A resource of that type and id already loaded is replaced with its handle.
  auto old = file->loaded.find(key);
  if (old != file->loaded.end()) {
    Handle previous = old->second;
    Unregister(previous, nullptr, nullptr);
    DisposeHandle(previous);
  }
  file->map.Set(entry);
  file->loaded[key] = data;
  State().owners[data] = {file->refNum, key};
  file->changed = true;
  State().error = noErr;
}

void ChangedResource(Handle resource) {
  Key key;
  OpenFile* file = OwnerFile(resource, &key);
  if (!file) {
    Fail(resNotFound);
    return;
  }
  if (!file->store) {
    Fail(wrPermErr);
    return;
  }
  file->changedHandles[key] = true;
  State().error = noErr;
}

void RemoveResource(Handle resource) {
  Key key;
  OpenFile* file = OwnerFile(resource, &key);
  if (!file || !file->store || !file->map.Remove(key.first, key.second)) {
    Fail(rmvResFailed);
    return;
  }
  Unregister(resource, nullptr, nullptr);
  file->changed = true;
  State().error = noErr;
}

void WriteResource(Handle resource) {
  OpenFile* file = OwnerFile(resource, nullptr);
  if (!file) {
    Fail(resNotFound);
    return;
  }
  State().error = noErr;
  if (file->store) Store(*file);
}

SInt16 FSpOpenResFile(const FSSpec* spec, SInt8 permission) {
  if (!spec || spec->parent.empty()) return FailOpen(paramErr);
  const std::string path = plat::JoinHostPath(spec->parent, spec->name);
  const bool writable = permission == fsWrPerm || permission == fsRdWrPerm;
  if (writable) {
    if (OSErr locked = plat::RefuseIfLocked(path)) return FailOpen(locked);
  }
  std::vector<u8> image;
  if (OSErr error = plat::ReadForkImage(path, plat::ForkKind::resource, image)) return FailOpen(error);
  if (image.empty()) return FailOpen(eofErr);  // no resource fork
  plat::ResourceStore store;
  if (writable) {
    store = [path](const std::vector<u8>& bytes) {
      return plat::WriteForkImage(path, plat::ForkKind::resource, bytes) == noErr;
    };
  }
  return plat::OpenResourceImage(image, store);
}

void FSpCreateResFile(const FSSpec* spec, OSType creator, OSType fileType, SInt16) {
  if (!spec || spec->parent.empty()) {
    Fail(paramErr);
    return;
  }
  const std::string path = plat::JoinHostPath(spec->parent, spec->name);
  std::vector<u8> image;
  OSErr error = plat::ReadForkImage(path, plat::ForkKind::resource, image);
  if (error == fnfErr) {
    // A new file with its type and creator.
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    error = fd < 0 || close(fd) != 0 ? OSErr(ioErr) : OSErr(noErr);
    plat::FinderInfoBytes info;
    info.SetFileType(fileType);
    info.SetFileCreator(creator);
    // A volume that keeps no attributes keeps the file without its type and creator.
    if (error == noErr) static_cast<void>(plat::WriteFinderInfo(path, info));
  }
  if (error != noErr) {
    Fail(error);
    return;
  }
  if (!image.empty()) {
    Fail(dupFNErr);
    return;
  }
  std::vector<u8> empty;
  plat::ResourceMap().Serialize(empty);
  Fail(plat::WriteForkImage(path, plat::ForkKind::resource, empty));
}

namespace plat {

OSErr ReadForkImage(const std::string& hostPath, ForkKind kind, std::vector<u8>& image, u64 limit) {
  image.clear();
  SInt16 fork = 0;
  if (OSErr error = OpenFork(hostPath, kind, fsRdPerm, &fork)) return error;
  SInt64 size = 0;
  OSErr error = GetForkSize(fork, &size);
  if (error == noErr && (size < 0 || u64(size) > limit)) error = memFullErr;
  if (error == noErr) {
    image.resize(size_t(size));
    UInt64 actual = 0;
    error = size == 0 ? OSErr(noErr) : ReadFork(fork, u64(size), image.data(), &actual);
    if (error == noErr && actual != u64(size)) error = ioErr;
  }
  // The bytes are read whole or not at all; closing a fork that was only
  // read loses nothing.
  static_cast<void>(CloseFork(fork));
  if (error != noErr) image.clear();
  return error;
}

OSErr WriteForkImage(const std::string& hostPath, ForkKind kind, const std::vector<u8>& image) {
  SInt16 fork = 0;
  if (OSErr error = OpenFork(hostPath, kind, fsRdWrPerm, &fork)) return error;
  OSErr error = SetForkSize(fork, 0);
  UInt64 actual = 0;
  if (error == noErr && !image.empty()) error = WriteFork(fork, image.size(), image.data(), &actual);
  if (error == noErr && actual != image.size()) error = ioErr;
  const OSErr closed = CloseFork(fork);
  return error != noErr ? error : closed;
}

SInt16 OpenResourceImage(const std::vector<u8>& image, ResourceStore store) {
  Manager& manager = State();
  auto file = std::make_unique<OpenFile>();
  if (!file->map.Parse(image)) {
    Fail(mapReadErr);
    return -1;
  }
  if (manager.nextRefNum == 0x7FFF) manager.nextRefNum = 100;
  while (FileOf(manager.nextRefNum)) ++manager.nextRefNum;
  file->refNum = manager.nextRefNum++;
  file->store = std::move(store);
  const SInt16 refNum = file->refNum;
  manager.chain.push_back(std::move(file));
  manager.current = refNum;
  manager.error = noErr;
  return refNum;
}

size_t OpenResourceFileCount() { return State().chain.size(); }

}  // namespace plat
