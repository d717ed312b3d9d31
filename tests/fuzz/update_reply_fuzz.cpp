// Fuzz target of the software-update service's reply: any bytes are a
// version or are refused, and a version that is read, written as the
// service writes it, reads back the same.
//
// Seeds: replies as the service gives them.
#include <cstddef>
#include <cstdint>
#include <string>

#include "foundation/update_check.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

void MakeSeeds(gbfuzz::SeedWriter& seeds) {
  seeds.Add(std::string("2.6"));
  seeds.Add(std::string(" 10.12\r\n"));
  seeds.Add(std::string("2147483647.0"));
}

}  // namespace

FUZZ_SEEDS(MakeSeeds);

int gbfuzz::TestOneInput(const uint8_t* data, size_t size) {
  SInt32 major = -1;
  SInt32 minor = -1;
  if (!ParseVersionReply(std::string(reinterpret_cast<const char*>(data), size), &major, &minor)) return 0;
  gbfuzz::Check(major >= 0 && minor >= 0, "a version read from a reply is negative");
  SInt32 majorAgain = -1;
  SInt32 minorAgain = -1;
  gbfuzz::Check(ParseVersionReply(std::to_string(major) + "." + std::to_string(minor), &majorAgain, &minorAgain) &&
                    majorAgain == major && minorAgain == minor,
                "a version written as the service writes it reads back otherwise");
  return 0;
}
