// The engine against real movies made by authoring tools and other libraries.
#include <dirent.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "swf/swf_bit_writer.h"
#include "swf/swf_compression.h"
#include "swf/swf_reader.h"
#include "swf/swf_record.h"
#include "tests/support/test_support.h"
#include "tests/swf/swf_test_movies.h"

using swftest::RawTag;
using swftest::SplitTags;

namespace {

std::vector<std::string> CorpusMovies() {
  std::vector<std::string> movies;
  const std::string folder = swftest::CorpusFolder();
  if (folder.empty()) return movies;
  for (const char* sub : {"unit", "avm1", "gnash", "other"}) {
    const std::string path = folder + sub + "/";
    DIR* dir = opendir(path.c_str());
    if (!dir) continue;
    while (dirent* entry = readdir(dir)) {
      const std::string name = entry->d_name;
      if (name.size() > 4 && name.compare(name.size() - 4, 4, ".swf") == 0)
        movies.push_back(path + name);
    }
    closedir(dir);
  }
  std::sort(movies.begin(), movies.end());
  return movies;
}

// The plain form of a movie file: as it is, or expanded from "CWS".
bool PlainBytes(const std::vector<u8>& file, std::vector<u8>& plain) {
  if (file.size() >= 3 && file[0] == 'C') return DecompressSwfBytes(file.data(), file.size(), plain);
  plain = file;
  return true;
}

struct Header {
  u8 version = 0;
  u32 length = 0;
  CSwfRect frame;
  std::vector<u8> rateAndCount;
};

Header ParseHeader(const std::vector<u8>& movie) {
  Header header;
  CSwfReader reader;
  CSwfBitWriter writer(4);
  writer.AppendBytes(movie);
  reader.LoadFromWriter(writer);
  reader.Skip(3);
  header.version = reader.ReadU8();
  header.length = reader.ReadU32();
  header.frame.Read(reader);
  for (int i = 0; i < 4; ++i) header.rateAndCount.push_back(reader.ReadU8());
  return header;
}

}  // namespace

TEST(SwfCorpus, EveryMovieLoadsAndWritesBackTheSameTags) {
  const std::vector<std::string> movies = CorpusMovies();
  if (movies.empty()) GTEST_SKIP() << "the reference movies are absent";

  // How often each intended difference between a movie and its rewrite occurs.
  std::map<std::string, int> rules;
  int roundTripped = 0;
  for (const std::string& path : movies) {
    SCOPED_TRACE(path);
    const std::vector<u8> file = gbtest::ReadFile(path);
    ASSERT_GE(file.size(), 3u);
    const std::string signature(file.begin(), file.begin() + 3);
    std::vector<u8> plain;
    CSwfReader reader;
    if (signature == "ZWS") {
      EXPECT_FALSE(reader.LoadFromMemory(file.data(), u32(file.size()), true, 0, true));
      continue;
    }
    ASSERT_TRUE(PlainBytes(file, plain)) << "the compressed body expands";
    if (signature == "CWS") {
      EXPECT_FALSE(reader.LoadFromMemory(file.data(), u32(file.size()), true, 0, true));
      EXPECT_TRUE(reader.IsCompressed());
    }
    ASSERT_TRUE(reader.LoadFromMemory(plain.data(), u32(plain.size()), true, 0, true));
    ASSERT_FALSE(reader.GetTags().empty());
    EXPECT_EQ(reader.GetTags().back()->GetCode(), 0) << "the tag loop ends in an End tag";

    CSwfBitWriter writer(reader.GetVersion());
    reader.WriteMovie(writer);
    const std::vector<u8> written = writer.GetBytes();
    reader.DeleteTags(true);

    // The rewrite reads back to the same movie.
    CSwfReader again;
    ASSERT_TRUE(again.LoadFromMemory(written.data(), u32(written.size()), true, 0, true));
    CSwfBitWriter secondWriter(again.GetVersion());
    again.WriteMovie(secondWriter);
    EXPECT_EQ(secondWriter.GetBytes(), written);
    again.DeleteTags(true);

    if (plain[3] > 8) continue;
    ++roundTripped;
    const std::vector<RawTag> before = SplitTags(plain);
    const std::vector<RawTag> after = SplitTags(written);
    const bool hadEnd = !before.empty() && before.back().code == 0;
    ASSERT_EQ(after.size(), before.size() + (hadEnd ? 0 : 1));
    if (!hadEnd) {
      ++rules[before.empty() || !before.back().cut
                  ? "a movie without an End tag gains one"
                  : "a tag cut short by the end of the data keeps what there is; an End follows"];
    }
    for (size_t i = 0; i < before.size(); ++i) {
      ASSERT_EQ(after[i].code, before[i].code) << "tag " << i;
      ASSERT_EQ(after[i].body, before[i].body) << "tag " << i;
      if (before[i].longHeader == after[i].longHeader) continue;
      EXPECT_TRUE(before[i].longHeader && before[i].body.size() <= 62) << "tag " << i;
      ++rules["a long header on a body of at most 62 bytes is shortened"];
    }

    const Header original = ParseHeader(plain);
    const Header rewritten = ParseHeader(written);
    EXPECT_EQ(rewritten.version, original.version);
    EXPECT_EQ(rewritten.frame.xMin, original.frame.xMin);
    EXPECT_EQ(rewritten.frame.xMax, original.frame.xMax);
    EXPECT_EQ(rewritten.frame.yMin, original.frame.yMin);
    EXPECT_EQ(rewritten.frame.yMax, original.frame.yMax);
    EXPECT_EQ(rewritten.rateAndCount, original.rateAndCount);
    EXPECT_EQ(rewritten.length, written.size());
    if (plain[8] != written[8]) ++rules["the frame size takes its narrowest bit width"];
    if (rewritten.length != original.length) ++rules["the length field holds the new length"];

    size_t tagBytes = 0;
    for (const RawTag& tag : before) tagBytes += tag.body.size() + (tag.longHeader ? 6 : 2);
    const size_t headerSize = 8 + (5 + 4 * (plain[8] >> 3) + 7) / 8 + 4;
    if (plain.size() > headerSize + tagBytes) ++rules["bytes behind the End tag are dropped"];
  }
  EXPECT_GT(roundTripped, 200);
  for (const auto& [rule, count] : rules) std::printf("  %4d x %s\n", count, rule.c_str());
}
