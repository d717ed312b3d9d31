#include "foundation/path_name.h"

#include <strings.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>

#include "foundation/cf_string_holder.h"
#include "platform/roots.h"
#include "platform/text_encoding.h"

namespace {

struct PathState {
  s32 lastError = noErr;
  std::string currentFolder;
  int outputStyle = kCFURLPOSIXPathStyle;
};

PathState& State() {
  static PathState state;
  return state;
}

[[nodiscard]] bool IsHfsText(const std::string& text) {
  return !text.empty() && text.find("://") == std::string::npos && text.find(':') != std::string::npos &&
         text.find('/') == std::string::npos;
}

char SeparatorOf(const std::string& text) { return IsHfsText(text) ? ':' : '/'; }

[[nodiscard]] bool EndsWith(const std::string& text, char c) { return !text.empty() && text.back() == c; }

// The text without its trailing separators.
std::string StripTrailing(const std::string& text, char separator) {
  size_t end = text.size();
  while (end > 0 && text[end - 1] == separator) --end;
  return text.substr(0, end);
}

// A URL of a Mac Roman path text in a style; null when it cannot be made.
CFURLRef UrlOfText(const std::string& text, CFURLPathStyle style, bool directory) {
  CCFString string(text.c_str());
  if (!string.GetRef()) return nullptr;
  return CFURLCreateWithFileSystemPath(kCFAllocatorDefault, string.GetRef(), style, directory);
}

// The URL's path in a style as Mac Roman text; false when it has no such form.
[[nodiscard]] bool TextOfUrl(CFURLRef url, CFURLPathStyle style, std::string& text) {
  CCFString string(CFURLCopyFileSystemPath(url, style));
  if (!string.GetRef()) return false;
  std::string converted = string.ToStdString();
  if (converted.empty() && !string.IsEmpty()) return false;
  text = std::move(converted);
  return true;
}

[[nodiscard]] bool IsHostFolder(const std::string& hostPath) {
  struct stat info;
  return stat(hostPath.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string ReplaceCharacters(const char* text, const char* from, char to) {
  std::string out = text ? text : "";
  for (char& c : out)
    if (std::strchr(from, c)) c = to;
  return out;
}

}  // namespace

// ---------------------------------------------------------------------------
// Module state

s32 GetLastPathError() { return State().lastError; }

void SetLastPathError(OSErr error) { State().lastError = error; }

void SetCurrentFolder(const CPathName& folder) {
  CPathName absolute(folder.GetAbsolutePath(0));
  if (!absolute.IsEmpty()) absolute.AddTrailingSlash();
  State().currentFolder = absolute.GetString();
}

int GetOutputPathStyle() { return State().outputStyle; }

void SetOutputPathStyle(int style) { State().outputStyle = style; }

// ---------------------------------------------------------------------------
// Construction

CPathName::CPathName() : path(State().currentFolder) {}

CPathName::CPathName(const char* text) : path(text ? text : "") {}

CPathName::CPathName(const std::string& text) : path(text) {}

// Each of these is an empty path when its source cannot be held.
CPathName::CPathName(CFStringRef string) {
  if (!SetFromCFString(string)) path.clear();
}

CPathName::CPathName(CFURLRef url) {
  if (!SetFromUrl(url)) path.clear();
}

CPathName::CPathName(const FSRef* ref) {
  if (!SetFromFsRef(ref)) path.clear();
}

CPathName::CPathName(const FSSpec* spec) {
  if (!SetFromFsSpec(spec)) path.clear();
}

bool CPathName::SetFromCFString(CFStringRef string) {
  if (!string) return false;
  CFRetain(string);
  CCFString holder(string);
  std::string text = holder.ToStdString();
  if (text.empty() && !holder.IsEmpty()) return false;
  path = std::move(text);
  return true;
}

bool CPathName::SetFromUrl(CFURLRef url) {
  std::string text;
  if (!url || !TextOfUrl(url, kCFURLPOSIXPathStyle, text)) return false;
  if (CFURLHasDirectoryPath(url) && !EndsWith(text, '/')) text += '/';
  path = std::move(text);
  return true;
}

bool CPathName::SetFromFsRef(const FSRef* ref) {
  struct stat info;
  if (!ref || !plat::IsValidFsRef(*ref) || lstat(ref->path.c_str(), &info) != 0) {
    SetLastPathError(fnfErr);
    return false;
  }
  CFURLRef url = CFURLCreateFromFSRef(kCFAllocatorDefault, ref);
  bool ok = SetFromUrl(url);
  CFRelease(url);
  // A host name without a form in the application-wide encoding cannot be held.
  SetLastPathError(ok ? noErr : bdNamErr);
  return ok;
}

bool CPathName::SetFromFsSpec(const FSSpec* spec) {
  path.clear();
  if (!spec || spec->parent.empty() || spec->name.empty()) return false;
  std::string host = spec->parent == "/" ? "/" + spec->name : spec->parent + "/" + spec->name;
  CFURLRef url = plat::CreateUrlFromHostPath(host, IsHostFolder(host));
  bool ok = SetFromUrl(url);
  CFRelease(url);
  return ok;
}

void CPathName::SetPath(const char* text) { path = text ? text : ""; }

CPathName& CPathName::Assign(const CPathName& other) {
  path = other.path;
  written_ = other.written_;
  return *this;
}

// ---------------------------------------------------------------------------
// Text queries and edits

int CPathName::GetPathStyle() const { return IsHfsText(path) ? kCFURLHFSPathStyle : kCFURLPOSIXPathStyle; }

bool CPathName::IsRelative() const {
  return !path.empty() && !IsHfsText(path) && path[0] != '/' && path[0] != '\\';
}

bool CPathName::IsFolderPath() const { return EndsWith(path, SeparatorOf(path)); }

std::string CPathName::GetLastComponent() const {
  if (path.empty()) return std::string();
  char separator = SeparatorOf(path);
  std::string text = StripTrailing(path, separator);
  if (text.empty()) return std::string(1, separator);  // the root
  size_t at = text.rfind(separator);
  return at == std::string::npos ? text : text.substr(at + 1);
}

std::string CPathName::GetExtension(bool withDot) const {
  std::string component = GetLastComponent();
  size_t dot = component.rfind('.');
  if (dot == std::string::npos) return std::string();
  return component.substr(withDot ? dot : dot + 1);
}

std::string CPathName::GetParentFolder(bool addSeparator) const {
  std::string out;
  GetParentFolder(out, addSeparator);
  return out;
}

void CPathName::GetParentFolder(std::string& out, bool addSeparator) const {
  out.clear();
  if (path.empty()) return;
  bool hfs = IsHfsText(path);
  char separator = hfs ? ':' : '/';
  std::string text = StripTrailing(path, separator);
  size_t at = text.rfind(separator);
  if (hfs) {
    // "Disk:a:b" -> "Disk:a"; the volume root "Disk:" is its own parent.
    out = at == std::string::npos ? text + ":" : text.substr(0, at);
    if (out.find(':') == std::string::npos) out += ':';
    if (addSeparator && !EndsWith(out, ':')) out += ':';
    return;
  }
  if (text.empty()) {
    out = "/";
  } else if (at == std::string::npos) {
    out = addSeparator ? "./" : ".";  // a relative name lies in "."
    return;
  } else {
    out = at == 0 ? "/" : text.substr(0, at);
  }
  if (addSeparator) {
    CPathName folder(out);
    folder.AddTrailingSlash();
    out = folder.path;
  }
}

std::string CPathName::GetName(bool stripExtension) const {
  std::string name;
  FSRef ref;
  if (GetFsRef(&ref)) {
    std::string host = ref.path == "/" ? plat::RootVolumeName() : ref.path.substr(ref.path.rfind('/') + 1);
    if (!plat::FromHostPath(host, name)) name.clear();
  }
  if (name.empty()) name = GetLastComponent();
  if (stripExtension) {
    size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
  }
  return name;
}

std::string CPathName::GetNameExtension(bool withDot) const {
  std::string name = GetName(false);
  size_t dot = name.rfind('.');
  if (dot == std::string::npos) return std::string();
  return name.substr(withDot ? dot : dot + 1);
}

void CPathName::ReplaceExtension(const char* extension) {
  if (path.empty()) return;
  char separator = SeparatorOf(path);
  std::string text = StripTrailing(path, separator);
  std::string trailing = path.substr(text.size());
  size_t start = text.rfind(separator);
  start = start == std::string::npos ? 0 : start + 1;
  size_t dot = text.rfind('.');
  // A leading dot names a hidden item, it does not start an extension.
  if (dot != std::string::npos && dot > start) text.erase(dot);
  path = text + (extension ? extension : "") + trailing;
}

void CPathName::SetFileName(const char* name) {
  std::string file = name ? name : "";
  if (path.empty()) {
    path = file;
    return;
  }
  char separator = SeparatorOf(path);
  if (!IsFolderPath()) {
    size_t at = path.rfind(separator);
    if (at == std::string::npos) {
      path = file;  // a bare name is replaced, it does not become a root path
      return;
    }
    path.erase(at + 1);
  }
  path += file;
}

bool CPathName::CombineFolderAndName(const char* name, const CPathName& folder) {
  path = folder.path;
  if (!path.empty()) {
    char separator = SeparatorOf(path);
    if (!EndsWith(path, separator)) path += separator;
  }
  path += name ? name : "";
  return true;
}

// Only the separator of the path's own form counts: a POSIX name may end in
// ':' or '\\', and those characters belong to it.
void CPathName::AddTrailingSlash() {
  const char separator = SeparatorOf(path);
  path = StripTrailing(path, separator) + separator;
}

void CPathName::RemoveTrailingSeparator() {
  if (EndsWith(path, SeparatorOf(path))) path.pop_back();
}

CFURLRef CPathName::CopyUrl() const {
  std::string absolute = GetAbsolutePath(0);
  if (absolute.empty()) return nullptr;
  return UrlOfText(absolute, kCFURLPOSIXPathStyle, false);
}

std::string CPathName::GetAbsolutePath(int style) const {
  if (path.empty()) return std::string();
  std::string posix;
  if (IsHfsText(path)) {
    CFURLRef url = UrlOfText(path, kCFURLHFSPathStyle, false);
    bool ok = url && url->IsAbsolute() && TextOfUrl(url, kCFURLPOSIXPathStyle, posix);
    if (ok && CFURLHasDirectoryPath(url) && !EndsWith(posix, '/')) posix += '/';
    CFRelease(url);
    if (!ok) return std::string();
  } else if (IsRelative()) {
    posix = GetApplicationBundle().path;
    if (posix.empty()) return std::string();
    if (!EndsWith(posix, '/')) posix += '/';
    posix += path;
  } else {
    posix = path;
  }
  if (style == kCFURLPOSIXPathStyle) return posix;

  CFURLRef url = UrlOfText(posix, kCFURLPOSIXPathStyle, EndsWith(posix, '/'));
  std::string converted;
  bool ok = url && TextOfUrl(url, style, converted);
  CFRelease(url);
  return ok ? converted : std::string();
}

void CPathName::SetFullPath(const CPathName& other) {
  const CWrittenForm* form = other.GetWrittenForm();
  const std::shared_ptr<const Written> kept = form ? other.written_ : nullptr;
  // A path without an absolute form (a colon path of a volume that is not
  // there) keeps its text: made empty, it would name nothing at all and be
  // lost from whatever holds it.
  std::string absolute = other.GetAbsolutePath(0);
  if (absolute.empty())
    path = other.path;
  else
    path = std::move(absolute);
  if (kept)
    SetWrittenForm(kept->form);
  else
    written_.reset();
}

const CWrittenForm* CPathName::GetWrittenForm() const {
  return written_ && written_->heldText == path ? &written_->form : nullptr;
}

void CPathName::SetWrittenForm(const CWrittenForm& form) {
  written_ = std::make_shared<const Written>(Written{form, path});
}

bool CPathName::LosesCharacters() const {
  const CWrittenForm* form = GetWrittenForm();
  return form && form->losesCharacters;
}

bool CPathName::HasSameWrittenForm(const CPathName& other) const {
  const CWrittenForm* mine = GetWrittenForm();
  const CWrittenForm* theirs = other.GetWrittenForm();
  if (!mine || !theirs) return !mine && !theirs;
  return *mine == *theirs;
}

bool CPathName::DiffersFrom(const CPathName& other) const { return !IsSameAs(other); }

bool CPathName::IsSameAs(const CPathName& other) const {
  return strcasecmp(GetAbsolutePath(0).c_str(), other.GetAbsolutePath(0).c_str()) == 0;
}

bool CPathName::IsSamePath(const CPathName& other) const {
  return GetAbsolutePath(0) == other.GetAbsolutePath(0);
}

FILE* CPathName::OpenStdioFile(const char* mode) const {
  std::string absolute = GetAbsolutePath(0);
  if (absolute.empty() || !mode) return nullptr;
  return std::fopen(plat::ToHostPath(absolute).c_str(), mode);
}

bool CPathName::OpenFileStream(std::fstream& stream, std::ios::openmode mode) const {
  std::string absolute = GetAbsolutePath(0);
  if (absolute.empty()) return false;
  stream.open(plat::ToHostPath(absolute), mode);
  return stream.is_open();
}

// ---------------------------------------------------------------------------
// Disk queries

bool CPathName::Exists() const {
  FSRef ref;
  return GetFsRef(&ref);
}

bool CPathName::IsFolder() const {
  FSRef ref;
  OSErr error = FindItem(&ref);
  SetLastPathError(error);
  return error == noErr && IsHostFolder(ref.path);
}

OSErr CPathName::FindItem(FSRef* out) const {
  if (!out) return paramErr;
  plat::ClearFsRef(out);
  if (path.empty()) return paramErr;
  std::string absolute = GetAbsolutePath(0);
  if (absolute.empty()) return IsHfsText(path) ? nsvErr : fnfErr;
  return plat::MakeFsRef(plat::ToHostPath(absolute), out);
}

OSErr CPathName::FindCreationFolder(FSRef* out, bool* exists) const {
  if (exists) *exists = false;
  OSErr error = FindItem(out);
  if (error == noErr) {
    if (exists) *exists = true;
    return noErr;
  }
  if (error != fnfErr) return error;
  error = FindParent(out);
  if (error == noErr && !IsHostFolder(out->path)) {
    plat::ClearFsRef(out);
    return dirNFErr;
  }
  return error == fnfErr ? OSErr(dirNFErr) : error;
}

OSErr CPathName::FindParent(FSRef* out) const {
  if (!out) return paramErr;
  plat::ClearFsRef(out);
  CPathName absolute(GetAbsolutePath(0));
  if (absolute.IsEmpty()) return path.empty() ? paramErr : IsHfsText(path) ? nsvErr : fnfErr;
  return CPathName(absolute.GetParentFolder(true)).FindItem(out);
}

OSErr CPathName::FindSpec(FSSpec* out) const {
  if (!out) return paramErr;
  *out = FSSpec();
  FSRef ref;
  bool exists = false;
  OSErr error = FindCreationFolder(&ref, &exists);
  if (error != noErr) return error;
  if (exists) {
    if (ref.path == "/") return paramErr;  // the root has no folder to be named in
    size_t at = ref.path.rfind('/');
    FSRef parent;
    error = plat::MakeFsRef(at == 0 ? "/" : ref.path.substr(0, at), &parent);
    return error == noErr ? plat::MakeFsSpec(parent, ref.path.substr(at + 1), out) : error;
  }
  return plat::MakeFsSpec(ref, plat::ToHostPath(CPathName(GetAbsolutePath(0)).GetLastComponent()), out);
}

// ---------------------------------------------------------------------------
// Free functions

std::string ToPosixSeparators(const char* text) { return ReplaceCharacters(text, ":\\", '/'); }

std::string ToHfsSeparators(const char* text) { return ReplaceCharacters(text, "/\\", ':'); }

std::string ToWindowsSeparators(const char* text) { return ReplaceCharacters(text, ":/", '\\'); }

void ReplaceExtensionOfAbsolute(CPathName& path, const char* extension) {
  CPathName copy(path);
  copy.ReplaceExtension(extension);
  path.SetPath(copy.GetAbsolutePath(0).c_str());
}

std::string RelativePathFolder(const CPathName& base) {
  CPathName absoluteBase(base.GetAbsolutePath(0));
  std::string folder = absoluteBase.IsFolderPath() || base.IsFolder() ? absoluteBase.GetString()
                                                                      : absoluteBase.GetParentFolder(false);
  while (!folder.empty() && folder.back() == '/') folder.pop_back();
  return folder + '/';
}

std::string ResolveRelativeText(const std::string& folderText, const std::string& text) {
  std::string folder = folderText;
  while (!folder.empty() && folder.back() == '/') folder.pop_back();
  // A relative path is a POSIX one: only '/' separates its names, and a
  // '\\' is part of the name it stands in.
  bool namesFolder = !text.empty() && text.back() == '/';
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('/', start);
    if (end == std::string::npos) end = text.size();
    std::string token = text.substr(start, end - start);
    start = end + 1;
    if (token.empty()) continue;
    // "." and ".." name folders; "." keeps the place, ".." steps up (not above the root).
    bool last = start >= text.size();
    if (token == ".") {
      namesFolder = namesFolder || last;
      continue;
    }
    if (token == "..") {
      size_t at = folder.rfind('/');
      folder.erase(at == std::string::npos ? 0 : at);
      namesFolder = namesFolder || last;
      continue;
    }
    folder += '/';
    folder += token;
  }
  if (folder.empty()) return "/";
  if (namesFolder) folder += '/';
  return folder;
}

std::string ResolveRelativePath(const CPathName& relative, const CPathName& base) {
  if (!relative.IsRelative()) return relative.GetAbsolutePath(0);
  std::string resolved = ResolveRelativeText(RelativePathFolder(base), relative.GetString());
  if (resolved.back() != '/' && CPathName(resolved).IsFolder()) resolved += '/';
  return resolved;
}

std::string WrittenAbsoluteText(const CPathName& path) {
  const CWrittenForm* form = path.GetWrittenForm();
  if (!form) return std::string();
  if (form->folder.empty()) return form->text;
  std::string resolved = ResolveRelativeText(plat::MacRomanToUtf8(form->folder), form->text);
  if (resolved.back() != '/' && path.IsFolderPath()) resolved += '/';
  return resolved;
}

std::string MakeRelativePath(const CPathName& base, const CPathName& target) {
  std::string to = target.GetAbsolutePath(0);
  if (to.empty()) return std::string();
  std::string from = base.GetAbsolutePath(0);
  size_t baseSlash = from.rfind('/');
  size_t targetSlash = to.rfind('/');
  if (baseSlash == std::string::npos || targetSlash == std::string::npos) return to;

  // The common part ends at the last '/' before the first difference of the
  // two folder parts, or at the end of the shorter one.
  std::string baseFolder = from.substr(0, baseSlash + 1);
  std::string targetFolder = to.substr(0, targetSlash + 1);
  size_t common = 0;  // length of the common part, ending in '/'
  size_t limit = std::min(baseFolder.size(), targetFolder.size());
  for (size_t i = 0; i < limit && baseFolder[i] == targetFolder[i]; ++i) {
    if (baseFolder[i] == '/') common = i + 1;
  }

  if (common == 0) return to;
  if (common >= baseFolder.size()) return "." + to.substr(common - 1);
  std::string relative;
  for (size_t i = common; i < baseFolder.size(); ++i) {
    if (baseFolder[i] == '/') relative += "../";
  }
  return relative + to.substr(common);
}

std::string GetItemName(const CPathName& path) {
  const std::string& text = path.GetString();
  if (text.size() <= 1 || text.back() != SeparatorOf(text)) return path.GetName(false);
  CPathName trimmed = path;
  trimmed.RemoveTrailingSeparator();
  return trimmed.GetName(false);
}
