// Movies whose few bytes announce much: counts of entries that take no
// bits, records of a byte each, tags of two bytes, tags that each pass the
// reader's bound, sprites nested past the depth reads may reach. The
// amplification test loads and writes back each one under a heap meter;
// gb_make_hostile_movies writes them as files, for measuring them in a
// release build (scripts/bench-hostile).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tests/swf/swf_test_movies.h"

namespace swftest {

// Whether a movie's reading keeps a tag as its bytes (past the bound, or
// nested too deep): for movies that make about what the bound allows, it
// may or may not.
enum class KeptRaw { kNo, kYes, kEither };

struct HostileMovie {
  const char* name;
  std::function<std::vector<RawTag>()> tags;
  // Compressed ("CWS") in its file.
  bool compressed;
  KeptRaw keptRaw;
  // Whether every tag is written back as it was (a malformed tag that the
  // engine models comes back as the engine writes it).
  bool unchanged = true;
};

const std::vector<HostileMovie>& HostileMovies();

// The movie's plain bytes, and its file (compressed when it is).
std::vector<u8> HostileMoviePlain(const HostileMovie& movie);
std::vector<u8> HostileMovieFile(const std::vector<u8>& plain, const HostileMovie& movie);

// The name with every character but letters and digits as '_'.
std::string HostileMovieId(const HostileMovie& movie);

}  // namespace swftest
