#include "foundation/preferences.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/roots.h"
#include "platform/property_list.h"
#include "platform/text_encoding.h"

namespace {

using plat::PlistValue;

// Creates the folder and the folders above it (mode 0700 for new ones).
[[nodiscard]] bool MakeFolders(const std::string& folder) {
  std::string partial;
  for (size_t i = 0; i < folder.size(); ++i) {
    partial += folder[i];
    if ((folder[i] == '/' && i > 0) || i + 1 == folder.size()) {
      if (mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
  }
  struct stat info;
  return stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The domain of the running application: the bundle identifier, else the
// executable's name.
std::string CurrentApplicationDomain() {
  std::string identifier = plat::BundleInfoString("CFBundleIdentifier");
  if (!identifier.empty()) return identifier;
  char buffer[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (length <= 0) return "glimmerbox";
  std::string path(buffer, size_t(length));
  return path.substr(path.rfind('/') + 1);
}

// A domain must be a plain file name: no folders, nothing hidden.
[[nodiscard]] bool IsUsableDomain(const std::string& domain) {
  return !domain.empty() && domain.size() < 200 && domain.find('/') == std::string::npos &&
         domain[0] != '.';
}

std::string HostName() {
  char name[256] = "";
  if (gethostname(name, sizeof name - 1) != 0 || !name[0]) return "localhost";
  std::string host = name;
  for (char& c : host)
    if (c == '/') c = '_';
  return host;
}

[[nodiscard]] bool ReadsAsInt32(const PlistValue& value, SInt32* out) {
  if (value.type() == PlistValue::Type::kInteger) {
    if (value.integer() < INT32_MIN || value.integer() > INT32_MAX) return false;
    *out = SInt32(value.integer());
    return true;
  }
  if (value.type() == PlistValue::Type::kReal) {
    double real = value.real();
    if (!(real >= INT32_MIN && real <= INT32_MAX) || std::floor(real) != real) return false;
    *out = SInt32(real);
    return true;
  }
  return false;
}

[[nodiscard]] bool ReadsAsDouble(const PlistValue& value, double* out) {
  if (value.type() == PlistValue::Type::kReal) {
    *out = value.real();
    return true;
  }
  if (value.type() == PlistValue::Type::kInteger) {
    *out = double(value.integer());
    return true;
  }
  return false;
}

}  // namespace

CPreferences::CPreferences() = default;

CPreferences::~CPreferences() {
  // Pending changes are written; a failure stays as the last error, which
  // nobody reads any more once the store is gone.
  static_cast<void>(Close());
}

bool CPreferences::Open(const char* applicationId, int scope) {
  if (scope != kScopeAnyUserCurrentHost && scope != kScopeCurrentUserAnyHost) return false;
  if (open_) {
    // Writes what is pending (a failure is kept as the last error); a clean
    // store simply lets go.
    static_cast<void>(Close());
    open_ = false;
  }
  std::string domain = applicationId ? plat::MacRomanToUtf8(applicationId) : CurrentApplicationDomain();
  if (!IsUsableDomain(domain)) return false;
  const std::string& root = plat::PreferencesRoot();
  storePath_ = scope == kScopeCurrentUserAnyHost
                   ? root + domain + ".plist"
                   : root + "ByHost/" + domain + "." + HostName() + ".plist";
  values_ = PlistValue::Dictionary();
  pending_.clear();
  dirty_ = false;
  if (!Synchronize()) {
    storePath_.clear();
    return false;
  }
  open_ = true;
  return true;
}

bool CPreferences::Close() {
  if (!open_ || !dirty_) return false;
  bool synchronized = Synchronize();
  if (!synchronized) lastError_ = kErrorSynchronize;
  open_ = false;
  dirty_ = false;
  pending_.clear();
  values_ = PlistValue::Dictionary();
  storePath_.clear();
  return synchronized;
}

bool CPreferences::Synchronize() {
  PlistValue stored;
  int fileError = 0;
  bool damaged = false;
  if (!plat::ReadPropertyListFile(storePath_, &stored, &fileError)) {
    if (fileError == 0) {
      damaged = true;
    } else if (fileError != ENOENT && fileError != ENOTDIR) {
      return false;
    }
    stored = PlistValue::Dictionary();
  } else if (stored.type() != PlistValue::Type::kDictionary) {
    damaged = true;
    stored = PlistValue::Dictionary();
  }
  for (const auto& [key, value] : pending_) {
    if (value)
      stored.Set(key, *value);
    else
      stored.Remove(key);
  }
  if (!pending_.empty()) {
    std::string folder = storePath_.substr(0, storePath_.rfind('/') + 1);
    if (!MakeFolders(folder)) return false;
    if (damaged && std::rename(storePath_.c_str(), (storePath_ + ".damaged").c_str()) != 0)
      return false;
    int writeError = 0;
    if (!plat::WritePropertyListFile(storePath_, stored, &writeError)) return false;
  }
  values_ = std::move(stored);
  pending_.clear();
  return true;
}

const PlistValue* CPreferences::Find(const char* key) const {
  if (!open_ || !key) return nullptr;
  std::string name = plat::MacRomanToUtf8(key);
  auto change = pending_.find(name);
  if (change != pending_.end()) return change->second ? &*change->second : nullptr;
  return values_.Find(name);
}

bool CPreferences::Store(const char* key, SInt32 keyError, const PlistValue& value) {
  if (!key) {
    lastError_ = keyError;
    return false;
  }
  if (!open_) return false;
  pending_[plat::MacRomanToUtf8(key)] = value;
  dirty_ = true;
  return true;
}

bool CPreferences::HasKey(const char* key) const { return Find(key) != nullptr; }

bool CPreferences::RemoveKey(const char* key) {
  if (!key) {
    lastError_ = kErrorRemoveKey;
    return false;
  }
  if (!open_) return false;
  pending_[plat::MacRomanToUtf8(key)] = std::nullopt;
  dirty_ = true;
  return true;
}

bool CPreferences::GetBool(const char* key, bool& value) const {
  const PlistValue* stored = Find(key);
  if (!stored || stored->type() != PlistValue::Type::kBoolean) return false;
  value = stored->boolean();
  return true;
}

bool CPreferences::SetBool(const char* key, bool value) {
  return Store(key, kErrorBoolKey, PlistValue::Boolean(value));
}

bool CPreferences::GetInt(const char* key, SInt32& value) const {
  const PlistValue* stored = Find(key);
  return stored && ReadsAsInt32(*stored, &value);
}

bool CPreferences::GetLong(const char* key, SInt32& value) const { return GetInt(key, value); }

bool CPreferences::SetInt(const char* key, SInt32 value) {
  return Store(key, kErrorIntKey, PlistValue::Integer(value));
}

bool CPreferences::SetLong(const char* key, SInt32 value) { return SetInt(key, value); }

bool CPreferences::GetFloat(const char* key, float& value) const {
  double real = 0;
  if (!GetDouble(key, real)) return false;
  value = float(real);
  return true;
}

bool CPreferences::SetFloat(const char* key, float value) {
  return Store(key, kErrorFloatKey, PlistValue::Real(double(value)));
}

bool CPreferences::GetDouble(const char* key, double& value) const {
  const PlistValue* stored = Find(key);
  return stored && ReadsAsDouble(*stored, &value);
}

bool CPreferences::SetDouble(const char* key, double value) {
  return Store(key, kErrorFloatKey, PlistValue::Real(value));
}

bool CPreferences::GetString(const char* key, char* buffer, size_t size) const {
  if (!buffer || size == 0) return false;
  const PlistValue* stored = Find(key);
  if (!stored || stored->type() != PlistValue::Type::kString) return false;
  std::string text = plat::Utf8ToMacRomanLossy(stored->text());
  size_t n = std::min(text.size(), size - 1);
  std::memcpy(buffer, text.data(), n);
  buffer[n] = 0;
  return true;
}

bool CPreferences::GetString(const char* key, std::string& value) const {
  const PlistValue* stored = Find(key);
  if (!stored || stored->type() != PlistValue::Type::kString) return false;
  value = plat::Utf8ToMacRomanLossy(stored->text()).c_str();
  return true;
}

bool CPreferences::SetString(const char* key, const char* value) {
  if (key && !value) {
    lastError_ = kErrorStringValue;
    return false;
  }
  return Store(key, kErrorStringKey, PlistValue::String(value ? plat::MacRomanToUtf8(value) : ""));
}

size_t CPreferences::GetData(const char* key, void* buffer, size_t maxSize) const {
  const PlistValue* stored = Find(key);
  if (!buffer || !stored || stored->type() != PlistValue::Type::kData) return 0;
  const std::vector<uint8_t>& bytes = stored->data();
  if (bytes.size() > maxSize) return 0;
  if (!bytes.empty()) std::memcpy(buffer, bytes.data(), bytes.size());
  return bytes.size();
}

bool CPreferences::SetData(const char* key, const void* bytes, size_t n) {
  if (!bytes && n) return false;
  const UInt8* begin = static_cast<const UInt8*>(bytes);
  return Store(key, kErrorDataKey, PlistValue::Data(std::vector<uint8_t>(begin, begin + n)));
}

size_t CPreferences::GetDataUnbounded(const char* key, std::vector<UInt8>& bytes) const {
  const PlistValue* stored = Find(key);
  if (!stored || stored->type() != PlistValue::Type::kData) return 0;
  bytes = stored->data();
  return bytes.size();
}

bool CPreferences::GetFsRef(const char* key, FSRef& ref) const {
  const PlistValue* stored = Find(key);
  if (!stored || stored->type() != PlistValue::Type::kString || stored->text().empty()) return false;
  return plat::MakeFsRef(stored->text(), &ref) == noErr;
}

bool CPreferences::SetFsRef(const char* key, const FSRef& ref) {
  if (key && !plat::IsValidFsRef(ref)) return false;
  return Store(key, kErrorDataKey, PlistValue::String(ref.path));
}
