// Movies whose few bytes announce much (swf_hostile_movies.h). Loading and
// writing back each one must hold no more heap than 64 times the movie's
// expanded size plus 16 MiB, take no more than a second and 0.3 s for each
// MiB, and lose nothing: a tag whose reading would pass the reader's bound,
// or whose tags would nest too deep, is kept as its bytes and written back
// unchanged.
#include <algorithm>
#include <cctype>
#include <ctime>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "foundation/path_name.h"
#include "swf/swf_bit_writer.h"
#include "swf/swf_object_pool.h"
#include "swf/swf_reader.h"
#include "swf/swf_record.h"
#include "swf/swf_sprite_tags.h"
#include "swf/swf_text_tags.h"
#include "swf/swf_unknown_tag.h"
#include "tests/support/test_support.h"
#include "tests/swf/swf_heap_meter.h"
#include "tests/swf/swf_hostile_movies.h"
#include "tests/swf/swf_test_movies.h"

namespace {

using swftest::Bytes;
using swftest::Concat;
using swftest::HostileMovie;
using swftest::HostileMovies;
using swftest::RawTag;

constexpr size_t kMiB = size_t(1) << 20;

class AmplificationTest : public testing::TestWithParam<size_t> {};

// Loads the movie file and writes it back while a meter runs, in a process
// of its own; fails when the heap held passes the bound, the time taken
// passes its own (in builds without the sanitizers, which are much
// slower), the heap that the load holds is not what it counted against the
// reader's bound, or the movie comes back changed.
TEST_P(AmplificationTest, LoadsWithinItsBoundAndWritesBackUnchanged) {
  const HostileMovie& hostile = HostileMovies()[GetParam()];
  SCOPED_TRACE(hostile.name);
  const std::vector<u8> plain = swftest::HostileMoviePlain(hostile);
  const std::string path = gbtest::MakeTempFolder("amplification") + "movie.swf";
  ASSERT_TRUE(gbtest::WriteFile(path, swftest::HostileMovieFile(plain, hostile)));

  swftest::RunInFreshProcess([&]() -> std::string {
    // The time is the process's processor time, which tests run beside it
    // do not stretch.
    const std::clock_t start = std::clock();
    std::vector<u8> written;
    size_t peak = 0;
    size_t held = 0;
    size_t charged = 0;
    u32 keptRaw = 0;
    {
      swftest::CHeapMeter meter;
      const size_t taken = CountSwfObjectBytesTaken();
      CSwfReader reader;
      if (!reader.LoadFile(CPathName(path.c_str()), true, 0, true)) return "the movie does not load";
      held = meter.GetHeld();
      charged = CountSwfObjectBytesTaken() - taken;
      keptRaw = reader.GetTagsKeptRaw();
      CSwfBitWriter writer(reader.GetVersion());
      if (reader.WriteMovie(writer) == 0) return "the movie is not written";
      reader.DeleteTags(true);
      written = writer.GetBytes();
      peak = meter.GetPeak();
    }
    const double seconds = double(std::clock() - start) / CLOCKS_PER_SEC;
    const double mebibytes = double(plain.size()) / double(kMiB);
    char figures[240];
    std::snprintf(figures, sizeof figures, "%s: %zu bytes, peak %zu (%.1f x), %.2f s, %u kept as bytes", hostile.name,
                  plain.size(), peak, double(peak) / double(plain.size()), seconds, keptRaw);
    std::fprintf(stderr, "%s\n", figures);
    if (peak > 64 * plain.size() + 16 * kMiB) return std::string("over the bound: ") + figures;
    // (AddressSanitizer's builds, which can measure their heap, run many times slower.)
    if (!gbtest::HeapPeak::IsAvailable() && seconds > 1.0 + 0.3 * mebibytes)
      return std::string("too slow: ") + figures;
    // What the loaded movie holds beyond its bytes (and the bytes of tags
    // kept as read) was counted against the bound.
    if (held > charged + 2 * plain.size() + kMiB)
      return "the load holds " + std::to_string(held) + " bytes but counted " + std::to_string(charged);
    if (hostile.keptRaw != swftest::KeptRaw::kEither && (keptRaw > 0) != (hostile.keptRaw == swftest::KeptRaw::kYes))
      return std::string("kept as bytes or not, unexpectedly: ") + figures;
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
                           return swftest::HostileMovieId(HostileMovies()[movie.param]);
                         });

// A static text (DefineText2) of zero-width glyph records of 127 entries,
// a byte each.
RawTag DenseText(size_t records) {
  return {33, Concat({Bytes({1, 0, 0, 0, 0, 0}), std::vector<u8>(records, 0x7F), Bytes({0})}), true};
}

// One budget for the whole movie: what a tag kept as bytes took stays
// charged, so that a dense tag behind it, which alone the allowance would
// cover, is kept as its bytes too; once the movie's bytes have paid for it,
// tags read with their classes again. The movie writes back as it was, and
// the next load starts afresh.
TEST(AmplificationBound, ATagKeptAsBytesStaysChargedUntilTheMovieHasPaidForIt) {
  // A static text as the engine writes it: a style record (font 1, height
  // 240), then a glyph record of two entries.
  const RawTag text{33, Bytes({1, 0, 0x08, 0, 0, 4, 8, 0x88, 1, 0, 240, 0, 2, 0x1A, 0x02, 0x30, 0})};
  const RawTag filler{200, std::vector<u8>(size_t(64) * 1024, 0), true};
  const RawTag dense = DenseText(size_t(64) * 1024);
  // About 2 MB of objects: within the allowance, not within its own bytes.
  const RawTag small = DenseText(2048);
  enum Expect { kRead, kRaw, kAny };
  struct Case {
    const char* name;
    std::vector<RawTag> tags;
    std::vector<Expect> expect;
  } cases[] = {
      {"a small dense text alone", {small, text, {1, {}}, {0, {}}}, {kRead, kRead, kRead, kRead}},
      {"the same behind a tag kept as bytes", {dense, small, {1, {}}, {0, {}}}, {kRaw, kRaw, kAny, kAny}},
      {"a text behind bytes that pay for it", {dense, filler, text, {1, {}}, {0, {}}}, {kRaw, kRaw, kRead, kRead, kRead}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<u8> movie = swftest::BuildMovie(c.tags);
    CSwfReader reader;
    ASSERT_TRUE(reader.LoadFromMemory(movie.data(), u32(movie.size()), true, 0, true));
    ASSERT_EQ(swftest::Codes(reader.GetTags()), swftest::Codes(c.tags));
    for (size_t i = 0; i < c.expect.size(); ++i) {
      if (c.expect[i] == kAny) continue;
      EXPECT_EQ(dynamic_cast<CSwfUnknownTag*>(reader.GetTags()[i]) != nullptr, c.expect[i] == kRaw) << "tag " << i;
    }
    for (CSwfTag* tag : reader.GetTags()) {
      auto* read = dynamic_cast<CSwfDefineText2*>(tag);
      if (read && read->GetRecords().size() == 2) {
        EXPECT_EQ(static_cast<const CSwfTextGlyphRecord&>(*read->GetRecords()[1]).GetEntries().size(), 2u);
      }
    }
    CSwfBitWriter writer(reader.GetVersion());
    ASSERT_GT(reader.WriteMovie(writer), 0u);
    reader.DeleteTags(true);
    // (A dense text read with its class is written with widths of its own.)
    if (c.expect[1] == kRaw) {
      EXPECT_EQ(writer.GetBytes(), movie);
    }
  }
}

// Sprites nested deeper than reads may go: the sprite whose tags would nest
// too deep is kept as its bytes, the sprites around it are read, and the
// movie comes back whole.
TEST(AmplificationBound, TheSpriteAtTheDepthLimitIsKeptAsItsBytes) {
  RawTag nested{1, {}};
  for (int depth = 0; depth < 34; ++depth) {
    std::vector<RawTag> ended{nested, {0, {}}};
    std::vector<u8> inside = swftest::BuildMovie(ended);
    inside.erase(inside.begin(), inside.begin() + 21);
    std::vector<u8> body = Concat({Bytes({u8(depth + 1), 0, 1, 0}), inside});
    const bool longHeader = body.size() > 62;
    nested = {kSwfDefineSpriteCode, std::move(body), longHeader};
  }
  const std::vector<u8> movie = swftest::BuildMovie({nested, {1, {}}, {0, {}}});
  CSwfReader reader;
  ASSERT_TRUE(reader.LoadFromMemory(movie.data(), u32(movie.size()), true, 0, true));
  EXPECT_EQ(reader.GetTagsKeptRaw(), 1u);
  // Reads nest as deep as kMaxTagNesting loops: the top level and 31 sprites.
  CSwfTag* tag = reader.GetTags()[0];
  for (u16 level = 1; level < CSwfReader::kMaxTagNesting; ++level) {
    auto* sprite = dynamic_cast<CSwfDefineSprite*>(tag);
    ASSERT_NE(sprite, nullptr) << "level " << level;
    ASSERT_EQ(swftest::Codes(sprite->GetTags()), (std::vector<u16>{kSwfDefineSpriteCode, 0})) << "level " << level;
    tag = sprite->GetTags()[0];
  }
  auto* kept = dynamic_cast<CSwfUnknownTag*>(tag);
  ASSERT_NE(kept, nullptr);
  EXPECT_EQ(kept->GetCode(), kSwfDefineSpriteCode);
  CSwfBitWriter writer(reader.GetVersion());
  ASSERT_GT(reader.WriteMovie(writer), 0u);
  reader.DeleteTags(true);
  EXPECT_EQ(writer.GetBytes(), movie);
}

// The room a movie's writer reserves is what its tags read, not what the
// movie's data held: bodies a tag skips and bytes behind the End tag are
// not written back.
TEST(AmplificationBound, WritingBackReservesNoRoomForBytesNoTagKeeps) {
  const std::vector<u8> skipped(size_t(16) * kMiB, 0);
  const struct {
    const char* name;
    std::vector<u8> movie;
  } cases[] = {
      {"a ShowFrame with a long body", swftest::BuildMovie({{1, skipped, true}, {0, {}}})},
      {"data behind the End tag", Concat(swftest::BuildMovie({{1, {}}, {0, {}}}), skipped)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<u8> movie = c.movie;
    const u32 length = u32(movie.size());
    for (int i = 0; i < 4; ++i) movie[4 + i] = u8(length >> (8 * i));
    CSwfReader reader;
    ASSERT_TRUE(reader.LoadFromMemory(movie.data(), length, true, 0, true));
    CSwfBitWriter writer(reader.GetVersion());
    ASSERT_GT(reader.WriteMovie(writer), 0u);
    reader.DeleteTags(true);
    EXPECT_LT(writer.GetCapacity(), 4096u);
    EXPECT_EQ(swftest::Codes(swftest::SplitTags(writer.GetBytes())), (std::vector<u16>{1, 0}));
  }
}

}  // namespace
