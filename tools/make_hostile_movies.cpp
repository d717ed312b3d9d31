// gb_make_hostile_movies <folder>: writes the hostile movies of the swf
// tests (tests/swf/swf_hostile_movies.h) into the folder, one file each,
// named by their place in the table and their name ("07-a_script_....swf"),
// compressed where the table says so. scripts/bench-hostile measures them.
#include <cstdio>
#include <string>

#include "tests/swf/swf_hostile_movies.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: gb_make_hostile_movies <folder>\n");
    return 2;
  }
  std::string folder = argv[1];
  if (folder.empty() || folder.back() != '/') folder += '/';
  int index = 0;
  for (const swftest::HostileMovie& movie : swftest::HostileMovies()) {
    char number[16];
    std::snprintf(number, sizeof number, "%02d-", index++);
    const std::string path = folder + number + swftest::HostileMovieId(movie) + ".swf";
    const std::vector<u8> file = swftest::HostileMovieFile(swftest::HostileMoviePlain(movie), movie);
    std::FILE* out = std::fopen(path.c_str(), "wb");
    const bool written = out && std::fwrite(file.data(), 1, file.size(), out) == file.size();
    if (!out || std::fclose(out) != 0 || !written) {
      std::fprintf(stderr, "gb_make_hostile_movies: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
