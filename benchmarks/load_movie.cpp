// swf_load_movie <movie>: loads a movie file with its tags, writes it back
// into memory and deletes its tags, as a user's build does with a movie,
// and prints one line of what that took:
//
//   plain=<bytes> peak=<bytes> seconds=<s> kept_raw=<tags> written=<bytes>
//
// plain is the movie's expanded size; peak is the most memory the process
// held (its resident high-water mark) above what it held when it began.
// Exits 1 when the movie does not load or is not written. scripts/bench-hostile
// runs it once a movie in a fresh process.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "foundation/path_name.h"
#include "swf/swf_bit_writer.h"
#include "swf/swf_reader.h"

namespace {

// A field of /proc/self/status in bytes ("VmRSS", "VmHWM"); 0 when absent.
unsigned long long StatusBytes(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const size_t length = std::strlen(field);
  while (std::getline(status, line))
    if (line.compare(0, length, field) == 0 && line.size() > length && line[length] == ':')
      return std::stoull(line.substr(length + 1)) * 1024;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: swf_load_movie <movie>\n");
    return 2;
  }
  const unsigned long long start = StatusBytes("VmRSS");
  const auto begun = std::chrono::steady_clock::now();
  CSwfReader reader;
  if (!reader.LoadFile(CPathName(argv[1]), true, 0, true)) {
    std::fprintf(stderr, "swf_load_movie: %s does not load\n", argv[1]);
    return 1;
  }
  const size_t plain = reader.GetMovieBytes().size();
  const u32 keptRaw = reader.GetTagsKeptRaw();
  CSwfBitWriter writer(reader.GetVersion());
  const u32 written = reader.WriteMovie(writer);
  reader.DeleteTags(true);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begun).count();
  if (written == 0) {
    std::fprintf(stderr, "swf_load_movie: %s is not written\n", argv[1]);
    return 1;
  }
  const unsigned long long peak = StatusBytes("VmHWM");
  std::printf("plain=%zu peak=%llu seconds=%.3f kept_raw=%u written=%u\n", plain, peak > start ? peak - start : 0,
              seconds, keptRaw, written);
  return 0;
}
