// Movies whose few bytes announce many objects: counts of entries that take
// no bits, records of a byte each, tags of two bytes. Loading and writing
// back each one must hold no more heap than 64 times the movie's expanded
// size plus 16 MiB, and lose nothing: a tag whose reading would pass the
// reader's bound is kept as its bytes and written back unchanged.
#include <cctype>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "foundation/path_name.h"
#include "swf/swf_bit_writer.h"
#include "swf/swf_compression.h"
#include "swf/swf_reader.h"
#include "swf/swf_record.h"
#include "swf/swf_sprite_tags.h"
#include "swf/swf_text_tags.h"
#include "swf/swf_unknown_tag.h"
#include "tests/support/test_support.h"
#include "tests/swf/swf_heap_meter.h"
#include "tests/swf/swf_test_movies.h"

namespace {

using swftest::Bytes;
using swftest::Concat;
using swftest::RawTag;

constexpr size_t kMiB = size_t(1) << 20;

std::vector<u8> Repeat(const std::vector<u8>& unit, size_t bytes) {
  std::vector<u8> out;
  out.reserve(bytes + unit.size());
  while (out.size() < bytes) out.insert(out.end(), unit.begin(), unit.end());
  return out;
}

// A static text (DefineText or DefineText2) with an empty frame and matrix,
// the given glyph and advance widths, and `records` as its record list.
RawTag Text(u16 code, u8 glyphBits, u8 advanceBits, const std::vector<u8>& records) {
  return {code, Concat({Bytes({1, 0, 0, 0, glyphBits, advanceBits}), records, Bytes({0})}), true};
}

// A sprite holding the tags (and its End).
RawTag Sprite(const std::vector<RawTag>& inner) {
  std::vector<RawTag> ended = inner;
  ended.push_back({0, {}});
  std::vector<u8> inside = swftest::BuildMovie(ended);
  // The movie's tags without its 21-byte header (signature, length, frame
  // rectangle, rate and count).
  inside.erase(inside.begin(), inside.begin() + 21);
  return {kSwfDefineSpriteCode, Concat({Bytes({2, 0, 1, 0}), inside}), true};
}

struct Hostile {
  const char* name;
  std::function<std::vector<RawTag>()> tags;
  // Compressed ("CWS") in its file.
  bool compressed;
  // Whether its reading passes the bound (and a tag is kept as bytes).
  bool keptRaw;
  // Whether every tag is written back as it was (a malformed tag that the
  // engine models comes back as the engine writes it).
  bool unchanged = true;
};

const std::vector<Hostile>& HostileMovies() {
  static const std::vector<Hostile> movies = {
      // Each byte 0x7F a glyph record of 127 entries of no bits.
      {"DefineText2 of zero-width entries",
       [] { return std::vector<RawTag>{Text(33, 0, 0, Repeat({0x7F}, kMiB)), {1, {}}, {0, {}}}; }, true, true},
      {"DefineText of zero-width entries",
       [] { return std::vector<RawTag>{Text(11, 0, 0, Repeat({0x7F}, kMiB)), {1, {}}, {0, {}}}; }, true, true},
      {"a sprite holding such a DefineText2",
       [] { return std::vector<RawTag>{Sprite({Text(33, 0, 0, Repeat({0x7F}, kMiB)), {1, {}}}), {1, {}}, {0, {}}}; }, true,
       true},
      // A glyph record of one entry, or a style record with no fields, a byte each.
      {"glyph records of one zero-width entry",
       [] { return std::vector<RawTag>{Text(33, 0, 0, Repeat({0x01}, kMiB)), {1, {}}, {0, {}}}; }, false, true},
      {"style records without fields",
       [] { return std::vector<RawTag>{Text(33, 0, 0, Repeat({0x80}, kMiB)), {1, {}}, {0, {}}}; }, false, true},
      // A style record and an empty glyph count, two bytes.
      {"style records with no glyphs",
       [] { return std::vector<RawTag>{Text(33, 8, 8, Repeat({0x80, 0x00}, kMiB)), {1, {}}, {0, {}}}; }, false, true},
      // Play, one byte an action.
      {"a script of one-byte actions",
       [] { return std::vector<RawTag>{{12, Concat(Repeat({0x06}, kMiB), Bytes({0})), true}, {1, {}}, {0, {}}}; }, false,
       true},
      // Pushes of 65535 nulls of a byte each.
      {"pushes of one-byte values",
       [] {
         std::vector<u8> push = Concat({Bytes({0x96, 0xFF, 0xFF}), Repeat({0x02}, 0xFFFF)});
         return std::vector<RawTag>{{12, Concat(Repeat(push, kMiB), Bytes({0})), true}, {1, {}}, {0, {}}};
       },
       false, true},
      // A shape of style changes of six bits (a line style index of no bits).
      {"a shape of six-bit style changes",
       [] {
         std::vector<u8> body = Concat({Bytes({1, 0, 0, 0, 0, 0}), Repeat({0x20, 0x82, 0x08}, kMiB), Bytes({0})});
         return std::vector<RawTag>{{2, body, true}, {1, {}}, {0, {}}};
       },
       false, true},
      // Fonts whose bodies are offsets only: every glyph is read from nothing.
      {"fonts of offsets only",
       [] {
         std::vector<RawTag> tags;
         tags.reserve(18);
         for (int i = 0; i < 16; ++i)
           tags.push_back({10, Concat({Bytes({1 + i, 0}), Repeat({0xFE, 0xFF}, 0xFFFE)}), true});
         tags.push_back({1, {}});
         tags.push_back({0, {}});
         return tags;
       },
       false, false, false},
      // DefineFont2 with a layout announcing 65535 glyphs, of offsets only:
      // codes, advances and bounds would all be read from nothing.
      {"DefineFont2 of offsets only",
       [] {
         std::vector<RawTag> tags;
         tags.reserve(10);
         for (int i = 0; i < 8; ++i)
           tags.push_back({48, Concat({Bytes({1 + i, 0, 0x80, 0, 0, 0xFF, 0xFF}), Repeat({0x02, 0x00}, 0xFFFE)}), true});
         tags.push_back({1, {}});
         tags.push_back({0, {}});
         return tags;
       },
       false, false, false},
      // Two bytes a tag: an unknown one, and ShowFrame inside a sprite.
      {"empty tags",
       [] {
         std::vector<RawTag> tags(kMiB / 2, RawTag{200, {}});
         tags.push_back({1, {}});
         tags.push_back({0, {}});
         return tags;
       },
       false, false},
      {"a sprite of ShowFrame tags",
       [] { return std::vector<RawTag>{Sprite(std::vector<RawTag>(kMiB / 2, RawTag{1, {}})), {1, {}}, {0, {}}}; }, false,
       false},
  };
  return movies;
}

class AmplificationTest : public testing::TestWithParam<size_t> {};

// Loads the movie file and writes it back while a meter runs, in a process
// of its own; fails when the heap held passes the bound or the movie comes
// back changed.
TEST_P(AmplificationTest, LoadsWithinItsBoundAndWritesBackUnchanged) {
  const Hostile& hostile = HostileMovies()[GetParam()];
  SCOPED_TRACE(hostile.name);
  const std::vector<u8> plain = swftest::BuildMovie(hostile.tags());
  std::vector<u8> file = plain;
  if (hostile.compressed) {
    ASSERT_TRUE(CompressSwfBytes(plain.data(), plain.size(), file));
  }
  const std::string path = gbtest::MakeTempFolder("amplification") + "movie.swf";
  ASSERT_TRUE(gbtest::WriteFile(path, file));

  swftest::RunInFreshProcess([&]() -> std::string {
    const auto start = std::chrono::steady_clock::now();
    std::vector<u8> written;
    size_t peak = 0;
    u32 keptRaw = 0;
    {
      swftest::CHeapMeter meter;
      CSwfReader reader;
      if (!reader.LoadFile(CPathName(path.c_str()), true, 0, true)) return "the movie does not load";
      keptRaw = reader.GetTagsKeptRaw();
      CSwfBitWriter writer(reader.GetVersion());
      if (reader.WriteMovie(writer) == 0) return "the movie is not written";
      reader.DeleteTags(true);
      written = writer.GetBytes();
      peak = meter.GetPeak();
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const size_t bound = 64 * plain.size() + 16 * kMiB;
    char figures[200];
    std::snprintf(figures, sizeof figures, "%s: %zu bytes, peak %zu (%.1f x), %.2f s, %u kept as bytes",
                  hostile.name, plain.size(), peak, double(peak) / double(plain.size()), seconds, keptRaw);
    std::fprintf(stderr, "%s\n", figures);
    if (peak > bound) return std::string("over the bound: ") + figures;
    if ((keptRaw > 0) != hostile.keptRaw) return std::string("kept as bytes or not, unexpectedly: ") + figures;
    // Every tag comes back with its body (a short body may now have a short header).
    const std::vector<RawTag> before = swftest::SplitTags(plain);
    const std::vector<RawTag> after = swftest::SplitTags(written);
    if (before.size() != after.size()) return "the tags come back different";
    if (!hostile.unchanged) {
      if (written.size() > 2 * plain.size()) return "the movie comes back much larger";
      return "";
    }
    for (size_t i = 0; i < before.size(); ++i)
      if (before[i].code != after[i].code || before[i].body != after[i].body)
        return "tag " + std::to_string(i) + " comes back different";
    return "";
  });
}

INSTANTIATE_TEST_SUITE_P(HostileMovies, AmplificationTest, testing::Range<size_t>(0, HostileMovies().size()),
                         [](const testing::TestParamInfo<size_t>& movie) {
                           std::string name;
                           for (const char* c = HostileMovies()[movie.param].name; *c; ++c)
                             name += std::isalnum(u8(*c)) ? *c : '_';
                           return name;
                         });

// A tag kept as bytes leaves the reader as it found it: the tags behind it
// read with their classes, the movie writes back as it was, and the next
// load starts with a fresh bound.
TEST(AmplificationBound, TagsBehindAKeptTagReadAsUsual) {
  // A static text as the engine writes it: a style record (font 1, height
  // 240), then a glyph record of two entries.
  const RawTag text{33, Bytes({1, 0, 0x08, 0, 0, 4, 8, 0x88, 1, 0, 240, 0, 2, 0x1A, 0x02, 0x30, 0})};
  const std::vector<u8> movie =
      swftest::BuildMovie({Text(33, 0, 0, Repeat({0x7F}, size_t(64) * 1024)), text, {1, {}}, {0, {}}});
  CSwfReader reader;
  ASSERT_TRUE(reader.LoadFromMemory(movie.data(), u32(movie.size()), true, 0, true));
  EXPECT_EQ(reader.GetTagsKeptRaw(), 1u);
  ASSERT_EQ(swftest::Codes(reader.GetTags()), (std::vector<u16>{33, 33, 1, 0}));
  EXPECT_NE(dynamic_cast<CSwfUnknownTag*>(reader.GetTags()[0]), nullptr);
  auto* second = dynamic_cast<CSwfDefineText2*>(reader.GetTags()[1]);
  ASSERT_NE(second, nullptr);
  ASSERT_EQ(second->GetRecords().size(), 2u);
  EXPECT_EQ(static_cast<const CSwfTextGlyphRecord&>(*second->GetRecords()[1]).GetEntries().size(), 2u);
  CSwfBitWriter writer(reader.GetVersion());
  ASSERT_GT(reader.WriteMovie(writer), 0u);
  reader.DeleteTags(true);
  EXPECT_EQ(writer.GetBytes(), movie);

  const std::vector<u8> plain = swftest::BuildMovie({text, {1, {}}, {0, {}}});
  ASSERT_TRUE(reader.LoadFromMemory(plain.data(), u32(plain.size()), true, 0, true));
  EXPECT_EQ(reader.GetTagsKeptRaw(), 0u);
  reader.DeleteTags(true);
}

}  // namespace
