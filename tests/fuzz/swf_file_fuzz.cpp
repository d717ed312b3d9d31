// Fuzz target of the movie readers that read from a file: the loader of a
// whole file (a compressed movie expanded in memory), the shallow load, and
// the file reader that reads tag by tag from its stream (a compressed movie
// expanded into a temporary file of the work folder). Whatever the file
// holds, each loads or refuses it; the tags they read from a movie as long
// as its header says rewrite to the same movie as the tags the in-memory
// reader reads; and the file reader leaves no temporary file behind once
// closed.
//
// Seeds: a small movie and the movie target's large movies, plain and
// compressed; inputs up to 1 MiB, as there.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "swf/swf_bit_writer.h"
#include "swf/swf_compression.h"
#include "swf/swf_file_reader.h"
#include "swf/swf_reader.h"
#include "swf/swf_record.h"
#include "tests/fuzz/fuzz_movies.h"
#include "tests/fuzz/fuzz_samples.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/fuzz/fuzz_tree.h"

namespace {

void MakeSeeds(gbfuzz::SeedWriter& seeds) {
  const std::string folder = gbfuzz::SandboxFolder("seeds");
  gbfuzz::WriteSampleMovie(folder + "clip.swf");
  // Hostile movies go in plain only: they are slow to read.
  for (const std::vector<u8>& hostile : gbfuzz::HostileMovies()) seeds.Add(hostile);
  std::vector<std::vector<u8>> movies = gbfuzz::LargeMovies();
  movies.push_back(gbfuzz::ReadHostFile(folder + "clip.swf"));
  for (const std::vector<u8>& movie : movies) {
    seeds.Add(movie);
    std::vector<u8> compressed;
    gbfuzz::Check(CompressSwfBytes(movie.data(), movie.size(), compressed), "a sample movie cannot be compressed");
    seeds.Add(compressed);
  }
  const std::string corpus = gbfuzz::SharedFolder();
  if (!corpus.empty()) seeds.AddFolder(corpus + "corpus/swf/other/");
}

// The movie written back; nothing when a tag refuses to write itself (a
// value read that no field can hold again, such as a button's records past
// what its offsets reach).
std::vector<u8> Rewrite(CSwfReader& reader) {
  CSwfBitWriter writer(reader.GetVersion());
  const bool written = reader.WriteMovie(writer) != 0;
  reader.DeleteTags(true);
  return written ? writer.GetBytes() : std::vector<u8>();
}

}  // namespace

FUZZ_SEEDS(MakeSeeds);
FUZZ_MAX_LEN(gbfuzz::kLargestMovieInput);

int gbfuzz::TestOneInput(const uint8_t* data, size_t size) {
  if (size > 0xFFFFFFFFu) return 0;
  gbfuzz::StateMovieSize(data, size);
  static const std::string folder = gbfuzz::SandboxFolder("work");
  const CPathName path(folder + "movie.swf");
  gbfuzz::WriteHostFile(folder + "movie.swf", data, size);

  // What the in-memory reader makes of the same bytes.
  std::vector<u8> expanded;
  const u8* plain = data;
  size_t plainSize = size;
  bool expandable = true;
  if (size >= 1 && data[0] == 'C') {
    expandable = DecompressSwfBytes(data, size, expanded);
    plain = expanded.data();
    plainSize = expanded.size();
  }
  // The file reader reads to the end of its file, the loaders to the
  // length the header announces: they are compared on movies as long as
  // they say.
  const bool exact = expandable && plainSize >= 8 &&
                     u32(plain[4] | plain[5] << 8 | plain[6] << 16 | u32(plain[7]) << 24) == plainSize;
  CSwfReader memory;
  const bool inMemory = exact && memory.LoadFromMemory(plain, u32(plainSize), true, 0, true);
  const std::vector<u8> expected = inMemory ? Rewrite(memory) : std::vector<u8>();

  CSwfReader whole;
  if (whole.LoadFile(path, true, 0, true) && inMemory)
    gbfuzz::Check(Rewrite(whole) == expected, "a movie loaded from its file differs from the same bytes in memory");
  whole.DeleteTags(true);

  CSwfReader shallow;
  if (shallow.LoadFileShallow(path)) Rewrite(shallow);

  {
    CSwfFileReader file;
    if (file.Open(path, true)) {
      file.ReadAllTags(nullptr, 0);
      const std::vector<u8> streamed = Rewrite(file);
      if (inMemory) gbfuzz::Check(streamed == expected, "a movie read from its stream differs from the same bytes in memory");
    }
    file.Close();
  }
  // Only the movie itself is left.
  const gbfuzz::FolderTree left = gbfuzz::ReadTree(gbfuzz::SandboxRoot() + "tmp");
  for (const auto& [name, bytes] : left)
    if (name.back() != '/') gbfuzz::Fail(("a reader left a file behind: " + name).c_str());
  gbfuzz::CheckSandbox();
  return 0;
}
