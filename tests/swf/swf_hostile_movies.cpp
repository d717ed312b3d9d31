#include "tests/swf/swf_hostile_movies.h"

#include <algorithm>
#include <cctype>

#include "swf/swf_compression.h"
#include "swf/swf_reader.h"
#include "swf/swf_sprite_tags.h"

namespace swftest {
namespace {

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
  std::vector<u8> body = Concat({Bytes({2, 0, 1, 0}), inside});
  // The header the engine writes for the body.
  const bool longHeader = body.size() > 62;
  return {kSwfDefineSpriteCode, std::move(body), longHeader};
}

// Zero-bit glyph records of `count` entries, a byte each, in tags each just
// long enough that its reading passes the reader's bound where it lies
// (taking what a record makes as the pool counts it), one tag for each
// count in turn until the movie holds `total` bytes. Each count puts its
// entry arrays in a size class of the pool of their own.
std::vector<RawTag> TextsPastTheBound(const std::vector<u8>& counts, size_t total, double margin) {
  std::vector<RawTag> tags;
  size_t at = 21;
  for (size_t i = 0; at < total; ++i) {
    const u8 count = counts[i % counts.size()];
    // The record (48 bytes), its entries (8 bytes each, in 16-byte steps)
    // and its place in the tag's list.
    const size_t entries = (size_t(count) * 8 + 15) / 16 * 16;
    const double made = 56.0 + double(entries);
    const double bound = double(CSwfReader::kObjectBytesPerByte) * double(at) + double(CSwfReader::kObjectAllowance);
    size_t length = size_t(bound / (made - double(CSwfReader::kObjectBytesPerByte)) * margin) + 64;
    length = std::min(length, total - std::min(total, at) + 64);
    tags.push_back(Text(11, 0, 0, Repeat({count}, length)));
    at += length + 14;
  }
  tags.push_back({1, {}});
  tags.push_back({0, {}});
  return tags;
}

// Scripts of constant pools of empty strings, each as long as a pool can be.
std::vector<u8> EmptyStringPools(size_t bytes) {
  constexpr u16 kStrings = 32769;
  const std::vector<u8> pool = Concat({Bytes({0x88, (kStrings + 2) & 0xFF, (kStrings + 2) >> 8, kStrings & 0xFF,
                                               kStrings >> 8}),
                                       std::vector<u8>(kStrings, 0)});
  return Concat(Repeat(pool, bytes), Bytes({0}));
}

}  // namespace

