#include "platform/cf_url.h"

#include <sys/stat.h>

#include <cstring>
#include <vector>

#include "platform/roots.h"

namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : text) {
    if (c == separator) {
      parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  parts.push_back(part);
  return parts;
}

std::string Replace(std::string text, char from, char to) {
  for (char& c : text)
    if (c == from) c = to;
  return text;
}

[[nodiscard]] bool EqualsIgnoringAsciiCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = char(x + 32);
    if (y >= 'A' && y <= 'Z') y = char(y + 32);
    if (x != y) return false;
  }
  return true;
}

// Collapses repeated '/' and moves a trailing '/' into the folder flag.
[[nodiscard]] CFURLRef MakeUrl(const std::string& path, bool directory) {
  std::string clean;
  for (char c : path) {
    if (c == '/' && !clean.empty() && clean.back() == '/') continue;
    clean += c;
  }
  if (clean.size() > 1 && clean.back() == '/') {
    clean.pop_back();
    directory = true;
  }
  if (clean.empty()) return nullptr;
  if (clean == "/") directory = true;
  return new plat::CFURLObject(clean, directory);
}

// HFS "Volume:a:b" (or relative ":a:b", or a bare name) as a POSIX path.
[[nodiscard]] bool HfsToPosix(const std::string& hfs, std::string& posix, bool& directory) {
  size_t colon = hfs.find(':');
  if (colon == std::string::npos) {
    posix = Replace(hfs, '/', ':');
    return !posix.empty();
  }
  bool relative = colon == 0;
  if (!relative && !EqualsIgnoringAsciiCase(hfs.substr(0, colon), plat::RootVolumeName())) return false;
  std::vector<std::string> parts = Split(hfs.substr(colon + 1), ':');
  if (parts.size() > 1 && parts.back().empty()) {
    directory = true;
    parts.pop_back();
  }
  if (parts.size() == 1 && parts[0].empty()) {
    if (relative) return false;
    posix = "/";
    directory = true;
    return true;
  }
  // An empty component between colons steps up one folder.
  std::vector<std::string> components;
  for (const std::string& part : parts) {
    if (part.empty()) {
      if (!components.empty() && components.back() != "..") {
        components.pop_back();
      } else if (relative) {
        components.push_back("..");
      }
    } else {
      components.push_back(Replace(part, '/', ':'));
    }
  }
  posix = relative ? "" : "/";
  for (size_t i = 0; i < components.size(); ++i) posix += (i ? "/" : "") + components[i];
  if (posix.empty()) posix = ".";
  return true;
}

std::string PosixToHfs(const plat::CFURLObject& url) {
  const std::string& path = url.Path();
  if (path == "/") return plat::RootVolumeName() + ":";
  std::vector<std::string> parts = Split(url.IsAbsolute() ? path.substr(1) : path, '/');
  std::string hfs;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i) hfs += ':';
    if (parts[i] != "..") hfs += Replace(parts[i], ':', '/');
  }
  if (url.IsAbsolute()) return plat::RootVolumeName() + ":" + hfs + (url.IsDirectory() ? ":" : "");
  if (parts.size() == 1 && !url.IsDirectory() && parts[0] != "..") return hfs;
  return ":" + hfs + (url.IsDirectory() ? ":" : "");
}

std::string PosixToWindows(const plat::CFURLObject& url) {
  if (url.Path() == "/") return "\\";
  return Replace(url.Path(), '/', '\\') + (url.IsDirectory() ? "\\" : "");
}

[[nodiscard]] bool IsFolder(const std::string& hostPath) {
  struct stat info;
  return stat(hostPath.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef, CFStringRef path, CFURLPathStyle style,
                                       Boolean isDirectory) {
  std::string text;
  if (!plat::StringToUtf8(path, text) || text.empty() || text.find('\0') != std::string::npos) return nullptr;
  bool directory = isDirectory;
  switch (style) {
    case kCFURLPOSIXPathStyle:
      return MakeUrl(text, directory);
    case kCFURLHFSPathStyle: {
      std::string posix;
      if (!HfsToPosix(text, posix, directory)) return nullptr;
      return MakeUrl(posix, directory);
    }
    case kCFURLWindowsPathStyle:
      if (text.size() >= 2 && text[1] == ':') return nullptr;  // a drive letter
      return MakeUrl(Replace(text, '\\', '/'), directory);
    default:
      return nullptr;
  }
}

CFStringRef CFURLCopyFileSystemPath(CFURLRef url, CFURLPathStyle style) {
  if (!url) return nullptr;
  switch (style) {
    case kCFURLPOSIXPathStyle: return plat::CreateStringFromUtf8(url->Path());
    case kCFURLHFSPathStyle: return plat::CreateStringFromUtf8(PosixToHfs(*url));
    case kCFURLWindowsPathStyle: return plat::CreateStringFromUtf8(PosixToWindows(*url));
    default: return nullptr;
  }
}

Boolean CFURLHasDirectoryPath(CFURLRef url) { return url && url->IsDirectory(); }

CFStringRef CFURLCopyLastPathComponent(CFURLRef url) {
  if (!url) return nullptr;
  const std::string& path = url->Path();
  if (path == "/") return plat::CreateStringFromUtf8(path);
  size_t slash = path.rfind('/');
  return plat::CreateStringFromUtf8(slash == std::string::npos ? path : path.substr(slash + 1));
}

CFURLRef CFURLCreateCopyDeletingLastPathComponent(CFAllocatorRef, CFURLRef url) {
  if (!url) return nullptr;
  const std::string& path = url->Path();
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return MakeUrl(".", true);
  return MakeUrl(slash == 0 ? "/" : path.substr(0, slash), true);
}

CFURLRef CFURLCreateCopyDeletingPathExtension(CFAllocatorRef, CFURLRef url) {
  if (!url) return nullptr;
  const std::string& path = url->Path();
  size_t slash = path.rfind('/');
  size_t dot = path.rfind('.');
  if (path == "/" || dot == std::string::npos || (slash != std::string::npos && dot < slash) ||
      dot == (slash == std::string::npos ? 0 : slash + 1)) {
    url->Retain();
    return url;
  }
  return MakeUrl(path.substr(0, dot), url->IsDirectory());
}

Boolean CFURLGetFSRef(CFURLRef url, FSRef* ref) {
  if (!url || !ref) return false;
  return plat::MakeFsRef(url->Path(), ref) == noErr;
}

CFURLRef CFURLCreateFromFSRef(CFAllocatorRef, const FSRef* ref) {
  if (!ref || !plat::IsValidFsRef(*ref)) return nullptr;
  return MakeUrl(ref->path, IsFolder(ref->path));
}

Boolean CFURLGetFileSystemRepresentation(CFURLRef url, Boolean, UInt8* buffer, CFIndex maxBufferLength) {
  if (!url || !buffer || maxBufferLength <= 0) return false;
  const std::string& path = url->Path();
  if (CFIndex(path.size()) >= maxBufferLength) return false;
  std::memcpy(buffer, path.c_str(), path.size() + 1);
  return true;
}

namespace plat {

CFURLRef CreateUrlFromHostPath(const std::string& hostPath, bool isDirectory) {
  if (hostPath.find('\0') != std::string::npos) return nullptr;
  return MakeUrl(hostPath, isDirectory);
}

}  // namespace plat
