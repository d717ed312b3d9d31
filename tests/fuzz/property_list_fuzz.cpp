// Fuzz target of the property-list reader (Info.plist files, the
// preferences store's files): any bytes parse or are refused, and a list
// that parses is written, parsed again and found equal, and written again
// to the same text.
//
// Seeds: lists of every value type, written by our own writer.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/property_list.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

void MakeSeeds(gbfuzz::SeedWriter& seeds) {
  using plat::PlistValue;
  PlistValue root = PlistValue::Dictionary();
  root.Set("CFBundleName", PlistValue::String("Aquarium <&> \"saver\" \xC3\xA9"));
  root.Set("flag", PlistValue::Boolean(true));
  root.Set("off", PlistValue::Boolean(false));
  root.Set("count", PlistValue::Integer(-9007199254740993LL));
  root.Set("ratio", PlistValue::Real(0.1));
  root.Set("bytes", PlistValue::Data({0, 1, 2, 0xFF, 0x80}));
  root.Set("when", PlistValue::Date("2007-04-01T12:00:00Z"));
  PlistValue list = PlistValue::Array();
  list.items().push_back(PlistValue::String("/Users/someone/Movies/clip.swf"));
  list.items().push_back(PlistValue::Integer(3));
  PlistValue inner = PlistValue::Dictionary();
  inner.Set("left", PlistValue::Integer(40));
  list.items().push_back(inner);
  root.Set("recent", list);
  seeds.Add(plat::SerializePropertyList(root));
  seeds.Add(plat::SerializePropertyList(PlistValue::Dictionary()));
  seeds.Add(plat::SerializePropertyList(PlistValue::String("just a string")));
}

}  // namespace

FUZZ_SEEDS(MakeSeeds);

int gbfuzz::TestOneInput(const uint8_t* data, size_t size) {
  plat::PlistValue value;
  std::string message;
  if (!plat::ParsePropertyList(std::string(reinterpret_cast<const char*>(data), size), &value, &message))
    return 0;
  const std::string written = plat::SerializePropertyList(value);
  plat::PlistValue again;
  gbfuzz::Check(plat::ParsePropertyList(written, &again, &message), "a property list written back does not parse");
  gbfuzz::Check(again == value, "a property list written back reads back differently");
  gbfuzz::Check(plat::SerializePropertyList(again) == written, "a property list does not write the same twice");
  return 0;
}
