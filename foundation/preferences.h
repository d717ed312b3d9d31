// The preferences store.
//
// `CPreferences` keeps typed values under string keys for one application
// domain. Each domain is one property-list file in the preferences folder
// (plat::PreferencesRoot()): "<domain>.plist" for the current user, and
// "ByHost/<domain>.<host name>.plist" for the values of this host. Opening
// reads the file; changes are kept in memory until `Close` synchronises:
// it reads the file again, merges the pending changes into what it holds
// and writes the whole file atomically (a temporary file, then a rename), so
// a crash never leaves a half-written store and values that another process
// stored meanwhile under other keys are kept. A file that does not parse is
// kept beside the new one as "<file>.damaged" rather than overwritten.
//
// Keys and string values are Mac Roman texts; the file holds them as UTF-8.
// Every failure is remembered as an error number (602 to 611).
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_refs.h"
#include "platform/mac_types.h"
#include "platform/property_list.h"

class CPreferences {
 public:
  enum : SInt32 {
    kErrorRemoveKey = 602,
    kErrorSynchronize = 603,
    kErrorStringKey = 604,
    kErrorStringValue = 605,
    kErrorFloatKey = 606,
    kErrorFloatValue = 607,
    kErrorIntKey = 608,
    kErrorIntValue = 609,
    kErrorBoolKey = 610,
    kErrorDataKey = 611,
  };
  enum : int {
    kScopeAnyUserCurrentHost = 0,
    kScopeCurrentUserAnyHost = 1,
  };

  CPreferences();
  ~CPreferences();

  CPreferences(const CPreferences&) = delete;
  CPreferences& operator=(const CPreferences&) = delete;

  // Opens the domain (null: the application's own) in a scope and reads
  // what is stored. False for an unknown scope, a domain name that cannot be
  // a file name, or a store file that cannot be read.
  [[nodiscard]] bool Open(const char* applicationId, int scope);
  // Writes the pending changes and closes the store; only a store with
  // changes is closed (error 603 when the writing fails, and the store is
  // closed all the same). False in every other case.
  [[nodiscard]] bool Close();
  [[nodiscard]] bool IsOpen() const { return open_; }

  SInt32 GetLastError() const { return lastError_; }

  [[nodiscard]] bool HasKey(const char* key) const;
  [[nodiscard]] bool RemoveKey(const char* key);

  bool GetBool(const char* key, bool& value) const;
  [[nodiscard]] bool SetBool(const char* key, bool value);
  // SetInt and SetLong store the same 32-bit integer; GetInt and GetLong
  // read it (false when the stored value is not such an integer).
  bool GetInt(const char* key, SInt32& value) const;
  bool GetLong(const char* key, SInt32& value) const;
  [[nodiscard]] bool SetInt(const char* key, SInt32 value);
  [[nodiscard]] bool SetLong(const char* key, SInt32 value);
  [[nodiscard]] bool GetFloat(const char* key, float& value) const;
  [[nodiscard]] bool SetFloat(const char* key, float value);
  [[nodiscard]] bool GetDouble(const char* key, double& value) const;
  [[nodiscard]] bool SetDouble(const char* key, double value);
  // Copies at most size - 1 bytes and a terminating 0; true once the value
  // exists, also when it had to be cut.
  bool GetString(const char* key, char* buffer, size_t size) const;
  // The whole value, whatever its length (up to its first 0 byte).
  bool GetString(const char* key, std::string& value) const;
  [[nodiscard]] bool SetString(const char* key, const char* value);
  // The stored bytes when they fit in `maxSize`: their count; else 0.
  size_t GetData(const char* key, void* buffer, size_t maxSize) const;
  [[nodiscard]] bool SetData(const char* key, const void* bytes, size_t n);
  // All stored bytes into `bytes`; returns their count.
  size_t GetDataUnbounded(const char* key, std::vector<UInt8>& bytes) const;
  // A file reference is stored as its path text; reading it back succeeds
  // when the item still exists.
  [[nodiscard]] bool GetFsRef(const char* key, FSRef& ref) const;
  [[nodiscard]] bool SetFsRef(const char* key, const FSRef& ref);

  // The host path of the file that holds the domain (empty while closed).
  const std::string& GetStorePath() const { return storePath_; }

 private:
  [[nodiscard]] const plat::PlistValue* Find(const char* key) const;
  [[nodiscard]] bool Store(const char* key, SInt32 keyError, const plat::PlistValue& value);
  [[nodiscard]] bool Synchronize();

  SInt32 lastError_ = 0;
  bool open_ = false;
  bool dirty_ = false;
  std::string storePath_;
  plat::PlistValue values_;  // as read at the last synchronisation
  std::map<std::string, std::optional<plat::PlistValue>> pending_;  // null: removed
};
