#include "platform/bundle.h"

#include <sys/stat.h>

#include "platform/file_ops.h"
#include "platform/host_paths.h"
#include "platform/roots.h"

namespace plat {
namespace {

struct StringTables {
  std::string folder;  // the bundle folder the tables were read from
  std::map<std::u16string, StringTable> tables;
};

StringTables& Tables() {
  static StringTables tables;
  return tables;
}

// A string table larger than this is taken for damage and not read.
constexpr size_t kMaxStringsFileBytes = size_t(16) << 20;

// The file's bytes; none when it is missing, cannot be read or is too large.
std::vector<u8> ReadStringsFile(const std::string& path) {
  std::vector<u8> bytes;
  if (!ReadRegularFile(path, kMaxStringsFileBytes, &bytes, nullptr)) bytes.clear();
  return bytes;
}

[[nodiscard]] bool IsSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f' || c == u'\v'; }

[[nodiscard]] bool IsBareCharacter(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_' ||
         c == u'$' || c == u'+' || c == u'/' || c == u':' || c == u'.' || c == u'-';
}

int HexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// A recursive-descent reader of the units of a ".strings" file.
class StringsParser {
 public:
  explicit StringsParser(const std::u16string& text) : text_(text) {}

  [[nodiscard]] bool Parse(StringTable& table) {
    while (true) {
      if (!SkipSpace()) return false;
      if (AtEnd()) return true;
      std::u16string key, value;
      if (!ReadToken(key) || !SkipSpace() || AtEnd()) return false;
      if (text_[at_] == u';') {
        value = key;  // "key"; stands for "key" = "key";
      } else {
        if (text_[at_] != u'=') return false;
        ++at_;
        if (!SkipSpace() || !ReadToken(value) || !SkipSpace() || AtEnd() || text_[at_] != u';') return false;
      }
      ++at_;
      table[key] = value;
    }
  }

 private:
  [[nodiscard]] bool AtEnd() const { return at_ >= text_.size(); }

  // Skips white space and comments; false for a comment left open.
  [[nodiscard]] bool SkipSpace() {
    while (!AtEnd()) {
      char16_t c = text_[at_];
      if (IsSpace(c)) {
        ++at_;
      } else if (c == u'/' && at_ + 1 < text_.size() && text_[at_ + 1] == u'/') {
        while (!AtEnd() && text_[at_] != u'\n') ++at_;
      } else if (c == u'/' && at_ + 1 < text_.size() && text_[at_ + 1] == u'*') {
        size_t close = text_.find(u"*/", at_ + 2);
        if (close == std::u16string::npos) return false;
        at_ = close + 2;
      } else {
        break;
      }
    }
    return true;
  }

  [[nodiscard]] bool ReadToken(std::u16string& out) {
    if (AtEnd()) return false;
    if (text_[at_] == u'"') return ReadQuoted(out);
    size_t start = at_;
    while (!AtEnd() && IsBareCharacter(text_[at_])) ++at_;
    out = text_.substr(start, at_ - start);
    return at_ > start;
  }

  [[nodiscard]] bool ReadQuoted(std::u16string& out) {
    ++at_;  // the opening quote
    while (!AtEnd()) {
      char16_t c = text_[at_++];
      if (c == u'"') return true;
      if (c != u'\\') {
        out += c;
        continue;
      }
      if (AtEnd()) return false;
      char16_t escaped = text_[at_++];
      switch (escaped) {
        case u'n': out += u'\n'; break;
        case u't': out += u'\t'; break;
        case u'r': out += u'\r'; break;
        case u'U':
        case u'u': {
          if (text_.size() - at_ < 4) return false;
          unsigned value = 0;
          for (int i = 0; i < 4; ++i) {
            int digit = HexValue(text_[at_++]);
            if (digit < 0) return false;
            value = value * 16 + unsigned(digit);
          }
          out += char16_t(value);
          break;
        }
        default: out += escaped; break;  // \" \\ \' and any other character stand for themselves
      }
    }
    return false;  // the closing quote is missing
  }

