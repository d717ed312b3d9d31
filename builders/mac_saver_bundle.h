// The pieces of the Mac `.saver` bundle that other builders share: the
// engine's placeholder and its patch, and the bundles' Info.plist form.
// The bundle step itself is CSaverBuilder::BuildSaverBundle.
//
// The bundle (U = the unique saver name):
//   Contents/Info.plist                  the property list
//   Contents/MacOS/fssx                  the engine, every placeholder replaced by U
//   Contents/Resources/<lang>.lproj      the engine template's language folders
//   Contents/Resources/Flash Player.plugin
//   Contents/Resources/<movie files>     the movie and extra files of every item
//   Contents/Resources/__saver.swf       the blank movie
//   Contents/Resources/ssc0.dat          the players' settings document
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "foundation/path_name.h"
#include "platform/mac_types.h"

// The 24 bytes in the engine that the unique saver name replaces.
extern const char kSaverEnginePlaceholder[];
constexpr size_t kUniqueSaverNameLength = 24;

// The 24-character unique name of a saver: the first 16 bytes of `name`
// (bytes that would break a property list or the engine's class name
// become 'X', a shorter name is filled up with 'O'), then the CRC-32 of the
// whole name as eight upper-case hexadecimal digits.
std::string UniqueSaverNameOf(const char* name);

// Replaces every placeholder in the engine's bytes by `name` (24
// characters; any other length changes nothing). The bytes are walked
// word by word; a run of 'X' is a placeholder only when it starts after a
// byte that is not 'X' (or at the start), lies within 100 bytes of the
// word, and is followed by exactly the placeholder's other bytes. Returns
// how many were replaced.
size_t PatchEnginePlaceholders(std::vector<u8>& bytes, const std::string& name);

// One key of a bundle's Info.plist: its value as a string element (Mac
// Roman text, written as UTF-8 with the markup characters escaped), or with
// `raw` written as it stands (such as "<true/>").
struct CInfoPlistEntry {
  const char* key;
  std::string value;
  bool raw = false;
};

// The forms of a property list: the published DTD 1.0 with
// <plist version="1.0">, or the older form whose DOCTYPE names the
// system's own "PropertyList.dtd" with <plist version="0.9">.
enum class InfoPlistForm { kVersion10, kVersion09 };

// Writes the property list (file type 'TEXT', creator four blanks,
// replacing a file but never a folder): the XML declaration, the DOCTYPE
// and <plist> of the form, <dict>, a key and a value line (each after one
// tab) per entry, </dict>, </plist>; every line ends in a line feed. False
// when it cannot be created or written whole.
[[nodiscard]] bool WriteInfoPlistFile(const CPathName& path, const std::vector<CInfoPlistEntry>& entries,
                        InfoPlistForm form = InfoPlistForm::kVersion10);
