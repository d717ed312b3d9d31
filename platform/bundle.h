// The application's main bundle: its folder (plat::ApplicationBundle()), its
// resources in Contents/Resources (and Contents/Resources/English.lproj) and
// its localized-string tables.
//
// A table "<name>.strings" lives in Contents/Resources/English.lproj and
// holds `"key" = "value";` entries with /* */ and // comments and the escapes
// \" \\ \n \t \r \' and \Uxxxx; it is UTF-8, or UTF-16 with a byte-order
// mark. A table that cannot be read or parsed holds no strings. Each table
// is read once and kept; ReloadBundleStrings forgets what was read.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/cf_string.h"
#include "platform/cf_url.h"

namespace plat {

class CFBundleObject final : public CFObject {
 public:
  // The bundle folder as a host path ending in "/".
  const std::string& Folder() const;
};

typedef std::map<std::u16string, std::u16string> StringTable;

// Parses the bytes of a ".strings" file. False for a corrupt file, and the
// table is then empty.
[[nodiscard]] bool ParseStringsFile(const std::vector<u8>& bytes, StringTable& table);

// Forgets the string tables read so far (the next lookup reads them again).
void ReloadBundleStrings();

}  // namespace plat

typedef const plat::CFBundleObject* CFBundleRef;

// The main bundle; it lives for the whole run (not released by callers).
CFBundleRef CFBundleGetMainBundle();
[[nodiscard]] CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle);
// The URL of the resource "name.type" (type may be null or empty, subfolder
// may be null) in Contents/Resources or its English.lproj; null when absent
// or when a name tries to leave the resources folder.
[[nodiscard]] CFURLRef CFBundleCopyResourceURL(CFBundleRef bundle, CFStringRef name, CFStringRef type,
                                 CFStringRef subfolder);
// The text of `key` in the table (null: "Localizable"); when the table lacks
// the key, `value` when it is not empty, else the key itself.
[[nodiscard]] CFStringRef CFBundleCopyLocalizedString(CFBundleRef bundle, CFStringRef key, CFStringRef value,
                                        CFStringRef table);
