// Fuzz target of the names that come from the host: text conversions at the
// file-system boundary (UTF-8 and Mac Roman, UTF-16) and items of hostile
// names in a folder. A name that converts converts back to itself (else the
// item could not be reached again); an item that a listing gives can be
// found and copied, and its copy lands in the folder it was copied to.
//
// Seeds: names in every script Mac Roman holds, and some it does not.
#include <cstddef>
#include <cstdint>
#include <string>

#include "foundation/folder_iterator.h"
#include "foundation/path_name.h"
#include "platform/host_paths.h"
#include "platform/text_encoding.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/fuzz/fuzz_tree.h"

namespace {

void MakeSeeds(gbfuzz::SeedWriter& seeds) {
  std::string every;
  for (int byte = 1; byte < 256; ++byte)
    if (byte != '/' && byte != ':') every += char(byte);
  seeds.Add(plat::MacRomanToUtf8(every.substr(0, 120)));
  seeds.Add(plat::MacRomanToUtf8(every.substr(120)));
  seeds.Add(std::string("Icon\r"));
  seeds.Add(std::string("caf\xC3\xA9 e\xCC\x81t\xC3\xA9.swf"));  // composed and decomposed
  seeds.Add(std::string("\xE2\x82\xAC \xF0\x9F\x90\x9F ..name"));
  seeds.Add(std::string("._sidecar"));
}

}  // namespace

FUZZ_SEEDS(MakeSeeds);

int gbfuzz::TestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::string macRoman;
  if (plat::Utf8ToMacRoman(text, macRoman))
    gbfuzz::Check(plat::MacRomanToUtf8(macRoman) == text, "a host name does not convert back to itself");
  if (text.find('\0') == std::string::npos) {
    std::string back;
    gbfuzz::Check(plat::Utf8ToMacRoman(plat::MacRomanToUtf8(text), back) && back == text,
                  "a Mac Roman text does not convert back to itself");
  }
  std::u16string units;
  if (plat::DecodeText(data, size, kCFStringEncodingUTF8, units)) {
    std::string bytes;
    gbfuzz::Check(plat::EncodeText(units, kCFStringEncodingUTF8, bytes) && bytes == text,
                  "UTF-8 text does not encode back to itself");
  }

  // An item of that name, listed, found and copied.
  if (!plat::IsSingleName(text) || size > 255) return 0;
  gbfuzz::ResetSandbox();
  const std::string folder = gbfuzz::SandboxFolder("work/names");
  const std::string copies = gbfuzz::SandboxFolder("work/copies");
  if (!gbfuzz::WriteHostFile(folder + text, std::string("item"))) return 0;
  CPathName item(nullptr);
  bool isFolder = false;
  int listed = 0;
  std::vector<CPathName> items;
  for (bool more = GetFirstFolderItem(CPathName(folder), item, &isFolder, "*"); more;
       more = GetNextFolderItem(item, &isFolder))
    items.push_back(item);
  EndFolderIteration();
  for (const CPathName& found : items) {
    ++listed;
    gbfuzz::Check(found.Exists(), "a listed item cannot be found");
    CPathName copy(nullptr);
    if (found.CopyTo(CPathName(copies), nullptr, false, &copy))
      gbfuzz::Check(gbfuzz::ReadHostFile(copies + text) == gbfuzz::ReadHostFile(folder + text),
                    "a copy does not land under its own name in the folder it was copied to");
  }
  gbfuzz::Check(listed <= 1, "one item is listed more than once");
  for (const auto& [name, bytes] : gbfuzz::ReadTree(gbfuzz::SandboxRoot() + "work"))
    gbfuzz::Check(name.rfind("names/", 0) == 0 || name.rfind("copies/", 0) == 0 || name == "names/" ||
                      name == "copies/",
                  "a copy landed outside its folder");
  gbfuzz::CheckSandbox();
  return 0;
}
