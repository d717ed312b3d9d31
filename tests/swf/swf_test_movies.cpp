#include "tests/swf/swf_test_movies.h"

#include "swf/swf_bit_writer.h"
#include "swf/swf_header.h"
#include "swf/swf_unknown_tag.h"
#include "tests/support/test_support.h"

namespace swftest {

std::vector<u8> BuildMovie(const std::vector<RawTag>& tags, u8 version) {
  CSwfHeader header;
  header.SetParams(0, 0, 11000, 8000, 12.0f, version);
  CSwfBitWriter writer(version);
  header.Write(writer);
  std::vector<u8> movie = writer.GetBytes();
  for (const RawTag& tag : tags) {
    EncodeTagHeader(movie, tag.code, u32(tag.body.size()), tag.longHeader);
    movie.insert(movie.end(), tag.body.begin(), tag.body.end());
  }
  const u32 length = u32(movie.size());
  for (int i = 0; i < 4; ++i) movie[4 + i] = u8(length >> (8 * i));
  return movie;
}

std::vector<RawTag> SplitTags(const std::vector<u8>& movie) {
  std::vector<RawTag> tags;
  if (movie.size() < 9) return tags;
  const u32 bits = movie[8] >> 3;
  size_t at = 8 + (5 + 4 * bits + 7) / 8 + 4;
  while (at + 2 <= movie.size()) {
    const u16 word = u16(movie[at] | (movie[at + 1] << 8));
    at += 2;
    RawTag tag{u16(word >> 6), {}, false, false};
    size_t length = word & 63;
    if (length == 63) {
      if (at + 4 > movie.size()) break;  // the engine reads this as the End
      length = size_t(movie[at]) | (size_t(movie[at + 1]) << 8) | (size_t(movie[at + 2]) << 16) |
               (size_t(movie[at + 3]) << 24);
      at += 4;
      tag.longHeader = true;
    }
    if (length > movie.size() - at) {
      length = movie.size() - at;
      tag.cut = true;
    }
    tag.body.assign(movie.begin() + long(at), movie.begin() + long(at + length));
    at += length;
    tags.push_back(tag);
    if (tag.code == 0 || tag.cut) break;
  }
  return tags;
}

std::vector<u8> Bytes(std::initializer_list<int> values) {
  std::vector<u8> bytes;
  for (int value : values) bytes.push_back(u8(value));
  return bytes;
}

std::string CorpusFolder() {
  const std::string shared = gbtest::SharedFolder();
  if (shared.empty()) return "";
  const std::string folder = shared + (shared.back() == '/' ? "" : "/") + "corpus/swf/";
  return gbtest::FileExists(folder + "README.md") ? folder : "";
}

}  // namespace swftest
