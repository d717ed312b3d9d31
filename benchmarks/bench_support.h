// What the benchmark programs share: the reference movies, movies made by
// our own writer, a scratch folder, and the independent SWF parser run as a
// baseline in the same process run.
#pragma once

#include <string>
#include <vector>

#include "platform/mac_types.h"

namespace gbbench {

std::vector<u8> ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::vector<u8>& bytes);

// The folder of the shared reference data (GLIMMERBOX_SHARED, else
// ../shared beside the source folder), ending in "/".
std::string SharedFolder();

// The reference movies of SWF version 8 or lower, plain or compressed, of
// every corpus folder; empty when the corpus is absent.
std::vector<std::string> CorpusMovies();

// A fresh folder for the run's files, under TMPDIR; removed with its
// contents by RemoveScratchFolders (at exit).
std::string MakeScratchFolder(const std::string& name);
void RemoveScratchFolders();

// `count` small movies written by our own movie builder (frames of
// placements, scripts, labels and rectangle shapes), 1 to 40 KB each, into
// the folder; returns their paths. The same movies on every run.
std::vector<std::string> WriteSmallMovies(const std::string& folder, int count);

// The tags (headers and bodies) of the reference movies as our writer
// writes them back, all but the End tags or those `keep` accepts; empty
// without the corpus.
std::vector<u8> ReferenceTags(bool (*keep)(u16 code) = nullptr);
// A plain movie of about `size` bytes: the tags repeated, then an End tag.
std::vector<u8> RepeatedMovie(const std::vector<u8>& tags, size_t size);
// Tags of mixed sizes, half of their bytes text-like and half random, for
// when the corpus is absent.
std::vector<u8> GeneratedTags(size_t size);
// Bitmap and sound tags whose bodies hold already-compressed data (random
// bytes, as JPEG and MP3 data are to zlib), about `size` bytes of them.
std::vector<u8> MediaTags(size_t size);

// The independent parser's time for one pass over the movies (parsing
// alone; the median and the best of its timed passes), from
// tests/swf/independent/parse_timing.mjs under Node. 0 with `why` set when
// it cannot run (no node, parser not installed by scripts/setup). The
// movies it refuses are returned in `refused`.
struct ParserTiming {
  double passMilliseconds = 0;
  double bestMilliseconds = 0;
  int movies = 0;
  std::vector<std::string> refused;
  std::string why;
};
ParserTiming TimeIndependentParser(const std::vector<std::string>& movies, double seconds);

}  // namespace gbbench
