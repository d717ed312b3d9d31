// What the movie targets share: the expanded size they state for the
// amplification check, and large movies for their seeds.
#pragma once

#include <cstddef>
#include <cstdint>
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
    builder.BuildMovie(movie, nullptr);
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

}  // namespace gbfuzz