const std::vector<HostileMovie>& HostileMovies() {
  static const std::vector<HostileMovie> movies = {
      // Each byte 0x7F a glyph record of 127 entries of no bits.
      {"DefineText2 of zero-width entries",
       [] { return std::vector<RawTag>{Text(33, 0, 0, Repeat({0x7F}, kMiB)), {1, {}}, {0, {}}}; }, true, KeptRaw::kYes},
      {"DefineText of zero-width entries",
       [] { return std::vector<RawTag>{Text(11, 0, 0, Repeat({0x7F}, kMiB)), {1, {}}, {0, {}}}; }, true, KeptRaw::kYes},
      {"a sprite holding such a DefineText2",
       [] { return std::vector<RawTag>{Sprite({Text(33, 0, 0, Repeat({0x7F}, kMiB)), {1, {}}}), {1, {}}, {0, {}}}; }, true,
       KeptRaw::kYes},
      // A glyph record of one entry, or a style record with no fields, a byte each.
      {"glyph records of one zero-width entry",
       [] { return std::vector<RawTag>{Text(33, 0, 0, Repeat({0x01}, kMiB)), {1, {}}, {0, {}}}; }, false, KeptRaw::kYes},
      {"style records without fields",
       [] { return std::vector<RawTag>{Text(33, 0, 0, Repeat({0x80}, kMiB)), {1, {}}, {0, {}}}; }, false, KeptRaw::kYes},
      // A style record and an empty glyph count, two bytes.
      {"style records with no glyphs",
       [] { return std::vector<RawTag>{Text(33, 8, 8, Repeat({0x80, 0x00}, kMiB)), {1, {}}, {0, {}}}; }, false,
       KeptRaw::kEither, false},
      // Play, one byte an action.
      {"a script of one-byte actions",
       [] { return std::vector<RawTag>{{12, Concat(Repeat({0x06}, kMiB), Bytes({0})), true}, {1, {}}, {0, {}}}; }, false,
       KeptRaw::kYes},
      // Pushes of 65535 nulls of a byte each.
      {"pushes of one-byte values",
       [] {
         std::vector<u8> push = Concat({Bytes({0x96, 0xFF, 0xFF}), Repeat({0x02}, 0xFFFF)});
         return std::vector<RawTag>{{12, Concat(Repeat(push, kMiB), Bytes({0})), true}, {1, {}}, {0, {}}};
       },
       false, KeptRaw::kEither},
      // A shape of style changes of six bits (a line style index of no bits).
      {"a shape of six-bit style changes",
       [] {
         std::vector<u8> body = Concat({Bytes({1, 0, 0, 0, 0, 0}), Repeat({0x20, 0x82, 0x08}, kMiB), Bytes({0})});
         return std::vector<RawTag>{{2, body, true}, {1, {}}, {0, {}}};
       },
       false, KeptRaw::kYes},
      // Fonts whose bodies are offsets only, every glyph's pointing at the
      // end of the table: glyphs that share bytes, so that each font is
      // kept as its bytes once its first glyph is read.
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
       false, KeptRaw::kYes},
      // DefineFont2 with a layout announcing 65535 glyphs, of offsets only: a
      // count the body cannot hold, kept as its bytes before a glyph is read.
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
       false, KeptRaw::kYes},
      // Fonts of as many empty outlines of two bytes as 16-bit offsets reach,
      // each where its offset points: 16383 glyphs of four bytes a font.
      {"fonts of two-byte glyphs",
       [] {
         constexpr size_t kGlyphs = 16383;
         std::vector<RawTag> tags;
         tags.reserve(18);
         for (int i = 0; i < 16; ++i) {
           std::vector<u8> body = Bytes({1 + i, 0});
           for (size_t glyph = 0; glyph < kGlyphs; ++glyph) {
             const size_t offset = 2 * kGlyphs + 2 * glyph;
             body.insert(body.end(), {u8(offset), u8(offset >> 8)});
           }
           body.resize(body.size() + 2 * kGlyphs, 0);
           tags.push_back({10, std::move(body), true});
         }
         tags.push_back({1, {}});
         tags.push_back({0, {}});
         return tags;
       },
       false, KeptRaw::kNo},
      // DefineFont2 with a layout and wide codes, of as many empty outlines
      // of two bytes as 16-bit offsets reach, each where its offset points,
      // with codes, advances and empty bounds (of the two bytes the engine
      // writes): 16383 glyphs of ten bytes a font.
      {"DefineFont2 of two-byte glyphs",
       [] {
         constexpr size_t kGlyphs = 16383;
         std::vector<RawTag> tags;
         tags.reserve(10);
         for (int i = 0; i < 8; ++i) {
           std::vector<u8> body = Bytes({1 + i, 0, 0x84, 0, 0, u8(kGlyphs), u8(kGlyphs >> 8)});
           for (size_t glyph = 0; glyph <= kGlyphs; ++glyph) {
             const size_t offset = 2 * (kGlyphs + 1) + 2 * glyph;
             body.insert(body.end(), {u8(offset), u8(offset >> 8)});
           }
           body.resize(body.size() + 2 * kGlyphs, 0);
           for (size_t glyph = 0; glyph < kGlyphs; ++glyph) body.insert(body.end(), {u8(glyph), u8(glyph >> 8)});
           body.resize(body.size() + 6 + 2 * kGlyphs, 0);
           for (size_t glyph = 0; glyph < kGlyphs; ++glyph) body.insert(body.end(), {0x08, 0x00});
           body.insert(body.end(), {0, 0});
           tags.push_back({48, std::move(body), true});
         }
         tags.push_back({1, {}});
         tags.push_back({0, {}});
         return tags;
       },
       false, KeptRaw::kNo},
      // Tags of glyph records whose entry arrays each fill a size class of
      // the pool of their own, each just long enough to pass the bound.
      {"dropped tags of sixteen size classes",
       [] {
         std::vector<u8> counts;
         for (u8 count = 2; count <= 32; count += 2) counts.push_back(count);
         return TextsPastTheBound(counts, 7 * kMiB + kMiB / 2, 1.02);
       },
       true, KeptRaw::kYes},
      // Many tags each just over the bound: each read up to it, dropped and read again.
      {"many tags just over the bound", [] { return TextsPastTheBound({127}, 8 * kMiB, 1.01); }, true, KeptRaw::kYes},
      // Constant pools of empty strings, and a shape of style changes that
      // makes what the bound allows.
      {"constant pools of empty strings beside a dense shape",
       [] {
         std::vector<u8> shape = Concat({Bytes({1, 0, 0, 0, 0, 0}), Repeat({0x20, 0x82, 0x08}, kMiB / 2), Bytes({0})});
         return std::vector<RawTag>{{12, EmptyStringPools(kMiB), true}, {2, shape, true}, {1, {}}, {0, {}}};
       },
       false, KeptRaw::kYes},
      // The same DefineText2 at the end of 40 nested sprites: the sprite at
      // the depth reads may reach is kept as its bytes, the others as read.
      {"sprites nested past the depth limit",
       [] {
         RawTag nested = Text(33, 0, 0, Repeat({0x7F}, 3 * kMiB / 4));
         for (int depth = 0; depth < 40; ++depth) nested = Sprite({nested, {1, {}}});
         return std::vector<RawTag>{nested, {1, {}}, {0, {}}};
       },
       true, KeptRaw::kYes},
      // Sprites nested as deep as reads go, each of 200 ShowFrame tags:
      // each level's writer must not reserve room by its count of tags.
      {"nested sprites of ShowFrame tags",
       [] {
         RawTag nested{1, {}};
         for (int depth = 0; depth < 31; ++depth) {
           std::vector<RawTag> inner(200, RawTag{1, {}});
           inner.push_back(nested);
           nested = Sprite(inner);
         }
         return std::vector<RawTag>{nested, {1, {}}, {0, {}}};
       },
       false, KeptRaw::kNo},
      // Constant pools alone: an empty string is a byte of the movie and a
      // string object of the pool's list.
      {"constant pools of empty strings",
       [] { return std::vector<RawTag>{{12, EmptyStringPools(kMiB), true}, {1, {}}, {0, {}}}; }, false, KeptRaw::kYes},
      // A script that starts with 64 KB of one-byte actions and goes on
      // with actions of 64 KB: the room guessed for the list from its start
      // counts against the bound.
      {"a script whose start promises one-byte actions",
       [] {
         const std::vector<u8> large = Concat({Bytes({0x80, 0xFF, 0xFF}), std::vector<u8>(0xFFFF, 0x01)});
         return std::vector<RawTag>{
             {12, Concat({Repeat({0x06}, size_t(64) * 1024), Repeat(large, 4 * kMiB), Bytes({0})}), true},
             {1, {}},
             {0, {}}};
       },
       false, KeptRaw::kNo},
      // Export records of an id and an empty name, three bytes each.
      {"asset records without names",
       [] {
         std::vector<u8> body = Bytes({0xFF, 0xFF});
         for (int i = 0; i < 0xFFFF; ++i) body.insert(body.end(), {u8(i), u8(i >> 8), 0});
         std::vector<RawTag> tags(5, RawTag{56, body, true});
         tags.push_back({1, {}});
         tags.push_back({0, {}});
         return tags;
       },
       false, KeptRaw::kNo},
      // Video frames without data, each of which holds a writer of its own.
      {"video frames without data",
       [] {
         std::vector<RawTag> tags(kMiB / 6, RawTag{61, Bytes({1, 0, 0, 0})});
         tags.push_back({1, {}});
         tags.push_back({0, {}});
         return tags;
       },
       false, KeptRaw::kNo},
      // Two bytes a tag: an unknown one, and ShowFrame inside a sprite.
      {"empty tags",
       [] {
         std::vector<RawTag> tags(kMiB / 2, RawTag{200, {}});
         tags.push_back({1, {}});
         tags.push_back({0, {}});
         return tags;
       },
       false, KeptRaw::kNo},
      {"a sprite of ShowFrame tags",
       [] { return std::vector<RawTag>{Sprite(std::vector<RawTag>(kMiB / 2, RawTag{1, {}})), {1, {}}, {0, {}}}; }, false,
       KeptRaw::kNo},
  };
  return movies;
}

std::vector<u8> HostileMoviePlain(const HostileMovie& movie) { return BuildMovie(movie.tags()); }

std::vector<u8> HostileMovieFile(const std::vector<u8>& plain, const HostileMovie& movie) {
  std::vector<u8> file;
  if (!movie.compressed || !CompressSwfBytes(plain.data(), plain.size(), file)) file = plain;
  return file;
}

std::string HostileMovieId(const HostileMovie& movie) {
  std::string name;
  for (const char* c = movie.name; *c; ++c) name += std::isalnum(u8(*c)) ? *c : '_';
  return name;
}

}  // namespace swftest