  const std::u16string& text_;
  size_t at_ = 0;
};

// The units of a strings file: UTF-16 with a byte-order mark, else UTF-8.
[[nodiscard]] bool DecodeStringsFile(const std::vector<u8>& bytes, std::u16string& units) {
  const u8* data = bytes.data();
  size_t size = bytes.size();
  if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE) return DecodeUtf16(data + 2, size - 2, false, units);
  if (size >= 2 && data[0] == 0xFE && data[1] == 0xFF) return DecodeUtf16(data + 2, size - 2, true, units);
  if (size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) data += 3, size -= 3;
  return DecodeText(data, size, kCFStringEncodingUTF8, units);
}

const StringTable& TableNamed(const std::u16string& name) {
  StringTables& cache = Tables();
  const std::string& folder = ApplicationBundle();
  if (cache.folder != folder) {
    cache.tables.clear();
    cache.folder = folder;
  }
  auto found = cache.tables.find(name);
  if (found != cache.tables.end()) return found->second;
  StringTable& table = cache.tables[name];
  std::string fileName;
  if (EncodeText(name, kCFStringEncodingUTF8, fileName) && IsSingleName(fileName)) {
    std::string path = folder + "Contents/Resources/English.lproj/" + fileName + ".strings";
    // A table that cannot be read or parsed stays empty: lookups then fall
    // back to their keys.
    if (!ParseStringsFile(ReadStringsFile(path), table)) table.clear();
  }
  return table;
}

}  // namespace

const std::string& CFBundleObject::Folder() const { return ApplicationBundle(); }

bool ParseStringsFile(const std::vector<u8>& bytes, StringTable& table) {
  table.clear();
  std::u16string units;
  if (!DecodeStringsFile(bytes, units)) return false;
  StringTable parsed;
  if (!StringsParser(units).Parse(parsed)) return false;
  table = std::move(parsed);
  return true;
}

void ReloadBundleStrings() {
  Tables().tables.clear();
  Tables().folder.clear();
}

}  // namespace plat

CFBundleRef CFBundleGetMainBundle() {
  static const plat::CFBundleObject* mainBundle = new plat::CFBundleObject();
  return mainBundle;
}

CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle) {
  if (!bundle || bundle->Folder().empty()) return nullptr;
  return plat::CreateUrlFromHostPath(bundle->Folder(), true);
}

CFURLRef CFBundleCopyResourceURL(CFBundleRef bundle, CFStringRef name, CFStringRef type, CFStringRef subfolder) {
  std::string fileName, extension, folder;
  if (!bundle || !name || !plat::StringToUtf8(name, fileName) || !plat::StringToUtf8(type, extension) ||
      !plat::StringToUtf8(subfolder, folder))
    return nullptr;
  if (!extension.empty()) fileName += extension[0] == '.' ? extension : "." + extension;
  if (!plat::IsSingleName(fileName)) return nullptr;
  if (!folder.empty() && !plat::IsContainedName(folder)) return nullptr;
  if (!folder.empty() && folder.back() != '/') folder += '/';
  const std::string resources = bundle->Folder() + "Contents/Resources/";
  for (const std::string& place : {resources, resources + "English.lproj/"}) {
    std::string path = place;
    path += folder;
    path += fileName;
    struct stat info;
    if (stat(path.c_str(), &info) == 0) return plat::CreateUrlFromHostPath(path, S_ISDIR(info.st_mode));
  }
  return nullptr;
}

CFStringRef CFBundleCopyLocalizedString(CFBundleRef bundle, CFStringRef key, CFStringRef value,
                                        CFStringRef table) {
  if (bundle && key) {
    const plat::StringTable& strings = plat::TableNamed(table ? plat::StringUnits(table) : u"Localizable");
    auto found = strings.find(plat::StringUnits(key));
    if (found != strings.end()) return plat::CreateString(found->second);
  }
  CFStringRef fallback = value && CFStringGetLength(value) > 0 ? value : key;
  CFRetain(fallback);
  return fallback;
}
