// A file URL standing in for CoreFoundation's CFURL: a POSIX path (UTF-8,
// absolute or relative) and whether it names a folder.
//
// File-system paths come in three styles:
//   POSIX   (0)  "/Users/a/file.txt"
//   HFS     (1)  "Macintosh HD:Users:a:file.txt" - the first component is a
//                volume; the root volume (plat::RootVolumeName()) is "/". A
//                ':' inside a POSIX name is a '/' in HFS form and back. A
//                path of an unknown volume cannot be made into a URL.
//   Windows (2)  "\Users\a\file.txt"; drive letters have no mapping.
// A path that ends in its separator names a folder. Copying a folder's path
// out gives no trailing separator in POSIX style (except "/"), and keeps it
// in HFS and Windows style so that the folder form survives.
#pragma once

#include <string>

#include "platform/cf_string.h"
#include "platform/file_refs.h"

namespace plat {

class CFURLObject final : public CFObject {
 public:
  CFURLObject(std::string posixPath, bool directory) : path_(std::move(posixPath)), directory_(directory) {}
  const std::string& Path() const { return path_; }  // no trailing '/' except for "/"
  [[nodiscard]] bool IsDirectory() const { return directory_; }
  [[nodiscard]] bool IsAbsolute() const { return !path_.empty() && path_[0] == '/'; }

 private:
  std::string path_;
  bool directory_;
};

}  // namespace plat

typedef const plat::CFURLObject* CFURLRef;

typedef CFIndex CFURLPathStyle;
enum : CFURLPathStyle {
  kCFURLPOSIXPathStyle = 0,
  kCFURLHFSPathStyle = 1,
  kCFURLWindowsPathStyle = 2,
};

// Null for an empty path, a path that cannot be read in the style, or an
// HFS path of an unknown volume.
[[nodiscard]] CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef allocator, CFStringRef path, CFURLPathStyle style,
                                       Boolean isDirectory);
[[nodiscard]] CFStringRef CFURLCopyFileSystemPath(CFURLRef url, CFURLPathStyle style);
[[nodiscard]] Boolean CFURLHasDirectoryPath(CFURLRef url);
// The last component ("/" for the root).
[[nodiscard]] CFStringRef CFURLCopyLastPathComponent(CFURLRef url);
// The folder holding the item ("/" stays "/"; a relative single name gives ".").
[[nodiscard]] CFURLRef CFURLCreateCopyDeletingLastPathComponent(CFAllocatorRef allocator, CFURLRef url);
// The URL without the extension (the text from the last '.' of the last component).
[[nodiscard]] CFURLRef CFURLCreateCopyDeletingPathExtension(CFAllocatorRef allocator, CFURLRef url);

// The reference of the existing item the URL names.
[[nodiscard]] Boolean CFURLGetFSRef(CFURLRef url, FSRef* ref);
[[nodiscard]] CFURLRef CFURLCreateFromFSRef(CFAllocatorRef allocator, const FSRef* ref);
// The host (UTF-8) path, zero-terminated; false when it does not fit.
[[nodiscard]] Boolean CFURLGetFileSystemRepresentation(CFURLRef url, Boolean resolveAgainstBase, UInt8* buffer,
                                         CFIndex maxBufferLength);

namespace plat {

// A URL of a host (UTF-8) POSIX path; null for an empty path.
[[nodiscard]] CFURLRef CreateUrlFromHostPath(const std::string& hostPath, bool isDirectory);

}  // namespace plat
