// What the movie targets share: the expanded size they state for the
// amplification check, and large and hostile movies for their seeds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

#include "swf/swf_action_list.h"
#include "swf/swf_actions.h"
#include "swf/swf_compression.h"
#include "swf/swf_control_tags.h"
#include "swf/swf_display_tags.h"
#include "swf/swf_movie_builder.h"
#include "swf/swf_records.h"
#include "swf/swf_shape_tags.h"
#include "swf/swf_sprite_tags.h"
#include "swf/swf_styles.h"
#include "swf/swf_text_tags.h"
#include "swf/swf_unknown_tag.h"
#include "swf/swf_font_tags.h"
#include "tests/fuzz/fuzz_support.h"

namespace gbfuzz {

// The movie targets read inputs up to this size: large enough that an
// engine that builds a few hundred times its bytes is seen by the check.
constexpr size_t kLargestMovieInput = size_t(1) << 20;

// States a "CWS" movie's plain size before the target expands it: its
// 8-byte start and as much of its body as expands, no further than its
// announced length (as far as the loaders expand it, whether the stream
// ends well or not). Counted as it comes out, not held.
inline void StateMovieSize(const uint8_t* data, size_t size) {
  if (size < 8 || data[0] != 'C' || data[1] != 'W' || data[2] != 'S') return;
  const u32 announced = u32(data[4]) | u32(data[5]) << 8 | u32(data[6]) << 16 | u32(data[7]) << 24;
  size_t plain = 8;
  const SwfByteSink count = [&plain](const u8*, size_t bytes) {
    plain += bytes;
    return true;
  };
  // A stream that fails has expanded as far as it counts.
  (void)InflateSwfBody(MemorySwfSource(data + 8, size - 8), count, announced > 8 ? announced - 8 : 0);
  SetExpandedSize(plain);
}

// Movies of 100 to 200 KB, each mostly one kind of tag whose counts and
// widths a mutation may turn hostile: the glyph records of a text, the
// edges of a shape, the actions of a script, the placements of a sprite.
inline std::vector<std::vector<u8>> LargeMovies() {
  std::vector<std::vector<u8>> movies;
  auto build = [&movies](CSwfTag* tag) {
    CSwfMovieBuilder builder;
    builder.SetParams(11000, 8000, 24, 8);
    builder.AddTag(tag);
    builder.AddTag(new CSwfShowFrame);
    std::vector<u8> movie;
    Check(builder.BuildMovie(movie, nullptr) != 0, "a large seed movie cannot be built");
    movies.push_back(movie);
  };

  auto* bounds = new CSwfRect;
  bounds->Set(0, 0, 550, 400, true);
  auto* text = new CSwfDefineText2(1, bounds, new CSwfMatrix, 8, 8);
  auto* style = new CSwfTextStyleRecord;
  style->SetFontId(2);
  style->SetTextHeight(240);
  style->SetColor(new CSwfRgba);
  text->AddRecord(style);
  for (u32 record = 0; record < 2000; ++record) {
    auto* glyphs = new CSwfTextGlyphRecord;
    for (u32 entry = 0; entry < 40; ++entry) glyphs->AddEntry((record + entry) % 200, s32(90 + entry % 30));
    text->AddRecord(glyphs);
  }
  text->ComputeBits();
  build(text);

  auto* shape = new CSwfDefineShape3;
  shape->SetCharacterId(3);
  shape->SetRectangle(0, 0, 4000, 3000, new CSwfFillStyle(1, 0x00336699), nullptr);
  CSwfShapeRecordList& edges = shape->GetShape()->records;
  edges.pop_back();  // the end record, put back after the edges
  for (s32 edge = 0; edge < 40000; ++edge) {
    if (edge % 3 == 2)
      shape->GetShape()->AddCurve(40, edge % 7 - 3, -20, 11);
    else
      shape->GetShape()->AddLine(edge % 2 ? 30 : -30, edge % 5 - 2);
  }
  shape->GetShape()->AddRecord(std::make_unique<CSwfEndShapeRecord>());
  build(shape);

  auto* script = new CSwfDoAction;
  for (s32 action = 0; action < 12000; ++action) {
    script->AddAction(new CSwfActionPush(action));
    script->AddAction(new CSwfActionPush("v"));
    script->AddAction(new CSwfActionSetVariable);
  }
  build(script);

  auto* sprite = new CSwfDefineSprite(4, 0);
  for (u16 frame = 0; frame < 3000; ++frame) {
    auto* place = new CSwfPlaceObject2;
    place->SetCharacterId(3);
    place->SetDepth(u16(1 + frame % 50));
    auto* matrix = new CSwfMatrix;
    matrix->translateX = frame * 3;
    place->SetMatrix(matrix);
    Check(sprite->AddTag(place) && sprite->AddTag(new CSwfShowFrame), "a sprite refuses a placement");
  }
  build(sprite);
  return movies;
}

// Movies of about 256 KB whose bytes announce many times their size in
// objects (the engine keeps what would pass its bound as raw bytes): a
// static text of glyph records of 127 entries that take no bits, one of
// records of one such entry, one of style records with empty glyph
// counts, a script of one-byte actions, pushes of one-byte values, a
// shape of six-bit style changes, fonts of offsets only.
inline std::vector<std::vector<u8>> HostileMovies() {
  constexpr size_t kBytes = size_t(256) << 10;
  auto repeat = [](std::vector<u8> unit, size_t bytes) {
    std::vector<u8> out;
    out.reserve(bytes + unit.size());
    while (out.size() < bytes) out.insert(out.end(), unit.begin(), unit.end());
    return out;
  };
  auto joined = [](std::initializer_list<std::vector<u8>> parts) {
    std::vector<u8> out;
    for (const std::vector<u8>& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
  };
  auto movie = [](const std::vector<std::pair<u16, std::vector<u8>>>& tags) {
    CSwfMovieBuilder builder;
    builder.SetParams(11000, 8000, 24, 8);
    for (const auto& [code, body] : tags) {
      auto* raw = new CSwfUnknownTag(code, u32(body.size()));
      raw->SetData(body.data(), u32(body.size()));
      builder.AddTag(raw);
    }
    builder.AddTag(new CSwfShowFrame);
    std::vector<u8> bytes;
    Check(builder.BuildMovie(bytes, nullptr) != 0, "a hostile seed movie cannot be built");
    return bytes;
  };
  // A static text: id, an empty frame and matrix, the widths, the records.
  auto text = [&](u8 glyphBits, u8 advanceBits, const std::vector<u8>& unit) {
    return movie({{kSwfDefineText2Code,
                   joined({{1, 0, 0, 0, glyphBits, advanceBits}, repeat(unit, kBytes), {0}})}});
  };
  std::vector<std::vector<u8>> movies;
  movies.push_back(text(0, 0, {0x7F}));
  movies.push_back(text(0, 0, {0x01}));
  movies.push_back(text(8, 8, {0x80, 0x00}));
  movies.push_back(movie({{kSwfDoActionCode, joined({repeat({kActionPlay}, kBytes), {0}})}}));
  const std::vector<u8> push = joined({{kActionPush, 0xFF, 0xFF}, repeat({2}, 0xFFFF)});
  movies.push_back(movie({{kSwfDoActionCode, joined({repeat(push, kBytes), {0}})}}));
  movies.push_back(movie({{2, joined({{1, 0, 0, 0, 0, 0}, repeat({0x20, 0x82, 0x08}, kBytes), {0}})}}));
  std::vector<std::pair<u16, std::vector<u8>>> fonts;
  for (u8 id = 1; id <= 4; ++id)
    fonts.push_back({kSwfDefineFont2Code, joined({{id, 0, 0x80, 0, 0, 0xFF, 0xFF}, repeat({2, 0}, kBytes / 4)})});
  movies.push_back(movie(fonts));
  // Constant pools of empty strings, a byte and a string object each.
  const std::vector<u8> pool = joined({{kActionConstantPool, 0x03, 0x80, 0x01, 0x80}, std::vector<u8>(0x8001, 0)});
  movies.push_back(movie({{kSwfDoActionCode, joined({repeat(pool, kBytes), {0}})}}));
  // Export records of an id and an empty name, three bytes each.
  std::vector<u8> assets{0xFF, 0xFF};
  for (u32 i = 0; i < 0xFFFF; ++i) assets.insert(assets.end(), {u8(i), u8(i >> 8), 0});
  movies.push_back(movie({{kSwfExportAssetsCode, assets}}));
  // Texts whose glyph arrays each fill a size class of the object pool of
  // their own.
  std::vector<std::pair<u16, std::vector<u8>>> texts;
  for (u8 count = 2; count <= 32; count += 2)
    texts.push_back({kSwfDefineTextCode, joined({{1, 0, 0, 0, 0, 0}, repeat({count}, kBytes / 16), {0}})});
  movies.push_back(movie(texts));
  // Sprites nested deeper than reads may go, around a text.
  std::vector<u8> nested = joined({{1, 0, 0, 0, 0, 0}, repeat({0x7F}, kBytes), {0}});
  u16 code = kSwfDefineTextCode;
  for (u8 depth = 0; depth < 40; ++depth) {
    std::vector<u8> body{u8(depth + 2), 0, 1, 0};
    EncodeTagHeader(body, code, u32(nested.size()), true);
    body.insert(body.end(), nested.begin(), nested.end());
    body.insert(body.end(), {0, 0});
    nested = std::move(body);
    code = kSwfDefineSpriteCode;
  }
  movies.push_back(movie({{kSwfDefineSpriteCode, nested}}));
  return movies;
}

}  // namespace gbfuzz
