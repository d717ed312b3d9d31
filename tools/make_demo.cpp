// Makes the demo project's movie and picture with the project's own SWF
// writer and PNG writer:
//
//   gb_make_demo <output folder>
//
// writes "Demo.swf" (a gold diamond turning across a night-blue stage for
// two seconds) and "Picture.png" (the installers' splash picture). The demo
// in examples/demo/ holds the files this tool made.
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <string>
#include <vector>

#include "foundation/path_name.h"
#include "foundation/png_image.h"
#include "swf/swf_bit_writer.h"
#include "swf/swf_control_tags.h"
#include "swf/swf_display_tags.h"
#include "swf/swf_file_writer.h"
#include "swf/swf_records.h"
#include "swf/swf_unknown_tag.h"

namespace {

constexpr u8 kVersion = 6;
constexpr u16 kDefineShapeCode = 2;
constexpr u16 kShapeId = 1;
constexpr int kFrames = 24;
constexpr s32 kStageWidth = 550 * 20, kStageHeight = 400 * 20;  // twips
constexpr s32 kRadius = 1500;                                      // twips

// A signed value in `bits` bits, as SWF bit fields hold it.
u32 Signed(s32 value, u32 bits) { return u32(value) & ((1u << bits) - 1); }

// The body of a DefineShape: a diamond of one solid fill.
std::vector<u8> DiamondShape() {
  CSwfBitWriter body(kVersion);
  body.WriteU16(kShapeId);
  CSwfRect bounds;
  bounds.Set(-kRadius, -kRadius, kRadius, kRadius, false);
  bounds.Write(body);
  body.FlushBits();
  body.WriteU8(1);     // one fill style
  body.WriteU8(0x00);  // solid
  body.WriteU8(0xF2);
  body.WriteU8(0xC1);
  body.WriteU8(0x3A);
  body.WriteU8(0);  // no line styles
  body.WriteBits(1, 4);  // fill style index bits
  body.WriteBits(0, 4);  // line style index bits
  constexpr u32 kBits = 13;  // holds +-1500 and its sign
  // Style change: move to the top corner and take fill style 1.
  body.WriteBits(0, 1);
  body.WriteBits(0b00101, 5);
  body.WriteBits(kBits, 5);
  body.WriteBits(Signed(0, kBits), kBits);
  body.WriteBits(Signed(-kRadius, kBits), kBits);
  body.WriteBits(1, 1);
  const s32 edges[4][2] = {{kRadius, kRadius}, {-kRadius, kRadius}, {-kRadius, -kRadius}, {kRadius, -kRadius}};
  for (const auto& edge : edges) {
    body.WriteBits(0b11, 2);  // an edge, straight
    body.WriteBits(kBits - 2, 4);
    body.WriteBits(1, 1);  // a general line
    body.WriteBits(Signed(edge[0], kBits), kBits);
    body.WriteBits(Signed(edge[1], kBits), kBits);
  }
  body.WriteBits(0, 6);  // end of the shape
  return body.GetBytes();
}

bool WriteMovie(const CPathName& path) {
  CSwfFileWriter writer(false);
  writer.SetParams(kStageWidth, kStageHeight, 12.0f, kVersion);
  if (!writer.Open(path, true)) return false;
  writer.WriteTag(new CSwfSetBackgroundColor(0x10, 0x18, 0x40), false);
  const std::vector<u8> shape = DiamondShape();
  auto* define = new CSwfUnknownTag(kDefineShapeCode, u32(shape.size()));
  define->SetData(shape.data(), u32(shape.size()));
  writer.WriteTag(define, false);
  for (int frame = 0; frame < kFrames; ++frame) {
    const double t = double(frame) / kFrames;
    auto* place = new CSwfPlaceObject2();
    if (frame == 0)
      place->SetCharacterId(kShapeId);
    else
      place->SetMove(true);
    place->SetDepth(1);
    const s32 x = s32(kStageWidth * (0.2 + 0.6 * t));
    const s32 y = s32(kStageHeight * (0.5 - 0.2 * std::sin(t * 2 * M_PI)));
    const double scale = 0.8 + 0.4 * t;
    place->SetMatrix(CreateSwfMatrix(x, y, scale, scale, 360.0 * t, 360.0 * t));
    writer.WriteTag(place, false);
    writer.WriteTag(new CSwfShowFrame(), false);
  }
  writer.WriteTag(new CSwfEnd(), false);
  return writer.Close() != 0;
}

// A night-blue gradient with a gold band.
bool WritePicture(const CPathName& path) {
  constexpr u32 kWidth = 320, kHeight = 200;
  CPngImage picture;
  if (!picture.Create(kWidth, kHeight, 24, nullptr, false)) return false;
  u8* pixels = picture.GetPixels();
  for (u32 y = 0; y < kHeight; ++y) {
    for (u32 x = 0; x < kWidth; ++x) {
      u8* pixel = pixels + (size_t(y) * kWidth + x) * 3;
      const double fade = double(y) / kHeight;
      const bool band = y > kHeight * 2 / 3 && y < kHeight * 2 / 3 + 8;
      pixel[0] = band ? 0xF2 : u8(0x10 + 0x30 * fade);
      pixel[1] = band ? 0xC1 : u8(0x18 + 0x30 * fade);
      pixel[2] = band ? 0x3A : u8(0x40 + 0x60 * fade);
    }
  }
  return picture.SaveFile(path);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: gb_make_demo <output folder>\n");
    return 2;
  }
  // Paths without a leading "/" would be taken from the application bundle.
  std::string text = argv[1];
  if (text.empty() || text[0] != '/') {
    char* current = getcwd(nullptr, 0);
    if (current) text = std::string(current) + "/" + text;
    std::free(current);
  }
  CPathName folder(text);
  folder.AddTrailingSlash();
  CPathName movie(nullptr), picture(nullptr);
  if (!movie.SetInFolder("Demo.swf", folder) || !WriteMovie(movie) || !picture.SetInFolder("Picture.png", folder) ||
      !WritePicture(picture)) {
    std::fprintf(stderr, "gb_make_demo: cannot write into %s\n", argv[1]);
    return 1;
  }
  return 0;
}
