// Fuzz target of the localized-string tables (".strings" files, UTF-8 or
// UTF-16): any bytes parse or are refused (the table then empty); a table
// that parses is written back in the file's syntax and parses to the same
// table; and the bundle, reading the same file, gives the same texts.
//
// Seeds: string tables in each encoding with comments and every escape.
#include <cstddef>
#include <cstdio>
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/string_buffer.h"
#include "platform/bundle.h"
#include "platform/cf_string.h"
#include "platform/text_encoding.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

const char kTable[] =
    "/* The application's texts */\n"
    "\"106\" = \"https://example.com/glimmerbox\";\n"
    "// a line comment\n"
    "\"184\" = \"The work folder \\\"_glimmerbox2\\\" cannot be made.\\n\\tTry again.\";\n"
    "\"10019\" = \"Mac OS X 10.2 or later is needed \\U2014 sorry\\\\\";\n"
    "\"quote's\" = \"it\\'s \\r done\";\n";

void MakeSeeds(gbfuzz::SeedWriter& seeds) {
  seeds.Add(std::string(kTable));
  // The same as UTF-16 with a byte-order mark, both byte orders.
  for (bool big : {false, true}) {
    std::vector<u8> bytes = big ? std::vector<u8>{0xFE, 0xFF} : std::vector<u8>{0xFF, 0xFE};
    for (const char* at = kTable; *at; ++at) {
      const u8 unit[2] = {u8(*at), 0};
      bytes.push_back(big ? unit[1] : unit[0]);
      bytes.push_back(big ? unit[0] : unit[1]);
    }
    seeds.Add(bytes);
  }
}

// The table in the file's syntax, every character outside printable ASCII
// as a \U escape.
std::string WriteTable(const plat::StringTable& table) {
  auto quoted = [](const std::u16string& text) {
    std::string out = "\"";
    for (char16_t unit : text) {
      if (unit == '"' || unit == '\\') {
        out += '\\';
        out += char(unit);
      } else if (unit >= 0x20 && unit < 0x7F) {
        out += char(unit);
      } else {
        char escape[8];
        std::snprintf(escape, sizeof escape, "\\U%04X", unsigned(unit));
        out += escape;
      }
    }
    return out + "\"";
  };
  std::string text;
  for (const auto& [key, value] : table) text += quoted(key) + " = " + quoted(value) + ";\n";
  return text;
}

std::u16string Characters(CFStringRef string) {
  std::u16string text(size_t(CFStringGetLength(string)), u'\0');
  CFStringGetCharacters(string, CFRangeMake(0, CFIndex(text.size())), reinterpret_cast<UniChar*>(text.data()));
  return text;
}

}  // namespace

FUZZ_SEEDS(MakeSeeds);

int gbfuzz::TestOneInput(const uint8_t* data, size_t size) {
  const std::vector<u8> bytes(data, data + size);
  plat::StringTable table;
  if (!plat::ParseStringsFile(bytes, table)) {
    gbfuzz::Check(table.empty(), "a refused string table keeps strings");
    return 0;
  }
  const std::string written = WriteTable(table);
  plat::StringTable again;
  gbfuzz::Check(plat::ParseStringsFile(std::vector<u8>(written.begin(), written.end()), again),
                "a string table written back does not parse");
  gbfuzz::Check(again == table, "a string table written back parses to other texts");

  // The bundle's lookups over the same file.
  static const std::string lproj = gbfuzz::SandboxFolder("bundle/Contents/Resources/English.lproj");
  gbfuzz::WriteHostFile(lproj + "Localizable.strings", data, size);
  plat::ReloadBundleStrings();
  CFStringRef tableName = CFStringCreateWithCString(nullptr, "Localizable", kCFStringEncodingUTF8);
  int looked = 0;
  for (const auto& [key, value] : table) {
    if (++looked > 8) break;
    CFStringRef keyString = CFStringCreateWithCharacters(nullptr, reinterpret_cast<const UniChar*>(key.data()),
                                                         CFIndex(key.size()));
    CFStringRef found = CFBundleCopyLocalizedString(CFBundleGetMainBundle(), keyString, nullptr, tableName);
    gbfuzz::Check(found && Characters(found) == value, "the bundle gives another text than the table holds");
    CFRelease(found);
    CFRelease(keyString);
  }
  CFRelease(tableName);
  // Localized strings by number, as the application asks for them.
  CStringBuffer text;
  (void)text.LoadLocalizedString(106);  // a hostile table may not hold it
  return 0;
}
