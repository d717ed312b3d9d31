// Fuzz target of the movie reader: any bytes, plain or compressed, load
// without a crash, a hang or unbounded memory, and a movie that loads
// rewrites to a movie that reads back and rewrites to itself.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "swf/swf_bit_writer.h"
#include "swf/swf_compression.h"
#include "swf/swf_reader.h"
#include "swf/swf_record.h"

namespace {

std::vector<u8> Rewrite(CSwfReader& reader) {
  CSwfBitWriter writer(reader.GetVersion());
  reader.WriteMovie(writer);
  reader.DeleteTags(true);
  return writer.GetBytes();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 0xFFFFFFFFu) return 0;
  std::vector<u8> expanded;
  if (size >= 1 && data[0] == 'C') {
    if (!DecompressSwfBytes(data, size, expanded)) return 0;
    data = expanded.data();
    size = expanded.size();
  }

  CSwfReader reader;
  if (!reader.LoadFromMemory(data, u32(size), true, 0, true)) return 0;
  const std::vector<u8> first = Rewrite(reader);

  CSwfReader again;
  if (!again.LoadFromMemory(first.data(), u32(first.size()), true, 0, true)) __builtin_trap();
  if (Rewrite(again) != first) __builtin_trap();

  // A load cut short by a byte limit and the frame limit of the tag loop.
  CSwfReader limited;
  if (limited.LoadFromMemory(data, u32(size), true, u32(size / 2), false)) {
    limited.ReadAllTags(nullptr, 1);
    Rewrite(limited);
  }
  return 0;
}
